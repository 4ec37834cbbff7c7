#include "CommonBase.h"
#include "DaoCommon.h"
#include "Holidays.h"
#include "PlanningSchool.h"
#include "SchoolCalendar.h"

#include <QFile>
#include <QStringEncoder>

#include <QtTest>

class tst_Calendar : public QObject {
    Q_OBJECT
private slots:
    void holidaysAreTheReferenceTable();
    void skipReasons_data();
    void skipReasons();
    void closureInput_data();
    void closureInput();
    void governmentListIsComparedThenStored();
    void closureListsItsLessons();
};

namespace {
QDate day(const char* text)
{
    return funcTextDate(QString::fromUtf8(text));
}

SchoolDays testDays()
{
    QList<Closure> closures = SchoolCalendar::funcDefaultClosures();
    closures << Closure{3, QStringLiteral("臨時"), QStringLiteral("2026/03/25"), QStringLiteral("2026/03/27")};
    return SchoolDays(HolidayCalendar(), {QStringLiteral("海の日")}, closures);
}
} // namespace

void tst_Calendar::holidaysAreTheReferenceTable()
{
    QFile file(QStringLiteral(KAEDE_HOLIDAY_TABLE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QMap<QDate, QString> reference;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.startsWith(u'#') && !line.isEmpty())
            reference.insert(QDate::fromString(line.section(u'\t', 0, 0), Qt::ISODate), line.section(u'\t', 1));
    }
    QMap<QDate, QString> computed;
    const HolidayCalendar calendar;
    for (int year = 1970; year <= 2050; ++year)
        for (const Holiday& h : calendar.year(year)) {
            QCOMPARE(*calendar.name(h.date), h.name);
            computed.insert(h.date, h.name);
        }
    QCOMPARE(computed.keys(), reference.keys());
    for (auto it = reference.cbegin(); it != reference.cend(); ++it) {
        // The table names a substitute day after the one holiday or another of a
        // week with several (2009 and 2020 alike); ours names the Sunday's.
        if (it.value().endsWith(Holidays::kSubstitute))
            QVERIFY2(computed[it.key()].endsWith(Holidays::kSubstitute), qPrintable(it.key().toString()));
        else
            QCOMPARE(computed[it.key()], it.value());
    }
    QVERIFY(!calendar.provisional(Holidays::kFixedThrough));
    QVERIFY(calendar.provisional(Holidays::kFixedThrough + 1));
}

void tst_Calendar::skipReasons_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("fifthWeek");
    QTest::addColumn<QString>("reason");
    QTest::newRow("春分の日") << day("2026/03/20") << false << "祝日：春分の日";
    QTest::newRow("振替休日") << day("2026/05/06") << false << "祝日：憲法記念日 振替休日";
    QTest::newRow("国民の休日") << day("2026/09/22") << false << "祝日：休日";
    QTest::newRow("taught on") << day("2026/07/20") << false << "";
    QTest::newRow("お盆") << day("2026/08/16") << false << "休校：お盆";
    QTest::newRow("after お盆") << day("2026/08/17") << false << "";
    QTest::newRow("New Year, before") << day("2026/12/29") << false << "休校：年末年始";
    QTest::newRow("New Year, after") << day("2027/01/03") << false << "休校：年末年始";
    QTest::newRow("New Year, ended") << day("2027/01/04") << false << "";
    QTest::newRow("one range") << day("2026/03/26") << false << "休校：臨時";
    QTest::newRow("one range, next year") << day("2027/03/26") << false << "";
    QTest::newRow("5th week") << day("2026/10/29") << true << "第5週";
    QTest::newRow("4th week") << day("2026/10/28") << true << "";
    QTest::newRow("5th week not asked") << day("2026/10/29") << false << "";
}

void tst_Calendar::skipReasons()
{
    QFETCH(QDate, date);
    QFETCH(bool, fifthWeek);
    QFETCH(QString, reason);
    QCOMPARE(testDays().skipReason(date, SkipOptions{true, true, fifthWeek}).value_or(QString()), reason);
    QVERIFY(!testDays().skipReason(date, SkipOptions{false, false, false}));
}

void tst_Calendar::closureInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("problem");
    QTest::newRow("dates") << "春期講習'前" << "2026/03/20" << "2026/03/20" << "";
    QTest::newRow("yearly across New Year") << "年末%年始#" << "12/29" << "01/03" << "";
    QTest::newRow("leap day yearly") << "🎌ｺｳｷ" << "02/29" << "03/01" << "";
    QTest::newRow("no name") << " " << "08/13" << "08/16" << "休校日の名前を入力して下さい。";
    QTest::newRow("backwards") << "x" << "2026/08/16" << "2026/08/13" << "休校日の範囲指定に誤りがあります";
    QTest::newRow("mixed") << "x" << "2026/08/13" << "08/16" << kClosureFormatText;
    QTest::newRow("no day") << "x" << "13/45" << "13/46" << kClosureFormatText;
    QTest::newRow("full-width digits") << "x" << "０８/１３" << "０８/１６" << kClosureFormatText;
}

