// TVYKCFGMAIN: profile switching and the profile commands (LOAD FILE, SAVE AS, RESTORE,
// RESET ALL), the monitor's profile and DPI-level messages, and the store's reports.
//
// A switch makes another slot the data module's current profile and the mouse's active one:
// it writes no profile data (the mouse holds all five), only the active-profile byte and
// command 1, and tells the monitor to reload. Before the slot changes, the record being left
// is kept in its slot when it differs from it (the colour, the DPI level radio and the sensor
// lift live in the record only until the next save-back), so nothing edited is lost by a
// switch; its changed flag then says APPLY has to write it.
//
// A switch, RESTORE and RESET ALL hold the window's inputs and the monitor's messages the way
// APPLY does (ApplyInputQueue) while they write to the mouse and pump events: a profile
// click or a switch reported by the mouse that comes meanwhile runs after them, never in the
// middle. While their questions and the file dialogs are open the mouse's profile and DPI
// switches wait as well, so an answer never lands on another profile. The device results are
// not looked at: with no mouse the window still changes.
//
// LOAD FILE takes only a file of exactly one profile of this format version (anything else gets
// the version warning and changes nothing); values of a loaded profile that the window could
// not have produced are replaced by the store, which reports it, so the controls show what
// APPLY writes.
//
// After RESTORE and RESET ALL the monitor reloads profiles that are not stored yet (the store
// keeps the old ones until APPLY), so its button mapping follows the old profile until then.
#include "config/window/MainConfig.h"

#include "config/dialogs/showdialog.h"
#include "config/dialogs/showdialog2.h"
#include "config/window/ApplyInputQueue.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/record_text.h"
#include "core/defs/vyk_messages.h"
#include "core/language/vgLang.h"
#include "core/store/DMUnit.h"
#include "core/store/Function_Norvanes.h"
#include "platform/diag/diag.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

using vyk::toolkit::translate;

namespace {

void checkRange(std::int64_t value, std::int64_t low, std::int64_t high, const char* what) {
    if (value < low || value > high) {
        throw std::out_of_range(std::string(what) + " " + std::to_string(value) + " is out of range");
    }
}

// Keeps the current record in its slot when it holds values the slot does not have yet.
void keepRecordBeingLeft(TDM& dm) {
    if (!dm.IsProfileIndexInRange(dm.FProfileIndex)) return;
    // Read over a copy, so a stored record shorter than the working copy compares equal in
    // the tail it does not have.
    auto stored = std::make_unique<TMouseProfileInfo>(dm.FCurrentProfileInfo);
    if (!dm.ReadProfileInfo(*stored, dm.FProfileIndex)) return;
    if (std::memcmp(static_cast<const void*>(stored.get()), static_cast<const void*>(&dm.FCurrentProfileInfo),
                    sizeof(TMouseProfileInfo)) != 0) {
        dm.SaveBackToCurrentProfileInfo();
    }
}

}  // namespace

void TVYKCFGMAIN::BtnProfile1Click(int tag) {
    checkRange(tag, 0, 4, "Profile");
    vyk::config::ApplyInputQueue::Scope hold(ApplyQueue());
    TDM& dm = *FDM;
    const bool changed = FState.SettingsChanged;

    // The record being left stays in its slot; the new slot becomes the current profile, and
    // its stored folder the one the file dialogs open in.
    keepRecordBeingLeft(dm);
    dm.SwitchToProfile(tag);
    dm.SaveBackAllProfileSettingInfo();
    {
        const TProfileSetting& slot = dm.FProfileSettingGroup.ProfileSettingList[tag];
        const QString folder = vyk::defs::recordText(slot.FilePath);
        if (!folder.isEmpty()) FProfilePath = folder;
    }

    // The refresh shows the new profile; it is not an edit of it.
    FState.FillFromProfile(dm.FCurrentProfileInfo);
    RebuildMacroMenu();
    RebindMacroButtons();
    RefreshAll();
    FState.SettingsChanged = changed;

    // The mouse's active profile and command 1, the mouse looked for once for both reports;
    // then the monitor reloads.
    {
        CfgLink::DeviceHold device(*FLink);
        FLink->WriteActiveProfile(static_cast<std::uint8_t>(tag));  // the byte at 0x43
        PumpMessages();
        FLink->SendProfileCommand(1, static_cast<std::uint8_t>(dm.FAllProfileSettingInfo.CurrentGame & 0xFF));
    }
    FLink->SendToMonitor(WM_CFG_SETTINGS_APPLIED, 1, tag);
}

