#include "ClassStore.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "PlanningSchool.h"
#include "Term.h"

#include <QtTest>

class tst_Term : public QObject {
    Q_OBJECT
private slots:
    void termDates_data();
    void termDates();
    void storedAsPreviewedWithMembers();
    void storeMeetsAnotherPc();
    void classSaveMeetsAnotherPc();
    void classInput_data();
    void classInput();
};

namespace {
QDate day(const QString& text)
{
    return funcTextDate(text);
}

QString dates(const QList<QDate>& list)
{
    QStringList texts;
    for (const QDate& d : list)
        texts << d.toString(QStringLiteral("MM/dd"));
    return texts.join(u' ');
}

// Members of class 1: 青木 all along, 伊藤 until 4/15, 上田 from 4/16, 榎本 who leaves on 4/20.
void addMembers(ProgramFolder& pf)
{
    pf.exec(QStringLiteral("INSERT INTO クラス生徒 VALUES (1, 1, '2026/04/01', NULL), (1, 2, '2026/04/01', '2026/04/15'),"
                           " (1, 3, '2026/04/16', NULL), (1, 4, '2026/04/01', NULL)"));
    pf.exec(QStringLiteral("UPDATE 生徒台帳 SET 在籍状態 = 2, 状態日付 = '2026/04/20' WHERE 生徒番号 = 4"));
}
} // namespace

void tst_Term::termDates_data()
{
    QTest::addColumn<QList<int>>("weekdays");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("fifthWeek");
    QTest::addColumn<QString>("lessons");
    QTest::addColumn<QString>("skipped");
    QTest::newRow("holiday on a Monday") << QList<int>{1} << "2026/09/14" << "2026/09/28" << false << "09/14 09/28"
                                         << "09/21 祝日：敬老の日";
    QTest::newRow("振替休日") << QList<int>{3} << "2026/05/01" << "2026/05/13" << false << "05/13"
                          << "05/06 祝日：憲法記念日 振替休日";
    QTest::newRow("across New Year") << QList<int>{1, 4} << "2026/12/21" << "2027/01/14" << false
                                     << "12/21 12/24 12/28 01/04 01/07 01/14"
                                     << "12/31 休校：年末年始|01/11 祝日：成人の日";
    QTest::newRow("5th week") << QList<int>{4} << "2026/10/01" << "2026/10/31" << true << "10/01 10/08 10/15 10/22"
                              << "10/29 第5週";
    QTest::newRow("a holiday taught on") << QList<int>{1} << "2026/07/13" << "2026/07/20" << false << "07/13 07/20" << "";
    QTest::newRow("first after last") << QList<int>{1} << "2026/07/20" << "2026/07/13" << false << "" << "";
}

void tst_Term::termDates()
{
    QFETCH(QList<int>, weekdays);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(bool, fifthWeek);
    QFETCH(QString, lessons);
    QFETCH(QString, skipped);
    const SchoolDays days(HolidayCalendar(), {QStringLiteral("海の日")}, SchoolCalendar::funcDefaultClosures());
    QList<TermSkip> skips;
    QCOMPARE(dates(Term::funcDates(weekdays, day(first), day(last), SkipOptions{true, true, fifthWeek}, days, &skips)), lessons);
    QStringList texts;
    for (const TermSkip& s : skips)
        texts << s.date.toString(QStringLiteral("MM/dd ")) + s.reason;
    QCOMPARE(texts.join(u'|'), skipped);
}

