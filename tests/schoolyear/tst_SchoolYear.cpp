#include "CommonBase.h"
#include "Enrolment.h"
#include "ProgramFolder.h"
#include "SchoolYear.h"
#include "YearChange.h"

#include <QFile>

#include <memory>

#include <QtTest>

class tst_SchoolYear : public QObject {
    Q_OBJECT
private slots:
    void gradeOfStudent_data();
    void gradeOfStudent();
    void yearStartIsKeptInTheProgramFolder();
    void gradesMapToTheMasterByName();
    void lessonsAfterTheStateDateAreNotOffered();
    void yearChangePreviewCommitAndUndo();
    void yearChangeMeetsAnotherPc();

private:
    std::unique_ptr<ProgramFolder> m_register;   // the student search's condition, over every row above
};

void tst_SchoolYear::gradeOfStudent_data()
{
    QTest::addColumn<QString>("birth");
    QTest::addColumn<int>("correction");
    QTest::addColumn<QString>("manual");   // "中２@2023": chosen by hand in that school year
    QTest::addColumn<QString>("today");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("grade");
    // 4月1日 belongs with the year before, in leap and other years alike.
    QTest::newRow("4/1, 2011") << "2011/04/01" << 0 << "" << "2024/04/10" << "4/1" << "中2";
    QTest::newRow("4/2, 2011") << "2011/04/02" << 0 << "" << "2024/04/10" << "4/1" << "中1";
    QTest::newRow("4/1, leap 2012") << "2012/04/01" << 0 << "" << "2024/04/01" << "4/1" << "中1";
    QTest::newRow("4/2, leap 2012") << "2012/04/02" << 0 << "" << "2024/04/01" << "4/1" << "小6";
    QTest::newRow("2/29") << "2012/02/29" << 0 << "" << "2024/04/01" << "4/1" << "中1";
    QTest::newRow("12/31") << "2011/12/31" << 0 << "" << "2024/04/01" << "4/1" << "中1";
    QTest::newRow("the day before the start") << "2012/04/02" << 0 << "" << "2024/03/31" << "4/1" << "小5";
    // A March start moves everyone up on 3月1日; the cohorts stay the law's.
    QTest::newRow("March start, on it") << "2012/04/02" << 0 << "" << "2025/03/01" << "3/1" << "中1";
    QTest::newRow("March start, before") << "2012/04/02" << 0 << "" << "2025/02/28" << "3/1" << "小6";
    QTest::newRow("March start, leap day") << "2013/04/01" << 0 << "" << "2024/02/29" << "3/1" << "小5";
    QTest::newRow("March start, 4/1 born") << "2013/04/01" << 0 << "" << "2024/03/01" << "3/1" << "小6";
    QTest::newRow("youngest") << "2021/04/01" << 0 << "" << "2024/04/01" << "4/1" << "年少";
    QTest::newRow("too young") << "2021/04/02" << 0 << "" << "2024/04/01" << "4/1" << "";
    QTest::newRow("年長") << "2018/04/02" << 0 << "" << "2024/04/01" << "4/1" << "年長";
    QTest::newRow("高3") << "2006/04/02" << 0 << "" << "2024/04/01" << "4/1" << "高3";
    QTest::newRow("past 高3") << "1990/01/01" << 0 << "" << "2024/04/01" << "4/1" << "既卒";
    QTest::newRow("held back") << "2011/04/02" << -1 << "" << "2024/04/10" << "4/1" << "小6";
    QTest::newRow("moved up") << "2011/04/02" << 1 << "" << "2024/04/10" << "4/1" << "中2";
    QTest::newRow("by hand, a year on") << "" << 0 << "中２@2023" << "2024/04/10" << "4/1" << "中3";
    QTest::newRow("by hand, not the birth date's") << "2011/04/02" << 0 << "高1@2024" << "2024/04/10" << "4/1" << "中1";
    QTest::newRow("by hand, past 既卒") << "" << 0 << "高3@2020" << "2024/04/10" << "4/1" << "既卒";
    QTest::newRow("nothing known") << "" << 0 << "" << "2024/04/10" << "4/1" << "";
}

