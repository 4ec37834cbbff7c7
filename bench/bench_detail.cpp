// The course detail window on the large demonstration school, driven as the
// user drives it (offscreen): registering one weekday over a school year,
// opening a lesson with its panel of every student, moving to the next student.
//
//   bench_detail [benchmark flags]
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "MainCommon.h"
#include "UiServices.h"
#include "frm講座情報詳細.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>

namespace {

template <class T>
T* control(const QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromUtf8(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return found;
}

// Every Tuesday of the school year 2026/04/01 - 2027/03/31 (52 lessons), from the
// click on the save button to the last row stored; the rows are removed again
// outside the timing.
void BM_BulkRegistration_SchoolYear(benchmark::State& state)
{
    school();
    const int before = funcGetMaxID(QStringLiteral("毎講座履歴"), QStringLiteral("毎講座ID"));
    for (auto _ : state) {
        state.PauseTiming();
        frm講座情報詳細 w(Syori::Add, 0);
        w.show();
        for (int i = 0; i < 6; ++i)
            control<QComboBox>(&w, qPrintable(QStringLiteral("cboEdit_%1").arg(i)))->setCurrentIndex(1);
        control<QCheckBox>(&w, "chkIkkatu")->click();
        control<QDateEdit>(&w, "DTPDate_1")->setDate(QDate(2026, 4, 1));
        control<QDateEdit>(&w, "DTPDate_2")->setDate(QDate(2027, 3, 31));
        auto* youbi = control<QComboBox>(&w, "cboEdit_6");
        youbi->setCurrentIndex(youbi->findData(2));
        state.ResumeTiming();

        control<QPushButton>(&w, "cmdOK")->click();

        state.PauseTiming();
        const int added = funcGetMaxID(QStringLiteral("毎講座履歴"), QStringLiteral("毎講座ID")) - before;
        if (!w.propOK() || added != 52) {
            state.SkipWithError("the school year did not give 52 lessons");
            return;
        }
        gDatabase.execute(QStringLiteral("DELETE FROM 毎講座履歴 WHERE 毎講座ID > %1").arg(before));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BulkRegistration_SchoolYear)->Unit(benchmark::kMillisecond);

// The lesson with the most students.
int busiestLesson()
{
    Recordset rs = gDatabase.openRecordset(
        QStringLiteral("SELECT 毎講座ID FROM 講座出席 GROUP BY 毎講座ID ORDER BY COUNT(*) DESC, 毎講座ID LIMIT 1"));
    return rs.field(0).toInt();
}

// From the course list's double click to the window shown with every student
// listed, the lesson's students ticked and counted.
void BM_OpenLesson_WithPanel(benchmark::State& state)
{
    school();
    const int lesson = busiestLesson();
    int students = 0;
    for (auto _ : state) {
        auto w = std::make_unique<frm講座情報詳細>(Syori::Edit, lesson);
        w->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        students = control<QTreeWidget>(w.get(), "lvList")->topLevelItemCount();
        w.reset();
        state.ResumeTiming();
    }
    state.counters["students"] = students;
}
BENCHMARK(BM_OpenLesson_WithPanel)->Unit(benchmark::kMillisecond);

// Moving from one student of the lesson to the next: the marks of the one
// shown are stored, those of the next are read and shown. Marking: the first
// mark of each student is changed before moving on, so every move writes.
void nextStudent(benchmark::State& state, bool marking)
{
    school();
    frm講座情報詳細 w(Syori::Edit, busiestLesson());
    w.show();
    QCoreApplication::processEvents();
    auto* list = control<QTreeWidget>(&w, "lvList");
    auto* mark = control<QComboBox>(&w, "cbo態度評価_0");
    QList<QTreeWidgetItem*> ticked;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->checkState(0) == Qt::Checked)
            ticked << list->topLevelItem(i);
    if (ticked.size() < 2) {
        state.SkipWithError("the lesson has fewer than two students");
        return;
    }
    int next = 0;
    for (auto _ : state) {
        if (marking)
            mark->setCurrentIndex((mark->currentIndex() + 1) % 5);
        next = (next + 1) % ticked.size();
        list->setCurrentItem(ticked[next]);
    }
    state.counters["students"] = ticked.size();
}

void BM_NextStudent_AfterMarking(benchmark::State& state)
{
    nextStudent(state, true);
}
BENCHMARK(BM_NextStudent_AfterMarking)->Unit(benchmark::kMillisecond);

void BM_NextStudent_Browsing(benchmark::State& state)
{
    nextStudent(state, false);
}
BENCHMARK(BM_NextStudent_Browsing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
