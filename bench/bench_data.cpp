// Costs of the data layer on a large school: filling clsDataCtl from the lesson
// query, fitting text to a byte width, translating a long Jet statement, and the
// largest key of a table (which must not grow with the table).
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "MainCommon.h"
#include "clsDataCtl.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <stdexcept>

namespace {

// Both schools are made once per run, on first use, and kept until the end.
struct Schools {
    QTemporaryDir dir;
    QString small, large;

    Schools()
    {
        const QDate day(2026, 11, 30);
        small = dir.filePath(QStringLiteral("small.mdb"));
        large = dir.filePath(QStringLiteral("large.mdb"));
        QString reason;
        std::fprintf(stderr, "making the benchmark schools in %s ...\n", qPrintable(dir.path()));
        if (!funcCreateDemoSchool(small, DemoSize::Small, day, &reason) || !funcCreateDemoSchool(large, DemoSize::Large, day, &reason))
            throw std::runtime_error(reason.toStdString());
    }
};

Schools& schools()
{
    static Schools s;
    return s;
}

void useDatabase(const QString& path)
{
    if (gDatabase.isOpen() && gDatabase.path() == path)
        return;
    gDatabase.close();
    if (!gDatabase.open(path, false))
        throw std::runtime_error("cannot open " + path.toStdString());
}

const QString kLessonQuery = QStringLiteral(
    " SELECT * FROM QRY_講座内容 WHERE 毎講座ID BETWEEN 1 AND 10000 ORDER BY 講座日,時限ID ");

void BM_clsDataCtl_LessonQuery(benchmark::State& state)
{
    useDatabase(schools().large);
    long long fields = 0;
    for (auto _ : state) {
        clsDataCtl data;
        if (!data.funcOpenRec(kLessonQuery) || data.propCount() != 10000) {
            state.SkipWithError("the query did not give 10,000 rows");
            return;
        }
        fields += static_cast<long long>(data.propCount()) * data.fieldCount();
        benchmark::DoNotOptimize(data);
    }
    state.counters["fields"] = benchmark::Counter(static_cast<double>(fields), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_clsDataCtl_LessonQuery)->Unit(benchmark::kMillisecond);

// The same rows through a recordset only, and through the engine alone: where the time goes.
void BM_Recordset_LessonQuery(benchmark::State& state)
{
    useDatabase(schools().large);
    long long fields = 0;
    for (auto _ : state) {
        Recordset rs = gDatabase.openRecordset(kLessonQuery, dbOpenDynaset, dbReadOnly);
        fields += static_cast<long long>(rs.recordCount()) * rs.fieldCount();
        benchmark::DoNotOptimize(rs);
    }
    state.counters["fields"] = benchmark::Counter(static_cast<double>(fields), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Recordset_LessonQuery)->Unit(benchmark::kMillisecond);

void BM_Engine_LessonQuery(benchmark::State& state)
{
    useDatabase(schools().large);
    const QByteArray sql = funcJetToSqlite(kLessonQuery).toUtf8();
    long long fields = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(gDatabase.handle(), sql.constData(), -1, &stmt, nullptr);
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
            fields += columns;
        }
        sqlite3_finalize(stmt);
    }
    state.counters["fields"] = benchmark::Counter(static_cast<double>(fields), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Engine_LessonQuery)->Unit(benchmark::kMillisecond);

// Names, readings, addresses and comments of the kind the reports fit into fixed-width columns.
const QStringList& mixedTexts()
{
    static const QStringList texts{
        QStringLiteral("山田　太郎"),
        QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"),
        QStringLiteral("東京都町田市原町田3丁目27番12号　グリーンハイツ 306号室"),
        QStringLiteral("中3 数学 受験対策"),
        QStringLiteral("\"Let's ～\" と 'Shall we ～?' の使い分けを復習"),
        QStringLiteral("小テストの正答率 85%"),
        QStringLiteral("ABC-123"),
        QStringLiteral("二次方程式の演習（教科書p.119～p.123）。間違えやすい問題を重点的に扱った。ﾃｽﾄ範囲は p.100-p.130"),
    };
    return texts;
}

void BM_funcPadByte(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const QStringList& texts = mixedTexts();
    long long chars = 0, calls = 0;
    for (auto _ : state) {
        for (const QString& text : texts) {
            benchmark::DoNotOptimize(funcPadByte(text, width));
            chars += text.size();
        }
        calls += texts.size();
    }
    state.counters["calls"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate);
    state.counters["chars"] = benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_funcPadByte)->Arg(9)->Arg(20)->Arg(61);

// A report selection over many lessons and students, as the windows build it.
QString longStatement()
{
    QString sql = QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE 講座日 BETWEEN #2026/4/1# AND #2027/03/31# ");
    sql += QStringLiteral(" AND 学年ID IN (1,2,3,4,5,6,7,8,9) AND 生徒氏名 Like '*山田*' AND 講座名 Like '*数学*' ");
    sql += QStringLiteral(" AND コメント Like '*100%*' AND 単元 Like 'y=ax_*' AND 講座内容 <> 'O''Brien''s #1 text' ");
    sql += QStringLiteral(" AND ( 1 = 0 ");
    for (int i = 1; i <= 60; ++i)
        sql += QStringLiteral(" OR (毎講座ID = %1 AND 講座日 = #2026/%2/%3#)").arg(i * 7).arg(i % 12 + 1).arg(i % 28 + 1);
    sql += QStringLiteral(" ) ORDER BY 講座日,時限ID,氏名カナ ");
    return sql;
}

void BM_funcJetToSqlite(benchmark::State& state)
{
    const QString sql = longStatement();
    long long chars = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(funcJetToSqlite(sql));
        chars += sql.size();
    }
    state.SetLabel(QStringLiteral("%1 characters").arg(sql.size()).toStdString());
    state.counters["chars"] = benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_funcJetToSqlite);

struct KeyColumn {
    const char* table;
    const char* column;
};
constexpr KeyColumn kKeys[] = {{"毎講座履歴", "毎講座ID"}, {"生徒台帳", "生徒番号"}, {"講座出席", "生徒番号"}};

// Arguments: school (0 small, 1 large) and key column.
void BM_funcGetMaxID(benchmark::State& state)
{
    const bool large = state.range(0) == 1;
    const KeyColumn& key = kKeys[state.range(1)];
    const QString table = QString::fromUtf8(key.table);
    const QString column = QString::fromUtf8(key.column);
    useDatabase(large ? schools().large : schools().small);
    const int rows = funcGetCount(table, QStringLiteral("*"));
    int max = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(max = funcGetMaxID(table, column));
    state.SetLabel(QStringLiteral("%1 %2.%3, %4 rows, max %5").arg(large ? QStringLiteral("large") : QStringLiteral("small"), table, column)
                       .arg(rows).arg(max).toStdString());
}
BENCHMARK(BM_funcGetMaxID)->ArgsProduct({{0, 1}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

// How the engine answers the largest-key question: a search on an index, not a scan.
void describePlans()
{
    useDatabase(schools().large);
    for (const KeyColumn& key : kKeys) {
        const QByteArray sql = funcJetToSqlite(QStringLiteral("EXPLAIN QUERY PLAN Select Max(%1) AS 最大ID From %2")
                                                   .arg(QString::fromUtf8(key.column), QString::fromUtf8(key.table))).toUtf8();
        sqlite3_stmt* stmt = nullptr;
        QString plan;
        if (sqlite3_prepare_v2(gDatabase.handle(), sql.constData(), -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                plan += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3))) + QLatin1Char(' ');
        sqlite3_finalize(stmt);
        benchmark::AddCustomContext(QStringLiteral("max plan %1.%2").arg(QString::fromUtf8(key.table), QString::fromUtf8(key.column)).toStdString(),
                                    plan.trimmed().toStdString());
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        describePlans();
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    benchmark::Shutdown();
    gDatabase.close();
    return 0;
}
