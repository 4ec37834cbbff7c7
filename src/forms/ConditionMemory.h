// What a search dialog remembers between two openings while the program runs:
// the state of its condition controls when the user last started a search, so
// the next search starts from there instead of from nothing.
#pragma once

#include <QString>

class QWidget;

namespace ConditionMemory {
// Stores the state of the named controls under `controls` (text boxes, combo
// boxes by their entry's item data, check and option buttons, date pickers).
void subSave(const QString& key, const QWidget* controls);
// Puts back what subSave stored under the key; a combo entry that no longer
// exists leaves its box without a selection. Nothing stored: nothing changes.
void subRestore(const QString& key, QWidget* controls);
void subForget(const QString& key);
// Everything forgotten, as at the start of the program.
void subForgetAll();
} // namespace ConditionMemory
