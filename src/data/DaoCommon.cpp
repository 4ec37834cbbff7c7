#include "DaoCommon.h"

#include "ErrorLog.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlcipher/sqlite3.h>

Database gDatabase;
Workspace gWorkspace;

DaoError::DaoError(const QString& message) : std::runtime_error(message.toStdString()) {}

namespace detail {
void StmtDeleter::operator()(sqlite3_stmt* stmt) const
{
    sqlite3_finalize(stmt);
}
} // namespace detail

namespace {

[[noreturn]] void throwEngine(sqlite3* db, const QString& context = {})
{
    QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : "database is not open");
    if (!context.isEmpty())
        message += QStringLiteral(" (") + context + QLatin1Char(')');
    throw DaoError(message);
}

detail::StmtPtr prepareStmt(sqlite3* db, const QString& sql)
{
    if (!db)
        throw DaoError(QStringLiteral("データベースが開かれていません"));
    const QByteArray utf8 = funcCompactIdChain(funcJetToSqlite(sql)).toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        throwEngine(db, sql.left(200));
    }
    if (!raw)
        throw DaoError(QStringLiteral("空の命令です"));
    return detail::StmtPtr(raw);
}

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
        case QMetaType::QDate:
            rc = sqlite3_bind_text(stmt, position, value.toDate().toString(QStringLiteral("yyyy/MM/dd")).toUtf8().constData(), -1, SQLITE_TRANSIENT);
            break;
        case QMetaType::QDateTime:
            rc = sqlite3_bind_text(stmt, position, value.toDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")).toUtf8().constData(), -1, SQLITE_TRANSIENT);
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(stmt, position, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, position, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throwEngine(db);
}

QVariant columnValue(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(stmt, column);
        if (v >= INT_MIN && v <= INT_MAX)
            return QVariant(static_cast<int>(v));
        return QVariant(static_cast<qlonglong>(v));
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto* blob = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        return QVariant(QByteArray(blob, sqlite3_column_bytes(stmt, column)));
    }
    default:
        return QVariant();
    }
}

QString quoteIdent(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

bool isPlainName(const QString& source)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[\\w\\[\\]]+\\s*$"),
                                       QRegularExpression::UseUnicodePropertiesOption);
    return re.match(source).hasMatch();
}

QString plainName(const QString& source)
{
    QString name = source.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    return name;
}

// The one table a SELECT reads from, when it reads from one table only.
struct SingleTableSelect {
    QString table;
    QString sqlWithRowId;
};

std::optional<SingleTableSelect> singleTableSelect(const QString& sql)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*SELECT\\s+(.*?)\\s+FROM\\s+\\[?([\\w]+)\\]?(\\s+(WHERE|ORDER)\\b.*)?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption
            | QRegularExpression::UseUnicodePropertiesOption);
    const auto m = re.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    const QString columns = m.captured(1);
    if (columns.contains(QLatin1Char('(')) || columns.contains(QStringLiteral("DISTINCT"), Qt::CaseInsensitive))
        return std::nullopt;
    const QString table = m.captured(2);
    SingleTableSelect result;
    result.table = table;
    result.sqlWithRowId = QStringLiteral("SELECT ") + quoteIdent(table) + QStringLiteral(".rowid, ") + columns
        + QStringLiteral(" FROM ") + quoteIdent(table) + m.captured(3);
    return result;
}

} // namespace

// ---------------------------------------------------------------- Statement

Statement::Statement(sqlite3* db, const QString& sql) : m_db(db), m_stmt(prepareStmt(db, sql)) {}

void Statement::bind(int position, const QVariant& value)
{
    bindValue(m_db, m_stmt.get(), position, value);
}

void Statement::exec()
{
    const int rc = sqlite3_step(m_stmt.get());
    sqlite3_reset(m_stmt.get());
    sqlite3_clear_bindings(m_stmt.get());
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throwEngine(m_db);
}

// ---------------------------------------------------------------- Recordset

Recordset::Recordset(Database& db, int type, int options) : m_db(&db), m_type(type), m_options(options), m_open(true) {}

Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

