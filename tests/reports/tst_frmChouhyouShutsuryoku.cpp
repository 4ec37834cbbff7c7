// The report selection window on a fresh database: moving lessons and
// students, the report statement, switching the report type, the course
// search's condition, the refusals, and reports written from it and read back.

#include "CommonBase.h"
#include "ExcelOut.h"
#include "PdfFile.h"
#include "ProgramFolder.h"
#include "SmtpSink.h"
#include "WindowTest.h"
#include "XlsxFile.h"
#include "frm帳票出力.h"
#include "frmメール設定.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QJsonArray>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

#include <optional>

namespace {
// Lessons 20, 12, 15 in date order (so list order differs from ID order); 12 and
// 15 have attendance rows, 20 none. Students 101, 102; 103 is deleted.
struct Opened {
    ProgramFolder pf;
    std::optional<frm帳票出力> w;

    // more: statements run after the school is made, before the window opens.
    explicit Opened(const QStringList& more = {})
    {
        for (const char* sql : {
                 "INSERT INTO マスタ時限 VALUES (1, '1限', 0), (2, '2限', 0)",
                 "INSERT INTO マスタ学年 VALUES (1, '中1', 0), (2, '中2', 0)",
                 "INSERT INTO マスタ科目 VALUES (1, '数学', 0)",
                 "INSERT INTO マスタ講座クラス VALUES (1, 'Aクラス', 0)",
                 "INSERT INTO マスタ講師 VALUES (1, '山田', 0)",
                 "INSERT INTO マスタ教室 VALUES (1, '教室1', 0)",
                 "INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID, 定員数, 単元) "
                 "VALUES (20, '2003/04/01', 2, 1, 2, 1, 1, 1, 1, 20, '比例'), (12, '2003/04/08', 2, 2, 1, 1, 1, 1, 1, 20, '一次関数'), "
                 "(15, '2003/04/08', 2, 1, 1, 1, 1, 1, 1, 20, '連立方程式')",
                 "INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (101, 'ﾔﾏﾀﾞ ﾀﾛｳ', '山田 太郎', 0), "
                 "(102, 'ｻﾄｳ ﾊﾅｺ', '佐藤 花子', 0), (103, 'ｷｴﾀ', '消えた 生徒', 1)",
                 "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (12, 101, 1, 5, 4, 3, NULL, 'よくできました', 1, '2003/04/08 20:00:00', 0), "
                 "(15, 101, 1, 3, 3, 3, NULL, '', 0, '2003/04/08 20:00:00', 0), "
                 "(15, 102, 0, 2, 2, 2, NULL, '欠席', 0, '2003/04/08 20:00:00', 0)",
             })
            pf.exec(QString::fromUtf8(sql));
        for (const QString& sql : more)
            pf.exec(sql);
        w.emplace();
        w->show();
    }
    QTreeWidget* list(const QString& name) { return child<QTreeWidget>(&*w, name); }
    void click(const QString& name) { child<QPushButton>(&*w, name)->click(); }
    void type(int index) { child<QRadioButton>(&*w, QStringLiteral("opt帳票タイプ_%1").arg(index))->click(); }
    // Selects the row with this key (tag of a lesson, text of a student) in a list.
    void select(const QString& listName, const QString& key)
    {
        QTreeWidget* l = list(listName);
        for (int row = 0; row < l->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = l->topLevelItem(row);
            if (item->data(0, Qt::UserRole).toString() == key || item->text(0) == key) {
                l->setCurrentItem(item);
                return;
            }
        }
        QFAIL(qPrintable(key));
    }
    // Moves the rows with these keys into the list to print (index 1 lessons, 0 students).
    void choose(int index, const QStringList& keys)
    {
        for (const QString& key : keys) {
            select(index == 1 ? QStringLiteral("lvList_0") : QStringLiteral("lvStudent_0"), key);
            click(QStringLiteral("cmdAdd_%1").arg(index));
        }
    }
    QString removeStates(int index)
    {
        return QString::number(child<QPushButton>(&*w, QStringLiteral("cmdRemove_%1").arg(index))->isEnabled())
               + QString::number(child<QPushButton>(&*w, QStringLiteral("cmdRemoveAll_%1").arg(index))->isEnabled());
    }
    QString label(const QString& name) { return child<QLabel>(&*w, name)->text(); }
};
} // namespace

