#include "RowWrite.h"

#include "CommonBase.h"
#include "DaoCommon.h"

namespace {
// Other PCs rarely change one row so often that a write keeps missing it; past
// this many tries something else is wrong.
constexpr int kTries = 5;

// Names go into statements as the windows write them: the dialect quotes them for the server.
QString quoted(const QString& name)
{
    return name;
}

// The stored 更新回数 and the columns' values; nullopt when the row is gone.
std::optional<std::pair<qint64, QVariantList>> storedRow(Database& db, const RowTarget& row, const QStringList& columns)
{
    QStringList names{quoted(kVersionColumn)};
    for (const QString& column : columns)
        names << quoted(column);
    Recordset rs = db.openRecordset(QStringLiteral("SELECT ") + names.join(QLatin1Char(',')) + QStringLiteral(" FROM ")
                                        + quoted(row.table) + QStringLiteral(" WHERE ") + row.where,
                                    dbOpenDynaset, row.whereValues, dbReadOnly);
    if (rs.eof())
        return std::nullopt;
    QVariantList values;
    for (int c = 1; c <= columns.size(); ++c)
        values << rs.field(c);
    return std::make_pair(rs.field(0).toLongLong(), values);
}

std::vector<QVariant> withVersion(std::vector<QVariant> values, qint64 version)
{
    values.push_back(version);
    return values;
}
} // namespace

bool funcSameValue(const QVariant& stored, const QVariant& shown)
{
    switch (shown.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Bool: return funcToLong(stored) == funcToLong(shown);
    default: return funcToString(stored) == funcToString(shown);
    }
}

QList<ColumnChange> funcColumnChanges(const QStringList& columns, const QVariantList& before, const QVariantList& after)
{
    QList<ColumnChange> changes;
    for (qsizetype c = 0; c < columns.size(); ++c)
        if (!funcSameValue(before.value(c), after.value(c)))
            changes << ColumnChange{columns[c], before.value(c), after.value(c)};
    return changes;
}

WriteOutcome funcWriteChanges(Database& db, const RowTarget& row, QList<ColumnChange> changes,
                              const QList<std::pair<QString, QVariant>>& stamps, const OverwriteQuestion& ask)
{
    WriteOutcome outcome;
    qint64 version = row.version;
    bool asked = false;
    for (int attempt = 0; attempt < kTries && !changes.isEmpty(); ++attempt) {
        QStringList sets;
        std::vector<QVariant> values;
        for (const ColumnChange& change : changes) {
            sets << quoted(change.column) + QStringLiteral(" = ?");
            values.push_back(change.after);
        }
        for (const auto& [column, value] : stamps) {
            sets << quoted(column) + QStringLiteral(" = ?");
            values.push_back(value);
        }
        sets << quoted(kVersionColumn) + QStringLiteral(" = ") + quoted(kVersionColumn) + QStringLiteral(" + 1");
        values.insert(values.end(), row.whereValues.begin(), row.whereValues.end());
        const QString sql = QStringLiteral("UPDATE ") + quoted(row.table) + QStringLiteral(" SET ") + sets.join(QLatin1Char(','))
            + QStringLiteral(" WHERE (") + row.where + QStringLiteral(") AND ") + quoted(kVersionColumn) + QStringLiteral(" = ?");
        if (db.execute(sql, withVersion(values, version)) > 0)
            return outcome;

        // Another PC changed or deleted the row since it was read.
        QStringList columns;
        for (const ColumnChange& change : changes)
            columns << change.column;
        const auto stored = storedRow(db, row, columns);
        if (!stored) {
            outcome.result = WriteOutcome::Gone;
            return outcome;
        }
        version = stored->first;
        TheirValues theirs;
        QList<ColumnChange> left;
        for (qsizetype c = 0; c < changes.size(); ++c) {
            const QVariant& now = stored->second[c];
            if (funcSameValue(now, changes[c].after))
                continue;   // the other PC made the same change
            if (!funcSameValue(now, changes[c].before))
                theirs.insert(changes[c].column, now);
            left << changes[c];
        }
        if (!theirs.isEmpty() && !asked) {
            asked = true;
            if (!ask || !ask(theirs)) {
                outcome.kept = theirs;
                left.removeIf([&](const ColumnChange& change) { return theirs.contains(change.column); });
            }
        }
        // Overwriting: what the other PC stored is what this write replaces.
        for (ColumnChange& change : left)
            change.before = stored->second[columns.indexOf(change.column)];
        changes = left;
    }
    if (!changes.isEmpty())
        throw DaoError(QStringLiteral("%1 の行が他のパソコンで変更され続けているため、書き込めません").arg(row.table));
    return outcome;
}

bool funcDeleteRow(Database& db, const RowTarget& row, const QStringList& columns, const QVariantList& before,
                   const OverwriteQuestion& ask)
{
    const QString sql = QStringLiteral("DELETE FROM ") + quoted(row.table) + QStringLiteral(" WHERE (") + row.where + QLatin1Char(')');
    qint64 version = row.version;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (db.execute(sql + QStringLiteral(" AND ") + quoted(kVersionColumn) + QStringLiteral(" = ?"),
                       withVersion(row.whereValues, version))
            > 0)
            return true;
        const auto stored = storedRow(db, row, columns);
        if (!stored)
            return false;
        version = stored->first;
        TheirValues theirs;
        for (qsizetype c = 0; c < columns.size(); ++c)
            if (!funcSameValue(stored->second[c], before.value(c)))
                theirs.insert(columns[c], stored->second[c]);
        if (!theirs.isEmpty())
            return ask && ask(theirs) && db.execute(sql, row.whereValues) > 0;
    }
    throw DaoError(QStringLiteral("%1 の行が他のパソコンで変更され続けているため、削除できません").arg(row.table));
}
