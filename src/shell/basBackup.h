// The file side of backup and restore: the proposed backup name, the check that
// a file is a database of this program, and copies that never leave half a file.
#pragma once

#include <QDate>
#include <QString>

// "yyyymmdd" of the day followed by "Revid.mdb", e.g. 20030131Revid.mdb.
QString funcBackupFileName(const QDate& day);

// True when the file opens with the program's password and holds the program's tables
// and saved queries.
bool funcIsProgramDatabase(const QString& path);

// Copies a whole file. The target is replaced only once the copy is complete, so a
// failed copy leaves it as it was. Throws std::runtime_error on failure.
void subCopyWholeFile(const QString& from, const QString& to);

// True when both paths name the same existing file.
bool funcSameFile(const QString& a, const QString& b);
