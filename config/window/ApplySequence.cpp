#include "config/window/ApplySequence.h"

#include "config/dialogs/showdialog.h"
#include "config/link/CfgLink.h"
#include "config/window/ApplyInputQueue.h"
#include "config/window/ButtonAssignment.h"
#include "config/window/CfgState.h"
#include "core/defs/device_access.h"
#include "core/defs/vyk_messages.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"
#include "platform/paths/write_job.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

using vyk::toolkit::translate;

namespace {

constexpr int kPauseMs = 100;

// What the mouse receives of the current macro set: its macros, and the indexes that a button
// of any of the five profiles uses. A macro used only by buttons whose macro the database does
// not show is not written: the mouse keeps what it holds there.
std::unique_ptr<TUsedMacros> usedMacros(const TuiMacroSetClass& macros, const TDM& dm,
                                        const vyk::config::TMacroButtonBinding& binding) {
    auto used = std::make_unique<TUsedMacros>();
    if (macros.CurrentMacroClass() != nullptr) macros.CurrentMacroClass()->GetMacroKeyInfoList(used->List);
    for (const int m : binding.MacroIndexesToWrite(dm)) {
        if (m >= 0 && m < kMacroSlots) used->Used.set(static_cast<std::size_t>(m));
    }
    return used;
}

// The macro buttons of a profile whose macro the database does not show: they announce what
// their records hold, as they did when they were written.
TButtonRecordSet unseenMacroButtons(const TMouseProfileInfo& profile, int index,
                                    const vyk::config::TMacroButtonBinding& binding) {
    TButtonRecordSet unseen;
    for (int k = 0; k < kButtonRecords; ++k) {
        const TBUTTONFUNCINFO& b = profile.ConfigInfo.ButtonFuncInfo[k];
        if (b.FunctionCode == FUNCTION_CODE_MACRO && binding.IsUnseen(index, k, b)) {
            unseen.set(static_cast<std::size_t>(k));
        }
    }
    return unseen;
}

}  // namespace

TApplySequence::TApplySequence(TDM& dm, TCfgState& state, CfgLink& link, TuiMacroSetClass& macros,
                               const vyk::config::TMacroButtonBinding& binding, TButtonAssignment& assignment,
                               QueueFn queue, StartProgressFn startProgress, ShowStoreReportsFn showStoreReports)
    : FDM(dm),
      FState(state),
      FLink(link),
      FMacroSetClass(macros),
      FMacroBinding(binding),
      FAssignment(assignment),
      FQueue(std::move(queue)),
      FStartProgress(std::move(startProgress)),
      FShowStoreReports(std::move(showStoreReports)) {}

