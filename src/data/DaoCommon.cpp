#include "DaoCommon.h"

#include "CommonBase.h"
#include "ErrorLog.h"
#include "Migration.h"
#include "PgEngine.h"
#include "SqliteEngine.h"
#include "UiServices.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QRegularExpression>

Database gDatabase;
Workspace gWorkspace;

DaoError::DaoError(const QString& message, const QString& sqlState)
    : std::runtime_error(message.toStdString()), m_sqlState(sqlState)
{
}

OthersAtWork::OthersAtWork() : DaoError(kOthersAtWorkText) {}

ServerUnavailable::ServerUnavailable(const QString& detail, bool write) : DaoError(detail), m_write(write) {}

DataReplaced::DataReplaced() : DaoError(kDataReplacedText) {}

QString funcQuoteName(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString funcEngineText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    default:
        return value.toString();
    }
}

namespace {

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
    QString columns;
    QString rest;   // WHERE / ORDER BY
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
    return SingleTableSelect{m.captured(2), columns, m.captured(3)};
}

} // namespace

// ---------------------------------------------------------------- Statement

void Statement::bind(int position, const QVariant& value)
{
    m_stmt->bind(position, value);
}

void Statement::exec()
{
    m_stmt->exec();
}

// ---------------------------------------------------------------- Recordset

Recordset::Recordset(Database& db, int type, int options) : m_db(&db), m_type(type), m_options(options), m_open(true) {}

Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

void Recordset::loadRows(const QString& sql, int identityWidth, const std::vector<QVariant>& values)
{
    EngineRows rows = m_db->engine().query(sql, values);
    m_columns = rows.columns.mid(identityWidth);
    m_identity.clear();
    if (identityWidth == 0) {
        m_values = std::move(rows.values);
    } else {
        // The identity columns are kept apart from the fields.
        const size_t total = rows.columns.size();
        m_values.clear();
        m_values.reserve(static_cast<size_t>(rows.count) * m_columns.size());
        m_identity.reserve(static_cast<size_t>(rows.count) * identityWidth);
        for (int r = 0; r < rows.count; ++r) {
            auto row = rows.values.begin() + static_cast<std::ptrdiff_t>(r * total);
            m_identity.insert(m_identity.end(), std::make_move_iterator(row), std::make_move_iterator(row + identityWidth));
            std::move(row + identityWidth, row + total, std::back_inserter(m_values));
        }
    }
    m_rowCount = rows.count;
    m_current = 0;
    m_rowsLoaded = true;
}

QString Recordset::selectWithIdentity() const
{
    QStringList parts;
    for (const QString& expression : m_shape.identity)
        parts << funcQuoteName(m_table) + QLatin1Char('.') + expression;
    return QStringLiteral("SELECT ") + parts.join(QStringLiteral(", "));
}

