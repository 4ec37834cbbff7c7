#include "Migration.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "PgEngine.h"
#include "SchemaText.h"
#include "Snapshot.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <array>

namespace {
struct AddedColumn {
    const char* table;
    const char* column;
    const char* definition;
};

// Every column added since the first version, in the order they were added.
constexpr std::array<AddedColumn, 16> kAddedColumns = {{
    {"生徒台帳", "更新回数", "INTEGER NOT NULL DEFAULT 0"},
    {"毎講座履歴", "更新回数", "INTEGER NOT NULL DEFAULT 0"},
    {"講座出席", "更新回数", "INTEGER NOT NULL DEFAULT 0"},
    {"生徒台帳", "学年補正", "INTEGER NOT NULL DEFAULT 0"},
    {"生徒台帳", "手動学年", "TEXT"},
    {"生徒台帳", "手動学年度", "INTEGER"},
    {"生徒台帳", "保護者氏名", "TEXT"},
    {"生徒台帳", "続柄", "TEXT"},
    {"生徒台帳", "保護者電話", "TEXT"},
    {"生徒台帳", "保護者メール", "TEXT"},
    {"生徒台帳", "在籍状態", "INTEGER NOT NULL DEFAULT 0"},
    {"生徒台帳", "状態日付", "TEXT"},
    {"生徒台帳", "退塾理由", "TEXT"},
    {"毎講座履歴", "通常クラスID", "INTEGER"},
    {"講座出席", "欠席連絡", "INTEGER NOT NULL DEFAULT 0"},
    {"講座出席", "振替ID", "INTEGER"},
}};

// Every table added since the first version; made as schema.sql makes them, with their indexes.
constexpr std::array<const char*, 8> kAddedTables = {"マスタ休校日", "祝日授業", "祝日一覧", "通常クラス", "クラス生徒", "振替", "振替履歴", "振替ルール"};

QStringList missingTables(Database& db)
{
    QStringList missing;
    for (const char* table : kAddedTables)
        if (db.columnsOf(QString::fromUtf8(table)).isEmpty())
            missing << QString::fromUtf8(table);
    return missing;
}

// The statements of schema.sql that make the table and its indexes.
QStringList creationOf(const QString& table)
{
    QString plain;
    for (const QString& line : QString::fromUtf8(kSchemaSql).split(u'\n'))
        if (!line.trimmed().startsWith(QStringLiteral("--")))
            plain += line + u'\n';
    QStringList statements;
    for (const QString& part : plain.split(u';')) {
        const QString statement = part.trimmed();
        if (statement.startsWith(QStringLiteral("CREATE TABLE ") + table + u' ')
            || (statement.startsWith(QStringLiteral("CREATE INDEX ")) && statement.contains(QStringLiteral(" ON ") + table + QStringLiteral(" ("))))
            statements << statement;
    }
    return statements;
}

// On a server the login that works on 毎講座履歴 gets the same rights on a new table.
void grantLikeLessons(Database& db, const QString& table)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT DISTINCT grantee FROM information_schema.role_table_grants"
                                                   " WHERE table_schema = current_schema() AND table_name = ? AND grantee <> current_user"
                                                   " AND privilege_type = 'INSERT'"),
                                    dbOpenDynaset, {QStringLiteral("毎講座履歴")}, dbReadOnly);
    for (; !rs.eof(); rs.moveNext())
        db.engine().execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO %2")
                                .arg(funcQuoteName(table), funcQuoteName(rs.field(0).toString())));
}

QList<const AddedColumn*> missingColumns(Database& db)
{
    QList<const AddedColumn*> missing;
    for (const AddedColumn& added : kAddedColumns)
        if (!db.columnsOf(QString::fromUtf8(added.table)).contains(QString::fromUtf8(added.column), Qt::CaseInsensitive))
            missing << &added;
    return missing;
}

QString freePath(const QString& folder, const QString& stem)
{
    QString path = QDir(folder).filePath(stem + QStringLiteral(".mdb"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(stem + u'_' + QString::number(n) + QStringLiteral(".mdb"));
    return path;
}

QString stemNow(const QString& base)
{
    return base + u'_' + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

// On a server only the tables' owner may add columns: the office login learns so
// before any snapshot is taken, at every start.
void requireOwner(Database& db, const QList<const AddedColumn*>& missing)
{
    QList<const AddedColumn*> tables = missing;
    // New tables are made by the owner of the lessons' table.
    static constexpr AddedColumn kLessons{"毎講座履歴", "", ""};
    tables << &kLessons;
    for (const AddedColumn* added : tables) {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT pg_has_role(tableowner, 'USAGE') FROM pg_tables"
                                                       " WHERE schemaname = current_schema() AND tablename = ?"),
                                        dbOpenDynaset, {QString::fromUtf8(added->table)}, dbReadOnly);
        if (rs.eof() || !rs.field(0).toBool())
            throw DaoError(kMigrationNeedsOwnerText, QStringLiteral("42501"));
    }
}

void makeFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw std::runtime_error(QStringLiteral("フォルダ %1 を作れません").arg(folder).toStdString());
}
} // namespace

bool funcNeedsMigration(Database& db)
{
    return !missingColumns(db).isEmpty() || !missingTables(db).isEmpty();
}

QString funcBackupFileCopy(const QString& databasePath, const QString& folder)
{
    makeFolder(folder);
    const QFileInfo database(databasePath);
    const QString path = freePath(folder, stemNow(database.completeBaseName()));
    subCopyWholeFile(database.absoluteFilePath(), path);
    return path;
}

QString funcMigrateDatabase(Database& db, const QString& backupFolder)
{
    const QList<const AddedColumn*> missing = missingColumns(db);
    const QStringList tables = missingTables(db);
    if (missing.isEmpty() && tables.isEmpty())
        return {};
    QString copy;
    if (db.isServer()) {
        requireOwner(db, missing);
        makeFolder(backupFolder);
        copy = freePath(backupFolder, stemNow(QFileInfo(kDatabaseFileName).completeBaseName()));
        subWriteServerSnapshot(db.path(), copy);
    } else {
        copy = funcBackupFileCopy(db.path(), backupFolder);
    }
    Transaction transaction(db);
    for (const AddedColumn* added : missing)
        db.engine().execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                .arg(funcQuoteName(QString::fromUtf8(added->table)),
                                     funcQuoteName(QString::fromUtf8(added->column)), QString::fromUtf8(added->definition)));
    for (const QString& table : tables) {
        for (const QString& statement : creationOf(table))
            db.engine().execute(statement);
        if (db.isServer())
            grantLikeLessons(db, table);
    }
    transaction.commit();
    db.forgetShapes();
    return copy;
}
