// The statements of the windows are written in the Jet dialect; these turn them
// into statements the engine accepts.
#pragma once

#include <QString>

// The Jet dialect of the windows' statements in the engine's own dialect:
// #yyyy/mm/dd# dates become date texts, Like patterns use % and _ with an escape.
QString funcJetToSqlite(const QString& jetSql);

// The report statements choose lessons or students with one "column = number"
// term per chosen row joined by OR. The engine refuses such a chain beyond about
// a thousand terms (its expression depth), so a condition made only of such terms
// on one column is given to it as a single IN list, which has no such limit.
// Any other statement is returned unchanged.
// Every statement passes through it on its way to the engine.
QString funcCompactIdChain(const QString& sql);
