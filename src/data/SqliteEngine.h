// The embedded engine: the program's encrypted database file.
#pragma once

#include "Engine.h"

struct sqlite3;

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
    sqlite3* m_db;
};
