#include "basStart.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "UiServices.h"

#include <QApplication>
#include <QLockFile>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace {
// A second copy would open the same database; the lock lives as long as this copy runs.
std::unique_ptr<QLockFile>& runningLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}
} // namespace

void subReleaseRunningLock()
{
    runningLock().reset();
}

void Main()
{
    auto lock = std::make_unique<QLockFile>(funcAppPath() + QStringLiteral("kaedemaru.lock"));
    // A lock left by a copy that crashed is taken over: its process no longer exists.
    if (!lock->tryLock(0)) {
        MsgBox(kTitle + QStringLiteral("は、既に起動しています。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
        return;
    }
    runningLock() = std::move(lock);
    if (!OpenDatabase(false, funcAppPath() + kDatabaseFileName)) {
        MsgBox(QStringLiteral("データベースのオープンに失敗しました"));
        return;
    }
    // The main menu arrives with the shell's windows; until then the program ends here.
    CloseDatabase();
}

void subMoveForm(QWidget* window)
{
    if (window && window->windowHandle())
        window->windowHandle()->startSystemMove();
}
