// Screenshots of the main window with the build's skin and language file, in English and in
// Simplified Chinese (scripts/screenshots.sh; skipped otherwise).
#include "config/toolkit/ImageStateButton.h"
#include "config/window/MainConfig.h"
#include "core/language/uiLanguage.h"
#include "core/store/DMUnit.h"
#include "tests/config/support/screenshot.h"
#include "tests/config/window/recording_link.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using vyk::test::ScopedEnv;

void shoot(const QString& language, const QString& name) {
    ScopedEnv registry("VYK_REGISTRY_ROOT", vyk::test::freshDir("shot-registry").string());
    ScopedEnv docs("VYK_DOCUMENTS_DIR", vyk::test::freshDir("shot-docs").string());
    vyk::test::useBuildSkin();
    QApplication::setQuitOnLastWindowClosed(false);
    cfgtest::RecordingLink link;
    link.monitorRuns = true;
    TDM dm;
    {
        // The stored language: its index in the shipped language file.
        TuiLanguage probe;
        const int index = probe.GetLanguageIndexByShortID(language);
        ASSERT_GE(index, 0) << language.toStdString();
        dm.FAllProfileSettingInfo.CurrentLanguage = static_cast<std::uint8_t>(index);
        dm.SaveBackAllProfileSettingInfo();
    }
    TVYKCFGMAIN w(&dm, &link);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
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
