// The one open database of the program and the recordsets opened on it.
// The file is an encrypted SQLite database; statements are written in the Jet
// dialect and translated on their way to it (JetDialect.h), so no window needs
// to know the engine.
#pragma once

#include "JetDialect.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Any failure of the engine: a statement that cannot run, a row that cannot be written.
class DaoError : public std::runtime_error {
public:
    explicit DaoError(const QString& message);
};

enum RecordsetTypeEnum : int { dbOpenTable = 1, dbOpenDynaset = 2 };
enum RecordsetOptionEnum : int { dbNone = 0, dbDenyWrite = 1, dbReadOnly = 4 };

namespace detail {
struct StmtDeleter {
    void operator()(sqlite3_stmt* stmt) const;
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtDeleter>;
}

class Database;

// A prepared statement with bound values, for the tools that write many rows.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    void bind(int position, const QVariant& value); // 1-based
    // Runs the statement and resets it for the next set of values.
    void exec();

private:
    sqlite3* m_db;
    detail::StmtPtr m_stmt;
};

class Recordset {
public:
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    ~Recordset();

    bool eof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    // Exact after moveLast, as everywhere else: the rows are read when the recordset opens.
    int recordCount() const;

    int fieldCount() const;
    QString fieldName(int position) const;
    QStringList fieldNames() const { return m_columns; }
    QVariant field(const QString& name) const;
    QVariant field(int position) const;
    // Position of a column by name, letter case ignored; nullopt when there is none.
    std::optional<int> fieldIndex(const QString& name) const;

    // Table-type recordsets only: the key index is called "PrimaryKey".
    void setIndex(const QString& indexName);
    void seek(const QString& comparison, const QVariant& key);
    bool noMatch() const { return m_noMatch; }

    void addNew();
    void edit();
    void setField(const QString& name, const QVariant& value);
    void update();
    void cancelUpdate();
    void deleteRow();
    void close();

    // Hands the rows over (row-major, fieldCount() values per row) without copying.
    std::vector<QVariant> takeValues();

private:
    friend class Database;
    enum class EditMode { None, Edit, AddNew };

    Recordset(Database& db, int type, int options);
    void loadRows(const QString& sql, bool withRowId);
    void loadTableColumns();
    void ensureTableRowsLoaded();
    void requireUpdatable() const;
    void requireCurrentRow() const;
    int columnOrThrow(const QString& name) const;

    Database* m_db = nullptr;
    int m_type = dbOpenDynaset;
    int m_options = dbReadOnly;
    QString m_table;        // the table written to; empty when the source cannot be written
    QString m_keyColumn;    // the primary key of a table-type recordset
    bool m_indexSelected = false;
    bool m_rowsLoaded = false;
    bool m_open = false;
    bool m_noMatch = false;

    QStringList m_columns;
    std::vector<QVariant> m_values;
    std::vector<long long> m_rowIds;
    int m_current = 0;
    int m_rowCount = 0;

    EditMode m_editMode = EditMode::None;
    std::vector<std::optional<QVariant>> m_buffer;
};

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the encrypted file with the program's password; false on any failure.
    bool open(const QString& path, bool exclusive);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // type: dbOpenDynaset or dbOpenTable; source: SQL text, or a table or saved-query name.
    Recordset openRecordset(const QString& source, int type = dbOpenDynaset, int options = dbNone);
    // Applies an action statement at once; returns the number of rows it touched.
    int execute(const QString& sql);
    Statement prepare(const QString& sql);
    bool isTable(const QString& name);
    // Writes that belong together are grouped with a Transaction (below).
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    sqlite3* handle() const;

private:
    sqlite3* m_db = nullptr;
    QString m_path;
};

// Groups writes: begun on construction, rolled back on destruction unless
// committed, so a fault midway leaves none of them behind.
class Transaction {
public:
    explicit Transaction(Database& db);
    Transaction();   // on gDatabase
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& m_db;
    bool m_done = false;
};

// The engine's workspace: held while the database is open. Rolling back undoes
// a transaction left open by a fault.
class Workspace {
public:
    void rollback();
    bool isOpen() const { return m_open; }
    void setOpen(bool open) { m_open = open; }

private:
    bool m_open = false;
};

extern Database gDatabase;
extern Workspace gWorkspace;

inline const QString kDatabasePassword = QStringLiteral("tovmal");
inline const QString kDatabaseFileName = QStringLiteral("Revid.mdb");

bool OpenDatabase(bool exclusive, const QString& path);
void CloseDatabase();
