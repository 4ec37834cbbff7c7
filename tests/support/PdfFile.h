// A written PDF read back with poppler's tools, as a user copying text out of it would.
#pragma once

#include <QString>
#include <QStringList>

struct PdfFile {
    QString text;          // pdftotext of every page, pages separated by form feeds
    QStringList fonts;     // pdffonts: "name|embedded" per font ("yes"/"no")
    int pages = 0;         // pdfinfo's page count

    // The text with line breaks taken out, so a wrapped comment reads whole.
    QString joined() const { return QString(text).remove(u'\n'); }
};

// Reads the file; fails the running test (and returns an empty result) when a tool cannot.
PdfFile readPdf(const QString& path);
