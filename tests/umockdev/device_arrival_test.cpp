// Arrival and removal of hidraw nodes as udev announces them: the notifier's libudev monitor
// gets the testbed's uevents, and the monitor program reopens its reader on the mouse that
// came back, 1.5 s after the last arrival.
#include "core/device/uiHIDData.h"
#include "core/store/DMUnit.h"
#include "monitor/MouseMonitor.h"
#include "platform/devnotify/device_notifier.h"
#include "platform/dialogs/message_box.h"
#include "tests/monitor/monitor_test_support.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"
#include "tests/umockdev/fake_hidraw/fake_hidraw.h"
#include "tests/umockdev/hidraw_testbed.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <gtest/gtest.h>

using hidrawtest::Testbed;
using vyk::platform::DeviceNotifier;
using vyk::test::ScopedEnv;
using vyk::test::waitUntil;

namespace {

vyk::sim::SimOptions mouseOptions(int matching, bool other) {
    vyk::sim::SimOptions o;
    o.matchingInterfaces = matching;
    o.otherInterface = other;
    return o;
}

TEST(HidrawArrival, TheNotifierCountsEachHidrawNodeThatComesAndGoes) {
    Testbed bed;
    bed.setBetweenUevents([] { QCoreApplication::processEvents(); });
    DeviceNotifier n;
    int arrived = 0, removed = 0, changed = 0;
    QObject::connect(&n, &DeviceNotifier::interfaceArrived, [&] { ++arrived; });
    QObject::connect(&n, &DeviceNotifier::interfaceRemoved, [&] { ++removed; });
    QObject::connect(&n, &DeviceNotifier::nodesChanged, [&] { ++changed; });

    // The USB device, its interfaces and hid devices arrive too; only the hidraw nodes count.
    bed.addMouse(mouseOptions(2, true));
    ASSERT_TRUE(waitUntil([&] { return arrived == 3; }));
    bed.removeMouse();
    ASSERT_TRUE(waitUntil([&] { return removed == 3; }));
    bed.addMouse(mouseOptions(1, false));
    ASSERT_TRUE(waitUntil([&] { return arrived == 4; }));
    waitUntil([] { return false; }, 300);  // nothing else comes
    EXPECT_EQ(arrived, 4);
    EXPECT_EQ(removed, 3);
    EXPECT_EQ(changed, 7);
}

class MonitorArrivalTest : public ::testing::Test {
protected:
    void SetUp() override {
        registryEnv_ = std::make_unique<ScopedEnv>("VYK_REGISTRY_ROOT", vyk::test::freshDir("registry").string());
        exeEnv_ = std::make_unique<ScopedEnv>("VYK_EXE_DIR", montest::makeExeDir(false).string());
        pulseEnv_ = std::make_unique<ScopedEnv>("PULSE_SERVER", (vyk::test::testRoot() / "no-pulse").string());
        vyk::platform::setMessageBoxHook([this](const QString& caption, const QString& text,
                                                vyk::platform::MessageIcon) { boxes_ << caption + ": " + text; });
        bed_.setBetweenUevents([] { QCoreApplication::processEvents(); });
        sim_ = hidrawtest::startSim(2, true);
        dm_ = std::make_unique<TDM>();
    }
    void TearDown() override {
        mon_.reset();
        dm_.reset();
        vyk::platform::setMessageBoxHook({});
        EXPECT_TRUE(boxes_.isEmpty()) << boxes_.join("\n").toStdString();
    }

    Testbed bed_;
    std::unique_ptr<ScopedEnv> registryEnv_, exeEnv_, pulseEnv_;
    QStringList boxes_;
    std::unique_ptr<vyk::sim::MouseSimServer> sim_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TVYKMONMAIN> mon_;
};

TEST_F(MonitorArrivalTest, AReplugReopensTheReaderOnceAfterTheLastArrival) {
    bed_.addMouse(mouseOptions(2, true));
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    // At start the mouse already there counts as arrived: one reader per vendor interface.
    ASSERT_TRUE(waitUntil([&] { return mon_->ReopenCount() == 1; }, 15000));
    ASSERT_TRUE(waitUntil([&] { return sim_->openHandles(0) == 1 && sim_->openHandles(1) == 1; }));
    EXPECT_EQ(sim_->openHandles(2), 0u);  // the standard mouse interface is not read

    // Unplugged: the readers see the node go, udev announces the removal.
    sim_->unplug();
    bed_.removeMouse();
    ASSERT_TRUE(waitUntil([&] { return vyk_fake_hidraw_open_handles() == 0; }));
    EXPECT_FALSE(waitUntil([&] { return mon_->ReopenCount() > 1; }, 2000)) << "a reopen without an arrival";

    // Plugged in again: three nodes arrive, and 1.5 s after the last one the reader reopens
    // on both vendor interfaces.
    sim_->plug();
    QElapsedTimer sinceArrival;
    bed_.addMouse(mouseOptions(2, true));
    sinceArrival.start();
    ASSERT_TRUE(waitUntil([&] { return mon_->ReopenCount() == 2; }, 5000));
    EXPECT_GE(sinceArrival.elapsed(), 1400);
    ASSERT_TRUE(waitUntil([&] { return sim_->openHandles(0) == 1 && sim_->openHandles(1) == 1; }));
    EXPECT_FALSE(waitUntil([&] { return mon_->ReopenCount() > 2; }, 2000)) << "a reopen per arrival";

    // The reopened reader reads what the mouse sends.
    EXPECT_TRUE(sim_->injectInput(0, montest::report({7, 0, 0, 0})));
    EXPECT_TRUE(waitUntil([&] { return vyk_fake_hidraw_reads() >= 1; }));
}

}  // namespace
