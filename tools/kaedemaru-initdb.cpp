// kaedemaru-initdb PATH: creates a new, empty Revid.mdb at PATH.
// kaedemaru-initdb --server CONNINFO [--grant LOGIN]
// kaedemaru-initdb --server-file FILE [--grant LOGIN]: creates the program's database
// on a server (the database itself too when the connection names one that does not
// exist yet), as the owner the connection names. FILE is read like Revid.server, so
// that no password need appear on a command line. --grant lets LOGIN, the login the
// program uses, read and write the rows (also of a database made before).
#include "DaoCommon.h"
#include "PgEngine.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QStringList args = app.arguments();
    const auto usage = [&] {
        err << "使い方: kaedemaru-initdb PATH\n"
               "        kaedemaru-initdb --server CONNINFO [--grant LOGIN]   (例: \"host=db.example dbname=kaedemaru user=kaede_owner\")\n"
               "        kaedemaru-initdb --server-file FILE [--grant LOGIN]  (FILE は Revid.server と同じ書き方)\n";
        return 2;
    };
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
