// Screenshots of APPLY's warning for a mouse that is plugged in but refused to the user, over
// the main window, in English and in Simplified Chinese (scripts/screenshots.sh; skipped
// otherwise).
#include "config/toolkit/ImageStateButton.h"
#include "tests/config/support/modal.h"
#include "tests/config/window/screenshot_rig.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

void shoot(const QString& language, const QString& name) {
    cfgtest::ScreenshotRig rig(language);
    rig.link.deviceExists = false;
    rig.link.deviceAccessDenied = true;
    TVYKCFGMAIN& w = rig.open();
    ASSERT_FALSE(::testing::Test::HasFailure());
    bool shown = false;
    vyk::test::whenModal([&](QWidget* d) {
        shown = true;
        QTest::qWait(50);
        vyk::test::saveScreenshotWithPopups(&w, {d}, name);
        QTest::mouseClick(d->findChild<TImageStateButton*>(QStringLiteral("BTNOK")), Qt::LeftButton);
    });
    QTest::mouseClick(w.BtnApply, Qt::LeftButton);
    EXPECT_TRUE(shown);
}

TEST(ScreenshotApplyWarning, MouseRefusedEnglish) {
    VYK_SCREENSHOT_ONLY();
    shoot(QStringLiteral("0409"), QStringLiteral("apply-mouse-refused-0409"));
}

TEST(ScreenshotApplyWarning, MouseRefusedSimplifiedChinese) {
    VYK_SCREENSHOT_ONLY();
    shoot(QStringLiteral("0804"), QStringLiteral("apply-mouse-refused-0804"));
}

}  // namespace
