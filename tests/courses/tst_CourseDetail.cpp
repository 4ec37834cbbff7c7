#include "KouzaDetailOpener.h"
#include "ProgramFolder.h"
#include "WindowTest.h"
#include "frm講座情報詳細.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <optional>

namespace {
// Stands in for the course list: hands over the operation and the lesson, keeps what it is told.
struct TestOpener : KouzaDetailOpener {
    short syori = 0;
    int kouzaID = 0;
    std::optional<bool> ok;
    short propSyoriID() const override { return syori; }
    int propMaiKouzaID() const override { return kouzaID; }
    void setPropOK(bool value) override { ok = value; }
};

// Masters with two entries each (the second one chosen below), lesson 5 on
// Wednesday 2026/04/08 with two attendance rows, lesson 3 beside it.
const QStringList kSchool = {
    "INSERT INTO マスタ学年 VALUES (1, '中1', 0), (2, '中2', 0)",
    "INSERT INTO マスタ科目 VALUES (1, '英語', 0), (2, '数学', 0)",
    "INSERT INTO マスタ講座クラス VALUES (1, 'A', 0), (2, 'B''s', 0)",
    "INSERT INTO マスタ講師 VALUES (1, '山田', 0), (2, '佐藤', 0)",
    "INSERT INTO マスタ時限 VALUES (1, '1限', 0), (2, '2限', 0)",
    "INSERT INTO マスタ教室 VALUES (1, '101', 0), (2, '102', 0)",
    "INSERT INTO 毎講座履歴 VALUES (5, '2026/04/08', 3, 2, 2, 2, 2, 2, 2, 12, 2, '関数', '一次関数の"
    "グラフ', 'p.10', 'よくできた'), (3, '2026/04/01', 3, 1, 1, 1, 1, 1, 1, 0, 0, '', '', '', '')",
    "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ) VALUES (5, 1, 1), (5, 2, 0)",
};

struct Detail {
    ProgramFolder pf;
    TestOpener opener;
    std::optional<frm講座情報詳細> w;

    Detail(short syori, int kouzaID)
    {
        for (const QString& sql : kSchool)
            pf.exec(sql);
        opener.syori = syori;
        opener.kouzaID = kouzaID;
        w.emplace(opener);
        w->show();
    }
    QComboBox* cbo(int i) { return child<QComboBox>(&*w, QStringLiteral("cboEdit_%1").arg(i)); }
    QDateEdit* date(int i) { return child<QDateEdit>(&*w, QStringLiteral("DTPDate_%1").arg(i)); }
    QLineEdit* edit(const QString& name) { return child<QLineEdit>(&*w, name); }
    void click(const char* name) { child<QPushButton>(&*w, name)->click(); }
    // Chooses the entry with the item data in each of the six required boxes.
    void chooseAll(int itemData)
    {
        for (int i = 0; i < 6; ++i)
            cbo(i)->setCurrentIndex(cbo(i)->findData(itemData));
    }
    QString row(int id)
    {
        return pf.scalar(QStringLiteral("SELECT 講座日 || '|' || 曜日ID || '|' || 時限ID || 学年ID || 科目ID || 講座クラスID"
                                        " || 講師ID || 教室ID || '|' || 定員数 || '|' || 受講人数 || '|' || 単元 || '|'"
                                        " || 講座内容 || '|' || 宿題 || '|' || コメント FROM 毎講座履歴 WHERE 毎講座ID = %1")
                             .arg(id));
    }
};
} // namespace

class tst_CourseDetail : public QObject {
    Q_OBJECT
private slots:
    void addStoresNewLessonUnderNextId();
    void copyLoadsLessonAndStoresCopyWithoutAttendance();
    void editRewritesWeekdayFromDate();
    void closingWithoutSavingLeavesLessonAlone();
    void requiredFieldMessages_data();
    void requiredFieldMessages();
    void bulkRange_data();
    void bulkRange();
    void clearHidesBulkButKeepsTick();
};

void tst_CourseDetail::addStoresNewLessonUnderNextId()
{
    Detail d(0, 0);
    QCOMPARE(child<QLabel>(&*d.w, "lblMode")->text(), QStringLiteral("追　加"));
    QCOMPARE(d.w->windowTitle(), QStringLiteral("講座の情報を記入しましょう～。"));
    QVERIFY(child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());
    QCOMPARE(d.cbo(0)->currentIndex(), -1);
    QCOMPARE(d.cbo(0)->itemText(0), QString());
    QCOMPARE(d.cbo(6)->count(), 8);

    d.chooseAll(1);
    d.date(0)->setDate(QDate(2026, 4, 12));
    d.edit("txtNinzu_0")->setText("abc");  // not a number: stored as 0
    d.edit("txtNinzu_1")->setText("3");
    d.edit("TXT_KouzaInfo_0")->setText("'; DROP TABLE 毎講座履歴; --");
    child<QPlainTextEdit>(&*d.w, "TXT_KouzaInfo_1")->setPlainText("100% *#\n二行目 ｶﾅ 😀");
    d.click("cmdOK");

    QCOMPARE(d.row(6), QStringLiteral("2026/04/12|7|111111|0|3|'; DROP TABLE 毎講座履歴; --|100% *#\n二行目 ｶﾅ 😀||"));
    QCOMPARE(d.pf.count("毎講座履歴"), 3);
    QCOMPARE(d.opener.ok, std::optional<bool>(true));
    QVERIFY(!d.w->isVisible());
    QVERIFY(d.pf.ui().messages.empty());
}