void Recordset::loadRows(const QString& sql, bool withRowId)
{
    auto stmt = prepareStmt(m_db->handle(), sql);
    const int total = sqlite3_column_count(stmt.get());
    const int first = withRowId ? 1 : 0;
    m_columns.clear();
    for (int c = first; c < total; ++c)
        m_columns << QString::fromUtf8(sqlite3_column_name(stmt.get(), c));
    m_values.clear();
    m_rowIds.clear();
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        if (withRowId)
            m_rowIds.push_back(sqlite3_column_int64(stmt.get(), 0));
        for (int c = first; c < total; ++c)
            m_values.push_back(columnValue(stmt.get(), c));
        ++rows;
    }
    if (rc != SQLITE_DONE)
        throwEngine(m_db->handle(), sql.left(200));
    m_rowCount = rows;
    m_current = 0;
    m_rowsLoaded = true;
}

void Recordset::loadTableColumns()
{
    auto stmt = prepareStmt(m_db->handle(), QStringLiteral("PRAGMA table_info(") + quoteIdent(m_table) + QLatin1Char(')'));
    m_columns.clear();
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const QString name = columnValue(stmt.get(), 1).toString();
        m_columns << name;
        if (sqlite3_column_int(stmt.get(), 5) == 1)
            m_keyColumn = name;
    }
    if (m_columns.isEmpty())
        throw DaoError(QStringLiteral("テーブル '%1' が見つかりません").arg(m_table));
}

void Recordset::ensureTableRowsLoaded()
{
    if (m_rowsLoaded)
        return;
    QString sql = QStringLiteral("SELECT rowid, * FROM ") + quoteIdent(m_table);
    if (!m_keyColumn.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + quoteIdent(m_keyColumn);
    loadRows(sql, true);
}

bool Recordset::eof() const
{
    const_cast<Recordset*>(this)->ensureTableRowsLoaded();
    return m_current >= m_rowCount;
}

void Recordset::moveFirst()
{
    ensureTableRowsLoaded();
    m_current = 0;
}

void Recordset::moveLast()
{
    ensureTableRowsLoaded();
    m_current = m_rowCount > 0 ? m_rowCount - 1 : 0;
}

void Recordset::moveNext()
{
    ensureTableRowsLoaded();
    if (m_current >= m_rowCount)
        throw DaoError(QStringLiteral("カレント レコードがありません"));
    ++m_current;
}

int Recordset::recordCount() const
{
    const_cast<Recordset*>(this)->ensureTableRowsLoaded();
    return m_rowCount;
}

int Recordset::fieldCount() const
{
    return static_cast<int>(m_columns.size());
}

QString Recordset::fieldName(int position) const
{
    if (position < 0 || position >= m_columns.size())
        throw DaoError(QStringLiteral("列番号 %1 はありません").arg(position));
    return m_columns[position];
}

std::optional<int> Recordset::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

int Recordset::columnOrThrow(const QString& name) const
{
    const auto index = fieldIndex(name);
    if (!index)
        throw DaoError(QStringLiteral("このコレクションには項目 '%1' がありません").arg(name));
    return *index;
}

void Recordset::requireCurrentRow() const
{
    if (eof())
        throw DaoError(QStringLiteral("カレント レコードがありません"));
}

QVariant Recordset::field(const QString& name) const
{
    return field(columnOrThrow(name));
}

// By position: a list reading thousands of rows looks its columns up once.
QVariant Recordset::field(int column) const
{
    if (column < 0 || column >= m_columns.size())
        throw DaoError(QStringLiteral("このコレクションには項目 '%1' がありません").arg(column));
    if (m_editMode != EditMode::None && m_buffer[column])
        return *m_buffer[column];
    if (m_editMode == EditMode::AddNew)
        return QVariant();
    requireCurrentRow();
    return m_values[static_cast<size_t>(m_current) * m_columns.size() + column];
}

void Recordset::setIndex(const QString& indexName)
{
    if (m_type != dbOpenTable)
        throw DaoError(QStringLiteral("この操作はテーブル型のレコードセットでのみ使えます"));
    if (indexName.compare(QLatin1String("PrimaryKey"), Qt::CaseInsensitive) != 0 || m_keyColumn.isEmpty())
        throw DaoError(QStringLiteral("'%1' はこのテーブルのインデックスではありません").arg(indexName));
    m_indexSelected = true;
}

void Recordset::seek(const QString& comparison, const QVariant& key)
{
    if (!m_indexSelected)
        throw DaoError(QStringLiteral("インデックスが選択されていません"));
    if (comparison.trimmed() != QLatin1String("="))
        throw DaoError(QStringLiteral("比較 '%1' には対応していません").arg(comparison));
    // The key alone is read; the recordset then stands on that row or on none.
    QString sql = QStringLiteral("SELECT rowid, * FROM ") + quoteIdent(m_table) + QStringLiteral(" WHERE ")
        + quoteIdent(m_keyColumn) + QStringLiteral(" = ?");
    auto stmt = prepareStmt(m_db->handle(), sql);
    bindValue(m_db->handle(), stmt.get(), 1, key);
    m_values.clear();
    m_rowIds.clear();
    m_rowCount = 0;
    const int total = sqlite3_column_count(stmt.get());
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW) {
        m_rowIds.push_back(sqlite3_column_int64(stmt.get(), 0));
        for (int c = 1; c < total; ++c)
            m_values.push_back(columnValue(stmt.get(), c));
        m_rowCount = 1;
    } else if (rc != SQLITE_DONE) {
        throwEngine(m_db->handle());
    }
    m_rowsLoaded = true;
    m_current = 0;
    m_noMatch = (m_rowCount == 0);
}

