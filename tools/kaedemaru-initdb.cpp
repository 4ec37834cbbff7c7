// kaedemaru-initdb PATH: creates a new, empty Revid.mdb at PATH.
// kaedemaru-initdb --server CONNINFO [--grant LOGIN]
// kaedemaru-initdb --server-file FILE [--grant LOGIN]: creates the program's database
// on a server (the database itself too when the connection names one that does not
// exist yet), as the owner the connection names. FILE is read like Revid.server, so
// that no password need appear on a command line. --grant lets LOGIN, the login the
// program uses, read and write the rows (also of a database made before).
// --upgrade brings a server database made by an earlier version up to date.
#include "DaoCommon.h"
#include "Migration.h"
#include "PgEngine.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {
// Adds what a database made by an earlier version lacks, as the tables' owner,
// after a snapshot of the data into ./Backup.
int upgradeServerDatabase(const QString& connection, QTextStream& err)
{
    Database db;
    QString reason;
    if (!db.openServer(connection, &reason)) {
        err << "データベースに接続できませんでした: " << reason << "\n";
        return 1;
    }
    try {
        const QString copy = funcMigrateDatabase(db, QDir::current().filePath(QStringLiteral("Backup")));
        QTextStream out(stdout);
        if (copy.isEmpty())
            out << "データベースは新しい形式です。変更はありません。\n";
        else
            out << "前のデータを " << copy << " に保存し、データベースを新しい形式にしました。\n";
        return 0;
    } catch (const std::exception& e) {
        err << "データベースを新しい形式にできませんでした: " << e.what() << "\n";
        return 1;
    }
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QStringList args = app.arguments();
    const auto usage = [&] {
        err << "使い方: kaedemaru-initdb PATH\n"
               "        kaedemaru-initdb --server CONNINFO [--grant LOGIN]   (例: \"host=db.example dbname=kaedemaru user=kaede_owner\")\n"
               "        kaedemaru-initdb --server-file FILE [--grant LOGIN]  (FILE は Revid.server と同じ書き方)\n"
               "        kaedemaru-initdb --server CONNINFO --upgrade         (前の版のデータベースを新しい形式に。コピーを ./Backup に保存)\n";
        return 2;
    };
    const bool upgrade = args.removeAll(QStringLiteral("--upgrade")) > 0;
    QString login;
    if (const qsizetype at = args.indexOf(QStringLiteral("--grant")); at > 0) {
        if (at + 1 >= args.size())
            return usage();
        login = args[at + 1];
        args.remove(at, 2);
    }
    if (args.size() == 2 && login.isEmpty() && !args[1].startsWith(QLatin1String("--"))) {
        QString reason;
        if (!funcCreateDatabase(args[1], &reason)) {
            err << "データベースを作成できませんでした: " << reason << "\n";
            return 1;
        }
        return 0;
    }
    if (args.size() != 3 || (args[1] != QLatin1String("--server") && args[1] != QLatin1String("--server-file")))
        return usage();
    QString connection = args[2];
    if (args[1] == QLatin1String("--server-file")) {
        const auto text = funcReadServerFile(args[2]);
        if (!text || text->isEmpty()) {
            err << args[2] << " を読めません\n";
            return 1;
        }
        connection = *text;
    }
    QString reason;
    if (upgrade)
        return upgradeServerDatabase(connection, err);
    // With --grant a database made before is given the login only.
    const bool made = !login.isEmpty() && PgEngine::connect(connection);
    if (!made && !funcCreateServerDatabase(connection, &reason)) {
        err << "データベースを作成できませんでした: " << reason << "\n";
        return 1;
    }
    if (!login.isEmpty() && !funcGrantServerAccess(connection, login, &reason)) {
        err << login << " に権限を与えられませんでした: " << reason << "\n";
        return 1;
    }
    return 0;
}
