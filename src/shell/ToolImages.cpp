#include "ToolImages.h"

#include <cmath>

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {
// Every picture is drawn on a 64 x 64 grid and scaled to the size asked for.
constexpr qreal kGrid = 64.0;

QPixmap blank(int size, qreal dpr)
{
    QPixmap pixmap(QSize(size, size) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void prepare(QPainter& p, int size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / kGrid, size / kGrid);
}

// The database: a cylinder with two bands, as users know it from other programs.
void drawDatabase(QPainter& p, const QRectF& r)
{
    const qreal capH = r.height() * 0.24;
    QLinearGradient body(r.topLeft(), r.topRight());
    body.setColorAt(0.0, QColor(56, 106, 186));
    body.setColorAt(0.45, QColor(110, 160, 232));
    body.setColorAt(1.0, QColor(44, 86, 160));
    QPainterPath path;
    path.moveTo(r.left(), r.top() + capH / 2);
    path.lineTo(r.left(), r.bottom() - capH / 2);
    path.arcTo(QRectF(r.left(), r.bottom() - capH, r.width(), capH), 180, 180);
    path.lineTo(r.right(), r.top() + capH / 2);
    path.arcTo(QRectF(r.left(), r.top(), r.width(), capH), 0, -180);
    p.setPen(QPen(QColor(30, 60, 120), 1.4));
    p.setBrush(body);
    p.drawPath(path);
    // The bands between the three discs.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(210, 228, 255, 200), 1.4));
    for (int band = 1; band <= 2; ++band) {
        const qreal y = r.top() + (r.height() - capH) * band / 3.0;
        p.drawArc(QRectF(r.left(), y, r.width(), capH), 180 * 16, 180 * 16);
    }
    p.setPen(QPen(QColor(30, 60, 120), 1.4));
    p.setBrush(QColor(170, 204, 250));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), capH));
}

// A storage box: where the backup copy goes and where it comes back from.
void drawBox(QPainter& p, const QRectF& r)
{
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0.0, QColor(255, 206, 120));
    fill.setColorAt(1.0, QColor(232, 150, 48));
    QPainterPath tab;
    tab.moveTo(r.left(), r.top() + 5);
    tab.lineTo(r.left() + 3, r.top());
    tab.lineTo(r.left() + r.width() * 0.42, r.top());
    tab.lineTo(r.left() + r.width() * 0.5, r.top() + 5);
    tab.closeSubpath();
    p.setPen(QPen(QColor(150, 90, 20), 1.4));
    p.setBrush(QColor(240, 170, 70));
    p.drawPath(tab);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(r.left(), r.top() + 5, r.width(), r.height() - 5), 3, 3);
}

