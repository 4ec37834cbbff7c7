#include "ExcelOut.h"
#include "SchoolSettings.h"

#include "CommonBase.h"
#include "ErrorLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <stdexcept>

namespace {

const QString kSheetSetTitle = QStringLiteral("Excelシートセット");
const QString kTemplateSuffix = QStringLiteral("雛型");

// The message names the file with the leading backslash the users know it by.
const QString kTemplateShown = QStringLiteral("\\") + kTemplateFileName;

// A new file in the temporary folder named after the report and the time; a
// second report within the same second gets a number. The name is claimed by
// creating the file, so a report written at the same moment by another process
// sharing the folder can never write into the same file.
QString reportFilePath(const QString& report)
{
    const QString folder = QDir::tempPath() + u'/';
    const QString stem = report + u'_' + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
    QString path = folder + stem + QStringLiteral(".xlsx");
    for (int n = 2; n < 10000; ++n) {
        QFile claim(path);
        if (claim.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !claim.exists())
            break;   // claimed, or the folder refuses files: the writer then says so
        path = folder + stem + u'_' + QString::number(n) + QStringLiteral(".xlsx");
    }
    return path;
}

// The template as read, kept while its file stays the same: reading it is a
// tenth of a long report, a copy of what was read a few milliseconds.
std::unique_ptr<wb::Workbook> templateCopy(const QString& path)
{
    struct Read {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        std::unique_ptr<wb::Workbook> book;
    };
    static Read read;
    const QFileInfo file(path);
    if (!read.book || read.path != path || read.modified != file.lastModified() || read.size != file.size()) {
        read.book.reset();
        read.book = wb::Workbook::load(path);   // throws when it cannot: nothing is kept then
        read.path = path;
        read.modified = file.lastModified();
        read.size = file.size();
    }
    return read.book->clone();
}

} // namespace

QString funcSaveAndOpen(wb::Workbook&& book, const QString& name)
{
    const QString path = reportFilePath(name);
    try {
        const ReportProgress writing(QStringLiteral("帳票を保存しています..."), 0);
        book.writeAndEmpty(path);
    } catch (const std::exception&) {
        QFile::remove(path);   // the claimed, unwritten file
        MsgBox(QStringLiteral("帳票のファイルを書き込めませんでした。") + QStringLiteral("\r\n")
                   + QDir::toNativeSeparators(path),
               MsgButtons::Ok, MsgIcon::Warning, kTitle);
        return {};
    }
    if (!ui().openDocument(path)) {
        // A fresh installation may lack a spreadsheet program: the file is not lost, and its
        // folder can be opened to copy it to a PC that has one.
        const QString folder = QFileInfo(path).absolutePath();
        if (MsgBox(QStringLiteral("帳票を開くアプリケーションが見つかりませんでした。") + QStringLiteral("\r\n")
                       + QStringLiteral("帳票は次のファイルに保存しました。") + QStringLiteral("\r\n")
                       + QDir::toNativeSeparators(path) + QStringLiteral("\r\n\r\n")
                       + QStringLiteral("保存したフォルダを開きますか？"),
                   MsgButtons::YesNo, MsgIcon::Question, kTitle)
                == MsgAnswer::Yes
            && !ui().openDocument(folder)) {
            MsgBox(QStringLiteral("フォルダを開けませんでした。") + QStringLiteral("\r\n") + QDir::toNativeSeparators(folder),
                   MsgButtons::Ok, MsgIcon::Warning, kTitle);
        }
    }
    return path;
}

// ---------------------------------------------------------------- progress

ReportProgress::ReportProgress(const QString& label, int total) : m_total(total), m_bar(total > kDialogThreshold)
{
    ui().progressBegin(label, m_bar ? total : 0);
}

ReportProgress::~ReportProgress()
{
    ui().progressEnd();
}

void ReportProgress::setValue(int done)
{
    if (!m_bar)
        return;
    // Steps of one percent are enough; each costs an event round.
    const int percent = m_total > 0 ? static_cast<int>(100LL * done / m_total) : 100;
    if (percent == m_last)
        return;
    m_last = percent;
    ui().progressValue(std::min(done, m_total));
}

