// Writing sheets to .xlsx with libxlsxwriter: one library format per distinct
// cell format, charts by code, and the print settings of each sheet.
#include "Workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>
#include <zlib.h>

#include <dlfcn.h>

#include <array>
#include <cmath>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <vector>

// The writer packs every part at zlib's default level. A report's sheet is
// megabytes of XML that repeats itself: the fastest level packs it in a quarter
// of the time into a file about a third larger, and packing was a third of the
// time of a long report. The library has no setting for the level, so its call
// into minizip (a shared library) is taken here and passed on with that level.
extern "C" int zipOpenNewFileInZip4_64(void* file, const char* filename, const void* fileInfo,
                                       const void* extraLocal, uInt extraLocalSize, const void* extraGlobal,
                                       uInt extraGlobalSize, const char* comment, int method, int level, int raw,
                                       int windowBits, int memLevel, int strategy, const char* password,
                                       uLong crcForCrypting, uLong versionMadeBy, uLong flagBase, int zip64)
{
    using Open = int (*)(void*, const char*, const void*, const void*, uInt, const void*, uInt, const char*, int,
                         int, int, int, int, int, const char*, uLong, uLong, uLong, int);
    static const auto minizip = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
    if (minizip == nullptr)
        return Z_ERRNO;   // cannot happen while the writer links minizip; the report then fails, told
    return minizip(file, filename, fileInfo, extraLocal, extraLocalSize, extraGlobal, extraGlobalSize, comment,
                   method, level == Z_DEFAULT_COMPRESSION ? Z_BEST_SPEED : level, raw, windowBits, memLevel,
                   strategy, password, crcForCrypting, versionMadeBy, flagBase, zip64);
}

namespace {
// A folder in memory for the writer's temporary files, or "" for the system's.
QByteArray memoryTempFolder()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? QFile::encodeName(shm.absoluteFilePath()) : QByteArray();
}
} // namespace

namespace wb {

namespace {

// Frees a workbook that was never closed, without writing anything.
struct BookGuard {
    lxw_workbook* book = nullptr;
    ~BookGuard()
    {
        if (book != nullptr)
            lxw_workbook_free(book);
    }
};

void check(lxw_error err, const char* what)
{
    if (err != LXW_NO_ERROR)
        throw std::runtime_error(std::string(what) + ": " + lxw_strerror(err));
}

uint8_t alignOf(HAlign a)
{
    switch (a) {
    case HAlign::Left: return LXW_ALIGN_LEFT;
    case HAlign::Center: return LXW_ALIGN_CENTER;
    case HAlign::Right: return LXW_ALIGN_RIGHT;
    case HAlign::Fill: return LXW_ALIGN_FILL;
    case HAlign::Justify: return LXW_ALIGN_JUSTIFY;
    case HAlign::CenterAcross: return LXW_ALIGN_CENTER_ACROSS;
    case HAlign::Distributed: return LXW_ALIGN_DISTRIBUTED;
    case HAlign::General: break;
    }
    return LXW_ALIGN_NONE;
}

uint8_t alignOf(VAlign a)
{
    switch (a) {
    case VAlign::Top: return LXW_ALIGN_VERTICAL_TOP;
    case VAlign::Center: return LXW_ALIGN_VERTICAL_CENTER;
    case VAlign::Justify: return LXW_ALIGN_VERTICAL_JUSTIFY;
    case VAlign::Distributed: return LXW_ALIGN_VERTICAL_DISTRIBUTED;
    case VAlign::Bottom: break;
    }
    return LXW_ALIGN_NONE;   // bottom is the default
}

uint8_t chartTypeOf(ChartType t)
{
    switch (t) {
    case ChartType::Column: return LXW_CHART_COLUMN;
    case ChartType::Bar: return LXW_CHART_BAR;
    case ChartType::Line:
    case ChartType::LineMarkers: return LXW_CHART_LINE;
    case ChartType::Pie: return LXW_CHART_PIE;
    case ChartType::Radar: return LXW_CHART_RADAR;
    case ChartType::RadarMarkers: return LXW_CHART_RADAR_WITH_MARKERS;
    case ChartType::Area: return LXW_CHART_AREA;
    }
    return LXW_CHART_COLUMN;
}

uint8_t legendOf(LegendPosition p)
{
    switch (p) {
    case LegendPosition::None: return LXW_CHART_LEGEND_NONE;
    case LegendPosition::Left: return LXW_CHART_LEGEND_LEFT;
    case LegendPosition::Top: return LXW_CHART_LEGEND_TOP;
    case LegendPosition::Bottom: return LXW_CHART_LEGEND_BOTTOM;
    case LegendPosition::Right: break;
    }
    return LXW_CHART_LEGEND_RIGHT;
}

// Blank cells that show nothing need not be written at all.
bool showsWhenBlank(const CellFormat& f)
{
    const BorderStyle none = BorderStyle::None;
    return f.fill != kAuto || f.top.style != none || f.bottom.style != none || f.left.style != none
           || f.right.style != none;
}

// The format as the library tells formats apart: black is its "no colour",
// the empty font name its default font, size 11 its default size, and the
// colour of a missing border is not written. Two formats it takes for equal
// must be one library format: it looks the second one up anew for every cell.
CellFormat libraryView(CellFormat f)
{
    const auto color = [](std::uint32_t c) { return c == kAuto || (c & 0xFFFFFFu) == LXW_COLOR_UNSET ? kAuto : c & 0xFFFFFFu; };
    if (f.fontName.empty())
        f.fontName = LXW_DEFAULT_FONT_NAME;
    if (f.fontSize <= 0)
        f.fontSize = 11;
    f.fontColor = color(f.fontColor);
    if (f.fill != kAuto)
        f.fill &= 0xFFFFFFu;
    for (Border* b : {&f.top, &f.bottom, &f.left, &f.right})
        *b = b->style == BorderStyle::None ? Border{} : Border{b->style, color(b->color)};
    return f;
}

class SheetWriter {
public:
    SheetWriter(lxw_workbook* book, const Workbook& model) : m_book(book), m_model(model)
    {
        m_library.emplace(libraryView(CellFormat{}), nullptr);
    }

