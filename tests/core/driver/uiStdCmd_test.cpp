// The filter-driver control over a double of its system services: config.ini, device-list
// matching, the install and remove decisions, control requests, and monitoring with two
// readers that take turns.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/driver/uiStdCmd.h"
#include "platform/paths/paths.h"
#include "tests/core/driver/fake_driver_control.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

using vyk::platform::DriverDevice;
using vyk::test::FakeDriverControl;

namespace {

bool waitUntil(const std::function<bool()>& pred, int ms = 10000) { return vyk::test::waitUntil(pred, ms); }

class StdCmdTest : public ::testing::Test {
protected:
    void SetUp() override {
        exeDir_ = vyk::platform::executableDir();
        QDir().mkpath(exeDir_);
        QFile::remove(exeDir_ + QStringLiteral("config.ini"));
        fake_ = std::make_shared<FakeDriverControl>();
    }
    void TearDown() override { QFile::remove(exeDir_ + QStringLiteral("config.ini")); }

    void writeConfig(const std::string& text) {
        vyk::test::writeText((exeDir_ + QStringLiteral("config.ini")).toStdString(), text);
    }

    std::unique_ptr<TuiSTDCommand> make(std::uint8_t version = 0, bool win64 = false) {
        TuiSTDCommand::Services s;
        s.Driver = fake_;
        s.WindowsVersion = [version] { return version; };
        s.Windows64 = [win64] { return win64; };
        s.CreateArrivalNotifier = false;
        return std::make_unique<TuiSTDCommand>(nullptr, s);
    }

    std::vector<std::string> callNames() {
        std::vector<std::string> out;
        for (const auto& c : fake_->calls()) out.push_back(c.what);
        return out;
    }

