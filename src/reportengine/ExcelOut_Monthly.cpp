// The monthly report for parents written into the workbook: the pages of the
// model (see MonthlyReport.h), each a copy of the template's page, with the
// chart over the six months' means kept right of the printed area.

#include "ExcelOut.h"
#include "MonthlyReport.h"
#include "ReportCommon.h"
#include "ReportLayout.h"

#include "ErrorLog.h"

#include <algorithm>
#include <optional>

namespace {

using namespace layout::monthly;

const QString kNone = QStringLiteral("—");

// Writes the pages of the model into the report sheet, each page a copy of the
// template's page.
class MonthlyWriter {
public:
    MonthlyWriter(ExcelOut& out, const monthly::Report& report) : m_out(out), m_report(report)
    {
        wb::Sheet& sheet = out.reportSheet();
        m_school = report.school.isEmpty() ? sheet.text(1 + kSchoolRow, kSchoolCol) : report.school;
        // A template made before the grade had its cells prints it beside the name.
        m_gradeCells = sheet.text(1 + kStudentRow, kGradeCaptionCol) == QStringLiteral("学年");
        for (std::size_t k = 0; k < report.items.size(); ++k)
            if (report.items[k].isEmpty())
                sheet.setColumnHidden(kFirstMarkCol + static_cast<int>(k), true);
        m_chartSize = {funcAreaWidthPx(sheet, kChartFirstCol, kChartLastCol),
                       funcAreaHeightPx(sheet, 1 + kChartFirstRow, 1 + kChartLastRow)};
        m_blankFormat = sheet.formatId(1 + kFirstMeanRow - 2, 1);   // the spacer row above the means
    }

    // Writes one page of the student at the page's first row.
    void writePage(int top, const monthly::Student& s, int page)
    {
        const int pages = static_cast<int>(s.pages.size());
        m_out.setCell(top + kSchoolRow, kSchoolCol, m_school);
        m_out.setCell(top + kMadeRow, kMadeCol, m_report.madeText(page, pages));
        m_out.setCell(top + kMonthRow, kMonthCol, m_report.title());
        if (!s.addressee.isEmpty()) {
            wb::Sheet& sheet = m_out.reportSheet();
            sheet.setRowHeight(top + kGuardianRow, std::max(sheet.rowHeight(top + kGuardianRow).value_or(0), 18.0));
            m_out.setCell(top + kGuardianRow, kGuardianCol, s.addressee);
        }
        m_out.setCell(top + kStudentRow, kNumberCol, QString::number(s.number));
        if (m_gradeCells) {
            m_out.setCell(top + kStudentRow, kNameCol, s.name);
            m_out.setCell(top + kStudentRow, kGradeCol, s.grade);
        } else {
            // The name's cell of the template before the grade had its own.
            const int oldNameCol = 6;
            m_out.setCell(top + kStudentRow, oldNameCol,
                          s.grade.isEmpty() ? s.name : s.name + QStringLiteral("（") + s.grade + QStringLiteral("）"));
        }
        for (int k : m_report.named)
            m_out.setCell(top + kHeadRow, kFirstMarkCol + k, m_report.items[static_cast<std::size_t>(k)]);
        writeLessons(top, s, s.pages[static_cast<std::size_t>(page)]);
        writeFigures(top, s);
        writeChart(top, s);
    }

private:
    void writeLessons(int top, const monthly::Student& s, const monthly::Page& page)
    {
        wb::Sheet& sheet = m_out.reportSheet();
        const int first = top + kFirstLessonRow;
        int row = first;
        if (page.pieces.empty()) {
            sheet.merge(wb::Range{first, 1, first, kLastCol});
            m_out.setCell(first, 1, QStringLiteral("この月の授業はありません。"));
            sheet.setRowHeight(first, kLessonRowPt);
            hideRow(first + 1);
            row += 2;
        }
        for (const monthly::Piece& piece : page.pieces) {
            if (piece.commentPt > 0) {
                sheet.setText(row + 1, 1, piece.comment);
                sheet.setRowHeight(row + 1, piece.commentPt);
            } else {
                hideRow(row + 1);
            }
            if (piece.facts) {
                const monthly::Lesson& l = s.lessons[static_cast<std::size_t>(piece.lesson)];
                for (int c = kDateCol; c < kFirstMarkCol; ++c)
                    m_out.setCell(row, c, monthly::funcLessonCell(m_report, l, c));
                for (int k : m_report.named) {
                    if (const std::optional<double> mark = l.marks[static_cast<std::size_t>(k)])
                        m_out.setCell(row, kFirstMarkCol + k, *mark);
                    else
                        m_out.setCell(row, kFirstMarkCol + k, kNone);
                }
                sheet.setRowHeight(row, l.factsPt);
            } else {
                hideRow(row);
            }
            row += 2;
        }
        // The empty ruled rows, without comment rows; the others are hidden.
        for (const double height : page.spareRowsPt) {
            sheet.setRowHeight(row, height);
            hideRow(row + 1);
            row += 2;
        }
        for (; row < first + 2 * kLessonRows; row += 2) {
            hideRow(row);
            hideRow(row + 1);
        }
    }

