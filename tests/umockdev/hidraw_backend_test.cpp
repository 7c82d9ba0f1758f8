// The hidraw backend as a user's mouse runs it: nodes found through libudev in a umockdev
// testbed, opened and driven through the hidraw ioctls, read() and poll() of fake_hidraw,
// which hands every report to the simulated mouse.
#include "core/device/uiHIDData.h"
#include "platform/hid/hid_backends.h"
#include "platform/hid/hid_device.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"
#include "tests/umockdev/fake_hidraw/fake_hidraw.h"
#include "tests/umockdev/hidraw_testbed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <pthread.h>
#include <sys/eventfd.h>
#include <thread>
#include <time.h>
#include <unistd.h>

using namespace vyk::platform::hid;
using hidrawtest::HidrawNode;
using hidrawtest::Testbed;
using vyk::sim::LoggedReport;
using vyk::sim::MouseSimServer;
using vyk::test::waitUntil;

namespace {

constexpr USAGE_AND_PAGE kVendor{1, 0xFFA0};

// A feature report of the configuration protocol: ID, command, address and length (LE), data
// from byte 8.
std::vector<std::uint8_t> command(std::uint8_t id, std::size_t size, std::uint8_t cmd, std::uint16_t address,
                                  const std::vector<std::uint8_t>& data, std::uint16_t length = 0) {
    std::vector<std::uint8_t> r(size, 0);
    r[0] = id;
    r[1] = cmd;
    r[2] = static_cast<std::uint8_t>(address);
    r[3] = static_cast<std::uint8_t>(address >> 8);
    const std::uint16_t n = length != 0 ? length : static_cast<std::uint16_t>(data.size());
    r[4] = static_cast<std::uint8_t>(n);
    r[5] = static_cast<std::uint8_t>(n >> 8);
    std::copy(data.begin(), data.end(), r.begin() + 8);
    return r;
}

std::vector<LoggedReport> logOf(const MouseSimServer& sim, const char* kind) {
    std::vector<LoggedReport> out;
    for (const LoggedReport& r : sim.log())
        if (r.kind == kind) out.push_back(r);
    return out;
}

class HidrawTest : public ::testing::Test {
protected:
    void start(int matching = 1, bool other = false) {
        sim_ = hidrawtest::startSim(matching, other);
        vyk::sim::SimOptions o;
        o.matchingInterfaces = matching;
        o.otherInterface = other;
        nodes_ = bed_.addMouse(o);
    }
    // The node of simulator interface i.
    std::string node(std::uint32_t i) const {
        for (const HidrawNode& n : nodes_)
            if (n.simInterface == i) return n.devnode;
        return {};
    }
    std::unique_ptr<HidDevice> open(std::uint32_t iface = vyk::sim::kVendorInterface) {
        std::uint32_t error = 0;
        std::string detail;
        auto dev = HidDevice::open(node(iface), &error, &detail);
        EXPECT_TRUE(dev) << error << " " << detail;
        return dev;
    }
    void TearDown() override {
        std::filesystem::remove(std::filesystem::path(std::getenv("VYK_EXE_DIR")) / "config.ini");
    }

