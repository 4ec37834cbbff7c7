#include "MonthlyReport.h"

#include "CommonBase.h"
#include "Enrolment.h"
#include "ExcelOut.h"
#include "Makeup.h"
#include "SchoolSettings.h"
#include "SchoolYear.h"
#include "clsDataCtl.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>

namespace monthly {

namespace {

enum LessonColumn { StudentNo, Date, Weekday, Period, Subject, Klass, Attend, Homework, Item1, Item2, Item3, Item4, Comment };

const QStringList& lessonColumns()
{
    static const QStringList columns{
        QStringLiteral("生徒番号"), QStringLiteral("講座日"), QStringLiteral("曜日名"), QStringLiteral("時限名"),
        QStringLiteral("科目名"), QStringLiteral("講座クラス名"), QStringLiteral("出席○"), QStringLiteral("宿題○"),
        QStringLiteral("項目1"), QStringLiteral("項目2"), QStringLiteral("項目3"), QStringLiteral("項目4"),
        QStringLiteral("コメント")};
    return columns;
}

enum StudentColumn { Number, Name, Guardian, Birth, Correction, ManualGrade, ManualYear };

const QStringList& studentColumns()
{
    static const QStringList columns{QStringLiteral("生徒番号"), QStringLiteral("生徒氏名"), QStringLiteral("保護者氏名"),
                                     QStringLiteral("生年月日"), QStringLiteral("学年補正"), QStringLiteral("手動学年"),
                                     QStringLiteral("手動学年度")};
    return columns;
}

const QString kCircle = QStringLiteral("○");
const QString kNone = QStringLiteral("—");
const QString kContinued = QStringLiteral("（続き）");
const QString kMakeupHead = QStringLiteral("【振替授業】");
constexpr double kLineHeightPt = kLessonFontPt * 1.28;

// Width of a character in half-width characters: ASCII and half-width kana count
// one, everything else two (as the text prints in a fixed-pitch Japanese font).
int halfWidth(QChar c)
{
    if (c.isLowSurrogate())
        return 0;
    const char16_t u = c.unicode();
    return u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F) ? 1 : 2;
}

// Where the lines of a text wrapped at a width begin, at most maxLines of them.
struct Wrapped {
    std::vector<qsizetype> starts{0};
    qsizetype end = 0;   // where the text the lines hold ends
    int lines() const { return static_cast<int>(starts.size()); }
};

Wrapped wrapText(QStringView text, int widthPx, int maxLines = std::numeric_limits<int>::max())
{
    const double halfPx = kLessonFontPt * 4.0 / 3.0 / 2.0;
    const int perLine = std::max(1, static_cast<int>((widthPx - 8) / halfPx));
    Wrapped w;
    int used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool newline = text[i] == u'\n';
        const int width = newline ? 0 : halfWidth(text[i]);
        if (newline || used + width > perLine) {
            if (w.lines() == maxLines) {
                w.end = newline ? i + 1 : i;
                return w;
            }
            w.starts.push_back(newline ? i + 1 : i);
            used = 0;
        }
        used += width;
    }
    w.end = text.size();
    return w;
}

double factsHeight(const Lesson& l, const ColumnWidths& widths)
{
    int lines = 1;
    for (const auto& [col, text] : {std::pair{kPeriodCol, &l.period}, {kSubjectCol, &l.subject}, {kClassCol, &l.klass}})
        lines = std::max(lines, wrapText(*text, widths[col]).lines());
    return std::max(kLessonRowPt, lines * kLineHeightPt + 4);
}

// A lesson without a comment has no comment row.
double commentHeight(const QString& comment, int widthPx)
{
    return comment.isEmpty() ? 0 : wrapText(comment, widthPx).lines() * kLineHeightPt + 4;
}

