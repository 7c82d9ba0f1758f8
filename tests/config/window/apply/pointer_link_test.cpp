// The pointer part of the real link: APPLY's pointer settings reach the desktop's backends on a
// worker thread, from a copy of the three values taken when APPLY hands them over.
#include "config/link/CfgSystemLink.h"
#include "core/defs/uiThread.h"
#include "platform/pointer/recording_pointer_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Case {
    TMouseParams params;  // pointer speed, wheel lines, acceleration
    std::vector<std::string> calls;
};

// Records the speeds applied; the first call waits at a gate until the test opens it.
class GatedBackend final : public vyk::platform::PointerBackend {
public:
    void setAcceleration(int, const vyk::platform::AccelerationPreset&) override {
        std::unique_lock lock(mutex_);
        if (!gateUsed_) {
            gateUsed_ = true;
            entered_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return open_; });
        }
    }
    void setSpeed(int speed) override {
        std::lock_guard lock(mutex_);
        speeds_.push_back(speed);
    }
    void setWheelLines(int) override {}
    void setDoubleClickTime(int) override {}

    bool waitEntered() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return entered_; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    std::vector<int> speeds() {
        std::lock_guard lock(mutex_);
        return speeds_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool gateUsed_ = false, entered_ = false, open_ = false;
    std::vector<int> speeds_;
};

}  // namespace

TEST(CfgSystemLinkPointer, AppliesTheAccelerationPresetSpeedAndWheelLinesOrNothingOutOfRange) {
    vyk::platform::RecordingPointerBackend backend;
    vyk::platform::ScopedPointerBackend scope(&backend);
    CfgSystemLink link;
    const std::vector<Case> cases = {
        {{10, 3, 0}, {"acceleration 0 {0,0,0}", "speed 10", "wheelLines 3"}},
        {{1, 1, 1}, {"acceleration 1 {7,0,1}", "speed 1", "wheelLines 1"}},
        {{20, 10, 2}, {"acceleration 2 {4,6,2}", "speed 20", "wheelLines 10"}},
        {{5, 7, 3}, {"acceleration 3 {4,0,1}", "speed 5", "wheelLines 7"}},
        {{10, 3, 4}, {}},
        {{10, 3, -1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "acceleration " << c.params.Acceleration);
        backend.clear();
        TMouseParams params = c.params;
        link.ApplyPointerSettings(params);
        params = TMouseParams{2, 2, 2};  // the worker has its own copy
        ASSERT_TRUE(TuiThread::WaitForCalls(std::chrono::seconds(10)));
        EXPECT_EQ(backend.calls(), c.calls);
    }
}

// Three APPLYs in quick succession while the first one's worker is still busy: the desktop ends
// with the last settings handed over, and older settings never follow newer ones.
TEST(CfgSystemLinkPointer, QuickSuccessiveAppliesEndWithTheNewestSettings) {
    GatedBackend backend;
    vyk::platform::ScopedPointerBackend scope(&backend);
    CfgSystemLink link;
    link.ApplyPointerSettings(TMouseParams{1, 3, 1});
    ASSERT_TRUE(backend.waitEntered());
    link.ApplyPointerSettings(TMouseParams{2, 3, 1});
    link.ApplyPointerSettings(TMouseParams{3, 3, 1});
    backend.open();
    ASSERT_TRUE(TuiThread::WaitForCalls(std::chrono::seconds(10)));
    const std::vector<int> speeds = backend.speeds();
    ASSERT_FALSE(speeds.empty());
    EXPECT_EQ(speeds.front(), 1);
    EXPECT_EQ(speeds.back(), 3);
    EXPECT_TRUE(std::is_sorted(speeds.begin(), speeds.end()));
}