    Testbed bed_;
    std::unique_ptr<MouseSimServer> sim_;
    std::vector<HidrawNode> nodes_;
};

TEST(HidrawEnumeration, ListsEachNodeWithTheIdsOfItsUsbParents) {
    struct Case {
        int matching;
        bool other;
        std::vector<std::string> firstIds;  // the most specific ID of each node, in udev order
    };
    const std::vector<Case> cases = {
        {1, false, {"HID\\VID_F0F0&PID_0701&REV_0100"}},  // one interface: not composite, no MI_
        {2, false, {"HID\\VID_F0F0&PID_0701&REV_0100&MI_01", "HID\\VID_F0F0&PID_0701&REV_0100&MI_02"}},
        {2,
         true,
         {"HID\\VID_F0F0&PID_0701&REV_0100&MI_00", "HID\\VID_F0F0&PID_0701&REV_0100&MI_01",
          "HID\\VID_F0F0&PID_0701&REV_0100&MI_02"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.matching << " matching, other " << c.other);
        Testbed bed;
        vyk::sim::SimOptions o;
        o.matchingInterfaces = c.matching;
        o.otherInterface = c.other;
        const auto nodes = bed.addMouse(o);
        const auto list = detail::enumerateHidraw();
        ASSERT_EQ(list.size(), c.firstIds.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(list[i].path, nodes[i].devnode);
            EXPECT_EQ(list[i].hardwareIds.front(), c.firstIds[i]);
            EXPECT_EQ(list[i].attributes.vendorId, 0xF0F0);
            EXPECT_EQ(list[i].attributes.productId, 0x0701);
            EXPECT_EQ(list[i].attributes.versionNumber, 0x0100);
        }
        // The standard mouse interface is listed with its own collection, the vendor ones
        // with the vendor collection and its report sizes.
        for (const auto& info : list) {
            const bool vendor = info.caps.usagePage == 0xFFA0;
            EXPECT_EQ(info.hardwareIds[2], vendor ? "HID_DEVICE_UP:FFA0_U:0001" : "HID_DEVICE_UP:0001_U:0002");
            if (vendor) {
                EXPECT_EQ(info.caps.featureReportByteLength, 4096);
            }
        }
    }
}

TEST_F(HidrawTest, EnumerationCopesWithOtherBusesAndBadDescriptors) {
    // A node without a USB parent (another bus) has no version and no MI_; a node whose
    // descriptor does not parse is left out, and the others are still listed.
    bed_.addHidraw("", 4, 0x1234, 0x5678, MouseSimServer::vendorDescriptor());
    const std::string usb = bed_.addUsbDevice("2-1", 0x1234, 0x9999, 0x0200, 2);
    bed_.addHidraw(bed_.addUsbInterface(usb, 0), 5, 0x1234, 0x9999, {0xA1, 0x01});  // no End Collection
    const auto list = detail::enumerateHidraw();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].path, "/dev/hidraw4");
    EXPECT_EQ(list[0].hardwareIds.front(), "HID\\VID_1234&PID_5678&REV_0000");
    EXPECT_EQ(list[0].hardwareIds[1], "HID\\VID_1234&PID_5678");
}

TEST_F(HidrawTest, IncludeListPicksTheInterfacesByHardwareId) {
    start(2, true);
    struct Case {
        const char* ini;
        std::vector<std::uint32_t> served;  // simulator interfaces that got the report
    };
    const std::vector<Case> cases = {
        {nullptr, {0, 1}},  // no list: every interface with the vendor collection
        {"[IncludeHIDDeviceList]\nid1=HID\\VID_F0F0&PID_0701&MI_02\n", {1}},
        {"[IncludeHIDDeviceList]\nid1=hid\\vid_f0f0&pid_0701&rev_0100&mi_01\n", {0}},
        {"[IncludeHIDDeviceList]\nid1=HID\\VID_F0F0&PID_0701&MI_00\n", {}},  // the standard mouse: no vendor collection
        {"[IncludeHIDDeviceList]\nid1=HID\\VID_F0F0&PID_0702\n", {}},
    };
    const auto configPath = std::filesystem::path(std::getenv("VYK_EXE_DIR")) / "config.ini";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini != nullptr ? c.ini : "no list");
        std::filesystem::remove(configPath);
        if (c.ini != nullptr) vyk::test::writeText(configPath, c.ini);
        TuiHIDData hid;
        sim_->clearLog();
        THIDDataParam p;
        p.UsageAndPage = kVendor;
        const auto report = command(2, 16, 6, 0, {});
        std::copy(report.begin(), report.end(), &p.Data.ReportID);
        p.Data.DATASIZE = 16;
        const std::uint32_t r = hid.HidFindAndSetFeatureReport(p);
        EXPECT_EQ(r, c.served.empty() ? kErrorDeviceNotConnected : kSuccess);
        std::vector<std::uint32_t> served;
        for (const LoggedReport& l : logOf(*sim_, "SET")) served.push_back(l.iface);
        EXPECT_EQ(served, c.served);
        EXPECT_EQ(hid.IsDeviceExist(p), !c.served.empty());
    }
}

