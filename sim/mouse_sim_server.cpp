#include "sim/mouse_sim_server.h"

#include "core/device/feature_reports.h"
#include "platform/hid/sim_protocol.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vyk::sim {

namespace wire = vyk::platform::hid::simwire;

namespace {

constexpr std::uint32_t kGenFailure = 31;
constexpr std::uint32_t kNotConnected = 1167;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::size_t kMemoryLogEntries = 20000;

// Feature report sizes by report ID (the size counts the ID byte): the protocol's table.
constexpr std::size_t featureSize(std::uint8_t id) { return vyk::device::featureReportSize(id); }

void wake(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
}

std::string hex(const std::uint8_t* b, std::size_t n) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    s.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += digits[b[i] >> 4];
        s += digits[b[i] & 15];
    }
    return s;
}

bool parseHexBytes(const std::vector<std::string>& tokens, std::size_t from, std::vector<std::uint8_t>& out) {
    out.clear();
    for (std::size_t i = from; i < tokens.size(); ++i) {
        std::string t = tokens[i];
        if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = t.substr(2);
        if (t.empty() || t.size() % 2 != 0) return false;
        for (std::size_t k = 0; k < t.size(); k += 2) {
            if (!std::isxdigit(static_cast<unsigned char>(t[k])) ||
                !std::isxdigit(static_cast<unsigned char>(t[k + 1])))
                return false;
            out.push_back(static_cast<std::uint8_t>(std::stoul(t.substr(k, 2), nullptr, 16)));
        }
    }
    return true;
}

bool parseNumber(const std::string& t, std::uint64_t& v) {
    if (t.empty()) return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtoull(t.c_str(), &end, 0);
    return errno == 0 && end != nullptr && *end == '\0';
}

}  // namespace

struct MouseSimServer::Interface {
    std::uint32_t index = 0;
    std::int16_t interfaceNumber = -1;
    std::vector<std::uint8_t> descriptor;
    bool vendor = false;
    std::vector<std::uint8_t> memory;
    // The read prepared by the last command 3: the header bytes 1..7 and the range.
    bool pendingRead = false;
    std::uint8_t pendingHeader[7] = {};
    std::uint32_t pendingAddress = 0;
    std::uint32_t pendingLength = 0;
    // What commands 1, 4, 5 and 6 last set.
    std::uint8_t profile[2] = {};
    std::uint8_t ledPreview[5] = {};
    std::uint8_t sensorLift = 0;
    std::uint8_t writeMode = 0;
};

struct MouseSimServer::Connection {
    int fd = -1;
    std::thread thread;
    std::atomic<bool> done{false};
    enum Kind { Unknown, Handle, Watch } kind = Unknown;
    std::uint32_t iface = 0;
};

