#include "KeyFilter.h"

#include "CommonBase.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

KeyFilter::KeyFilter(short kind, QObject* parent) : QObject(parent), m_kind(kind) {}

namespace {
// Moving between boxes, confirming and closing belong to the window, never to the filter.
bool isWindowKey(int key)
{
    return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter
        || key == Qt::Key_Escape || key == Qt::Key_Backspace;
}
} // namespace

void KeyFilter::install(QObject* edit, short kind)
{
    edit->installEventFilter(new KeyFilter(kind, edit));
    // Pasted text passes no key filter; it is converted and filtered as a whole.
    if (auto* line = qobject_cast<QLineEdit*>(edit)) {
        QObject::connect(line, &QLineEdit::textEdited, line, [line, kind](const QString& text) {
            const QString clean = funcKeyFilterText(kind, text);
            if (clean == text)
                return;
            const int cursor = line->cursorPosition() + static_cast<int>(clean.size() - text.size());
            line->setText(clean);
            line->setCursorPosition(std::max(0, cursor));
        });
    }
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isWindowKey(key->key()))
            return false;
        const QString text = key->text();
        // Keys without text (arrows, Delete, shortcuts) are not typed characters.
        if (text.isEmpty() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        const QString clean = funcKeyFilterText(m_kind, text);
        if (clean == text)
            return false;
        if (!clean.isEmpty()) {
            QKeyEvent replacement(QEvent::KeyPress, Qt::Key_unknown, key->modifiers(), clean);
            QCoreApplication::sendEvent(watched, &replacement);
        }
        return true;
    }
    if (event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        const QString committed = im->commitString();
        const QString clean = funcKeyFilterText(m_kind, committed);
        if (clean != committed) {
            QInputMethodEvent filtered(im->preeditString(), im->attributes());
            filtered.setCommitString(clean, im->replacementStart(), im->replacementLength());
            QCoreApplication::sendEvent(watched, &filtered);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
