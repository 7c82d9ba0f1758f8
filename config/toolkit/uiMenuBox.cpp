#include "config/toolkit/uiMenuBox.h"

#include "config/toolkit/MenuPopup.h"
#include "platform/diag/diag.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <functional>

namespace {

constexpr int kCheckWidth = 28;     // the check area at the left of a row
constexpr int kExtenderWidth = 20;  // the sub-menu arrow area at the right
constexpr int kIconWidth = 25;      // the icon area left of it, when the level has images

const QColor kStyleBackground = QColor::fromRgba(0xFF51513B);
const QColor kStyleStroke = QColor::fromRgba(0xFFA8A4A4);
const QColor kStyleMark = QColor::fromRgba(0xFFFCFE02);

// The highlights of the plain look (no custom parameters): soft horizontal gradients.
QBrush plainHighlight(int kind) {
    QLinearGradient g(0, 0, 1, 0);
    g.setCoordinateMode(QGradient::ObjectMode);
    QColor c = kind == 2 ? QColor(0x3a, 0x7b, 0xd5) : kind == 3 ? QColor(0x3c, 0xb0, 0x4a) : QColor(0xe0, 0x8a, 0x2c);
    QColor edge = c;
    edge.setAlpha(0);
    c.setAlpha(kind == 1 ? 70 : 200);
    g.setColorAt(0, edge);
    g.setColorAt(0.5, c);
    g.setColorAt(1, edge);
    return QBrush(g);
}

bool usableImage(const QImage& img) { return !img.isNull() && qint64(img.width()) * img.height() > 1; }

// Every level of the tree that holds `level`, the top first, deeper levels after their parents.
void collectLevels(TuiMenuItemsEx* level, std::vector<TuiMenuItemsEx*>& out) {
    out.push_back(level);
    for (int i = 0; i < level->Count(); ++i) collectLevels(&level->Items(i)->SubItems(), out);
}

TuiMenuItemsEx* topLevelOf(TuiMenuItemsEx* level) {
    while (level && level->OwnerItem()) level = level->OwnerItem()->GetOwner();
    return level;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TuiMenuBoxItem

TuiMenuBoxItem::TuiMenuBoxItem(TuiMenuBox* ABox) : QWidget(ABox), FBox(ABox) {
    // The box finds rows by position; rows never take mouse events themselves.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(5000, 5000, 19, 19);
}

void TuiMenuBoxItem::SetText(const QString& AText) {
    if (FText == AText) return;
    FText = AText;
    update();
}

void TuiMenuBoxItem::SetIsChecked(bool on) {
    if (FIsChecked == on) return;
    FIsChecked = on;
    update();
}

void TuiMenuBoxItem::SetIsExtender(bool on) {
    FIsExtender = on;
    update();
}

void TuiMenuBoxItem::SetIsSelected(bool on) {
    if (FIsSelected == on) return;
    FIsSelected = on;
    update();
    if (FBox) FBox->RowSelectionChanged(this, on);
}

void TuiMenuBoxItem::SetRowFont(const QFont& f) {
    FFont = f;
    update();
}

qreal TuiMenuBoxItem::TextWidth(const QString& s) const { return QFontMetricsF(FFont).horizontalAdvance(s); }

int TuiMenuBoxItem::Index() const {
    if (!FBox) return -1;
    const auto& rows = FBox->FRows;
    const auto it = std::find(rows.begin(), rows.end(), this);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

bool TuiMenuBoxItem::CheckMarkShown() const {
    const TMenuParams* root = FBox ? FBox->RootParams() : nullptr;
    return FIsChecked || (FIsSelected && (!root || root->MenuShowSelectedCheckMark));
}

void TuiMenuBoxItem::paintEvent(QPaintEvent*) {
    const TuiMenuItemsEx* level = FBox ? FBox->MenuItems() : nullptr;
    const bool custom = level && level->CustomLook();
    const TMenuParams* root = FBox ? FBox->RootParams() : nullptr;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const int h = height();
    const bool showCheck = custom && root ? root->ItemShowCheck : true;
    const bool hasImages = level && level->Images();
    const QRect checkRect(0, 0, kCheckWidth, h);
    const QRect extRect(width() - kExtenderWidth, 0, kExtenderWidth, h);
    const QRect iconRect(extRect.left() - kIconWidth, 0, kIconWidth, h);
    QRect textArea(showCheck ? kCheckWidth : 0, 0, 0, h);
    textArea.setRight((hasImages ? iconRect.left() : extRect.left()) - 1);

    if (showCheck && CheckMarkShown()) {
        if (custom && root && usableImage(root->ItemCheckImage)) {
            QImage img = root->ItemCheckImage;
            QRect r(QPoint(0, 0), img.size().scaled(checkRect.size(), Qt::KeepAspectRatio));
            r.moveCenter(checkRect.center());
            p.drawImage(r, img);
        } else {
            const QPointF c = QRectF(checkRect).center();
            QPainterPath tick;
            tick.moveTo(c + QPointF(-6, 0));
            tick.lineTo(c + QPointF(-2, 4));
            tick.lineTo(c + QPointF(6, -5));
            QPen pen(custom && root ? root->ItemCheckFill : QBrush(kStyleMark), 2.5);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            if (pen.brush().style() != Qt::NoBrush) {
                p.setPen(pen);
                p.drawPath(tick);
            }
        }
    }

    if (hasImages && FItem) {
        const int idx = FItem->ImageIndex();
        const QVector<QImage>& images = *level->Images();
        if (idx >= 0 && idx < images.size() && !images[idx].isNull()) {
            QRect r(QPoint(0, 0), images[idx].size().scaled(iconRect.size() - QSize(4, 4), Qt::KeepAspectRatio));
            r.moveCenter(iconRect.center());
            p.drawImage(r, images[idx]);
        }
    }

    if (FIsExtender) {
        const QPointF c = QRectF(extRect).center();
        QPainterPath arrow;
        arrow.moveTo(c + QPointF(-3, -5));
        arrow.lineTo(c + QPointF(3, 0));
        arrow.lineTo(c + QPointF(-3, 5));
        arrow.closeSubpath();
        p.fillPath(arrow, custom && root ? root->ItemExtenderFill : QBrush(kStyleMark));
    }

    const QMarginsF pad = custom && root ? root->MenuTextPadding : QMarginsF(3, 1, 3, 1);
    const QRectF textRect = QRectF(textArea).marginsRemoved(pad);
    p.setFont(FFont);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    if (custom) {
        p.setPen(QColor(0, 0, 0, 160));  // the style's text shadow, switched off in the plain look
        p.drawText(textRect.translated(1, 1), flags, FText);
    }
    p.setPen(QPen(FFontFill, 1));
    p.drawText(textRect, flags, FText);
}

// ---------------------------------------------------------------------------------------------
// TuiMenuBox

TuiMenuBox::TuiMenuBox(QWidget* AParent) : QWidget(AParent) {
    setObjectName(QStringLiteral("TuiMenuBox"));
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    resize(100, 100);
}

TuiMenuBox::~TuiMenuBox() = default;

const TMenuParams* TuiMenuBox::RootParams() const {
    return FuiMenuItemsEx && FuiMenuItemsEx->RootMenu() ? &FuiMenuItemsEx->RootMenu()->Parameters() : nullptr;
}

void TuiMenuBox::SyncFromLevel() {
    if (!FuiMenuItemsEx) {
        Clear();
        return;
    }
    const std::vector<TuiMenuRowInfo>& rows = FuiMenuItemsEx->Rows();
    while (FRows.size() > rows.size()) {
        delete FRows.back();
        FRows.pop_back();
    }
    while (FRows.size() < rows.size()) FRows.push_back(new TuiMenuBoxItem(this));
    const QFont font = FuiMenuItemsEx->RowFont();
    const QBrush fill = FuiMenuItemsEx->RowFontFill();
    for (size_t i = 0; i < rows.size(); ++i) {
        TuiMenuBoxItem* row = FRows[i];
        const TuiMenuRowInfo& info = rows[i];
        row->FText = info.Text;
        row->FItemID = info.ItemID;
        row->FIsExtender = info.IsExtender;
        row->FIsChecked = info.IsChecked;
        row->FIsSelected = false;
        row->FItem = info.Item;
        row->FRowHeight = info.Height;
        row->FFont = font;
        row->FFontFill = fill;
        row->setCursor(info.Cursor);
        row->show();
        row->update();
    }
    FItemIndex = -1;
    LayoutRows();
    SetItemIndex(FuiMenuItemsEx->BuildIndex());
    FuiMenuItemsEx->SetItemIndex(FItemIndex);
    update();
}

TuiMenuBoxItem* TuiMenuBox::ItemByIndex(int Idx) const {
    if (Idx < 0 || Idx >= Count()) return nullptr;
    return FRows[static_cast<size_t>(Idx)];
}

TuiMenuBoxItem* TuiMenuBox::ItemByPoint(const QPointF& p) const {
    if (!QRectF(rect()).contains(p)) return nullptr;
    for (TuiMenuBoxItem* row : FRows) {
        if (QRectF(row->geometry()).contains(p)) return row;
    }
    return nullptr;
}

void TuiMenuBox::LayoutRows() {
    int y = -FScrollY;
    for (TuiMenuBoxItem* row : FRows) {
        row->setGeometry(0, y, width(), row->FRowHeight);
        y += row->FRowHeight;
    }
    update();
}

void TuiMenuBox::ScrollTo(int offset) {
    int content = 0;
    for (const TuiMenuBoxItem* row : FRows) content += row->FRowHeight;
    offset = std::max(0, std::min(offset, content - height()));
    if (offset == FScrollY) return;
    FScrollY = offset;
    LayoutRows();
}

void TuiMenuBox::SetItemIndex(int V) {
    if (V == FItemIndex) return;
    if (V >= Count()) V = -1;  // no row there: nothing selected
    if (V < -1) V = -1;
    if (V == FItemIndex) return;
    FSettingIndex = true;
    if (TuiMenuBoxItem* old = ItemByIndex(FItemIndex)) {
        old->FIsSelected = false;
        old->update();
    }
    FItemIndex = V;
    if (TuiMenuBoxItem* row = ItemByIndex(V)) {
        const int top = row->y() + FScrollY;
        const int bottom = top + row->FRowHeight;
        if (bottom > FScrollY + height()) {
            ScrollTo(bottom - height());
        } else if (top < FScrollY) {
            ScrollTo(top);
        }
        row->FIsSelected = true;
        row->update();
        // A row that opens a sub-menu never stays selected.
        if (row->FIsExtender) {
            row->FIsSelected = false;
            FItemIndex = -1;
        }
    }
    FSettingIndex = false;
    if (FuiMenuItemsEx) FuiMenuItemsEx->SetItemIndex(FItemIndex);
    update();
}

void TuiMenuBox::RowSelectionChanged(TuiMenuBoxItem* row, bool selected) {
    if (FSettingIndex) return;
    const int idx = row->Index();
    if (selected) {
        SetItemIndex(idx);
    } else if (idx >= 0 && idx == FItemIndex) {
        SetItemIndex(-1);
    } else {
        update();
    }
}

QString TuiMenuBox::GetData() const {
    const TuiMenuBoxItem* row = ItemByIndex(FItemIndex);
    return row ? row->Text() : QString();
}

void TuiMenuBox::Clear() {
    while (!FRows.empty()) {
        delete FRows.back();
        FRows.pop_back();
    }
    FItemIndex = -1;
    FScrollY = 0;
    update();
}

int TuiMenuBox::HighlightOf(const TuiMenuBoxItem* row) const {
    if (!row) return 0;
    if (row == FMoveOverItem && row != FMouseDownItem) return 2;
    // Several pressed or selected candidates: the last in row order carries the highlight.
    const auto isDown = [this](const TuiMenuBoxItem* r) {
        return r == FMouseDownItem || (r->FIsSelected && FShowSelectedState);
    };
    if (isDown(row)) {
        for (auto it = FRows.rbegin(); it != FRows.rend(); ++it) {
            if (isDown(*it) && !(*it == FMoveOverItem && *it != FMouseDownItem)) return *it == row ? 3 : 0;
        }
    }
    // The row whose sub-menu is open stays lit while the pointer is in that sub-menu.
    if (!FMoveOverItem && row->FIsExtender && row->FItem && row->FItem->SubItems().GetIsMenuOpened()) return 2;
    return 1;
}

void TuiMenuBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool custom = FuiMenuItemsEx && FuiMenuItemsEx->CustomLook();
    const TMenuParams* look = FuiMenuItemsEx ? FuiMenuItemsEx->LookParams() : nullptr;
    const bool always = FuiMenuItemsEx && !FuiMenuItemsEx->UseParentParameter();

    // Background.
    if (custom && look) {
        if (look->BGFill.style() != Qt::NoBrush)
            p.fillRect(rect(), look->BGFill);
        else if (!always)
            p.fillRect(rect(), kStyleBackground);
        if (usableImage(look->BGImage)) p.drawImage(rect(), look->BGImage);
    } else {
        p.fillRect(rect(), kStyleBackground);
    }

    // Highlights.
    const auto fillOf = [&](int kind) -> QBrush {
        if (!custom || !look) return plainHighlight(kind);
        return kind == 1 ? look->ItemNormalFill : kind == 2 ? look->ItemOverFill : look->ItemDownFill;
    };
    for (const TuiMenuBoxItem* row : FRows) {
        const QRect r = row->geometry();
        if (!r.intersects(rect())) continue;
        const int kind = HighlightOf(row);
        if (kind == 0) continue;
        const QBrush b = fillOf(kind);
        if (b.style() != Qt::NoBrush) p.fillRect(r, b);
    }

    // The rim of the background.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kStyleStroke, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
}

void TuiMenuBox::resizeEvent(QResizeEvent*) { LayoutRows(); }

void TuiMenuBox::HandlePress(const QPointF& p, Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    TuiMenuBoxItem* row = ItemByPoint(p);
    if (!row) return;
    FMouseDownItem = row;
    update();
    const int idx = row->Index();
    if (idx != FItemIndex) SetItemIndex(idx);
}

void TuiMenuBox::HandleMove(const QPointF& p) {
    TuiMenuBoxItem* row = ItemByPoint(p);
    if (!row || row == FMoveOverItem) return;
    FMoveOverItem = row;
    setCursor(row->cursor());
    update();
    if (!FuiMenuItemsEx) return;
    // Moving to another row closes the open sub-menus of this level.
    for (int i = 0; i < FuiMenuItemsEx->Count(); ++i) FuiMenuItemsEx->Items(i)->SubItems().CloseMenu();
    if (row->FIsExtender) OpenSubMenuOf(row);
}

void TuiMenuBox::OpenSubMenuOf(TuiMenuBoxItem* row) {
    TuiMenuItemEx* item = row->FItem;
    // The row's item may have gone, or lost its sub-items, since the popup was built.
    if (!item || FuiMenuItemsEx->IndexOf(item) < 0 || !item->HasSubItems()) return;
    item->SubItems().Popup(row, TvgPlacement::Right);
    update();
}

void TuiMenuBox::HandleLeave() {
    if (!FMoveOverItem) return;
    FMoveOverItem = nullptr;
    update();
}

void TuiMenuBox::HandleRelease(const QPointF& p, Qt::MouseButton button) {
    const QPointer<TuiMenuBoxItem> pressed = FMouseDownItem;
    if (pressed) {
        FMouseDownItem = nullptr;
        FMoveOverItem = nullptr;
        update();
    }
    TuiMenuBoxItem* row = ItemByPoint(p);
    if (!row || !FuiMenuItemsEx || row->FIsExtender) return;
    const QPointer<TuiMenuItemEx> item = row->FItem;
    const bool fire = button == Qt::LeftButton && row == pressed && item && FuiMenuItemsEx->IndexOf(item) >= 0;
    const QPointer<TuiMenuItemsEx> level = FuiMenuItemsEx;
    // No events are processed here: a message from the other program cannot rebuild the menu
    // between the release and the click.
    CloseAllMenus(level);
    if (!level) return;  // a close handler freed the menu
    ResetMenuItemIndexes(level);
    // The last step: the handler may free this box, the item or the whole menu.
    if (fire && item) item->Execute();
}

bool TuiMenuBox::HandleKey(QKeyEvent* e) {
    if (FRows.empty()) return false;
    const int count = Count();
    const int idx = FItemIndex;
    switch (e->key()) {
    case Qt::Key_End: SetItemIndex(count - 1); return true;
    case Qt::Key_Home: SetItemIndex(0); return true;
    case Qt::Key_Left:
        if (idx > 0) SetItemIndex(idx - 1);
        return true;
    case Qt::Key_Up:
        if (idx > 0) SetItemIndex(std::max(idx - 1, 0));
        return true;
    case Qt::Key_Right:
        if (idx < count - 1) SetItemIndex(idx + 1);
        return true;
    case Qt::Key_Down:
        if (idx < count - 1) SetItemIndex(std::min(idx + 1, count - 1));
        return true;
    default: break;
    }
    const QString text = e->text();
    if (text.isEmpty() || !text.at(0).isPrint()) return false;
    const QString typed = QString(text.at(0)).toCaseFolded();
    for (int i = 0; i < count; ++i) {
        const QString& t = FRows[static_cast<size_t>(i)]->FText;
        if (!t.isEmpty() && QString(t.at(0)).toCaseFolded() == typed) {
            SetItemIndex(i);
            break;
        }
    }
    return true;  // consumed even without a match
}

TuiMenuBox* TuiMenuBox::BoxAt(const QPoint& globalPos) {
    TuiMenuItemsEx* top = topLevelOf(FuiMenuItemsEx);
    if (!top) return rect().contains(mapFromGlobal(globalPos)) ? this : nullptr;
    std::vector<TuiMenuItemsEx*> levels;
    collectLevels(top, levels);
    // Deeper levels first: a sub-menu may cover its parent.
    for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
        TuiMenuPopup* popup = MenuPopupOf(*it);
        if (!popup || !popup->IsOpen() || !popup->isVisible()) continue;
        if (popup->frameGeometry().contains(globalPos)) return popup->Box();
    }
    return nullptr;
}

namespace {

// Runs fn on every open box of the tree that holds box.
void forEachOpenBox(TuiMenuBox* box, const std::function<void(TuiMenuBox*)>& fn) {
    TuiMenuItemsEx* top = topLevelOf(box->MenuItems());
    if (!top) {
        fn(box);
        return;
    }
    std::vector<TuiMenuItemsEx*> levels;
    collectLevels(top, levels);
    for (TuiMenuItemsEx* l : levels) {
        TuiMenuPopup* popup = MenuPopupOf(l);
        if (popup && popup->IsOpen()) fn(popup->Box());
    }
}

}  // namespace

void TuiMenuBox::RoutePress(const QPointF& globalPos, Qt::MouseButton button) {
    if (TuiMenuBox* b = BoxAt(globalPos.toPoint())) {
        b->HandlePress(b->mapFromGlobal(globalPos), button);
    } else if (FuiMenuItemsEx) {
        CloseAllMenus(FuiMenuItemsEx);  // a press outside the menu closes it
    } else if (QWidget* w = window()) {
        w->hide();
    }
}

void TuiMenuBox::RouteMove(const QPointF& globalPos) {
    const QPointer<TuiMenuBox> target = BoxAt(globalPos.toPoint());
    forEachOpenBox(this, [&](TuiMenuBox* other) {
        if (other != target) other->HandleLeave();
    });
    if (target) target->HandleMove(target->mapFromGlobal(globalPos));
}

void TuiMenuBox::RouteRelease(const QPointF& globalPos, Qt::MouseButton button) {
    TuiMenuBox* b = BoxAt(globalPos.toPoint());
    if (b && b != this) {
        // Released over another popup: this box's press ends here.
        FMouseDownItem = nullptr;
        FMoveOverItem = nullptr;
        update();
    } else {
        b = this;
    }
    b->HandleRelease(b->mapFromGlobal(globalPos), button);
}

void TuiMenuBox::mousePressEvent(QMouseEvent* e) {
    e->accept();
    vyk::platform::guarded([&] { RoutePress(e->globalPosition(), e->button()); });
}

void TuiMenuBox::mouseMoveEvent(QMouseEvent* e) {
    e->accept();
    vyk::platform::guarded([&] { RouteMove(e->globalPosition()); });
}

void TuiMenuBox::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
    vyk::platform::guarded([&] { RouteRelease(e->globalPosition(), e->button()); });
}

void TuiMenuBox::leaveEvent(QEvent*) { HandleLeave(); }

void TuiMenuBox::wheelEvent(QWheelEvent* e) {
    e->accept();
    const int step = FRows.empty() ? 20 : FRows.front()->FRowHeight;
    ScrollTo(FScrollY - (e->angleDelta().y() / 120) * step);
}
