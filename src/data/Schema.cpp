#include "Schema.h"

#include "DaoCommon.h"
#include "SchemaText.h"

#include <QFile>
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
