#include "CommonBase.h"
#include "ProgramFolder.h"
#include "WindowTest.h"
#include "XlsxFile.h"
#include "frmMenu.h"
#include "frm講座情報一覧.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
// Four lessons, two of them on one day; attendance of three students.
struct School {
    ProgramFolder pf;
    School()
    {
        for (const char* sql : {
                 "INSERT INTO マスタ学年 VALUES (1, '中1', 0)",
                 "INSERT INTO マスタ科目 VALUES (1, '数学', 0), (2, '英語', 0)",
                 "INSERT INTO マスタ講座クラス VALUES (1, 'A', 0)",
                 "INSERT INTO マスタ講師 VALUES (1, '山田', 0)",
                 "INSERT INTO マスタ時限 VALUES (1, '1限', 0), (2, '2限', 0)",
                 "INSERT INTO マスタ教室 VALUES (1, '教室1', 0)",
                 "INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID, 定員数, "
                 "受講人数, 単元) VALUES (1, '2003/04/01', 2, 2, 1, 2, 1, 1, 1, 20, 2, 'be動詞'), "
                 "(2, '2003/04/01', 2, 1, 1, 1, 1, 1, 1, 20, 1, '正負の数'), (3, '2003/04/02', 3, 1, 1, 1, 1, 1, 1, 20, 1, '文字式'), "
                 "(4, '2003/04/03', 4, 1, 1, 2, 1, 1, 1, 20, 1, '過去形')",
                 "INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名) VALUES (10, 'ｱｵｷ', '青木 一郎'), (11, 'ﾔﾏﾀﾞ', '山田 太郎')",
                 "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (1, 10, 0, 3, 3, 3, 3, '', 0, '', 0), (1, 11, 1, 4, 3, 2, 5, 'よくできた', 1, '', 0), "
                 "(2, 10, 1, 1, 1, 1, 1, '', 0, '', 0), (3, 11, 1, 2, 0, 2, 2, '', 0, '', 0), (4, 12, 1, 2, 2, 2, 2, '', 0, '', 0)",
             })
            pf.exec(QString::fromUtf8(sql));
    }
};

QTreeWidget* lvList(QWidget* w)
{
    return child<QTreeWidget>(w, "lvList");
}

QString text(QWidget* w, const char* name)
{
    if (auto* label = w->findChild<QLabel*>(name))
        return label->text();
    return child<QPushButton>(w, name)->text();
}

// Runs check while the list is open (exec() as its openers call it); returns exec's result.
int whileOpen(frm講座情報一覧& w, const std::function<void()>& check)
{
    NextModal step([&](QDialog* d) {
        QCOMPARE(d, static_cast<QDialog*>(&w));
        check();
    });
    const int result = w.exec();
    if (!step.fired())
        qWarning("the list never opened");
    return result;
}

// Answers the search dialog that opens next by choosing one entry of a combo box.
void searchNext(int box, const QString& entry)
{
    onNextModal([box, entry](QDialog* search) {
        // Only this condition: the dialog opens with the one searched before.
        child<QPushButton>(search, "cmdClear")->click();
        auto* combo = child<QComboBox>(search, QStringLiteral("cboEdit_%1").arg(box));
        combo->setCurrentIndex(combo->findText(entry));
        child<QPushButton>(search, "cmdOK")->click();
    });
}

void select(QTreeWidget* list, std::initializer_list<int> rows)
{
    list->clearSelection();
    for (int row : rows)
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->topLevelItem(row)).center());
}
} // namespace

class TestKouzaIchiran : public QObject {
    Q_OBJECT
private slots:
    void fromMenuListsEveryLesson();
    void firstSearchAndCancelledFirstSearch();
    void studentMode();
    void singleAndBulkDelete();
    void editThroughDetailWindow();
    void classRegisterOfOneLesson();
    void calendarOfListedLessons();
    void todaysWorkByKeyboard();
};