// The month's lessons split into pages: as many as the lesson table holds at the
// heights they need; at least one page, which may be empty. A lesson whose
// comment is taller than a page fills the rest of the page, and its comment goes
// on over the next pages. The make-ups follow the lessons as a text of their own.
std::vector<Page> pagesOf(const std::vector<Lesson>& lessons, const std::vector<QString>& comments,
                          const QString& makeups, int commentPx)
{
    std::vector<Page> pages(1);
    double used = 0;
    const auto roomFor = [&](double h) {
        Page& last = pages.back();
        if (!last.pieces.empty()
            && (static_cast<int>(last.pieces.size()) == kLessonRows || used + h > kLessonTablePt)) {
            pages.emplace_back();
            used = 0;
        }
    };
    // A lesson (index; -1 for the make-ups) with its comment, split when it does not fit a page.
    const auto place = [&](int index, QString comment) {
        const bool hasFacts = index >= 0;
        const double facts = hasFacts ? lessons[static_cast<std::size_t>(index)].factsPt : 0;
        const double whole = facts + commentHeight(comment, commentPx);
        if (whole <= kLessonTablePt) {
            roomFor(whole);
            pages.back().pieces.push_back({std::max(index, 0), hasFacts, comment, commentHeight(comment, commentPx)});
            used += whole;
            return;
        }
        for (bool first = true; !comment.isEmpty(); first = false) {
            const double above = first ? facts : 0;
            roomFor(above + kLineHeightPt + 4);
            const int lines = std::max(1, static_cast<int>((kLessonTablePt - used - above - 4) / kLineHeightPt));
            const QString text = first ? comment : kContinued + comment;
            const qsizetype end = std::max(wrapText(text, commentPx, lines).end, (first ? 0 : kContinued.size()) + 1);
            QString part = text.left(end);
            if (part.endsWith(u'\n'))
                part.chop(1);
            const double height = commentHeight(part, commentPx);
            used += above + height;
            pages.back().pieces.push_back({std::max(index, 0), first && hasFacts, part, height});
            comment = text.mid(end);
        }
    };
    for (std::size_t i = 0; i < lessons.size(); ++i)
        place(static_cast<int>(i), comments[i]);
    if (!makeups.isEmpty())
        place(-1, makeups);
    // The rows left over share what remains of the table's height, at least a
    // plain lesson's height each; an empty month takes one row for its notice.
    for (Page& page : pages) {
        double left = kLessonTablePt;
        for (const Piece& p : page.pieces)
            left -= p.commentPt + (p.facts ? lessons[static_cast<std::size_t>(p.lesson)].factsPt : 0);
        const int taken = std::max<int>(static_cast<int>(page.pieces.size()), 1);
        if (page.pieces.empty())
            left -= kLessonRowPt;
        const int shown = std::clamp(static_cast<int>(left / kLessonRowPt), 0, kLessonRows - taken);
        page.spareRowsPt.assign(static_cast<std::size_t>(shown), shown ? left / shown : 0);
    }
    return pages;
}

// The rows of the students' lessons in the six months up to the report's day.
QString lessonSql(const QString& numbers, const QDate& from, const QDate& to)
{
    return QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE 生徒番号 IN (") + numbers
           + QStringLiteral(") AND 講座日 >= #") + funcDateText(from) + QStringLiteral("# AND 講座日 <= #")
           + funcDateText(to) + QStringLiteral("# ORDER BY 生徒番号,講座日,時限ID");
}

// Whole months from the day's month to this report's month.
int monthsBefore(const QString& date, const QDate& month)
{
    const int y = QStringView(date).left(4).toInt(), mo = QStringView(date).mid(5, 2).toInt();
    return (month.year() - y) * 12 + month.month() - mo;
}

} // namespace

int funcColumnPx(double characters)
{
    return characters < 1 ? static_cast<int>(characters * 12 + 0.5) : static_cast<int>(characters * 7 + 0.5) + 5;
}

ColumnWidths funcStandardWidths()
{
    ColumnWidths widths{};
    for (int c = 1; c <= kLastCol; ++c)
        widths[static_cast<std::size_t>(c)] = funcColumnPx(kColumnWidths[c - 1]);
    return widths;
}

