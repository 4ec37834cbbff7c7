// The embedded engine: the program's encrypted database file.
#pragma once

#include "Engine.h"

#include <list>

struct sqlite3;
struct sqlite3_stmt;

class SqliteEngine final : public Engine {
public:
    // Opens the file with the program's password; nullptr when it is missing,
    // empty, not a database, or has another password.
    static std::unique_ptr<SqliteEngine> open(const QString& path, bool exclusive);
    ~SqliteEngine() override;

    Kind kind() const override { return Kind::Embedded; }
    EngineRows query(const QString& sql, const std::vector<QVariant>& values = {}) override;
    int execute(const QString& sql, const std::vector<QVariant>& values = {}) override;
    std::unique_ptr<EngineStatement> prepare(const QString& sql) override;
    std::optional<TableShape> table(const QString& name) override;
    QStringList columns(const QString& name) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    std::optional<int> takeNextId(const QString&, const QString&) override { return std::nullopt; }

    sqlite3* handle() const { return m_db; }

private:
    explicit SqliteEngine(sqlite3* db) : m_db(db) {}
    // A statement run again (a row of an import, the next number) is prepared once:
    // the last few are kept, reset after every use so that none holds a lock.
    // Owned by the cache; reset by the caller after use (ResetAfterUse).
    sqlite3_stmt* cachedStatement(const QString& sql);

    struct Prepared {
        QString sql;
        sqlite3_stmt* stmt;
    };
    sqlite3* m_db;
    std::list<Prepared> m_prepared;   // most recently used first
};
