// TVYKCFGMAIN: APPLY and OK (saving and writing to the mouse), the short tail that tells the
// mouse and the monitor, the message pumps between device writes and the progress bar.
//
// Every device result is checked: a profile whose blocks did not all reach the mouse keeps its
// changed flag (the next APPLY writes it again), and the user is told once, after the whole
// sequence ran, so the mouse is never left in write mode 0 by an early stop. Inputs that would
// interleave with the writes (profile buttons, DPI radios, OK/APPLY, the monitor's profile,
// DPI-level and close messages, ...) wait in the window's ApplyInputQueue and run afterwards.
#include "config/window/MainConfig.h"

#include "config/dialogs/showdialog.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/window/ApplyInputQueue.h"
#include "core/defs/device_access.h"
#include "core/defs/pubunit_norvane.h"
#include "core/device/DeviceEncoders.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

using vyk::toolkit::translate;

namespace {

// The fixed assignment of button record 18 (the one the window never shows): profile switch.
constexpr int kFixedRecord = 18;
constexpr std::int32_t kFixedFunctionCode = FUNCTION_CODE_PROFILE_SWITCH;  // 13

constexpr int kPauseMs = 100;

// Enables a button again when the handler that disabled it ends, also by an error.
class ReEnable {
public:
    explicit ReEnable(QWidget* w) : FWidget(w) { FWidget->setEnabled(false); }
    ~ReEnable() { FWidget->setEnabled(true); }
    ReEnable(const ReEnable&) = delete;
    ReEnable& operator=(const ReEnable&) = delete;

private:
    QWidget* FWidget;
};

// The macros of the current set as the mouse receives them: the blocks of every macro that a
// button of any of the five profiles uses; the others have length 0 and are not written.
// A macro used only by buttons whose macro the database does not show is not written: the
// mouse keeps what it holds there.
std::unique_ptr<TMacroTables> usedMacroTables(const TuiMacroSetClass* macros, const TDM& dm,
                                              const vyk::config::TMacroButtonBinding& binding) {
    auto tables = std::make_unique<TMacroTables>();  // zero-filled
    auto list = std::make_unique<TMACROKEYINFOLIST>();
    if (macros != nullptr && macros->CurrentMacroClass() != nullptr) {
        macros->CurrentMacroClass()->GetMacroKeyInfoList(*list);
    }
    BuildMacroTables(*list, *tables);
    const QList<int> used = binding.MacroIndexesToWrite(dm);
    for (int m = 0; m < MACRO_BLOCK_COUNT; ++m) {
        if (!used.contains(m)) tables->Lengths[m] = 0;
    }
    return tables;
}

// Lets each macro button of the working copy announce the macro actually written at its
// index: its action count and loop flag from the current set, 0 actions when nothing is
// written there (an unknown index, an empty or unused macro). A button whose macro the
// database does not show announces what its record holds, as it did when it was written.
void announceWrittenMacros(TMouseProfileInfo& copy, int profile, const TMacroTables& tables,
                           const TMACROKEYINFOLIST& list, const vyk::config::TMacroButtonBinding& binding) {
    for (int k = 0; k < DEVICE_BUTTON_COUNT; ++k) {
        TBUTTONFUNCINFO& b = copy.ConfigInfo.ButtonFuncInfo[k];
        if (b.FunctionCode != FUNCTION_CODE_MACRO || binding.IsUnseen(profile, k, b)) continue;
        TMACROKEYINFO& m = b.MacroKeyInfo;
        const int index = m.nMacroIndex;
        const bool written = index < MACRO_BLOCK_COUNT && tables.Lengths[index] > 0;
        m.MacroListCount = written ? tables.Lengths[index] / MACRO_ENTRY_SIZE - 1 : 0;
        if (written && index < list.nMacroInfoCount) {
            m.nLoopRunWhenPressed = list.MacroInfos[index].nLoopRunWhenPressed;
        }
    }
}

}  // namespace

vyk::config::ApplyInputQueue& TVYKCFGMAIN::ApplyQueue() {
    if (FApplyQueue == nullptr) {
        FApplyQueue = new vyk::config::ApplyInputQueue(
            this, *FLink, [this](std::uint32_t msg, std::int64_t w, std::int64_t l) { return HandleMessage(msg, w, l); });
    }
    return *FApplyQueue;
}

