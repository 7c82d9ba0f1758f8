// Screenshots of the main window's four pages and GENERAL's side view for the README (docs/screenshots/, made by
// scripts/screenshots.sh --docs; skipped otherwise): the build's skin and language file, a
// first start in English with the mouse present.
#include "config/toolkit/ImageStateButton.h"
#include "config/window/ButtonAssignPanel.h"
#include "tests/config/window/screenshot_rig.h"

#include <QCursor>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ScreenshotMainWindowPages, English) {
    VYK_SCREENSHOT_ONLY();
    cfgtest::ScreenshotRig rig;
    TVYKCFGMAIN& w = rig.open();
    ASSERT_FALSE(::testing::Test::HasFailure());
    // The pointer off the window, so no button is lit by it.
    QCursor::setPos(w.mapToGlobal(QPoint(-20, -20)));
    const struct {
        TImageStateButton* tab;
        const char* name;
    } pages[] = {{w.BtnMainConfig, "page-general"},
                 {w.BtnCPI, "page-dpi"},
                 {w.BtnColor, "page-light"},
                 {w.BtnUpdate, "page-info"}};
    for (const auto& p : pages) {
        QTest::mouseClick(p.tab, Qt::LeftButton);
        QTest::qWait(50);
        vyk::test::saveScreenshot(&w, QString::fromLatin1(p.name));
    }
    // GENERAL's side view: the thumb buttons and their rows, numbered alike.
    QTest::mouseClick(w.BtnMainConfig, Qt::LeftButton);
    QTest::mouseClick(w.ButtonAssignment->ButtonAssign->BTNSIDEVIEW, Qt::LeftButton);
    QTest::qWait(50);
    vyk::test::saveScreenshot(&w, QStringLiteral("page-general-side"));
}

}  // namespace
