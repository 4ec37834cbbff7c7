#include "WindowTest.h"

#include "clsDataList.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

namespace {
// Looks for the modal window every few milliseconds, so a window that opens
// after a message box or a slow fill is still found.
void armStep(std::function<void(QDialog*)> step, std::shared_ptr<bool> fired, std::shared_ptr<bool> alive)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, step, fired, alive] {
        QPointer<QDialog> dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !*alive)
            return;
        timer->stop();
        timer->deleteLater();
        *fired = true;
        step(dialog);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
    timer->start();
    // Never left polling past the end of a test.
    QTimer::singleShot(30000, timer, [timer] { timer->deleteLater(); });
}
} // namespace

NextModal::NextModal(std::function<void(QDialog*)> step)
{
    armStep(std::move(step), m_fired, m_alive);
}

NextModal::~NextModal()
{
    *m_alive = false;
    if (QWidget* left = QApplication::activeModalWidget()) {
        qWarning("a modal window was left open: %s", qPrintable(left->objectName()));
        left->close();
    }
}

void onNextModal(std::function<void(QDialog*)> step)
{
    armStep(std::move(step), std::make_shared<bool>(false), std::make_shared<bool>(true));
}

QString buttonStates(const QObject* window, const QString& base, int count)
{
    QString states;
    for (int i = 0; i < count; ++i)
        states += child<QWidget>(window, base + QLatin1Char('_') + QString::number(i))->isEnabled() ? QLatin1Char('1')
                                                                                                    : QLatin1Char('0');
    return states;
}

QStringList rowTexts(const QTreeWidget* list)
{
    QStringList rows;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        QStringList texts;
        for (int column = 0; column < list->columnCount(); ++column)
            texts << item->text(column);
        rows << texts.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList rowTags(const QTreeWidget* list)
{
    QStringList tags;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        tags << clsDataList::funcItemTag(list->topLevelItem(row));
    return tags;
}

QStringList entryTexts(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

void typeInto(QWidget* control, const QString& text)
{
    for (int i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x80) {
            QTest::keyClick(control, text[i].toLatin1());
            continue;
        }
        // A character beyond the basic plane (an emoji) is committed whole, both halves at once.
        const int length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(i, length));
        QApplication::sendEvent(control, &commit);
        i += length - 1;
    }
}

void pressKeys(const QStringList& keyNames)
{
    for (const QString& name : keyNames) {
        // Where the platform sends a key: to an open pop-up (a completion, a list) first.
        QWidget* target = QApplication::activePopupWidget();
        if (target && target->focusWidget())
            target = target->focusWidget();
        if (!target)
            target = QApplication::focusWidget();
        if (!target)
            qFatal("no control has the focus for %s", qPrintable(name));
        const QKeyCombination key = QKeySequence(name)[0];
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
}

QStringList funcOffScreen(const QWidget* window)
{
    const QRect screen = window->screen()->geometry();
    QStringList outside;
    if (!screen.contains(window->frameGeometry()))
        outside << window->objectName();
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue;
        const QRect place(button->mapToGlobal(QPoint(0, 0)), button->size());
        if (!screen.contains(place))
            outside << (button->objectName().isEmpty() ? button->text() : button->objectName());
    }
    return outside;
}

void subUseOffscreenScreen(int width, int height)
{
    const QString path = QDir::tempPath() + QStringLiteral("/kaede-screen-%1x%2.json").arg(width).arg(height);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(QStringLiteral(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": %1, "height": %2,
                                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(width)
                   .arg(height)
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toUtf8());
}