void Recordset::requireUpdatable() const
{
    if (!m_open)
        throw DaoError(QStringLiteral("レコードセットは閉じられています"));
    if ((m_options & dbReadOnly) || m_table.isEmpty())
        throw DaoError(QStringLiteral("このレコードセットは更新できません"));
}

void Recordset::addNew()
{
    requireUpdatable();
    m_buffer.assign(m_columns.size(), std::nullopt);
    m_editMode = EditMode::AddNew;
}

void Recordset::edit()
{
    requireUpdatable();
    requireCurrentRow();
    m_buffer.assign(m_columns.size(), std::nullopt);
    m_editMode = EditMode::Edit;
}

void Recordset::setField(const QString& name, const QVariant& value)
{
    if (m_editMode == EditMode::None)
        throw DaoError(QStringLiteral("AddNew または Edit を先に実行してください"));
    m_buffer[columnOrThrow(name)] = value;
}

void Recordset::update()
{
    if (m_editMode == EditMode::None)
        throw DaoError(QStringLiteral("AddNew または Edit を先に実行してください"));
    std::vector<int> assigned;
    for (int c = 0; c < static_cast<int>(m_buffer.size()); ++c)
        if (m_buffer[c])
            assigned.push_back(c);
    sqlite3* db = m_db->handle();
    if (m_editMode == EditMode::AddNew) {
        QString sql = QStringLiteral("INSERT INTO ") + quoteIdent(m_table);
        if (assigned.empty()) {
            sql += QStringLiteral(" DEFAULT VALUES");
        } else {
            QStringList names, marks;
            for (int c : assigned) {
                names << quoteIdent(m_columns[c]);
                marks << QStringLiteral("?");
            }
            sql += QLatin1String(" (") + names.join(QLatin1Char(',')) + QLatin1String(") VALUES (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        auto stmt = prepareStmt(db, sql);
        for (size_t k = 0; k < assigned.size(); ++k)
            bindValue(db, stmt.get(), static_cast<int>(k) + 1, *m_buffer[assigned[k]]);
        if (sqlite3_step(stmt.get()) != SQLITE_DONE)
            throwEngine(db);
    } else if (!assigned.empty()) {
        QStringList sets;
        for (int c : assigned)
            sets << quoteIdent(m_columns[c]) + QStringLiteral(" = ?");
        auto stmt = prepareStmt(db, QStringLiteral("UPDATE ") + quoteIdent(m_table) + QStringLiteral(" SET ")
                                        + sets.join(QLatin1Char(',')) + QStringLiteral(" WHERE rowid = ?"));
        for (size_t k = 0; k < assigned.size(); ++k)
            bindValue(db, stmt.get(), static_cast<int>(k) + 1, *m_buffer[assigned[k]]);
        sqlite3_bind_int64(stmt.get(), static_cast<int>(assigned.size()) + 1, m_rowIds[m_current]);
        if (sqlite3_step(stmt.get()) != SQLITE_DONE)
            throwEngine(db);
        // The recordset shows what was stored.
        for (int c : assigned)
            m_values[static_cast<size_t>(m_current) * m_columns.size() + c] = *m_buffer[c];
    }
    m_editMode = EditMode::None;
    m_buffer.clear();
}

void Recordset::cancelUpdate()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
}

void Recordset::deleteRow()
{
    requireUpdatable();
    requireCurrentRow();
    sqlite3* db = m_db->handle();
    auto stmt = prepareStmt(db, QStringLiteral("DELETE FROM ") + quoteIdent(m_table) + QStringLiteral(" WHERE rowid = ?"));
    sqlite3_bind_int64(stmt.get(), 1, m_rowIds[m_current]);
    if (sqlite3_step(stmt.get()) != SQLITE_DONE)
        throwEngine(db);
    const auto width = static_cast<std::ptrdiff_t>(m_columns.size());
    m_values.erase(m_values.begin() + m_current * width, m_values.begin() + (m_current + 1) * width);
    m_rowIds.erase(m_rowIds.begin() + m_current);
    --m_rowCount;
}

void Recordset::close()
{
    m_open = false;
    m_values.clear();
    m_rowIds.clear();
    m_rowCount = 0;
    m_current = 0;
    m_rowsLoaded = true;
    m_editMode = EditMode::None;
}

std::vector<QVariant> Recordset::takeValues()
{
    ensureTableRowsLoaded();
    return std::move(m_values);
}

// ---------------------------------------------------------------- Database

Database::~Database()
{
    close();
}

sqlite3* Database::handle() const
{
    if (!m_db)
        throw DaoError(QStringLiteral("データベースが開かれていません"));
    return m_db;
}

bool Database::open(const QString& path, bool exclusive)
{
    const QFileInfo info(path);
    // An empty file would be taken for a new, empty database and written to.
    if (!info.isFile() || info.size() == 0)
        return false;
    sqlite3* db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
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
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    // The file's pages are small and encrypted: a cache that holds a large school's
    // whole file (it grows only as pages are read) saves decrypting the same pages
    // again and again in a report's joins and in every later statement.
    sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    close();
    m_db = db;
    m_path = path;
    return true;
}

void Database::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_path.clear();
}

