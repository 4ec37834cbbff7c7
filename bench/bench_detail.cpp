// The course detail window on the large demonstration school, driven as the
// user drives it (offscreen): registering one weekday over a school year,
// opening a lesson with its panel of every student, moving to the next student,
// finding a student; and the class register of a lesson, opened and saved.
//
//   bench_detail [benchmark flags]
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "MainCommon.h"
#include "UiServices.h"
#include "frm出欠一括入力.h"
#include "frm講座情報詳細.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
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

// The busiest lesson with students added (the first by number without a row)
// until it has 40, as a class register of that size; the school keeps them.
int lessonWith40()
{
    static int lesson = 0;
    if (lesson > 0)
        return lesson;
    lesson = busiestLesson();
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 WHERE 削除フラグ = 0 AND 生徒番号 NOT IN"
                                                          " (SELECT 生徒番号 FROM 講座出席 WHERE 毎講座ID = %1) ORDER BY 生徒番号")
                                               .arg(lesson));
    const int missing = 40 - funcGetCount(QStringLiteral("講座出席"), QStringLiteral("生徒番号"),
                                          QStringLiteral(" WHERE 毎講座ID = %1").arg(lesson));
    Transaction transaction;
    for (int added = 0; added < missing && !rs.eof(); ++added, rs.moveNext())
        gDatabase.execute(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (%1, %2, 0, 0, 0, 0, 0, '', 0, '2026/11/30', 0)")
                              .arg(lesson)
                              .arg(rs.field(0).toInt()));
    transaction.commit();
    return lesson;
}

int shownRows(const QTreeWidget* list)
{
    int shown = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        shown += list->topLevelItem(i)->isHidden() ? 0 : 1;
    return shown;
}

// Times a window from its making to its first showing; count tells of the
// window outside the timing, nullopt when it is not as the benchmark expects.
template <class Make, class Count>
void timeOpening(benchmark::State& state, const char* counter, Make make, Count count)
{
    std::optional<int> counted;
    for (auto _ : state) {
        auto w = make();
        w->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        counted = count(w.get());
        w.reset();
        if (!counted) {
            state.SkipWithError("the window did not open as expected");
            return;
        }
        state.ResumeTiming();
    }
    state.counters[counter] = counted.value_or(0);
}

// From the course list's double click to the window shown and switched to every
// student listed (全生徒), the lesson's students ticked and counted.
void BM_OpenLesson_WithPanel(benchmark::State& state)
{
    school();
    const int lesson = busiestLesson();
    timeOpening(
        state, "students",
        [&] {
            auto w = std::make_unique<frm講座情報詳細>(Syori::Edit, lesson);
            w->show();
            control<QRadioButton>(w.get(), "opt表示_1")->click();
            return w;
        },
        [](QWidget* w) { return std::optional(control<QTreeWidget>(w, "lvList")->topLevelItemCount()); });
}
BENCHMARK(BM_OpenLesson_WithPanel)->Unit(benchmark::kMillisecond);

// Moving from one student of the lesson to the next: the marks of the one
// shown are stored, those of the next are read and shown. Marking: the first
// mark of each student is changed before moving on, so every move writes.
void nextStudent(benchmark::State& state, bool marking)
{
    school();
    const int lesson = busiestLesson();
    frm講座情報詳細 w(Syori::Edit, lesson);
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

// The busiest lesson opened: its takers ticked, counted and alone in the list (受講者のみ).
void BM_Panel_TakersOnly(benchmark::State& state)
{
    school();
    const int lesson = busiestLesson();
    timeOpening(
        state, "shown", [&] { return std::make_unique<frm講座情報詳細>(Syori::Edit, lesson); },
        [](QWidget* w) {
            return control<QRadioButton>(w, "opt表示_0")->isChecked() ? std::optional(shownRows(control<QTreeWidget>(w, "lvList")))
                                                                      : std::nullopt;
        });
}
BENCHMARK(BM_Panel_TakersOnly)->Unit(benchmark::kMillisecond);

// One character typed into the find box over every student of the school.
void BM_Panel_Find(benchmark::State& state)
{
    school();
    const int lesson = busiestLesson();
    frm講座情報詳細 w(Syori::Edit, lesson);
    w.show();
    QCoreApplication::processEvents();
    control<QRadioButton>(&w, "opt表示_1")->click();
    auto* find = control<QLineEdit>(&w, "txtFind");
    auto* list = control<QTreeWidget>(&w, "lvList");
    int shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        find->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        find->insert(QStringLiteral("た"));
        QCoreApplication::processEvents();
        state.PauseTiming();
        shown = shownRows(list);
        state.ResumeTiming();
    }
    state.counters["students"] = list->topLevelItemCount();
    state.counters["shown"] = shown;
}
BENCHMARK(BM_Panel_Find)->Unit(benchmark::kMillisecond);

// The register of a lesson with 40 students, from opening to the grid shown.
void BM_ClassRegister_Open(benchmark::State& state)
{
    school();
    const int lesson = lessonWith40();
    timeOpening(
        state, "students", [&] { return std::make_unique<frm出欠一括入力>(lesson); },
        [](QWidget* w) { return std::optional(control<QTableWidget>(w, "grdJukou")->rowCount()); });
}
BENCHMARK(BM_ClassRegister_Open)->Unit(benchmark::kMillisecond);

// 保存 of the register with every one of its 40 rows changed (the first mark of each).
void BM_ClassRegister_Save(benchmark::State& state)
{
    school();
    frm出欠一括入力 w(lessonWith40());
    w.show();
    QCoreApplication::processEvents();
    auto* grid = control<QTableWidget>(&w, "grdJukou");
    auto* save = control<QPushButton>(&w, "cmdSave");
    // Every row starts from the same mark, so each new mark changes them all.
    auto markAll = [grid](int mark) {
        for (int row = 0; row < grid->rowCount(); ++row)
            grid->item(row, 4)->setText(QString::number(mark));
    };
    int mark = 5;
    markAll(mark);
    save->click();
    for (auto _ : state) {
        state.PauseTiming();
        mark = mark % 5 + 1;
        markAll(mark);
        const int changed = w.propChangedCount();
        state.ResumeTiming();
        save->click();
        state.PauseTiming();
        if (changed != grid->rowCount() || w.propChangedCount() != 0) {
            state.SkipWithError("the rows were not all changed and saved");
            return;
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = grid->rowCount();
}
BENCHMARK(BM_ClassRegister_Save)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
