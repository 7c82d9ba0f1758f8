#include "fuzz/support/fuzz_support.h"

#include "platform/diag/diag.h"
#include "platform/dialogs/message_box.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace vyk::fuzz {

namespace {

fs::path g_root;
// Never destroyed: the widgets the targets keep alive until the process ends need it.
QApplication* g_app = nullptr;
int g_argc = 1;
char g_arg0[] = "vyk-fuzz";
char* g_argv[] = {g_arg0, nullptr};

void removeSandbox() {
    if (g_root.empty() || std::getenv("VYK_FUZZ_KEEP_SANDBOX") != nullptr) return;
    std::error_code ec;
    fs::remove_all(g_root, ec);
}

QString dirOf(const char* sub) { return QString::fromStdString((g_root / sub).string()) + QLatin1Char('/'); }

void setEnv(const char* name, const fs::path& p) { ::setenv(name, p.c_str(), 1); }

}  // namespace

void initSandbox() {
    if (!g_root.empty()) return;
    const fs::path base = fs::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                                                          : fs::temp_directory_path();
    std::string tmpl = (base / "vyk-fuzz-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
        std::perror("vyk-fuzz: mkdtemp");
        std::abort();
    }
    g_root = tmpl;
    std::atexit(removeSandbox);
    for (const char* sub : {"home/Documents", "home/.config", "home/.cache", "home/.local/share", "runtime", "registry",
                            "exe", "scratch"}) {
        fs::create_directories(g_root / sub);
    }
    fs::permissions(g_root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    setEnv("HOME", g_root / "home");
    setEnv("XDG_CONFIG_HOME", g_root / "home/.config");
    setEnv("XDG_CACHE_HOME", g_root / "home/.cache");
    setEnv("XDG_DATA_HOME", g_root / "home/.local/share");
    setEnv("XDG_RUNTIME_DIR", g_root / "runtime");
    setEnv("XDG_DOCUMENTS_DIR", g_root / "home/Documents");
    setEnv("VYK_DOCUMENTS_DIR", g_root / "home/Documents");
    setEnv("VYK_EXE_DIR", g_root / "exe");
    setEnv("VYK_REGISTRY_ROOT", g_root / "registry");
    setEnv("VYK_SIM_SOCKET", g_root / "runtime/vyk/mouse-sim.sock");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("LANG", "C.UTF-8", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    // No sound server: the microphone mute fails at once instead of starting one.
    ::setenv("PULSE_SERVER", (g_root / "runtime/no-pulse").c_str(), 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("VYK_DEBUG");
    ::unsetenv("VYK_DEBUG_LOG");
    vyk::platform::setErrorReporter([](const QString&) {});
    vyk::platform::setMessageBoxHook([](const QString&, const QString&, vyk::platform::MessageIcon) {});
}

QString sandboxDir() { return QString::fromStdString(g_root.string()) + QLatin1Char('/'); }
QString registryDir() { return dirOf("registry"); }
QString documentsDir() { return dirOf("home/Documents"); }
QString exeDir() { return dirOf("exe"); }
QString scratchDir() { return dirOf("scratch"); }

void ensureApplication() {
    initSandbox();
    if (QCoreApplication::instance() == nullptr) g_app = new QApplication(g_argc, g_argv);
}

void drainEvents() {
    // Posted calls may post more; a handful of rounds settles every chain the targets start.
    for (int i = 0; i < 8; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void clearFolder(const QString& folder) {
    std::error_code ec;
    const fs::path p = folder.toStdString();
    if (!fs::exists(p, ec)) {
        fs::create_directories(p, ec);
        return;
    }
    for (const auto& e : fs::directory_iterator(p, ec)) fs::remove_all(e.path(), ec);
}

void writeFile(const QString& path, const void* data, std::size_t size) {
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(static_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size)) {
        fail(__FILE__, __LINE__, "cannot write the sandbox file " + path.toStdString());
    }
}

QByteArray readFile(const QString& path, bool* exists) {
    QFile f(path);
    const bool ok = f.open(QIODevice::ReadOnly);
    if (exists) *exists = ok;
    return ok ? f.readAll() : QByteArray();
}

void fail(const char* file, int line, const std::string& what) {
    std::fprintf(stderr, "vyk-fuzz: check failed at %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace vyk::fuzz
