#include "DataFolder.h"
#include "QtUiServices.h"
#include "basStart.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "Theme.h"
#include "UiServices.h"

#include <QApplication>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>
#include <cstdio>

namespace {
QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int print(std::FILE* stream, const QString& text, int result)
{
    std::fputs(text.toUtf8().constData(), stream);
    return result;
}

// Installed, the program works in the user's data folder (or the one named), made
// ready on first start; built, in its own folder as before.
bool enterProgramFolder(const QString& named)
{
    const QString executableFolder = QCoreApplication::applicationDirPath();
    const QString folder = chooseProgramFolder(
        named, executableFolder, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (folder == executableFolder)
        return true;
    QString reason;
    if (!prepareProgramFolder(folder, funcShareFolder(executableFolder), named.isEmpty(), &reason)) {
        MsgBox(QStringLiteral("データフォルダ(%1)を用意できませんでした。\r\n%2").arg(folder, reason), MsgButtons::Ok,
               MsgIcon::Warning, kTitle);
        return false;
    }
    setAppPath(folder);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    // Help and version answer before any window system is needed.
    const QString folderVariable = qEnvironmentVariable("KAEDEMARU_FOLDER");
    const StartRequest asked = readCommandLine(argumentsOf(argc, argv), folderVariable);
    if (asked.action == StartRequest::Action::Help)
        return print(stdout, helpText(), 0);
    if (asked.action == StartRequest::Action::Version)
        return print(stdout, versionText(), 0);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kaedemaru"));
    QApplication::setApplicationVersion(QStringLiteral(KAEDE_VERSION));
    // Read again without the arguments Qt took for itself (-platform and the like).
    const StartRequest request = readCommandLine(QApplication::arguments(), folderVariable);
    if (request.action != StartRequest::Action::Run)
        return print(stderr, QStringLiteral("kaedemaru: %1\n詳しくは kaedemaru --help を見てください。\n").arg(request.problem), 2);
    // One Japanese font for every window and message, the same on every machine.
    QApplication::setFont(Theme::uiFont(10));
    funcUseJapanese();
    setUiServices(std::make_unique<QtUiServices>());
    if (!enterProgramFolder(request.folder))
        return 1;
    Main();
    // Main shows the menu, or only a message and then nothing: the program then ends.
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::none_of(windows.begin(), windows.end(), [](const QWidget* w) { return w->isVisible(); }))
        return 0;
    const int result = app.exec();
    CloseDatabase();
    return result;
}
