// Files an office would hand the import: CSV text in a given encoding and
// workbooks with text and number cells, written for real.
#pragma once

#include "Workbook.h"

#include <QFile>
#include <QList>
#include <QStringEncoder>
#include <QVariant>

// Writes the text in the encoding ("windows-31j", "UTF-8"), with a byte-order mark when asked.
inline void writeTextFile(const QString& path, const QString& text, const char* encoding, bool bom = false)
{
    QStringEncoder encoder(encoding);
    QByteArray bytes = encoder.encode(text);
    if (bom)
        bytes.prepend("\xEF\xBB\xBF");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// One sheet of rows; a double is a number cell, anything else text.
inline void writeWorkbook(const QString& path, const QList<QVariantList>& rows, const QString& sheetName = QStringLiteral("名簿"))
{
    wb::Workbook book;
    wb::Sheet& sheet = book.addSheet(sheetName);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c) {
            const QVariant& v = rows[r][c];
            if (v.typeId() == QMetaType::Double)
                sheet.setNumber(r + 1, c + 1, v.toDouble());
            else if (!v.toString().isEmpty())
                sheet.setText(r + 1, c + 1, v.toString());
        }
    book.write(path);
}
