// TVYKCFGMAIN: profile switching and the profile commands (LOAD FILE, SAVE AS, RESTORE,
// RESET ALL), and the monitor's profile and DPI-level messages.
#include "config/window/MainConfig.h"

#include <stdexcept>
#include <string>

namespace {

void checkRange(std::int64_t value, std::int64_t low, std::int64_t high, const char* what) {
    if (value < low || value > high) {
        throw std::out_of_range(std::string(what) + " " + std::to_string(value) + " is out of range");
    }
}

}  // namespace

void TVYKCFGMAIN::BtnProfile1Click(int tag) {
    checkRange(tag, 0, 4, "Profile");
    // The buttons show the data module's current profile until switching is in place.
    uiCommandSetting1Commands3Execute();
}

void TVYKCFGMAIN::WMSwitchProfile(std::int64_t WParam, std::int64_t) { checkRange(WParam, 0, 4, "Profile"); }

void TVYKCFGMAIN::WMSetCurrentCPIIndex(std::int64_t WParam, std::int64_t) { checkRange(WParam, 0, 4, "DPI level"); }

void TVYKCFGMAIN::BtnLoadMouseUp() {}

void TVYKCFGMAIN::BtnSaveMouseUp() {}

void TVYKCFGMAIN::BtnRestorClick() {}

void TVYKCFGMAIN::BtnRestoreallClick() {}
