// APPLY of five changed profiles and thirty used 59-action macros, by the real window and its
// real link, against the simulated mouse with its USB timing model on and a stand-in monitor.
//
// Counters per APPLY (milliseconds):
//   wall       the whole APPLY (saving included), from the click to its return
//   pauses     the specified pauses: 100 ms before each profile, 100 ms after command 1
//   transfer   the transfer time the timing model accounts for the reports in the log
//   ratio      wall / (pauses + transfer); the aim is at most 1.05
//   device_ms  the device part alone: from write mode 0 until the monitor was told (the
//              saving to disk before it left out); device_ratio = device_ms / (pauses + transfer)
//   frame_gap  the longest time the UI thread did not get to its events (a 2 ms probe timer)
//              while the progress bar shows (the writes run under it)
//   gap_incl_saving  the same from the click on, the saving to disk before the bar included
//
//   build/bench-bin/vyk_apply_bench [--benchmark_filter=...]
#include "bench/config/timed_sim.h"
#include "config/window/CfgSystemLink.h"
#include "config/window/MainConfig.h"
#include "core/defs/pubunit_norvane.h"
#include "core/device/DeviceEncoders.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"
#include "core/defs/uiThread.h"
#include "platform/ipc/ipc.h"
#include "platform/pointer/recording_pointer_backend.h"
#include "sim/mouse_sim_server.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kProfiles = 5;
constexpr int kMacros = 30;
constexpr int kMacrosPerProfile = kMacros / kProfiles;

// Thirty macros of 59 key actions each in the current set, every one assigned to a button of
// one of the five profiles (six per profile, records 3..8). Each generation gives every macro
// other keys and every profile another colour, so each APPLY has all of them to save and write
// (files that would not change are not written again).
void fillMacrosAndButtons(TVYKCFGMAIN& w, TDM& dm, int generation) {
    std::vector<TMACROKEYINFO> macros(kMacros);
    for (int m = 0; m < kMacros; ++m) {
        TMACROKEYINFO& k = macros[static_cast<std::size_t>(m)];
        k = TMACROKEYINFO{};
        const std::u16string name = u"Macro" + std::u16string(1, static_cast<char16_t>(u'A' + m % 26)) +
                                    std::u16string(1, static_cast<char16_t>(u'0' + m / 26));
        std::copy(name.begin(), name.end(), k.szMacroName);
        k.MacroListCount = MACRO_MAX_DEVICE_ACTIONS;
        k.nMacroIndex = static_cast<std::uint16_t>(m);
        for (int j = 0; j < k.MacroListCount; ++j) {
            k.MacroList[j].nKeyType = MACRO_KEY_TYPE_KEY;
            k.MacroList[j].nKeyState = static_cast<std::uint16_t>(1 - j % 2);
            k.MacroList[j].VALUE1 = static_cast<std::uint8_t>(0x41 + (j + generation) % 26);
        }
    }
    w.FMacroSetClass->CurrentMacroClass()->SetMacroKeyInfoList(macros);
    w.FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();

    auto profile = std::make_unique<TMouseProfileInfo>();
    for (int p = 0; p < kProfiles; ++p) {
        dm.ReadProfileInfo(*profile, p);
        for (int b = 0; b < kMacrosPerProfile; ++b) {
            const int m = p * kMacrosPerProfile + b;
            TBUTTONFUNCINFO& f = profile->ConfigInfo.ButtonFuncInfo[3 + b];
            f.FunctionType = FUNCTION_TYPE_MACRO;
            f.FunctionCode = FUNCTION_CODE_MACRO;
            f.MacroKeyInfo = macros[static_cast<std::size_t>(m)];
        }
        profile->ConfigInfo.LEDConfig.R = static_cast<std::uint8_t>(generation * 37 + p);
        dm.SaveBackToProfileInfo(*profile, p);
    }
    dm.ReadCurrentProfileInfo();
}

// The real link, timing the device part of APPLY: from write mode 0 until the monitor was told.
class TimedLink : public CfgSystemLink {
public:
    QElapsedTimer clock;
    qint64 deviceStartNs = -1;
    qint64 deviceEndNs = -1;
    std::uint32_t SetDeviceWriteMode(std::uint8_t mode) override {
        if (mode == 0 && deviceStartNs < 0) deviceStartNs = clock.nsecsElapsed();
        return CfgSystemLink::SetDeviceWriteMode(mode);
    }
    bool SendToMonitor(std::uint32_t msg, std::int64_t w, std::int64_t l) override {
        const bool r = CfgSystemLink::SendToMonitor(msg, w, l);
        if (msg == WM_CFG_SETTINGS_APPLIED) deviceEndNs = clock.nsecsElapsed();
        return r;
    }
    void reset() {
        clock.start();
        deviceStartNs = deviceEndNs = -1;
    }
};

