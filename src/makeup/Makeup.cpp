#include "Makeup.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "MainCommon.h"
#include "UiServices.h"

#include <QHash>

#include <algorithm>

#include <limits>

namespace {
constexpr int kDueDays = 7;
constexpr int kNoSeatLimit = std::numeric_limits<int>::max();

// One row of a query's result, its columns by position.
struct Row {
    const QVariant* v;
    int toInt(int c) const { return v[c].toInt(); }
    QString text(int c) const { return v[c].toString(); }
    QDate date(int c) const { return funcTextDate(v[c].toString()); }
};

template <typename F>
void eachRow(const EngineRows& rows, F&& f)
{
    const int width = rows.columns.size();
    for (int r = 0; r < rows.count; ++r)
        f(Row{&rows.values[r * width]});
}

EngineRows query(const QString& sql, const std::vector<QVariant>& values = {}, Database& db = gDatabase)
{
    return db.engine().query(sql, values);
}

QString stamp(const QDateTime& now)
{
    return funcDateTimeText(now.isValid() ? now : QDateTime::currentDateTime());
}

const QString kCreditColumns =
    QStringLiteral("振替ID, 生徒番号, 欠席講座ID, 学年ID, 科目ID, 欠席日, 開始日, 期限, 状態, 振替講座ID");

MakeupCredit creditOf(const Row& row)
{
    MakeupCredit c;
    c.id = row.toInt(0);
    c.stuNo = row.toInt(1);
    c.absentKouzaID = row.toInt(2);
    c.gakunenID = row.toInt(3);
    c.kamokuID = row.toInt(4);
    c.absence = row.date(5);
    c.first = row.date(6);
    c.deadline = row.date(7);
    c.state = MakeupCredit::State(row.toInt(8));
    c.bookedKouzaID = row.toInt(9);
    return c;
}

QList<MakeupCredit> creditsWhere(const QString& where, const std::vector<QVariant>& values, Database& db = gDatabase)
{
    QList<MakeupCredit> list;
    eachRow(query(QStringLiteral("SELECT ") + kCreditColumns + QStringLiteral(" FROM 振替 WHERE ") + where, values, db),
            [&](const Row& row) { list << creditOf(row); });
    return list;
}

void addHistory(int creditID, MakeupCredit::State state, const QDateTime& now, Database& db = gDatabase)
{
    db.execute(QStringLiteral("INSERT INTO 振替履歴 (振替ID, 日時, 状態, 利用者) VALUES (?, ?, ?, '')"),
                      {creditID, stamp(now), int(state)});
}

// Moves the credit from one state to another; false when another PC moved it first.
bool changeState(int creditID, MakeupCredit::State from, MakeupCredit::State to, int bookedKouzaID, const QDateTime& now,
                 Database& db = gDatabase)
{
    if (db.execute(QStringLiteral("UPDATE 振替 SET 状態 = ?, 振替講座ID = ?, 更新回数 = 更新回数 + 1 WHERE 振替ID = ? AND 状態 = ?"),
                          {int(to), bookedKouzaID, creditID, int(from)})
        == 0)
        return false;
    addHistory(creditID, to, now, db);
    return true;
}

struct Lesson {
    QDate date;
    int gakunenID = 0;
    int kamokuID = 0;
    int regularClass = 0;
};

std::optional<Lesson> lesson(int kouzaID)
{
    const EngineRows rows =
        query(QStringLiteral("SELECT 講座日, 学年ID, 科目ID, 通常クラスID FROM 毎講座履歴 WHERE 毎講座ID = ?"), {kouzaID});
    if (rows.count == 0)
        return std::nullopt;
    const Row row{rows.values.constData()};
    return Lesson{row.date(0), row.toInt(1), row.toInt(2), row.toInt(3)};
}

int countCredits(const QString& where, const std::vector<QVariant>& values)
{
    return query(QStringLiteral("SELECT COUNT(*) FROM 振替 WHERE 状態 <> 4 AND ") + where, values).values.value(0).toInt();
}

// Whether the rules' caps leave room for one more credit of the student for an absence on the day.
bool withinCaps(const MakeupRules& rules, int stuNo, const QDate& day)
{
    const auto capped = [&](int cap, const QString& where, const std::vector<QVariant>& values) {
        return cap > 0 && countCredits(where, values) >= cap;
    };
    const QDate month(day.year(), day.month(), 1);
    const QDate year(day.year(), 1, 1);
    return !capped(rules.perMonth, QStringLiteral("生徒番号 = ? AND 欠席日 >= ? AND 欠席日 <= ?"),
                   {stuNo, funcDateText(month), funcDateText(month.addMonths(1).addDays(-1))})
        && !capped(rules.perYear, QStringLiteral("生徒番号 = ? AND 欠席日 >= ? AND 欠席日 <= ?"),
                   {stuNo, funcDateText(year), funcDateText(year.addYears(1).addDays(-1))})
        && !capped(rules.openAtOnce, QStringLiteral("生徒番号 = ? AND 状態 IN (0, 1)"), {stuNo});
}

void earnCredit(const MakeupRules& rules, int kouzaID, int stuNo, const Lesson& l, const QDateTime& now)
{
    if (Makeup::funcPaused(rules, l.date) || !withinCaps(rules, stuNo, l.date))
        return;
    if (countCredits(QStringLiteral("生徒番号 = ? AND 欠席講座ID = ?"), {stuNo, kouzaID}) > 0)
        return;   // one credit per missed lesson
    const auto [first, last] = Makeup::funcWindow(rules, l.date);
    const int id = funcGetMaxID(QStringLiteral("振替"), QStringLiteral("振替ID")) + 1;
    gDatabase.execute(QStringLiteral("INSERT INTO 振替 (") + kCreditColumns
                          + QStringLiteral(", 更新回数) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, 0, 0)"),
                      {id, stuNo, kouzaID, l.gakunenID, l.kamokuID, funcDateText(l.date), funcDateText(first), funcDateText(last)});
    addHistory(id, MakeupCredit::Open, now);
}

// The open credit earned by missing the lesson goes, with its history.
void removeOpen(int kouzaID, int stuNo)
{
    for (const MakeupCredit& c : creditsWhere(QStringLiteral("生徒番号 = ? AND 欠席講座ID = ? AND 状態 = 0"), {stuNo, kouzaID})) {
        gDatabase.execute(QStringLiteral("DELETE FROM 振替履歴 WHERE 振替ID = ?"), {c.id});
        gDatabase.execute(QStringLiteral("DELETE FROM 振替 WHERE 振替ID = ?"), {c.id});
    }
}

QString caption(const Row& row, int from)
{
    QStringList parts{row.text(from) + u'(' + row.text(from + 1) + u')'};
    for (int c = from + 2; c < from + 8; ++c)
        parts << row.text(c);
    parts.removeAll(QString());
    return parts.join(u' ');
}

// A lesson h with the names of its master entries. Joined directly, not through
// the view: a view on the right of a LEFT JOIN is read whole for every list.
const QString kCaptionColumns = QStringLiteral("h.講座日, w.曜日名, t.時限名, g.学年名, k.科目名, c.講座クラス名, te.講師名, r.教室名");
const QString kNameJoins = QStringLiteral(
    " LEFT JOIN マスタ曜日 w ON w.曜日ID = h.曜日ID LEFT JOIN マスタ時限 t ON t.時限ID = h.時限ID"
    " LEFT JOIN マスタ学年 g ON g.学年ID = h.学年ID LEFT JOIN マスタ科目 k ON k.科目ID = h.科目ID"
    " LEFT JOIN マスタ講座クラス c ON c.講座クラスID = h.講座クラスID LEFT JOIN マスタ講師 te ON te.講師ID = h.講師ID"
    " LEFT JOIN マスタ教室 r ON r.教室ID = h.教室ID");

QDate lastOfNextMonth(const QDate& day)
{
    const QDate next = QDate(day.year(), day.month(), 1).addMonths(2);
    return next.addDays(-1);
}
} // namespace

