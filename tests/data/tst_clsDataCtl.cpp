#include "ProgramFolder.h"
#include "clsDataCtl.h"

#include <QtTest>

class tst_clsDataCtl : public QObject {
    Q_OBJECT
private slots:
    void emptyResultIsSuccess();
    void readsByRecordAndColumnInAnyCase();
    void nullReadsAsEmptyText();
    void unknownColumnOrRecordTellsAndGivesEmpty();
    void invalidSqlTellsAndFails();
    void readsTheSavedQueries();
};

void tst_clsDataCtl::emptyResultIsSuccess()
{
    ProgramFolder pf;
    clsDataCtl data;
    QVERIFY(data.funcOpenRec(QStringLiteral("SELECT * FROM 連絡事項")));
    QCOMPARE(data.propCount(), 0);
    QCOMPARE(data.fieldCount(), 0);
    QVERIFY(pf.ui().messages.empty());
}

void tst_clsDataCtl::readsByRecordAndColumnInAnyCase()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ講師 VALUES (1, '佐藤', 0), (2, 'Smith', 0), (3, '鈴木', 1)"));
    clsDataCtl data;
    QVERIFY(data.funcOpenRec(QStringLiteral("SELECT 講師ID AS TeacherId, 講師名 FROM マスタ講師 WHERE 削除フラグ = 0 ORDER BY 講師ID")));
    QCOMPARE(data.propCount(), 2);
    QCOMPARE(data.fieldCount(), 2);
    data.setPropID(1);
    QCOMPARE(data.propData(QStringLiteral("TEACHERID")), QStringLiteral("2"));
    QCOMPARE(data.propData(QStringLiteral("teacherid")), QStringLiteral("2"));
    QCOMPARE(data.propData(QStringLiteral("講師名")), QStringLiteral("Smith"));
    data.setPropID(0);
    QCOMPARE(data.propData(QStringLiteral("講師名")), QStringLiteral("佐藤"));
    QVERIFY(pf.ui().messages.empty());
}

void tst_clsDataCtl::nullReadsAsEmptyText()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ) VALUES (1, 'ﾔﾏﾀﾞ')"));
    clsDataCtl data;
    QVERIFY(data.funcOpenRec(QStringLiteral("SELECT * FROM 生徒台帳")));
    data.setPropID(0);
    QCOMPARE(data.propData(QStringLiteral("生年月日")), QString());
    QCOMPARE(data.propData(QStringLiteral("性別")), QString());
    QCOMPARE(data.propData(QStringLiteral("削除フラグ")), QStringLiteral("0"));
    QVERIFY(pf.ui().messages.empty());
}

void tst_clsDataCtl::unknownColumnOrRecordTellsAndGivesEmpty()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ教室 VALUES (1, 'A教室', 0)"));
    clsDataCtl data;
    QVERIFY(data.funcOpenRec(QStringLiteral("SELECT * FROM マスタ教室")));
    data.setPropID(0);
    QCOMPARE(data.propData(QStringLiteral("教室番号")), QString());
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    QVERIFY(pf.ui().messages[0].text.contains(QStringLiteral("教室番号")));
    QCOMPARE(pf.ui().messages[0].title, kTitle);
    QCOMPARE(pf.ui().messages[0].icon, MsgIcon::None);
    data.setPropID(1);
    QCOMPARE(data.propData(QStringLiteral("教室名")), QString());
    QCOMPARE(pf.ui().messages.size(), size_t(2));
}

void tst_clsDataCtl::invalidSqlTellsAndFails()
{
    ProgramFolder pf;
    clsDataCtl data;
    QVERIFY(!data.funcOpenRec(QStringLiteral("SELEC * FROM マスタ教室")));
    QCOMPARE(data.propCount(), 0);
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    const RecordedMessage& m = pf.ui().messages[0];
    QVERIFY2(m.text.endsWith(QStringLiteral("\r\n情報取得に失敗しました")), qPrintable(m.text));
    QVERIFY(m.text.size() > QStringLiteral("\r\n情報取得に失敗しました").size());
    QCOMPARE(m.title, kTitle);
    QCOMPARE(m.buttons, MsgButtons::Ok);
    QCOMPARE(m.icon, MsgIcon::None);
    clsDataCtl missing;
    QVERIFY(!missing.funcOpenRec(QStringLiteral("SELECT * FROM 存在しない表")));
}

