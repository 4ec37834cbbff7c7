// The large demonstration school in a program folder with the template, made
// once per benchmark run, and UI services that never block.
#pragma once

#include "UiServices.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// Questions are answered Yes, other messages go to stderr; a written report is
// only noted, never opened.
class BenchUi final : public UiServices {
public:
    MsgAnswer message(const QString& text, MsgButtons, MsgIcon, const QString&) override;
    QString openFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    bool openDocument(const QString& path) override
    {
        lastDocument = path;
        return true;
    }
    [[noreturn]] void endProgram(int exitCode) override;
    QString lastDocument;
};

struct LargeSchool {
    // The day the school's data is made for.
    inline static const QDate kSchoolDay{2026, 11, 30};

    QTemporaryDir dir;
    BenchUi* ui = nullptr;   // installed as the UI services for the run
    int lessons = 0;         // lessons of the school as made

    // Makes the school, copies the template, opens the database; throws on failure.
    LargeSchool();
    // Puts the school back as it was made (after benchmarks that delete).
    void restore();

private:
    QString databasePath() const;
    QString pristinePath() const;
};

// The school of a benchmark program, made on first use.
LargeSchool& school();

// The numbers of the school's first students (not deleted), in number order.
QList<int> firstStudents(int count);

// The main of a benchmark program of windows: offscreen, the platform's notes
// on window features it lacks kept out of the results, faults reported.
int runWindowBenchmarks(int argc, char** argv);