namespace Makeup {

QString funcStateName(MakeupCredit::State state)
{
    static const QStringList names{QStringLiteral("未振替"), QStringLiteral("予定"), QStringLiteral("済"), QStringLiteral("失効"),
                                   QStringLiteral("取消")};
    return names.value(int(state));
}

QString funcAttendanceText(int attendance)
{
    switch (attendance) {
    case kPresent: return QStringLiteral("○");
    case kAbsentWithNotice: return QStringLiteral("欠(連)");
    default: return QStringLiteral("欠");
    }
}

int funcAttendance(int presentFlag, int notice)
{
    if (presentFlag == 1)
        return kPresent;
    return notice == 1 ? kAbsentWithNotice : kAbsentNoNotice;
}

QList<std::pair<QString, MakeupRules>> funcPresets()
{
    MakeupRules twoWeeks;
    twoWeeks.unreported = true;
    MakeupRules months = twoWeeks;
    months.window = MakeupRules::ThisAndNextMonth;
    MakeupRules nextMonthEnd = twoWeeks;
    nextMonthEnd.window = MakeupRules::UntilEndOfNextMonth;
    MakeupRules twoAMonth = nextMonthEnd;
    twoAMonth.perMonth = 2;
    MakeupRules reportedOnly = twoWeeks;
    reportedOnly.unreported = false;
    return {{QStringLiteral("前後2週間以内"), twoWeeks},
            {QStringLiteral("当月・翌月中"), months},
            {QStringLiteral("翌月末まで"), nextMonthEnd},
            {QStringLiteral("月2回まで（翌月末まで）"), twoAMonth},
            {QStringLiteral("連絡のない欠席は対象外（前後2週間）"), reportedOnly}};
}

QString funcPausesText(const QList<std::pair<QDate, QDate>>& pauses)
{
    QStringList lines;
    for (const auto& [from, to] : pauses)
        lines << funcDateText(from) + u'-' + funcDateText(to);
    return lines.join(u'\n');
}

std::optional<QList<std::pair<QDate, QDate>>> funcPauses(const QString& text, QString* problem)
{
    QList<std::pair<QDate, QDate>> pauses;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const QStringList ends = line.split(u'-');
        const QDate from = ends.size() == 2 ? QDate::fromString(ends[0].trimmed(), QStringLiteral("yyyy/M/d")) : QDate();
        const QDate to = ends.size() == 2 ? QDate::fromString(ends[1].trimmed(), QStringLiteral("yyyy/M/d")) : QDate();
        if (!from.isValid() || !to.isValid() || to < from) {
            if (problem)
                *problem = QStringLiteral("休止期間「%1」は 2026/08/01-2026/08/31 のように開始日と終了日を入力して下さい。").arg(line.left(40));
            return std::nullopt;
        }
        pauses.append({from, to});
    }
    return pauses;
}

