#include "ProgramFolder.h"
#include "WindowTest.h"
#include "frm講座検索.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QtTest>

namespace {
// What the opener reads after the dialog closes: nothing unless a search was started.
QStringList told(const frm講座検索& w)
{
    if (!w.propOK())
        return {};
    return {QStringLiteral("OK=1"), QStringLiteral("caption=") + w.propJyokenString(), QStringLiteral("where=") + w.propSQL()};
}

void pick(const frm講座検索& w, int box, const QString& text)
{
    auto* combo = child<QComboBox>(&w, QStringLiteral("cboEdit_%1").arg(box));
    combo->setCurrentIndex(text.isNull() ? -1 : combo->findText(text));
    QVERIFY2(text.isNull() || combo->currentIndex() >= 0, qPrintable(text));
}
} // namespace

class TestKouzaKensaku : public QObject {
    Q_OBJECT
private slots:
    void condition_data();
    void condition();
    void closeAndClear();
    void remembersTheLastSearchOfEachOpener();
};

void TestKouzaKensaku::condition_data()
{
    // Choices as "box=text" (box = cboEdit index, "" the blank entry), the date range
    // ("from-to", ticked when given), and what the opener reads (nothing unless a search started).
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<QString>("message");

    QTest::newRow("nothing chosen") << QStringList{} << QString()
                                    << QStringList{"OK=1", "caption=  (条件指定無し)", "where="} << QString();
    QTest::newRow("blank entries are no condition")
        << QStringList{"0=", "6="} << QString() << QStringList{"OK=1", "caption=  (条件指定無し)", "where="} << QString();
    QTest::newRow("grade and range")
        << QStringList{"0=中3"} << "2003/04/01-2003/04/30"
        << QStringList{"OK=1", "caption= 【学年】中3 【講座日】2003/04/01～2003/04/30",
                       "where= WHERE  学年ID = 3 AND  講座日 BETWEEN #2003/04/01# AND #2003/04/30#"}
        << QString();
    QTest::newRow("fixed order whatever the choice order")
        << QStringList{"5=第1教室", "3=山田", "6=水", "4=1限", "2=A", "1=数学", "0=中1"} << QString()
        << QStringList{"OK=1",
                       "caption= 【学年】中1 【科目】数学 【講座クラス】A 【曜日】水 【時限】1限 【講師】山田 【教室】第1教室",
                       "where= WHERE  学年ID = 1 AND  科目ID = 4 AND  講座クラスID = 5 AND  曜日ID = 3 AND  時限ID = 6 "
                       "AND  講師ID = 2 AND  教室ID = 7"}
        << QString();
    QTest::newRow("one-day range") << QStringList{} << "2003/04/01-2003/04/01"
                                   << QStringList{"OK=1", "caption= 【講座日】2003/04/01～2003/04/01",
                                                  "where= WHERE  講座日 BETWEEN #2003/04/01# AND #2003/04/01#"}
                                   << QString();
    QTest::newRow("reversed range") << QStringList{"0=中1"} << "2003/04/02-2003/04/01" << QStringList{}
                                    << "講座日の範囲指定に誤りがあります";
}

void TestKouzaKensaku::condition()
{
    QFETCH(QStringList, choices);
    QFETCH(QString, range);
    QFETCH(QStringList, told);
    QFETCH(QString, message);

    ProgramFolder pf;
    for (const char* sql : {"INSERT INTO マスタ学年 VALUES (1, '中1', 0), (3, '中3', 0), (9, '消えた学年', 1)",
                            "INSERT INTO マスタ科目 VALUES (4, '数学', 0)", "INSERT INTO マスタ講座クラス VALUES (5, 'A', 0)",
                            "INSERT INTO マスタ講師 VALUES (2, '山田', 0)", "INSERT INTO マスタ時限 VALUES (6, '1限', 0)",
                            "INSERT INTO マスタ教室 VALUES (7, '第1教室', 0)"})
        pf.exec(QString::fromUtf8(sql));
    frm講座検索 w;
    w.setPropSyoriID(0);
    w.show();
    QCOMPARE(child<QComboBox>(&w, "cboEdit_0")->count(), 3); // blank + two not deleted

    for (const QString& choice : choices)
        pick(w, choice.section('=', 0, 0).toInt(), choice.section('=', 1));
    // Unticked pickers are ignored even when reversed.
    child<QDateEdit>(&w, "DTPDate_0")->setDate(QDate(2030, 1, 2));
    child<QDateEdit>(&w, "DTPDate_1")->setDate(QDate(2030, 1, 1));
    if (!range.isEmpty()) {
        child<QCheckBox>(&w, "chkDate")->setChecked(true);
        QVERIFY(child<QDateEdit>(&w, "DTPDate_0")->isEnabled());
        child<QDateEdit>(&w, "DTPDate_0")->setDate(QDate::fromString(range.section('-', 0, 0), "yyyy/MM/dd"));
        child<QDateEdit>(&w, "DTPDate_1")->setDate(QDate::fromString(range.section('-', 1), "yyyy/MM/dd"));
    }
    child<QPushButton>(&w, "cmdOK")->click();

    QCOMPARE(::told(w), told);
    QCOMPARE(pf.ui().lastText(), message);
    QCOMPARE(w.isVisible(), !message.isEmpty());
    if (!message.isEmpty()) {
        QCOMPARE(pf.ui().messages.back().title, QStringLiteral("塾管理システム - 楓丸くん -"));
        QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Warning);
    }
}

