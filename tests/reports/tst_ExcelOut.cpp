// The workbook driver as a report uses it: the template from the program
// folder, page copies, the finished file opened for the user, and the faults.
#include "CommonBase.h"
#include "ExcelOut.h"
#include "QtUiServices.h"
#include "ProgramFolder.h"
#include "ReportCommon.h"
#include "ReportRun.h"
#include "XlsxFile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QtTest>

#include <xlsxwriter.h>

namespace {

const QString kNippou = QStringLiteral("日報");

// A daily-report form of 43 rows: a merged title, a framed caption row, a
// wrapping comment cell, print area of the first page.
void addPage(lxw_workbook* book, const char* name)
{
    lxw_worksheet* ws = workbook_add_worksheet(book, name);
    lxw_format* title = workbook_add_format(book);
    format_set_bold(title);
    format_set_font_size(title, 18);
    format_set_font_name(title, "IPAPGothic");
    lxw_format* box = workbook_add_format(book);
    format_set_border(box, LXW_BORDER_THIN);
    worksheet_merge_range(ws, 0, 0, 0, 15, "日　報", title);
    for (int c = 0; c < 16; ++c)
        worksheet_write_blank(ws, 2, c, box);
    worksheet_write_string(ws, 2, 0, "講座日", box);
    worksheet_set_row(ws, 0, 28, nullptr);
    worksheet_set_column(ws, 1, 1, 11, nullptr);
    worksheet_print_area(ws, 0, 0, 42, 15);
    worksheet_fit_to_pages(ws, 1, 0);
}

void writeTemplate(const QString& path, bool withPageTemplate = true)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    workbook_add_worksheet(book, "処理中");
    workbook_add_worksheet(book, "講座カレンダー");
    addPage(book, "日報");
    if (withPageTemplate)
        addPage(book, "日報雛型");
    workbook_add_worksheet(book, "生徒分析シート雛型");
    QCOMPARE(workbook_close(book), LXW_NO_ERROR);
}

QString readLog(const ProgramFolder& pf)
{
    QFile log(pf.file(QStringLiteral("ErrorLog.txt")));
    return log.open(QIODevice::ReadOnly) ? funcFromSjis(log.readAll()) : QString();
}

} // namespace

class tst_ExcelOut : public QObject {
    Q_OBJECT
private slots:
    void missingTemplateIsTold();
    void unusableTemplateIsTold();
    void reportIsWrittenAloneAndOpened();
    void userIsToldWhereTheFileIsWhenNothingOpensIt();
    void twoReportsGiveTwoFiles();
    void faultsAreLoggedUnderTheDriversNames();
    void builtTemplateServesEveryReport();
    void longReportsShowProgress();
};

void tst_ExcelOut::missingTemplateIsTold()
{
    ProgramFolder pf;
    QFile::remove(pf.file(kTemplateFileName));
    ExcelOut excel;
    excel.setPropExcelSheet(kNippou);
    QVERIFY(!excel.funcPrintStart());
    QCOMPARE(pf.ui().messages.size(), std::size_t(1));
    const RecordedMessage& m = pf.ui().messages.front();
    QCOMPARE(m.text, QStringLiteral("Excelファイル(\\塾管理楓丸くん.xlt)がセットされていません。\r\n"
                                    "Exeと同じフォルダに入れてください"));
    QCOMPARE(m.title, QStringLiteral("Excelシートセット"));
    QCOMPARE(m.icon, MsgIcon::Information);
    QCOMPARE(m.buttons, MsgButtons::Ok);
    // The caller stops here; finishing anyway writes and opens nothing.
    excel.subPrintEnd();
    QVERIFY(excel.writtenPath().isEmpty());
    QVERIFY(pf.ui().openedDocuments.isEmpty());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, excel.reportSheet());
}