std::optional<QString> funcRulesProblem(const MakeupRules& rules)
{
    if (rules.window == MakeupRules::AroundAbsence && (rules.days < 1 || rules.days > 366))
        return QStringLiteral("振替できる期間の日数は1から366までの数を入力して下さい。");
    for (int cap : {rules.perMonth, rules.perYear, rules.openAtOnce})
        if (cap < 0 || cap > 999)
            return QStringLiteral("上限は0（上限なし）から999までの数を入力して下さい。");
    return std::nullopt;
}

MakeupRules loadRules()
{
    MakeupRules rules;
    const EngineRows rows = query(QStringLiteral("SELECT 期間種別, 前後日数, 月上限, 年上限, 同時上限, 無断欠席, 振替欠席, 通常のみ, 休止期間, 更新回数"
                                                 " FROM 振替ルール WHERE ルールID = 1"));
    if (rows.count == 0)
        return funcPresets().last().second;   // until the office chooses: reported absences, two weeks either side
    const Row row{rows.values.constData()};
    rules.window = MakeupRules::Window(std::clamp(row.toInt(0), 0, 2));
    rules.days = row.toInt(1);
    rules.perMonth = row.toInt(2);
    rules.perYear = row.toInt(3);
    rules.openAtOnce = row.toInt(4);
    rules.unreported = row.toInt(5) != 0;
    rules.missedMakeup = row.toInt(6) != 0;
    rules.regularOnly = row.toInt(7) != 0;
    rules.pauses = funcPauses(row.text(8), nullptr).value_or(QList<std::pair<QDate, QDate>>{});
    rules.version = row.v[9].toLongLong();
    return rules;
}

