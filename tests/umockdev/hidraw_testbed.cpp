// The umockdev testbed of the hidraw tests, and the re-execution under the preload libraries.
#include "tests/umockdev/hidraw_testbed.h"

#include "tests/support/test_env.h"
#include "tests/umockdev/fake_hidraw/fake_hidraw.h"

#include <gtest/gtest.h>
#include <umockdev.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace hidrawtest {

namespace {

constexpr const char* kPreloadedMark = "VYK_HIDRAW_TESTBED_PRELOADED";

// Runs before main: restarts the program with fake_hidraw and umockdev's preload library
// loaded ahead of the C library. The AddressSanitizer runtime, when the program has one,
// has to stay first in the list.
struct ReexecUnderPreload {
    ReexecUnderPreload() {
        if (std::getenv(kPreloadedMark) != nullptr) return;
        std::string list;
        if (void* asan = ::dlsym(RTLD_DEFAULT, "__asan_init")) {
            Dl_info info{};
            if (::dladdr(asan, &info) != 0 && info.dli_fname != nullptr &&
                std::strstr(info.dli_fname, "asan") != nullptr)
                list = info.dli_fname;
        }
        // fake_hidraw before umockdev: umockdev calls the C library directly, not the next in line.
        const char* const libs[] = {VYK_FAKE_HIDRAW_LIB, "libumockdev-preload.so.0", std::getenv("LD_PRELOAD")};
        for (const char* lib : libs) {
            if (lib == nullptr || *lib == '\0') continue;
            if (!list.empty()) list += ':';
            list += lib;
        }
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        const std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> args;
        for (std::size_t pos = 0; pos < cmdline.size();) {
            const std::size_t end = cmdline.find('\0', pos);
            args.push_back(cmdline.substr(pos, end - pos));
            if (end == std::string::npos) break;
            pos = end + 1;
        }
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::setenv("LD_PRELOAD", list.c_str(), 1);
        ::setenv(kPreloadedMark, "1", 1);
        ::execv("/proc/self/exe", argv.data());
        std::perror("hidraw tests: cannot re-execute under the preload libraries");
        std::_Exit(1);
    }
} reexecUnderPreload;

std::string hex4(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04x", v & 0xFFFFu);
    return b;
}

std::string hex8(unsigned v) {
    char b[12];
    std::snprintf(b, sizeof b, "%08X", v);
    return b;
}

}  // namespace

std::string simSocketPath() { return (vyk::test::testRoot() / "hidraw-sim.sock").string(); }

std::unique_ptr<vyk::sim::MouseSimServer> startSim(int matching, bool other) {
    vyk::sim::SimOptions o;
    o.socketPath = simSocketPath();
    o.matchingInterfaces = matching;
    o.otherInterface = other;
    auto s = std::make_unique<vyk::sim::MouseSimServer>(o);
    std::string error;
    EXPECT_TRUE(s->start(&error)) << error;
    return s;
}

struct Testbed::Private {
    UMockdevTestbed* tb = nullptr;
    int hidCount = 0;
    std::function<void()> pump;
    std::vector<std::string> mouseDevices;  // every device of the mouse, parents first
    std::vector<HidrawNode> mouseNodes;
};

Testbed::Testbed() : d(std::make_unique<Private>()) {
    if (std::getenv(kPreloadedMark) == nullptr) ADD_FAILURE() << "not running under the preload libraries";
    d->tb = umockdev_testbed_new();
    vyk_fake_hidraw_reset();
}

Testbed::~Testbed() {
    vyk_fake_hidraw_reset();
    if (d->tb != nullptr) g_object_unref(d->tb);
}

void Testbed::setBetweenUevents(std::function<void()> pump) { d->pump = std::move(pump); }

std::string Testbed::addUsbDevice(const std::string& name, std::uint16_t vid, std::uint16_t pid, std::uint16_t rev,
                                  int interfaces) {
    const std::string n = " " + std::to_string(interfaces);  // sysfs pads the count
    gchar* path = umockdev_testbed_add_device(d->tb, "usb", name.c_str(), nullptr, "idVendor", hex4(vid).c_str(),
                                              "idProduct", hex4(pid).c_str(), "bcdDevice", hex4(rev).c_str(),
                                              "bNumInterfaces", n.c_str(), nullptr, "DEVTYPE", "usb_device", nullptr);
    if (d->pump) d->pump();
    std::string out = path != nullptr ? path : "";
    g_free(path);
    return out;
}

