#include "config/toolkit/TrackBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/SkinStyle.h"
#include "platform/diag/diag.h"

TTrackBar::TTrackBar(QWidget* parent) : TTrackBar(Qt::Horizontal, parent) {}

TTrackBar::TTrackBar(Qt::Orientation orientation, QWidget* parent) : QWidget(parent), orientation_(orientation) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover, true);
}

double TTrackBar::Normalized(double v) const {
    if (std::isnan(v)) return value_;
    if (frequency_ > 0.0) {
        const double requested = v;
        const double k = std::round((v - min_) / frequency_);
        v = min_ + k * frequency_;
        // Max is a stop of its own when the range is not a multiple of the step.
        if (std::abs(max_ - requested) < std::abs(v - requested)) v = max_;
    }
    return std::clamp(v, min_, max_);
}

void TTrackBar::SetValue(double value) {
    if (std::isnan(value)) return;
    const double v = Normalized(value);
    if (v == value_) return;
    value_ = v;
    update();
    emit Change();
}

void TTrackBar::SetRange(double min, double max) {
    if (std::isnan(min) || std::isnan(max)) return;
    if (max < min) std::swap(min, max);
    min_ = min;
    max_ = max;
    update();
    SetValue(value_);
}

void TTrackBar::SetFrequency(double step) {
    frequency_ = (std::isnan(step) || step < 0.0) ? 0.0 : step;
    SetValue(value_);
}

void TTrackBar::SetOrientation(Qt::Orientation o) {
    orientation_ = o;
    updateGeometry();
    update();
}

void TTrackBar::SetBackground(const QPixmap& pixmap) {
    background_ = pixmap;
    update();
}

void TTrackBar::LoadSkin(const QString& subFolder, const QString& name) {
    vyk::config::AssignSkinImage(background_, subFolder, name);
    update();
}

QSize TTrackBar::sizeHint() const { return orientation_ == Qt::Horizontal ? QSize(160, 22) : QSize(22, 160); }

int TTrackBar::thumbLength() const { return 12; }

QPointF TTrackBar::ThumbCentre(double value) const {
    const double span = max_ - min_;
    const double t = span > 0.0 ? (std::clamp(value, min_, max_) - min_) / span : 0.0;
    const double half = thumbLength() / 2.0;
    if (orientation_ == Qt::Horizontal) {
        const double len = std::max(0.0, width() - 2 * half);
        return QPointF(half + t * len, height() / 2.0);
    }
    const double len = std::max(0.0, height() - 2 * half);
    return QPointF(width() / 2.0, height() - half - t * len);
}

double TTrackBar::valueAt(const QPointF& pos) const {
    const double half = thumbLength() / 2.0;
    double t = 0.0;
    if (orientation_ == Qt::Horizontal) {
        const double len = width() - 2 * half;
        t = len > 0 ? (pos.x() - half) / len : 0.0;
    } else {
        const double len = height() - 2 * half;
        t = len > 0 ? (height() - half - pos.y()) / len : 0.0;
    }
    return min_ + std::clamp(t, 0.0, 1.0) * (max_ - min_);
}

double TTrackBar::keyStep() const {
    if (frequency_ > 0.0) return frequency_;
    return (max_ - min_) / 100.0;
}

void TTrackBar::setValueFromUser(double v) {
    vyk::platform::guarded([&] { SetValue(v); });
}

void TTrackBar::paintEvent(QPaintEvent*) {
    vyk::platform::guarded([&] {
        using namespace vyk::config::skincolor;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        const bool horiz = orientation_ == Qt::Horizontal;
        const double half = thumbLength() / 2.0;
        QRectF groove = horiz ? QRectF(half, height() / 2.0 - 3, width() - 2 * half, 6)
                              : QRectF(width() / 2.0 - 3, half, 6, height() - 2 * half);
        if (!background_.isNull()) {
            p.drawPixmap(rect(), background_);
        } else {
            p.setPen(QPen(Rim, 1));
            p.setBrush(Window);
            p.drawRoundedRect(groove, 3, 3);
        }
        const QPointF c = ThumbCentre(value_);
        // The filled part of the groove, from Min to the value.
        QRectF fill = groove;
        if (horiz)
            fill.setRight(c.x());
        else
            fill.setTop(c.y());
        p.setPen(Qt::NoPen);
        p.setBrush(isEnabled() ? Accent : DimText.darker(150));
        if (fill.width() > 0 && fill.height() > 0) p.drawRoundedRect(fill.adjusted(1, 1, -1, -1), 2, 2);
        // The thumb.
        const QRectF thumb = horiz ? QRectF(c.x() - half, 1, thumbLength(), height() - 2)
                                   : QRectF(1, c.y() - half, width() - 2, thumbLength());
        QLinearGradient g(thumb.topLeft(), thumb.bottomLeft());
        g.setColorAt(0, isEnabled() ? Text : DimText);
        g.setColorAt(1, isEnabled() ? DimText : Rim);
        p.setPen(QPen(hasFocus() ? AccentHot : Window, 1));
        p.setBrush(g);
        p.drawRoundedRect(thumb.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    });
}

void TTrackBar::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    const QPointF pos = e->position();
    const QPointF c = ThumbCentre(value_);
    const double half = thumbLength() / 2.0;
    const bool onThumb =
        orientation_ == Qt::Horizontal ? std::abs(pos.x() - c.x()) <= half : std::abs(pos.y() - c.y()) <= half;
    dragging_ = true;
    if (onThumb) {
        dragOffset_ = orientation_ == Qt::Horizontal ? pos.x() - c.x() : pos.y() - c.y();
    } else {
        dragOffset_ = 0.0;
        setValueFromUser(valueAt(pos));
    }
    e->accept();
}

void TTrackBar::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_) {
        e->ignore();
        return;
    }
    QPointF pos = e->position();
    if (orientation_ == Qt::Horizontal)
        pos.rx() -= dragOffset_;
    else
        pos.ry() -= dragOffset_;
    setValueFromUser(valueAt(pos));
    e->accept();
}

void TTrackBar::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        e->accept();
        return;
    }
    e->ignore();
}

void TTrackBar::keyPressEvent(QKeyEvent* e) {
    const double step = keyStep();
    // Up and Right grow the value in both orientations.
    switch (e->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up: setValueFromUser(value_ + step); break;
    case Qt::Key_Left:
    case Qt::Key_Down: setValueFromUser(value_ - step); break;
    case Qt::Key_PageUp: setValueFromUser(value_ + 10 * step); break;
    case Qt::Key_PageDown: setValueFromUser(value_ - 10 * step); break;
    case Qt::Key_Home: setValueFromUser(min_); break;
    case Qt::Key_End: setValueFromUser(max_); break;
    default: QWidget::keyPressEvent(e); return;
    }
    e->accept();
}

void TTrackBar::wheelEvent(QWheelEvent* e) {
    const int dy = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    if (dy == 0) {
        e->ignore();
        return;
    }
    setValueFromUser(value_ + (dy > 0 ? keyStep() : -keyStep()));
    e->accept();
}
