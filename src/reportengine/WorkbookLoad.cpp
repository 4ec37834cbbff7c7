// Reading a workbook (the template, or a ledger to import). liborcus gives the
// fonts, fills, borders, number formats, merged ranges, column widths and row
// heights. The cell values, and what its spreadsheet model leaves out (wrapping,
// page setup, page breaks, print area, the extent of formatted empty cells, the
// 1904 date system), are read from the package's XML parts directly.
#include "Workbook.h"

#include <QFile>
#include <QFileInfo>

#include <orcus/orcus_xlsx.hpp>
#include <orcus/sax_parser.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <utility>

namespace wb {

namespace {

namespace ss = orcus::spreadsheet;

// ------------------------------------------------------------ package XML

struct XmlElement {
    std::string_view name;
    std::vector<std::pair<std::string_view, std::string>> attrs;

    const std::string* attr(std::string_view key) const
    {
        for (const auto& [k, v] : attrs)
            if (k == key)
                return &v;
        return nullptr;
    }
    std::optional<double> number(std::string_view key) const
    {
        const std::string* v = attr(key);
        if (v == nullptr)
            return std::nullopt;
        double d = 0;
        const auto [p, ec] = std::from_chars(v->data(), v->data() + v->size(), d);
        if (ec != std::errc())
            return std::nullopt;
        return d;
    }
    bool flag(std::string_view key) const
    {
        const std::string* v = attr(key);
        return v != nullptr && (*v == "1" || *v == "true");
    }
};

// Calls back for every opening element with its attributes, and for text.
class XmlWalker {
public:
    using ElementFn = std::function<void(const XmlElement&)>;
    using EndFn = std::function<void(std::string_view)>;
    using TextFn = std::function<void(std::string_view)>;

    ElementFn onStart;
    EndFn onEnd;
    TextFn onText;

    void doctype(const orcus::sax::doctype_declaration&) {}
    void start_declaration(std::string_view) {}
    void end_declaration(std::string_view) {}
    void attribute(std::string_view, std::string_view) {}
    void attribute(const orcus::sax::parser_attribute& a)
    {
        m_pending.attrs.emplace_back(a.name, std::string(a.value));
    }
    void start_element(const orcus::sax::parser_element& e)
    {
        m_pending.name = e.name;
        if (onStart)
            onStart(m_pending);
        m_pending.attrs.clear();
    }
    void end_element(const orcus::sax::parser_element& e)
    {
        if (onEnd)
            onEnd(e.name);
    }
    void characters(std::string_view text, bool)
    {
        if (onText)
            onText(text);
    }

    void walk(const std::vector<unsigned char>& xml)
    {
        orcus::sax_parser<XmlWalker> parser(reinterpret_cast<const char*>(xml.data()), xml.size(), *this);
        parser.parse();
    }

private:
    XmlElement m_pending;
};

class Package {
public:
    explicit Package(const std::string& path) : m_stream(path.c_str()), m_zip(&m_stream) { m_zip.load(); }

