// The reports on the large demonstration school, each timed from loading the
// template to the written file: a daily report of 500 lessons, a student
// analysis sheet of 300 students, the course calendar of a school year and the
// monthly report of 300 students; and the writer alone with the cells of the
// daily report of 2,000 lessons.
//
//   bench_reports [benchmark flags]
//   bench_reports --peer-rows FOLDER   writes the daily report's rows (rows.json) and
//                                      the template (template.xlsx) for the openpyxl peer
//   KAEDE_KEEP_REPORTS=1 bench_reports ...     keeps the written workbooks and names them
#include "BenchSchool.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "ExcelOut.h"
#include "ReportCommon.h"
#include "Workbook.h"
#include "clsDataCtl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

constexpr int kNippouLessons = 500;
constexpr int kAnalysisStudents = 300;

// The large school, and the statements of the three reports over it.
struct Fixture {
    LargeSchool school;
    QString nippouSql, analysisSql, calendarSql;
    QList<int> monthlyStudents;

    Fixture()
    {
        // The statements the report selection builds: one OR term per chosen row.
        nippouSql = QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE ")
                    + chain(QStringLiteral(" SELECT DISTINCT 毎講座ID FROM 講座出席 ORDER BY 毎講座ID LIMIT %1").arg(kNippouLessons),
                            QStringLiteral("毎講座ID"))
                    + QStringLiteral(" ORDER BY 毎講座ID,講座日");
        const QString students =
            chain(QStringLiteral(" SELECT 生徒番号 FROM 生徒台帳 WHERE 削除フラグ = 0 ORDER BY 生徒番号 LIMIT %1").arg(kAnalysisStudents),
                  QStringLiteral("生徒番号"));
        analysisSql = QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE ") + students
                      + QStringLiteral(" ORDER BY 生徒番号,毎講座ID,講座日");
        monthlyStudents = firstStudents(kAnalysisStudents);
        // The course list's statement over the school year.
        const QDate day = LargeSchool::kSchoolDay;
        const int y = day.month() >= 4 ? day.year() : day.year() - 1;
        calendarSql = QStringLiteral(" SELECT * FROM QRY_講座内容 WHERE 講座日 >= #%1/04/01# AND 講座日 <= #%2/03/31#  ORDER BY 講座日,時限ID ")
                          .arg(y).arg(y + 1);
    }

    static QList<int> firstStudents(int count)
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

