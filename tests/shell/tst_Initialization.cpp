#include "DaoCommon.h"
#include "ShellTest.h"
#include "UiServices.h"
#include "frmMenu.h"
#include "frm初期化.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

class tst_Initialization : public QObject {
    Q_OBJECT
private slots:
    void emptiesTheTickedGroups_data();
    void emptiesTheTickedGroups();
    void noticesLeaveTheBoardAtOnce();
    void allTicksEveryGroupAndNoKeepsTheData();
    void aFaultLeavesEveryTableAsItWas();

private:
    static void fillSchool(ProgramFolder& pf)
    {
        pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 生徒氏名, 削除フラグ) VALUES (1, '生徒A', 0), (2, '生徒B', 0), (3, '退塾', 1)"));
        pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日) VALUES (1, '2025/04/07'), (2, '2025/04/08')"));
        pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ) VALUES (1, 1, 1), (1, 2, 1), (2, 1, 0), (2, 3, 1)"));
        insertNotice(pf, 1, 0, 3, 1, QStringLiteral("事務"), QStringLiteral("その1"));
        insertNotice(pf, 2, 0, 3, 2, QStringLiteral("事務"), QStringLiteral("その2"));
        pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中1', 0), (2, '中2', 1)"));
        pf.exec(QStringLiteral("INSERT INTO マスタ講師 VALUES (1, '佐藤', 0)"));
        pf.exec(QStringLiteral("INSERT INTO クラス生徒 VALUES (1, 1, '2025/04/01', NULL), (1, 2, '2025/04/01', NULL)"));
    }
    // On a server the question also says that every PC is affected.
    static QString question()
    {
        return (testServerMode() ? QStringLiteral("サーバーのデータが初期化され、すべてのパソコンに反映されます。\r\n") : QString())
            + QStringLiteral("本当にデータ初期化してもよいですか？");
    }
    static QList<int> rowsOfEveryGroup(ProgramFolder& pf)
    {
        // A class's members go with the students.
        return {pf.count(QStringLiteral("生徒台帳")) + pf.count(QStringLiteral("クラス生徒")), pf.count(QStringLiteral("毎講座履歴")), pf.count(QStringLiteral("講座出席")),
                pf.count(QStringLiteral("連絡事項")), masterRows(pf)};
    }
    static QString countText(frm初期化& w, int i) { return w.findChild<QLabel*>(QStringLiteral("lblCount_%1").arg(i))->text(); }
    static QCheckBox* check(frm初期化& w, int i) { return w.findChild<QCheckBox*>(QStringLiteral("chkClear_%1").arg(i)); }
    // Rows of every table of the master catalogue.
    static int masterRows(ProgramFolder& pf)
    {
        int rows = 0;
        for (const char* table : {"マスタ学年", "マスタ科目", "マスタ講座クラス", "マスタ講師", "マスタ教室", "マスタ時限", "マスタ学校",
                                  "マスタ重要度", "マスタ評価項目"})
            rows += pf.count(QString::fromUtf8(table));
        return rows;
    }
};

void tst_Initialization::emptiesTheTickedGroups_data()
{
    QTest::addColumn<int>("ticked");
    QTest::addColumn<QList<int>>("left");   // students, lessons, attendance, notices, master rows
    QTest::addColumn<QStringList>("counts");
    const int masters = 3 + 4 + 3;          // 学年 and 講師 rows, the four importances, three evaluation items
    QTest::newRow("生徒") << 0 << QList<int>{0, 2, 0, 2, masters} << QStringList{"(現在0件)", "(現在2件)", "(現在2件)"};
    QTest::newRow("講座") << 1 << QList<int>{5, 0, 0, 2, masters} << QStringList{"(現在2件)", "(現在0件)", "(現在2件)"};
    QTest::newRow("連絡事項") << 2 << QList<int>{5, 2, 4, 0, masters} << QStringList{"(現在2件)", "(現在2件)", "(現在0件)"};
    QTest::newRow("マスタ") << 3 << QList<int>{5, 2, 4, 2, 0} << QStringList{"(現在2件)", "(現在2件)", "(現在2件)"};
    QTest::newRow("なし") << -1 << QList<int>{5, 2, 4, 2, masters} << QStringList{"(現在2件)", "(現在2件)", "(現在2件)"};
}

