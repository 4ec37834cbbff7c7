// The embedded file and the server side by side on the large demonstration
// school: the course list of every lesson, one student's lessons through the
// nested saved query, one lesson's attendance panel, a daily report of 500
// lessons, and four clients adding students at once. The argument of each
// benchmark is the engine: 0 the encrypted file, 1 the server.
//
//   bench_server [benchmark flags]
// The server is a throw-away cluster on 127.0.0.1 (tests/support/pgcluster.sh),
// started for the run and stopped at its end.
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "ExcelOut.h"
#include "ReportCommon.h"
#include "Schema.h"
#include "UiServices.h"
#include "clsDataCtl.h"
#include "frm講座情報一覧.h"
#include "frm講座情報詳細.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <thread>

namespace {

constexpr int kNippouLessons = 500;

int run(const QStringList& args)
{
    return QProcess::execute(QStringLiteral(KAEDE_PG_CLUSTER), args);
}

// Two program folders holding the same school: one with Revid.mdb, one with a
// Revid.server naming the cluster's copy.
struct Schools {
    QTemporaryDir dir;
    QString folder[2];
    QString connection;
    int lessons = 0;
    QString nippouSql;

    Schools()
    {
        std::fprintf(stderr, "making the large school in a file and on a server in %s ...\n", qPrintable(dir.path()));
        const QString state = dir.filePath(QStringLiteral("pg"));
        if (run({QStringLiteral("start"), state, QStringLiteral(KAEDE_INITDB)}) != 0)
            throw std::runtime_error("the cluster did not start");
        QFile info(state + QStringLiteral("/conninfo"));
        if (!info.open(QIODevice::ReadOnly))
            throw std::runtime_error("no connection text");
        connection = QString::fromUtf8(info.readAll()).trimmed() + QStringLiteral(" dbname=kaede_bench");
        QString reason;
        DemoSummary summary;
        for (int engine = 0; engine < 2; ++engine) {
            folder[engine] = dir.filePath(engine == 0 ? QStringLiteral("embedded") : QStringLiteral("server")) + QLatin1Char('/');
            QDir().mkpath(folder[engine]);
            QFile::copy(QStringLiteral(KAEDE_PROGRAM_DIR "/") + kTemplateFileName, folder[engine] + kTemplateFileName);
        }
        if (!funcCreateDemoSchool(folder[0] + kDatabaseFileName, DemoSize::Large, LargeSchool::kSchoolDay, &reason, &summary)
            || !funcCreateServerDemoSchool(connection + QStringLiteral(" user=kaede_owner"), DemoSize::Large,
                                           LargeSchool::kSchoolDay, &reason)
            || !funcGrantServerAccess(connection + QStringLiteral(" user=kaede_owner"), QStringLiteral("kaede_app"), &reason))
            throw std::runtime_error(reason.toStdString());
        lessons = summary.lessons;
        QFile server(folder[1] + kServerFileName);
        if (!server.open(QIODevice::WriteOnly) || server.write(connection.toUtf8()) < 0)
            throw std::runtime_error("cannot write Revid.server");
        server.close();
        setUiServices(std::make_unique<BenchUi>());
        use(0);
        clsDataCtl ids;
        ids.funcOpenRec(QStringLiteral(" SELECT DISTINCT 毎講座ID FROM 講座出席 ORDER BY 毎講座ID LIMIT %1").arg(kNippouLessons));
        QStringList terms;
        for (int i = 0; i < ids.propCount(); ++i) {
            ids.setPropID(i);
            terms << QStringLiteral(" 毎講座ID = ") + ids.propData(QStringLiteral("毎講座ID"));
        }
        nippouSql = QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE ") + terms.join(QStringLiteral(" OR "))
                    + QStringLiteral(" ORDER BY 毎講座ID,講座日,生徒番号");
    }
    ~Schools()
    {
        CloseDatabase();
        run({QStringLiteral("stop"), dir.filePath(QStringLiteral("pg"))});
    }
    void use(int engine)
    {
        setAppPathForTests(folder[engine]);
        if (gDatabase.isOpen() && gDatabase.isServer() == (engine == 1))
            return;
        CloseDatabase();
        if (!OpenDatabase(false, folder[engine] + kDatabaseFileName))
            throw std::runtime_error("cannot open the school");
    }
};

Schools& schools(benchmark::State& state)
{
    static Schools s;
    s.use(static_cast<int>(state.range(0)));
    state.SetLabel(state.range(0) == 0 ? "embedded" : "server");
    return s;
}

// Runs step once the list is the active modal window, then closes it.
void whileOpen(QDialog& window, const std::function<void()>& step)
{
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == &window) {
            poll.stop();
            step();
            window.done(QDialog::Rejected);
        }
    });
    poll.start();
    window.exec();
}

