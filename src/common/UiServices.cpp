#include "UiServices.h"

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

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    return ui().message(text, buttons, icon, title);
}
