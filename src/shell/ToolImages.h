// The pictures of the main menu, drawn in code so that they stay sharp at any
// screen scale and need no image files beside the program.
#pragma once

#include <QPixmap>

enum class ToolImage { Backup, Restore, Initialize, Help, Version, Settings };

// A square picture of the given size in device-independent pixels.
QPixmap funcToolImage(ToolImage kind, int size, qreal devicePixelRatio = 1.0);
// The maple leaf of the title band and the version window.
QPixmap funcMapleLeaf(int size, const QColor& color, qreal devicePixelRatio = 1.0);
