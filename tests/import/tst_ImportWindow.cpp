#include "../students/StudentsTest.h"
#include "ImportFiles.h"
#include "StudentImport.h"
#include "frm生徒取込.h"
#include "Workbook.h"
#include "frm講座情報一覧.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

class tst_ImportWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void previewShowsEveryRowAndStoresWhatItCounts();
    void exportedListImportsAgainAsDuplicates();
    void courseListGoesOutAsShown();
    void cancelledCheckOfAnotherEncodingKeepsThePreview();

private:
    std::unique_ptr<ProgramFolder> pf;
};

namespace {
QString countText(QWidget* w)
{
    return child<QLabel>(w, "lblCount")->text();
}
} // namespace

void tst_ImportWindow::init()
{
    pf.reset();
    pf = std::make_unique<ProgramFolder>();
    insertSchools(*pf);
    insertStudent({1, QStringLiteral("ｻﾄｳ ﾊﾅｺ"), QStringLiteral("佐藤　花子"), QStringLiteral("0427001234"), QStringLiteral("1940013"), {},
                   QStringLiteral("09011112222"), {}, QStringLiteral("2023/04/01"), QStringLiteral("2011/06/01"), 2, 1});
}

void tst_ImportWindow::previewShowsEveryRowAndStoresWhatItCounts()
{
    // Tab-separated UTF-8 with a byte-order mark, as some offices save it.
    const QString path = pf->file(QStringLiteral("名簿.txt"));
    writeTextFile(path,
                  QStringLiteral("氏名\tカナ\t電話\t学校\n"
                                 "上田 翔\tうえだ しょう\t0427-00-5555\t町田第一中学校\n"
                                 "佐藤 花子\tさとう はなこ\t0427001234\t\n"
                                 "\tｶﾅ\t\t\n"
                                 "遠藤 蓮\tえんどう れん\t\t青葉台中学校\n"),
                  "UTF-8", true);
    pf->ui().openFileAnswers = {path};
    withOpenList([&](frm生徒情報一覧& list) {
        bool previewed = false;
        onNextModal([&](QDialog* w) {
            previewed = true;
            QCOMPARE(w->objectName(), QStringLiteral("frm生徒取込"));
            QCOMPARE(child<QComboBox>(w, "cboEncoding")->currentText(), QStringLiteral("UTF-8"));
            QCOMPARE(countText(w), QStringLiteral("取り込む 2件　重複 1件　エラー 1件"));
            QTreeWidget* rows = child<QTreeWidget>(w, "lvRows");
            // Every mapped column, the values the import writes otherwise marked with the file's.
            QCOMPARE(rowTexts(rows).at(0), QStringLiteral("2|取り込む|上田 翔|ｳｴﾀﾞ ｼﾖｳ|0427005555|町田第一中学校|"));
            QCOMPARE(rows->topLevelItem(0)->toolTip(4), QStringLiteral("ファイルの値: 0427-00-5555"));
            QVERIFY(rows->topLevelItem(0)->toolTip(2).isEmpty());
            QCOMPARE(rowTexts(rows).at(1), QStringLiteral("3|重複|佐藤 花子|ｻﾄｳ ﾊﾅｺ|0427001234||"
                                                          "3行目 カナ「ｻﾄｳ ﾊﾅｺ」: 登録済みの生徒（生徒番号 1）と氏名カナ・電話が同じです"));

            // A second column for one field is refused; the first keeps it.
            auto* name = child<QComboBox>(w, "cboMapping_1");
            name->setCurrentIndex(name->findText(QStringLiteral("生徒氏名")));
            emit name->activated(name->currentIndex());
            QCOMPARE(pf->ui().lastText(), QStringLiteral("生徒氏名には既に「氏名」列を割り当てています。\r\n先にその列を「取り込まない」にしてください。"));
            QCOMPARE(name->currentText(), QStringLiteral("氏名カナ"));
            QVERIFY(child<QLabel>(w, "lblSchools")->text().contains(QStringLiteral("青葉台中学校")));

            // Reading the phone column no longer finds the duplicate; the user puts it back.
            auto* phone = child<QComboBox>(w, "cboMapping_2");
            phone->setCurrentIndex(phone->findText(QStringLiteral("取り込まない")));
            emit phone->activated(phone->currentIndex());
            QCOMPARE(countText(w), QStringLiteral("取り込む 3件　重複 0件　エラー 1件"));
            phone->setCurrentIndex(phone->findText(QStringLiteral("電話")));
            emit phone->activated(phone->currentIndex());
            // The duplicate is added all the same, and the new school goes into the master.
            auto* choice = child<QComboBox>(w, "cboChoice_1");
            choice->setCurrentIndex(choice->findText(QStringLiteral("追加")));
            emit choice->activated(choice->currentIndex());
            QCOMPARE(countText(w), QStringLiteral("取り込む 3件　重複 0件　エラー 1件"));
            child<QCheckBox>(w, "chkAddSchools")->setChecked(true);
            child<QPushButton>(w, "cmdImport")->click();
        });
        child<QPushButton>(&list, "cmdImport")->click();
        QVERIFY(previewed);
        QCOMPARE(child<QLabel>(&list, "lblCount")->text(), QStringLiteral("4"));
    });
    const QStringList texts = pf->ui().texts();
    QVERIFY(texts.contains(QStringLiteral("3 人の生徒を取り込みます。（重複・エラーの 1 行は取り込みません）\r\nよろしいですか？")));
    QVERIFY2(pf->ui().lastText().startsWith(QStringLiteral("3 人の生徒を取り込みました（生徒番号 2～4）。\r\nマスタ学校に 1 校を追加しました。")),
             qPrintable(pf->ui().lastText()));
    QCOMPARE(pf->count(QStringLiteral("生徒台帳")), 4);
    QCOMPARE(pf->scalar(QStringLiteral("SELECT 所属校ID FROM 生徒台帳 WHERE 生徒番号 = 4")), QStringLiteral("4"));
    if (!testServerMode()) {
        const QStringList backups = QDir(pf->file(QStringLiteral("Backup"))).entryList(QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY(pf->ui().lastText().endsWith(backups.first()));
    }
}

void tst_ImportWindow::exportedListImportsAgainAsDuplicates()
{
    insertStudent({2, QStringLiteral("ｱﾍﾞ ﾀﾛｳ"), QStringLiteral("阿部　太郎"), QStringLiteral("0312345678"), QStringLiteral("0600001")});
    withOpenList([&](frm生徒情報一覧& list) { child<QPushButton>(&list, "cmdExport")->click(); });
    QCOMPARE(pf->ui().openedDocuments.size(), 1);
    const ImportSource::SourceTable table = StudentImport::funcRead(pf->ui().openedDocuments.first());
    QCOMPARE(table.header.first(), QStringLiteral("生徒番号"));
    QCOMPARE(table.rows.size(), std::size_t(2));
    // Numbers the register keeps as text come back with their leading 0.
    QCOMPARE(table.rows[0][4].text, QStringLiteral("0312345678"));
    QVERIFY(!table.rows[0][10].number);
    const auto preview = StudentImport::funcPreview(table, StudentImport::defaultMapping(table.header));
    QCOMPARE(preview->count(StudentImport::RowState::Duplicate), 2);
    QFile::remove(pf->ui().openedDocuments.first());
}

void tst_ImportWindow::courseListGoesOutAsShown()
{
    pf->exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID, 定員数, "
                            "受講人数, 単元) VALUES (1, '2003/04/02', 3, 0, 0, 0, 0, 0, 0, 20, 0, '過去形'), "
                            "(2, '2003/04/01', 2, 0, 0, 0, 0, 0, 0, 12, 0, 'be動詞')"));
    frm講座情報一覧 w;
    w.setPropNoSearch(true);
    QStringList shown;
    NextModal step([&](QDialog*) {
        shown = rowTexts(child<QTreeWidget>(&w, "lvList"));
        child<QPushButton>(&w, "cmdExport")->click();
    });
    w.exec();
    QCOMPARE(pf->ui().openedDocuments.size(), 1);
    const auto book = wb::Workbook::load(pf->ui().openedDocuments.first());
    const wb::Sheet& sheet = book->sheetAt(0);
    QCOMPARE(sheet.name(), QStringLiteral("講座一覧"));
    QCOMPARE(sheet.text(2, 1), QStringLiteral("検索条件: なし"));
    QStringList written;
    for (int r = 6; r <= sheet.lastRow(); ++r) {
        QStringList cells;
        for (int c = 1; c <= child<QTreeWidget>(&w, "lvList")->columnCount(); ++c)
            cells << sheet.text(r, c);
        written << cells.join(u'|');
    }
    QCOMPARE(written, shown);
    QFile::remove(pf->ui().openedDocuments.first());
}

