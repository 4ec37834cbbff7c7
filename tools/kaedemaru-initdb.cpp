// kaedemaru-initdb PATH: creates a new, empty Revid.mdb at PATH.
// kaedemaru-initdb --server CONNINFO: creates the program's database on a server
// (the database itself too when CONNINFO names one that does not exist yet).
#include "Schema.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    const bool server = args.size() == 3 && args[1] == QLatin1String("--server");
    if (args.size() != 2 && !server) {
        err << "使い方: kaedemaru-initdb PATH\n"
               "        kaedemaru-initdb --server CONNINFO   (例: \"host=db.example port=5432 dbname=kaedemaru user=kaede\")\n";
        return 2;
    }
    QString reason;
    if (server ? !funcCreateServerDatabase(args[2], &reason) : !funcCreateDatabase(args[1], &reason)) {
        err << "データベースを作成できませんでした: " << reason << "\n";
        return 1;
    }
    return 0;
}
