#include "platform/instance/instance_lock.h"

#include "platform/instance/runtime_dir.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

namespace vyk::platform {

std::unique_ptr<InstanceLock> InstanceLock::tryAcquire(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) {
        throw std::invalid_argument("invalid instance name");
    }
    const std::filesystem::path path = runtimeDir() / (name + ".lock");
    // The file is never unlinked: removing it while another process waits on it would let a
    // third process lock a new file of the same name.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + path.string() + ": " + std::strerror(errno));
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) return nullptr;
        throw std::runtime_error("cannot lock " + path.string() + ": " + std::strerror(err));
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

}  // namespace vyk::platform
