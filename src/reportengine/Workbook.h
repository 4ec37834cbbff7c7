// The in-memory workbook the reports are written into: sheets of cells with
// formats, merged ranges, column widths, row heights, page breaks, print
// settings and charts. Loaded from the template workbook, written to .xlsx.
//
// Rows and columns are counted from 1 everywhere in this API (A1 = row 1,
// column 1), as the reports address their cells.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace wb {

// Largest row and column of a worksheet.
inline constexpr int kMaxRow = 1048576;
inline constexpr int kMaxCol = 16384;
// Manual page breaks a worksheet of the file format holds.
inline constexpr int kMaxPageBreaks = 1023;

// Colours are 0xRRGGBB; kAuto means "not set" (the application's default).
inline constexpr std::uint32_t kAuto = 0xFFFFFFFFu;
inline constexpr std::uint32_t kRed = 0xFF0000u;

// A rectangle of cells, inclusive on both ends.
struct Range {
    int firstRow = 1;
    int firstCol = 1;
    int lastRow = 1;
    int lastCol = 1;

    int rows() const { return lastRow - firstRow + 1; }
    int cols() const { return lastCol - firstCol + 1; }
    bool contains(int row, int col) const
    {
        return row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
    }
    bool intersects(const Range& o) const
    {
        return firstRow <= o.lastRow && o.firstRow <= lastRow && firstCol <= o.lastCol && o.firstCol <= lastCol;
    }
    bool operator==(const Range&) const = default;

    // "A1:H48", "$A$1:$H$48", "B2", whole rows "1:43", whole columns "$A:$U".
    // Throws std::invalid_argument on anything else.
    static Range parse(const QString& address);
    // "A1:H48" form ("B2" for a single cell).
    QString address() const;
};

// Column number to letters and back: 1 -> "A", 27 -> "AA".
QString columnName(int col);
int columnNumber(const QString& letters);

// Values of the border styles are those of the .xlsx format.
enum class BorderStyle : std::uint8_t {
    None = 0, Thin, Medium, Dashed, Dotted, Thick, Double, Hair,
    MediumDashed, DashDot, MediumDashDot, DashDotDot, MediumDashDotDot, SlantDashDot
};

struct Border {
    BorderStyle style = BorderStyle::None;
    std::uint32_t color = kAuto;
    bool operator==(const Border&) const = default;
};

enum class HAlign : std::uint8_t { General, Left, Center, Right, Fill, Justify, CenterAcross, Distributed };
enum class VAlign : std::uint8_t { Bottom, Top, Center, Justify, Distributed };

// Everything about how a cell looks. Compared by value; the workbook keeps each
// distinct format once and cells refer to it by index.
struct CellFormat {
    std::string fontName;          // empty: the workbook's default font
    double fontSize = 11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::uint32_t fontColor = kAuto;
    std::uint32_t fill = kAuto;    // solid fill colour
    Border top, bottom, left, right;
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    bool shrinkToFit = false;
    std::string numberFormat;      // empty: General

    bool operator==(const CellFormat&) const = default;
    // Same border on the four sides.
    void setBorder(BorderStyle style, std::uint32_t color = kAuto)
    {
        top = bottom = left = right = Border{style, color};
    }
};

struct CellFormatHash {
    std::size_t operator()(const CellFormat& f) const noexcept;
};

using FormatId = std::uint32_t;   // 0 is the default format

// Distinct formats of one workbook.
class FormatTable {
public:
    FormatTable();
    FormatId intern(const CellFormat& format);
    const CellFormat& at(FormatId id) const { return m_formats[id]; }
    std::size_t size() const { return m_formats.size(); }

private:
    std::vector<CellFormat> m_formats;
    std::unordered_map<CellFormat, FormatId, CellFormatHash> m_index;
};

struct Cell {
    enum class Kind : std::uint8_t { Empty, Number, Text };
    Kind kind = Kind::Empty;
    FormatId format = 0;
    double number = 0;
    std::string text;              // UTF-8, for Kind::Text

    bool isEmpty() const { return kind == Kind::Empty; }
};

