// kaedemaru-demo PATH [small|large] [yyyy/mm/dd]: creates a new Revid.mdb at PATH
// holding a made-up school; kaedemaru-demo --server CONNINFO [small|large] [yyyy/mm/dd]
// makes the same school in a new database on a server; --server-file FILE reads the
// connection from a file written like Revid.server (no password on the command line). The date (today when left out) places the school
// year and the notices; the same date gives the same data.
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments();
    const bool fromFile = args.size() >= 3 && args[1] == QLatin1String("--server-file");
    const bool server = fromFile || (args.size() >= 3 && args[1] == QLatin1String("--server"));
    if (server)
        args.removeAt(1);
    if (fromFile) {
        const auto text = funcReadServerFile(args[1]);
        if (!text || text->isEmpty()) {
            err << args[1] << " を読めません\n";
            return 1;
        }
        args[1] = *text;
    }
    const auto usage = [&] {
        err << "使い方: kaedemaru-demo PATH [small|large] [yyyy/mm/dd]\n"
               "        kaedemaru-demo --server CONNINFO [small|large] [yyyy/mm/dd]\n"
               "        kaedemaru-demo --server-file FILE [small|large] [yyyy/mm/dd]\n"
               "  small: 生徒約60人・講座数百件（画面の確認用、既定）\n"
               "  large: 生徒約3,000人・講座約30,000件・出席約300,000件（性能測定用）\n";
        return 2;
    };
    // A path that starts with "-" is an option mistyped (--help), never a file to create.
    if (args.size() < 2 || args.size() > 4 || (!server && args[1].startsWith(u'-')))
        return usage();
    DemoSize size = DemoSize::Small;
    if (args.size() >= 3) {
        if (args[2] == QLatin1String("large"))
            size = DemoSize::Large;
        else if (args[2] != QLatin1String("small"))
            return usage();
    }
    QDate today = QDate::currentDate();
    if (args.size() == 4) {
        today = funcTextDate(args[3]);
        if (!today.isValid())
            return usage();
    }
    QElapsedTimer timer;
    timer.start();
    QString reason;
    DemoSummary summary;
    const bool made = server ? funcCreateServerDemoSchool(args[1], size, today, &reason, &summary)
                             : funcCreateDemoSchool(args[1], size, today, &reason, &summary);
    if (!made) {
        err << "デモ用データベースを作成できませんでした: " << reason << "\n";
        return 1;
    }
    // A connection text may hold a password: it is not repeated on the screen.
    out << (server ? QStringLiteral("サーバーのデータベース") : args[1]) << ": 生徒 " << summary.students << " 人（うち退塾 "
        << summary.deletedStudents << " 人）、講座 " << summary.lessons << " 件、出席 " << summary.attendance
        << " 件、連絡事項 " << summary.notices << " 件、写真 " << summary.pictures << " 枚（基準日 "
        << funcDateText(today) << "、" << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " 秒）\n";
    return 0;
}
