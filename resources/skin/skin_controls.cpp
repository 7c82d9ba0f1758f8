// Small control bitmaps: slider grooves, DPI bars, check boxes, scroll arrows, the macro
// action flags and the message dialogs' icons.
#include "resources/skin/skin_art.h"
#include "resources/skin/skin_paint.h"

#include <cmath>

namespace vyk::skin {

QImage drawIndicatorBar(int width) {
    // A horizontal groove 16 px high: the channel in the middle, a faint red level ramp inside it
    // (the widget draws its own thumb), and fine ticks under it.
    const int h = 16;
    QImage img = blank(width, h);
    QPainter p(&img);
    prepare(p);
    const QRectF ch(1, 5, width - 2, 6);
    groove(p, ch, 3);
    QLinearGradient ramp(ch.left(), 0, ch.right(), 0);
    ramp.setColorAt(0, withAlpha(pal::Red, 20));
    ramp.setColorAt(1, withAlpha(pal::Red, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(ramp);
    p.drawRoundedRect(ch.adjusted(2, 2, -2, -2), 1, 1);
    p.setPen(QPen(withAlpha(pal::Steel, 90), 1));
    const int ticks = 10;
    for (int i = 0; i <= ticks; ++i) {
        const double x = std::floor(3 + (width - 7.0) * i / ticks) + 0.5;
        p.drawLine(QPointF(x, 13), QPointF(x, i % 5 == 0 ? 16 : 14.5));
    }
    return img;
}

QImage drawDpiIndicator(bool yAxis) {
    // A vertical bar 20x200: a groove with the axis colour rising from the bottom, and ticks
    // on both sides. X is red, Y amber.
    const int w = 20, h = 200;
    const QColor hi = yAxis ? pal::Amber : pal::Red;
    const QColor lo = yAxis ? pal::AmberDeep : pal::RedDeep;
    QImage img = blank(w, h);
    QPainter p(&img);
    prepare(p);
    const QRectF ch(6, 1, 8, h - 2);
    groove(p, ch, 4);
    QLinearGradient fill(0, ch.bottom(), 0, ch.top());
    fill.setColorAt(0, withAlpha(hi, 230));
    fill.setColorAt(0.5, withAlpha(mix(lo, hi, 0.5), 150));
    fill.setColorAt(1, withAlpha(lo, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(ch.adjusted(2, 2, -2, -2), 2, 2);
    p.setPen(QPen(withAlpha(pal::Steel, 110), 1));
    const int ticks = 16;
    for (int i = 0; i <= ticks; ++i) {
        const double y = std::floor(3 + (h - 7.0) * i / ticks) + 0.5;
        const double len = i % 4 == 0 ? 4 : 2;
        p.drawLine(QPointF(5 - len, y), QPointF(5, y));
        p.drawLine(QPointF(15, y), QPointF(15 + len, y));
    }
    return img;
}

QImage drawCheckbox(bool on) {
    QImage img = blank(18, 18);
    QPainter p(&img);
    prepare(p);
    const QRectF r(0, 0, 18, 18);
    if (!on) {
        groove(p, r.adjusted(0.5, 0.5, -0.5, -1), 3);
        p.setPen(QPen(withAlpha(pal::Steel, 150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -1.5), 3, 3);
    } else {
        plate(p, r.adjusted(0, 0, 0, -1), 3, QColor(0xec, 0x34, 0x18), QColor(0xa0, 0x16, 0x06),
              QColor(0x2a, 0x04, 0x01), 0.22);
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{QPointF(4.5, 9), QPointF(7.5, 12.2), QPointF(13.5, 5.5)});
    }
    return img;
}

QImage drawScrollButton(bool up) {
    const int w = 24, h = 16;
    QImage img = blank(w, h);
    QPainter p(&img);
    prepare(p);
    plate(p, QRectF(0, 0, w, h), 3, QColor(0x36, 0x3a, 0x41), QColor(0x1e, 0x21, 0x25), QColor(0x05, 0x05, 0x06), 0.12);
    p.setPen(QPen(pal::Light, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const double cx = w / 2.0, cy = h / 2.0;
    if (up)
        p.drawPolyline(QPolygonF{QPointF(cx - 4.5, cy + 2.2), QPointF(cx, cy - 2.3), QPointF(cx + 4.5, cy + 2.2)});
    else
        p.drawPolyline(QPolygonF{QPointF(cx - 4.5, cy - 2.2), QPointF(cx, cy + 2.3), QPointF(cx + 4.5, cy - 2.2)});
    return img;
}

namespace {

// An arrow pointing down (or up) centred at c, body length len, colour col.
void arrow(QPainter& p, const QPointF& c, double len, bool down, const QColor& col) {
    const double d = down ? 1 : -1;
    QPainterPath a;
    a.moveTo(c.x() - 1.3, c.y() - d * len / 2);
    a.lineTo(c.x() + 1.3, c.y() - d * len / 2);
    a.lineTo(c.x() + 1.3, c.y() + d * (len / 2 - 3.5));
    a.lineTo(c.x() + 4, c.y() + d * (len / 2 - 3.5));
    a.lineTo(c.x(), c.y() + d * len / 2);
    a.lineTo(c.x() - 4, c.y() + d * (len / 2 - 3.5));
    a.lineTo(c.x() - 1.3, c.y() + d * (len / 2 - 3.5));
    a.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(a);
}

}  // namespace

QImage drawKeyFlag(int kind) {
    // 18x18: a key cap with an arrow (down red, up steel) or a stop-watch for a delay.
    QImage img = blank(18, 18);
    QPainter p(&img);
    prepare(p);
    if (kind == 2) {
        const QPointF c(9, 10);
        p.setPen(QPen(pal::Light, 1.4));
        p.setBrush(withAlpha(pal::Raised, 220));
        p.drawEllipse(c, 6.5, 6.5);
        p.setPen(QPen(pal::Light, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7.5, 1.6), QPointF(10.5, 1.6));
        p.drawLine(QPointF(9, 2), QPointF(9, 3.4));
        p.setPen(QPen(pal::Amber, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, QPointF(9, 5.8));
        p.drawLine(c, QPointF(12, 11.5));
        return img;
    }
    plate(p, QRectF(1, 1, 16, 16), 3, QColor(0x40, 0x44, 0x4c), QColor(0x22, 0x25, 0x2a), QColor(0x05, 0x05, 0x06),
          0.14);
    arrow(p, QPointF(9, 9), 11, kind == 0, kind == 0 ? pal::RedHot : pal::Light);
    return img;
}

QImage drawMouseFlag(bool down) {
    // 18x18: a small mouse whose left button is lit when pressed, with an arrow beside it.
    QImage img = blank(18, 18);
    QPainter p(&img);
    prepare(p);
    const QRectF body(1.5, 2.5, 9, 13);
    p.setPen(QPen(pal::Light, 1.2));
    p.setBrush(withAlpha(pal::Raised, 220));
    p.drawRoundedRect(body, 4.5, 4.5);
    QPainterPath left;
    left.moveTo(body.center().x(), body.top());
    left.arcTo(QRectF(body.left(), body.top(), 9, 9), 90, 90);
    left.lineTo(body.center().x(), body.top() + 5.5);
    left.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(down ? pal::RedHot : withAlpha(pal::Steel, 120));
    p.drawPath(left);
    p.setPen(QPen(pal::Light, 1));
    p.drawLine(QPointF(body.center().x(), body.top() + 0.5), QPointF(body.center().x(), body.top() + 5.5));
    p.drawLine(QPointF(body.left() + 0.5, body.top() + 5.5), QPointF(body.right() - 0.5, body.top() + 5.5));
    arrow(p, QPointF(14, 9), 10, down, down ? pal::RedHot : pal::Light);
    return img;
}

QImage drawWarningIcon() {
    // 64x64: an amber rounded triangle with a dark exclamation mark (bar and dot), drawn on a
    // 48-unit grid.
    QImage img = blank(64, 64);
    QPainter p(&img);
    prepare(p);
    p.scale(64 / 48.0, 64 / 48.0);
    glow(p, QPointF(24, 28), 24, 20, withAlpha(pal::Amber, 60));
    QPainterPath tri;
    tri.moveTo(24, 4);
    tri.lineTo(45, 42);
    tri.lineTo(3, 42);
    tri.closeSubpath();
    QPainterPathStroker round;
    round.setWidth(6);
    round.setJoinStyle(Qt::RoundJoin);
    const QPainterPath shape = round.createStroke(tri).united(tri);
    platePath(p, shape, QColor(0xff, 0xb0, 0x34), QColor(0xd0, 0x62, 0x08), QColor(0x3a, 0x1c, 0x02), 0.25);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1a, 0x12, 0x08));
    QPainterPath bar;
    bar.moveTo(21.4, 16);
    bar.lineTo(26.6, 16);
    bar.lineTo(25.6, 31);
    bar.lineTo(22.4, 31);
    bar.closeSubpath();
    QPainterPathStroker soft;
    soft.setWidth(1.2);
    soft.setJoinStyle(Qt::RoundJoin);
    p.drawPath(soft.createStroke(bar).united(bar));
    p.drawEllipse(QPointF(24, 36.2), 2.6, 2.6);
    return img;
}

QImage drawErrorIcon() {
    // 64x64: a red disc with a white cross, drawn on a 48-unit grid.
    QImage img = blank(64, 64);
    QPainter p(&img);
    prepare(p);
    p.scale(64 / 48.0, 64 / 48.0);
    glow(p, QPointF(24, 24), 24, 24, withAlpha(pal::Red, 70));
    QPainterPath disc;
    disc.addEllipse(QPointF(24, 24), 20, 20);
    platePath(p, disc, QColor(0xf2, 0x40, 0x22), QColor(0x9a, 0x14, 0x06), QColor(0x2a, 0x04, 0x01), 0.25);
    p.setPen(QPen(Qt::white, 4.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16.5, 16.5), QPointF(31.5, 31.5));
    p.drawLine(QPointF(31.5, 16.5), QPointF(16.5, 31.5));
    return img;
}

}  // namespace vyk::skin
