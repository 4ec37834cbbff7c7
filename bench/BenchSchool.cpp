#include "BenchSchool.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "ExcelOut.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

MsgAnswer BenchUi::message(const QString& text, MsgButtons, MsgIcon, const QString&)
{
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return MsgAnswer::Ok;
}

void BenchUi::endProgram(int exitCode)
{
    std::exit(exitCode);
}

LargeSchool::LargeSchool()
{
    const QString db = dir.filePath(QStringLiteral("Revid.mdb"));
    std::fprintf(stderr, "making the large school in %s ...\n", qPrintable(dir.path()));
    QString reason;
    if (!funcCreateDemoSchool(db, DemoSize::Large, kSchoolDay, &reason))
        throw std::runtime_error(reason.toStdString());
    if (!QFile::copy(QStringLiteral(KAEDE_PROGRAM_DIR "/") + kTemplateFileName, dir.filePath(kTemplateFileName)))
        throw std::runtime_error("no template workbook in the program folder");
    setAppPathForTests(dir.path());
    auto services = std::make_unique<BenchUi>();
    ui = services.get();
    setUiServices(std::move(services));
    if (!OpenDatabase(false, db))
        throw std::runtime_error("cannot open the school");
}