void TVYKCFGMAIN::BtnApplyClick() {
    // The held inputs run after the button is back (the scopes end in reverse order).
    vyk::config::ApplyInputQueue::Scope hold(ApplyQueue());
    ReEnable enable(BtnApply);
    ApplySettings();
}

void TVYKCFGMAIN::BtnOKClick() {
    vyk::config::ApplyInputQueue::Scope hold(ApplyQueue());
    ReEnable enable(BtnOK);
    // The window closes once the progress bar is gone; it stays open when APPLY failed.
    if (ApplySettings()) Timer2->start();
}

bool TVYKCFGMAIN::ApplySettings() {
    vyk::config::ApplyInputQueue::Scope hold(ApplyQueue());
    TDM& dm = *FDM;

    // 1. Save everything. A storage error ends APPLY here, before the mouse is touched. The
    // macro buttons of every profile are bound to the macros as they are now (a macro deleted
    // or moved since a profile was last shown), so no button runs a stale macro index.
    // The macro database is saved last, under the same flush of the folders; files that would
    // not change are not written.
    RebindMacroButtonsInAllProfiles();
    dm.SaveAll([this] { FMacroSetClass->SaveMacroSetDB(); });
    // A profile file the store refused to write (its folder now leads out of the profile
    // folder) is said before the mouse is written.
    ShowStoreReports();

    // 2-3.
    FState.SettingsChanged = false;
    FLink->ApplyPointerSettings(FState.MouseParams);

    // 4. The mouse stays open from here until command 1 was sent (a failed operation closes
    // it, the next one looks for it again).
    std::optional<CfgLink::DeviceHold> deviceHold(std::in_place, *FLink);
    if (!FLink->DeviceExists()) {
        deviceHold.reset();
        // A mouse that is plugged in but refused to this user is not asked to be connected:
        // the warning names the udev rule that opens it.
        if (FLink->DeviceAccessDenied()) {
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

    // 5.
    check(FLink->SetDeviceWriteMode(0));

    // 7. The mouse's current DPI level; a failed read or a level outside 0..4 keeps ours. It
    // is read and saved before the progress bar starts (6.), so that the bar never waits for
    // the disk; the mouse sees the same reports in the same order.
    std::int32_t level = dm.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex;
    if (FLink->ReadCurrentCPIIndex(level) == 0 && level >= 0 && level <= 4) {
        dm.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = level;
    }
    try {
        dm.SaveBackToCurrentProfileInfo();
        dm.SaveCurrentProfileInfoToRegistry();
    } catch (...) {
        storeError = std::current_exception();
    }

    // 6.
    TimerProcess->stop();
    TimerProcess->setInterval(FState.ReportRateChanged ? 200 : 100);
    TimerProcess->start();
    ProgressBarTime->show();

    // 8. The changed profiles; a profile keeps its flag unless all of it was written.
    auto profile = std::make_unique<TMouseProfileInfo>();
    for (int i = 0; i < 5; ++i) {
        if (!dm.IsProfileChanged(i)) continue;
        if (!dm.ReadProfileInfo(*profile, i)) {
            written = false;
            continue;
        }
        bool ok = WriteProfileToDevice(*profile, i);
        ok = check(FLink->WriteReportRate(ReportRateToDeviceCode(*profile), i)) && ok;
        if (ok) dm.SetProfileChanged(i, false);
        else written = false;
        PumpMessages();
    }

    // 9. The used macros of the current set, one at a time so the window keeps painting.
    const auto tables = usedMacroTables(FMacroSetClass.get(), dm, FMacroBinding);
    auto one = std::make_unique<TMacroTables>();
    for (int m = 0; m < MACRO_BLOCK_COUNT; ++m) {
        if (tables->Lengths[m] <= 0) continue;
        *one = TMacroTables{};
        std::copy(std::begin(tables->Blocks[m]), std::end(tables->Blocks[m]), std::begin(one->Blocks[m]));
        one->Lengths[m] = tables->Lengths[m];
        check(FLink->WriteMacroTables(*one));
        PumpMessages();
    }

    // 10-12.
    check(FLink->WriteActiveProfile(static_cast<std::uint8_t>(dm.FProfileIndex)));
    PumpMessages();
    check(FLink->SetDeviceWriteMode(1));
    PumpMessages();
    check(FLink->SendProfileCommand(1, 0));
    deviceHold.reset();
    PumpMessagesAndWait();

    // 13. The monitor reloads before the send returns (a monitor that does not answer counts
    // as missing after the peer timeout).
    FLink->SendToMonitor(WM_CFG_SETTINGS_APPLIED, 1, dm.FProfileIndex);

    if (!written) {
        vyk::platform::debugLog(QStringLiteral("config: APPLY could not write everything to the mouse"));
        ShowDialog(translate(QStringLiteral("WARNING")),
                   translate(QStringLiteral(
                       "THE SETTINGS COULD NOT BE WRITTEN TO THE MOUSE. PLEASE CHECK THE MOUSE AND PRESS APPLY AGAIN.")));
    }
    if (storeError) std::rethrow_exception(storeError);
    return written;
}

bool TVYKCFGMAIN::WriteProfileToDevice(const TMouseProfileInfo& AProfile, int AProfileIndex) {
    PumpMessagesAndWait();

    // The working copy: all 19 records, record 18 the fixed profile switch, in device order.
    auto copy = std::make_unique<TMouseProfileInfo>(AProfile);
    TMOUSECONFIGINFO& c = copy->ConfigInfo;
    c.ButtonCount = DEVICE_BUTTON_COUNT;
    c.ButtonFuncInfo[kFixedRecord].FunctionType = FUNCTION_TYPE_FIXED;
    c.ButtonFuncInfo[kFixedRecord].FunctionCode = kFixedFunctionCode;
    {
        auto list = std::make_unique<TMACROKEYINFOLIST>();
        if (FMacroSetClass && FMacroSetClass->CurrentMacroClass() != nullptr) {
            FMacroSetClass->CurrentMacroClass()->GetMacroKeyInfoList(*list);
        }
        const auto tables = usedMacroTables(FMacroSetClass.get(), *FDM, FMacroBinding);
        announceWrittenMacros(*copy, AProfileIndex, *tables, *list, FMacroBinding);
    }
    ReorderButtonFunctions(*copy, DeviceButtonOrder);

    CfgLink::TButtonBlock buttons{};
    BuildButtonTable(*copy, buttons);
    TLEDCONFIG led = c.LEDConfig;
    led.R = static_cast<std::uint8_t>(~led.R);
    led.G = static_cast<std::uint8_t>(~led.G);
    led.B = static_cast<std::uint8_t>(~led.B);
    CfgLink::TCPIBlock cpi{};
    BuildCPITable(*copy, cpi);

    bool ok = FLink->WriteButtonTable(buttons, AProfileIndex) == 0;
    PumpMessages();
    ok = FLink->WriteLEDConfig(led, AProfileIndex) == 0 && ok;
    PumpMessages();
    ok = FLink->WriteCPITable(cpi, AProfileIndex) == 0 && ok;
    PumpMessages();
    return ok;
}

void TVYKCFGMAIN::NotifyDeviceAndMonitor() {
    FLink->SendProfileCommand(1, 0);
    PumpMessagesAndWait();
    FLink->SendToMonitor(WM_CFG_SETTINGS_APPLIED, 1, FDM->FProfileIndex);
}

void TVYKCFGMAIN::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TVYKCFGMAIN::PumpMessagesAndWait() {
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

void TVYKCFGMAIN::TimerProcessTimer() {
    const int value = ProgressBarTime->value();
    if (value == 90) {
        // The last step lingers for a second.
        TimerProcess->stop();
        TimerProcess->setInterval(1000);
        TimerProcess->start();
        ProgressBarTime->setValue(value + 1);
        return;
    }
    const int next = value + 10;
    if (next >= 100) {
        TimerProcess->stop();
        ProgressBarTime->hide();
        ProgressBarTime->setValue(0);
    } else {
        ProgressBarTime->setValue(next);
    }
}

void TVYKCFGMAIN::Timer2Timer() {
    if (!ProgressBarTime->isHidden()) return;
    Timer2->stop();
    close();
}