    std::vector<unsigned char> part(const std::string& name) const
    {
        std::vector<unsigned char> buf;
        if (!m_zip.read_file_entry(name, buf))
            buf.clear();
        return buf;
    }

private:
    orcus::zip_archive_stream_fd m_stream;
    orcus::zip_archive m_zip;
};

struct ColumnSpan {
    int first = 1, last = 1;
    std::optional<double> width;   // in characters, as typed by the user
    bool custom = false;
    bool hidden = false;
};

// The package stores a column width with the cell padding included
// (characters of 7 pixels plus 5 pixels); the user's width is without it.
double userColumnWidth(double stored)
{
    const double w = stored < 12.0 / 7.0 ? stored * 7.0 / 12.0 : (stored * 7.0 - 5.0) / 7.0;
    return std::round(w * 100.0) / 100.0;
}

// What the package says beyond the liborcus model.
struct SheetExtras {
    std::string part;              // "xl/worksheets/sheet1.xml"
    int lastRow = 0, lastCol = 0;  // from the dimension
    std::optional<double> defaultRowHeight;
    PrintSetup print;
    bool fitToPage = false;
    std::vector<int> breaks;       // rows above which a page starts
    std::vector<ColumnSpan> columns;
};

struct AlignmentXf {
    std::optional<HAlign> h;
    std::optional<VAlign> v;
    bool wrap = false;
    bool shrink = false;
};

// A relation's target as the name of the part in the package.
std::string partOf(const std::string& target)
{
    return target.starts_with('/') ? target.substr(1) : "xl/" + target;
}

std::optional<Range> parseArea(std::string text)
{
    // "'日報'!$A$1:$P$43" (several areas joined by commas: the first counts).
    if (const auto comma = text.find(','); comma != std::string::npos)
        text.resize(comma);
    if (const auto bang = text.rfind('!'); bang != std::string::npos)
        text.erase(0, bang + 1);
    try {
        return Range::parse(QString::fromStdString(text));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<HAlign> hAlignOf(const std::string* v)
{
    if (v == nullptr) return std::nullopt;
    if (*v == "left") return HAlign::Left;
    if (*v == "center") return HAlign::Center;
    if (*v == "right") return HAlign::Right;
    if (*v == "fill") return HAlign::Fill;
    if (*v == "justify") return HAlign::Justify;
    if (*v == "centerContinuous") return HAlign::CenterAcross;
    if (*v == "distributed") return HAlign::Distributed;
    return HAlign::General;
}

std::optional<VAlign> vAlignOf(const std::string* v)
{
    if (v == nullptr) return std::nullopt;
    if (*v == "top") return VAlign::Top;
    if (*v == "center") return VAlign::Center;
    if (*v == "justify") return VAlign::Justify;
    if (*v == "distributed") return VAlign::Distributed;
    return VAlign::Bottom;
}

std::vector<AlignmentXf> readAlignments(const Package& pkg)
{
    std::vector<AlignmentXf> xfs;
    bool inCellXfs = false;
    XmlWalker w;
    w.onStart = [&](const XmlElement& e) {
        if (e.name == "cellXfs")
            inCellXfs = true;
        else if (inCellXfs && e.name == "xf")
            xfs.emplace_back();
        else if (inCellXfs && e.name == "alignment" && !xfs.empty()) {
            AlignmentXf& a = xfs.back();
            a.h = hAlignOf(e.attr("horizontal"));
            a.v = vAlignOf(e.attr("vertical"));
            a.wrap = e.flag("wrapText");
            a.shrink = e.flag("shrinkToFit");
        }
    };
    w.onEnd = [&](std::string_view name) {
        if (name == "cellXfs")
            inCellXfs = false;
    };
    const auto xml = pkg.part("xl/styles.xml");
    if (!xml.empty())
        w.walk(xml);
    return xfs;
}

// What the workbook part and its relations say.
struct PackageInfo {
    std::vector<std::pair<std::string, SheetExtras>> sheets;   // in order, with their parts and print areas
    std::string sharedStrings = "xl/sharedStrings.xml";
    bool date1904 = false;
};

PackageInfo readPackageInfo(const Package& pkg)
{
    PackageInfo info;
    std::vector<std::pair<std::string, std::string>> sheets;   // name, relation id
    std::vector<std::pair<int, std::string>> printAreas;       // local sheet index, text
    {
        XmlWalker w;
        std::optional<int> areaSheet;
        std::string areaText;
        w.onStart = [&](const XmlElement& e) {
            if (e.name == "workbookPr") {
                info.date1904 = e.flag("date1904");
            } else if (e.name == "sheet") {
                const std::string* name = e.attr("name");
                const std::string* id = e.attr("id");
                sheets.emplace_back(name ? *name : std::string(), id ? *id : std::string());
            } else if (e.name == "definedName") {
                const std::string* name = e.attr("name");
                const auto local = e.number("localSheetId");
                if (name && *name == "_xlnm.Print_Area" && local) {
                    areaSheet = static_cast<int>(*local);
                    areaText.clear();
                }
            }
        };
        w.onText = [&](std::string_view text) {
            if (areaSheet)
                areaText += text;
        };
        w.onEnd = [&](std::string_view name) {
            if (name == "definedName" && areaSheet) {
                printAreas.emplace_back(*areaSheet, areaText);
                areaSheet.reset();
            }
        };
        w.walk(pkg.part("xl/workbook.xml"));
    }
    std::vector<std::pair<std::string, std::string>> rels;   // id, target
    {
        XmlWalker w;
        w.onStart = [&](const XmlElement& e) {
            if (e.name != "Relationship" || !e.attr("Id") || !e.attr("Target"))
                return;
            rels.emplace_back(*e.attr("Id"), *e.attr("Target"));
            if (const std::string* type = e.attr("Type"); type && type->ends_with("/sharedStrings"))
                info.sharedStrings = partOf(*e.attr("Target"));
        };
        w.walk(pkg.part("xl/_rels/workbook.xml.rels"));
    }
    std::vector<std::pair<std::string, SheetExtras>>& out = info.sheets;
    for (const auto& [name, id] : sheets) {
        SheetExtras x;
        for (const auto& [rid, target] : rels) {
            if (rid != id)
                continue;
            x.part = partOf(target);
        }
        out.emplace_back(name, std::move(x));
    }
    for (const auto& [index, text] : printAreas)
        if (index >= 0 && index < static_cast<int>(out.size()))
            out[index].second.print.printArea = parseArea(text);
    return info;
}

void readSheetPart(const Package& pkg, SheetExtras& x)
{
    if (x.part.empty())
        return;
    const auto xml = pkg.part(x.part);
    if (xml.empty())
        return;
    bool inRowBreaks = false;
    XmlWalker w;
    w.onStart = [&](const XmlElement& e) {
        if (e.name == "dimension") {
            if (const std::string* ref = e.attr("ref"))
                if (const auto r = parseArea(*ref)) {
                    x.lastRow = r->lastRow;
                    x.lastCol = r->lastCol;
                }
        } else if (e.name == "sheetFormatPr") {
            x.defaultRowHeight = e.number("defaultRowHeight");
        } else if (e.name == "pageSetUpPr") {
            x.fitToPage = e.flag("fitToPage");
        } else if (e.name == "printOptions") {
            x.print.centerHorizontally = e.flag("horizontalCentered");
            x.print.gridlines = e.flag("gridLines");
        } else if (e.name == "pageMargins") {
            x.print.marginLeft = e.number("left").value_or(x.print.marginLeft);
            x.print.marginRight = e.number("right").value_or(x.print.marginRight);
            x.print.marginTop = e.number("top").value_or(x.print.marginTop);
            x.print.marginBottom = e.number("bottom").value_or(x.print.marginBottom);
            x.print.marginHeader = e.number("header").value_or(x.print.marginHeader);
            x.print.marginFooter = e.number("footer").value_or(x.print.marginFooter);
        } else if (e.name == "pageSetup") {
            x.print.paperSize = static_cast<int>(e.number("paperSize").value_or(x.print.paperSize));
            x.print.scale = static_cast<int>(e.number("scale").value_or(x.print.scale));
            const std::string* orientation = e.attr("orientation");
            x.print.landscape = orientation && *orientation == "landscape";
            x.print.fitWidth = static_cast<int>(e.number("fitToWidth").value_or(1));
            x.print.fitHeight = static_cast<int>(e.number("fitToHeight").value_or(1));
        } else if (e.name == "col") {
            ColumnSpan span;
            span.first = static_cast<int>(e.number("min").value_or(1));
            span.last = static_cast<int>(e.number("max").value_or(span.first));
            if (const auto w = e.number("width"))
                span.width = userColumnWidth(*w);
            span.custom = e.flag("customWidth");
            span.hidden = e.flag("hidden");
            if (span.first >= 1 && span.last >= span.first && span.last <= kMaxCol)
                x.columns.push_back(span);
        } else if (e.name == "rowBreaks") {
            inRowBreaks = true;
        } else if (inRowBreaks && e.name == "brk") {
            if (const auto id = e.number("id"))
                x.breaks.push_back(static_cast<int>(*id) + 1);
        }
    };
    w.onEnd = [&](std::string_view name) {
        if (name == "rowBreaks")
            inRowBreaks = false;
    };
    w.walk(xml);
    if (!x.fitToPage) {
        x.print.fitWidth = 0;
        x.print.fitHeight = 0;
    }
}

// ------------------------------------------------------------ cell values

// Cell values are read from the package itself rather than from liborcus, which
// takes a cell's furigana for its text and misses cells written by programs other
// than Excel (inline strings, cells without an address).
struct CellValue {
    int row = 0, col = 0;   // 1-based
    Cell::Kind kind = Cell::Kind::Empty;
    double number = 0;
    std::string text;
};

// Collects the text of a string item: its <t> runs, those inside rich-text <r>
// runs included, but never the reading runs (<rPh>) Japanese input adds.
class StringItem {
public:
    void start(std::string_view name)
    {
        if (name == "rPh")
            ++m_reading;
        else if (name == "t" && m_reading == 0)
            m_inText = true;
    }
    void end(std::string_view name)
    {
        if (name == "rPh")
            --m_reading;
        else if (name == "t")
            m_inText = false;
    }
    void text(std::string_view text)
    {
        if (m_inText)
            m_value += text;
    }
    std::string take()
    {
        m_inText = false;
        m_reading = 0;
        return std::exchange(m_value, {});
    }

private:
    std::string m_value;
    bool m_inText = false;
    int m_reading = 0;
};

std::vector<std::string> readSharedStrings(const Package& pkg, const std::string& part)
{
    std::vector<std::string> strings;
    const auto xml = pkg.part(part);
    if (xml.empty())
        return strings;
    StringItem item;
    bool inItem = false;
    XmlWalker w;
    w.onStart = [&](const XmlElement& e) {
        if (e.name == "si") {
            inItem = true;
            item.take();
        } else if (inItem) {
            item.start(e.name);
        }
    };
    w.onEnd = [&](std::string_view name) {
        if (name == "si") {
            strings.push_back(item.take());
            inItem = false;
        } else if (inItem) {
            item.end(name);
        }
    };
    w.onText = [&](std::string_view text) {
        if (inItem)
            item.text(text);
    };
    w.walk(xml);
    return strings;
}

// "B12" as row 12, column 2; nullopt for anything else.
std::optional<std::pair<int, int>> cellAddress(const std::string& ref)
{
    std::size_t i = 0;
    int col = 0;
    while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])) && col <= kMaxCol)
        col = col * 26 + (std::toupper(static_cast<unsigned char>(ref[i++])) - 'A' + 1);
    int row = 0;
    const auto [p, ec] = std::from_chars(ref.data() + i, ref.data() + ref.size(), row);
    if (col < 1 || col > kMaxCol || ec != std::errc() || p != ref.data() + ref.size() || row < 1 || row > kMaxRow)
        return std::nullopt;
    return std::pair{row, col};
}

