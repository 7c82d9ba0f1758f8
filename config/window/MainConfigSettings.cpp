// TVYKCFGMAIN: the refresh commands of the pages and the immediate DPI write. The controls and
// their handlers live in the pages (DpiPage, PointerPanel on the GENERAL page, LightPage); the
// window runs their refresh commands and writes the DPI levels when a current-level radio
// asks for it.
#include "config/window/MainConfig.h"

#include "config/window/DpiPage.h"
#include "config/window/GeneralPage.h"
#include "config/window/LightPage.h"
#include "config/window/PointerPanel.h"
#include "core/store/DMUnit.h"

void TVYKCFGMAIN::InitCPIControlTable() {
    PageDpi->InitCPIControlTable();
    connect(PageDpi, &TDpiPage::WriteCurrentLevel, this, [this] {
        // Runs inside the radio's guarded handler.
        WriteCPIConfigToDevice(FDM->FCurrentProfileInfo, FDM->FProfileIndex);
    });
}

void TVYKCFGMAIN::WriteCPIConfigToDevice(const TMouseProfileInfo& AProfile, int AProfileIndex) {
    // Results are not looked at: with no mouse the window goes on as usual.
    FLink->WriteDPILevels(AProfile, AProfileIndex);
    TApplySequence::PumpMessagesAndWait();
    ApplySequence->NotifyDeviceAndMonitor();
}

void TVYKCFGMAIN::uiCommandSetting1Commands1Execute() { PageDpi->Refresh(); }

void TVYKCFGMAIN::uiCommandSetting1Commands2Execute() { PageGeneral->Pointer->RefreshMouseParam(); }

void TVYKCFGMAIN::uiCommandSetting1Commands4Execute() { PageGeneral->Pointer->RefreshReport(); }

void TVYKCFGMAIN::uiCommandSetting1Commands5Execute() { PageLight->Refresh(); }
