// The order of the pointer calls, the 0..3 rule, the mappings, and our own process's style
// hints (the part that works without X server and desktop settings).

#include <gtest/gtest.h>

#include "platform/pointer/pointer_settings.h"
#include "platform/pointer/recording_pointer_backend.h"
#include "tests/platform/pointer/pointer_test_env.h"
#include "tests/support/wait.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStyleHints>

#include <string>
#include <thread>
#include <vector>

using vyk::platform::AccelerationPreset;
using vyk::platform::PointerSettings;
using vyk::platform::RecordingPointerBackend;
using vyk::platform::ScopedPointerBackend;

namespace {

using Calls = std::vector<std::string>;

TEST(PointerSequence, AccelerationThenSpeedThenWheelLinesWithThePreset) {
    struct Case {
        int acceleration;
        const char* presetLine;
    };
    const Case cases[] = {{0, "acceleration 0 {0,0,0}"},
                          {1, "acceleration 1 {7,0,1}"},
                          {2, "acceleration 2 {4,6,2}"},
                          {3, "acceleration 3 {4,0,1}"}};
    for (const Case& c : cases) {
        RecordingPointerBackend rec;
        ScopedPointerBackend scope(&rec);
        vyk::platform::applyPointerSettings(PointerSettings{13, 7, c.acceleration});
        EXPECT_EQ(rec.calls(), (Calls{c.presetLine, "speed 13", "wheelLines 7"})) << "acceleration " << c.acceleration;
    }
}

TEST(PointerSequence, AccelerationOutsideZeroToThreeAppliesNothing) {
    for (int acceleration : {-1, 4, 100, -2147483647 - 1, 2147483647}) {
        RecordingPointerBackend rec;
        ScopedPointerBackend scope(&rec);
        vyk::platform::applyPointerSettings(PointerSettings{10, 3, acceleration});
        EXPECT_TRUE(rec.calls().empty()) << "acceleration " << acceleration;
    }
}

TEST(PointerSequence, SpeedAndWheelLinesArePassedAsTheyAre) {
    // The range check concerns the acceleration only; the backends map the other two.
    RecordingPointerBackend rec;
    ScopedPointerBackend scope(&rec);
    vyk::platform::applyPointerSettings(PointerSettings{0, 11, 1});
    vyk::platform::applyPointerSettings(PointerSettings{21, 0, 3});
    EXPECT_EQ(rec.calls(), (Calls{"acceleration 1 {7,0,1}", "speed 0", "wheelLines 11", "acceleration 3 {4,0,1}",
                                  "speed 21", "wheelLines 0"}));
}

TEST(PointerSequence, DoubleClickTimeAloneAndEffective) {
    RecordingPointerBackend rec;
    ScopedPointerBackend scope(&rec);
    vyk::platform::setDoubleClickTime(900);
    vyk::platform::setDoubleClickTime(200);
    vyk::platform::setDoubleClickTime(0);
    vyk::platform::setDoubleClickTime(-5);
    vyk::platform::setDoubleClickTime(60000);
    EXPECT_EQ(rec.calls(),
              (Calls{"doubleClick 900", "doubleClick 200", "doubleClick 500", "doubleClick 500", "doubleClick 5000"}));
}

TEST(PointerSequence, WorkersCallingAtOnceEachKeepTheirOrder) {
    RecordingPointerBackend rec;
    ScopedPointerBackend scope(&rec);
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i)
        workers.emplace_back([i] { vyk::platform::applyPointerSettings(PointerSettings{i + 1, i + 1, i}); });
    for (auto& w : workers) w.join();
    const Calls calls = rec.calls();
    ASSERT_EQ(calls.size(), 12u);
    // Each worker's three calls come in its own order (acceleration, speed, wheel lines).
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i + 1);
        std::size_t a = calls.size(), s = calls.size(), w = calls.size();
        for (std::size_t k = 0; k < calls.size(); ++k) {
            if (calls[k].rfind("acceleration " + std::to_string(i) + " ", 0) == 0) a = k;
            if (calls[k] == "speed " + n) s = k;
            if (calls[k] == "wheelLines " + n) w = k;
        }
        EXPECT_LT(a, s);
        EXPECT_LT(s, w);
    }
}

