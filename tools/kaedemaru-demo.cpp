// kaedemaru-demo PATH [small|large] [yyyy/mm/dd]: creates a new Revid.mdb at PATH
// holding a made-up school. The date (today when left out) places the school
// year and the notices; the same date gives the same data.
#include "CommonBase.h"
#include "DemoSchool.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    const auto usage = [&] {
        err << "使い方: kaedemaru-demo PATH [small|large] [yyyy/mm/dd]\n"
               "  small: 生徒約60人・講座数百件（画面の確認用、既定）\n"
               "  large: 生徒約3,000人・講座約30,000件・出席約300,000件（性能測定用）\n";
        return 2;
    };
    if (args.size() < 2 || args.size() > 4)
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
    if (!funcCreateDemoSchool(args[1], size, today, &reason, &summary)) {
        err << "デモ用データベースを作成できませんでした: " << reason << "\n";
        return 1;
    }
    out << args[1] << ": 生徒 " << summary.students << " 人（うち退塾 " << summary.deletedStudents << " 人）、講座 "
        << summary.lessons << " 件、出席 " << summary.attendance << " 件、連絡事項 " << summary.notices << " 件、写真 "
        << summary.pictures << " 枚（基準日 "
        << funcDateText(today) << "、" << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " 秒）\n";
    return 0;
}