void tst_Term::storedAsPreviewedWithMembers()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    addMembers(pf);
    pf.exec(QStringLiteral("INSERT INTO 通常クラス VALUES (2, 2, 2, 2, '3', 2, 1, 1, 8, 0, 0)"));
    pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日) VALUES (7, '2026/03/01')"));
    // 4/29 (昭和の日) is a Wednesday: class 2 skips it.
    const TermPlan plan = Term::funcPreview({1, 2}, day(QStringLiteral("2026/04/06")), day(QStringLiteral("2026/04/30")),
                                            SkipOptions{}, SchoolDays());
    QCOMPARE(plan.lessons.size(), 11);
    QCOMPARE(plan.skipped.size(), 1);
    QCOMPARE(plan.skipped[0].reason, QStringLiteral("祝日：昭和の日"));
    QCOMPARE(plan.skipped[0].classID, 2);
    // The days skipped by several classes come by date, whichever class skips them.
    SkipOptions fifth;
    fifth.fifthWeek = true;
    QStringList skips;
    for (const TermSkip& skip : Term::funcPreview({1, 2}, day(QStringLiteral("2026/04/27")), day(QStringLiteral("2026/04/30")), fifth,
                                                  SchoolDays())
                                    .skipped)
        skips << funcDateText(skip.date) + u'/' + QString::number(skip.classID);
    QCOMPARE(skips, QStringList({"2026/04/29/2", "2026/04/30/1"}));
    const Term::Stored stored = Term::funcStore(plan);
    QCOMPARE(stored.result, Term::Stored::Done);
    QCOMPARE(stored.lessonIDs.size(), plan.lessons.size());
    QCOMPARE(stored.lessonIDs.first(), 8);
    QCOMPARE(pf.count(QStringLiteral("毎講座履歴"), QStringLiteral("通常クラスID = 1")), 8);
    // Each lesson's takers are the members on its day; 受講人数 counts them.
    QCOMPARE(pf.rows(QStringLiteral("SELECT 講座日, 受講人数, (SELECT COUNT(*) FROM 講座出席 WHERE 講座出席.毎講座ID = 毎講座履歴.毎講座ID),"
                                    " 曜日ID, 時限ID, 定員数 FROM 毎講座履歴 WHERE 通常クラスID = 1 ORDER BY 講座日")),
             QStringLiteral("2026/04/06|3|3|1|1|10\n2026/04/09|3|3|4|1|10\n2026/04/13|3|3|1|1|10\n2026/04/16|3|3|4|1|10\n"
                            "2026/04/20|3|3|1|1|10\n2026/04/23|2|2|4|1|10\n2026/04/27|2|2|1|1|10\n2026/04/30|2|2|4|1|10"));
    QCOMPARE(pf.list(QStringLiteral("SELECT 生徒番号 FROM 講座出席 INNER JOIN 毎講座履歴 ON 毎講座履歴.毎講座ID = 講座出席.毎講座ID"
                                    " WHERE 講座日 = '2026/04/16' AND 通常クラスID = 1 ORDER BY 生徒番号")),
             QStringLiteral("1,3,4"));
    for (const TermLesson& l : plan.lessons)
        QCOMPARE(pf.scalar(QStringLiteral("SELECT 受講人数 FROM 毎講座履歴 WHERE 通常クラスID = %1 AND 講座日 = '%2'")
                               .arg(l.classID)
                               .arg(funcDateText(l.date))),
                 QString::number(l.takers));
    // Stopped midway: nothing of the term stays.
    pf.ui().cancelProgressAtStep = 3;
    QCOMPARE(Term::funcStore(plan).result, Term::Stored::Cancelled);
    QCOMPARE(pf.count(QStringLiteral("毎講座履歴")), 12);
}

void tst_Term::storeMeetsAnotherPc()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    addMembers(pf);
    const TermPlan plan = Term::funcPreview({1}, day(QStringLiteral("2026/04/06")), day(QStringLiteral("2026/04/30")),
                                            SkipOptions{}, SchoolDays());
    // Another PC saves the class (a member leaves) after the preview: nothing is stored.
    pf.execElsewhere(QStringLiteral("UPDATE 通常クラス SET 更新回数 = 更新回数 + 1 WHERE 通常クラスID = 1"));
    QCOMPARE(Term::funcStore(plan).result, Term::Stored::Changed);
    pf.execElsewhere(QStringLiteral("UPDATE 通常クラス SET 削除フラグ = 1 WHERE 通常クラスID = 1"));
    QCOMPARE(Term::funcStore(plan).result, Term::Stored::Changed);
    QCOMPARE(pf.count(QStringLiteral("毎講座履歴")), 0);
    QCOMPARE(pf.count(QStringLiteral("講座出席")), 0);
}

