// Screenshots of the GENERAL, DPI and LIGHT pages with the build's skin and language file, in
// English and in Simplified Chinese (scripts/screenshots.sh; skipped otherwise).
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

namespace {

using vyk::test::ScopedEnv;

void shoot(const QString& language) {
    ScopedEnv registry("VYK_REGISTRY_ROOT", vyk::test::freshDir("shot-registry").string());
    ScopedEnv docs("VYK_DOCUMENTS_DIR", vyk::test::freshDir("shot-docs").string());
    vyk::test::useBuildSkin();
    QApplication::setQuitOnLastWindowClosed(false);
    cfgtest::RecordingLink link;
    link.monitorRuns = true;
    TDM dm;
    {
        TuiLanguage probe;
        const int index = probe.GetLanguageIndexByShortID(language);
        ASSERT_GE(index, 0) << language.toStdString();
        dm.FAllProfileSettingInfo.CurrentLanguage = static_cast<std::uint8_t>(index);
        dm.SaveBackAllProfileSettingInfo();
    }
    // A level switched off and one unlinked, so every look of the DPI page shows.
    TMOUSECONFIGINFO& c = dm.FCurrentProfileInfo.ConfigInfo;
    c.CPIState[3].Enabled = 0;
    c.UseDiffentXY[1] = 0;
    c.CPIState[1].Y = 3200;
    c.CurrentCPIIndex = 1;
    TVYKCFGMAIN w(&dm, &link);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
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
