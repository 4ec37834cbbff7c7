// kaedemaru-report monthly --month 2026-11 --pdf OUTDIR [--one-file] [--students 1,5,9] DB
// kaedemaru-report monthly --month 2026-11 --pdf OUTDIR [...] --server-file Revid.server
// Writes the month's monthly reports as PDF into OUTDIR (made when missing): one
// file per student, named as the report window names them, or with --one-file
// all in one. Every student not deleted who may take lessons in the month is
// reported unless --students names them. The written files are printed, one a line.
// Exit status: 0 done, 2 the arguments, the database, the month or a student
// could not be read, or a file could not be written (a message says which).
#include "ErrorLog.h"
#include "MonthlyPdf.h"
#include "ToolCommon.h"

#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>

#include <memory>
#include <optional>
#include <variant>

namespace {

struct Options {
    QDate month;
    QString folder;
    bool oneFile = false;
    std::optional<QList<int>> students;
    QString database;
    bool server = false;
};

const char* const kUsage =
    "使い方: kaedemaru-report monthly --month YYYY-MM --pdf OUTDIR [--one-file] [--students 1,5,9] DB\n"
    "        kaedemaru-report monthly --month YYYY-MM --pdf OUTDIR [...] --server-file Revid.server\n";

// The options, or the reason they cannot be taken.
std::variant<Options, QString> parse(QStringList args)
{
    Options o;
    args.removeFirst();
    if (args.isEmpty() || args.takeFirst() != QLatin1String("monthly"))
        return QStringLiteral("帳票の種類は monthly だけです");
    QStringList positional;
    QString month;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--one-file")) {
            o.oneFile = true;
        } else if (a == QLatin1String("--month") && hasValue) {
            month = args[++i];
        } else if (a == QLatin1String("--pdf") && hasValue) {
            o.folder = args[++i];
        } else if (a == QLatin1String("--server-file") && hasValue) {
            o.server = true;
            o.database = args[++i];
        } else if (a == QLatin1String("--students") && hasValue) {
            QList<int> numbers;
            for (const QString& n : args[++i].split(u',', Qt::SkipEmptyParts)) {
                bool ok = false;
                numbers << n.trimmed().toInt(&ok);
                if (!ok || numbers.last() <= 0)
                    return QStringLiteral("生徒番号の指定が正しくありません: ") + n;
            }
            o.students = numbers;
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("知らないオプションです: ") + a;
        } else {
            positional << a;
        }
    }
    if (positional.size() != (o.server ? 0 : 1) || o.folder.isEmpty() || month.isEmpty())
        return QString();
    if (!o.server)
        o.database = positional.first();
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{1,2})$"));
    const QRegularExpressionMatch m = form.match(month);
    o.month = m.hasMatch() ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), 1) : QDate();
    if (!o.month.isValid() || o.month.year() < 2000)
        return QStringLiteral("月の指定が正しくありません（例: 2026-11）: ") + month;
    const QDate today = QDate::currentDate();
    if (o.month > QDate(today.year(), today.month(), 1))
        return QStringLiteral("まだ来ていない月の報告書は作れません: ") + month;
    return o;
}

// The numbers named that are no live student.
QStringList unknownStudents(const monthly::Report& report, const QList<int>& asked)
{
    QSet<int> found;
    for (const monthly::Student& s : report.students)
        found.insert(s.number);
    QStringList missing;
    for (int n : asked)
        if (!found.contains(n))
            missing << QString::number(n);
    return missing;
}

} // namespace

int main(int argc, char** argv)
{
    // Pages are drawn without any display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    setUiServices(std::make_unique<ConsoleUi>());
    const ServerFaultsToCaller serverFaults;
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto parsed = parse(app.arguments());
    if (const QString* reason = std::get_if<QString>(&parsed)) {
        if (!reason->isEmpty())
            err << *reason << "\n";
        err << kUsage;
        return 2;
    }
    const Options& o = std::get<Options>(parsed);
    if (!funcOpenToolDatabase(o.database, o.server, err))
        return 2;
    try {
        QList<int> students;
        if (o.students) {
            students = *o.students;
        } else if (const auto all = monthly::funcStudentsOfMonth(o.month)) {
            students = *all;
        } else {
            return 2;   // told on stderr
        }
        const std::optional<monthly::Report> report = monthly::funcBuild(students, o.month, QDate::currentDate());
        if (!report)
            return 2;
        if (const QStringList missing = unknownStudents(*report, students); !missing.isEmpty()) {
            err << "次の生徒番号の生徒はいません: " << missing.join(QStringLiteral(", ")) << "\n";
            return 2;
        }
        if (report->students.empty()) {
            err << "出力する生徒がありません。\n";
            return 0;
        }
        if (!QDir().mkpath(o.folder)) {
            err << o.folder << " を作れません\n";
            return 2;
        }
        const MonthlyPdf::Saved saved =
            o.oneFile ? MonthlyPdf::funcSaveOne(*report, o.folder) : MonthlyPdf::funcSaveEach(*report, o.folder);
        for (const QString& f : saved.files)
            out << f << "\n";
        if (!saved.failed.isEmpty()) {
            err << saved.failed << " に書き込めません\n";
            return 2;
        }
        gDatabase.close();
        return 0;
    } catch (const std::exception& e) {
        err << "報告書を作れませんでした: " << QString::fromStdString(e.what()) << "\n";
        return 2;
    }
}