void TestKouzaKensaku::closeAndClear()
{
    ProgramFolder pf;
    pf.exec("INSERT INTO マスタ学年 VALUES (1, '中1', 0)");
    for (int syori : {0, 2}) {
        frm講座検索 w;
        w.setPropSyoriID(syori);
        w.show();
        child<QCheckBox>(&w, "chkDate")->setChecked(true);
        pick(w, 0, "中1");
        child<QDateEdit>(&w, "DTPDate_0")->setDate(QDate(2003, 4, 1));
        child<QPushButton>(&w, "cmdClear")->click();
        QVERIFY(!child<QCheckBox>(&w, "chkDate")->isChecked());
        QVERIFY(!child<QDateEdit>(&w, "DTPDate_0")->isEnabled());
        QCOMPARE(child<QDateEdit>(&w, "DTPDate_0")->date(), QDate::currentDate());
        QCOMPARE(child<QComboBox>(&w, "cboEdit_0")->currentIndex(), -1);

        // Closing reports "not accepted"; the title-bar close does the same, also after a search.
        child<QPushButton>(&w, "cmdEnd")->click();
        QVERIFY(!w.isVisible());
        QVERIFY(!w.propOK());
        w.show();
        child<QPushButton>(&w, "cmdOK")->click();
        QVERIFY(w.propOK());
        w.show();
        w.reject();
        QVERIFY(!w.propOK());
    }
}

void TestKouzaKensaku::remembersTheLastSearchOfEachOpener()
{
    ProgramFolder pf;
    pf.exec("INSERT INTO マスタ学年 VALUES (1, '中1', 0), (2, '中2', 0)");
    pf.exec("INSERT INTO マスタ講師 VALUES (1, 'O''Brien', 0)");
    // What a dialog of that opener shows when it opens, and what it hands over on 検索を開始.
    const auto search = [](int syori, const std::function<void(frm講座検索&)>& change) {
        frm講座検索 w;
        w.setPropSyoriID(syori);
        w.show();
        const QString shown = child<QComboBox>(&w, "cboEdit_0")->currentText() + QLatin1Char('|')
                              + child<QComboBox>(&w, "cboEdit_3")->currentText() + QLatin1Char('|')
                              + QString::number(child<QCheckBox>(&w, "chkDate")->isChecked()) + QLatin1Char('|')
                              + child<QDateEdit>(&w, "DTPDate_1")->date().toString("yyyy/MM/dd");
        change(w);
        return shown;
    };
    const QString today = QDate::currentDate().toString("yyyy/MM/dd");
    const auto accept = [](frm講座検索& w) { child<QPushButton>(&w, "cmdOK")->click(); };

    QCOMPARE(search(0, [&](frm講座検索& w) {
                 pick(w, 0, QStringLiteral("中2"));
                 pick(w, 3, QStringLiteral("O'Brien"));
                 child<QCheckBox>(&w, "chkDate")->setChecked(true);
                 child<QDateEdit>(&w, "DTPDate_1")->setDate(QDate(2031, 3, 31));
                 accept(w);
             }),
             QStringLiteral("||0|") + today);
    // The same opener finds the conditions again; the report selection's search has its own.
    const QString remembered = QStringLiteral("中2|O'Brien|1|2031/03/31");
    QCOMPARE(search(0, [](frm講座検索& w) { child<QPushButton>(&w, "cmdEnd")->click(); }), remembered);
    QCOMPARE(search(2, [&](frm講座検索& w) {
                 pick(w, 0, QStringLiteral("中1"));
                 accept(w);
             }),
             QStringLiteral("||0|") + today);
    QCOMPARE(search(2, [](frm講座検索&) {}), QStringLiteral("中1||0|") + today);
    // Closed without a search, a change is not remembered; cleared and searched, nothing is.
    QCOMPARE(search(0, [](frm講座検索& w) { pick(w, 0, QStringLiteral("中1")); }), remembered);
    QCOMPARE(search(0, [&](frm講座検索& w) {
                 child<QPushButton>(&w, "cmdClear")->click();
                 accept(w);
             }),
             remembered);
    QCOMPARE(search(0, [](frm講座検索&) {}), QStringLiteral("||0|") + today);
}

QTEST_MAIN(TestKouzaKensaku)
#include "tst_frmKouzaKensaku.moc"
