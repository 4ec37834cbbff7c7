// The file side of backup and restore: the proposed backup name, the check that
// a file is a database of this program, and copies that never leave half a file.
#pragma once

#include "CommonBase.h"

#include <QDate>
#include <QString>

#include <optional>

// "yyyymmdd" of the day followed by "Revid.mdb", e.g. 20030131Revid.mdb.
QString funcBackupFileName(const QDate& day);

// Where the backup dialog opens until the user chooses another folder: 「楓丸くん バックアップ」
// in the user's documents folder, made when missing. The data folder itself is hidden
// from the file dialogs.
QString funcBackupFolder();

// True when the file opens with the program's password and holds the program's tables
// and saved queries.
bool funcIsProgramDatabase(const QString& path);

// True when both paths name the same existing file.
bool funcSameFile(const QString& a, const QString& b);

// The folder beside a backup file that holds the photographs: "20261207Revid.mdb"
// has "20261207Picture", any other "name.mdb" has "namePicture".
QString funcPictureBackupFolder(const QString& backupFile);

// Copies every file of one folder into another (made when missing), each whole
// or not at all; files of the target that the source lacks are kept. A source
// that does not exist copies nothing. Returns the number of files copied.
// Throws std::runtime_error on failure.
int subCopyPictures(const QString& fromFolder, const QString& toFolder);

// On a server, the connection as the owner of the program's tables, for one restore
// or initialization: the user types the owner's password, which is kept nowhere.
// nullopt when the user cancelled.
std::optional<QString> funcOwnerConnection(const QString& connection);
