// Shared drawing kit of the skin generator: the palette and the few shapes every picture is
// built from (bevelled plates, recessed grooves, carbon weave, soft glows).
//
// Contract: pure raster drawing on QImage (ARGB32 premultiplied), no fonts, no platform plugin,
// no clocks and no unseeded randomness, so the same build draws the same bytes. Single thread.
// Sizes given to the helpers are trusted (they come from the generator's own tables).
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace vyk::skin {

// The palette: graphite surfaces, one red accent, a warm amber for the second axis.
namespace pal {
inline const QColor Void{0x0b, 0x0c, 0x0e};
inline const QColor Deep{0x13, 0x15, 0x18};
inline const QColor Base{0x1b, 0x1d, 0x21};
inline const QColor Surface{0x24, 0x27, 0x2c};
inline const QColor Raised{0x30, 0x34, 0x3a};
inline const QColor Rim{0x44, 0x49, 0x51};
inline const QColor Steel{0x8c, 0x93, 0x9d};
inline const QColor Light{0xe6, 0xe8, 0xeb};
inline const QColor Red{0xd7, 0x1e, 0x0a};
inline const QColor RedHot{0xf2, 0x3a, 0x1e};
inline const QColor RedDeep{0x7e, 0x10, 0x05};
inline const QColor Amber{0xe8, 0x8a, 0x10};
inline const QColor AmberDeep{0x7a, 0x45, 0x05};
}  // namespace pal

QColor withAlpha(QColor c, int alpha);
QColor mix(const QColor& a, const QColor& b, double t);  // t = 0 gives a, 1 gives b

// A transparent image of the given size, premultiplied ARGB.
QImage blank(int w, int h);

// A painter with anti-aliasing on for shapes and smooth pixmap transforms.
void prepare(QPainter& p);

// Vertical linear gradient from top colour to bottom colour over rect r.
QLinearGradient vgrad(const QRectF& r, const QColor& top, const QColor& bottom);

// A plate: rounded rect filled top->bottom, with a dark outer edge and a 1 px inner highlight
// along the top (bevel). `edge` is the outline colour.
void plate(QPainter& p, const QRectF& r, double radius, const QColor& top, const QColor& bottom, const QColor& edge,
           double highlight = 0.10);

// The same for any path (slanted shapes).
void platePath(QPainter& p, const QPainterPath& path, const QColor& top, const QColor& bottom, const QColor& edge,
               double highlight = 0.10);

// A recessed channel: darker inside, shadow at the top, a faint light lip at the bottom.
void groove(QPainter& p, const QRectF& r, double radius);

// A soft glow: radial gradient of colour c fading to nothing over radius rad around centre.
void glow(QPainter& p, const QPointF& centre, double rx, double ry, const QColor& c);

// Fine carbon weave over rect r at the given opacity (deterministic pattern).
void carbon(QPainter& p, const QRectF& r, double opacity);

// Digits 0-9 drawn as strokes in the manner of a segment display (no fonts): `text` centred on
// `centre`, each digit `height` high and about half as wide, with the pen given. Characters
// other than digits are left out.
void digits(QPainter& p, const QString& text, const QPointF& centre, double height, const QPen& pen);

// Deterministic grain: per-pixel luminance noise of amplitude amp (0..255) from a fixed seed,
// applied only to opaque pixels, so large flat areas do not band.
void grain(QImage& img, int amp, quint32 seed);

}  // namespace vyk::skin