// The values of a sheet part. A row or cell without its address follows the one before.
std::vector<CellValue> readCellValues(const std::vector<unsigned char>& xml, const std::vector<std::string>& shared)
{
    std::vector<CellValue> cells;
    int row = 0, col = 0;
    std::string type, raw;
    bool inCell = false, inValue = false, inInline = false;
    StringItem inlineText;
    XmlWalker w;
    w.onStart = [&](const XmlElement& e) {
        if (e.name == "row") {
            const auto r = e.number("r");
            row = r && *r >= 1 && *r <= kMaxRow ? static_cast<int>(*r) : row + 1;
            col = 0;
        } else if (e.name == "c") {
            const std::string* ref = e.attr("r");
            const auto at = ref ? cellAddress(*ref) : std::nullopt;
            if (at) {
                row = at->first;
                col = at->second;
            } else {
                row = std::max(row, 1);
                ++col;
            }
            const std::string* t = e.attr("t");
            type = t ? *t : std::string();
            raw.clear();
            inCell = true;
            inlineText.take();
        } else if (inCell && e.name == "v") {
            inValue = true;
        } else if (inCell && e.name == "is") {
            inInline = true;
        } else if (inInline) {
            inlineText.start(e.name);
        }
    };
    w.onEnd = [&](std::string_view name) {
        if (name == "v") {
            inValue = false;
        } else if (name == "is") {
            inInline = false;
        } else if (inInline) {
            inlineText.end(name);
        } else if (name == "c" && inCell) {
            inCell = false;
            if (col < 1 || col > kMaxCol || row < 1 || row > kMaxRow)
                return;
            CellValue v{row, col, Cell::Kind::Text, 0, {}};
            if (type == "inlineStr") {
                v.text = inlineText.take();
            } else if (type == "s") {
                std::size_t index = 0;
                const auto [p, ec] = std::from_chars(raw.data(), raw.data() + raw.size(), index);
                if (ec != std::errc() || index >= shared.size())
                    return;
                v.text = shared[index];
            } else if (type == "b") {
                v.text = raw == "1" ? "TRUE" : "FALSE";
            } else if (type == "str" || type == "e" || type == "d") {
                v.text = raw;
            } else {
                const auto [p, ec] = std::from_chars(raw.data(), raw.data() + raw.size(), v.number);
                if (raw.empty() || ec != std::errc())
                    return;   // a formula without a cached result
                v.kind = Cell::Kind::Number;
            }
            if (v.kind == Cell::Kind::Text && v.text.empty())
                return;
            cells.push_back(std::move(v));
        }
    };
    w.onText = [&](std::string_view text) {
        if (inValue)
            raw += text;
        else if (inInline)
            inlineText.text(text);
    };
    w.walk(xml);
    return cells;
}

