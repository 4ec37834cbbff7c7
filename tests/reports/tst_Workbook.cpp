// The workbook model: reading a template made by another writer, copying its
// pages, and the .xlsx written from it read back.
#include "Workbook.h"
#include "XlsxFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <xlsxwriter.h>

#include <dlfcn.h>

#include <cmath>

using namespace wb;

// The formats handed to the library, counted on their way to it.
namespace {
int gFormatsAdded = 0;
}
extern "C" lxw_format* workbook_add_format(lxw_workbook* book)
{
    using Add = lxw_format* (*)(lxw_workbook*);
    static const auto add = reinterpret_cast<Add>(dlsym(RTLD_NEXT, "workbook_add_format"));
    ++gFormatsAdded;
    return add(book);
}

namespace {

// A small form like the report templates: a merged title, captions with
// borders, a number with its own format, a wrapping cell, a framed empty
// cell far from the text, widths, heights and print settings.
void buildForm(lxw_workbook* book, lxw_worksheet* ws)
{
    lxw_format* title = workbook_add_format(book);
    format_set_font_name(title, "IPAPGothic");
    format_set_font_size(title, 16);
    format_set_bold(title);
    format_set_font_color(title, 0xC00000);
    format_set_bg_color(title, 0xFFF2CC);
    format_set_align(title, LXW_ALIGN_CENTER);
    format_set_align(title, LXW_ALIGN_VERTICAL_CENTER);

    lxw_format* caption = workbook_add_format(book);
    format_set_font_name(caption, "IPAGothic");
    format_set_border(caption, LXW_BORDER_THIN);
    format_set_bottom(caption, LXW_BORDER_DOUBLE);
    format_set_bottom_color(caption, 0x1F4E79);

    lxw_format* number = workbook_add_format(book);
    format_set_num_format(number, "0.0");
    format_set_align(number, LXW_ALIGN_RIGHT);

    lxw_format* wrap = workbook_add_format(book);
    format_set_text_wrap(wrap);
    format_set_align(wrap, LXW_ALIGN_VERTICAL_TOP);

    lxw_format* frame = workbook_add_format(book);
    format_set_border(frame, LXW_BORDER_MEDIUM);

    worksheet_merge_range(ws, 0, 0, 0, 3, "月間予定表", title);
    worksheet_write_string(ws, 2, 1, "講座日", caption);
    worksheet_write_number(ws, 2, 2, 42, number);
    worksheet_write_string(ws, 2, 3, "長い説明の文章が入ります", wrap);
    worksheet_merge_range(ws, 4, 1, 5, 2, "", frame);
    worksheet_write_blank(ws, 9, 4, frame);
    worksheet_set_column(ws, 1, 1, 12, nullptr);
    worksheet_set_column(ws, 2, 2, 20, nullptr);
    worksheet_set_row(ws, 0, 30, nullptr);
    worksheet_set_row(ws, 7, 9.75, nullptr);

    worksheet_set_landscape(ws);
    worksheet_set_paper(ws, 9);
    worksheet_fit_to_pages(ws, 1, 0);
    worksheet_print_area(ws, 0, 0, 9, 4);
    worksheet_set_margins(ws, 0.4, 0.3, 0.5, 0.6);
    worksheet_center_horizontally(ws);
    lxw_row_t breaks[] = {5, 0};
    worksheet_set_h_pagebreaks(ws, breaks);
}

void writeTemplate(const QString& path)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* busy = workbook_add_worksheet(book, "処理中");
    worksheet_write_string(busy, 0, 0, "作成中", nullptr);
    buildForm(book, workbook_add_worksheet(book, "表"));
    buildForm(book, workbook_add_worksheet(book, "表雛型"));
    QCOMPARE(workbook_close(book), LXW_NO_ERROR);
}

// Widths survive as whole pixels of a 7-pixel digit.
bool sameWidth(std::optional<double> a, double b)
{
    return a && std::lround(*a * 7) == std::lround(b * 7);
}

} // namespace

