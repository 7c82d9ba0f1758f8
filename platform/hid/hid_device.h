#pragma once
// HID interfaces present on this machine and handles on them.
//
// An interface is one top-level collection, as the programs expect: a hidraw node whose
// descriptor holds several collections is listed once per collection (path "/dev/hidrawN#colNN").
// Interfaces come from two sources: hidraw nodes found through libudev, and the devices that a
// running vyk-mouse-sim offers on its socket (path "vyk-sim:<index>:<socket path>"), so every
// program of the user sees the same simulated mouse.
//
// Each interface carries synthesised hardware IDs in the form config.ini include lists use:
//   HID\VID_vvvv&PID_pppp&REV_rrrr[&MI_ii][&Colnn], HID\VID_vvvv&PID_pppp[&MI_ii][&Colnn],
//   HID_DEVICE_UP:uuuu_U:uuuu, HID_DEVICE      (upper-case hex; MI_ii only for a composite
//   USB device, Colnn only when the node has several top-level collections).

#include "platform/hid/hid_descriptor.h"
#include "platform/hid/hid_errors.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vyk::platform::hid {

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

struct HidInterfaceInfo {
    std::string path;
    std::vector<std::string> hardwareIds;  // most specific first
    HidAttributes attributes;
    HidCollection caps;
};

// Hardware IDs of one collection. interfaceNumber < 0: not a composite USB device (no MI_);
// collectionNumber 0: the node has one collection (no Colnn), else 1-based.
std::vector<std::string> makeHardwareIds(const HidAttributes& attributes, int interfaceNumber, int collectionNumber,
                                         std::uint16_t usagePage, std::uint16_t usage);

// The interfaces of one node, one per top-level collection of its descriptor. A descriptor
// that does not parse gives none (and the reason in *error).
std::vector<HidInterfaceInfo> interfacesOfNode(const std::string& nodePath, const HidAttributes& attributes,
                                               int interfaceNumber, std::span<const std::uint8_t> descriptor,
                                               std::string* error = nullptr);

// Every interface present now: hidraw nodes first (in udev order), then the simulator's.
std::vector<HidInterfaceInfo> enumerateInterfaces();

// Only the interfaces of the simulator listening at socketPath (none when nothing listens).
std::vector<HidInterfaceInfo> enumerateSimInterfaces(const std::string& socketPath);

struct ReadResult {
    enum Kind { Report, Stopped, Failed };
    Kind kind = Failed;
    std::size_t length = 0;   // bytes of the report, report ID first (Report)
    std::uint32_t error = 0;  // result code (Failed)
};

// An open handle on one interface. Each handle is meant for one thread at a time.
class HidDevice {
public:
    virtual ~HidDevice() = default;

    // Opens an interface by path. On failure returns null, sets *error to a result code and
    // *detail to a text for diagnostics (EACCES on a hidraw node names the udev rule).
    static std::unique_ptr<HidDevice> open(const std::string& path, std::uint32_t* error = nullptr,
                                           std::string* detail = nullptr);

    virtual const std::string& path() const = 0;
    virtual const HidAttributes& attributes() const = 0;
    virtual const HidCollection& caps() const = 0;

    // Feature reports: report[0] is the report ID and length counts it. getFeature fills
    // length bytes (zeros after what the device returned) and leaves the buffer unchanged on
    // failure. Results are 0 or a result code.
    virtual std::uint32_t setFeature(const std::uint8_t* report, std::size_t length) = 0;
    virtual std::uint32_t getFeature(std::uint8_t* report, std::size_t length) = 0;
    // An output report, report ID first.
    virtual std::uint32_t writeOutput(const std::uint8_t* report, std::size_t length) = 0;

    // Waits, without a timeout and without busy waiting, until an input report of this
    // collection arrives (copied into buffer, report ID first, at most capacity bytes, padded
    // with zeros to capacity the way the HID class driver completes reads), until stopFd
    // becomes readable (Stopped), or until the device fails or goes away (Failed, 1167 when
    // it went away). A report of 0 bytes is returned as a Report of length 0.
    virtual ReadResult readInput(std::uint8_t* buffer, std::size_t capacity, int stopFd) = 0;
};

}  // namespace vyk::platform::hid
