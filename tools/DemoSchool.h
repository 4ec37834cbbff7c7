// A made-up but lifelike school for demonstrations and benchmarks: students with
// kanji names and half-width readings, the masters, notices, a school year of
// lessons and the attendance of every lesson.
#pragma once

#include <QDate>
#include <QString>

enum class DemoSize {
    Small,  // about 60 students and a few hundred lessons: for looking at the windows
    Large   // about 3,000 students, 30,000 lessons, 300,000 attendance rows: for measuring
};

struct DemoSummary {
    int students = 0;
    int deletedStudents = 0;
    int lessons = 0;
    int attendance = 0;
    int notices = 0;
    int pictures = 0;   // photographs written into the Picture folder beside the database
};

// Creates a new database at path and fills it. Every value comes from one fixed
// seed; the only other input is the day the data is placed around (the school
// year that contains it, the notices current on it), so two runs with the same
// day give the same rows. Uses gDatabase and leaves it closed. Refuses an
// existing file. Some students get a drawn photograph in the folder Picture
// beside the database; photographs already there are never replaced.
bool funcCreateDemoSchool(const QString& path, DemoSize size, const QDate& today,
                          QString* reason = nullptr, DemoSummary* summary = nullptr);

// The same school in a new database on a server (made as kaedemaru-initdb --server does),
// without the photographs, which are files of each PC.
bool funcCreateServerDemoSchool(const QString& connection, DemoSize size, const QDate& today,
                                QString* reason = nullptr, DemoSummary* summary = nullptr);

