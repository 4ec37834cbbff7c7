// Make-up lessons (振替): an absence from a lesson of a regular class earns a
// credit the office books into another lesson of the same subject and grade
// within the school's rules, and tracks until it is attended, expires or is
// cancelled. No widgets.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class Database;
extern Database gDatabase;
#include <utility>

// The attendance of a taker as the windows show it. 出席フラグ keeps 1 for
// present; 欠席連絡 tells the two absences apart (a row stored before it existed
// reads as 連絡なし).
enum Attendance { kAbsentNoNotice = 0, kPresent = 1, kAbsentWithNotice = 2 };

struct MakeupRules {
    enum Window { AroundAbsence = 0, ThisAndNextMonth = 1, UntilEndOfNextMonth = 2 };
    Window window = AroundAbsence;
    int days = 14;          // ±days, for AroundAbsence
    int perMonth = 0;       // credits earned per month of absence, 0: no cap
    int perYear = 0;        // per calendar year
    int openAtOnce = 0;     // credits not yet used up (未振替, 予定) at once
    bool unreported = false;      // an absence nobody reported earns a credit
    bool missedMakeup = false;    // a make-up missed earns another
    bool regularOnly = true;      // booked only into lessons of regular classes
    QList<std::pair<QDate, QDate>> pauses;   // no credits earned and no make-ups held
    qint64 version = 0;   // 更新回数 as read

    bool operator==(const MakeupRules& other) const
    {
        return window == other.window && days == other.days && perMonth == other.perMonth && perYear == other.perYear
            && openAtOnce == other.openAtOnce && unreported == other.unreported && missedMakeup == other.missedMakeup
            && regularOnly == other.regularOnly && pauses == other.pauses;
    }
};

struct MakeupCredit {
    enum State { Open = 0, Booked = 1, Done = 2, Expired = 3, Cancelled = 4 };
    int id = 0;   // 振替ID
    int stuNo = 0;
    int absentKouzaID = 0;
    int gakunenID = 0;
    int kamokuID = 0;
    QDate absence;
    QDate first;      // the window
    QDate deadline;
    State state = Open;
    int bookedKouzaID = 0;
};

struct MakeupOffer {
    int kouzaID = 0;
    QDate date;
    QString caption;   // "2026/04/08(水) 2限 中2 数学 A 山田 101"
    int free = 0;      // seats left; no seat limit: a large number
    bool full() const { return free <= 0; }
};

struct MakeupHistoryLine {
    QString when;   // yyyy/mm/dd hh:nn:ss
    MakeupCredit::State state = MakeupCredit::Open;
    QString user;
};

// A make-up as the monthly report tells the family about it.
struct MakeupOfMonth {
    int stuNo = 0;
    MakeupCredit::State state = MakeupCredit::Open;
    QString missed;   // "11/04(火) 数学"
    QString heldOn;   // "11/12(木) 2限"; "" when not booked
    QDate deadline;
};

struct MakeupDue {
    MakeupCredit credit;
    QString stuName;
    QString guardianPhone;   // 保護者電話, else the student's 電話
    QString lesson;          // the lesson booked or attended, else the one missed; "" when deleted
};

namespace Makeup {
QString funcStateName(MakeupCredit::State state);
QString funcAttendanceText(int attendance);   // ○ / 欠(連) / 欠
int funcAttendance(int presentFlag, int notice);

// The rule sets offered to start from, with their names.
QList<std::pair<QString, MakeupRules>> funcPresets();
// Pause periods as written in the rules window, one a line "yyyy/mm/dd-yyyy/mm/dd".
QString funcPausesText(const QList<std::pair<QDate, QDate>>& pauses);
// nullopt, with *problem set, when a line is no period.
std::optional<QList<std::pair<QDate, QDate>>> funcPauses(const QString& text, QString* problem);
std::optional<QString> funcRulesProblem(const MakeupRules& rules);

MakeupRules loadRules();
enum class RulesSaved { Stored, Declined };
// Asks before overwriting rules another PC stored since they were read.
RulesSaved saveRules(const MakeupRules& rules);

// The days a make-up for an absence on the day may be held on.
std::pair<QDate, QDate> funcWindow(const MakeupRules& rules, const QDate& absence);
bool funcPaused(const MakeupRules& rules, const QDate& day);

// Within the caller's transaction, after a taker's attendance was stored: an
// absence from a regular class's lesson earns a credit (within the rules' caps),
// a change back removes a credit not yet booked, a booked make-up attended is 済.
// before: the attendance as read (nullopt for a new taker).
void funcAttendanceStored(int kouzaID, int stuNo, std::optional<int> before, int after, const QDateTime& now = {});

std::optional<MakeupCredit> load(int creditID);
// The student's credits, the latest absence first.
QList<MakeupCredit> credits(int stuNo);
// The students who take the lesson as a make-up.
QSet<int> funcMakeupTakers(int kouzaID);

// The open credit earned by missing the lesson, if any.
std::optional<MakeupCredit> creditFor(int kouzaID, int stuNo);
QList<MakeupHistoryLine> history(int creditID);

// The lessons the credit may be booked into from today on, by date and period.
QList<MakeupOffer> bookingList(int creditID, const QDate& today);

enum class Booked { Done, Full, Changed };
// Makes the student a taker of the lesson marked 振替 and the credit 予定, in
// one transaction. Full when the last seat went meanwhile, Changed when the
// credit is no longer open or the lesson is gone; then nothing is written.
Booked book(int creditID, int kouzaID, const QDateTime& now = {}, Database& db = gDatabase);
// The credit becomes 取消; a booked lesson loses the make-up taker. False when
// the credit is already used up.
bool cancel(int creditID, const QDateTime& now = {});

// Within the caller's transaction, before a taker's row is removed: a make-up
// booked there is open again, and an open credit for missing the lesson goes.
void funcTakerRemoved(int kouzaID, int stuNo, const QDateTime& now = {});

// Within the caller's transaction, before a lesson is deleted: make-ups booked
// into it are open again, and open credits earned by missing it are cancelled.
void funcLessonDeleted(int kouzaID, const QDateTime& now = {});

// Open credits past their window become 失効. Running it again changes nothing.
int expire(const QDate& today, const QDateTime& now = {});
// Booked credits and open ones whose window ends within 7 days of today, the
// soonest first.
QList<MakeupDue> dueList(const QDate& today);
// Every credit of the student, the latest absence first.
QList<MakeupDue> studentList(int stuNo);

// The students' make-ups of the days from..to: credits for an absence on those
// days and make-ups held on them, cancelled ones left out; by student and absence.
QList<MakeupOfMonth> monthList(const QList<int>& students, const QDate& from, const QDate& to);
// "11/04(火) 数学の欠席 → 11/12(木) 2限に振替済み" and the like.
QString funcMonthLine(const MakeupOfMonth& makeup);
} // namespace Makeup

inline const QString kMakeupMark = QStringLiteral("　振");
inline const QString kMakeupFullText = QStringLiteral("満席になりました。別の講座を選んでください。");
inline const QString kMakeupChangedText = QStringLiteral("この振替は他のパソコンで変更されました。一覧を開き直してください。");
inline const QString kMakeupRulesChangedText =
    QStringLiteral("他のパソコンで振替のルールが変更されています。上書きしますか？");