void TestKouzaIchiran::fromMenuListsEveryLesson()
{
    School s;
    frmMenu menu;
    menu.show();
    NextModal step([&](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("frm講座情報一覧"));
        QCOMPARE(rowTags(lvList(d)), QStringList({"2", "1", "3", "4"}));
        QCOMPARE(rowTexts(lvList(d)).first(), QStringLiteral("2003/04/01|火|1限|中1|数学|A|教室1|山田|20|正負の数"));
        QCOMPARE(lvList(d)->headerItem()->text(5), QStringLiteral("講座クラス名"));
        QCOMPARE(text(d, "lblJyoken"), QString());
        QCOMPARE(text(d, "lblCount"), QStringLiteral("4"));
        QCOMPARE(buttonStates(d, "cmdOK", 4), QStringLiteral("1000"));
        QVERIFY(child<QPushButton>(d, "cmdExcel")->isEnabled());
        QCOMPARE(dynamic_cast<frm講座情報一覧*>(d)->listSql(), QStringLiteral(" SELECT * FROM QRY_講座内容  ORDER BY 講座日,時限ID,毎講座ID "));

        // A header click sorts by the displayed text; the same column again reverses.
        lvList(d)->header()->sectionClicked(9);
        QCOMPARE(rowTags(lvList(d)), QStringList({"1", "3", "2", "4"}));
        lvList(d)->header()->sectionClicked(9);
        QCOMPARE(rowTags(lvList(d)), QStringList({"4", "2", "3", "1"}));
    });
    QTest::mouseClick(child<QLabel>(&menu, "lblMenu_0"), Qt::LeftButton);
    QVERIFY(step.fired());
}

void TestKouzaIchiran::firstSearchAndCancelledFirstSearch()
{
    School s;
    {
        frm講座情報一覧 w;
        searchNext(1, QStringLiteral("数学"));
        whileOpen(w, [&] {
            QCOMPARE(rowTags(lvList(&w)), QStringList({"2", "3"}));
            QCOMPARE(text(&w, "lblJyoken"), QStringLiteral(" 【科目】数学"));
            QCOMPARE(lvList(&w)->headerItem()->text(0), QStringLiteral("講座日"));
            QCOMPARE(w.listSql(), QStringLiteral(" SELECT * FROM QRY_講座内容  WHERE  科目ID = 1 ORDER BY 講座日,時限ID,毎講座ID "));
            // A new search replaces the rows; a closed one leaves them.
            searchNext(4, QStringLiteral("2限"));
            child<QPushButton>(&w, "cmdSearch")->click();
            QCOMPARE(rowTags(lvList(&w)), QStringList{"1"});
            onNextModal([](QDialog*) {});
            child<QPushButton>(&w, "cmdSearch")->click();
            QCOMPARE(rowTags(lvList(&w)), QStringList{"1"});
            // Nothing found: only "add", no calendar.
            searchNext(6, QStringLiteral("日"));
            child<QPushButton>(&w, "cmdSearch")->click();
            QCOMPARE(s.pf.ui().lastText(), QStringLiteral("該当はありませんでした"));
            // Told with the program's title and the normal pointer, though the list was busy reading.
            QCOMPARE(s.pf.ui().messages.back().title, kTitle);
            QVERIFY(!s.pf.ui().messages.back().busyPointer);
            QCOMPARE(lvList(&w)->topLevelItemCount(), 0);
            QCOMPARE(text(&w, "lblCount"), QStringLiteral("0"));
            QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("1000"));
            QVERIFY(!child<QPushButton>(&w, "cmdExcel")->isEnabled());
        });
    }
    {
        frm講座情報一覧 w;
        bool asked = false;
        onNextModal([&](QDialog* search) {
            asked = true;
            child<QPushButton>(search, "cmdEnd")->click();
        });
        QCOMPARE(w.exec(), int(QDialog::Rejected));
        QVERIFY(asked);
        QVERIFY(!w.isVisible());
        QCOMPARE(lvList(&w)->topLevelItemCount(), 0);
    }
}