    // A row of the lesson table that is not printed; its cells lose their
    // borders, so that the file does not carry them.
    void hideRow(int row)
    {
        wb::Sheet& sheet = m_out.reportSheet();
        sheet.setRowHidden(row, true);
        for (int c = 1; c <= kLastCol; ++c)
            sheet.setFormatId(row, c, 0);
    }

    void writeFigures(int top, const monthly::Student& s)
    {
        writeNumber(top + kHeldRow, kCountCol, s.held());
        writeNumber(top + kAttendedRow, kCountCol, s.attended);
        writeNumber(top + kAttendedRow, kRateCol, s.attendedRate());
        writeNumber(top + kHomeworkRow, kCountCol, s.homework);
        writeNumber(top + kHomeworkRow, kRateCol, s.homeworkRate());

        m_out.setCell(top + kMeansHeadRow, kMeanCol, m_report.chartMonths[kChartMonths - 1]);
        m_out.setCell(top + kMeansHeadRow, kLastMeanCol, m_report.chartMonths[kChartMonths - 2]);
        for (std::size_t j = 0; j < m_report.named.size(); ++j) {
            const int row = top + kFirstMeanRow + static_cast<int>(j);
            const int k = m_report.named[j];
            m_out.setCell(row, 1, m_report.items[static_cast<std::size_t>(k)]);
            writeNumber(row, kMeanCol, s.thisMonth().item(k));
            writeNumber(row, kLastMeanCol, s.lastMonth().item(k));
            m_out.setCell(row, kArrowCol, monthly::funcMeanArrow(s.thisMonth().item(k), s.lastMonth().item(k)));
        }
        trimMeansTable(top);
    }

    // The form frames four item rows; with fewer named items the table ends
    // under the last one.
    void trimMeansTable(int top)
    {
        const int used = static_cast<int>(m_report.named.size());
        if (used == 4)
            return;
        wb::Sheet& sheet = m_out.reportSheet();
        const int last = top + kFirstMeanRow + used - 1;
        const wb::Border outline = sheet.format(top + kFirstMeanRow + 3, 1).bottom;
        for (int c = 1; c <= kArrowCol; ++c) {
            wb::CellFormat f = sheet.format(last, c);
            f.bottom = outline;
            sheet.setFormat(last, c, f);
            for (int r = last + 1; r <= top + kFirstMeanRow + 3; ++r)
                sheet.setFormatId(r, c, m_blankFormat);
        }
        for (int r = last + 1; r <= top + kFirstMeanRow + 3; ++r)
            sheet.unmerge(wb::Range{r, 1, r, kArrowCol});
    }

    void writeNumber(int row, int col, std::optional<double> value)
    {
        if (value)
            m_out.setCell(row, col, *value);
        else
            m_out.setCell(row, col, kNone);
    }