class tst_frmChouhyouShutsuryoku : public QObject {
    Q_OBJECT
private slots:
    void opensOnEveryLessonInDateOrder();
    void movingLessonsRefusesDuplicates();
    void switchingTypes();
    void searchConditionSurvivesCancel();
    void findBoxesNarrowAsOneTypes_data();
    void findBoxesNarrowAsOneTypes();
    void refusals_data();
    void refusals();
    void reportsWrittenAndReadBack();
    void monthlyPdfFilesAndPrintJob();
    void monthlyMailToGuardians();
    void mailSettingsWindow();
    void analysisNamesStudentsWithoutLessons();
    void classMembersChosenAtOnce();
};

void tst_frmChouhyouShutsuryoku::opensOnEveryLessonInDateOrder()
{
    Opened o;
    QCOMPARE(rowTags(o.list("lvList_0")), QStringList({"20", "15", "12"}));
    QCOMPARE(rowTexts(o.list("lvList_0")).value(1), QStringLiteral("2003/04/08|火|1限|中1|数学|Aクラス|山田"));
    QCOMPARE(o.label("lblCount"), QStringLiteral("3"));
    QCOMPARE(o.list("lvList_1")->columnCount(), 7);
    // On a 1280 x 1024 screen every column is read whole, side by side, without scrolling.
    QVERIFY(o.w->width() <= 1280 && o.w->height() <= 1024 - 40);
    QTreeWidget* lessons = o.list("lvList_0");
    for (int c = 0; c < lessons->columnCount(); ++c)
        QVERIFY(lessons->columnWidth(c) > lessons->fontMetrics().horizontalAdvance(lessons->topLevelItem(1)->text(c)));
    QVERIFY(lessons->header()->length() <= lessons->viewport()->width());
    QCOMPARE(o.list("lvList_1")->topLevelItemCount(), 0);
    QVERIFY(!child<QGroupBox>(&*o.w, "fra生徒情報")->isVisible());
    QCOMPARE(o.removeStates(1) + o.removeStates(0), QStringLiteral("0000"));
    QVERIFY(o.pf.ui().messages.empty());
}

void tst_frmChouhyouShutsuryoku::movingLessonsRefusesDuplicates()
{
    Opened o;
    QTreeWidget* chosen = o.list("lvList_1");
    o.choose(1, {"15", "15"});
    QCOMPARE(rowTags(chosen), QStringList{"15"});
    QCOMPARE(rowTexts(chosen), QStringList{rowTexts(o.list("lvList_0")).value(1)});
    QCOMPARE(o.removeStates(1), QStringLiteral("11"));

    // ">>" adds only the missing ones, in the order of the lesson list.
    o.click("cmdAddAll_1");
    QCOMPARE(rowTags(chosen), QStringList({"15", "20", "12"}));
    o.click("cmdAddAll_1");
    QCOMPARE(chosen->topLevelItemCount(), 3);

    // Enter (as a double click) on the list to print removes the row; on the lesson list it adds.
    o.select("lvList_1", "20");
    QTest::keyClick(chosen, Qt::Key_Return);
    QCOMPARE(rowTags(chosen), QStringList({"15", "12"}));
    o.click("cmdRemoveAll_1");
    QCOMPARE(chosen->topLevelItemCount(), 0);
    QCOMPARE(o.removeStates(1), QStringLiteral("00"));
    o.select("lvList_0", "12");
    QTest::keyClick(o.list("lvList_0"), Qt::Key_Enter);
    QCOMPARE(rowTags(chosen), QStringList{"12"});
    o.select("lvList_1", "12");
    o.click("cmdRemove_1");
    QCOMPARE(o.removeStates(1), QStringLiteral("00"));
    // Nothing selected: nothing moves.
    o.list("lvList_0")->clearSelection();
    o.click("cmdAdd_1");
    QCOMPARE(chosen->topLevelItemCount(), 0);
}

