// Tests only: hidraw nodes backed by the simulated mouse (see fake_hidraw.h).

#include "tests/umockdev/fake_hidraw/fake_hidraw.h"

#include "platform/hid/sim_protocol.h"

#include <linux/hidraw.h>
#include <linux/input.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#define VYK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

namespace wire = vyk::platform::hid::simwire;

constexpr const char* kNodePrefix = "/dev/hidraw";
constexpr std::size_t kMaxBuffer = 16384;  // HID_MAX_BUFFER_SIZE
constexpr int kOpenReplyTimeoutMs = 5000;
constexpr int kMaxTrackedFd = 65536;

// The C library's functions, looked up past this library.
template <class F>
F next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}
using OpenFn = int (*)(const char*, int, ...);
using OpenAtFn = int (*)(int, const char*, int, ...);
using CloseFn = int (*)(int);
using ReadFn = ssize_t (*)(int, void*, std::size_t);
using WriteFn = ssize_t (*)(int, const void*, std::size_t);
using IoctlFn = int (*)(int, unsigned long, ...);

CloseFn realClose() {
    static CloseFn f = next<CloseFn>("close");
    return f;
}

struct Node {
    std::string socket;
    std::uint32_t iface = 0;
    int refuse = 0;
};

struct Handle {
    int appFd = -1;   // what the application holds
    int peerFd = -1;  // the other end: input reports are written here
    int simFd = -1;   // the handle connection to the simulator
    wire::InterfaceEntry entry;
    std::thread pump;

    std::mutex requestMutex;  // one request at a time
    std::mutex m;             // everything below
    std::condition_variable cv;
    bool gone = false;
    bool haveReply = false;
    wire::FrameHeader reply;
    std::vector<std::uint8_t> replyPayload;
};

// Constant-initialised, so the fast path works before any constructor of this library ran.
std::atomic<bool> gTracked[kMaxTrackedFd];
std::atomic<std::uint64_t> gReads{0};
std::atomic<std::uint64_t> gIoctls{0};
std::atomic<int> gUnplugErrno{ESHUTDOWN};

struct State {
    std::mutex m;
    std::map<std::string, Node> nodes;
    std::map<int, std::shared_ptr<Handle>> handles;
};

// Never destroyed: calls may come from other libraries' exit handlers.
State& state() {
    static State* s = new State;
    return *s;
}

bool tracked(int fd) { return fd >= 0 && fd < kMaxTrackedFd && gTracked[fd].load(std::memory_order_acquire); }

std::shared_ptr<Handle> handleOf(int fd) {
    std::lock_guard lock(state().m);
    auto it = state().handles.find(fd);
    return it == state().handles.end() ? nullptr : it->second;
}

int fail(int err) {
    errno = err;
    return -1;
}

// A device's answer to a request, as the USB HID driver turns it into an errno.
int errnoOfStatus(std::uint32_t status) {
    switch (status) {
    case 31: return EPIPE;  // the device stalled the control transfer
    case 87: return EINVAL;
    case 121: return ETIMEDOUT;
    case 1167: return ENODEV;
    default: return EIO;
    }
}

void pumpLoop(Handle* h) {
    wire::FrameHeader f;
    std::vector<std::uint8_t> payload;
    for (;;) {
        const int got = wire::recvFrame(h->simFd, f, payload, -1);
        if (got != 1) break;
        if (f.type == wire::kInput) {
            // A full queue drops the report, as the kernel's per-reader buffer does.
            [[maybe_unused]] const ssize_t n =
                ::send(h->peerFd, payload.data(), payload.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            continue;
        }
        std::lock_guard lock(h->m);
        h->reply = f;
        h->replyPayload = payload;
        h->haveReply = true;
        h->cv.notify_all();
    }
    {
        std::lock_guard lock(h->m);
        h->gone = true;
        h->cv.notify_all();
    }
    // The reader's poll() now reports POLLHUP, and read() finds the end.
    ::shutdown(h->peerFd, SHUT_RDWR);
}

// Sends one request and waits for its answer. Returns 0 with the reply, or an errno.
int request(Handle& h, std::uint32_t type, const void* data, std::size_t length, wire::FrameHeader& reply,
            std::vector<std::uint8_t>& replyPayload) {
    std::lock_guard serial(h.requestMutex);
    std::unique_lock lock(h.m);
    if (h.gone) return ENODEV;
    h.haveReply = false;
    lock.unlock();
    const bool sent = wire::sendFrame(h.simFd, type, h.entry.index, 0, data, length);
    lock.lock();
    if (sent)
        h.cv.wait(lock, [&] { return h.haveReply || h.gone; });
    else
        h.cv.wait(lock, [&] { return h.gone; });
    if (!h.haveReply) return gUnplugErrno.load();  // the device went away during the transfer
    reply = h.reply;
    replyPayload = std::move(h.replyPayload);
    h.haveReply = false;
    return 0;
}

int openNode(const char* path, int flags) {
    Node node;
    {
        std::lock_guard lock(state().m);
        auto it = state().nodes.find(path);
        if (it == state().nodes.end()) return fail(ENOENT);
        node = it->second;
    }
    if (node.refuse != 0) return fail(node.refuse);

    const int simFd = wire::connectTo(node.socket);
    if (simFd < 0) return fail(ENODEV);
    wire::FrameHeader f;
    std::vector<std::uint8_t> payload;
    std::vector<wire::InterfaceEntry> entries;
    if (!wire::sendFrame(simFd, wire::kOpen, node.iface, 0) ||
        wire::recvFrame(simFd, f, payload, kOpenReplyTimeoutMs) != 1 || f.type != wire::kOpenReply || f.status != 0 ||
        !wire::decodeInterfaces(payload, entries) || entries.size() != 1) {
        realClose()(simFd);
        return fail(ENODEV);
    }
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | ((flags & O_CLOEXEC) ? SOCK_CLOEXEC : 0), 0, sv) != 0) {
        const int e = errno;
        realClose()(simFd);
        return fail(e);
    }
    if (flags & O_NONBLOCK) ::fcntl(sv[0], F_SETFL, ::fcntl(sv[0], F_GETFL) | O_NONBLOCK);
    if (sv[0] >= kMaxTrackedFd) {
        realClose()(sv[0]);
        realClose()(sv[1]);
        realClose()(simFd);
        return fail(EMFILE);
    }
    auto h = std::make_shared<Handle>();
    h->appFd = sv[0];
    h->peerFd = sv[1];
    h->simFd = simFd;
    h->entry = std::move(entries.front());
    {
        std::lock_guard lock(state().m);
        state().handles[h->appFd] = h;
        gTracked[h->appFd].store(true, std::memory_order_release);
    }
    h->pump = std::thread(pumpLoop, h.get());
    return h->appFd;
}

