// The HID component: matching and include list, report operations, and the readers.
#include "core/device/uiHIDData.h"
#include "tests/core/device/device_test_support.h"
#include "tests/support/test_env.h"

#include "platform/hid/hid_descriptor.h"
#include "platform/hid/hid_errors.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

using devtest::waitUntil;

namespace {

constexpr USAGE_AND_PAGE kVendor{1, 0xFFA0};
constexpr USAGE_AND_PAGE kStandardMouse{2, 0x01};
const QString kVendorId0 = QStringLiteral("HID\\VID_F0F0&PID_0701&REV_0100&MI_01");

struct Received {
    QString id, path;
    std::uint8_t reportId = 0;
    std::vector<std::uint8_t> data;
    bool onUiThread = false;
};

class Recorder {
public:
    void attach(TuiHIDData& hid) {
        hid.OnData = [this](const QString& id, const QString& path, std::uint8_t rid, const void* data,
                            std::uint16_t size) {
            std::lock_guard lock(m);
            const auto* p = static_cast<const std::uint8_t*>(data);
            list.push_back({id, path, rid, {p, p + size}, QThread::currentThread() == qApp->thread()});
            if (onReport) onReport();
        };
    }
    std::size_t count() {
        std::lock_guard lock(m);
        return list.size();
    }
    std::vector<Received> all() {
        std::lock_guard lock(m);
        return list;
    }
    std::function<void()> onReport;

private:
    std::mutex m;
    std::vector<Received> list;
};

class HidDataTest : public ::testing::Test {
protected:
    void TearDown() override {
        hid.reset();
        std::filesystem::remove(configPath());
        EXPECT_TRUE(waitUntil([] { return TuiHIDData::ReaderCount() == 0; }));
    }
    static std::filesystem::path configPath() {
        return std::filesystem::path(std::getenv("VYK_EXE_DIR")) / "config.ini";
    }
    void makeHid() { hid = std::make_unique<TuiHIDData>(); }

    std::unique_ptr<vyk::sim::MouseSimServer> sim = devtest::startSim(1, true);
    std::unique_ptr<TuiHIDData> hid = std::make_unique<TuiHIDData>();
};

THIDDataParam* param(USAGE_AND_PAGE sel, const QString& deviceId = {}) {
    static THIDDataParam p;
    p = THIDDataParam{};
    p.UsageAndPage = sel;
    p.DeviceID = deviceId;
    return &p;
}

}  // namespace