    void write(const Sheet& sheet)
    {
        const std::string name = sheet.name().toStdString();
        lxw_worksheet* ws = workbook_add_worksheet(m_book, name.c_str());
        if (ws == nullptr)
            throw std::runtime_error("cannot add the worksheet " + name);

        writeColumns(ws, sheet);
        writeRows(ws, sheet);
        for (const Range& m : sheet.merges())
            check(worksheet_merge_range(ws, m.firstRow - 1, m.firstCol - 1, m.lastRow - 1, m.lastCol - 1, "",
                                        nullptr),
                  "merged range");
        writeCells(ws, sheet);
        writePrint(ws, sheet);
        for (const Chart& chart : sheet.charts())
            writeChart(ws, name, chart);
        worksheet_set_selection(ws, 0, 0, 0, 0);
    }

private:
    // The library format of a cell format; none for one the library takes for its default.
    lxw_format* format(FormatId id)
    {
        if (id < m_formats.size() && m_formats[id])
            return *m_formats[id];
        if (id >= m_formats.size())
            m_formats.resize(id + 1);
        const CellFormat f = libraryView(m_model.formats().at(id));
        auto [at, added] = m_library.try_emplace(f, nullptr);
        if (added)
            at->second = libraryFormat(f);
        m_formats[id] = at->second;
        return at->second;
    }