RulesSaved saveRules(const MakeupRules& rules)
{
    Transaction transaction;
    const std::vector<QVariant> values{int(rules.window), rules.days,           rules.perMonth,
                                       rules.perYear,      rules.openAtOnce,     int(rules.unreported),
                                       int(rules.missedMakeup), int(rules.regularOnly), funcPausesText(rules.pauses)};
    const QString set = QStringLiteral("UPDATE 振替ルール SET 期間種別 = ?, 前後日数 = ?, 月上限 = ?, 年上限 = ?, 同時上限 = ?, 無断欠席 = ?,"
                                       " 振替欠席 = ?, 通常のみ = ?, 休止期間 = ?, 更新回数 = 更新回数 + 1 WHERE ルールID = 1");
    const EngineRows stored = query(QStringLiteral("SELECT 更新回数 FROM 振替ルール WHERE ルールID = 1"));
    if (stored.count == 0) {
        if (rules.version != 0 && MsgBox(kMakeupRulesChangedText, MsgButtons::YesNo, MsgIcon::Question, kTitle) != MsgAnswer::Yes)
            return RulesSaved::Declined;
        std::vector<QVariant> row{1};
        row.insert(row.end(), values.begin(), values.end());
        gDatabase.execute(QStringLiteral("INSERT INTO 振替ルール (ルールID, 期間種別, 前後日数, 月上限, 年上限, 同時上限, 無断欠席, 振替欠席, 通常のみ,"
                                         " 休止期間, 更新回数) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"),
                          row);
    } else {
        if (stored.values.first().toLongLong() != rules.version
            && MsgBox(kMakeupRulesChangedText, MsgButtons::YesNo, MsgIcon::Question, kTitle) != MsgAnswer::Yes)
            return RulesSaved::Declined;
        gDatabase.execute(set, values);
    }
    transaction.commit();
    return RulesSaved::Stored;
}

std::pair<QDate, QDate> funcWindow(const MakeupRules& rules, const QDate& absence)
{
    switch (rules.window) {
    case MakeupRules::ThisAndNextMonth: return {QDate(absence.year(), absence.month(), 1), lastOfNextMonth(absence)};
    case MakeupRules::UntilEndOfNextMonth: return {absence, lastOfNextMonth(absence)};
    default: return {absence.addDays(-rules.days), absence.addDays(rules.days)};
    }
}

bool funcPaused(const MakeupRules& rules, const QDate& day)
{
    return std::any_of(rules.pauses.begin(), rules.pauses.end(),
                       [&](const auto& pause) { return day >= pause.first && day <= pause.second; });
}

void funcAttendanceStored(int kouzaID, int stuNo, std::optional<int> before, int after, const QDateTime& now)
{
    if (before == after)
        return;
    const std::optional<Lesson> l = lesson(kouzaID);
    if (!l)
        return;
    const MakeupRules rules = loadRules();
    const EngineRows booked = query(QStringLiteral("SELECT 振替ID FROM 講座出席 WHERE 毎講座ID = ? AND 生徒番号 = ? AND 振替ID > 0"),
                                    {kouzaID, stuNo});
    if (booked.count > 0) {
        const int creditID = booked.values.first().toInt();
        if (after == kPresent)
            changeState(creditID, MakeupCredit::Booked, MakeupCredit::Done, kouzaID, now);
        else if (before == kPresent)
            changeState(creditID, MakeupCredit::Done, MakeupCredit::Booked, kouzaID, now);
        if (!rules.missedMakeup)
            return;
    } else if (l->regularClass <= 0) {
        return;
    }
    const bool earns = after == kAbsentWithNotice || (after == kAbsentNoNotice && rules.unreported && before.has_value());
    if (earns) {
        earnCredit(rules, kouzaID, stuNo, *l, now);
        return;
    }
    // Back to present (or to an absence that earns nothing): an open credit goes; a booked one stays.
    removeOpen(kouzaID, stuNo);
}

std::optional<MakeupCredit> load(int creditID)
{
    const QList<MakeupCredit> list = creditsWhere(QStringLiteral("振替ID = ?"), {creditID});
    if (list.isEmpty())
        return std::nullopt;
    return list.first();
}

QList<MakeupCredit> credits(int stuNo)
{
    return creditsWhere(QStringLiteral("生徒番号 = ? ORDER BY 欠席日 DESC, 振替ID DESC"), {stuNo});
}

QSet<int> funcMakeupTakers(int kouzaID)
{
    QSet<int> students;
    eachRow(query(QStringLiteral("SELECT 生徒番号 FROM 講座出席 WHERE 毎講座ID = ? AND 振替ID > 0"), {kouzaID}),
            [&](const Row& row) { students.insert(row.toInt(0)); });
    return students;
}

std::optional<MakeupCredit> creditFor(int kouzaID, int stuNo)
{
    const QList<MakeupCredit> list =
        creditsWhere(QStringLiteral("生徒番号 = ? AND 欠席講座ID = ? AND 状態 <> 4 ORDER BY 振替ID DESC"), {stuNo, kouzaID});
    if (list.isEmpty())
        return std::nullopt;
    return list.first();
}

