// Renders the button-assignment menu with the BASIC sub-menu open on a dark window to a PNG,
// for looking at it: run by scripts/screenshots.sh with VYK_SCREENSHOT_DIR set; skipped
// otherwise. The picture is composed from the window and the two popups as they are placed, so
// it needs no X server grab.
#include <gtest/gtest.h>

#include "config/toolkit/MenuPopup.h"
#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/uiMenuBox.h"
#include "config/toolkit/uiMenuEx.h"
#include "config/window/AssignMenuItems.h"
#include "tests/config/support/screenshot.h"
#include "tests/support/wait.h"

#include <QApplication>
#include <QCursor>
#include <QTest>

namespace {

TEST(ScreenshotAssignMenu, BasicSubMenuOpen) {
    VYK_SCREENSHOT_ONLY();

    QWidget host;
    host.setWindowFlag(Qt::FramelessWindowHint);
    host.setGeometry(0, 0, 620, 520);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, vyk::config::skincolor::Window);
    host.setPalette(pal);
    host.setAutoFillBackground(true);
    QWidget* target = new QWidget(&host);
    target->setGeometry(30, 30, 120, 23);
    target->setAutoFillBackground(true);
    QPalette tp = target->palette();
    tp.setColor(QPalette::Window, vyk::config::skincolor::Surface);
    target->setPalette(tp);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

    TuiMenuEx menu;
    BuildAssignMenu(menu);
    QCursor::setPos(host.mapToGlobal(QPoint(90, 45)));
    menu.ShowMainMenu(805, target, TvgPlacement::Mouse);
    TuiMenuPopup* top = MenuPopupOf(&menu.Items());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    // The pointer enters BASIC: its sub-menu opens with FIND preselected.
    TuiMenuBoxItem* basic = top->Box()->ItemByIndex(7);
    const QPoint at = basic->mapToGlobal(basic->rect().center());
    QTest::mouseMove(top->windowHandle(), top->windowHandle()->mapFromGlobal(at));
    ASSERT_TRUE(vyk::test::waitUntil([&] { return menu.Items()[7]->SubItems().GetIsMenuOpened(); }));
    TuiMenuPopup* sub = MenuPopupOf(&menu.Items()[7]->SubItems());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sub));

    vyk::test::saveScreenshotWithPopups(&host, {top, sub}, QStringLiteral("assign-menu-basic"));
    menu.Items().CloseMenu();
}

}  // namespace