// Chart kinds the reports use.
enum class ChartType : std::uint8_t { Column, Bar, Line, LineMarkers, Pie, Radar, RadarMarkers, Area };
enum class LegendPosition : std::uint8_t { None, Right, Left, Top, Bottom };
// How a source range is split into series, as a spreadsheet's "source data".
enum class PlotBy : std::uint8_t { Rows = 1, Columns = 2 };

struct ChartSeries {
    QString name;                    // used when nameCell is not set
    std::optional<Range> nameCell;   // a single cell holding the series name
    std::optional<Range> categories; // one row or one column
    Range values;                    // one row or one column
};

// A chart over cells of the sheet it is placed on.
struct Chart {
    ChartType type = ChartType::Column;
    int row = 1;                 // top-left anchor cell
    int col = 1;
    int widthPx = 480;
    int heightPx = 288;
    QString title;
    QString xAxisTitle;
    QString yAxisTitle;
    std::optional<double> yMin;
    std::optional<double> yMax;
    std::optional<double> yMajorUnit;
    LegendPosition legend = LegendPosition::Right;
    std::vector<ChartSeries> series;

    // Replaces the series by those of a source range, the way a spreadsheet
    // reads it: the first row and the first column of the range hold the
    // labels (categories and series names), the rest the values.
    //   PlotBy::Columns: each column after the first is a series.
    //   PlotBy::Rows:    each row after the first is a series.
    void setSourceData(const Range& source, PlotBy by);
};

// Print settings of a sheet; applied when it is written.
struct PrintSetup {
    bool landscape = false;
    int paperSize = 9;                 // 9 = A4
    int fitWidth = 0;                  // pages across; 0 = no fitting
    int fitHeight = 0;                 // pages down; 0 = as many as needed
    int scale = 100;                   // percent, used when not fitting
    std::optional<Range> printArea;    // whole columns: firstRow 1, lastRow kMaxRow
    double marginLeft = 0.7, marginRight = 0.7;      // inches
    double marginTop = 0.75, marginBottom = 0.75;
    double marginHeader = 0.3, marginFooter = 0.3;
    bool centerHorizontally = false;
    bool gridlines = false;            // print the gridlines
    QString headerRight;               // printed at the top right of every page
};

class Workbook;

class Sheet {
public:
    Sheet(Workbook& book, QString name);

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    Workbook& book() const { return *m_book; }

    // Values. A text is cut to the 32767 characters a cell holds.
    void setText(int row, int col, const QString& text);
    void setNumber(int row, int col, double value);
    // Text that reads as a plain decimal number ("12", "-3.5"; no leading zero,
    // blank or exponent) is stored as a number, other text as text, so codes
    // like "007" and dates stay as written; an empty text clears the value.
    void setValue(int row, int col, const QString& text);
    void clearValue(int row, int col);
    // The value as shown without number formatting: text, or the number in
    // its shortest form; "" for an empty cell.
    QString text(int row, int col) const;
    std::optional<double> number(int row, int col) const;
    const Cell* cell(int row, int col) const;   // nullptr when never touched

    // Formats.
    FormatId formatId(int row, int col) const;
    const CellFormat& format(int row, int col) const;
    void setFormat(int row, int col, const CellFormat& format);
    void setFormatId(int row, int col, FormatId id);
    void setFontColor(int row, int col, std::uint32_t rgb);
    void setWrap(const Range& range, bool wrap);

    // Merged ranges (kept free of overlaps: a new one replaces those it meets).
    void merge(const Range& range);
    void unmerge(const Range& range);   // removes merges that meet the range
    std::vector<Range> merges() const;
    std::optional<Range> mergeAt(int row, int col) const;

    // Column widths in character units, row heights in points; unset = default.
    void setColumnWidth(int col, double width);
    std::optional<double> columnWidth(int col) const;
    const std::map<int, double>& columnWidths() const { return m_colWidths; }
    void setColumnHidden(int col, bool hidden);
    bool columnHidden(int col) const;
    void setRowHeight(int row, double points);
    std::optional<double> rowHeight(int row) const;
    void setRowHidden(int row, bool hidden);
    bool rowHidden(int row) const;
    double defaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(double points) { m_defaultRowHeight = points; }
    double defaultColumnWidth() const { return m_defaultColWidth; }
    void setDefaultColumnWidth(double width) { m_defaultColWidth = width; }