QList<MakeupHistoryLine> history(int creditID)
{
    QList<MakeupHistoryLine> lines;
    eachRow(query(QStringLiteral("SELECT 日時, 状態, 利用者 FROM 振替履歴 WHERE 振替ID = ? ORDER BY 日時, 状態"), {creditID}),
            [&](const Row& row) { lines << MakeupHistoryLine{row.text(0), MakeupCredit::State(row.toInt(1)), row.text(2)}; });
    return lines;
}

QList<MakeupOffer> bookingList(int creditID, const QDate& today)
{
    const std::optional<MakeupCredit> credit = load(creditID);
    if (!credit || credit->state != MakeupCredit::Open)
        return {};
    const MakeupRules rules = loadRules();
    const QDate first = std::max(credit->first, today);
    if (first > credit->deadline)
        return {};
    const QString regular = rules.regularOnly ? QStringLiteral(" AND h.通常クラスID > 0") : QString();
    const EngineRows rows = query(
        QStringLiteral("SELECT h.毎講座ID, h.定員数, ") + kCaptionColumns
            + QStringLiteral(", (SELECT COUNT(*) FROM 講座出席 a WHERE a.毎講座ID = h.毎講座ID AND a.振替ID IS NULL),"
                             " (SELECT COUNT(*) FROM 振替 f WHERE f.振替講座ID = h.毎講座ID AND f.状態 IN (1, 2))"
                             " FROM 毎講座履歴 h")
            + kNameJoins
            + QStringLiteral(" WHERE h.講座日 >= ? AND h.講座日 <= ? AND h.学年ID = ? AND h.科目ID = ? AND h.毎講座ID <> ?")
            + regular
            + QStringLiteral(" AND NOT EXISTS (SELECT 生徒番号 FROM 講座出席 s WHERE s.毎講座ID = h.毎講座ID AND s.生徒番号 = ?)"
                             " ORDER BY h.講座日, h.時限ID, h.毎講座ID"),
        {funcDateText(first), funcDateText(credit->deadline), credit->gakunenID, credit->kamokuID, credit->absentKouzaID,
         credit->stuNo});
    QList<MakeupOffer> offers;
    eachRow(rows, [&](const Row& row) {
        MakeupOffer offer;
        offer.kouzaID = row.toInt(0);
        offer.date = row.date(2);
        if (funcPaused(rules, offer.date))
            return;
        offer.caption = caption(row, 2);
        const int seats = row.toInt(1);
        offer.free = seats > 0 ? seats - row.toInt(10) - row.toInt(11) : kNoSeatLimit;
        offers << offer;
    });
    return offers;
}

Booked book(int creditID, int kouzaID, const QDateTime& now, Database& db)
{
    Transaction transaction(db);
    // The lesson's row locked: a second PC booking it waits here until this one is
    // done and then counts the seats anew. The file's write lock does so from BEGIN.
    const QString lock = db.isServer() ? QStringLiteral(" FOR UPDATE") : QString();
    const EngineRows lessonRows = query(QStringLiteral("SELECT 定員数 FROM 毎講座履歴 WHERE 毎講座ID = ?") + lock, {kouzaID}, db);
    const QList<MakeupCredit> credits = creditsWhere(QStringLiteral("振替ID = ?"), {creditID}, db);
    const std::optional<MakeupCredit> credit = credits.isEmpty() ? std::nullopt : std::optional(credits.first());
    if (lessonRows.count == 0 || !credit || credit->state != MakeupCredit::Open)
        return Booked::Changed;
    const int seats = lessonRows.values.first().toInt();
    if (seats > 0) {
        const int taken = query(QStringLiteral("SELECT COUNT(*) FROM 講座出席 WHERE 毎講座ID = ? AND 振替ID IS NULL"), {kouzaID}, db).values.first().toInt()
            + query(QStringLiteral("SELECT COUNT(*) FROM 振替 WHERE 振替講座ID = ? AND 状態 IN (1, 2)"), {kouzaID}, db).values.first().toInt();
        if (taken >= seats)
            return Booked::Full;
    }
    if (query(QStringLiteral("SELECT 生徒番号 FROM 講座出席 WHERE 毎講座ID = ? AND 生徒番号 = ?"), {kouzaID, credit->stuNo}, db).count > 0)
        return Booked::Changed;   // a taker of it already
    if (!changeState(creditID, MakeupCredit::Open, MakeupCredit::Booked, kouzaID, now, db))
        return Booked::Changed;
    db.execute(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時,"
                                     " 更新回数, 欠席連絡, 振替ID) VALUES (?, ?, 0, 0, 0, 0, 0, '', 0, ?, 0, 0, ?)"),
                      {kouzaID, credit->stuNo, funcDateText(now.isValid() ? now.date() : QDate::currentDate()), creditID});
    db.execute(QStringLiteral("UPDATE 毎講座履歴 SET 受講人数 = (SELECT COUNT(*) FROM 講座出席 WHERE 毎講座ID = ?) WHERE 毎講座ID = ?"),
                      {kouzaID, kouzaID});
    transaction.commit();
    return Booked::Done;
}

