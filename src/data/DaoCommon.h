// The one open database of the program and the recordsets opened on it.
// The database is the encrypted file Revid.mdb in the program folder, or, when
// the folder holds a file Revid.server, a database on a PostgreSQL server that
// several PCs share. Statements are written in the Jet dialect and translated
// on their way to the engine (JetDialect.h), so no window needs to know which
// engine answers.
#pragma once

#include "Engine.h"
#include "JetDialect.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3;

// Any failure of the engine: a statement that cannot run, a row that cannot be written.
class DaoError : public std::runtime_error {
public:
    explicit DaoError(const QString& message, const QString& sqlState = {});
    // The server's five-character SQLSTATE; empty for the embedded engine.
    QString sqlState() const { return m_sqlState; }

private:
    QString m_sqlState;
};

// Work that replaces every PC's data (a restore, an initialization) while other PCs
// run the program on the same server.
class OthersAtWork : public DaoError {
public:
    OthersAtWork();
};
// The server cannot be reached, stopped answering within the limit of the statement,
// or the user gave up waiting for it. Nothing of the transaction it ended was stored.
class ServerUnavailable : public DaoError {
public:
    // write: the statement belonged to a save (a transaction or an action statement).
    ServerUnavailable(const QString& detail, bool write);
    bool duringWrite() const { return m_write; }
    // Set once the user has been told, so that the handlers further out stay silent.
    bool told() const { return m_told; }
    void setTold() const { m_told = true; }

private:
    bool m_write;
    mutable bool m_told = false;
};
inline const QString kServerUnavailableSaveText =
    QStringLiteral("サーバーに接続できません。ネットワークを確認して、もう一度保存してください。");
inline const QString kServerUnavailableReadText =
    QStringLiteral("サーバーに接続できません。ネットワークを確認して、もう一度行ってください。");

// The server's data was restored or initialized since this program started: what
// its windows hold belongs to the old school, and nothing more may be written.
class DataReplaced : public DaoError {
public:
    DataReplaced();
};
inline const QString kDataReplacedText =
    QStringLiteral("データが復元または初期化されました。楓丸くんを終了して、もう一度起動してください。");

inline const QString kOthersAtWorkText =
    QStringLiteral("他のパソコンで楓丸くんが使われています。すべてのパソコンで楓丸くんを終了してから、もう一度行ってください。");

enum RecordsetTypeEnum : int { dbOpenTable = 1, dbOpenDynaset = 2 };
enum RecordsetOptionEnum : int { dbNone = 0, dbDenyWrite = 1, dbReadOnly = 4 };

class Database;

// A prepared statement with bound values, for the tools that write many rows.
class Statement {
public:
    void bind(int position, const QVariant& value); // 1-based
    // Runs the statement and resets it for the next set of values.
    void exec();

private:
    friend class Database;
    explicit Statement(std::unique_ptr<EngineStatement> stmt) : m_stmt(std::move(stmt)) {}
    std::unique_ptr<EngineStatement> m_stmt;
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
    // The first column of that name (a join may repeat a name).
    QVariant field(const QString& name) const;
    // The column at that position, whatever its name.
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
    // True when the row was stored; false when another PC deleted it after it was
    // read (the caller tells the user and decides what happens next).
    [[nodiscard]] bool update();
    void cancelUpdate();
    void deleteRow();
    void close();

    // Hands the rows over (row-major, fieldCount() values per row) without copying.
    QVariantList takeValues();

private:
    friend class Database;
    enum class EditMode { None, Edit, AddNew };

    Recordset(Database& db, int type, int options);
    // identityWidth: the leading columns of the answer that name the row (not shown as fields).
    void loadRows(const QString& sql, int identityWidth, const std::vector<QVariant>& values = {});
    void ensureTableRowsLoaded();
    void requireUpdatable() const;
    void requireCurrentRow() const;
    int columnOrThrow(const QString& name) const;
    QVariant value(int column) const;
    QString selectWithIdentity() const;
    // " WHERE" + the identity of the current row, its values appended to values.
    QString identityCondition(std::vector<QVariant>& values) const;
    void storeNewRow(const std::vector<int>& assigned);
    bool storeEditedRow(const std::vector<int>& assigned);

