#include "platform/hid/hid_device.h"

#include "platform/hid/hid_backends.h"

#include <cerrno>
#include <cstdio>

namespace vyk::platform::hid {

std::uint32_t errnoToError(int err) {
    switch (err) {
    case 0: return kSuccess;
    case ENODEV:
    case ENXIO:
    case ESHUTDOWN:
    case ENOTCONN:
    case ECONNRESET:
    case ECONNREFUSED: return kErrorDeviceNotConnected;
    case ENOENT: return kErrorFileNotFound;
    case EACCES:
    case EPERM: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case ETIMEDOUT: return kErrorSemTimeout;
    case EINVAL:
    case EMSGSIZE: return kErrorInvalidParameter;
    default: return kErrorGenFailure;
    }
}

namespace {
std::string hex4(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04X", v & 0xFFFFu);
    return b;
}
}  // namespace

std::vector<std::string> makeHardwareIds(const HidAttributes& a, int interfaceNumber, int collectionNumber,
                                         std::uint16_t usagePage, std::uint16_t usage) {
    std::string suffix;
    if (interfaceNumber >= 0) {
        char b[8];
        std::snprintf(b, sizeof b, "&MI_%02X", interfaceNumber & 0xFF);
        suffix += b;
    }
    if (collectionNumber > 0) {
        char b[16];
        std::snprintf(b, sizeof b, "&Col%02d", collectionNumber);
        suffix += b;
    }
    const std::string base = "HID\\VID_" + hex4(a.vendorId) + "&PID_" + hex4(a.productId);
    return {base + "&REV_" + hex4(a.versionNumber) + suffix, base + suffix,
            "HID_DEVICE_UP:" + hex4(usagePage) + "_U:" + hex4(usage), "HID_DEVICE"};
}

std::vector<HidInterfaceInfo> interfacesOfNode(const std::string& nodePath, const HidAttributes& attributes,
                                               int interfaceNumber, std::span<const std::uint8_t> descriptor,
                                               std::string* error) {
    std::vector<HidInterfaceInfo> out;
    std::vector<HidCollection> collections;
    if (!parseReportDescriptor(descriptor, collections, error)) return out;
    const bool several = collections.size() > 1;
    for (std::size_t i = 0; i < collections.size(); ++i) {
        HidInterfaceInfo info;
        info.path = nodePath;
        if (several) {
            char b[32];
            std::snprintf(b, sizeof b, "#col%02zu", i + 1);
            info.path += b;
        }
        info.attributes = attributes;
        info.hardwareIds = makeHardwareIds(attributes, interfaceNumber, several ? static_cast<int>(i + 1) : 0,
                                           collections[i].usagePage, collections[i].usage);
        info.caps = std::move(collections[i]);
        out.push_back(std::move(info));
    }
    return out;
}

std::vector<HidInterfaceInfo> enumerateInterfaces() {
    std::vector<HidInterfaceInfo> all = detail::enumerateHidraw();
    std::vector<HidInterfaceInfo> sim = enumerateSimInterfaces(simwire::defaultSocketPath());
    all.insert(all.end(), std::make_move_iterator(sim.begin()), std::make_move_iterator(sim.end()));
    return all;
}

std::unique_ptr<HidDevice> HidDevice::open(const std::string& path, std::uint32_t* error, std::string* detailText) {
    std::uint32_t e = kSuccess;
    std::string d;
    std::unique_ptr<HidDevice> dev;
    if (path.rfind(detail::kSimPathPrefix, 0) == 0)
        dev = detail::openSim(path, e, d);
    else
        dev = detail::openHidraw(path, e, d);
    if (!dev && e == kSuccess) e = kErrorGenFailure;
    if (error) *error = dev ? kSuccess : e;
    if (detailText) *detailText = std::move(d);
    return dev;
}

}  // namespace vyk::platform::hid
