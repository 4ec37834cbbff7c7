// The student import and the list export on the large demonstration school:
// previewing a ledger of 3,000 students (one row in twenty bad) read from an
// .xlsx workbook and from Excel's Japanese CSV, storing the rows it takes, and
// writing the school's student list (about 3,000 rows) to a workbook.
//
//   bench_import [benchmark flags]
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "StudentImport.h"
#include "Workbook.h"
#include "frm生徒情報一覧.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QStringEncoder>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

constexpr int kRows = 3000;

const QStringList kHeader{QStringLiteral("氏名"), QStringLiteral("ふりがな"), QStringLiteral("電話"), QStringLiteral("携帯"),
                          QStringLiteral("郵便番号"), QStringLiteral("住所"), QStringLiteral("生年月日"), QStringLiteral("入塾日"),
                          QStringLiteral("性別"), QStringLiteral("学校"), QStringLiteral("備考")};

// Row i of the ledger; one row in twenty has a fault of one kind or another.
QStringList ledgerRow(int i)
{
    const QString family = QStringList{QStringLiteral("髙橋"), QStringLiteral("山﨑"), QStringLiteral("渡邊"), QStringLiteral("新井")}[i % 4];
    const QString reading = QStringList{QStringLiteral("たかはし"), QStringLiteral("やまざき"), QStringLiteral("わたなべ"), QStringLiteral("あらい")}[i % 4];
    QStringList row{family + QStringLiteral(" 生徒%1").arg(i), reading + QStringLiteral(" せいと"),
                    QStringLiteral("042-7%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("090-%1").arg(i, 8, 10, QLatin1Char('0')),
                    QStringLiteral("194-%1").arg(i % 10000, 4, 10, QLatin1Char('0')), QStringLiteral("東京都町田市原町田%1-1").arg(i),
                    QStringLiteral("平成%1年%2月%3日").arg(20 + i % 5).arg(1 + i % 12).arg(1 + i % 28),
                    QStringLiteral("R6.4.1"), i % 2 ? QStringLiteral("女") : QStringLiteral("男"),
                    QStringLiteral("町田第%1中学校").arg(1 + i % 8), QStringLiteral("①組 ～ 振替あり")};
    if (i % 40 == 7)
        row[0].clear();
    else if (i % 40 == 27)
        row[6] = QStringLiteral("2015/2/30");
    return row;
}

struct Ledger {
    QString xlsx, csv;
    Ledger()
    {
        school();
        xlsx = school().dir.filePath(QStringLiteral("ledger.xlsx"));
        csv = school().dir.filePath(QStringLiteral("ledger.csv"));
        wb::Workbook book;
        wb::Sheet& sheet = book.addSheet(QStringLiteral("名簿"));
        QString text = kHeader.join(u',') + QStringLiteral("\r\n");
        for (int c = 0; c < kHeader.size(); ++c)
            sheet.setText(1, c + 1, kHeader[c]);
        for (int i = 0; i < kRows; ++i) {
            const QStringList row = ledgerRow(i);
            for (int c = 0; c < row.size(); ++c)
                sheet.setText(i + 2, c + 1, row[c]);
            text += row.join(u',') + QStringLiteral("\r\n");
        }
        book.write(xlsx);
        QFile file(csv);
        QStringEncoder cp932("windows-31j");
        if (!file.open(QIODevice::WriteOnly) || file.write(cp932.encode(text)) < 0)
            throw std::runtime_error("cannot write the ledger");
    }
};

Ledger& ledger()
{
    static Ledger l;
    return l;
}

StudentImport::Preview previewOf(const QString& path)
{
    const ImportSource::SourceTable table = StudentImport::funcRead(path);
    return *StudentImport::funcPreview(table, StudentImport::defaultMapping(table.header));
}

void runPreview(benchmark::State& state, const QString& path)
{
    int taken = 0;
    for (auto _ : state)
        taken = previewOf(path).count(StudentImport::RowState::Take);
    if (taken != kRows - kRows / 20)
        state.SkipWithError("the preview did not take the good rows");
    state.counters["taken"] = taken;
}

void BM_Import_Preview_3000(benchmark::State& state)
{
    runPreview(state, ledger().xlsx);
}
BENCHMARK(BM_Import_Preview_3000)->Unit(benchmark::kMillisecond);

void BM_Import_Preview_3000_Cp932Csv(benchmark::State& state)
{
    runPreview(state, ledger().csv);
}
BENCHMARK(BM_Import_Preview_3000_Cp932Csv)->Unit(benchmark::kMillisecond);

void BM_Import_Commit_3000(benchmark::State& state)
{
    const StudentImport::Preview preview = previewOf(ledger().xlsx);
    int stored = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        stored = static_cast<int>(StudentImport::funcStore(preview, true).numbers.size());
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        school().restore();
    }
    state.counters["stored"] = stored;
}
BENCHMARK(BM_Import_Commit_3000)->UseManualTime()->Unit(benchmark::kMillisecond);

// From the click on the open student list to the workbook written.
void BM_Export_Students_3000(benchmark::State& state)
{
    school();
    frm生徒情報一覧 list;
    list.setPropNoSearch(true);
    int rows = 0;
    QTimer::singleShot(0, [&] {
        rows = list.findChild<QTreeWidget*>(QStringLiteral("lvList"))->topLevelItemCount();
        auto* button = list.findChild<QPushButton*>(QStringLiteral("cmdExport"));
        for (auto _ : state) {
            QElapsedTimer clock;
            clock.start();
            button->click();
            state.SetIterationTime(clock.nsecsElapsed() / 1e9);
            QFile::remove(school().ui->lastDocument);
        }
        list.reject();
    });
    list.exec();
    if (rows < 2500)
        state.SkipWithError("the list did not show the school's students");
    state.counters["rows"] = rows;
}
BENCHMARK(BM_Export_Students_3000)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
