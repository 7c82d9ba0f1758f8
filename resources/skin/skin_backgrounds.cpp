// Window backgrounds and the double-click test picture. The regions of the main window's
// background (header, profile bar, mouse stage, page panel, command bar) are listed in
// README.md; the windows place their controls on them.
#include "resources/skin/skin_art.h"
#include "resources/skin/skin_paint.h"

#include <QtMath>

namespace vyk::skin {
namespace {

// Regions of cfgMainback.png, matching where the main window places its controls (kept in
// step with README.md): header with the window buttons, the tab rail, the page, the profile
// column and the command bar.
constexpr QRectF kHeader(0, 0, 801, 60);
constexpr QRectF kTabRail(176, 68, 606, 48);
constexpr QRectF kPage(176, 118, 606, 412);
constexpr QRectF kProfiles(12, 118, 156, 412);
constexpr QRectF kFooter(0, 564, 801, 74);

// A recessed panel: darker than the window, a soft shadow inside along the top, a light lip
// along the bottom, hairline border.
void panel(QPainter& p, const QRectF& r, double radius) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::white, 14));
    p.drawRoundedRect(r.adjusted(0, 0, 0, 1), radius, radius);
    p.setBrush(withAlpha(Qt::black, 170));
    p.drawRoundedRect(r, radius, radius);
    const QRectF in = r.adjusted(1, 1, -1, -1);
    p.setBrush(vgrad(in, QColor(0x15, 0x17, 0x1a), QColor(0x19, 0x1b, 0x1f)));
    p.drawRoundedRect(in, radius - 1, radius - 1);
    QLinearGradient sh(in.topLeft(), QPointF(in.left(), in.top() + 10));
    sh.setColorAt(0, withAlpha(Qt::black, 120));
    sh.setColorAt(1, withAlpha(Qt::black, 0));
    p.setBrush(sh);
    p.drawRoundedRect(in, radius - 1, radius - 1);
    p.restore();
}

// Faint hexagon grid over r, fading out from the centre c over radius rad.
void hexGrid(QPainter& p, const QRectF& r, const QPointF& c, double rad, double cell) {
    QImage layer = blank(int(r.width()), int(r.height()));
    {
        QPainter l(&layer);
        prepare(l);
        l.setPen(QPen(withAlpha(Qt::white, 26), 1));
        const double w = cell * std::sqrt(3.0), h = cell * 1.5;
        for (int row = -1; row * h < r.height() + cell; ++row) {
            const double off = (row % 2 == 0) ? 0 : w / 2;
            for (int col = -1; col * w < r.width() + w; ++col) {
                const QPointF o(col * w + off, row * h);
                QPolygonF hex;
                for (int k = 0; k < 6; ++k) {
                    const double a = qDegreesToRadians(60.0 * k + 30);
                    hex << o + QPointF(cell * std::cos(a), cell * std::sin(a));
                }
                l.drawPolygon(hex);
            }
        }
        // Fade: keep the grid near the centre only.
        l.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QRadialGradient g(c - r.topLeft(), rad);
        g.setColorAt(0, withAlpha(Qt::black, 255));
        g.setColorAt(0.6, withAlpha(Qt::black, 110));
        g.setColorAt(1, withAlpha(Qt::black, 0));
        l.fillRect(layer.rect(), g);
    }
    p.drawImage(r.topLeft(), layer);
}

// The brand mark: a hexagonal badge with three slanted claw strokes. No lettering.
void brandMark(QPainter& p, const QPointF& c, double size) {
    p.save();
    p.translate(c);
    QPolygonF hex;
    for (int k = 0; k < 6; ++k) {
        const double a = qDegreesToRadians(60.0 * k - 90);
        hex << QPointF(size * std::cos(a), size * std::sin(a));
    }
    glow(p, QPointF(0, 0), size * 2.2, size * 1.6, withAlpha(pal::Red, 70));
    QPainterPath hp;
    hp.addPolygon(hex);
    hp.closeSubpath();
    platePath(p, hp, QColor(0x2c, 0x2f, 0x35), QColor(0x14, 0x16, 0x19), QColor(0x05, 0x05, 0x06), 0.14);
    p.setPen(QPen(withAlpha(pal::Red, 200), 1.2));
    p.setBrush(Qt::NoBrush);
    QTransform shrink;
    shrink.scale(0.86, 0.86);
    p.drawPolygon(shrink.map(hex));
    // Claw strokes.
    for (int i = -1; i <= 1; ++i) {
        QPainterPath s;
        const double x = i * size * 0.36;
        s.moveTo(x - size * 0.12 + size * 0.22, -size * 0.55);
        s.lineTo(x + size * 0.06 + size * 0.22, -size * 0.55);
        s.lineTo(x + size * 0.02 - size * 0.22, size * 0.55);
        s.lineTo(x - size * 0.16 - size * 0.22, size * 0.55);
        s.closeSubpath();
        QLinearGradient g(0, -size * 0.55, 0, size * 0.55);
        g.setColorAt(0, pal::RedHot);
        g.setColorAt(1, pal::RedDeep);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(s);
    }
    p.restore();
}