    static QString chain(const QString& idSql, const QString& column)
    {
        clsDataCtl ids;
        if (!ids.funcOpenRec(idSql))
            throw std::runtime_error("cannot choose the rows");
        QString condition;
        for (int i = 0; i < ids.propCount(); ++i) {
            ids.setPropID(i);
            condition += QStringLiteral(" ") + column + QStringLiteral(" = ") + ids.propData(column)
                         + (i + 1 < ids.propCount() ? QStringLiteral(" OR ") : QString());
        }
        return condition;
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

template <typename Report>
void runReport(benchmark::State& state, const QString& sheet, Report report)
{
    Fixture& f = fixture();
    qint64 bytes = 0;
    for (auto _ : state) {
        ExcelOut out;
        out.setPropExcelSheet(sheet);
        if (!out.funcPrintStart()) {
            state.SkipWithError("no template");
            return;
        }
        report(out);
        out.subPrintEnd();
        if (out.writtenPath().isEmpty()) {
            state.SkipWithError("nothing written");
            return;
        }
        bytes = QFileInfo(out.writtenPath()).size();
        if (qEnvironmentVariableIsEmpty("KAEDE_KEEP_REPORTS"))
            QFile::remove(out.writtenPath());
        else
            std::fprintf(stderr, "kept %s\n", qPrintable(out.writtenPath()));
    }
    state.counters["file_kB"] = static_cast<double>(bytes) / 1024.0;
    (void)f;
}

void BM_Nippou_500Lessons(benchmark::State& state)
{
    const QString sql = fixture().nippouSql;
    runReport(state, QStringLiteral("日報"), [&](ExcelOut& out) { out.subNippouPrint(sql, QString()); });
}
BENCHMARK(BM_Nippou_500Lessons)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StudentData_300Students(benchmark::State& state)
{
    const QString sql = fixture().analysisSql;
    runReport(state, QStringLiteral("生徒分析シート"), [&](ExcelOut& out) { out.subStudentDataPrint(sql, QString()); });
}
BENCHMARK(BM_StudentData_300Students)->Unit(benchmark::kMillisecond)->UseRealTime();

// The writer alone, given the cells of the daily report of 2,000 lessons and no
// query, template or page building: two sheets of 44,000 rows with 890,000
// blank bordered cells, 210,000 values and 172,000 merged areas. The least a
// report of that size can take with this writer.
void BM_Writer_DailyReportCells(benchmark::State& state)
{
    constexpr int kRows = 44000;
    constexpr int kBlank = 10;
    const QStringList names{QStringLiteral("山田　太郎"), QStringLiteral("出席"), QStringLiteral("中3 数学 受験対策")};
    wb::CellFormat framed;
    framed.setBorder(wb::BorderStyle::Thin);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cells.xlsx"));
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        wb::Workbook book;
        for (const QString& name : {QStringLiteral("日報"), QStringLiteral("日報 (2)")}) {
            wb::Sheet& sheet = book.addSheet(name);
            for (int row = 1; row <= kRows; ++row) {
                for (int col = 1; col <= kBlank; ++col)
                    sheet.setFormat(row, col, framed);
                sheet.setText(row, kBlank + 1, names.at(row % names.size()));
                sheet.setNumber(row, kBlank + 2, row % 5);
                if (row % 2 == 0)
                    sheet.setText(row, kBlank + 3, names.at((row / 2) % names.size()));
                sheet.merge({row, 1, row, 4});
                sheet.merge({row, 5, row, 8});
            }
        }
        state.ResumeTiming();
        book.writeAndEmpty(path);
        state.PauseTiming();
        bytes = QFileInfo(path).size();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.counters["file_kB"] = static_cast<double>(bytes) / 1024.0;
}
BENCHMARK(BM_Writer_DailyReportCells)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Calendar_SchoolYear(benchmark::State& state)
{
    const QString sql = fixture().calendarSql;
    runReport(state, QStringLiteral("講座カレンダー"), [&](ExcelOut& out) {
        QString caption;
        out.subKouzaCalenderPrint(sql, caption);
    });
}
BENCHMARK(BM_Calendar_SchoolYear)->Unit(benchmark::kMillisecond)->UseRealTime();

// The school's last month, made on its last day.
void BM_Monthly_300Students(benchmark::State& state)
{
    const Fixture& f = fixture();
    const QDate day = LargeSchool::kSchoolDay;
    runReport(state, QStringLiteral("月間報告書"), [&](ExcelOut& out) {
        out.subMonthlyPrint(f.monthlyStudents, day, day);
    });
}
BENCHMARK(BM_Monthly_300Students)->Unit(benchmark::kMillisecond)->UseRealTime();

// The daily report's rows as the routine reads them, for the peer in Python.
int writePeerRows(const QString& folder)
{
    Fixture& f = fixture();
    const QStringList& columns = nippouColumns();
    clsDataCtl rows;
    if (!rows.funcOpenRec(f.nippouSql))
        return 1;
    QJsonArray all;
    for (int i = 0; i < rows.propCount(); ++i) {
        rows.setPropID(i);
        QJsonArray row;
        for (const QString& c : columns)
            row.append(rows.propData(c));
        all.append(row);
    }
    clsDataCtl items;
    items.funcOpenRec(QStringLiteral(" SELECT 評価項目名 FROM マスタ評価項目 WHERE 削除フラグ = 0 ORDER BY 評価項目ID "));
    QJsonArray names;
    for (int i = 0; i < 4; ++i) {
        items.setPropID(i);
        names.append(i < items.propCount() ? items.propData(QStringLiteral("評価項目名")) : QString());
    }
    QDir().mkpath(folder);
    QFile out(folder + QStringLiteral("/rows.json"));
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    out.write(QJsonDocument(QJsonObject{{QStringLiteral("items"), names}, {QStringLiteral("rows"), all}}).toJson(QJsonDocument::Compact));
    out.close();
    const QString tmpl = folder + QStringLiteral("/template.xlsx");
    QFile::remove(tmpl);
    QFile::copy(QStringLiteral(KAEDE_PROGRAM_DIR "/") + kTemplateFileName, tmpl);
    std::printf("%d rows of %d lessons\n", rows.propCount(), kNippouLessons);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--peer-rows") == 0)
        return writePeerRows(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