    lxw_format* libraryFormat(const CellFormat& f)
    {
        lxw_format* x = workbook_add_format(m_book);
        if (!f.fontName.empty())
            format_set_font_name(x, f.fontName.c_str());
        if (f.fontSize > 0)
            format_set_font_size(x, f.fontSize);
        if (f.bold)
            format_set_bold(x);
        if (f.italic)
            format_set_italic(x);
        if (f.underline)
            format_set_underline(x, LXW_UNDERLINE_SINGLE);
        if (f.fontColor != kAuto)
            format_set_font_color(x, f.fontColor);
        if (f.fill != kAuto) {
            format_set_pattern(x, LXW_PATTERN_SOLID);
            format_set_bg_color(x, f.fill);
        }
        auto side = [&](const Border& b, void (*setStyle)(lxw_format*, uint8_t),
                        void (*setColor)(lxw_format*, lxw_color_t)) {
            if (b.style == BorderStyle::None)
                return;
            setStyle(x, static_cast<uint8_t>(b.style));
            if (b.color != kAuto)
                setColor(x, b.color);
        };
        side(f.top, format_set_top, format_set_top_color);
        side(f.bottom, format_set_bottom, format_set_bottom_color);
        side(f.left, format_set_left, format_set_left_color);
        side(f.right, format_set_right, format_set_right_color);
        if (const uint8_t h = alignOf(f.hAlign); h != LXW_ALIGN_NONE)
            format_set_align(x, h);
        if (const uint8_t v = alignOf(f.vAlign); v != LXW_ALIGN_NONE)
            format_set_align(x, v);
        if (f.wrap)
            format_set_text_wrap(x);
        if (f.shrinkToFit)
            format_set_shrink(x);
        if (!f.numberFormat.empty())
            format_set_num_format(x, f.numberFormat.c_str());
        return x;
    }

    bool blankShows(FormatId id)
    {
        if (id >= m_blankShows.size())
            m_blankShows.resize(id + 1, -1);
        if (m_blankShows[id] < 0)
            m_blankShows[id] = showsWhenBlank(m_model.formats().at(id)) ? 1 : 0;
        return m_blankShows[id] == 1;
    }

    void writeColumns(lxw_worksheet* ws, const Sheet& sheet)
    {
        for (const auto& [col, width] : sheet.columnWidths()) {
            lxw_row_col_options opt{};
            opt.hidden = sheet.columnHidden(col) ? 1 : 0;
            check(worksheet_set_column_opt(ws, col - 1, col - 1, width, nullptr, &opt), "column width");
        }
        // Hidden columns without a width of their own.
        for (int col = 1; col <= sheet.lastColumn(); ++col) {
            if (sheet.columnHidden(col) && !sheet.columnWidth(col)) {
                lxw_row_col_options opt{};
                opt.hidden = 1;
                check(worksheet_set_column_opt(ws, col - 1, col - 1, LXW_DEF_COL_WIDTH, nullptr, &opt),
                      "hidden column");
            }
        }
    }

    void writeRows(lxw_worksheet* ws, const Sheet& sheet)
    {
        if (std::abs(sheet.defaultRowHeight() - LXW_DEF_ROW_HEIGHT) > 0.01)
            worksheet_set_default_row(ws, sheet.defaultRowHeight(), 0);
        const int last = std::max(sheet.lastRow(), 1);
        for (int row = 1; row <= last; ++row) {
            const auto height = sheet.rowHeight(row);
            const bool hidden = sheet.rowHidden(row);
            if (!height && !hidden)
                continue;
            lxw_row_col_options opt{};
            opt.hidden = hidden ? 1 : 0;
            check(worksheet_set_row_opt(ws, row - 1, height.value_or(sheet.defaultRowHeight()), nullptr, &opt),
                  "row height");
        }
    }

    void writeCells(lxw_worksheet* ws, const Sheet& sheet)
    {
        const auto& rows = sheet.rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const auto& cells = rows[r];
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const Cell& cell = cells[c];
                const auto row = static_cast<lxw_row_t>(r);
                const auto col = static_cast<lxw_col_t>(c);
                switch (cell.kind) {
                case Cell::Kind::Text:
                    check(worksheet_write_string(ws, row, col, cell.text.c_str(),
                                                 cell.format ? format(cell.format) : nullptr),
                          "text cell");
                    break;
                case Cell::Kind::Number:
                    check(worksheet_write_number(ws, row, col, cell.number,
                                                 cell.format ? format(cell.format) : nullptr),
                          "number cell");
                    break;
                case Cell::Kind::Empty:
                    if (cell.format != 0 && blankShows(cell.format))
                        check(worksheet_write_blank(ws, row, col, format(cell.format)), "blank cell");
                    break;
                }
            }
        }
    }