bool isNodePath(const char* path) {
    return path != nullptr && std::strncmp(path, kNodePrefix, std::strlen(kNodePrefix)) == 0;
}

mode_t modeArg(int flags, va_list ap) {
    const bool hasMode = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    return hasMode ? static_cast<mode_t>(va_arg(ap, int)) : 0;
}

int setFeature(Handle& h, unsigned char* buf, std::size_t len) {
    if (len > kMaxBuffer || len < 2) return fail(EINVAL);
    wire::FrameHeader r;
    std::vector<std::uint8_t> p;
    if (const int e = request(h, wire::kSetFeature, buf, len, r, p); e != 0) return fail(e);
    if (r.status != 0) return fail(errnoOfStatus(r.status));
    return static_cast<int>(len);
}

int getFeature(Handle& h, unsigned char* buf, std::size_t len) {
    if (len > kMaxBuffer || len < 2) return fail(EINVAL);
    const std::uint8_t req[5] = {buf[0], static_cast<std::uint8_t>(len), static_cast<std::uint8_t>(len >> 8), 0, 0};
    wire::FrameHeader r;
    std::vector<std::uint8_t> p;
    if (const int e = request(h, wire::kGetFeature, req, sizeof req, r, p); e != 0) return fail(e);
    if (r.status != 0) return fail(errnoOfStatus(r.status));
    const std::size_t n = std::min(len, p.size());
    std::memcpy(buf, p.data(), n);
    return static_cast<int>(n);
}