class tst_Workbook : public QObject {
    Q_OBJECT
private slots:
    void init();
    void addresses();
    void templateIsReadWithItsLayout();
    void pageCopiesCarryLayoutAndReplaceWhatWasThere();
    void typedValues();
    void writtenSheetReadsBackAlone();
    void chartsAreWrittenOverTheirRanges();
    void formatsAreWrittenOncePerKind();
    void failuresAreReported();

private:
    QTemporaryDir m_dir;
    QString m_template;
};

void tst_Workbook::init()
{
    QVERIFY(m_dir.isValid());
    m_template = m_dir.filePath(QStringLiteral("form.xlt"));
    if (!QFile::exists(m_template))
        writeTemplate(m_template);
}

void tst_Workbook::addresses()
{
    QCOMPARE(Range::parse(QStringLiteral("A1:H48")), (Range{1, 1, 48, 8}));
    QCOMPARE(Range::parse(QStringLiteral("$B$2")), (Range{2, 2, 2, 2}));
    QCOMPARE(Range::parse(QStringLiteral("1:43")), (Range{1, 1, 43, kMaxCol}));
    QCOMPARE(Range::parse(QStringLiteral("$A:$U")), (Range{1, 1, kMaxRow, 21}));
    QCOMPARE(Range::parse(QStringLiteral("H48:A1")), (Range{1, 1, 48, 8}));
    QCOMPARE(Range::parse(QStringLiteral("AA10:XFD12")).lastCol, kMaxCol);
    for (const char* bad : {"", "A", "12", "A1:B", "1:C", "A0", "XFE1", "A1:B2:C3", "A1;B2"})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Range::parse(QString::fromLatin1(bad)));
    QCOMPARE(columnName(28), QStringLiteral("AB"));
    QCOMPARE(columnNumber(QStringLiteral("XFD")), kMaxCol);
}

void tst_Workbook::templateIsReadWithItsLayout()
{
    const auto book = Workbook::load(m_template);
    QCOMPARE(book->sheetNames(), (QStringList{"処理中", "表", "表雛型"}));
    const Sheet& s = *book->sheet(QStringLiteral("表雛型"));

    QCOMPARE(s.text(1, 1), QStringLiteral("月間予定表"));
    QCOMPARE(s.text(3, 2), QStringLiteral("講座日"));
    QCOMPARE(s.number(3, 3), std::optional<double>(42));

    const CellFormat& title = s.format(1, 1);
    QCOMPARE(title.fontName, std::string("IPAPGothic"));
    QCOMPARE(title.fontSize, 16.0);
    QVERIFY(title.bold);
    QCOMPARE(title.fontColor, 0xC00000u);
    QCOMPARE(title.fill, 0xFFF2CCu);
    QCOMPARE(title.hAlign, HAlign::Center);
    QCOMPARE(title.vAlign, VAlign::Center);

    const CellFormat& caption = s.format(3, 2);
    QCOMPARE(caption.fontName, std::string("IPAGothic"));
    QCOMPARE(caption.top.style, BorderStyle::Thin);
    QCOMPARE(caption.bottom.style, BorderStyle::Double);
    QCOMPARE(caption.bottom.color, 0x1F4E79u);
    QCOMPARE(s.format(3, 3).numberFormat, std::string("0.0"));
    QCOMPARE(s.format(3, 3).hAlign, HAlign::Right);
    QVERIFY(s.format(3, 4).wrap);
    QCOMPARE(s.format(3, 4).vAlign, VAlign::Top);
    QVERIFY(!s.format(3, 2).wrap);
    // A framed cell with nothing in it is part of the form too.
    QCOMPARE(s.format(10, 5).left.style, BorderStyle::Medium);

    QCOMPARE(s.merges().size(), std::size_t(2));
    QCOMPARE(s.mergeAt(1, 4), std::optional<Range>(Range{1, 1, 1, 4}));
    QCOMPARE(s.mergeAt(6, 3), std::optional<Range>(Range{5, 2, 6, 3}));
    QVERIFY(sameWidth(s.columnWidth(2), 12));
    QVERIFY(sameWidth(s.columnWidth(3), 20));
    QVERIFY(!s.columnWidth(1));
    QCOMPARE(s.rowHeight(1), std::optional<double>(30));
    QCOMPARE(s.rowHeight(8), std::optional<double>(9.75));
    QVERIFY(!s.rowHeight(2));

    const PrintSetup& p = s.print();
    QVERIFY(p.landscape);
    QCOMPARE(p.paperSize, 9);
    QCOMPARE(p.fitWidth, 1);
    QCOMPARE(p.fitHeight, 0);
    QCOMPARE(p.printArea, std::optional<Range>(Range{1, 1, 10, 5}));
    QCOMPARE(p.marginLeft, 0.4);
    QCOMPARE(p.marginBottom, 0.6);
    QVERIFY(p.centerHorizontally);
    QCOMPARE(s.pageBreaks(), std::vector<int>{6});
}

