// The X server backend against a real Xvfb: the core pointer control read back with
// XGetPointerControl, and the libinput properties on a pointer device that has them (the
// XTEST pointer of Xvfb, given the properties by the test as the libinput driver would).

#include <gtest/gtest.h>

#include "platform/pointer/pointer_settings.h"
#include "tests/platform/pointer/fake_x_server.h"
#include "tests/platform/pointer/pointer_test_env.h"
#include "tests/support/test_env.h"
#include "tests/support/xvfb_server.h"

#include <QApplication>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

using vyk::platform::PointerSettings;

namespace {

struct Control {
    int num = 0, den = 0, threshold = 0;
};

class X11Pointer : public vyk::test::XvfbTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(vyk::test::pointer::kKeyfileBackend);
        XvfbTest::SetUp();
        if (IsSkipped()) return;
        dpy_ = XOpenDisplay(server_->display().c_str());
        ASSERT_NE(dpy_, nullptr);
        int count = 0;
        XIDeviceInfo* info = XIQueryDevice(dpy_, XIAllDevices, &count);
        for (int i = 0; i < count; ++i)
            if (info[i].use == XISlavePointer && std::strstr(info[i].name, "XTEST") != nullptr)
                xtest_ = info[i].deviceid;
        XIFreeDeviceInfo(info);
        ASSERT_GT(xtest_, 0);
    }
    void TearDown() override {
        if (dpy_ != nullptr) XCloseDisplay(dpy_);
        XvfbTest::TearDown();
    }

    Control control() {
        Control c;
        XGetPointerControl(dpy_, &c.num, &c.den, &c.threshold);
        return c;
    }
    void setControl(int num, int den, int threshold) {
        XChangePointerControl(dpy_, True, True, num, den, threshold);
        XSync(dpy_, False);
    }
    Atom atom(const char* name) { return XInternAtom(dpy_, name, False); }

    // Gives the XTEST pointer the libinput properties: speed (FLOAT) and the profiles.
    void addLibinputProperties(float speed, std::vector<unsigned char> enabled, std::vector<unsigned char> available) {
        unsigned char raw[4];
        std::memcpy(raw, &speed, 4);
        XIChangeProperty(dpy_, xtest_, atom("libinput Accel Speed"), atom("FLOAT"), 32, XIPropModeReplace, raw, 1);
        XIChangeProperty(dpy_, xtest_, atom("libinput Accel Profile Enabled"), XA_INTEGER, 8, XIPropModeReplace,
                         enabled.data(), static_cast<int>(enabled.size()));
        XIChangeProperty(dpy_, xtest_, atom("libinput Accel Profiles Available"), XA_INTEGER, 8, XIPropModeReplace,
                         available.data(), static_cast<int>(available.size()));
        XSync(dpy_, False);
    }
    std::vector<unsigned char> property(const char* name) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned char> bytes;
        if (XIGetProperty(dpy_, xtest_, atom(name), 0, 16, False, AnyPropertyType, &type, &format, &items, &after,
                          &data) == Success &&
            data != nullptr)
            bytes.assign(data, data + items * (format / 8));
        if (data != nullptr) XFree(data);
        return bytes;
    }
    float speedProperty() {
        const auto bytes = property("libinput Accel Speed");
        float f = -99.0f;
        if (bytes.size() == 4) std::memcpy(&f, bytes.data(), 4);
        return f;
    }

    Display* dpy_ = nullptr;
    int xtest_ = 0;
};

TEST_F(X11Pointer, CoreAccelerationOfEachPreset) {
    setControl(3, 2, 9);
    struct Case {
        int acceleration, num, den, threshold;
    };
    // Preset 0 only switches the factor off; the threshold it leaves is the one before.
    const Case cases[] = {{2, 4, 1, 6}, {1, 2, 1, 7}, {3, 2, 1, 4}, {0, 1, 1, 4}, {2, 4, 1, 6}};
    for (const Case& c : cases) {
        vyk::platform::applyPointerSettings(PointerSettings{10, 3, c.acceleration});
        const Control got = control();
        EXPECT_EQ(got.num, c.num) << c.acceleration;
        EXPECT_EQ(got.den, c.den) << c.acceleration;
        EXPECT_EQ(got.threshold, c.threshold) << c.acceleration;
    }
}

TEST_F(X11Pointer, AccelerationOutOfRangeChangesNothing) {
    setControl(3, 2, 9);
    addLibinputProperties(0.25f, {1, 0, 0}, {1, 1, 0});
    QApplication::setWheelScrollLines(3);
    for (int acceleration : {4, -1, 99}) vyk::platform::applyPointerSettings(PointerSettings{20, 9, acceleration});
    QCoreApplication::processEvents();
    const Control got = control();
    EXPECT_EQ(got.num, 3);
    EXPECT_EQ(got.den, 2);
    EXPECT_EQ(got.threshold, 9);
    EXPECT_FLOAT_EQ(speedProperty(), 0.25f);
    EXPECT_EQ(property("libinput Accel Profile Enabled"), (std::vector<unsigned char>{1, 0, 0}));
    EXPECT_EQ(QApplication::wheelScrollLines(), 3);
}

