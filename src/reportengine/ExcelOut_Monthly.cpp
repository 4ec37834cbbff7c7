// The monthly report for parents: a page per student with the month's lessons,
// the month's figures, each item's mean beside last month's, a chart of the
// means of the last six months and an empty box for the teacher's words.

#include "ExcelOut.h"
#include "SchoolSettings.h"
#include "ReportCommon.h"
#include "ReportLayout.h"

#include "CommonBase.h"
#include "ErrorLog.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace {

using namespace layout::monthly;

enum MonthlyColumn { Student, Date, Weekday, Period, Subject, Klass, Attend, Homework, Item1, Item2, Item3, Item4, Comment };

const QStringList& monthlyColumns()
{
    static const QStringList columns{
        QStringLiteral("生徒番号"), QStringLiteral("講座日"), QStringLiteral("曜日名"), QStringLiteral("時限名"),
        QStringLiteral("科目名"), QStringLiteral("講座クラス名"), QStringLiteral("出席○"), QStringLiteral("宿題○"),
        QStringLiteral("項目1"), QStringLiteral("項目2"), QStringLiteral("項目3"), QStringLiteral("項目4"),
        QStringLiteral("コメント")};
    return columns;
}

const QString kNone = QStringLiteral("—");
const QString kCircle = QStringLiteral("○");

const QString kContinued = QStringLiteral("（続き）");

// Width of a character in half-width characters: ASCII and half-width kana count
// one, everything else two (as the text prints in a fixed-pitch Japanese font).
int halfWidth(QChar c)
{
    if (c.isLowSurrogate())
        return 0;
    const char16_t u = c.unicode();
    return u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F) ? 1 : 2;
}

// A text wrapped in a column of this many pixels at the lesson font: the lines
// it takes, at most maxLines, and where the text they hold ends.
struct Wrapped {
    int lines = 1;
    qsizetype end = 0;
};

Wrapped wrapText(QStringView text, int widthPx, int maxLines = std::numeric_limits<int>::max())
{
    const double halfPx = kLessonFontPt * 4.0 / 3.0 / 2.0;
    const int perLine = std::max(1, static_cast<int>((widthPx - 8) / halfPx));
    int lines = 1, used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool newline = text[i] == u'\n';
        const int width = newline ? 0 : halfWidth(text[i]);
        if (newline || used + width > perLine) {
            if (lines == maxLines)
                return {lines, newline ? i + 1 : i};
            ++lines;
            used = 0;
        }
        used += width;
    }
    return {lines, text.size()};
}

int wrappedLines(const QString& text, int widthPx)
{
    return wrapText(text, widthPx).lines;
}

// "2026年11月".
QString monthTitle(const QDate& month)
{
    return QStringLiteral("%1年%2月").arg(month.year()).arg(month.month());
}

// The arrow from last month's mean to this month's, as the means print (one decimal).
QString meanArrow(std::optional<double> now, std::optional<double> before)
{
    if (!now || !before)
        return {};
    const long long a = std::llround(*now * 10), b = std::llround(*before * 10);
    return a > b ? QStringLiteral("↑") : a < b ? QStringLiteral("↓") : QStringLiteral("→");
}

// A row pair of the lesson table: a lesson with its comment, or with the first
// part of a comment too long for a page, or (facts false) the next part of it.
struct LessonPiece {
    int row = 0;          // of the statement
    bool facts = true;    // the lesson's date, marks and so on are printed
    QString comment;      // what the comment row under it prints
};
using LessonPage = std::vector<LessonPiece>;

// One student's month: the lessons held by the day of the report, the figures
// and the item means of this month and of the five before it.
struct StudentMonth {
    std::vector<int> lessons;                     // rows of the month, in date order
    std::array<MarkMeans, kChartMonths> means;    // the last index is this month
    int attended = 0;
    int homework = 0;
};

