#include "config/toolkit/uiMenuEx.h"

#include "config/toolkit/item_list.h"
#include "config/toolkit/uiFunctionManager.h"
#include "core/language/vgLang.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QScreen>
#include <QWidget>
#include <QtMath>

#include <algorithm>
#include <stdexcept>

qint64 PreselectedMenuID = 0;

namespace {

// The height of the screen that shows target (the primary screen without one), 0 when there
// is no screen at all.
int screenHeightFor(QWidget* target) {
    QScreen* s = target ? target->screen() : nullptr;
    if (!s) s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 0;
}

qreal textWidth(const QFont& font, const QString& text) { return QFontMetricsF(font).horizontalAdvance(text); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// TMenuParams

TMenuParams::TMenuParams()
    : BGFill(QColor::fromRgba(0xFF000000)),
      MenuTextPadding(3, 1, 3, 1),
      ItemNormalFill(QColor::fromRgba(0xFF000000)),
      ItemOverFill(QColor::fromRgba(0xFF000000)),
      ItemDownFill(QColor::fromRgba(0xFF000000)),
      ItemCheckFill(QColor::fromRgba(0xFF000000)),
      ItemExtenderFill(QColor::fromRgba(0xFF000000)),
      ItemFontFill(QColor::fromRgba(0xFF000000)) {}

QBrush MenuLinearGradient(std::initializer_list<std::pair<qreal, quint32>> stops, QPointF start, QPointF stop) {
    QLinearGradient g(start, stop);
    g.setCoordinateMode(QGradient::ObjectMode);
    for (const auto& s : stops) g.setColorAt(s.first, QColor::fromRgba(s.second));
    return QBrush(g);
}

TuiMenuPopupView::~TuiMenuPopupView() = default;

// ---------------------------------------------------------------------------------------------
// TuiMenuItemsEx

TuiMenuItemsEx::TuiMenuItemsEx(TuiMenuEx* AMenu)
    : FOwnerMenu(AMenu), FRootMenu(AMenu), FItemDefaultFontFill(QColor::fromRgba(0xFF000000)) {
    FItemDefaultFont.setFamily(QStringLiteral("楷体_GB2312"));
    FItemDefaultFont.setPixelSize(18);
    FItemDefaultFont.setBold(true);
}

TuiMenuItemsEx::TuiMenuItemsEx(TuiMenuItemEx* AItem)
    : FOwnerItem(AItem), FRootMenu(AItem->GetRootMenu()), FItemDefaultFontFill(QColor::fromRgba(0xFF000000)) {
    FItemDefaultFont.setFamily(QStringLiteral("楷体_GB2312"));
    FItemDefaultFont.setPixelSize(18);
    FItemDefaultFont.setBold(true);
}

TuiMenuItemsEx::~TuiMenuItemsEx() {
    // The items (and their levels) go first, then this level's popup, which reports nothing
    // any more.
    FItems.clear();
    if (FView) {
        FView->Detach();
        FView.reset();
    }
}

TuiMenuItemEx* TuiMenuItemsEx::Items(int Index) const {
    if (Index < 0 || Index >= Count()) vyk::config::ThrowListIndex(Index);
    return FItems[static_cast<size_t>(Index)].get();
}

void TuiMenuItemsEx::InsertItem(std::unique_ptr<TuiMenuItemEx> item) {
    if (item->FName.isEmpty()) {
        const int n =
            vyk::config::LowestFreeNumber(QStringLiteral("Item"), FItems, [](const auto& it) { return it->FName; });
        item->FName = QStringLiteral("Item%1").arg(n);
        if (FOwnerItem) {
            item->FItemID = FOwnerItem->ItemID() * 100u + static_cast<quint32>(n);
        } else {
            item->FItemID = static_cast<quint32>(n);
        }
    }
    FItems.push_back(std::move(item));
}

TuiMenuItemEx* TuiMenuItemsEx::Add() {
    std::unique_ptr<TuiMenuItemEx> item(new TuiMenuItemEx(this));
    TuiMenuItemEx* raw = item.get();
    InsertItem(std::move(item));
    return raw;
}

TuiMenuItemEx* TuiMenuItemsEx::Add(const QString& ACaption) {
    TuiMenuItemEx* item = Add();
    item->SetCaption(ACaption);
    return item;
}

void TuiMenuItemsEx::Delete(int Index) {
    if (Index < 0 || Index >= Count()) vyk::config::ThrowListIndex(Index);
    // Take it out first, so the collection is consistent while the item and its levels go.
    std::unique_ptr<TuiMenuItemEx> gone = std::move(FItems[static_cast<size_t>(Index)]);
    FItems.erase(FItems.begin() + Index);
    gone.reset();
}

void TuiMenuItemsEx::Clear() {
    std::vector<std::unique_ptr<TuiMenuItemEx>> gone;
    gone.swap(FItems);
    while (!gone.empty()) gone.pop_back();  // last first
}

int TuiMenuItemsEx::IndexOf(const TuiMenuItemEx* AItem) const {
    for (size_t i = 0; i < FItems.size(); ++i) {
        if (FItems[i].get() == AItem) return static_cast<int>(i);
    }
    return -1;
}

bool TuiMenuItemsEx::GetIsMenuOpened() const { return FView && FView->IsOpen(); }

void TuiMenuItemsEx::SetItemCheckedState(int AItemIndex, bool AState) {
    if (AItemIndex < 0 || AItemIndex >= Count()) return;
    FItems[static_cast<size_t>(AItemIndex)]->SetChecked(AState);
}

void TuiMenuItemsEx::ItemSetMaxSize(qreal AWidth) {
    if (AWidth <= FItemMaxWidth) return;
    FItemMaxWidth = AWidth;
    if (FView) {
        FPopupWidth = qCeil(AWidth);
        FView->Refresh();
    }
}

bool TuiMenuItemsEx::CustomLook() const { return FRootMenu && FRootMenu->UseCustomMenuParams(); }

const TMenuParams* TuiMenuItemsEx::LookParams() const {
    if (!CustomLook()) return nullptr;
    return FUseParentParameter ? &FRootMenu->Parameters() : &FParams;
}

QFont TuiMenuItemsEx::RowFont() const { return CustomLook() ? FRootMenu->Parameters().ItemFont : FItemDefaultFont; }

QBrush TuiMenuItemsEx::RowFontFill() const {
    return CustomLook() ? FRootMenu->Parameters().ItemFontFill : FItemDefaultFontFill;
}

void TuiMenuItemsEx::BuildPopup(int screenHeight) {
    const bool custom = CustomLook();
    const TMenuParams* rootParams = FRootMenu ? &FRootMenu->Parameters() : nullptr;

    // Default row height and cursor.
    int h = 40;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    if (custom) {
        if (FUseParentParameter) {
            h = std::max(rootParams->ItemHeight, 20);
            cursor = rootParams->ItemCursor;
        } else {
            h = FParams.ItemHeight;
            cursor = FParams.ItemCursor;
        }
    }
    auto rowHeightFor = [h](const TuiMenuItemEx& item) {
        return item.ItemHeight() != 0 ? qRound(item.ItemHeight()) : h;
    };

    // Rows: new rows take their height and cursor now; rows kept from an earlier opening keep
    // theirs. Surplus rows go from the end.
    while (FRows.size() > FItems.size()) FRows.pop_back();
    while (FRows.size() < FItems.size()) {
        TuiMenuRowInfo row;
        row.Height = rowHeightFor(*FItems[FRows.size()]);
        row.Cursor = cursor;
        FRows.push_back(row);
    }

    const bool idFits = (static_cast<quint64>(PreselectedMenuID) >> 32) == 0;
    const quint32 wantedId = static_cast<quint32>(static_cast<quint64>(PreselectedMenuID) & 0xFFFFFFFFu);
    FPreselectedRow = -1;
    int sum = 0;
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TuiMenuItemEx& item = *FItems[i];
        TuiMenuRowInfo& row = FRows[i];
        row.Item = FItems[i].get();
        row.Text = vyk::toolkit::translate(item.Caption());
        row.ItemID = item.ItemID();
        row.IsExtender = item.HasSubItems();
        row.IsChecked = item.Checked();
        row.IsSelected = item.IsSelected();
        if (idFits && item.ItemID() == wantedId) FPreselectedRow = static_cast<int>(i);
        sum += row.Height;
    }
    FBuildIndex = FPreselectedRow >= 0 ? FPreselectedRow : FItemIndex;

    // Height.
    const auto capped = [screenHeight](int v) { return screenHeight > 0 ? std::min(v, screenHeight) : v; };
    if (FUseParentParameter) {
        int t = sum;
        if (custom) t += qRound(rootParams->BGMargins.top() + rootParams->BGMargins.bottom());
        FPopupHeight = (custom && rootParams->CustomHeight != 0) ? rootParams->CustomHeight : capped(t);
    } else {
        int t = sum + 5;
        if (rootParams) t += qRound(rootParams->BGMargins.top() + rootParams->BGMargins.bottom());
        if (t > FPopupHeight) FPopupHeight = t;
        if (FParams.CustomHeight != 0) FPopupHeight = FParams.CustomHeight;
        FPopupHeight = capped(FPopupHeight);
    }

    // Width: from the row with the most characters; only texts of two or more characters
    // count, and a tie keeps the earlier row.
    int longest = -1;
    int longestLen = 1;
    for (size_t i = 0; i < FRows.size(); ++i) {
        if (FRows[i].Text.size() > longestLen) {
            longest = static_cast<int>(i);
            longestLen = static_cast<int>(FRows[i].Text.size());
        }
    }
    if (longest < 0) return;
    const QString& text = FRows[static_cast<size_t>(longest)].Text;
    const bool open = GetIsMenuOpened();
    if (FUseParentParameter) {
        qreal w = textWidth(RowFont(), text) + 100;
        if (custom) w += rootParams->BGMargins.left() + rootParams->BGMargins.right();
        if (!open) FPopupWidth = (custom && rootParams->CustomWidth != 0) ? rootParams->CustomWidth : qCeil(w);
    } else {
        qreal w = FParams.ItemAutoSize ? textWidth(FParams.ItemFont, text) + 100 : FParams.ItemWidth;
        w += FParams.BGMargins.left() + FParams.BGMargins.right();
        if (!open) FPopupWidth = FParams.CustomWidth != 0 ? FParams.CustomWidth : qCeil(w);
    }
}

void TuiMenuItemsEx::OpenBuilt(QWidget* target, TvgPlacement placement, const QRect* rect) {
    if (!FView) {
        const TuiMenuPopupFactory& factory = FRootMenu ? FRootMenu->PopupFactory() : TuiMenuPopupFactory();
        FView = factory ? factory(*this) : CreateMenuPopupView(*this);
        FRows.clear();
        FPopupWidth = 100;
        FPopupHeight = 0;
    }
    BuildPopup(screenHeightFor(target));
    FView->Refresh();
    FView->Open(target, placement, rect);
}

void TuiMenuItemsEx::Popup(QWidget* APlacementTarget, TvgPlacement APlacement) {
    OpenBuilt(APlacementTarget, APlacement, nullptr);
}

void TuiMenuItemsEx::PopupAtRect(QWidget* APlacementTarget, TvgPlacement APlacement, const QRect& ARect) {
    OpenBuilt(APlacementTarget, APlacement, &ARect);
}

void TuiMenuItemsEx::CloseMenu() {
    // Every item's level, also of an item whose sub-items were just cleared: its popup may
    // still be open.
    for (size_t i = 0; i < FItems.size(); ++i) FItems[i]->SubItems().CloseMenu();
    if (FView && FView->IsOpen()) FView->Close();
}

void TuiMenuItemsEx::ResetItemIndex(const TuiMenuItemsEx* ASpare) {
    for (size_t i = 0; i < FItems.size(); ++i) {
        if (FItems[i]->HasSubItems()) FItems[i]->SubItems().ResetItemIndex(ASpare);
    }
    if (this != ASpare) FItemIndex = -1;
}

void TuiMenuItemsEx::DoClosePopup() {
    if (!FRootMenu || !FRootMenu->OnMenuClose()) return;
    const TNotifyEvent handler = FRootMenu->OnMenuClose();
    handler(this);
}

// ---------------------------------------------------------------------------------------------
// TuiMenuItemEx

TuiMenuItemEx::TuiMenuItemEx(TuiMenuItemsEx* AOwner) : FOwner(AOwner), FRootMenu(AOwner->RootMenu()) {
    FSubItems = std::make_unique<TuiMenuItemsEx>(this);
}

TuiMenuItemEx::~TuiMenuItemEx() { FSubItems.reset(); }

QString TuiMenuItemEx::DisplayName() const { return FName.isEmpty() ? QStringLiteral("TuiMenuItemEx") : FName; }

void TuiMenuItemEx::Execute() {
    TuiMenuEx* root = FRootMenu;
    void* buffer = nullptr;
    int size = 0;
    if (root && root->FunctionManager() && root->FunctionItemIndex() >= 0) {
        // Throws std::out_of_range past the end: no handler runs then.
        const TuiFunctionItem* f = root->FunctionManager()->Items().Items(root->FunctionItemIndex());
        buffer = f->BufferPointer();
        size = static_cast<int>(std::min<quint32>(f->GetBufferSize(), 0x7FFFFFFF));
    }
    // Copies of the handler and the arguments: the handler may free this item or the menu.
    if (FOnExecute) {
        const TuiMenuItemExEvent handler = FOnExecute;
        handler(this, buffer, size);
        return;
    }
    if (root && root->OnItemsClick()) {
        const TuiMenuItemsExEvent handler = root->OnItemsClick();
        const QString name = FName;
        const quint32 id = FItemID;
        handler(this, name, id, buffer, size);
    }
}

// ---------------------------------------------------------------------------------------------
// TuiMenuEx

TuiMenuEx::TuiMenuEx(QObject* AOwner) : QObject(AOwner) {
    FItems = std::make_unique<TuiMenuItemsEx>(this);
    PreselectedMenuID = 0;
}

TuiMenuEx::~TuiMenuEx() { FItems.reset(); }

void TuiMenuEx::ShowMainMenu(QWidget* PlacementTarget, TvgPlacement Placement) {
    FItems->Popup(PlacementTarget, Placement);
}

void TuiMenuEx::ShowMainMenu(qint64 SelectedMenuID, QWidget* PlacementTarget, TvgPlacement Placement) {
    PreselectedMenuID = SelectedMenuID;
    FItems->Popup(PlacementTarget, Placement);
}

void TuiMenuEx::ShowMainMenu(qint64 SelectedMenuID, QWidget* PlacementTarget, TvgPlacement Placement,
                             const QRect& PlacementRectangle) {
    PreselectedMenuID = SelectedMenuID;
    FItems->PopupAtRect(PlacementTarget, Placement, PlacementRectangle);
}

bool TuiMenuEx::IsMenuOpen() const { return FItems->GetIsMenuOpened(); }

void TuiMenuEx::SetFunctionManager(TuiFunctionManager* AManager) { FFunctionManager = AManager; }

// ---------------------------------------------------------------------------------------------

namespace {

TuiMenuItemsEx* topOf(TuiMenuItemsEx* c) {
    while (c && c->OwnerItem()) c = c->OwnerItem()->GetOwner();
    return c;
}

}  // namespace

void CloseAllMenus(TuiMenuItemsEx* ACollection) {
    if (TuiMenuItemsEx* top = topOf(ACollection)) top->CloseMenu();
}

void ResetMenuItemIndexes(TuiMenuItemsEx* ACollection) {
    if (TuiMenuItemsEx* top = topOf(ACollection)) top->ResetItemIndex(ACollection);
}

namespace vyk::config {

QPoint PlaceMenuPopup(TvgPlacement placement, const QRect& target, const QRect& targetWindow, const QPoint& pointer,
                      const QSize& popupSize, const QRect& screen, const QRect* anchorRect) {
    const int w = popupSize.width();
    const int h = popupSize.height();
    const int screenRight = screen.x() + screen.width();    // first column past the screen
    const int screenBottom = screen.y() + screen.height();  // first row past the screen
    QPoint p;
    if (placement == TvgPlacement::Mouse) {
        p = pointer;
        if (p.x() + w > screenRight) p.setX(pointer.x() - w);
        if (p.y() + h > screenBottom) p.setY(pointer.y() - h);
    } else {
        const QRect anchor = anchorRect ? *anchorRect : target;
        p = QPoint(anchor.x() + anchor.width(), anchor.y());
        if (p.y() + h > screenBottom) p.setY(screenBottom - h);
    }
    // Too far right: left of the target's window (or, with a placement rectangle, left by the
    // target's width and 20 down).
    if (target.x() + target.width() + w >= screenRight) {
        if (anchorRect) {
            p += QPoint(-target.width(), 20);
        } else {
            p.setX(targetWindow.x() - w);
        }
    }
    // Never off the screen (a window at the left edge would put it at a negative X).
    p.setX(std::max(screen.x(), std::min(p.x(), screenRight - w)));
    p.setY(std::max(screen.y(), std::min(p.y(), screenBottom - h)));
    return p;
}

}  // namespace vyk::config
