// A profile switch by the real window and its real link, from the click on a profile button
// until the monitor receives the reload message (7035), against the simulated mouse with its
// USB timing model on and a stand-in monitor endpoint.
//
// Counters per switch (milliseconds):
//   click_to_7035  from the click until the stand-in monitor's handler runs
//   transfer       the transfer time the timing model accounts for the switch's reports
//                  (active-profile byte, command 1)
//   save           one flushed save of the record a switch stores (the all-games record: a
//                  temporary file written and flushed, renamed, the folder flushed), timed beside
//                  each switch in the store's folder
//   ratio          click_to_7035 / (transfer + save); the aim is at most 2
//   transfer_ratio click_to_7035 / transfer
//   after_7035     from the monitor's message until the click handler returned
//
//   build/bench-bin/vyk_switch_bench
#include "bench/config/timed_sim.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/window/MainConfig.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/uiThread.h"
#include "core/defs/vyk_messages.h"
#include "core/store/DMUnit.h"
#include "platform/ipc/ipc.h"
#include "platform/paths/file_io.h"
#include "platform/pointer/recording_pointer_backend.h"
#include "sim/mouse_sim_server.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

void BM_ProfileSwitchClickToMonitor(benchmark::State& state) {
    vyk::platform::RecordingPointerBackend pointer;
    vyk::platform::ScopedPointerBackend pointerScope(&pointer);

    const auto simulated = vyk::bench::startTimedSim(state);
    if (!simulated) return;
    vyk::sim::MouseSimServer& sim = *simulated;
    QElapsedTimer clock;
    qint64 atMonitorNs = -1;
    vyk::platform::ipc::Endpoint monitor(MONITOR_MAIN_CLASS_NAME);
    monitor.setHandler([&](const vyk::platform::ipc::Message& m) -> std::int64_t {
        if (m.msg == WM_CFG_SETTINGS_APPLIED && atMonitorNs < 0) atMonitorNs = clock.nsecsElapsed();
        return 0;
    });
    monitor.listen();

    auto dm = std::make_unique<TDM>();
    auto window = std::make_unique<TVYKCFGMAIN>(dm.get());
    window->show();
    QCoreApplication::processEvents();

    // The flushed save beside each switch: a file of the all-games record's size in the store's
    // folder, with other bytes each time so that it is written.
    const QString saveProbe = QString::fromLocal8Bit(std::getenv("VYK_REGISTRY_ROOT")) + "/switch-bench-save.pfd";
    std::vector<char> record(sizeof(TALLGAMESINFO), 0);

    double toMonitorMs = 0, afterMs = 0, transferMs = 0, saveMs = 0;
    int next = 1;
    for (auto _ : state) {
        state.PauseTiming();
        sim.clearLog();
        atMonitorNs = -1;
        TImageStateButton* button = window->BtnProfile[static_cast<std::size_t>(next)];
        next = (next + 1) % 5;
        state.ResumeTiming();

        clock.start();
        button->click();
        const qint64 doneNs = clock.nsecsElapsed();

        state.PauseTiming();
        if (atMonitorNs < 0) {
            state.SkipWithError("the monitor was not told");
            break;
        }
        toMonitorMs += static_cast<double>(atMonitorNs) / 1e6;
        afterMs += static_cast<double>(doneNs - atMonitorNs) / 1e6;
        transferMs += vyk::bench::modelledTransferMs(sim);
        ++record[0];
        QElapsedTimer save;
        save.start();
        vyk::platform::writeFileAtomic(saveProbe, record.data(), record.size());
        saveMs += static_cast<double>(save.nsecsElapsed()) / 1e6;
        state.ResumeTiming();
    }
    const double n = static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["click_to_7035_ms"] = toMonitorMs / n;
    state.counters["transfer_ms"] = transferMs / n;
    state.counters["save_ms"] = saveMs / n;
    state.counters["ratio"] = transferMs + saveMs > 0 ? toMonitorMs / (transferMs + saveMs) : 0;
    state.counters["transfer_ratio"] = transferMs > 0 ? toMonitorMs / transferMs : 0;
    state.counters["after_7035_ms"] = afterMs / n;

    window.reset();
    TuiThread::WaitForCalls(std::chrono::seconds(10));
    dm.reset();
    sim.stop();
}
BENCHMARK(BM_ProfileSwitchClickToMonitor)->Iterations(50)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
