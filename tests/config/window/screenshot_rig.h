#pragma once
// The main window as the screenshot tests show it: a private store and Documents folder, the
// build's skin, a recording link with the monitor running, and the language stored before the
// window opens. Edit `dm` between construction and open() to show a particular profile.

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

namespace cfgtest {

namespace detail {

// The private folders and the skin, in place before the data module reads them.
struct ScreenshotEnvironment {
    vyk::test::ScopedEnv registry{"VYK_REGISTRY_ROOT", vyk::test::freshDir("shot-registry").string()};
    vyk::test::ScopedEnv docs{"VYK_DOCUMENTS_DIR", vyk::test::freshDir("shot-docs").string()};
    ScreenshotEnvironment() {
        vyk::test::useBuildSkin();
        QApplication::setQuitOnLastWindowClosed(false);
    }
};

}  // namespace detail

class ScreenshotRig : private detail::ScreenshotEnvironment {
public:
    // language: the short ID of a language of the shipped language file ("0409", "0804", ...).
    explicit ScreenshotRig(const QString& language = QStringLiteral("0409")) {
        link.monitorRuns = true;
        TuiLanguage probe;
        const int index = probe.GetLanguageIndexByShortID(language);
        EXPECT_GE(index, 0) << language.toStdString();
        if (index >= 0) {
            dm.FAllProfileSettingInfo.CurrentLanguage = static_cast<std::uint8_t>(index);
            dm.SaveBackAllProfileSettingInfo();
        }
    }

    // Makes the window on dm as it is now, without showing it (its late pages are not made yet).
    TVYKCFGMAIN& make() {
        window_ = std::make_unique<TVYKCFGMAIN>(&dm, &link);
        return *window_;
    }
    // Opens the window made by make() (else one made now) and waits until it shows.
    TVYKCFGMAIN& open() {
        if (!window_) make();
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }

    RecordingLink link;
    TDM dm;

private:
    std::unique_ptr<TVYKCFGMAIN> window_;
};

}  // namespace cfgtest
