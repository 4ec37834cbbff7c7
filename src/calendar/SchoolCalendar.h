// The school's days off: the national holidays it does not teach on and its own
// closures (休校日), read from the database, and why a day has no lesson.
#pragma once

#include "Holidays.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// A closure: a range of one year ("2026/03/20") or of every year ("08/13").
struct Closure {
    int id = 0;
    QString name;
    QString from;
    QString to;
    bool operator==(const Closure&) const = default;
    bool yearly() const { return from.size() == 5; }
    // True when the day falls in the range (a yearly range may cross New Year).
    bool covers(const QDate& day) const;
};

// What a term or a bulk registration leaves out.
struct SkipOptions {
    bool holidays = true;     // national holidays the school does not teach on
    bool closures = true;
    bool fifthWeek = false;   // days 29 to 31, the 5th of their weekday in the month
};

inline const QString kClosureFormatText =
    QStringLiteral("休校日の開始日と終了日は「2026/03/20」のような日付か、毎年なら「08/13」のような月日で入力して下さい。");

namespace SchoolCalendar {
// The holidays with the government's list where the office loaded it.
HolidayCalendar funcHolidayCalendar();
// The holidays the school teaches on, by name.
QSet<QString> funcTeachingHolidays();
void subSetTeaching(const QString& holidayName, bool teaching);

// The closures not deleted, by start.
QList<Closure> funcClosures();
// nullopt with the reason (kClosureFormatText and the like) when the range is no range.
std::optional<QString> funcClosureProblem(const Closure& closure);
// Adds or (id != 0) rewrites a closure; returns its ID.
int funcSaveClosure(const Closure& closure);
enum class ClosureWrite { Stored, Changed, Gone };
// Rewrites the closure read as asRead. Changed when another PC changed it since,
// Gone when it deleted it; then nothing is written.
ClosureWrite funcUpdateClosure(const Closure& closure, const Closure& asRead);
void subDeleteClosure(int id);
// True until the office has stored or been offered closures once (the table is empty).
bool funcClosuresNeverSet();
// お盆 and 年末年始 as every school has them.
QList<Closure> funcDefaultClosures();

// The government's holiday CSV (code page 932 or UTF-8, 「国民の祝日・休日月日,
// 国民の祝日・休日名称」). nullopt with *problem set when it is not that list.
std::optional<QList<Holiday>> funcReadHolidayCsv(const QByteArray& bytes, QString* problem);
// What storing the list would change, a line a day ("2027/09/23 秋分の日 → 2027/09/22 …").
QStringList funcHolidayDifferences(const HolidayCalendar& now, const QList<Holiday>& loaded);
// Replaces the stored years the list holds with it.
void subStoreHolidayList(const QList<Holiday>& loaded);
} // namespace SchoolCalendar

// A lesson on a day the school closes.
struct ClosedLesson {
    int id = 0;   // 毎講座ID
    QDate date;
    QString caption;   // "中2 数学 A 2限"
    QStringList takers;
    bool recorded = false;   // a taker's row holds attendance, marks or a comment
};

namespace SchoolCalendar {
// The lessons the closure falls on (a yearly one from today on), by date and period.
QList<ClosedLesson> funcLessonsIn(const Closure& closure, const QDate& today);
// Deletes the lessons with their attendance rows in one transaction; with keepRecorded
// a lesson whose rows hold something recorded (now, not as listed) stays. Returns the number deleted.
int funcDeleteLessons(const QList<int>& ids, bool keepRecorded);
} // namespace SchoolCalendar

// The days of a term looked up quickly: built once, asked for every date.
class SchoolDays {
public:
    SchoolDays();   // reads the calendar from the database
    SchoolDays(HolidayCalendar holidays, QSet<QString> teaching, QList<Closure> closures);
    // Why there is no lesson on the day ("祝日：春分の日", "休校：お盆", "第5週"), nullopt when there is one.
    std::optional<QString> skipReason(const QDate& day, const SkipOptions& options) const;
    // What the calendar shows on the day: the holiday's or closure's name, "" otherwise.
    QString mark(const QDate& day) const;
    const HolidayCalendar& holidays() const { return m_holidays; }

private:
    HolidayCalendar m_holidays;
    QSet<QString> m_teaching;
    QList<Closure> m_closures;
};
