// What fills or looks up the controls of a window: combo boxes from master
// tables, the entry holding an ID, and the hourglass pointer.
#pragma once

#include "UiServices.h"

#include <QDate>
#include <QString>

#include <functional>

class QComboBox;
class QDateEdit;
class QListWidget;

// A blank first entry (item data 0), then one entry per master row not deleted; nothing selected.
// The box changes only by the user's intent (subComboWheelGuard).
void Set_Combo(QComboBox* box, const QString& tableName);
// The mouse wheel over a combo box without the focus scrolls the window, not the value.
void subComboWheelGuard(QComboBox* box);
// The index of the entry whose item data is itemData; -1 when there is none.
int funcCboIndex(const QComboBox* box, int itemData);
int funcCboIndex(const QListWidget* list, int itemData);

// A date picker as every window shows it: "yyyy/mm/dd" with a calendar pop-up.
// A click selects the part under the pointer so digits typed replace it; a date
// may be typed whole (2026/12/7, 2026-12-07, 20261207); Tab leaves the picker.
void subDatePicker(QDateEdit* picker);
// The same for a date that may be unknown: it starts empty and shows 「未入力」, Delete
// empties it again, and the first arrow or digit starts from today.
void subOptionalDatePicker(QDateEdit* picker);
// The date shown, or an invalid date for an empty picker; an invalid date empties one.
QDate funcPickerDate(const QDateEdit* picker);
void subSetPickerDate(QDateEdit* picker, const QDate& date);

// The question before a window with unsaved changes closes: Yes save, No
// discard, Cancel stay.
MsgAnswer funcAskSaveChanges();
// Before a window closes: when changed, asks, and はい runs save. True when the window
// may close now (nothing changed, いいえ, or save answered true).
bool funcConfirmClose(bool changed, const std::function<bool()>& save);

// Runs a save whose transaction undoes itself when a fault leaves it. A fault of
// the database is written to the log and told with failedText and its reason,
// and the window stays as it was (false). A server that failed, and data replaced
// meanwhile, go on to the handler of the action, which tells them as everywhere.
bool funcTrySave(const QString& procedureName, const QString& failedText, const std::function<void()>& save);

// The hourglass pointer for as long as the object lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
