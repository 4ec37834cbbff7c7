#include "FormsCommon.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QWheelEvent>

namespace {
class ComboWheelGuard final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = static_cast<QComboBox*>(watched);
        if (event->type() != QEvent::Wheel || box->hasFocus() || !box->parentWidget())
            return false;
        // The window under the box scrolls as if the box were not there.
        QCoreApplication::sendEvent(box->parentWidget(), event);
        return true;
    }
};

// The next (or previous) control that Tab would reach, skipping the picker's own parts.
QWidget* funcTabNeighbour(QWidget* picker, bool forward)
{
    QWidget* w = forward ? picker->nextInFocusChain() : picker->previousInFocusChain();
    while (w && w != picker) {
        const bool own = picker->isAncestorOf(w);
        if (!own && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(picker->window()))
            return w;
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
    }
    return nullptr;
}

class DatePickerKeys final : public QObject {
public:
    explicit DatePickerKeys(QDateEdit* picker) : QObject(picker), m_picker(picker) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            // The section under the pointer is selected, so digits typed replace it.
            m_picker->setSelectedSection(m_picker->currentSection());
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            // One stop for the whole date, as for any other box.
            if (QWidget* next = funcTabNeighbour(m_picker, key->key() == Qt::Key_Tab)) {
                next->setFocus(key->key() == Qt::Key_Tab ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                return true;
            }
            return false;
        }
        const QString text = key->text();
        const bool separator = text == QLatin1String("/") || text == QLatin1String("-") || text == QLatin1String(".");
        if (!separator) {
            m_afterDigit = text.size() == 1 && text[0].isDigit();
            m_digitSection = m_picker->currentSection();
            return false;
        }
        // A part filled by its digits has moved on by itself: the separator typed
        // after it must not skip the next part as well.
        const bool movedOn = m_afterDigit && m_picker->currentSection() != m_digitSection;
        m_afterDigit = false;
        if (movedOn)
            return true;
        // Other ways of writing the separator are the separator.
        if (text != QLatin1String("/")) {
            QKeyEvent slash(QEvent::KeyPress, Qt::Key_Slash, key->modifiers(), QStringLiteral("/"));
            QCoreApplication::sendEvent(watched, &slash);
            return true;
        }
        return false;
    }

private:
    QDateEdit* m_picker;
    bool m_afterDigit = false;
    QDateTimeEdit::Section m_digitSection = QDateTimeEdit::NoSection;
};

// The day that stands for "no date" in a picker that may be empty; it shows as kNoDateText.
const QDate kNoDate(1900, 1, 1);
const QString kNoDateText = QStringLiteral("未入力");

bool funcPickerEmpty(const QDateEdit* picker)
{
    return picker->specialValueText() == kNoDateText && picker->date() == picker->minimumDate();
}

// Delete empties the picker; the first key that changes the date of an empty one
// starts from today, and its calendar opens on this month rather than on the empty day.
class OptionalDateKeys final : public QObject {
public:
    OptionalDateKeys(QDateEdit* picker, QCalendarWidget* calendar) : QObject(picker), m_picker(picker), m_calendar(calendar) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_calendar) {
            if (event->type() == QEvent::Show && funcPickerEmpty(m_picker))
                m_calendar->setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            m_picker->setDate(kNoDate);
            return true;
        }
        if (!funcPickerEmpty(m_picker))
            return false;
        const bool step = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_PageUp
                          || key->key() == Qt::Key_PageDown;
        const bool digit = key->text().size() == 1 && key->text()[0].isDigit();
        if (!step && !digit)
            return false;
        m_picker->setDate(QDate::currentDate());
        m_picker->setSelectedSection(QDateTimeEdit::YearSection);
        // An arrow has done its work by showing today; a digit goes on to replace the year.
        return step;
    }

private:
    QDateEdit* m_picker;
    QCalendarWidget* m_calendar;
};
} // namespace

