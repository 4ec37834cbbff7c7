#include "CommonBase.h"
#include "DaoCommon.h"
#include "FormsCommon.h"
#include "PlanningSchool.h"
#include "WindowTest.h"
#include "frm休校日.h"
#include "frm期間登録.h"
#include "frm通常クラス.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStringEncoder>
#include <QStyle>
#include <QTreeWidget>

#include <QtTest>

class tst_Planning : public QObject {
    Q_OBJECT
private slots:
    void termWindowStoresWhatItPreviewed();
    void classWindowEditsPatternAndMembers();
    void closureWindowOffersDefaultsAndDeletesLessons();
    void closureMeetsAnotherPc_data();
    void closureMeetsAnotherPc();
    void holidayListLoadedAfterItsDifferences();
};

namespace {
QDate day(const char* text)
{
    return funcTextDate(QString::fromUtf8(text));
}

QTreeWidgetItem* rowNamed(QTreeWidget* list, const QString& text)
{
    const QList<QTreeWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}
} // namespace

void tst_Planning::termWindowStoresWhatItPreviewed()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    pf.exec(QStringLiteral("INSERT INTO クラス生徒 VALUES (1, 1, '2026/01/01', NULL), (1, 2, '2026/01/01', '2026/09/20')"));
    frm期間登録 window;
    auto* preview = child<QTreeWidget>(&window, QStringLiteral("lvPreview"));
    auto* ok = child<QPushButton>(&window, QStringLiteral("cmdOK"));
    child<QDateEdit>(&window, QStringLiteral("DTPDate_0"))->setDate(day("2026/09/14"));
    child<QDateEdit>(&window, QStringLiteral("DTPDate_1"))->setDate(day("2026/09/28"));
    QVERIFY(!ok->isEnabled());
    window.cmdPreview_Click();
    QCOMPARE(rowTexts(preview), (QStringList{"2026/09/14(月)|中1 数学 A 月・木 1限|2 人|", "2026/09/17(木)|中1 数学 A 月・木 1限|2 人|",
                                             "2026/09/21(月)|中1 数学 A 月・木 1限||祝日：敬老の日",
                                             "2026/09/24(木)|中1 数学 A 月・木 1限|1 人|", "2026/09/28(月)|中1 数学 A 月・木 1限|1 人|"}));
    QCOMPARE(child<QLabel>(&window, QStringLiteral("lblCount"))->text(), QStringLiteral("登録する講座 4 件　除く日 1 件"));
    // A changed option makes the preview stale: nothing may be stored from it.
    child<QCheckBox>(&window, QStringLiteral("chk祝日"))->setChecked(false);
    QVERIFY(!ok->isEnabled());
    QVERIFY(preview->topLevelItemCount() == 0);
    child<QCheckBox>(&window, QStringLiteral("chk祝日"))->setChecked(true);
    window.cmdPreview_Click();
    window.cmdOK_Click();
    QCOMPARE(pf.ui().texts().last(), QStringLiteral("4 件の講座を登録しました。"));
    QCOMPARE(pf.count(QStringLiteral("毎講座履歴")), 4);
    QCOMPARE(pf.scalar(QStringLiteral("SELECT SUM(受講人数) FROM 毎講座履歴")), QStringLiteral("6"));
    QVERIFY(window.propOK());
    // No class chosen: told, nothing previewed.
    child<QCheckBox>(&window, QStringLiteral("chkAll"))->click();
    window.cmdPreview_Click();
    QCOMPARE(pf.ui().lastText(), QStringLiteral("登録するクラスを選んでください。"));
    QVERIFY(!ok->isEnabled());
}