// ------------------------------------------------------------ the model

std::uint32_t rgbOf(const ss::color_t& c)
{
    if (c.alpha == 0 && c.red == 0 && c.green == 0 && c.blue == 0)
        return kAuto;   // not given (theme colours are not resolved either)
    return (std::uint32_t(c.red) << 16) | (std::uint32_t(c.green) << 8) | c.blue;
}

BorderStyle borderOf(ss::border_style_t s)
{
    using S = ss::border_style_t;
    switch (s) {
    case S::solid:
    case S::thin: return BorderStyle::Thin;
    case S::dash_dot: return BorderStyle::DashDot;
    case S::dash_dot_dot: return BorderStyle::DashDotDot;
    case S::dashed:
    case S::fine_dashed: return BorderStyle::Dashed;
    case S::dotted: return BorderStyle::Dotted;
    case S::double_border:
    case S::double_thin: return BorderStyle::Double;
    case S::hair: return BorderStyle::Hair;
    case S::medium: return BorderStyle::Medium;
    case S::medium_dash_dot: return BorderStyle::MediumDashDot;
    case S::medium_dash_dot_dot: return BorderStyle::MediumDashDotDot;
    case S::medium_dashed: return BorderStyle::MediumDashed;
    case S::slant_dash_dot: return BorderStyle::SlantDashDot;
    case S::thick: return BorderStyle::Thick;
    default: return BorderStyle::None;
    }
}

