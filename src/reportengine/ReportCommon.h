// What the three report routines share: reading the rows of a report statement,
// the evaluation item names, and chart sizes taken from the form's own cells.
#pragma once

#include "Workbook.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>


// Every row of a report statement, read once through clsDataCtl: the values of
// the named columns as text (Null reads as ""), row by row.
class ReportRows {
public:
    // False when the statement could not be run (the user has been told).
    bool open(const QString& sql, const QStringList& columns);

    int count() const { return m_count; }
    const QString& at(int row, int column) const
    {
        return m_values[static_cast<std::size_t>(row) * m_width + static_cast<std::size_t>(column)];
    }

private:
    int m_count = 0;
    std::size_t m_width = 0;
    std::vector<QString> m_values;
};

// The names of the evaluation items (not deleted), in ID order: the same ones
// the attendance window shows, slot k over the mark column 項目(k+1). Four
// slots; a fifth and later item is not read. An empty slot (no item, or an item
// whose name is blank) is no item: its marks are neither printed nor counted.
std::array<QString, 4> funcEvalItemNames();

// A recorded evaluation mark (1 to 5); nothing for 0 (未評価), Null or other text.
std::optional<double> funcMark(const QString& text);

// Means of marks by evaluation item (slots 0 to 3) and of all of them together.
// Only given marks are added (see funcMark).
class MarkMeans {
public:
    void add(int item, double mark)
    {
        m_sum[static_cast<std::size_t>(item)] += mark;
        ++m_count[static_cast<std::size_t>(item)];
    }
    std::optional<double> item(int k) const
    {
        const auto i = static_cast<std::size_t>(k);
        return m_count[i] ? std::optional<double>(m_sum[i] / m_count[i]) : std::nullopt;
    }
    std::optional<double> overall() const
    {
        double sum = 0;
        int count = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            sum += m_sum[i];
            count += m_count[i];
        }
        return count ? std::optional<double>(sum / count) : std::nullopt;
    }

private:
    std::array<double, 4> m_sum{};
    std::array<int, 4> m_count{};
};

// A chart of marks 0 to 5 covering the area the form frames for it.
wb::Chart markChart(wb::ChartType type, int row, int col, int widthPx, int heightPx, const QString& title,
                    wb::LegendPosition legend);

// The columns the daily report reads from its statement, in the order of its value table.
const QStringList& nippouColumns();

// "yyyy/mm/dd" of a stored date text; other text is kept as it is.
QString funcReportDate(const QString& text);

// Size in pixels of an area of a sheet, from its column widths and row heights,
// so that a chart covers the area the form frames for it.
int funcAreaWidthPx(const wb::Sheet& sheet, int firstCol, int lastCol);
int funcAreaHeightPx(const wb::Sheet& sheet, int firstRow, int lastRow);

// True when a report of this many rows fits on a worksheet; otherwise the user
// is told to choose fewer lessons or students, and nothing is written.
bool funcReportFits(long long rows);
