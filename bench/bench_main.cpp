// Main of vyk_bench: a private temporary home and runtime folder (so a simulated mouse started
// by a benchmark is this process's own), a QCoreApplication for queued deliveries, then the
// benchmarks.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    std::string root = (std::filesystem::temp_directory_path() / "vyk-bench-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) return 1;
    const std::filesystem::path r = root;
    for (const char* d : {"home", "runtime", "exe"}) std::filesystem::create_directories(r / d);
    std::filesystem::permissions(r / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    ::setenv("HOME", (r / "home").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (r / "runtime").c_str(), 1);
    ::setenv("VYK_SIM_SOCKET", (r / "runtime" / "vyk" / "mouse-sim.sock").c_str(), 1);
    ::setenv("VYK_EXE_DIR", (r / "exe").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(r, ec);
    return 0;
}