Border borderOf(const ss::border_attrs_t& b)
{
    Border out{borderOf(b.style), kAuto};
    if (out.style != BorderStyle::None)
        out.color = rgbOf(b.border_color);
    return out;
}

HAlign hAlignOf(ss::hor_alignment_t a)
{
    using A = ss::hor_alignment_t;
    switch (a) {
    case A::left: return HAlign::Left;
    case A::center: return HAlign::Center;
    case A::right: return HAlign::Right;
    case A::justified: return HAlign::Justify;
    case A::distributed: return HAlign::Distributed;
    case A::filled: return HAlign::Fill;
    default: return HAlign::General;
    }
}

VAlign vAlignOf(ss::ver_alignment_t a)
{
    using A = ss::ver_alignment_t;
    switch (a) {
    case A::top: return VAlign::Top;
    case A::middle: return VAlign::Center;
    case A::justified: return VAlign::Justify;
    case A::distributed: return VAlign::Distributed;
    default: return VAlign::Bottom;
    }
}

// Maps the document's cell format indexes to formats of our table, once each.
class FormatMapper {
public:
    FormatMapper(const ss::styles& styles, FormatTable& table, std::vector<AlignmentXf> alignments)
        : m_styles(styles), m_table(table), m_alignments(std::move(alignments))
    {
    }