// ---------------------------------------------------------------- ExcelOut

ExcelOut::ExcelOut() = default;
ExcelOut::~ExcelOut() = default;

bool ExcelOut::funcPrintStart()
{
    m_book.reset();
    m_report = nullptr;
    m_continuations.clear();
    m_pagesOnSheet = 1;
    m_schoolInCell = false;
    m_writtenPath.clear();
    const QString path = funcProgramFile(kTemplateFileName);
    if (!funcFileExists(path)) {
        MsgBox(QStringLiteral("Excelファイル(%1)がセットされていません。").arg(kTemplateShown) + QStringLiteral("\r\n")
                   + QStringLiteral("Exeと同じフォルダに入れてください"),
               MsgButtons::Ok, MsgIcon::Information, kSheetSetTitle);
        return false;
    }
    // A template that cannot be read, or lacks the report's sheets, is told
    // here rather than failing half-way through the report.
    std::unique_ptr<wb::Workbook> book;
    try {
        book = templateCopy(path);
    } catch (const std::exception&) {
        MsgBox(QStringLiteral("Excelファイル(%1)を読み込めませんでした。").arg(kTemplateShown) + QStringLiteral("\r\n")
                   + QStringLiteral("正しいファイルをExeと同じフォルダに入れてください"),
               MsgButtons::Ok, MsgIcon::Information, kSheetSetTitle);
        return false;
    }
    for (const QString& needed : {m_sheetName, m_sheetName + kTemplateSuffix}) {
        if (m_sheetName.isEmpty() || book->sheet(needed) == nullptr) {
            MsgBox(QStringLiteral("Excelファイル(%1)に「%2」シートがありません。").arg(kTemplateShown, needed)
                       + QStringLiteral("\r\n") + QStringLiteral("正しいファイルをExeと同じフォルダに入れてください"),
                   MsgButtons::Ok, MsgIcon::Information, kSheetSetTitle);
            return false;
        }
    }
    m_book = std::move(book);
    return true;
}

void ExcelOut::subPrintEnd()
{
    if (!m_book)
        return;
    subPgDelete();
    // The school's name heads every page, unless the report prints it in a cell of its own.
    if (const QString school = SchoolSettings::funcSchoolName(); !school.isEmpty() && !m_schoolInCell)
        for (int i = 0; i < m_book->sheetCount(); ++i)
            m_book->sheetAt(i).print().headerRight = school;
    const std::unique_ptr<wb::Workbook> book = std::move(m_book);
    m_report = nullptr;
    m_writtenPath = funcSaveAndOpen(std::move(*book), m_sheetName);
}

void ExcelOut::subCancel()
{
    m_book.reset();
    m_report = nullptr;
}

void ExcelOut::subShtChg(int row, const QString& address)
{
    try {
        const wb::Range range = wb::Range::parse(address);
        wb::Sheet& report = reportSheet();
        report.copyFrom(templateSheet(), range, row, 1);
        // Every copy is a further page: it starts a printed page of its own and
        // lies inside the print area the form set for its first page.
        if (range.lastRow < wb::kMaxRow) {
            if (row > 1)
                report.addPageBreak(row);
            auto& area = report.print().printArea;
            const int lastRow = row + range.rows() - 1;
            if (area && area->lastRow < wb::kMaxRow && lastRow > area->lastRow)
                area->lastRow = lastRow;
        }
    } catch (const std::exception& e) {
        subFault(e, QStringLiteral("ExcelOut - subShtChg"));
    }
}

void ExcelOut::subPgBreak(int row)
{
    try {
        reportSheet().addPageBreak(row);
    } catch (const std::exception& e) {
        subFault(e, QStringLiteral("ExcelOut - subShtChg"));
    }
}

void ExcelOut::subPgDelete()
{
    try {
        wb::Workbook& book = workbook();
        for (const QString& name : book.sheetNames())
            if (name.compare(m_sheetName, Qt::CaseInsensitive) != 0 && !m_continuations.contains(name))
                book.removeSheet(name);
    } catch (const std::exception& e) {
        subFault(e, QStringLiteral("ExcelOut - subPgDelete"));
    }
}

