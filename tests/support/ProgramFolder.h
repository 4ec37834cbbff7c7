// A fresh program folder for one test: a new temporary folder holding a copy of
// the pristine Revid.mdb (and the template workbook when the build made one),
// set as the program folder, with the database open and a recording UI installed.
#pragma once

#include "RecordingUi.h"

#include <QString>
#include <QTemporaryDir>

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
    // The first column of the first row of a query, as text ("" when there is none).
    QString scalar(const QString& sql);
    int count(const QString& table, const QString& where = {});

private:
    QTemporaryDir m_dir;
    UiRecorder m_ui;
};

// Where the build keeps the pristine database and the program folder.
QString pristineDatabasePath();
QString builtProgramFolder();