TEST_F(HidDataTest, IncludeListFromConfigIni) {
    struct Case {
        const char* name;
        const char* ini;  // nullptr: no config.ini
        bool admitted;
        int listed;
    };
    const std::vector<Case> cases = {
        {"no config.ini", nullptr, true, 0},
        {"section without id1", "[IncludeHIDDeviceList]\nid2=HID\\VID_0000&PID_0000\n", true, 0},
        {"exact hardware ID", "[IncludeHIDDeviceList]\nid1=HID\\VID_F0F0&PID_0701&REV_0100&MI_01\n", true, 1},
        {"letter case ignored", "[includehiddevicelist]\nID1=hid\\vid_f0f0&pid_0701&mi_01\n", true, 1},
        {"a prefix is not a match", "[IncludeHIDDeviceList]\nid1=HID\\VID_F0F0&PID_0701\n", false, 1},
        {"a gap ends the list", "[IncludeHIDDeviceList]\nid1=HID\\VID_1111&PID_2222\nid2=\nid3=HID_DEVICE\n", false, 1},
        {"usage-page ID", "[IncludeHIDDeviceList]\nid1=USB\\X\nid2=HID_DEVICE_UP:FFA0_U:0001\n", true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(configPath());
        if (c.ini != nullptr) vyk::test::writeText(configPath(), c.ini);
        makeHid();
        EXPECT_EQ(hid->IncludeDeviceList().size(), c.listed);
        EXPECT_EQ(hid->IsDeviceExist(*param(kVendor)), c.admitted);
        EXPECT_EQ(hid->IsDeviceExist(*param(kVendor, "*")), c.admitted);
        THIDDataParam* p = param(kVendor);
        p->Data.ReportID = 2;
        p->Data.DATASIZE = 16;
        EXPECT_EQ(hid->HidFindAndSetFeatureReport(*p) == 0, c.admitted);
    }
}

TEST_F(HidDataTest, DeviceIdSelectsOneInterface) {
    vyk::test::writeText(configPath(), "[IncludeHIDDeviceList]\nid1=HID\\VID_1111&PID_2222\n");
    makeHid();
    EXPECT_TRUE(hid->IsDeviceExist(*param(kVendor, kVendorId0.toLower())));
    EXPECT_FALSE(hid->IsDeviceExist(*param(kVendor, "HID\\VID_F0F0")));
    EXPECT_FALSE(hid->IsDeviceExist(*param(kVendor)));  // the include list keeps it out
    EXPECT_FALSE(hid->IsDeviceExist(*param(USAGE_AND_PAGE{2, 0xFFA0})));
    sim->unplug();
    EXPECT_FALSE(hid->IsDeviceExist(*param(kVendor, kVendorId0)));
}

TEST_F(HidDataTest, ReportLengthsDecideWhichInterfacesAreUsed) {
    THIDDataParam* p = param(kVendor);
    // Feature: DATASIZE counts the ID byte; larger than the interface's 4096 skips it.
    p->Data.ReportID = 6;
    p->Data.DATASIZE = 4096;
    EXPECT_EQ(hid->HidFindAndSetFeatureReport(*p), 0u);
    p->Data.DATASIZE = 4097;
    EXPECT_NE(hid->HidFindAndSetFeatureReport(*p), 0u);
    p->Data.DATASIZE = 70000;  // beyond the record: refused
    EXPECT_NE(hid->HidFindAndGetFeatureReport(*p), 0u);

    // Output report 9 has 8 bytes with its ID: the write sends DATASIZE + 1.
    p->Data.ReportID = 9;
    p->Data.DATASIZE = 7;
    EXPECT_TRUE(hid->HidFindAndWriteDevice(*p));
    p->Data.DATASIZE = 8;
    EXPECT_FALSE(hid->HidFindAndWriteDevice(*p));
    EXPECT_TRUE(hid->HidFindAndWriteDeviceBYHID(*p));
    const auto out = devtest::featureLog(*sim, "OUT");
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].bytes.size(), 8u);

    // A failed get leaves the caller's buffer alone; no match at all is a failure.
    p->Data.ReportID = 2;
    p->Data.DATASIZE = 16;
    p->Data.DATAReally[0] = 0x5A;
    sim->failNext(1);
    EXPECT_EQ(hid->HidFindAndGetFeatureReport(*p), 31u);
    EXPECT_EQ(p->Data.DATAReally[0], 0x5A);
    sim->unplug();
    EXPECT_NE(hid->HidFindAndGetFeatureReport(*p), 0u);
    EXPECT_FALSE(hid->HidFindAndWriteDevice(*p));
}

// A hold keeps the interfaces found first open for the following operations; a failed one
// (an error answer, a mouse gone) closes them and the next looks again; other threads and
// readers open handles of their own; the last release closes what was held.
TEST_F(HidDataTest, AHoldKeepsTheInterfacesOpenUntilAFailureOrTheRelease) {
    using vyk::platform::hid::kErrorDeviceNotConnected;
    auto handlesBecome = [&](std::size_t n) { return waitUntil([&] { return sim->openHandles(0) == n; }); };
    auto set = [&] {
        THIDDataParam* p = param(kVendor);
        p->Data.ReportID = 2;
        p->Data.DATASIZE = 16;
        return hid->HidFindAndSetFeatureReport(*p);
    };

    EXPECT_EQ(set(), 0u);
    EXPECT_TRUE(handlesBecome(0)) << "without a hold nothing stays open";
    {
        TuiHIDData::Hold hold(*hid);
        EXPECT_TRUE(hid->InterfacesHeld());
        EXPECT_TRUE(hid->IsDeviceExist(*param(kVendor, "*")));
        EXPECT_TRUE(handlesBecome(1)) << "the look for the mouse is held";
        for (int i = 0; i < 3; ++i) EXPECT_EQ(set(), 0u);
        EXPECT_EQ(sim->openHandles(0), 1u) << "the held handle serves every report";
        {
            TuiHIDData::Hold nested(*hid);
            EXPECT_EQ(set(), 0u);
        }
        EXPECT_EQ(sim->openHandles(0), 1u) << "an inner release keeps it";

        std::uint32_t other = 1;
        std::thread([&] { other = set(); }).join();
        EXPECT_EQ(other, 0u);
        EXPECT_TRUE(handlesBecome(1)) << "another thread's handle is its own";

        hid->HidFindAndReadDevice(kVendor, "*");
        EXPECT_TRUE(handlesBecome(2)) << "a reader opens its own handle";
        hid->HidStopRead();
        EXPECT_TRUE(handlesBecome(1));

        sim->failNext(1);
        EXPECT_EQ(set(), 31u);
        EXPECT_TRUE(handlesBecome(0)) << "a failure closes the held handle";
        EXPECT_EQ(set(), 0u);
        EXPECT_TRUE(handlesBecome(1)) << "the next operation looks again";

        sim->unplug();
        EXPECT_EQ(set(), kErrorDeviceNotConnected);
        EXPECT_EQ(set(), kErrorDeviceNotConnected) << "no mouse to be found";
        sim->plug();
        EXPECT_EQ(set(), 0u) << "back: found again";

        // Gone and back between two operations: the held handle is dead, so that operation
        // fails; the next one finds the mouse again.
        sim->unplug();
        sim->plug();
        EXPECT_EQ(set(), kErrorDeviceNotConnected);
        EXPECT_EQ(set(), 0u);
    }
    EXPECT_FALSE(hid->InterfacesHeld());
    EXPECT_TRUE(handlesBecome(0)) << "the release closes it";
    const auto sets = devtest::featureLog(*sim, "SET");
    EXPECT_EQ(sets.size(), 10u) << "every report that reached the mouse, the failed one included";
}

