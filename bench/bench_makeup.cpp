// Make-ups on the large school: 60 lessons a week of one grade and subject over
// ten weeks, each with 20 of 300 students as takers; the booking list of one
// credit (every lesson of its ±2 weeks checked for seats), the list of make-ups
// due, and 10,000 open
// credits past their window expiring in one run.
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "Makeup.h"

#include <benchmark/benchmark.h>

#include <utility>

namespace {
constexpr int kStudents = 300;
constexpr int kWeeklyLessons = 60;
constexpr int kWeeks = 10;
constexpr int kTakers = 20;
constexpr int kFirstLesson = 900000;
constexpr int kFirstCredit = 900000;
const QDate kMonday{2027, 1, 4};

// The lessons with their takers and one credit for an absence in the fifth week, made once.
int credit()
{
    static int id = 0;
    if (id != 0)
        return id;
    school();
    const EngineRows students =
        gDatabase.engine().query(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 WHERE 削除フラグ = 0 ORDER BY 生徒番号 LIMIT %1").arg(kStudents));
    Transaction transaction;
    for (int w = 0; w < kWeeks; ++w)
        for (int l = 0; l < kWeeklyLessons; ++l) {
            const int lesson = kFirstLesson + w * kWeeklyLessons + l;
            gDatabase.execute(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID,"
                                             " 定員数, 受講人数, 更新回数, 通常クラスID) VALUES (?, ?, 1, ?, 1, 1, 1, 1, 1, 24, 20, 0, ?)"),
                              {lesson, funcDateText(kMonday.addDays(w * 7 + l % 6)), l % 10 + 1, l + 1});
            for (int t = 0; t < kTakers; ++t)
                gDatabase.execute(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 更新回数) VALUES (?, ?, 1, 0)"),
                                  {lesson, students.values.value((l * kTakers + t) % std::max(1, students.count))});
        }
    const int absent = kFirstLesson + 4 * kWeeklyLessons;
    id = kFirstCredit;
    gDatabase.execute(QStringLiteral("INSERT INTO 振替 (振替ID, 生徒番号, 欠席講座ID, 学年ID, 科目ID, 欠席日, 開始日, 期限, 状態, 振替講座ID, 更新回数)"
                                     " VALUES (?, ?, ?, 1, 1, ?, ?, ?, 0, 0, 0)"),
                      {id, students.values.value(0), absent, funcDateText(kMonday.addDays(28)), funcDateText(kMonday.addDays(14)),
                       funcDateText(kMonday.addDays(42))});
    transaction.commit();
    return id;
}

void BM_Makeup_BookingList(benchmark::State& state)
{
    const int id = credit();
    qsizetype offers = 0;
    for (auto _ : state)
        offers = Makeup::bookingList(id, kMonday).size();
    state.counters["lessons"] = static_cast<double>(offers);
}
BENCHMARK(BM_Makeup_BookingList)->Unit(benchmark::kMillisecond);

// 「振替予定・期限間近」 as it opens on the large school's day.
void BM_Makeup_DueList(benchmark::State& state)
{
    credit();
    qsizetype rows = 0;
    for (auto _ : state)
        rows = Makeup::dueList(LargeSchool::kSchoolDay).size();
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_Makeup_DueList)->Unit(benchmark::kMillisecond);

void BM_Makeup_Expiry_10000(benchmark::State& state)
{
    school();
    static bool made = false;
    if (!std::exchange(made, true)) {
        Transaction transaction;
        for (int i = 1; i <= 10000; ++i)
            gDatabase.execute(QStringLiteral("INSERT INTO 振替 (振替ID, 生徒番号, 欠席講座ID, 学年ID, 科目ID, 欠席日, 開始日, 期限, 状態, 振替講座ID, 更新回数)"
                                             " VALUES (?, ?, 0, 1, 1, '2026/09/01', '2026/08/18', '2026/09/15', 0, 0, 0)"),
                              {kFirstCredit + i, i % kStudents + 1});
        transaction.commit();
    }
    int expired = 0;
    for (auto _ : state) {
        expired = Makeup::expire(LargeSchool::kSchoolDay);
        state.PauseTiming();
        gDatabase.execute(QStringLiteral("UPDATE 振替 SET 状態 = 0 WHERE 振替ID > ?"), {kFirstCredit});
        gDatabase.execute(QStringLiteral("DELETE FROM 振替履歴"));
        state.ResumeTiming();
    }
    state.counters["expired"] = expired;
}
BENCHMARK(BM_Makeup_Expiry_10000)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