void tst_clsDataCtl::readsTheSavedQueries()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中2', 0)"));
    pf.exec(QStringLiteral("INSERT INTO マスタ科目 VALUES (1, '数学', 0)"));
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名) VALUES (9, 'ﾔﾏﾀﾞ ﾀﾛｳ', '山田太郎')"));
    pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 学年ID, 科目ID, 宿題, コメント) "
                           "VALUES (1, '2026/12/07', 1, 1, 1, 'p.10', '小テスト')"));
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 宿題, 項目1) VALUES (1, 9, 1, 0, 4)"));
    clsDataCtl lessons;
    QVERIFY(lessons.funcOpenRec(QStringLiteral("SELECT * FROM QRY_講座内容 WHERE 講座日 = #2026/12/7#")));
    QCOMPARE(lessons.propCount(), 1);
    lessons.setPropID(0);
    QCOMPARE(lessons.propData(QStringLiteral("曜日名")), QStringLiteral("月"));
    QCOMPARE(lessons.propData(QStringLiteral("学年名")), QStringLiteral("中2"));
    QCOMPARE(lessons.propData(QStringLiteral("時限名")), QString());
    clsDataCtl attendance;
    QVERIFY(attendance.funcOpenRec(QStringLiteral("SELECT * FROM QRY_講座出席出力")));
    attendance.setPropID(0);
    QCOMPARE(attendance.propData(QStringLiteral("生徒氏名")), QStringLiteral("山田太郎"));
    QCOMPARE(attendance.propData(QStringLiteral("出席○")), QStringLiteral("○"));
    QCOMPARE(attendance.propData(QStringLiteral("宿題○")), QString());
    QCOMPARE(attendance.propData(QStringLiteral("宿題2")), QStringLiteral("p.10"));
    QCOMPARE(attendance.propData(QStringLiteral("コメント2")), QStringLiteral("小テスト"));
    QCOMPARE(attendance.propData(QStringLiteral("講座名")), QStringLiteral("中2 数学"));

    // 講座名 joins only the names that are there: a missing or empty one leaves no extra blank.
    pf.exec(QStringLiteral("INSERT INTO マスタ講座クラス VALUES (1, 'A組', 0)"));
    pf.exec(QStringLiteral("INSERT INTO マスタ科目 VALUES (2, '', 0)"));
    pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 学年ID, 科目ID, 講座クラスID) "
                           "VALUES (2, 1, 0, 1), (3, 0, 2, 1), (4, 0, 1, 0), (5, 0, 0, 0)"));
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号) VALUES (2, 9), (3, 9), (4, 9), (5, 9)"));
    for (const char* query : {"QRY_講座内容", "QRY_講座出席出力"}) {
        clsDataCtl names;
        QVERIFY(names.funcOpenRec(QStringLiteral("SELECT 講座名 FROM %1 ORDER BY 毎講座ID").arg(QString::fromUtf8(query))));
        QStringList texts;
        for (int i = 0; i < names.propCount(); ++i) {
            names.setPropID(i);
            texts << names.propData(QStringLiteral("講座名"));
        }
        QCOMPARE(texts, (QStringList{QStringLiteral("中2 数学"), QStringLiteral("中2 A組"), QStringLiteral("A組"),
                                     QStringLiteral("数学"), QString()}));
    }
    QVERIFY(pf.ui().messages.empty());
}

QTEST_GUILESS_MAIN(tst_clsDataCtl)
#include "tst_clsDataCtl.moc"
