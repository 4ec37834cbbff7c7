#include "WindowPlace.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace {
// The window system's title bar and borders lie outside the window's own rectangle.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 36;

QString funcKey(const QWidget* window, const char* what)
{
    return QStringLiteral("%1/%2").arg(window->objectName(), QLatin1String(what));
}

QScreen* funcScreenOf(const QWidget* window)
{
    // A window opened from another opens on that one's screen.
    if (const QWidget* opener = window->parentWidget())
        if (QScreen* screen = opener->window()->screen())
            return screen;
    if (QScreen* screen = window->screen())
        return screen;
    return QGuiApplication::primaryScreen();
}

// Moves a rectangle no bigger than the area inside it, as little as possible.
QRect funcInside(QRect rect, const QRect& area)
{
    rect.moveRight(std::min(rect.right(), area.right()));
    rect.moveBottom(std::min(rect.bottom(), area.bottom()));
    rect.moveLeft(std::max(rect.left(), area.left()));
    rect.moveTop(std::max(rect.top(), area.top()));
    return rect;
}

class WindowPlace final : public QObject {
public:
    explicit WindowPlace(QWidget* window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Show && !m_placed) {
            m_placed = true;
            subPlace();
        } else if (event->type() == QEvent::Hide && m_placed) {
            subRemember();
        }
        return false;
    }

private:
    void subPlace()
    {
        QScreen* screen = funcScreenOf(m_window);
        if (!screen)
            return;
        const QSettings settings = funcWindowSettings();
        const QRect saved = settings.value(funcKey(m_window, "geometry")).toRect();
        // A place left on a screen that is no longer there keeps its size only.
        QScreen* savedScreen = saved.isValid() ? QGuiApplication::screenAt(saved.center()) : nullptr;
        if (savedScreen)
            screen = savedScreen;
        const QRect area = screen->availableGeometry();
        const bool frameless = m_window->windowFlags().testFlag(Qt::FramelessWindowHint);
        const QSize room = frameless ? area.size() : funcRoomOn(area);
        // The size the window has now is the one asked for, grown by the window itself if need be.
        QSize size = (saved.isValid() ? saved.size() : m_window->size()).boundedTo(room).expandedTo(m_window->minimumSize());
        if (m_window->hasHeightForWidth())
            size.setHeight(std::max(size.height(), m_window->heightForWidth(size.width())));
        QRect rect(QPoint(), size);
        if (savedScreen) {
            rect.moveTopLeft(saved.topLeft());
            rect = funcInside(rect, QRect(area.topLeft(), room));
        } else {
            rect.moveCenter(area.center());
        }
        m_window->setGeometry(rect);
        if (savedScreen && settings.value(funcKey(m_window, "maximized")).toBool())
            m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    }

    void subRemember()
    {
        if (m_window->isMinimized())
            return;
        QSettings settings = funcWindowSettings();
        const bool maximized = m_window->isMaximized() || m_window->isFullScreen();
        settings.setValue(funcKey(m_window, "geometry"), maximized ? m_window->normalGeometry() : m_window->geometry());
        settings.setValue(funcKey(m_window, "maximized"), maximized);
    }

    QPointer<QWidget> m_window;
    bool m_placed = false;
};
} // namespace

void subPlaceWindow(QWidget* window, QSize preferred)
{
    window->resize(preferred);
    new WindowPlace(window);
}

QSize funcRoomOn(const QRect& area)
{
    return QSize(area.width() - kFrameWidth, area.height() - kFrameHeight);
}

QSettings funcWindowSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kaedemaru"), QStringLiteral("windows"));
}
