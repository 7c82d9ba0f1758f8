#include "resources/skin/skin_paint.h"

#include <QtMath>

#include <algorithm>

namespace vyk::skin {

QColor withAlpha(QColor c, int alpha) {
    c.setAlpha(std::clamp(alpha, 0, 255));
    return c;
}

QColor mix(const QColor& a, const QColor& b, double t) {
    auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QImage blank(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QLinearGradient vgrad(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void platePath(QPainter& p, const QPainterPath& path, const QColor& top, const QColor& bottom, const QColor& edge,
               double highlight) {
    const QRectF r = path.boundingRect();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    p.drawPath(path);
    // Inner body, one pixel in from the edge.
    QPainterPath inner = path;
    QTransform t;
    const double sx = (r.width() - 2) / r.width(), sy = (r.height() - 2) / r.height();
    t.translate(r.center().x(), r.center().y());
    t.scale(sx, sy);
    t.translate(-r.center().x(), -r.center().y());
    inner = t.map(path);
    p.setBrush(vgrad(r, top, bottom));
    p.drawPath(inner);
    // Top bevel: a light band that fades out within the upper half.
    if (highlight > 0) {
        QLinearGradient hl(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.55));
        hl.setColorAt(0, withAlpha(Qt::white, int(255 * highlight)));
        hl.setColorAt(0.12, withAlpha(Qt::white, int(255 * highlight * 0.45)));
        hl.setColorAt(1, withAlpha(Qt::white, 0));
        p.setBrush(hl);
        p.drawPath(inner);
    }
    p.restore();
}

void plate(QPainter& p, const QRectF& r, double radius, const QColor& top, const QColor& bottom, const QColor& edge,
           double highlight) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    platePath(p, path, top, bottom, edge, highlight);
}

void groove(QPainter& p, const QRectF& r, double radius) {
    p.save();
    p.setPen(Qt::NoPen);
    // Light lip below (the surface catching light at the lower edge).
    p.setBrush(withAlpha(Qt::white, 18));
    p.drawRoundedRect(r.adjusted(0, 1, 0, 1), radius, radius);
    p.setBrush(withAlpha(Qt::black, 200));
    p.drawRoundedRect(r, radius, radius);
    p.setBrush(vgrad(r, pal::Void, pal::Deep));
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), std::max(0.0, radius - 1), std::max(0.0, radius - 1));
    // Inner shadow at the top.
    QLinearGradient sh(r.topLeft(), QPointF(r.left(), r.top() + std::min(6.0, r.height() / 2)));
    sh.setColorAt(0, withAlpha(Qt::black, 150));
    sh.setColorAt(1, withAlpha(Qt::black, 0));
    p.setBrush(sh);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), std::max(0.0, radius - 1), std::max(0.0, radius - 1));
    p.restore();
}

void glow(QPainter& p, const QPointF& centre, double rx, double ry, const QColor& c) {
    p.save();
    p.translate(centre);
    p.scale(1.0, ry / rx);
    QRadialGradient g(QPointF(0, 0), rx);
    g.setColorAt(0, c);
    g.setColorAt(0.45, withAlpha(c, c.alpha() * 2 / 5));
    g.setColorAt(1, withAlpha(c, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), rx, rx);
    p.restore();
}

void carbon(QPainter& p, const QRectF& r, double opacity) {
    // A 2x2 twill of 4 px cells: each cell a short gradient, alternating direction.
    QImage tile = blank(8, 8);
    {
        QPainter t(&tile);
        for (int cy = 0; cy < 2; ++cy)
            for (int cx = 0; cx < 2; ++cx) {
                const QRectF cell(cx * 4, cy * 4, 4, 4);
                const bool across = (cx + cy) % 2 == 0;
                QLinearGradient g = across ? QLinearGradient(cell.topLeft(), cell.topRight())
                                           : QLinearGradient(cell.topLeft(), cell.bottomLeft());
                g.setColorAt(0, QColor(255, 255, 255, 34));
                g.setColorAt(0.5, QColor(255, 255, 255, 8));
                g.setColorAt(1, QColor(0, 0, 0, 60));
                t.fillRect(cell, g);
            }
    }
    p.save();
    p.setOpacity(opacity);
    p.setClipRect(r);
    p.fillRect(r, QBrush(tile));
    p.restore();
}

void grain(QImage& img, int amp, quint32 seed) {
    if (amp <= 0) return;
    quint32 s = seed ? seed : 0x9e3779b9u;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            // xorshift32: fixed sequence for a fixed seed.
            s ^= s << 13;
            s ^= s >> 17;
            s ^= s << 5;
            const QRgb px = line[x];
            const int a = qAlpha(px);
            if (a < 255) continue;
            const int d = int(s % unsigned(2 * amp + 1)) - amp;
            line[x] = qRgba(std::clamp(qRed(px) + d, 0, 255), std::clamp(qGreen(px) + d, 0, 255),
                            std::clamp(qBlue(px) + d, 0, 255), a);
        }
    }
}

void digits(QPainter& p, const QString& text, const QPointF& centre, double height, const QPen& pen) {
    // Segments a (top), b (top right), c (bottom right), d (bottom), e (bottom left), f (top
    // left), g (middle) of each digit 0-9, as bits 0..6.
    static const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    QString shown;
    for (const QChar c : text)
        if (c.isDigit() && c.unicode() < 0x80) shown += c;
    if (shown.isEmpty()) return;
    // A one is a single stroke, as wide as the pen: it takes no more room than that.
    const double w = height * 0.5, gap = height * 0.3;
    const auto widthOf = [w](QChar c) { return c == QLatin1Char('1') ? 0.0 : w; };
    double total = (shown.size() - 1) * gap;
    for (const QChar c : shown) total += widthOf(c);
    double x = centre.x() - total / 2;
    const double top = centre.y() - height / 2, mid = centre.y(), bottom = centre.y() + height / 2;
    p.save();
    QPen stroke = pen;
    stroke.setCapStyle(Qt::RoundCap);
    stroke.setJoinStyle(Qt::RoundJoin);
    p.setPen(stroke);
    p.setBrush(Qt::NoBrush);
    for (const QChar c : shown) {
        const int bits = kSegments[c.unicode() - '0'];
        const double cw = widthOf(c);
        const QPointF tl(x, top), tr(x + cw, top), ml(x, mid), mr(x + cw, mid), bl(x, bottom), br(x + cw, bottom);
        const QLineF segments[7] = {{tl, tr}, {tr, mr}, {mr, br}, {bl, br}, {ml, bl}, {tl, ml}, {ml, mr}};
        for (int s = 0; s < 7; ++s)
            if (bits & (1 << s)) p.drawLine(segments[s]);
        x += cw + gap;
    }
    p.restore();
}

}  // namespace vyk::skin