    // Manual page breaks: a break lies above each listed row.
    void addPageBreak(int row);
    const std::vector<int>& pageBreaks() const { return m_pageBreaks; }

    PrintSetup& print() { return m_print; }
    const PrintSetup& print() const { return m_print; }

    // Charts, in the order they were added (the last is on top).
    Chart& addChart(const Chart& chart);
    std::vector<Chart>& charts() { return m_charts; }
    const std::vector<Chart>& charts() const { return m_charts; }

    // Copies values, formats, merged ranges and row heights of a range of
    // another sheet (or of this one) so that its top-left cell lands on
    // (destRow, destCol). Whole-row sources copy every used column. What was
    // in the destination rectangle is replaced, empty source cells included.
    void copyFrom(const Sheet& source, const Range& range, int destRow, int destCol = 1);

    // Extent of the used cells (values or formats): 0 when the sheet is empty.
    int lastRow() const { return static_cast<int>(m_rows.size()); }
    int lastColumn() const;
    // The last column of a filled run from (row, col) towards the right: the
    // spreadsheet's "end" movement, for a filled starting cell followed by more.
    int endRight(int row, int col) const;

    // Rows as stored: index row - 1; each row's index col - 1.
    const std::vector<std::vector<Cell>>& rows() const { return m_rows; }

private:
    friend class Workbook;   // a clone points its sheets at itself
    Cell& at(int row, int col);
    struct RowInfo {
        std::optional<double> height;
        bool hidden = false;
    };

    Workbook* m_book;
    QString m_name;
    std::vector<std::vector<Cell>> m_rows;
    // Keyed by first row, so that a page copied below the others looks only at its own rows.
    std::multimap<int, Range> m_merges;
    int m_tallestMerge = 1;
    // The merges that may meet rows first..last.
    template <typename Visit> void forMergesNear(int firstRow, int lastRow, Visit visit) const;
    std::map<int, double> m_colWidths;
    std::map<int, bool> m_colHidden;
    std::map<int, RowInfo> m_rowInfo;
    double m_defaultRowHeight = 15;
    double m_defaultColWidth = 8.43;
    std::vector<int> m_pageBreaks;
    PrintSetup m_print;
    std::vector<Chart> m_charts;
};

class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Reads an OOXML workbook (.xlsx or a template with another name): values,
    // formats, merged ranges, column widths, row heights, page breaks and the
    // page setup of each sheet. Throws std::runtime_error when it cannot.
    static std::unique_ptr<Workbook> load(const QString& path);
    // Reads only the cells' values (and the date system): what an import needs,
    // in one pass over each sheet. Throws std::runtime_error when it cannot.
    static std::unique_ptr<Workbook> loadValues(const QString& path);
    // A copy of every sheet, with the formats as they are numbered here.
    std::unique_ptr<Workbook> clone() const;

    Sheet& addSheet(const QString& name);
    Sheet* sheet(const QString& name);
    const Sheet* sheet(const QString& name) const;
    int sheetCount() const { return static_cast<int>(m_sheets.size()); }
    Sheet& sheetAt(int index) { return *m_sheets.at(index); }
    const Sheet& sheetAt(int index) const { return *m_sheets.at(index); }
    QStringList sheetNames() const;
    // Removes a sheet; false when there is none of that name.
    bool removeSheet(const QString& name);

    // The workbook counts its date serials from 1904/1/1 rather than 1899/12/30.
    bool date1904() const { return m_date1904; }
    void setDate1904(bool on) { m_date1904 = on; }

    FormatTable& formats() { return m_formats; }
    const FormatTable& formats() const { return m_formats; }

    // Writes the named sheets (all when the list is empty) to a new .xlsx file,
    // with cell A1 selected on each. Throws std::runtime_error when it cannot.
    void write(const QString& path, const QStringList& sheetNames = {}) const;
    // Writes every sheet, giving each up as soon as the writer holds it, so that
    // a long report is not held in memory twice. The workbook is empty after.
    void writeAndEmpty(const QString& path);

private:
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    FormatTable m_formats;
    bool m_date1904 = false;
};

} // namespace wb