    void writePrint(lxw_worksheet* ws, const Sheet& sheet)
    {
        const PrintSetup& p = sheet.print();
        worksheet_set_paper(ws, static_cast<uint8_t>(p.paperSize));
        if (p.landscape)
            worksheet_set_landscape(ws);
        else
            worksheet_set_portrait(ws);
        if (p.fitWidth > 0 || p.fitHeight > 0)
            worksheet_fit_to_pages(ws, static_cast<uint16_t>(p.fitWidth), static_cast<uint16_t>(p.fitHeight));
        else if (p.scale != 100 && p.scale >= 10 && p.scale <= 400)
            worksheet_set_print_scale(ws, static_cast<uint16_t>(p.scale));
        worksheet_set_margins(ws, p.marginLeft, p.marginRight, p.marginTop, p.marginBottom);
        if (p.centerHorizontally)
            worksheet_center_horizontally(ws);
        if (p.gridlines)
            worksheet_gridlines(ws, LXW_SHOW_PRINT_GRIDLINES);
        if (!p.headerRight.isEmpty()) {
            // "&" starts a code of the header's own; a name holding one doubles it.
            QString text = p.headerRight;
            text.replace(QLatin1Char('&'), QStringLiteral("&&"));
            const QByteArray header = (QStringLiteral("&R") + text).toUtf8();
            check(worksheet_set_header(ws, header.constData()), "page header");
        }
        if (p.printArea) {
            const Range& a = *p.printArea;
            check(worksheet_print_area(ws, a.firstRow - 1, a.firstCol - 1, a.lastRow - 1, a.lastCol - 1),
                  "print area");
        }
        // The format holds a limited number of manual breaks (reports continue
        // on a further sheet before they reach it); a break above row 1 means nothing.
        std::vector<lxw_row_t> breaks;
        for (const int row : sheet.pageBreaks())
            if (row > 1 && breaks.size() < static_cast<std::size_t>(kMaxPageBreaks))
                breaks.push_back(static_cast<lxw_row_t>(row - 1));
        if (!breaks.empty()) {
            breaks.push_back(0);
            check(worksheet_set_h_pagebreaks(ws, breaks.data()), "page breaks");
        }
    }

    void writeChart(lxw_worksheet* ws, const std::string& sheetName, const Chart& chart)
    {
        if (chart.series.empty())
            return;   // an empty chart makes the file unreadable
        lxw_chart* x = workbook_add_chart(m_book, chartTypeOf(chart.type));
        if (x == nullptr)
            throw std::runtime_error("cannot add a chart");
        const char* sheet = sheetName.c_str();
        // Lines with markers name each series' marker: the library's default
        // draws none, and a series of one point would not show at all.
        static constexpr std::array<uint8_t, 5> kMarkers{LXW_CHART_MARKER_DIAMOND, LXW_CHART_MARKER_SQUARE,
                                                         LXW_CHART_MARKER_TRIANGLE, LXW_CHART_MARKER_CIRCLE,
                                                         LXW_CHART_MARKER_X};
        std::size_t n = 0;
        for (const ChartSeries& s : chart.series) {
            lxw_chart_series* xs = chart_add_series(x, nullptr, nullptr);
            if (s.categories) {
                const Range& c = *s.categories;
                chart_series_set_categories(xs, sheet, c.firstRow - 1, c.firstCol - 1, c.lastRow - 1,
                                            c.lastCol - 1);
            }
            const Range& v = s.values;
            chart_series_set_values(xs, sheet, v.firstRow - 1, v.firstCol - 1, v.lastRow - 1, v.lastCol - 1);
            if (s.nameCell) {
                chart_series_set_name_range(xs, sheet, s.nameCell->firstRow - 1, s.nameCell->firstCol - 1);
            } else if (!s.name.isEmpty()) {
                keep(s.name);
                chart_series_set_name(xs, m_texts.back().c_str());
            }
            if (chart.type == ChartType::Line)
                chart_series_set_marker_type(xs, LXW_CHART_MARKER_NONE);
            else if (chart.type == ChartType::LineMarkers)
                chart_series_set_marker_type(xs, kMarkers[n++ % kMarkers.size()]);
        }
        if (!chart.title.isEmpty()) {
            keep(chart.title);
            chart_title_set_name(x, m_texts.back().c_str());
        }
        if (chart.type != ChartType::Pie) {
            if (!chart.xAxisTitle.isEmpty()) {
                keep(chart.xAxisTitle);
                chart_axis_set_name(x->x_axis, m_texts.back().c_str());
            }
            if (!chart.yAxisTitle.isEmpty()) {
                keep(chart.yAxisTitle);
                chart_axis_set_name(x->y_axis, m_texts.back().c_str());
            }
            if (chart.yMin)
                chart_axis_set_min(x->y_axis, *chart.yMin);
            if (chart.yMax)
                chart_axis_set_max(x->y_axis, *chart.yMax);
            if (chart.yMajorUnit)
                chart_axis_set_major_unit(x->y_axis, *chart.yMajorUnit);
        }
        chart_legend_set_position(x, legendOf(chart.legend));

        lxw_chart_options opt{};
        opt.x_scale = chart.widthPx / 480.0;
        opt.y_scale = chart.heightPx / 288.0;
        check(worksheet_insert_chart_opt(ws, chart.row - 1, chart.col - 1, x, &opt), "chart");
    }