void TestKouzaIchiran::studentMode()
{
    School s;
    frm講座情報一覧 w;
    w.setPropNoSearch(true);
    w.setPropTableName(QStringLiteral("QRY_講座出席出力"));
    w.setPropStudentName(QStringLiteral("山田 太郎"));
    w.setPropStudentNo(11);
    w.setPropJyokenString(QString());
    whileOpen(w, [&] {
        QCOMPARE(w.listSql(), QStringLiteral(" SELECT * FROM QRY_講座出席出力  WHERE  生徒番号 = 11 ORDER BY 講座日,時限ID,毎講座ID "));
        // One column per named item, in item order; 0 is 未評価 and shows blank.
        QStringList headers;
        for (int c = 4; c < lvList(&w)->columnCount(); ++c)
            headers << lvList(&w)->headerItem()->text(c);
        QCOMPARE(headers, QStringList({"出席", "宿題", "理解度", "集中力", "積極性", "コメント"}));
        QCOMPARE(rowTexts(lvList(&w)), QStringList({"2003/04/01|2限|中1 英語 A|山田|○|○|4|3|2|よくできた",
                                                    "2003/04/02|1限|中1 数学 A|山田|○||2||2|"}));
        QCOMPARE(text(&w, "lblJyoken"), QStringLiteral("【生徒氏名】山田 太郎 "));
        for (int i = 0; i < 4; ++i)
            QVERIFY(!child<QPushButton>(&w, QStringLiteral("cmdOK_%1").arg(i))->isVisible());
        QVERIFY(child<QPushButton>(&w, "cmdSearch")->isVisible());
        QVERIFY(child<QPushButton>(&w, "cmdExcel")->isEnabled());

        // Clicks on rows do nothing; a search keeps the student's condition after its own.
        select(lvList(&w), {0});
        QTest::mouseDClick(lvList(&w)->viewport(), Qt::LeftButton, {},
                           lvList(&w)->visualItemRect(lvList(&w)->topLevelItem(0)).center());
        QCOMPARE(w.propMaiKouzaID(), 0);
        searchNext(4, QStringLiteral("1限"));
        child<QPushButton>(&w, "cmdSearch")->click();
        QCOMPARE(w.listSql(),
                 QStringLiteral(" SELECT * FROM QRY_講座出席出力  WHERE  時限ID = 1 AND  生徒番号 = 11  ORDER BY 講座日,時限ID,毎講座ID "));
        QCOMPARE(rowTags(lvList(&w)), QStringList{"3"});
        QCOMPARE(text(&w, "lblJyoken"), QStringLiteral("【生徒氏名】山田 太郎  【時限】1限"));
    });
}

void TestKouzaIchiran::singleAndBulkDelete()
{
    School s;
    frm講座情報一覧 w;
    w.setPropNoSearch(true);
    whileOpen(w, [&] {
        QTreeWidget* list = lvList(&w);
        select(list, {2});
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("1111"));
        QCOMPARE(text(&w, "cmdOK_3"), QStringLiteral("削除(&D)"));
        QCOMPARE(w.propMaiKouzaID(), 3);
        child<QPushButton>(&w, "cmdOK_3")->click();
        QCOMPARE(s.pf.ui().lastText(), QStringLiteral("選択している 1 講座を削除してもよろしいですか？"));
        QCOMPARE(rowTags(list), QStringList({"2", "1", "4"}));
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("1000"));

        select(list, {0, 1});
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("0001"));
        QCOMPARE(text(&w, "cmdOK_3"), QStringLiteral("一括削除(&D)"));
        s.pf.ui().answers = {MsgAnswer::No};
        child<QPushButton>(&w, "cmdOK_3")->click();
        QCOMPARE(s.pf.ui().lastText(), QStringLiteral("選択している 2 講座を削除してもよろしいですか？"));
        QCOMPARE(s.pf.count("毎講座履歴"), 3);
        child<QPushButton>(&w, "cmdOK_3")->click();
        QCOMPARE(rowTags(list), QStringList{"4"});
        QCOMPARE(text(&w, "lblCount"), QStringLiteral("1"));
    });
    // Only the chosen lessons and their attendance are gone.
    QCOMPARE(s.pf.list("SELECT 毎講座ID FROM 毎講座履歴"), QStringLiteral("4"));
    QCOMPARE(s.pf.list("SELECT 毎講座ID || '-' || 生徒番号 FROM 講座出席"), QStringLiteral("4-12"));
    QCOMPARE(s.pf.count("生徒台帳"), 2);
}

