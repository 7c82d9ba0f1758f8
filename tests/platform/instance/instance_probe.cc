// Helper process for the instance-lock tests: waits for one byte on stdin (so several probes
// can be released together), tries the lock, prints "got" or "busy", then holds whatever it got
// until stdin is closed.
#include "platform/instance/instance_lock.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    char c;
    if (::read(0, &c, 1) != 1) return 3;
    auto lock = vyk::platform::InstanceLock::tryAcquire(argv[1]);
    std::printf("%s\n", lock ? "got" : "busy");
    std::fflush(stdout);
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
}