int Report::pageCount() const
{
    int pages = 0;
    for (const Student& s : students)
        pages += static_cast<int>(s.pages.size());
    return pages;
}

QString Report::title() const
{
    return QStringLiteral("%1年%2月").arg(month.year()).arg(month.month());
}

QString Report::madeText(int page, int pages) const
{
    QString made = QStringLiteral("作成日 ") + funcDateText(madeOn);
    if (pages > 1)
        made += QStringLiteral("　%1/%2枚").arg(page + 1).arg(pages);
    return made;
}

int Report::widthPx(int firstCol, int lastCol) const
{
    int px = 0;
    for (int c = firstCol; c <= lastCol; ++c)
        px += widths[static_cast<std::size_t>(c)];
    return px;
}

QString funcLessonCell(const Report& report, const Lesson& lesson, int col)
{
    switch (col) {
    case kDateCol: return lesson.date;
    case kWeekdayCol: return lesson.weekday;
    case kPeriodCol: return lesson.period;
    case kSubjectCol: return lesson.subject;
    case kClassCol: return lesson.klass;
    case kAttendCol: return lesson.attended ? kCircle : QStringLiteral("欠");
    case kHomeworkCol: return lesson.homework ? kCircle : QStringLiteral("×");
    default: break;
    }
    const int k = col - kFirstMarkCol;
    if (k < 0 || k >= 4 || report.items[static_cast<std::size_t>(k)].isEmpty())
        return {};
    const std::optional<double> mark = lesson.marks[static_cast<std::size_t>(k)];
    return mark ? QString::number(*mark) : kNone;
}

QString funcMeanArrow(std::optional<double> now, std::optional<double> before)
{
    if (!now || !before)
        return {};
    const long long a = std::llround(*now * 10), b = std::llround(*before * 10);
    return a > b ? QStringLiteral("↑") : a < b ? QStringLiteral("↓") : QStringLiteral("→");
}

QStringList funcWrapLines(QStringView text, int widthPx)
{
    const Wrapped w = wrapText(text, widthPx);
    QStringList lines;
    for (int i = 0; i < w.lines(); ++i) {
        const qsizetype start = w.starts[static_cast<std::size_t>(i)];
        qsizetype end = i + 1 < w.lines() ? w.starts[static_cast<std::size_t>(i) + 1] : text.size();
        if (end > start && text[end - 1] == u'\n')
            --end;
        lines << text.mid(start, end - start).toString();
    }
    return lines;
}

