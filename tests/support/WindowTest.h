// Helpers for driving real windows in tests: named children, modal windows
// opened by the code under test, button states and list rows as text.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTest>

#include <functional>
#include <memory>

class QTreeWidget;
class QListWidget;

// The named child of a window; the test stops with the name when there is none.
template <class T>
T* child(const QObject* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found)
        qFatal("no child %s of the expected kind in %s", qPrintable(name), qPrintable(window->objectName()));
    return found;
}

// Runs a step on the next modal window that opens, then closes it if the step
// left it open, so the exec() of the caller returns. fired() tells whether a
// window came; on destruction it checks that no modal window is left open.
class NextModal {
public:
    explicit NextModal(std::function<void(QDialog*)> step);
    ~NextModal();
    NextModal(const NextModal&) = delete;
    NextModal& operator=(const NextModal&) = delete;
    bool fired() const { return *m_fired; }

private:
    std::shared_ptr<bool> m_fired = std::make_shared<bool>(false);
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Fire-and-forget form of NextModal for steps that do not need checking.
void onNextModal(std::function<void(QDialog*)> step);

// "1" for each enabled, "0" for each disabled control base_0 ... base_{count-1}: "1000".
QString buttonStates(const QObject* window, const QString& base, int count);
// Each row of a list view as its texts joined by "|", top to bottom.
QStringList rowTexts(const QTreeWidget* list);
// The tags of the rows, top to bottom.
QStringList rowTags(const QTreeWidget* list);
QStringList entryTexts(const QListWidget* list);

// The buttons (push, radio, check) of a window that are shown but do not lie wholly
// on its screen, by name, and the window itself when its frame leaves the screen.
QStringList funcOffScreen(const QWidget* window);
// Makes the offscreen platform one screen of the given size; call before the
// application object is made (the test's own main).
void subUseOffscreenScreen(int width, int height);

// Types text into a control one character at a time, as a user does: ASCII as
// key presses, anything else as the input method's commit of that character.
void typeInto(QWidget* control, const QString& text);
// A key by its name ("Tab", "Return", "Down", "1", "Alt+S") to the control that
// has the focus, or to the pop-up that is open, as the platform sends it.
void pressKeys(const QStringList& keyNames);