void tst_CourseDetail::copyLoadsLessonAndStoresCopyWithoutAttendance()
{
    Detail d(1, 5);
    QCOMPARE(child<QLabel>(&*d.w, "lblMode")->text(), QStringLiteral("コピー(追加)"));
    QCOMPARE(d.date(0)->date(), QDate(2026, 4, 8));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(d.cbo(i)->currentData().toInt(), 2);
    QCOMPARE(d.cbo(2)->currentText(), QStringLiteral("B's"));
    QCOMPARE(d.edit("txtNinzu_0")->text(), QStringLiteral("12"));
    QCOMPARE(d.edit("TXT_KouzaInfo_3")->text(), QStringLiteral("よくできた"));
    QVERIFY(child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());

    d.click("cmdOK");
    // The copy has no attendance rows, so no students either.
    QCOMPARE(d.row(6), QStringLiteral("2026/04/08|3|222222|12|0|関数|一次関数のグラフ|p.10|よくできた"));
    QCOMPARE(d.row(5), QStringLiteral("2026/04/08|3|222222|12|2|関数|一次関数のグラフ|p.10|よくできた"));
    QCOMPARE(d.pf.count("講座出席", "毎講座ID = 6"), 0);
    QCOMPARE(d.pf.count("講座出席", "毎講座ID = 5"), 2);
    QCOMPARE(d.opener.ok, std::optional<bool>(true));
}

void tst_CourseDetail::editRewritesWeekdayFromDate()
{
    Detail d(2, 5);
    QCOMPARE(child<QLabel>(&*d.w, "lblMode")->text(), QStringLiteral("編　集"));
    QVERIFY(!child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());
    d.date(0)->setDate(QDate(2026, 4, 10));
    d.cbo(3)->setCurrentIndex(d.cbo(3)->findData(1));
    d.click("cmdOK");
    QCOMPARE(d.row(5).section('|', 0, 2), QStringLiteral("2026/04/10|5|222212"));
    QCOMPARE(d.pf.count("毎講座履歴"), 2);
    QCOMPARE(d.pf.count("講座出席", "毎講座ID = 5"), 2);
}

void tst_CourseDetail::closingWithoutSavingLeavesLessonAlone()
{
    for (const char* how : {"cmdEnd", "close box"}) {
        Detail d(2, 5);
        const QString before = d.row(5);
        d.date(0)->setDate(QDate(2026, 5, 1));
        d.edit("TXT_KouzaInfo_0")->setText("変更");
        if (QByteArray(how) == "cmdEnd")
            d.click("cmdEnd");
        else
            d.w->close();
        QVERIFY(!d.w->isVisible());
        QCOMPARE(d.row(5), before);
        // The list is told not to rebuild; the close box tells it nothing.
        QCOMPARE(d.opener.ok, QByteArray(how) == "cmdEnd" ? std::optional<bool>(false) : std::nullopt);
    }
}

void tst_CourseDetail::requiredFieldMessages_data()
{
    QTest::addColumn<int>("firstMissing");   // boxes before it are chosen
    QTest::addColumn<bool>("blankEntry");    // the blank first entry chosen rather than nothing
    QTest::addColumn<QString>("message");
    const QStringList names = {"学年", "科目", "講座クラス", "講師", "時限", "教室"};
    for (int i = 0; i < 6; ++i) {
        QTest::addRow("%s none", qPrintable(names[i])) << i << false << names[i] + "を入力して下さい。";
        QTest::addRow("%s blank", qPrintable(names[i])) << i << true << names[i] + "を入力して下さい。";
    }
}

void tst_CourseDetail::requiredFieldMessages()
{
    QFETCH(int, firstMissing);
    QFETCH(bool, blankEntry);
    QFETCH(QString, message);
    Detail d(0, 0);
    for (int i = 0; i < firstMissing; ++i)
        d.cbo(i)->setCurrentIndex(1);
    d.cbo(firstMissing)->setCurrentIndex(blankEntry ? 0 : -1);
    d.click("cmdOK");
    QCOMPARE(d.pf.ui().texts(), QStringList{message});  // only the first missing item is told
    QCOMPARE(d.pf.ui().messages[0].title, QStringLiteral("塾管理システム - 楓丸くん -"));
    QCOMPARE(d.pf.ui().messages[0].icon, MsgIcon::Warning);
    QCOMPARE(d.pf.count("毎講座履歴"), 2);
    QVERIFY(d.w->isVisible());
    QVERIFY(!d.opener.ok);
}