void subOptionalDatePicker(QDateEdit* picker)
{
    subDatePicker(picker);
    picker->setMinimumDate(kNoDate);
    picker->setSpecialValueText(kNoDateText);
    picker->setToolTip(QStringLiteral("わからないときは空けておけます（Delete キーで空にします）。"));
    // The calendar is made before the keys are watched: making it sends events to the picker.
    QCalendarWidget* calendar = picker->calendarWidget();
    auto* keys = new OptionalDateKeys(picker, calendar);
    picker->installEventFilter(keys);
    if (auto* text = picker->findChild<QLineEdit*>())
        text->installEventFilter(keys);
    calendar->installEventFilter(keys);
    picker->setDate(kNoDate);
}

QDate funcPickerDate(const QDateEdit* picker)
{
    return funcPickerEmpty(picker) ? QDate() : picker->date();
}

void subSetPickerDate(QDateEdit* picker, const QDate& date)
{
    picker->setDate(date.isValid() ? date : picker->minimumDate());
}

void subComboWheelGuard(QComboBox* box)
{
    box->setFocusPolicy(Qt::StrongFocus);
    if (!box->findChild<ComboWheelGuard*>(QString(), Qt::FindDirectChildrenOnly))
        box->installEventFilter(new ComboWheelGuard(box));
}

void Set_Combo(QComboBox* box, const QString& tableName)
{
    guarded(QStringLiteral("MainCommon.bas - Set_Combo"), [&] {
        const QString subject = tableName.mid(3);
        const QString nameColumn = subject + QStringLiteral("名");
        const QString idColumn = subject + QStringLiteral("ID");
        // In ID order in either engine (a server keeps rows in no order of their own).
        Recordset rs = gDatabase.openRecordset(QStringLiteral(" SELECT * FROM ") + tableName + QStringLiteral(" WHERE 削除フラグ = 0 ")
                                                   + QStringLiteral(" ORDER BY ") + idColumn,
                                               dbOpenDynaset, dbReadOnly);
        box->clear();
        box->addItem(QString(), 0);
        while (!rs.eof()) {
            // A row without a name still gets its entry, so its ID stays selectable.
            box->addItem(funcToString(rs.field(nameColumn)), funcToLong(rs.field(idColumn)));
            rs.moveNext();
        }
        rs.close();
        box->setCurrentIndex(-1);
        subComboWheelGuard(box);
    });
}

int funcCboIndex(const QComboBox* box, int itemData)
{
    if (!box)
        return -1;
    for (int i = 0; i < box->count(); ++i)
        if (funcToLong(box->itemData(i)) == itemData)
            return i;
    return -1;
}

int funcCboIndex(const QListWidget* list, int itemData)
{
    if (!list)
        return -1;
    for (int i = 0; i < list->count(); ++i)
        if (funcToLong(list->item(i)->data(Qt::UserRole)) == itemData)
            return i;
    return -1;
}

void subDatePicker(QDateEdit* picker)
{
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    // Room for the whole date beside the pop-up button, whatever the font.
    picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 48);
    // Keys reach the picker; clicks reach the line of text inside it.
    auto* keys = new DatePickerKeys(picker);
    picker->installEventFilter(keys);
    if (auto* text = picker->findChild<QLineEdit*>())
        text->installEventFilter(keys);
}

WaitCursor::WaitCursor()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::restoreOverrideCursor();
}

MsgAnswer funcAskSaveChanges()
{
    return MsgBox(QStringLiteral("変更した内容を保存しますか？"), MsgButtons::YesNoCancel, MsgIcon::Question, kTitle);
}

bool funcConfirmClose(bool changed, const std::function<bool()>& save)
{
    if (!changed)
        return true;
    switch (funcAskSaveChanges()) {
    case MsgAnswer::Yes: return save();
    case MsgAnswer::No: return true;
    default: return false;
    }
}

bool funcTrySave(const QString& procedureName, const QString& failedText, const std::function<void()>& save)
{
    try {
        save();
        return true;
    } catch (const ServerUnavailable&) {
        throw;
    } catch (const DataReplaced&) {
        throw;
    } catch (const std::exception& e) {
        const QString reason = QString::fromStdString(e.what());
        subWriteErrorLog(procedureName, reason);
        MsgBox(failedText + QStringLiteral("\r\n") + reason, MsgButtons::Ok, MsgIcon::Warning, kTitle);
        return false;
    }
}
