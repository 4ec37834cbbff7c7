#include "PackageFile.h"

#include <QFile>
#include <QtEndian>

#include <array>
#include <stdexcept>

namespace {

quint32 crc32(const QByteArray& data)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (const char byte : data)
        c = table[(c ^ static_cast<quint8>(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put16(QByteArray& out, quint16 v)
{
    out.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
}

void put32(QByteArray& out, quint32 v)
{
    put16(out, static_cast<quint16>(v & 0xFFFF));
    put16(out, static_cast<quint16>(v >> 16));
}

} // namespace

void writePackage(const QString& path, const QList<std::pair<QString, QByteArray>>& parts)
{
    QByteArray zip, directory;
    for (const auto& [name, data] : parts) {
        const QByteArray file = name.toUtf8();
        const quint32 crc = crc32(data);
        const auto offset = static_cast<quint32>(zip.size());
        // Local header: version 2.0, no flags, stored, no time.
        put32(zip, 0x04034b50);
        for (quint16 v : {20, 0, 0, 0, 0})
            put16(zip, v);
        put32(zip, crc);
        put32(zip, static_cast<quint32>(data.size()));
        put32(zip, static_cast<quint32>(data.size()));
        put16(zip, static_cast<quint16>(file.size()));
        put16(zip, 0);
        zip += file + data;

        put32(directory, 0x02014b50);
        for (quint16 v : {20, 20, 0, 0, 0, 0})
            put16(directory, v);
        put32(directory, crc);
        put32(directory, static_cast<quint32>(data.size()));
        put32(directory, static_cast<quint32>(data.size()));
        put16(directory, static_cast<quint16>(file.size()));
        for (quint16 v : {0, 0, 0, 0})
            put16(directory, v);
        put32(directory, 0);
        put32(directory, offset);
        directory += file;
    }
    const auto directoryOffset = static_cast<quint32>(zip.size());
    zip += directory;
    put32(zip, 0x06054b50);
    put16(zip, 0);
    put16(zip, 0);
    put16(zip, static_cast<quint16>(parts.size()));
    put16(zip, static_cast<quint16>(parts.size()));
    put32(zip, static_cast<quint32>(directory.size()));
    put32(zip, directoryOffset);
    put16(zip, 0);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(zip) != zip.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void writeSheetPackage(const QString& path, const QByteArray& sheetData, const QByteArray& sharedStrings,
                       const QByteArray& workbookPr)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n";
    const QByteArray main = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QByteArray types = xml + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
        R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
        R"(<Default Extension="xml" ContentType="application/xml"/>)"
        R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
        R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)";
    QByteArray workbookRels = xml + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type=")" + rel + R"(/worksheet" Target="worksheets/sheet1.xml"/>)";
    QList<std::pair<QString, QByteArray>> parts;
    if (!sharedStrings.isEmpty()) {
        types += R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)";
        workbookRels += R"(<Relationship Id="rId2" Type=")" + rel + R"(/sharedStrings" Target="sharedStrings.xml"/>)";
        parts.append({QStringLiteral("xl/sharedStrings.xml"), xml + "<sst " + main + ">" + sharedStrings + "</sst>"});
    }
    parts.prepend({QStringLiteral("xl/worksheets/sheet1.xml"),
                   xml + "<worksheet " + main + "><sheetData>" + sheetData + "</sheetData></worksheet>"});
    parts.prepend({QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRels + "</Relationships>"});
    parts.prepend({QStringLiteral("xl/workbook.xml"),
                   xml + "<workbook " + main + R"( xmlns:r=")" + rel + R"("><workbookPr )" + workbookPr
                       + R"(/><sheets><sheet name="名簿" sheetId="1" r:id="rId1"/></sheets></workbook>)"});
    parts.prepend({QStringLiteral("_rels/.rels"),
                   xml + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                         R"(<Relationship Id="rId1" Type=")" + rel + R"(/officeDocument" Target="xl/workbook.xml"/></Relationships>)"});
    parts.prepend({QStringLiteral("[Content_Types].xml"), types + "</Types>"});
    writePackage(path, parts);
}