MouseSimServer::MouseSimServer(SimOptions options) : options_(std::move(options)) {
    if (options_.socketPath.empty()) options_.socketPath = wire::defaultSocketPath();
    timing_ = options_.timing;
    auto add = [&](std::uint32_t index, std::int16_t number, bool vendor) {
        auto i = std::make_unique<Interface>();
        i->index = index;
        i->interfaceNumber = number;
        i->vendor = vendor;
        i->descriptor = vendor ? vendorDescriptor() : mouseDescriptor();
        if (vendor) i->memory.assign(kDeviceMemorySize, 0);
        interfaces_.push_back(std::move(i));
    };
    if (options_.otherInterface) add(kMouseInterface, 0, false);
    add(kVendorInterface, 1, true);
    if (options_.matchingInterfaces >= 2) add(kSecondVendorInterface, 2, true);
    std::sort(interfaces_.begin(), interfaces_.end(), [](const auto& a, const auto& b) { return a->index < b->index; });

    if (!options_.memoryFile.empty()) {
        std::ifstream in(options_.memoryFile, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes.resize(std::min(bytes.size(), kDeviceMemorySize));
        for (auto& i : interfaces_)
            if (i->vendor) std::copy(bytes.begin(), bytes.end(), i->memory.begin());
    }
}

MouseSimServer::~MouseSimServer() {
    stop();
    if (quitFd_ >= 0) ::close(quitFd_);
}

std::vector<std::uint8_t> MouseSimServer::vendorDescriptor() {
    return {
        0x06, 0xA0, 0xFF,                                      // Usage Page (0xFFA0)
        0x09, 0x01,                                            // Usage (1)
        0xA1, 0x01,                                            // Collection (Application)
        0x15, 0x00,                                            //   Logical Minimum (0)
        0x26, 0xFF, 0x00,                                      //   Logical Maximum (255)
        0x75, 0x08,                                            //   Report Size (8)
        0x85, 0x02, 0x95, 0x0F, 0x09, 0x02, 0xB1, 0x02,        // feature 2: 15 bytes
        0x85, 0x03, 0x95, 0x3F, 0x09, 0x03, 0xB1, 0x02,        // feature 3: 63 bytes
        0x85, 0x04, 0x96, 0xFF, 0x03, 0x09, 0x04, 0xB1, 0x02,  // feature 4: 1023 bytes
        0x85, 0x05, 0x96, 0xFF, 0x07, 0x09, 0x05, 0xB1, 0x02,  // feature 5: 2047 bytes
        0x85, 0x06, 0x96, 0xFF, 0x0F, 0x09, 0x06, 0xB1, 0x02,  // feature 6: 4095 bytes
        0x85, 0x07, 0x95, 0x07, 0x09, 0x07, 0x81, 0x02,        // input 7: 7 bytes
        0x85, 0x08, 0x95, 0x07, 0x09, 0x08, 0x81, 0x02,        // input 8: 7 bytes
        0x85, 0x09, 0x95, 0x07, 0x09, 0x09, 0x91, 0x02,        // output 9: 7 bytes
        0xC0,                                                  // End Collection
    };
}

std::vector<std::uint8_t> MouseSimServer::mouseDescriptor() {
    // A boot-style mouse: 5 buttons, X, Y and wheel; no report IDs.
    return {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // Generic Desktop, Mouse, Application
        0x09, 0x01, 0xA1, 0x00,              //   Pointer, Physical
        0x05, 0x09, 0x19, 0x01, 0x29, 0x05,  //     Buttons 1..5
        0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x03, 0x81, 0x01,  //     3 bits padding
        0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81,
        0x06, 0xC0, 0xC0,
    };
}

std::chrono::microseconds MouseSimServer::transferTime(std::size_t reportBytes) {
    // A control transfer at USB full speed: on average half a 1 ms frame until it is
    // scheduled, then the setup and status stages and one 64-byte data packet per started
    // 64 bytes, each about 70 us on the wire with its token, handshake and gaps.
    const std::size_t packets = (reportBytes + 63) / 64;
    return std::chrono::microseconds(500 + 70 * static_cast<std::int64_t>(packets + 2));
}

std::string MouseSimServer::formatLogLine(const LoggedReport& r) {
    return std::to_string(r.seq) + " if" + std::to_string(r.iface) + " " + r.kind + " " + std::to_string(r.status) +
           " " + hex(r.bytes.data(), r.bytes.size());
}

bool MouseSimServer::start(std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        return false;
    };
    if (started_) return true;
    const std::string& path = options_.socketPath;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof(addr.sun_path)) return fail("socket path too long: " + path);
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);

    const std::filesystem::path dir = std::filesystem::path(path).parent_path();
    if (!dir.empty()) {
        std::error_code ec;
        if (!std::filesystem::exists(dir, ec)) {
            std::filesystem::create_directories(dir, ec);
            if (ec) return fail("cannot create " + dir.string() + ": " + ec.message());
            ::chmod(dir.c_str(), 0700);
        }
    }
    // Another simulator already there? Then refuse; a stale file is replaced.
    if (const int probe = wire::connectTo(path); probe >= 0) {
        ::close(probe);
        return fail("a simulated mouse already listens on " + path);
    }
    ::unlink(path.c_str());

    listenFd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return fail(std::string("socket: ") + std::strerror(errno));
    if (::bind(listenFd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        return fail("cannot bind " + path + ": " + std::strerror(errno));
    if (::listen(listenFd_, 64) != 0) return fail(std::string("listen: ") + std::strerror(errno));
    if (wakeFd_ < 0) wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (quitFd_ < 0) quitFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (wakeFd_ < 0 || quitFd_ < 0) return fail("eventfd failed");
    started_ = true;
    acceptThread_ = std::thread([this] { acceptLoop(); });
    return true;
}

void MouseSimServer::stop() {
    if (!started_) return;
    started_ = false;
    wake(wakeFd_);
    if (acceptThread_.joinable()) acceptThread_.join();
    {
        std::lock_guard lock(mutex_);
        for (auto& c : connections_)
            if (c->fd >= 0) ::shutdown(c->fd, SHUT_RDWR);
    }
    reapFinished(true);
    ::close(listenFd_);
    listenFd_ = -1;
    ::unlink(options_.socketPath.c_str());
    ::close(wakeFd_);
    wakeFd_ = -1;
    saveMemory();
}

void MouseSimServer::acceptLoop() {
    for (;;) {
        pollfd p[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (p[1].revents & POLLIN) return;
        if (!(p[0].revents & POLLIN)) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        reapFinished(false);
        std::lock_guard lock(mutex_);
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        Connection* raw = c.get();
        connections_.push_back(std::move(c));
        raw->thread = std::thread([this, raw] { serveConnection(raw); });
    }
}

void MouseSimServer::reapFinished(bool all) {
    std::list<std::unique_ptr<Connection>> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            if (all || (*it)->done) {
                finished.push_back(std::move(*it));
                it = connections_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : finished)
        if (c->thread.joinable()) c->thread.join();
}

void MouseSimServer::serveConnection(Connection* c) {
    wire::FrameHeader h;
    std::vector<std::uint8_t> payload;
    if (wire::recvFrame(c->fd, h, payload, 10000) == 1) {
        switch (h.type) {
        case wire::kList: {
            std::vector<wire::InterfaceEntry> list;
            {
                std::lock_guard lock(mutex_);
                if (plugged_)
                    for (auto& i : interfaces_)
                        list.push_back({i->index, options_.vendorId, options_.productId, options_.version,
                                        i->interfaceNumber, i->descriptor});
            }
            const auto bytes = wire::encodeInterfaces(list);
            wire::sendFrame(c->fd, wire::kListReply, 0, 0, bytes.data(), bytes.size());
            break;
        }
        case wire::kOpen: serveHandle(c, h.iface); break;
        case wire::kWatch: {
            std::vector<wire::InterfaceEntry> list;
            {
                std::lock_guard lock(mutex_);
                c->kind = Connection::Watch;
                if (plugged_)
                    for (auto& i : interfaces_)
                        list.push_back({i->index, options_.vendorId, options_.productId, options_.version,
                                        i->interfaceNumber, i->descriptor});
                const auto bytes = wire::encodeInterfaces(list);
                wire::sendFrame(c->fd, wire::kWatchReply, 0, 0, bytes.data(), bytes.size());
            }
            // Wait for the watcher to leave (or the server to stop).
            while (wire::recvFrame(c->fd, h, payload, -1) == 1) {
            }
            break;
        }
        case wire::kControl: {
            const std::string reply = control(std::string(payload.begin(), payload.end()));
            wire::sendFrame(c->fd, wire::kControlReply, 0, 0, reply.data(), reply.size());
            break;
        }
        default: break;
        }
    }
    {
        std::lock_guard lock(mutex_);
        c->kind = Connection::Unknown;
        ::close(c->fd);
        c->fd = -1;
    }
    c->done = true;
}

void MouseSimServer::serveHandle(Connection* c, std::uint32_t iface) {
    {
        std::lock_guard lock(mutex_);
        Interface* i = find(iface);
        if (i == nullptr || !plugged_) {
            wire::sendFrame(c->fd, wire::kOpenReply, iface, i == nullptr ? 2u : kNotConnected);
            return;
        }
        c->kind = Connection::Handle;
        c->iface = iface;
        const auto bytes = wire::encodeInterfaces(
            {{i->index, options_.vendorId, options_.productId, options_.version, i->interfaceNumber, i->descriptor}});
        wire::sendFrame(c->fd, wire::kOpenReply, iface, 0, bytes.data(), bytes.size());
    }
    wire::FrameHeader h;
    std::vector<std::uint8_t> payload;
    std::vector<std::uint8_t> answer;
    while (wire::recvFrame(c->fd, h, payload, -1) == 1) {
        std::uint32_t status = 0;
        std::uint32_t replyType = 0;
        std::size_t modelled = 0;
        answer.clear();
        const char* kind = nullptr;
        std::uint32_t failure = 0;
        const bool failing = (h.type == wire::kSetFeature || h.type == wire::kGetFeature || h.type == wire::kWrite) &&
                             takeFailure(failure);
        if (failing && failure == kFailByUnplug) {
            record(iface,
                   h.type == wire::kGetFeature ? "GET"
                   : h.type == wire::kWrite    ? "OUT"
                                               : "SET",
                   kNotConnected, payload.data(),
                   h.type == wire::kGetFeature ? std::min<std::size_t>(payload.size(), 1) : payload.size());
            unplug();
            break;
        }
        {
            std::lock_guard lock(mutex_);
            Interface* i = find(iface);
            if (i == nullptr) break;
            switch (h.type) {
            case wire::kSetFeature:
                replyType = wire::kSetFeatureReply;
                kind = "SET";
                modelled = payload.size();
                status = failing ? failure : handleSetFeature(*i, payload);
                answer = payload;  // logged
                break;
            case wire::kGetFeature: {
                replyType = wire::kGetFeatureReply;
                kind = "GET";
                if (payload.size() < 5) {
                    status = kInvalidParameter;
                    break;
                }
                const std::size_t len =
                    payload[1] | (payload[2] << 8) | (payload[3] << 16) | (static_cast<std::size_t>(payload[4]) << 24);
                modelled = len;
                status = failing ? failure : handleGetFeature(*i, payload[0], len, answer);
                if (status != 0) answer.assign(1, payload[0]);
                break;
            }
            case wire::kWrite:
                replyType = wire::kWriteReply;
                kind = "OUT";
                modelled = payload.size();
                answer = payload;
                if (failing)
                    status = failure;
                else
                    status =
                        (i->vendor && !payload.empty() && payload[0] == 9 && payload.size() <= 8) ? 0 : kGenFailure;
                break;
            default: continue;
            }
        }
        if (timing_) {
            std::lock_guard bus(busMutex_);
            std::this_thread::sleep_for(transferTime(modelled));
        }
        record(iface, kind, status, answer.data(), answer.size());
        const bool isGet = replyType == wire::kGetFeatureReply && status == 0;
        if (!wire::sendFrame(c->fd, replyType, iface, status, isGet ? answer.data() : nullptr,
                             isGet ? answer.size() : 0))
            break;
    }
}

std::uint32_t MouseSimServer::handleSetFeature(Interface& i, const std::vector<std::uint8_t>& r) {
    if (!i.vendor || r.empty()) return kGenFailure;
    const std::size_t size = featureSize(r[0]);
    if (size == 0 || r.size() > size) return kGenFailure;  // the firmware stalls the request
    std::uint8_t b[8] = {};
    std::copy_n(r.begin(), std::min<std::size_t>(8, r.size()), b);
    const std::uint32_t address = b[2] | (b[3] << 8);
    const std::uint32_t length = b[4] | (b[5] << 8);
    switch (b[1]) {
    case 2: {  // write
        if (8 + length > size) return kGenFailure;
        for (std::uint32_t k = 0; k < length; ++k) {
            if (address + k >= kDeviceMemorySize) break;
            i.memory[address + k] = 8 + k < r.size() ? r[8 + k] : 0;
        }
        if (i.index == kVendorInterface) saveMemory();
        break;
    }
    case 3:  // prepare a read
        if (8 + length > vyk::device::kLargestFeatureReport) return kGenFailure;
        i.pendingRead = true;
        std::copy_n(b + 1, 7, i.pendingHeader);
        i.pendingAddress = address;
        i.pendingLength = length;
        break;
    case 1: std::copy_n(b + 2, 2, i.profile); break;
    case 4: std::copy_n(b + 2, 5, i.ledPreview); break;
    case 5: i.sensorLift = b[2]; break;
    case 6: i.writeMode = b[2]; break;
    default: break;  // unknown commands are accepted and logged
    }
    return 0;
}

std::uint32_t MouseSimServer::handleGetFeature(Interface& i, std::uint8_t reportId, std::size_t length,
                                               std::vector<std::uint8_t>& answer) {
    const std::size_t size = featureSize(reportId);
    if (!i.vendor || size == 0 || length == 0) return kGenFailure;
    answer.assign(size, 0);
    answer[0] = reportId;
    if (i.pendingRead) {
        std::copy_n(i.pendingHeader, 7, answer.begin() + 1);
        const std::size_t n = std::min<std::size_t>(i.pendingLength, size - 8);
        for (std::size_t k = 0; k < n; ++k)
            if (i.pendingAddress + k < kDeviceMemorySize) answer[8 + k] = i.memory[i.pendingAddress + k];
    }
    answer.resize(std::min(length, size));
    return 0;
}

bool MouseSimServer::takeFailure(std::uint32_t& code) {
    std::lock_guard lock(mutex_);
    if (failSkip_ > 0) {
        --failSkip_;
        return false;
    }
    if (failCount_ == 0) return false;
    --failCount_;
    code = failCode_;
    return true;
}

void MouseSimServer::record(std::uint32_t iface, const char* kind, std::uint32_t status, const std::uint8_t* bytes,
                            std::size_t n) {
    LoggedReport r;
    r.iface = iface;
    r.kind = kind;
    r.status = status;
    r.bytes.assign(bytes, bytes + n);
    {
        std::lock_guard lock(mutex_);
        r.seq = ++seq_;
        log_.push_back(r);
        if (log_.size() > kMemoryLogEntries) log_.pop_front();
    }
    if (!options_.logPath.empty()) {
        std::lock_guard lock(logFileMutex_);
        std::ofstream out(options_.logPath, std::ios::app);
        out << formatLogLine(r) << '\n';
    }
}

void MouseSimServer::notifyWatchers(std::uint32_t type, const std::vector<std::uint32_t>& ifaces) {
    // Called with mutex_ held, so no watcher closes its socket meanwhile.
    for (auto& c : connections_)
        if (c->kind == Connection::Watch && c->fd >= 0)
            for (std::uint32_t i : ifaces) wire::sendFrame(c->fd, type, i, 0, nullptr, 0, true);
}

void MouseSimServer::unplug() {
    std::lock_guard lock(mutex_);
    if (!plugged_) return;
    plugged_ = false;
    for (auto& c : connections_)
        if (c->kind == Connection::Handle && c->fd >= 0) ::shutdown(c->fd, SHUT_RDWR);
    std::vector<std::uint32_t> ifaces;
    for (auto& i : interfaces_) {
        ifaces.push_back(i->index);
        i->pendingRead = false;
    }
    notifyWatchers(wire::kUnplug, ifaces);
}

void MouseSimServer::plug() {
    std::lock_guard lock(mutex_);
    if (plugged_) return;
    plugged_ = true;
    std::vector<std::uint32_t> ifaces;
    for (auto& i : interfaces_) ifaces.push_back(i->index);
    notifyWatchers(wire::kPlug, ifaces);
}

bool MouseSimServer::plugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

void MouseSimServer::failNext(std::uint32_t count, std::uint32_t skip, std::uint32_t code) {
    std::lock_guard lock(mutex_);
    failCount_ = count;
    failSkip_ = skip;
    failCode_ = code == 0 ? kGenFailure : code;
}

void MouseSimServer::setTiming(bool on) {
    std::lock_guard lock(mutex_);
    timing_ = on;
}

bool MouseSimServer::injectInput(std::uint32_t iface, const std::vector<std::uint8_t>& bytes, bool exactLength) {
    std::lock_guard lock(mutex_);
    if (!plugged_ || find(iface) == nullptr) return false;
    for (auto& c : connections_)
        if (c->kind == Connection::Handle && c->iface == iface && c->fd >= 0)
            wire::sendFrame(c->fd, wire::kInput, iface, exactLength ? wire::kInputExactLength : 0, bytes.data(),
                            bytes.size(), true);
    return true;
}

std::vector<std::uint8_t> MouseSimServer::peek(std::uint32_t iface, std::uint32_t address, std::size_t length) const {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> out;
    const Interface* i = find(iface);
    if (i == nullptr || !i->vendor) return out;
    for (std::size_t k = 0; k < length && address + k < kDeviceMemorySize; ++k) out.push_back(i->memory[address + k]);
    return out;
}

void MouseSimServer::poke(std::uint32_t iface, std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    Interface* i = find(iface);
    if (i == nullptr || !i->vendor) return;
    for (std::size_t k = 0; k < bytes.size() && address + k < kDeviceMemorySize; ++k) i->memory[address + k] = bytes[k];
}

std::vector<LoggedReport> MouseSimServer::log() const {
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

void MouseSimServer::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

std::size_t MouseSimServer::openHandles(std::uint32_t iface) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(connections_.begin(), connections_.end(), [&](const auto& c) {
        return c->kind == Connection::Handle && c->iface == iface && c->fd >= 0;
    }));
}

std::size_t MouseSimServer::watchers() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(connections_.begin(), connections_.end(), [](const auto& c) {
        return c->kind == Connection::Watch && c->fd >= 0;
    }));
}

