// Hardware IDs, interface listing and handles, against the simulated mouse.
#include "platform/hid/hid_device.h"
#include "platform/hid/hid_backends.h"
#include "platform/hid/sim_protocol.h"
#include "sim/mouse_sim_server.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <sys/eventfd.h>
#include <unistd.h>

using namespace vyk::platform::hid;
using vyk::sim::MouseSimServer;
using vyk::sim::SimOptions;

TEST(HidHardwareIds, WindowsFormWithInterfaceAndCollection) {
    const HidAttributes a{0x1a2b, 0x00cd, 0x0102};
    struct Case {
        int mi, col;
        std::vector<std::string> ids;
    };
    const std::vector<Case> cases = {
        {-1,
         0,
         {"HID\\VID_1A2B&PID_00CD&REV_0102", "HID\\VID_1A2B&PID_00CD", "HID_DEVICE_UP:FFA0_U:0001", "HID_DEVICE"}},
        {1,
         0,
         {"HID\\VID_1A2B&PID_00CD&REV_0102&MI_01", "HID\\VID_1A2B&PID_00CD&MI_01", "HID_DEVICE_UP:FFA0_U:0001",
          "HID_DEVICE"}},
        {0,
         2,
         {"HID\\VID_1A2B&PID_00CD&REV_0102&MI_00&Col02", "HID\\VID_1A2B&PID_00CD&MI_00&Col02",
          "HID_DEVICE_UP:FFA0_U:0001", "HID_DEVICE"}},
    };
    for (const Case& c : cases) EXPECT_EQ(makeHardwareIds(a, c.mi, c.col, 0xFFA0, 1), c.ids);
}

TEST(HidHardwareIds, OneInterfacePerTopLevelCollection) {
    // Two collections on one node: paths and IDs tell them apart.
    const std::vector<std::uint8_t> d = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95,
                                         0x01, 0x81, 0x02, 0xC0, 0x06, 0xA0, 0xFF, 0x09, 0x01, 0xA1, 0x01,
                                         0x85, 0x02, 0x75, 0x08, 0x95, 0x0F, 0xB1, 0x02, 0xC0};
    const auto list = interfacesOfNode("/dev/hidraw7", {1, 2, 3}, 1, d);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].path, "/dev/hidraw7#col01");
    EXPECT_EQ(list[1].path, "/dev/hidraw7#col02");
    EXPECT_EQ(list[1].hardwareIds[0], "HID\\VID_0001&PID_0002&REV_0003&MI_01&Col02");
    EXPECT_EQ(list[1].caps.featureReportByteLength, 16);
    // Every collection keeps a path of its own, however many the descriptor declares.
    std::vector<std::uint8_t> many;
    for (int i = 0; i < 1200; ++i) many.insert(many.end(), {0xA1, 0x01, 0xC0});
    const auto all = interfacesOfNode("/dev/hidraw9", {}, -1, many);
    ASSERT_EQ(all.size(), 1200u);
    EXPECT_EQ(all[1000].path, "/dev/hidraw9#col1001");
    EXPECT_NE(all[1000].path, all[0].path);
    struct Split {
        std::string path;
        bool ok;
        std::string node;
        std::size_t collection;
    };
    for (const Split& c : std::vector<Split>{{"/dev/hidraw9", true, "/dev/hidraw9", 0},
                                             {"/dev/hidraw9#col02", true, "/dev/hidraw9", 1},
                                             {all[1000].path, true, "/dev/hidraw9", 1000},
                                             {"/dev/hidraw9#col00", false, "", 0},
                                             {"/dev/hidraw9#col", false, "", 0},
                                             {"/dev/hidraw9#colx1", false, "", 0}}) {
        std::string node;
        std::size_t collection = 99;
        EXPECT_EQ(detail::splitCollectionPath(c.path, node, collection), c.ok) << c.path;
        if (c.ok) {
            EXPECT_EQ(node, c.node);
            EXPECT_EQ(collection, c.collection);
        }
    }
    // A node whose descriptor does not parse offers nothing.
    std::string error;
    EXPECT_TRUE(interfacesOfNode("/dev/hidraw8", {}, -1, std::vector<std::uint8_t>{0xA1, 0x01}, &error).empty());
    EXPECT_FALSE(error.empty());
}

namespace {

class SimDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SimOptions o;
        o.matchingInterfaces = 2;
        o.otherInterface = true;
        server = std::make_unique<MouseSimServer>(o);
        std::string error;
        ASSERT_TRUE(server->start(&error)) << error;
    }
    std::unique_ptr<HidDevice> openIface(std::uint32_t index) {
        for (const auto& i : enumerateInterfaces())
            if (i.path.rfind("vyk-sim:" + std::to_string(index) + ":", 0) == 0) return HidDevice::open(i.path);
        return nullptr;
    }
    std::unique_ptr<MouseSimServer> server;
};

}  // namespace

TEST_F(SimDeviceTest, TheSimulatorIsListedLikeAPluggedInMouse) {
    const auto list = enumerateInterfaces();
    ASSERT_EQ(list.size(), 3u);  // no hidraw nodes on the test machines; the simulator's three
    EXPECT_EQ(list[0].hardwareIds[0], "HID\\VID_F0F0&PID_0701&REV_0100&MI_01");
    EXPECT_EQ(list[0].caps.usagePage, 0xFFA0);
    EXPECT_EQ(list[0].caps.featureReportByteLength, 4096);
    EXPECT_EQ(list[1].hardwareIds[1], "HID\\VID_F0F0&PID_0701&MI_02");
    EXPECT_EQ(list[2].caps.usagePage, 0x01);  // the standard mouse, which does not match
    server->unplug();
    EXPECT_TRUE(enumerateInterfaces().empty());
    server->plug();
    EXPECT_EQ(enumerateInterfaces().size(), 3u);
    server->stop();
    EXPECT_TRUE(enumerateInterfaces().empty());
}

