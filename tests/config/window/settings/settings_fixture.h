#pragma once
// Shared by the settings tests: the window on the simulated mouse (tests/config/window/
// sim_window_fixture.h), opened on one of its pages.

#include "tests/config/window/sim_window_fixture.h"

namespace settingstest {

using cfgtest::snapshot;

class SettingsTest : public cfgtest::SimWindowTest {
protected:
    using SimWindowTest::open;
    // The window, shown on the given tab (0 GENERAL, 1 DPI, 2 LIGHT), with the logs cleared.
    TVYKCFGMAIN& open(int tab) {
        TVYKCFGMAIN& w = open();
        TImageStateButton* tabs[] = {w.BtnMainConfig, w.BtnCPI, w.BtnColor};
        QTest::mouseClick(tabs[tab], Qt::LeftButton);
        clearLogs();
        return w;
    }
};

}  // namespace settingstest