    // The library keeps pointers to some texts until the file is closed.
    void keep(const QString& text) { m_texts.push_back(text.toStdString()); }

    lxw_workbook* m_book;
    const Workbook& m_model;
    std::vector<std::optional<lxw_format*>> m_formats;   // by FormatId, once looked up
    std::unordered_map<CellFormat, lxw_format*, CellFormatHash> m_library;
    std::vector<signed char> m_blankShows;
    std::deque<std::string> m_texts;
};

} // namespace

namespace {

// Writes the sheets to a new .xlsx file; handedOver(i) is called once the
// writer holds everything of sheets[i].
void writeSheets(const Workbook& model, const std::vector<const Sheet*>& sheets, const QString& path,
                 const std::function<void(std::size_t)>& handedOver)
{
    if (sheets.empty())
        throw std::runtime_error("a workbook needs at least one sheet");
    if (!QFileInfo(path).absoluteDir().exists())
        throw std::runtime_error("no folder for " + path.toStdString());
    const std::string file = QFile::encodeName(path).toStdString();
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.use_zip64 = LXW_FALSE;
    // The writer puts every part of the package (each sheet, each chart) in a
    // temporary file of its own before zipping it: in memory that costs nothing,
    // on a disk the files' creation is a good part of a report with many charts.
    QByteArray tmpdir = memoryTempFolder();
    if (!tmpdir.isEmpty())
        options.tmpdir = tmpdir.data();
    lxw_error closed = LXW_NO_ERROR;
    {
        BookGuard guard;
        guard.book = workbook_new_opt(file.c_str(), &options);
        if (guard.book == nullptr)
            throw std::runtime_error("cannot create " + path.toStdString());
        SheetWriter writer(guard.book, model);
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            writer.write(*sheets[i]);
            if (handedOver)
                handedOver(i);
        }
        lxw_workbook* book = guard.book;
        guard.book = nullptr;
        closed = workbook_close(book);
    }
    if (closed != LXW_NO_ERROR) {
        QFile::remove(path);
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + lxw_strerror(closed));
    }
}

} // namespace

void Workbook::write(const QString& path, const QStringList& sheetNames) const
{
    std::vector<const Sheet*> chosen;
    if (sheetNames.isEmpty()) {
        for (const auto& s : m_sheets)
            chosen.push_back(s.get());
    } else {
        for (const QString& name : sheetNames) {
            const Sheet* s = sheet(name);
            if (s == nullptr)
                throw std::runtime_error("no sheet named " + name.toStdString());
            chosen.push_back(s);
        }
    }
    writeSheets(*this, chosen, path, {});
}

void Workbook::writeAndEmpty(const QString& path)
{
    std::vector<const Sheet*> all;
    for (const auto& s : m_sheets)
        all.push_back(s.get());
    writeSheets(*this, all, path, [this](std::size_t i) { m_sheets[i].reset(); });
    m_sheets.clear();
}

} // namespace wb