void tst_Workbook::pageCopiesCarryLayoutAndReplaceWhatWasThere()
{
    const auto book = Workbook::load(m_template);
    Sheet& report = *book->sheet(QStringLiteral("表"));
    const Sheet& page = *book->sheet(QStringLiteral("表雛型"));

    // Something written on the report where the second page will land.
    report.setText(12, 2, QStringLiteral("消えるはず"));
    report.setText(13, 7, QStringLiteral("範囲の外"));
    report.merge(Range{11, 1, 12, 2});

    report.copyFrom(page, Range::parse(QStringLiteral("1:10")), 11);
    report.copyFrom(page, Range::parse(QStringLiteral("A1:E10")), 21);

    for (const int top : {11, 21}) {
        QCOMPARE(report.text(top, 1), QStringLiteral("月間予定表"));
        QCOMPARE(report.number(top + 2, 3), std::optional<double>(42));
        QCOMPARE(report.formatId(top + 2, 2), page.formatId(3, 2));
        QCOMPARE(report.formatId(top, 1), page.formatId(1, 1));
        QCOMPARE(report.format(top + 9, 5).left.style, BorderStyle::Medium);
        QCOMPARE(report.mergeAt(top, 3), std::optional<Range>(Range{top, 1, top, 4}));
        QCOMPARE(report.mergeAt(top + 5, 2), std::optional<Range>(Range{top + 4, 2, top + 5, 3}));
        QCOMPARE(report.rowHeight(top), std::optional<double>(30));
        QCOMPARE(report.rowHeight(top + 7), std::optional<double>(9.75));
    }
    // The destination is replaced by the page, empty cells included; what lies
    // right of a rectangular copy stays.
    QCOMPARE(report.text(12, 2), QString());
    QCOMPARE(report.mergeAt(11, 1), std::optional<Range>(Range{11, 1, 11, 4}));
    QCOMPARE(report.text(13, 7), QString());   // whole rows were copied there
    report.setText(23, 7, QStringLiteral("右側"));
    report.copyFrom(page, Range::parse(QStringLiteral("A1:E10")), 21);
    QCOMPARE(report.text(23, 7), QStringLiteral("右側"));
    QCOMPARE(report.merges().size(), std::size_t(6));

    // A copy within one sheet that overlaps itself reads the original cells.
    report.copyFrom(report, Range::parse(QStringLiteral("A1:E10")), 3);
    QCOMPARE(report.text(3, 1), QStringLiteral("月間予定表"));
    QCOMPARE(report.number(5, 3), std::optional<double>(42));
    QCOMPARE(report.text(5, 2), QStringLiteral("講座日"));
}

