// The student analysis sheet: one block of rows per student and course with the
// name, the course, the number of lessons, a summary chart, a trend chart and the
// lesson comments. The values behind the trend chart lie right of the printed area.

#include "ExcelOut.h"
#include "ReportCommon.h"
#include "ReportLayout.h"

#include "CommonBase.h"
#include "ErrorLog.h"

#include <QDate>
#include <QHash>

#include <algorithm>
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

// Each row's lesson date as "yyyy/mm/dd", or "" when it has none.
std::vector<QString> lessonDates(const ReportRows& rows)
{
    std::vector<QString> dates;
    dates.reserve(static_cast<std::size_t>(rows.count()));
    for (int r = 0; r < rows.count(); ++r) {
        const QString date = funcReportDate(rows.at(r, Date));
        dates.push_back(date.size() == 10 && date[4] == u'/' && date[7] == u'/' ? date : QString());
    }
    return dates;
}

// Entries in report order: all lessons of one student in one course together,
// the courses in the order the student first took them, the lessons of a course
// by date (those without one last). Lessons of several courses interleave by
// lesson ID; taken as they come they would split a course into one-lesson
// blocks (tens of thousands of blocks for a few hundred students, past the rows
// of a worksheet). Lessons dated after today are left out: they are not held
// yet, though their takers may be ticked already.
std::vector<int> courseOrder(const ReportRows& rows, const std::vector<QString>& dates)
{
    const QString today = funcDateText(QDate::currentDate());
    QHash<QString, int> groupOf;
    std::vector<std::vector<int>> groups;
    for (int r = 0; r < rows.count(); ++r) {
        if (dates[static_cast<std::size_t>(r)] > today)
            continue;
        const QString key = rows.at(r, Student) + QChar(0x1f) + rows.at(r, Klass) + QChar(0x1f) + rows.at(r, Subject);
        auto it = groupOf.constFind(key);
        if (it == groupOf.constEnd()) {
            it = groupOf.insert(key, static_cast<int>(groups.size()));
            groups.emplace_back();
        }
        groups[static_cast<std::size_t>(*it)].push_back(r);
    }
    auto earlier = [&](int a, int b) {
        const QString& da = dates[static_cast<std::size_t>(a)];
        const QString& db = dates[static_cast<std::size_t>(b)];
        return da.isEmpty() || db.isEmpty() ? !da.isEmpty() && db.isEmpty() : da < db;
    };
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(rows.count()));
    for (std::vector<int>& g : groups) {
        std::stable_sort(g.begin(), g.end(), earlier);
        order.insert(order.end(), g.begin(), g.end());
    }
    return order;
}

// Writes the blocks of the sheet one after another: a block is begun with its
// first lesson, takes further lessons, and is finished (comment box, summary
// values, charts) before the next one begins.
class AnalysisBlockWriter {
public:
    AnalysisBlockWriter(ExcelOut& out, const ReportRows& rows, const std::array<QString, 4>& items)
        : m_out(out), m_rows(rows), m_dates(lessonDates(rows)), m_order(courseOrder(rows, m_dates)), m_items(items)
    {
        using namespace layout::analysis;
        // The summary table lists 総合 and under it the named items only.
        m_lastSummaryRow = kSummaryMeanRow;
        for (std::size_t k = 0; k < m_items.size(); ++k)
            m_summaryRow[k] = m_items[k].isEmpty() ? 0 : ++m_lastSummaryRow;
        // Chart sizes follow the form's own column widths and row heights.
        const wb::Sheet& sheet = out.reportSheet();
        m_summarySize = {funcAreaWidthPx(sheet, kSummaryChartFirstCol, kSummaryChartLastCol),
                         funcAreaHeightPx(sheet, kSummaryChartFirstRow + 1, kSummaryChartLastRow + 1)};
        m_trendSize = {funcAreaWidthPx(sheet, kTrendChartFirstCol, kTrendChartLastCol),
                       funcAreaHeightPx(sheet, kTrendChartFirstRow + 1, kTrendChartLastRow + 1)};
    }

    int entries() const { return static_cast<int>(m_order.size()); }
    // True when entry e (in report order) is the first of a block.
    bool startsBlock(int e) const
    {
        return e == 0 || at(e, Student) != at(e - 1, Student) || at(e, Klass) != at(e - 1, Klass)
               || at(e, Subject) != at(e - 1, Subject);
    }
    int blockCount() const
    {
        int blocks = 1;
        for (int e = 1; e < entries(); ++e)
            blocks += startsBlock(e) ? 1 : 0;
        return blocks;
    }

