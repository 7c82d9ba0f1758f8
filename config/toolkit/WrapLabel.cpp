#include "config/toolkit/WrapLabel.h"

#include <QEvent>
#include <QFontInfo>
#include <QPainter>
#include <QTextLayout>

#include "config/toolkit/SkinStyle.h"
#include "platform/diag/diag.h"

namespace vyk::config {

namespace {

QTextOption wrapOption(Qt::Alignment a) {
    QTextOption o(a & Qt::AlignHorizontal_Mask);
    o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return o;
}

int pixelSizeOf(const QFont& f) {
    if (f.pixelSize() > 0) return f.pixelSize();
    return QFontInfo(f).pixelSize();
}

}  // namespace

WrapLabel::WrapLabel(QWidget* parent) : QWidget(parent), color_(skincolor::Text) {
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void WrapLabel::setText(const QString& text) {
    text_ = text;
    fitValid_ = false;
    update();
}

void WrapLabel::setAlignment(Qt::Alignment a) {
    alignment_ = a;
    update();
}

void WrapLabel::setColor(const QColor& c) {
    color_ = c;
    update();
}

void WrapLabel::setMinPixelSize(int px) {
    minPixelSize_ = px > 0 ? px : 1;
    fitValid_ = false;
    update();
}

qreal WrapLabel::layOutText(QTextLayout& layout, const QFont& f, qreal width) const {
    QString t = text_;
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(t);
    layout.setFont(f);
    layout.setTextOption(wrapOption(alignment_));
    layout.beginLayout();
    qreal h = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, h));
        h += line.height();
    }
    layout.endLayout();
    return h;
}

WrapLabel::Fit WrapLabel::computeFit() const {
    if (fitValid_) return fit_;
    Fit fit;
    QFont f = font();
    int px = pixelSizeOf(f);
    fit.pixelSize = px;
    fit.fits = true;
    if (!text_.isEmpty()) {
        for (;;) {
            f.setPixelSize(px);
            fit.pixelSize = px;
            QTextLayout layout;
            fit.fits = layOutText(layout, f, width()) <= height();
            if (fit.fits || px <= minPixelSize_) break;
            --px;
        }
    }
    fit_ = fit;
    fitValid_ = true;
    return fit;
}

int WrapLabel::effectivePixelSize() const { return computeFit().pixelSize; }

bool WrapLabel::textFits() const { return computeFit().fits; }

void WrapLabel::paintEvent(QPaintEvent*) {
    vyk::platform::guarded([&] {
        if (text_.isEmpty()) return;
        const Fit fit = computeFit();
        QFont f = font();
        f.setPixelSize(fit.pixelSize);
        QTextLayout layout;
        const qreal h = layOutText(layout, f, width());
        qreal top = 0;
        if (alignment_ & Qt::AlignVCenter)
            top = (height() - h) / 2.0;
        else if (alignment_ & Qt::AlignBottom)
            top = height() - h;
        if (top < 0) top = 0;
        QPainter p(this);
        p.setClipRect(rect());
        p.setPen(isEnabled() ? color_ : skincolor::DimText);
        layout.draw(&p, QPointF(0, top));
    });
}

void WrapLabel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) fitValid_ = false;
    QWidget::changeEvent(e);
}

void WrapLabel::resizeEvent(QResizeEvent* e) {
    fitValid_ = false;
    QWidget::resizeEvent(e);
}

}  // namespace vyk::config
