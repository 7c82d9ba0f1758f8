#pragma once
// Internal: the two sources of HID interfaces behind hid_device.h.

#include "platform/hid/hid_device.h"
#include "platform/hid/sim_protocol.h"

namespace vyk::platform::hid::detail {

inline constexpr const char* kSimPathPrefix = "vyk-sim:";

std::vector<HidInterfaceInfo> enumerateHidraw();
std::unique_ptr<HidDevice> openHidraw(const std::string& path, std::uint32_t& error, std::string& detail);
std::unique_ptr<HidDevice> openSim(const std::string& path, std::uint32_t& error, std::string& detail);

// Splits "node#colNN" into the node and the 0-based collection index (0 without suffix).
// False when the suffix is malformed.
bool splitCollectionPath(const std::string& path, std::string& node, std::size_t& collection);

// Copies an input report into the reader's buffer the way the HID class driver completes a
// read: report ID first (0 prepended for a collection without IDs), cut to capacity, zeros
// up to capacity unless exactLength. Returns false for a report of another collection.
bool completeInputReport(const HidCollection& caps, const std::uint8_t* data, std::size_t length, bool exactLength,
                         std::uint8_t* buffer, std::size_t capacity, std::size_t& outLength);

// Blocks until fd has input, a hang-up or an error, or stopFd (an eventfd, or -1 for none) is
// signalled. Returns fd's poll events (non-zero), 0 when stopped, or -1 with errno set when
// poll itself fails. Interruptions by signals are retried.
int waitForInputOrStop(int fd, int stopFd);

}  // namespace vyk::platform::hid::detail
