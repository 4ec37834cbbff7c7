// The monthly report as PDF on the large demonstration school, as 「PDFで保存」
// makes it: the school's last month of the first 30 and 300 students read, laid
// out and written, a file per student, into a fresh folder.
#include "BenchSchool.h"
#include "MonthlyPdf.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>


namespace {

void pdfMonthly(benchmark::State& state, int count)
{
    school();
    const QList<int> students = firstStudents(count);
    qsizetype files = 0;
    for (auto _ : state) {
        QTemporaryDir out;
        const auto saved = MonthlyPdf::write(LargeSchool::kSchoolDay, students, out.path(), false);
        if (!saved || !saved->failed.isEmpty()) {
            state.SkipWithError("nothing written");
            return;
        }
        files = saved->files.size();
    }
    state.counters["files"] = static_cast<double>(files);
}

void BM_Pdf_Monthly_30(benchmark::State& state)
{
    pdfMonthly(state, 30);
}
BENCHMARK(BM_Pdf_Monthly_30)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Pdf_Monthly_300(benchmark::State& state)
{
    pdfMonthly(state, 300);
}
BENCHMARK(BM_Pdf_Monthly_300)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
