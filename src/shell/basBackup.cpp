#include "basBackup.h"

#include "DaoCommon.h"
#include "PgEngine.h"
#include "Snapshot.h"
#include "UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <stdexcept>

QString funcBackupFileName(const QDate& day)
{
    return day.toString(QStringLiteral("yyyyMMdd")) + kDatabaseFileName;
}

QString funcBackupFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    const QString folder = QDir(documents).filePath(QStringLiteral("楓丸くん バックアップ"));
    // A folder that cannot be made leaves the dialog in the documents folder.
    return QDir().mkpath(folder) ? folder : documents;
}

bool funcIsProgramDatabase(const QString& path)
{
    // Every table of the first version; a file without them would end the program at
    // the next window that opens. Those added since are added when the file is opened.
    const QStringList& required = funcFirstTables();
    // The saved queries the lists and reports read.
    static const QStringList requiredViews = {QStringLiteral("QRY_講座内容"), QStringLiteral("QRY_講座出席出力")};
    try {
        Database probe;
        if (!probe.open(path, false))
            return false;
        Recordset rs = probe.openRecordset(
            QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN ('table', 'view')"), dbOpenDynaset, dbReadOnly);
        QSet<QString> tables;
        QSet<QString> views;
        while (!rs.eof()) {
            (rs.field(0).toString() == QLatin1String("view") ? views : tables).insert(rs.field(1).toString());
            rs.moveNext();
        }
        rs.close();
        const auto holdsAll = [](const QSet<QString>& present, const QStringList& names) {
            return std::all_of(names.begin(), names.end(), [&](const QString& name) { return present.contains(name); });
        };
        return holdsAll(tables, required) && holdsAll(views, requiredViews);
    } catch (const std::exception&) {
        return false;
    }
}

bool funcSameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    return first.exists() && second.exists() && first.canonicalFilePath() == second.canonicalFilePath();
}

QString funcPictureBackupFolder(const QString& backupFile)
{
    const QFileInfo file(backupFile);
    QString name = file.fileName();
    // "20261207Revid.mdb" keeps its date: "20261207Picture".
    if (name.endsWith(QStringLiteral("Revid.mdb"), Qt::CaseInsensitive))
        name.chop(static_cast<int>(QStringLiteral("Revid.mdb").size()));
    else
        name = file.completeBaseName();
    return file.absoluteDir().filePath(name + QStringLiteral("Picture"));
}

int subCopyPictures(const QString& fromFolder, const QString& toFolder)
{
    const QDir from(fromFolder);
    if (!from.exists())
        return 0;
    if (!QDir().mkpath(toFolder))
        throw std::runtime_error(QStringLiteral("フォルダ %1 を作れません").arg(toFolder).toStdString());
    int copied = 0;
    for (const QFileInfo& file : from.entryInfoList(QDir::Files | QDir::Hidden)) {
        subCopyWholeFile(file.absoluteFilePath(), QDir(toFolder).filePath(file.fileName()));
        ++copied;
    }
    return copied;
}

std::optional<QString> funcOwnerConnection(const QString& connection)
{
    auto* server = gDatabase.isServer() ? dynamic_cast<PgEngine*>(&gDatabase.engine()) : nullptr;
    const QString owner = server ? server->tableOwner() : QString();
    if (owner.isEmpty())
        return std::nullopt;
    const auto password = ui().askPassword(
        QStringLiteral("サーバーのデータを置き換えるには、データの所有者（%1）のパスワードが必要です。\r\nパスワードを入力してください。")
            .arg(owner),
        kTitle);
    if (!password)
        return std::nullopt;
    return funcConnectionAs(connection, owner, *password);
}
