#include "ProgramFolder.h"

#include "CommonBase.h"
#include "ConditionMemory.h"
#include "DaoCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <libpq-fe.h>
#include <sqlcipher/sqlite3.h>
#include <stdexcept>

namespace {
// Statements on a database of the cluster (its maintenance database unless named) as
// its superuser, outside any transaction.
void maintenance(const QString& sql, const QString& database = QStringLiteral("postgres"))
{
    const QByteArray connection = (testServerConnection() + QStringLiteral(" user=postgres dbname=") + database).toUtf8();
    PGconn* conn = PQconnectdb(connection.constData());
    PGresult* result = PQexec(conn, sql.toUtf8().constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    const std::string why = PQerrorMessage(conn);
    PQclear(result);
    PQfinish(conn);
    if (!ok)
        throw std::runtime_error("test server: " + why);
}
} // namespace

bool testServerMode()
{
    return !qEnvironmentVariableIsEmpty("KAEDE_TEST_SERVER");
}

QString testServerConnection()
{
    static const QString connection = [] {
        QFile file(qEnvironmentVariable("KAEDE_TEST_SERVER"));
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("the test cluster's connection file cannot be read");
        return QString::fromUtf8(file.readAll()).trimmed();
    }();
    return connection;
}

QString createTestServerDatabase()
{
    static int made = 0;
    const QString name = QStringLiteral("kaede_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    // Owned by the tables' owner, as a school's database is: an upgrade may add tables to it.
    maintenance(QStringLiteral("CREATE DATABASE %1 OWNER kaede_owner TEMPLATE kaede_template STRATEGY FILE_COPY").arg(name));
    return name;
}

void dropTestServerDatabase(const QString& name)
{
    maintenance(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

void execOnTestServer(const QString& sql)
{
    maintenance(sql);
}

void restartTestServer()
{
    const QString state = QFileInfo(qEnvironmentVariable("KAEDE_TEST_SERVER")).absolutePath();
    QProcess script;
    script.start(QStringLiteral(KAEDE_PGCLUSTER), {QStringLiteral("restart"), state});
    if (!script.waitForFinished(60000) || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
        throw std::runtime_error("the test cluster did not restart: " + script.readAllStandardError().toStdString());
}

QString pristineDatabasePath()
{
    return QStringLiteral(KAEDE_FRESH_DB);
}

QString builtProgramFolder()
{
    return QStringLiteral(KAEDE_PROGRAM_DIR);
}

ProgramFolder::ProgramFolder(bool open)
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    if (!QFile::copy(pristineDatabasePath(), databasePath()))
        throw std::runtime_error("cannot copy the pristine database");
    const QString tmpl = builtProgramFolder() + QStringLiteral("/塾管理楓丸くん.xlt");
    if (QFile::exists(tmpl))
        QFile::copy(tmpl, file(QStringLiteral("塾管理楓丸くん.xlt")));
    if (testServerMode()) {
        m_serverDatabase = createTestServerDatabase();
        QFile server(file(kServerFileName));
        if (!server.open(QIODevice::WriteOnly) || server.write(serverConnection().toUtf8()) < 0)
            throw std::runtime_error("cannot write Revid.server");
    }
    setAppPathForTests(m_dir.path());
    // Window places and the documents folder lie in the folder, never in the account's own.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    if (qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        m_configHome = qgetenv("XDG_CONFIG_HOME");
    QDir().mkpath(file(QStringLiteral("config")));
    QDir().mkpath(file(QStringLiteral("Documents")));
    QFile dirs(file(QStringLiteral("config/user-dirs.dirs")));
    if (!dirs.open(QIODevice::WriteOnly)
        || dirs.write("XDG_DOCUMENTS_DIR=\"" + file(QStringLiteral("Documents")).toUtf8() + "\"\n") < 0)
        throw std::runtime_error("cannot write user-dirs.dirs");
    dirs.close();
    qputenv("XDG_CONFIG_HOME", file(QStringLiteral("config")).toUtf8());
    // Each folder is a run of the program of its own: no search remembered yet.
    ConditionMemory::subForgetAll();
    if (open && !OpenDatabase(false, databasePath()))
        throw std::runtime_error("cannot open the test database");
    if (open && gDatabase.isServer() != testServerMode())
        throw std::runtime_error("the test database is not in the mode of the run");
}

ProgramFolder::~ProgramFolder()
{
    m_elsewhere.reset();
    gDatabase.close();
    gWorkspace.setOpen(false);
    setAppPathForTests(QString());
    if (m_configHome)
        qputenv("XDG_CONFIG_HOME", *m_configHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
    if (!m_serverDatabase.isEmpty()) {
        try {
            dropTestServerDatabase(m_serverDatabase);
        } catch (...) {
            // The cluster is thrown away at the end of the run all the same.
        }
    }
}

QString ProgramFolder::serverConnection() const
{
    return testServerConnection() + QStringLiteral(" dbname=") + m_serverDatabase;
}

QString ProgramFolder::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

void ProgramFolder::exec(const QString& sql)
{
    gDatabase.execute(sql);
}

void ProgramFolder::execNative(const QString& sql)
{
    if (testServerMode()) {
        maintenance(sql, m_serverDatabase);
        return;
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(gDatabase.handle(), sql.toUtf8().constData(), nullptr, nullptr, &error);
    const std::string why = error ? error : "";
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test database: " + why);
}

void ProgramFolder::execElsewhere(const QString& sql)
{
    elsewhere().execute(sql);
}

Database& ProgramFolder::elsewhere()
{
    if (!m_elsewhere) {
        m_elsewhere = std::make_unique<Database>();
        const bool open = testServerMode() ? m_elsewhere->openServer(serverConnection())
                                           : m_elsewhere->open(databasePath(), false);
        if (!open)
            throw std::runtime_error("test database: the second connection did not open");
    }
    return *m_elsewhere;
}

QString ProgramFolder::scalar(const QString& sql)
{
    Recordset rs = gDatabase.openRecordset(sql, dbOpenDynaset, dbReadOnly);
    return rs.eof() ? QString() : funcToString(rs.field(0));
}

QString ProgramFolder::list(const QString& sql)
{
    Recordset rs = gDatabase.openRecordset(sql, dbOpenDynaset, dbReadOnly);
    QStringList values;
    for (; !rs.eof(); rs.moveNext())
        values << funcToString(rs.field(0));
    return values.join(QLatin1Char(','));
}

QString ProgramFolder::rows(const QString& sql)
{
    Recordset rs = gDatabase.openRecordset(sql, dbOpenDynaset, dbReadOnly);
    QStringList rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int i = 0; i < rs.fieldCount(); ++i)
            fields << (rs.field(i).isNull() ? QStringLiteral("<null>") : funcToString(rs.field(i)));
        rows << fields.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

int ProgramFolder::count(const QString& table, const QString& where)
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where)).toInt();
}
