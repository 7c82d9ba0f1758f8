// The simulated mouse's interfaces, reached over its socket (see sim_protocol.h).

#include "platform/hid/hid_backends.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <poll.h>
#include <unistd.h>

namespace vyk::platform::hid {

namespace {
constexpr int kReplyTimeoutMs = 5000;
constexpr std::size_t kMaxQueuedInput = 64;  // like the kernel's per-reader report buffer

std::string simPath(std::uint32_t index, const std::string& socketPath) {
    return std::string(detail::kSimPathPrefix) + std::to_string(index) + ":" + socketPath;
}
}  // namespace

std::vector<HidInterfaceInfo> enumerateSimInterfaces(const std::string& socketPath) {
    std::vector<HidInterfaceInfo> out;
    const int fd = simwire::connectTo(socketPath);
    if (fd < 0) return out;
    simwire::FrameHeader h;
    std::vector<std::uint8_t> payload;
    std::vector<simwire::InterfaceEntry> entries;
    if (simwire::sendFrame(fd, simwire::kList, 0, 0) && simwire::recvFrame(fd, h, payload, kReplyTimeoutMs) == 1 &&
        h.type == simwire::kListReply && simwire::decodeInterfaces(payload, entries)) {
        for (const simwire::InterfaceEntry& e : entries) {
            HidAttributes a{e.vendorId, e.productId, e.version};
            std::vector<HidInterfaceInfo> list =
                interfacesOfNode(simPath(e.index, socketPath), a, e.interfaceNumber, e.descriptor);
            out.insert(out.end(), std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
        }
    }
    ::close(fd);
    return out;
}

namespace detail {

namespace {

class SimDevice final : public HidDevice {
public:
    SimDevice(std::string path, int fd, std::uint32_t iface, HidAttributes a, HidCollection caps)
        : path_(std::move(path)), fd_(fd), iface_(iface), attributes_(a), caps_(std::move(caps)) {}
    ~SimDevice() override { ::close(fd_); }

    const std::string& path() const override { return path_; }
    const HidAttributes& attributes() const override { return attributes_; }
    const HidCollection& caps() const override { return caps_; }

    std::uint32_t setFeature(const std::uint8_t* report, std::size_t length) override {
        if (length == 0) return kErrorInvalidParameter;
        std::uint32_t status = request(simwire::kSetFeature, simwire::kSetFeatureReply, report, length);
        return status;
    }

    std::uint32_t getFeature(std::uint8_t* report, std::size_t length) override {
        if (length == 0) return kErrorInvalidParameter;
        std::uint8_t req[5] = {report[0], static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                               static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
        const std::uint32_t status = request(simwire::kGetFeature, simwire::kGetFeatureReply, req, sizeof req);
        if (status != kSuccess) return status;
        const std::size_t n = std::min(length, reply_.size());
        std::memcpy(report, reply_.data(), n);
        std::memset(report + n, 0, length - n);
        report[0] = req[0];
        return kSuccess;
    }

    std::uint32_t writeOutput(const std::uint8_t* report, std::size_t length) override {
        if (length == 0) return kErrorInvalidParameter;
        return request(simwire::kWrite, simwire::kWriteReply, report, length);
    }

    ReadResult readInput(std::uint8_t* buffer, std::size_t capacity, int stopFd) override {
        for (;;) {
            if (!queued_.empty()) {
                Queued q = std::move(queued_.front());
                queued_.pop_front();
                std::size_t len = 0;
                if (completeInputReport(caps_, q.bytes.data(), q.bytes.size(), q.exact, buffer, capacity, len))
                    return {ReadResult::Report, len, kSuccess};
                continue;
            }
            if (gone_) return {ReadResult::Failed, 0, kErrorDeviceNotConnected};
            const int events = waitForInputOrStop(fd_, stopFd);
            if (events < 0) return {ReadResult::Failed, 0, errnoToError(errno)};
            if (events == 0) return {ReadResult::Stopped, 0, kErrorOperationAborted};
            if (!(events & (POLLIN | POLLHUP | POLLERR))) continue;
            simwire::FrameHeader h;
            const int got = simwire::recvFrame(fd_, h, payload_, 0);
            if (got == 0 || (got < 0 && errno != ETIMEDOUT && errno != EAGAIN)) {
                gone_ = true;
                return {ReadResult::Failed, 0, kErrorDeviceNotConnected};
            }
            if (got < 0 || h.type != simwire::kInput) continue;
            std::size_t len = 0;
            if (completeInputReport(caps_, payload_.data(), payload_.size(),
                                    (h.status & simwire::kInputExactLength) != 0, buffer, capacity, len))
                return {ReadResult::Report, len, kSuccess};
        }
    }

private:
    struct Queued {
        std::vector<std::uint8_t> bytes;
        bool exact = false;
    };

    // Sends a request and waits for its reply; input reports that arrive meanwhile are kept
    // for readInput. The reply's payload is left in reply_.
    std::uint32_t request(std::uint32_t type, std::uint32_t replyType, const void* data, std::size_t length) {
        if (gone_) return kErrorDeviceNotConnected;
        if (!simwire::sendFrame(fd_, type, iface_, 0, data, length)) {
            const int e = errno;
            if (e == EPIPE || e == ECONNRESET || e == ENOTCONN) {
                gone_ = true;
                return kErrorDeviceNotConnected;
            }
            return errnoToError(e);
        }
        for (;;) {
            simwire::FrameHeader h;
            const int got = simwire::recvFrame(fd_, h, payload_, kReplyTimeoutMs);
            if (got == 0) {
                gone_ = true;
                return kErrorDeviceNotConnected;
            }
            if (got < 0) return errno == ETIMEDOUT ? kErrorSemTimeout : errnoToError(errno);
            if (h.type == simwire::kInput) {
                if (queued_.size() >= kMaxQueuedInput) queued_.pop_front();
                queued_.push_back({payload_, (h.status & simwire::kInputExactLength) != 0});
                continue;
            }
            if (h.type != replyType) continue;
            reply_.swap(payload_);
            return h.status;
        }
    }

    std::string path_;
    int fd_;
    std::uint32_t iface_;
    HidAttributes attributes_;
    HidCollection caps_;
    bool gone_ = false;
    std::deque<Queued> queued_;
    std::vector<std::uint8_t> payload_;
    std::vector<std::uint8_t> reply_;
};

}  // namespace

std::unique_ptr<HidDevice> openSim(const std::string& fullPath, std::uint32_t& error, std::string& detail) {
    std::string path;
    std::size_t collection = 0;
    // "vyk-sim:<index>:<socket>[#colNN]"
    const std::string rest = fullPath.substr(std::strlen(kSimPathPrefix));
    const std::size_t colon = rest.find(':');
    if (colon == std::string::npos || colon == 0 || !splitCollectionPath(rest.substr(colon + 1), path, collection)) {
        error = kErrorFileNotFound;
        detail = "not a simulator device path: " + fullPath;
        return nullptr;
    }
    std::uint32_t index = 0;
    try {
        index = static_cast<std::uint32_t>(std::stoul(rest.substr(0, colon)));
    } catch (...) {
        error = kErrorFileNotFound;
        detail = "not a simulator device path: " + fullPath;
        return nullptr;
    }
    const int fd = simwire::connectTo(path);
    if (fd < 0) {
        error = errno == ENOENT || errno == ECONNREFUSED ? kErrorFileNotFound : errnoToError(errno);
        detail = "simulated mouse not reachable at " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    simwire::FrameHeader h;
    std::vector<std::uint8_t> payload;
    std::vector<simwire::InterfaceEntry> entries;
    if (!simwire::sendFrame(fd, simwire::kOpen, index, 0) || simwire::recvFrame(fd, h, payload, kReplyTimeoutMs) != 1 ||
        h.type != simwire::kOpenReply) {
        ::close(fd);
        error = kErrorDeviceNotConnected;
        detail = "simulated mouse closed the connection";
        return nullptr;
    }
    if (h.status != kSuccess || !simwire::decodeInterfaces(payload, entries) || entries.size() != 1) {
        ::close(fd);
        error = h.status != kSuccess ? h.status : kErrorGenFailure;
        detail = "simulated interface " + std::to_string(index) + " cannot be opened";
        return nullptr;
    }
    std::vector<HidCollection> collections;
    std::string why;
    if (!parseReportDescriptor(entries[0].descriptor, collections, &why) || collection >= collections.size()) {
        ::close(fd);
        error = kErrorGenFailure;
        detail = "simulated interface " + std::to_string(index) + ": " + why;
        return nullptr;
    }
    HidAttributes a{entries[0].vendorId, entries[0].productId, entries[0].version};
    error = kSuccess;
    return std::make_unique<SimDevice>(fullPath, fd, index, a, std::move(collections[collection]));
}

}  // namespace detail
}  // namespace vyk::platform::hid
