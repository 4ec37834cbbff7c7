#include "Schema.h"

#include "DaoCommon.h"
#include "PgEngine.h"
#include "SchemaText.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <libpq-fe.h>
#include <sqlcipher/sqlite3.h>

bool funcCreateDatabase(const QString& path, QString* reason)
{
    auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (QFile::exists(path))
        return fail(QStringLiteral("%1 は既にあります。上書きはしません。").arg(path));
    sqlite3* db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return fail(why);
    }
    const QByteArray key = kDatabasePassword.toUtf8();
    char* error = nullptr;
    const bool ok = sqlite3_key(db, key.constData(), static_cast<int>(key.size())) == SQLITE_OK
        && sqlite3_exec(db, kSchemaSql, nullptr, nullptr, &error) == SQLITE_OK;
    const QString why = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    sqlite3_close(db);
    if (!ok) {
        QFile::remove(path);
        return fail(why);
    }
    return true;
}

QString funcServerSchemaSql()
{
    QString sql = QString::fromUtf8(kSchemaSql);
    // Several PCs may add a student to a lesson at once; the server keeps one row
    // for the pair (the embedded file, one user at a time, needs no such rule).
    const QString plain = QStringLiteral("CREATE INDEX 講座出席_毎講座ID ");
    if (!sql.contains(plain))
        throw DaoError(QStringLiteral("schema.sql: 講座出席_毎講座ID がありません"));
    sql.replace(plain, QStringLiteral("CREATE UNIQUE INDEX 講座出席_毎講座ID "));
    sql += QStringLiteral(
        "\n-- The last number given out for a new row, per table (see funcGetMaxID).\n"
        "CREATE TABLE %1 (テーブル名 TEXT PRIMARY KEY, 最終ID INTEGER NOT NULL);\n")
               .arg(kCounterTable);
    return sql;
}

QStringList funcSchemaStatementsOf(const QString& table, bool server)
{
    QString sql = server ? funcServerSchemaSql() : QString::fromUtf8(kSchemaSql);
    // Comments first: one may hold a semicolon.
    QStringList lines = sql.split(u'\n');
    lines.erase(std::remove_if(lines.begin(), lines.end(), [](const QString& l) { return l.trimmed().startsWith(QLatin1String("--")); }),
                lines.end());
    const QRegularExpression own(QStringLiteral("^(CREATE TABLE %1 |CREATE (UNIQUE )?INDEX \\S+ ON %1 |INSERT INTO %1 )")
                                     .arg(QRegularExpression::escape(table)));
    // A master table has its row in the catalogue of masters, among the others' rows.
    const QRegularExpression catalogued(QStringLiteral("\\(\\s*\\d+\\s*,\\s*\\d+\\s*,\\s*'%1'\\s*,\\s*'[^']*'\\s*\\)")
                                            .arg(QRegularExpression::escape(table)));
    QStringList statements;
    for (const QString& part : lines.join(u'\n').split(u';')) {
        const QString statement = part.trimmed();
        if (own.match(statement).hasMatch())
            statements << statement;
        else if (statement.startsWith(QStringLiteral("INSERT INTO マスタ所属グループ ")))
            if (const QRegularExpressionMatch row = catalogued.match(statement); row.hasMatch())
                statements << QStringLiteral("INSERT INTO マスタ所属グループ VALUES ") + row.captured(0);
    }
    if (statements.isEmpty())
        throw DaoError(QStringLiteral("schema.sql: %1 がありません").arg(table));
    return statements;
}

namespace {
// The database the connection text names (libpq's default: the user's name).
QString namedDatabase(const QString& connection)
{
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connection.toUtf8().constData(), &error);
    PQfreemem(error);
    QString database, user;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, "dbname") == 0 && o->val)
            database = QString::fromUtf8(o->val);
        if (qstrcmp(o->keyword, "user") == 0 && o->val)
            user = QString::fromUtf8(o->val);
    }
    PQconninfoFree(options);
    return database.isEmpty() ? user : database;
}

// Makes the database when there is none of that name yet.
bool createMissingDatabase(const QString& connection, QString* reason)
{
    const QString database = namedDatabase(connection);
    if (database.isEmpty())
        return false;
    auto server = PgEngine::connectAny(connection, reason, QStringLiteral("postgres"));
    if (!server)
        server = PgEngine::connectAny(connection, reason, QStringLiteral("template1"));
    if (!server)
        return false;
    if (server->query(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {database}).count > 0)
        return false;
    server->execute(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'")
                        .arg(funcQuoteName(database)));
    return true;
}
} // namespace

bool funcCreateServerDatabase(const QString& connection, QString* reason)
{
    auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    try {
        QString why;
        auto engine = PgEngine::connectAny(connection, &why);
        if (!engine) {
            QString ignored;
            if (!createMissingDatabase(connection, &ignored))
                return fail(why);
            engine = PgEngine::connectAny(connection, &why);
            if (!engine)
                return fail(why);
        }
        const QString database = engine->query(QStringLiteral("SELECT current_database()")).values.at(0).toString();
        const EngineRows tables = engine->query(QStringLiteral(
            "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE c.relkind IN ('r', 'v') AND n.nspname = current_schema()"));
        if (tables.values.at(0).toInt() > 0)
            return fail(QStringLiteral("データベース %1 には既にテーブルがあります。上書きはしません。").arg(database));
        const EngineRows locale = engine->query(QStringLiteral(
            "SELECT datcollate, datctype, pg_encoding_to_char(encoding) FROM pg_database WHERE datname = current_database()"));
        const auto isC = [](const QString& name) { return name == QLatin1String("C") || name == QLatin1String("POSIX"); };
        if (!isC(locale.values.at(0).toString()) || !isC(locale.values.at(1).toString())
            || locale.values.at(2).toString() != QLatin1String("UTF8"))
            return fail(QStringLiteral("データベース %1 は UTF8 の C 照合順序ではありません（%2, %3, %4）。"
                                       "ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C' で作ってください。")
                            .arg(database, locale.values.at(0).toString(), locale.values.at(1).toString(),
                                 locale.values.at(2).toString()));
        engine->begin();
        engine->executeScript(funcServerSchemaSql());
        engine->commit();
        return true;
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
}

bool funcGrantServerAccess(const QString& connection, const QString& login, QString* reason)
{
    try {
        QString why;
        auto engine = PgEngine::connect(connection, &why);
        if (!engine) {
            if (reason)
                *reason = why;
            return false;
        }
        const EngineRows names = engine->query(QStringLiteral("SELECT current_database(), current_schema()"));
        const QString who = funcQuoteName(login);
        const QString schema = funcQuoteName(names.values.at(1).toString());
        engine->begin();
        const QString database = funcQuoteName(names.values.at(0).toString());
        // Only the login (and the owner) may connect: other roles of the server see no school.
        engine->execute(QStringLiteral("REVOKE CONNECT, TEMPORARY ON DATABASE %1 FROM PUBLIC").arg(database));
        engine->execute(QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2").arg(database, who));
        engine->execute(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, who));
        // Rows only. A restore empties the tables with TRUNCATE, which is the owner's
        // alone (given to the login by earlier versions, so taken back).
        engine->execute(QStringLiteral("REVOKE TRUNCATE ON ALL TABLES IN SCHEMA %1 FROM %2").arg(schema, who));
        engine->execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2").arg(schema, who));
        engine->commit();
        return true;
    } catch (const std::exception& e) {
        if (reason)
            *reason = QString::fromUtf8(e.what());
        return false;
    }
}
