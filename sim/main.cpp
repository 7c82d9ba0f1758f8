// vyk-mouse-sim: the simulated mouse.
//
//   vyk-mouse-sim serve [options]      run the simulated mouse (see sim/README.md)
//   vyk-mouse-sim ctl [--socket PATH] COMMAND...
//                                      send one control command to a running simulator

#include "sim/mouse_sim_server.h"

#include "platform/hid/sim_protocol.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace wire = vyk::platform::hid::simwire;

namespace {

const char* kUsage =
    "usage:\n"
    "  vyk-mouse-sim serve [--socket PATH] [--interfaces 1|2] [--other-interface] [--timing]\n"
    "                      [--log FILE|--no-log] [--memory-file FILE] [--vid HEX] [--pid HEX]\n"
    "                      [--rev HEX] [--detach]\n"
    "  vyk-mouse-sim ctl [--socket PATH] COMMAND [ARGS...]\n"
    "commands: status | input [--if N] [--exact] HEX... | unplug | plug | replug |\n"
    "          fail COUNT [SKIP] [CODE|unplug] | timing on|off | peek [--if N] ADDR LEN |\n"
    "          poke [--if N] ADDR HEX... | quit\n";

bool parseHex16(const char* s, std::uint16_t& out) {
    char* end = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(s, &end, 16);
    if (errno != 0 || end == s || *end != '\0' || v > 0xFFFF) return false;
    out = static_cast<std::uint16_t>(v);
    return true;
}

int runCtl(int argc, char** argv) {
    std::string socket = wire::defaultSocketPath();
    int i = 2;
    if (i + 1 < argc && std::strcmp(argv[i], "--socket") == 0) {
        socket = argv[i + 1];
        i += 2;
    }
    if (i >= argc) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string line;
    for (; i < argc; ++i) {
        if (!line.empty()) line += ' ';
        line += argv[i];
    }
    const int fd = wire::connectTo(socket);
    if (fd < 0) {
        std::fprintf(stderr, "vyk-mouse-sim: no simulated mouse at %s (%s)\n", socket.c_str(), std::strerror(errno));
        return 1;
    }
    wire::FrameHeader h;
    std::vector<std::uint8_t> reply;
    const bool ok = wire::sendFrame(fd, wire::kControl, 0, 0, line.data(), line.size()) &&
                    wire::recvFrame(fd, h, reply, 10000) == 1 && h.type == wire::kControlReply;
    ::close(fd);
    if (!ok) {
        std::fprintf(stderr, "vyk-mouse-sim: no answer from %s\n", socket.c_str());
        return 1;
    }
    const std::string text(reply.begin(), reply.end());
    std::printf("%s\n", text.c_str());
    return text.rfind("ok", 0) == 0 ? 0 : 1;
}

int runServe(int argc, char** argv) {
    vyk::sim::SimOptions o;
    o.socketPath = wire::defaultSocketPath();
    bool detach = false;
    bool noLog = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--socket" && hasValue)
            o.socketPath = argv[++i];
        else if (a == "--interfaces" && hasValue) {
            const std::string v = argv[++i];
            if (v != "1" && v != "2") {
                std::fprintf(stderr, "vyk-mouse-sim: --interfaces takes 1 or 2\n");
                return 2;
            }
            o.matchingInterfaces = v == "2" ? 2 : 1;
        } else if (a == "--other-interface")
            o.otherInterface = true;
        else if (a == "--timing")
            o.timing = true;
        else if (a == "--log" && hasValue)
            o.logPath = argv[++i];
        else if (a == "--no-log")
            noLog = true;
        else if (a == "--memory-file" && hasValue)
            o.memoryFile = argv[++i];
        else if ((a == "--vid" || a == "--pid" || a == "--rev") && hasValue) {
            std::uint16_t v;
            if (!parseHex16(argv[++i], v)) {
                std::fprintf(stderr, "vyk-mouse-sim: %s takes a 16-bit hex number\n", a.c_str());
                return 2;
            }
            (a == "--vid" ? o.vendorId : a == "--pid" ? o.productId : o.version) = v;
        } else if (a == "--detach")
            detach = true;
        else {
            std::fprintf(stderr, "vyk-mouse-sim: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        }
    }
    if (noLog)
        o.logPath.clear();
    else if (o.logPath.empty()) {
        const std::size_t slash = o.socketPath.rfind('/');
        o.logPath = (slash == std::string::npos ? std::string(".") : o.socketPath.substr(0, slash)) + "/mouse-sim.log";
    }

    int ready[2] = {-1, -1};
    if (detach) {
        // Fork before any thread exists; the parent returns once the socket is ready.
        if (::pipe(ready) != 0) return 1;
        const pid_t pid = ::fork();
        if (pid < 0) return 1;
        if (pid > 0) {
            ::close(ready[1]);
            char status = 1;
            const bool got = ::read(ready[0], &status, 1) == 1;
            ::close(ready[0]);
            return got && status == 0 ? 0 : 1;
        }
        ::close(ready[0]);
        ::setsid();
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // inherited by the server's threads
    const int sigFd = ::signalfd(-1, &signals, SFD_CLOEXEC);

    vyk::sim::MouseSimServer server(o);
    std::string error;
    const bool started = server.start(&error);
    if (detach) {
        const char status = started ? 0 : 1;
        [[maybe_unused]] const ssize_t n = ::write(ready[1], &status, 1);
        ::close(ready[1]);
    }
    if (!started) {
        std::fprintf(stderr, "vyk-mouse-sim: %s\n", error.c_str());
        return 1;
    }
    if (!detach) std::fprintf(stderr, "vyk-mouse-sim: listening on %s\n", o.socketPath.c_str());
    if (detach) {
        // Leave the terminal alone from here on.
        if (const int null = ::open("/dev/null", O_RDWR); null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            if (null > 2) ::close(null);
        }
    }
    pollfd p[2] = {{sigFd, POLLIN, 0}, {server.quitFd(), POLLIN, 0}};
    while (::poll(p, 2, -1) < 0 && errno == EINTR) {
    }
    server.stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "serve") == 0) return runServe(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "ctl") == 0) return runCtl(argc, argv);
    std::fputs(kUsage,
               argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) ? stdout : stderr);
    return argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) ? 0 : 2;
}