    // Begins the block whose first row is top with entry e; e < 0 (no row at
    // all) writes the item names only.
    void begin(int top, int e)
    {
        using namespace layout::analysis;
        m_top = top;
        m_lessons = 0;
        m_comments.clear();
        m_means = MarkMeans();
        if (e >= 0) {
            m_out.setCell(top + 2, 2, at(e, Name));
            m_out.setCell(top + 5, 2, at(e, Klass));
            m_out.setCell(top + 5, 4, at(e, Subject));
        }
        for (std::size_t k = 0; k < m_items.size(); ++k) {
            if (m_summaryRow[k])
                m_out.setCell(top + m_summaryRow[k], kSummaryLabelCol, m_items[k]);
            m_out.setCell(top + kFirstMarkRow + static_cast<int>(k), kDataCaptionCol, m_items[k]);
        }
        trimSummaryTable();
        if (e >= 0)
            addLesson(e);
    }

    // The next lesson of the block from entry e: its column of data, its
    // comment as a line of the block's, the lesson count.
    void addLesson(int e)
    {
        using namespace layout::analysis;
        const int col = kFirstLessonCol + m_lessons;
        const QString& date = m_dates[static_cast<std::size_t>(m_order[static_cast<std::size_t>(e)])];
        m_out.setCell(m_top + kDateDataRow, col, date.isEmpty() ? at(e, Date) : date);
        for (int k = 0; k < 4; ++k) {
            // A lesson without a mark leaves a gap in the trend chart, as in the means.
            const std::optional<double> mark = funcMark(at(e, static_cast<AnalysisColumn>(Item1 + k)));
            if (mark && !m_items[static_cast<std::size_t>(k)].isEmpty()) {
                m_means.add(k, *mark);
                m_out.setCell(m_top + kFirstMarkRow + k, col, *mark);
            }
        }
        m_out.setCell(m_top + kAttendRow, col, at(e, Attend) == QStringLiteral("○") ? 1.0 : 0.0);
        m_out.setCell(m_top + kHomeworkRow, col, at(e, Homework) == QStringLiteral("○") ? 1.0 : 0.0);
        m_out.setCell(m_top + kCommentDataRow, col, at(e, Comment));
        // One line per comment, after its lesson's month and day.
        if (const QString comment = at(e, Comment).trimmed(); !comment.isEmpty()) {
            if (!m_comments.isEmpty())
                m_comments += u'\n';
            if (!date.isEmpty())
                m_comments += date.mid(5) + u' ';
            m_comments += comment;
        }
        ++m_lessons;
        m_out.setCell(m_top + 5, 6, static_cast<double>(m_lessons));
    }