void tst_ExcelOut::unusableTemplateIsTold()
{
    ProgramFolder pf;
    const QString path = pf.file(kTemplateFileName);
    // A template read once is read again when its file is replaced.
    ExcelOut good;
    good.setPropExcelSheet(kNippou);
    QVERIFY(good.funcPrintStart());
    good.subCancel();
    QFile::remove(path);
    {
        QFile junk(path);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("PK not really a workbook");
    }
    ExcelOut broken;
    broken.setPropExcelSheet(kNippou);
    QVERIFY(!broken.funcPrintStart());
    QCOMPARE(pf.ui().lastText(), QStringLiteral("Excelファイル(\\塾管理楓丸くん.xlt)を読み込めませんでした。\r\n"
                                                "正しいファイルをExeと同じフォルダに入れてください"));

    // A template without the report's page template cannot make a second page.
    QFile::remove(path);
    writeTemplate(path, false);
    ExcelOut lacking;
    lacking.setPropExcelSheet(kNippou);
    QVERIFY(!lacking.funcPrintStart());
    QVERIFY(pf.ui().lastText().startsWith(QStringLiteral("Excelファイル(\\塾管理楓丸くん.xlt)に「日報雛型」シートがありません。")));
    QCOMPARE(pf.ui().messages.back().title, QStringLiteral("Excelシートセット"));
    QCOMPARE(pf.ui().messages.size(), std::size_t(2));
    QVERIFY(pf.ui().openedDocuments.isEmpty());
}

void tst_ExcelOut::reportIsWrittenAloneAndOpened()
{
    ProgramFolder pf;
    QFile::remove(pf.file(kTemplateFileName));
    writeTemplate(pf.file(kTemplateFileName));
    WrittenFiles files;

    ExcelOut excel;
    excel.setPropExcelSheet(kNippou);
    QVERIFY(excel.funcPrintStart());
    QCOMPARE(excel.workbook().sheetCount(), 5);
    excel.setCell(3, 2, QStringLiteral("2003/04/01"));
    excel.subShtChg(44, QStringLiteral("1:43"));
    excel.setCell(46, 2, QStringLiteral("2003/04/02"));
    excel.subShtChg(87, QStringLiteral("1:43"));
    excel.setCell(87 + 18, 7, QStringLiteral("4"));
    excel.subMergeText(wb::Range{110, 1, 115, 16}, QStringLiteral("とても よく できました。\n次回も がんばろう"));
    excel.subPgBreak(120);
    QCOMPARE(excel.cellText(44, 1), QStringLiteral("日　報"));
    excel.subPrintEnd();

    const QString path = excel.writtenPath();
    files.paths << path;
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("日報_")));
    QVERIFY(path.endsWith(QStringLiteral(".xlsx")));
    QCOMPARE(pf.ui().openedDocuments, QStringList{path});
    QVERIFY(pf.ui().messages.empty());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, excel.workbook());   // nothing is held afterwards

    XlsxFile file(path);
    QCOMPARE(file.sheetNames(), QStringList{kNippou});
    for (const int top : {1, 44, 87}) {
        QCOMPARE(file.text(kNippou, top, 1), QStringLiteral("日　報"));
        QCOMPARE(file.mergeFrom(kNippou, top, 1), (wb::Range{top, 1, top, 16}.address()));
        QCOMPARE(file.text(kNippou, top + 2, 1), QStringLiteral("講座日"));
    }
    QCOMPARE(file.text(kNippou, 3, 2), QStringLiteral("2003/04/01"));
    QCOMPARE(file.text(kNippou, 46, 2), QStringLiteral("2003/04/02"));
    QVERIFY(file.isNumber(kNippou, 105, 7));
    QCOMPARE(file.mergeFrom(kNippou, 110, 1), QStringLiteral("A110:P115"));
    QCOMPARE(file.text(kNippou, 110, 1), QStringLiteral("とても よく できました。\n次回も がんばろう"));

    // Every page prints on a sheet of its own, all inside the print area.
    const QByteArray sheetXml = file.part(QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY(sheetXml.contains("<brk id=\"43\"") && sheetXml.contains("<brk id=\"86\"")
            && sheetXml.contains("<brk id=\"119\""));
    QVERIFY(file.part(QStringLiteral("xl/workbook.xml")).contains("$A$1:$P$129"));
    const auto back = wb::Workbook::load(path);
    const wb::Sheet& s = *back->sheet(kNippou);
    QCOMPARE(s.rowHeight(44), std::optional<double>(28));
    QVERIFY(s.format(110, 1).wrap);
    QCOMPARE(s.format(46, 16).right.style, wb::BorderStyle::Thin);
    QCOMPARE(s.format(87, 1).fontName, std::string("IPAPGothic"));
}

