// APPLY of five changed profiles and twenty-five used 59-action macros (five per profile, as
// many as the window lets one profile's buttons run), by the real window and its real link,
// against the simulated mouse with its USB timing model on. Cases (arguments):
//   busy_disk      0: a quiet disk; 1: a writer thread beside the APPLY writes and flushes
//                  (fsync) a growing file in a loop on the file system that holds the store
//   real_monitor   0: a stand-in monitor endpoint that answers the reload message at once;
//                  1: the real VykMon (started beside the window, reading the same store and the
//                  simulated mouse), so its reload from the store is part of the APPLY
// Aims: ratio at most 1.05 on a quiet disk and at most 1.10 with a busy disk; frame gaps at
// most 50 ms with a busy disk.
//
// Counters per APPLY (milliseconds):
//   wall       the whole APPLY (saving included), from the click to its return
//   pauses     the specified pauses: 100 ms before each profile, 100 ms after command 1
//   transfer   the transfer time the timing model accounts for the reports in the log
//   ratio      wall / (pauses + transfer)
//   device_ms  the device part alone: from write mode 0 until the monitor was told (the
//              saving to disk before it left out); device_ratio = device_ms / (pauses + transfer)
//   frame_gap  the longest time the UI thread did not get to its events (a 2 ms probe timer)
//              while the progress bar shows (the writes run under it)
//   gap_incl_saving  the same from the click on, the saving to disk before the bar included
//   reloads    APPLYs whose reload message the monitor handled (one per APPLY)
//   disk_flushes_per_s  the busy-disk writer's flushes per second during the APPLYs
//
//   build/bench-bin/vyk_apply_bench [--benchmark_filter=...]
#include "bench/config/timed_sim.h"
#include "config/link/CfgSystemLink.h"
#include "config/window/MainConfig.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/uiThread.h"
#include "core/defs/vyk_messages.h"
#include "core/device/DeviceEncoders.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"
#include "platform/ipc/ipc.h"
#include "platform/pointer/recording_pointer_backend.h"
#include "sim/mouse_sim_server.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kProfiles = 5;
constexpr int kMacrosPerProfile = MAX_ASSIGNED_MACROS;
constexpr int kMacros = kProfiles * kMacrosPerProfile;

// Twenty-five macros of 59 key actions each in the current set, every one assigned to a button
// of one of the five profiles (five per profile, records 3..7). Each generation gives every macro
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
            // As the function menu assigns a macro: its row and the macro's item under MACRO,
            // so the next data module (the next case) takes the stored buttons as they are.
            f.FunctionType = FUNCTION_TYPE_MACRO;
            f.FunctionCode = FUNCTION_CODE_MACRO;
            f.FunctionIndex = 30;
            f.MenuID = 1102 + m;
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
    int reloads = 0;  // reload messages the monitor handled
    std::uint32_t SetDeviceWriteMode(std::uint8_t mode) override {
        if (mode == 0 && deviceStartNs < 0) deviceStartNs = clock.nsecsElapsed();
        return CfgSystemLink::SetDeviceWriteMode(mode);
    }
    bool SendToMonitor(std::uint32_t msg, std::int64_t w, std::int64_t l) override {
        const bool r = CfgSystemLink::SendToMonitor(msg, w, l);
        if (msg == WM_CFG_SETTINGS_APPLIED) {
            deviceEndNs = clock.nsecsElapsed();
            if (r) ++reloads;
        }
        return r;
    }
    void reset() {
        clock.start();
        deviceStartNs = deviceEndNs = -1;
    }
};

// Another program writing to the disk: a file in the store's file system that grows by 1 MiB
// per flush (new blocks each time, as a download or a build writes), emptied again at 64 MiB,
// in a loop until it is destroyed.
class BusyDisk {
public:
    explicit BusyDisk(const fs::path& folder) : path_(folder / "busy-disk.bin") {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        thread_ = std::thread([this] {
            const std::vector<char> block(1 << 20, 'x');
            off_t size = 0;
            while (!stop_) {
                if (::pwrite(fd_, block.data(), block.size(), size) < 0) break;
                ::fsync(fd_);
                ++flushes_;
                size += static_cast<off_t>(block.size());
                if (size >= (64 << 20)) {
                    if (::ftruncate(fd_, 0) != 0) break;
                    size = 0;
                }
            }
        });
    }
    ~BusyDisk() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
        std::error_code ec;
        fs::remove(path_, ec);
    }
    bool running() const { return fd_ >= 0; }
    long flushes() const { return flushes_; }