class MonthlyWriter {
public:
    MonthlyWriter(ExcelOut& out, const ReportRows& rows, const std::array<QString, 4>& items, const QDate& month,
                  const QDate& madeOn)
        : m_out(out), m_rows(rows), m_items(items), m_month(month), m_madeOn(madeOn)
    {
        for (std::size_t k = 0; k < items.size(); ++k)
            if (!items[k].isEmpty())
                m_named.push_back(static_cast<int>(k));
        wb::Sheet& sheet = out.reportSheet();
        // The name kept in the settings wins; an office that typed it into the template keeps that.
        m_school = SchoolSettings::funcSchoolName();
        if (m_school.isEmpty())
            m_school = sheet.text(1 + kSchoolRow, kSchoolCol);
        // An item without a name has no column.
        for (std::size_t k = 0; k < items.size(); ++k)
            if (items[k].isEmpty())
                sheet.setColumnHidden(kFirstMarkCol + static_cast<int>(k), true);
        for (int c : {kPeriodCol, kSubjectCol, kClassCol})
            m_widthPx[c] = funcAreaWidthPx(sheet, c, c);
        m_commentPx = funcAreaWidthPx(sheet, 1, kLastCol);
        m_chartSize = {funcAreaWidthPx(sheet, kChartFirstCol, kChartLastCol),
                       funcAreaHeightPx(sheet, 1 + kChartFirstRow, 1 + kChartLastRow)};
        m_blankFormat = sheet.formatId(1 + kFirstMeanRow - 2, 1);   // the spacer row above the means
        m_from = month.addMonths(1 - kChartMonths);
        m_to = std::min(month.addMonths(1).addDays(-1), madeOn);
        m_fromText = funcDateText(m_from);
        m_toText = funcDateText(m_to);
        // The rows of each student, in the order the statement gives them.
        for (int r = 0; r < m_rows.count(); ++r)
            m_rowsOf[m_rows.at(r, Student)].push_back(r);
    }

    // The student's month, of the rows held in the six months up to the report's day.
    StudentMonth monthOf(const QString& number) const
    {
        StudentMonth m;
        for (const int r : m_rowsOf.value(number)) {
            const QString date = funcReportDate(m_rows.at(r, Date));
            if (date < m_fromText || date > m_toText)
                continue;
            const int index = kChartMonths - 1 - monthsBefore(date);
            if (index < 0 || index >= kChartMonths)
                continue;
            for (int k : m_named)
                if (const std::optional<double> mark = funcMark(m_rows.at(r, static_cast<MonthlyColumn>(Item1 + k))))
                    m.means[static_cast<std::size_t>(index)].add(k, *mark);
            if (index == kChartMonths - 1) {
                m.lessons.push_back(r);
                m.attended += m_rows.at(r, Attend) == kCircle ? 1 : 0;
                m.homework += m_rows.at(r, Homework) == kCircle ? 1 : 0;
            }
        }
        return m;
    }

    // The month's lessons split into pages: as many as the lesson table holds
    // at the heights they need; at least one page, which may be empty. A lesson
    // whose comment is taller than a page fills the rest of the page, and its
    // comment goes on over the next pages: nothing of it is cut.
    std::vector<LessonPage> pagesOf(const StudentMonth& m) const
    {
        std::vector<LessonPage> pages(1);
        double used = 0;
        const auto roomFor = [&](double h) {
            if (!pages.back().empty()
                && (static_cast<int>(pages.back().size()) == kLessonRows || used + h > kLessonTablePt)) {
                pages.emplace_back();
                used = 0;
            }
        };
        for (const int r : m.lessons) {
            const double facts = factsHeight(r);
            QString comment = m_rows.at(r, Comment).trimmed();
            const double whole = facts + commentHeight(comment);
            if (whole <= kLessonTablePt) {
                roomFor(whole);
                pages.back().push_back({r, true, comment});
                used += whole;
                continue;
            }
            for (bool first = true; !comment.isEmpty(); first = false) {
                const double above = first ? facts : 0;
                roomFor(above + kLineHeightPt + 4);
                const int lines = std::max(1, static_cast<int>((kLessonTablePt - used - above - 4) / kLineHeightPt));
                const QString text = first ? comment : kContinued + comment;
                const qsizetype end = std::max(wrapText(text, m_commentPx, lines).end, (first ? 0 : kContinued.size()) + 1);
                QString part = text.left(end);
                if (part.endsWith(u'\n'))
                    part.chop(1);
                used += above + commentHeight(part);
                pages.back().push_back({r, first, part});
                comment = text.mid(end);
            }
        }
        return pages;
    }