bool cancel(int creditID, const QDateTime& now)
{
    Transaction transaction;
    const std::optional<MakeupCredit> credit = load(creditID);
    if (!credit || (credit->state != MakeupCredit::Open && credit->state != MakeupCredit::Booked))
        return false;
    if (!changeState(creditID, credit->state, MakeupCredit::Cancelled, credit->bookedKouzaID, now))
        return false;
    if (credit->state == MakeupCredit::Booked) {
        gDatabase.execute(QStringLiteral("DELETE FROM 講座出席 WHERE 毎講座ID = ? AND 生徒番号 = ? AND 振替ID = ?"),
                          {credit->bookedKouzaID, credit->stuNo, creditID});
        gDatabase.execute(QStringLiteral("UPDATE 毎講座履歴 SET 受講人数 = (SELECT COUNT(*) FROM 講座出席 WHERE 毎講座ID = ?) WHERE 毎講座ID = ?"),
                          {credit->bookedKouzaID, credit->bookedKouzaID});
    }
    transaction.commit();
    return true;
}

void funcTakerRemoved(int kouzaID, int stuNo, const QDateTime& now)
{
    for (const MakeupCredit& c : creditsWhere(QStringLiteral("振替講座ID = ? AND 生徒番号 = ? AND 状態 = 1"), {kouzaID, stuNo}))
        changeState(c.id, MakeupCredit::Booked, MakeupCredit::Open, 0, now);
    removeOpen(kouzaID, stuNo);
}

void funcLessonDeleted(int kouzaID, const QDateTime& now)
{
    for (const MakeupCredit& c : creditsWhere(QStringLiteral("振替講座ID = ? AND 状態 = 1"), {kouzaID}))
        changeState(c.id, MakeupCredit::Booked, MakeupCredit::Open, 0, now);
    for (const MakeupCredit& c : creditsWhere(QStringLiteral("欠席講座ID = ? AND 状態 = 0"), {kouzaID}))
        changeState(c.id, MakeupCredit::Open, MakeupCredit::Cancelled, 0, now);
}

int expire(const QDate& today, const QDateTime& now)
{
    Transaction transaction;
    const QString due = funcDateText(today);
    gDatabase.execute(QStringLiteral("INSERT INTO 振替履歴 (振替ID, 日時, 状態, 利用者) SELECT 振替ID, ?, 3, '' FROM 振替 WHERE 状態 = 0 AND 期限 < ?"),
                      {stamp(now), due});
    const int expired = gDatabase.execute(
        QStringLiteral("UPDATE 振替 SET 状態 = 3, 更新回数 = 更新回数 + 1 WHERE 状態 = 0 AND 期限 < ?"), {due});
    transaction.commit();
    return expired;
}

// The credits with their student and the lesson booked (for a booked one) or
// missed; a lesson deleted since leaves its caption empty.
static QList<MakeupDue> duesWhere(const QString& where, const QString& order, const std::vector<QVariant>& values)
{
    QList<MakeupDue> list;
    eachRow(query(QStringLiteral("SELECT f.振替ID, f.生徒番号, f.欠席講座ID, f.学年ID, f.科目ID, f.欠席日, f.開始日, f.期限, f.状態, f.振替講座ID,"
                                 " s.生徒氏名, s.保護者電話, s.電話, ")
                      + kCaptionColumns
                      + QStringLiteral(" FROM (振替 f INNER JOIN 生徒台帳 s ON s.生徒番号 = f.生徒番号)"
                                       " LEFT JOIN 毎講座履歴 h ON h.毎講座ID = CASE WHEN f.状態 IN (1, 2) THEN f.振替講座ID ELSE f.欠席講座ID END")
                      + kNameJoins + QStringLiteral(" WHERE ")
                      + where + QStringLiteral(" ORDER BY ") + order,
                  values),
            [&](const Row& row) {
                const QString phone = row.text(11).isEmpty() ? row.text(12) : row.text(11);
                list << MakeupDue{creditOf(row), row.text(10), phone, row.text(13).isEmpty() ? QString() : caption(row, 13)};
            });
    return list;
}

