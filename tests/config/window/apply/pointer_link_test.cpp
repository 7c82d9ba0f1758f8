// The pointer part of the real link: APPLY's pointer settings reach the desktop's backends on a
// worker thread, from a copy of the three values taken when APPLY hands them over.
#include "config/window/CfgSystemLink.h"
#include "core/defs/uiThread.h"
#include "platform/pointer/recording_pointer_backend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

struct Case {
    TMouseParams params;  // pointer speed, wheel lines, acceleration
    std::vector<std::string> calls;
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
