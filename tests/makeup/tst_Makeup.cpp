#include "CommonBase.h"
#include "DaoCommon.h"
#include "Makeup.h"
#include "MonthlyReport.h"
#include "PlanningSchool.h"

#include <QtTest>

#include <future>

class tst_Makeup : public QObject {
    Q_OBJECT
private slots:
    void presets_data();
    void presets();
    void changedBackAndAttended();
    void generatedSchoolAddsUp();
    void lastSeatRace();
    void expiryTwiceAndDueList();
    void rulesMeetAnotherPc();
};

namespace {
QDate day(const char* text)
{
    return funcTextDate(QString::fromUtf8(text));
}

// A lesson of 中1 数学 of the regular class (1: class A, 2: class B), or of none (0: class B).
void addLesson(ProgramFolder& pf, int id, const QString& date, int regular = 1, int seats = 10)
{
    pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID, 定員数, 受講人数,"
                           " 更新回数, 通常クラスID) VALUES (%1, '%2', 1, 1, 1, 1, %3, 1, 1, %4, 0, 0, %5)")
                .arg(id)
                .arg(date)
                .arg(regular == 1 ? 1 : 2)
                .arg(seats)
                .arg(regular));
}

void addTaker(ProgramFolder& pf, int lesson, int stuNo, int attendance = kPresent)
{
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 欠席連絡, 更新回数) VALUES (%1, %2, %3, %4, 0)")
                .arg(lesson)
                .arg(stuNo)
                .arg(attendance == kPresent ? 1 : 0)
                .arg(attendance == kAbsentWithNotice ? 1 : 0));
}

// Records the attendance as the windows store it, and lets the credits follow.
void record(ProgramFolder& pf, int lesson, int stuNo, std::optional<int> before, int after)
{
    pf.exec(QStringLiteral("UPDATE 講座出席 SET 出席フラグ = %3, 欠席連絡 = %4 WHERE 毎講座ID = %1 AND 生徒番号 = %2")
                .arg(lesson)
                .arg(stuNo)
                .arg(after == kPresent ? 1 : 0)
                .arg(after == kAbsentWithNotice ? 1 : 0));
    Transaction transaction;
    Makeup::funcAttendanceStored(lesson, stuNo, before, after);
    transaction.commit();
}

void useRules(const MakeupRules& rules)
{
    QCOMPARE(Makeup::saveRules(rules), Makeup::RulesSaved::Stored);
}

QString states(ProgramFolder& pf, int stuNo)
{
    return pf.list(QStringLiteral("SELECT 状態 FROM 振替 WHERE 生徒番号 = %1 ORDER BY 振替ID").arg(stuNo));
}
} // namespace

void tst_Makeup::presets_data()
{
    QTest::addColumn<int>("preset");
    QTest::addColumn<int>("earlierAbsences");   // with notice, on 5/04 and 5/07, before the one on 5/11
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("makeupDay");
    QTest::addColumn<bool>("credit");
    QTest::addColumn<bool>("offered");
    const QList<std::pair<QString, MakeupRules>> presets = Makeup::funcPresets();
    QCOMPARE(presets.size(), 5);
    struct Case {
        const char* name;
        int earlier, before, after;
        const char* makeup;
        std::array<bool, 5> credit, offered;
    };
    // Presets: ±2 weeks, this and next month, until the end of next month, 2 a month, reported only.
    const Case cases[] = {
        {"inside every window", 0, kPresent, kAbsentWithNotice, "2026/05/21", {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}},
        {"day 15 after", 0, kPresent, kAbsentWithNotice, "2026/05/26", {1, 1, 1, 1, 1}, {0, 1, 1, 1, 0}},
        {"before the absence", 0, kPresent, kAbsentWithNotice, "2026/05/01", {1, 1, 1, 1, 1}, {1, 1, 0, 0, 1}},
        {"after next month", 0, kPresent, kAbsentWithNotice, "2026/07/01", {1, 1, 1, 1, 1}, {0, 0, 0, 0, 0}},
        {"third in a month", 2, kPresent, kAbsentWithNotice, "2026/05/21", {1, 1, 1, 0, 1}, {1, 1, 1, 0, 1}},
        {"unreported", 0, kPresent, kAbsentNoNotice, "2026/05/21", {1, 1, 1, 1, 0}, {1, 1, 1, 1, 0}},
    };
    for (int p = 0; p < 5; ++p)
        for (const Case& c : cases)
            QTest::addRow("%s: %s", qPrintable(presets[p].first), c.name)
                << p << c.earlier << c.before << c.after << QString::fromUtf8(c.makeup) << c.credit[p] << c.offered[p];
}