    FormatId map(std::size_t xf)
    {
        if (xf < m_done.size() && m_done[xf])
            return *m_done[xf];
        if (xf >= m_done.size())
            m_done.resize(xf + 1);
        const FormatId id = m_table.intern(convert(xf));
        m_done[xf] = id;
        return id;
    }

private:
    CellFormat convert(std::size_t xf) const
    {
        CellFormat f;
        const ss::cell_format_t* cf = m_styles.get_cell_format(xf);
        if (cf == nullptr)
            return f;
        if (const ss::font_t* font = m_styles.get_font(cf->font)) {
            f.fontName = std::string(font->name);
            if (font->size > 0)
                f.fontSize = font->size;
            f.bold = font->bold;
            f.italic = font->italic;
            f.underline = font->underline_style != ss::underline_t::none;
            f.fontColor = rgbOf(font->color);
        }
        if (const ss::fill_t* fill = m_styles.get_fill(cf->fill)) {
            if (fill->pattern_type == ss::fill_pattern_t::solid)
                f.fill = rgbOf(fill->fg_color);
        }
        if (const ss::border_t* b = m_styles.get_border(cf->border)) {
            f.top = borderOf(b->top);
            f.bottom = borderOf(b->bottom);
            f.left = borderOf(b->left);
            f.right = borderOf(b->right);
        }
        f.numberFormat = numberFormat(cf->number_format);
        f.hAlign = hAlignOf(cf->hor_align);
        f.vAlign = vAlignOf(cf->ver_align);
        if (xf < m_alignments.size()) {
            const AlignmentXf& a = m_alignments[xf];
            if (a.h)
                f.hAlign = *a.h;
            if (a.v)
                f.vAlign = *a.v;
            f.wrap = a.wrap;
            f.shrinkToFit = a.shrink;
        }
        return f;
    }

    // The cell format holds the package's format number; custom formats are
    // found by that number, built-in ones have no text in the package.
    std::string numberFormat(std::size_t id) const
    {
        for (std::size_t i = 0; i < m_styles.get_number_format_count(); ++i) {
            const ss::number_format_t* nf = m_styles.get_number_format(i);
            if (nf != nullptr && nf->identifier == id && !nf->format_string.empty())
                return nf->format_string == "General" ? std::string() : std::string(nf->format_string);
        }
        switch (id) {
        case 1: return "0";
        case 2: return "0.00";
        case 3: return "#,##0";
        case 4: return "#,##0.00";
        case 9: return "0%";
        case 10: return "0.00%";
        case 11: return "0.00E+00";
        case 14: return "yyyy/m/d";
        case 20: return "h:mm";
        case 21: return "h:mm:ss";
        case 22: return "yyyy/m/d h:mm";
        case 49: return "@";
        default: return {};
        }
    }

    const ss::styles& m_styles;
    FormatTable& m_table;
    std::vector<AlignmentXf> m_alignments;
    std::vector<std::optional<FormatId>> m_done;
};

// liborcus keeps row heights in twips.
constexpr double kTwipsPerPoint = 20.0;

// sh: the sheet as liborcus read it (its formats, merges and row heights); null
// when liborcus could not read the workbook, whose values are then read all the same.
void loadSheet(const ss::sheet* sh, const std::vector<CellValue>& values, const SheetExtras& extras,
               FormatMapper* formats, Sheet& out)
{
    int lastRow = extras.lastRow, lastCol = extras.lastCol;
    if (sh != nullptr) {
        if (const auto data = sh->get_data_range(); data.valid()) {
            lastRow = std::max(lastRow, data.last.row + 1);
            lastCol = std::max(lastCol, data.last.column + 1);
        }
    }
    for (const CellValue& v : values) {
        lastRow = std::max(lastRow, v.row);
        lastCol = std::max(lastCol, v.col);
    }
    lastRow = std::min(lastRow, kMaxRow);
    lastCol = std::min(lastCol, kMaxCol);

    // Formatted empty cells keep their format; filled cells keep even the base format, for its font.
    if (sh != nullptr && formats != nullptr)
        for (int r = 0; r < lastRow; ++r)
            for (int c = 0; c < lastCol; ++c)
                if (const std::size_t xf = sh->get_cell_format(r, c); xf != 0)
                    out.setFormatId(r + 1, c + 1, formats->map(xf));
    for (const CellValue& v : values) {
        if (sh != nullptr && formats != nullptr)
            out.setFormatId(v.row, v.col, formats->map(sh->get_cell_format(v.row - 1, v.col - 1)));
        if (v.kind == Cell::Kind::Number)
            out.setNumber(v.row, v.col, v.number);
        else
            out.setText(v.row, v.col, QString::fromStdString(v.text));
    }
    if (sh == nullptr) {
        out.print() = extras.print;
        return;
    }

    // Merged ranges, found from their top-left cells.
    for (int r = 0; r < lastRow; ++r) {
        for (int c = 0; c < lastCol; ++c) {
            const ss::range_t m = sh->get_merge_cell_range(r, c);
            if (m.first.row == r && m.first.column == c && (m.last.row > r || m.last.column > c))
                out.merge(Range{r + 1, c + 1, m.last.row + 1, m.last.column + 1});
        }
    }

    // Column widths as the package states them (liborcus rounds them to twips).
    for (const ColumnSpan& span : extras.columns) {
        for (int c = span.first; c <= std::min(span.last, std::max(lastCol, 256)); ++c) {
            if (span.width && (span.custom || std::abs(*span.width - out.defaultColumnWidth()) > 0.005))
                out.setColumnWidth(c, *span.width);
            if (span.hidden)
                out.setColumnHidden(c, true);
        }
    }

    // Row heights, likewise.
    const ss::row_height_t defaultHeight = ss::get_default_row_height();
    if (extras.defaultRowHeight)
        out.setDefaultRowHeight(*extras.defaultRowHeight);
    // Rows may carry a height below the last used cell.
    const int heightRows = std::max(lastRow, 4096);
    for (ss::row_t r = 0; r < heightRows;) {
        ss::row_t first = 0, last = 0;
        // Spans come back as [first, last): the last row is not part of it.
        const ss::row_height_t h = sh->get_row_height(r, &first, &last);
        const ss::row_t end = std::min<ss::row_t>(std::max(last, r + 1), heightRows);
        if (h != defaultHeight)
            for (ss::row_t i = r; i < end; ++i)
                out.setRowHeight(i + 1, h / kTwipsPerPoint);
        ss::row_t hFirst = 0, hLast = 0;
        if (sh->is_row_hidden(r, &hFirst, &hLast))
            for (ss::row_t i = r; i < std::min(hLast, end); ++i)
                out.setRowHidden(i + 1, true);
        r = end;
    }

    for (const int row : extras.breaks)
        out.addPageBreak(row);
    out.print() = extras.print;
}

} // namespace