TEST_F(HidrawTest, EveryFeatureReportSizeReachesTheDeviceMemoryAndComesBack) {
    start();
    auto dev = open();
    ASSERT_TRUE(dev);
    EXPECT_EQ(dev->attributes().vendorId, 0xF0F0);
    EXPECT_EQ(dev->caps().usagePage, 0xFFA0);
    const std::vector<std::pair<std::uint8_t, std::size_t>> sizes = {{2, 16}, {3, 64}, {4, 1024}, {5, 2048}, {6, 4096}};
    for (const auto& [id, size] : sizes) {
        SCOPED_TRACE(testing::Message() << "report " << int(id) << ", " << size << " bytes");
        std::vector<std::uint8_t> data(size - 8);
        for (std::size_t k = 0; k < data.size(); ++k) data[k] = static_cast<std::uint8_t>(k * 7 + id);
        const std::uint16_t address = static_cast<std::uint16_t>(0x1000 * id);
        sim_->clearLog();
        const auto write = command(id, size, 2, address, data);
        ASSERT_EQ(dev->setFeature(write.data(), write.size()), kSuccess);
        EXPECT_EQ(sim_->peek(0, address, data.size()), data);

        const auto prepare = command(id, size, 3, address, {}, static_cast<std::uint16_t>(data.size()));
        ASSERT_EQ(dev->setFeature(prepare.data(), prepare.size()), kSuccess);
        std::vector<std::uint8_t> got(size, 0xEE);
        got[0] = id;
        ASSERT_EQ(dev->getFeature(got.data(), got.size()), kSuccess);
        EXPECT_EQ(got[0], id);
        EXPECT_EQ(std::vector<std::uint8_t>(got.begin() + 8, got.end()), data);

        // The report log holds every byte as the device received and answered it.
        const auto sets = logOf(*sim_, "SET");
        const auto gets = logOf(*sim_, "GET");
        ASSERT_EQ(sets.size(), 2u);
        ASSERT_EQ(gets.size(), 1u);
        EXPECT_EQ(sets[0].bytes, write);
        EXPECT_EQ(gets[0].bytes, got);
    }
    // A get into a buffer longer than the report: zeros after what the device answered.
    std::vector<std::uint8_t> longer(64, 0xEE);
    longer[0] = 2;
    ASSERT_EQ(dev->getFeature(longer.data(), longer.size()), kSuccess);
    EXPECT_EQ(std::vector<std::uint8_t>(longer.begin() + 16, longer.end()), std::vector<std::uint8_t>(48, 0));
    // A report the device refuses (an unknown ID stalls the request) is a failure, and the
    // handle goes on working.
    std::uint8_t unknown[16] = {0x0A, 1};
    EXPECT_EQ(dev->setFeature(unknown, sizeof unknown), kErrorGenFailure);
    std::uint8_t keep[16] = {0x0A, 0x55};
    EXPECT_EQ(dev->getFeature(keep, sizeof keep), kErrorGenFailure);
    EXPECT_EQ(keep[1], 0x55);  // unchanged on failure
    const auto ok = command(2, 16, 6, 0, {});
    EXPECT_EQ(dev->setFeature(ok.data(), ok.size()), kSuccess);
}

