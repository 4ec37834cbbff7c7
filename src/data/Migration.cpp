#include "Migration.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "PgEngine.h"
#include "Schema.h"
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

// Every table added since the first version, in the order they were added. Each
// is made by its own statements in the schema, so that a new school and an
// upgraded one hold the same table.
constexpr std::array<const char*, 12> kAddedTables = {{
    "設定", "マスタ定型文", "メール設定", "メール送信履歴", "マスタ休校日", "祝日授業", "祝日一覧", "通常クラス", "クラス生徒",
    "振替", "振替履歴", "振替ルール",
}};

QStringList missingTables(Database& db)
{
    QStringList missing;
    for (const char* table : kAddedTables)
        if (db.columnsOf(QString::fromUtf8(table)).isEmpty())
            missing << QString::fromUtf8(table);
    return missing;
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
// (Tables are added to the schema of 生徒台帳, whose owner they get.)
void requireOwner(Database& db, const QList<const AddedColumn*>& missing, const QStringList& missingTables)
{
    QStringList tables;
    if (!missingTables.isEmpty())
        tables << QStringLiteral("生徒台帳");
    for (const AddedColumn* added : missing)
        tables << QString::fromUtf8(added->table);
    tables.removeDuplicates();
    for (const QString& table : tables) {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT pg_has_role(tableowner, 'USAGE') FROM pg_tables"
                                                       " WHERE schemaname = current_schema() AND tablename = ?"),
                                        dbOpenDynaset, {table}, dbReadOnly);
        if (rs.eof() || !rs.field(0).toBool())
            throw DaoError(kMigrationNeedsOwnerText, QStringLiteral("42501"));
    }
}

// A table added on a server is given to the logins that work with the others.
void grantLikeStudents(Database& db, const QString& table)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT DISTINCT grantee FROM information_schema.role_table_grants"
                                                   " WHERE table_schema = current_schema() AND table_name = '生徒台帳'"
                                                   " AND privilege_type = 'UPDATE' AND grantee <> current_user"),
                                    dbOpenDynaset, dbReadOnly);
    QStringList logins;
    for (; !rs.eof(); rs.moveNext())
        logins << rs.field(0).toString();
    rs.close();
    for (const QString& login : logins)
        db.engine().execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO %2")
                                .arg(funcQuoteName(table), funcQuoteName(login)));
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

const QStringList& funcAddedTables()
{
    static const QStringList tables = [] {
        QStringList names;
        for (const char* table : kAddedTables)
            names << QString::fromUtf8(table);
        return names;
    }();
    return tables;
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
        requireOwner(db, missing, tables);
        makeFolder(backupFolder);
        copy = freePath(backupFolder, stemNow(QFileInfo(kDatabaseFileName).completeBaseName()));
        subWriteServerSnapshot(db.path(), copy);
    } else {
        copy = funcBackupFileCopy(db.path(), backupFolder);
    }
    Transaction transaction(db);
    for (const QString& table : tables) {
        for (const QString& statement : funcSchemaStatementsOf(table, db.isServer()))
            db.engine().execute(statement);
        if (db.isServer())
            grantLikeStudents(db, table);
    }
    for (const AddedColumn* added : missing)
        db.engine().execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                .arg(funcQuoteName(QString::fromUtf8(added->table)),
                                     funcQuoteName(QString::fromUtf8(added->column)), QString::fromUtf8(added->definition)));
    transaction.commit();
    db.forgetShapes();
    return copy;
}
