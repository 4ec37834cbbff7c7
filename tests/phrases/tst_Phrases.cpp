#include "Phrases.h"
#include "ProgramFolder.h"

#include <QtTest>

class tst_Phrases : public QObject {
    Q_OBJECT
private slots:
    void fill_data();
    void fill();
    void overuseCountsStudentsOfTheMonth_data();
    void overuseCountsStudentsOfTheMonth();
};

void tst_Phrases::fill_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filled");
    const QString p = QStringLiteral("{名前}は{科目}をよく頑張りました。");
    QTest::newRow("half-width blank") << p << "山田 太郎" << "太郎さんは数学をよく頑張りました。";
    QTest::newRow("full-width blank, blanks around") << p << "　髙﨑　①花子 " << "①花子さんは数学をよく頑張りました。";
    QTest::newRow("no blank: the whole name") << p << "ﾔﾏﾀﾞ" << "ﾔﾏﾀﾞさんは数学をよく頑張りました。";
    QTest::newRow("marks twice, text kept as it is") << "{名前}、{名前}! 100% '*#' 😀{科目}" << "山田 太郎"
                                                  << "太郎さん、太郎さん! 100% '*#' 😀数学";
    QTest::newRow("no marks") << "宿題を忘れずに。" << "山田 太郎" << "宿題を忘れずに。";
}

void tst_Phrases::fill()
{
    QFETCH(QString, phrase);
    QFETCH(QString, name);
    QFETCH(QString, filled);
    QCOMPARE(Phrases::funcFill(phrase, name, QStringLiteral(" 数学 ")), filled);
}

void tst_Phrases::overuseCountsStudentsOfTheMonth_data()
{
    QTest::addColumn<int>("students");    // April's students with the phrase unchanged (lesson 1 or 2)
    QTest::addColumn<int>("saved");       // the student whose comment on lesson 1 was just saved
    QTest::addColumn<int>("told");        // the count told, 0: nothing told
    QTest::newRow("eleven: told") << 11 << 1 << 11;
    QTest::newRow("ten: not yet") << 10 << 1 << 0;
    QTest::newRow("a save that does not use it is not told") << 11 << 30 << 0;
}

void tst_Phrases::overuseCountsStudentsOfTheMonth()
{
    QFETCH(int, students);
    QFETCH(int, saved);
    QFETCH(int, told);
    ProgramFolder pf;
    pf.exec("INSERT INTO マスタ科目 VALUES (1, '英語', 0), (2, '数学', 0)");
    pf.exec("INSERT INTO マスタ定型文 VALUES (1, '{名前}は{科目}をよく頑張りました。', 0), (2, '削除した定型文', 1), (3, '  ', 0)");
    // Lessons 1 and 2 in April (英語, 数学), lesson 3 in May.
    pf.exec("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 科目ID) VALUES (1, '2026/04/08', 1), (2, '2026/04/30', 2), (3, '2026/05/01', 1)");
    for (int n = 1; n <= 30; ++n)
        pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 生徒氏名) VALUES (%1, '山田 生徒%1')").arg(n));
    const auto comment = [&](int lesson, int stuNo, const QString& text) {
        pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, コメント) VALUES (%1, %2, '%3')").arg(lesson).arg(stuNo).arg(text));
    };
    for (int n = 1; n <= students; ++n) {
        const int lesson = n % 2 ? 1 : 2;
        comment(lesson, n, QStringLiteral("今日も生徒%1さんは%2をよく頑張りました。次回も").arg(n).arg(lesson == 1 ? "英語" : "数学"));
    }
    // Not counted: twice by one student, changed words, another student's name, another month.
    comment(2, 1, QStringLiteral("生徒1さんは数学をよく頑張りました。"));
    comment(1, 21, QStringLiteral("生徒21さんは英語をとてもよく頑張りました。"));
    comment(1, 22, QStringLiteral("生徒1さんは英語をよく頑張りました。"));
    comment(3, 23, QStringLiteral("生徒23さんは英語をよく頑張りました。"));
    comment(1, 30, QStringLiteral("別のコメント"));
    const QList<Phrases::Overuse> overused = Phrases::funcOverused(1, {saved});
    QCOMPARE(overused.size(), told ? 1 : 0);
    if (told) {
        QCOMPARE(overused[0].phrase, QStringLiteral("{名前}は{科目}をよく頑張りました。"));
        QCOMPARE(overused[0].students, told);
        QVERIFY(Phrases::funcOveruseNotice(overused).endsWith(QStringLiteral("・{名前}は{科目}をよく頑張りました。（11人）")));
    }
    QCOMPARE(Phrases::funcPhrases(), QStringList{QStringLiteral("{名前}は{科目}をよく頑張りました。")});
}

QTEST_MAIN(tst_Phrases)
#include "tst_Phrases.moc"