void TestKouzaIchiran::classRegisterOfOneLesson()
{
    School s;
    frm講座情報一覧 w;
    w.setPropNoSearch(true);
    whileOpen(w, [&] {
        auto* button = child<QPushButton>(&w, "cmd一括入力");
        QVERIFY(!button->isEnabled());
        select(lvList(&w), {0, 1});
        QVERIFY(!button->isEnabled());
        select(lvList(&w), {1});
        QVERIFY(button->isEnabled());
        QString caption;
        int rows = 0;
        onNextModal([&](QDialog* sheet) {
            caption = child<QLabel>(sheet, "lblKouza")->text();
            rows = sheet->findChild<QAbstractItemView*>("grdJukou")->model()->rowCount();
        });
        button->click();
        QCOMPARE(caption, QStringLiteral("2003/04/01(火) 2限 中1 英語 A 山田 教室1"));
        QCOMPARE(rows, 2);
    });
}

void TestKouzaIchiran::editThroughDetailWindow()
{
    School s;
    frm講座情報一覧 w;
    w.setPropNoSearch(true);
    whileOpen(w, [&] {
        QTreeWidget* list = lvList(&w);
        // A double click with nothing selected opens nothing.
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 5));
        QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &w);

        // An add closed unsaved leaves the row selected; edit then opens that row, never an empty form.
        select(list, {1});
        onNextModal([](QDialog* detail) { child<QPushButton>(detail, "cmdEnd")->click(); });
        child<QPushButton>(&w, "cmdOK_0")->click();
        QString loaded;
        onNextModal([&](QDialog* detail) {
            loaded = child<QLineEdit>(detail, "TXT_KouzaInfo_0")->text();
            child<QPushButton>(detail, "cmdEnd")->click();
        });
        child<QPushButton>(&w, "cmdOK_2")->click();
        QCOMPARE(loaded, QStringLiteral("be動詞"));

        // A lesson deleted meanwhile is told, not opened, and leaves the list.
        s.pf.exec("DELETE FROM 毎講座履歴 WHERE 毎講座ID = 3");
        select(list, {2});
        child<QPushButton>(&w, "cmdOK_1")->click();
        QCOMPARE(s.pf.ui().lastText(), QStringLiteral("指定された講座が見つかりません。既に削除された可能性があります。"));
        QCOMPARE(rowTags(list), QStringList({"2", "1", "4"}));

        select(list, {1});
        // Closed without saving: the list is not rebuilt, the row stays selected.
        onNextModal([](QDialog* detail) { child<QPushButton>(detail, "cmdEnd")->click(); });
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(1)).center());
        QCOMPARE(w.propSyoriID(), Syori::Edit);
        QCOMPARE(w.propMaiKouzaID(), 1);
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("1111"));

        // Saved: the list is read again, in the order the user sorted it (by 単元, descending).
        list->header()->sectionClicked(9);
        list->header()->sectionClicked(9);
        QCOMPARE(rowTags(list), QStringList({"4", "2", "1"}));
        select(list, {2});
        onNextModal([](QDialog* detail) {
            child<QLineEdit>(detail, "TXT_KouzaInfo_0")->setText(QStringLiteral("不定詞 '%*#"));
            child<QPushButton>(detail, "cmdOK")->click();
        });
        child<QPushButton>(&w, "cmdOK_2")->click();
        QCOMPARE(rowTags(list), QStringList({"4", "2", "1"}));   // the query's order is 2, 1, 4
        QCOMPARE(list->topLevelItem(2)->text(9), QStringLiteral("不定詞 '%*#"));
        QCOMPARE(list->header()->sortIndicatorSection(), 9);
        QCOMPARE(list->currentItem(), list->topLevelItem(2));   // the lesson just saved
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("1111"));
    });
}

