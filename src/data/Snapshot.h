// Moving a school's data between a server and an ordinary Revid.mdb file: the
// backup of the server mode is such a file, and its restore loads one, so the
// same two steps also move a school from one mode to the other.
#pragma once

#include <QString>
#include <QStringList>

// The program's tables, in the order they are copied.
const QStringList& funcProgramTables();
// Those of the first version, which every stored school and backup holds.
const QStringList& funcFirstTables();

// Writes every row of the server database to a new encrypted file at path, from
// one consistent read (rows written meanwhile by other PCs are either all in it
// or not at all). An existing file is replaced only once the copy is complete.
// Data without the days of the week is no school: it is refused with kNoSchoolText.
// Throws DaoError (or std::runtime_error for the file) on failure.
void subWriteServerSnapshot(const QString& connection, const QString& path);

inline const QString kNoSchoolText = QStringLiteral("サーバーのデータに曜日のマスタがありません。楓丸くんのデータではないため、バックアップできません。");

// Replaces every row of the server database by those of the file, in one
// transaction: on failure nothing has changed. Throws OthersAtWork while another
// PC runs the program. Of rows of 講座出席 repeating a
// lesson and student, the first is kept (the one the program read). Throws on failure.
void subLoadServerSnapshot(const QString& path, const QString& connection);
