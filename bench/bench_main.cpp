// Main of the benchmark programs: a private temporary home, runtime folder, store and Documents
// folder (so a simulated mouse started by a benchmark is this process's own and nothing of the
// user's is touched), an application object for queued deliveries (a QApplication for the
// benchmarks that build windows, compiled with VYK_BENCH_WIDGETS), then the benchmarks.
#include <benchmark/benchmark.h>

#ifdef VYK_BENCH_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    std::string root = (std::filesystem::temp_directory_path() / "vyk-bench-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) return 1;
    const std::filesystem::path r = root;
    for (const char* d : {"home", "runtime", "exe", "registry", "documents"})
        std::filesystem::create_directories(r / d);
    std::filesystem::permissions(r / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    ::setenv("HOME", (r / "home").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (r / "runtime").c_str(), 1);
    ::setenv("VYK_SIM_SOCKET", (r / "runtime" / "vyk" / "mouse-sim.sock").c_str(), 1);
    ::setenv("VYK_EXE_DIR", (r / "exe").c_str(), 1);
    ::setenv("VYK_REGISTRY_ROOT", (r / "registry").c_str(), 1);
    ::setenv("VYK_DOCUMENTS_DIR", (r / "documents").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

#ifdef VYK_BENCH_WIDGETS
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
#else
    QCoreApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(r, ec);
    return 0;
}
