#pragma once
// TuiMenuEx: the popup menu component of VykCfg (the model, free of widgets).
//
// A menu holds a tree of items (TuiMenuItemsEx collections of TuiMenuItemEx). Every item gets
// a numeric ItemID from its place in the tree when it is added: the lowest free default name
// "Item%d" (compared without regard to case) gives N, and the ID is N at the top level and
// parent ID * 100 + N below it (unsigned 32-bit arithmetic). ShowMainMenu opens the tree as
// cascading popups beside a target widget; the row whose ItemID equals the process-wide
// PreselectedMenuID (upper 32 bits 0, lower 32 bits the ID) is preselected; a chosen item is
// reported to its own OnClick, else to the menu's OnItemsClick (exactly one of them runs).
//
// The popups themselves (uiMenuBox.h, MenuPopup.h) are views of a level: the model decides the
// rows, their texts (translated at every build), heights, the preselection and the popup size;
// a view shows them. A menu creates its views through a factory (the real popups by default;
// tests may install their own).
//
// Bad input: an item index outside a collection throws std::out_of_range; a FunctionItemIndex
// outside the function manager's items throws std::out_of_range during the click (no handler
// runs); SetItemCheckedState ignores an index outside the items. Items may be added, deleted
// and cleared at any time, also while a popup shows them: rows refer to their items weakly, a
// row whose item is gone fires nothing, and the next opening shows the change.
//
// UI thread only.

#include "config/toolkit/uiFunctionManager.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QVector>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

class QWidget;
class TuiMenuEx;
class TuiMenuItemsEx;
class TuiMenuItemEx;

// The ID that the next opening preselects, shared by every menu of the process. Every new
// TuiMenuEx sets it to 0; ShowMainMenu with a SelectedMenuID sets it; nothing else changes it.
extern qint64 PreselectedMenuID;

// Where a popup opens: at the mouse pointer, or to the right of its target.
enum class TvgPlacement { Mouse, Right };

// Look parameters of a menu or of one level. Plain values: assigning copies.
class TMenuParams {
public:
    TMenuParams();

    QBrush BGFill;              // fill of the popup background
    QImage BGImage;             // drawn stretched over the background when larger than 1x1
    QMarginsF BGMargins;        // margins of the row list inside the popup (added to its size)
    QMarginsF MenuTextPadding;  // padding of each row's text
    QString BGResource;         // kept for the layouts; not drawn
    QBrush ItemNormalFill;      // highlight of rows neither hovered nor pressed nor selected
    QBrush ItemOverFill;        // highlight of the hovered row
    QBrush ItemDownFill;        // highlight of the pressed or selected row
    QBrush ItemCheckFill;       // fill of the check mark
    QBrush ItemExtenderFill;    // fill of the sub-menu arrow
    QBrush ItemFontFill;        // text colour of the rows
    QFont ItemFont;             // row font; also measures the popup width
    int ItemHeight = 30;        // default row height
    int ItemWidth = 0;          // width base when not from the text (own parameters only)
    bool ItemShowCheck = true;  // rows show their check area
    bool ItemAutoSize = true;   // width from the longest caption (own parameters only)
    Qt::CursorShape ItemCursor = Qt::ArrowCursor;
    QImage ItemCheckImage;          // shown instead of the drawn check mark when larger than 1x1
    bool MenuShowCheckbox = false;  // kept for the layouts
    bool MenuShowSelectedState = true;
    bool MenuShowSelectedCheckMark = true;  // the selected row shows the check mark too
    int CustomWidth = 0;                    // when not 0: fixed popup width
    int CustomHeight = 0;                   // when not 0: fixed popup height
};

// A linear gradient over the filled shape's bounding box (0..1 in both directions), from
// `start` to `stop`, with colour stops given as (position, #AARRGGBB).
QBrush MenuLinearGradient(std::initializer_list<std::pair<qreal, quint32>> stops, QPointF start = {0, 0},
                          QPointF stop = {0, 1});

// Sender is the collection that holds the item's row (TuiMenuItemsEx) for OnMenuClose and the
// item (TuiMenuItemEx) for the click events.
using TuiMenuItemsExEvent = std::function<void(QObject* Sender, const QString& AMenuItemName, quint32 AMenuItemID,
                                               void* ABufferPointer, int ASize)>;
using TuiMenuItemExEvent = std::function<void(QObject* Sender, void* ABufferPointer, int ASize)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;

