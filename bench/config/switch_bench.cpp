// A profile switch by the real window and its real link, from the click on a profile button
// until the monitor receives the reload message (7035), against the simulated mouse with its
// USB timing model on and a stand-in monitor endpoint.
//
// Counters per switch (milliseconds):
//   click_to_7035  from the click until the stand-in monitor's handler runs
//   transfer       the transfer time the timing model accounts for the switch's reports
//                  (active-profile byte, command 1)
//   ratio          click_to_7035 / transfer
//   after_7035     from the monitor's message until the click handler returned
//
//   build/bench-bin/vyk_switch_bench
#include "config/toolkit/ImageStateButton.h"
#include "config/window/MainConfig.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/uiThread.h"
#include "core/store/DMUnit.h"
#include "platform/ipc/ipc.h"
#include "platform/pointer/recording_pointer_backend.h"
#include "sim/mouse_sim_server.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

void BM_ProfileSwitchClickToMonitor(benchmark::State& state) {
    vyk::platform::RecordingPointerBackend pointer;
    vyk::platform::ScopedPointerBackend pointerScope(&pointer);

    vyk::sim::SimOptions options;
    options.timing = true;
    vyk::sim::MouseSimServer sim(options);
    std::string error;
    if (!sim.start(&error)) {
        state.SkipWithError(("simulated mouse: " + error).c_str());
        return;
    }
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

    double toMonitorMs = 0, afterMs = 0, transferMs = 0;
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
        std::chrono::microseconds total{0};
        for (const auto& r : sim.log()) total += vyk::sim::MouseSimServer::transferTime(r.bytes.size());
        transferMs += static_cast<double>(total.count()) / 1000.0;
        state.ResumeTiming();
    }
    const double n = static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["click_to_7035_ms"] = toMonitorMs / n;
    state.counters["transfer_ms"] = transferMs / n;
    state.counters["ratio"] = transferMs > 0 ? toMonitorMs / transferMs : 0;
    state.counters["after_7035_ms"] = afterMs / n;

    window.reset();
    TuiThread::WaitForCalls(std::chrono::seconds(10));
    dm.reset();
    sim.stop();
}
BENCHMARK(BM_ProfileSwitchClickToMonitor)->Iterations(50)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // A private home, registry, Documents and runtime folder.
    std::string root = (std::filesystem::temp_directory_path() / "vyk-switch-bench-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) return 1;
    const std::filesystem::path r = root;
    for (const char* d : {"home", "runtime", "exe", "registry", "documents"}) std::filesystem::create_directories(r / d);
    std::filesystem::permissions(r / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    ::setenv("HOME", (r / "home").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (r / "runtime").c_str(), 1);
    ::setenv("VYK_SIM_SOCKET", (r / "runtime" / "vyk" / "mouse-sim.sock").c_str(), 1);
    ::setenv("VYK_EXE_DIR", (r / "exe").c_str(), 1);
    ::setenv("VYK_REGISTRY_ROOT", (r / "registry").c_str(), 1);
    ::setenv("VYK_DOCUMENTS_DIR", (r / "documents").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(r, ec);
    return 0;
}
