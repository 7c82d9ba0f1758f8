#include "platform/audio/microphone_mute.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QStandardPaths>

#include <memory>

#include "tests/platform/audio/pulse_test_daemon.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

using vyk::platform::MicrophoneMute;
using vyk::test::PulseTestDaemon;
using vyk::test::ScopedEnv;
using vyk::test::waitUntil;

namespace {

class MicrophoneMuteTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() ||
            QStandardPaths::findExecutable("pactl").isEmpty()) {
            GTEST_SKIP() << "pulseaudio is not installed";
        }
    }
    PulseTestDaemon daemon{"pulse"};
};

constexpr int kWait = 15000;

}  // namespace

TEST_F(MicrophoneMuteTest, EachPressTogglesAndAnOutsideChangeIsRespected) {
    ASSERT_TRUE(daemon.start({"module-null-source source_name=mic"}));
    ScopedEnv server("PULSE_SERVER", daemon.server().toStdString());
    ASSERT_EQ(daemon.sourceMute("mic"), "no");

    MicrophoneMute mute;
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "yes");
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "no");

    // Muted from outside (the desktop's sound settings): the next press unmutes it.
    ASSERT_TRUE(daemon.setSourceMute("mic", true));
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "no");
    EXPECT_EQ(mute.toggledCount(), 3u);
    EXPECT_EQ(mute.droppedCount(), 0u);
}

// Nothing runs while the mute is not used: the first press starts the worker and its
// connection, which end again a while after the last press. The press after that end still
// mutes, and the microphone chosen before it is still the one toggled.
TEST_F(MicrophoneMuteTest, TheWorkerRunsOnlyWhileUsedAndThePressAfterItsEndStillMutes) {
    ASSERT_TRUE(daemon.start({"module-null-source source_name=mic"}));
    ScopedEnv server("PULSE_SERVER", daemon.server().toStdString());
    MicrophoneMute mute;
    EXPECT_FALSE(mute.workerRunning());
    EXPECT_TRUE(mute.waitIdle(0));

    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "yes");
    ASSERT_TRUE(waitUntil([&] { return !mute.workerRunning(); }, MicrophoneMute::kIdleEndMs + kWait, false));

    // Another default appears while nothing runs: the chosen microphone stays the one toggled.
    ASSERT_TRUE(daemon.pactl({"load-module", "module-null-source", "source_name=headset"}).first);
    ASSERT_TRUE(daemon.pactl({"set-default-source", "headset"}).first);
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "no");
    EXPECT_EQ(daemon.sourceMute("headset"), "no");
    EXPECT_EQ(mute.toggledCount(), 2u);
    EXPECT_EQ(mute.droppedCount(), 0u);
}

// A press that comes while the worker ends its idle connection is neither lost nor merged.
TEST_F(MicrophoneMuteTest, PressesAroundTheIdleEndAreEachCarriedOut) {
    ASSERT_TRUE(daemon.start({"module-null-source source_name=mic"}));
    ScopedEnv server("PULSE_SERVER", daemon.server().toStdString());
    MicrophoneMute mute;
    std::uint64_t presses = 0;
    for (int delay : {MicrophoneMute::kIdleEndMs - 20, MicrophoneMute::kIdleEndMs, MicrophoneMute::kIdleEndMs + 20}) {
        mute.toggle();
        ++presses;
        ASSERT_TRUE(mute.waitIdle(kWait));
        waitUntil([] { return false; }, delay, false);
    }
    mute.toggle();
    ++presses;
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(mute.toggledCount(), presses);
    EXPECT_EQ(daemon.sourceMute("mic"), presses % 2 == 1 ? "yes" : "no");
}

TEST_F(MicrophoneMuteTest, ABurstOfPressesLosesNone) {
    ASSERT_TRUE(daemon.start({"module-null-source source_name=mic"}));
    ScopedEnv server("PULSE_SERVER", daemon.server().toStdString());
    MicrophoneMute mute;
    for (int i = 0; i < 10; ++i) mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "no");
    EXPECT_EQ(mute.toggledCount(), 10u);
    for (int i = 0; i < 7; ++i) mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "yes");
}