TEST_F(HidrawTest, InputReportsArriveThroughPollAndRead) {
    start();
    auto dev = open();
    ASSERT_TRUE(dev);
    const int stopFd = ::eventfd(0, EFD_CLOEXEC);
    std::uint8_t buf[8];
    struct Case {
        std::vector<std::uint8_t> sent;
        bool exact;
        std::vector<std::uint8_t> read;
    };
    const std::vector<Case> cases = {
        {{7, 1, 2, 3, 4, 5, 6, 7}, false, {7, 1, 2, 3, 4, 5, 6, 7}},
        {{8, 0x20}, true, {8, 0x20, 0, 0, 0, 0, 0, 0}},                    // a short report is padded
        {{9, 1, 2, 3, 4, 5, 6, 7}, true, {}},                              // not an input report of this collection
        {{7, 9, 9, 9, 9, 9, 9, 9, 9, 9}, true, {7, 9, 9, 9, 9, 9, 9, 9}},  // cut to the buffer
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(sim_->injectInput(0, c.sent, c.exact));
        if (c.read.empty()) continue;  // dropped: the next report is what the reader sees
        const ReadResult r = dev->readInput(buf, sizeof buf, stopFd);
        ASSERT_EQ(r.kind, ReadResult::Report);
        EXPECT_EQ(r.length, sizeof buf);
        EXPECT_EQ(std::vector<std::uint8_t>(buf, buf + sizeof buf), c.read);
    }
    // The stop event ends a read that waits.
    std::atomic<int> kind{-1};
    std::thread reader([&] { kind = dev->readInput(buf, sizeof buf, stopFd).kind; });
    const std::uint64_t one = 1;
    ASSERT_EQ(::write(stopFd, &one, sizeof one), 8);
    reader.join();
    EXPECT_EQ(kind.load(), ReadResult::Stopped);
    ::close(stopFd);
}

TEST_F(HidrawTest, ACollectionWithoutReportIdsReadsAsReportZero) {
    start(1, true);
    auto dev = open(vyk::sim::kMouseInterface);
    ASSERT_TRUE(dev);
    EXPECT_FALSE(dev->caps().usesReportIds);
    std::uint8_t buf[5];
    ASSERT_TRUE(sim_->injectInput(vyk::sim::kMouseInterface, {0x01, 0x05, 0xFB, 0x00}));
    const int stopFd = ::eventfd(0, EFD_CLOEXEC);
    const ReadResult r = dev->readInput(buf, sizeof buf, stopFd);
    ::close(stopFd);
    ASSERT_EQ(r.kind, ReadResult::Report);
    EXPECT_EQ(std::vector<std::uint8_t>(buf, buf + sizeof buf), (std::vector<std::uint8_t>{0, 0x01, 0x05, 0xFB, 0x00}));
}

TEST_F(HidrawTest, AnIdleReaderSleepsInPoll) {
    start();
    auto dev = open();
    ASSERT_TRUE(dev);
    const int stopFd = ::eventfd(0, EFD_CLOEXEC);
    std::atomic<bool> started{false};
    std::atomic<clockid_t> cpuClock{};
    ReadResult result;
    std::uint8_t buf[8];
    std::thread reader([&] {
        clockid_t c;
        pthread_getcpuclockid(pthread_self(), &c);
        cpuClock = c;
        started = true;
        result = dev->readInput(buf, sizeof buf, stopFd);
    });
    ASSERT_TRUE(waitUntil([&] { return started.load(); }));
    auto cpuNow = [&] {
        timespec t{};
        clock_gettime(cpuClock.load(), &t);
        return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
    };
    const std::uint64_t readsBefore = vyk_fake_hidraw_reads();
    const double cpuBefore = cpuNow();
    waitUntil([] { return false; }, 500);  // half a second without a report
    EXPECT_EQ(vyk_fake_hidraw_reads(), readsBefore) << "read() while no report was there";
    EXPECT_LT(cpuNow() - cpuBefore, 50.0) << "the reader used the processor while idle";
    ASSERT_TRUE(sim_->injectInput(0, {7, 1}));
    reader.join();
    EXPECT_EQ(result.kind, ReadResult::Report);
    EXPECT_EQ(buf[1], 1);
    EXPECT_EQ(vyk_fake_hidraw_reads(), readsBefore + 1);
    ::close(stopFd);
}