void tst_CourseDetail::bulkRange_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<int>("weekday");          // entry of cboEdit(6): 1 Monday ... 7 Sunday, 0 blank, -1 none
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("stored");   // 講座日 of the rows added, in ID order from 6

    const QDate mon(2026, 4, 6), wed(2026, 4, 8), sun(2026, 4, 12);
    QTest::newRow("a week, one Wednesday") << mon << sun << 3 << true
                                           << "2026/04/06～2026/04/12までの7日分を登録してもよいですか？"
                                           << QStringList{"2026/04/08"};
    QTest::newRow("one day") << wed << wed << 3 << true << "2026/04/08～2026/04/08までの1日分を登録してもよいですか？"
                             << QStringList{"2026/04/08"};
    QTest::newRow("four Saturdays") << QDate(2026, 4, 1) << QDate(2026, 4, 30) << 6 << true
                                    << "2026/04/01～2026/04/30までの30日分を登録してもよいですか？"
                                    << QStringList{"2026/04/04", "2026/04/11", "2026/04/18", "2026/04/25"};
    QTest::newRow("answered No") << mon << sun << 3 << false
                                 << "2026/04/06～2026/04/12までの7日分を登録してもよいですか？" << QStringList{};
    QTest::newRow("no Wednesday") << mon << mon.addDays(1) << 3 << true
                                  << "指定された期間に該当する曜日がありません。" << QStringList{};
    QTest::newRow("reversed") << sun << mon << 3 << true << "講座日の範囲指定に誤りがあります" << QStringList{};
    QTest::newRow("no weekday") << mon << sun << -1 << true << "一括登録するときは曜日を必ず指定してください"
                                << QStringList{};
    QTest::newRow("blank weekday") << mon << sun << 0 << true << "一括登録するときは曜日を必ず指定してください"
                                   << QStringList{};
}

void tst_CourseDetail::bulkRange()
{
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(int, weekday);
    QFETCH(bool, yes);
    QFETCH(QString, message);
    QFETCH(QStringList, stored);

    Detail d(0, 0);
    d.chooseAll(2);
    d.date(0)->setDate(QDate(2030, 1, 1));  // ignored in range mode
    QVERIFY(!d.date(1)->isEnabled());
    child<QCheckBox>(&*d.w, "chkIkkatu")->click();
    QVERIFY(d.date(1)->isEnabled() && d.cbo(6)->isEnabled() && !d.date(0)->isEnabled());
    d.date(1)->setDate(first);
    d.date(2)->setDate(last);
    d.cbo(6)->setCurrentIndex(weekday < 0 ? -1 : d.cbo(6)->findData(weekday));
    d.pf.ui().answers = {yes ? MsgAnswer::Yes : MsgAnswer::No};
    d.click("cmdOK");

    QCOMPARE(d.pf.ui().texts(), QStringList{message});
    QCOMPARE(d.pf.ui().messages[0].title, QStringLiteral("塾管理システム - 楓丸くん -"));
    QCOMPARE(d.pf.ui().messages[0].icon, message.endsWith("か？") ? MsgIcon::Question : MsgIcon::Warning);
    QStringList rows;
    for (int id = 6; id < 6 + stored.size(); ++id)
        rows << d.row(id).section('|', 0, 2);
    QStringList expected;
    for (const QString& day : stored)
        expected << day + "|" + QString::number(QDate::fromString(day, "yyyy/MM/dd").dayOfWeek()) + "|222222";
    QCOMPARE(rows, expected);
    QCOMPARE(d.pf.count("毎講座履歴"), 2 + stored.size());
    QCOMPARE(d.w->isVisible(), stored.isEmpty());
    QCOMPARE(d.opener.ok, stored.isEmpty() ? std::nullopt : std::optional<bool>(true));
}

void tst_CourseDetail::clearHidesBulkButKeepsTick()
{
    Detail d(1, 5);
    child<QCheckBox>(&*d.w, "chkIkkatu")->click();
    d.click("cmdClear");
    QVERIFY(!child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());
    QVERIFY(child<QCheckBox>(&*d.w, "chkIkkatu")->isChecked());
    QVERIFY(d.date(0)->isEnabled() && !d.date(1)->isEnabled());
    QCOMPARE(d.cbo(0)->currentIndex(), -1);
    QCOMPARE(d.edit("txtNinzu_0")->text(), QStringLiteral("0"));
    QCOMPARE(d.edit("TXT_KouzaInfo_3")->text(), QString());
    QCOMPARE(d.date(0)->date(), QDate::currentDate());
}

QTEST_MAIN(tst_CourseDetail)
#include "tst_CourseDetail.moc"