namespace {

enum class LoadWhat { Everything, ValuesOnly };

std::unique_ptr<Workbook> loadWorkbook(const QString& path, LoadWhat what)
{
    if (!QFileInfo(path).isFile())
        throw std::runtime_error("no workbook at " + path.toStdString());
    const std::string file = QFile::encodeName(path).toStdString();
    const bool everything = what == LoadWhat::Everything;
    try {
        const Package pkg(file);
        PackageInfo info = readPackageInfo(pkg);
        if (info.sheets.empty())
            throw std::runtime_error("no sheets in workbook " + path.toStdString());
        // Formats come from liborcus; a workbook it cannot read still gives its values.
        std::optional<ss::document> doc;
        if (everything) {
            try {
                doc.emplace(ss::range_size_t{kMaxRow, kMaxCol});
                ss::import_factory factory{*doc};
                orcus::orcus_xlsx reader(&factory);
                reader.read_file(file);
            } catch (const std::exception&) {
                doc.reset();
            }
        }
        auto book = std::make_unique<Workbook>();
        book->setDate1904(info.date1904);
        std::optional<FormatMapper> mapper;
        if (doc)
            mapper.emplace(doc->get_styles(), book->formats(), readAlignments(pkg));
        const std::vector<std::string> shared = readSharedStrings(pkg, info.sharedStrings);
        for (auto& [name, extras] : info.sheets) {
            if (everything)
                readSheetPart(pkg, extras);
            const ss::sheet* sh = doc ? doc->get_sheet(name) : nullptr;
            Sheet& sheet = book->addSheet(QString::fromStdString(name));
            loadSheet(sh, extras.part.empty() ? std::vector<CellValue>{} : readCellValues(pkg.part(extras.part), shared),
                      extras, mapper ? &*mapper : nullptr, sheet);
        }
        return book;
    } catch (const std::runtime_error&) {
        throw;
    } catch (const std::exception& e) {
        throw std::runtime_error("cannot read workbook " + path.toStdString() + ": " + e.what());
    }
}

} // namespace

std::unique_ptr<Workbook> Workbook::load(const QString& path)
{
    return loadWorkbook(path, LoadWhat::Everything);
}

std::unique_ptr<Workbook> Workbook::loadValues(const QString& path)
{
    return loadWorkbook(path, LoadWhat::ValuesOnly);
}

} // namespace wb
