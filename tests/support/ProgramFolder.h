// A fresh program folder for one test: a new temporary folder holding a copy of
// the pristine Revid.mdb (and the template workbook when the build made one),
// set as the program folder, with the database open and a recording UI installed.
// The search dialogs start with nothing remembered, as in a new run of the program.
//
// Run with KAEDE_TEST_SERVER naming a file that holds a libpq connection text
// (CTest does so for the NAME.server runs), each folder gets instead a new
// database of its own on that server, copied from kaede_template, and a
// Revid.server pointing at it: the same test then runs in the server mode.
// Nothing else reads the variable.
#pragma once

#include "RecordingUi.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class Database;

class ProgramFolder {
public:
    // open: open the database right away.
    explicit ProgramFolder(bool open = true);
    ~ProgramFolder();

    QString path() const;                 // ends in "/"
    QString file(const QString& name) const { return path() + name; }
    QString databasePath() const { return file(QStringLiteral("Revid.mdb")); }
    RecordingUi& ui() { return *m_ui; }
    // Runs an action statement on the open database (test data set-up).
    void exec(const QString& sql);
    // Statements in the engine's own dialect, as its owner (triggers, settings),
    // on a connection of their own in the server mode.
    void execNative(const QString& sql);
    // Runs an action statement as another PC would: on a second connection to the
    // same file or server database, committed at once.
    void execElsewhere(const QString& sql);
    // That second connection, for work run beside the program's own (races).
    Database& elsewhere();
    // The first column of the first row of a query, as text ("" when there is none).
    QString scalar(const QString& sql);
    int count(const QString& table, const QString& where = {});
    // The first column of every row, joined by commas (in either engine).
    QString list(const QString& sql);
    // Every column of every row, "|" between the columns (Null as <null>) and a line
    // per row: a table compares equal by it.
    QString rows(const QString& sql);

    // The folder's server database (server mode only).
    QString serverDatabase() const { return m_serverDatabase; }
    QString serverConnection() const;

private:
    QTemporaryDir m_dir;
    UiRecorder m_ui;
    QString m_serverDatabase;
    std::unique_ptr<Database> m_elsewhere;
    std::optional<QByteArray> m_configHome;   // the variable as it was before the folder
};

// True in the NAME.server runs.
bool testServerMode();
// The test cluster's connection text without a database name (server mode only):
// the program's login, which may only read and write rows; the tables' owner is kaede_owner.
QString testServerConnection();
// A new database of this program on the test cluster (a copy of kaede_template), and its removal.
QString createTestServerDatabase();
void dropTestServerDatabase(const QString& name);
// Statements on the cluster as its superuser, outside the program's connection (to make or end other sessions).
void execOnTestServer(const QString& sql);

// Restarts the test cluster: every session is cut, as by a server that was restarted.
void restartTestServer();

// Where the build keeps the pristine database and the program folder.
QString pristineDatabasePath();
QString builtProgramFolder();