void tst_frmChouhyouShutsuryoku::switchingTypes()
{
    Opened o;
    o.choose(1, {"12"});
    o.type(1);
    QVERIFY(child<QGroupBox>(&*o.w, "fra生徒情報")->isVisible());
    // Students not deleted, in the order the database gives them.
    QStringList students = rowTexts(o.list("lvStudent_0"));
    students.sort();
    QCOMPARE(students, QStringList({"101|ﾔﾏﾀﾞ ﾀﾛｳ|山田 太郎", "102|ｻﾄｳ ﾊﾅｺ|佐藤 花子"}));
    o.choose(0, {"102", "102"});
    QCOMPARE(rowTexts(o.list("lvStudent_1")), QStringList{"102|ｻﾄｳ ﾊﾅｺ|佐藤 花子"});
    QCOMPARE(o.removeStates(0), QStringLiteral("11"));
    QCOMPARE(rowTags(o.list("lvList_1")), QStringList{"12"});   // the lessons wait while students are shown

    // Back to 日報: the lessons to print are emptied; to the students again: they stay.
    o.type(0);
    QVERIFY(!child<QGroupBox>(&*o.w, "fra生徒情報")->isVisible());
    QCOMPARE(o.list("lvList_1")->topLevelItemCount(), 0);
    QCOMPARE(o.removeStates(1), QStringLiteral("00"));
    QCOMPARE(o.list("lvList_0")->topLevelItemCount(), 3);
    o.type(1);
    QCOMPARE(rowTexts(o.list("lvStudent_1")), QStringList{"102|ｻﾄｳ ﾊﾅｺ|佐藤 花子"});
    QCOMPARE(o.list("lvStudent_0")->topLevelItemCount(), 2);
}

void tst_frmChouhyouShutsuryoku::classMembersChosenAtOnce()
{
    // Class 1 has 山田 and the deleted student; 佐藤 left it yesterday.
    const QString yesterday = funcDateText(QDate::currentDate().addDays(-1));
    Opened o({"INSERT INTO 通常クラス (通常クラスID, 学年ID, 科目ID, 講座クラスID, 曜日, 時限ID) VALUES (1, 1, 1, 1, '2', 1)",
              QStringLiteral("INSERT INTO クラス生徒 VALUES (1, 101, '2003/04/01', NULL), (1, 103, '2003/04/01', NULL),"
                             " (1, 102, '2003/04/01', '%1')").arg(yesterday)});
    o.type(2);
    o.click("cmdClass");
    QCOMPARE(o.pf.ui().lastText(), QStringLiteral("クラスを選んでください。"));
    auto* classes = child<QComboBox>(&*o.w, "cboClass");
    QCOMPARE(classes->itemText(1), QStringLiteral("中1 数学 Aクラス 火 1限"));
    classes->setCurrentIndex(1);
    o.click("cmdClass");
    o.click("cmdClass");
    QCOMPARE(rowTexts(o.list("lvStudent_1")), QStringList{"101|ﾔﾏﾀﾞ ﾀﾛｳ|山田 太郎"});
}

