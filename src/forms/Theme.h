// The program's look in one place: its Japanese fonts and its colours.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;

namespace Theme {
// The proportional font of every window and message.
QFont uiFont(int pointSize = 10, bool bold = false);
// A fixed-pitch font in which a full-width character is exactly two half-width
// ones wide, so byte-counted columns line up.
QFont fixedFont(int pointSize = 10);

inline const QColor accent{0xb0, 0x4a, 0x2a};      // titles, mode captions, the board heading
inline const QColor warning{0xc0, 0x39, 0x2b};     // texts that warn of lost data
inline const QColor muted{0x7a, 0x62, 0x52};       // help texts
inline const QColor heading{0x9a, 0x6a, 0x4a};     // section headings
inline const QColor caption{0x6b, 0x54, 0x44};     // small captions
inline const QColor onDark{0xff, 0xe9, 0xc9};      // text on the coloured banner
inline const QColor border{0xd9, 0xc3, 0xad};      // list frames
inline const QColor selection{0x2f, 0x8f, 0x8f};   // the selected row of a board
inline const QColor limitReached{0xfd, 0xe2, 0xdc}; // the back of a box that holds all it may

// "color: #rrggbb;" for a label's style sheet.
QString textStyle(const QColor& color);
// The fixed help text at the foot of a window: wrapped, framed, muted.
void subHelpText(QLabel* label);
} // namespace Theme
