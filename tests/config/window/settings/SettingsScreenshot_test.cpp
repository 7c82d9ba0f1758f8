// Screenshots of the GENERAL, DPI and LIGHT pages with the build's skin and language file, in
// English and in Simplified Chinese (scripts/screenshots.sh; skipped otherwise).
#include "config/toolkit/ImageStateButton.h"
#include "tests/config/window/screenshot_rig.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

void shoot(const QString& language) {
    cfgtest::ScreenshotRig rig(language);
    // A level switched off and one unlinked, so every look of the DPI page shows.
    TMOUSECONFIGINFO& c = rig.dm.FCurrentProfileInfo.ConfigInfo;
    c.CPIState[3].Enabled = 0;
    c.UseDiffentXY[1] = 0;
    c.CPIState[1].Y = 3200;
    c.CurrentCPIIndex = 1;
    TVYKCFGMAIN& w = rig.open();
    ASSERT_FALSE(::testing::Test::HasFailure());
    const struct {
        TImageStateButton* tab;
        const char* name;
    } pages[] = {{w.BtnMainConfig, "general"}, {w.BtnCPI, "dpi"}, {w.BtnColor, "light"}};
    for (const auto& p : pages) {
        QTest::mouseClick(p.tab, Qt::LeftButton);
        QTest::qWait(50);
        vyk::test::saveScreenshot(&w, QStringLiteral("settings-%1-%2").arg(QString::fromLatin1(p.name), language));
    }
}

TEST(ScreenshotSettingsPages, English) {
    VYK_SCREENSHOT_ONLY();
    shoot(QStringLiteral("0409"));
}

TEST(ScreenshotSettingsPages, SimplifiedChinese) {
    VYK_SCREENSHOT_ONLY();
    shoot(QStringLiteral("0804"));
}

}  // namespace
