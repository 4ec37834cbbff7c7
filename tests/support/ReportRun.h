// Running a report the way its callers do and reading the written file back,
// for the tests of the report engine and of the windows that start reports.
#pragma once

#include "Workbook.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class ExcelOut;
class ProgramFolder;

// The written report, read back, with the chart parts of the file.
struct Written {
    std::unique_ptr<wb::Workbook> book;
    QStringList charts;   // xl/charts/chart1.xml, chart2.xml, ... in order
    QString workbookXml;
    QString firstSheetXml;   // its page header, for one

    const wb::Sheet& sheet(int index = 0) const { return book->sheetAt(index); }
    QString text(int row, int col) const { return sheet().text(row, col); }
};

// Starts a report on the sheet, lets report write it, ends it, and reads back the
// file the user was shown (no book when none was shown). The file is removed
// unless KAEDE_KEEP_REPORTS is set.
Written runReport(ProgramFolder& pf, const QString& sheet, const std::function<void(ExcelOut&)>& report);

// Report files land in the shared temporary folder: each test removes its own.
struct WrittenFiles {
    QStringList paths;
    ~WrittenFiles();
};