TEST_F(MicrophoneMuteTest, NoServerIsSilentAndTheNextPressTriesAgain) {
    ScopedEnv server("PULSE_SERVER", daemon.server().toStdString());  // nobody listens yet
    MicrophoneMute mute;
    mute.toggle();
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(mute.toggledCount(), 0u);
    EXPECT_EQ(mute.droppedCount(), 2u);

    ASSERT_TRUE(daemon.start({"module-null-source source_name=mic"}));
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "yes");

    // The server goes away and comes back (a restart): a press in between does nothing, the
    // next one reaches the new server.
    daemon.stop();
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(mute.droppedCount(), 3u);
    ASSERT_TRUE(daemon.start({"module-null-source source_name=mic"}));
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "yes");
}

TEST_F(MicrophoneMuteTest, AMonitorSourceIsNoMicrophone) {
    ASSERT_TRUE(daemon.start({"module-null-sink sink_name=speakers"}));
    ScopedEnv server("PULSE_SERVER", daemon.server().toStdString());
    ASSERT_EQ(daemon.sourceMute("speakers.monitor"), "no");
    MicrophoneMute mute;
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("speakers.monitor"), "no");
    EXPECT_EQ(mute.droppedCount(), 1u);

    // A microphone plugged in later and made the default is used by the next press.
    ASSERT_TRUE(daemon.pactl({"load-module", "module-null-source", "source_name=mic"}).first);
    ASSERT_TRUE(daemon.pactl({"set-default-source", "mic"}).first);
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "yes");
}

TEST_F(MicrophoneMuteTest, TheChosenSourceIsKeptWhileItExistsAndReplacedWhenGone) {
    ASSERT_TRUE(daemon.start({"module-null-source source_name=mic"}));
    ScopedEnv server("PULSE_SERVER", daemon.server().toStdString());
    MicrophoneMute mute;
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    ASSERT_EQ(daemon.sourceMute("mic"), "yes");

    // Another default appears: the chosen microphone stays the one that is toggled.
    auto [ok, index] = daemon.pactl({"load-module", "module-null-source", "source_name=headset"});
    ASSERT_TRUE(ok);
    ASSERT_TRUE(daemon.pactl({"set-default-source", "headset"}).first);
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "no");
    EXPECT_EQ(daemon.sourceMute("headset"), "no");

    // The chosen microphone is removed: the next press takes the default of that moment.
    ASSERT_TRUE(daemon.pactl({"unload-module", "module-null-source"}).first);  // removes both
    ASSERT_TRUE(daemon.pactl({"load-module", "module-null-source", "source_name=usbmic"}).first);
    ASSERT_TRUE(daemon.pactl({"set-default-source", "usbmic"}).first);
    mute.toggle();
    ASSERT_TRUE(mute.waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("usbmic"), "yes");
}

// A sound server that stops answering (hung, or stopped in a debugger) holds up neither the
// presses nor the end of the program; once it answers again, the next press works.
TEST_F(MicrophoneMuteTest, AHungServerHoldsUpNeitherThePressesNorTheShutdown) {
    ASSERT_TRUE(daemon.start({"module-null-source source_name=mic"}));
    ScopedEnv server("PULSE_SERVER", daemon.server().toStdString());
    auto mute = std::make_unique<MicrophoneMute>();
    mute->toggle();
    ASSERT_TRUE(mute->waitIdle(kWait));
    ASSERT_EQ(daemon.sourceMute("mic"), "yes");

    ASSERT_TRUE(daemon.freeze());
    for (int i = 0; i < 2; ++i) mute->toggle();
    EXPECT_FALSE(mute->waitIdle(0)) << "a press returns before the server is asked";
    ASSERT_TRUE(mute->waitIdle(kWait)) << "requests to a hung server time out";
    EXPECT_EQ(mute->toggledCount(), 1u);
    EXPECT_EQ(mute->droppedCount(), 2u);

    // Ended while a press waits for the hung server: the end does not wait for the request's
    // time-out of two seconds.
    mute->toggle();
    ASSERT_FALSE(mute->waitIdle(100));
    QElapsedTimer t;
    t.start();
    mute.reset();
    EXPECT_LT(t.elapsed(), 1000);

    ASSERT_TRUE(daemon.thaw());
    mute = std::make_unique<MicrophoneMute>();
    mute->toggle();
    ASSERT_TRUE(mute->waitIdle(kWait));
    EXPECT_EQ(daemon.sourceMute("mic"), "no");
}
