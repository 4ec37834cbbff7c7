// Bringing a database made by an earlier version of the program up to date when
// it is opened: the columns and tables added since are added, after the data has been kept
// as a copy in Backup/ beside Revid.mdb. Stored files and server schools keep working.
#pragma once

#include <QString>
#include <QStringList>

class Database;

// True when the open database lacks a column or a table the program writes.
bool funcNeedsMigration(Database& db);

// The tables added since the first version, which a stored school may lack until it is opened.
const QStringList& funcAddedTables();

// Adds what is missing, in one transaction, after a copy of the data into
// backupFolder (a copy of the file, or a snapshot file of the server's data).
// Returns the copy's path, "" when nothing was missing. Throws on failure: then
// nothing has changed. On a server only the owner of the tables may add columns;
// the office login is told so (kMigrationNeedsOwnerText).
QString funcMigrateDatabase(Database& db, const QString& backupFolder);

// A copy of the embedded database file in the folder, named after it and the time
// (Revid_20261208_093000.mdb). Throws std::runtime_error when it cannot be written.
QString funcBackupFileCopy(const QString& databasePath, const QString& folder);

inline const QString kMigrationNeedsOwnerText = QStringLiteral(
    "サーバーのデータベースが前の版の形式です。所有者のログインで kaedemaru-initdb --upgrade を実行してから、もう一度起動してください。");
