// Where a window opens and how big: the size it asks for, cut to the free area of
// the screen it opens on (a laptop's 1366 x 768 included), centred there; from the
// second opening on, the size and place the user left it at, kept per window name.
#pragma once

#include <QRect>
#include <QSize>

class QSettings;
class QWidget;

// Call once, in the window's constructor after its layout; the window is placed
// when it is first shown and remembered each time it is hidden.
void subPlaceWindow(QWidget* window, QSize preferred);

// The room a window may take on a screen whose free area is `area`, keeping its
// title bar and frame on the screen too.
QSize funcRoomOn(const QRect& area);

// Where the places of the windows are kept (the user's own settings).
QSettings funcWindowSettings();
