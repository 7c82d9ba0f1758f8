// The desktop's own settings, written through GIO into the keyfile backend of the test's
// private home and read back from that file.

#include <gtest/gtest.h>

#include "platform/pointer/pointer_settings.h"
#include "tests/platform/pointer/pointer_test_env.h"

#include <string>
#include <thread>

using vyk::platform::PointerSettings;
using namespace vyk::test::pointer;

namespace {

class DesktopSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kKeyfileBackend);
        if (!mouseSchemaInstalled())
            GTEST_SKIP() << "schema org.gnome.desktop.peripherals.mouse not installed (gsettings-desktop-schemas)";
    }
    static double speed() { return std::stod(mouseKey("speed").value_or("nan")); }
};

TEST_F(DesktopSettings, SpeedAndProfileOfEachApply) {
    struct Case {
        PointerSettings settings;
        double speed;
        const char* profile;
    };
    const Case cases[] = {{{20, 3, 0}, 1.0, "'flat'"},
                          {{1, 3, 2}, -1.0, "'adaptive'"},
                          {{10, 3, 1}, -1.0 / 19, "'adaptive'"},
                          {{15, 3, 3}, 9.0 / 19, "'adaptive'"},
                          {{25, 3, 0}, 1.0, "'flat'"}};
    for (const Case& c : cases) {
        vyk::platform::applyPointerSettings(c.settings);
        EXPECT_NEAR(speed(), c.speed, 1e-9) << c.settings.speed;
        EXPECT_EQ(mouseKey("accel-profile").value_or("-"), c.profile) << c.settings.acceleration;
    }
    // The desktop has no wheel-lines key: nothing else was written to the mouse group.
    EXPECT_EQ(mouseKeys().size(), 2u);
}

TEST_F(DesktopSettings, DoubleClickTime) {
    // Made ready on another thread first, as the configuration program does; that writes nothing.
    const auto before = mouseKeys();
    std::thread(vyk::platform::preparePointerSettings).join();
    EXPECT_EQ(mouseKeys(), before);
    for (int ms : {900, 200, 613}) {
        vyk::platform::setDoubleClickTime(ms);
        EXPECT_EQ(mouseKey("double-click").value_or("-"), std::to_string(ms));
    }
    vyk::platform::setDoubleClickTime(0);
    EXPECT_EQ(mouseKey("double-click").value_or("-"), "500");
}

TEST_F(DesktopSettings, AccelerationOutOfRangeLeavesEverything) {
    vyk::platform::applyPointerSettings(PointerSettings{5, 3, 0});
    const auto before = mouseKeys();
    ASSERT_EQ(before.count("speed"), 1u);
    vyk::platform::applyPointerSettings(PointerSettings{20, 3, 4});
    vyk::platform::applyPointerSettings(PointerSettings{20, 3, -1});
    EXPECT_EQ(mouseKeys(), before);
}

}  // namespace
