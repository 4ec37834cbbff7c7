#include "Workbook.h"

#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace wb {

// ---------------------------------------------------------------- addresses

QString columnName(int col)
{
    QString name;
    while (col > 0) {
        const int rest = (col - 1) % 26;
        name.prepend(QChar(u'A' + rest));
        col = (col - 1) / 26;
    }
    return name;
}

int columnNumber(const QString& letters)
{
    int col = 0;
    for (const QChar ch : letters) {
        const QChar up = ch.toUpper();
        if (up < u'A' || up > u'Z')
            return 0;
        col = col * 26 + (up.unicode() - u'A' + 1);
        if (col > kMaxCol)
            return 0;
    }
    return col;
}

namespace {

// One end of an address: a cell "B2", a row "12" or a column "C".
struct AddressPart {
    int row = 0;   // 0 when not given
    int col = 0;
};

AddressPart parsePart(const QString& text, const QString& whole)
{
    static const QRegularExpression re(QStringLiteral("^\\$?([A-Za-z]{0,3})\\$?([0-9]{0,7})$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch() || (m.captured(1).isEmpty() && m.captured(2).isEmpty()))
        throw std::invalid_argument("bad range address: " + whole.toStdString());
    AddressPart part;
    if (!m.captured(1).isEmpty()) {
        part.col = columnNumber(m.captured(1));
        if (part.col == 0)
            throw std::invalid_argument("bad column in range address: " + whole.toStdString());
    }
    if (!m.captured(2).isEmpty()) {
        part.row = m.captured(2).toInt();
        if (part.row < 1 || part.row > kMaxRow)
            throw std::invalid_argument("bad row in range address: " + whole.toStdString());
    }
    return part;
}

} // namespace

Range Range::parse(const QString& address)
{
    const QStringList ends = address.split(u':');
    if (ends.size() > 2)
        throw std::invalid_argument("bad range address: " + address.toStdString());
    const AddressPart a = parsePart(ends.front(), address);
    const AddressPart b = ends.size() == 2 ? parsePart(ends.back(), address) : a;
    const bool aRowOnly = a.col == 0, bRowOnly = b.col == 0;
    const bool aColOnly = a.row == 0, bColOnly = b.row == 0;
    if (aRowOnly != bRowOnly || aColOnly != bColOnly || (ends.size() == 1 && (aRowOnly || aColOnly)))
        throw std::invalid_argument("bad range address: " + address.toStdString());
    Range r;
    r.firstRow = aColOnly ? 1 : std::min(a.row, b.row);
    r.lastRow = aColOnly ? kMaxRow : std::max(a.row, b.row);
    r.firstCol = aRowOnly ? 1 : std::min(a.col, b.col);
    r.lastCol = aRowOnly ? kMaxCol : std::max(a.col, b.col);
    return r;
}

QString Range::address() const
{
    const QString first = columnName(firstCol) + QString::number(firstRow);
    if (firstRow == lastRow && firstCol == lastCol)
        return first;
    return first + u':' + columnName(lastCol) + QString::number(lastRow);
}

// ---------------------------------------------------------------- formats

namespace {
inline void mix(std::size_t& seed, std::size_t value)
{
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}
inline std::size_t borderKey(const Border& b)
{
    return (static_cast<std::size_t>(b.style) << 32) ^ b.color;
}
} // namespace

std::size_t CellFormatHash::operator()(const CellFormat& f) const noexcept
{
    std::size_t seed = std::hash<std::string>{}(f.fontName);
    mix(seed, std::hash<double>{}(f.fontSize));
    mix(seed, (f.bold ? 1u : 0u) | (f.italic ? 2u : 0u) | (f.underline ? 4u : 0u) | (f.wrap ? 8u : 0u)
                  | (f.shrinkToFit ? 16u : 0u) | (static_cast<unsigned>(f.hAlign) << 8)
                  | (static_cast<unsigned>(f.vAlign) << 12));
    mix(seed, f.fontColor);
    mix(seed, f.fill);
    mix(seed, borderKey(f.top));
    mix(seed, borderKey(f.bottom));
    mix(seed, borderKey(f.left));
    mix(seed, borderKey(f.right));
    mix(seed, std::hash<std::string>{}(f.numberFormat));
    return seed;
}

FormatTable::FormatTable()
{
    m_formats.emplace_back();
    m_index.emplace(m_formats.front(), 0);
}

FormatId FormatTable::intern(const CellFormat& format)
{
    const auto found = m_index.find(format);
    if (found != m_index.end())
        return found->second;
    const auto id = static_cast<FormatId>(m_formats.size());
    m_formats.push_back(format);
    m_index.emplace(format, id);
    return id;
}

// ---------------------------------------------------------------- charts

void Chart::setSourceData(const Range& source, PlotBy by)
{
    series.clear();
    if (by == PlotBy::Columns) {
        if (source.rows() < 2)
            return;
        const Range cats{source.firstRow + 1, source.firstCol, source.lastRow, source.firstCol};
        for (int c = source.firstCol + 1; c <= source.lastCol; ++c) {
            ChartSeries s;
            s.nameCell = Range{source.firstRow, c, source.firstRow, c};
            s.categories = cats;
            s.values = Range{source.firstRow + 1, c, source.lastRow, c};
            series.push_back(std::move(s));
        }
    } else {
        if (source.cols() < 2)
            return;
        const Range cats{source.firstRow, source.firstCol + 1, source.firstRow, source.lastCol};
        for (int r = source.firstRow + 1; r <= source.lastRow; ++r) {
            ChartSeries s;
            s.nameCell = Range{r, source.firstCol, r, source.firstCol};
            s.categories = cats;
            s.values = Range{r, source.firstCol + 1, r, source.lastCol};
            series.push_back(std::move(s));
        }
    }
}

// ---------------------------------------------------------------- sheet

namespace {

void checkCell(int row, int col)
{
    if (row < 1 || row > kMaxRow || col < 1 || col > kMaxCol)
        throw std::out_of_range("cell outside the worksheet: row " + std::to_string(row) + ", column "
                                + std::to_string(col));
}

// A typed value reads as a number only in its plain form, so codes with a
// leading zero ("090...") and dates stay text.
// Checked by hand: every written cell passes here.
bool plainNumber(const QString& text, double& value)
{
    // -?(0|[1-9][0-9]{0,14})(\.[0-9]{1,15})?
    const qsizetype n = text.size();
    qsizetype i = n > 0 && text[0] == u'-' ? 1 : 0;
    auto digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    const qsizetype intStart = i;
    while (digit(i))
        ++i;
    const qsizetype intDigits = i - intStart;
    if (intDigits == 0 || intDigits > 15 || (intDigits > 1 && text[intStart] == u'0'))
        return false;
    if (i < n) {
        if (text[i] != u'.')
            return false;
        const qsizetype fracStart = ++i;
        while (digit(i))
            ++i;
        if (i != n || i - fracStart == 0 || i - fracStart > 15)
            return false;
    }
    bool ok = false;
    value = text.toDouble(&ok);
    return ok;
}

const Cell kEmptyCell{};

} // namespace

Sheet::Sheet(Workbook& book, QString name) : m_book(&book), m_name(std::move(name)) {}

Cell& Sheet::at(int row, int col)
{
    checkCell(row, col);
    if (static_cast<int>(m_rows.size()) < row)
        m_rows.resize(row);
    auto& cells = m_rows[row - 1];
    if (static_cast<int>(cells.size()) < col)
        cells.resize(col);
    return cells[col - 1];
}

const Cell* Sheet::cell(int row, int col) const
{
    if (row < 1 || col < 1 || row > static_cast<int>(m_rows.size()))
        return nullptr;
    const auto& cells = m_rows[row - 1];
    if (col > static_cast<int>(cells.size()))
        return nullptr;
    return &cells[col - 1];
}

void Sheet::setText(int row, int col, const QString& text)
{
    Cell& c = at(row, col);
    c.kind = Cell::Kind::Text;
    // A cell holds at most 32767 characters; a longer text (the comments of a
    // long course run together) would make the whole file unwritable.
    constexpr qsizetype kMaxText = 32767;
    if (text.size() > kMaxText) {
        qsizetype keep = kMaxText;
        if (text.at(keep - 1).isHighSurrogate())
            --keep;
        c.text = text.first(keep).toStdString();
    } else {
        c.text = text.toStdString();
    }
    c.number = 0;
}

void Sheet::setNumber(int row, int col, double value)
{
    Cell& c = at(row, col);
    c.kind = Cell::Kind::Number;
    c.number = value;
    c.text.clear();
}

void Sheet::setValue(int row, int col, const QString& text)
{
    double value = 0;
    if (text.isEmpty())
        clearValue(row, col);
    else if (plainNumber(text, value))
        setNumber(row, col, value);
    else
        setText(row, col, text);
}

void Sheet::clearValue(int row, int col)
{
    checkCell(row, col);
    if (cell(row, col) == nullptr)
        return;
    Cell& c = at(row, col);
    c.kind = Cell::Kind::Empty;
    c.text.clear();
    c.number = 0;
}

QString Sheet::text(int row, int col) const
{
    const Cell* c = cell(row, col);
    if (c == nullptr)
        return {};
    switch (c->kind) {
    case Cell::Kind::Text:
        return QString::fromStdString(c->text);
    case Cell::Kind::Number:
        return QString::number(c->number, 'g', 15);
    case Cell::Kind::Empty:
        break;
    }
    return {};
}

std::optional<double> Sheet::number(int row, int col) const
{
    const Cell* c = cell(row, col);
    if (c == nullptr || c->kind != Cell::Kind::Number)
        return std::nullopt;
    return c->number;
}

FormatId Sheet::formatId(int row, int col) const
{
    const Cell* c = cell(row, col);
    return c == nullptr ? 0 : c->format;
}

const CellFormat& Sheet::format(int row, int col) const
{
    return m_book->formats().at(formatId(row, col));
}

void Sheet::setFormat(int row, int col, const CellFormat& format)
{
    setFormatId(row, col, m_book->formats().intern(format));
}

void Sheet::setFormatId(int row, int col, FormatId id)
{
    if (id >= m_book->formats().size())
        throw std::out_of_range("unknown cell format");
    at(row, col).format = id;
}

void Sheet::setFontColor(int row, int col, std::uint32_t rgb)
{
    CellFormat f = format(row, col);
    f.fontColor = rgb;
    setFormat(row, col, f);
}

void Sheet::setWrap(const Range& range, bool wrap)
{
    const int lastRow = std::min(range.lastRow, this->lastRow());
    for (int r = range.firstRow; r <= lastRow; ++r) {
        const int lastCol = std::min(range.lastCol, static_cast<int>(m_rows[r - 1].size()));
        for (int c = range.firstCol; c <= lastCol; ++c) {
            const CellFormat& f = format(r, c);
            if (f.wrap != wrap) {
                CellFormat changed = f;
                changed.wrap = wrap;
                setFormat(r, c, changed);
            }
        }
    }
}

void Sheet::merge(const Range& range)
{
    checkCell(range.firstRow, range.firstCol);
    checkCell(range.lastRow, range.lastCol);
    unmerge(range);
    if (range.rows() > 1 || range.cols() > 1) {
        m_merges.emplace(range.firstRow, range);
        m_tallestMerge = std::max(m_tallestMerge, range.rows());
    }
}

template <typename Visit> void Sheet::forMergesNear(int firstRow, int lastRow, Visit visit) const
{
    const auto end = m_merges.upper_bound(lastRow);
    for (auto it = m_merges.lower_bound(firstRow - m_tallestMerge + 1); it != end; ++it)
        visit(it->second);
}

void Sheet::unmerge(const Range& range)
{
    const auto end = m_merges.upper_bound(range.lastRow);
    for (auto it = m_merges.lower_bound(range.firstRow - m_tallestMerge + 1); it != end;)
        it = it->second.intersects(range) ? m_merges.erase(it) : std::next(it);
}

std::optional<Range> Sheet::mergeAt(int row, int col) const
{
    std::optional<Range> found;
    forMergesNear(row, row, [&](const Range& m) {
        if (!found && m.contains(row, col))
            found = m;
    });
    return found;
}

std::vector<Range> Sheet::merges() const
{
    std::vector<Range> all;
    all.reserve(m_merges.size());
    for (const auto& [row, m] : m_merges)
        all.push_back(m);
    return all;
}

void Sheet::setColumnWidth(int col, double width)
{
    checkCell(1, col);
    m_colWidths[col] = width;
}

std::optional<double> Sheet::columnWidth(int col) const
{
    const auto it = m_colWidths.find(col);
    if (it == m_colWidths.end())
        return std::nullopt;
    return it->second;
}

void Sheet::setColumnHidden(int col, bool hidden)
{
    checkCell(1, col);
    m_colHidden[col] = hidden;
}

bool Sheet::columnHidden(int col) const
{
    const auto it = m_colHidden.find(col);
    return it != m_colHidden.end() && it->second;
}

void Sheet::setRowHeight(int row, double points)
{
    checkCell(row, 1);
    m_rowInfo[row].height = points;
}

std::optional<double> Sheet::rowHeight(int row) const
{
    const auto it = m_rowInfo.find(row);
    if (it == m_rowInfo.end())
        return std::nullopt;
    return it->second.height;
}

void Sheet::setRowHidden(int row, bool hidden)
{
    checkCell(row, 1);
    m_rowInfo[row].hidden = hidden;
}

bool Sheet::rowHidden(int row) const
{
    const auto it = m_rowInfo.find(row);
    return it != m_rowInfo.end() && it->second.hidden;
}

void Sheet::addPageBreak(int row)
{
    checkCell(row, 1);
    const auto it = std::lower_bound(m_pageBreaks.begin(), m_pageBreaks.end(), row);
    if (it == m_pageBreaks.end() || *it != row)
        m_pageBreaks.insert(it, row);
}

Chart& Sheet::addChart(const Chart& chart)
{
    checkCell(chart.row, chart.col);
    m_charts.push_back(chart);
    return m_charts.back();
}

int Sheet::lastColumn() const
{
    std::size_t last = 0;
    for (const auto& cells : m_rows)
        last = std::max(last, cells.size());
    return static_cast<int>(last);
}

int Sheet::endRight(int row, int col) const
{
    const Cell* start = cell(row, col);
    const Cell* next = cell(row, col + 1);
    const bool startFilled = start != nullptr && !start->isEmpty();
    const bool nextFilled = next != nullptr && !next->isEmpty();
    if (startFilled && nextFilled) {
        // To the last filled cell of the run.
        int c = col + 1;
        while (true) {
            const Cell* after = cell(row, c + 1);
            if (after == nullptr || after->isEmpty())
                return c;
            ++c;
        }
    }
    // To the next filled cell, or the sheet's edge.
    const int used = row <= lastRow() ? static_cast<int>(m_rows[row - 1].size()) : 0;
    for (int c = col + 1; c <= used; ++c) {
        const Cell* found = cell(row, c);
        if (!found->isEmpty())
            return c;
    }
    return kMaxCol;
}

void Sheet::copyFrom(const Sheet& source, const Range& range, int destRow, int destCol)
{
    if (source.m_book != m_book)
        throw std::invalid_argument("ranges are copied within one workbook");
    checkCell(range.firstRow, range.firstCol);
    checkCell(range.lastRow, range.lastCol);
    const int rowShift = destRow - range.firstRow;
    const int colShift = destCol - range.firstCol;
    checkCell(destRow, destCol);
    if (range.lastRow + rowShift > kMaxRow || range.lastCol + colShift > kMaxCol)
        throw std::out_of_range("copied range runs off the worksheet");

    // A copy within one sheet may overlap itself: read from a snapshot.
    std::optional<std::vector<std::vector<Cell>>> snapshot;
    if (&source == this) {
        const int last = std::min(range.lastRow, lastRow());
        snapshot.emplace();
        for (int r = range.firstRow; r <= last; ++r)
            snapshot->push_back(m_rows[r - 1]);
    }
    const std::vector<Cell> noCells;
    auto sourceRow = [&](int r) -> const std::vector<Cell>& {
        if (snapshot) {
            const int i = r - range.firstRow;
            return i < static_cast<int>(snapshot->size()) ? (*snapshot)[i] : noCells;
        }
        return r <= source.lastRow() ? source.m_rows[r - 1] : noCells;
    };

    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        const int dr = r + rowShift;
        if (r > source.lastRow() && dr > lastRow())
            break;   // nothing further on either side
        const std::vector<Cell>& from = sourceRow(r);
        const int destUsed = dr <= lastRow() ? static_cast<int>(m_rows[dr - 1].size()) : 0;
        // Only columns that hold something on either side matter.
        const int lastCol = std::min(range.lastCol, std::max(static_cast<int>(from.size()), destUsed - colShift));
        for (int c = range.firstCol; c <= lastCol; ++c) {
            const int dc = c + colShift;
            if (c <= static_cast<int>(from.size())) {
                at(dr, dc) = from[c - 1];
            } else if (dc <= destUsed) {
                m_rows[dr - 1][dc - 1] = Cell{};
            }
        }
    }

    // Merged ranges: those of the destination area go, those of the source come.
    const Range dest{range.firstRow + rowShift, range.firstCol + colShift, range.lastRow + rowShift,
                     range.lastCol + colShift};
    std::vector<Range> copied;
    source.forMergesNear(range.firstRow, range.lastRow, [&](const Range& m) {
        if (m.firstRow >= range.firstRow && m.lastRow <= range.lastRow && m.firstCol >= range.firstCol
            && m.lastCol <= range.lastCol)
            copied.push_back(Range{m.firstRow + rowShift, m.firstCol + colShift, m.lastRow + rowShift,
                                   m.lastCol + colShift});
    });
    unmerge(dest);
    for (const Range& m : copied) {
        m_merges.emplace(m.firstRow, m);
        m_tallestMerge = std::max(m_tallestMerge, m.rows());
    }

    // Row heights (and hidden rows) travel with the rows of the page.
    std::vector<std::pair<int, RowInfo>> infos;
    for (auto it = source.m_rowInfo.lower_bound(range.firstRow);
         it != source.m_rowInfo.end() && it->first <= range.lastRow; ++it)
        infos.emplace_back(it->first + rowShift, it->second);
    for (auto it = m_rowInfo.lower_bound(dest.firstRow); it != m_rowInfo.end() && it->first <= dest.lastRow;)
        it = m_rowInfo.erase(it);
    for (auto& [row, info] : infos)
        m_rowInfo[row] = info;
}

// ---------------------------------------------------------------- workbook

Workbook::Workbook() = default;
Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::clone() const
{
    auto copy = std::make_unique<Workbook>();
    copy->m_formats = m_formats;
    copy->m_date1904 = m_date1904;
    for (const auto& s : m_sheets) {
        auto sheet = std::make_unique<Sheet>(*s);
        sheet->m_book = copy.get();
        copy->m_sheets.push_back(std::move(sheet));
    }
    return copy;
}

Sheet& Workbook::addSheet(const QString& name)
{
    if (name.isEmpty() || sheet(name) != nullptr)
        throw std::invalid_argument("sheet name empty or taken: " + name.toStdString());
    m_sheets.push_back(std::make_unique<Sheet>(*this, name));
    return *m_sheets.back();
}

Sheet* Workbook::sheet(const QString& name)
{
    for (auto& s : m_sheets)
        if (s->name().compare(name, Qt::CaseInsensitive) == 0)
            return s.get();
    return nullptr;
}

const Sheet* Workbook::sheet(const QString& name) const
{
    return const_cast<Workbook*>(this)->sheet(name);
}

QStringList Workbook::sheetNames() const
{
    QStringList names;
    for (const auto& s : m_sheets)
        names << s->name();
    return names;
}

bool Workbook::removeSheet(const QString& name)
{
    const auto before = m_sheets.size();
    std::erase_if(m_sheets, [&](const auto& s) { return s->name().compare(name, Qt::CaseInsensitive) == 0; });
    return m_sheets.size() != before;
}

} // namespace wb
