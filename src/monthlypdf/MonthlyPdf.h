// The monthly report drawn by the program itself: the pages of the model (see
// MonthlyReport.h) painted on A4 portrait pages of a PDF file or of a print job,
// laid out as the workbook's page, with the six months' means drawn as a chart.
// Text is set in a fixed-pitch Japanese font that the PDF embeds, so the text
// copied out of the file is the database's text.
#pragma once

#include "MonthlyReport.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QPagedPaintDevice;

namespace MonthlyPdf {

// The font every page is set in.
inline const QString kFontFamily = QStringLiteral("IPAGothic");

// Paints the pages of the students (indexes into report.students; every
// student when none are given) on the device, one device page per model page.
// A new device page is begun for each page after the first. False when the
// device could not be painted on (a file that cannot be written).
bool funcDraw(const monthly::Report& report, QPagedPaintDevice& device, const QList<int>& students = {});

// "12_山田 太郎_202611.pdf": the characters a Windows file name may not hold
// (\ / : * ? " < > | and control characters) become "_".
QString funcFileName(const monthly::Student& student, const QDate& month);
// The path for a new file of that name in the folder: "name (2).pdf", "name (3).pdf"…
// when the name is taken.
QString funcFreePath(const QString& folder, const QString& fileName);

// Writes the students' pages (every student when none are given) to one PDF file.
// False when the file could not be written.
bool funcWriteFile(const monthly::Report& report, const QString& path, const QList<int>& students = {});

// What a save wrote: the files in order, and the one that failed ("" when none did).
struct Saved {
    QStringList files;
    QString failed;
};
// One file per student in the folder, named by funcFileName and never replacing a file.
Saved funcSaveEach(const monthly::Report& report, const QString& folder);

// "月間報告書_202611.pdf": the name of a month's students in one file.
QString funcOneFileName(const QDate& month);
// Every student's pages in one file of that name in the folder, never replacing a file.
Saved funcSaveOne(const monthly::Report& report, const QString& folder);

// The month's report of the students (生徒番号) made today into a folder, one
// file per student or (oneFile) all of them in one; nothing
// when the rows could not be read (the user has been told why).
std::optional<Saved> write(const QDate& month, const QList<int>& students, const QString& folder, bool oneFile);

} // namespace MonthlyPdf
