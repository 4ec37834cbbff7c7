// The student windows on the large demonstration school (about 3,000 students,
// drawn photographs), driven offscreen as the user drives them. Each time runs
// from the user's action to the moment the window is up and the event loop is
// idle again (its first paint done); closing the window is not counted.
//
// The change of school year is timed without a window: its preview of every student,
// and its commit of the finishing students (undone after each run, not counted).
//
//   bench_students [benchmark flags]
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "UiServices.h"
#include "YearChange.h"
#include "frmMenu.h"
#include "frm生徒情報詳細.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <stdexcept>

namespace {

// A student of the large school with a photograph.
int photographedStudent()
{
    static const int student = [] {
        school();
        Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 WHERE 削除フラグ = 0 ORDER BY 生徒番号"));
        for (; !rs.eof(); rs.moveNext())
            if (QFile::exists(funcPicturePath(funcToLong(rs.field(0)))))
                return funcToLong(rs.field(0));
        throw std::runtime_error("no student has a photograph");
    }();
    return student;
}

// Runs action, which opens a modal window; the time ends when the event loop
// of that window is first idle. check then looks at the window, which is closed afterwards.
double timeToModal(const std::function<void()>& action, const std::function<bool(QWidget*)>& check, bool& ok)
{
    QElapsedTimer clock;
    double seconds = 0;
    QTimer::singleShot(0, [&] {
        // Whatever is still queued (the paint among it) belongs to the opening.
        QCoreApplication::sendPostedEvents();
        seconds = clock.nsecsElapsed() / 1e9;
        QWidget* window = QApplication::activeModalWidget();
        ok = window && check(window);
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
    });
    clock.start();
    action();
    return seconds;
}

void BM_StudentList_FromMenu(benchmark::State& state)
{
    school();
    frmMenu menu;
    menu.show();
    int rows = 0;
    for (auto _ : state) {
        bool ok = false;
        const double seconds = timeToModal([&] { menu.lblMenu_Click(1); },
                                           [&](QWidget* list) {
                                               rows = list->findChild<QTreeWidget*>(QStringLiteral("lvList"))->topLevelItemCount();
                                               return rows > 2500;
                                           },
                                           ok);
        if (!ok) {
            state.SkipWithError("the list did not show the school's students");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_StudentList_FromMenu)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StudentDetail_OpenWithPhotograph(benchmark::State& state)
{
    const int student = photographedStudent();
    for (auto _ : state) {
        bool ok = false;
        const double seconds = timeToModal(
            [&] {
                frm生徒情報詳細 detail;
                detail.setPropMode(Syori::Edit);
                detail.setPropStudentID(student);
                detail.exec();
            },
            [](QWidget* detail) { return !detail->findChild<QLabel*>(QStringLiteral("imgStudent"))->pixmap().isNull(); }, ok);
        if (!ok) {
            state.SkipWithError("the photograph was not shown");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_StudentDetail_OpenWithPhotograph)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SchoolYear_Preview(benchmark::State& state)
{
    school();
    std::size_t students = 0;
    for (auto _ : state)
        students = YearChange::funcPreview(2026).students.size();
    state.counters["students"] = static_cast<double>(students);
}
BENCHMARK(BM_SchoolYear_Preview)->Unit(benchmark::kMillisecond);

void BM_SchoolYear_Commit(benchmark::State& state)
{
    school();
    QList<int> leaving;
    for (auto _ : state) {
        state.PauseTiming();
        const YearChange::Preview preview = YearChange::funcPreview(2026);
        leaving.clear();
        for (const YearChange::Student& s : preview.students)
            if (s.group == YearChange::Group::Finishing)
                leaving << s.no;
        state.ResumeTiming();
        if (YearChange::funcCommit(preview, leaving) != YearChange::Result::Stored) {
            state.SkipWithError("the change was not stored");
            return;
        }
        state.PauseTiming();
        YearChange::funcUndo(2026);
        state.ResumeTiming();
    }
    state.counters["leaving"] = leaving.size();
}
BENCHMARK(BM_SchoolYear_Commit)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