// One row of a built level, as a view shows it.
struct TuiMenuRowInfo {
    QPointer<TuiMenuItemEx> Item;  // the row's item; null once the item is gone
    QString Text;                  // the translated caption
    quint32 ItemID = 0;
    bool IsExtender = false;  // the item has sub-items
    bool IsChecked = false;
    bool IsSelected = false;  // the item's own selected flag
    int Height = 0;
    Qt::CursorShape Cursor = Qt::ArrowCursor;
};

// What a menu needs of one popup (implemented by TuiMenuPopup in MenuPopup.h).
class TuiMenuPopupView {
public:
    virtual ~TuiMenuPopupView();
    // Shows the level's rows, selection and size as BuildPopup left them.
    virtual void Refresh() = 0;
    // Places and shows the popup; rect (target coordinates) is the placement rectangle or null.
    virtual void Open(QWidget* target, TvgPlacement placement, const QRect* rect) = 0;
    // Hides the popup; the view then reports the close through TuiMenuItemsEx::DoClosePopup.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The level is going away: no more reports to it.
    virtual void Detach() = 0;
};
using TuiMenuPopupFactory = std::function<std::unique_ptr<TuiMenuPopupView>(TuiMenuItemsEx& level)>;

class TuiMenuItemsEx : public QObject {
    Q_OBJECT
public:
    // AOwner is the TuiMenuEx (top level) or the TuiMenuItemEx whose sub-items these are.
    TuiMenuItemsEx(TuiMenuEx* AMenu);
    TuiMenuItemsEx(TuiMenuItemEx* AItem);
    ~TuiMenuItemsEx() override;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Throws std::out_of_range outside 0..Count-1.
    TuiMenuItemEx* Items(int Index) const;
    TuiMenuItemEx* operator[](int Index) const { return Items(Index); }
    // Adds an item (named and numbered, see above) at the end.
    TuiMenuItemEx* Add();
    TuiMenuItemEx* Add(const QString& ACaption);
    void Delete(int Index);  // throws std::out_of_range outside 0..Count-1
    void Clear();
    int IndexOf(const TuiMenuItemEx* AItem) const;

    TuiMenuEx* RootMenu() const { return FRootMenu; }
    // The menu for the top level, null for sub-items.
    TuiMenuEx* OwnerMenu() const { return FOwnerMenu; }
    // The item whose sub-items these are, null for the top level.
    TuiMenuItemEx* OwnerItem() const { return FOwnerItem; }

    // Icons of the rows (not owned); rows show the item's ImageIndex when valid.
    const QVector<QImage>* Images() const { return FImages; }
    void SetImages(const QVector<QImage>* AImages) { FImages = AImages; }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int AIndex) { FItemIndex = AIndex; }
    TMenuParams& Parameters() { return FParams; }
    const TMenuParams& Parameters() const { return FParams; }
    bool UseParentParameter() const { return FUseParentParameter; }
    void SetUseParentParameter(bool on) { FUseParentParameter = on; }
    const QFont& ItemDefaultFont() const { return FItemDefaultFont; }
    const QBrush& ItemDefaultFontFill() const { return FItemDefaultFontFill; }

    // This level's popup exists and is open.
    bool GetIsMenuOpened() const;
    void SetItemCheckedState(int AItemIndex, bool AState);
    void ItemSetMaxSize(qreal AWidth);

    // Builds and opens this level beside target (see TuiMenuEx::ShowMainMenu).
    void Popup(QWidget* APlacementTarget, TvgPlacement APlacement);
    void PopupAtRect(QWidget* APlacementTarget, TvgPlacement APlacement, const QRect& ARect);
    // Closes every open level below this one, deepest first, then this one.
    void CloseMenu();
    // ItemIndex := -1 here and in every level below, except in ASpare.
    void ResetItemIndex(const TuiMenuItemsEx* ASpare);

    // Builds the rows and the popup size of this level (run by Popup before the popup
    // opens). screenHeight caps the height (0 = no cap).
    void BuildPopup(int screenHeight);

    // The state left by BuildPopup, read by the view.
    const std::vector<TuiMenuRowInfo>& Rows() const { return FRows; }
    // The row the box selects at this opening: the preselected row, else ItemIndex.
    int BuildIndex() const { return FBuildIndex; }
    // The preselected row of the last build, or -1.
    int PreselectedRow() const { return FPreselectedRow; }
    int PopupWidth() const { return FPopupWidth; }
    int PopupHeight() const { return FPopupHeight; }
    bool HasPopup() const { return FView != nullptr; }
    TuiMenuPopupView* View() const { return FView.get(); }
    // The look that applies to this level's rows: root parameters under the custom look with
    // UseParentParameter, own parameters without it; null when the custom look is off.
    const TMenuParams* LookParams() const;
    bool CustomLook() const;
    // Row font and text colour (root ItemFont and ItemFontFill under the custom look).
    QFont RowFont() const;
    QBrush RowFontFill() const;

    // Called by the view whenever its popup closes.
    void DoClosePopup();

