// VykMon against the simulated mouse and a private PulseAudio daemon (a null source "mic"), on
// a private X server (Xvfb; offscreen when Xvfb is missing), beside the floor of a tray program
// (bench/monitor/floor_tray.cpp: one tray icon, one menu) started the same way:
//  - Memory/Started: once the monitor reads the mouse and has settled, before any press: its
//    resident memory and threads, and the floor's at the same moment; rss_ratio = monitor /
//    floor (aim: at most 1.15).
//  - Idle: nothing happens for 10 s after the mute has been used (and what the press started has
//    ended: the monitor is back to its threads from before the press); wake-ups per second and
//    CPU time of the monitor process (target: zero wake-ups), its resident memory and threads
//    beside the floor's (rss_ratio, as above).
//  - IdleAfterConfig/0, /1: the same idle measurement once a real VykCfg has been beside the
//    monitor and has gone away: VykCfg starts, a profile switch reported by the mouse goes to
//    it (7040 from the monitor), it switches and tells the monitor to reload (7035); then it
//    ends by SIGTERM as at log-out (/0) or is killed and leaves its socket file behind (/1).
//    Target: zero wake-ups, as before it came.
//  - MuteLatency: time from an injected button report (report 7, button 5 with the
//    microphone mute) to the source being muted or unmuted, seen through a libpulse
//    subscription; p50 and p99 (aim: p50 at most 1 ms), first_press_us, the very first press
//    after the monitor started and settled, and first_after_idle_us, the first press of this
//    case, which comes after the idle cases.
// Run from a release build: build/bench-bin/vyk_monitor_bench
#include <benchmark/benchmark.h>

#include "core/defs/pubunit_norvane.h"
#include "core/defs/vyk_messages.h"
#include "core/device/DeviceProtocol.h"
#include "core/store/DMUnit.h"
#include "platform/ipc/ipc.h"
#include "platform/registry/registry.h"
#include "sim/mouse_sim_server.h"
#include "tests/support/xvfb_process.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <pulse/pulseaudio.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint16_t kMuteFunction = 28;