    // The six months' means right of the printed area, and the chart over them.
    void writeChart(int top, const monthly::Student& s)
    {
        const std::vector<int>& named = m_report.named;
        if (named.empty())
            return;
        const int dataRow = top + kChartDataRow;
        for (int i = 0; i < kChartMonths; ++i) {
            const int col = kDataCaptionCol + 1 + i;
            m_out.setCell(dataRow, col, m_report.chartMonths[static_cast<std::size_t>(i)]);
            for (std::size_t j = 0; j < named.size(); ++j) {
                // A month without a mark stays empty: a gap in its line.
                if (const std::optional<double> v = s.means[static_cast<std::size_t>(i)].item(named[j]))
                    m_out.setCell(dataRow + 1 + static_cast<int>(j), col, *v);
            }
        }
        for (std::size_t j = 0; j < named.size(); ++j)
            m_out.setCell(dataRow + 1 + static_cast<int>(j), kDataCaptionCol,
                          m_report.items[static_cast<std::size_t>(named[j])]);
        wb::Chart chart = markChart(wb::ChartType::LineMarkers, top + kChartFirstRow, kChartFirstCol, m_chartSize.first,
                                    m_chartSize.second, QStringLiteral("評価の推移"), wb::LegendPosition::Bottom);
        chart.setSourceData(wb::Range{dataRow, kDataCaptionCol, dataRow + static_cast<int>(named.size()),
                                      kDataCaptionCol + kChartMonths},
                            wb::PlotBy::Rows);
        m_out.addChart(chart);
    }

    ExcelOut& m_out;
    const monthly::Report& m_report;
    QString m_school;
    bool m_gradeCells = true;
    std::pair<int, int> m_chartSize;
    wb::FormatId m_blankFormat = 0;
};

} // namespace

QDate defaultReportMonth(const QDate& today)
{
    const QDate first(today.year(), today.month(), 1);
    return today.day() <= 10 ? first.addMonths(-1) : first;
}

monthly::ColumnWidths ExcelOut::funcMonthlyWidths()
{
    const wb::Sheet& sheet = reportSheet();
    monthly::ColumnWidths widths{};
    for (int c = 1; c <= kLastCol; ++c)
        widths[static_cast<std::size_t>(c)] = funcAreaWidthPx(sheet, c, c);
    return widths;
}

void ExcelOut::subMonthlyPrint(const QList<int>& students, const QDate& month, const QDate& madeOn)
{
    try {
        const std::optional<monthly::Report> report = monthly::funcBuild(students, month, madeOn, funcMonthlyWidths());
        if (!report) {
            subCancel();   // the user has been told why
            return;
        }
        subMonthlyPrint(*report);
    } catch (const std::exception& e) {
        subFault(e, QStringLiteral("ExcelOut - subMonthlyPrint"));
    }
}

void ExcelOut::subMonthlyPrint(const monthly::Report& report)
{
    try {
        if (!funcReportFits(static_cast<long long>(report.pageCount()) * kPageRows)) {
            subCancel();
            return;
        }
        const int count = static_cast<int>(report.students.size());
        ReportProgress progress(QStringLiteral("月間報告書を作成しています..."), count);
        const wb::Range pageRows = wb::Range::parse(QStringLiteral("1:%1").arg(kPageRows));
        auto& area = reportSheet().print().printArea;
        if (!area)
            area = wb::Range{1, 1, kPageRows, kLastCol};
        MonthlyWriter writer(*this, report);
        bool firstPage = true;
        for (int s = 0; s < count; ++s) {
            const monthly::Student& student = report.students[static_cast<std::size_t>(s)];
            for (std::size_t p = 0; p < student.pages.size(); ++p) {
                const int top = firstPage ? 1 : subNewPage(pageRows);
                firstPage = false;
                writer.writePage(top, student, static_cast<int>(p));
            }
            progress.setValue(s + 1);
        }
    } catch (const std::exception& e) {
        subFault(e, QStringLiteral("ExcelOut - subMonthlyPrint"));
    }
}