    // The block's finishing touches once its last lesson is written.
    void finish()
    {
        using namespace layout::analysis;
        m_out.subMergeText(wb::Range{m_top + kCommentFirstRow, kCommentFirstCol, m_top + kCommentLastRow,
                                     kCommentLastCol},
                           m_comments);
        writeMean(kSummaryMeanRow, m_means.overall());
        for (std::size_t k = 0; k < m_items.size(); ++k)
            if (m_summaryRow[k])
                writeMean(m_summaryRow[k], m_means.item(static_cast<int>(k)));

        // 総合 and the named items: no bar without a name.
        wb::Chart summary = markChart(wb::ChartType::Column, m_top + kSummaryChartFirstRow, kSummaryChartFirstCol,
                                      m_summarySize.first, m_summarySize.second, QStringLiteral("評価の平均"),
                                      wb::LegendPosition::None);
        summary.setSourceData(wb::Range{m_top + kSummaryFirstRow, kSummaryLabelCol, m_top + m_lastSummaryRow, kSummaryValueCol},
                              wb::PlotBy::Columns);
        m_out.addChart(summary);

        // Dates in the first row, the four marks and attendance below them;
        // the range ends at the block's last lesson (counted, since a lesson
        // without a date leaves a gap in the date row).
        const int lastCol = kFirstLessonCol + std::max(m_lessons, 1) - 1;
        wb::Chart trend = markChart(wb::ChartType::LineMarkers, m_top + kTrendChartFirstRow, kTrendChartFirstCol,
                                    m_trendSize.first, m_trendSize.second, QStringLiteral("受講の推移"),
                                    wb::LegendPosition::Bottom);
        trend.setSourceData(wb::Range{m_top, kDataCaptionCol, m_top + kAttendRow, lastCol}, wb::PlotBy::Rows);
        // An item slot without a name is not in use: no empty line in the legend.
        std::erase_if(trend.series, [&](const wb::ChartSeries& s) {
            return s.nameCell && m_out.cellText(s.nameCell->firstRow, s.nameCell->firstCol).isEmpty();
        });
        m_out.addChart(trend);
    }

private:
    // The form frames a row for each of four items; with fewer named items
    // the table ends under the last one, its caption and outline with it.
    void trimSummaryTable()
    {
        using namespace layout::analysis;
        if (m_lastSummaryRow == kSummaryLastRow)
            return;
        wb::Sheet& sheet = m_out.reportSheet();
        const int first = m_top + kSummaryFirstRow, last = m_top + m_lastSummaryRow;
        const wb::Border outline = sheet.format(m_top + kSummaryLastRow, kSummaryValueCol).bottom;
        sheet.unmerge(wb::Range{first, 1, m_top + kSummaryLastRow, 1});
        sheet.merge(wb::Range{first, 1, last, 1});
        for (int c = 1; c <= kSummaryValueCol; ++c) {
            wb::CellFormat f = sheet.format(last, c);
            f.bottom = outline;
            sheet.setFormat(last, c, f);
            for (int r = last + 1; r <= m_top + kSummaryLastRow; ++r) {
                f = sheet.format(r, c);
                f.top = f.bottom = f.left = f.right = wb::Border{};
                f.fill = wb::kAuto;
                sheet.setFormat(r, c, f);
            }
        }
    }

    const QString& at(int e, AnalysisColumn c) const
    {
        return m_rows.at(m_order[static_cast<std::size_t>(e)], c);
    }
    void writeMean(int row, std::optional<double> v)
    {
        if (v)
            m_out.setCell(m_top + row, layout::analysis::kSummaryValueCol, *v);
        else
            m_out.setCell(m_top + row, layout::analysis::kSummaryValueCol, QString());
    }

    ExcelOut& m_out;
    const ReportRows& m_rows;
    const std::vector<QString> m_dates;   // per row: "yyyy/mm/dd" or ""
    const std::vector<int> m_order;
    const std::array<QString, 4>& m_items;
    std::pair<int, int> m_summarySize, m_trendSize;   // pixels
    std::array<int, 4> m_summaryRow{};   // row offset of item k in the summary table; 0: no name
    int m_lastSummaryRow = 0;

    int m_top = 1;       // first row of the block on the sheet being written
    int m_lessons = 0;   // lessons written in the block
    QString m_comments;
    MarkMeans m_means;
};

} // namespace

void ExcelOut::subStudentDataPrint(const QString& sql, const QString& /*jyoken: not printed*/)
{
    try {
        using namespace layout::analysis;
        const std::array<QString, 4> items = funcEvalItemNames();
        ReportRows rows;
        if (!rows.open(sql, analysisColumns())) {
            subCancel();   // the user has been told why
            return;
        }
        AnalysisBlockWriter blocks(*this, rows, items);
        const int count = blocks.blockCount();
        if (!funcReportFits(static_cast<long long>(count) * kBlockRows)) {
            subCancel();
            return;
        }

        ReportProgress progress(QStringLiteral("生徒分析シートを作成しています..."), count);
        const wb::Range blockRows = wb::Range::parse(QStringLiteral("1:%1").arg(kBlockRows));
        // The lesson data from column W on is not printed (set first, so that
        // continuation sheets take it over).
        reportSheet().print().printArea = wb::Range::parse(QStringLiteral("$A:$U"));

        blocks.begin(1, blocks.entries() > 0 ? 0 : -1);
        for (int e = 1, i = 0; e < blocks.entries(); ++e) {
            if (blocks.startsBlock(e)) {
                blocks.finish();
                blocks.begin(subNewPage(blockRows), e);
                progress.setValue(++i);
            } else {
                blocks.addLesson(e);
            }
        }
        blocks.finish();
    } catch (const std::exception& e) {
        // This routine's faults are logged under the calendar routine's name.
        subFault(e, QStringLiteral("ExcelOut - subKouzaCalenderPrint"));
    }
}