void tst_Calendar::closureInput()
{
    QFETCH(QString, name);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, problem);
    PlanningSchool school;
    const Closure closure{0, name, from, to};
    QCOMPARE(SchoolCalendar::funcClosureProblem(closure).value_or(QString()), problem);
    if (!problem.isEmpty())
        return;
    QVERIFY(SchoolCalendar::funcClosuresNeverSet());
    const int id = SchoolCalendar::funcSaveClosure(closure);
    QCOMPARE(SchoolCalendar::funcClosures(), (QList<Closure>{{id, name, from, to}}));
    SchoolCalendar::subDeleteClosure(id);
    QVERIFY(SchoolCalendar::funcClosures().isEmpty());
    QVERIFY(!SchoolCalendar::funcClosuresNeverSet());
}

void tst_Calendar::governmentListIsComparedThenStored()
{
    PlanningSchool school;
    const int year = Holidays::kFixedThrough + 1;
    QList<Holiday> list = Holidays::funcComputedYear(year);
    // The government moves 秋分の日 by a day and adds a day of its own.
    auto autumn = std::find_if(list.begin(), list.end(), [](const Holiday& h) { return h.name == QStringLiteral("秋分の日"); });
    const QDate computedAutumn = autumn->date;
    autumn->date = computedAutumn.addDays(1);
    list << Holiday{QDate(year, 6, 1), QStringLiteral("記念日")};
    QString csv = QStringLiteral("国民の祝日・休日月日,国民の祝日・休日名称\r\n");
    for (const Holiday& h : list)
        csv += h.date.toString(QStringLiteral("yyyy/M/d")) + u',' + h.name + QStringLiteral("\r\n");
    QStringEncoder cp932("windows-31j");
    const QByteArray bytes = cp932(csv);
    QString problem;
    const std::optional<QList<Holiday>> read = SchoolCalendar::funcReadHolidayCsv(bytes, &problem);
    QVERIFY2(read, qPrintable(problem));
    QCOMPARE(read->size(), list.size());
    QVERIFY(SchoolCalendar::funcHolidayCalendar().provisional(year));
    const QString d = funcDateText(computedAutumn);
    QCOMPARE(SchoolCalendar::funcHolidayDifferences(SchoolCalendar::funcHolidayCalendar(), *read),
             (QStringList{QStringLiteral("追加　%1/06/01 記念日").arg(year), QStringLiteral("削除　%1 秋分の日").arg(d),
                          QStringLiteral("追加　%1 秋分の日").arg(funcDateText(computedAutumn.addDays(1)))}));
    SchoolCalendar::subStoreHolidayList(*read);
    const HolidayCalendar stored = SchoolCalendar::funcHolidayCalendar();
    QVERIFY(!stored.provisional(year));
    QVERIFY(!stored.isHoliday(computedAutumn));
    QCOMPARE(*stored.name(QDate(year, 6, 1)), QStringLiteral("記念日"));
    QVERIFY(stored.isHoliday(QDate(year + 1, 1, 1)));   // the years after are still computed
    // Loading it again changes nothing; a file of another kind is refused.
    QVERIFY(SchoolCalendar::funcHolidayDifferences(stored, *read).isEmpty());
    QVERIFY(!SchoolCalendar::funcReadHolidayCsv("name,date\r\n2026/1/1,x", &problem));
    QVERIFY(!SchoolCalendar::funcReadHolidayCsv(cp932(QStringLiteral("国民の祝日・休日月日,国民の祝日・休日名称\r\n2026/13/1,元日")), &problem));
    QVERIFY(problem.contains(QStringLiteral("2 行目")));
}

void tst_Calendar::closureListsItsLessons()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID) VALUES"
                           " (1, '2026/08/12', 3, 1, 1, 1, 1), (2, '2026/08/13', 4, 1, 1, 1, 1), (3, '2026/08/13', 4, 2, 2, 2, 2),"
                           " (4, '2026/08/17', 1, 1, 1, 1, 1)"));
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題) VALUES"
                           " (2, 1, 0, 0, 0, 0, 0, '', 0), (2, 2, 0, 0, 0, 0, 0, '', 0), (3, 3, 0, 0, 0, 0, 0, 'よく', 0)"));
    const Closure obon{0, QStringLiteral("お盆"), QStringLiteral("08/13"), QStringLiteral("08/16")};
    const QList<ClosedLesson> lessons = SchoolCalendar::funcLessonsIn(obon, day("2026/04/01"));
    QCOMPARE(lessons.size(), 2);
    QCOMPARE(lessons[0].id, 2);
    QCOMPARE(lessons[0].caption, QStringLiteral("中1 数学 A 1限"));
    QCOMPARE(lessons[0].takers, (QStringList{QStringLiteral("青木"), QStringLiteral("伊藤")}));
    QVERIFY(!lessons[0].recorded);
    QVERIFY(lessons[1].recorded);
    // Another PC records attendance in lesson 2 after the list was shown: it is kept too.
    pf.execElsewhere(QStringLiteral("UPDATE 講座出席 SET 出席フラグ = 1 WHERE 毎講座ID = 2 AND 生徒番号 = 1"));
    QCOMPARE(SchoolCalendar::funcDeleteLessons({2, 3}, true), 0);
    QCOMPARE(SchoolCalendar::funcDeleteLessons({2, 3}, false), 2);
    QCOMPARE(pf.list(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴 ORDER BY 毎講座ID")), QStringLiteral("1,4"));
    QCOMPARE(pf.count(QStringLiteral("講座出席")), 0);
}

QTEST_MAIN(tst_Calendar)
#include "tst_Calendar.moc"