void tst_frmChouhyouShutsuryoku::searchConditionSurvivesCancel()
{
    Opened o;
    o.choose(1, {"20"});
    {
        NextModal accept([](QDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("検索したい講座の条件を指定しましょう～。"));
            auto* grade = child<QComboBox>(d, "cboEdit_0");
            grade->setCurrentIndex(grade->findText(QStringLiteral("中1")));
            child<QPushButton>(d, "cmdOK")->click();
        });
        o.click("cmdSearch");
        QVERIFY(accept.fired());
    }
    QCOMPARE(rowTags(o.list("lvList_0")), QStringList({"15", "12"}));
    QCOMPARE(o.label("lblCount"), QStringLiteral("2"));
    QCOMPARE(o.label("lblJyoken"), QStringLiteral(" 【学年】中1"));
    // An output request (here refused: lesson 20 has no attendance) leaves the caption with its condition.
    o.click("cmdOK");
    QCOMPARE(o.pf.ui().lastText(), QStringLiteral("該当データがありません。"));
    {
        // The search opens with the condition last used.
        QString grade;
        NextModal cancel([&grade](QDialog* d) {
            grade = child<QComboBox>(d, "cboEdit_0")->currentText();
            child<QPushButton>(d, "cmdEnd")->click();
        });
        o.click("cmdSearch");
        QVERIFY(cancel.fired());
        QCOMPARE(grade, QStringLiteral("中1"));
    }
    QCOMPARE(rowTags(o.list("lvList_0")), QStringList({"15", "12"}));
    QCOMPARE(o.label("lblJyoken"), QStringLiteral(" 【学年】中1"));
    QCOMPARE(rowTags(o.list("lvList_1")), QStringList{"20"});   // the search keeps the chosen lessons

    // Clearing forgets the condition and its caption, and the chosen lessons; the next search opens empty.
    o.click("cmdClear");
    QCOMPARE(o.label("lblCount"), QStringLiteral("3"));
    QCOMPARE(o.label("lblJyoken"), QString());
    QCOMPARE(o.list("lvList_1")->topLevelItemCount(), 0);
    int grade = 0;
    NextModal empty([&grade](QDialog* d) { grade = child<QComboBox>(d, "cboEdit_0")->currentIndex(); });
    o.click("cmdSearch");
    QVERIFY(empty.fired());
    QCOMPARE(grade, -1);
}

void tst_frmChouhyouShutsuryoku::findBoxesNarrowAsOneTypes_data()
{
    // Typed into the find box over the source list of a report type; the keys of the rows shown.
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("hiragana finds the half-width reading") << 1 << "やまだ" << QStringList{"101"};
    QTest::newRow("katakana and a blank") << 1 << "サトウ　ハ" << QStringList{"102"};
    QTest::newRow("half-width kana") << 1 << "ﾊﾅｺ" << QStringList{"102"};
    QTest::newRow("a name") << 1 << "佐藤" << QStringList{"102"};
    QTest::newRow("full-width digits") << 1 << "１０１" << QStringList{"101"};
    QTest::newRow("a number part") << 1 << "10" << QStringList{"101", "102"};
    QTest::newRow("signs") << 1 << "'%*#" << QStringList{};
    QTest::newRow("emoji") << 1 << "😀" << QStringList{};
    QTest::newRow("a grade") << 0 << "中1" << QStringList{"15", "12"};
    QTest::newRow("a date part") << 0 << "4/08" << QStringList{"15", "12"};
    QTest::newRow("full-width letter, any case") << 0 << "ａクラス" << QStringList{"20", "15", "12"};
    QTest::newRow("not across columns") << 0 << "数学Aクラス" << QStringList{};
}

void tst_frmChouhyouShutsuryoku::findBoxesNarrowAsOneTypes()
{
    QFETCH(int, type);
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    Opened o;
    o.type(type);
    const int index = type == 0 ? 1 : 0;   // the button index of the pair
    QTreeWidget* source = o.list(type == 0 ? QStringLiteral("lvList_0") : QStringLiteral("lvStudent_0"));
    auto* box = child<QLineEdit>(&*o.w, QStringLiteral("txtFind_%1").arg(index * 2));
    const auto shownKeys = [&](QTreeWidget* l) {
        QStringList keys;
        for (int row = 0; row < l->topLevelItemCount(); ++row)
            if (!l->topLevelItem(row)->isHidden())
                keys << (type == 0 ? l->topLevelItem(row)->data(0, Qt::UserRole).toString() : l->topLevelItem(row)->text(0));
        if (type == 1)
            keys.sort();
        return keys;
    };
    const int all = source->topLevelItemCount();
    o.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&*o.w));
    box->setFocus();
    typeInto(box, typed);
    QCOMPARE(shownKeys(source), shown);

    // Down goes to the first row shown, if any; Ctrl+A and ">" move all the rows shown and only those.
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), shown.isEmpty() ? static_cast<QWidget*>(box) : source);
    QTest::keyClick(source, Qt::Key_A, Qt::ControlModifier);
    o.click(QStringLiteral("cmdAdd_%1").arg(index));
    QTreeWidget* target = o.list(type == 0 ? QStringLiteral("lvList_1") : QStringLiteral("lvStudent_1"));
    QCOMPARE(shownKeys(target), shown);
    // Several rows selected in the list to print leave it together.
    target->selectAll();
    o.click(QStringLiteral("cmdRemove_%1").arg(index));
    QCOMPARE(target->topLevelItemCount(), 0);

    // Escape empties the box and every row is back; a second Escape would close the window.
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QString());
    QCOMPARE(shownKeys(source).size(), all);
    QVERIFY(o.w->isVisible());
    QVERIFY(o.pf.ui().messages.empty());
}

