// Creating a new, empty database file of the program.
#pragma once

#include <QString>

// Creates an encrypted database holding every table, view and fixed master row.
// Refuses (returns false with a reason) when the file exists already.
bool funcCreateDatabase(const QString& path, QString* reason = nullptr);