std::vector<std::uint32_t> MouseSimServer::interfaces() const {
    std::lock_guard lock(mutex_);
    std::vector<std::uint32_t> v;
    for (auto& i : interfaces_) v.push_back(i->index);
    return v;
}

MouseSimServer::Interface* MouseSimServer::find(std::uint32_t iface) {
    for (auto& i : interfaces_)
        if (i->index == iface) return i.get();
    return nullptr;
}

const MouseSimServer::Interface* MouseSimServer::find(std::uint32_t iface) const {
    for (auto& i : interfaces_)
        if (i->index == iface) return i.get();
    return nullptr;
}

void MouseSimServer::saveMemory() {
    if (options_.memoryFile.empty()) return;
    const Interface* i = find(kVendorInterface);
    if (i == nullptr) return;
    const std::string tmp = options_.memoryFile + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(i->memory.data()), static_cast<std::streamsize>(i->memory.size()));
        if (!out) return;
    }
    std::rename(tmp.c_str(), options_.memoryFile.c_str());
}

std::string MouseSimServer::control(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    if (t.empty()) return "error: empty command";
    const std::string& cmd = t[0];

    // Optional "--if N" right after the command.
    auto takeIface = [&](std::size_t& pos, std::uint32_t def, std::uint32_t& iface) {
        iface = def;
        if (pos + 1 < t.size() && t[pos] == "--if") {
            std::uint64_t v;
            if (!parseNumber(t[pos + 1], v)) return false;
            iface = static_cast<std::uint32_t>(v);
            pos += 2;
        }
        return true;
    };

    if (cmd == "status") {
        std::lock_guard lock(mutex_);
        std::ostringstream o;
        o << "ok plugged=" << (plugged_ ? "yes" : "no") << " timing=" << (timing_ ? "on" : "off") << " reports=" << seq_
          << " interfaces=";
        bool first = true;
        for (auto& i : interfaces_) {
            const auto handles = std::count_if(connections_.begin(), connections_.end(), [&](const auto& c) {
                return c->kind == Connection::Handle && c->iface == i->index && c->fd >= 0;
            });
            o << (first ? "" : ",") << i->index << (i->vendor ? ":vendor" : ":mouse") << ":handles=" << handles;
            first = false;
        }
        if (const Interface* v = find(kVendorInterface)) {
            o << " profile=" << hex(v->profile, 2) << " writemode=" << int(v->writeMode)
              << " sensorlift=" << int(v->sensorLift) << " led=" << hex(v->ledPreview, 5);
        }
        return o.str();
    }
    if (cmd == "input") {
        std::size_t pos = 1;
        std::uint32_t iface;
        if (!takeIface(pos, kVendorInterface, iface)) return "error: bad interface";
        bool exact = false;
        if (pos < t.size() && t[pos] == "--exact") {
            exact = true;
            ++pos;
        }
        std::vector<std::uint8_t> bytes;
        if (!parseHexBytes(t, pos, bytes)) return "error: input takes hex bytes";
        if (bytes.size() > 4096) return "error: report too long";
        return injectInput(iface, bytes, exact) ? "ok" : "error: no such interface or unplugged";
    }
    if (cmd == "unplug") {
        unplug();
        return "ok";
    }
    if (cmd == "plug") {
        plug();
        return "ok";
    }
    if (cmd == "replug") {
        unplug();
        plug();
        return "ok";
    }
    if (cmd == "fail") {
        std::uint64_t count = 0, skip = 0, code = kGenFailure;
        if (t.size() < 2 || !parseNumber(t[1], count)) return "error: fail COUNT [SKIP] [CODE|unplug]";
        if (t.size() >= 3 && !parseNumber(t[2], skip)) return "error: fail COUNT [SKIP] [CODE|unplug]";
        if (t.size() >= 4) {
            if (t[3] == "unplug")
                code = kFailByUnplug;
            else if (!parseNumber(t[3], code) || code == 0)
                return "error: the code must be a non-zero number";
        }
        failNext(static_cast<std::uint32_t>(count), static_cast<std::uint32_t>(skip), static_cast<std::uint32_t>(code));
        return "ok";
    }
    if (cmd == "timing") {
        if (t.size() != 2 || (t[1] != "on" && t[1] != "off")) return "error: timing on|off";
        setTiming(t[1] == "on");
        return "ok";
    }
    if (cmd == "peek") {
        std::size_t pos = 1;
        std::uint32_t iface;
        std::uint64_t address, length;
        if (!takeIface(pos, kVendorInterface, iface) || pos + 2 != t.size() || !parseNumber(t[pos], address) ||
            !parseNumber(t[pos + 1], length) || address >= kDeviceMemorySize || length > 4096)
            return "error: peek [--if N] ADDRESS LENGTH (length up to 4096)";
        const auto bytes = peek(iface, static_cast<std::uint32_t>(address), static_cast<std::size_t>(length));
        return "ok " + hex(bytes.data(), bytes.size());
    }
    if (cmd == "poke") {
        std::size_t pos = 1;
        std::uint32_t iface;
        std::uint64_t address;
        std::vector<std::uint8_t> bytes;
        if (!takeIface(pos, kVendorInterface, iface) || pos >= t.size() || !parseNumber(t[pos], address) ||
            address >= kDeviceMemorySize || !parseHexBytes(t, pos + 1, bytes))
            return "error: poke [--if N] ADDRESS HEX...";
        poke(iface, static_cast<std::uint32_t>(address), bytes);
        return "ok";
    }
    if (cmd == "quit") {
        if (quitFd_ >= 0) wake(quitFd_);
        return "ok";
    }
    return "error: unknown command " + cmd;
}

}  // namespace vyk::sim
