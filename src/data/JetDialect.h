// The statements of the windows are written in the Jet dialect; these turn them
// into statements the engine accepts.
#pragma once

#include <QString>

// The Jet dialect of the windows' statements in the embedded engine's own dialect:
// #yyyy/mm/dd# dates become date texts, Like patterns use % and _ with an escape.
QString funcJetToSqlite(const QString& jetSql);

// The same for the server: dates and patterns as above, and further
// - Like becomes ILIKE: the Jet match ignores the case of ASCII letters, as the
//   embedded engine's does (the server's database has the "C" character classes,
//   so only ASCII letters fold);
// - a name holding a letter beyond ASCII (every table, column and saved query of
//   the program) is quoted, so it is found as written whatever the server folds;
//   [name] is quoted too;
// - a ? outside a literal is a bound value: $1, $2, ...;
// - each term of an ORDER BY places Null where the embedded engine does (first
//   when ascending, last when descending), so both modes list rows alike.
QString funcJetToPostgres(const QString& jetSql);

// The value bound to "column Like ?" for a Jet pattern (* and ? as wildcards):
// the engines' pattern with the escape that the dialect adds after such a Like.
QString funcLikeValue(const QString& jetPattern);

// The report statements choose lessons or students with one "column = number"
// term per chosen row joined by OR. The engine refuses such a chain beyond about
// a thousand terms (its expression depth), so a condition made only of such terms
// on one column is given to it as a single IN list, which has no such limit.
// Any other statement is returned unchanged. The report statements pass through
// it where they are built; other statements never hold such chains.
QString funcCompactIdChain(const QString& sql);
