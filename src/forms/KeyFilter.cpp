#include "KeyFilter.h"

#include "CommonBase.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

KeyFilter::KeyFilter(short kind, QObject* parent) : QObject(parent), m_kind(kind) {}

void KeyFilter::install(QObject* edit, short kind)
{
    edit->installEventFilter(new KeyFilter(kind, edit));
}

namespace {
bool allowed(short kind, QChar ch)
{
    short code = static_cast<short>(funcKeyAscii(ch));
    subKeyFilter(kind, code);
    return code != 0;
}
} // namespace

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace)
            return false;
        const QString text = key->text();
        // Keys without text (arrows, Delete, shortcuts) are not typed characters.
        if (text.isEmpty() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        for (QChar ch : text)
            if (!allowed(m_kind, ch))
                return true;
    } else if (event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        const QString committed = im->commitString();
        QString kept;
        for (QChar ch : committed)
            if (allowed(m_kind, ch))
                kept += ch;
        if (kept != committed) {
            QInputMethodEvent filtered(im->preeditString(), im->attributes());
            filtered.setCommitString(kept, im->replacementStart(), im->replacementLength());
            QCoreApplication::sendEvent(watched, &filtered);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