void tst_Makeup::presets()
{
    QFETCH(int, preset);
    QFETCH(int, earlierAbsences);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(QString, makeupDay);
    QFETCH(bool, credit);
    QFETCH(bool, offered);
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    useRules(Makeup::funcPresets()[preset].second);
    const QStringList earlier{QStringLiteral("2026/05/04"), QStringLiteral("2026/05/07")};
    for (int i = 0; i < earlierAbsences; ++i) {
        addLesson(pf, 20 + i, earlier[i]);
        addTaker(pf, 20 + i, 1);
        record(pf, 20 + i, 1, kPresent, kAbsentWithNotice);
    }
    addLesson(pf, 1, QStringLiteral("2026/05/11"));
    addTaker(pf, 1, 1, before);
    addLesson(pf, 2, makeupDay, 2);
    addLesson(pf, 3, makeupDay);   // the student's own class: a taker of it already
    addTaker(pf, 3, 1);
    record(pf, 1, 1, before, after);
    const std::optional<MakeupCredit> c = Makeup::creditFor(1, 1);
    QCOMPARE(c.has_value(), credit);
    QList<int> lessons;
    if (c)
        for (const MakeupOffer& offer : Makeup::bookingList(c->id, day("2026/04/01")))
            lessons << offer.kouzaID;
    QCOMPARE(lessons, offered ? QList<int>{2} : QList<int>{});
}

