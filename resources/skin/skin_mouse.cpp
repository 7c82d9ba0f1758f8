// The mouse pictures: top-down front view, thumb-side view (nose up, twelve thumb buttons) and
// the lighting view whose light zones take a colour tint. Transparent backgrounds; the key
// points (logo centre, zone box) are listed in README.md.
#include "resources/skin/skin_art.h"
#include "resources/skin/skin_paint.h"

#include <QtMath>

namespace vyk::skin {
namespace {

constexpr int kFrontW = 220, kFrontH = 340;
constexpr int kSideW = 180, kSideH = 340;
const QPointF kLogo(110, 238);  // logo centre in the front and lighting views

// Outline of the shell seen from above: right-handed, a thumb wing at the lower left.
QPainterPath frontBody() {
    QPainterPath b;
    b.moveTo(110, 10);
    b.cubicTo(150, 10, 174, 32, 178, 80);
    b.cubicTo(182, 128, 174, 160, 178, 200);
    b.cubicTo(184, 252, 190, 298, 152, 320);
    b.cubicTo(132, 331, 92, 333, 70, 324);
    b.cubicTo(42, 313, 22, 284, 20, 244);
    b.cubicTo(18, 214, 34, 198, 38, 172);
    b.cubicTo(42, 142, 38, 112, 40, 80);
    b.cubicTo(43, 32, 70, 10, 110, 10);
    b.closeSubpath();
    return b;
}

// The line between the main buttons and the palm, as a path from the left edge to the right.
QPainterPath buttonLine() {
    QPainterPath l;
    l.moveTo(30, 150);
    l.cubicTo(70, 128, 150, 128, 190, 150);
    return l;
}

// Soft shadow under a shape: a stack of widened, faint copies.
void softShadow(QPainter& p, const QPainterPath& shape, const QPointF& offset, int steps, int alpha) {
    p.save();
    p.translate(offset);
    p.setPen(Qt::NoPen);
    for (int i = steps; i >= 1; --i) {
        QPainterPathStroker s;
        s.setWidth(i * 2.0);
        s.setJoinStyle(Qt::RoundJoin);
        p.setBrush(withAlpha(Qt::black, alpha / steps));
        p.drawPath(s.createStroke(shape).united(shape));
    }
    p.restore();
}

// A small hexagon path around c (the logo shape).
QPainterPath hexagon(const QPointF& c, double r) {
    QPainterPath h;
    for (int k = 0; k < 6; ++k) {
        const double a = qDegreesToRadians(60.0 * k - 90);
        const QPointF pt = c + QPointF(r * std::cos(a), r * std::sin(a));
        if (k == 0)
            h.moveTo(pt);
        else
            h.lineTo(pt);
    }
    h.closeSubpath();
    return h;
}

// Claw strokes of the logo inside a hexagon of radius r.
QPainterPath clawStrokes(const QPointF& c, double r) {
    QPainterPath all;
    for (int i = -1; i <= 1; ++i) {
        const double x = c.x() + i * r * 0.36;
        QPainterPath s;
        s.moveTo(x - r * 0.12 + r * 0.22, c.y() - r * 0.55);
        s.lineTo(x + r * 0.06 + r * 0.22, c.y() - r * 0.55);
        s.lineTo(x + r * 0.02 - r * 0.22, c.y() + r * 0.55);
        s.lineTo(x - r * 0.16 - r * 0.22, c.y() + r * 0.55);
        s.closeSubpath();
        all.addPath(s);
    }
    return all;
}

// Light strips along both rear flanks, inside the outline.
QPainterPath lightStrips() {
    QPainterPathStroker s;
    s.setWidth(4);
    s.setCapStyle(Qt::RoundCap);
    QPainterPath right;
    right.moveTo(176, 214);
    right.cubicTo(180, 254, 180, 290, 152, 308);
    QPainterPath left;
    left.moveTo(32, 232);
    left.cubicTo(32, 268, 46, 296, 68, 310);
    return s.createStroke(right).united(s.createStroke(left));
}

// Draws the whole front view. In the lighting view (`zones`), the logo and strips are light
// neutral diffusers (the logo partly see-through) instead of lit red.
QImage frontView(bool zones) {
    QImage img = blank(kFrontW, kFrontH);
    QPainter p(&img);
    prepare(p);
    const QPainterPath body = frontBody();
    softShadow(p, body, QPointF(3, 5), 6, 150);

    // Thumb buttons peeking out of the left flank.
    for (int i = 0; i < 4; ++i) {
        const QRectF r(30, 168 + i * 15, 14, 12);
        plate(p, r, 3, QColor(0x3a, 0x3e, 0x45), QColor(0x1a, 0x1c, 0x20), QColor(0x04, 0x04, 0x05), 0.15);
    }

    // Shell.
    QRadialGradient shell(QPointF(96, 210), 190);
    // The lighting view is the mouse in the dark: a darker shell, so a tint shows on the zones
    // and only faintly on the rest.
    const double dim = zones ? 0.62 : 1.0;
    auto shade = [dim](int r, int g, int b) { return QColor(int(r * dim), int(g * dim), int(b * dim)); };
    shell.setColorAt(0, shade(0x3c, 0x40, 0x47));
    shell.setColorAt(0.55, shade(0x25, 0x28, 0x2d));
    shell.setColorAt(1, QColor(0x0f, 0x10, 0x12));
    p.setPen(QPen(QColor(0x05, 0x05, 0x06), 1.5));
    p.setBrush(shell);
    p.drawPath(body);

    p.save();
    p.setClipPath(body);
    // Main buttons: the area above the button line, slightly cooler and smoother.
    QPainterPath front = buttonLine();
    front.lineTo(200, 0);
    front.lineTo(20, 0);
    front.closeSubpath();
    QLinearGradient btn(0, 10, 0, 150);
    btn.setColorAt(0, shade(0x46, 0x4b, 0x53));
    btn.setColorAt(1, shade(0x24, 0x27, 0x2c));
    p.setPen(Qt::NoPen);
    p.setBrush(btn);
    p.drawPath(front);
    // Side shading so the shell reads round.
    QLinearGradient sides(20, 0, 190, 0);
    sides.setColorAt(0, withAlpha(Qt::black, 150));
    sides.setColorAt(0.22, withAlpha(Qt::black, 0));
    sides.setColorAt(0.72, withAlpha(Qt::black, 0));
    sides.setColorAt(1, withAlpha(Qt::black, 170));
    p.setBrush(sides);
    p.drawPath(body);
    // Palm hump highlight and button gloss.
    glow(p, QPointF(100, 228), 46, 70, withAlpha(Qt::white, int(34 * dim)));
    glow(p, QPointF(82, 66), 22, 44, withAlpha(Qt::white, int(40 * dim)));
    glow(p, QPointF(140, 66), 20, 44, withAlpha(Qt::white, int(26 * dim)));
    p.restore();

    // Seams: button line and the split between the buttons (dark cut, light lower lip).
    p.save();
    p.setClipPath(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(Qt::white, 40), 1));
    p.drawPath(buttonLine().translated(0, 1.4));
    p.setPen(QPen(QColor(0x06, 0x06, 0x07), 2));
    p.drawPath(buttonLine());
    p.setPen(QPen(QColor(0x06, 0x06, 0x07), 2));
    p.drawLine(QPointF(110, 10), QPointF(110, 36));
    p.drawLine(QPointF(110, 98), QPointF(110, 135));
    p.restore();