TEST_F(HidrawTest, ANodeWithoutPermissionIsListedAndItsOpenNamesTheUdevRule) {
    start();
    const auto debugFile = vyk::test::testRoot() / "debug.log";
    vyk::test::ScopedEnv debugEnv("VYK_DEBUG_LOG", debugFile.string());
    for (const int err : {EACCES, EPERM}) {
        vyk_fake_hidraw_refuse_open(node(0).c_str(), err);
        std::uint32_t error = 0;
        std::string detail;
        EXPECT_FALSE(HidDevice::open(node(0), &error, &detail));
        EXPECT_EQ(error, kErrorAccessDenied);
        EXPECT_NE(detail.find("70-vyk-mouse.rules"), std::string::npos) << detail;
        EXPECT_NE(detail.find("resources/udev/README.md"), std::string::npos) << detail;
        // The descriptor comes from sysfs, so the interface is still listed.
        ASSERT_EQ(detail::enumerateHidraw().size(), 1u);
        // The programs behave as if no mouse were connected, and the debug line names the
        // node and the fix.
        std::filesystem::remove(debugFile);
        TuiHIDData hid;
        THIDDataParam p;
        p.UsageAndPage = kVendor;
        p.Data.ReportID = 2;
        p.Data.DATASIZE = 16;
        EXPECT_FALSE(hid.IsDeviceExist(p));
        EXPECT_EQ(hid.HidFindAndSetFeatureReport(p), kErrorDeviceNotConnected);
        EXPECT_TRUE(sim_->log().empty());
        const auto lines = vyk::test::readBytes(debugFile);
        const std::string text(lines.begin(), lines.end());
        EXPECT_NE(text.find("cannot open " + node(0)), std::string::npos) << text;
        EXPECT_NE(text.find("70-vyk-mouse.rules"), std::string::npos) << text;
    }
    // Nodes that are gone or never were are not-found, not access errors.
    std::uint32_t error = 0;
    EXPECT_FALSE(HidDevice::open("/dev/hidraw9", &error));
    EXPECT_EQ(error, kErrorFileNotFound);
    vyk_fake_hidraw_refuse_open(node(0).c_str(), 0);
    EXPECT_TRUE(HidDevice::open(node(0), &error));
}

TEST_F(HidrawTest, TheHidComponentsReadersDeliverAndStop) {
    start(2);
    struct Got {
        std::string id, path;
        std::uint8_t reportId;
        std::vector<std::uint8_t> data;
    };
    std::vector<Got> got;
    std::atomic<int> notConnected{0};
    {
        TuiHIDData hid;
        hid.OnData = [&](const QString& id, const QString& path, std::uint8_t rid, const void* data,
                         std::uint16_t size) {
            const auto* b = static_cast<const std::uint8_t*>(data);
            got.push_back({id.toStdString(), path.toStdString(), rid, {b, b + size}});
        };
        hid.OnDeviceNotConnected = [&](const QString&, const QString&) { ++notConnected; };
        hid.HidFindAndReadDevice(kVendor, "*");
        EXPECT_EQ(TuiHIDData::ReaderCount(), 2u);
        ASSERT_TRUE(waitUntil([&] { return sim_->openHandles(0) == 1 && sim_->openHandles(1) == 1; }));
        ASSERT_TRUE(sim_->injectInput(1, {7, 0, 1, 0}));
        ASSERT_TRUE(waitUntil([&] { return got.size() == 1; }));
        EXPECT_EQ(got[0].id, "HID\\VID_F0F0&PID_0701&REV_0100&MI_02");
        EXPECT_EQ(got[0].path, node(1));
        EXPECT_EQ(got[0].reportId, 7);
        EXPECT_EQ(got[0].data, (std::vector<std::uint8_t>{0, 1, 0, 0, 0, 0, 0}));

        // Stopping ends both readers through their stop events, and closes the nodes.
        hid.HidStopRead();
        EXPECT_EQ(TuiHIDData::ReaderCount(), 0u);
        EXPECT_EQ(vyk_fake_hidraw_open_handles(), 0u);

        // Readers on a mouse that goes away say so, once each.
        hid.HidFindAndReadDevice(kVendor, "*");
        ASSERT_TRUE(waitUntil([&] { return sim_->openHandles(0) == 1 && sim_->openHandles(1) == 1; }));
        sim_->unplug();
        ASSERT_TRUE(waitUntil([&] { return notConnected.load() == 2; }));
    }
    EXPECT_EQ(got.size(), 1u);
    EXPECT_EQ(vyk_fake_hidraw_open_handles(), 0u);
}

