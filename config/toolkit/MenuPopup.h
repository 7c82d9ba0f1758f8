#pragma once
// TuiMenuPopup: the window of one level of a TuiMenuEx: a parentless top-level Qt::Popup that
// holds the level's TuiMenuBox inset by the background margins, sized as the level's
// BuildPopup decided, and placed with vyk::config::PlaceMenuPopup.
//
// - The popup has no QObject parent (a level outlives any one target); at every opening its
//   window is made transient for the target's window, which Wayland needs to place a popup.
// - Closing (by the menu, by Esc, by a click outside the tree or by the platform) is reported
//   to the level once per opening, through TuiMenuItemsEx::DoClosePopup.
// - A press outside every popup of the tree closes the whole tree.
// - The model holds the popup through TuiMenuPopupHandle; when the level goes, the handle
//   hides the popup without a report and deletes it later (it may be inside one of its own
//   event handlers at that moment).
//
// UI thread only.

#include "config/toolkit/uiMenuEx.h"

#include <QPointer>
#include <QWidget>

class TuiMenuBox;

class TuiMenuPopup : public QWidget {
    Q_OBJECT
public:
    explicit TuiMenuPopup(TuiMenuItemsEx* ALevel);
    ~TuiMenuPopup() override;

    TuiMenuBox* Box() const { return FBox; }
    TuiMenuItemsEx* Level() const { return FLevel; }
    void Refresh();
    void OpenAt(QWidget* target, TvgPlacement placement, const QRect* rect);
    void Detach();
    bool IsOpen() const { return FOpen; }

protected:
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QMarginsF Margins() const;
    TuiMenuItemsEx* FLevel;
    TuiMenuBox* FBox;
    bool FOpen = false;
};

// The model's handle on a TuiMenuPopup.
class TuiMenuPopupHandle : public TuiMenuPopupView {
public:
    explicit TuiMenuPopupHandle(TuiMenuItemsEx& level);
    ~TuiMenuPopupHandle() override;
    void Refresh() override;
    void Open(QWidget* target, TvgPlacement placement, const QRect* rect) override;
    void Close() override;
    bool IsOpen() const override;
    void Detach() override;
    TuiMenuPopup* Popup() const { return FPopup; }

private:
    QPointer<TuiMenuPopup> FPopup;
};

// The popup of a level, or null when it has none (or not a real one).
TuiMenuPopup* MenuPopupOf(const TuiMenuItemsEx* level);