void tst_Planning::classWindowEditsPatternAndMembers()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (5, 'ｵｶﾀﾞ', '岡田''%#😀', 0)"));
    frm通常クラス window;
    auto* students = child<QTreeWidget>(&window, QStringLiteral("lvStu"));
    QCOMPARE(child<QTreeWidget>(&window, QStringLiteral("lvClass"))->topLevelItemCount(), 1);
    // The names column leaves room for the tick box beside each name.
    const int box = students->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, students);
    for (int r = 0; r < students->topLevelItemCount(); ++r)
        QVERIFY(students->columnWidth(0) > students->fontMetrics().horizontalAdvance(students->topLevelItem(r)->text(0)) + box);
    window.cmdNew_Click();
    child<QComboBox>(&window, QStringLiteral("cboEdit_0"))->setCurrentIndex(2);   // 中2
    // Saving without the rest is refused with the first missing item.
    window.cmdSave_Click();
    QCOMPARE(pf.ui().lastText(), QStringLiteral("科目を入力して下さい。"));
    for (int i : {1, 2, 3})
        child<QComboBox>(&window, QStringLiteral("cboEdit_%1").arg(i))->setCurrentIndex(1);
    child<QCheckBox>(&window, QStringLiteral("chk曜日_2"))->setChecked(true);
    // A member by the find box and the space bar, as in the takers panel; the start date is the picker's.
    child<QDateEdit>(&window, QStringLiteral("DTP開始"))->setDate(day("2026/04/01"));
    typeInto(child<QLineEdit>(&window, QStringLiteral("txtFind")), QStringLiteral("ｵｶﾀﾞ"));
    QTest::keyClick(child<QLineEdit>(&window, QStringLiteral("txtFind")), Qt::Key_Down);
    QCOMPARE(students->currentItem()->text(0), QStringLiteral("岡田'%#😀"));
    QTest::keyClick(students, Qt::Key_Space);
    QCOMPARE(students->currentItem()->text(2), QStringLiteral("2026/04/01"));
    subSetPickerDate(child<QDateEdit>(&window, QStringLiteral("DTP終了")), day("2026/07/31"));
    QVERIFY(window.cmdSave_Click());
    QCOMPARE(pf.rows(QStringLiteral("SELECT 通常クラスID, 学年ID, 曜日, 時限ID FROM 通常クラス WHERE 通常クラスID = 2")),
             QStringLiteral("2|2|3|1"));
    QCOMPARE(pf.rows(QStringLiteral("SELECT 生徒番号, 開始日, 終了日 FROM クラス生徒")), QStringLiteral("5|2026/04/01|2026/07/31"));
    // Changes are not dropped unasked: いいえ on closing leaves them unsaved, キャンセル stays.
    child<QCheckBox>(&window, QStringLiteral("chk曜日_4"))->setChecked(true);
    pf.ui().answers = {MsgAnswer::Cancel};
    window.cmdEnd_Click();
    QVERIFY(window.isVisible() || !window.result());
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 曜日 FROM 通常クラス WHERE 通常クラスID = 2")), QStringLiteral("3"));
    pf.ui().answers = {MsgAnswer::Yes};
    window.cmdEnd_Click();
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 曜日 FROM 通常クラス WHERE 通常クラスID = 2")), QStringLiteral("3,5"));
}

