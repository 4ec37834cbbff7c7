// Text boxes as the windows use them: a length limit that never cuts an emoji in
// half, the input-method setting, and reading or filling a box whether it has
// one line (QLineEdit) or several (QPlainTextEdit).
#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Typed or pasted text beyond maxLength characters is left out, a whole
// character at a time. A text the program puts in with subSetBoxText that is
// already longer raises the limit instead of being cut, so stored data is never
// shortened on its way through a window.
void subTextLimit(QLineEdit* edit, int maxLength);
void subTextLimit(QPlainTextEdit* edit, int maxLength);

// Keeps the label telling how many characters the box holds of the limit
// ("120／255文字"), and tints box and label once the limit is reached, so that
// what the limit leaves out is seen while typing. The box's tooltip shows its
// whole text, for a text longer than the box is wide.
void subLengthCount(QLineEdit* edit, QLabel* count, int limit);
// A text as a tooltip that wraps instead of running off the screen.
QString funcWholeTextTip(const QString& text);

// Input-method modes in the numbering the windows use: 3 disables the input
// method (digits, postal codes). The kana modes have no portable counterpart and
// leave the input method to the user.
void subImeMode(QWidget* edit, int mode);

QString funcBoxText(const QWidget* box);
void subSetBoxText(QWidget* box, const QString& text);
