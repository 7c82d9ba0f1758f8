#include "tests/support/test_env.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vyk::test {

namespace {
fs::path g_root;

void removeRoot() {
    if (!g_root.empty() && std::getenv("VYK_KEEP_TEST_DIRS") == nullptr) {
        std::error_code ec;
        fs::remove_all(g_root, ec);
    }
}
}  // namespace

const fs::path& testRoot() { return g_root; }

fs::path freshDir(const std::string& name) {
    fs::path p = g_root / name;
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

std::vector<std::uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + p.string());
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

void writeText(const fs::path& p, const std::string& text) {
    writeBytes(p, std::vector<std::uint8_t>(text.begin(), text.end()));
}

bool fileContains(const fs::path& p, const std::string& text) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return all.find(text) != std::string::npos;
}

bool signalBlockedOrCaught(int pid, int sig) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    const std::uint64_t bit = std::uint64_t{1} << (sig - 1);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("SigBlk:", 0) != 0 && line.rfind("SigCgt:", 0) != 0) continue;
        if (std::stoull(line.substr(7), nullptr, 16) & bit) return true;
    }
    return false;
}

int openDescriptorCount() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

void isolateEnvironment() {
    std::string tmpl = (fs::temp_directory_path() / "vyk-test-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    g_root = tmpl;
    std::atexit(removeRoot);

    const fs::path home = g_root / "home";
    const fs::path runtime = g_root / "runtime";
    fs::create_directories(home / "Documents");
    fs::create_directories(home / ".config");
    fs::create_directories(home / ".cache");
    fs::create_directories(home / ".local/share");
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directories(g_root / "exe");

    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("XDG_DOCUMENTS_DIR", (home / "Documents").c_str(), 1);
    ::setenv("VYK_DOCUMENTS_DIR", (home / "Documents").c_str(), 1);
    ::setenv("VYK_EXE_DIR", (g_root / "exe").c_str(), 1);
    ::setenv("VYK_REGISTRY_ROOT", (home / ".config/vyk/registry").c_str(), 1);
    ::setenv("VYK_SIM_SOCKET", (runtime / "vyk/mouse-sim.sock").c_str(), 1);
    ::setenv("LANG", "C.UTF-8", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    // Screenshot mode (scripts/screenshots.sh) and the X11 child of a test (tests/support/x11/
    // x11_child.h) render on the private X server they were given.
    if (std::getenv("VYK_SCREENSHOT_DIR") == nullptr && std::getenv("VYK_X11_CHILD") == nullptr) ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("VYK_DEBUG");
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* v = std::getenv(name)) {
        had_ = true;
        old_ = v;
    }
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        ::setenv(name_.c_str(), old_.c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

}  // namespace vyk::test