    QString exeDir_;
    std::shared_ptr<FakeDriverControl> fake_;
};

// ---------------------------------------------------------------------------------------------
// config.ini

TEST_F(StdCmdTest, DefaultsWithoutDeviceSection) {
    writeConfig("[options]\nProfileRegFolder=x\n");
    auto c = make();
    const TDriverInfo& d = c->DriverInfo();
    EXPECT_EQ(d.InfFileName, QStringLiteral("hidfltdrv001.inf"));
    EXPECT_EQ(d.FileName, QStringLiteral("hidfltdrv001.sys"));
    EXPECT_EQ(d.ServiceName, QStringLiteral("hidfltdrv001"));
    EXPECT_EQ(d.DeviceName, QStringLiteral("hidfltdrv001"));
    EXPECT_EQ(d.WHQL, 0);
    EXPECT_EQ(d.UpperFilter, 0);
    EXPECT_EQ(c->DevicePath(), QStringLiteral("\\\\.\\hidfltdrv001"));
    EXPECT_TRUE(c->GetHIDDeviceList().isEmpty());
    EXPECT_TRUE(c->GetUSBDeviceList().isEmpty());
}

TEST_F(StdCmdTest, DeviceSectionAndListsStopAtFirstEmptyKey) {
    writeConfig(
        "[DEVICE]\nDeviceName=myflt\nServiceName=mysvc\nWHQL=1\nUpperFilter=1\n"
        "[devicelist]\nid1=HID\\VID_1234&PID_0001\nid2=HID\\VID_1234&PID_0002\nid3=\n"
        "id4=HID\\VID_1234&PID_0004\n"
        "[usbdevicelist]\nid2=HID\\VID_1234&PID_0002\n");
    auto c = make();
    EXPECT_EQ(c->DevicePath(), QStringLiteral("\\\\.\\myflt"));
    EXPECT_EQ(c->DriverInfo().ServiceName, QStringLiteral("mysvc"));
    EXPECT_EQ(c->DriverInfo().WHQL, 1);
    EXPECT_EQ(c->DriverInfo().UpperFilter, 1);
    EXPECT_EQ(c->GetHIDDeviceList(),
              (QStringList{QStringLiteral("HID\\VID_1234&PID_0001"), QStringLiteral("HID\\VID_1234&PID_0002")}));
    EXPECT_TRUE(c->GetUSBDeviceList().isEmpty());  // no id1: nothing is read
}

// ---------------------------------------------------------------------------------------------
// Matching

TEST_F(StdCmdTest, HardwareIdMatchingIgnoresCaseButNeedsTheWholeId) {
    writeConfig("[devicelist]\nid1=HID\\VID_1234&PID_ABCD\n[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD&MI_01\n");
    auto c = make();
    struct Case {
        QString id;
        bool hid, usb;
    };
    for (const Case& k : {Case{QStringLiteral("hid\\vid_1234&pid_abcd"), true, false},
                          Case{QStringLiteral("HID\\VID_1234&PID_ABCD&REV_0100"), false, false},
                          Case{QStringLiteral("HID\\VID_1234"), false, false},
                          Case{QStringLiteral("HID\\VID_1234&PID_ABCD&mi_01"), false, true}}) {
        EXPECT_EQ(c->HardwareIdsInConfigHidList({QStringLiteral("other"), k.id}), k.hid) << k.id.toStdString();
        EXPECT_EQ(c->HardwareIdsInConfigUsbList({k.id}), k.usb) << k.id.toStdString();
    }
}

TEST_F(StdCmdTest, PresenceOverEnumeratedDevices) {
    writeConfig("[devicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    auto c = make();
    EXPECT_FALSE(c->IsHIDDeviceExist());
    fake_->devices = {
        DriverDevice{QStringLiteral("a"), {QStringLiteral("HID\\VID_9999&PID_0001")}},
        DriverDevice{QStringLiteral("b"),
                     {QStringLiteral("HID\\VID_1234&PID_ABCD&REV_0001"), QStringLiteral("HID\\Vid_1234&Pid_abcd")}}};
    EXPECT_TRUE(c->IsHIDDeviceExist());
    EXPECT_TRUE(c->ISHIDDeviceExist(QStringLiteral("hid\\vid_9999&pid_0001")));
    EXPECT_FALSE(c->ISHIDDeviceExist(QStringLiteral("HID\\VID_9999")));
    fake_->enumerationFails = true;
    EXPECT_FALSE(c->IsHIDDeviceExist());
    EXPECT_FALSE(c->ISHIDDeviceExist(QStringLiteral("HID\\VID_9999&PID_0001")));
}

// ---------------------------------------------------------------------------------------------
// Install and remove decisions

struct DecisionCase {
    const char* name;
    bool install;
    bool listed;
    bool filterPresent;
    std::optional<std::uint32_t> status;
    int whql, x32whql;
    bool win64;
    std::vector<std::string> expected;  // calls after the enumeration
};

class InstallDecision : public StdCmdTest, public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(InstallDecision, ActsOnlyWhereTheStateCallsForIt) {
    const DecisionCase& k = GetParam();
    writeConfig("[DEVICE]\nWHQL=" + std::to_string(k.whql) + "\nX32WHQL=" + std::to_string(k.x32whql) +
                "\n[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    const DriverDevice dev{
        QStringLiteral("dev0"),
        {k.listed ? QStringLiteral("HID\\VID_1234&PID_ABCD") : QStringLiteral("HID\\VID_1234&PID_FFFF")}};
    fake_->devices = {dev};
    if (k.filterPresent) fake_->filters[{dev.instanceId, false}] = {QStringLiteral("HIDFLTDRV001")};
    if (k.status) fake_->nodeStatus[dev.instanceId] = *k.status;
    if (!k.install) fake_->services.insert(QStringLiteral("hidfltdrv001"));
    auto c = make(0, k.win64);

    c->HidInstallDriver(k.install);

    auto names = callNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "enumerate");
    names.erase(names.begin());
    EXPECT_EQ(names, k.expected);
}

const std::vector<std::string> kOwnInstall{"replaceFile",       "openManager", "createService",
                                           "writeLowerFilters", "disable",     "enable"};
const std::vector<std::string> kOwnRemove{"openManager", "deleteService", "writeLowerFilters", "disable", "enable"};

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallDecision,
    ::testing::Values(DecisionCase{"unlisted_install", true, false, false, {}, 0, 0, false, {}},
                      DecisionCase{"unlisted_remove", false, false, true, {}, 0, 0, false, {}},
                      DecisionCase{"install_missing_own", true, true, false, {}, 0, 0, false, kOwnInstall},
                      DecisionCase{"install_present_healthy", true, true, true, 0u, 0, 0, false, {}},
                      DecisionCase{"install_present_status_unreadable", true, true, true, {}, 0, 0, false, {}},
                      DecisionCase{"install_present_problem", true, true, true, 0x400u, 0, 0, false, kOwnInstall},
                      DecisionCase{"install_whql_32bit_signed", true, true, false, {}, 1, 1, false, {"run"}},
                      DecisionCase{"install_whql_64bit", true, true, false, {}, 1, 0, true, {"run"}},
                      DecisionCase{"install_whql_but_unsigned_32bit", true, true, false, {}, 1, 0, false, kOwnInstall},
                      DecisionCase{"remove_absent", false, true, false, {}, 0, 0, false, {}},
                      DecisionCase{"remove_present_own", false, true, true, {}, 0, 0, false, kOwnRemove},
                      DecisionCase{"remove_present_tool", false, true, true, {}, 1, 1, false, {"run"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StdCmdTest, EveryListedDeviceIsHandledAndEnumerationFailureDoesNothing) {
    writeConfig("[DEVICE]\nWHQL=1\nX32WHQL=1\n[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    fake_->devices = {DriverDevice{QStringLiteral("a"), {QStringLiteral("HID\\VID_1234&PID_ABCD")}},
                      DriverDevice{QStringLiteral("b"), {QStringLiteral("HID\\VID_1234&PID_ABCD")}}};
    auto c = make();
    c->HidInstallDriver(true);
    EXPECT_EQ(callNames(), (std::vector<std::string>{"enumerate", "run", "run"}));

    auto fresh = std::make_shared<FakeDriverControl>();
    fresh->enumerationFails = true;
    fake_ = fresh;
    auto d = make();
    d->HidInstallDriver(true);
    EXPECT_EQ(callNames(), (std::vector<std::string>{"enumerate"}));
}

struct ToolCase {
    const char* name;
    bool install;
    std::uint8_t version;
    bool win64;
    const char* folder;
    const char* args;
};

class PackageTool : public StdCmdTest, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(PackageTool, FolderAndArguments) {
    const ToolCase& k = GetParam();
    writeConfig("[DEVICE]\nWHQL=1\nX32WHQL=1\nInfFileName=pkg.inf\n[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    const DriverDevice dev{QStringLiteral("d"), {QStringLiteral("HID\\VID_1234&PID_ABCD")}};
    fake_->devices = {dev};
    if (!k.install) fake_->filters[{dev.instanceId, false}] = {QStringLiteral("hidfltdrv001")};
    auto c = make(k.version, k.win64);
    c->HidInstallDriver(k.install);
    const auto calls = fake_->calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].what, "run");
    EXPECT_EQ(calls[1].a, exeDir_ + QLatin1String(k.folder) + QStringLiteral("DIFxCmd.exe"));
    EXPECT_EQ(calls[1].b, QLatin1String(k.args));
    EXPECT_EQ(calls[1].c, exeDir_ + QLatin1String(k.folder));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackageTool,
    ::testing::Values(ToolCase{"xp64_install", true, 13, true, "XP64/", "/i pkg.inf"},
                      ToolCase{"xp64_remove", false, 13, true, "XP64/", "/u pkg.inf"},
                      ToolCase{"x64_install", true, 17, true, "DRIVERX64/",
                               "/i pkg.inf DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE"},
                      ToolCase{"x86_remove", false, 11, false, "DRIVERX86/",
                               "/u pkg.inf DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE DRIVER_PACKAGE_DELETE_FILES"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The own installer and remover

TEST_F(StdCmdTest, OwnInstallerAddsItsServiceAndKeepsOtherFilters) {
    writeConfig(
        "[DEVICE]\nUpperFilter=1\nFileName=flt.sys\nServiceName=fltsvc\n"
        "[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    const DriverDevice dev{QStringLiteral("d"), {QStringLiteral("HID\\VID_1234&PID_ABCD")}};
    fake_->devices = {dev};
    fake_->filters[{dev.instanceId, true}] = {QStringLiteral("otherflt")};
    fake_->services.insert(QStringLiteral("fltsvc"));  // registered before: reconfigured
    auto c = make(0, true);
    c->HidInstallDriver(true);

    EXPECT_EQ((fake_->filters[{dev.instanceId, true}]),
              (QStringList{QStringLiteral("otherflt"), QStringLiteral("fltsvc")}));
    const auto calls = fake_->calls();
    auto find = [&](const std::string& w) {
        for (const auto& k : calls)
            if (k.what == w) return k;
        return FakeDriverControl::Call{};
    };
    EXPECT_EQ(find("replaceFile").a, exeDir_ + QStringLiteral("DRIVERX64/flt.sys"));
    EXPECT_EQ(find("replaceFile").b, QStringLiteral("/sys-drivers/flt.sys"));
    EXPECT_EQ(find("changeService").b, QStringLiteral("/sys-drivers/flt.sys"));
    EXPECT_EQ(find("changeService").c, QStringLiteral("fltsvc_DisplayChange"));

    // Removing takes out only our entry.
    fake_->filters[{dev.instanceId, true}] = {QStringLiteral("a"), QStringLiteral("FLTSVC"), QStringLiteral("b")};
    c->HidInstallDriver(false);
    EXPECT_EQ((fake_->filters[{dev.instanceId, true}]), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(fake_->services.count(QStringLiteral("fltsvc")), 0u);
}

TEST_F(StdCmdTest, OwnRemoverCleansEveryListedDeviceThoughTheServiceGoesWithTheFirst) {
    writeConfig("[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    const DriverDevice a{QStringLiteral("a"), {QStringLiteral("HID\\VID_1234&PID_ABCD")}};
    const DriverDevice b{QStringLiteral("b"), {QStringLiteral("HID\\VID_1234&PID_ABCD")}};
    fake_->devices = {a, b};
    fake_->filters[{a.instanceId, false}] = {QStringLiteral("hidfltdrv001")};
    fake_->filters[{b.instanceId, false}] = {QStringLiteral("hidfltdrv001"), QStringLiteral("other")};
    fake_->services.insert(QStringLiteral("hidfltdrv001"));
    make()->HidInstallDriver(false);
    EXPECT_TRUE((fake_->filters[{a.instanceId, false}]).isEmpty());
    EXPECT_EQ((fake_->filters[{b.instanceId, false}]), QStringList{QStringLiteral("other")});
    EXPECT_TRUE(fake_->services.empty());

    // No service manager: nothing is touched.
    fake_ = std::make_shared<FakeDriverControl>();
    fake_->devices = {a};
    fake_->filters[{a.instanceId, false}] = {QStringLiteral("hidfltdrv001")};
    fake_->managerAvailable = false;
    make()->HidInstallDriver(false);
    EXPECT_EQ(callNames(), (std::vector<std::string>{"enumerate", "openManager"}));
}

TEST_F(StdCmdTest, OwnInstallerStopsAtTheFirstFailure) {
    writeConfig("[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    const DriverDevice dev{QStringLiteral("d"), {QStringLiteral("HID\\VID_1234&PID_ABCD")}};
    struct Case {
        const char* name;
        std::function<void(FakeDriverControl&)> setup;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"copy_fails", [](FakeDriverControl& f) { f.copySucceeds = false; }, {"enumerate", "replaceFile"}},
        {"no_driver_folder", [](FakeDriverControl& f) { f.driverFolder.clear(); }, {"enumerate"}},
        {"no_manager",
         [](FakeDriverControl& f) { f.managerAvailable = false; },
         {"enumerate", "replaceFile", "openManager"}},
        {"create_fails",
         [](FakeDriverControl& f) { f.createResult = 5; },
         {"enumerate", "replaceFile", "openManager", "createService"}},
        {"already_exists_counts_as_created", [](FakeDriverControl& f) { f.createResult = 1073; }, kOwnInstall},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        fake_ = std::make_shared<FakeDriverControl>();
        fake_->devices = {dev};
        k.setup(*fake_);
        make()->HidInstallDriver(true);
        auto names = callNames();
        if (names.size() == kOwnInstall.size() + 1) names.erase(names.begin());
        EXPECT_EQ(names, k.expected);
    }
}

TEST_F(StdCmdTest, DriverFileNameCannotLeaveTheDriverFolder) {
    writeConfig("[DEVICE]\nFileName=../../etc/evil.sys\n[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    fake_->devices = {DriverDevice{QStringLiteral("d"), {QStringLiteral("HID\\VID_1234&PID_ABCD")}}};
    make()->HidInstallDriver(true);
    EXPECT_EQ(callNames(), (std::vector<std::string>{"enumerate"}));
}

// ---------------------------------------------------------------------------------------------
// Control requests

TEST_F(StdCmdTest, DeviceRWOpensAndClosesEachTime) {
    auto c = make();
    std::uint8_t buf[4] = {1, 2, 3, 4};
    EXPECT_EQ(c->DeviceRW(buf, 4, 0x222000), 21u);  // no driver
    EXPECT_FALSE(c->IsDeviceExist());
    EXPECT_EQ(c->DeviceRW(buf, -1, 0x222000), 87u);
    EXPECT_EQ(c->DeviceRW(nullptr, 4, 0x222000), 87u);

    fake_->devicePresent = true;
    fake_->ioctlResult = 0;
    EXPECT_TRUE(c->IsDeviceExist());
    EXPECT_EQ(c->DeviceRW(buf, 4, 0x222000), 0u);
    fake_->ioctlResult = 31;
    EXPECT_EQ(c->DeviceRW(buf, 4, 0x222004), 31u);
    EXPECT_EQ(fake_->openHandles(), 0);
    ASSERT_EQ(fake_->ioctls().size(), 2u);
    EXPECT_EQ(fake_->ioctls()[0].first, 0x222000u);
    EXPECT_EQ(fake_->ioctls()[0].second, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    const auto opens = fake_->calls();
    EXPECT_EQ(opens[0].a, QStringLiteral("\\\\.\\hidfltdrv001"));
    EXPECT_EQ(opens[0].b, QStringLiteral("sync"));
}

// ---------------------------------------------------------------------------------------------
// Monitoring

class MonitorTest : public StdCmdTest {
protected:
    struct Delivery {
        std::string thread;
        std::vector<std::uint8_t> data;
    };

    void SetUp() override {
        StdCmdTest::SetUp();
        fake_->devicePresent = true;
        c_ = make();
        c_->OnDataReceived = [this](const void* buf, std::uint32_t size) {
            char name[32] = {};
            ::pthread_getname_np(::pthread_self(), name, sizeof name);
            const int now = ++inside_;
            if (now > 1) overlapped_ = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));  // widen any overlap
            {
                std::lock_guard g(m_);
                auto* p = static_cast<const std::uint8_t*>(buf);
                deliveries_.push_back(Delivery{name, std::vector<std::uint8_t>(p, p + size)});
            }
            --inside_;
            cv_.notify_all();
        };
    }
    void TearDown() override {
        c_.reset();
        StdCmdTest::TearDown();
    }

    void init() {
        const std::uint8_t data[3] = {0xA1, 0xA2, 0xA3};
        c_->SetDeviceInitData(data, 3, 0x1000, 0x2000, 16, 64);
    }
    bool waitDeliveries(std::size_t n) {
        std::unique_lock g(m_);
        return cv_.wait_for(g, std::chrono::seconds(10), [&] { return deliveries_.size() >= n; });
    }
    bool waitPending(int n = 1) {
        return waitUntil([&] { return fake_->pendingReads() == n; });
    }

    std::unique_ptr<TuiSTDCommand> c_;
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<Delivery> deliveries_;
    std::atomic<int> inside_{0};
    std::atomic<bool> overlapped_{false};
};

TEST_F(MonitorTest, StartWithoutInitDataAndStopWhileInactiveChangeNothing) {
    c_->StartMonitorDevice();
    c_->StopMonitorDevice();
    c_->SetDeviceInitData(nullptr, 0, 1, 2, 3, 4);  // size 0: ignored
    c_->StartMonitorDevice();
    EXPECT_FALSE(c_->Active());
    EXPECT_TRUE(fake_->calls().empty());
}

TEST_F(MonitorTest, ReadersAlternateReaderOneFirstAndDeliverInOrder) {
    init();
    c_->StartMonitorDevice();
    ASSERT_TRUE(c_->Active());
    // The initialisation data went out with the initialisation code.
    ASSERT_EQ(fake_->ioctls().size(), 1u);
    EXPECT_EQ(fake_->ioctls()[0].first, 0x1000u);
    EXPECT_EQ(fake_->ioctls()[0].second, (std::vector<std::uint8_t>{0xA1, 0xA2, 0xA3}));

    constexpr int kReads = 6;
    for (int i = 0; i < kReads; ++i) {
        ASSERT_TRUE(waitPending()) << "read " << i;
        fake_->completeRead({static_cast<std::uint8_t>(i), 0xEE});
        ASSERT_TRUE(waitDeliveries(i + 1)) << "delivery " << i;
    }
    c_->StopMonitorDevice();
    EXPECT_FALSE(c_->Active());
    EXPECT_EQ(fake_->openHandles(), 0);

    const auto reads = fake_->reads();
    ASSERT_GE(reads.size(), static_cast<std::size_t>(kReads));
    for (std::size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].thread, i % 2 == 0 ? "vyk-drvread-1" : "vyk-drvread-2") << i;
        EXPECT_EQ(reads[i].code, 0x2000u);
        EXPECT_EQ(reads[i].inLength, 16u);
        EXPECT_EQ(reads[i].outLength, 64u);
    }
    for (int i = 0; i < kReads; ++i) {
        EXPECT_EQ(deliveries_[i].data, (std::vector<std::uint8_t>{static_cast<std::uint8_t>(i), 0xEE}));
        EXPECT_EQ(deliveries_[i].thread, i % 2 == 0 ? "vyk-drvread-1" : "vyk-drvread-2");
    }
}

TEST_F(MonitorTest, BurstOfResultsIsDeliveredOneAtATimeInOrder) {
    init();
    c_->StartMonitorDevice();
    constexpr int kReads = 40;
    for (int i = 0; i < kReads; ++i) fake_->completeRead({static_cast<std::uint8_t>(i)});
    ASSERT_TRUE(waitDeliveries(kReads));
    c_->StopMonitorDevice();
    EXPECT_FALSE(overlapped_);
    for (int i = 0; i < kReads; ++i) EXPECT_EQ(deliveries_[i].data[0], i);
}

TEST_F(MonitorTest, RemovalDuringAPendingReadEndsBothReadersAndArrivalRestarts) {
    init();
    c_->StartMonitorDevice();
    ASSERT_TRUE(waitPending());

    fake_->unplug();
    c_->HIDEventDeviceRemove(nullptr);
    EXPECT_TRUE(waitUntil([&] { return fake_->pendingReads() == 0; }));
    EXPECT_TRUE(c_->TimerToStartMonitor()->isActive());
    // The retry 1.5 s later finds no device: monitoring stays off.
    ASSERT_TRUE(waitUntil([&] { return !c_->TimerToStartMonitor()->isActive(); }));
    EXPECT_FALSE(c_->Active());

    // Plugged in again: the next start attempt, 1.5 s after the arrival, restarts both readers.
    fake_->devicePresent = true;
    const int readOpens = fake_->opensOf(true);
    c_->HIDEventDeviceArrival(nullptr);
    EXPECT_EQ(fake_->opensOf(true), readOpens);  // not at once
    ASSERT_TRUE(waitUntil([&] { return c_->Active(); }));
    ASSERT_TRUE(waitPending());
    fake_->completeRead({0x42});
    ASSERT_TRUE(waitDeliveries(1));
    EXPECT_EQ(deliveries_[0].thread, "vyk-drvread-1");
}

TEST_F(MonitorTest, FailedReadEndsThatReaderAndRestartRecovers) {
    init();
    c_->StartMonitorDevice();
    ASSERT_TRUE(waitPending());
    fake_->completeRead({}, 1167);  // reader 1 fails: it ends, reader 2 never gets a turn
    ASSERT_TRUE(waitUntil([&] { return fake_->pendingReads() == 0; }));
    EXPECT_TRUE(c_->Active());

    c_->StartMonitorDevice();  // restarts both
    ASSERT_TRUE(waitPending());
    fake_->completeRead({7});
    ASSERT_TRUE(waitDeliveries(1));
    EXPECT_EQ(deliveries_[0].thread, "vyk-drvread-1");
}

TEST_F(MonitorTest, NewParametersWhileMonitoringApplyToTheNextRead) {
    init();
    c_->StartMonitorDevice();
    ASSERT_TRUE(waitPending());
    const std::uint8_t data[1] = {9};
    c_->SetDeviceInitData(data, 1, 0x1004, 0x2004, 8, 32);  // the readers run meanwhile
    fake_->completeRead({1});
    ASSERT_TRUE(waitDeliveries(1));
    ASSERT_TRUE(waitPending());
    const auto reads = fake_->reads();
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].code, 0x2000u);
    EXPECT_EQ(reads[1].code, 0x2004u);
    EXPECT_EQ(reads[1].inLength, 8u);
    EXPECT_EQ(reads[1].outLength, 32u);
}

TEST_F(MonitorTest, OversizedReportLengthsAreRefusedAndStoredDataStayAsGiven) {
    const std::uint8_t big[2] = {1, 2};
    c_->SetDeviceInitData(big, 2, 1, 2, 10242, 16);
    c_->SetMonitorData(big, 2, 1, 2, 16, -1);
    c_->StartMonitorDevice();
    EXPECT_FALSE(c_->Active());  // nothing was stored
    EXPECT_TRUE(fake_->ioctls().empty());

    fake_->ioctlOutputFill = 0xFF;  // the driver writes its answer into the request buffer
    const std::uint8_t data[2] = {5, 6};
    c_->SetMonitorData(data, 2, 0x10, 0x20, 10241, 10241);
    c_->SetMonitorData();
    const auto sent = fake_->ioctls();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].second, (std::vector<std::uint8_t>{5, 6}));
    EXPECT_EQ(sent[1].second, (std::vector<std::uint8_t>{5, 6}));
}

TEST_F(MonitorTest, DestroyingWhileMonitoringStopsTheReaders) {
    init();
    c_->StartMonitorDevice();
    ASSERT_TRUE(waitPending());
    c_.reset();
    EXPECT_EQ(fake_->pendingReads(), 0);
    EXPECT_EQ(fake_->openHandles(), 0);
}

// ---------------------------------------------------------------------------------------------
// An idle component, as it sits on the configuration window

TEST_F(StdCmdTest, IdleComponentOnTheSystemBackendDoesNothing) {
    writeConfig("[devicelist]\nid1=HID\\VID_1234&PID_ABCD\n[usbdevicelist]\nid1=HID\\VID_1234&PID_ABCD\n");
    QObject window;
    auto* c = new TuiSTDCommand(&window);  // real services, own arrival notifier
    ASSERT_NE(c->HIDEvent(), nullptr);
    QObject* arrivalSender = nullptr;
    c->OnDeviceArrialEvent = [&](QObject* sender) { arrivalSender = sender; };
    // The notifier's start-up arrival (1.5 s) arms the start timer; the first start attempt,
    // 1.5 s later, does nothing without initialisation data.
    ASSERT_TRUE(waitUntil([&] { return c->TimerToStartMonitor()->isActive(); }));
    EXPECT_EQ(arrivalSender, c->HIDEvent());
    ASSERT_TRUE(waitUntil([&] { return !c->TimerToStartMonitor()->isActive(); }));
    EXPECT_FALSE(c->Active());
    // No filter driver on this system: the control device does not open, nothing installs.
    EXPECT_FALSE(c->IsDeviceExist());
    std::uint8_t b[1] = {0};
    EXPECT_EQ(c->DeviceRW(b, 1, 0x222000), 21u);
    c->HidInstallDriver(true);
    c->HidInstallDriver(false);
    EXPECT_FALSE(c->IsHIDDeviceExist());
}

}  // namespace