bool TApplySequence::ApplySettings() {
    vyk::config::ApplyInputQueue::Scope hold(FQueue());
    TDM& dm = FDM;

    // Save everything. A storage error ends APPLY here, before the mouse is touched. The macro
    // buttons of every profile are bound to the macros as they are now (a macro deleted or
    // moved since a profile was last shown), so no button runs a stale macro index. The records
    // are copied here and written in order on a worker thread while the window keeps painting
    // (the inputs stay held); the macro database comes last, and all of it is flushed before
    // the mouse is written. Files that would not change are not written.
    FAssignment.RebindMacroButtonsInAllProfiles();
    {
        vyk::platform::WriteJob save;
        dm.PrepareSaveAll(save);
        FMacroSetClass.PrepareSaveMacroSetDB(save);
        save.RunOffThread();
    }
    // A profile file the store refused to write (its folder now leads out of the profile
    // folder) is said before the mouse is written.
    FShowStoreReports();

    // The edits are applied; the pointer settings go to the desktop (on a worker thread).
    FState.SettingsChanged = false;
    FLink.ApplyPointerSettings(FState.MouseParams);

    // The mouse stays open from here until command 1 was sent (a failed operation closes it,
    // the next one looks for it again).
    std::optional<CfgLink::DeviceHold> deviceHold(std::in_place, FLink);
    if (!FLink.DeviceExists()) {
        deviceHold.reset();
        // A mouse that is plugged in but refused to this user is not asked to be connected:
        // the warning names the udev rule that opens it.
        if (FLink.DeviceAccessDenied()) {
            ShowDialog(translate(QStringLiteral("WARNING")),
                       translate(DEVICE_ACCESS_DENIED_TEXT).arg(DeviceUdevRuleFile()));
        } else {
            ShowDialog(translate(QStringLiteral("WARNING")),
                       translate(QStringLiteral("PLEASE CONNECT YOUR MOUSE DEVICE BEFORE APPLY NEW SETTINGS!")));
        }
        return false;
    }

    // From here on the sequence always runs to its end, so the mouse leaves write mode 0; a
    // failed write is remembered, a storage error is raised after the end.
    bool written = true;
    auto check = [&written](std::uint32_t result) {
        if (result != 0) written = false;
        return result == 0;
    };
    std::exception_ptr storeError;

    // The mouse goes into write mode.
    check(FLink.SetDeviceWriteMode(0));

    // The mouse's current DPI level; a failed read or a level outside 0..4 keeps ours. It is
    // read and saved before the progress bar starts, so that the bar never waits for the
    // disk; the mouse sees the same reports in the same order.
    std::int32_t level = dm.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex;
    if (FLink.ReadCurrentCPIIndex(level) == 0 && level >= 0 && level <= 4) {
        dm.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = level;
    }
    try {
        dm.SaveBackToCurrentProfileInfo();
        dm.SaveCurrentProfileInfoToRegistry();
    } catch (...) {
        storeError = std::current_exception();
    }

    // The progress bar runs while the mouse is written.
    FStartProgress(FState.ReportRateChanged);

    // The changed profiles; a profile keeps its flag unless all of it was written.
    auto profile = std::make_unique<TMouseProfileInfo>();
    for (int i = 0; i < 5; ++i) {
        if (!dm.IsProfileChanged(i)) continue;
        if (!dm.ReadProfileInfo(*profile, i)) {
            written = false;
            continue;
        }
        if (WriteProfileToDevice(*profile, i))
            dm.SetProfileChanged(i, false);
        else
            written = false;
        PumpMessages();
    }

    // The used macros of the current set, one at a time so the window keeps painting.
    check(FLink.WriteUsedMacros(*usedMacros(FMacroSetClass, dm, FMacroBinding), [] { PumpMessages(); }));

    // The active profile, the end of write mode, and command 1, which makes the mouse take
    // what was written.
    check(FLink.WriteActiveProfile(static_cast<std::uint8_t>(dm.FProfileIndex)));
    PumpMessages();
    check(FLink.SetDeviceWriteMode(1));
    PumpMessages();
    check(FLink.SendProfileCommand(1, 0));
    deviceHold.reset();
    PumpMessagesAndWait();

    // The monitor reloads before the send returns (a monitor that does not answer counts as
    // missing after the peer timeout).
    FLink.SendToMonitor(WM_CFG_SETTINGS_APPLIED, 1, dm.FProfileIndex);

    if (!written) {
        vyk::platform::debugLog(QStringLiteral("config: APPLY could not write everything to the mouse"));
        ShowDialog(
            translate(QStringLiteral("WARNING")),
            translate(QStringLiteral(
                "THE SETTINGS COULD NOT BE WRITTEN TO THE MOUSE. PLEASE CHECK THE MOUSE AND PRESS APPLY AGAIN.")));
    }
    if (storeError) std::rethrow_exception(storeError);
    return written;
}

bool TApplySequence::WriteProfileToDevice(const TMouseProfileInfo& AProfile, int AProfileIndex) {
    PumpMessagesAndWait();
    const auto macros = usedMacros(FMacroSetClass, FDM, FMacroBinding);
    return FLink.WriteProfile(AProfile, AProfileIndex, *macros,
                              unseenMacroButtons(AProfile, AProfileIndex, FMacroBinding), [] { PumpMessages(); }) == 0;
}

void TApplySequence::NotifyDeviceAndMonitor() {
    FLink.SendProfileCommand(1, 0);
    PumpMessagesAndWait();
    FLink.SendToMonitor(WM_CFG_SETTINGS_APPLIED, 1, FDM.FProfileIndex);
}

void TApplySequence::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TApplySequence::PumpMessagesAndWait() {
    // The pause keeps handling events (paint, timers, the progress bar) while it waits; the
    // events handled first are part of it.
    QElapsedTimer elapsed;
    elapsed.start();
    PumpMessages();
    QTimer wake;  // wakes the wait below shortly before the pause is over
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    constexpr qint64 pauseNs = qint64{kPauseMs} * 1000 * 1000;
    constexpr qint64 msNs = 1000 * 1000;
    for (;;) {
        const qint64 leftNs = pauseNs - elapsed.nsecsElapsed();
        if (leftNs <= 0) break;
        if (leftNs > 2 * msNs) {
            if (!wake.isActive()) wake.start(static_cast<int>(leftNs / msNs - 1));
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            continue;
        }
        // The last two milliseconds at most: the event loop's timers are too coarse for them
        // (they would end the pause up to a millisecond late).
        PumpMessages();
        const qint64 restNs = pauseNs - elapsed.nsecsElapsed();
        if (restNs > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(restNs));
        break;
    }
}
