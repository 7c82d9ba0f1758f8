#pragma once
// TuiMenuBox: the row list inside one popup of a TuiMenuEx (uiMenuEx.h), and TuiMenuBoxItem,
// one row of it.
//
// The box shows the rows of its level (TuiMenuItemsEx::Rows) one under the other at full
// width, paints the background and the highlights (normal, hovered, pressed or selected) from
// the menu's look parameters, opens a row's sub-menu to the right when the pointer enters it
// (closing the others), and fires an item only when the left button is released over the row
// it was pressed on. Rows have no mouse handling of their own: the box finds them by position.
//
// - Selection: ItemIndex; a row that opens a sub-menu never stays selected (-1 instead); an
//   index outside the rows selects nothing. The level's ItemIndex follows the box.
// - Keys (HandleKey): a typed character selects the first row, from the top, whose text begins
//   with it (case-insensitive; consumed even without a match); Home, End and the four arrows
//   move the selection with their stops. No key fires an item.
// - Release over a row (not a sub-menu row): every popup of the tree closes, the other levels'
//   ItemIndex is reset, and, when it is the row that was pressed with the left button, that
//   row's own item runs (TuiMenuItemEx::Execute) as the last step. A row whose item was
//   deleted while the popup was open fires nothing. No events are processed in between, so
//   nothing can rebuild the menu under the running release.
// - Text: under the custom look the caption carries the style's black shadow one pixel right
//   and down; the plain look draws it without.
// - Events that reach a box for a point outside it (the active popup gets the pointer while a
//   sub-menu is open) are passed to the box of the tree that lies under the pointer.
// - Every entry point runs under vyk::platform::guarded; an error of the click (a function
//   item index out of range) is reported after the popups have closed.
//
// UI thread only.

#include "config/toolkit/uiMenuEx.h"

#include <QBrush>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

class QKeyEvent;
class TuiMenuBox;

class TuiMenuBoxItem : public QWidget {
    Q_OBJECT
public:
    explicit TuiMenuBoxItem(TuiMenuBox* ABox);

    const QString& Text() const { return FText; }
    void SetText(const QString& AText);
    quint32 ItemID() const { return FItemID; }
    void SetItemID(quint32 AId) { FItemID = AId; }
    bool IsChecked() const { return FIsChecked; }
    void SetIsChecked(bool on);
    bool IsExtender() const { return FIsExtender; }
    void SetIsExtender(bool on);
    bool IsSelected() const { return FIsSelected; }
    // Selecting makes the row the box's ItemIndex; deselecting the selected row leaves the box
    // without a selection.
    void SetIsSelected(bool on);
    // The item this row shows (null once the item is gone).
    TuiMenuItemEx* Item() const { return FItem; }
    void SetItem(TuiMenuItemEx* AItem) { FItem = AItem; }
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int h) { FRowHeight = h; }
    void SetRowFont(const QFont& f);
    const QFont& RowFont() const { return FFont; }
    void SetFontFill(const QBrush& b) {
        FFontFill = b;
        update();
    }
    // Width of s on one line in the row's font.
    qreal TextWidth(const QString& s) const;
    // Index of the row in its box, -1 outside one.
    int Index() const;
    // The check mark is drawn now.
    bool CheckMarkShown() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    friend class TuiMenuBox;
    TuiMenuBox* FBox;
    QString FText;
    quint32 FItemID = 0;
    bool FIsChecked = false;
    bool FIsExtender = false;
    bool FIsSelected = false;
    QPointer<TuiMenuItemEx> FItem;
    int FRowHeight = 19;
    QFont FFont;
    QBrush FFontFill;
};

class TuiMenuBox : public QWidget {
    Q_OBJECT
public:
    explicit TuiMenuBox(QWidget* AParent);
    ~TuiMenuBox() override;

    void SetMenuItems(TuiMenuItemsEx* AuiMenuItemsEx) { FuiMenuItemsEx = AuiMenuItemsEx; }
    TuiMenuItemsEx* MenuItems() const { return FuiMenuItemsEx; }
    // Rebuilds the rows from the level's Rows() and selects its BuildIndex().
    void SyncFromLevel();

    int Count() const { return static_cast<int>(FRows.size()); }
    TuiMenuBoxItem* ItemByIndex(int Idx) const;
    // The row at a point in box coordinates, or null.
    TuiMenuBoxItem* ItemByPoint(const QPointF& p) const;
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int V);
    bool ShowSelectedState() const { return FShowSelectedState; }
    void SetShowSelectedState(bool on) {
        FShowSelectedState = on;
        update();
    }
    TuiMenuBoxItem* MoveOverItem() const { return FMoveOverItem; }
    TuiMenuBoxItem* MouseDownItem() const { return FMouseDownItem; }
    // The selected row's text, or an empty string.
    QString GetData() const;
    // Frees every row and scrolls back to the top.
    void Clear();

    // Which highlight a row carries now: 0 none, 1 normal, 2 over (hovered), 3 down (pressed
    // or selected).
    int HighlightOf(const TuiMenuBoxItem* row) const;
    int ScrollOffset() const { return FScrollY; }

    // The mouse and key handling (box coordinates). The event handlers route here.
    void HandlePress(const QPointF& p, Qt::MouseButton button);
    void HandleMove(const QPointF& p);
    void HandleRelease(const QPointF& p, Qt::MouseButton button);
    void HandleLeave();
    bool HandleKey(QKeyEvent* e);

    // The box of this menu tree whose popup holds a screen point, or null.
    TuiMenuBox* BoxAt(const QPoint& globalPos);
    // Mouse events that reached this box or its popup, at a screen point: passed to the box of
    // the tree under the pointer. A press outside the tree closes it.
    void RoutePress(const QPointF& globalPos, Qt::MouseButton button);
    void RouteMove(const QPointF& globalPos);
    void RouteRelease(const QPointF& globalPos, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    friend class TuiMenuBoxItem;
    void LayoutRows();
    void ScrollTo(int offset);
    void RowSelectionChanged(TuiMenuBoxItem* row, bool selected);
    void OpenSubMenuOf(TuiMenuBoxItem* row);
    const TMenuParams* RootParams() const;

    std::vector<TuiMenuBoxItem*> FRows;
    TuiMenuItemsEx* FuiMenuItemsEx = nullptr;
    int FItemIndex = -1;
    bool FShowSelectedState = true;
    int FScrollY = 0;
    QPointer<TuiMenuBoxItem> FMoveOverItem;
    QPointer<TuiMenuBoxItem> FMouseDownItem;
    bool FSettingIndex = false;
};