void tst_Makeup::changedBackAndAttended()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    useRules(Makeup::funcPresets()[0].second);
    addLesson(pf, 1, QStringLiteral("2026/05/11"));
    addLesson(pf, 2, QStringLiteral("2026/05/12"), 2, 2);
    addLesson(pf, 4, QStringLiteral("2026/05/12"), 2, 0);   // no seat limit
    addLesson(pf, 3, QStringLiteral("2026/05/13"), 2, 1);
    addLesson(pf, 5, QStringLiteral("2026/05/13"), 0);
    addTaker(pf, 1, 1);
    addTaker(pf, 1, 2);
    addTaker(pf, 3, 4);
    addTaker(pf, 5, 4);
    // A lesson of no regular class earns nothing, and is offered for none.
    record(pf, 5, 4, kPresent, kAbsentWithNotice);
    QCOMPARE(pf.count(QStringLiteral("振替")), 0);
    // Changed back: the open credit goes with its history.
    record(pf, 1, 1, kPresent, kAbsentWithNotice);
    record(pf, 1, 1, kAbsentWithNotice, kPresent);
    QCOMPARE(pf.count(QStringLiteral("振替")) + pf.count(QStringLiteral("振替履歴")), 0);

    record(pf, 1, 1, kPresent, kAbsentWithNotice);
    record(pf, 1, 2, kPresent, kAbsentWithNotice);
    const int first = Makeup::creditFor(1, 1)->id;
    const int second = Makeup::creditFor(1, 2)->id;
    // Free seats: 定員 − takers − booked make-ups; full ones are listed as such.
    QList<MakeupOffer> offers = Makeup::bookingList(first, day("2026/05/01"));
    QCOMPARE(offers.size(), 3);
    QCOMPARE(offers[0].caption, QStringLiteral("2026/05/12(月) 1限 中1 数学 B's 山田 101"));
    QCOMPARE(offers[0].free, 2);
    QVERIFY(!offers[1].full());
    QCOMPARE(offers[2].free, 0);
    QCOMPARE(Makeup::book(first, 3), Makeup::Booked::Full);
    QCOMPARE(Makeup::book(first, 2), Makeup::Booked::Done);
    QCOMPARE(Makeup::book(first, 2), Makeup::Booked::Changed);   // booked already
    QCOMPARE(Makeup::bookingList(second, day("2026/05/01"))[0].free, 1);
    QCOMPARE(pf.rows(QStringLiteral("SELECT 生徒番号, 振替ID FROM 講座出席 WHERE 毎講座ID = 2")), QStringLiteral("1|%1").arg(first));
    QCOMPARE(Makeup::funcMakeupTakers(2), QSet<int>{1});
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 受講人数 FROM 毎講座履歴 WHERE 毎講座ID = 2")), QStringLiteral("1"));
    // The booked credit stays when the absence is changed back.
    record(pf, 1, 1, kAbsentWithNotice, kPresent);
    QCOMPARE(Makeup::load(first)->state, MakeupCredit::Booked);
    // Attended: 済; the seat stays taken.
    record(pf, 2, 1, kAbsentNoNotice, kPresent);
    QCOMPARE(Makeup::load(first)->state, MakeupCredit::Done);
    // Unticked by mistake and ticked again: 予定, then 済 once more.
    record(pf, 2, 1, kPresent, kAbsentNoNotice);
    QCOMPARE(Makeup::load(first)->state, MakeupCredit::Booked);
    record(pf, 2, 1, kAbsentNoNotice, kPresent);
    QCOMPARE(Makeup::bookingList(second, day("2026/05/01"))[0].free, 1);
    QCOMPARE(Makeup::cancel(first), false);
    QCOMPARE(Makeup::history(first).size(), 5);
    // The monthly report lists the month's make-ups after the lessons; none in a month without any.
    const std::optional<monthly::Report> may = monthly::funcBuild({1, 2}, day("2026/05/01"), day("2026/05/31"));
    QStringList told;
    for (const monthly::Student& s : may->students) {
        told << s.pages.back().pieces.back().comment;
        QVERIFY(s.pages.front().pieces.front().facts && !s.pages.back().pieces.back().facts);
    }
    QCOMPARE(told, QStringList({QStringLiteral("【振替授業】\n05/11(月) 数学の欠席 → 05/12(月) 1限に振替済み"),
                                QStringLiteral("【振替授業】\n05/11(月) 数学の欠席 → 振替できます（05/25まで）")}));
    QVERIFY(Makeup::monthList({1, 2}, day("2026/06/01"), day("2026/06/30")).isEmpty());
    // Cancelled after booking: the seat is free again.
    QCOMPARE(Makeup::book(second, 2), Makeup::Booked::Done);
    QVERIFY(Makeup::cancel(second));
    QCOMPARE(Makeup::load(second)->state, MakeupCredit::Cancelled);
    QCOMPARE(pf.count(QStringLiteral("講座出席"), QStringLiteral("毎講座ID = 2")), 1);
    QCOMPARE(Makeup::bookingList(second, day("2026/05/01")).size(), 0);   // no longer open

    // A lesson deleted: the make-up booked into it is open again, a credit for missing it is cancelled.
    record(pf, 1, 4, std::nullopt, kAbsentWithNotice);
    const int third = Makeup::creditFor(1, 4)->id;
    record(pf, 1, 2, kPresent, kAbsentWithNotice);   // earned again: the cancelled one does not count
    const int fourth = Makeup::creditFor(1, 2)->id;
    QVERIFY(fourth != second);
    QCOMPARE(Makeup::book(fourth, 4), Makeup::Booked::Done);
    {
        // Unticked in the panel: the credit is open again before the row goes.
        Transaction t;
        Makeup::funcTakerRemoved(4, 2);
        t.commit();
    }
    pf.exec(QStringLiteral("DELETE FROM 講座出席 WHERE 毎講座ID = 4 AND 生徒番号 = 2"));
    QCOMPARE(Makeup::load(fourth)->state, MakeupCredit::Open);
    QCOMPARE(Makeup::book(fourth, 4), Makeup::Booked::Done);
    Transaction transaction;
    Makeup::funcLessonDeleted(4);
    Makeup::funcLessonDeleted(1);
    transaction.commit();
    QCOMPARE(Makeup::load(fourth)->state, MakeupCredit::Cancelled);   // open again, then its own lesson went
    QCOMPARE(Makeup::load(third)->state, MakeupCredit::Cancelled);
    QCOMPARE(Makeup::load(first)->state, MakeupCredit::Done);
}

