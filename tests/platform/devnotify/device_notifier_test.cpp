// The notifier against the simulated mouse: one arrival or removal per interface, whenever
// the simulator starts, unplugs, replugs or stops.
#include "platform/devnotify/device_notifier.h"
#include "sim/mouse_sim_server.h"
#include "tests/support/wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <thread>

namespace {

using vyk::test::waitUntil;

}  // namespace

TEST(DeviceNotifierTest, FollowsTheSimulatorThroughItsLife) {
    vyk::platform::DeviceNotifier n;
    int arrived = 0, removed = 0, changed = 0;
    QObject::connect(&n, &vyk::platform::DeviceNotifier::interfaceArrived, [&] { ++arrived; });
    QObject::connect(&n, &vyk::platform::DeviceNotifier::interfaceRemoved, [&] { ++removed; });
    QObject::connect(&n, &vyk::platform::DeviceNotifier::nodesChanged, [&] { ++changed; });
    EXPECT_FALSE(n.watchingSimulator());

    vyk::sim::SimOptions o;
    o.matchingInterfaces = 2;
    o.otherInterface = true;
    vyk::sim::MouseSimServer sim(o);
    ASSERT_TRUE(sim.start());
    ASSERT_TRUE(waitUntil([&] { return arrived == 3; }));  // started later: each interface arrives
    EXPECT_TRUE(n.watchingSimulator());
    sim.unplug();
    ASSERT_TRUE(waitUntil([&] { return removed == 3; }));
    sim.plug();
    ASSERT_TRUE(waitUntil([&] { return arrived == 6; }));
    sim.stop();
    ASSERT_TRUE(waitUntil([&] { return removed == 6 && !n.watchingSimulator(); }));
    EXPECT_EQ(changed, 8);  // start (once), 3 + 3 on unplug and plug, stop (once)

    ASSERT_TRUE(sim.start());  // and back again
    ASSERT_TRUE(waitUntil([&] { return arrived == 9; }));
}

TEST(DeviceNotifierTest, ASimulatorRunningAtCreationIsNoArrival) {
    vyk::sim::MouseSimServer sim;
    ASSERT_TRUE(sim.start());
    vyk::platform::DeviceNotifier n;
    int arrived = 0;
    QObject::connect(&n, &vyk::platform::DeviceNotifier::interfaceArrived, [&] { ++arrived; });
    EXPECT_TRUE(n.watchingSimulator());
    ASSERT_TRUE(waitUntil([&] { return sim.watchers() == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(arrived, 0);
}