Recordset Database::openRecordset(const QString& source, int type, int options)
{
    Recordset rs(*this, type, options);
    if (type == dbOpenTable) {
        if (!isPlainName(source))
            throw DaoError(QStringLiteral("テーブル型のレコードセットはテーブル名で開いてください"));
        rs.m_table = plainName(source);
        rs.loadTableColumns();
        rs.m_rowsLoaded = false;
        return rs;
    }
    const QString sql = isPlainName(source) ? QStringLiteral("SELECT * FROM ") + quoteIdent(plainName(source)) : source;
    if (!(options & dbReadOnly)) {
        auto single = singleTableSelect(sql);
        // Saved queries are read-only: rows are written to tables only.
        if (single && isTable(single->table)) {
            rs.m_table = single->table;
            rs.loadRows(single->sqlWithRowId, true);
            return rs;
        }
    }
    rs.loadRows(sql, false);
    return rs;
}

bool Database::isTable(const QString& name)
{
    auto stmt = prepareStmt(handle(), QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    bindValue(m_db, stmt.get(), 1, name);
    return sqlite3_step(stmt.get()) == SQLITE_ROW;
}

int Database::execute(const QString& sql)
{
    auto stmt = prepareStmt(handle(), sql);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throwEngine(m_db, sql.left(200));
    return sqlite3_changes(m_db);
}

Statement Database::prepare(const QString& sql)
{
    return Statement(handle(), sql);
}

void Database::beginTransaction()
{
    execute(QStringLiteral("BEGIN"));
}

void Database::commit()
{
    execute(QStringLiteral("COMMIT"));
}

void Database::rollback()
{
    if (inTransaction())
        execute(QStringLiteral("ROLLBACK"));
}

bool Database::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_db.beginTransaction();
}

Transaction::Transaction() : Transaction(gDatabase) {}

Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        m_db.rollback();
    } catch (...) {
        // A failed roll-back leaves the engine to undo the writes when the file closes.
    }
}

void Transaction::commit()
{
    m_db.commit();
    m_done = true;
}

void Workspace::rollback()
{
    try {
        gDatabase.rollback();
    } catch (...) {
        // Called on the way out after a fault: nothing more can be done here.
    }
}

// ---------------------------------------------------------------- DaoCommon

bool OpenDatabase(bool exclusive, const QString& path)
{
    try {
        gWorkspace.setOpen(true);
        // A copied or restored file may be read-only; it must be writable again.
        QFile file(path);
        if (!file.exists())
            return false;
        if (!file.setPermissions(file.permissions() | QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return false;
        return gDatabase.open(path, exclusive);
    } catch (...) {
        return false;
    }
}

void CloseDatabase()
{
    try {
        gDatabase.close();
        gWorkspace.setOpen(false);
    } catch (...) {
        subErrorLog(QStringLiteral("DaoCommon.bas - CloseDatabase"));
    }
}
