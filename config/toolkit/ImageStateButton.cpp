#include "config/toolkit/ImageStateButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSignalBlocker>

#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/SkinStyle.h"
#include "platform/diag/diag.h"

TImageStateButton::TImageStateButton(QWidget* parent) : TImageStateButton(QString(), parent) {}

TImageStateButton::TImageStateButton(const QString& caption, QWidget* parent)
    : QAbstractButton(parent), textColor_(vyk::config::skincolor::Text) {
    setText(caption);
    setFont(vyk::config::TextFont(14, true));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover, true);
    setMouseTracking(true);
}

void TImageStateButton::SetBitmaps(const QPixmap& normal, const QPixmap& hot, const QPixmap& pressed) {
    normal_ = normal;
    hot_ = hot;
    pressed_ = pressed;
    update();
}

void TImageStateButton::LoadSkin(const QString& subFolder, const QString& normal, const QString& hot,
                                 const QString& pressed) {
    vyk::config::AssignSkinImage(normal_, subFolder, normal);
    vyk::config::AssignSkinImage(hot_, subFolder, hot);
    vyk::config::AssignSkinImage(pressed_, subFolder, pressed);
    update();
}

void TImageStateButton::SetStaysPressed(bool on) {
    if (!on) heldByCode_ = false;
    setCheckable(on);
    update();
}

bool TImageStateButton::IsPressed() const {
    if (isCheckable()) return isChecked();
    return isDown() || heldByCode_;
}

void TImageStateButton::SetPressed(bool on) {
    if (isCheckable()) {
        const QSignalBlocker block(this);
        setChecked(on);
    } else {
        heldByCode_ = on;
    }
    update();
}

void TImageStateButton::SetTextColor(const QColor& c) {
    textColor_ = c;
    update();
}

int TImageStateButton::VisualState() const {
    if (IsPressed()) return 2;
    if (hovered_ && isEnabled()) return 1;
    return 0;
}

QSize TImageStateButton::sizeHint() const {
    if (!normal_.isNull()) return normal_.deviceIndependentSize().toSize();
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(text()) + 24, fm.height() + 14);
}

void TImageStateButton::paintFallback(QPainter& p, int state) {
    using namespace vyk::config::skincolor;
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (state == 2) {
        g.setColorAt(0, Accent.darker(140));
        g.setColorAt(1, Accent.darker(110));
    } else if (state == 1) {
        g.setColorAt(0, Raised.lighter(115));
        g.setColorAt(1, Raised);
    } else {
        g.setColorAt(0, Raised);
        g.setColorAt(1, Surface);
    }
    p.setPen(QPen(state == 0 ? Rim : Accent, 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 3, 3);
}

void TImageStateButton::paintEvent(QPaintEvent*) {
    vyk::platform::guarded([&] {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        const int state = VisualState();
        const QPixmap* face = &normal_;
        if (state == 2 && !pressed_.isNull())
            face = &pressed_;
        else if (state == 1 && !hot_.isNull())
            face = &hot_;
        if (!face->isNull()) {
            p.drawPixmap(rect(), *face);
        } else {
            paintFallback(p, state);
        }
        if (!isEnabled()) p.fillRect(rect(), QColor(0, 0, 0, 90));
        if (hasFocus()) {
            p.setPen(QPen(vyk::config::skincolor::AccentHot, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);
        }
        if (!text().isEmpty()) {
            p.setFont(font());
            p.setPen(isEnabled() ? textColor_ : vyk::config::skincolor::DimText);
            QRect tr = rect();
            if (state == 2) tr.translate(0, 1);
            p.drawText(tr, Qt::AlignCenter | Qt::TextSingleLine, text());
        }
    });
}

void TImageStateButton::enterEvent(QEnterEvent* e) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(e);
    vyk::platform::guarded([&] { emit MouseEnter(); });
}

void TImageStateButton::leaveEvent(QEvent* e) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void TImageStateButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        // Taken, so that the release comes here and MouseUp reports it.
        e->accept();
        return;
    }
    QAbstractButton::mousePressEvent(e);
}

void TImageStateButton::mouseReleaseEvent(QMouseEvent* e) {
    const Qt::MouseButton button = e->button();
    const bool over = rect().contains(e->position().toPoint());
    QPointer<TImageStateButton> self(this);
    vyk::platform::guarded([&] {
        if (button == Qt::LeftButton) {
            if (!isCheckable() && heldByCode_ && over) heldByCode_ = false;
            QAbstractButton::mouseReleaseEvent(e);
        } else {
            e->accept();
        }
        if (self && over) emit self->MouseUp(button);
    });
}

void TImageStateButton::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) update();
    QAbstractButton::changeEvent(e);
}
