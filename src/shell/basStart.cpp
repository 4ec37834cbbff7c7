#include "basStart.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "Makeup.h"
#include "PgEngine.h"
#include "UiServices.h"
#include "frmMenu.h"
#include "frm設定.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QMouseEvent>
#include <QPointer>
#include <QTranslator>
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

// Where the window system cannot move a window for us, the window follows the
// mouse until the button is released.
class DragMover final : public QObject {
public:
    DragMover(QWidget* window, const QPoint& grabOffset) : QObject(window), m_window(window), m_offset(grabOffset)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove) {
            m_window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_offset);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease)
            deleteLater();
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QPoint m_offset;
};
} // namespace

QTranslator* funcUseJapanese()
{
    // Many installations run in C.UTF-8: the calendar would show January and Mon.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    // A copy beside the program wins over the one installed with Qt.
    for (const QString& folder : {funcAppPath() + QStringLiteral("translations"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(QStringLiteral("qtbase_ja"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            return translator.release();
        }
    }
    return nullptr;
}

void subReleaseRunningLock()
{
    runningLock().reset();
}

void Main()
{
    auto lock = std::make_unique<QLockFile>(funcAppPath() + QStringLiteral("kaedemaru.lock"));
    // A lock left by a copy that crashed is taken over: its process no longer exists.
    if (!lock->tryLock(0)) {
        // Only a lock held by another copy means the program is running; a folder where
        // no lock can be made is left for the database open to report.
        if (lock->error() == QLockFile::LockFailedError) {
            MsgBox(kTitle + QStringLiteral("は、既に起動しています。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
    } else {
        runningLock() = std::move(lock);
    }
    if (!OpenDatabase(false, funcAppPath() + kDatabaseFileName)) {
        // On a server, which one: the cause itself is in the error log.
        const auto server = funcServerConnection(funcAppPath() + kDatabaseFileName);
        const QString problem = funcOpenProblem();
        MsgBox(QStringLiteral("データベースのオープンに失敗しました")
               + (server ? QStringLiteral("\r\n") + funcServerLabel(*server) : QString())
               + (problem.isEmpty() ? QString() : QStringLiteral("\r\n") + problem));
        return;
    }
    // Make-up credits past their window become 失効 at every start.
    guarded(QStringLiteral("basStart - 振替の失効"), [] { Makeup::expire(gDatabase.today()); });
    // The menu lives as long as it is open; closing it ends the program.
    auto* menu = new frmMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->show();
    subAskSchoolName(menu);
}

void subMoveForm(QWidget* window)
{
    if (!window || !window->windowHandle())
        return;
    if (!window->windowHandle()->startSystemMove())
        new DragMover(window, QCursor::pos() - window->frameGeometry().topLeft());
}
