// Small shared routines over the database: combo boxes from master tables,
// the largest key, row counts, calendar helpers and opening a program file.
#pragma once

#include <QString>

class QWidget;

// The largest value of the column. Without a condition, on a server, the table's
// key is numbered by a counter instead: the result plus one is a number no other
// PC is given, and the next call gives a larger one.
int funcGetMaxID(const QString& table, const QString& column, const QString& condition = {});
int funcGetCount(const QString& table, const QString& column, const QString& condition = {});
// Weekday of the first day of the month, Sunday = 1 ... Saturday = 7.
short funcFirstWeekday(short year, short month);
short funcMonthDays(short year, short month);
// Opens a file of the program folder with its associated program; failures are told to the user.
void subShellOpen(QWidget* owner, const QString& fileName);

// The shell's result classes, as the messages of subShellOpen know them.
int funcShellOpenResult(const QString& path);
// The classes a file can fail before it is opened (3 no folder, 2 no file, 5 not
// readable); 42 when it can be read.
int funcFileCheckResult(const QString& path);
QString funcShellOpenMessage(int result);