void tst_ExcelOut::userIsToldWhereTheFileIsWhenNothingOpensIt()
{
    ProgramFolder pf;
    QFile::remove(pf.file(kTemplateFileName));
    writeTemplate(pf.file(kTemplateFileName));
    pf.ui().openDocumentResult = false;
    pf.ui().answers = {MsgAnswer::Yes};
    WrittenFiles files;

    ExcelOut excel;
    excel.setPropExcelSheet(kNippou);
    QVERIFY(excel.funcPrintStart());
    excel.subPrintEnd();
    files.paths << excel.writtenPath();
    QVERIFY(QFileInfo::exists(excel.writtenPath()));
    // The file is named and its folder offered; the folder does not open either here.
    const QString folder = QFileInfo(excel.writtenPath()).absolutePath();
    QCOMPARE(pf.ui().texts(), QStringList({QStringLiteral("帳票を開くアプリケーションが見つかりませんでした。\r\n"
                                                          "帳票は次のファイルに保存しました。\r\n")
                                               + QDir::toNativeSeparators(excel.writtenPath())
                                               + QStringLiteral("\r\n\r\n保存したフォルダを開きますか？"),
                                           QStringLiteral("フォルダを開けませんでした。\r\n") + QDir::toNativeSeparators(folder)}));
    QCOMPARE(pf.ui().openedDocuments, QStringList({excel.writtenPath(), folder}));
    QCOMPARE(pf.ui().messages.front().icon, MsgIcon::Question);
}

void tst_ExcelOut::twoReportsGiveTwoFiles()
{
    ProgramFolder pf;
    QFile::remove(pf.file(kTemplateFileName));
    writeTemplate(pf.file(kTemplateFileName));
    WrittenFiles files;
    for (const QString& text : {QStringLiteral("一つ目"), QStringLiteral("二つ目")}) {
        ExcelOut excel;
        excel.setPropExcelSheet(kNippou);
        QVERIFY(excel.funcPrintStart());
        excel.setCell(5, 3, text);
        excel.subPrintEnd();
        files.paths << excel.writtenPath();
    }
    QCOMPARE(files.paths.size(), 2);
    QVERIFY(files.paths[0] != files.paths[1]);
    QCOMPARE(XlsxFile(files.paths[0]).text(kNippou, 5, 3), QStringLiteral("一つ目"));
    QCOMPARE(XlsxFile(files.paths[1]).text(kNippou, 5, 3), QStringLiteral("二つ目"));
    QCOMPARE(pf.ui().openedDocuments, files.paths);
}