int hidrawIoctl(Handle& h, unsigned long request, void* arg) {
    {
        std::lock_guard lock(h.m);
        if (h.gone) return fail(ENODEV);
    }
    const std::vector<std::uint8_t>& desc = h.entry.descriptor;
    switch (request) {
    case HIDIOCGRDESCSIZE: *static_cast<int*>(arg) = static_cast<int>(desc.size()); return 0;
    case HIDIOCGRDESC: {
        auto* d = static_cast<hidraw_report_descriptor*>(arg);
        if (d->size > HID_MAX_DESCRIPTOR_SIZE - 1) return fail(EINVAL);
        std::memcpy(d->value, desc.data(), std::min<std::size_t>(d->size, desc.size()));
        return 0;
    }
    case HIDIOCGRAWINFO: {
        auto* i = static_cast<hidraw_devinfo*>(arg);
        i->bustype = BUS_USB;
        i->vendor = static_cast<__s16>(h.entry.vendorId);
        i->product = static_cast<__s16>(h.entry.productId);
        return 0;
    }
    default: break;
    }
    if (_IOC_TYPE(request) != 'H') return fail(EINVAL);
    const std::size_t len = _IOC_SIZE(request);
    if (_IOC_DIR(request) == (_IOC_READ | _IOC_WRITE)) {
        if (_IOC_NR(request) == _IOC_NR(HIDIOCSFEATURE(0))) return setFeature(h, static_cast<unsigned char*>(arg), len);
        if (_IOC_NR(request) == _IOC_NR(HIDIOCGFEATURE(0))) return getFeature(h, static_cast<unsigned char*>(arg), len);
    }
    return fail(ENOTTY);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Interposed calls

VYK_EXPORT int open(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (isNodePath(path)) return openNode(path, flags);
    static OpenFn f = next<OpenFn>("open");
    return f(path, flags, mode);
}

VYK_EXPORT int open64(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (isNodePath(path)) return openNode(path, flags);
    static OpenFn f = next<OpenFn>("open64");
    return f(path, flags, mode);
}

VYK_EXPORT int __open_2(const char* path, int flags) {
    if (isNodePath(path)) return openNode(path, flags);
    static auto f = next<int (*)(const char*, int)>("__open_2");
    return f(path, flags);
}

VYK_EXPORT int __open64_2(const char* path, int flags) {
    if (isNodePath(path)) return openNode(path, flags);
    static auto f = next<int (*)(const char*, int)>("__open64_2");
    return f(path, flags);
}

VYK_EXPORT int openat(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (isNodePath(path)) return openNode(path, flags);
    static OpenAtFn f = next<OpenAtFn>("openat");
    return f(dirfd, path, flags, mode);
}

VYK_EXPORT int openat64(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (isNodePath(path)) return openNode(path, flags);
    static OpenAtFn f = next<OpenAtFn>("openat64");
    return f(dirfd, path, flags, mode);
}

VYK_EXPORT int close(int fd) {
    if (!tracked(fd)) return realClose()(fd);
    std::shared_ptr<Handle> h;
    {
        std::lock_guard lock(state().m);
        auto it = state().handles.find(fd);
        if (it != state().handles.end()) {
            h = it->second;
            state().handles.erase(it);
        }
        gTracked[fd].store(false, std::memory_order_release);
    }
    if (!h) return realClose()(fd);
    ::shutdown(h->simFd, SHUT_RDWR);  // ends the pump
    if (h->pump.joinable()) h->pump.join();
    realClose()(h->simFd);
    realClose()(h->peerFd);
    return realClose()(h->appFd);
}

VYK_EXPORT ssize_t read(int fd, void* buf, std::size_t count) {
    static ReadFn f = next<ReadFn>("read");
    if (!tracked(fd)) return f(fd, buf, count);
    gReads.fetch_add(1, std::memory_order_relaxed);
    std::shared_ptr<Handle> h = handleOf(fd);
    const ssize_t n = f(fd, buf, count);
    if (n == 0 && h) {
        std::lock_guard lock(h->m);
        if (h->gone) return fail(EIO);  // hidraw: the device is gone and nothing is queued
    }
    return n;
}

VYK_EXPORT ssize_t write(int fd, const void* buf, std::size_t count) {
    static WriteFn f = next<WriteFn>("write");
    if (!tracked(fd)) return f(fd, buf, count);
    std::shared_ptr<Handle> h = handleOf(fd);
    if (!h) return fail(EBADF);
    {
        std::lock_guard lock(h->m);
        if (h->gone) return fail(ENODEV);
    }
    if (count > kMaxBuffer || count < 2) return fail(EINVAL);
    wire::FrameHeader r;
    std::vector<std::uint8_t> p;
    if (const int e = request(*h, wire::kWrite, buf, count, r, p); e != 0) return fail(e);
    if (r.status != 0) return fail(errnoOfStatus(r.status));
    return static_cast<ssize_t>(count);
}

VYK_EXPORT int ioctl(int fd, unsigned long request, ...) {
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    static IoctlFn f = next<IoctlFn>("ioctl");
    if (!tracked(fd)) return f(fd, request, arg);
    gIoctls.fetch_add(1, std::memory_order_relaxed);
    std::shared_ptr<Handle> h = handleOf(fd);
    if (!h) return fail(EBADF);
    return hidrawIoctl(*h, request, arg);
}

// ---------------------------------------------------------------------------------------------
// Control by the tests

VYK_EXPORT void vyk_fake_hidraw_map(const char* node, const char* simSocket, uint32_t iface) {
    std::lock_guard lock(state().m);
    Node& n = state().nodes[node];
    n.socket = simSocket;
    n.iface = iface;
}

VYK_EXPORT void vyk_fake_hidraw_unmap(const char* node) {
    std::lock_guard lock(state().m);
    state().nodes.erase(node);
}

VYK_EXPORT void vyk_fake_hidraw_refuse_open(const char* node, int err) {
    std::lock_guard lock(state().m);
    auto it = state().nodes.find(node);
    if (it != state().nodes.end()) it->second.refuse = err;
}

VYK_EXPORT void vyk_fake_hidraw_set_unplug_errno(int err) { gUnplugErrno.store(err); }

VYK_EXPORT uint64_t vyk_fake_hidraw_reads(void) { return gReads.load(); }
VYK_EXPORT uint64_t vyk_fake_hidraw_ioctls(void) { return gIoctls.load(); }

VYK_EXPORT uint32_t vyk_fake_hidraw_open_handles(void) {
    std::lock_guard lock(state().m);
    return static_cast<uint32_t>(state().handles.size());
}

VYK_EXPORT void vyk_fake_hidraw_reset(void) {
    std::lock_guard lock(state().m);
    state().nodes.clear();
    gReads = 0;
    gIoctls = 0;
    gUnplugErrno = ESHUTDOWN;
}
