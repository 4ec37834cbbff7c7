// Creating a new, empty database of the program.
#pragma once

#include <QString>
#include <QStringList>

// Creates an encrypted database holding every table, view and fixed master row.
// Refuses (returns false with a reason) when the file exists already.
bool funcCreateDatabase(const QString& path, QString* reason = nullptr);

// The same on a server, for a libpq connection text: creates the database first
// when the text names one that does not exist yet (UTF-8, "C" collation, so rows
// sort and match as in the embedded mode), then its contents: the tables with a
// unique (毎講座ID, 生徒番号) for 講座出席, the saved queries, the fixed rows and
// the counters of new numbers. Refuses a database that holds tables already or
// sorts by another collation.
bool funcCreateServerDatabase(const QString& connection, QString* reason = nullptr);

// Lets a login read and write the rows of the program's database on a server (the
// connection is its owner's); the login itself cannot change the tables.
bool funcGrantServerAccess(const QString& connection, const QString& login, QString* reason = nullptr);

// The schema in the form the server is given it.
QString funcServerSchemaSql();

// The statements of the schema that make one table: its CREATE TABLE, its indexes
// and the rows it starts with, as the embedded file or the server is given them.
QStringList funcSchemaStatementsOf(const QString& table, bool server);
