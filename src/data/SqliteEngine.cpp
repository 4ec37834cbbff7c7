#include "SqliteEngine.h"

#include "DaoCommon.h"
#include "JetDialect.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

#include <bit>
#include <climits>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

struct StmtDeleter {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

[[noreturn]] void throwEngine(sqlite3* db, const QString& context = {})
{
    QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : "database is not open");
    if (!context.isEmpty())
        message += QStringLiteral(" (") + context + QLatin1Char(')');
    throw DaoError(message);
}

StmtPtr prepareStmt(sqlite3* db, const QString& sql)
{
    const QByteArray utf8 = funcJetToSqlite(sql).toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        throwEngine(db, sql.left(200));
    }
    if (!raw)
        throw DaoError(QStringLiteral("空の命令です"));
    return StmtPtr(raw);
}

// A cached statement goes back to its start (and lets go of its locks) however its use ends.
class ResetAfterUse {
public:
    explicit ResetAfterUse(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    ~ResetAfterUse()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    ResetAfterUse(const ResetAfterUse&) = delete;
    ResetAfterUse& operator=(const ResetAfterUse&) = delete;

private:
    sqlite3_stmt* m_stmt;
};

constexpr std::size_t kCachedStatements = 24;

void bindValue(sqlite3* db, sqlite3_stmt* stmt, int position, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt, position);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(stmt, position, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, position, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(stmt, position, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = funcEngineText(value).toUtf8();
            rc = sqlite3_bind_text(stmt, position, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throwEngine(db);
}

void bindAll(sqlite3* db, sqlite3_stmt* stmt, const std::vector<QVariant>& values)
{
    for (size_t k = 0; k < values.size(); ++k)
        bindValue(db, stmt, static_cast<int>(k) + 1, values[k]);
}

QString columnText(sqlite3_stmt* stmt, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

// The texts of a column repeat from row to row (names of grades, subjects and
// teachers, dates, the phrases of comments): a text read before is shared
// instead of being decoded and allocated again. A column whose texts do not
// repeat stops being remembered after a few rows.
class RepeatedTexts {
public:
    // Appends the column's value to the row-major values, built in its place.
    // The connection is one thread's (opened without a mutex), so the column's
    // value may be read directly, without a lock and a check around every call;
    // a connection shared between threads would need sqlite3_column_* again.
    void append(QVariantList& values, sqlite3_stmt* stmt, int column)
    {
        sqlite3_value* v = sqlite3_column_value(stmt, column);
        switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 n = sqlite3_value_int64(v);
            if (n >= INT_MIN && n <= INT_MAX)
                values.emplace_back(static_cast<int>(n));
            else
                values.emplace_back(static_cast<qlonglong>(n));
            break;
        }
        case SQLITE_FLOAT:
            values.emplace_back(sqlite3_value_double(v));
            break;
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
            const std::string_view bytes(text, static_cast<std::size_t>(sqlite3_value_bytes(v)));
            if (m_off)
                values.emplace_back(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
            else
                values.push_back(shared(bytes));
            break;
        }
        case SQLITE_BLOB:
            values.emplace_back(QByteArray(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v)));
            break;
        default:
            values.emplace_back();
        }
    }

private:
    const QVariant& shared(std::string_view key)
    {
        // An unused slot holds no bytes and no value: an empty text must not meet it as Null.
        if (key.empty()) {
            static const QVariant empty{QString(QLatin1String(""))};
            return empty;
        }
        if (m_slots.empty())
            m_slots.resize(kSlots);   // only columns that hold texts need them
        Slot& slot = m_slots[slotOf(key)];
        ++m_reads;
        if (slot.bytes == key) {
            ++m_hits;
            return slot.text;
        }
        if (m_reads == kTrial && m_hits * 4 < m_reads)
            m_off = true;
        slot.bytes.assign(key);
        slot.text = QVariant(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
        return slot.text;
    }

    static constexpr int kSlotBits = 6;
    static constexpr int kSlots = 1 << kSlotBits;
    static constexpr int kTrial = 256;
    struct Slot {
        std::string bytes;
        QVariant text;
    };
    // The length, the first and the last eight bytes spread a column's texts
    // well enough; two texts meeting in a slot only cost a decode.
    static std::size_t slotOf(std::string_view key)
    {
        std::uint64_t head = 0, tail = 0;
        if (!key.empty())
            std::memcpy(&head, key.data(), std::min<std::size_t>(key.size(), 8));
        if (key.size() > 8)
            std::memcpy(&tail, key.data() + key.size() - 8, 8);
        const std::uint64_t mixed = (head ^ std::rotl(tail, 29) ^ key.size()) * 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(mixed >> (64 - kSlotBits));
    }
    std::vector<Slot> m_slots;
    int m_reads = 0;
    int m_hits = 0;
    bool m_off = false;
};

class SqliteStatement final : public EngineStatement {
public:
    SqliteStatement(sqlite3* db, const QString& sql) : m_db(db), m_stmt(prepareStmt(db, sql)) {}
    void bind(int position, const QVariant& value) override { bindValue(m_db, m_stmt.get(), position, value); }
    void exec() override
    {
        const int rc = sqlite3_step(m_stmt.get());
        sqlite3_reset(m_stmt.get());
        sqlite3_clear_bindings(m_stmt.get());
        if (rc != SQLITE_DONE && rc != SQLITE_ROW)
            throwEngine(m_db);
    }

private:
    sqlite3* m_db;
    StmtPtr m_stmt;
};

} // namespace

std::unique_ptr<SqliteEngine> SqliteEngine::open(const QString& path, bool exclusive)
{
    const QFileInfo info(path);
    // An empty file would be taken for a new, empty database and written to.
    if (!info.isFile() || info.size() == 0)
        return nullptr;
    sqlite3* db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    // One thread uses a connection: the per-call locking of a shared one would
    // cost a lock for every value read.
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    const QByteArray key = kDatabasePassword.toUtf8();
    bool ok = sqlite3_key(db, key.constData(), static_cast<int>(key.size())) == SQLITE_OK;
    // The key is only checked on the first read; a wrong key or a foreign file fails here.
    if (ok) {
        sqlite3_stmt* stmt = nullptr;
        ok = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &stmt, nullptr) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_int(stmt, 0) > 0;
        sqlite3_finalize(stmt);
    }
    if (ok && exclusive)
        ok = sqlite3_exec(db, "PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    // The file's pages are small and encrypted: a cache that holds a large school's
    // whole file (it grows only as pages are read) saves decrypting the same pages
    // again and again in a report's joins and in every later statement.
    sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    return std::unique_ptr<SqliteEngine>(new SqliteEngine(db));
}

SqliteEngine::~SqliteEngine()
{
    for (const Prepared& p : m_prepared)
        sqlite3_finalize(p.stmt);
    sqlite3_close_v2(m_db);
}

sqlite3_stmt* SqliteEngine::cachedStatement(const QString& sql)
{
    const auto found = std::find_if(m_prepared.begin(), m_prepared.end(), [&](const Prepared& p) { return p.sql == sql; });
    if (found != m_prepared.end()) {
        m_prepared.splice(m_prepared.begin(), m_prepared, found);
        return found->stmt;
    }
    StmtPtr made = prepareStmt(m_db, sql);
    if (m_prepared.size() >= kCachedStatements) {
        sqlite3_finalize(m_prepared.back().stmt);
        m_prepared.pop_back();
    }
    m_prepared.push_front({sql, made.release()});
    return m_prepared.front().stmt;
}

EngineRows SqliteEngine::query(const QString& sql, const std::vector<QVariant>& values)
{
    sqlite3_stmt* stmt = cachedStatement(sql);
    const ResetAfterUse reset(stmt);
    bindAll(m_db, stmt, values);
    EngineRows rows;
    const int total = sqlite3_column_count(stmt);
    for (int c = 0; c < total; ++c)
        rows.columns << QString::fromUtf8(sqlite3_column_name(stmt, c));
    int rc;
    std::vector<RepeatedTexts> texts(static_cast<std::size_t>(total));
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < total; ++c)
            texts[static_cast<std::size_t>(c)].append(rows.values, stmt, c);
        ++rows.count;
    }
    if (rc != SQLITE_DONE)
        throwEngine(m_db, sql.left(200));
    return rows;
}