void TVYKCFGMAIN::WMSwitchProfile(std::int64_t WParam, std::int64_t) {
    // Runs inside the monitor's send: the monitor handles the reload message of the switch
    // while it waits for this one.
    checkRange(WParam, 0, 4, "Profile");
    BtnProfile1Click(static_cast<int>(WParam));
}

void TVYKCFGMAIN::WMSetCurrentCPIIndex(std::int64_t WParam, std::int64_t) {
    // Shown only: not saved, not written, not an edit. A level the window has no row for is
    // refused (reported) and changes nothing.
    checkRange(WParam, 0, 4, "DPI level");
    FDM->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = static_cast<std::int32_t>(WParam);
    RefreshCPIIndicators();
}

void TVYKCFGMAIN::BtnLoadMouseUp() {
    // The loaded profile reaches the mouse with the next APPLY. A switch reported by the mouse
    // while the file dialog is open waits, so the file goes into the profile it was chosen for.
    vyk::config::ApplyInputQueue::DialogScope asking(ApplyQueue());
    switch (ImportProfileFromFile(*FDM, FProfilePath)) {
    case IMPORT_PROFILE_DONE: {
        RebindMacroButtons();
        RebuildMacroMenu();
        FState.FillFromProfile(FDM->FCurrentProfileInfo);
        RefreshAll();
        // Not on the mouse yet: APPLY or the close question takes it there.
        FState.SettingsChanged = true;
        ShowStoreReports();
        break;
    }
    case IMPORT_PROFILE_WRONG_VERSION:
        ShowDialog(translate(QStringLiteral("WARNING")),
                   translate(QStringLiteral("GAMING MOUSE PROFILE VERSION INCORRECT!")));
        break;
    default: break;
    }
}

void TVYKCFGMAIN::BtnSaveMouseUp() {
    // A folder that refuses the file is reported by the export itself.
    vyk::config::ApplyInputQueue::DialogScope asking(ApplyQueue());
    ExportProfileToFile(*FDM, FProfilePath);
}

void TVYKCFGMAIN::BtnRestorClick() {
    // These questions are shown as written, in every language. The answer is for the profile
    // shown when it was asked: a switch reported meanwhile runs after the restore.
    vyk::config::ApplyInputQueue::DialogScope asking(ApplyQueue());
    if (ShowDialog2(QStringLiteral("RESET THIS PROFILE"), QStringLiteral("ARE YOU SURE YOU WANT TO RESET THIS PROFILE ?"),
                    QStringLiteral("RESET THE CURRENT PROFILE BACK TO FACTORY SETTING.")) != 1) {
        return;
    }
    vyk::config::ApplyInputQueue::Scope hold(ApplyQueue());
    TDM& dm = *FDM;
    dm.RestoreCurrentProfileInfoToDefault();
    FState.FillFromProfile(dm.FCurrentProfileInfo);
    RebuildMacroMenu();
    WriteProfileCPIToDevice(dm.FCurrentProfileInfo, dm.FProfileIndex);
    RefreshAll();
    FState.SettingsChanged = true;
}

void TVYKCFGMAIN::BtnRestoreallClick() {
    vyk::config::ApplyInputQueue::DialogScope asking(ApplyQueue());
    if (ShowDialog2(QStringLiteral("RESET ALL PROFILES"),
                    QStringLiteral("ARE YOU SURE YOU WANT TO RESET ALL PROFILES BACK TO FACTORY SETTINGS  ?"),
                    QStringLiteral("RESET THE CURRENT PROFILE BACK TO FACTORY SETTING.")) != 1) {
        return;
    }
    vyk::config::ApplyInputQueue::Scope hold(ApplyQueue());
    TDM& dm = *FDM;
    dm.RestoreAllProfileInfoToDefault();
    // The factory record is now the current one: nothing of the old one is kept by the switch.
    BtnProfile1Click(4);
    WriteProfileCPIToDevice(dm.FCurrentProfileInfo, dm.FProfileIndex);
    // Every profile waits for APPLY.
    FState.SettingsChanged = true;
}

void TVYKCFGMAIN::ShowStoreReports() {
    // Each once, also when the window is shown again; the monitor's messages wait meanwhile.
    const QStringList macroProblems = std::exchange(FStartupProblems, {});
    const QList<TStoreReport> storeReports = FDM->TakeStoreReports();
    if (macroProblems.isEmpty() && storeReports.isEmpty()) return;
    vyk::config::ApplyInputQueue::DialogScope asking(ApplyQueue());
    for (const QString& text : macroProblems) ShowDialog(translate(QStringLiteral("WARNING")), text);
    for (const TStoreReport& r : storeReports) {
        vyk::platform::debugLog(QStringLiteral("config: store: ") + r.Format());
        ShowDialog(translate(QStringLiteral("WARNING")), r.Format(translate));
    }
}