std::string Testbed::addUsbInterface(const std::string& usbDevice, int number) {
    const std::string base = usbDevice.substr(usbDevice.rfind('/') + 1);
    const std::string name = base + ":1." + std::to_string(number);
    char num[4];
    std::snprintf(num, sizeof num, "%02x", number & 0xFF);
    gchar* path = umockdev_testbed_add_device(d->tb, "usb", name.c_str(), usbDevice.c_str(), "bInterfaceNumber", num,
                                              nullptr, "DEVTYPE", "usb_interface", nullptr);
    if (d->pump) d->pump();
    std::string out = path != nullptr ? path : "";
    g_free(path);
    return out;
}

HidrawNode Testbed::addHidraw(const std::string& parent, int minor, std::uint16_t vid, std::uint16_t pid,
                              const std::vector<std::uint8_t>& descriptor) {
    char hidName[32];
    std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", vid, pid, ++d->hidCount);
    const std::string hidId = "0003:" + hex8(vid) + ":" + hex8(pid);
    gchar* hid = umockdev_testbed_add_device(d->tb, "hid", hidName, parent.empty() ? nullptr : parent.c_str(), nullptr,
                                             "HID_ID", hidId.c_str(), nullptr);
    if (d->pump) d->pump();
    umockdev_testbed_set_attribute_binary(d->tb, hid, "report_descriptor", const_cast<guint8*>(descriptor.data()),
                                          static_cast<gssize>(descriptor.size()));
    HidrawNode node;
    node.devnode = "/dev/hidraw" + std::to_string(minor);
    const std::string name = "hidraw" + std::to_string(minor);
    gchar* raw = umockdev_testbed_add_device(d->tb, "hidraw", name.c_str(), hid, nullptr, "DEVNAME",
                                             node.devnode.c_str(), nullptr);
    if (d->pump) d->pump();
    node.syspath = raw != nullptr ? raw : "";
    g_free(raw);
    g_free(hid);
    return node;
}

std::vector<HidrawNode> Testbed::addMouse(const vyk::sim::SimOptions& o) {
    struct Iface {
        int number;
        std::uint32_t sim;
        bool vendor;
    };
    std::vector<Iface> list;
    if (o.otherInterface) list.push_back({0, vyk::sim::kMouseInterface, false});
    list.push_back({1, vyk::sim::kVendorInterface, true});
    if (o.matchingInterfaces >= 2) list.push_back({2, vyk::sim::kSecondVendorInterface, true});
    const std::string usb = addUsbDevice("1-1", o.vendorId, o.productId, o.version, static_cast<int>(list.size()));
    d->mouseDevices = {usb};
    d->mouseNodes.clear();
    const std::string socket = o.socketPath.empty() ? simSocketPath() : o.socketPath;
    for (const Iface& i : list) {
        const std::string usbIf = addUsbInterface(usb, i.number);
        HidrawNode node = addHidraw(
            usbIf, i.number, o.vendorId, o.productId,
            i.vendor ? vyk::sim::MouseSimServer::vendorDescriptor() : vyk::sim::MouseSimServer::mouseDescriptor());
        node.simInterface = i.sim;
        vyk_fake_hidraw_map(node.devnode.c_str(), socket.c_str(), i.sim);
        const std::string hid = node.syspath.substr(0, node.syspath.rfind('/'));
        d->mouseDevices.insert(d->mouseDevices.end(), {usbIf, hid, node.syspath});
        d->mouseNodes.push_back(node);
    }
    return d->mouseNodes;
}

void Testbed::removeMouse() {
    for (const HidrawNode& n : d->mouseNodes) {
        vyk_fake_hidraw_unmap(n.devnode.c_str());
        umockdev_testbed_uevent(d->tb, n.syspath.c_str(), "remove");
        if (d->pump) d->pump();
    }
    d->mouseNodes.clear();
    // Children first: the testbed then leaves no links behind, and the same names can come
    // back.
    for (auto it = d->mouseDevices.rbegin(); it != d->mouseDevices.rend(); ++it)
        umockdev_testbed_remove_device(d->tb, it->c_str());
    d->mouseDevices.clear();
}

}  // namespace hidrawtest
