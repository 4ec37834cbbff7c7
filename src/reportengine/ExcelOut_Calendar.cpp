// The course calendar: one page per month that has lessons, each day cell
// listing up to six lessons as one-line texts.

#include "ExcelOut.h"
#include "ReportCommon.h"
#include "ReportLayout.h"

#include "CommonBase.h"
#include "ErrorLog.h"
#include "MainCommon.h"
#include "SchoolCalendar.h"

#include <QDate>

#include <array>
#include <optional>
#include <vector>

namespace {

struct CalendarLesson {
    QString month;   // "yyyy/mm"
    int day = 0;
    QString text;
};

// Nothing when the statement could not be run (the user has been told).
std::optional<std::vector<CalendarLesson>> readLessons(const QString& sql)
{
    enum { Date, Period, Grade, Subject, Klass, Teacher, Room, Capacity, Attending };
    ReportRows rows;
    if (!rows.open(sql, {QStringLiteral("講座日"), QStringLiteral("時限名"), QStringLiteral("学年名"),
                         QStringLiteral("科目名"), QStringLiteral("講座クラス名"), QStringLiteral("講師名"),
                         QStringLiteral("教室名"), QStringLiteral("定員数"), QStringLiteral("受講人数")}))
        return std::nullopt;
    std::vector<CalendarLesson> lessons;
    lessons.reserve(static_cast<std::size_t>(rows.count()));
    for (int i = 0; i < rows.count(); ++i) {
        const QDate date = funcTextDate(rows.at(i, Date));
        if (!date.isValid())   // a lesson without a date has no day to stand on
            continue;
        lessons.push_back({date.toString(QStringLiteral("yyyy/MM")), date.day(),
                           QStringLiteral("【") + rows.at(i, Period) + QStringLiteral("】") + rows.at(i, Grade)
                               + rows.at(i, Subject) + rows.at(i, Klass) + QStringLiteral("(")
                               + rows.at(i, Teacher) + QStringLiteral(")") + QStringLiteral(" ")
                               + rows.at(i, Room) + QStringLiteral(" 定員：") + rows.at(i, Capacity)
                               + QStringLiteral(" 受講人数：") + rows.at(i, Attending)});
    }
    return lessons;
}

} // namespace

void ExcelOut::subKouzaCalenderPrint(const QString& sql, QString& jyoken)
{
    try {
        using namespace layout::calendar;
        const std::optional<std::vector<CalendarLesson>> read = readLessons(sql);
        if (!read) {
            subCancel();
            return;
        }
        const std::vector<CalendarLesson>& lessons = *read;
        if (lessons.empty())
            return;   // the form as the template lays it out

        std::vector<QString> months;
        for (std::size_t i = 0; i < lessons.size(); ++i)
            if (i == 0 || lessons[i].month != lessons[i - 1].month)
                months.push_back(lessons[i].month);
        const int pages = static_cast<int>(months.size());
        if (!funcReportFits(static_cast<long long>(pages) * kPageRows)) {
            subCancel();
            return;
        }

        if (jyoken.trimmed().isEmpty())
            jyoken = QStringLiteral("(作成条件無し)");
        const QString created = QStringLiteral("作成日:") + funcDateText(QDate::currentDate());

        ReportProgress progress(QStringLiteral("講座カレンダーを作成しています..."), pages);
        const SchoolDays schoolDays;
        const wb::Range pageRange = wb::Range::parse(QString::fromLatin1(kPageRange));
        auto& area = reportSheet().print().printArea;
        if (!area)
            area = wb::Range{1, 1, kPageRows, kLastCol};
        std::size_t next = 0;   // first lesson not yet placed
        int top = 1;            // first row of the page on the sheet being written
        for (int l = 1; l <= pages; ++l) {
            const QString& month = months[static_cast<std::size_t>(l - 1)];
            const short year = static_cast<short>(month.left(4).toInt());
            const short mon = static_cast<short>(month.mid(5, 2).toInt());

            setCell(top + kDateRow, kDateCol, created);
            setCell(top + kCaptionRow, kCaptionCol, jyoken);
            setCell(top + kTitleRow, kTitleCol,
                    QStringLiteral("【%1年%2月】").arg(year).arg(mon));

            // Day numbers, Monday to Sunday: the first week row from the first
            // day's weekday on, at most six week rows.
            std::array<std::pair<int, int>, 32> dayCell{};
            int col = QDate(year, mon, 1).dayOfWeek();   // Monday = 1 ... Sunday = 7
            int row = top + kFirstWeekRow;
            const int days = funcMonthDays(year, mon);
            for (int d = 1; d <= days; ++d) {
                if (col > kLastCol) {
                    col = 1;
                    row += kWeekRows;
                }
                // A holiday or closure is named beside its day number, in red.
                if (const QString mark = schoolDays.mark(QDate(year, mon, d)); mark.isEmpty()) {
                    setCell(row, col, static_cast<double>(d));
                } else {
                    setCell(row, col, QString::number(d) + u' ' + mark);
                    reportSheet().setFontColor(row, col, wb::kRed);
                }
                dayCell[static_cast<std::size_t>(d)] = {row, col};
                ++col;
            }

            // Lessons of the month, in row order: the first empty slot of their
            // day; a seventh and later lesson marks the sixth slot instead.
            for (; next < lessons.size() && lessons[next].month == month; ++next) {
                const auto [dayRow, dayCol] = dayCell[static_cast<std::size_t>(lessons[next].day)];
                bool placed = false;
                for (int s = 1; s <= kSlots && !placed; ++s) {
                    if (cellText(dayRow + s, dayCol).trimmed().isEmpty()) {
                        setCell(dayRow + s, dayCol, lessons[next].text);
                        placed = true;
                    }
                }
                if (!placed) {
                    setCell(dayRow + kSlots, dayCol, QStringLiteral("その他講座有り..."));
                    reportSheet().setFontColor(dayRow + kSlots, dayCol, wb::kRed);
                }
            }

            if (l < pages)
                top = subNewPage(pageRange);
            progress.setValue(l);
        }
    } catch (const std::exception& e) {
        subFault(e, QStringLiteral("ExcelOut - subKouzaCalenderPrint"));
    }
}