// 200 students over three months: every credit earned is in exactly one state.
void tst_Makeup::generatedSchoolAddsUp()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    MakeupRules rules = Makeup::funcPresets()[2].second;
    rules.unreported = false;
    useRules(rules);
    constexpr int kStudents = 200;
    for (int s = 5; s <= kStudents; ++s)
        pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (%1, 'ｾｲﾄ', '生徒%1', 0)").arg(s));
    const QStringList days{QStringLiteral("2026/04/13"), QStringLiteral("2026/05/11"), QStringLiteral("2026/06/08")};
    for (int l = 0; l < days.size(); ++l) {
        addLesson(pf, l + 1, days[l], 1, 0);
        addLesson(pf, l + 11, funcDateText(funcTextDate(days[l]).addDays(3)), 2, 0);
        QStringList rows;
        for (int s = 1; s <= kStudents; ++s)
            rows << QStringLiteral("(%1, %2, 1, 0, 0)").arg(l + 1).arg(s);
        pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 欠席連絡, 更新回数) VALUES ") + rows.join(u','));
    }
    QHash<int, int> expected;
    for (int s = 1; s <= kStudents; ++s)
        for (int l = 0; l < days.size(); ++l)
            if ((s + l) % 3 == 0) {
                record(pf, l + 1, s, kPresent, s % 7 == 0 ? kAbsentNoNotice : kAbsentWithNotice);
                expected[s] += s % 7 == 0 ? 0 : 1;
            }
    // Some are booked, some of those attended, some cancelled; the rest expire in July.
    for (int s = 1; s <= kStudents; ++s) {
        const QList<MakeupCredit> credits = Makeup::credits(s);
        for (const MakeupCredit& c : credits) {
            const int makeup = c.absentKouzaID + 10;
            if (s % 5 == 0) {
                QCOMPARE(Makeup::book(c.id, makeup), Makeup::Booked::Done);
                if (s % 2 == 0)
                    record(pf, makeup, s, std::nullopt, kPresent);
            } else if (s % 5 == 1) {
                QVERIFY(Makeup::cancel(c.id));
            }
        }
    }
    QVERIFY(Makeup::expire(day("2026/07/01")) > 0);
    for (int s = 1; s <= kStudents; ++s) {
        const QList<MakeupCredit> credits = Makeup::credits(s);
        QCOMPARE(credits.size(), expected.value(s));
        std::array<int, 5> byState{};
        for (const MakeupCredit& c : credits)
            ++byState[c.state];
        QCOMPARE(byState[0] + byState[1] + byState[2] + byState[3] + byState[4], expected.value(s));
        const int n = expected.value(s);
        // Only June's credits may still be open (their window ends in July).
        const std::array<int, 5> want = s % 5 == 0 ? std::array<int, 5>{0, s % 2 ? n : 0, s % 2 ? 0 : n, 0, 0}
            : s % 5 == 1                           ? std::array<int, 5>{0, 0, 0, 0, n}
                                                   : std::array<int, 5>{byState[0], 0, 0, n - byState[0], 0};
        QCOMPARE(byState, want);
        QVERIFY(byState[0] <= 1);
    }
}