private:
    void InsertItem(std::unique_ptr<TuiMenuItemEx> item);
    void OpenBuilt(QWidget* target, TvgPlacement placement, const QRect* rect);

    TuiMenuEx* FOwnerMenu = nullptr;
    TuiMenuItemEx* FOwnerItem = nullptr;
    TuiMenuEx* FRootMenu = nullptr;
    std::vector<std::unique_ptr<TuiMenuItemEx>> FItems;
    const QVector<QImage>* FImages = nullptr;
    std::unique_ptr<TuiMenuPopupView> FView;
    std::vector<TuiMenuRowInfo> FRows;
    int FItemIndex = -1;
    qreal FItemMaxWidth = 0;
    QFont FItemDefaultFont;
    QBrush FItemDefaultFontFill;
    bool FUseParentParameter = true;
    TMenuParams FParams;
    int FBuildIndex = -1;
    int FPreselectedRow = -1;
    int FPopupWidth = 100;
    int FPopupHeight = 0;
};

class TuiMenuItemEx : public QObject {
    Q_OBJECT
public:
    ~TuiMenuItemEx() override;

    const QString& Name() const { return FName; }
    void SetName(const QString& AName) { FName = AName; }
    QString DisplayName() const;
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& ACaption) { FCaption = ACaption; }
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& s) { FHint = s; }
    const QString& Data() const { return FData; }
    void SetData(const QString& s) { FData = s; }
    const QString& Description() const { return FDescription; }
    void SetDescription(const QString& s) { FDescription = s; }
    const QString& ShortDescription() const { return FShortDescription; }
    void SetShortDescription(const QString& s) { FShortDescription = s; }
    quint16 ShortCut() const { return FShortCut; }
    void SetShortCut(quint16 s) { FShortCut = s; }
    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& b) { FBitmap = b; }
    const QImage& BitmapOver() const { return FBitmapOver; }
    void SetBitmapOver(const QImage& b) { FBitmapOver = b; }
    const QImage& BitmapDown() const { return FBitmapDown; }
    void SetBitmapDown(const QImage& b) { FBitmapDown = b; }
    const TuiMenuItemExEvent& OnClick() const { return FOnExecute; }
    void SetOnClick(TuiMenuItemExEvent e) { FOnExecute = std::move(e); }

    TuiMenuItemsEx& SubItems() { return *FSubItems; }
    const TuiMenuItemsEx& SubItems() const { return *FSubItems; }
    bool HasSubItems() const { return FSubItems->Count() > 0; }

    // Stored only: every item gets a row that can be clicked whatever these say.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool on) { FEnabled = on; }
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool on) { FRadioItem = on; }
    bool Default() const { return FDefault; }
    void SetDefault(bool on) { FDefault = on; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool on) { FVisible = on; }
    const QVector<QImage>* SubItemImages() const { return FSubMenuImages; }
    void SetSubItemImages(const QVector<QImage>* images) { FSubMenuImages = images; }

    bool Checked() const { return FChecked; }
    void SetChecked(bool on) { FChecked = on; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int i) { FImageIndex = i; }
    quint32 ItemID() const { return FItemID; }
    qreal ItemHeight() const { return FItemHeight; }
    void SetItemHeight(qreal h) { FItemHeight = h; }
    bool IsSelected() const { return FIsSelected; }
    void SetIsSelected(bool on) { FIsSelected = on; }

    TuiMenuItemsEx* GetOwner() const { return FOwner; }
    TuiMenuEx* GetRootMenu() const { return FRootMenu; }

    // Click dispatch: the item's OnClick, else the root menu's OnItemsClick, with the buffer of
    // the root menu's function item (nullptr and 0 without a function manager or with a
    // negative FunctionItemIndex). Throws std::out_of_range, running no handler, when
    // FunctionItemIndex is at or beyond the number of function items. The handler may free
    // this item (or the whole menu): nothing of it is touched after the handler is called.
    void Execute();

