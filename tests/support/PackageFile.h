// Workbooks as other programs write them: a few XML parts put into a zip package
// by hand, so that the import meets what Excel, LibreOffice or a script wrote and
// not only what this program writes itself.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// Writes the parts (name, content) into a zip file, stored without compression.
void writePackage(const QString& path, const QList<std::pair<QString, QByteArray>>& parts);

// A one-sheet workbook package: sheetData is the inside of <sheetData>, sharedStrings
// the <si> items (no part when empty), workbookPr the attributes of <workbookPr/>.
// Without dimension, styles or anything else a package may leave out.
void writeSheetPackage(const QString& path, const QByteArray& sheetData, const QByteArray& sharedStrings = {},
                       const QByteArray& workbookPr = {});