void tst_Planning::closureWindowOffersDefaultsAndDeletesLessons()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    const QString future = funcDateText(QDate::currentDate().addYears(1));
    pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 時限ID, 学年ID, 科目ID, 講座クラスID) VALUES (1, '%1', 1, 1, 1, 1),"
                           " (2, '%1', 2, 2, 2, 2)")
                .arg(future));
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題) VALUES"
                           " (1, 1, 0, 0, 0, 0, 0, '', 0), (2, 2, 1, 0, 0, 0, 0, '', 0)"));
    {
        frm休校日 window;
        NextModal step([&](QDialog*) { QCoreApplication::processEvents(); });
        window.exec();
    }
    QCOMPARE(pf.list(QStringLiteral("SELECT 休校日名 FROM マスタ休校日 ORDER BY 開始日")), QStringLiteral("お盆,年末年始"));
    frm休校日 window;
    window.cmdNew_Click();
    child<QLineEdit>(&window, QStringLiteral("txtName"))->setText(QStringLiteral("臨時休校"));
    typeInto(child<QLineEdit>(&window, QStringLiteral("txtFrom")), future);
    // Full-width digits are the same date.
    QString wide = future;
    for (QChar& c : wide)
        if (c.isDigit())
            c = QChar(0xFF10 + c.digitValue());
    typeInto(child<QLineEdit>(&window, QStringLiteral("txtTo")), wide);
    // Delete the lessons, but keep the one with attendance recorded.
    pf.ui().answers = {MsgAnswer::Yes, MsgAnswer::No};
    pf.ui().clear();
    QVERIFY(window.cmdSave_Click());
    QVERIFY(pf.ui().texts().value(0).contains(QStringLiteral("中1 数学 A 1限（青木）")));
    QVERIFY(pf.ui().texts().value(1).contains(QStringLiteral("1 件の講座には出欠・評価が記録されています")));
    QCOMPARE(pf.ui().lastText(), QStringLiteral("1 件の講座を削除しました。"));
    QCOMPARE(pf.list(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴")), QStringLiteral("2"));
    QVERIFY(window.propOK());
    // A range that is no range changes nothing.
    window.cmdNew_Click();
    child<QLineEdit>(&window, QStringLiteral("txtName"))->setText(QStringLiteral("x"));
    child<QLineEdit>(&window, QStringLiteral("txtFrom"))->setText(QStringLiteral("2026/02/30"));
    child<QLineEdit>(&window, QStringLiteral("txtTo"))->setText(QStringLiteral("2026/03/01"));
    QVERIFY(!window.cmdSave_Click());
    QCOMPARE(pf.ui().lastText(), kClosureFormatText);
    QCOMPARE(pf.count(QStringLiteral("マスタ休校日")), 3);
}

void tst_Planning::closureMeetsAnotherPc_data()
{
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("stored");   // the live closures afterwards
    QTest::addColumn<QString>("shown");    // the name the window shows
    const QString renamed = QStringLiteral("UPDATE マスタ休校日 SET 休校日名 = '夏休み' WHERE 休校日ID = 1");
    const QString deleted = QStringLiteral("UPDATE マスタ休校日 SET 削除フラグ = 1 WHERE 休校日ID = 1");
    QTest::newRow("renamed: いいえ keeps theirs") << renamed << false << "夏休み,年末年始" << "夏休み";
    QTest::newRow("renamed: はい overwrites") << renamed << true << "お盆休み,年末年始" << "お盆休み";
    QTest::newRow("deleted: はい adds it again") << deleted << true << "お盆休み,年末年始" << "お盆休み";
    QTest::newRow("deleted: いいえ leaves it gone") << deleted << false << "年末年始" << "";
    QTest::newRow("unchanged: no question") << QStringLiteral("UPDATE マスタ休校日 SET 休校日名 = '年末' WHERE 休校日ID = 2") << false
                                            << "お盆休み,年末" << "お盆休み";
}

void tst_Planning::closureMeetsAnotherPc()
{
    QFETCH(QString, elsewhere);
    QFETCH(bool, yes);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    for (const Closure& c : SchoolCalendar::funcDefaultClosures())
        SchoolCalendar::funcSaveClosure(c);
    frm休校日 window;
    auto* list = child<QTreeWidget>(&window, QStringLiteral("lvClosure"));
    list->setCurrentItem(list->topLevelItem(0));
    child<QLineEdit>(&window, QStringLiteral("txtName"))->setText(QStringLiteral("お盆休み"));
    pf.execElsewhere(elsewhere);
    pf.ui().answers = {yes ? MsgAnswer::Yes : MsgAnswer::No};
    pf.ui().clear();
    QVERIFY(window.cmdSave_Click());
    QCOMPARE(pf.list(QStringLiteral("SELECT 休校日名 FROM マスタ休校日 WHERE 削除フラグ = 0 ORDER BY 開始日, 休校日ID")), stored);
    QCOMPARE(child<QLineEdit>(&window, QStringLiteral("txtName"))->text(), shown);
    QCOMPARE(pf.ui().texts().size(), elsewhere.contains(QStringLiteral("ID = 2")) ? 0 : 1);
}

void tst_Planning::holidayListLoadedAfterItsDifferences()
{
    PlanningSchool school;
    ProgramFolder& pf = school.pf;
    const int year = Holidays::kFixedThrough + 1;
    QString csv = QStringLiteral("国民の祝日・休日月日,国民の祝日・休日名称\r\n");
    for (const Holiday& h : Holidays::funcComputedYear(year))
        if (h.name != QStringLiteral("海の日"))
            csv += h.date.toString(QStringLiteral("yyyy/M/d")) + u',' + h.name + QStringLiteral("\r\n");
    QFile file(pf.file(QStringLiteral("syukujitsu.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringEncoder("windows-31j")(csv));
    file.close();
    frm休校日 window;
    auto* holidays = child<QTreeWidget>(&window, QStringLiteral("lvHoliday"));
    child<QSpinBox>(&window, QStringLiteral("spnYear"))->setValue(year);
    QCOMPARE(child<QLabel>(&window, QStringLiteral("lblYear"))->text(), QStringLiteral("予定（まだ決まっていない年です）"));
    QVERIFY(rowNamed(holidays, QStringLiteral("海の日")));
    // いいえ: nothing is stored.
    pf.ui().openFileAnswers = {file.fileName(), file.fileName()};
    pf.ui().answers = {MsgAnswer::No};
    window.cmdCsv_Click();
    QVERIFY(pf.ui().lastText().contains(QStringLiteral("次の 1 日が違います")));
    QVERIFY(pf.ui().lastText().contains(QStringLiteral("削除　%1").arg(year)));
    QCOMPARE(pf.count(QStringLiteral("祝日一覧")), 0);
    pf.ui().answers = {MsgAnswer::Yes};
    window.cmdCsv_Click();
    QVERIFY(!rowNamed(holidays, QStringLiteral("海の日")));
    QCOMPARE(child<QLabel>(&window, QStringLiteral("lblYear"))->text(), QString());
    // Ticking a holiday makes it a day with lessons, for every year.
    QTreeWidgetItem* newYear = rowNamed(holidays, QStringLiteral("元日"));
    newYear->setCheckState(2, Qt::Checked);
    QCOMPARE(pf.list(QStringLiteral("SELECT 祝日名 FROM 祝日授業 WHERE 授業あり = 1")), QStringLiteral("元日"));
}

QTEST_MAIN(tst_Planning)
#include "tst_Planning.moc"