void tst_ImportWindow::cancelledCheckOfAnotherEncodingKeepsThePreview()
{
    // A long file read as UTF-8; read again as Shift_JIS, its check is cancelled.
    QString text = QStringLiteral("氏名,カナ\n");
    for (int i = 0; i < 1500; ++i)
        text += QStringLiteral("生徒%1,せいと\n").arg(i);
    const QString path = pf->file(QStringLiteral("長い名簿.csv"));
    writeTextFile(path, text, "UTF-8");
    frm生徒取込 window;
    QVERIFY(window.funcOpen(path));
    auto* encoding = child<QComboBox>(&window, "cboEncoding");
    const QString shown = encoding->currentText();
    const QString count = countText(&window);
    QVERIFY(count.contains(QStringLiteral("1,500")) || count.contains(QStringLiteral("1500")));
    pf->ui().cancelProgressAtStep = 1;
    encoding->setCurrentIndex(encoding->findData(static_cast<int>(ImportSource::TextEncoding::Cp932)));
    emit encoding->activated(encoding->currentIndex());
    // The box shows what the preview was read as, and the preview is the one it was.
    QCOMPARE(encoding->currentText(), shown);
    QCOMPARE(countText(&window), count);
    QVERIFY(pf->ui().progress.first().endsWith(QStringLiteral("[キャンセル可]")));
}

QTEST_MAIN(tst_ImportWindow)
#include "tst_ImportWindow.moc"
