#include "UiServices.h"

#include <QCursor>
#include <QGuiApplication>

#include <cstdlib>

namespace {
// Until the program installs its services, faults still end the process instead of crashing.
class FallbackUi final : public UiServices {
public:
    MsgAnswer message(const QString&, MsgButtons, MsgIcon, const QString&) override { return MsgAnswer::Ok; }
    QString openFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
    [[noreturn]] void endProgram(int exitCode) override { std::_Exit(exitCode); }
};

std::unique_ptr<UiServices>& current()
{
    static std::unique_ptr<UiServices> services = std::make_unique<FallbackUi>();
    return services;
}
} // namespace

UiServices& ui()
{
    return *current();
}

void setUiServices(std::unique_ptr<UiServices> services)
{
    current() = services ? std::move(services) : std::make_unique<FallbackUi>();
}

namespace {
class ArrowWhileAsking {
public:
    ArrowWhileAsking() : m_gui(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_gui)
            QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    ~ArrowWhileAsking()
    {
        if (m_gui)
            QGuiApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

private:
    bool m_gui;
};
} // namespace

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    const ArrowWhileAsking arrow;
    return ui().message(text, buttons, icon, title);
}

LongTask::LongTask(const QString& label, int total, bool cancellable)
{
    ui().progressWindow(label, total, cancellable);
}

LongTask::~LongTask()
{
    ui().progressEnd();
}