    // Writes one page of the student at the page's first row.
    void writePage(int top, const QString& number, const QString& name, const StudentMonth& m,
                   const LessonPage& lessons, int page, int pages)
    {
        QString made = QStringLiteral("作成日 ") + funcDateText(m_madeOn);
        if (pages > 1)
            made += QStringLiteral("　%1/%2枚").arg(page + 1).arg(pages);
        m_out.setCell(top + kSchoolRow, kSchoolCol, m_school);
        m_out.setCell(top + kMadeRow, kMadeCol, made);
        m_out.setCell(top + kMonthRow, kMonthCol, monthTitle(m_month));
        m_out.setCell(top + kStudentRow, kNumberCol, number);
        m_out.setCell(top + kStudentRow, kNameCol, name);
        for (int k : m_named)
            m_out.setCell(top + kHeadRow, kFirstMarkCol + k, m_items[static_cast<std::size_t>(k)]);
        writeLessons(top, lessons);
        writeFigures(top, m);
        writeChart(top, m);
    }

private:
    // Whole months from the day's month to this report's month.
    int monthsBefore(const QString& date) const
    {
        const int y = QStringView(date).left(4).toInt(), mo = QStringView(date).mid(5, 2).toInt();
        return (m_month.year() - y) * 12 + m_month.month() - mo;
    }

    double factsHeight(int r) const
    {
        int lines = 1;
        for (const auto& [col, value] : {std::pair{kPeriodCol, Period}, {kSubjectCol, Subject}, {kClassCol, Klass}})
            lines = std::max(lines, wrappedLines(m_rows.at(r, value), m_widthPx.at(col)));
        return std::max(kLessonRowPt, lines * kLineHeightPt + 4);
    }
    // A lesson without a comment has no comment row.
    double commentHeight(const QString& comment) const
    {
        return comment.isEmpty() ? 0 : wrappedLines(comment, m_commentPx) * kLineHeightPt + 4;
    }

    void writeLessons(int top, const LessonPage& lessons)
    {
        wb::Sheet& sheet = m_out.reportSheet();
        const int first = top + kFirstLessonRow;
        if (lessons.empty()) {
            sheet.merge(wb::Range{first, 1, first, kLastCol});
            m_out.setCell(first, 1, QStringLiteral("この月の授業はありません。"));
        }
        double used = 0;
        for (std::size_t i = 0; i < lessons.size(); ++i) {
            const LessonPiece& piece = lessons[i];
            const int r = piece.row;
            const int row = first + 2 * static_cast<int>(i);
            const double comment = commentHeight(piece.comment);
            if (comment > 0) {
                sheet.setText(row + 1, 1, piece.comment);
                sheet.setRowHeight(row + 1, comment);
            } else {
                hideRow(row + 1);
            }
            used += comment;
            if (!piece.facts) {
                hideRow(row);
                continue;
            }
            const QString date = funcReportDate(m_rows.at(r, Date));
            m_out.setCell(row, kDateCol, date.size() == 10 ? date.mid(5) : date);
            m_out.setCell(row, kWeekdayCol, m_rows.at(r, Weekday));
            m_out.setCell(row, kPeriodCol, m_rows.at(r, Period));
            m_out.setCell(row, kSubjectCol, m_rows.at(r, Subject));
            m_out.setCell(row, kClassCol, m_rows.at(r, Klass));
            m_out.setCell(row, kAttendCol, m_rows.at(r, Attend) == kCircle ? kCircle : QStringLiteral("欠"));
            m_out.setCell(row, kHomeworkCol, m_rows.at(r, Homework) == kCircle ? kCircle : QStringLiteral("×"));
            for (int k : m_named) {
                const std::optional<double> mark = funcMark(m_rows.at(r, static_cast<MonthlyColumn>(Item1 + k)));
                if (mark)
                    m_out.setCell(row, kFirstMarkCol + k, *mark);
                else
                    m_out.setCell(row, kFirstMarkCol + k, kNone);
            }
            const double facts = factsHeight(r);
            sheet.setRowHeight(row, facts);
            used += facts;
        }
        // The lessons left over share what remains of the table's height, at
        // least a plain lesson's height each, without comment rows; the others
        // are hidden.
        const int taken = static_cast<int>(std::max<std::size_t>(lessons.size(), 1));
        const int spare = kLessonRows - taken;
        if (lessons.empty()) {
            sheet.setRowHeight(first, kLessonRowPt);
            hideRow(first + 1);
            used = kLessonRowPt;
        }
        const double left = kLessonTablePt - used;
        const int shown = std::clamp(static_cast<int>(left / kLessonRowPt), 0, spare);
        for (int i = 0; i < spare; ++i) {
            const int row = first + 2 * (taken + i);
            if (i < shown)
                sheet.setRowHeight(row, left / shown);
            else
                hideRow(row);
            hideRow(row + 1);
        }
    }