TEST_F(SimDeviceTest, FeatureReportsReachTheDeviceMemory) {
    auto dev = openIface(0);
    ASSERT_TRUE(dev);
    std::vector<std::uint8_t> write(16, 0);
    const std::uint8_t head[] = {2, 2, 0x43, 0, 1, 0, 0xFA, 0xFA, 0x03};
    std::copy(std::begin(head), std::end(head), write.begin());
    EXPECT_EQ(dev->setFeature(write.data(), write.size()), 0u);
    EXPECT_EQ(server->peek(0, 0x43, 1), std::vector<std::uint8_t>{3});

    std::vector<std::uint8_t> read(16, 0);
    const std::uint8_t req[] = {2, 3, 0x43, 0, 1, 0, 0xFA, 0xFA};
    std::copy(std::begin(req), std::end(req), read.begin());
    ASSERT_EQ(dev->setFeature(read.data(), read.size()), 0u);
    std::vector<std::uint8_t> answer(16, 0xEE);
    answer[0] = 2;
    ASSERT_EQ(dev->getFeature(answer.data(), answer.size()), 0u);
    EXPECT_EQ(answer[0], 2);
    EXPECT_EQ(answer[8], 3);

    // Refused reports leave the buffer alone and say why.
    std::vector<std::uint8_t> bad(17, 0);
    bad[0] = 2;  // 17 bytes do not fit report 2
    EXPECT_EQ(dev->setFeature(bad.data(), bad.size()), kErrorGenFailure);
    std::vector<std::uint8_t> unknown(16, 0x55);
    unknown[0] = 9;
    EXPECT_EQ(dev->getFeature(unknown.data(), unknown.size()), kErrorGenFailure);
    EXPECT_EQ(unknown[1], 0x55);
}

TEST_F(SimDeviceTest, InputReportsArePaddedLikeTheClassDriverCompletesThem) {
    auto vendor = openIface(0);
    auto mouse = openIface(2);
    ASSERT_TRUE(vendor && mouse);
    std::uint8_t buf[8];
    struct Case {
        const char* name;
        std::uint32_t iface;
        std::vector<std::uint8_t> sent;
        bool exact;
        std::vector<std::uint8_t> got;
    };
    const std::vector<Case> cases = {
        {"short report padded", 0, {0x07, 0x01}, false, {0x07, 0x01, 0, 0, 0, 0, 0, 0}},
        {"exact length kept", 0, {0x08, 0x01, 0x02}, true, {0x08, 0x01, 0x02}},
        {"only the report ID", 0, {0x07}, true, {0x07}},
        {"zero bytes", 0, {}, true, {}},
        {"unnumbered report gets ID 0", 2, {0x01, 0x05, 0xFB, 0x00}, false, {0x00, 0x01, 0x05, 0xFB, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A report of a collection this handle does not serve is dropped on the way.
        if (c.iface == 0) {
            ASSERT_TRUE(server->injectInput(0, {0x0A, 0x01}, true));
        }
        ASSERT_TRUE(server->injectInput(c.iface, c.sent, c.exact));
        HidDevice& d = c.iface == 0 ? *vendor : *mouse;
        const std::size_t cap = c.iface == 0 ? 8 : 5;
        const ReadResult r = d.readInput(buf, cap, -1);
        ASSERT_EQ(r.kind, ReadResult::Report);
        EXPECT_EQ(std::vector<std::uint8_t>(buf, buf + r.length), c.got);
    }
}

TEST_F(SimDeviceTest, ReadsEndOnStopAndOnUnplug) {
    auto dev = openIface(0);
    ASSERT_TRUE(dev);
    const int stop = ::eventfd(0, EFD_CLOEXEC);
    const std::uint64_t one = 1;
    ASSERT_EQ(::write(stop, &one, sizeof one), 8);
    std::uint8_t buf[8];
    EXPECT_EQ(dev->readInput(buf, sizeof buf, stop).kind, ReadResult::Stopped);
    ::close(stop);

    server->unplug();
    const ReadResult r = dev->readInput(buf, sizeof buf, -1);
    EXPECT_EQ(r.kind, ReadResult::Failed);
    EXPECT_EQ(r.error, kErrorDeviceNotConnected);
    std::vector<std::uint8_t> report(16, 0);
    report[0] = 2;
    EXPECT_EQ(dev->setFeature(report.data(), report.size()), kErrorDeviceNotConnected);
    // An unplugged interface cannot be opened; a path that names nothing neither.
    std::uint32_t error = 0;
    EXPECT_FALSE(HidDevice::open("vyk-sim:0:" + server->socketPath(), &error));
    EXPECT_EQ(error, kErrorDeviceNotConnected);
    EXPECT_FALSE(HidDevice::open("vyk-sim:zz", &error));
    EXPECT_FALSE(HidDevice::open("/dev/hidraw-none", &error));
    EXPECT_EQ(error, kErrorFileNotFound);
}
