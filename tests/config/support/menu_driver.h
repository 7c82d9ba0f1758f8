#pragma once
// Driving VykCfg's function menu UIMENUEX1 as a user does: a click on an assignment button of
// the GENERAL page opens the menu at the pointer; the pointer moves over the rows (a row with
// a sub-menu opens it beside the row), and a press and release on a row chooses it. The popups
// are top-level windows; while one is open, pointer events go to the popup that holds the grab
// (QApplication::activePopupWidget), as on a desktop.
//
// Failures are reported through gtest; a caller that goes on after a helper checks
// HasFatalFailure(). A handler that runs a modal dialog (a key dialog, the macro manager) runs
// inside choose(): arm the answer first (tests/config/support/modal.h).
//
// UI thread only.

#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/MenuPopup.h"
#include "config/toolkit/uiMenuBox.h"
#include "config/toolkit/uiMenuEx.h"
#include "config/window/ButtonAssignPanel.h"
#include "config/window/MainConfig.h"
#include "tests/support/wait.h"

#include <QApplication>
#include <QCursor>
#include <QScrollArea>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace vyk::test::menu {

// The window of the popup that holds the pointer grab, or null when no popup is open.
inline QWindow* grabWindow() {
    QWidget* p = QApplication::activePopupWidget();
    return p ? p->windowHandle() : nullptr;
}

// The row of a level whose item has the caption given, or -1.
inline int rowOf(TuiMenuItemsEx& level, const QString& caption) {
    for (int i = 0; i < level.Count(); ++i) {
        if (level[i]->Caption() == caption) return i;
    }
    return -1;
}

// The screen position of the centre of row `row` of an open level.
inline QPoint rowCenter(TuiMenuItemsEx& level, int row) {
    TuiMenuPopup* popup = MenuPopupOf(&level);
    TuiMenuBoxItem* r = popup ? popup->Box()->ItemByIndex(row) : nullptr;
    return r ? r->mapToGlobal(r->rect().center()) : QPoint(-1, -1);
}

// Moves the pointer to a screen position, over the popup that holds the grab.
inline void moveTo(QPoint global) {
    QWindow* win = grabWindow();
    ASSERT_NE(win, nullptr) << "no menu open";
    QTest::mouseMove(win, win->mapFromGlobal(global));
}

// Clicks assignment button `button` (showing its view first) and waits for the menu.
inline void openMenu(TVYKCFGMAIN& w, int button) {
    ASSERT_TRUE(button >= 0 && button < ASSIGN_BUTTON_COUNT) << button;
    // The window at the screen's top left, so the popups and their sub-menus fit beside it.
    if (w.pos() != QPoint(0, 0)) w.move(0, 0);
    TButtonAssignPanel& panel = *w.ButtonAssignment->ButtonAssign;
    panel.ShowMouseView(button < 6 ? 0 : 1);
    TImageStateButton* b = panel.BtnSet[static_cast<std::size_t>(button)];
    if (button >= 6) panel.sideButtonsScrollbox->ensureWidgetVisible(b, 0, 0);
    QCursor::setPos(b->mapToGlobal(b->rect().center()));
    QTest::mouseClick(b, Qt::LeftButton);
    ASSERT_TRUE(vyk::test::waitUntil([&w] { return w.ButtonAssignment->UIMENUEX1->IsMenuOpen() && grabWindow(); }))
        << "the menu did not open";
}

// Moves the pointer onto row `top` of the open menu and, with sub >= 0, waits for its sub-menu
// and moves onto row `sub` there. *target receives the position the pointer rests on.
inline void pointAt(TVYKCFGMAIN& w, int top, int sub, QPoint* target) {
    TuiMenuItemsEx& level = w.ButtonAssignment->UIMENUEX1->Items();
    ASSERT_TRUE(top >= 0 && top < level.Count()) << top;
    *target = rowCenter(level, top);
    // From another row first, so arriving on the row is a change.
    moveTo(rowCenter(level, top == 0 ? 1 : 0));
    moveTo(*target);
    if (sub < 0) return;
    TuiMenuItemsEx& subLevel = level[top]->SubItems();
    ASSERT_TRUE(sub < subLevel.Count()) << sub;
    ASSERT_TRUE(vyk::test::waitUntil([&subLevel] {
        TuiMenuPopup* p = MenuPopupOf(&subLevel);
        return p && p->isVisible();
    })) << "the sub-menu of row "
        << top << " did not open";
    *target = rowCenter(subLevel, sub);
    moveTo(*target);
}

// Chooses row `top` (and row `sub` of its sub-menu) of the open menu with real pointer moves
// and a click, and waits for the menu to close.
inline void choose(TVYKCFGMAIN& w, int top, int sub = -1) {
    QPoint target;
    pointAt(w, top, sub, &target);
    if (::testing::Test::HasFatalFailure()) return;
    QWindow* win = grabWindow();
    ASSERT_NE(win, nullptr);
    QTest::mousePress(win, Qt::LeftButton, {}, win->mapFromGlobal(target));
    if (QWindow* again = grabWindow()) QTest::mouseRelease(again, Qt::LeftButton, {}, again->mapFromGlobal(target));
    ASSERT_TRUE(vyk::test::waitUntil([&w] { return !w.ButtonAssignment->UIMENUEX1->IsMenuOpen(); }))
        << "the menu stayed open";
    QApplication::processEvents();
}

// Gives assignment button `button` the item at row `top` (row `sub` of its sub-menu).
inline void assign(TVYKCFGMAIN& w, int button, int top, int sub = -1) {
    openMenu(w, button);
    if (::testing::Test::HasFatalFailure()) return;
    choose(w, top, sub);
}

}  // namespace vyk::test::menu
