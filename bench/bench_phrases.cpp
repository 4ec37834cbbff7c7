// The count of a month's unchanged stock phrases on the large demonstration
// school, as a save of a class's comments runs it: with a phrase in the comments
// just saved (the month is read), and without one (it is not).
//
//   bench_phrases [benchmark flags]
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "Phrases.h"

#include <benchmark/benchmark.h>

namespace {

struct Lesson {
    int id = 0;
    QList<int> takers;
};

// The November lesson with the most takers, their comments made the first phrase of twenty.
Lesson phrasedLesson()
{
    school();
    for (int n = 1; n <= 20; ++n)
        gDatabase.execute(QStringLiteral("INSERT INTO マスタ定型文 VALUES (?, ?, 0)"),
                          {n, QStringLiteral("{名前}は{科目}の定型文%1をよく頑張りました。").arg(n)});
    Recordset rs = gDatabase.openRecordset(
        QStringLiteral("SELECT 毎講座ID, count(*) FROM 講座出席 WHERE 毎講座ID IN (SELECT 毎講座ID FROM 毎講座履歴"
                       " WHERE 講座日 BETWEEN '2026/11/01' AND '2026/11/30') GROUP BY 毎講座ID ORDER BY 2 DESC, 1"),
        dbOpenDynaset, dbReadOnly);
    Lesson lesson{funcToLong(rs.field(0)), {}};
    rs.close();
    Recordset takers = gDatabase.openRecordset(QStringLiteral("SELECT 生徒番号, 生徒氏名, 科目名 FROM QRY_講座出席出力 WHERE 毎講座ID = ?"),
                                               dbOpenDynaset, {lesson.id}, dbReadOnly);
    for (; !takers.eof(); takers.moveNext()) {
        const int no = funcToLong(takers.field(0));
        lesson.takers << no;
        gDatabase.execute(QStringLiteral("UPDATE 講座出席 SET コメント = ? WHERE 毎講座ID = ? AND 生徒番号 = ?"),
                          {Phrases::funcFill(QStringLiteral("{名前}は{科目}の定型文1をよく頑張りました。"), funcToString(takers.field(1)),
                                             funcToString(takers.field(2))),
                           lesson.id, no});
    }
    return lesson;
}

void BM_Phrases_MonthCount(benchmark::State& state)
{
    const Lesson lesson = phrasedLesson();
    size_t told = 0;
    for (auto _ : state)
        told = Phrases::funcOverused(lesson.id, lesson.takers).size();
    state.counters["students"] = lesson.takers.size();
    state.counters["told"] = static_cast<double>(told);
    school().restore();
}
BENCHMARK(BM_Phrases_MonthCount)->Unit(benchmark::kMillisecond);

void BM_Phrases_SaveWithoutPhrase(benchmark::State& state)
{
    const Lesson lesson = phrasedLesson();
    gDatabase.execute(QStringLiteral("UPDATE 講座出席 SET コメント = 'よくできました' WHERE 毎講座ID = ?"), {lesson.id});
    for (auto _ : state)
        benchmark::DoNotOptimize(Phrases::funcOverused(lesson.id, lesson.takers));
    school().restore();
}
BENCHMARK(BM_Phrases_SaveWithoutPhrase)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
