// The device-arrival component: the start-up arrival, the simulated mouse coming and going,
// other device types, and handlers that raise.
#include "core/device/uiHIDEvent.h"
#include "tests/core/device/device_test_support.h"

#include "platform/dialogs/message_box.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using devtest::waitUntil;

namespace {

struct Counts {
    int arrivals = 0, removals = 0, changes = 0;
    void attach(TuiHIDEvent& e) {
        e.OnDeviceArrival = [this](QObject*) { ++arrivals; };
        e.OnDeviceRemove = [this](QObject*) { ++removals; };
        e.OnDeviceChange = [this](QObject*) { ++changes; };
    }
};

class ExposedHIDEvent : public TuiHIDEvent {
public:
    using TuiHIDEvent::WMDeviceChange;
};

}  // namespace

TEST(HIDEventTest, FiresOneArrivalAbout1500MsAfterCreationWithNoDevice) {
    QElapsedTimer t;
    t.start();
    TuiHIDEvent e;
    Counts c;
    c.attach(e);
    ASSERT_TRUE(waitUntil([&] { return c.arrivals == 1; }, 4000));
    EXPECT_GE(t.elapsed(), 1400);
    EXPECT_EQ(c.changes, 1);  // the "device nodes changed" posted at creation
    EXPECT_EQ(c.removals, 0);
    EXPECT_EQ(e.UsbGuid(), QStringLiteral("{4d1e55b2-f16f-11cf-88cb-001111000030}"));
}

TEST(HIDEventTest, TheSimulatedMouseArrivesAndLeaves) {
    auto sim = devtest::startSim();
    TuiHIDEvent e;
    Counts c;
    c.attach(e);
    ASSERT_TRUE(waitUntil([&] { return c.arrivals == 1; }, 4000));  // the start-up arrival
    ASSERT_TRUE(waitUntil([&] { return sim->watchers() == 1; }));
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return c.removals == 1; }));
    sim->plug();
    ASSERT_TRUE(waitUntil([&] { return c.arrivals == 2; }));
    sim->stop();  // the simulator ending is the mouse going away
    ASSERT_TRUE(waitUntil([&] { return c.removals == 2; }));
    EXPECT_EQ(c.arrivals, 2);
}

TEST(HIDEventTest, ASimulatorStartedLaterIsAnArrival) {
    TuiHIDEvent e;
    Counts c;
    c.attach(e);
    auto sim = devtest::startSim(2);
    // Two interfaces arrive; the start-up timer may add its own arrival meanwhile.
    ASSERT_TRUE(waitUntil([&] { return sim->watchers() == 1 && c.arrivals >= 2; }));
}

TEST(HIDEventTest, OnlyDeviceInterfacesCount) {
    ExposedHIDEvent e;
    Counts c;
    c.attach(e);
    e.WMDeviceChange(TuiHIDEvent::DBT_DEVICEARRIVAL, 2);                // a volume
    e.WMDeviceChange(TuiHIDEvent::DBT_DEVICEREMOVECOMPLETE, 3);         // a port
    e.WMDeviceChange(0x8001, TuiHIDEvent::DBT_DEVTYP_DEVICEINTERFACE);  // a query, not handled
    EXPECT_EQ(c.arrivals + c.removals, 0);
    e.WMDeviceChange(TuiHIDEvent::DBT_DEVICEARRIVAL, TuiHIDEvent::DBT_DEVTYP_DEVICEINTERFACE);
    e.WMDeviceChange(TuiHIDEvent::DBT_DEVICEREMOVECOMPLETE, TuiHIDEvent::DBT_DEVTYP_DEVICEINTERFACE);
    EXPECT_EQ(c.arrivals, 1);
    EXPECT_EQ(c.removals, 1);
}

TEST(HIDEventTest, AHandlerThatRaisesIsReportedAndLaterEventsStillCome) {
    std::vector<QString> boxes;
    vyk::platform::setMessageBoxHook(
        [&](const QString&, const QString& text, vyk::platform::MessageIcon) { boxes.push_back(text); });
    auto sim = devtest::startSim();
    TuiHIDEvent e;
    int removals = 0;
    e.OnDeviceRemove = [&](QObject*) {
        ++removals;
        throw std::runtime_error("handler failed");
    };
    ASSERT_TRUE(waitUntil([&] { return sim->watchers() == 1; }));
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return removals == 1; }));
    sim->plug();
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return removals == 2; }));
    EXPECT_EQ(boxes, (std::vector<QString>{"handler failed", "handler failed"}));
    vyk::platform::setMessageBoxHook({});
}