// Two PCs book the last seat at once, a hundred times: exactly one of them gets it.
void tst_Makeup::lastSeatRace()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    addLesson(pf, 1, QStringLiteral("2026/05/11"));
    addLesson(pf, 2, QStringLiteral("2026/05/12"), 2, 2);
    addTaker(pf, 1, 1);
    addTaker(pf, 1, 2);
    addTaker(pf, 2, 3);   // one seat left
    record(pf, 1, 1, kPresent, kAbsentWithNotice);
    record(pf, 1, 2, kPresent, kAbsentWithNotice);
    const int mine = Makeup::creditFor(1, 1)->id;
    const int theirs = Makeup::creditFor(1, 2)->id;
    Database& elsewhere = pf.elsewhere();
    for (int run = 0; run < 100; ++run) {
        std::promise<void> go;
        std::shared_future<void> start = go.get_future().share();
        auto other = std::async(std::launch::async, [&] {
            start.wait();
            return Makeup::book(theirs, 2, {}, elsewhere);
        });
        go.set_value();
        const Makeup::Booked here = Makeup::book(mine, 2);
        const Makeup::Booked there = other.get();
        QVERIFY2((here == Makeup::Booked::Done) != (there == Makeup::Booked::Done), qPrintable(QString::number(run)));
        QCOMPARE(here == Makeup::Booked::Done ? there : here, Makeup::Booked::Full);
        // The loser wrote nothing: one make-up taker, one credit booked.
        QCOMPARE(pf.count(QStringLiteral("講座出席"), QStringLiteral("毎講座ID = 2")), 2);
        QCOMPARE(pf.count(QStringLiteral("振替"), QStringLiteral("状態 = 1")), 1);
        QVERIFY(Makeup::cancel(here == Makeup::Booked::Done ? mine : theirs));
        pf.exec(QStringLiteral("UPDATE 振替 SET 状態 = 0, 振替講座ID = 0"));
    }
    // Cancelled on another PC meanwhile: booking or cancelling it here writes nothing.
    pf.execElsewhere(QStringLiteral("UPDATE 振替 SET 状態 = 4 WHERE 振替ID = %1").arg(mine));
    QCOMPARE(Makeup::book(mine, 2), Makeup::Booked::Changed);
    QVERIFY(!Makeup::cancel(mine));
    QCOMPARE(pf.count(QStringLiteral("講座出席"), QStringLiteral("毎講座ID = 2")), 1);
}