TEST_F(HidrawTest, UnplugInTheMiddleOfAFeatureReportIsNotConnected) {
    start();
    // Whatever the USB core reported for the transfer that the unplug cut short.
    for (const int err : {ESHUTDOWN, ENODEV, EPROTO, EIO, EPIPE}) {
        SCOPED_TRACE(testing::Message() << "errno " << err);
        if (!sim_->plugged()) sim_->plug();
        vyk_fake_hidraw_set_unplug_errno(err);
        auto dev = open();
        ASSERT_TRUE(dev);
        const int stopFd = ::eventfd(0, EFD_CLOEXEC);
        std::atomic<bool> readerStarted{false};
        ReadResult readResult;
        std::uint8_t in[8];
        std::thread reader([&] {
            readerStarted = true;
            readResult = dev->readInput(in, sizeof in, stopFd);
        });
        ASSERT_TRUE(waitUntil([&] { return readerStarted.load(); }));

        sim_->clearLog();
        sim_->failNext(1, 0, vyk::sim::kFailByUnplug);
        const std::vector<std::uint8_t> data(4088, 0x5A);
        const auto write = command(6, 4096, 2, 0x2000, data);
        EXPECT_EQ(dev->setFeature(write.data(), write.size()), kErrorDeviceNotConnected);
        EXPECT_EQ(sim_->peek(0, 0x2000, 16), std::vector<std::uint8_t>(16, 0));  // nothing half-written
        const auto log = logOf(*sim_, "SET");
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].status, kErrorDeviceNotConnected);

        // The reader wakes up with the device gone, and every later call says the same.
        reader.join();
        EXPECT_EQ(readResult.kind, ReadResult::Failed);
        EXPECT_EQ(readResult.error, kErrorDeviceNotConnected);
        std::uint8_t get[16] = {2, 0x77};
        EXPECT_EQ(dev->getFeature(get, sizeof get), kErrorDeviceNotConnected);
        EXPECT_EQ(get[1], 0x77);
        const std::uint8_t out[8] = {9, 1};
        EXPECT_EQ(dev->writeOutput(out, sizeof out), kErrorDeviceNotConnected);
        std::uint32_t error = 0;
        EXPECT_FALSE(HidDevice::open(node(0), &error));  // the simulator is unplugged
        EXPECT_EQ(error, kErrorDeviceNotConnected);
        ::close(stopFd);
    }
    // The same for a get (the caller's buffer stays as it was) and an output report.
    vyk_fake_hidraw_set_unplug_errno(EPROTO);
    for (const char* op : {"GET", "OUT"}) {
        SCOPED_TRACE(op);
        sim_->plug();
        auto dev = open();
        ASSERT_TRUE(dev);
        sim_->failNext(1, 0, vyk::sim::kFailByUnplug);
        if (std::string(op) == "GET") {
            std::vector<std::uint8_t> get(64, 0x33);
            get[0] = 3;
            EXPECT_EQ(dev->getFeature(get.data(), get.size()), kErrorDeviceNotConnected);
            EXPECT_EQ(get[1], 0x33);
        } else {
            const std::uint8_t out[8] = {9, 1};
            EXPECT_EQ(dev->writeOutput(out, sizeof out), kErrorDeviceNotConnected);
        }
    }
}

TEST_F(HidrawTest, OutputReportsAndClosedHandles) {
    start();
    {
        auto dev = open();
        ASSERT_TRUE(dev);
        const std::uint8_t out[8] = {9, 1, 2, 3, 4, 5, 6, 7};
        EXPECT_EQ(dev->writeOutput(out, sizeof out), kSuccess);
        const auto log = logOf(*sim_, "OUT");
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].bytes, std::vector<std::uint8_t>(out, out + 8));
        EXPECT_EQ(vyk_fake_hidraw_open_handles(), 1u);
        EXPECT_TRUE(waitUntil([&] { return sim_->openHandles(0) == 1; }));
    }
    // Closing the handle closes the node.
    EXPECT_EQ(vyk_fake_hidraw_open_handles(), 0u);
    EXPECT_TRUE(waitUntil([&] { return sim_->openHandles(0) == 0; }));
}

}  // namespace
