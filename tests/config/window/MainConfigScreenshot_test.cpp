// Screenshots of the main window with the build's skin and language file, in English and in
// Simplified Chinese (scripts/screenshots.sh; skipped otherwise).
#include "config/toolkit/ImageStateButton.h"
#include "tests/config/window/screenshot_rig.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

void shoot(const QString& language, const QString& name) {
    cfgtest::ScreenshotRig rig(language);
    TVYKCFGMAIN& w = rig.open();
    ASSERT_FALSE(::testing::Test::HasFailure());
    QTest::qWait(50);
    vyk::test::saveScreenshot(&w, name);
    QTest::mouseClick(w.BtnUpdate, Qt::LeftButton);
    QTest::qWait(20);
    vyk::test::saveScreenshot(&w, name + QStringLiteral("-info"));
}

TEST(ScreenshotMainWindow, English) {
    VYK_SCREENSHOT_ONLY();
    shoot(QStringLiteral("0409"), QStringLiteral("main-window-0409"));
}

TEST(ScreenshotMainWindow, SimplifiedChinese) {
    VYK_SCREENSHOT_ONLY();
    shoot(QStringLiteral("0804"), QStringLiteral("main-window-0804"));
}

}  // namespace
