#include "XlsxFile.h"

#include "Workbook.h"

#include <QFile>

#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <ixion/cell_access.hpp>
#include <ixion/model_context.hpp>

#include <stdexcept>

namespace ss = orcus::spreadsheet;

struct XlsxFile::Impl {
    std::string path;
    ss::document doc{ss::range_size_t{1048576, 16384}};

    const ss::sheet* sheet(const QString& name) const
    {
        const ss::sheet* s = doc.get_sheet(name.toStdString());
        if (s == nullptr)
            throw std::runtime_error("no sheet " + name.toStdString());
        return s;
    }
};

XlsxFile::XlsxFile(const QString& path) : d(std::make_unique<Impl>())
{
    d->path = QFile::encodeName(path).toStdString();
    ss::import_factory factory{d->doc};
    orcus::orcus_xlsx reader(&factory);
    reader.read_file(d->path);
}

XlsxFile::~XlsxFile() = default;

QStringList XlsxFile::sheetNames() const
{
    QStringList names;
    for (std::size_t i = 0; i < d->doc.get_sheet_count(); ++i) {
        const auto name = d->doc.get_sheet_name(static_cast<ss::sheet_t>(i));
        names << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    return names;
}

QString XlsxFile::text(const QString& sheet, int row, int col) const
{
    const ss::sheet* s = d->sheet(sheet);
    const ixion::abs_address_t pos(s->get_index(), row - 1, col - 1);
    const auto& cxt = d->doc.get_model_context();
    if (cxt.is_empty(pos))
        return {};
    const ixion::cell_access ca = cxt.get_cell_access(pos);
    switch (ca.get_value_type()) {
    case ixion::cell_value_t::string: {
        const auto v = ca.get_string_value();
        return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
    }
    case ixion::cell_value_t::numeric:
        return QString::number(ca.get_numeric_value(), 'g', 15);
    default:
        return {};
    }
}

bool XlsxFile::isNumber(const QString& sheet, int row, int col) const
{
    const ss::sheet* s = d->sheet(sheet);
    const ixion::abs_address_t pos(s->get_index(), row - 1, col - 1);
    const auto& cxt = d->doc.get_model_context();
    return !cxt.is_empty(pos) && cxt.get_cell_access(pos).get_value_type() == ixion::cell_value_t::numeric;
}

QString XlsxFile::mergeFrom(const QString& sheet, int row, int col) const
{
    const ss::range_t m = d->sheet(sheet)->get_merge_cell_range(row - 1, col - 1);
    if (m.first.row == m.last.row && m.first.column == m.last.column)
        return {};
    return wb::Range{m.first.row + 1, m.first.column + 1, m.last.row + 1, m.last.column + 1}.address();
}

QStringList XlsxFile::parts() const
{
    orcus::zip_archive_stream_fd stream(d->path.c_str());
    orcus::zip_archive zip(&stream);
    zip.load();
    QStringList names;
    for (std::size_t i = 0; i < zip.get_file_entry_count(); ++i) {
        const auto n = zip.get_file_entry_name(i);
        names << QString::fromUtf8(n.data(), static_cast<qsizetype>(n.size()));
    }
    return names;
}

QByteArray XlsxFile::part(const QString& name) const
{
    orcus::zip_archive_stream_fd stream(d->path.c_str());
    orcus::zip_archive zip(&stream);
    zip.load();
    std::vector<unsigned char> buf;
    if (!zip.read_file_entry(name.toStdString(), buf))
        return {};
    return QByteArray(reinterpret_cast<const char*>(buf.data()), static_cast<qsizetype>(buf.size()));
}
