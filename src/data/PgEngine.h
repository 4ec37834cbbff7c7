// The server engine: a database of this program on a PostgreSQL server, reached
// with libpq. One statement per call, values bound as parameters; a connection
// lost between two statements (a restarted server, an idle line cut) is made
// again once before the statement fails.
#pragma once

#include "Engine.h"

#include <chrono>

struct pg_conn;

// Said for a connection text that libpq cannot read: its own message would repeat the text.
inline const QString kMalformedConnectionText = QStringLiteral("Revid.server の接続先の書き方が正しくありません");

// The text with every password of the connection text (and any "password=..." in it) masked.
QString funcWithoutPasswords(const QString& text, const QString& connection);

// The connection text with another user and password (the owner's, typed for one
// restore or initialization); an empty text when the connection text cannot be read.
QString funcConnectionAs(const QString& connection, const QString& user, const QString& password);

// The line that tells the user which server of Revid.server could not be reached:
// host, port, database and user, never a password.
QString funcServerLabel(const QString& connection);

class PgEngine final : public Engine {
public:
    // Connects, checks that the database holds this program's tables and joins
    // the running programs (a shared session lock, waited for while a restore or an
    // initialization holds it); nullptr with the reason (libpq's message, without
    // passwords) otherwise.
    static std::unique_ptr<PgEngine> connect(const QString& connection, QString* reason = nullptr);
    // Connects to any database (to create one, or fill a new one); a database
    // name given takes the place of the connection text's.
    static std::unique_ptr<PgEngine> connectAny(const QString& connection, QString* reason = nullptr,
                                                const QString& database = {});
    ~PgEngine() override;

    Kind kind() const override { return Kind::Server; }
    EngineRows query(const QString& sql, const std::vector<QVariant>& values = {}) override;
    int execute(const QString& sql, const std::vector<QVariant>& values = {}) override;
    std::unique_ptr<EngineStatement> prepare(const QString& sql) override;
    std::optional<TableShape> table(const QString& name) override;
    QStringList columns(const QString& name) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    std::optional<int> takeNextId(const QString& table, const QString& column) override;
    bool holdAlone() override;
    void beginLongWork() override;
    void endLongWork() override;
    void markDataReplaced() override;
    // The role that owns the program's tables (restore and initialization run as it).
    QString tableOwner();

    // Several statements in one text, without values (a schema).
    void executeScript(const QString& sql);
    // True when the database holds the program's tables.
    bool holdsProgramTables();
    pg_conn* connection() const { return m_conn; }

    // A statement parsed once by the server (Database::prepare): unknown names
    // and bad text fail here; exec runs it again with new values.
    class Prepared;

private:
    PgEngine() = default;
    struct Result;
    struct Params;
    enum class Mode { Params, Script, Prepared };
    // sql is the layer's text for Params and Script, the statement's name for Prepared.
    // write: the statement belongs to a save (told so when the server fails).
    Result run(const QString& sql, const std::vector<QVariant>& values, Mode mode, Prepared* prepared, bool write);
    EngineRows rowsOf(const QString& sql, const std::vector<QVariant>& values, bool write);
    void reconnectIfLost(bool write);
    // The statement limit of the session: short, or long within long work.
    bool applyStatementLimit();
    qint64 readGeneration();
    // Every (re)connection: settings neither the server nor Revid.server may change.
    bool setUpSession(QString* reason);
    // The answer to what was just sent, waited for no longer than m_answerLimit; a
    // longer wait is shown to the user, who may give it up.
    Result answer();
    void prepareOnServer(const QByteArray& name, const QByteArray& text);
    // The failure of the statement just run, as the exception the layer throws.
    [[noreturn]] void fail(const Result& result, const QString& sql, bool write);

    std::shared_ptr<Params> m_params;
    pg_conn* m_conn = nullptr;
    bool m_joinsPrograms = false;     // holds the running programs' shared lock
    std::chrono::milliseconds m_answerLimit{0};
    std::chrono::milliseconds m_shortLimit{0};
    std::chrono::milliseconds m_longLimit{0};
    int m_longWork = 0;
    enum class WaitEnd { Answered, TimedOut, Cancelled } m_waitEnd = WaitEnd::Answered;
    bool m_waiting = false;
    std::optional<qint64> m_generation;   // of the data when the program joined
    bool m_replaced = false;
    bool m_inTransaction = false;
    int m_connectionNumber = 0;   // grows with each connection made again: prepared statements are gone
    int m_prepared = 0;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

// The table that hands out the numbers of new rows on a server, one row per table.
inline const QString kCounterTable = QStringLiteral("採番");