void tst_Term::classSaveMeetsAnotherPc()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    TsujoClass cls = *ClassStore::load(1);
    cls.weekdays = {2};
    const QList<ClassMember> members{{1, QStringLiteral("青木"), day(QStringLiteral("2026/04/01")), {}}};
    pf.execElsewhere(QStringLiteral("UPDATE 通常クラス SET 時限ID = 2, 更新回数 = 更新回数 + 1 WHERE 通常クラスID = 1"));
    pf.ui().answers = {MsgAnswer::No};
    QCOMPARE(ClassStore::save(cls, members), ClassStore::SaveResult::Declined);
    QCOMPARE(pf.ui().lastText(), kClassChangedText);
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 曜日 || '/' || 時限ID FROM 通常クラス")), QStringLiteral("1,4/2"));
    QCOMPARE(pf.count(QStringLiteral("クラス生徒")), 0);
    pf.ui().answers = {MsgAnswer::Yes};
    QCOMPARE(ClassStore::save(cls, members), ClassStore::SaveResult::Stored);
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 曜日 || '/' || 時限ID FROM 通常クラス")), QStringLiteral("2/1"));
    QCOMPARE(ClassStore::members(1), members);
    pf.execElsewhere(QStringLiteral("UPDATE 通常クラス SET 削除フラグ = 1"));
    QCOMPARE(ClassStore::save(cls, {}), ClassStore::SaveResult::Gone);
    QCOMPARE(pf.count(QStringLiteral("クラス生徒")), 1);
}

void tst_Term::classInput_data()
{
    QTest::addColumn<int>("gakunen");
    QTest::addColumn<QList<int>>("weekdays");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("problem");
    QTest::newRow("fine") << 1 << QList<int>{1, 4} << "2026/04/01" << "" << "";
    QTest::newRow("no grade") << 0 << QList<int>{1} << "2026/04/01" << "" << "学年を入力して下さい。";
    QTest::newRow("no weekday") << 1 << QList<int>{} << "2026/04/01" << "" << "曜日を必ず指定してください";
    QTest::newRow("no start") << 1 << QList<int>{1} << "" << "" << "青木 さんの開始日を入力して下さい。";
    QTest::newRow("ends first") << 1 << QList<int>{1} << "2026/04/01" << "2026/03/31" << "青木 さんの終了日が開始日より前です。";
}

void tst_Term::classInput()
{
    QFETCH(int, gakunen);
    QFETCH(QList<int>, weekdays);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, problem);
    PlanningSchool school;
    TsujoClass cls{0, gakunen, 1, 1, weekdays, 1, 0, 0, 0, 0};
    const QList<ClassMember> members{{1, QStringLiteral("青木"), day(from), day(to)}};
    QCOMPARE(ClassStore::funcProblem(cls, members).value_or(QString()), problem);
    if (!problem.isEmpty())
        return;
    int id = 0;
    QCOMPARE(ClassStore::save(cls, members, &id), ClassStore::SaveResult::Stored);
    QCOMPARE(id, 2);
    const QList<ClassLine> lines = ClassStore::lines(day(QStringLiteral("2026/05/01")));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[1].caption, QStringLiteral("中1 数学 A 月・木 1限"));
    QCOMPARE(lines[1].members, 1);
    ClassStore::remove(id);
    QCOMPARE(ClassStore::lines(QDate::currentDate()).size(), 1);
}

QTEST_MAIN(tst_Term)
#include "tst_Term.moc"
