#include "platform/hid/sim_protocol.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vyk::platform::hid::simwire {

namespace {
void put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    put16(b, static_cast<std::uint16_t>(v));
    put16(b, static_cast<std::uint16_t>(v >> 16));
}
std::uint16_t get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t get32(const std::uint8_t* p) { return get16(p) | (static_cast<std::uint32_t>(get16(p + 2)) << 16); }
}  // namespace

std::vector<std::uint8_t> encodeInterfaces(const std::vector<InterfaceEntry>& list) {
    std::vector<std::uint8_t> b;
    put32(b, static_cast<std::uint32_t>(list.size()));
    for (const InterfaceEntry& e : list) {
        put32(b, e.index);
        put16(b, e.vendorId);
        put16(b, e.productId);
        put16(b, e.version);
        put16(b, static_cast<std::uint16_t>(e.interfaceNumber));
        put16(b, static_cast<std::uint16_t>(e.descriptor.size()));
        b.insert(b.end(), e.descriptor.begin(), e.descriptor.end());
    }
    return b;
}

bool decodeInterfaces(const std::vector<std::uint8_t>& p, std::vector<InterfaceEntry>& out) {
    out.clear();
    if (p.size() < 4) return false;
    const std::uint32_t n = get32(p.data());
    std::size_t pos = 4;
    for (std::uint32_t i = 0; i < n; ++i) {
        if (p.size() - pos < 14) return false;
        InterfaceEntry e;
        e.index = get32(&p[pos]);
        e.vendorId = get16(&p[pos + 4]);
        e.productId = get16(&p[pos + 6]);
        e.version = get16(&p[pos + 8]);
        e.interfaceNumber = static_cast<std::int16_t>(get16(&p[pos + 10]));
        const std::size_t len = get16(&p[pos + 12]);
        pos += 14;
        if (p.size() - pos < len) return false;
        e.descriptor.assign(p.begin() + static_cast<std::ptrdiff_t>(pos),
                            p.begin() + static_cast<std::ptrdiff_t>(pos + len));
        pos += len;
        out.push_back(std::move(e));
    }
    return pos == p.size();
}

std::string defaultSocketPath() {
    if (const char* s = std::getenv("VYK_SIM_SOCKET"); s != nullptr && *s != '\0') return s;
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r != nullptr && *r != '\0')
        return std::string(r) + "/vyk/mouse-sim.sock";
    return "/tmp/vyk-" + std::to_string(::getuid()) + "/mouse-sim.sock";
}

int connectTo(const std::string& socketPath) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof(addr.sun_path)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    return fd;
}

bool sendFrame(int fd, std::uint32_t type, std::uint32_t iface, std::uint32_t status, const void* data,
               std::size_t length, bool dontWait) {
    if (length > kMaxPayload) {
        errno = EMSGSIZE;
        return false;
    }
    std::vector<std::uint8_t> buf(sizeof(FrameHeader) + length);
    const FrameHeader h{type, iface, status, static_cast<std::uint32_t>(length)};
    std::memcpy(buf.data(), &h, sizeof h);
    if (length > 0) std::memcpy(buf.data() + sizeof h, data, length);
    int flags = MSG_NOSIGNAL;
    if (dontWait) flags |= MSG_DONTWAIT;
    for (;;) {
        const ssize_t n = ::send(fd, buf.data(), buf.size(), flags);
        if (n == static_cast<ssize_t>(buf.size())) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n >= 0) errno = EIO;
        return false;
    }
}

int recvFrame(int fd, FrameHeader& header, std::vector<std::uint8_t>& payload, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0) {
            errno = ETIMEDOUT;
            return -1;
        }
        break;
    }
    // One receive buffer per thread, so a reader receives its reports without allocating. It is
    // left uninitialised: only the pages that frames have filled take up memory (frames are
    // small; the largest possible one would need 256 KiB of every thread that receives).
    constexpr std::size_t kBufferSize = sizeof(FrameHeader) + kMaxPayload;
    thread_local const std::unique_ptr<std::uint8_t[]> buf =
        std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize);
    ssize_t n;
    do {
        n = ::recv(fd, buf.get(), kBufferSize, 0);
    } while (n < 0 && errno == EINTR);
    if (n == 0) return 0;
    if (n < 0) {
        if (errno == ECONNRESET) return 0;
        return -1;
    }
    if (static_cast<std::size_t>(n) < sizeof(FrameHeader)) {
        errno = EPROTO;
        return -1;
    }
    std::memcpy(&header, buf.get(), sizeof header);
    if (header.length != static_cast<std::size_t>(n) - sizeof(FrameHeader)) {
        errno = EPROTO;
        return -1;
    }
    payload.assign(buf.get() + sizeof(FrameHeader), buf.get() + n);
    return 1;
}

}  // namespace vyk::platform::hid::simwire
