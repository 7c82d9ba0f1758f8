// Screenshots of the main window's four pages for the README (docs/screenshots/, made by
// scripts/screenshots.sh --docs; skipped otherwise): the build's skin and language file, a
// first start in English with the mouse present.
#include "config/toolkit/ImageStateButton.h"
#include "config/window/MainConfig.h"
#include "core/store/DMUnit.h"
#include "tests/config/support/screenshot.h"
#include "tests/config/window/recording_link.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using vyk::test::ScopedEnv;

TEST(ScreenshotMainWindowPages, English) {
    VYK_SCREENSHOT_ONLY();
    ScopedEnv registry("VYK_REGISTRY_ROOT", vyk::test::freshDir("pages-registry").string());
    ScopedEnv docs("VYK_DOCUMENTS_DIR", vyk::test::freshDir("pages-docs").string());
    vyk::test::useBuildSkin();
    QApplication::setQuitOnLastWindowClosed(false);
    cfgtest::RecordingLink link;
    link.monitorRuns = true;
    TDM dm;
    TVYKCFGMAIN w(&dm, &link);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const struct {
        TImageStateButton* tab;
        const char* name;
    } pages[] = {{w.BtnMainConfig, "page-general"}, {w.BtnCPI, "page-dpi"}, {w.BtnColor, "page-light"},
                 {w.BtnUpdate, "page-info"}};
    for (const auto& p : pages) {
        QTest::mouseClick(p.tab, Qt::LeftButton);
        QTest::qWait(50);
        vyk::test::saveScreenshot(&w, QString::fromLatin1(p.name));
    }
}

}  // namespace
