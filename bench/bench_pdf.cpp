// The monthly report as PDF on the large demonstration school, as 「PDFで保存」
// makes it: the school's last month of the first 30 and 300 students read, laid
// out and written, a file per student, into a fresh folder.
#include "BenchSchool.h"
#include "MonthlyPdf.h"
#include "clsDataCtl.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

QList<int> firstStudents(int count)
{
    clsDataCtl ids;
    if (!ids.funcOpenRec(QStringLiteral(" SELECT 生徒番号 FROM 生徒台帳 WHERE 削除フラグ = 0 ORDER BY 生徒番号 LIMIT %1").arg(count)))
        throw std::runtime_error("cannot choose the students");
    QList<int> numbers;
    for (int i = 0; i < ids.propCount(); ++i) {
        ids.setPropID(i);
        numbers << ids.propData(QStringLiteral("生徒番号")).toInt();
    }
    return numbers;
}

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
