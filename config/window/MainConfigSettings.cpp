// TVYKCFGMAIN: DPI, polling, lighting and pointer controls.
#include "config/window/MainConfig.h"

void TVYKCFGMAIN::InitCPIControlTable() {}

void TVYKCFGMAIN::RefreshCPIIndicators() {}

void TVYKCFGMAIN::uiCommandSetting1Commands1Execute() {}

void TVYKCFGMAIN::uiCommandSetting1Commands2Execute() {}

void TVYKCFGMAIN::uiCommandSetting1Commands4Execute() {}

void TVYKCFGMAIN::uiCommandSetting1Commands5Execute() {}