// A horizontal accent line: bright red at `from`, fading to nothing at `to`.
void accentLine(QPainter& p, double y, double from, double to, double thick, int alpha) {
    QLinearGradient g(from, 0, to, 0);
    g.setColorAt(0, withAlpha(pal::RedHot, alpha));
    g.setColorAt(0.35, withAlpha(pal::Red, alpha * 3 / 4));
    g.setColorAt(1, withAlpha(pal::Red, 0));
    p.fillRect(QRectF(std::min(from, to), y, std::abs(to - from), thick), g);
}

}  // namespace

QImage drawMainBack() {
    QImage img = blank(801, 638);
    QPainter p(&img);
    prepare(p);
    // Window body.
    p.fillRect(img.rect(), vgrad(img.rect(), QColor(0x1c, 0x1f, 0x23), QColor(0x10, 0x11, 0x13)));
    glow(p, QPointF(470, 300), 460, 300, withAlpha(QColor(0x2a, 0x2e, 0x34), 140));

    // Header with carbon weave and the brand mark; the title goes right of the mark.
    p.fillRect(kHeader, vgrad(kHeader, QColor(0x22, 0x25, 0x2a), QColor(0x14, 0x16, 0x19)));
    carbon(p, kHeader, 0.55);
    QLinearGradient shade(0, 0, 801, 0);  // darker towards the right, where the window buttons sit
    shade.setColorAt(0, withAlpha(Qt::black, 0));
    shade.setColorAt(1, withAlpha(Qt::black, 90));
    p.fillRect(kHeader, shade);
    p.fillRect(QRectF(0, 0, 801, 1), withAlpha(Qt::white, 30));
    p.fillRect(QRectF(0, kHeader.bottom() - 1, 801, 1), QColor(0x05, 0x05, 0x06));
    accentLine(p, kHeader.bottom(), 0, 620, 2, 255);
    glow(p, QPointF(130, kHeader.bottom() + 1), 180, 10, withAlpha(pal::Red, 90));
    brandMark(p, QPointF(38, 30), 18);

    // Tab rail: a dark band the tabs stand on, closed by a red hairline that the selected tab's
    // bar joins.
    p.fillRect(kTabRail, vgrad(kTabRail, withAlpha(Qt::black, 0), withAlpha(Qt::black, 70)));
    p.fillRect(QRectF(kTabRail.left(), kTabRail.bottom() - 2, kTabRail.width(), 1), QColor(0x06, 0x06, 0x07));
    {
        QLinearGradient g(kTabRail.left(), 0, kTabRail.right(), 0);
        g.setColorAt(0, withAlpha(pal::Red, 200));
        g.setColorAt(0.7, withAlpha(pal::Red, 90));
        g.setColorAt(1, withAlpha(pal::Red, 0));
        p.fillRect(QRectF(kTabRail.left(), kTabRail.bottom() - 1, kTabRail.width(), 1), g);
    }

    // Page panel: spotlight and a faint hex grid fading out from its middle.
    panel(p, kPage, 6);
    p.save();
    QPainterPath pageClip;
    pageClip.addRoundedRect(kPage.adjusted(1, 1, -1, -1), 5, 5);
    p.setClipPath(pageClip);
    glow(p, kPage.center(), 330, 230, withAlpha(QColor(0x34, 0x38, 0x40), 90));
    hexGrid(p, kPage, kPage.center(), 320, 14);
    glow(p, QPointF(kPage.center().x(), kPage.bottom()), 260, 16, withAlpha(pal::Red, 40));
    p.restore();

    // Profile column.
    panel(p, kProfiles, 6);
    {
        // A red mark at the top of the column, like the tab rail's line.
        QLinearGradient g(kProfiles.left(), 0, kProfiles.right(), 0);
        g.setColorAt(0, withAlpha(pal::Red, 0));
        g.setColorAt(0.5, withAlpha(pal::Red, 170));
        g.setColorAt(1, withAlpha(pal::Red, 0));
        p.fillRect(QRectF(kProfiles.left() + 8, kProfiles.top() + 1, kProfiles.width() - 16, 1), g);
    }
    {
        // The brand mark as a faint watermark under the profile buttons.
        p.save();
        p.setOpacity(0.08);
        brandMark(p, QPointF(kProfiles.center().x(), 462), 34);
        p.restore();
    }

    // Command bar.
    p.fillRect(kFooter, vgrad(kFooter, QColor(0x1d, 0x20, 0x24), QColor(0x0f, 0x10, 0x12)));
    p.fillRect(QRectF(0, kFooter.top(), 801, 1), QColor(0x05, 0x05, 0x06));
    p.fillRect(QRectF(0, kFooter.top() + 1, 801, 1), withAlpha(Qt::white, 22));
    {
        QLinearGradient g(0, 0, 801, 0);
        g.setColorAt(0, withAlpha(pal::Red, 0));
        g.setColorAt(0.5, withAlpha(pal::Red, 110));
        g.setColorAt(1, withAlpha(pal::Red, 0));
        p.fillRect(QRectF(0, 637, 801, 1), g);
    }

    // Window edge.
    p.setPen(QPen(QColor(0x05, 0x05, 0x06), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 800, 637));
    p.end();
    grain(img, 2, 0x5eed01u);
    return img;
}

