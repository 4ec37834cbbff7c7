#include "Theme.h"

#include <QLabel>

namespace Theme {

QFont uiFont(int pointSize, bool bold)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

QFont fixedFont(int pointSize)
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(pointSize);
    return font;
}

QString textStyle(const QColor& color)
{
    return QStringLiteral("color: %1;").arg(color.name());
}

void subHelpText(QLabel* label)
{
    label->setWordWrap(true);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMargin(6);
    label->setStyleSheet(textStyle(muted));
}

} // namespace Theme
