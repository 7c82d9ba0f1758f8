// VykCfg's start-up under Xvfb against the floor of this machine:
//  - StartToFirstFrame/VykCfg: time from starting the program to its first painted frame of
//    the main window, and its resident memory once it has painted and settled (500 ms); each
//    start finds an empty store, so it also writes the default profiles and macro set;
//  - StartToFirstFrame/VykCfgStored: the same for the ordinary start, which finds the store
//    an earlier (untimed) start left;
//  - StartToFirstFrame/Floor: the same for a minimal Qt Widgets program (bench/config/
//    floor_window.cpp) with a frameless window of the same size, started the same way.
// Both programs append a line to the file named by VYK_DEBUG_LOG on their first paint. VykCfg
// runs with the built resources (language file, skin) and no monitor beside it, so it starts
// nothing else. Run from a release build: build/bench-bin/vyk_config_bench
#include <benchmark/benchmark.h>

#include "tests/support/xvfb_process.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// A private X server for the whole run.
vyk::test::XvfbServer& server() {
    static vyk::test::XvfbServer x;
    return x;
}

fs::path binDir() { return fs::path(VYK_BENCH_BIN_DIR); }

// The built resources without the monitor, so VykCfg starts nothing else.
fs::path exeDir() {
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / ("vyk-cfg-bench-exe-" + std::to_string(::getpid()));
        fs::create_directories(d);
        std::error_code ec;
        for (const char* name : {"ui.local", "config.ini", "images", "libuiHook.so"})
            if (fs::exists(binDir() / name)) fs::create_symlink(binDir() / name, d / name, ec);
        return d;
    }();
    return dir;
}

long residentKiB(qint64 pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

// Starts the program once with its store and Documents under root and waits for its first
// painted frame. On success returns an empty text and sets the time to that frame and the
// resident memory once it has settled; the program is ended either way.
std::string startOnce(const fs::path& program, const fs::path& root, double* seconds, long* rssKiB) {
    fs::create_directories(root / "docs");
    fs::create_directories(root / "registry");
    const fs::path log = root / "frame.log";
    fs::remove(log);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(server().display()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("VYK_EXE_DIR", QString::fromStdString(exeDir().string()));
    env.insert("VYK_DOCUMENTS_DIR", QString::fromStdString((root / "docs").string()));
    env.insert("VYK_REGISTRY_ROOT", QString::fromStdString((root / "registry").string()));
    env.insert("VYK_DEBUG_LOG", QString::fromStdString(log.string()));
    env.remove("VYK_DEBUG");
    QProcess proc;
    proc.setProcessEnvironment(env);
    proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc.setProgram(QString::fromStdString(program.string()));

    const auto t0 = Clock::now();
    proc.start();
    bool painted = false;
    while (Clock::now() - t0 < std::chrono::seconds(60)) {
        std::ifstream in(log);
        std::string line;
        while (std::getline(in, line))
            if (line.find("first frame painted") != std::string::npos) painted = true;
        if (painted || proc.state() == QProcess::NotRunning) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    *seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    if (painted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        *rssKiB = residentKiB(proc.processId());
    }
    proc.kill();
    proc.waitForFinished(10000);
    return painted ? std::string() : std::string("the program did not paint its window");
}

// Every start with an empty store (the program writes its defaults first), or, with
// storedBefore, every start finding the store an untimed first start left behind.
void startToFirstFrame(benchmark::State& state, const fs::path& program, bool storedBefore = false) {
    if (server().display().empty()) {
        state.SkipWithError("Xvfb is not installed");
        return;
    }
    const fs::path base = fs::temp_directory_path() / ("vyk-cfg-bench-" + std::to_string(::getpid()));
    long rssTotal = 0;
    int runs = 0;
    double seconds = 0;
    long rss = 0;
    if (storedBefore) {
        fs::remove_all(base / "stored");
        if (const std::string e = startOnce(program, base / "stored", &seconds, &rss); !e.empty()) {
            state.SkipWithError(e.c_str());
            return;
        }
    }
    for (auto _ : state) {
        const fs::path root = storedBefore ? base / "stored" : base / std::to_string(runs);
        if (!storedBefore) fs::remove_all(root);
        if (const std::string e = startOnce(program, root, &seconds, &rss); !e.empty()) {
            state.SkipWithError(e.c_str());
            break;
        }
        state.SetIterationTime(seconds);
        rssTotal += rss;
        ++runs;
        if (!storedBefore) fs::remove_all(root);
    }
    fs::remove_all(base);
    if (runs > 0) state.counters["rss_MiB"] = static_cast<double>(rssTotal) / runs / 1024.0;
}

void BM_StartToFirstFrame_VykCfg(benchmark::State& state) { startToFirstFrame(state, binDir() / "VykCfg"); }
void BM_StartToFirstFrame_VykCfgStored(benchmark::State& state) { startToFirstFrame(state, binDir() / "VykCfg", true); }
void BM_StartToFirstFrame_Floor(benchmark::State& state) {
    startToFirstFrame(state, fs::path(VYK_BENCH_FLOOR_PROGRAM));
}

}  // namespace

BENCHMARK(BM_StartToFirstFrame_Floor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartToFirstFrame_VykCfg)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartToFirstFrame_VykCfgStored)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
