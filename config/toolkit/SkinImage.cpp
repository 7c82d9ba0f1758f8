#include "config/toolkit/SkinImage.h"

#include <QMouseEvent>
#include <QPainter>

#include "config/toolkit/ImageDataBaseUnit.h"
#include "platform/diag/diag.h"

TSkinImage::TSkinImage(QWidget* parent) : QWidget(parent) {}

void TSkinImage::SetPixmap(const QPixmap& pixmap) {
    pixmap_ = pixmap;
    updateGeometry();
    update();
}

void TSkinImage::LoadSkin(const QString& subFolder, const QString& name) {
    vyk::config::AssignSkinImage(pixmap_, subFolder, name);
    updateGeometry();
    update();
}

void TSkinImage::SetStretch(bool on) {
    stretch_ = on;
    update();
}

void TSkinImage::SetRotation(double degrees) {
    if (rotation_ == degrees) return;
    rotation_ = degrees;
    update();
}

void TSkinImage::SetClickable(bool on) {
    clickable_ = on;
    pressed_ = false;
}

QSize TSkinImage::sizeHint() const {
    if (pixmap_.isNull()) return QSize(16, 16);
    return pixmap_.deviceIndependentSize().toSize();
}

void TSkinImage::paintEvent(QPaintEvent*) {
    vyk::platform::guarded([&] {
        if (pixmap_.isNull()) return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.setRenderHint(QPainter::Antialiasing, true);
        QRectF target;
        if (stretch_) {
            target = QRectF(rect());
        } else {
            const QSizeF s = pixmap_.deviceIndependentSize();
            target = QRectF(QPointF(0, 0), s);
            target.moveCenter(QRectF(rect()).center());
        }
        if (rotation_ != 0.0) {
            const QPointF c = QRectF(rect()).center();
            p.translate(c);
            p.rotate(rotation_);
            p.translate(-c);
        }
        p.drawPixmap(target, pixmap_, QRectF(pixmap_.rect()));
    });
}

void TSkinImage::mousePressEvent(QMouseEvent* e) {
    if (!clickable_ || e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    pressed_ = true;
    e->accept();
}

void TSkinImage::mouseReleaseEvent(QMouseEvent* e) {
    if (!clickable_ || e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    const bool was = pressed_;
    pressed_ = false;
    e->accept();
    if (was && rect().contains(e->position().toPoint())) {
        vyk::platform::guarded([&] { emit Click(); });
    }
}

void TSkinImage::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!clickable_ || e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    pressed_ = true;
    e->accept();
    vyk::platform::guarded([&] { emit DblClick(); });
}
