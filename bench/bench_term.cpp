// Planning a school year on the large school: 40 regular classes of 12 members,
// each meeting once a week, previewed and stored as a term (about 1,800 lessons
// with their takers); and a holiday looked up once the year's table is built.
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "Holidays.h"
#include "Term.h"

#include <benchmark/benchmark.h>

namespace {
constexpr int kClasses = 40;
constexpr int kMembers = 12;
const QDate kFirst{2026, 4, 1};
const QDate kLast{2027, 3, 31};

// The classes of the school, made once: weekdays Monday to Friday in turn, the
// members taken from the register in order.
QList<int> classes()
{
    static QList<int> ids;
    if (!ids.isEmpty())
        return ids;
    school();
    const EngineRows students =
        gDatabase.engine().query(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 WHERE 削除フラグ = 0 ORDER BY 生徒番号 LIMIT %1").arg(kClasses * kMembers));
    Transaction transaction;
    for (int c = 1; c <= kClasses; ++c) {
        gDatabase.execute(QStringLiteral("INSERT INTO 通常クラス (通常クラスID, 学年ID, 科目ID, 講座クラスID, 曜日, 時限ID, 講師ID, 教室ID, 定員数)"
                                         " VALUES (?, 1, 1, 1, ?, 1, 1, 1, 20)"),
                          {c, QString::number((c - 1) % 5 + 1)});
        for (int m = 0; m < kMembers; ++m)
            gDatabase.execute(QStringLiteral("INSERT INTO クラス生徒 VALUES (?, ?, '2026/04/01', NULL)"),
                              {c, students.values.value(((c - 1) * kMembers + m) % std::max(1, students.count))});
        ids << c;
    }
    transaction.commit();
    return ids;
}

void BM_Term_Preview_40Classes(benchmark::State& state)
{
    const QList<int> ids = classes();
    qsizetype lessons = 0;
    for (auto _ : state)
        lessons = Term::funcPreview(ids, kFirst, kLast, SkipOptions{}, SchoolDays()).lessons.size();
    state.counters["lessons"] = static_cast<double>(lessons);
}
BENCHMARK(BM_Term_Preview_40Classes)->Unit(benchmark::kMillisecond);

void BM_Term_Store_40Classes(benchmark::State& state)
{
    const QList<int> ids = classes();
    qsizetype stored = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const TermPlan plan = Term::funcPreview(ids, kFirst, kLast, SkipOptions{}, SchoolDays());
        state.ResumeTiming();
        const Term::Stored result = Term::funcStore(plan);
        if (result.result != Term::Stored::Done) {
            state.SkipWithError("the term was not stored");
            return;
        }
        stored = result.lessonIDs.size();
        state.PauseTiming();
        gDatabase.execute(QStringLiteral("DELETE FROM 講座出席 WHERE 毎講座ID IN (SELECT 毎講座ID FROM 毎講座履歴 WHERE 通常クラスID > 0)"));
        gDatabase.execute(QStringLiteral("DELETE FROM 毎講座履歴 WHERE 通常クラスID > 0"));
        state.ResumeTiming();
    }
    state.counters["lessons"] = static_cast<double>(stored);
}
BENCHMARK(BM_Term_Store_40Classes)->Unit(benchmark::kMillisecond);

// One lookup per iteration, walking the year's days.
void BM_Holiday_Lookup(benchmark::State& state)
{
    const HolidayCalendar calendar;
    calendar.isHoliday(kFirst);   // the year's table is built before timing
    QList<QDate> days;
    for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1))
        days << d;
    qsizetype i = 0;
    int holidays = 0;
    for (auto _ : state) {
        holidays += calendar.isHoliday(days[i]) ? 1 : 0;
        i = (i + 1) % days.size();
    }
    benchmark::DoNotOptimize(holidays);
}
BENCHMARK(BM_Holiday_Lookup)->Unit(benchmark::kNanosecond);

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