TEST_F(HidDataTest, ReadersDeliverOnTheUiThreadOnceEach) {
    Recorder rec;
    rec.attach(*hid);
    hid->HidFindAndReadDevice(kVendor, "*");
    EXPECT_EQ(TuiHIDData::ReaderCount(), 1u);
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x00, 0x01, 0x00}));
    ASSERT_TRUE(sim->injectInput(0, {}, true));      // a read of 0 bytes fires nothing
    ASSERT_TRUE(sim->injectInput(0, {0x08}, true));  // only the report ID: Size 0
    ASSERT_TRUE(sim->injectInput(0, {0x08, 0x02, 0x03}));
    ASSERT_TRUE(waitUntil([&] { return rec.count() >= 3; }));
    const auto got = rec.all();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].id, kVendorId0);
    EXPECT_TRUE(got[0].path.startsWith("vyk-sim:0:"));
    EXPECT_EQ(got[0].reportId, 7);
    EXPECT_EQ(got[0].data, (std::vector<std::uint8_t>{0x00, 0x01, 0x00, 0, 0, 0, 0}));
    EXPECT_TRUE(got[0].onUiThread);
    EXPECT_EQ(got[1].reportId, 8);
    EXPECT_TRUE(got[1].data.empty());
    EXPECT_EQ(got[2].data, (std::vector<std::uint8_t>{0x02, 0x03, 0, 0, 0, 0, 0}));
}

TEST_F(HidDataTest, StopAndRestartDeliverEachReportExactlyOnce) {
    Recorder rec;
    rec.attach(*hid);
    hid->HidFindAndReadDevice(kVendor, "*");
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x01}));
    ASSERT_TRUE(waitUntil([&] { return rec.count() == 1; }));
    hid->HidStopRead();
    EXPECT_EQ(TuiHIDData::ReaderCount(), 0u);
    EXPECT_TRUE(waitUntil([&] { return sim->openHandles(0) == 0; }));  // the reader closed its handle
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x02}));                    // nobody reads: lost, as on the device
    hid->HidFindAndReadDevice(kVendor, "*");
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x03}));
    ASSERT_TRUE(waitUntil([&] { return rec.count() == 2; }));
    QCoreApplication::processEvents();
    const auto got = rec.all();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].data[0], 1);
    EXPECT_EQ(got[1].data[0], 3);

    // Two starts without a stop: two readers, each report twice (as the component always did).
    hid->HidFindAndReadDevice(kVendor, "*");
    EXPECT_EQ(TuiHIDData::ReaderCount(), 2u);
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x04}));
    ASSERT_TRUE(waitUntil([&] { return rec.count() == 4; }));
}

TEST_F(HidDataTest, StopWhileADeliveryIsPendingNeverDeadlocks) {
    Recorder rec;
    rec.attach(*hid);
    hid->HidFindAndReadDevice(kVendor, "*");
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x01}));
    // The reader has queued its report and waits; this thread does not run it.
    ASSERT_TRUE(waitUntil([] { return TuiHIDData::ReadersWaitingForDelivery() == 1; }, 5000, false));
    hid->HidStopRead();
    EXPECT_EQ(TuiHIDData::ReaderCount(), 0u);
    QCoreApplication::processEvents();
    EXPECT_EQ(rec.count(), 0u);  // a report queued before the stop is not delivered after it

    // The same when the component goes away with a report pending.
    hid->HidFindAndReadDevice(kVendor, "*");
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x02}));
    ASSERT_TRUE(waitUntil([] { return TuiHIDData::ReadersWaitingForDelivery() == 1; }, 5000, false));
    hid.reset();
    EXPECT_EQ(TuiHIDData::ReaderCount(), 0u);
    QCoreApplication::processEvents();
    EXPECT_EQ(rec.count(), 0u);
}