int SqliteEngine::execute(const QString& sql, const std::vector<QVariant>& values)
{
    sqlite3_stmt* stmt = cachedStatement(sql);
    const ResetAfterUse reset(stmt);
    bindAll(m_db, stmt, values);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throwEngine(m_db, sql.left(200));
    return sqlite3_changes(m_db);
}

std::unique_ptr<EngineStatement> SqliteEngine::prepare(const QString& sql)
{
    return std::make_unique<SqliteStatement>(m_db, sql);
}

std::optional<TableShape> SqliteEngine::table(const QString& name)
{
    const EngineRows kind = query(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"), {name});
    if (kind.count == 0)
        return std::nullopt;
    auto stmt = prepareStmt(m_db, QStringLiteral("PRAGMA table_info(") + funcQuoteName(name) + QLatin1Char(')'));
    TableShape shape;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const QString column = columnText(stmt.get(), 1);
        shape.columns << column;
        if (sqlite3_column_int(stmt.get(), 5) == 1)
            shape.keyColumn = column;
    }
    shape.identity = QStringList{QStringLiteral("rowid")};
    return shape;
}

QStringList SqliteEngine::columns(const QString& name)
{
    auto stmt = prepareStmt(m_db, QStringLiteral("PRAGMA table_info(") + funcQuoteName(name) + QLatin1Char(')'));
    QStringList names;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW)
        names << columnText(stmt.get(), 1);
    return names;
}

void SqliteEngine::begin()
{
    // The write lock from the start: what a transaction checks (a lesson still
    // there, a student not yet registered) stays true until it commits.
    execute(QStringLiteral("BEGIN IMMEDIATE"));
}

void SqliteEngine::commit()
{
    execute(QStringLiteral("COMMIT"));
}

void SqliteEngine::rollback()
{
    if (inTransaction())
        execute(QStringLiteral("ROLLBACK"));
}

bool SqliteEngine::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}
