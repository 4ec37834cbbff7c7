#include "ReportRun.h"

#include "ExcelOut.h"
#include "ProgramFolder.h"

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <QFile>

namespace {
QString zipEntry(const orcus::zip_archive& zip, const std::string& name)
{
    std::vector<unsigned char> buf;
    if (!zip.read_file_entry(name, buf))
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(buf.data()), static_cast<qsizetype>(buf.size()));
}
} // namespace

Written runReport(ProgramFolder& pf, const QString& sheet, const std::function<void(ExcelOut&)>& report)
{
    Written w;
    QString path;
    {
        ExcelOut out;
        out.setPropExcelSheet(sheet);
        if (!out.funcPrintStart())
            return w;
        report(out);
        out.subPrintEnd();
        path = out.writtenPath();
    }
    if (path.isEmpty() || pf.ui().openedDocuments.value(pf.ui().openedDocuments.size() - 1) != path)
        return w;
    w.book = wb::Workbook::load(path);
    {
        // The parts alone: reading every cell again through a second reader costs seconds on long reports.
        orcus::zip_archive_stream_fd stream(QFile::encodeName(path).constData());
        orcus::zip_archive zip(&stream);
        zip.load();
        for (int n = 1;; ++n) {
            const QString chart = zipEntry(zip, "xl/charts/chart" + std::to_string(n) + ".xml");
            if (chart.isEmpty())
                break;
            w.charts << chart;
        }
        w.workbookXml = zipEntry(zip, "xl/workbook.xml");
        w.firstSheetXml = zipEntry(zip, "xl/worksheets/sheet1.xml");
    }
    if (qEnvironmentVariableIsEmpty("KAEDE_KEEP_REPORTS"))
        QFile::remove(path);
    return w;
}

WrittenFiles::~WrittenFiles()
{
    for (const QString& p : paths)
        QFile::remove(p);
}
