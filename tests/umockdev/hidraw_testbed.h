#pragma once
// Shared by the tests that run the real hidraw backend and the real udev monitor without a
// kernel device:
//  - a umockdev testbed (sysfs seen through libudev, and uevents for udev monitors) holding
//    the simulated mouse as a USB device with one interface, one hid device and one hidraw
//    node per simulator interface, with the same descriptors;
//  - the tests-only fake_hidraw library, which backs each /dev/hidrawN of the testbed with the
//    simulator's interface, so feature reports reach its memory and report log and its
//    failure injection applies.
//
// The test program re-executes itself once at start with umockdev's preload library and
// fake_hidraw in LD_PRELOAD (behind the AddressSanitizer runtime in a sanitizer build, which
// must come first), so it runs the same whether started by ctest or by hand.
//
// The testbed's C interface stays in hidraw_testbed.cpp: its GLib headers do not mix with Qt's.
// Use from the test's main thread; the simulator runs on its own threads.

#include "sim/mouse_sim_server.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hidrawtest {

// The simulator's socket for these tests: not the default one, so the HID layer does not
// list the simulator's own interfaces beside the hidraw nodes.
std::string simSocketPath();

// Starts a simulated mouse on simSocketPath().
std::unique_ptr<vyk::sim::MouseSimServer> startSim(int matching = 1, bool other = false);

struct HidrawNode {
    std::string devnode;  // /dev/hidrawN
    std::string syspath;  // of the hidraw device
    std::uint32_t simInterface = 0;
};

class Testbed {
public:
    // Fails the current test when the process does not run under umockdev.
    Testbed();
    ~Testbed();
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    // Called after every uevent the testbed sends. umockdev gives up when a listener's queue
    // is full (ten datagrams here), so a test with a udev monitor on its own thread lets the
    // monitor read in between (e.g. by running the Qt event loop).
    void setBetweenUevents(std::function<void()> pump);

    // The simulated mouse as the kernel shows it: USB device 1-1 with the simulator's USB
    // identity and interfaces (MI_00 the standard mouse, MI_01 and MI_02 the vendor
    // collection), node N for interface number N. Each node is mapped to the simulator.
    // Emits the add uevents (one per device).
    std::vector<HidrawNode> addMouse(const vyk::sim::SimOptions& options);
    // Removes the devices added by addMouse (remove uevents) and unmaps their nodes.
    void removeMouse();

    // Single devices, not mapped to the simulator: a USB device, one of its interfaces, and a
    // hidraw node under a hid device with this descriptor and HID_ID below parent (a syspath,
    // or empty for a device on another bus).
    std::string addUsbDevice(const std::string& name, std::uint16_t vid, std::uint16_t pid, std::uint16_t rev,
                             int interfaces);
    std::string addUsbInterface(const std::string& usbDevice, int number);
    HidrawNode addHidraw(const std::string& parent, int minor, std::uint16_t vid, std::uint16_t pid,
                         const std::vector<std::uint8_t>& descriptor);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace hidrawtest
