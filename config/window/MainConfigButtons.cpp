// TVYKCFGMAIN: button assignment, the macro menu and the mouse views.
#include "config/window/MainConfig.h"

void TVYKCFGMAIN::RebuildMacroMenu() {}

void TVYKCFGMAIN::RebindMacroButtons() {}

void TVYKCFGMAIN::ShowMouseView(bool) {}

void TVYKCFGMAIN::SetMenuFontFamily(const QString&) {}

void TVYKCFGMAIN::uiCommandSetting1Commands0Execute() {}