private:
    fs::path path_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<long> flushes_{0};
    std::thread thread_;
};

// The real VykMon beside the window: its own program folder (the built hook library, language
// file and pictures), the bench's store, runtime folder and simulated mouse.
class RealMonitor {
public:
    bool start(const vyk::sim::MouseSimServer& sim, std::string* error) {
        const fs::path bin = VYK_BENCH_BIN_DIR;
        exe_ = fs::path(std::getenv("HOME")).parent_path() / "monitor-exe";
        fs::create_directories(exe_);
        std::error_code ec;
        for (const char* f : {"libuiHook.so", "ui.local", "images", "config.ini"})
            if (fs::exists(bin / f)) fs::create_symlink(fs::canonical(bin / f), exe_ / f, ec);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VYK_EXE_DIR", QString::fromStdString(exe_.string()));
        proc_.setProcessEnvironment(env);
        proc_.setProcessChannelMode(QProcess::ForwardedChannels);
        proc_.start(QString::fromStdString((bin / "VykMon").string()), {});
        if (!proc_.waitForStarted(10000)) {
            *error = "VykMon does not start";
            return false;
        }
        // Up once it listens and has opened its reader on the mouse (about three seconds after
        // its start), so the APPLYs do not meet its start-up.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!vyk::platform::ipc::findWindow(MONITOR_MAIN_CLASS_NAME) || sim.openHandles(0) < 1) {
            if (std::chrono::steady_clock::now() > end || proc_.state() == QProcess::NotRunning) {
                *error = "VykMon does not listen for messages or does not read the mouse";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return true;
    }
    bool running() const { return proc_.state() == QProcess::Running; }
    ~RealMonitor() {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.terminate();
            if (!proc_.waitForFinished(10000)) proc_.kill();
            proc_.waitForFinished(5000);
        }
        std::error_code ec;
        fs::remove_all(exe_, ec);
    }

private:
    fs::path exe_;
    QProcess proc_;
};

void BM_ApplyFiveProfilesUsedMacros(benchmark::State& state) {
    const bool busyDisk = state.range(0) != 0;
    const bool realMonitor = state.range(1) != 0;
    vyk::platform::RecordingPointerBackend pointer;  // the desktop is left alone
    vyk::platform::ScopedPointerBackend pointerScope(&pointer);

    const auto simulated = vyk::bench::startTimedSim(state);
    if (!simulated) return;
    vyk::sim::MouseSimServer& sim = *simulated;
    std::unique_ptr<vyk::platform::ipc::Endpoint> standIn;
    std::unique_ptr<RealMonitor> real;
    if (realMonitor) {
        real = std::make_unique<RealMonitor>();
        std::string error;
        if (!real->start(sim, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    } else {
        standIn = std::make_unique<vyk::platform::ipc::Endpoint>(MONITOR_MAIN_CLASS_NAME);
        standIn->setHandler([](const vyk::platform::ipc::Message&) -> std::int64_t { return 0; });
        standIn->listen();
    }

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

    // The writer starts once the window is up, and runs through every APPLY and its bar.
    std::unique_ptr<BusyDisk> disk;
    if (busyDisk) {
        disk = std::make_unique<BusyDisk>(fs::path(std::getenv("VYK_REGISTRY_ROOT")));
        if (!disk->running()) {
            state.SkipWithError("the busy-disk writer cannot write beside the store");
            return;
        }
    }
    QElapsedTimer diskClock;
    diskClock.start();
    const long flushesBefore = disk ? disk->flushes() : 0;

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
    state.counters["reloads"] = link->reloads;
    if (disk) {
        state.counters["disk_flushes_per_s"] =
            static_cast<double>(disk->flushes() - flushesBefore) * 1000.0 / static_cast<double>(diskClock.elapsed());
    }
    if (real && !real->running()) state.SkipWithError("VykMon ended during the APPLYs");

    window.reset();
    disk.reset();
    link.reset();
    TuiThread::WaitForCalls(std::chrono::seconds(10));
    dm.reset();
    sim.stop();
}
// Each APPLY is followed by its ~2 s progress bar (not timed); a few runs give a stable mean.
BENCHMARK(BM_ApplyFiveProfilesUsedMacros)
    ->ArgNames({"busy_disk", "real_monitor"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
