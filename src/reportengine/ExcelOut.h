// The workbook driver: one object serves one report. It loads the template
// workbook from the program folder, lets one report routine write the report
// sheet (copying further pages from the sheet's page template, and going on to
// continuation sheets when a sheet is full), then writes the report's sheets
// alone to a new .xlsx file and opens it for the user.
#pragma once

#include "Workbook.h"
#include "UiServices.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The template workbook's file name in the program folder.
inline const QString kTemplateFileName = QStringLiteral("塾管理楓丸くん.xlt");

// Progress of a long report, told to the UI services: busy for its whole life,
// with a progress bar when the report has more than a few pages. Cheap to step often.
class ReportProgress {
public:
    ReportProgress(const QString& label, int total);
    ~ReportProgress();
    ReportProgress(const ReportProgress&) = delete;
    ReportProgress& operator=(const ReportProgress&) = delete;

    void setValue(int done);
    bool dialogShown() const { return m_bar; }

    // Reports of more pages than this show the bar.
    static constexpr int kDialogThreshold = 5;

private:
    int m_total = 0;
    int m_last = -1;
    bool m_bar = false;
};

// Writes a workbook to a new file in the temporary folder named after the
// report and the time, and opens it; tells the user where it is when nothing
// opens it, or that it could not be written. The path written, "" on failure.
// The workbook is given up while it is written.
QString funcSaveAndOpen(wb::Workbook&& book, const QString& name);

// A list as its window shows it: the columns in their order, the rows, and the
// condition that found them.
struct ListSheet {
    QString title;                 // the file and sheet name: "生徒一覧"
    QString caption;               // the condition caption; "" when none
    QStringList headers;
    std::vector<QStringList> rows;
    QList<int> textColumns;        // kept as text even when they read as numbers (postcodes)
};
// The list written to a workbook of its own and opened as the reports are; the
// header row is the first the import looks for, so the file imports again.
// An empty list is told to the user and writes nothing.
QString funcListPrint(const ListSheet& list);

// The month a monthly report is made for by default on a day: the month before
// until the 10th (reports are made early in the month for the month that has
// ended), the day's own month afterwards. The first day of that month.
QDate defaultReportMonth(const QDate& today);

class ExcelOut {
public:
    ExcelOut();
    ~ExcelOut();
    ExcelOut(const ExcelOut&) = delete;
    ExcelOut& operator=(const ExcelOut&) = delete;

    // Name of the report sheet: "講座カレンダー", "日報", "生徒分析シート" or "月間報告書".
    void setPropExcelSheet(const QString& name) { m_sheetName = name; }
    const QString& propExcelSheet() const { return m_sheetName; }

    // Loads the template; false (the user has been told why) when there is none
    // or it lacks the report sheet.
    bool funcPrintStart();
    // Keeps the report's sheets alone, writes them to a new file in the temporary
    // folder and opens it; tells the user where it is when nothing opens it.
    void subPrintEnd();
    // Drops the workbook of a report that was refused or whose rows could not
    // be read (the user has been told why): subPrintEnd then opens nothing.
    void subCancel();
    // Copies a range of the page template (the report sheet's name & "雛型")
    // to the report sheet with its top-left cell at (row, column 1). The copy
    // is a new printed page: a page break above it, the print area extended.
    // Rows are int: a 16-bit row ends a long daily report after 762 pages.
    void subShtChg(int row, const QString& address);
    // A manual page break above the row of the report sheet.
    void subPgBreak(int row);
    // Deletes every sheet except the report sheet and its continuation sheets.
    void subPgDelete();

    // Starts a further printed page (or block) of a report: a copy of the
    // range of the page template below the pages written so far, with a page
    // break above it and inside the print area. A sheet holds kPagesPerSheet
    // pages, as many as the file format can break; the next page starts a
    // continuation sheet ("日報 (2)", ...) laid out as the report sheet, and
    // every cell written from then on goes there. Returns the page's first
    // row on the sheet it was placed on.
    int subNewPage(const wb::Range& pageRange);
    static constexpr int kPagesPerSheet = wb::kMaxPageBreaks + 1;

    // The reports (one per object). The calendar may replace an empty caption
    // with "(作成条件無し)", so the caller holds that text afterwards.
    void subKouzaCalenderPrint(const QString& sql, QString& jyoken);
    void subNippouPrint(const QString& sql, const QString& jyoken);
    void subStudentDataPrint(const QString& sql, const QString& jyoken);
    // The monthly report: a page for every student of studentSql (生徒番号,
    // 生徒氏名), with that student's rows of lessonSql (rows of QRY_講座出席出力)
    // in the month of `month` and, for the chart, the five months before it.
    // Only lessons held up to madeOn count.
    void subMonthlyPrint(const QString& studentSql, const QString& lessonSql, const QDate& month,
                         const QDate& madeOn);

    // --- for the report routines -------------------------------------------
    // Valid between a successful funcPrintStart and subPrintEnd.
    wb::Workbook& workbook();
    // The sheet being written: the report sheet, or its latest continuation sheet.
    wb::Sheet& reportSheet();
    wb::Sheet& templateSheet();        // the report sheet's name & "雛型"

    // Cells of the sheet being written, 1-based. A text that reads as a plain number
    // is stored as a number, as the spreadsheet does when a value is typed.
    void setCell(int row, int col, const QString& value);
    void setCell(int row, int col, double value);
    QString cellText(int row, int col);
    // A merged range with wrapping text, aligned to its top-left corner (the
    // comment box of the analysis sheet).
    void subMergeText(const wb::Range& range, const QString& text);
    // A chart on the report sheet; the returned reference is valid until the
    // next chart is added.
    wb::Chart& addChart(const wb::Chart& chart);

    // The file written by subPrintEnd ("" before, or when it failed).
    const QString& writtenPath() const { return m_writtenPath; }

private:
    wb::Sheet& startContinuationSheet(int pageRows);

    QString m_sheetName;
    std::unique_ptr<wb::Workbook> m_book;
    wb::Sheet* m_report = nullptr;   // the sheet being written, once looked up
    QStringList m_continuations;     // names of the continuation sheets, in order
    int m_pagesOnSheet = 1;          // pages on the sheet being written
    bool m_schoolInCell = false;     // the report prints the school's name itself
    QString m_writtenPath;
};
