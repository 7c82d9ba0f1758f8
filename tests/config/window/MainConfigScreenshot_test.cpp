// Screenshots of the main window with the build's skin and language file, in English and in
// Simplified Chinese, started in the language and changed to it while running
// (scripts/screenshots.sh; skipped otherwise).
#include "config/toolkit/ImageStateButton.h"
#include "tests/config/window/screenshot_rig.h"

#include <QComboBox>
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

// The window after a live change of language, to and back, to set beside the starts above.
TEST(ScreenshotMainWindow, AfterALiveLanguageChange) {
    VYK_SCREENSHOT_ONLY();
    cfgtest::ScreenshotRig rig;
    TVYKCFGMAIN& w = rig.open();
    ASSERT_FALSE(::testing::Test::HasFailure());
    for (const QString& language : {QStringLiteral("0804"), QStringLiteral("0409")}) {
        const int entry = w.LanguageIndexMap().indexOf(w.uiLanguage1->GetLanguageIndexByShortID(language));
        ASSERT_GE(entry, 0);
        w.PopBoxLanguage->setCurrentIndex(entry);
        QTest::qWait(50);
        vyk::test::saveScreenshot(&w, QStringLiteral("main-window-live-") + language);
        QTest::mouseClick(w.BtnCPI, Qt::LeftButton);
        QTest::qWait(20);
        vyk::test::saveScreenshot(&w, QStringLiteral("main-window-live-") + language + QStringLiteral("-dpi"));
        QTest::mouseClick(w.BtnMainConfig, Qt::LeftButton);
    }
}

}  // namespace
