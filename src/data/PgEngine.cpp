#include "PgEngine.h"

#include "DaoCommon.h"
#include "JetDialect.h"
#include "UiServices.h"

#include <QRegularExpression>

#include <arpa/inet.h>
#include <libpq-fe.h>
#include <poll.h>

#include <climits>
#include <cstdlib>
#include <utility>

namespace {

// Type numbers of the server's built-in types.
enum : Oid { kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700 };

QVariant wholeNumber(qlonglong v)
{
    if (v >= INT_MIN && v <= INT_MAX)
        return QVariant(static_cast<int>(v));
    return QVariant(v);
}

// Values as the embedded engine gives them: whole numbers as int (or long long), others as double, text, bytes.
QVariant cellValue(const PGresult* r, int row, int column, Oid type)
{
    if (PQgetisnull(r, row, column))
        return QVariant();
    const char* v = PQgetvalue(r, row, column);
    switch (type) {
    case kBool:
        return QVariant(v[0] == 't' ? 1 : 0);
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return wholeNumber(std::strtoll(v, nullptr, 10));
    case kFloat4:
    case kFloat8:
        return QVariant(std::strtod(v, nullptr));
    case kNumeric: {
        const QByteArray text(v, PQgetlength(r, row, column));
        bool whole = false;
        const qlonglong n = text.toLongLong(&whole);
        return whole ? wholeNumber(n) : QVariant(text.toDouble());
    }
    case kBytea: {
        size_t length = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &length);
        QByteArray out(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
        PQfreemem(bytes);
        return QVariant(out);
    }
    default:
        return QVariant(QString::fromUtf8(v, PQgetlength(r, row, column)));
    }
}

// The values of one statement as the server reads them: text, bytes in binary.
struct Parameters {
    std::vector<QByteArray> texts;
    std::vector<const char*> pointers;
    std::vector<int> lengths;
    std::vector<int> formats;