QImage drawDialogBack() {
    // Drawn to stretch: only gradients and hairlines, no pattern that would show the scaling.
    QImage img = blank(478, 292);
    QPainter p(&img);
    prepare(p);
    const QRectF all(0, 0, 478, 292);
    p.fillRect(all, vgrad(all, QColor(0x24, 0x27, 0x2c), QColor(0x13, 0x14, 0x17)));
    glow(p, QPointF(80, 30), 300, 160, withAlpha(QColor(0x3a, 0x3f, 0x47), 90));
    // Top accent: bright in the middle, fading to the sides.
    {
        QLinearGradient g(0, 0, 478, 0);
        g.setColorAt(0, withAlpha(pal::RedDeep, 160));
        g.setColorAt(0.5, pal::Red);
        g.setColorAt(1, withAlpha(pal::RedDeep, 160));
        p.fillRect(QRectF(0, 0, 478, 3), g);
        glow(p, QPointF(239, 2), 200, 14, withAlpha(pal::Red, 70));
    }
    // Frame: dark outer line, light inner hairline.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x05, 0x05, 0x06), 1));
    p.drawRect(QRectF(0.5, 0.5, 477, 291));
    p.setPen(QPen(withAlpha(Qt::white, 20), 1));
    p.drawRect(QRectF(1.5, 3.5, 475, 287));
    // Corner brackets.
    p.setPen(QPen(withAlpha(pal::Red, 190), 1.5));
    const double L = 14, m = 6;
    auto bracket = [&](double x, double y, double dx, double dy) {
        p.drawLine(QPointF(x, y), QPointF(x + dx * L, y));
        p.drawLine(QPointF(x, y), QPointF(x, y + dy * L));
    };
    bracket(m, m + 3, 1, 1);
    bracket(478 - m, m + 3, -1, 1);
    bracket(m, 292 - m, 1, -1);
    bracket(478 - m, 292 - m, -1, -1);
    p.end();
    grain(img, 2, 0xd1a10u);
    return img;
}

QImage drawDblClickTest() {
    // A target disc with one red segment, so its rotation is easy to see.
    QImage img = blank(50, 50);
    QPainter p(&img);
    prepare(p);
    const QPointF c(25, 25);
    QRadialGradient body(QPointF(20, 17), 28);
    body.setColorAt(0, QColor(0x3c, 0x41, 0x48));
    body.setColorAt(1, QColor(0x15, 0x17, 0x1a));
    p.setPen(QPen(QColor(0x05, 0x05, 0x06), 1));
    p.setBrush(body);
    p.drawEllipse(c, 23, 23);
    p.setPen(QPen(withAlpha(Qt::white, 40), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 21.5, 21.5);
    // Ring segments.
    const QRectF ring(c.x() - 17, c.y() - 17, 34, 34);
    p.setPen(QPen(pal::Rim, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ring, 150 * 16, 300 * 16);
    p.setPen(QPen(pal::Red, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ring, 60 * 16, 80 * 16);
    // Cross hair and centre.
    p.setPen(QPen(withAlpha(pal::Light, 150), 1));
    p.drawLine(QPointF(25, 13), QPointF(25, 19));
    p.drawLine(QPointF(25, 31), QPointF(25, 37));
    p.drawLine(QPointF(13, 25), QPointF(19, 25));
    p.drawLine(QPointF(31, 25), QPointF(37, 25));
    glow(p, c, 7, 7, withAlpha(pal::RedHot, 200));
    p.setPen(Qt::NoPen);
    p.setBrush(pal::RedHot);
    p.drawEllipse(c, 2.2, 2.2);
    return img;
}

}  // namespace vyk::skin
