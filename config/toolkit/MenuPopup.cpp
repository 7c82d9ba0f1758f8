#include "config/toolkit/MenuPopup.h"

#include "config/toolkit/uiMenuBox.h"
#include "platform/diag/diag.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

// ---------------------------------------------------------------------------------------------
// TuiMenuPopup

TuiMenuPopup::TuiMenuPopup(TuiMenuItemsEx* ALevel)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint), FLevel(ALevel) {
    setObjectName(QStringLiteral("TuiMenuPopup"));
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    FBox = new TuiMenuBox(this);
    FBox->SetMenuItems(ALevel);
    resize(100, 1);
}

TuiMenuPopup::~TuiMenuPopup() = default;

QMarginsF TuiMenuPopup::Margins() const {
    if (!FLevel) return {};
    const TMenuParams* look = FLevel->LookParams();
    return look ? look->BGMargins : QMarginsF();
}

void TuiMenuPopup::Refresh() {
    if (!FLevel) return;
    // A window of height 0 cannot be shown; an empty level is one pixel high.
    resize(std::max(1, FLevel->PopupWidth()), std::max(1, FLevel->PopupHeight()));
    const QMarginsF m = Margins();
    FBox->setGeometry(QRectF(rect()).marginsRemoved(m).toRect());
    FBox->SyncFromLevel();
    update();
}

void TuiMenuPopup::OpenAt(QWidget* target, TvgPlacement placement, const QRect* rect) {
    QScreen* scr = target ? target->screen() : nullptr;
    if (!scr) scr = QGuiApplication::primaryScreen();
    const QRect screen = scr ? scr->geometry() : QRect(0, 0, 100000, 100000);
    const QPoint pointer = QCursor::pos(scr);
    QRect tgt(pointer, QSize(0, 0));
    QRect win = tgt;
    QRect anchor;
    if (target) {
        tgt = QRect(target->mapToGlobal(QPoint(0, 0)), target->size());
        win = target->window()->frameGeometry();
        if (rect) anchor = QRect(target->mapToGlobal(rect->topLeft()), rect->size());
    }
    const QPoint p =
        vyk::config::PlaceMenuPopup(placement, tgt, win, pointer, size(), screen, (rect && target) ? &anchor : nullptr);
    if (!windowHandle()) create();
    if (windowHandle()) {
        QWindow* parentWindow = target ? target->window()->windowHandle() : nullptr;
        windowHandle()->setTransientParent(parentWindow);
    }
    move(p);
    FOpen = true;
    show();
    raise();
}

void TuiMenuPopup::Detach() {
    FLevel = nullptr;
    FBox->SetMenuItems(nullptr);
    FOpen = false;
    hide();
}

void TuiMenuPopup::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (!FOpen) return;
    FOpen = false;
    FBox->HandleLeave();
    vyk::platform::guarded([this] {
        if (FLevel) FLevel->DoClosePopup();
    });
}

void TuiMenuPopup::paintEvent(QPaintEvent*) {
    // The margins around the box show the background too.
    QPainter p(this);
    const TMenuParams* look = FLevel ? FLevel->LookParams() : nullptr;
    if (look && look->BGFill.style() != Qt::NoBrush) {
        p.fillRect(rect(), look->BGFill);
    } else {
        p.fillRect(rect(), QColor::fromRgba(0xFF51513B));
    }
}

// Events on the popup itself lie outside its box: the box passes them to the box of the tree
// under the pointer, if any.
void TuiMenuPopup::mousePressEvent(QMouseEvent* e) {
    e->accept();
    vyk::platform::guarded([&] { FBox->RoutePress(e->globalPosition(), e->button()); });
}

void TuiMenuPopup::mouseMoveEvent(QMouseEvent* e) {
    e->accept();
    vyk::platform::guarded([&] { FBox->RouteMove(e->globalPosition()); });
}

void TuiMenuPopup::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
    vyk::platform::guarded([&] { FBox->RouteRelease(e->globalPosition(), e->button()); });
}

void TuiMenuPopup::keyPressEvent(QKeyEvent* e) {
    bool used = false;
    vyk::platform::guarded([&] { used = FBox->HandleKey(e); });
    if (used) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);  // Esc closes this popup
}

// ---------------------------------------------------------------------------------------------
// TuiMenuPopupHandle

TuiMenuPopupHandle::TuiMenuPopupHandle(TuiMenuItemsEx& level) : FPopup(new TuiMenuPopup(&level)) {}

TuiMenuPopupHandle::~TuiMenuPopupHandle() {
    if (FPopup) {
        FPopup->Detach();
        FPopup->deleteLater();
    }
}

void TuiMenuPopupHandle::Refresh() {
    if (FPopup) FPopup->Refresh();
}

void TuiMenuPopupHandle::Open(QWidget* target, TvgPlacement placement, const QRect* rect) {
    if (FPopup) FPopup->OpenAt(target, placement, rect);
}

void TuiMenuPopupHandle::Close() {
    if (FPopup) FPopup->hide();
}

bool TuiMenuPopupHandle::IsOpen() const { return FPopup && FPopup->IsOpen() && FPopup->isVisible(); }

void TuiMenuPopupHandle::Detach() {
    if (FPopup) FPopup->Detach();
}

std::unique_ptr<TuiMenuPopupView> CreateMenuPopupView(TuiMenuItemsEx& level) {
    return std::make_unique<TuiMenuPopupHandle>(level);
}

TuiMenuPopup* MenuPopupOf(const TuiMenuItemsEx* level) {
    if (!level) return nullptr;
    auto* handle = dynamic_cast<TuiMenuPopupHandle*>(level->View());
    return handle ? handle->Popup() : nullptr;
}