// A thick arrow along a polyline, its head at the last point.
void drawArrow(QPainter& p, const QList<QPointF>& points, const QColor& color)
{
    QPainterPath shaft;
    shaft.moveTo(points.first());
    for (int i = 1; i < points.size() - 1; ++i)
        shaft.lineTo(points[i]);
    const QPointF tip = points.last();
    const QPointF from = points[points.size() - 2];
    QLineF dir(from, tip);
    const qreal len = dir.length();
    const QPointF unit = (tip - from) / len;
    const QPointF normal(-unit.y(), unit.x());
    const qreal headLen = 12;
    const QPointF base = tip - unit * headLen;
    shaft.lineTo(base);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color.darker(140), 9, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(shaft);
    p.setPen(QPen(color, 6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(shaft);
    QPolygonF head;
    head << tip << base + normal * 9 << base - normal * 9;
    p.setPen(QPen(color.darker(140), 1.4));
    p.setBrush(color);
    p.drawPolygon(head);
}

void drawBackup(QPainter& p)
{
    drawDatabase(p, QRectF(4, 4, 30, 42));
    drawBox(p, QRectF(30, 40, 30, 21));
    drawArrow(p, {QPointF(26, 22), QPointF(46, 22), QPointF(46, 44)}, QColor(58, 170, 74));
}

void drawRestore(QPainter& p)
{
    drawBox(p, QRectF(3, 40, 30, 21));
    drawDatabase(p, QRectF(30, 4, 30, 42));
    drawArrow(p, {QPointF(17, 46), QPointF(17, 22), QPointF(40, 22)}, QColor(230, 120, 40));
}

// An eraser wiping a line away: emptying chosen data.
void drawInitialize(QPainter& p)
{
    p.setPen(QPen(QColor(150, 150, 150), 2, Qt::DashLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 58), QPointF(30, 58));
    p.save();
    p.translate(36, 32);
    p.rotate(-38);
    const QRectF whole(-22, -11, 44, 22);
    QLinearGradient blue(whole.topLeft(), whole.bottomLeft());
    blue.setColorAt(0, QColor(120, 170, 240));
    blue.setColorAt(1, QColor(60, 110, 200));
    QLinearGradient pink(whole.topLeft(), whole.bottomLeft());
    pink.setColorAt(0, QColor(255, 190, 205));
    pink.setColorAt(1, QColor(236, 120, 150));
    p.setPen(Qt::NoPen);
    QPainterPath clip;
    clip.addRoundedRect(whole, 4, 4);
    p.setClipPath(clip);
    p.fillRect(QRectF(-22, -11, 22, 22), pink);
    p.fillRect(QRectF(0, -11, 22, 22), blue);
    p.setClipping(false);
    p.setPen(QPen(QColor(80, 60, 90), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(whole, 4, 4);
    p.drawLine(QPointF(0, -11), QPointF(0, 11));
    p.restore();
    // Sparkles where the data was.
    p.setPen(QPen(QColor(240, 180, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
    const QPointF star(10, 14);
    p.drawLine(star + QPointF(-5, 0), star + QPointF(5, 0));
    p.drawLine(star + QPointF(0, -5), star + QPointF(0, 5));
    const QPointF small(54, 52);
    p.drawLine(small + QPointF(-3, 0), small + QPointF(3, 0));
    p.drawLine(small + QPointF(0, -3), small + QPointF(0, 3));
}

// A round badge with one white sign in it ("?" for help, "i" for information).
void drawBadge(QPainter& p, const QColor& light, const QColor& dark, const QString& sign, bool serif)
{
    const QRectF circle(5, 5, 54, 54);
    QRadialGradient fill(QPointF(24, 20), 44);
    fill.setColorAt(0, light);
    fill.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(130), 1.6));
    p.setBrush(fill);
    p.drawEllipse(circle);
    // A soft highlight on the upper half.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawEllipse(QRectF(14, 8, 36, 20));
    QFont font(serif ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(38);
    QPainterPath text;
    text.addText(0, 0, font, sign);
    const QRectF bounds = text.boundingRect();
    p.translate(circle.center() - bounds.center());
    p.setBrush(Qt::white);
    p.setPen(QPen(dark.darker(150), 0.8));
    p.drawPath(text);
}

// A gear: the school's settings and the work of the year.
void drawGear(QPainter& p)
{
    const QPointF centre(32, 32);
    QPainterPath gear;
    constexpr int kTeeth = 8;
    for (int i = 0; i < kTeeth * 4; ++i) {
        // Each tooth: two points on the outer circle, two on the inner.
        const double angle = (i - 0.5) * 2 * M_PI / (kTeeth * 4);
        const double radius = (i % 4 < 2) ? 27 : 20;
        const QPointF point = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        i == 0 ? gear.moveTo(point) : gear.lineTo(point);
    }
    gear.closeSubpath();
    gear.addEllipse(centre, 8, 8);
    gear.setFillRule(Qt::OddEvenFill);
    QLinearGradient steel(QPointF(8, 6), QPointF(56, 58));
    steel.setColorAt(0, QColor(190, 196, 210));
    steel.setColorAt(1, QColor(100, 110, 135));
    p.setPen(QPen(QColor(70, 76, 96), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(steel);
    p.drawPath(gear);
}

QPainterPath mapleLeafPath()
{
    // The right half of the leaf on a 100 x 100 grid, from the top lobe to the stem.
    static const QPointF right[] = {
        {50, 2}, {58, 17}, {65, 13}, {62, 36}, {75, 22}, {78, 31}, {91, 28}, {86, 44},
        {96, 49}, {73, 63}, {77, 73}, {53, 69}, {53, 97},
    };
    QPolygonF polygon;
    for (const QPointF& point : right)
        polygon << point;
    for (int i = static_cast<int>(std::size(right)) - 1; i >= 1; --i)
        polygon << QPointF(100 - right[i].x(), right[i].y());
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return path;
}
} // namespace

QPixmap funcToolImage(ToolImage kind, int size, qreal devicePixelRatio)
{
    QPixmap pixmap = blank(size, devicePixelRatio);
    QPainter p(&pixmap);
    prepare(p, size);
    switch (kind) {
    case ToolImage::Backup: drawBackup(p); break;
    case ToolImage::Restore: drawRestore(p); break;
    case ToolImage::Initialize: drawInitialize(p); break;
    case ToolImage::Help: drawBadge(p, QColor(110, 170, 250), QColor(30, 90, 190), QStringLiteral("?"), false); break;
    case ToolImage::Version: drawBadge(p, QColor(110, 210, 170), QColor(20, 130, 110), QStringLiteral("i"), true); break;
    case ToolImage::Settings: drawGear(p); break;
    }
    return pixmap;
}

QPixmap funcMapleLeaf(int size, const QColor& color, qreal devicePixelRatio)
{
    QPixmap pixmap = blank(size, devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    QLinearGradient fill(QPointF(20, 0), QPointF(80, 100));
    fill.setColorAt(0, color.lighter(130));
    fill.setColorAt(1, color.darker(120));
    p.setPen(QPen(color.darker(160), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(mapleLeafPath());
    // The veins.
    p.setPen(QPen(color.darker(150), 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF heart(50, 64);
    p.drawLine(heart, QPointF(50, 12));
    p.drawLine(heart, QPointF(84, 34));
    p.drawLine(heart, QPointF(16, 34));
    p.drawLine(heart, QPointF(80, 60));
    p.drawLine(heart, QPointF(20, 60));
    return pixmap;
}
