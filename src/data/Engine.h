// What the data layer asks of a database engine. DaoCommon's recordsets and
// statements are written once over this; the embedded engine (an encrypted
// file) and the server engine (PostgreSQL) each answer it in their own way.
// Every statement handed to an engine is in the Jet dialect of the windows, or
// built by the layer with quoted names and ? for bound values; the engine turns
// it into its own dialect.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

// The rows of one answer, row-major. A QList, because a value may be moved by
// its bytes: a long answer grows by reallocation instead of value by value.
struct EngineRows {
    QStringList columns;
    QVariantList values;
    int count = 0;
};

// What the layer needs to know of a table to write its rows.
struct TableShape {
    QStringList columns;
    QString keyColumn;      // the one-column primary key, if there is one
    // Expressions that name one row, read with every row of an updatable recordset.
    QStringList identity;
    // The identity is a unique index: a new row that meets a row with the same
    // identity stores its values into that row.
    bool storeIntoExisting = false;
    // The identity is the row's physical place, which an update moves.
    bool identityMoves = false;
};

class EngineStatement {
public:
    virtual ~EngineStatement() = default;
    virtual void bind(int position, const QVariant& value) = 0; // 1-based
    // Runs with the bound values and forgets them.
    virtual void exec() = 0;
};

class Engine {
public:
    enum class Kind { Embedded, Server };
    virtual ~Engine() = default;
    virtual Kind kind() const = 0;

    virtual EngineRows query(const QString& sql, const std::vector<QVariant>& values = {}) = 0;
    // Returns the number of rows the statement touched.
    virtual int execute(const QString& sql, const std::vector<QVariant>& values = {}) = 0;
    virtual std::unique_ptr<EngineStatement> prepare(const QString& sql) = 0;
    // nullopt when there is no such table (a saved query is no table).
    virtual std::optional<TableShape> table(const QString& name) = 0;
    // The columns of a table or saved query, in order; empty when there is none.
    virtual QStringList columns(const QString& name) = 0;

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // The number for a new row of the table: one more than every number the
    // table holds or any client was given before. nullopt where the engine
    // leaves numbering to the largest key (one user at a time).
    virtual std::optional<int> takeNextId(const QString& table, const QString& column) = 0;

    // Within a transaction, before work that replaces the data of every PC: true
    // when no other running program works on the database, and then none starts
    // until the transaction ends. The embedded file is one PC's alone.
    virtual bool holdAlone() { return true; }

    // Reports and backups: statements may run long (a window's are cut short, so
    // that a server that stopped answering never keeps the user waiting for minutes).
    virtual void beginLongWork() {}
    virtual void endLongWork() {}
    // Within the transaction of a restore or an initialization: the programs running
    // on the old data learn it when they connect again.
    virtual void markDataReplaced() {}
};

// A value as the engines store it when it is not a number: dates as their texts.
QString funcEngineText(const QVariant& value);

// Names written by the layer: "name" with quotes doubled.
QString funcQuoteName(const QString& name);