void TestKouzaIchiran::calendarOfListedLessons()
{
    School s;
    frm講座情報一覧 w;
    searchNext(1, QStringLiteral("数学"));
    whileOpen(w, [&] { child<QPushButton>(&w, "cmdExcel")->click(); });
    QVERIFY(!s.pf.ui().openedDocuments.isEmpty());
    const XlsxFile book(s.pf.ui().openedDocuments.last());
    const QString sheet = QStringLiteral("講座カレンダー");
    QCOMPARE(book.sheetNames(), QStringList{sheet});
    QCOMPARE(book.text(sheet, 2, 4), QStringLiteral("【2003年4月】"));
    QCOMPARE(book.text(sheet, 4, 2), QStringLiteral(" 【科目】数学"));
    // 2003/04/01 is a Tuesday: its one mathematics lesson under the day, the English one left out.
    QCOMPARE(book.text(sheet, 8, 2), QStringLiteral("【1限】中1数学A(山田) 教室1 定員：20 受講人数：1"));
    QCOMPARE(book.text(sheet, 9, 2), QString());
    QCOMPARE(book.text(sheet, 8, 3), QStringLiteral("【1限】中1数学A(山田) 教室1 定員：20 受講人数：1"));
    QFile::remove(s.pf.ui().openedDocuments.last());
}

void TestKouzaIchiran::todaysWorkByKeyboard()
{
    School s;
    const QDate today = QDate::currentDate();
    s.pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID)"
                             " VALUES (8, '%1', 1, 1, 1, 1, 1, 1, 1), (9, '%2', 1, 1, 1, 1, 1, 1, 1)")
                  .arg(funcDateText(today.addDays(2)), funcDateText(today.addDays(-1))));
    frm講座情報一覧 w;
    searchNext(1, QStringLiteral("数学"));
    whileOpen(w, [&] {
        QTreeWidget* list = lvList(&w);
        // Opened on the next lesson day, with the focus on the list and nothing selected yet.
        QCOMPARE(rowTags(list), QStringList({"2", "3", "9", "8"}));
        QCOMPARE(list->currentItem(), list->topLevelItem(3));
        QCOMPARE(w.focusWidget(), list);
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("1000"));

        // Enter opens the selected lesson, Delete asks as 削除 does.
        select(list, {1});
        QString unit;
        NextModal byEnter([&](QDialog* d) { unit = child<QLineEdit>(d, "TXT_KouzaInfo_0")->text(); });
        QTest::keyClick(list, Qt::Key_Enter);
        QVERIFY(byEnter.fired());
        QCOMPARE(unit, QStringLiteral("文字式"));
        s.pf.ui().answers = {MsgAnswer::No};
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(s.pf.ui().lastText(), QStringLiteral("選択している 1 講座を削除してもよろしいですか？"));

        // An English lesson added to a list of mathematics is told to be outside the search.
        onNextModal([](QDialog* d) {
            for (int i = 0; i < 6; ++i) {
                auto* box = child<QComboBox>(d, QStringLiteral("cboEdit_%1").arg(i));
                box->setCurrentIndex(box->findData(i == 1 ? 2 : 1));
            }
            child<QPushButton>(d, "cmdOK")->click();
            child<QPushButton>(d, "cmdEnd")->click();
        });
        child<QPushButton>(&w, "cmdOK_0")->click();
        QCOMPARE(s.pf.count("毎講座履歴", "科目ID = 2"), 3);
        QCOMPARE(text(&w, "lblMsg"), QStringLiteral("追加した講座は現在の検索条件に含まれていません。"));
    });
}

QTEST_MAIN(TestKouzaIchiran)
#include "tst_frmKouzaIchiran.moc"
