#include "ReportCommon.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "JetDialect.h"
#include "UiServices.h"
#include "clsDataCtl.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace {
// A statement that selects every column of one source asks it only for the
// columns the report reads that the source has: the attendance query has nearly
// three times as many, and each costs a conversion for every row. A column the
// source lacks is then missing from the rows, and the report tells which.
// The chosen rows' chain of OR terms becomes one IN list, which the engines take
// at any length.
QString funcReportStatement(const QString& sql, const QStringList& columns)
{
    static const QRegularExpression selectAll(QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+(\\w+)(?=\\s|$)"),
                                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QString compact = funcCompactIdChain(sql);
    const QRegularExpressionMatch m = selectAll.match(compact);
    if (!m.hasMatch())
        return compact;
    const QStringList available = gDatabase.columnsOf(m.captured(1));
    QStringList chosen;
    for (const QString& column : columns)
        if (available.contains(column, Qt::CaseInsensitive))
            chosen << column;
    if (chosen.isEmpty())
        return compact;
    return QStringLiteral(" SELECT ") + chosen.join(QLatin1Char(',')) + QStringLiteral(" FROM ") + compact.mid(m.capturedStart(1));
}
} // namespace

bool ReportRows::open(const QString& sql, const QStringList& columns)
{
    clsDataCtl rec;
    if (!rec.funcOpenRec(funcReportStatement(sql, columns)))
        return false;
    m_count = rec.propCount();
    m_width = static_cast<std::size_t>(columns.size());
    m_values.clear();
    m_values.reserve(static_cast<std::size_t>(m_count) * m_width);

    // Each column's position in the result, looked up once. A column missing
    // from the result is told once (by the first row's read), not once per row.
    std::vector<int> positions;
    for (const QString& c : columns) {
        int found = -1;
        for (int f = 0; f < rec.fieldCount() && found < 0; ++f)
            if (rec.fieldName(f).compare(c, Qt::CaseInsensitive) == 0)
                found = f;
        positions.push_back(found);
    }
    for (int i = 0; i < m_count; ++i) {
        rec.setPropID(i);
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const int position = positions[static_cast<std::size_t>(c)];
            m_values.push_back(position >= 0 ? rec.propDataAt(position)
                                             : i == 0 ? rec.propData(columns[c]) : QString());
        }
    }
    return true;
}

std::array<QString, 4> funcEvalItemNames()
{
    std::array<QString, 4> names;
    Recordset rs = gDatabase.openRecordset(
        QStringLiteral(" SELECT 評価項目名 FROM マスタ評価項目 WHERE 削除フラグ = 0 ORDER BY 評価項目ID "),
        dbOpenDynaset, dbReadOnly);
    for (std::size_t k = 0; k < names.size() && !rs.eof(); ++k) {
        names[k] = funcToString(rs.field(QStringLiteral("評価項目名"))).trimmed();
        rs.moveNext();
    }
    rs.close();
    return names;
}

std::optional<double> funcMark(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && v >= 1 ? std::optional<double>(v) : std::nullopt;
}

QString funcReportDate(const QString& text)
{
    const QDate date = funcTextDate(text);
    return date.isValid() ? funcDateText(date) : text;
}

wb::Chart markChart(wb::ChartType type, int row, int col, int widthPx, int heightPx, const QString& title,
                    wb::LegendPosition legend)
{
    wb::Chart chart;
    chart.type = type;
    chart.row = row;
    chart.col = col;
    chart.widthPx = widthPx;
    chart.heightPx = heightPx;
    chart.title = title;
    chart.yMin = 0;
    chart.yMax = 5;
    chart.yMajorUnit = 1;
    chart.legend = legend;
    return chart;
}

// Pixel sizes as the spreadsheet computes them for its default font.
int funcAreaWidthPx(const wb::Sheet& sheet, int firstCol, int lastCol)
{
    int px = 0;
    for (int c = firstCol; c <= lastCol; ++c) {
        if (sheet.columnHidden(c))
            continue;
        const double w = sheet.columnWidth(c).value_or(sheet.defaultColumnWidth());
        px += w < 1 ? static_cast<int>(w * 12 + 0.5) : static_cast<int>(w * 7 + 0.5) + 5;
    }
    return px;
}

int funcAreaHeightPx(const wb::Sheet& sheet, int firstRow, int lastRow)
{
    double points = 0;
    for (int r = firstRow; r <= lastRow; ++r)
        if (!sheet.rowHidden(r))
            points += sheet.rowHeight(r).value_or(sheet.defaultRowHeight());
    return static_cast<int>(std::lround(points * 4.0 / 3.0));
}

bool funcReportFits(long long rows)
{
    if (rows <= wb::kMaxRow)
        return true;
    MsgBox(QStringLiteral("出力するデータが多すぎるため、帳票を作成できません。") + QStringLiteral("\r\n")
               + QStringLiteral("講座や生徒を絞り込んでから出力してください。"),
           MsgButtons::Ok, MsgIcon::Information, kTitle);
    return false;
}