void tst_Makeup::expiryTwiceAndDueList()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    useRules(Makeup::funcPresets()[0].second);
    pf.exec(QStringLiteral("UPDATE 生徒台帳 SET 保護者電話 = '090-1111-2222', 生徒氏名 = 'O''Brien %*#ｶﾅ😀' WHERE 生徒番号 = 1"));
    pf.exec(QStringLiteral("UPDATE 生徒台帳 SET 電話 = '03-3333-4444' WHERE 生徒番号 = 2"));
    addLesson(pf, 1, QStringLiteral("2026/05/11"));
    addLesson(pf, 2, QStringLiteral("2026/05/18"));
    addLesson(pf, 3, QStringLiteral("2026/05/20"), 2);
    for (int s : {1, 2}) {
        addTaker(pf, 1, s);
        addTaker(pf, 2, s);
    }
    record(pf, 1, 1, kPresent, kAbsentWithNotice);   // until 5/25
    record(pf, 2, 2, kPresent, kAbsentWithNotice);   // until 6/01
    record(pf, 1, 2, kPresent, kAbsentWithNotice);   // until 5/25, booked on 5/20
    QCOMPARE(Makeup::book(Makeup::creditFor(1, 2)->id, 3), Makeup::Booked::Done);

    const auto due = [](const char* today) {
        QStringList lines;
        for (const MakeupDue& d : Makeup::dueList(day(today)))
            lines << QStringLiteral("%1 %2 %3 %4 %5").arg(d.stuName, d.guardianPhone, Makeup::funcStateName(d.credit.state),
                                                           funcDateText(d.credit.deadline), d.lesson.left(10));
        return lines.join(u'\n');
    };
    QCOMPARE(due("2026/05/18"), QStringLiteral("伊藤 03-3333-4444 予定 2026/05/25 2026/05/20\n"
                                               "O'Brien %*#ｶﾅ😀 090-1111-2222 未振替 2026/05/25 2026/05/11"));
    QCOMPARE(due("2026/05/26"), QStringLiteral("伊藤 03-3333-4444 未振替 2026/06/01 2026/05/18"));

    const QDateTime at(day("2026/05/26"), QTime(9, 0));
    QCOMPARE(Makeup::expire(day("2026/05/25"), at), 0);   // the last day still counts
    QCOMPARE(Makeup::expire(day("2026/05/26"), at), 1);
    const QString after = pf.rows(QStringLiteral("SELECT * FROM 振替 ORDER BY 振替ID")) + pf.rows(QStringLiteral("SELECT * FROM 振替履歴 ORDER BY 振替ID, 日時"));
    QCOMPARE(Makeup::expire(day("2026/05/26"), at.addSecs(60)), 0);
    QCOMPARE(pf.rows(QStringLiteral("SELECT * FROM 振替 ORDER BY 振替ID")) + pf.rows(QStringLiteral("SELECT * FROM 振替履歴 ORDER BY 振替ID, 日時")), after);
    QCOMPARE(states(pf, 1), QStringLiteral("3"));
    const QList<MakeupHistoryLine> history = Makeup::history(Makeup::creditFor(1, 1)->id);
    QCOMPARE(history.size(), 2);
    const auto expired = std::find_if(history.begin(), history.end(),
                                      [](const MakeupHistoryLine& line) { return line.state == MakeupCredit::Expired; });
    QVERIFY(expired != history.end());
    QCOMPARE(expired->when, QStringLiteral("2026/05/26 09:00:00"));
}

void tst_Makeup::rulesMeetAnotherPc()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    MakeupRules rules = Makeup::loadRules();
    QCOMPARE(rules, Makeup::funcPresets().last().second);   // nothing stored yet
    rules.perMonth = 3;
    QString problem;
    rules.pauses = *Makeup::funcPauses(QStringLiteral("2026/8/1-2026/08/31\n\n 2026/12/25 - 2027/01/07 "), &problem);
    useRules(rules);
    QCOMPARE(Makeup::loadRules(), rules);
    QVERIFY(Makeup::funcPaused(rules, day("2027/01/07")));
    QVERIFY(!Makeup::funcPaused(rules, day("2027/01/08")));
    QVERIFY(!Makeup::funcPauses(QStringLiteral("2026/08/31-2026/08/01"), &problem));
    QVERIFY(problem.contains(QStringLiteral("休止期間")));
    QVERIFY(Makeup::funcRulesProblem(MakeupRules{.days = 0}));

    // Another PC changed them since they were read: asked; いいえ keeps that PC's.
    rules = Makeup::loadRules();
    pf.execElsewhere(QStringLiteral("UPDATE 振替ルール SET 月上限 = 9, 更新回数 = 更新回数 + 1"));
    rules.perYear = 20;
    pf.ui().answers.push_back(MsgAnswer::No);
    QCOMPARE(Makeup::saveRules(rules), Makeup::RulesSaved::Declined);
    QCOMPARE(Makeup::loadRules().perMonth, 9);
    QCOMPARE(pf.ui().lastText(), kMakeupRulesChangedText);
    pf.ui().answers.push_back(MsgAnswer::Yes);
    QCOMPARE(Makeup::saveRules(rules), Makeup::RulesSaved::Stored);
    QCOMPARE(Makeup::loadRules().perYear, 20);
    QCOMPARE(Makeup::loadRules().perMonth, 3);
}

QTEST_MAIN(tst_Makeup)
#include "tst_Makeup.moc"