TEST_F(HidDataTest, HandlersMayStopTheReadersAndAnExceptionEndsItsReader) {
    Recorder rec;
    rec.attach(*hid);
    rec.onReport = [&] { hid->HidStopRead(); };  // stop from inside the delivery
    hid->HidFindAndReadDevice(kVendor, "*");
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x01}));
    ASSERT_TRUE(waitUntil([&] { return rec.count() == 1 && TuiHIDData::ReaderCount() == 0; }));
    EXPECT_TRUE(waitUntil([&] { return sim->openHandles(0) == 0; }));  // no reader left to deliver

    rec.onReport = [] { throw std::runtime_error("Range check error"); };
    hid->HidFindAndReadDevice(kVendor, "*");
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x03}));
    ASSERT_TRUE(waitUntil([&] { return rec.count() == 2 && TuiHIDData::ReaderCount() == 0; }));
    EXPECT_TRUE(waitUntil([&] { return sim->openHandles(0) == 0; }));
}

TEST_F(HidDataTest, UnplugEndsTheReaderWithOneNotConnectedEventOffTheUiThread) {
    Recorder rec;
    rec.attach(*hid);
    std::atomic<int> gone{0};
    std::atomic<bool> onUi{true};
    QString goneId;
    hid->OnDeviceNotConnected = [&](const QString& id, const QString&) {
        onUi = QThread::currentThread() == qApp->thread();
        goneId = id;
        ++gone;
    };
    hid->HidFindAndReadDevice(kVendor, "*");
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return gone.load() == 1 && TuiHIDData::ReaderCount() == 0; }));
    EXPECT_FALSE(onUi.load());
    EXPECT_EQ(goneId, kVendorId0);
    EXPECT_EQ(rec.count(), 0u);

    // A reader stopped on purpose ends without the event.
    sim->plug();
    hid->HidFindAndReadDevice(kVendor, "*");
    hid->HidStopRead();
    sim->unplug();
    QCoreApplication::processEvents();
    EXPECT_EQ(gone.load(), 1);
}

TEST_F(HidDataTest, FastOnDataRunsOnTheReaderThread) {
    Recorder rec;
    rec.attach(*hid);
    hid->setFastOnData(true);
    hid->HidFindAndReadDevice(kVendor, "*");
    ASSERT_TRUE(sim->injectInput(0, {0x07, 0x01}));
    ASSERT_TRUE(waitUntil([&] { return rec.count() == 1; }, 5000, false));
    EXPECT_FALSE(rec.all()[0].onUiThread);
}

TEST(ParseButtonUsagesTest, FirstPressInTheHighWordFirstReleaseInTheLow) {
    std::vector<vyk::platform::hid::HidCollection> c;
    ASSERT_TRUE(vyk::platform::hid::parseReportDescriptor(vyk::sim::MouseSimServer::mouseDescriptor(), c));
    struct Step {
        std::uint8_t buttons;  // bit i = usage i + 1
        std::uint32_t expected;
    };
    const std::vector<Step> steps = {
        {0x04, 0x00030000},  // usage 3 pressed
        {0x06, 0x00020000},  // usage 2 pressed, 3 held
        {0x04, 0x00000002},  // usage 2 released
        {0x02, 0x00020003},  // 2 pressed and 3 released in one report
        {0x02, 0x00000000},  // nothing changed
    };
    ResetButtonUsages();
    for (const Step& s : steps) {
        const std::uint8_t report[5] = {0x00, s.buttons, 0, 0, 0};
        EXPECT_EQ(ParseButtonUsages(c[0], report, sizeof report), s.expected) << int(s.buttons);
    }
    vyk::platform::hid::HidCollection none;
    EXPECT_EQ(ParseButtonUsages(none, nullptr, 0), 0u);
}

TEST_F(HidDataTest, ParsedDataReachesOnParsedData) {
    ResetButtonUsages();
    std::vector<std::uint32_t> parsed;
    hid->OnParsedData = [&](const QString&, const QString&, std::uint8_t, std::uint32_t b) { parsed.push_back(b); };
    hid->HidFindAndReadDevice(kStandardMouse, "*");
    ASSERT_TRUE(sim->injectInput(vyk::sim::kMouseInterface, {0x04, 0x00, 0x00, 0x00}));
    ASSERT_TRUE(waitUntil([&] { return parsed.size() == 1; }));
    EXPECT_EQ(parsed[0], 0x00030000u);
}