std::optional<Report> funcBuild(const QList<int>& numbers, const QDate& month, const QDate& madeOn,
                                const ColumnWidths& widths)
{
    Report report;
    report.month = QDate(month.year(), month.month(), 1);
    report.madeOn = madeOn;
    // The name kept in the settings wins; an office that typed it into the template keeps that.
    report.school = SchoolSettings::funcSchoolName();
    if (report.school.isEmpty())
        report.school = funcTemplateSchoolName();
    report.items = funcEvalItemNames();
    report.widths = widths;
    for (std::size_t k = 0; k < report.items.size(); ++k) {
        if (report.items[k].isEmpty())
            report.widths[static_cast<std::size_t>(kFirstMarkCol) + k] = 0;   // an item without a name has no column
        else
            report.named.push_back(static_cast<int>(k));
    }
    const QDate from = report.month.addMonths(1 - kChartMonths);
    const QDate to = std::min(report.month.addMonths(1).addDays(-1), madeOn);
    for (int i = 0; i < kChartMonths; ++i)
        report.chartMonths[static_cast<std::size_t>(i)] = QStringLiteral("%1月").arg(from.addMonths(i).month());
    if (numbers.isEmpty())
        return report;

    QStringList list;
    for (int n : numbers)
        list << QString::number(n);
    const QString in = list.join(u',');
    ReportRows students, rows;
    if (!students.open(QStringLiteral(" SELECT * FROM 生徒台帳 WHERE 削除フラグ = 0 AND 生徒番号 IN (") + in
                           + QStringLiteral(") ORDER BY 生徒番号"),
                       studentColumns())
        || !rows.open(lessonSql(in, from, to), lessonColumns()))
        return std::nullopt;   // the user has been told why

    // Each student's make-ups as the text printed after the lessons.
    QHash<int, QString> makeupsOf;
    for (const MakeupOfMonth& m : Makeup::monthList(numbers, report.month, report.month.addMonths(1).addDays(-1))) {
        QString& text = makeupsOf[m.stuNo];
        text += (text.isEmpty() ? kMakeupHead : QString()) + u'\n' + Makeup::funcMonthLine(m);
    }
    QHash<QString, std::vector<int>> rowsOf;
    for (int r = 0; r < rows.count(); ++r)
        rowsOf[rows.at(r, StudentNo)].push_back(r);
    const int schoolYear = SchoolYear::funcSchoolYear(report.month, SchoolYear::funcYearStart());
    const int commentPx = report.widthPx(1, kLastCol);
    const QString fromText = funcDateText(from), toText = funcDateText(to);
    report.students.reserve(static_cast<std::size_t>(students.count()));
    for (int s = 0; s < students.count(); ++s) {
        Student st;
        st.number = students.at(s, Number).toInt();
        st.name = students.at(s, Name);
        const QString guardian = students.at(s, Guardian).trimmed();
        if (!guardian.isEmpty())
            st.addressee = guardian + QStringLiteral(" 様");
        st.grade = SchoolYear::funcGradeName(SchoolYear::funcStudentGrade(
            {funcTextDate(students.at(s, Birth)), students.at(s, Correction).toInt(), students.at(s, ManualGrade),
             students.at(s, ManualYear).toInt()},
            schoolYear));
        std::vector<QString> comments;
        for (const int r : rowsOf.value(students.at(s, Number))) {
            const QString date = funcReportDate(rows.at(r, Date));
            if (date < fromText || date > toText)
                continue;
            const int index = kChartMonths - 1 - monthsBefore(date, report.month);
            if (index < 0 || index >= kChartMonths)
                continue;
            std::array<std::optional<double>, 4> marks;
            for (int k : report.named) {
                marks[static_cast<std::size_t>(k)] = funcMark(rows.at(r, static_cast<LessonColumn>(Item1 + k)));
                if (marks[static_cast<std::size_t>(k)])
                    st.means[static_cast<std::size_t>(index)].add(k, *marks[static_cast<std::size_t>(k)]);
            }
            if (index != kChartMonths - 1)
                continue;
            Lesson l{date.size() == 10 ? date.mid(5) : date, rows.at(r, Weekday), rows.at(r, Period), rows.at(r, Subject),
                     rows.at(r, Klass), rows.at(r, Attend) == kCircle, rows.at(r, Homework) == kCircle, marks};
            l.factsPt = factsHeight(l, report.widths);
            st.attended += l.attended ? 1 : 0;
            st.homework += l.homework ? 1 : 0;
            st.lessons.push_back(std::move(l));
            comments.push_back(rows.at(r, Comment).trimmed());
        }
        st.pages = pagesOf(st.lessons, comments, makeupsOf.value(st.number), commentPx);
        report.students.push_back(std::move(st));
    }
    return report;
}

std::optional<QList<int>> funcStudentsOfMonth(const QDate& month)
{
    clsDataCtl rows;
    QList<int> numbers;
    const QString sql = QStringLiteral(" SELECT 生徒番号 FROM 生徒台帳 WHERE 削除フラグ = 0 AND ")
                        + Enrolment::funcTakesLessonOnSql(QDate(month.year(), month.month(), 1))
                        + QStringLiteral(" ORDER BY 生徒番号");
    if (!rows.funcOpenRec(sql))
        return std::nullopt;
    for (int i = 0; i < rows.propCount(); ++i) {
        rows.setPropID(i);
        numbers << rows.propData(QStringLiteral("生徒番号")).toInt();
    }
    return numbers;
}

} // namespace monthly