void tst_frmChouhyouShutsuryoku::refusals_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    const QString noStudent = QStringLiteral("出力する生徒がありません。\r\n"
                                             "出力したい生徒を生徒一覧から選択して右の出力する生徒リストに追加してください。");
    QTest::newRow("no lesson") << 0 << QStringList{} << "cmdOK"
                               << "出力する講座がありません。\r\n"
                                  "出力したい講座を講座一覧から選択して右の出力する講座リストに追加してください。";
    QTest::newRow("no student") << 1 << QStringList{} << "cmdOK" << noStudent;
    QTest::newRow("lesson without attendance") << 0 << QStringList{"20"} << "cmdOK" << "該当データがありません。";
    QTest::newRow("no student for the monthly report") << 2 << QStringList{} << "cmdOK" << noStudent;
    QTest::newRow("no student for the PDF") << 2 << QStringList{} << "cmdPdf" << noStudent;
    QTest::newRow("no student to print") << 2 << QStringList{} << "cmdPrint" << noStudent;
    QTest::newRow("no student to mail") << 2 << QStringList{} << "cmdMail" << noStudent;
}

void tst_frmChouhyouShutsuryoku::refusals()
{
    QFETCH(int, type);
    QFETCH(QStringList, chosen);
    QFETCH(QString, button);
    QFETCH(QString, message);
    Opened o;
    o.type(type);
    o.choose(type == 0 ? 1 : 0, chosen);
    o.click(button);
    QCOMPARE(o.pf.ui().texts(), QStringList{message});
    QCOMPARE(o.pf.ui().messages.back().icon, MsgIcon::Information);
    QCOMPARE(o.pf.ui().messages.back().title, QStringLiteral("塾管理システム - 楓丸くん -"));
    QVERIFY(o.pf.ui().openedDocuments.isEmpty());
    QVERIFY(o.pf.ui().folderRequests.empty() && o.pf.ui().printDialogs == 0);
    QVERIFY(!QApplication::overrideCursor());
}

