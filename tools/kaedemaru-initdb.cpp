// kaedemaru-initdb PATH: creates a new, empty Revid.mdb at PATH.
#include "Schema.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "使い方: kaedemaru-initdb PATH\n";
        return 2;
    }
    QString reason;
    if (!funcCreateDatabase(args[1], &reason)) {
        err << "データベースを作成できませんでした: " << reason << "\n";
        return 1;
    }
    return 0;
}
