// Three-state button bitmaps. Normal is graphite, hot lifts the plate and lights a red edge,
// pressed is the red accent. Edges are hairlines and corners small, so the bitmaps stretch to
// the widgets' sizes without visible distortion.
#include "resources/skin/skin_art.h"
#include "resources/skin/skin_paint.h"

namespace vyk::skin {
namespace {

struct PlateLook {
    QColor top, bottom, edge;
    double highlight;
};

PlateLook lookFor(int state) {
    switch (state) {
    case 2:  // hot
        return {QColor(0x45, 0x4a, 0x53), QColor(0x2a, 0x2d, 0x33), QColor(0x06, 0x06, 0x07), 0.16};
    case 3:  // pressed
        return {QColor(0xe4, 0x2c, 0x14), QColor(0x96, 0x14, 0x06), QColor(0x2a, 0x04, 0x01), 0.20};
    default: return {QColor(0x36, 0x3a, 0x41), QColor(0x1e, 0x21, 0x25), QColor(0x05, 0x05, 0x06), 0.11};
    }
}

// The common rectangular button: plate, and for the hot state a red hairline inside the edge
// and a red glow along the bottom.
QImage plateButton(int w, int h, double radius, int state) {
    QImage img = blank(w, h);
    QPainter p(&img);
    prepare(p);
    const PlateLook look = lookFor(state);
    const QRectF r(0, 0, w, h);
    plate(p, r, radius, look.top, look.bottom, look.edge, look.highlight);
    if (state == 2) {
        p.setPen(QPen(withAlpha(pal::Red, 210), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);
        QLinearGradient g(0, 0, w, 0);
        g.setColorAt(0, withAlpha(pal::RedHot, 0));
        g.setColorAt(0.5, withAlpha(pal::RedHot, 230));
        g.setColorAt(1, withAlpha(pal::RedHot, 0));
        p.fillRect(QRectF(2, h - 3, w - 4, 1), g);
    }
    if (state == 3) {
        // Pressed: a soft inner shadow at the top, as if pushed in.
        QLinearGradient g(0, 1, 0, 6);
        g.setColorAt(0, withAlpha(Qt::black, 90));
        g.setColorAt(1, withAlpha(Qt::black, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
    return img;
}

// A small square window button with a glyph drawn by `glyph` in the given colour.
template <typename Glyph>
QImage windowButton(const QColor& top, const QColor& bottom, const QColor& edge, const QColor& ink, bool sunk,
                    Glyph glyph) {
    QImage img = blank(26, 26);
    QPainter p(&img);
    prepare(p);
    const QRectF r(0, 0, 26, 26);
    plate(p, r, 4, top, bottom, edge, sunk ? 0.0 : 0.12);
    if (sunk) {
        QLinearGradient g(0, 1, 0, 7);
        g.setColorAt(0, withAlpha(Qt::black, 110));
        g.setColorAt(1, withAlpha(Qt::black, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 3, 3);
    }
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    glyph(p, sunk ? 1.0 : 0.0);
    return img;
}

}  // namespace

QImage drawTabButton(int state) {
    // A tab: rounded top corners, square bottom; the selected (pressed) tab carries a red bar
    // along its bottom edge that joins the rail line under the tabs.
    const int w = 128, h = 36;
    QImage img = blank(w, h);
    QPainter p(&img);
    prepare(p);
    QPainterPath path;
    const double rad = 5;
    path.moveTo(0, h);
    path.lineTo(0, rad);
    path.quadTo(0, 0, rad, 0);
    path.lineTo(w - rad, 0);
    path.quadTo(w, 0, w, rad);
    path.lineTo(w, h);
    path.closeSubpath();
    switch (state) {
    case 2:
        platePath(p, path, QColor(0x3b, 0x3f, 0x46), QColor(0x25, 0x28, 0x2d), QColor(0x06, 0x06, 0x07), 0.14);
        break;
    case 3:
        platePath(p, path, QColor(0x3a, 0x1a, 0x16), QColor(0x24, 0x14, 0x12), QColor(0x06, 0x06, 0x07), 0.12);
        break;
    default: platePath(p, path, QColor(0x26, 0x29, 0x2e), QColor(0x1a, 0x1c, 0x20), QColor(0x06, 0x06, 0x07), 0.08);
    }
    if (state == 3) {
        glow(p, QPointF(w / 2.0, h), w * 0.6, 14, withAlpha(pal::Red, 150));
        QLinearGradient g(0, h - 4, 0, h);
        g.setColorAt(0, pal::RedHot);
        g.setColorAt(1, pal::Red);
        p.fillRect(QRectF(1, h - 3, w - 2, 3), g);
    } else if (state == 2) {
        QLinearGradient g(0, 0, w, 0);
        g.setColorAt(0, withAlpha(pal::Red, 0));
        g.setColorAt(0.5, withAlpha(pal::Red, 220));
        g.setColorAt(1, withAlpha(pal::Red, 0));
        p.fillRect(QRectF(1, h - 2, w - 2, 2), g);
    }
    return img;
}

QImage drawProfileButton(int state) {
    // A slanted plate (parallelogram), the racing look of the profile row.
    const int w = 140, h = 40;
    QImage img = blank(w, h);
    QPainter p(&img);
    prepare(p);
    const double s = 10;
    QPainterPath path;
    path.moveTo(s, 0);
    path.lineTo(w, 0);
    path.lineTo(w - s, h);
    path.lineTo(0, h);
    path.closeSubpath();
    const PlateLook look = lookFor(state);
    platePath(p, path, look.top, look.bottom, look.edge, look.highlight);
    if (state == 2) {
        QPainterPath inner;
        inner.moveTo(s + 1.5, 1.5);
        inner.lineTo(w - 2, 1.5);
        inner.lineTo(w - s - 1.2, h - 1.5);
        inner.lineTo(1.8, h - 1.5);
        inner.closeSubpath();
        p.setPen(QPen(withAlpha(pal::Red, 210), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(inner);
    }
    // A short accent notch at the left end.
    QPainterPath notch;
    notch.moveTo(s + 3, 4);
    notch.lineTo(s + 6, 4);
    notch.lineTo(s + 6 - (h - 8) * s / h, h - 4);
    notch.lineTo(s + 3 - (h - 8) * s / h, h - 4);
    notch.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(state == 3 ? withAlpha(Qt::white, 200) : withAlpha(pal::Red, state == 2 ? 255 : 150));
    p.drawPath(notch);
    return img;
}

QImage drawAssignButton(int state) {
    // A slim bar with a red connector stripe at its left end (it points at the mouse button).
    const int w = 150, h = 23;
    QImage img = plateButton(w, h, 3, state);
    QPainter p(&img);
    prepare(p);
    const QColor stripe = state == 3 ? withAlpha(Qt::white, 220) : state == 2 ? pal::RedHot : withAlpha(pal::Red, 170);
    p.setPen(Qt::NoPen);
    p.setBrush(stripe);
    p.drawRoundedRect(QRectF(3, 4, 3, h - 8), 1, 1);
    // A small chevron at the right end, hinting at the menu it opens.
    p.setPen(QPen(state == 3 ? withAlpha(Qt::white, 200) : withAlpha(pal::Steel, state == 2 ? 230 : 140), 1.4,
                  Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const double cx = w - 11, cy = h / 2.0;
    p.drawPolyline(QPolygonF{QPointF(cx - 2, cy - 3.5), QPointF(cx + 1.5, cy), QPointF(cx - 2, cy + 3.5)});
    return img;
}

QImage drawOkButton(int state) { return plateButton(110, 34, 4, state); }

QImage drawMacroButton(int state) { return plateButton(100, 30, 4, state); }

QImage drawToolButton(int state) {
    // The macro tools: flatter than the command buttons, with a thin red mark at the left.
    const int w = 150, h = 26;
    QImage img = blank(w, h);
    QPainter p(&img);
    prepare(p);
    const QRectF r(0, 0, w, h);
    switch (state) {
    case 2: plate(p, r, 3, QColor(0x38, 0x3c, 0x43), QColor(0x2a, 0x2d, 0x33), QColor(0x06, 0x06, 0x07), 0.10); break;
    case 3: plate(p, r, 3, QColor(0xc8, 0x22, 0x0e), QColor(0x8a, 0x12, 0x05), QColor(0x2a, 0x04, 0x01), 0.14); break;
    default: plate(p, r, 3, QColor(0x2a, 0x2d, 0x33), QColor(0x22, 0x25, 0x2a), QColor(0x07, 0x07, 0x08), 0.06);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(state == 3 ? withAlpha(Qt::white, 210) : withAlpha(pal::Red, state == 2 ? 255 : 120));
    p.drawRect(QRectF(1, 1, 2, h - 2));
    return img;
}

QImage drawMinButton(int state) {
    // -1 normal, -2 pressed (sunk, darker), -3 hot (lifted, white glyph).
    auto dash = [](QPainter& p, double d) { p.drawLine(QPointF(8, 16 + d), QPointF(18, 16 + d)); };
    switch (state) {
    case 2:
        return windowButton(QColor(0x16, 0x18, 0x1b), QColor(0x22, 0x25, 0x2a), QColor(0x02, 0x02, 0x03), pal::Light,
                            true, dash);
    case 3:
        return windowButton(QColor(0x4a, 0x4f, 0x58), QColor(0x2e, 0x32, 0x38), QColor(0x05, 0x05, 0x06), Qt::white,
                            false, dash);
    default:
        return windowButton(QColor(0x2c, 0x2f, 0x35), QColor(0x1b, 0x1d, 0x21), QColor(0x05, 0x05, 0x06), pal::Steel,
                            false, dash);
    }
}

QImage drawCloseButton(int state) {
    // -1 normal, -2 pressed (deep red, sunk), -3 hot (bright red).
    auto cross = [](QPainter& p, double d) {
        p.drawLine(QPointF(9, 9 + d), QPointF(17, 17 + d));
        p.drawLine(QPointF(17, 9 + d), QPointF(9, 17 + d));
    };
    switch (state) {
    case 2:
        return windowButton(QColor(0x6a, 0x0c, 0x04), QColor(0x9a, 0x16, 0x07), QColor(0x1a, 0x02, 0x01), Qt::white,
                            true, cross);
    case 3:
        return windowButton(QColor(0xf0, 0x3a, 0x1e), QColor(0xb0, 0x18, 0x08), QColor(0x2a, 0x04, 0x01), Qt::white,
                            false, cross);
    default:
        return windowButton(QColor(0x2c, 0x2f, 0x35), QColor(0x1b, 0x1d, 0x21), QColor(0x05, 0x05, 0x06), pal::Steel,
                            false, cross);
    }
}

namespace {

// A round 40x40 record control: dark disc with a ring; `lit` brightens ring and symbol.
template <typename Symbol>
QImage roundControl(bool lit, Symbol symbol) {
    QImage img = blank(40, 40);
    QPainter p(&img);
    prepare(p);
    const QPointF c(20, 20);
    if (lit) glow(p, c, 20, 20, withAlpha(pal::Red, 120));
    QRadialGradient body(QPointF(15, 12), 26);
    body.setColorAt(0, lit ? QColor(0x48, 0x4d, 0x56) : QColor(0x3a, 0x3e, 0x45));
    body.setColorAt(1, QColor(0x14, 0x16, 0x19));
    p.setPen(QPen(QColor(0x04, 0x04, 0x05), 1));
    p.setBrush(body);
    p.drawEllipse(c, 17, 17);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(lit ? pal::RedHot : withAlpha(pal::Red, 150), 1.6));
    p.drawEllipse(c, 14.5, 14.5);
    p.setPen(QPen(withAlpha(Qt::white, 40), 1));
    p.drawArc(QRectF(4, 4, 32, 32), 40 * 16, 100 * 16);
    symbol(p, c, lit);
    return img;
}

}  // namespace

QImage drawRecordStart(int state) {
    return roundControl(state == 2, [](QPainter& p, const QPointF& c, bool lit) {
        QRadialGradient dot(c - QPointF(2, 2), 9);
        dot.setColorAt(0, lit ? QColor(0xff, 0x6a, 0x4a) : QColor(0xf0, 0x40, 0x24));
        dot.setColorAt(1, lit ? pal::Red : pal::RedDeep);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(c, 7.5, 7.5);
    });
}

QImage drawRecordStop(int state) {
    return roundControl(state == 2, [](QPainter& p, const QPointF& c, bool lit) {
        const QRectF sq(c.x() - 6, c.y() - 6, 12, 12);
        p.setPen(Qt::NoPen);
        p.setBrush(vgrad(sq, lit ? Qt::white : pal::Light, lit ? QColor(0xc8, 0xcc, 0xd2) : pal::Steel));
        p.drawRoundedRect(sq, 2, 2);
    });
}

}  // namespace vyk::skin
