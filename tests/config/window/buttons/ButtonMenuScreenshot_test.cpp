// Screenshots of the GENERAL page with the function menu open at the pointer and one of its
// sub-menus open beside it (scripts/screenshots.sh; skipped otherwise): the build's skin and
// language file, the popups drawn over the window where they stand on the screen.
#include "config/toolkit/MenuPopup.h"
#include "tests/config/support/menu_driver.h"
#include "tests/config/window/screenshot_rig.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ScreenshotButtonMenu, SubMenusOpenAtThePointer) {
    VYK_SCREENSHOT_ONLY();
    cfgtest::ScreenshotRig rig;
    TVYKCFGMAIN& w = rig.open();
    ASSERT_FALSE(::testing::Test::HasFailure());

    // A front button on MEDIA's MUTE(MICROPHONE), a side button on MACRO's first macro.
    const struct {
        int button, top, sub;
        const char* name;
    } shots[] = {{5, 9, 7, "page-general-menu"}, {7, 10, 1, "general-menu-macro"}};
    TuiMenuItemsEx& menu = w.ButtonAssignment->UIMENUEX1->Items();
    for (const auto& s : shots) {
        SCOPED_TRACE(s.name);
        vyk::test::menu::openMenu(w, s.button);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        QPoint pointer;
        vyk::test::menu::pointAt(w, s.top, s.sub, &pointer);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        QTest::qWait(50);
        vyk::test::saveScreenshotWithPopups(&w, {MenuPopupOf(&menu), MenuPopupOf(&menu[s.top]->SubItems())},
                                            QString::fromLatin1(s.name));
        // Esc closes the popups one by one.
        for (int k = 0; k < 2 && QApplication::activePopupWidget(); ++k)
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        ASSERT_TRUE(vyk::test::waitUntil([&w] { return !w.ButtonAssignment->UIMENUEX1->IsMenuOpen(); }));
    }
}

}  // namespace