QList<MakeupDue> dueList(const QDate& today)
{
    return duesWhere(QStringLiteral("s.削除フラグ = 0 AND ((f.状態 = 0 AND f.期限 >= ? AND f.期限 <= ?) OR (f.状態 = 1 AND h.講座日 >= ?))"),
                     QStringLiteral("CASE WHEN f.状態 = 1 THEN h.講座日 ELSE f.期限 END, s.氏名カナ, f.振替ID"),
                     {funcDateText(today), funcDateText(today.addDays(kDueDays)), funcDateText(today)});
}

QList<MakeupDue> studentList(int stuNo)
{
    return duesWhere(QStringLiteral("f.生徒番号 = ?"), QStringLiteral("f.欠席日 DESC, f.振替ID DESC"), {stuNo});
}

QList<MakeupOfMonth> monthList(const QList<int>& students, const QDate& from, const QDate& to)
{
    QList<MakeupOfMonth> list;
    if (students.isEmpty())
        return list;
    QStringList numbers;
    for (int n : students)
        numbers << QString::number(n);
    // The lesson missed may have been deleted since; its day is kept with the credit.
    // The lessons are joined to their masters directly: through the view a report
    // of hundreds of students waited on every lesson of the year.
    eachRow(query(QStringLiteral("SELECT f.生徒番号, f.状態, f.期限, f.欠席日, wa.曜日名, k.科目名, b.講座日, wb.曜日名, t.時限名"
                                 " FROM 振替 f LEFT JOIN 毎講座履歴 a ON a.毎講座ID = f.欠席講座ID"
                                 " LEFT JOIN マスタ曜日 wa ON wa.曜日ID = a.曜日ID"
                                 " LEFT JOIN マスタ科目 k ON k.科目ID = f.科目ID"
                                 " LEFT JOIN 毎講座履歴 b ON b.毎講座ID = f.振替講座ID AND f.状態 IN (1, 2)"
                                 " LEFT JOIN マスタ曜日 wb ON wb.曜日ID = b.曜日ID"
                                 " LEFT JOIN マスタ時限 t ON t.時限ID = b.時限ID"
                                 " WHERE f.状態 <> 4 AND f.生徒番号 IN (")
                      + numbers.join(u',')
                      + QStringLiteral(") AND ((f.欠席日 >= ? AND f.欠席日 <= ?) OR (b.講座日 >= ? AND b.講座日 <= ?))"
                                       " ORDER BY f.生徒番号, f.欠席日, f.振替ID"),
                  {funcDateText(from), funcDateText(to), funcDateText(from), funcDateText(to)}),
            [&](const Row& row) {
                const auto day = [&](int date, int weekday) {
                    const QString text = funcDateText(row.date(date)).mid(5);
                    return row.text(weekday).isEmpty() ? text : text + u'(' + row.text(weekday) + u')';
                };
                MakeupOfMonth m;
                m.stuNo = row.toInt(0);
                m.state = MakeupCredit::State(row.toInt(1));
                m.deadline = row.date(2);
                m.missed = (day(3, 4) + u' ' + row.text(5)).trimmed();
                if (!row.text(6).isEmpty())
                    m.heldOn = (day(6, 7) + u' ' + row.text(8)).trimmed();
                list << m;
            });
    return list;
}

QString funcMonthLine(const MakeupOfMonth& makeup)
{
    const QString missed = makeup.missed + QStringLiteral("の欠席 → ");
    switch (makeup.state) {
    case MakeupCredit::Booked: return missed + makeup.heldOn + QStringLiteral("に振替予定");
    case MakeupCredit::Done: return missed + makeup.heldOn + QStringLiteral("に振替済み");
    case MakeupCredit::Expired:
        return missed + QStringLiteral("振替の期限（") + funcDateText(makeup.deadline).mid(5) + QStringLiteral("）を過ぎました");
    default: return missed + QStringLiteral("振替できます（") + funcDateText(makeup.deadline).mid(5) + QStringLiteral("まで）");
    }
}

} // namespace Makeup