void Recordset::ensureTableRowsLoaded()
{
    if (m_rowsLoaded)
        return;
    QString sql = selectWithIdentity() + QStringLiteral(", * FROM ") + funcQuoteName(m_table);
    if (!m_shape.keyColumn.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + funcQuoteName(m_shape.keyColumn);
    loadRows(sql, static_cast<int>(m_shape.identity.size()));
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

QVariant Recordset::value(int column) const
{
    if (m_editMode != EditMode::None && m_buffer[column])
        return *m_buffer[column];
    if (m_editMode == EditMode::AddNew)
        return QVariant();
    requireCurrentRow();
    return m_values.at(static_cast<qsizetype>(m_current) * m_columns.size() + column);
}

QVariant Recordset::field(const QString& name) const
{
    return value(columnOrThrow(name));
}

QVariant Recordset::field(int position) const
{
    fieldName(position);   // throws for a position that is not there
    return value(position);
}

void Recordset::setIndex(const QString& indexName)
{
    if (m_type != dbOpenTable)
        throw DaoError(QStringLiteral("この操作はテーブル型のレコードセットでのみ使えます"));
    if (indexName.compare(QLatin1String("PrimaryKey"), Qt::CaseInsensitive) != 0 || m_shape.keyColumn.isEmpty())
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
    loadRows(selectWithIdentity() + QStringLiteral(", * FROM ") + funcQuoteName(m_table) + QStringLiteral(" WHERE ")
                 + funcQuoteName(m_shape.keyColumn) + QStringLiteral(" = ?"),
             static_cast<int>(m_shape.identity.size()), {key});
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

QString Recordset::identityCondition(std::vector<QVariant>& values) const
{
    const size_t width = m_shape.identity.size();
    QStringList terms;
    for (size_t k = 0; k < width; ++k) {
        const QVariant& v = m_identity[static_cast<size_t>(m_current) * width + k];
        if (v.isNull()) {
            terms << m_shape.identity[k] + QStringLiteral(" IS NULL");
        } else {
            terms << m_shape.identity[k] + QStringLiteral(" = ?");
            values.push_back(v);
        }
    }
    return QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

void Recordset::storeNewRow(const std::vector<int>& assigned)
{
    QString sql = QStringLiteral("INSERT INTO ") + funcQuoteName(m_table);
    std::vector<QVariant> values;
    if (assigned.empty()) {
        sql += QStringLiteral(" DEFAULT VALUES");
    } else {
        QStringList names, marks;
        for (int c : assigned) {
            names << funcQuoteName(m_columns[c]);
            marks << QStringLiteral("?");
            values.push_back(*m_buffer[c]);
        }
        sql += QLatin1String(" (") + names.join(QLatin1Char(',')) + QLatin1String(") VALUES (") + marks.join(QLatin1Char(','))
            + QLatin1Char(')');
        // Another PC may have added the same row a moment ago: the values go into that row.
        if (m_shape.storeIntoExisting) {
            QStringList sets;
            for (int c : assigned)
                if (!m_shape.identity.contains(funcQuoteName(m_columns[c]), Qt::CaseInsensitive))
                    sets << funcQuoteName(m_columns[c]) + QStringLiteral(" = EXCLUDED.") + funcQuoteName(m_columns[c]);
            sql += QStringLiteral(" ON CONFLICT (") + m_shape.identity.join(QLatin1Char(',')) + QLatin1Char(')')
                + (sets.isEmpty() ? QStringLiteral(" DO NOTHING") : QStringLiteral(" DO UPDATE SET ") + sets.join(QLatin1Char(',')));
        }
    }
    m_db->engine().execute(sql, values);
}

bool Recordset::storeEditedRow(const std::vector<int>& assigned)
{
    QStringList sets;
    std::vector<QVariant> values;
    for (int c : assigned) {
        sets << funcQuoteName(m_columns[c]) + QStringLiteral(" = ?");
        values.push_back(*m_buffer[c]);
    }
    QString sql = QStringLiteral("UPDATE ") + funcQuoteName(m_table) + QStringLiteral(" SET ") + sets.join(QLatin1Char(','))
        + identityCondition(values);
    const size_t width = m_shape.identity.size();
    bool stored;
    if (m_shape.identityMoves) {
        const EngineRows moved = m_db->engine().query(sql + QStringLiteral(" RETURNING ") + m_shape.identity.join(QLatin1Char(',')), values);
        stored = moved.count > 0;
        if (stored)
            std::copy(moved.values.begin(), moved.values.begin() + static_cast<std::ptrdiff_t>(width),
                      m_identity.begin() + static_cast<std::ptrdiff_t>(m_current * width));
    } else {
        stored = m_db->engine().execute(sql, values) > 0;
    }
    // Another PC deleted the row after it was read: nothing is left to store into.
    if (!stored)
        return false;
    // The recordset shows what was stored.
    for (int c : assigned)
        m_values[static_cast<qsizetype>(m_current) * m_columns.size() + static_cast<qsizetype>(c)] = *m_buffer[c];
    // An identity column written anew names the row from now on.
    for (size_t k = 0; k < width; ++k)
        for (int c : assigned)
            if (funcQuoteName(m_columns[c]).compare(m_shape.identity[k], Qt::CaseInsensitive) == 0)
                m_identity[static_cast<size_t>(m_current) * width + k] = *m_buffer[c];
    return true;
}

bool Recordset::update()
{
    if (m_editMode == EditMode::None)
        throw DaoError(QStringLiteral("AddNew または Edit を先に実行してください"));
    std::vector<int> assigned;
    for (int c = 0; c < static_cast<int>(m_buffer.size()); ++c)
        if (m_buffer[c])
            assigned.push_back(c);
    bool stored = true;
    if (m_editMode == EditMode::AddNew)
        storeNewRow(assigned);
    else if (!assigned.empty())
        stored = storeEditedRow(assigned);
    m_editMode = EditMode::None;
    m_buffer.clear();
    return stored;
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
    std::vector<QVariant> values;
    // A row another PC deleted already is gone all the same.
    m_db->engine().execute(QStringLiteral("DELETE FROM ") + funcQuoteName(m_table) + identityCondition(values), values);
    const auto width = static_cast<std::ptrdiff_t>(m_columns.size());
    m_values.erase(m_values.begin() + m_current * width, m_values.begin() + (m_current + 1) * width);
    const auto idWidth = static_cast<std::ptrdiff_t>(m_shape.identity.size());
    m_identity.erase(m_identity.begin() + m_current * idWidth, m_identity.begin() + (m_current + 1) * idWidth);
    --m_rowCount;
}

void Recordset::close()
{
    m_open = false;
    m_values.clear();
    m_identity.clear();
    m_rowCount = 0;
    m_current = 0;
    m_rowsLoaded = true;
    m_editMode = EditMode::None;
}

QVariantList Recordset::takeValues()
{
    ensureTableRowsLoaded();
    return std::move(m_values);
}

// ---------------------------------------------------------------- Database

Database::~Database()
{
    close();
}

Engine& Database::engine() const
{
    if (!m_engine)
        throw DaoError(QStringLiteral("データベースが開かれていません"));
    return *m_engine;
}

sqlite3* Database::handle() const
{
    auto* embedded = dynamic_cast<SqliteEngine*>(&engine());
    if (!embedded)
        throw DaoError(QStringLiteral("サーバーのデータベースです"));
    return embedded->handle();
}

bool Database::open(const QString& path, bool exclusive)
{
    auto engine = SqliteEngine::open(path, exclusive);
    if (!engine)
        return false;
    close();
    m_engine = std::move(engine);
    m_path = path;
    return true;
}

bool Database::openServer(const QString& connection, QString* reason)
{
    auto engine = PgEngine::connect(connection, reason);
    if (!engine)
        return false;
    close();
    m_engine = std::move(engine);
    m_path = connection;
    return true;
}

void Database::close()
{
    m_engine.reset();
    m_shapes.clear();
    m_path.clear();
}

std::optional<TableShape> Database::tableShape(const QString& name)
{
    const QString key = name.toCaseFolded();
    auto it = m_shapes.constFind(key);
    if (it == m_shapes.constEnd())
        it = m_shapes.insert(key, engine().table(name));
    return *it;
}

Recordset Database::openRecordset(const QString& source, int type, int options)
{
    return openRecordset(source, type, {}, options);
}

Recordset Database::openRecordset(const QString& source, int type, const std::vector<QVariant>& values, int options)
{
    Recordset rs(*this, type, options);
    if (type == dbOpenTable) {
        if (!isPlainName(source))
            throw DaoError(QStringLiteral("テーブル型のレコードセットはテーブル名で開いてください"));
        rs.m_table = plainName(source);
        const auto shape = tableShape(rs.m_table);
        if (!shape)
            throw DaoError(QStringLiteral("テーブル '%1' が見つかりません").arg(rs.m_table));
        rs.m_shape = *shape;
        rs.m_columns = shape->columns;
        rs.m_rowsLoaded = false;
        return rs;
    }
    const QString sql = isPlainName(source) ? QStringLiteral("SELECT * FROM ") + funcQuoteName(plainName(source)) : source;
    if (!(options & dbReadOnly)) {
        auto single = singleTableSelect(sql);
        // Saved queries are read-only: rows are written to tables only.
        if (single) {
            if (const auto shape = tableShape(single->table)) {
                rs.m_table = single->table;
                rs.m_shape = *shape;
                rs.loadRows(rs.selectWithIdentity() + QStringLiteral(", ") + single->columns + QStringLiteral(" FROM ")
                                + funcQuoteName(single->table) + single->rest,
                            static_cast<int>(shape->identity.size()), values);
                return rs;
            }
        }
    }
    rs.loadRows(sql, 0, values);
    return rs;
}

QStringList Database::columnsOf(const QString& name)
{
    return engine().columns(name);
}

bool Database::isTable(const QString& name)
{
    return tableShape(name).has_value();
}

int Database::execute(const QString& sql, const std::vector<QVariant>& values)
{
    return engine().execute(sql, values);
}

Statement Database::prepare(const QString& sql)
{
    return Statement(engine().prepare(sql));
}

void Database::beginTransaction()
{
    engine().begin();
}

void Database::commit()
{
    engine().commit();
}

void Database::rollback()
{
    if (m_engine)
        m_engine->rollback();
}

bool Database::inTransaction() const
{
    return m_engine && m_engine->inTransaction();
}

std::optional<int> Database::takeNextId(const QString& table, const QString& column)
{
    if (!isServer())
        return std::nullopt;
    const auto shape = tableShape(table);
    // Only a table's own one-column key is numbered this way.
    if (!shape || shape->keyColumn.compare(column.trimmed(), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return engine().takeNextId(table, shape->keyColumn);
}

bool Database::holdLock(int key, std::chrono::milliseconds wait)
{
    if (!isServer())
        return true;
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (engine().query(QStringLiteral("SELECT pg_try_advisory_xact_lock(%1)").arg(key)).values.value(0).toInt() == 1)
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        QThread::msleep(200);
    }
}

void Database::requireAlone()
{
    if (!engine().holdAlone())
        throw OthersAtWork();
}

void Database::markDataReplaced()
{
    engine().markDataReplaced();
}

QDate Database::today()
{
    if (!isServer())
        return QDate::currentDate();
    const EngineRows days = engine().query(QStringLiteral("SELECT current_date - make_date(2000, 1, 1)"));
    return QDate(2000, 1, 1).addDays(days.values.at(0).toLongLong());
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

LongWork::LongWork(Database& db) : m_db(db)
{
    if (!db.isOpen())
        return;
    db.engine().beginLongWork();
    m_engine = &db.engine();
}

LongWork::LongWork() : LongWork(gDatabase) {}

LongWork::~LongWork()
{
    // A database closed and opened again meanwhile starts with the short limit anyway.
    if (m_engine && m_db.isOpen() && &m_db.engine() == m_engine) {
        try {
            m_engine->endLongWork();
        } catch (...) {
        }
    }
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

std::optional<QString> funcServerConnection(const QString& databasePath)
{
    const QFileInfo database(databasePath);
    if (database.fileName() != kDatabaseFileName)
        return std::nullopt;
    return funcReadServerFile(database.absolutePath() + QLatin1Char('/') + kServerFileName);
}

std::optional<QString> funcReadServerFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return QString();   // there, but unreadable: no connection
    QString text = QString::fromUtf8(file.readAll()).trimmed();
    if (text.startsWith(QChar(0xFEFF)))   // Notepad's byte-order mark
        text = text.mid(1).trimmed();
    return text;
}

bool OpenDatabase(bool exclusive, const QString& path)
{
    try {
        gWorkspace.setOpen(true);
        if (const auto connection = funcServerConnection(path)) {
            QString reason;
            if (connection->isEmpty())
                reason = kServerFileName + QStringLiteral(" に接続先が書かれていないか、読めません");
            else if (gDatabase.openServer(*connection, &reason))
                return funcMigrateOpened(path);
            subWriteErrorLog(QStringLiteral("DaoCommon.bas - OpenDatabase"), reason);
            return false;
        }
        // A copied or restored file may be read-only; it must be writable again.
        QFile file(path);
        if (!file.exists())
            return false;
        if (!file.setPermissions(file.permissions() | QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return false;
        return gDatabase.open(path, exclusive) && funcMigrateOpened(path);
    } catch (...) {
        return false;
    }
}

namespace {
QString& openProblem()
{
    static QString problem;
    return problem;
}
} // namespace

QString funcOpenProblem()
{
    return openProblem();
}

bool funcMigrateOpened(const QString& path)
{
    openProblem().clear();
    try {
        funcMigrateDatabase(gDatabase, QFileInfo(path).absoluteDir().filePath(QStringLiteral("Backup")));
        return true;
    } catch (const std::exception& e) {
        subWriteErrorLog(QStringLiteral("DaoCommon.bas - OpenDatabase"), QString::fromUtf8(e.what()));
        if (const auto* dao = dynamic_cast<const DaoError*>(&e); dao && dao->sqlState() == QLatin1String("42501"))
            openProblem() = kMigrationNeedsOwnerText;
        gDatabase.close();
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
