// Writing back a row that other PCs may change while a window shows it. The rows
// of 生徒台帳, 毎講座履歴 and 講座出席 count their changes in 更新回数. A window keeps
// the values it read and hands over only the columns the user changed; they are
// written only into the row as it was read. When another PC changed the row
// meanwhile, its changes to other columns are kept as they are, and where it
// changed one of the same columns the user is asked whether to overwrite it.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class Database;

inline const QString kVersionColumn = QStringLiteral("更新回数");

struct ColumnChange {
    QString column;
    QVariant before;   // as the window read it
    QVariant after;    // as the user left it
};

// The changes between two sets of values of the same columns; columns whose values
// are the same (as the windows compare them: no value and 0 or "" alike) are left out.
QList<ColumnChange> funcColumnChanges(const QStringList& columns, const QVariantList& before, const QVariantList& after);
bool funcSameValue(const QVariant& stored, const QVariant& shown);

// One stored row: its table, a condition naming it (with ? for values), and its
// 更新回数 as read.
struct RowTarget {
    QString table;
    QString where;
    std::vector<QVariant> whereValues;
    qint64 version = 0;
};

// What another PC stored meanwhile in columns this window also changed.
using TheirValues = QHash<QString, QVariant>;
// Asked when another PC changed some of the same columns: true overwrites them,
// false keeps the other PC's values there (the window's other changes are written).
using OverwriteQuestion = std::function<bool(const TheirValues& theirs)>;

struct WriteOutcome {
    enum Result { Stored, Gone } result = Stored;
    // The columns whose values the other PC kept (the user answered いいえ).
    TheirValues kept;
};

// Writes the changes (and the stamps, such as the time of the change, with any
// of them) into the row, and counts the change. Nothing to write when changes is
// empty. Gone when the row is no longer there (deleted meanwhile): nothing written.
// Throws DaoError when the engine fails.
WriteOutcome funcWriteChanges(Database& db, const RowTarget& row, QList<ColumnChange> changes,
                              const QList<std::pair<QString, QVariant>>& stamps, const OverwriteQuestion& ask);

// Deletes the row as it was read. When another PC changed it meanwhile the user
// is asked first (ask with every changed column's value); false when the row stays
// (asked and declined) or was gone already.
bool funcDeleteRow(Database& db, const RowTarget& row, const QStringList& columns, const QVariantList& before,
                   const OverwriteQuestion& ask);