void tst_frmChouhyouShutsuryoku::reportsWrittenAndReadBack()
{
    Opened o;
    RecordingUi& ui = o.pf.ui();
    o.choose(1, {"15", "12"});
    o.click("cmdOK");
    QCOMPARE(o.w->sqlText(), QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE  毎講座ID = 15 OR  毎講座ID = 12 ORDER BY 毎講座ID,講座日,生徒番号"));
    QCOMPARE(ui.openedDocuments.size(), 1);
    {
        // One page per lesson in lesson-ID order: 12 first, then 15 with its two students.
        const XlsxFile book(ui.openedDocuments.last());
        QCOMPARE(book.sheetNames(), QStringList{"日報"});
        QCOMPARE(book.text("日報", 3, 2), QStringLiteral("2003/04/08"));
        QCOMPARE(book.text("日報", 5, 3), QStringLiteral("一次関数"));
        QCOMPARE(book.text("日報", 19, 3), QStringLiteral("山田 太郎"));
        QCOMPARE(book.text("日報", 44 + 4, 3), QStringLiteral("連立方程式"));
        QCOMPARE(QSet<QString>({book.text("日報", 44 + 18, 3), book.text("日報", 44 + 19, 3)}),
                 QSet<QString>({"山田 太郎", "佐藤 花子"}));
    }
    QFile::remove(ui.openedDocuments.last());

    // The window stays open for the next report: the analysis sheet of two students.
    QVERIFY(o.w->isVisible());
    o.type(1);
    o.choose(0, {"102", "101"});
    o.click("cmdOK");
    QCOMPARE(o.w->sqlText(), QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE  生徒番号 = 102 OR  生徒番号 = 101 ORDER BY 生徒番号,毎講座ID,講座日"));
    QCOMPARE(ui.openedDocuments.size(), 2);
    {
        const XlsxFile book(ui.openedDocuments.last());
        QCOMPARE(book.sheetNames(), QStringList{"生徒分析シート"});
        QCOMPARE(book.text("生徒分析シート", 3, 2), QStringLiteral("山田 太郎"));
        QCOMPARE(book.text("生徒分析シート", 1, 24), QStringLiteral("2003/04/08"));
        QCOMPARE(book.text("生徒分析シート", 42 + 3, 2), QStringLiteral("佐藤 花子"));
    }
    QFile::remove(ui.openedDocuments.last());

    // The monthly report of the same students: the month is chosen below the lists,
    // this month or the one before by default; a page each, by student number.
    o.type(2);
    auto* month = child<QDateEdit>(&*o.w, "DTP対象月");
    QVERIFY(month->isVisible());
    QCOMPARE(month->date(), defaultReportMonth(QDate::currentDate()));
    month->setDate(QDate(2003, 4, 1));
    o.click("cmdOK");
    QCOMPARE(o.w->sqlText(), QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE  生徒番号 = 102 OR  生徒番号 = 101 ORDER BY 生徒番号,講座日,時限ID"));
    QCOMPARE(ui.openedDocuments.size(), 3);
    {
        const XlsxFile book(ui.openedDocuments.last());
        QCOMPARE(book.sheetNames(), QStringList{"月間報告書"});
        QCOMPARE(book.text("月間報告書", 3, 1), QStringLiteral("2003年4月"));
        QCOMPARE(book.text("月間報告書", 5, 8), QStringLiteral("山田 太郎"));
        QCOMPARE(book.text("月間報告書", 9, 3) + book.text("月間報告書", 11, 3), QStringLiteral("1限2限"));
        QCOMPARE(book.text("月間報告書", 68 + 5, 8), QStringLiteral("佐藤 花子"));
        QCOMPARE(book.text("月間報告書", 68 + 9, 6), QStringLiteral("欠"));
    }
    QFile::remove(ui.openedDocuments.last());
    o.type(1);
    QVERIFY(!month->isVisible());
    QVERIFY(ui.messages.empty());
    QVERIFY(o.w->isVisible());
}

void tst_frmChouhyouShutsuryoku::monthlyPdfFilesAndPrintJob()
{
    Opened o;
    RecordingUi& ui = o.pf.ui();
    auto* pdf = child<QPushButton>(&*o.w, "cmdPdf");
    QVERIFY(!pdf->isVisible());   // the daily report has no PDF
    o.type(2);
    QVERIFY(pdf->isVisible());
    child<QDateEdit>(&*o.w, "DTP対象月")->setDate(QDate(2003, 4, 1));
    o.choose(0, {"102", "101"});

    // A file per student in the chosen folder; cancelling the folder writes nothing.
    o.click("cmdPdf");
    QCOMPARE(ui.folderRequests.size(), std::size_t{1});
    const QString folder = o.pf.file(QStringLiteral("pdf"));
    QVERIFY(QDir().mkpath(folder));
    ui.folderAnswers.push_back(folder);
    o.click("cmdPdf");
    QCOMPARE(QDir(folder).entryList(QDir::Files),
             (QStringList{QStringLiteral("101_山田 太郎_200304.pdf"), QStringLiteral("102_佐藤 花子_200304.pdf")}));
    QCOMPARE(ui.texts(), QStringList{QStringLiteral("PDFを 2 件保存しました。\r\n") + QDir::toNativeSeparators(folder)});
    QCOMPARE(readPdf(folder + QStringLiteral("/101_山田 太郎_200304.pdf")).pages, 1);

    // Or one file for the whole choice, named after the month.
    child<QCheckBox>(&*o.w, "chkOnePdf")->setChecked(true);
    const QString one = o.pf.file(QStringLiteral("4月.pdf"));
    ui.saveFileAnswers.push_back(one);
    o.click("cmdPdf");
    QCOMPARE(ui.saveFileRequests.back().fileName, QStringLiteral("月間報告書_200304.pdf"));
    QCOMPARE(readPdf(one).pages, 2);

    // Printed as one job of every page; a cancelled dialog prints nothing.
    ui.clear();
    o.click("cmdPrint");
    QCOMPARE(ui.printDialogs, 1);
    ui.printTo = o.pf.file(QStringLiteral("printed.pdf"));
    o.click("cmdPrint");
    const PdfFile printed = readPdf(ui.printTo);
    QCOMPARE(printed.pages, 2);
    QVERIFY(printed.joined().contains(QStringLiteral("よくできました")));
    QVERIFY(ui.messages.empty());
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(tst_frmChouhyouShutsuryoku)
#include "tst_frmChouhyouShutsuryoku.moc"

void tst_frmChouhyouShutsuryoku::monthlyMailToGuardians()
{
    SmtpSink sink;
    Opened o({QStringLiteral("INSERT INTO メール設定 (設定ID, ホスト, ポート, STARTTLS, 差出人) VALUES (1, '127.0.0.1', %1, 0, 'office@example.jp')")
                  .arg(sink.port()),
              "UPDATE 生徒台帳 SET 保護者メール = 'yamada@example.jp' WHERE 生徒番号 = 101",
              "UPDATE 生徒台帳 SET 保護者メール = 'refuse@example.jp' WHERE 生徒番号 = 102"});
    RecordingUi& ui = o.pf.ui();
    o.type(2);
    QVERIFY(child<QPushButton>(&*o.w, "cmdMail")->isVisible());
    child<QDateEdit>(&*o.w, "DTP対象月")->setDate(QDate(2003, 4, 1));
    o.choose(0, {"101", "102"});
    // The refused family is listed with the server's reason, sent again on request, and listed again.
    QList<QStringList> listed;
    const auto rows = [&](QDialog* result) {
        listed << rowTexts(child<QTreeWidget>(result, "lvFailed"));
        return result;
    };
    NextModal first([&](QDialog* result) {
        onNextModal([&](QDialog* again) { child<QPushButton>(rows(again), "cmdEnd")->click(); });
        child<QPushButton>(rows(result), "cmdRetry")->click();
    });
    o.click("cmdMail");
    QVERIFY(first.fired());
    QTRY_COMPARE(listed.size(), 2);
    for (const QStringList& failed : listed) {
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed[0].startsWith(QStringLiteral("102|佐藤 花子|refuse@example.jp|メールサーバーが受け付けませんでした")), qPrintable(failed[0]));
        QVERIFY(failed[0].contains(QStringLiteral("550 5.1.1")));
    }
    const QList<QJsonObject> received = sink.received();
    QCOMPARE(received.size(), 1);
    QCOMPARE(received[0]["subject"].toString(), QStringLiteral("2003年4月 月間報告書（山田 太郎）"));
    const QJsonObject file = received[0]["attachments"].toArray().at(0).toObject();
    QCOMPARE(file["name"].toString(), QStringLiteral("101_山田 太郎_200304.pdf"));
    QVERIFY(QByteArray::fromBase64(file["bytes"].toString().toLatin1()).startsWith("%PDF"));
    QCOMPARE(o.pf.list("SELECT 生徒番号 || ' ' || 宛先 || ' ' || 対象月 FROM メール送信履歴"), QStringLiteral("101 yamada@example.jp 2003/04"));

    // The same month again is asked first; いいえ sends nothing.
    ui.clear();
    ui.answers.push_back(MsgAnswer::No);
    o.click("cmdMail");
    QCOMPARE(ui.texts(), QStringList{QStringLiteral("次の生徒の2003年4月の月間報告書は、もうメールで送ってあります。もう一度送りますか？\r\n\r\n・山田 太郎")});
    QCOMPARE(sink.received().size(), 1);
}

void tst_frmChouhyouShutsuryoku::mailSettingsWindow()
{
    ProgramFolder pf;
    frmメール設定 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const auto box = [&](const char* name) { return child<QLineEdit>(&w, name); };
    QCOMPARE(box("txtPort")->text(), QStringLiteral("587"));
    QVERIFY(child<QCheckBox>(&w, "chkStartTls")->isChecked());
    box("txtHost")->setText(QStringLiteral("smtp.example.jp"));
    box("txtUser")->setText(QStringLiteral("office"));
    box("txtFrom")->setText(QStringLiteral("office@example.jp"));
    // Enter saves; what cannot be used is told and nothing is stored.
    pressKeys({"Return"});
    QCOMPARE(pf.ui().lastText(), QStringLiteral("パスワードを入力してください。"));
    QCOMPARE(pf.count(QStringLiteral("メール設定")), 0);
    box("txtPassword")->setText(QStringLiteral("秘密'%*#"));
    child<QCheckBox>(&w, "chkSavePassword")->setChecked(true);
    box("txtPort")->setFocus();
    pressKeys({"Return"});
    QVERIFY(w.propOK());
    QVERIFY(!w.isVisible());
    QCOMPARE(pf.scalar(QStringLiteral("SELECT ホスト || ' ' || ポート || ' ' || STARTTLS || ' ' || ユーザー FROM メール設定")),
             QStringLiteral("smtp.example.jp 587 1 office"));
    QVERIFY(!pf.scalar(QStringLiteral("SELECT パスワード暗号 FROM メール設定")).contains(QStringLiteral("秘密")));
    // Escape with a change asks before it is lost.
    frmメール設定 again;
    again.show();
    QCOMPARE(child<QLineEdit>(&again, "txtPassword")->text(), QStringLiteral("秘密'%*#"));
    child<QLineEdit>(&again, "txtHost")->setText(QStringLiteral("other.example.jp"));
    pf.ui().answers.push_back(MsgAnswer::Cancel);
    again.reject();
    QVERIFY(again.isVisible());
    pf.ui().answers.push_back(MsgAnswer::No);
    again.reject();
    QVERIFY(!again.isVisible());
    QCOMPARE(pf.scalar(QStringLiteral("SELECT ホスト FROM メール設定")), QStringLiteral("smtp.example.jp"));
    MailSettings::subSetSessionPassword(std::nullopt);
}

void tst_frmChouhyouShutsuryoku::analysisNamesStudentsWithoutLessons()
{
    Opened o({QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES "
                             "(104, 'ｽｽﾞｷ', '鈴木 一郎', 0), (105, 'ﾀﾅｶ', '田中 花', 0)")});
    o.type(1);
    o.choose(0, {"105", "101", "104"});
    o.click("cmdOK");
    // The sheet is written for the student with lessons; the others are named after it.
    QCOMPARE(o.pf.ui().openedDocuments.size(), 1);
    QCOMPARE(XlsxFile(o.pf.ui().openedDocuments.last()).text("生徒分析シート", 3, 2), QStringLiteral("山田 太郎"));
    QFile::remove(o.pf.ui().openedDocuments.last());
    QCOMPARE(o.pf.ui().texts(), QStringList{QStringLiteral("授業の記録がない生徒は出力していません：田中 花、鈴木 一郎")});
    QCOMPARE(o.pf.ui().messages.back().icon, MsgIcon::Information);
}
