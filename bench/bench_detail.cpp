// The course detail window on the large demonstration school, driven as the
// user drives it (offscreen): registering one weekday over a school year.
//
//   bench_detail [benchmark flags]
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"
#include "KouzaDetailOpener.h"
#include "MainCommon.h"
#include "UiServices.h"
#include "frm講座情報詳細.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>

namespace {

const QDate kSchoolDay(2026, 11, 30);

// Every question is answered Yes; other messages go to stderr.
class BenchUi final : public UiServices {
public:
    MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon, const QString&) override
    {
        if (buttons != MsgButtons::YesNo)
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    QString openFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
    [[noreturn]] void endProgram(int exitCode) override { std::exit(exitCode); }
};

struct Opener : KouzaDetailOpener {
    short syori = 0;
    int kouzaID = 0;
    bool ok = false;
    short propSyoriID() const override { return syori; }
    int propMaiKouzaID() const override { return kouzaID; }
    void setPropOK(bool value) override { ok = value; }
};

// The large school, made once per run.
struct Fixture {
    QTemporaryDir dir;

    Fixture()
    {
        const QString db = dir.filePath(QStringLiteral("Revid.mdb"));
        std::fprintf(stderr, "making the large school in %s ...\n", qPrintable(dir.path()));
        QString reason;
        if (!funcCreateDemoSchool(db, DemoSize::Large, kSchoolDay, &reason))
            throw std::runtime_error(reason.toStdString());
        setAppPathForTests(dir.path());
        setUiServices(std::make_unique<BenchUi>());
        if (!OpenDatabase(false, db))
            throw std::runtime_error("cannot open the school");
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

template <class T>
T* control(const QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromUtf8(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return found;
}

// Every Tuesday of the school year 2026/04/01 - 2027/03/31 (52 lessons), from the
// click on the save button to the last row stored; the rows are removed again
// outside the timing.
void BM_BulkRegistration_SchoolYear(benchmark::State& state)
{
    fixture();
    const int before = funcGetMaxID(QStringLiteral("毎講座履歴"), QStringLiteral("毎講座ID"));
    for (auto _ : state) {
        state.PauseTiming();
        Opener opener;
        frm講座情報詳細 w(opener);
        for (int i = 0; i < 6; ++i)
            control<QComboBox>(&w, qPrintable(QStringLiteral("cboEdit_%1").arg(i)))->setCurrentIndex(1);
        control<QCheckBox>(&w, "chkIkkatu")->click();
        control<QDateEdit>(&w, "DTPDate_1")->setDate(QDate(2026, 4, 1));
        control<QDateEdit>(&w, "DTPDate_2")->setDate(QDate(2027, 3, 31));
        auto* youbi = control<QComboBox>(&w, "cboEdit_6");
        youbi->setCurrentIndex(youbi->findData(2));
        state.ResumeTiming();

        control<QPushButton>(&w, "cmdOK")->click();

        state.PauseTiming();
        const int added = funcGetMaxID(QStringLiteral("毎講座履歴"), QStringLiteral("毎講座ID")) - before;
        if (!opener.ok || added != 52) {
            state.SkipWithError("the school year did not give 52 lessons");
            return;
        }
        gDatabase.execute(QStringLiteral("DELETE FROM 毎講座履歴 WHERE 毎講座ID > %1").arg(before));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BulkRegistration_SchoolYear)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
