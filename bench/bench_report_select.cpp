// The report selection window on the large demonstration school: opening it
// with every lesson listed, ">>" moving every lesson into the list to print,
// a daily report of 2,000 chosen lessons from the click on the output button to
// the written file, and one keystroke in the find box of the student list
// (3,000 students) and of the lesson list (every lesson), repainted.
//
//   QT_QPA_PLATFORM=offscreen bench_report_select [benchmark flags]
//   (KAEDE_KEEP_REPORTS=1 keeps the written daily report and names it)
#include "BenchSchool.h"
#include "frm帳票出力.h"

#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace {

// The largest resident size of the process so far, in MB.
double peakMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

constexpr int kNippouLessons = 2000;

QTreeWidget* list(const QWidget& w, const char* name)
{
    return w.findChild<QTreeWidget*>(QString::fromLatin1(name));
}

QPushButton* button(const QWidget& w, const char* name)
{
    return w.findChild<QPushButton*>(QString::fromLatin1(name));
}

// From the construction to the first painted screen.
void BM_Open_EveryLesson(benchmark::State& state)
{
    school();
    int lessons = 0;
    for (auto _ : state) {
        frm帳票出力 w;
        w.show();
        QApplication::processEvents();
        lessons = list(w, "lvList_0")->topLevelItemCount();
        state.PauseTiming();
        w.close();
        state.ResumeTiming();
    }
    state.counters["lessons"] = lessons;
}
BENCHMARK(BM_Open_EveryLesson)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AddAll_EveryLesson(benchmark::State& state)
{
    school();
    frm帳票出力 w;
    w.show();
    QApplication::processEvents();
    int moved = 0;
    for (auto _ : state) {
        button(w, "cmdAddAll_1")->click();
        QApplication::processEvents();
        state.PauseTiming();
        moved = list(w, "lvList_1")->topLevelItemCount();
        button(w, "cmdRemoveAll_1")->click();
        state.ResumeTiming();
    }
    state.counters["lessons"] = moved;
}
BENCHMARK(BM_AddAll_EveryLesson)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first lessons of the school year, chosen one by one as a user would.
void BM_Nippou_2000Lessons_FromClick(benchmark::State& state)
{
    LargeSchool& s = school();
    frm帳票出力 w;
    w.show();
    QTreeWidget* lessons = list(w, "lvList_0");
    for (int row = 0; row < kNippouLessons && row < lessons->topLevelItemCount(); ++row) {
        lessons->setCurrentItem(lessons->topLevelItem(row));
        button(w, "cmdAdd_1")->click();
    }
    qint64 bytes = 0;
    const double before = peakMB();
    for (auto _ : state) {
        s.ui->lastDocument.clear();
        button(w, "cmdOK")->click();
        state.PauseTiming();
        if (s.ui->lastDocument.isEmpty()) {
            state.SkipWithError("nothing written");
            return;
        }
        bytes = QFile(s.ui->lastDocument).size();
        if (qEnvironmentVariableIsEmpty("KAEDE_KEEP_REPORTS"))
            QFile::remove(s.ui->lastDocument);
        else
            std::fprintf(stderr, "kept %s\n", qPrintable(s.ui->lastDocument));
        state.ResumeTiming();
    }
    state.counters["lessons"] = list(w, "lvList_1")->topLevelItemCount();
    state.counters["file_kB"] = static_cast<double>(bytes) / 1024.0;
    // What the report adds to the peak of the school and the window before it.
    state.counters["peak_MB"] = peakMB();
    state.counters["report_peak_MB"] = peakMB() - before;
}
BENCHMARK(BM_Nippou_2000Lessons_FromClick)->Unit(benchmark::kMillisecond)->UseRealTime();

// One keystroke after another into a find box, each one measured with the
// repaint of the list: kana as the input method hands them over, then Backspace.
void findKeystrokes(benchmark::State& state, frm帳票出力& w, const char* boxName, const char* listName,
                    const QStringList& typed)
{
    auto* box = w.findChild<QLineEdit*>(QString::fromLatin1(boxName));
    box->setFocus();
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        const QString& key = typed.at(step++ % typed.size());
        if (key.isEmpty()) {
            QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
            QApplication::sendEvent(box, &backspace);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(key);
            QApplication::sendEvent(box, &commit);
        }
        QApplication::processEvents();
    }
    state.counters["rows"] = list(w, listName)->topLevelItemCount();
}

// "やまだ", three Backspaces, "12", two Backspaces: narrowing and widening again.
const QStringList kStudentKeys{QStringLiteral("や"), QStringLiteral("ま"), QStringLiteral("だ"), {}, {}, {},
                               QStringLiteral("1"), QStringLiteral("2"), {}, {}};

void BM_FindStudent_Keystroke(benchmark::State& state)
{
    school();
    frm帳票出力 w;
    w.show();
    w.findChild<QRadioButton*>(QStringLiteral("opt帳票タイプ_1"))->click();
    QApplication::processEvents();
    findKeystrokes(state, w, "txtFind_0", "lvStudent_0", kStudentKeys);
}
BENCHMARK(BM_FindStudent_Keystroke)->Unit(benchmark::kMillisecond)->UseRealTime();

// "中", "1", "数", three Backspaces over every lesson of the school.
void BM_FindLesson_Keystroke(benchmark::State& state)
{
    school();
    frm帳票出力 w;
    w.show();
    QApplication::processEvents();
    findKeystrokes(state, w, "txtFind_2", "lvList_0",
                   {QStringLiteral("中"), QStringLiteral("1"), QStringLiteral("数"), {}, {}, {}});
}
BENCHMARK(BM_FindLesson_Keystroke)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