bool waitFor(const std::function<bool()>& cond, int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!cond()) {
        if (Clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Sums a field of /proc/<pid>/task/*/status (context switches of every thread).
long sumTaskField(pid_t pid, const std::string& field) {
    long total = 0;
    std::error_code ec;
    for (const auto& t : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(t.path() / "status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind(field + ":", 0) == 0) total += std::stol(line.substr(field.size() + 1));
        }
    }
    return total;
}

long statusKb(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    }
    return 0;
}

double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream rest(s.substr(s.rfind(')') + 2));
    std::string tok;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> tok; ++i) {
        if (i == 14) utime = std::stol(tok);
        if (i == 15) stime = std::stol(tok);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Watches the mute of one source through a libpulse subscription.
class MuteWatcher {
public:
    explicit MuteWatcher(const std::string& source) : source_(source) {
        loop_ = pa_threaded_mainloop_new();
        ctx_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "vyk-bench");
        pa_context_set_state_callback(
            ctx_, [](pa_context*, void* ud) { pa_threaded_mainloop_signal(static_cast<MuteWatcher*>(ud)->loop_, 0); },
            this);
        pa_context_connect(ctx_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
        pa_threaded_mainloop_start(loop_);
        pa_threaded_mainloop_lock(loop_);
        while (pa_context_get_state(ctx_) != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(pa_context_get_state(ctx_))) {
            pa_threaded_mainloop_wait(loop_);
        }
        ok_ = pa_context_get_state(ctx_) == PA_CONTEXT_READY;
        if (ok_) {
            pa_context_set_subscribe_callback(
                ctx_,
                [](pa_context*, pa_subscription_event_type_t, uint32_t, void* ud) {
                    static_cast<MuteWatcher*>(ud)->query();
                },
                this);
            pa_operation_unref(pa_context_subscribe(ctx_, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr));
            query();
        }
        pa_threaded_mainloop_unlock(loop_);
    }
    ~MuteWatcher() {
        pa_threaded_mainloop_stop(loop_);
        pa_context_disconnect(ctx_);
        pa_context_unref(ctx_);
        pa_threaded_mainloop_free(loop_);
    }
    bool ok() const { return ok_; }
    // Waits until the source's mute equals `muted`; returns when it was first seen so.
    bool waitMute(bool muted, Clock::time_point* at, int ms) {
        std::unique_lock l(m_);
        const bool got = cv_.wait_for(l, std::chrono::milliseconds(ms), [&] { return known_ && muted_ == muted; });
        if (got && at) *at = changedAt_;
        return got;
    }
    bool muted() {
        std::lock_guard l(m_);
        return muted_;
    }

private:
    void query() {  // on the loop thread
        pa_operation* op = pa_context_get_source_info_by_name(
            ctx_, source_.c_str(),
            [](pa_context*, const pa_source_info* i, int eol, void* ud) {
                if (eol || !i) return;
                auto* w = static_cast<MuteWatcher*>(ud);
                std::lock_guard l(w->m_);
                const bool m = i->mute != 0;
                if (!w->known_ || m != w->muted_) w->changedAt_ = Clock::now();
                w->muted_ = m;
                w->known_ = true;
                w->cv_.notify_all();
            },
            this);
        if (op) pa_operation_unref(op);
    }

    std::string source_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* ctx_ = nullptr;
    bool ok_ = false;
    std::mutex m_;
    std::condition_variable cv_;
    bool known_ = false;
    bool muted_ = false;
    Clock::time_point changedAt_;
};

// A private X server for the whole run, made before the programs start.
vyk::test::XvfbServer& xserver() {
    static vyk::test::XvfbServer x;
    return x;
}

// Resident memory and threads of a process at one moment.
struct Footprint {
    long rssKiB = 0;
    long threads = 0;
};

Footprint footprint(pid_t pid) { return {statusKb(pid, "VmRSS"), statusKb(pid, "Threads")}; }

// The whole set-up, made once for all benchmarks of this program.
struct Rig {
    fs::path root;
    QProcess pulse;
    std::unique_ptr<vyk::sim::MouseSimServer> sim;
    QProcess mon;
    QProcess floor;  // the bare tray program beside it
    std::unique_ptr<MuteWatcher> watcher;
    std::string error;
    // Once the monitor reads the mouse and has settled, before any press.
    Footprint monStarted, floorStarted;
    double firstPressUs = 0;

    bool up() {
        root = fs::path(qgetenv("HOME").constData()).parent_path();
        const fs::path exe = fs::path(qgetenv("VYK_EXE_DIR").constData());
        const fs::path bin = QCoreApplication::applicationDirPath().toStdString() + "/../bin";
        ::setenv("VYK_DOCUMENTS_DIR", (root / "home").c_str(), 1);
        ::setenv("VYK_REGISTRY_ROOT", (root / "home/registry").c_str(), 1);
        std::error_code ec;
        for (const char* f : {"libuiHook.so", "ui.local", "images", "config.ini"})
            if (fs::exists(bin / f)) fs::create_symlink(fs::canonical(bin / f), exe / f, ec);

        // Sound server.
        const fs::path pulseDir = root / "pulse";
        fs::create_directories(pulseDir);
        QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
        penv.insert("XDG_RUNTIME_DIR", QString::fromStdString(pulseDir.string()));
        penv.insert("HOME", QString::fromStdString(pulseDir.string()));
        pulse.setProcessEnvironment(penv);
        pulse.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        pulse.start("pulseaudio",
                    {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disable-shm=yes",
                     "--log-level=error", "--load=module-null-source source_name=mic",
                     QString("--load=module-native-protocol-unix auth-anonymous=1 socket=") +
                         QString::fromStdString((pulseDir / "native").string())});
        if (!pulse.waitForStarted(5000)) return fail("pulseaudio does not start");
        ::setenv("PULSE_SERVER", ("unix:" + (pulseDir / "native").string()).c_str(), 1);
        if (!waitFor([&] { return fs::exists(pulseDir / "native"); }, 10000)) return fail("no sound server socket");
        watcher = std::make_unique<MuteWatcher>("mic");
        if (!watcher->ok()) return fail("cannot watch the source");

        // The mouse, and a profile with the mute on button 5.
        sim = std::make_unique<vyk::sim::MouseSimServer>(vyk::sim::SimOptions{});
        if (!sim->start(&error)) return false;
        {
            TDM dm;
            for (int p = 0; p < 5; ++p) {
                auto info = std::make_unique<TMouseProfileInfo>();
                dm.ReadProfileInfo(*info, p);
                // The record as the assignment menu writes it (the store repairs anything else).
                TBUTTONFUNCINFO& b = info->ConfigInfo.ButtonFuncInfo[5];
                b.FunctionIndex = kMuteFunction;
                b.FunctionType = FUNCTION_TYPE_MIC_MUTE;
                b.FunctionCode = ButtonFunctionTable[kMuteFunction].FunctionCode;
                b.MenuID = ButtonFunctionTable[kMuteFunction].MenuID;
                std::copy(ButtonMaskTable[5].begin() + 1, ButtonMaskTable[5].end(), b.ButtonMask);
                TuiProfile* slot = dm.FProfileGroup[static_cast<std::size_t>(p)];
                auto key = vyk::platform::RegistryKey::open(slot->RootKey(), slot->KeyPath(), true);
                if (!key) return fail("no registry key");
                key->writeBinary(slot->FileName(), info.get(), sizeof *info);
            }
        }

        // The monitor and the floor, on the X server when there is one.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (xserver().running()) {
            env.insert("DISPLAY", QString::fromStdString(xserver().display()));
            env.insert("QT_QPA_PLATFORM", "xcb");
        }
        for (QProcess* p : {&mon, &floor}) {
            p->setProcessEnvironment(env);
            p->setProcessChannelMode(QProcess::ForwardedChannels);
        }
        floor.start(QString::fromStdString(VYK_BENCH_FLOOR_TRAY), {});
        if (!floor.waitForStarted(10000)) return fail("the floor tray program does not start");
        mon.start(QString::fromStdString((bin / "VykMon").string()), {});
        if (!mon.waitForStarted(10000)) return fail("VykMon does not start");
        // Its reader opens about three seconds after start.
        if (!waitFor([&] { return sim->openHandles(0) >= 1; }, 30000)) return fail("VykMon does not open the mouse");
        std::this_thread::sleep_for(std::chrono::seconds(2));
        if (mon.state() != QProcess::Running || floor.state() != QProcess::Running) return fail("a program ended");
        monStarted = footprint(static_cast<pid_t>(mon.processId()));
        floorStarted = footprint(static_cast<pid_t>(floor.processId()));

        // The first press, timed like the others.
        const bool before = watcher->muted();
        const auto t0 = Clock::now();
        press();
        Clock::time_point at;
        if (!watcher->waitMute(!before, &at, 5000)) return fail("VykMon does not react to the mouse");
        firstPressUs = std::chrono::duration<double, std::micro>(at - t0).count();
        return true;
    }

    void press() { sim->injectInput(0, {7, 0x20, 0, 0}); }

    bool fail(const std::string& why) {
        error = why;
        return false;
    }

    ~Rig() {
        watcher.reset();
        for (QProcess* p : {&mon, &floor}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->kill();
            p->waitForFinished(5000);
        }
        if (sim) sim->stop();
        if (pulse.state() != QProcess::NotRunning) {
            pulse.terminate();
            if (!pulse.waitForFinished(5000)) pulse.kill();
            pulse.waitForFinished(5000);
        }
    }
};

Rig* rig() {
    static std::unique_ptr<Rig> r;
    static bool ok = false;
    if (!r) {
        xserver();
        r = std::make_unique<Rig>();
        ok = r->up();
        if (!ok) std::fprintf(stderr, "vyk_monitor_bench: %s\n", r->error.c_str());
        std::atexit([] { r.reset(); });
    }
    return ok ? r.get() : nullptr;
}

// The monitor's memory and threads beside the floor's.
void reportFootprints(benchmark::State& state, const Footprint& mon, const Footprint& floor) {
    state.counters["rss_kib"] = static_cast<double>(mon.rssKiB);
    state.counters["threads"] = static_cast<double>(mon.threads);
    state.counters["floor_rss_kib"] = static_cast<double>(floor.rssKiB);
    state.counters["floor_threads"] = static_cast<double>(floor.threads);
    state.counters["rss_ratio"] =
        floor.rssKiB > 0 ? static_cast<double>(mon.rssKiB) / static_cast<double>(floor.rssKiB) : 0.0;
}

void BM_MonitorMemory_Started(benchmark::State& state) {
    Rig* r = rig();
    if (!r) {
        state.SkipWithError("set-up failed");
        return;
    }
    for (auto _ : state) {
    }
    reportFootprints(state, r->monStarted, r->floorStarted);
}
BENCHMARK(BM_MonitorMemory_Started)->Iterations(1);

long wakeups(pid_t pid) {
    return sumTaskField(pid, "voluntary_ctxt_switches") + sumTaskField(pid, "nonvoluntary_ctxt_switches");
}

// Ten seconds of nothing per iteration: the monitor's wake-ups per second and CPU time, then
// its memory and threads beside the floor's.
void measureIdle(benchmark::State& state, Rig& r) {
    const pid_t pid = static_cast<pid_t>(r.mon.processId());
    for (auto _ : state) {
        const long w0 = wakeups(pid);
        const double c0 = cpuSeconds(pid);
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double secs = std::chrono::duration<double>(Clock::now() - t0).count();
        const long w1 = wakeups(pid);
        state.counters["wakeups_per_s"] = static_cast<double>(w1 - w0) / secs;
        state.counters["cpu_ms_per_10s"] = (cpuSeconds(pid) - c0) * 1000.0 * 10.0 / secs;
    }
    reportFootprints(state, footprint(pid), footprint(static_cast<pid_t>(r.floor.processId())));
}

void BM_MonitorIdle(benchmark::State& state) {
    Rig* r = rig();
    if (!r) {
        state.SkipWithError("set-up failed");
        return;
    }
    // Let the last press settle: whatever the monitor started for it (its sound connection is
    // kept for a moment after a press) has ended once it is back to the threads it had before
    // the first press.
    const pid_t pid = static_cast<pid_t>(r->mon.processId());
    const auto end = Clock::now() + std::chrono::seconds(15);
    while (footprint(pid).threads > r->monStarted.threads && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    measureIdle(state, *r);
}
BENCHMARK(BM_MonitorIdle)->Iterations(1)->Unit(benchmark::kSecond);

// How the configuration program goes away after its visit.
enum class ConfigEnd { Terminated, Killed };

// Starts the real VykCfg beside the monitor, has the mouse report a switch to `profile` (the
// monitor sends 7040 to VykCfg, which writes the switch to the mouse and sends 7035 back), then
// ends VykCfg. Empty on success, else what went wrong.
std::string visitOfConfig(Rig& r, int profile, ConfigEnd end) {
    using namespace vyk::platform;
    const fs::path bin = QCoreApplication::applicationDirPath().toStdString() + "/../bin";
    QProcess cfg;
    cfg.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    cfg.setProcessChannelMode(QProcess::ForwardedChannels);
    cfg.start(QString::fromStdString((bin / "VykCfg").string()), {});
    if (!cfg.waitForStarted(10000)) return "VykCfg does not start";
    auto stop = [&cfg] {
        if (cfg.state() == QProcess::NotRunning) return;
        cfg.kill();
        cfg.waitForFinished(5000);
    };
    if (!waitFor([&] { return ipc::findWindow(CONFIG_MAIN_CLASS_NAME) || cfg.state() == QProcess::NotRunning; },
                 30000) ||
        cfg.state() == QProcess::NotRunning) {
        stop();
        return "VykCfg does not listen for messages";
    }

    // The switch, reported by the mouse; VykCfg's command 1 comes right before its 7035.
    r.sim->clearLog();
    r.sim->injectInput(0, {8, 1, static_cast<std::uint8_t>(profile), 0});
    const bool switched = waitFor(
        [&] {
            for (const auto& rep : r.sim->log())
                if (rep.kind == "SET" && rep.bytes.size() > 1 && rep.bytes[1] == 1) return true;
            return false;
        },
        15000);
    if (!switched || r.sim->peek(0, DEVICE_ADDR_ACTIVE_PROFILE, 1) !=
                         std::vector<std::uint8_t>{static_cast<std::uint8_t>(profile)}) {
        stop();
        return "VykCfg did not switch the mouse's profile";
    }
    // A message VykCfg handles at once and answers: by its answer the 7035 has been sent.
    if (ipc::sendMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_RESERVED, 0, 0}) != ipc::SendStatus::Delivered) {
        stop();
        return "VykCfg does not answer";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    if (end == ConfigEnd::Terminated) {
        cfg.terminate();  // SIGTERM: the event loop ends and the program cleans up
        if (!cfg.waitForFinished(10000) || cfg.exitStatus() != QProcess::NormalExit || cfg.exitCode() != 0) {
            stop();
            return "VykCfg did not end cleanly";
        }
    } else {
        cfg.kill();
        cfg.waitForFinished(5000);
    }
    return {};
}

void BM_MonitorIdleAfterConfig(benchmark::State& state) {
    Rig* r = rig();
    if (!r) {
        state.SkipWithError("set-up failed");
        return;
    }
    static int profile = 0;
    profile = (profile + 1) % 5;
    const auto end = state.range(0) == 0 ? ConfigEnd::Terminated : ConfigEnd::Killed;
    if (const std::string e = visitOfConfig(*r, profile, end); !e.empty()) {
        state.SkipWithError(e.c_str());
        return;
    }
    const pid_t pid = static_cast<pid_t>(r->mon.processId());
    if (::kill(pid, 0) != 0) {
        state.SkipWithError("VykMon ended");
        return;
    }
    // Let the last messages settle.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    measureIdle(state, *r);
}
BENCHMARK(BM_MonitorIdleAfterConfig)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

void BM_MuteLatency(benchmark::State& state) {
    Rig* r = rig();
    if (!r) {
        state.SkipWithError("set-up failed");
        return;
    }
    std::vector<double> us;
    for (auto _ : state) {
        const bool target = !r->watcher->muted();
        const auto t0 = Clock::now();
        r->press();
        Clock::time_point at;
        if (!r->watcher->waitMute(target, &at, 5000)) {
            state.SkipWithError("the mute did not change");
            return;
        }
        const double d = std::chrono::duration<double>(at - t0).count();
        state.SetIterationTime(d);
        if (us.empty()) state.counters["first_after_idle_us"] = d * 1e6;
        us.push_back(d * 1e6);
    }
    std::sort(us.begin(), us.end());
    auto pct = [&](double p) { return us[static_cast<std::size_t>(p * static_cast<double>(us.size() - 1))]; };
    state.counters["p50_us"] = pct(0.50);
    state.counters["p99_us"] = pct(0.99);
    state.counters["first_press_us"] = r->firstPressUs;
}
BENCHMARK(BM_MuteLatency)->Iterations(200)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
