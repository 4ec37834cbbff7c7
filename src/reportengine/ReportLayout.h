// Where the three report forms put things: the page sizes and the parts of a
// page that the template reserves for what the report code adds (charts, the
// comment box, the summary table). Shared by the template generator and the
// report routines, so the form and the code cannot drift apart.
// Rows are offsets from a page's first row (0 = first row); columns count from 1 (A).
// Plain C++ only: the template generator does not link Qt.
#pragma once

namespace layout {

// Course calendar: one page per month, 48 rows, so that a month with a sixth
// week row still has its six lesson slots on its own page. Weeks run Monday
// (column A) to Sunday (column G).
namespace calendar {
inline constexpr int kPageRows = 48;
inline constexpr const char* kPageRange = "A1:G48";
inline constexpr int kLastCol = 7;
inline constexpr int kSaturdayCol = 6, kSundayCol = 7;
inline constexpr int kDateRow = 0, kDateCol = 7;       // "作成日:yyyy/mm/dd"
inline constexpr int kTitleRow = 1, kTitleCol = 4;     // "【2003年4月】"
inline constexpr int kCaptionRow = 3, kCaptionCol = 2; // condition caption
inline constexpr int kHeadingRow = 5;                  // weekday headings
inline constexpr int kFirstWeekRow = 6;                // day numbers at 6 + 7w
inline constexpr int kWeekRows = 7;                    // day number + slots
inline constexpr int kSlots = 6;
inline constexpr int kWeeks = 6;
} // namespace calendar

// Daily report: one page per lesson (and a further one per 25 students).
namespace nippou {
inline constexpr int kPageRows = 43;
inline constexpr int kLastCol = 16;
inline constexpr int kItemRow = 17;          // evaluation item names, columns 7..10
inline constexpr int kFirstStudentRow = 18;  // student rows 18..42
inline constexpr int kStudentsPerPage = 25;
} // namespace nippou

// Student analysis sheet: one block of 42 rows per student and course.
namespace analysis {
inline constexpr int kBlockRows = 42;
inline constexpr int kLastPrintedCol = 21;   // U: the print area is $A:$U
inline constexpr int kDataCaptionCol = 23;   // W: captions of the lesson data
inline constexpr int kFirstLessonCol = 24;   // X: lesson n at column 24 + n
// Summary table B8:C13 read by the summary chart: headings in row 7, the
// overall mean in row 8, the four item means in rows 9..12.
inline constexpr int kSummaryFirstRow = 7, kSummaryLastRow = 12;
inline constexpr int kSummaryLabelCol = 2, kSummaryValueCol = 3;
inline constexpr int kSummaryMeanRow = 8;    // overall mean of the item means
// Areas the charts cover (inclusive).
inline constexpr int kSummaryChartFirstRow = 7, kSummaryChartLastRow = 19;
inline constexpr int kSummaryChartFirstCol = 5, kSummaryChartLastCol = 21;
inline constexpr int kTrendChartFirstRow = 21, kTrendChartLastRow = 30;
inline constexpr int kTrendChartFirstCol = 1, kTrendChartLastCol = 21;
// The comment box: a merged, wrapping range.
inline constexpr int kCommentFirstRow = 33, kCommentLastRow = 40;
inline constexpr int kCommentFirstCol = 1, kCommentLastCol = 21;
// Rows of the lesson data (offsets), captioned in column W.
inline constexpr int kDateDataRow = 0;       // 講座日
inline constexpr int kFirstMarkRow = 1;      // 項目1..項目4 in rows 1..4
inline constexpr int kAttendRow = 5;
inline constexpr int kHomeworkRow = 6;
inline constexpr int kCommentDataRow = 7;
} // namespace analysis

// Monthly report: one A4 portrait page per student (a further page when a
// month's lessons outgrow the lesson table). A lesson takes two rows: its facts,
// and under them its comment across the page. The rows take the heights their
// texts need; the rows left over share what remains of the table's height, so
// that a page stays one printed page.
namespace monthly {
inline constexpr int kPageRows = 68;
inline constexpr int kLastCol = 11;
inline constexpr int kSchoolRow = 0, kSchoolCol = 1;     // the school's name, typed once in the template
inline constexpr int kMadeRow = 0, kMadeCol = 4;         // "作成日 yyyy/mm/dd"
inline constexpr int kMonthRow = 2, kMonthCol = 1;       // "2026年11月"
inline constexpr int kGuardianRow = 3, kGuardianCol = 1; // "<保護者氏名> 様", left, across the page
// The student's row: captions left of their values; the item columns (which
// are not printed for an item without a name) hold only the name's end.
inline constexpr int kStudentRow = 4;
inline constexpr int kNumberCol = 3;                          // 生徒番号 (caption in 1..2)
inline constexpr int kGradeCaptionCol = 4, kGradeCol = 5;     // "学年", "中2"
inline constexpr int kNameCaptionCol = 6, kNameCol = 8;       // "氏名" in 6..7, 生徒氏名 from 8
inline constexpr int kHeadRow = 7;                      // headings of the lesson table
inline constexpr int kFirstLessonRow = 8;               // lesson i: facts at 8 + 2i, comment below
inline constexpr int kLessonRows = 20;                  // lessons a page holds
// The form's column widths (characters) and row heights (points) above and
// below the lesson table, as the template lays them out.
inline constexpr double kColumnWidths[11] = {5, 4, 15.7, 5.5, 7, 4.2, 4.2, 6, 6, 6, 6};
inline constexpr double kTopRowHeights[8] = {18, 30, 22, 18, 22, 8, 17, 18};
inline constexpr double kLowerRowHeights[20] = {
    8, 17,                                      // figures caption
    17, 17, 17, 17, 10, 17, 17, 17, 17, 17,     // figures, means, chart
    8, 17, 17, 17, 17, 17, 17, 17};             // 講師より
// Lesson columns: date, weekday, period, subject, class, attendance, homework,
// the marks of items 1..4 from kFirstMarkCol.
inline constexpr int kDateCol = 1, kWeekdayCol = 2, kPeriodCol = 3, kSubjectCol = 4, kClassCol = 5;
inline constexpr int kAttendCol = 6, kHomeworkCol = 7, kFirstMarkCol = 8;
// Height in points the lesson rows share on a page, and the least height of a lesson.
inline constexpr double kLessonTablePt = 310, kLessonRowPt = 16;
inline constexpr double kLessonFontPt = 10;
// The month's figures: count in column 3, rate in 4..5.
inline constexpr int kFiguresHeadRow = 50;
inline constexpr int kHeldRow = 51, kAttendedRow = 52, kHomeworkRow = 53;
inline constexpr int kCountCol = 3, kRateCol = 4;
// Item means: this month in column 3, last month in 4, the arrow in 5.
inline constexpr int kMeansHeadRow = 55, kFirstMeanRow = 56;
inline constexpr int kMeanCol = 3, kLastMeanCol = 4, kArrowCol = 5;
// The six months' means behind the chart, right of the printed area: month
// captions in kChartDataRow, item k in the rows below; names in kDataCaptionCol.
inline constexpr int kChartDataRow = 50, kDataCaptionCol = 13, kChartMonths = 6;
// The chart's area (inclusive).
inline constexpr int kChartFirstRow = 50, kChartLastRow = 59, kChartFirstCol = 6, kChartLastCol = 11;
// The framed box 講師より, left empty for the teacher.
inline constexpr int kTeacherFirstRow = 62, kTeacherLastRow = 67;
} // namespace monthly

} // namespace layout
