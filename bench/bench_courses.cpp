// The course list as the office uses it every day, on the large school (about
// 30,000 lessons): from opening to a filled, painted list; a search keeping a
// tenth of the lessons; a click on a column header; deleting 1,000 selected
// lessons with their attendance rows (and the refill after it).
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "UiServices.h"
#include "frm講座情報一覧.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QItemSelection>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <stdexcept>

namespace {

// Runs step on each modal window as it becomes the active one (the search
// dialog first when there is one, then the list), while the list's exec() runs.
void whileOpen(frm講座情報一覧& list, const std::function<void(QWidget* modal)>& step)
{
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll.stop();
            step(modal);
            if (modal == &list)
                list.done(QDialog::Rejected);
            else
                poll.start();
        }
    });
    poll.start();
    list.exec();
}

QTreeWidget* lvList(frm講座情報一覧& list)
{
    return list.findChild<QTreeWidget*>(QStringLiteral("lvList"));
}

void BM_CourseList_AllLessons(benchmark::State& state)
{
    LargeSchool& s = school();
    for (auto _ : state) {
        frm講座情報一覧 list;
        list.setPropNoSearch(true);
        int rows = 0;
        whileOpen(list, [&](QWidget*) {
            list.repaint();
            rows = lvList(list)->topLevelItemCount();
        });
        if (rows != s.lessons) {
            state.SkipWithError("not every lesson was listed");
            return;
        }
    }
    state.counters["rows"] = s.lessons;
}
BENCHMARK(BM_CourseList_AllLessons)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The dates of the school year's first tenth of lessons, chosen in the search dialog.
void BM_CourseList_SearchTenth(benchmark::State& state)
{
    LargeSchool& s = school();
    const QString from = funcToString(gDatabase.openRecordset(QStringLiteral("SELECT MIN(講座日) FROM 毎講座履歴")).field(0));
    const QString to = funcToString(
        gDatabase.openRecordset(QStringLiteral("SELECT 講座日 FROM 毎講座履歴 ORDER BY 講座日 LIMIT 1 OFFSET %1").arg(s.lessons / 10))
            .field(0));
    int rows = 0;
    for (auto _ : state) {
        frm講座情報一覧 list;
        list.setPropNoSearch(false);
        whileOpen(list, [&](QWidget* modal) {
            if (modal != &list) {
                modal->findChild<QCheckBox*>(QStringLiteral("chkDate"))->setChecked(true);
                modal->findChild<QDateEdit*>(QStringLiteral("DTPDate_0"))->setDate(QDate::fromString(from, "yyyy/MM/dd"));
                modal->findChild<QDateEdit*>(QStringLiteral("DTPDate_1"))->setDate(QDate::fromString(to, "yyyy/MM/dd"));
                modal->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
                return;
            }
            list.repaint();
            rows = lvList(list)->topLevelItemCount();
        });
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_CourseList_SearchTenth)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Alternating between two columns, so every click sorts all rows anew.
void BM_CourseList_ColumnSort(benchmark::State& state)
{
    school();
    frm講座情報一覧 list;
    list.setPropNoSearch(true);
    whileOpen(list, [&](QWidget*) {
        QHeaderView* header = lvList(list)->header();
        int click = 0;
        for (auto _ : state) {
            emit header->sectionClicked(click++ % 2 == 0 ? 7 : 5);
            list.repaint();
        }
    });
}
BENCHMARK(BM_CourseList_ColumnSort)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Every 30th row selected, then the delete button answered Yes: the lessons and
// their attendance rows go in one transaction and the list is filled again.
void BM_CourseList_Delete1000(benchmark::State& state)
{
    LargeSchool& s = school();
    for (auto _ : state) {
        state.PauseTiming();
        s.restore();
        frm講座情報一覧 list;
        list.setPropNoSearch(true);
        int left = 0;
        whileOpen(list, [&](QWidget*) {
            QTreeWidget* view = lvList(list);
            QItemSelection chosen;
            for (int i = 0; i < 1000; ++i) {
                const QModelIndex row = view->model()->index(i * 30, 0);
                chosen.select(row, row);
            }
            view->selectionModel()->select(chosen, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            state.ResumeTiming();
            list.findChild<QPushButton*>(QStringLiteral("cmdOK_3"))->click();
            list.repaint();
            state.PauseTiming();
            left = view->topLevelItemCount();
        });
        if (left != s.lessons - 1000) {
            state.SkipWithError("not 1,000 lessons deleted");
            return;
        }
        state.ResumeTiming();
    }
    s.restore();
}
BENCHMARK(BM_CourseList_Delete1000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
