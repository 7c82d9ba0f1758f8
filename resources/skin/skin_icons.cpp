// Program icons: a graphite tile with the mouse seen from above, its wheel lit red; VykCfg adds
// a red cog (settings), VykMon red signal arcs (it listens to the mouse).
#include "resources/skin/skin_icons.h"

#include "resources/skin/skin_paint.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace vyk::skin {

namespace {

// Everything is laid out on a 64-unit square; pen widths never fall below one pixel.
struct Canvas {
    QPainter& p;
    double unit;  // pixels per unit
    QPen pen(const QColor& c, double units) const {
        QPen pen(c, std::max(1.0, units * unit));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        return pen;
    }
    QRectF r(double x, double y, double w, double h) const { return {x * unit, y * unit, w * unit, h * unit}; }
    QPointF pt(double x, double y) const { return {x * unit, y * unit}; }
};

void drawTile(const Canvas& c) {
    const QRectF tile = c.r(3, 3, 58, 58);
    plate(c.p, tile, 12 * c.unit, pal::Raised, pal::Deep, pal::Void, 0.12);
    // The red line along the top, as the dialogs carry it.
    c.p.setPen(c.pen(pal::Red, 2.2));
    c.p.drawLine(c.pt(17, 5.2), c.pt(47, 5.2));
}

void drawMouse(const Canvas& c, double dx) {
    // Body: a rounded shell, split into two buttons, the wheel lit in red.
    QPainterPath body;
    body.addRoundedRect(c.r(20 + dx, 12, 24, 40), 12 * c.unit, 12 * c.unit);
    c.p.setPen(c.pen(pal::Light, 2.4));
    c.p.setBrush(vgrad(c.r(20 + dx, 12, 24, 40), pal::Surface, pal::Void));
    c.p.drawPath(body);
    c.p.setPen(c.pen(pal::Steel, 1.6));
    c.p.drawLine(c.pt(20.8 + dx, 28), c.pt(43.2 + dx, 28));
    c.p.drawLine(c.pt(32 + dx, 13), c.pt(32 + dx, 28));
    glow(c.p, c.pt(32 + dx, 21), 7 * c.unit, 9 * c.unit, withAlpha(pal::RedHot, 150));
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(pal::RedHot);
    c.p.drawRoundedRect(c.r(29.6 + dx, 15.5, 4.8, 10), 2.4 * c.unit, 2.4 * c.unit);
}

void drawCog(const Canvas& c, QPointF centre, double radius) {
    QPainterPath cog;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth, a1 = (i + 0.5) * M_PI / teeth;
        const double rr = (i % 2 == 0 ? radius : radius * 0.72) * c.unit;
        const QPointF p0(centre.x() * c.unit + rr * std::cos(a0), centre.y() * c.unit + rr * std::sin(a0));
        const QPointF p1(centre.x() * c.unit + rr * std::cos(a1), centre.y() * c.unit + rr * std::sin(a1));
        if (i == 0)
            cog.moveTo(p0);
        else
            cog.lineTo(p0);
        cog.lineTo(p1);
    }
    cog.closeSubpath();
    cog.addEllipse(c.pt(centre.x(), centre.y()), radius * 0.34 * c.unit, radius * 0.34 * c.unit);
    cog.setFillRule(Qt::OddEvenFill);
    c.p.setPen(c.pen(pal::Void, 1.2));
    c.p.setBrush(vgrad(c.r(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), pal::RedHot, pal::Red));
    c.p.drawPath(cog);
}

void drawSignal(const Canvas& c, QPointF centre) {
    c.p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        const double rad = 6.5 + 6.0 * i;
        c.p.setPen(c.pen(i == 0 ? pal::RedHot : pal::Red, 3.0));
        const QRectF arc = c.r(centre.x() - rad, centre.y() - rad, 2 * rad, 2 * rad);
        c.p.drawArc(arc, -35 * 16, 125 * 16);  // from lower right round to the top
    }
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(pal::RedHot);
    c.p.drawEllipse(c.pt(centre.x(), centre.y()), 2.6 * c.unit, 2.6 * c.unit);
}

}  // namespace

QString programIconName(ProgramIcon which) {
    return which == ProgramIcon::Config ? QStringLiteral("vykcfg") : QStringLiteral("vykmon");
}

const QList<int>& hicolorIconSizes() {
    static const QList<int> sizes{16, 22, 24, 32, 48, 64, 128, 256};
    return sizes;
}

const QList<int>& trayIconSizes() {
    static const QList<int> sizes{16, 22, 24, 32, 48, 64};
    return sizes;
}

QImage drawProgramIcon(ProgramIcon which, int size) {
    QImage img = blank(size, size);
    QPainter p(&img);
    prepare(p);
    const Canvas c{p, size / 64.0};
    drawTile(c);
    if (which == ProgramIcon::Config) {
        drawMouse(c, -5);
        drawCog(c, {45, 45}, 12);
    } else {
        drawMouse(c, -6);
        drawSignal(c, {41, 43});
    }
    p.end();
    return img;
}

QByteArray icoFile(const QList<QImage>& images) {
    QList<QByteArray> pngs;
    for (const QImage& img : images) {
        QByteArray png;
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        QImageWriter w(&buf, "png");
        w.setCompression(9);
        w.write(img.convertToFormat(QImage::Format_ARGB32));
        pngs.append(png);
    }
    QByteArray out;
    auto put16 = [&out](quint16 v) {
        const quint16 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&le), 2);
    };
    auto put32 = [&out](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&le), 4);
    };
    put16(0);  // reserved
    put16(1);  // icon
    put16(static_cast<quint16>(images.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (int i = 0; i < images.size(); ++i) {
        out.append(static_cast<char>(images[i].width() >= 256 ? 0 : images[i].width()));
        out.append(static_cast<char>(images[i].height() >= 256 ? 0 : images[i].height()));
        out.append('\0');  // no palette
        out.append('\0');  // reserved
        put16(1);          // planes
        put16(32);         // bits per pixel
        put32(static_cast<quint32>(pngs[i].size()));
        put32(offset);
        offset += static_cast<quint32>(pngs[i].size());
    }
    for (const QByteArray& png : pngs) out.append(png);
    return out;
}

}  // namespace vyk::skin
