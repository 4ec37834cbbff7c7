// The student analysis sheet: one block of rows per student and course with the
// name, the course, the number of lessons, a summary chart, a trend chart and the
// lesson comments. The values behind the trend chart lie right of the printed area.

#include "ExcelOut.h"
#include "ReportCommon.h"
#include "ReportLayout.h"

#include "ErrorLog.h"

#include <QHash>

#include <array>
#include <optional>

namespace {

enum AnalysisColumn { Student, Name, Klass, Subject, Date, Attend, Homework, Item1, Item2, Item3, Item4, Comment };

const QStringList& analysisColumns()
{
    static const QStringList columns{
        QStringLiteral("生徒番号"), QStringLiteral("生徒氏名"), QStringLiteral("講座クラス名"),
        QStringLiteral("科目名"), QStringLiteral("講座日"), QStringLiteral("出席○"), QStringLiteral("宿題○"),
        QStringLiteral("項目1"), QStringLiteral("項目2"), QStringLiteral("項目3"), QStringLiteral("項目4"),
        QStringLiteral("コメント")};
    return columns;
}

// Means of the marks of one block: the four items and all of them together.
// Marks run from 1 to 5; 0 (or nothing) means the lesson got no mark.
class MarkMeans {
public:
    void add(int item, const QString& mark)
    {
        bool ok = false;
        const double v = mark.trimmed().toDouble(&ok);
        if (!ok || v < 1)
            return;
        m_sum[static_cast<std::size_t>(item)] += v;
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

// Entries in report order: all lessons of one student in one course together,
// the courses in the order the student first took them, the lessons of a course
// in row order. Lessons of several courses interleave by lesson ID; taken as they
// come they would split a course into one-lesson blocks (tens of thousands of
// blocks for a few hundred students, past the rows of a worksheet).
std::vector<int> courseOrder(const ReportRows& rows)
{
    QHash<QString, int> groupOf;
    std::vector<std::vector<int>> groups;
    for (int r = 0; r < rows.count(); ++r) {
        const QString key = rows.at(r, Student) + QChar(0x1f) + rows.at(r, Klass) + QChar(0x1f) + rows.at(r, Subject);
        auto it = groupOf.constFind(key);
        if (it == groupOf.constEnd()) {
            it = groupOf.insert(key, static_cast<int>(groups.size()));
            groups.emplace_back();
        }
        groups[static_cast<std::size_t>(*it)].push_back(r);
    }
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(rows.count()));
    for (const std::vector<int>& g : groups)
        order.insert(order.end(), g.begin(), g.end());
    return order;
}

// A chart of marks 0 to 5 covering the area the form frames for it.
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

} // namespace

void ExcelOut::subStudentDataPrint(const QString& sql, const QString& /*jyoken: not printed*/)
{
    try {
        using namespace layout::analysis;
        const std::array<QString, 4> items = funcEvalItemNames();
        ReportRows rows;
        if (!rows.open(sql, analysisColumns()))
            return;   // the user has been told why; the form stays as it is
        const std::vector<int> order = courseOrder(rows);
        auto at = [&](int e, AnalysisColumn c) -> const QString& {
            return rows.at(order[static_cast<std::size_t>(e)], c);
        };

        auto newBlock = [&](int e) {
            return e == 0 || at(e, Student) != at(e - 1, Student) || at(e, Klass) != at(e - 1, Klass)
                   || at(e, Subject) != at(e - 1, Subject);
        };
        int blocks = 1;
        for (int e = 1; e < rows.count(); ++e)
            blocks += newBlock(e) ? 1 : 0;
        if (!funcReportFits(static_cast<long long>(blocks) * kBlockRows))
            return;

        ReportProgress progress(QStringLiteral("生徒分析シートを作成しています..."), blocks);
        wb::Sheet& sheet = reportSheet();
        const wb::Sheet& blockTemplate = templateSheet();
        const wb::Range blockRows = wb::Range::parse(QStringLiteral("1:%1").arg(kBlockRows));

        // Chart sizes follow the form's own column widths and row heights.
        const int summaryWidth = funcAreaWidthPx(sheet, kSummaryChartFirstCol, kSummaryChartLastCol);
        const int summaryHeight = funcAreaHeightPx(sheet, kSummaryChartFirstRow + 1, kSummaryChartLastRow + 1);
        const int trendWidth = funcAreaWidthPx(sheet, kTrendChartFirstCol, kTrendChartLastCol);
        const int trendHeight = funcAreaHeightPx(sheet, kTrendChartFirstRow + 1, kTrendChartLastRow + 1);

        // The block's finishing touches once its last lesson is written: the
        // comment box, the summary values and the two charts.
        auto finishBlock = [&](int top, int lessons, const QString& comments, const MarkMeans& means) {
            subMergeText(wb::Range{top + kCommentFirstRow, kCommentFirstCol, top + kCommentLastRow, kCommentLastCol},
                         comments);
            auto writeMean = [&](int row, std::optional<double> v) {
                if (v)
                    setCell(top + row, kSummaryValueCol, *v);
                else
                    setCell(top + row, kSummaryValueCol, QString());
            };
            writeMean(kSummaryMeanRow, means.overall());
            for (int k = 0; k < 4; ++k)
                writeMean(kSummaryMeanRow + 1 + k, means.item(k));

            wb::Chart summary = markChart(wb::ChartType::Column, top + kSummaryChartFirstRow, kSummaryChartFirstCol,
                                          summaryWidth, summaryHeight, QStringLiteral("評価の平均"),
                                          wb::LegendPosition::None);
            summary.setSourceData(wb::Range{top + kSummaryFirstRow, kSummaryLabelCol, top + kSummaryLastRow,
                                            kSummaryValueCol},
                                  wb::PlotBy::Columns);
            addChart(summary);

            // Dates in the first row, the four marks and attendance below them;
            // the range ends at the block's last lesson (counted, since a lesson
            // without a date leaves a gap in the date row).
            const int lastCol = kFirstLessonCol + std::max(lessons, 1) - 1;
            wb::Chart trend = markChart(wb::ChartType::LineMarkers, top + kTrendChartFirstRow, kTrendChartFirstCol,
                                        trendWidth, trendHeight, QStringLiteral("受講の推移"),
                                        wb::LegendPosition::Bottom);
            trend.setSourceData(wb::Range{top, kDataCaptionCol, top + kAttendRow, lastCol}, wb::PlotBy::Rows);
            // An item slot without a name is not in use: no empty line in the legend.
            std::erase_if(trend.series, [&](const wb::ChartSeries& s) {
                return s.nameCell && sheet.text(s.nameCell->firstRow, s.nameCell->firstCol).isEmpty();
            });
            addChart(trend);
        };

        // e < 0: no row at all, the item names only.
        auto writeBlockHead = [&](int top, int e) {
            if (e >= 0) {
                setCell(top + 2, 2, at(e, Name));
                setCell(top + 5, 2, at(e, Klass));
                setCell(top + 5, 4, at(e, Subject));
                setCell(top + 5, 6, 1.0);
            }
            for (int k = 0; k < 4; ++k) {
                setCell(top + 9 + k, 2, items[static_cast<std::size_t>(k)]);
                setCell(top + 1 + k, kDataCaptionCol, items[static_cast<std::size_t>(k)]);
            }
        };
        auto writeLesson = [&](int top, int n, int e, MarkMeans& means) {
            const int col = kFirstLessonCol + n;
            setCell(top + kDateDataRow, col, funcReportDate(at(e, Date)));
            for (int k = 0; k < 4; ++k) {
                const QString& mark = at(e, static_cast<AnalysisColumn>(Item1 + k));
                setCell(top + kFirstMarkRow + k, col, mark);
                means.add(k, mark);
            }
            setCell(top + kAttendRow, col, at(e, Attend) == QStringLiteral("○") ? 1.0 : 0.0);
            setCell(top + kHomeworkRow, col, at(e, Homework) == QStringLiteral("○") ? 1.0 : 0.0);
            setCell(top + kCommentDataRow, col, at(e, Comment));
        };

        int i = 0;   // block
        int n = 0;   // lesson within the block
        int top = 1;
        QString comments;
        MarkMeans means;
        writeBlockHead(top, rows.count() > 0 ? 0 : -1);
        if (rows.count() > 0) {
            writeLesson(top, 0, 0, means);
            comments = at(0, Comment);
        }
        for (int e = 1; e < rows.count(); ++e) {
            if (newBlock(e)) {
                finishBlock(top, n + 1, comments, means);
                ++i;
                n = 0;
                top = i * kBlockRows + 1;
                sheet.copyFrom(blockTemplate, blockRows, top);
                sheet.addPageBreak(top);
                writeBlockHead(top, e);
                means = MarkMeans();
                writeLesson(top, 0, e, means);
                comments = at(e, Comment);
                progress.setValue(i);
            } else {
                ++n;
                writeLesson(top, n, e, means);
                comments += at(e, Comment);
                setCell(top + 5, 6, static_cast<double>(n + 1));
            }
        }
        finishBlock(top, rows.count() > 0 ? n + 1 : 0, comments, means);
        // The lesson data from column W on is not printed.
        sheet.print().printArea = wb::Range::parse(QStringLiteral("$A:$U"));
    } catch (const std::exception& e) {
        // This routine's faults are logged under the calendar routine's name.
        subFault(e, QStringLiteral("ExcelOut - subKouzaCalenderPrint"));
    }
}