int ExcelOut::subNewPage(const wb::Range& pageRange)
{
    if (m_pagesOnSheet >= kPagesPerSheet) {
        startContinuationSheet(pageRange.rows()).copyFrom(templateSheet(), pageRange, 1);
        m_pagesOnSheet = 1;
        return 1;
    }
    wb::Sheet& sheet = reportSheet();
    const int top = m_pagesOnSheet * pageRange.rows() + 1;
    sheet.copyFrom(templateSheet(), pageRange, top);
    sheet.addPageBreak(top);
    auto& area = sheet.print().printArea;
    if (area && area->lastRow < wb::kMaxRow)
        area->lastRow = std::max(area->lastRow, top + pageRange.rows() - 1);
    ++m_pagesOnSheet;
    return top;
}

// A new sheet after the last one, with the report sheet's column widths, row
// defaults and print settings; its print area covers its first page.
wb::Sheet& ExcelOut::startContinuationSheet(int pageRows)
{
    const wb::Sheet& first = *workbook().sheet(m_sheetName);
    const QString name = QStringLiteral("%1 (%2)").arg(m_sheetName).arg(m_continuations.size() + 2);
    wb::Sheet& next = workbook().addSheet(name);
    m_continuations << name;
    for (const auto& [col, width] : first.columnWidths())
        next.setColumnWidth(col, width);
    for (int col = 1; col <= first.lastColumn(); ++col)
        if (first.columnHidden(col))
            next.setColumnHidden(col, true);
    next.setDefaultRowHeight(first.defaultRowHeight());
    next.setDefaultColumnWidth(first.defaultColumnWidth());
    next.print() = first.print();
    auto& area = next.print().printArea;
    if (area && area->lastRow < wb::kMaxRow)
        area->lastRow = std::min(area->lastRow, pageRows);
    m_report = &next;
    return next;
}

wb::Workbook& ExcelOut::workbook()
{
    if (!m_book)
        throw std::logic_error("the template workbook is not open");
    return *m_book;
}

wb::Sheet& ExcelOut::reportSheet()
{
    // Looked up once: every written cell comes here. The report sheet is the
    // one sheet that is never removed while the workbook is open.
    if (m_report == nullptr) {
        m_report = workbook().sheet(m_sheetName);
        if (m_report == nullptr)
            throw std::runtime_error("no report sheet " + m_sheetName.toStdString());
    }
    return *m_report;
}

wb::Sheet& ExcelOut::templateSheet()
{
    wb::Sheet* s = workbook().sheet(m_sheetName + kTemplateSuffix);
    if (s == nullptr)
        throw std::runtime_error("no page template " + (m_sheetName + kTemplateSuffix).toStdString());
    return *s;
}

void ExcelOut::setCell(int row, int col, const QString& value)
{
    reportSheet().setValue(row, col, value);
}

void ExcelOut::setCell(int row, int col, double value)
{
    reportSheet().setNumber(row, col, value);
}

QString ExcelOut::cellText(int row, int col)
{
    return reportSheet().text(row, col);
}

void ExcelOut::subMergeText(const wb::Range& range, const QString& text)
{
    wb::Sheet& sheet = reportSheet();
    if (!(sheet.mergeAt(range.firstRow, range.firstCol) == range))
        sheet.merge(range);
    wb::CellFormat f = sheet.format(range.firstRow, range.firstCol);
    f.wrap = true;
    f.hAlign = wb::HAlign::Left;
    f.vAlign = wb::VAlign::Top;
    sheet.setFormat(range.firstRow, range.firstCol, f);
    if (text.isEmpty())
        sheet.clearValue(range.firstRow, range.firstCol);
    else
        sheet.setText(range.firstRow, range.firstCol, text);
}

wb::Chart& ExcelOut::addChart(const wb::Chart& chart)
{
    return reportSheet().addChart(chart);
}
