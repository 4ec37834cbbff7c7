#include "QtUiServices.h"
#include "basStart.h"

#include "DaoCommon.h"
#include "Theme.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kaedemaru"));
    QApplication::setApplicationVersion(QStringLiteral(KAEDE_VERSION));
    // One Japanese font for every window and message, the same on every machine.
    QApplication::setFont(Theme::uiFont(10));
    // Qt's own dialogs (choosing a file) speak Japanese like the rest of the program.
    funcLoadQtTranslation();
    setUiServices(std::make_unique<QtUiServices>());
    Main();
    // Main shows the menu, or only a message and then nothing: the program then ends.
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::none_of(windows.begin(), windows.end(), [](const QWidget* w) { return w->isVisible(); }))
        return 0;
    const int result = app.exec();
    CloseDatabase();
    return result;
}
