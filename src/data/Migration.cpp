#include "Migration.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "PgEngine.h"
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
constexpr std::array<AddedColumn, 13> kAddedColumns = {{
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
}};

// Tables added since the first version: each with the statements that make it
// (in the dialect both engines read) and the rows it starts with.
struct AddedTable {
    const char* table;
    std::array<const char*, 3> statements;   // unused ones are null
};

constexpr std::array<AddedTable, 3> kAddedTables = {{
    {"マスタ定型文",
     {"CREATE TABLE マスタ定型文 (定型文ID INTEGER PRIMARY KEY, 定型文名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0)",
      "INSERT INTO マスタ所属グループ VALUES (3, 3, 'マスタ定型文', 'コメント欄でF2キーを押すと選べる定型文です。"
      "{名前}は生徒の名前（名＋さん）、{科目}は講座の科目名に置き換わります。')",
      nullptr}},
    {"メール設定",
     {"CREATE TABLE メール設定 (設定ID INTEGER PRIMARY KEY, ホスト TEXT, ポート INTEGER, STARTTLS INTEGER NOT NULL DEFAULT 1,"
      " ユーザー TEXT, 差出人 TEXT, パスワード暗号 TEXT, 更新回数 INTEGER NOT NULL DEFAULT 0)",
      nullptr, nullptr}},
    {"メール送信履歴",
     {"CREATE TABLE メール送信履歴 (送信ID INTEGER PRIMARY KEY, 生徒番号 INTEGER, 宛先 TEXT, 対象月 TEXT, ファイル名 TEXT,"
      " SHA256 TEXT, 送信日時 TEXT, 応答 TEXT)",
      "CREATE INDEX メール送信履歴_対象月 ON メール送信履歴 (対象月, 生徒番号)", nullptr}},
}};

QList<const AddedTable*> missingTables(Database& db)
{
    QList<const AddedTable*> missing;
    for (const AddedTable& added : kAddedTables)
        if (db.columnsOf(QString::fromUtf8(added.table)).isEmpty())
            missing << &added;
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
void requireOwner(Database& db, const QList<const AddedColumn*>& missing, bool newTables)
{
    if (newTables) {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT has_schema_privilege(current_schema(), 'CREATE')"), dbOpenDynaset,
                                        dbReadOnly);
        if (rs.eof() || !rs.field(0).toBool())
            throw DaoError(kMigrationNeedsOwnerText, QStringLiteral("42501"));
    }
    for (const AddedColumn* added : missing) {
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

// A table made by the owner is given to the program's logins as the students'
// table is: the same rights for the same roles.
void grantAsStudents(Database& db, const QString& table)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT grantee, string_agg(privilege_type, ',') FROM information_schema.role_table_grants"
                                                   " WHERE table_schema = current_schema() AND table_name = ? AND grantee <> current_user"
                                                   " GROUP BY grantee"),
                                    dbOpenDynaset, {QStringLiteral("生徒台帳")}, dbReadOnly);
    QList<std::pair<QString, QString>> grants;
    for (; !rs.eof(); rs.moveNext())
        grants.append({funcToString(rs.field(0)), funcToString(rs.field(1))});
    rs.close();
    for (const auto& [grantee, rights] : grants)
        db.engine().execute(QStringLiteral("GRANT %1 ON %2 TO %3").arg(rights, funcQuoteName(table), funcQuoteName(grantee)));
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
    const QList<const AddedTable*> tables = missingTables(db);
    if (missing.isEmpty() && tables.isEmpty())
        return {};
    QString copy;
    if (db.isServer()) {
        requireOwner(db, missing, !tables.isEmpty());
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
    for (const AddedTable* added : tables) {
        for (const char* statement : added->statements)
            if (statement)
                db.engine().execute(QString::fromUtf8(statement));
        if (db.isServer())
            grantAsStudents(db, QString::fromUtf8(added->table));
    }
    transaction.commit();
    db.forgetShapes();
    return copy;
}