    Database* m_db = nullptr;
    int m_type = dbOpenDynaset;
    int m_options = dbReadOnly;
    QString m_table;        // the table written to; empty when the source cannot be written
    TableShape m_shape;     // of m_table
    bool m_indexSelected = false;
    bool m_rowsLoaded = false;
    bool m_open = false;
    bool m_noMatch = false;

    QStringList m_columns;
    QVariantList m_values;
    std::vector<QVariant> m_identity;   // row-major, m_shape.identity.size() per row
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
    // Connects to a database of this program on a server (a libpq connection
    // text); false on any failure, with the reason in *reason.
    bool openServer(const QString& connection, QString* reason = nullptr);
    void close();
    bool isOpen() const { return m_engine != nullptr; }
    bool isServer() const { return m_engine && m_engine->kind() == Engine::Kind::Server; }
    // The file, or the server's connection text.
    QString path() const { return m_path; }

    // type: dbOpenDynaset or dbOpenTable; source: SQL text, or a table or saved-query name.
    Recordset openRecordset(const QString& source, int type = dbOpenDynaset, int options = dbNone);
    // The same with values bound to the ? of the statement, in order: typed text
    // goes this way, never into the statement's text.
    Recordset openRecordset(const QString& sql, int type, const std::vector<QVariant>& values, int options = dbNone);
    // Applies an action statement at once; returns the number of rows it touched.
    int execute(const QString& sql, const std::vector<QVariant>& values = {});
    Statement prepare(const QString& sql);
    bool isTable(const QString& name);
    // Writes that belong together are grouped with a Transaction (below).
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;
    // See Engine::takeNextId.
    std::optional<int> takeNextId(const QString& table, const QString& column);
    // Within a transaction: throws OthersAtWork unless no other PC runs the program (Engine::holdAlone).
    void requireAlone();
    // Within the transaction of a restore or an initialization (Engine::markDataReplaced).
    void markDataReplaced();
    // Within a transaction: takes the lock of that number for its rest, waiting for
    // another PC to give it up; false when the wait runs out. The embedded file's
    // transactions hold its write lock from their start, which is lock enough.
    bool holdLock(int key, std::chrono::milliseconds wait);
    // Today by the database's clock: on a server every PC's day is the server's.
    QDate today();

    Engine& engine() const;
    // The embedded engine's own handle, for measuring it alone; throws in server mode.
    sqlite3* handle() const;
    std::optional<TableShape> tableShape(const QString& name);
    // The columns of a table or saved query, in order; empty when there is none.
    QStringList columnsOf(const QString& name);
    // Forgets what is known of the tables, after their columns changed.
    void forgetShapes() { m_shapes.clear(); }

private:
    std::unique_ptr<Engine> m_engine;
    QString m_path;
    QHash<QString, std::optional<TableShape>> m_shapes;   // tables do not change while open
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

// Long work on a database (a report, a backup): its statements keep the long limit
// while the object lives.
class LongWork {
public:
    explicit LongWork(Database& db);
    LongWork();   // on gDatabase
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

private:
    Database& m_db;
    Engine* m_engine = nullptr;
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
// Beside Revid.mdb: the connection text of the server the program works on instead.
inline const QString kServerFileName = QStringLiteral("Revid.server");

// Opens the program's database: the server named by Revid.server beside a path
// ending in Revid.mdb, otherwise the file. A server that cannot be reached is
// written to the error log (the caller tells the user).
bool OpenDatabase(bool exclusive, const QString& path);
// Brings the database just opened up to date (Migration.h), keeping a copy in
// Backup/ beside path first; false, with the database closed and the cause in
// the error log, when that fails.
bool funcMigrateOpened(const QString& path);
// Why the last OpenDatabase failed when the user can do something about it
// (a server school of an earlier version); "" otherwise.
QString funcOpenProblem();
// The server's connection text when the folder of the path holds Revid.server.
std::optional<QString> funcServerConnection(const QString& databasePath);
// The connection text a server file holds (a byte-order mark left out); nullopt
// when there is no such file, "" when it cannot be read.
std::optional<QString> funcReadServerFile(const QString& path);
void CloseDatabase();
