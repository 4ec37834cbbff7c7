#include "ConditionMemory.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QHash>
#include <QLineEdit>
#include <QVariant>

namespace {
using ControlStates = QHash<QString, QVariant>;

// The window's own named controls, not the parts Qt builds inside a picker or a pop-up.
bool ours(const QWidget* control)
{
    return !control->objectName().isEmpty() && !control->objectName().startsWith(QLatin1String("qt_"));
}

QHash<QString, ControlStates>& stored()
{
    static QHash<QString, ControlStates> memory;
    return memory;
}
} // namespace

void ConditionMemory::subSave(const QString& key, const QWidget* controls)
{
    ControlStates states;
    for (const QLineEdit* box : controls->findChildren<QLineEdit*>())
        if (ours(box))
            states.insert(box->objectName(), box->text());
    for (const QComboBox* box : controls->findChildren<QComboBox*>())
        if (ours(box))
            states.insert(box->objectName(), box->currentIndex() < 0 ? QVariant() : box->currentData());
    for (const QAbstractButton* button : controls->findChildren<QAbstractButton*>())
        if (ours(button) && button->isCheckable())
            states.insert(button->objectName(), button->isChecked());
    for (const QDateEdit* picker : controls->findChildren<QDateEdit*>())
        if (ours(picker))
            states.insert(picker->objectName(), picker->date());
    stored().insert(key, states);
}

void ConditionMemory::subRestore(const QString& key, QWidget* controls)
{
    const auto found = stored().constFind(key);
    if (found == stored().constEnd())
        return;
    const ControlStates& states = *found;
    // Pickers before their check boxes, so a box ticked on restore enables pickers already set.
    for (QDateEdit* picker : controls->findChildren<QDateEdit*>())
        if (states.contains(picker->objectName()))
            picker->setDate(states.value(picker->objectName()).toDate());
    for (QLineEdit* box : controls->findChildren<QLineEdit*>())
        if (ours(box) && states.contains(box->objectName()))
            box->setText(states.value(box->objectName()).toString());
    for (QComboBox* box : controls->findChildren<QComboBox*>()) {
        if (!states.contains(box->objectName()))
            continue;
        const QVariant data = states.value(box->objectName());
        box->setCurrentIndex(data.isValid() ? box->findData(data) : -1);
    }
    // An option button is put on, never off: its group turns the others off.
    for (QAbstractButton* button : controls->findChildren<QAbstractButton*>())
        if (button->isCheckable() && states.contains(button->objectName())
            && (states.value(button->objectName()).toBool() || !button->autoExclusive()))
            button->setChecked(states.value(button->objectName()).toBool());
}

void ConditionMemory::subForget(const QString& key)
{
    stored().remove(key);
}

void ConditionMemory::subForgetAll()
{
    stored().clear();
}
