// The driver services of this system: absent, without side effects; the manual-reset events
// the readers take turns with; and the whole-or-nothing file replacement.
#include <gtest/gtest.h>

#include <QFile>

#include <atomic>
#include <thread>

#include "platform/driverctl/driver_control.h"
#include "platform/driverctl/sync_event.h"
#include "tests/support/test_env.h"

using namespace vyk::platform;

namespace {

TEST(SystemDriverControl, ReportsTheFilterDriverServicesAbsent) {
    auto d = systemDriverControl();
    for (const char* path : {"\\\\.\\hidfltdrv001", "\\\\.\\..\\null", "\\\\.\\a/b", "\\\\.\\"})
        EXPECT_EQ(d->openControlDevice(QString::fromLatin1(path), true), kInvalidDriverHandle) << path;
    EXPECT_FALSE(d->openServiceManager());
    EXPECT_FALSE(d->serviceExists(QStringLiteral("hidfltdrv001")));
    EXPECT_NE(d->createDriverService(QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("/x")), 0u);
    EXPECT_TRUE(d->systemDriverFolder().isEmpty());
    EXPECT_FALSE(d->runAndWait(QStringLiteral("/bin/true"), QString(), QStringLiteral("/")));
    const DriverDevice dev{QStringLiteral("x"), {}};
    EXPECT_TRUE(d->filterList(dev, true).isEmpty());
    EXPECT_FALSE(d->writeFilterList(dev, false, {QStringLiteral("svc")}));
    EXPECT_FALSE(d->devNodeStatus(dev).has_value());
    // The enumeration is real (platform/hid); it works even where nothing is plugged in.
    EXPECT_TRUE(d->presentHidDevices().has_value());
}

TEST(SystemDriverControl, AControlDeviceNodeIsNotedButNeverSpokenTo) {
    // /dev/null stands in for a character device of that name.
    auto d = systemDriverControl();
    const DriverHandle h = d->openControlDevice(QStringLiteral("\\\\.\\null"), false);
    ASSERT_NE(h, kInvalidDriverHandle);
    std::uint8_t buf[4] = {1, 2, 3, 4};
    EXPECT_EQ(d->deviceIoControl(h, 0x222000, buf, 4, buf, 4), driverctl::kErrorNotSupported);
    SyncEvent stop;
    const DriverReadResult r = d->readRequest(h, 0x222004, buf, 4, buf, 4, stop);
    EXPECT_FALSE(r.pending);
    EXPECT_NE(r.error, 0u);
    EXPECT_EQ(buf[0], 1);
    d->closeControlDevice(h);
}

TEST(SyncEvent, ManualResetAndWaitForAny) {
    SyncEvent a, b;
    EXPECT_FALSE(a.isSet());
    b.set();
    EXPECT_EQ(SyncEvent::waitAny({&a, &b}), 1u);
    EXPECT_TRUE(b.isSet());  // stays signalled
    a.set();
    EXPECT_EQ(SyncEvent::waitAny({&a, &b}), 0u);  // the first signalled one in list order
    a.reset();
    b.reset();

    std::atomic<int> woke{-1};
    std::thread waiter([&] { woke = static_cast<int>(SyncEvent::waitAny({&a, &b})); });
    b.set();
    waiter.join();
    EXPECT_EQ(woke, 1);
}

TEST(ReplaceFile, ReplacesWholeOrLeavesTheTargetAlone) {
    const auto dir = vyk::test::freshDir("replace");
    const QString src = QString::fromStdString((dir / "src.sys").string());
    const QString dst = QString::fromStdString((dir / "dst.sys").string());
    vyk::test::writeBytes(dir / "dst.sys", {9, 9});

    EXPECT_FALSE(replaceFileAtomically(src, dst));  // no source: target untouched
    EXPECT_EQ(vyk::test::readBytes(dir / "dst.sys"), (std::vector<std::uint8_t>{9, 9}));

    vyk::test::writeBytes(dir / "src.sys", {1, 2, 3});
    EXPECT_TRUE(replaceFileAtomically(src, dst));
    EXPECT_EQ(vyk::test::readBytes(dir / "dst.sys"), (std::vector<std::uint8_t>{1, 2, 3}));

    EXPECT_FALSE(replaceFileAtomically(src, QString::fromStdString((dir / "missing" / "x.sys").string())));
}

}  // namespace