void tst_Workbook::typedValues()
{
    Workbook book;
    Sheet& s = book.addSheet(QStringLiteral("表"));
    s.setValue(1, 1, QStringLiteral("12"));
    s.setValue(1, 2, QStringLiteral("-3.5"));
    s.setValue(1, 3, QStringLiteral("007"));
    s.setValue(1, 4, QStringLiteral("2003/04/01"));
    s.setValue(1, 5, QStringLiteral(" 5"));
    s.setValue(1, 6, QStringLiteral("1e3"));
    QCOMPARE(s.number(1, 1), std::optional<double>(12));
    QCOMPARE(s.number(1, 2), std::optional<double>(-3.5));
    for (int c = 3; c <= 6; ++c)
        QVERIFY2(!s.number(1, c), qPrintable(s.text(1, c)));
    QCOMPARE(s.text(1, 3), QStringLiteral("007"));
    s.setValue(1, 1, QString());
    QVERIFY(s.cell(1, 1)->isEmpty());
    QCOMPARE(s.text(1, 1), QString());
    QCOMPARE(s.text(500, 500), QString());
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.setText(0, 1, QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.setNumber(1, kMaxCol + 1, 1));
}

void tst_Workbook::writtenSheetReadsBackAlone()
{
    auto book = Workbook::load(m_template);
    Sheet& report = *book->sheet(QStringLiteral("表"));
    report.copyFrom(*book->sheet(QStringLiteral("表雛型")), Range::parse(QStringLiteral("1:10")), 11);
    report.setValue(13, 2, QStringLiteral("2003/04/01"));
    report.setValue(14, 2, QStringLiteral("3"));
    report.setText(15, 2, QStringLiteral("ｶﾅ'%*#😀"));
    report.setFontColor(13, 2, kRed);   // the caption cell keeps its borders
    report.addPageBreak(11);
    report.print().printArea->lastRow = 20;
    const QString out = m_dir.filePath(QStringLiteral("表の出力.xlsx"));
    book->write(out, {QStringLiteral("表")});

    XlsxFile file(out);
    QCOMPARE(file.sheetNames(), QStringList{QStringLiteral("表")});
    QCOMPARE(file.text(QStringLiteral("表"), 11, 1), QStringLiteral("月間予定表"));
    QCOMPARE(file.text(QStringLiteral("表"), 13, 2), QStringLiteral("2003/04/01"));
    QVERIFY(file.isNumber(QStringLiteral("表"), 14, 2));
    QCOMPARE(file.text(QStringLiteral("表"), 15, 2), QStringLiteral("ｶﾅ'%*#😀"));
    QCOMPARE(file.text(QStringLiteral("表"), 3, 3), QStringLiteral("42"));
    QCOMPARE(file.mergeFrom(QStringLiteral("表"), 11, 1), QStringLiteral("A11:D11"));
    QCOMPARE(file.mergeFrom(QStringLiteral("表"), 15, 2), QStringLiteral("B15:C16"));
    QCOMPARE(file.mergeFrom(QStringLiteral("表"), 3, 2), QString());

    // Cell A1 is where the user starts; print settings travel in the sheet part.
    const QByteArray sheetXml = file.part(QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY(!sheetXml.contains("activeCell=") || sheetXml.contains("activeCell=\"A1\""));
    QVERIFY(sheetXml.contains("orientation=\"landscape\""));
    QVERIFY(sheetXml.contains("paperSize=\"9\""));
    QVERIFY(sheetXml.contains("fitToPage=\"1\""));
    QVERIFY(sheetXml.contains("<brk id=\"5\"") && sheetXml.contains("<brk id=\"10\""));
    QVERIFY(file.part(QStringLiteral("xl/workbook.xml")).contains("$A$1:$E$20"));
    // The sheet is packed at the fastest level: bits 1-2 of its zip entry's flags.
    QFile raw(out);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray zip = raw.readAll();
    const qsizetype header = zip.indexOf("xl/worksheets/sheet1.xml") - 30;   // the name ends the local header
    QVERIFY(header >= 0 && zip.mid(header, 4) == "PK\x03\x04");
    QCOMPARE(static_cast<unsigned char>(zip.at(header + 6)) & 6, 6);

    // What a user sees of the layout, through a second reading.
    const auto back = Workbook::load(out);
    const Sheet& s = *back->sheet(QStringLiteral("表"));
    QCOMPARE(s.format(11, 1).fontName, std::string("IPAPGothic"));
    QVERIFY(s.format(11, 1).bold);
    QCOMPARE(s.format(11, 1).fill, 0xFFF2CCu);
    QCOMPARE(s.format(13, 2).fontColor, kRed);
    QCOMPARE(s.format(13, 2).fontName, std::string("IPAGothic"));
    QCOMPARE(s.format(13, 2).bottom.style, BorderStyle::Double);
    QCOMPARE(s.format(13, 3).numberFormat, std::string("0.0"));
    QVERIFY(s.format(13, 4).wrap);
    QCOMPARE(s.format(20, 5).right.style, BorderStyle::Medium);
    QVERIFY(sameWidth(s.columnWidth(2), 12));
    QVERIFY(sameWidth(s.columnWidth(3), 20));
    QCOMPARE(s.rowHeight(11), std::optional<double>(30));
    QCOMPARE(s.rowHeight(18), std::optional<double>(9.75));
    QCOMPARE(s.pageBreaks(), (std::vector<int>{6, 11}));
    QCOMPARE(s.print().marginTop, 0.5);
    QVERIFY(s.print().landscape);
}

void tst_Workbook::chartsAreWrittenOverTheirRanges()
{
    Workbook book;
    Sheet& s = book.addSheet(QStringLiteral("分析"));
    s.setText(8, 2, QStringLiteral("項目"));
    s.setText(8, 3, QStringLiteral("平均"));
    for (int r = 9; r <= 13; ++r) {
        s.setText(r, 2, QStringLiteral("項目%1").arg(r - 8));
        s.setNumber(r, 3, r - 7);
    }
    for (int n = 0; n < 4; ++n) {
        s.setText(1, 24 + n, QStringLiteral("2003/04/0%1").arg(n + 1));
        s.setNumber(2, 24 + n, n + 1);
        s.setNumber(3, 24 + n, 5 - n);
    }
    s.setText(2, 23, QStringLiteral("理解度"));
    s.setText(3, 23, QStringLiteral("意欲"));

    Chart summary;
    summary.type = ChartType::Column;
    summary.row = 8;
    summary.col = 5;
    summary.title = QStringLiteral("評価の平均");
    summary.yMin = 0;
    summary.yMax = 5;
    summary.setSourceData(Range{8, 2, 13, 3}, PlotBy::Columns);
    QCOMPARE(summary.series.size(), std::size_t(1));
    QCOMPARE(summary.series[0].values, (Range{9, 3, 13, 3}));
    QCOMPARE(summary.series[0].categories, std::optional<Range>(Range{9, 2, 13, 2}));
    s.addChart(summary);

    Chart trend;
    trend.type = ChartType::LineMarkers;
    trend.row = 22;
    trend.col = 1;
    trend.widthPx = 700;
    trend.setSourceData(Range{1, 23, 3, s.endRight(1, 24)}, PlotBy::Rows);
    QCOMPARE(s.endRight(1, 24), 27);
    QCOMPARE(trend.series.size(), std::size_t(2));
    QCOMPARE(trend.series[1].values, (Range{3, 24, 3, 27}));
    QCOMPARE(trend.series[1].nameCell, std::optional<Range>(Range{3, 23, 3, 23}));
    s.addChart(trend);

    Chart empty;   // no series: left out rather than spoiling the file
    s.addChart(empty);

    const QString out = m_dir.filePath(QStringLiteral("charts.xlsx"));
    book.write(out);
    XlsxFile file(out);
    const QStringList parts = file.parts();
    QVERIFY(parts.contains(QStringLiteral("xl/charts/chart1.xml")));
    QVERIFY(parts.contains(QStringLiteral("xl/charts/chart2.xml")));
    QVERIFY(!parts.contains(QStringLiteral("xl/charts/chart3.xml")));
    const QString first = QString::fromUtf8(file.part(QStringLiteral("xl/charts/chart1.xml")));
    QVERIFY(first.contains(QStringLiteral("<c:barChart>")));
    QVERIFY(first.contains(QStringLiteral("'分析'!$C$9:$C$13")));
    QVERIFY(first.contains(QStringLiteral("'分析'!$B$9:$B$13")));
    QVERIFY(first.contains(QStringLiteral("評価の平均")));
    const QString second = QString::fromUtf8(file.part(QStringLiteral("xl/charts/chart2.xml")));
    QVERIFY(second.contains(QStringLiteral("<c:lineChart>")));
    QVERIFY(second.contains(QStringLiteral("'分析'!$X$3:$AA$3")));
    QVERIFY(second.contains(QStringLiteral("'分析'!$W$3")));
    // Anchored where asked: the drawing places the charts at E8 and A22.
    const QByteArray drawing = file.part(QStringLiteral("xl/drawings/drawing1.xml"));
    QVERIFY(drawing.contains("<xdr:col>4</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>7</xdr:row>"));
    QVERIFY(drawing.contains("<xdr:col>0</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>21</xdr:row>"));
}

void tst_Workbook::formatsAreWrittenOncePerKind()
{
    Workbook book;
    Sheet& s = book.addSheet(QStringLiteral("表"));
    CellFormat boxed;
    boxed.setBorder(BorderStyle::Thin);
    boxed.fontName = "IPAPGothic";
    for (int r = 1; r <= 200; ++r) {
        for (int c = 1; c <= 10; ++c) {
            s.setFormat(r, c, boxed);
            if (c % 2 == 0)
                s.setFontColor(r, c, kRed);
            s.setNumber(r, c, r * c);
        }
    }
    QCOMPARE(book.formats().size(), std::size_t(3));   // default, boxed, boxed in red
    // Formats the library cannot tell from those: it takes black for no colour,
    // ignores the colour of a missing border and has a default font of its own.
    // Handed over twice, the library would look them up anew for every cell.
    CellFormat black = boxed, defaultFont, ghostBorder;
    black.fontColor = 0x000000;
    defaultFont.fontName = LXW_DEFAULT_FONT_NAME;
    ghostBorder.top.color = kRed;
    int col = 1;
    for (const CellFormat& f : {black, defaultFont, ghostBorder}) {
        s.setFormat(201, col, f);
        s.setNumber(201, col++, 1);
    }
    const auto formatsAdded = [&](const Workbook& b, const QString& path) {
        const int before = gFormatsAdded;
        b.write(path);
        return gFormatsAdded - before;
    };
    Workbook bare;
    bare.addSheet(QStringLiteral("表")).setNumber(1, 1, 1);
    const int libraryOwn = formatsAdded(bare, m_dir.filePath(QStringLiteral("bare.xlsx")));
    const QString out = m_dir.filePath(QStringLiteral("formats.xlsx"));
    QCOMPARE(formatsAdded(book, out) - libraryOwn, 2);
    const QByteArray styles = XlsxFile(out).part(QStringLiteral("xl/styles.xml"));
    const auto at = styles.indexOf("<cellXfs count=\"");
    QVERIFY(at > 0);
    const int count = styles.mid(at + 16, 4).split('"').front().toInt();
    QVERIFY2(count >= 3 && count <= 4, styles.mid(at, 30).constData());
}

void tst_Workbook::failuresAreReported()
{
    // Not a workbook, and no file at all.
    const QString junk = m_dir.filePath(QStringLiteral("junk.xlt"));
    {
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a workbook");
    }
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, Workbook::load(junk));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, Workbook::load(m_dir.filePath(QStringLiteral("none.xlt"))));

    // A folder that does not exist leaves no file behind and says so.
    const auto book = Workbook::load(m_template);
    const QString nowhere = m_dir.filePath(QStringLiteral("無い/out.xlsx"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, book->write(nowhere));
    QVERIFY(!QFile::exists(nowhere));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, book->write(m_dir.filePath(QStringLiteral("x.xlsx")),
                                                             {QStringLiteral("無いシート")}));
    // Sheets are removed by name, once.
    QVERIFY(book->removeSheet(QStringLiteral("処理中")));
    QVERIFY(!book->removeSheet(QStringLiteral("処理中")));
    QCOMPARE(book->sheetCount(), 2);
}

QTEST_GUILESS_MAIN(tst_Workbook)
#include "tst_Workbook.moc"