TEST(PointerMapping, PresetsAndTheirXAcceleration) {
    struct Case {
        int acceleration;
        AccelerationPreset preset;
        int num, den, threshold;
        bool keepThreshold;
    };
    const Case cases[] = {{0, {0, 0, 0}, 1, 1, 0, true},  {1, {7, 0, 1}, 2, 1, 7, false},
                          {2, {4, 6, 2}, 4, 1, 6, false}, {3, {4, 0, 1}, 2, 1, 4, false},
                          {4, {0, 0, 0}, 1, 1, 0, true},  {-1, {0, 0, 0}, 1, 1, 0, true}};
    for (const Case& c : cases) {
        const AccelerationPreset p = vyk::platform::accelerationPreset(c.acceleration);
        EXPECT_EQ(p.threshold1, c.preset.threshold1) << c.acceleration;
        EXPECT_EQ(p.threshold2, c.preset.threshold2) << c.acceleration;
        EXPECT_EQ(p.acceleration, c.preset.acceleration) << c.acceleration;
        const auto x = vyk::platform::xPointerAcceleration(p);
        EXPECT_EQ(x.numerator, c.num) << c.acceleration;
        EXPECT_EQ(x.denominator, c.den) << c.acceleration;
        if (!c.keepThreshold) {
            EXPECT_EQ(x.threshold, c.threshold) << c.acceleration;
        }
        EXPECT_EQ(x.keepThreshold, c.keepThreshold) << c.acceleration;
    }
}

TEST(PointerMapping, SpeedOneToTwentyOntoMinusOneToOne) {
    const std::pair<int, double> cases[] = {{1, -1.0},  {20, 1.0}, {10, -1.0 / 19}, {11, 1.0 / 19}, {0, -1.0},
                                            {-7, -1.0}, {21, 1.0}, {1000, 1.0},     {5, -11.0 / 19}};
    for (const auto& [speed, expected] : cases)
        EXPECT_NEAR(vyk::platform::desktopPointerSpeed(speed), expected, 1e-12) << speed;
    // Strictly rising over the track bar's range.
    for (int s = 1; s < 20; ++s)
        EXPECT_LT(vyk::platform::desktopPointerSpeed(s), vyk::platform::desktopPointerSpeed(s + 1));
}

// The real backends without X server: only the desktop settings (keyfile, see the test
// environment) and our own process are there.
TEST(PointerOwnProcess, DoubleClickIntervalAppliesAtOnce) {
    for (int ms : {900, 200, 437}) {
        vyk::platform::setDoubleClickTime(ms);
        EXPECT_EQ(QGuiApplication::styleHints()->mouseDoubleClickInterval(), ms);
    }
    vyk::platform::setDoubleClickTime(0);
    EXPECT_EQ(QGuiApplication::styleHints()->mouseDoubleClickInterval(), 500);
}

TEST(PointerOwnProcess, WheelLinesFromAWorkerReachTheUiThread) {
    QApplication::setWheelScrollLines(3);
    std::thread worker([] { vyk::platform::applyPointerSettings(PointerSettings{10, 8, 1}); });
    worker.join();
    // Posted, not set from the worker: the UI thread sets it when it handles its events.
    EXPECT_TRUE(vyk::test::waitUntil([] { return QApplication::wheelScrollLines() == 8; }));
    EXPECT_EQ(QGuiApplication::styleHints()->wheelScrollLines(), 8);
}

TEST(PointerOwnProcess, WheelLinesOnTheUiThreadAndNothingForBadValues) {
    QApplication::setWheelScrollLines(3);
    vyk::platform::applyPointerSettings(PointerSettings{10, 10, 0});
    EXPECT_EQ(QApplication::wheelScrollLines(), 10);
    // Zero lines would switch the wheel off: not taken. An acceleration of 4 applies nothing.
    vyk::platform::applyPointerSettings(PointerSettings{10, 0, 0});
    vyk::platform::applyPointerSettings(PointerSettings{10, 5, 4});
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::wheelScrollLines(), 10);
}

}  // namespace