void tst_SchoolYear::gradeOfStudent()
{
    QFETCH(QString, birth);
    QFETCH(int, correction);
    QFETCH(QString, manual);
    QFETCH(QString, today);
    QFETCH(QString, start);
    QFETCH(QString, grade);
    const QStringList md = start.split(u'/');
    const int year = SchoolYear::funcSchoolYear(funcTextDate(today), YearStart{md[0].toInt(), md[1].toInt()});
    const QStringList chosen = manual.split(u'@');
    const SchoolYear::GradeBasis basis{funcTextDate(birth), correction, chosen.value(0), chosen.value(1).toInt()};
    const std::optional<int> got = SchoolYear::funcStudentGrade(basis, year);
    QCOMPARE(SchoolYear::funcGradeName(got), grade);
    if (got)
        QCOMPARE(SchoolYear::funcGradeNumber(grade), got);

    // The student search finds the student under that grade and no other.
    if (!m_register)
        m_register = std::make_unique<ProgramFolder>();
    m_register->exec(QStringLiteral("DELETE FROM 生徒台帳"));
    m_register->exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 生年月日, 学年補正, 手動学年, 手動学年度, 削除フラグ)"
                                    " VALUES (1, %1, %2, %3, %4, 0)")
                         .arg(birth.isEmpty() ? QStringLiteral("NULL") : u'\'' + birth + u'\'')
                         .arg(correction)
                         .arg(manual.isEmpty() ? QStringLiteral("NULL") : u'\'' + chosen[0] + u'\'',
                              manual.isEmpty() ? QStringLiteral("NULL") : chosen[1]));
    QStringList found;
    for (int g = SchoolYear::kYoungest; g <= SchoolYear::kGraduated; ++g)
        if (m_register->count(QStringLiteral("生徒台帳"), SchoolYear::funcGradeCondition(g, year)) > 0)
            found << SchoolYear::funcGradeName(g);
    QCOMPARE(found.join(u','), grade);
}

void tst_SchoolYear::yearStartIsKeptInTheProgramFolder()
{
    ProgramFolder pf(false);
    QCOMPARE(SchoolYear::funcYearStart(), (YearStart{4, 1}));
    QVERIFY(SchoolYear::funcSetYearStart({3, 1}));
    QVERIFY(!SchoolYear::funcSetYearStart({2, 29}));
    QVERIFY(!SchoolYear::funcSetYearStart({13, 1}));
    QCOMPARE(SchoolYear::funcYearStart(), (YearStart{3, 1}));
    ProgramFolder other(false);
    QCOMPARE(SchoolYear::funcYearStart(), (YearStart{4, 1}));
}

void tst_SchoolYear::gradesMapToTheMasterByName()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中１', 0), (2, '中2', 1), (3, ' 中2', 0), (4, '高3', 0)"));
    const auto id = [](const char* name) { return SchoolYear::funcGakunenID(SchoolYear::funcGradeNumber(QString::fromUtf8(name))); };
    QCOMPARE(id("中1"), std::optional<int>(1));
    QCOMPARE(id("中2"), std::optional<int>(3));   // the deleted row is no choice
    QCOMPARE(id("小1"), std::nullopt);
    QCOMPARE(SchoolYear::funcGakunenID(std::nullopt), std::nullopt);
}

void tst_SchoolYear::lessonsAfterTheStateDateAreNotOffered()
{
    ProgramFolder pf;
    struct Student {
        int no;
        Zaiseki state;
        QString date;
    };
    const QList<Student> students{{1, Zaiseki::Enrolled, {}},
                                  {2, Zaiseki::Paused, QStringLiteral("2026/05/10")},
                                  {3, Zaiseki::Left, QStringLiteral("2026/05/10")},
                                  {4, Zaiseki::Left, {}},
                                  {5, Zaiseki::Enrolled, QStringLiteral("2026/01/01")}};
    for (const Student& s : students)
        pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 在籍状態, 状態日付) VALUES (%1, %2, %3)")
                    .arg(s.no)
                    .arg(static_cast<int>(s.state))
                    .arg(s.date.isEmpty() ? QStringLiteral("NULL") : u'\'' + s.date + u'\''));
    for (const QString& day : {QStringLiteral("2026/05/09"), QStringLiteral("2026/05/10"), QStringLiteral("2026/05/11")}) {
        QStringList expected;
        for (const Student& s : students)
            if (Enrolment::funcTakesLessonOn(s.state, funcTextDate(s.date), funcTextDate(day)))
                expected << QString::number(s.no);
        QCOMPARE(pf.list(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 WHERE") + Enrolment::funcTakesLessonOnSql(funcTextDate(day))
                         + QStringLiteral("ORDER BY 生徒番号")),
                 expected.join(u','));
    }
    QCOMPARE(pf.list(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 WHERE") + Enrolment::funcTakesLessonOnSql(QDate(2026, 5, 11))
                     + QStringLiteral("ORDER BY 生徒番号")),
             QStringLiteral("1,4,5"));
}

namespace {
// Students of the school year 2026: 中3, 高3, 中1, 中1 moved up a grade, one who left
// in July, one deleted, one whose grade was chosen by hand.
void insertYearStudents(ProgramFolder& pf)
{
    pf.exec(QStringLiteral(
        "INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 生年月日, 学年補正, 手動学年, 手動学年度, 在籍状態, 状態日付, 削除フラグ, 更新日時) VALUES"
        " (1, 'ｱ', '中三', '2011/06/01', 0, NULL, NULL, 0, NULL, 0, '2026/04/01 09:00:00'),"
        " (2, 'ｲ', '高三', '2008/10/10', 0, NULL, NULL, 0, NULL, 0, NULL),"
        " (3, 'ｳ', '中一', '2013/05/05', 0, NULL, NULL, 0, NULL, 0, NULL),"
        " (4, 'ｴ', '補正', '2013/05/05', 1, NULL, NULL, 0, NULL, 0, NULL),"
        " (5, 'ｵ', '退塾済', '2013/05/05', 0, NULL, NULL, 2, '2026/07/31', 0, NULL),"
        " (6, 'ｶ', '削除', '2013/05/05', 0, NULL, NULL, 0, NULL, 1, NULL),"
        " (7, 'ｷ', '手動', NULL, 0, '小3', 2026, 0, NULL, 0, NULL)"));
}

QString previewText(const YearChange::Preview& preview)
{
    QStringList rows;
    for (const YearChange::Student& s : preview.students)
        rows << QStringLiteral("%1:%2>%3:%4")
                    .arg(s.no)
                    .arg(SchoolYear::funcGradeName(s.gradeNow), SchoolYear::funcGradeName(s.gradeNext))
                    .arg(static_cast<int>(s.group));
    return rows.join(u' ');
}

const QString kRegister = QStringLiteral("SELECT * FROM 生徒台帳 ORDER BY 生徒番号");
} // namespace