TEST_F(X11Pointer, LibinputSpeedAndProfile) {
    addLibinputProperties(0.0f, {1, 0, 0}, {1, 1, 0});
    vyk::platform::applyPointerSettings(PointerSettings{20, 3, 0});
    EXPECT_FLOAT_EQ(speedProperty(), 1.0f);
    EXPECT_EQ(property("libinput Accel Profile Enabled"), (std::vector<unsigned char>{0, 1, 0}));

    vyk::platform::applyPointerSettings(PointerSettings{1, 3, 2});
    EXPECT_FLOAT_EQ(speedProperty(), -1.0f);
    EXPECT_EQ(property("libinput Accel Profile Enabled"), (std::vector<unsigned char>{1, 0, 0}));

    vyk::platform::applyPointerSettings(PointerSettings{15, 3, 3});
    EXPECT_NEAR(speedProperty(), 9.0 / 19, 1e-6);
}

TEST_F(X11Pointer, ProfileTheDeviceLacksIsNotForced) {
    // A device that offers adaptive only keeps it for preset 0; the speed still applies.
    addLibinputProperties(0.0f, {1, 0}, {1, 0});
    vyk::platform::applyPointerSettings(PointerSettings{11, 3, 0});
    EXPECT_EQ(property("libinput Accel Profile Enabled"), (std::vector<unsigned char>{1, 0}));
    EXPECT_NEAR(speedProperty(), 1.0 / 19, 1e-6);
}

TEST_F(X11Pointer, PropertiesOfAnotherShapeAreLeftAlone) {
    // Not the driver's shapes (an integer speed, a 16-bit profile list): untouched, no error.
    int raw = 7;
    XIChangeProperty(dpy_, xtest_, atom("libinput Accel Speed"), XA_INTEGER, 32, XIPropModeReplace,
                     reinterpret_cast<unsigned char*>(&raw), 1);
    short profiles[2] = {1, 0};
    XIChangeProperty(dpy_, xtest_, atom("libinput Accel Profile Enabled"), XA_INTEGER, 16, XIPropModeReplace,
                     reinterpret_cast<unsigned char*>(profiles), 2);
    XSync(dpy_, False);
    vyk::platform::applyPointerSettings(PointerSettings{20, 3, 0});
    const auto speedBytes = property("libinput Accel Speed");
    ASSERT_EQ(speedBytes.size(), 4u);
    int got = 0;
    std::memcpy(&got, speedBytes.data(), 4);
    EXPECT_EQ(got, 7);
    const auto profileBytes = property("libinput Accel Profile Enabled");
    EXPECT_EQ(profileBytes, (std::vector<unsigned char>{1, 0, 0, 0}));
    // The core control was still applied.
    EXPECT_EQ(control().num, 1);
}

TEST_F(X11Pointer, FromAWorkerWithItsOwnConnectionClosedAfterwards) {
    setControl(1, 1, 4);
    // The first apply loads what the libraries load once; count descriptors after it.
    vyk::platform::applyPointerSettings(PointerSettings{10, 3, 0});
    const int before = vyk::test::openDescriptorCount();
    std::thread worker([] { vyk::platform::applyPointerSettings(PointerSettings{10, 3, 2}); });
    worker.join();
    EXPECT_EQ(control().num, 4);
    EXPECT_EQ(control().threshold, 6);
    EXPECT_EQ(vyk::test::openDescriptorCount(), before);
}

TEST_F(X11Pointer, ServerGoneMeansNothingApplied) {
    XCloseDisplay(dpy_);
    dpy_ = nullptr;
    server_->stop();
    // DISPLAY still names the stopped server: the backend is skipped, the program goes on.
    QApplication::setWheelScrollLines(3);
    vyk::platform::applyPointerSettings(PointerSettings{10, 6, 1});
    EXPECT_EQ(QApplication::wheelScrollLines(), 6);
}

// The X server hangs up while the worker applies: the apply ends there, the program goes on
// (Xlib would end the process), and our own process still gets its part.
TEST(X11PointerLost, ConnectionLostMidApplyEndsOnlyTheApply) {
    constexpr int kChangePointerControl = 105;
    auto fake = std::make_unique<vyk::test::pointer::FakeXServer>(kChangePointerControl,
                                                                  vyk::test::pointer::FakeXServer::Action::HangUp);
    ASSERT_TRUE(fake->listening());
    vyk::test::ScopedEnv display("DISPLAY", fake->display());
    QApplication::setWheelScrollLines(3);
    std::thread worker([] { vyk::platform::applyPointerSettings(PointerSettings{10, 6, 2}); });
    worker.join();
    EXPECT_TRUE(fake->hungUp());
    EXPECT_TRUE(vyk::test::waitUntil([] { return QApplication::wheelScrollLines() == 6; }));
    // A later apply with the server gone (DISPLAY names nothing now) still goes through.
    fake.reset();
    vyk::platform::applyPointerSettings(PointerSettings{10, 4, 1});
    EXPECT_EQ(QApplication::wheelScrollLines(), 4);
}

// The server refuses the pointer control with an X error: only that value is lost; Xlib's
// default handler (which ends the process) never sees the error.
TEST(X11PointerLost, ErrorFromTheServerCostsOnlyThatValue) {
    constexpr int kChangePointerControl = 105;
    vyk::test::pointer::FakeXServer fake(kChangePointerControl, vyk::test::pointer::FakeXServer::Action::Error);
    ASSERT_TRUE(fake.listening());
    vyk::test::ScopedEnv display("DISPLAY", fake.display());
    QApplication::setWheelScrollLines(3);
    std::thread worker([] { vyk::platform::applyPointerSettings(PointerSettings{10, 7, 1}); });
    worker.join();
    EXPECT_EQ(fake.errorsSent(), 1);
    EXPECT_TRUE(vyk::test::waitUntil([] { return QApplication::wheelScrollLines() == 7; }));
}

}  // namespace
