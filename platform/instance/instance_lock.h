#pragma once
// Single-instance lock of a program, named by its main window class ("TVYKMONMAIN").
//
// An exclusive flock() on <runtime dir>/<name>.lock. The kernel drops the lock when the
// process ends in any way, so a crashed program never blocks the next start, and two programs
// started at the same moment cannot both get it: the test and the taking are one system call.

#include <memory>
#include <string>

namespace vyk::platform {

class InstanceLock {
public:
    // Takes the lock, or returns null when another process holds it. Throws std::runtime_error
    // when the lock file cannot be opened at all.
    static std::unique_ptr<InstanceLock> tryAcquire(const std::string& name);

    ~InstanceLock();  // releases the lock; the file is left in place on purpose
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace vyk::platform