int listRows(benchmark::State& state, bool oneStudent)
{
    int rows = 0;
    for (auto _ : state) {
        frm講座情報一覧 list;
        list.setPropNoSearch(true);
        if (oneStudent) {
            list.setPropTableName(QStringLiteral("QRY_講座出席出力"));
            list.setPropStudentNo(1);
            list.setPropStudentName(QStringLiteral("生徒"));
        }
        whileOpen(list, [&] { rows = list.findChild<QTreeWidget*>(QStringLiteral("lvList"))->topLevelItemCount(); });
    }
    state.counters["rows"] = rows;
    return rows;
}

void BM_CourseList_AllLessons(benchmark::State& state)
{
    const Schools& s = schools(state);
    if (listRows(state, false) != s.lessons)
        state.SkipWithError("not every lesson was listed");
}
BENCHMARK(BM_CourseList_AllLessons)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CourseList_OneStudent(benchmark::State& state)
{
    schools(state);
    if (listRows(state, true) == 0)
        state.SkipWithError("the student has no lessons");
}
BENCHMARK(BM_CourseList_OneStudent)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AttendancePanel_BusiestLesson(benchmark::State& state)
{
    schools(state);
    int lesson = 0;
    {
        Recordset rs = gDatabase.openRecordset(
            QStringLiteral("SELECT 毎講座ID FROM 講座出席 GROUP BY 毎講座ID ORDER BY COUNT(*) DESC, 毎講座ID LIMIT 1"));
        lesson = rs.field(0).toInt();
    }
    int students = 0;
    for (auto _ : state) {
        auto w = std::make_unique<frm講座情報詳細>(Syori::Edit, lesson);
        w->show();
        QCoreApplication::processEvents();
        students = w->findChild<QTreeWidget*>(QStringLiteral("lvList"))->topLevelItemCount();
        w.reset();
    }
    state.counters["students"] = students;
}
BENCHMARK(BM_AttendancePanel_BusiestLesson)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Nippou_500Lessons(benchmark::State& state)
{
    const Schools& s = schools(state);
    for (auto _ : state) {
        ExcelOut out;
        out.setPropExcelSheet(QStringLiteral("日報"));
        if (!out.funcPrintStart()) {
            state.SkipWithError("no template");
            return;
        }
        out.subNippouPrint(s.nippouSql, QString());
        out.subPrintEnd();
        if (out.writtenPath().isEmpty()) {
            state.SkipWithError("nothing written");
            return;
        }
        QFile::remove(out.writtenPath());
    }
}
BENCHMARK(BM_Nippou_500Lessons)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Four PCs add students at once, each numbering them as the student window
// does: a server's counter, or the largest number plus one in the file (which
// is meant for one PC: there the collisions are counted, not hidden).
void BM_AddStudents_4Clients(benchmark::State& state)
{
    Schools& s = schools(state);
    const int engine = static_cast<int>(state.range(0));
    constexpr int clients = 4, rowsEach = 100;
    std::atomic<long long> added{0}, failed{0};
    for (auto _ : state) {
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&] {
                Database db;
                const bool open = engine == 0 ? db.open(s.folder[0] + kDatabaseFileName, false) : db.openServer(s.connection);
                if (!open) {
                    failed += rowsEach;
                    return;
                }
                for (int k = 0; k < rowsEach; ++k) {
                    try {
                        int id;
                        if (const auto next = db.takeNextId(QStringLiteral("生徒台帳"), QStringLiteral("生徒番号"))) {
                            id = *next;
                        } else {
                            Recordset rs = db.openRecordset(QStringLiteral("Select Max(生徒番号) AS 最大ID From 生徒台帳"), dbOpenDynaset, dbReadOnly);
                            id = rs.field(0).toInt() + 1;
                        }
                        db.execute(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (%1, 'ﾍﾞﾝﾁ', 'ベンチ', 1)").arg(id));
                        ++added;
                    } catch (const DaoError&) {
                        ++failed;
                    }
                }
            });
        }
        for (std::thread& t : threads)
            t.join();
    }
    state.counters["added"] = benchmark::Counter(static_cast<double>(added), benchmark::Counter::kIsRate);
    state.counters["failed"] = static_cast<double>(failed);
    gDatabase.execute(QStringLiteral("DELETE FROM 生徒台帳 WHERE 氏名カナ = 'ﾍﾞﾝﾁ'"));
}
BENCHMARK(BM_AddStudents_4Clients)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