void tst_SchoolYear::yearChangePreviewCommitAndUndo()
{
    // The change meant in March and early in the year is into the year that starts in April.
    const YearStart april;
    QCOMPARE(YearChange::funcChangingFrom(QDate(2027, 3, 20), april), 2026);
    QCOMPARE(YearChange::funcChangingFrom(QDate(2027, 4, 5), april), 2026);
    QCOMPARE(YearChange::funcChangingFrom(QDate(2026, 9, 30), april), 2025);
    QCOMPARE(YearChange::funcChangingFrom(QDate(2026, 10, 1), april), 2026);

    ProgramFolder pf;
    insertYearStudents(pf);
    const YearChange::Preview preview = YearChange::funcPreview(2026);
    QCOMPARE(preview.lastDay, QDate(2027, 3, 31));
    QVERIFY(!preview.done);
    // Those who stay, those finishing 中3/高3, those with 学年補正.
    QCOMPARE(previewText(preview), QStringLiteral("3:中1>中2:0 7:小3>小4:0 1:中3>高1:1 2:高3>既卒:1 4:中2>中3:2"));

    const QString before = pf.rows(kRegister);
    QCOMPARE(YearChange::funcCommit(preview, {1, 2, 3}), YearChange::Result::Stored);
    QCOMPARE(pf.count(QStringLiteral("生徒台帳"), QStringLiteral("在籍状態 = 2 AND 状態日付 = '2027/03/31'")), 3);
    QCOMPARE(pf.list(QStringLiteral("SELECT 退塾理由 FROM 生徒台帳 WHERE 生徒番号 IN (1, 3) ORDER BY 生徒番号")), QStringLiteral("卒塾,年度末退塾"));
    // A second run of the same year changes nothing.
    const QString after = pf.rows(kRegister);
    QVERIFY(YearChange::funcPreview(2026).done);
    QCOMPARE(YearChange::funcCommit(YearChange::funcPreview(2026), {4, 7}), YearChange::Result::AlreadyDone);
    QCOMPARE(pf.rows(kRegister), after);

    // Undone, the register is as it was, and the change can be made again.
    QCOMPARE(YearChange::funcLaterEdits(2026), std::optional<QStringList>(QStringList()));
    QVERIFY(YearChange::funcUndo(2026));
    QCOMPARE(pf.rows(kRegister), before);
    QVERIFY(!YearChange::funcUndo(2026));
    QVERIFY(!YearChange::funcPreview(2026).done);
}

void tst_SchoolYear::yearChangeMeetsAnotherPc()
{
    ProgramFolder pf;
    insertYearStudents(pf);
    // Another PC edits a student after the preview: nothing is stored, no before-image is left.
    const YearChange::Preview preview = YearChange::funcPreview(2026);
    const QString before = pf.rows(kRegister);
    pf.execElsewhere(QStringLiteral("UPDATE 生徒台帳 SET 電話 = '042', 更新回数 = 更新回数 + 1 WHERE 生徒番号 = 2"));
    const QString edited = pf.rows(kRegister);
    QVERIFY(edited != before);
    QCOMPARE(YearChange::funcCommit(preview, {1, 2}), YearChange::Result::ChangedMeanwhile);
    QCOMPARE(pf.rows(kRegister), edited);
    QVERIFY(!QFile::exists(YearChange::funcBeforeImagePath(2026)));

    // An edit after the change is named before an undo would lose it; the undo puts back
    // what the change wrote and leaves the other PC's phone as it is.
    QCOMPARE(YearChange::funcCommit(YearChange::funcPreview(2026), {1, 2}), YearChange::Result::Stored);
    pf.execElsewhere(QStringLiteral("UPDATE 生徒台帳 SET 退塾理由 = '転居', 更新回数 = 更新回数 + 1 WHERE 生徒番号 = 1"));
    QCOMPARE(YearChange::funcLaterEdits(2026), std::optional<QStringList>(QStringList{QStringLiteral("中三")}));
    QVERIFY(YearChange::funcUndo(2026));
    QCOMPARE(pf.rows(kRegister), edited);
}

QTEST_MAIN(tst_SchoolYear)
#include "tst_SchoolYear.moc"
