// hidraw nodes: enumeration through libudev, handles through the hidraw ioctls.

#include "platform/hid/hid_backends.h"

#include <libudev.h>
#include <linux/hidraw.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vyk::platform::hid::detail {

namespace {

// The largest report the hidraw ioctls take (the length field of the request is 14 bits).
constexpr std::size_t kMaxReportLength = 16383;

unsigned parseHex(const char* s, unsigned def = 0) {
    if (s == nullptr) return def;
    char* end = nullptr;
    const unsigned long v = std::strtoul(s, &end, 16);
    return end == s ? def : static_cast<unsigned>(v);
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

bool splitCollectionPath(const std::string& path, std::string& node, std::size_t& collection) {
    const std::size_t hash = path.rfind("#col");
    if (hash == std::string::npos) {
        node = path;
        collection = 0;
        return true;
    }
    const std::string digits = path.substr(hash + 4);
    if (digits.empty() || digits.size() > 4 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return false;
    const int n = std::stoi(digits);
    if (n < 1) return false;
    node = path.substr(0, hash);
    collection = static_cast<std::size_t>(n - 1);
    return true;
}

int waitForInputOrStop(int fd, int stopFd) {
    for (;;) {
        pollfd p[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int r = ::poll(p, stopFd >= 0 ? 2 : 1, -1);
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (stopFd >= 0 && (p[1].revents & POLLIN)) return 0;
        if (p[0].revents != 0) return p[0].revents;
    }
}

bool completeInputReport(const HidCollection& caps, const std::uint8_t* data, std::size_t length, bool exactLength,
                         std::uint8_t* buffer, std::size_t capacity, std::size_t& outLength) {
    outLength = 0;
    if (capacity == 0) return true;
    std::memset(buffer, 0, capacity);
    if (length == 0) return true;
    std::size_t total;
    if (caps.usesReportIds) {
        if (!std::binary_search(caps.inputReportIds.begin(), caps.inputReportIds.end(), data[0])) return false;
        total = std::min(length, capacity);
        std::memcpy(buffer, data, total);
    } else {
        const std::size_t n = std::min(length, capacity - 1);
        std::memcpy(buffer + 1, data, n);
        total = n + 1;
    }
    outLength = exactLength ? total : capacity;
    return true;
}

std::vector<HidInterfaceInfo> enumerateHidraw() {
    std::vector<HidInterfaceInfo> out;
    udev* u = udev_new();
    if (u == nullptr) return out;
    udev_enumerate* e = udev_enumerate_new(u);
    if (e != nullptr && udev_enumerate_add_match_subsystem(e, "hidraw") >= 0 && udev_enumerate_scan_devices(e) >= 0) {
        udev_list_entry* entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e)) {
            udev_device* dev = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
            if (dev == nullptr) continue;
            const char* node = udev_device_get_devnode(dev);
            udev_device* hidDev = udev_device_get_parent_with_subsystem_devtype(dev, "hid", nullptr);
            if (node != nullptr && hidDev != nullptr) {
                HidAttributes a;
                // HID_ID=bus:vendor:product, each in hex.
                if (const char* id = udev_device_get_property_value(hidDev, "HID_ID")) {
                    unsigned bus = 0, vid = 0, pid = 0;
                    if (std::sscanf(id, "%x:%x:%x", &bus, &vid, &pid) == 3) {
                        a.vendorId = static_cast<std::uint16_t>(vid);
                        a.productId = static_cast<std::uint16_t>(pid);
                    }
                }
                int interfaceNumber = -1;
                udev_device* usbIf = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_interface");
                udev_device* usbDev = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device");
                if (usbDev != nullptr) {
                    a.versionNumber =
                        static_cast<std::uint16_t>(parseHex(udev_device_get_sysattr_value(usbDev, "bcdDevice")));
                    const char* nIf = udev_device_get_sysattr_value(usbDev, "bNumInterfaces");
                    const bool composite = nIf != nullptr && std::strtoul(nIf, nullptr, 10) > 1;
                    if (composite && usbIf != nullptr)
                        interfaceNumber =
                            static_cast<int>(parseHex(udev_device_get_sysattr_value(usbIf, "bInterfaceNumber")));
                }
                // The descriptor is readable in sysfs without opening the node, so interfaces
                // that the user may not open are still listed (and the open then says why).
                const std::string descPath = std::string(udev_device_get_syspath(hidDev)) + "/report_descriptor";
                const std::vector<std::uint8_t> desc = readFile(descPath);
                std::vector<HidInterfaceInfo> list = interfacesOfNode(node, a, interfaceNumber, desc);
                out.insert(out.end(), std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
            }
            udev_device_unref(dev);
        }
    }
    if (e != nullptr) udev_enumerate_unref(e);
    udev_unref(u);
    return out;
}

namespace {

class HidrawDevice final : public HidDevice {
public:
    HidrawDevice(std::string path, int fd, HidAttributes a, HidCollection caps)
        : path_(std::move(path)),
          fd_(fd),
          attributes_(a),
          caps_(std::move(caps)),
          scratch_(caps_.inputReportByteLength + 1u) {}
    ~HidrawDevice() override { ::close(fd_); }

    const std::string& path() const override { return path_; }
    const HidAttributes& attributes() const override { return attributes_; }
    const HidCollection& caps() const override { return caps_; }

    std::uint32_t setFeature(const std::uint8_t* report, std::size_t length) override {
        if (length == 0 || length > kMaxReportLength) return kErrorInvalidParameter;
        std::vector<std::uint8_t> buf(report, report + length);
        const int r = ::ioctl(fd_, HIDIOCSFEATURE(length), buf.data());
        return r < 0 ? transferFailure(errno) : kSuccess;
    }

    std::uint32_t getFeature(std::uint8_t* report, std::size_t length) override {
        if (length == 0 || length > kMaxReportLength) return kErrorInvalidParameter;
        std::vector<std::uint8_t> buf(length, 0);
        buf[0] = report[0];
        const int r = ::ioctl(fd_, HIDIOCGFEATURE(length), buf.data());
        if (r < 0) return transferFailure(errno);
        std::memcpy(report, buf.data(), length);  // zeros after what the device returned
        return kSuccess;
    }

    std::uint32_t writeOutput(const std::uint8_t* report, std::size_t length) override {
        if (length == 0) return kErrorInvalidParameter;
        const ssize_t n = ::write(fd_, report, length);
        if (n < 0) return transferFailure(errno);
        return static_cast<std::size_t>(n) == length ? kSuccess : kErrorGenFailure;
    }

    ReadResult readInput(std::uint8_t* buffer, std::size_t capacity, int stopFd) override {
        for (;;) {
            const int events = waitForInputOrStop(fd_, stopFd);
            if (events < 0) return {ReadResult::Failed, 0, errnoToError(errno)};
            if (events == 0) return {ReadResult::Stopped, 0, kErrorOperationAborted};
            if (events & (POLLERR | POLLHUP | POLLNVAL)) return {ReadResult::Failed, 0, kErrorDeviceNotConnected};
            if (!(events & POLLIN)) continue;
            const ssize_t n = ::read(fd_, scratch_.data(), scratch_.size());
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                // hidraw answers EIO once the device is gone.
                const int e = errno;
                return {ReadResult::Failed, 0, e == EIO ? kErrorDeviceNotConnected : errnoToError(e)};
            }
            std::size_t len = 0;
            if (completeInputReport(caps_, scratch_.data(), static_cast<std::size_t>(n), false, buffer, capacity, len))
                return {ReadResult::Report, len, kSuccess};
        }
    }

private:
    // A transfer cut short by an unplug fails with whatever the USB core saw (EPROTO, EIO,
    // EPIPE, ...), which alone reads as a refused request. The node answers ENODEV once the
    // device is gone, so one question tells the two apart.
    std::uint32_t transferFailure(int err) const {
        const std::uint32_t code = errnoToError(err);
        if (code == kErrorDeviceNotConnected) return code;
        hidraw_devinfo info{};
        if (::ioctl(fd_, HIDIOCGRAWINFO, &info) < 0 && errno == ENODEV) return kErrorDeviceNotConnected;
        return code;
    }

    std::string path_;
    int fd_;
    HidAttributes attributes_;
    HidCollection caps_;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace

std::unique_ptr<HidDevice> openHidraw(const std::string& path, std::uint32_t& error, std::string& detail) {
    std::string node;
    std::size_t collection = 0;
    if (!splitCollectionPath(path, node, collection)) {
        error = kErrorFileNotFound;
        detail = "not a HID device path: " + path;
        return nullptr;
    }
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        error = errnoToError(e);
        detail = "cannot open " + node + ": " + std::strerror(e);
        if (e == EACCES || e == EPERM)
            detail += " (install the udev rule 70-vyk-mouse.rules and re-plug the mouse, see resources/udev/README.md)";
        return nullptr;
    }
    hidraw_devinfo info{};
    int descSize = 0;
    hidraw_report_descriptor desc{};
    if (::ioctl(fd, HIDIOCGRAWINFO, &info) < 0 || ::ioctl(fd, HIDIOCGRDESCSIZE, &descSize) < 0) {
        error = errnoToError(errno);
        detail = "cannot read the descriptor of " + node;
        ::close(fd);
        return nullptr;
    }
    if (descSize <= 0 || descSize > HID_MAX_DESCRIPTOR_SIZE) {
        error = kErrorGenFailure;  // errno says nothing here: the calls succeeded
        detail = "descriptor of " + node + " has an invalid size";
        ::close(fd);
        return nullptr;
    }
    desc.size = static_cast<std::uint32_t>(descSize);
    if (::ioctl(fd, HIDIOCGRDESC, &desc) < 0) {
        error = errnoToError(errno);
        detail = "cannot read the descriptor of " + node;
        ::close(fd);
        return nullptr;
    }
    std::vector<HidCollection> collections;
    std::string why;
    if (!parseReportDescriptor(std::span<const std::uint8_t>(desc.value, desc.size), collections, &why) ||
        collection >= collections.size()) {
        error = kErrorGenFailure;
        detail = node + ": " + (why.empty() ? std::string("no such collection") : why);
        ::close(fd);
        return nullptr;
    }
    HidAttributes a;
    a.vendorId = static_cast<std::uint16_t>(info.vendor);
    a.productId = static_cast<std::uint16_t>(info.product);
    // The hidraw info carries no version; the enumeration lists it (from bcdDevice).
    error = kSuccess;
    return std::make_unique<HidrawDevice>(path, fd, a, std::move(collections[collection]));
}

}  // namespace vyk::platform::hid::detail