    // Wheel in its slot.
    const QRectF slot(99.5, 36, 21, 62);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x05, 0x05, 0x06));
    p.drawRoundedRect(slot, 9, 9);
    const QRectF wheel(103, 40, 14, 54);
    QLinearGradient wg(wheel.topLeft(), wheel.topRight());
    wg.setColorAt(0, QColor(0x20, 0x22, 0x26));
    wg.setColorAt(0.5, QColor(0x5a, 0x5f, 0x68));
    wg.setColorAt(1, QColor(0x1a, 0x1c, 0x1f));
    p.setBrush(wg);
    p.drawRoundedRect(wheel, 6, 6);
    p.save();
    QPainterPath wheelClip;
    wheelClip.addRoundedRect(wheel, 6, 6);
    p.setClipPath(wheelClip);
    for (int i = 0; i < 14; ++i) {
        const double y = wheel.top() + 2 + i * 3.8;
        p.fillRect(QRectF(wheel.left(), y, wheel.width(), 1.4), withAlpha(Qt::black, 120));
    }
    QLinearGradient ends(0, wheel.top(), 0, wheel.bottom());
    ends.setColorAt(0, withAlpha(Qt::black, 170));
    ends.setColorAt(0.3, withAlpha(Qt::black, 0));
    ends.setColorAt(0.7, withAlpha(Qt::black, 0));
    ends.setColorAt(1, withAlpha(Qt::black, 170));
    p.fillRect(wheel, ends);
    // The wheel's lit rim (a light zone in the lighting view).
    p.fillRect(QRectF(wheel.center().x() - 0.8, wheel.top(), 1.6, wheel.height()),
               zones ? withAlpha(QColor(0xe8, 0xea, 0xee), 190) : withAlpha(pal::RedHot, 200));
    p.restore();

    // DPI button behind the wheel.
    const QRectF dpi(102, 106, 16, 22);
    plate(p, dpi, 4, QColor(0x4a, 0x4f, 0x58), QColor(0x22, 0x25, 0x2a), QColor(0x04, 0x04, 0x05), 0.2);
    p.setPen(QPen(zones ? withAlpha(Qt::white, 120) : withAlpha(pal::Red, 220), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(106, 113), QPointF(114, 113));
    p.drawLine(QPointF(106, 117), QPointF(114, 117));
    p.drawLine(QPointF(106, 121), QPointF(114, 121));

    // Light strips along the rear flanks.
    const QPainterPath strips = lightStrips();
    p.setPen(Qt::NoPen);
    if (zones) {
        // Neutral halos and diffusers: a multiply tint turns them into the light's colour.
        p.save();
        p.setClipPath(body);
        glow(p, QPointF(176, 262), 16, 54, withAlpha(Qt::white, 70));
        glow(p, QPointF(40, 272), 16, 48, withAlpha(Qt::white, 70));
        glow(p, kLogo, 34, 34, withAlpha(Qt::white, 60));
        p.restore();
        p.setBrush(QColor(0xf2, 0xf4, 0xf6));
        p.drawPath(strips);
    } else {
        p.save();
        p.setClipPath(body);
        glow(p, QPointF(176, 262), 14, 50, withAlpha(pal::Red, 120));
        glow(p, QPointF(40, 272), 14, 44, withAlpha(pal::Red, 120));
        p.restore();
        p.setBrush(pal::RedHot);
        p.drawPath(strips);
    }

    // Logo on the palm.
    const QPainterPath hex = hexagon(kLogo, 19);
    if (zones) {
        // A diffuser the colour behind the picture shows through: clear, then frosted white.
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillPath(hex, Qt::black);
        p.restore();
        p.fillPath(hex, withAlpha(QColor(0xf0, 0xf2, 0xf5), 150));
        p.fillPath(clawStrokes(kLogo, 19), withAlpha(Qt::white, 235));
        p.setPen(QPen(withAlpha(Qt::white, 200), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(hex);
    } else {
        glow(p, kLogo, 30, 30, withAlpha(pal::Red, 70));
        platePath(p, hex, QColor(0x2a, 0x2d, 0x33), QColor(0x12, 0x14, 0x16), QColor(0x04, 0x04, 0x05), 0.12);
        QLinearGradient cg(0, kLogo.y() - 12, 0, kLogo.y() + 12);
        cg.setColorAt(0, pal::RedHot);
        cg.setColorAt(1, pal::Red);
        p.fillPath(clawStrokes(kLogo, 19), cg);
        p.setPen(QPen(withAlpha(pal::Red, 150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(hexagon(kLogo, 16.5));
    }

    // Outer rim light along the top-left edge.
    p.save();
    p.setClipRect(QRectF(0, 0, 110, 200));
    p.setPen(QPen(withAlpha(Qt::white, 45), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body.translated(0.8, 0.8));
    p.restore();
    return img;
}

// Side silhouette, nose up: base along the left, top of the shell bulging to the right.
QPainterPath sideBody() {
    QPainterPath b;
    b.moveTo(38, 14);
    b.cubicTo(70, 8, 104, 14, 122, 40);
    b.cubicTo(142, 80, 156, 150, 160, 210);
    b.cubicTo(162, 260, 150, 306, 112, 324);
    b.cubicTo(90, 332, 56, 332, 38, 326);
    b.cubicTo(30, 324, 28, 316, 28, 306);
    b.lineTo(28, 34);
    b.cubicTo(28, 22, 30, 16, 38, 14);
    b.closeSubpath();
    return b;
}

}  // namespace

QImage drawMouseFront() { return frontView(false); }

QImage drawMouseColor() { return frontView(true); }

QImage drawMouseSide() {
    QImage img = blank(kSideW, kSideH);
    QPainter p(&img);
    prepare(p);
    const QPainterPath body = sideBody();
    softShadow(p, body, QPointF(3, 5), 6, 150);

    // The wheel, seen side-on: a ribbed disc standing out of the shell over the nose. Drawn
    // first, so the shell covers the part inside it.
    {
        const QPointF wc(129, 62);
        const double wr = 15;
        QRadialGradient wg(wc + QPointF(4, -4), wr);
        wg.setColorAt(0, QColor(0x6a, 0x70, 0x7a));
        wg.setColorAt(0.75, QColor(0x34, 0x37, 0x3d));
        wg.setColorAt(1, QColor(0x12, 0x13, 0x15));
        p.setPen(QPen(QColor(0x04, 0x04, 0x05), 1));
        p.setBrush(wg);
        p.drawEllipse(wc, wr, wr);
        p.setPen(QPen(withAlpha(Qt::black, 150), 1.4));
        for (int k = 0; k < 24; ++k) {
            const double a = qDegreesToRadians(15.0 * k);
            p.drawLine(wc + QPointF((wr - 3.5) * std::cos(a), (wr - 4) * std::sin(a)),
                       wc + QPointF((wr - 0.5) * std::cos(a), (wr - 0.5) * std::sin(a)));
        }
        p.setPen(QPen(withAlpha(pal::RedHot, 200), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(wc, wr - 5, wr - 5);
    }

    // Shell: lit from the top-left, darker towards the base.
    QLinearGradient shell(28, 0, 160, 0);
    shell.setColorAt(0, QColor(0x14, 0x15, 0x18));
    shell.setColorAt(0.35, QColor(0x2e, 0x32, 0x38));
    shell.setColorAt(0.8, QColor(0x3a, 0x3e, 0x45));
    shell.setColorAt(1, QColor(0x1c, 0x1e, 0x22));
    p.setPen(QPen(QColor(0x05, 0x05, 0x06), 1.5));
    p.setBrush(shell);
    p.drawPath(body);

    p.save();
    p.setClipPath(body);
    // The main button along the top of the shell: from the nose back to where it curves out.
    QPainterPath seam;
    seam.moveTo(96, 18);
    seam.cubicTo(116, 46, 132, 96, 140, 136);
    seam.cubicTo(143, 150, 152, 160, 176, 164);
    QPainterPath top = seam;
    top.lineTo(200, 164);
    top.lineTo(200, 0);
    top.lineTo(96, 0);
    top.closeSubpath();
    QLinearGradient tg(96, 0, 166, 0);
    tg.setColorAt(0, QColor(0x33, 0x37, 0x3e));
    tg.setColorAt(0.7, QColor(0x4a, 0x4f, 0x58));
    tg.setColorAt(1, QColor(0x26, 0x29, 0x2e));
    p.setPen(Qt::NoPen);
    p.setBrush(tg);
    p.drawPath(top);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(Qt::white, 38), 1));
    p.drawPath(seam.translated(-1.6, 0.6));
    p.setPen(QPen(QColor(0x06, 0x06, 0x07), 2));
    p.drawPath(seam);
    // Rubber grip on the rear flank, by the base: darker, with fine diagonal ribs.
    QPainterPath grip;
    grip.moveTo(28, 236);
    grip.cubicTo(62, 238, 84, 262, 86, 300);
    grip.cubicTo(87, 314, 84, 326, 80, 334);
    grip.lineTo(20, 334);
    grip.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(QColor(0x0c, 0x0d, 0x0f), 170));
    p.drawPath(grip);
    p.save();
    p.setClipPath(grip, Qt::IntersectClip);
    p.setPen(QPen(withAlpha(Qt::white, 22), 1));
    for (int i = -12; i < 16; ++i) p.drawLine(QPointF(20 + i * 6, 340), QPointF(20 + i * 6 + 90, 230));
    p.restore();
    p.setPen(QPen(withAlpha(Qt::white, 30), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(grip);
    // Highlight along the shell's crest.
    glow(p, QPointF(140, 220), 14, 80, withAlpha(Qt::white, 34));
    p.restore();

    // The thumb panel: a recessed plate holding 3 x 4 buttons.
    const QRectF pad(44, 92, 84, 132);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::black, 170));
    p.drawRoundedRect(pad, 10, 10);
    p.setBrush(vgrad(pad, QColor(0x12, 0x13, 0x16), QColor(0x1b, 0x1d, 0x21)));
    p.drawRoundedRect(pad.adjusted(1.5, 1.5, -1.5, -1.5), 9, 9);
    p.setPen(QPen(withAlpha(pal::Red, 170), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(pad.adjusted(-2.5, -2.5, 2.5, 2.5), 12, 12);
    // Each button carries its number, 1 to 12 row by row from the nose, in the order of the
    // side view's list of buttons; engraved: a dark cut under a light stroke.
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col) {
            const QRectF b(pad.left() + 6 + col * 25, pad.top() + 6 + row * 30.5, 22, 27);
            plate(p, b, 5, QColor(0x4a, 0x4f, 0x58), QColor(0x24, 0x27, 0x2c), QColor(0x03, 0x03, 0x04), 0.22);
            const QString number = QString::number(row * 3 + col + 1);
            const QPointF at = b.center() + QPointF(0, 0.5);
            digits(p, number, at + QPointF(0.6, 0.8), 10, QPen(withAlpha(Qt::black, 170), 1.9));
            digits(p, number, at, 10, QPen(pal::Light, 1.4));
        }
    // Under-glow strip along the base.
    glow(p, QPointF(31, 170), 8, 130, withAlpha(pal::Red, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(pal::RedHot);
    p.drawRoundedRect(QRectF(29.5, 60, 2.5, 230), 1.2, 1.2);
    // Rim light on the crest.
    p.save();
    p.setClipRect(QRectF(90, 0, 90, 340));
    p.setPen(QPen(withAlpha(Qt::white, 50), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body.translated(-0.8, 0));
    p.restore();
    return img;
}

}  // namespace vyk::skin
