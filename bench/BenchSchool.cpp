#include "BenchSchool.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "ExcelOut.h"
#include "clsDataCtl.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

MsgAnswer BenchUi::message(const QString& text, MsgButtons buttons, MsgIcon, const QString&)
{
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo)
        return MsgAnswer::Yes;
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return MsgAnswer::Ok;
}

void BenchUi::endProgram(int exitCode)
{
    std::exit(exitCode);
}

QString LargeSchool::databasePath() const
{
    return dir.filePath(kDatabaseFileName);
}

QString LargeSchool::pristinePath() const
{
    return dir.filePath(QStringLiteral("pristine.mdb"));
}

LargeSchool::LargeSchool()
{
    const QString db = databasePath();
    std::fprintf(stderr, "making the large school in %s ...\n", qPrintable(dir.path()));
    QString reason;
    DemoSummary summary;
    if (!funcCreateDemoSchool(db, DemoSize::Large, kSchoolDay, &reason, &summary) || !QFile::copy(db, pristinePath()))
        throw std::runtime_error(reason.toStdString());
    lessons = summary.lessons;
    if (!QFile::copy(QStringLiteral(KAEDE_PROGRAM_DIR "/") + kTemplateFileName, dir.filePath(kTemplateFileName)))
        throw std::runtime_error("no template workbook in the program folder");
    setAppPathForTests(dir.path());
    auto services = std::make_unique<BenchUi>();
    ui = services.get();
    setUiServices(std::move(services));
    if (!OpenDatabase(false, db))
        throw std::runtime_error("cannot open the school");
}

void LargeSchool::restore()
{
    gDatabase.close();
    QFile::remove(databasePath());
    if (!QFile::copy(pristinePath(), databasePath()) || !OpenDatabase(false, databasePath()))
        throw std::runtime_error("cannot open the school");
}

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

LargeSchool& school()
{
    static LargeSchool s;
    return s;
}

int runWindowBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!text.startsWith(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    benchmark::Shutdown();
    gDatabase.close();
    return 0;
}
