#include "QtUiServices.h"
#include "basStart.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kaedemaru"));
    QApplication::setApplicationVersion(QStringLiteral(KAEDE_VERSION));
    setUiServices(std::make_unique<QtUiServices>());
    Main();
    if (QApplication::topLevelWidgets().isEmpty())
        return 0;
    return app.exec();
}
