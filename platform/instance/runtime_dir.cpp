#include "platform/instance/runtime_dir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vyk::platform {

namespace {

void makePrivateDir(const std::filesystem::path& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error("cannot create " + dir.string() + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) {
        throw std::runtime_error("cannot inspect " + dir.string() + ": " + std::strerror(errno));
    }
    if (!S_ISDIR(st.st_mode)) throw std::runtime_error(dir.string() + " is not a folder");
    if (st.st_uid != ::geteuid()) throw std::runtime_error(dir.string() + " belongs to another user");
    if ((st.st_mode & 077) != 0) {
        if (::chmod(dir.c_str(), 0700) != 0) {
            throw std::runtime_error(dir.string() + " is open to other users");
        }
    }
}

}  // namespace

std::filesystem::path runtimeDir() {
    std::filesystem::path dir;
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/') {
        dir = std::filesystem::path(xdg) / "vyk";
    } else {
        dir = std::filesystem::path("/tmp") / ("vyk-" + std::to_string(::geteuid()));
    }
    makePrivateDir(dir);
    return dir;
}

}  // namespace vyk::platform