    explicit Parameters(const std::vector<QVariant>& values)
    {
        texts.reserve(values.size());
        for (const QVariant& value : values) {
            int format = 0;
            if (!value.isValid() || value.isNull()) {
                texts.emplace_back();
            } else {
                switch (value.typeId()) {
                case QMetaType::Bool:
                    texts.push_back(value.toBool() ? "1" : "0");
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    texts.push_back(QByteArray::number(value.toDouble(), 'g', 17));
                    break;
                case QMetaType::QByteArray:
                    texts.push_back(value.toByteArray());
                    format = 1;
                    break;
                default:
                    texts.push_back(funcEngineText(value).toUtf8());
                    break;
                }
            }
            formats.push_back(format);
        }
        for (size_t k = 0; k < values.size(); ++k) {
            const bool null = !values[k].isValid() || values[k].isNull();
            pointers.push_back(null ? nullptr : texts[k].constData());
            lengths.push_back(static_cast<int>(texts[k].size()));
        }
    }
};

QString libpqMessage(const PGconn* conn)
{
    // libpq repeats the same failure for each attempt (with and without SSL, each address of
    // a name): each cause is told once, with the first address that met it.
    QStringList lines, causes;
    for (const QString& text : QString::fromUtf8(PQerrorMessage(conn)).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = text.trimmed();
        const qsizetype at = line.lastIndexOf(QLatin1String("failed: "));
        const QString cause = at < 0 ? line : line.mid(at);
        if (!causes.contains(cause)) {
            causes << cause;
            lines << line;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

// The running programs' lock, one per database: each program holds it shared;
// a restore or an initialization takes it alone for its transaction.
constexpr const char* kJoinPrograms = "SELECT pg_advisory_lock_shared(1262568772)";
constexpr const char* kHoldAlone = "SELECT pg_try_advisory_xact_lock(1262568772)";

// How long a statement waits for another session's lock, and how long the long work
// (reports, backups, restores) may run when Revid.server sets no limit of its own.
constexpr std::chrono::seconds kLockTimeout{30};
constexpr std::chrono::seconds kDefaultStatementLimit{300};
// Everything a window does while the user waits: a server that cannot answer in this
// time is treated as gone, the action fails and the window stays.
constexpr std::chrono::milliseconds kInteractiveLimit{20000};
// A stopped server answers no statement: the wait ends this long after the server's own limit.
constexpr std::chrono::seconds kAnswerMargin{5};
// Waits shorter than this show nothing: most statements take a few milliseconds.
constexpr std::chrono::milliseconds kWaitShown{150};

// The row of the counters that holds the generation of the data: one more with each
// restore or initialization, so that a program that lost its connection meanwhile
// learns that the school it shows was replaced.
constexpr const char* kGenerationRow = "#世代";

// Failures that mean the server is gone, did not answer in time, or ended the session.
bool isServerFailure(const QString& sqlState)
{
    return sqlState.startsWith(QLatin1String("08")) || sqlState.startsWith(QLatin1String("57P"))
        || sqlState == QLatin1String("57014") || sqlState == QLatin1String("55P03");
}

// Settings of every session. Set after the connection text's own, so that neither the
// server's configuration nor Revid.server can undo them: with standard_conforming_strings
// off a backslash in typed text would end a quoted value.
QByteArray sessionSettings()
{
    return "SET standard_conforming_strings = on; SET client_encoding = 'UTF8'; SET lock_timeout = '"
        + QByteArray::number(kLockTimeout.count())
        + "s'; "
          // A PC that dies inside a transaction (a restore) gives its locks back.
          "SET idle_in_transaction_session_timeout = '10min'";
}

// The options of a connection text, read by libpq itself; nullopt when it cannot read it.
std::optional<std::vector<std::pair<QByteArray, QByteArray>>> parseConnection(const QString& connection)
{
    QString text = connection.trimmed();
    if (text.startsWith(QChar(0xFEFF)))   // Notepad's byte-order mark
        text = text.mid(1).trimmed();
    char* error = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(text.toUtf8().constData(), &error);
    PQfreemem(error);   // its text repeats a piece of the connection text
    if (!parsed)
        return std::nullopt;
    std::vector<std::pair<QByteArray, QByteArray>> options;
    for (PQconninfoOption* o = parsed; o->keyword; ++o)
        if (o->val)
            options.emplace_back(o->keyword, o->val);
    PQconninfoFree(parsed);
    return options;
}

QByteArray optionValue(const std::vector<std::pair<QByteArray, QByteArray>>& options, const char* keyword)
{
    for (const auto& [key, value] : options)
        if (key == keyword)
            return value;
    return {};
}

// A host of this machine: a socket folder, localhost or a loopback address written as
// an address. A name is asked of the network, so "127.example" is another machine.
bool isLocalHost(const QByteArray& host)
{
    if (host.isEmpty() || host.startsWith('/') || host.startsWith('@') || host.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.constData(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.constData(), &v6) != 1)
        return false;
    if (IN6_IS_ADDR_LOOPBACK(&v6))
        return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
}

bool allHostsLocal(const std::vector<std::pair<QByteArray, QByteArray>>& options)
{
    for (const char* keyword : {"host", "hostaddr"})
        for (const QByteArray& host : optionValue(options, keyword).split(','))
            if (!isLocalHost(host.trimmed()))
                return false;
    return true;
}

} // namespace

QString funcWithoutPasswords(const QString& text, const QString& connection)
{
    QString out = text;
    if (const auto options = parseConnection(connection))
        for (const auto& [key, value] : *options)
            if (key == "password" && !value.isEmpty())
                out.replace(QString::fromUtf8(value), QStringLiteral("********"));
    // Also a text libpq could not read: whatever follows "password".
    static const QRegularExpression written(QStringLiteral("(password\\s*[=:]\\s*)('(?:[^'\\\\]|\\\\.)*'?|\\S+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    out.replace(written, QStringLiteral("\\1********"));
    return out;
}

QString funcConnectionAs(const QString& connection, const QString& user, const QString& password)
{
    const auto options = parseConnection(connection);
    if (!options)
        return {};
    const auto quoted = [](const QByteArray& value) {
        QByteArray v = value;
        v.replace('\\', "\\\\").replace('\'', "\\'");
        return "'" + v + "'";
    };
    QByteArray text;
    for (const auto& [key, value] : *options)
        if (key != "user" && key != "password" && key != "passfile")
            text += key + '=' + quoted(value) + ' ';
    text += "user=" + quoted(user.toUtf8()) + " password=" + quoted(password.toUtf8());
    return QString::fromUtf8(text);
}

QString funcServerLabel(const QString& connection)
{
    const auto options = parseConnection(connection);
    if (!options || connection.trimmed().isEmpty())
        return kServerFileName + QStringLiteral(" に接続先が書かれていないか、読めません。");
    const auto value = [&](const char* key) { return QString::fromUtf8(optionValue(*options, key)); };
    QString host = value("host");
    if (host.isEmpty())
        host = value("hostaddr");
    const QString user = value("user");
    const QString database = value("dbname").isEmpty() ? user : value("dbname");
    QStringList parts{QStringLiteral("サーバー ") + (host.isEmpty() ? QStringLiteral("localhost") : host)};
    if (!value("port").isEmpty())
        parts << QStringLiteral("ポート ") + value("port");
    if (!database.isEmpty())
        parts << QStringLiteral("データベース ") + database;
    if (!user.isEmpty())
        parts << QStringLiteral("ユーザー ") + user;
    return kServerFileName + QStringLiteral(" の接続先（") + parts.join(QStringLiteral("、")) + QStringLiteral("）に接続できませんでした。");
}

// What a connection is made with, kept to make it again.
struct PgEngine::Params {
    std::vector<QByteArray> keywords, values;
    QString connection;   // to mask its passwords in what is reported
};

namespace {
} // namespace

struct PgEngine::Result {
    PGresult* r = nullptr;
    explicit Result(PGresult* result) : r(result) {}
    Result(Result&& other) noexcept : r(other.r) { other.r = nullptr; }
    ~Result() { PQclear(r); }
};

class PgEngine::Prepared final : public EngineStatement {
public:
    Prepared(PgEngine& engine, const QString& sql)
        : m_engine(engine), m_alive(engine.m_alive), m_sql(sql),
          m_text(funcJetToPostgres(sql).toUtf8()),
          m_name("kaede_" + QByteArray::number(++engine.m_prepared))
    {
        engine.prepareOnServer(m_name, m_text);
        m_connectionNumber = engine.m_connectionNumber;
    }
    ~Prepared() override
    {
        // Gone with its connection otherwise; a failed transaction refuses even this and keeps it till then.
        if (m_alive.expired() || m_engine.m_connectionNumber != m_connectionNumber)
            return;
        const PGTransactionStatusType status = PQtransactionStatus(m_engine.m_conn);
        if (status == PQTRANS_IDLE || status == PQTRANS_INTRANS)
            PQclear(PQexec(m_engine.m_conn, ("DEALLOCATE " + m_name).constData()));
    }
    void bind(int position, const QVariant& value) override
    {
        if (position < 1)
            throw DaoError(QStringLiteral("値の位置 %1 はありません").arg(position));
        if (m_values.size() < static_cast<size_t>(position))
            m_values.resize(static_cast<size_t>(position));
        m_values[static_cast<size_t>(position) - 1] = value;
    }
    void exec() override
    {
        if (m_alive.expired())
            throw DaoError(QStringLiteral("データベースが開かれていません"));
        std::vector<QVariant> values;
        values.swap(m_values);
        m_engine.run(m_sql, values, Mode::Prepared, this, true);
    }

private:
    friend class PgEngine;
    PgEngine& m_engine;
    std::weak_ptr<int> m_alive;
    QString m_sql;
    QByteArray m_text;
    QByteArray m_name;
    int m_connectionNumber = 0;
    std::vector<QVariant> m_values;
};


std::unique_ptr<PgEngine> PgEngine::connectAny(const QString& connection, QString* reason, const QString& database)
{
    const auto options = parseConnection(connection);
    if (!options) {
        if (reason)
            *reason = kMalformedConnectionText;
        return nullptr;
    }
    auto params = std::make_shared<Params>();
    params->connection = connection;
    const auto add = [&](const QByteArray& keyword, const QByteArray& value) {
        params->keywords.push_back(keyword);
        params->values.push_back(value);
    };
    // Defaults first: the connection text's own options come after them and win.
    add("connect_timeout", "10");
    add("application_name", "kaedemaru");
    // A server that vanishes (power, network) is noticed within about a minute.
    add("keepalives", "1");
    add("keepalives_idle", "30");
    add("keepalives_interval", "10");
    add("keepalives_count", "3");
    add("tcp_user_timeout", "60000");   // also while a statement is sent and not yet received
    // libpq would otherwise fall back to plain text to another machine without a word.
    if (optionValue(*options, "sslmode").isEmpty() && !allHostsLocal(*options) && qEnvironmentVariableIsEmpty("PGSSLMODE"))
        add("sslmode", "require");
    for (const auto& [key, value] : *options)
        add(key, value);
    add("client_encoding", "UTF8");
    if (!database.isEmpty())
        add("dbname", database.toUtf8());

    std::unique_ptr<PgEngine> engine(new PgEngine);
    engine->m_params = std::move(params);
    QString why;
    if (!engine->setUpSession(&why)) {
        if (reason)
            *reason = funcWithoutPasswords(why, connection);
        return nullptr;
    }
    return engine;
}

bool PgEngine::setUpSession(QString* reason)
{
    PQfinish(m_conn);
    std::vector<const char*> keywords, values;
    for (size_t k = 0; k < m_params->keywords.size(); ++k) {
        keywords.push_back(m_params->keywords[k].constData());
        values.push_back(m_params->values[k].constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    m_conn = PQconnectdbParams(keywords.data(), values.data(), 0);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        *reason = m_conn ? libpqMessage(m_conn) : QStringLiteral("out of memory");
        PQfinish(m_conn);
        m_conn = nullptr;
        return false;
    }
    // Server messages reach the user only through the program's own.
    PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);
    // Until the server's own limit is known, the longest of these waits is the lock timeout's.
    m_answerLimit = kLockTimeout + kAnswerMargin;
    const auto send = [&](const QByteArray& sql) -> std::optional<Result> {
        Result result = PQsendQuery(m_conn, sql.constData()) ? answer() : Result(nullptr);
        const ExecStatusType status = PQresultStatus(result.r);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        if (!m_conn)
            *reason = QStringLiteral("サーバーが応答しません");
        else
            *reason = result.r ? QString::fromUtf8(PQresultErrorMessage(result.r)).trimmed() : libpqMessage(m_conn);
        PQfinish(m_conn);
        m_conn = nullptr;
        return std::nullopt;
    };
    if (!send(sessionSettings()))
        return false;
    // The server's own limit of a statement (from Revid.server or its settings) is that of
    // the long work; a window's statements keep the shorter of it and ours.
    const auto limit = send("SELECT setting::bigint FROM pg_settings WHERE name = 'statement_timeout'");
    if (!limit)
        return false;
    m_longLimit = std::chrono::milliseconds(std::strtoll(PQgetvalue(limit->r, 0, 0), nullptr, 10));
    if (m_longLimit.count() == 0)
        m_longLimit = kDefaultStatementLimit;
    m_shortLimit = std::min(m_longLimit, kInteractiveLimit);
    const std::chrono::milliseconds current = m_longWork > 0 ? m_longLimit : m_shortLimit;
    if (!send("SET statement_timeout = " + QByteArray::number(static_cast<qlonglong>(current.count()))))
        return false;
    m_answerLimit = current + kAnswerMargin;
    if (!m_joinsPrograms)
        return true;
    // A program joins the others before any statement of its own; it waits (no longer
    // than a statement's limit) while a restore runs.
    if (!send(kJoinPrograms))
        return false;
    // Joined again after a lost connection: the data must still be the one it started with.
    const auto generation = send(QByteArray("SELECT coalesce(max(\"最終ID\"), 0) FROM \"") + kCounterTable.toUtf8()
                                 + "\" WHERE テーブル名 = '" + kGenerationRow + "'");
    if (!generation)
        return false;
    if (m_generation && std::strtoll(PQgetvalue(generation->r, 0, 0), nullptr, 10) != *m_generation)
        m_replaced = true;
    return true;
}

bool PgEngine::applyStatementLimit()
{
    const std::chrono::milliseconds current = m_longWork > 0 ? m_longLimit : m_shortLimit;
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK)
        return false;   // a connection made again sets it
    execute(QStringLiteral("SET statement_timeout = %1").arg(current.count()));
    m_answerLimit = current + kAnswerMargin;
    return true;
}

void PgEngine::beginLongWork()
{
    if (m_longWork++ > 0)
        return;
    try {
        applyStatementLimit();
    } catch (...) {
        --m_longWork;   // the work never began: no end will come
        throw;
    }
}

void PgEngine::endLongWork()
{
    if (m_longWork > 0 && --m_longWork == 0)
        applyStatementLimit();
}

qint64 PgEngine::readGeneration()
{
    const EngineRows rows = query(QStringLiteral("SELECT coalesce(max(最終ID), 0) FROM %1 WHERE テーブル名 = ?").arg(funcQuoteName(kCounterTable)),
                                  {QString::fromUtf8(kGenerationRow)});
    return rows.values.at(0).toLongLong();
}

void PgEngine::markDataReplaced()
{
    execute(QStringLiteral("INSERT INTO %1 AS c (テーブル名, 最終ID) VALUES (?, 1) ON CONFLICT (テーブル名) DO UPDATE SET 最終ID = c.最終ID + 1")
                .arg(funcQuoteName(kCounterTable)),
            {QString::fromUtf8(kGenerationRow)});
}

QString PgEngine::tableOwner()
{
    const EngineRows rows = query(QStringLiteral("SELECT tableowner FROM pg_tables WHERE schemaname = current_schema() AND tablename = ?"),
                                  {QStringLiteral("生徒台帳")});
    return rows.count > 0 ? rows.values.at(0).toString() : QString();
}

std::unique_ptr<PgEngine> PgEngine::connect(const QString& connection, QString* reason)
{
    auto engine = connectAny(connection, reason);
    if (!engine)
        return nullptr;
    try {
        if (!engine->holdsProgramTables()) {
            if (reason)
                *reason = QStringLiteral("データベース %1 はこのプログラムのデータベースではありません")
                              .arg(QString::fromUtf8(PQdb(engine->m_conn)));
            return nullptr;
        }
        engine->m_joinsPrograms = true;
        engine->execute(QString::fromLatin1(kJoinPrograms));
        engine->m_generation = engine->readGeneration();
        return engine;
    } catch (const DaoError& e) {
        if (reason)
            *reason = funcWithoutPasswords(QString::fromStdString(e.what()), connection);
    }
    return nullptr;
}

PgEngine::~PgEngine()
{
    PQfinish(m_conn);
}

bool PgEngine::holdAlone()
{
    return query(QString::fromLatin1(kHoldAlone)).values.at(0).toInt() == 1;
}

bool PgEngine::holdsProgramTables()
{
    const EngineRows rows = query(QStringLiteral("SELECT to_regclass(?) IS NOT NULL AND to_regclass(?) IS NOT NULL"),
                                  {funcQuoteName(kCounterTable), funcQuoteName(QStringLiteral("生徒台帳"))});
    return rows.count == 1 && rows.values[0].toInt() == 1;
}

void PgEngine::reconnectIfLost(bool write)
{
    if (m_replaced)
        throw DataReplaced();
    if (m_waiting)   // a statement of a timer while the user waits for another
        throw ServerUnavailable(QStringLiteral("サーバーの応答を待っている間の命令です"), write);
    if (m_inTransaction)
        return;
    // Whatever the server said while the connection stood idle (its end, when it
    // was cut) is read now; a connection found gone is made again.
    for (int k = 0; k < 3 && PQstatus(m_conn) == CONNECTION_OK; ++k)
        if (!PQconsumeInput(m_conn))
            break;
    if (PQstatus(m_conn) != CONNECTION_OK) {
        ++m_connectionNumber;
        QString why;
        if (!setUpSession(&why))
            throw ServerUnavailable(funcWithoutPasswords(why, m_params->connection), write);
        if (m_replaced)
            throw DataReplaced();
    }
}

PgEngine::Result PgEngine::answer()
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + m_answerLimit;
    m_waitEnd = WaitEnd::Answered;
    bool shown = false;
    struct Shown {
        bool& shown;
        bool& waiting;
        ~Shown()
        {
            waiting = false;
            if (shown)
                ui().serverWaitEnd();
        }
    } end{shown, m_waiting};
    PGresult* kept = nullptr;
    for (;;) {
        while (PQisBusy(m_conn)) {
            const Clock::time_point now = Clock::now();
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - start);
            if (waited >= kWaitShown && !shown) {
                shown = true;
                m_waiting = true;
                ui().serverWaitBegin();
            }
            const bool cancelled = shown && ui().serverWaiting(static_cast<int>(waited.count()));
            if (now >= deadline || cancelled) {
                // The server stopped answering, or the user gave it up: the connection is
                // given up (the server undoes the transaction), the next statement makes a new one.
                m_waitEnd = cancelled ? WaitEnd::Cancelled : WaitEnd::TimedOut;
                PQclear(kept);
                PQfinish(m_conn);
                m_conn = nullptr;
                return Result(nullptr);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
            // Short slices once the wait is shown, so that キャンセル answers at once.
            const long long slice = shown ? 100 : kWaitShown.count();
            pollfd socket{PQsocket(m_conn), POLLIN, 0};
            poll(&socket, 1, static_cast<int>(std::min<long long>(left, slice)));
            if (!PQconsumeInput(m_conn))
                break;
        }
        PGresult* next = PQgetResult(m_conn);
        if (!next)
            break;
        // Of several statements, the first failure or else the last answer.
        if (kept && PQresultStatus(kept) == PGRES_FATAL_ERROR) {
            PQclear(next);
        } else {
            PQclear(kept);
            kept = next;
        }
    }
    return Result(kept);
}

void PgEngine::fail(const Result& result, const QString& sql, bool write)
{
    const char* state = result.r ? PQresultErrorField(result.r, PG_DIAG_SQLSTATE) : nullptr;
    const QString sqlState = state ? QString::fromLatin1(state) : QString();
    QString message = result.r ? QString::fromUtf8(PQresultErrorMessage(result.r)).trimmed() : QString();
    if (!m_conn)
        message = m_waitEnd == WaitEnd::Cancelled ? QStringLiteral("サーバーの応答を待つのをやめました")
                                                  : QStringLiteral("サーバーが応答しません");
    else if (message.isEmpty())
        message = libpqMessage(m_conn);
    const QString detail = message + QStringLiteral(" (") + sql.left(200) + QLatin1Char(')');
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK || isServerFailure(sqlState))
        throw ServerUnavailable(detail, write || m_inTransaction);
    throw DaoError(detail, sqlState);
}

void PgEngine::prepareOnServer(const QByteArray& name, const QByteArray& text)
{
    reconnectIfLost(true);
    const Result result = PQsendPrepare(m_conn, name.constData(), text.constData(), 0, nullptr) ? answer() : Result(nullptr);
    if (PQresultStatus(result.r) != PGRES_COMMAND_OK)
        fail(result, QString::fromUtf8(text), true);
}

PgEngine::Result PgEngine::run(const QString& sql, const std::vector<QVariant>& values, Mode mode, Prepared* prepared, bool write)
{
    const QByteArray text = mode == Mode::Prepared ? QByteArray() : funcJetToPostgres(sql).toUtf8();
    const Parameters p(values);
    for (int attempt = 0;; ++attempt) {
        reconnectIfLost(write);
        if (prepared && prepared->m_connectionNumber != m_connectionNumber) {
            // The connection was made again: the statement is parsed anew there.
            prepareOnServer(prepared->m_name, prepared->m_text);
            prepared->m_connectionNumber = m_connectionNumber;
        }
        const int count = static_cast<int>(values.size());
        m_waitEnd = WaitEnd::Answered;
        const bool sent = mode == Mode::Script ? PQsendQuery(m_conn, text.constData())
            : mode == Mode::Prepared           ? PQsendQueryPrepared(m_conn, prepared->m_name.constData(), count, p.pointers.data(),
                                                                     p.lengths.data(), p.formats.data(), 0)
                                               : PQsendQueryParams(m_conn, text.constData(), count, nullptr, p.pointers.data(),
                                                                   p.lengths.data(), p.formats.data(), 0);
        Result result = sent ? answer() : Result(nullptr);
        const ExecStatusType status = PQresultStatus(result.r);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        const char* state = result.r ? PQresultErrorField(result.r, PG_DIAG_SQLSTATE) : nullptr;
        // The server ended the session before this statement (an operator's or a
        // restart's 57P..): it never ran, so it is sent once more. Within a transaction
        // the writes before it are gone: the transaction stays failed until it is ended.
        // A statement given up in answer() is never sent again: it may have run.
        if (attempt == 0 && m_conn && PQstatus(m_conn) != CONNECTION_OK && !m_inTransaction && state
            && QByteArray(state).startsWith("57P"))
            continue;
        fail(result, sql, write);
    }
}

EngineRows PgEngine::query(const QString& sql, const std::vector<QVariant>& values)
{
    return rowsOf(sql, values, false);
}

EngineRows PgEngine::rowsOf(const QString& sql, const std::vector<QVariant>& values, bool write)
{
    const Result result = run(sql, values, Mode::Params, nullptr, write);
    const PGresult* r = result.r;
    EngineRows rows;
    const int columns = PQnfields(r);
    std::vector<Oid> types(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        rows.columns << QString::fromUtf8(PQfname(r, c));
        types[static_cast<size_t>(c)] = PQftype(r, c);
    }
    rows.count = PQntuples(r);
    rows.values.reserve(static_cast<qsizetype>(rows.count) * columns);
    for (int row = 0; row < rows.count; ++row)
        for (int c = 0; c < columns; ++c)
            rows.values.push_back(cellValue(r, row, c, types[static_cast<size_t>(c)]));
    return rows;
}

int PgEngine::execute(const QString& sql, const std::vector<QVariant>& values)
{
    const Result result = run(sql, values, Mode::Params, nullptr, true);
    return std::atoi(PQcmdTuples(result.r));
}

void PgEngine::executeScript(const QString& sql)
{
    run(sql, {}, Mode::Script, nullptr, true);
}

std::unique_ptr<EngineStatement> PgEngine::prepare(const QString& sql)
{
    return std::make_unique<Prepared>(*this, sql);
}

std::optional<TableShape> PgEngine::table(const QString& name)
{
    const QString regclass = funcQuoteName(name);
    const EngineRows kind = query(QStringLiteral("SELECT relkind FROM pg_class WHERE oid = to_regclass(?)"), {regclass});
    if (kind.count == 0 || kind.values[0].toString() != QLatin1String("r"))
        return std::nullopt;
    TableShape shape;
    shape.columns = columns(name);
    // The primary key first, then unique indexes, each with its columns in index order.
    const EngineRows keys = query(QStringLiteral(
        "SELECT i.indisprimary, array_to_string(array(SELECT a.attname FROM unnest(i.indkey) WITH ORDINALITY AS k(n, o) "
        "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = k.n ORDER BY k.o), ',') "
        "FROM pg_index i WHERE i.indrelid = to_regclass(?) AND (i.indisprimary OR i.indisunique) AND i.indpred IS NULL "
        "ORDER BY i.indisprimary DESC, i.indexrelid"),
        {regclass});
    if (keys.count > 0) {
        const bool primary = keys.values[0].toInt() == 1;
        const QStringList keyColumns = keys.values[1].toString().split(QLatin1Char(','));
        for (const QString& column : keyColumns)
            shape.identity << funcQuoteName(column);
        if (primary && keyColumns.size() == 1)
            shape.keyColumn = keyColumns[0];
        shape.storeIntoExisting = !primary;
    } else {
        shape.identity << QStringLiteral("ctid");
        shape.identityMoves = true;
    }
    return shape;
}

QStringList PgEngine::columns(const QString& name)
{
    const EngineRows rows = query(QStringLiteral("SELECT attname FROM pg_attribute WHERE attrelid = to_regclass(?) "
                                                 "AND attnum > 0 AND NOT attisdropped ORDER BY attnum"),
                                  {funcQuoteName(name)});
    QStringList names;
    for (const QVariant& column : rows.values)
        names << column.toString();
    return names;
}

void PgEngine::begin()
{
    execute(QStringLiteral("BEGIN"));
    m_inTransaction = true;
}

void PgEngine::commit()
{
    // Still in the transaction while COMMIT is sent: a connection lost now is not made again.
    QByteArray tag;
    try {
        const Result result = run(QStringLiteral("COMMIT"), {}, Mode::Params, nullptr, true);
        tag = PQcmdStatus(result.r);
    } catch (...) {
        m_inTransaction = false;
        throw;
    }
    m_inTransaction = false;
    // A transaction in which a statement failed ends rolled back, however it is closed.
    if (tag != "COMMIT")
        throw DaoError(QStringLiteral("失敗した命令があったため、まとめた書き込みは取り消されました"), QStringLiteral("25P02"));
}

void PgEngine::rollback()
{
    if (!inTransaction())
        return;
    // A connection lost took the transaction with it.
    if (PQstatus(m_conn) != CONNECTION_OK) {
        m_inTransaction = false;
        return;
    }
    try {
        execute(QStringLiteral("ROLLBACK"));
    } catch (...) {
        m_inTransaction = false;
        throw;
    }
    m_inTransaction = false;
}

bool PgEngine::inTransaction() const
{
    return m_inTransaction || PQtransactionStatus(m_conn) == PQTRANS_INTRANS || PQtransactionStatus(m_conn) == PQTRANS_INERROR;
}

std::optional<int> PgEngine::takeNextId(const QString& table, const QString& column)
{
    // One statement: the counter row is made on first use, and a number is never
    // below the table's own largest (rows written by the tools or a restore).
    const EngineRows rows = rowsOf(
        QStringLiteral("INSERT INTO %1 AS c (テーブル名, 最終ID) VALUES (?, (SELECT coalesce(max(%2), 0) FROM %3) + 1) "
                       "ON CONFLICT (テーブル名) DO UPDATE SET 最終ID = GREATEST(c.最終ID, EXCLUDED.最終ID - 1) + 1 "
                       "RETURNING 最終ID")
            .arg(funcQuoteName(kCounterTable), funcQuoteName(column), funcQuoteName(table)),
        {table}, true);
    return rows.values.at(0).toInt();
}
