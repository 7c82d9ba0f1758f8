#include "config/window/ProfileCommands.h"

#include "config/dialogs/showdialog.h"
#include "config/dialogs/showdialog2.h"
#include "config/link/CfgLink.h"
#include "config/window/ApplyInputQueue.h"
#include "config/window/ApplySequence.h"
#include "config/window/ButtonAssignment.h"
#include "config/window/CfgState.h"
#include "core/defs/record_text.h"
#include "core/defs/vyk_messages.h"
#include "core/language/vgLang.h"
#include "core/store/DMUnit.h"
#include "core/store/Function_Norvanes.h"

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

TProfileCommands::TProfileCommands(TDM& dm, TCfgState& state, CfgLink& link, TButtonAssignment& assignment,
                                   QueueFn queue, TWindowRefresh refresh)
    : FDM(dm),
      FState(state),
      FLink(link),
      FAssignment(assignment),
      FQueue(std::move(queue)),
      FRefresh(std::move(refresh)) {}

void TProfileCommands::BtnProfile1Click(int tag) {
    checkRange(tag, 0, 4, "Profile");
    vyk::config::ApplyInputQueue::Scope hold(FQueue());
    TDM& dm = FDM;
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
    FAssignment.RebuildMacroMenu();
    FAssignment.RebindMacroButtons();
    FRefresh.RefreshAll();
    FState.SettingsChanged = changed;

    // The mouse's active profile and command 1, the mouse looked for once for both reports;
    // then the monitor reloads.
    {
        CfgLink::DeviceHold device(FLink);
        FLink.WriteActiveProfile(static_cast<std::uint8_t>(tag));  // the byte at 0x43
        TApplySequence::PumpMessages();
        FLink.SendProfileCommand(1, static_cast<std::uint8_t>(dm.FAllProfileSettingInfo.CurrentGame & 0xFF));
    }
    FLink.SendToMonitor(WM_CFG_SETTINGS_APPLIED, 1, tag);
}

void TProfileCommands::WMSwitchProfile(std::int64_t profile) {
    // Runs inside the monitor's send: the monitor handles the reload message of the switch
    // while it waits for this one.
    checkRange(profile, 0, 4, "Profile");
    BtnProfile1Click(static_cast<int>(profile));
}

void TProfileCommands::WMSetCurrentCPIIndex(std::int64_t level) {
    // A level the window has no row for is refused (reported) and changes nothing.
    checkRange(level, 0, 4, "DPI level");
    FDM.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = static_cast<std::int32_t>(level);
    FRefresh.RefreshCPIIndicators();
}

void TProfileCommands::BtnLoadMouseUp() {
    // The loaded profile reaches the mouse with the next APPLY. A switch reported by the mouse
    // while the file dialog is open waits, so the file goes into the profile it was chosen for.
    vyk::config::ApplyInputQueue::DialogScope asking(FQueue());
    switch (ImportProfileFromFile(FDM, FProfilePath)) {
    case IMPORT_PROFILE_DONE: {
        FAssignment.RebindMacroButtons();
        FAssignment.RebuildMacroMenu();
        FState.FillFromProfile(FDM.FCurrentProfileInfo);
        FRefresh.RefreshAll();
        // Not on the mouse yet: APPLY or the close question takes it there.
        FState.SettingsChanged = true;
        FRefresh.ShowStoreReports();
        break;
    }
    case IMPORT_PROFILE_WRONG_VERSION:
        ShowDialog(translate(QStringLiteral("WARNING")),
                   translate(QStringLiteral("GAMING MOUSE PROFILE VERSION INCORRECT!")));
        break;
    default: break;
    }
}

void TProfileCommands::BtnSaveMouseUp() {
    // A folder that refuses the file is reported by the export itself.
    vyk::config::ApplyInputQueue::DialogScope asking(FQueue());
    ExportProfileToFile(FDM, FProfilePath);
}

void TProfileCommands::BtnRestorClick() {
    // These questions are shown as written, in every language. The answer is for the profile
    // shown when it was asked: a switch reported meanwhile runs after the restore.
    vyk::config::ApplyInputQueue::DialogScope asking(FQueue());
    if (ShowDialog2(QStringLiteral("RESET THIS PROFILE"),
                    QStringLiteral("ARE YOU SURE YOU WANT TO RESET THIS PROFILE ?"),
                    QStringLiteral("RESET THE CURRENT PROFILE BACK TO FACTORY SETTING.")) != 1) {
        return;
    }
    vyk::config::ApplyInputQueue::Scope hold(FQueue());
    TDM& dm = FDM;
    dm.RestoreCurrentProfileInfoToDefault();
    FState.FillFromProfile(dm.FCurrentProfileInfo);
    FAssignment.RebuildMacroMenu();
    WriteProfileCPIToDevice(dm.FCurrentProfileInfo, dm.FProfileIndex);
    FRefresh.RefreshAll();
    FState.SettingsChanged = true;
}

void TProfileCommands::BtnRestoreallClick() {
    vyk::config::ApplyInputQueue::DialogScope asking(FQueue());
    if (ShowDialog2(QStringLiteral("RESET ALL PROFILES"),
                    QStringLiteral("ARE YOU SURE YOU WANT TO RESET ALL PROFILES BACK TO FACTORY SETTINGS  ?"),
                    QStringLiteral("RESET THE CURRENT PROFILE BACK TO FACTORY SETTING.")) != 1) {
        return;
    }
    vyk::config::ApplyInputQueue::Scope hold(FQueue());
    TDM& dm = FDM;
    dm.RestoreAllProfileInfoToDefault();
    // The factory record is now the current one: nothing of the old one is kept by the switch.
    BtnProfile1Click(4);
    WriteProfileCPIToDevice(dm.FCurrentProfileInfo, dm.FProfileIndex);
    // Every profile waits for APPLY.
    FState.SettingsChanged = true;
}

void TProfileCommands::WriteProfileCPIToDevice(const TMouseProfileInfo& AProfile, int AProfileIndex) {
    TApplySequence::PumpMessagesAndWait();
    FLink.WriteDPILevels(AProfile, AProfileIndex);
    TApplySequence::PumpMessages();
}