void BM_ApplyFiveProfilesThirtyMacros(benchmark::State& state) {
    vyk::platform::RecordingPointerBackend pointer;  // the desktop is left alone
    vyk::platform::ScopedPointerBackend pointerScope(&pointer);

    const auto simulated = vyk::bench::startTimedSim(state);
    if (!simulated) return;
    vyk::sim::MouseSimServer& sim = *simulated;
    vyk::platform::ipc::Endpoint monitor(MONITOR_MAIN_CLASS_NAME);
    int reloads = 0;
    monitor.setHandler([&reloads](const vyk::platform::ipc::Message& m) -> std::int64_t {
        if (m.msg == WM_CFG_SETTINGS_APPLIED) ++reloads;
        return 0;
    });
    monitor.listen();

    auto dm = std::make_unique<TDM>();
    auto link = std::make_unique<TimedLink>();
    auto window = std::make_unique<TVYKCFGMAIN>(dm.get(), link.get());
    window->show();

    // The probe: a fast timer; the longest gap between two of its ticks is the longest time
    // the window could not repaint.
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(2);
    QElapsedTimer sinceTick;
    qint64 maxGapNs = 0;     // while the progress bar shows
    qint64 maxAnyGapNs = 0;  // from the click on (the saving before the bar included)
    bool lastTickWithBar = false;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 gap = sinceTick.nsecsElapsed();
        const bool bar = !window->ProgressBarTime->isHidden();
        maxAnyGapNs = std::max(maxAnyGapNs, gap);
        if (bar && lastTickWithBar) maxGapNs = std::max(maxGapNs, gap);
        lastTickWithBar = bar;
        sinceTick.restart();
    });

    double wallMs = 0, deviceMs = 0, transferMs = 0, gapMs = 0, anyGapMs = 0;
    std::int64_t reports = 0;
    int generation = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fillMacrosAndButtons(*window, *dm, ++generation);
        for (int p = 0; p < kProfiles; ++p) dm->SetProfileChanged(p, true);
        sim.clearLog();
        maxGapNs = 0;
        maxAnyGapNs = 0;
        lastTickWithBar = false;
        state.ResumeTiming();

        link->reset();
        sinceTick.start();
        probe.start();
        QElapsedTimer wall;
        wall.start();
        window->BtnApplyClick();
        const qint64 ns = wall.nsecsElapsed();
        // The progress bar runs on; the UI must stay live until it is gone.
        while (!window->ProgressBarTime->isHidden()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        }
        probe.stop();

        state.PauseTiming();
        wallMs += static_cast<double>(ns) / 1e6;
        deviceMs += static_cast<double>(link->deviceEndNs - link->deviceStartNs) / 1e6;
        transferMs += vyk::bench::modelledTransferMs(sim);
        reports += static_cast<std::int64_t>(sim.log().size());
        gapMs = std::max(gapMs, static_cast<double>(maxGapNs) / 1e6);
        anyGapMs = std::max(anyGapMs, static_cast<double>(maxAnyGapNs) / 1e6);
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    const double pausesMs = 100.0 * (kProfiles + 1);
    state.counters["wall_ms"] = wallMs / n;
    state.counters["pauses_ms"] = pausesMs;
    state.counters["transfer_ms"] = transferMs / n;
    state.counters["ratio"] = (wallMs / n) / (pausesMs + transferMs / n);
    state.counters["device_ms"] = deviceMs / n;
    state.counters["device_ratio"] = (deviceMs / n) / (pausesMs + transferMs / n);
    state.counters["frame_gap_ms"] = gapMs;
    state.counters["gap_incl_saving_ms"] = anyGapMs;
    state.counters["reports"] = static_cast<double>(reports) / n;
    state.counters["reloads"] = reloads;

    window.reset();
    link.reset();
    TuiThread::WaitForCalls(std::chrono::seconds(10));
    dm.reset();
    sim.stop();
}
// Each APPLY is followed by its ~2 s progress bar (not timed); a few runs give a stable mean.
BENCHMARK(BM_ApplyFiveProfilesThirtyMacros)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