void tst_ExcelOut::faultsAreLoggedUnderTheDriversNames()
{
    struct Case {
        const char* literal;
        std::function<void(ExcelOut&)> act;
    };
    const std::vector<Case> cases{
        {"ExcelOut - subShtChg", [](ExcelOut& x) { x.subShtChg(44, QStringLiteral("A1:")); }},
        {"ExcelOut - subShtChg", [](ExcelOut& x) { x.subShtChg(wb::kMaxRow, QStringLiteral("1:43")); }},
        {"ExcelOut - subShtChg", [](ExcelOut& x) { x.subPgBreak(0); }},
        {"ExcelOut - subPgDelete", [](ExcelOut& x) {
             ExcelOut notStarted;
             notStarted.subPgDelete();
             (void)x;
         }},
    };
    for (const Case& c : cases) {
        ProgramFolder pf;
        QFile::remove(pf.file(kTemplateFileName));
        writeTemplate(pf.file(kTemplateFileName));
        ExcelOut excel;
        excel.setPropExcelSheet(kNippou);
        QVERIFY(excel.funcPrintStart());
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, c.act(excel));
        QVERIFY2(readLog(pf).contains(QStringLiteral("モジュール名\u3000") + QString::fromUtf8(c.literal) + u'\r'),
                 c.literal);
    }
}

void tst_ExcelOut::builtTemplateServesEveryReport()
{
    ProgramFolder pf;
    QVERIFY2(QFileInfo::exists(pf.file(kTemplateFileName)), "the build lays the template into the program folder");
    // Each form on its paper (A4 = 9, A3 = 8), fitted to the paper's width:
    // no text of its page prints below 7 pt.
    const struct {
        const char* report;
        int paper;
        bool landscape;
    } forms[] = {{"講座カレンダー", 8, true}, {"日報", 9, false}, {"生徒分析シート", 9, false}, {"月間報告書", 9, false}};
    for (const auto& form : forms) {
        const QString report = QString::fromUtf8(form.report);
        ExcelOut excel;
        excel.setPropExcelSheet(report);
        QVERIFY2(excel.funcPrintStart(), qPrintable(pf.ui().lastText()));
        const wb::Sheet& page = excel.templateSheet();
        QVERIFY(page.lastRow() > 0);
        QVERIFY(excel.reportSheet().print().printArea.has_value());

        const wb::PrintSetup& print = excel.reportSheet().print();
        QCOMPARE(print.paperSize, form.paper);
        QCOMPARE(print.landscape, form.landscape);
        const double paperWidth = (form.paper == 8) == form.landscape ? 1190.55 : form.paper == 8 ? 841.89 : 595.28;
        const wb::Range area = *print.printArea;
        const double pageWidth = funcAreaWidthPx(page, area.firstCol, area.lastCol) * 0.75;
        const double scale = std::min(1.0, (paperWidth - 72 * (print.marginLeft + print.marginRight)) / pageWidth);
        double smallest = 100;
        for (int r = area.firstRow; r <= area.lastRow; ++r)
            for (int c = area.firstCol; c <= area.lastCol; ++c)
                smallest = std::min(smallest, page.format(r, c).fontSize * scale);
        QVERIFY2(smallest >= 7, qPrintable(report + QStringLiteral(": %1 pt").arg(smallest)));
        QCOMPARE(excel.workbook().sheetCount(), 9);
        excel.subPgDelete();
        QCOMPARE(excel.workbook().sheetNames(), QStringList{report});
    }
    QVERIFY(pf.ui().messages.empty());
}

void tst_ExcelOut::longReportsShowProgress()
{
    // The engine only tells its progress; the program's UI services show it.
    setUiServices(std::make_unique<QtUiServices>());
    const auto restore = qScopeGuard([] { setUiServices(nullptr); });
    {
        ReportProgress shortOne(QStringLiteral("日報を作成しています"), ReportProgress::kDialogThreshold);
        QVERIFY(!shortOne.dialogShown());
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    }
    QVERIFY(!QApplication::overrideCursor());
    ReportProgress longOne(QStringLiteral("日報を作成しています"), 200);
    QVERIFY(longOne.dialogShown());
    QProgressDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QProgressDialog*>(w))
            dialog = d;
    for (int i = 0; i <= 200; ++i)
        longOne.setValue(i);
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->value(), 200);
    QCOMPARE(dialog->labelText(), QStringLiteral("日報を作成しています"));
}

QTEST_MAIN(tst_ExcelOut)
#include "tst_ExcelOut.moc"