    // A row of the lesson table that is not printed; its cells lose their
    // borders, so that the file does not carry them.
    void hideRow(int row)
    {
        wb::Sheet& sheet = m_out.reportSheet();
        sheet.setRowHidden(row, true);
        for (int c = 1; c <= kLastCol; ++c)
            sheet.setFormatId(row, c, 0);
    }

    void writeFigures(int top, const StudentMonth& m)
    {
        const int held = static_cast<int>(m.lessons.size());
        const auto rate = [held](int n) { return held ? std::optional<double>(static_cast<double>(n) / held) : std::nullopt; };
        writeNumber(top + kHeldRow, kCountCol, held);
        writeNumber(top + kAttendedRow, kCountCol, m.attended);
        writeNumber(top + kAttendedRow, kRateCol, rate(m.attended));
        writeNumber(top + kHomeworkRow, kCountCol, m.homework);
        writeNumber(top + kHomeworkRow, kRateCol, rate(m.homework));

        m_out.setCell(top + kMeansHeadRow, kMeanCol, QStringLiteral("%1月").arg(m_month.month()));
        m_out.setCell(top + kMeansHeadRow, kLastMeanCol, QStringLiteral("%1月").arg(m_month.addMonths(-1).month()));
        const MarkMeans& now = m.means[kChartMonths - 1];
        const MarkMeans& before = m.means[kChartMonths - 2];
        for (std::size_t j = 0; j < m_named.size(); ++j) {
            const int row = top + kFirstMeanRow + static_cast<int>(j);
            const int k = m_named[j];
            m_out.setCell(row, 1, m_items[static_cast<std::size_t>(k)]);
            writeNumber(row, kMeanCol, now.item(k));
            writeNumber(row, kLastMeanCol, before.item(k));
            m_out.setCell(row, kArrowCol, meanArrow(now.item(k), before.item(k)));
        }
        trimMeansTable(top);
    }

    // The form frames four item rows; with fewer named items the table ends
    // under the last one.
    void trimMeansTable(int top)
    {
        const int used = static_cast<int>(m_named.size());
        if (used == 4)
            return;
        wb::Sheet& sheet = m_out.reportSheet();
        const int last = top + kFirstMeanRow + used - 1;
        const wb::Border outline = sheet.format(top + kFirstMeanRow + 3, 1).bottom;
        for (int c = 1; c <= kArrowCol; ++c) {
            wb::CellFormat f = sheet.format(last, c);
            f.bottom = outline;
            sheet.setFormat(last, c, f);
            for (int r = last + 1; r <= top + kFirstMeanRow + 3; ++r)
                sheet.setFormatId(r, c, m_blankFormat);
        }
        for (int r = last + 1; r <= top + kFirstMeanRow + 3; ++r)
            sheet.unmerge(wb::Range{r, 1, r, kArrowCol});
    }

    void writeNumber(int row, int col, std::optional<double> value)
    {
        if (value)
            m_out.setCell(row, col, *value);
        else
            m_out.setCell(row, col, kNone);
    }