private:
    friend class TuiMenuItemsEx;
    explicit TuiMenuItemEx(TuiMenuItemsEx* AOwner);

    QString FName;
    QString FCaption;
    QString FHint;
    QString FData;
    quint16 FShortCut = 0;
    QImage FBitmap, FBitmapOver, FBitmapDown;
    TuiMenuItemExEvent FOnExecute;
    QString FDescription;
    QString FShortDescription;
    std::unique_ptr<TuiMenuItemsEx> FSubItems;
    bool FEnabled = true;
    bool FRadioItem = false;
    bool FDefault = false;
    bool FVisible = true;
    const QVector<QImage>* FSubMenuImages = nullptr;
    bool FChecked = false;
    int FImageIndex = -1;
    TuiMenuItemsEx* FOwner = nullptr;
    TuiMenuEx* FRootMenu = nullptr;
    quint32 FItemID = 0;
    qreal FItemHeight = 0;
    bool FIsSelected = false;
};

class TuiMenuEx : public QObject {
    Q_OBJECT
public:
    // Sets PreselectedMenuID to 0.
    explicit TuiMenuEx(QObject* AOwner = nullptr);
    ~TuiMenuEx() override;

    // Opens the top level at the pointer (Mouse) or right of the target (Right).
    void ShowMainMenu(QWidget* PlacementTarget, TvgPlacement Placement);
    // The same after PreselectedMenuID := SelectedMenuID.
    void ShowMainMenu(qint64 SelectedMenuID, QWidget* PlacementTarget, TvgPlacement Placement);
    // The same with a placement rectangle in the target's coordinates.
    void ShowMainMenu(qint64 SelectedMenuID, QWidget* PlacementTarget, TvgPlacement Placement,
                      const QRect& PlacementRectangle);

    bool IsMenuOpen() const;
    TuiMenuItemsEx& Items() { return *FItems; }
    const TuiMenuItemsEx& Items() const { return *FItems; }
    bool UseCustomMenuParams() const { return FUseCustomMenuParams; }
    void SetUseCustomMenuParams(bool on) { FUseCustomMenuParams = on; }
    TMenuParams& Parameters() { return FParams; }
    const TMenuParams& Parameters() const { return FParams; }
    // Not owned; forgotten when the manager is destroyed.
    TuiFunctionManager* FunctionManager() const { return FFunctionManager; }
    void SetFunctionManager(TuiFunctionManager* AManager);
    int FunctionItemIndex() const { return FFunctionItemIndex; }
    void SetFunctionItemIndex(int AIndex) { FFunctionItemIndex = AIndex; }
    const TuiMenuItemsExEvent& OnItemsClick() const { return FOnItemsClick; }
    void SetOnItemsClick(TuiMenuItemsExEvent e) { FOnItemsClick = std::move(e); }
    // Called with the collection whose popup closed, once per closed popup, deepest first.
    const TNotifyEvent& OnMenuClose() const { return FOnMenuClose; }
    void SetOnMenuClose(TNotifyEvent e) { FOnMenuClose = std::move(e); }

    // The factory of the popups of this menu's levels (the real popups by default). Set it
    // before the first opening.
    void SetPopupFactory(TuiMenuPopupFactory AFactory) { FPopupFactory = std::move(AFactory); }
    const TuiMenuPopupFactory& PopupFactory() const { return FPopupFactory; }

private:
    std::unique_ptr<TuiMenuItemsEx> FItems;
    TMenuParams FParams;
    QPointer<TuiFunctionManager> FFunctionManager;
    int FFunctionItemIndex = 0;
    TuiMenuItemsExEvent FOnItemsClick;
    bool FUseCustomMenuParams = false;
    TNotifyEvent FOnMenuClose;
    TuiMenuPopupFactory FPopupFactory;
};

// CloseMenu, or ResetItemIndex sparing ACollection, applied from the root of ACollection's
// tree.
void CloseAllMenus(TuiMenuItemsEx* ACollection);
void ResetMenuItemIndexes(TuiMenuItemsEx* ACollection);

// The default popup factory (the real popups, MenuPopup.cpp).
std::unique_ptr<TuiMenuPopupView> CreateMenuPopupView(TuiMenuItemsEx& level);

namespace vyk::config {

// Where a popup of size popupSize goes.
// - Mouse: its top-left corner at the pointer, moved left of the pointer when it would pass the
//   screen's right edge and up when it would pass the bottom.
// - Right: its top-left corner at the anchor's top-right corner (the anchor is the target, or
//   the placement rectangle in screen coordinates), moved up when it would pass the bottom.
// Then, when target left + target width + popup width reaches the screen's right edge, the
// popup goes left of the target's window (targetWindow = that window's frame in screen
// coordinates); with a placement rectangle it moves left by the target width and down by 20
// instead. Finally it is kept inside the screen.
QPoint PlaceMenuPopup(TvgPlacement placement, const QRect& target, const QRect& targetWindow, const QPoint& pointer,
                      const QSize& popupSize, const QRect& screen, const QRect* anchorRect);

}  // namespace vyk::config