void tst_Initialization::emptiesTheTickedGroups()
{
    QFETCH(int, ticked);
    QFETCH(QList<int>, left);
    QFETCH(QStringList, counts);
    ProgramFolder pf;
    fillSchool(pf);
    frm初期化 window;
    QCOMPARE(window.windowTitle(), QStringLiteral("システムの初期化を行いましょう～"));
    QCOMPARE((QStringList{countText(window, 0), countText(window, 1), countText(window, 2)}),
             (QStringList{"(現在2件)", "(現在2件)", "(現在2件)"}));
    if (ticked >= 0)
        check(window, ticked)->setChecked(true);
    QTest::mouseClick(window.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);

    QCOMPARE(pf.ui().texts(), (QStringList{question(), QStringLiteral("データの初期化が終了しました。")}));
    QCOMPARE(pf.ui().messages[0].buttons, MsgButtons::YesNoDefaultNo);
    QCOMPARE(pf.ui().messages[1].icon, MsgIcon::Information);
    QCOMPARE(rowsOfEveryGroup(pf), left);
    QCOMPARE((QStringList{countText(window, 0), countText(window, 1), countText(window, 2)}), counts);
    // The fixed rows outside the catalogue stay.
    QCOMPARE(pf.count(QStringLiteral("マスタ曜日")), 7);
    if (ticked >= 0)
        QVERIFY(check(window, ticked)->isChecked());
}

void tst_Initialization::noticesLeaveTheBoardAtOnce()
{
    ProgramFolder pf;
    fillSchool(pf);
    frmMenu menu;
    auto* board = menu.findChild<QListWidget*>("lstRenraku");
    QCOMPARE(board->count(), 2);
    onNextModal([&](QDialog* d) {
        auto* window = static_cast<frm初期化*>(d);
        check(*window, 2)->setChecked(true);
        window->cmdOK_Click();
        window->cmdEnd_Click();
    });
    menu.imgTool_Click(2);
    QCOMPARE(board->count(), 0);
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 0);
    // The board is read again: with no notice left only 追加 is offered.
    QCOMPARE(buttonStates(&menu, "cmdOK", 4), QStringLiteral("1000"));
}

void tst_Initialization::allTicksEveryGroupAndNoKeepsTheData()
{
    ProgramFolder pf;
    fillSchool(pf);
    frm初期化 window;
    QTest::mouseClick(window.findChild<QPushButton*>("cmdAll"), Qt::LeftButton);
    for (int i = 0; i < 4; ++i)
        QVERIFY(check(window, i)->isChecked());
    pf.ui().answers = {MsgAnswer::No};
    window.cmdOK_Click();
    QCOMPARE(pf.ui().texts(), QStringList{question()});
    QCOMPARE(pf.count(QStringLiteral("生徒台帳")), 3);
    QCOMPARE(masterRows(pf), 10);

    window.cmdOK_Click();
    QCOMPARE(pf.count(QStringLiteral("生徒台帳")) + pf.count(QStringLiteral("毎講座履歴")) + pf.count(QStringLiteral("講座出席"))
                 + pf.count(QStringLiteral("連絡事項")) + masterRows(pf),
             0);
}

void tst_Initialization::aFaultLeavesEveryTableAsItWas()
{
    ProgramFolder pf;
    fillSchool(pf);
    // The deletion of one of the last tables fails, after the students, lessons and notices.
    pf.execNative(testServerMode()
                      ? QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RAISE EXCEPTION 'refused'; END$$; "
                                       "CREATE TRIGGER refuse BEFORE DELETE ON マスタ講師 EXECUTE FUNCTION refuse()")
                      : QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON マスタ講師 BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const QList<int> before = rowsOfEveryGroup(pf);
    frm初期化 window;
    window.cmdALL_Click();
    // The fault is told only once the writes are undone, so no other PC waits on them meanwhile.
    bool inTransactionWhenTold = true;
    pf.ui().onMessage = [&](const RecordedMessage& m) {
        if (m.title == QStringLiteral("システムエラー"))
            inTransactionWhenTold = gDatabase.inTransaction();
    };
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, window.cmdOK_Click());
    QVERIFY(!inTransactionWhenTold);
    QVERIFY(pf.ui().lastText().contains(QStringLiteral("refused")));
    QVERIFY(OpenDatabase(false, pf.databasePath()));
    QCOMPARE(rowsOfEveryGroup(pf), before);
}

QTEST_MAIN(tst_Initialization)
#include "tst_Initialization.moc"