    // The six months' means right of the printed area, and the chart over them.
    void writeChart(int top, const StudentMonth& m)
    {
        if (m_named.empty())
            return;
        const int dataRow = top + kChartDataRow;
        for (int i = 0; i < kChartMonths; ++i) {
            const int col = kDataCaptionCol + 1 + i;
            m_out.setCell(dataRow, col, QStringLiteral("%1月").arg(m_from.addMonths(i).month()));
            for (std::size_t j = 0; j < m_named.size(); ++j) {
                // A month without a mark stays empty: a gap in its line.
                if (const std::optional<double> v = m.means[static_cast<std::size_t>(i)].item(m_named[j]))
                    m_out.setCell(dataRow + 1 + static_cast<int>(j), col, *v);
            }
        }
        for (std::size_t j = 0; j < m_named.size(); ++j)
            m_out.setCell(dataRow + 1 + static_cast<int>(j), kDataCaptionCol,
                          m_items[static_cast<std::size_t>(m_named[j])]);
        wb::Chart chart = markChart(wb::ChartType::LineMarkers, top + kChartFirstRow, kChartFirstCol, m_chartSize.first,
                                    m_chartSize.second, QStringLiteral("評価の推移"),
                                    wb::LegendPosition::Bottom);
        chart.setSourceData(wb::Range{dataRow, kDataCaptionCol, dataRow + static_cast<int>(m_named.size()),
                                      kDataCaptionCol + kChartMonths},
                            wb::PlotBy::Rows);
        m_out.addChart(chart);
    }

    static constexpr double kLineHeightPt = kLessonFontPt * 1.28;

    ExcelOut& m_out;
    const ReportRows& m_rows;
    const std::array<QString, 4>& m_items;
    std::vector<int> m_named;   // slots of the items with a name
    const QDate m_month, m_madeOn;
    QDate m_from, m_to;         // the six months, up to the report's day
    QString m_fromText, m_toText;
    QString m_school;
    QHash<QString, std::vector<int>> m_rowsOf;
    std::map<int, int> m_widthPx;   // of the columns whose text may wrap
    int m_commentPx = 0;            // of a comment row, across the page
    std::pair<int, int> m_chartSize;
    wb::FormatId m_blankFormat = 0;
};

} // namespace

QDate defaultReportMonth(const QDate& today)
{
    const QDate first(today.year(), today.month(), 1);
    return today.day() <= 10 ? first.addMonths(-1) : first;
}

void ExcelOut::subMonthlyPrint(const QString& studentSql, const QString& lessonSql, const QDate& month,
                               const QDate& madeOn)
{
    try {
        const std::array<QString, 4> items = funcEvalItemNames();
        ReportRows students, rows;
        const QDate first(month.year(), month.month(), 1);
        if (!students.open(studentSql, {QStringLiteral("生徒番号"), QStringLiteral("生徒氏名")})
            || !rows.open(lessonSql, monthlyColumns())) {
            subCancel();   // the user has been told why
            return;
        }
        m_schoolInCell = true;
        MonthlyWriter writer(*this, rows, items, first, madeOn);
        std::vector<StudentMonth> months;
        std::vector<std::vector<LessonPage>> pages;
        long long pageCount = 0;
        for (int s = 0; s < students.count(); ++s) {
            months.push_back(writer.monthOf(students.at(s, 0)));
            pages.push_back(writer.pagesOf(months.back()));
            pageCount += static_cast<long long>(pages.back().size());
        }
        if (!funcReportFits(pageCount * kPageRows)) {
            subCancel();
            return;
        }

        ReportProgress progress(QStringLiteral("月間報告書を作成しています..."), students.count());
        const wb::Range pageRows = wb::Range::parse(QStringLiteral("1:%1").arg(kPageRows));
        auto& area = reportSheet().print().printArea;
        if (!area)
            area = wb::Range{1, 1, kPageRows, kLastCol};
        bool firstPage = true;
        for (int s = 0; s < students.count(); ++s) {
            const auto& studentPages = pages[static_cast<std::size_t>(s)];
            for (std::size_t p = 0; p < studentPages.size(); ++p) {
                const int top = firstPage ? 1 : subNewPage(pageRows);
                firstPage = false;
                writer.writePage(top, students.at(s, 0), students.at(s, 1), months[static_cast<std::size_t>(s)],
                                 studentPages[p], static_cast<int>(p), static_cast<int>(studentPages.size()));
            }
            progress.setValue(s + 1);
        }
    } catch (const std::exception& e) {
        subFault(e, QStringLiteral("ExcelOut - subMonthlyPrint"));
    }
}
