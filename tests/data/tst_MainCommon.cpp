#include "CommonBase.h"
#include "FormsCommon.h"
#include "DaoCommon.h"
#include "MainCommon.h"
#include "ProgramFolder.h"

#include <QComboBox>
#include <QFile>
#include <QtTest>

class tst_MainCommon : public QObject {
    Q_OBJECT
private slots:
    void setComboSkipsDeletedRows();
    void setComboKeepsRowsWithoutName();
    void setComboOnAMissingTableEndsTheProgram();
    void maxIdAndCount();
    void calendarHelpers();
    void shellOpenFailureClasses();
};

void tst_MainCommon::setComboSkipsDeletedRows()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中1', 0), (2, '中2', 1), (3, '中3', 0), (4, '高1', 0)"));
    QComboBox box;
    box.addItem(QStringLiteral("old"), 99);
    Set_Combo(&box, QStringLiteral("マスタ学年"));
    QCOMPARE(box.count(), 4);
    QCOMPARE(box.itemText(0), QString());
    QCOMPARE(box.itemData(0).toInt(), 0);
    QStringList names;
    for (int i = 1; i < box.count(); ++i)
        names << box.itemText(i) + QLatin1Char('=') + box.itemData(i).toString();
    QCOMPARE(names.join(QLatin1Char(',')), QStringLiteral("中1=1,中3=3,高1=4"));
    QCOMPARE(box.currentIndex(), -1);
}

void tst_MainCommon::setComboKeepsRowsWithoutName()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ講師 VALUES (1, NULL, 0), (2, '田中', 0)"));
    QComboBox box;
    Set_Combo(&box, QStringLiteral("マスタ講師"));
    QCOMPARE(box.count(), 3);
    QCOMPARE(funcCboIndex(&box, 1), 1);
    QCOMPARE(box.itemText(1), QString());
    QVERIFY(pf.ui().messages.empty());
}

void tst_MainCommon::setComboOnAMissingTableEndsTheProgram()
{
    ProgramFolder pf;
    QComboBox box;
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, Set_Combo(&box, QStringLiteral("マスタ存在しない")));
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    QCOMPARE(pf.ui().messages[0].title, QStringLiteral("システムエラー"));
    QVERIFY(!gDatabase.isOpen());
    QFile log(pf.file(QStringLiteral("ErrorLog.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(funcFromSjis(log.readAll()).contains(QStringLiteral("モジュール名\u3000MainCommon.bas - Set_Combo\r\n")));
}

void tst_MainCommon::maxIdAndCount()
{
    ProgramFolder pf;
    QCOMPARE(funcGetMaxID(QStringLiteral("連絡事項"), QStringLiteral("連絡事項ID")), 0);
    QCOMPARE(funcGetCount(QStringLiteral("連絡事項"), QStringLiteral("連絡事項ID")), 0);
    pf.exec(QStringLiteral("INSERT INTO マスタ科目 VALUES (3, '英語', 0), (8, '国語', 1), (5, '数学', 0)"));
    pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (2, '中1', 1)"));
    // Deleted rows count for the largest key, so a key is never used twice.
    QCOMPARE(funcGetMaxID(QStringLiteral("マスタ科目"), QStringLiteral("科目ID")), 8);
    QCOMPARE(funcGetMaxID(QStringLiteral("マスタ科目"), QStringLiteral("科目ID"), QStringLiteral(" WHERE 削除フラグ=0 ")), 5);
    QCOMPARE(funcGetMaxID(QStringLiteral("マスタ学年"), QStringLiteral("学年ID"), QStringLiteral("   ")), 2);
    QCOMPARE(funcGetCount(QStringLiteral("マスタ科目"), QStringLiteral("科目ID"), QStringLiteral(" WHERE 削除フラグ=0 ")), 2);
    QVERIFY(pf.ui().messages.empty());
}

void tst_MainCommon::calendarHelpers()
{
    QCOMPARE(funcFirstWeekday(2026, 2), short(1));   // 2026/02/01 is a Sunday
    QCOMPARE(funcFirstWeekday(2026, 12), short(3));  // a Tuesday
    QCOMPARE(funcFirstWeekday(2027, 5), short(7));   // a Saturday
    QCOMPARE(funcMonthDays(2024, 2), short(29));
    QCOMPARE(funcMonthDays(2026, 2), short(28));
    QCOMPARE(funcMonthDays(2026, 12), short(31));
    QCOMPARE(funcMonthDays(2026, 4), short(30));
}

void tst_MainCommon::shellOpenFailureClasses()
{
    ProgramFolder pf;
    subShellOpen(nullptr, QStringLiteral("kaedemaru.chm"));
    QCOMPARE(pf.ui().lastText(), QStringLiteral("ヘルプファイルが見つかりません。"));
    QCOMPARE(pf.ui().messages.back().title, kTitle);
    QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Warning);
    subShellOpen(nullptr, QStringLiteral("ない/kaedemaru.chm"));
    QCOMPARE(pf.ui().lastText(), QStringLiteral("パスが見つかりません。"));

    QFile help(pf.file(QStringLiteral("kaedemaru.chm")));
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.close();
    pf.ui().clear();
    subShellOpen(nullptr, QStringLiteral("kaedemaru.chm"));
    QVERIFY(pf.ui().messages.empty());
    QCOMPARE(pf.ui().openedDocuments, QStringList{pf.file(QStringLiteral("kaedemaru.chm"))});
    pf.ui().openDocumentResult = false;
    subShellOpen(nullptr, QStringLiteral("kaedemaru.chm"));
    QCOMPARE(pf.ui().lastText(), QStringLiteral("関連付けが指定されていません。"));
}

QTEST_MAIN(tst_MainCommon)
#include "tst_MainCommon.moc"
