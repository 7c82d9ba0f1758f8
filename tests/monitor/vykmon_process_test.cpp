// The real VykMon program, started by the test with the simulated mouse, a private sound
// server and a stand-in for the configuration program.
#include "monitor/MouseMonitor.h"
#include "tests/monitor/monitor_test_support.h"

#include "platform/instance/instance_lock.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <chrono>
#include <csignal>
#include <memory>
#include <thread>
#include <vector>

using namespace montest;
using vyk::test::waitUntil;

namespace {

class VykMonProcess {
public:
    VykMonProcess(const fs::path& exeDir, const QString& pulseServer, const fs::path& debugLog = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VYK_EXE_DIR", QString::fromStdString(exeDir.string()));
        if (!debugLog.empty()) env.insert("VYK_DEBUG_LOG", QString::fromStdString(debugLog.string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        if (!pulseServer.isEmpty()) env.insert("PULSE_SERVER", pulseServer);
        proc_.setProcessEnvironment(env);
        proc_.setProcessChannelMode(QProcess::ForwardedChannels);
        proc_.setProgram(QString::fromStdString((fs::path(VYK_TEST_BIN_DIR) / "VykMon").string()));
    }
    ~VykMonProcess() { end(); }
    void start() { proc_.start(); }
    QProcess& process() { return proc_; }
    // The monitor ends only through its menu; the test ends the process it started.
    void end() {
        if (proc_.state() == QProcess::NotRunning) return;
        proc_.kill();
        proc_.waitForFinished(10000);
    }

private:
    QProcess proc_;
};

}  // namespace

TEST(VykMon, TwoMonitorsStartedTogetherLeaveExactlyOneRunning) {
    const fs::path exeDir = makeExeDir(true);
    std::vector<std::unique_ptr<VykMonProcess>> mons;
    for (int i = 0; i < 4; ++i) mons.push_back(std::make_unique<VykMonProcess>(exeDir, QString()));
    for (auto& m : mons) m->start();
    for (auto& m : mons) ASSERT_TRUE(m->process().waitForStarted(10000));

    ASSERT_TRUE(waitUntil([] { return vyk::platform::ipc::findWindow(MONITOR_MAIN_CLASS_NAME); }, 30000));
    int ended = 0;
    for (auto& m : mons) {
        if (m->process().waitForFinished(m->process().state() == QProcess::Running ? 3000 : 0) ||
            m->process().state() == QProcess::NotRunning) {
            ++ended;
            EXPECT_EQ(m->process().exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(m->process().exitCode(), 0) << "a second monitor ends quietly";
        }
    }
    EXPECT_EQ(ended, 3);
    EXPECT_TRUE(vyk::platform::ipc::findWindow(MONITOR_MAIN_CLASS_NAME));
}

TEST(VykMon, RunsAgainstTheSimulatedMouseAndTheSoundServer) {
    if (!havePulse()) GTEST_SKIP() << "pulseaudio is not installed";
    vyk::test::PulseTestDaemon pulse("pulse");
    ASSERT_TRUE(pulse.start({"module-null-source source_name=mic"}));
    vyk::sim::MouseSimServer sim{vyk::sim::SimOptions{}};
    std::string error;
    ASSERT_TRUE(sim.start(&error)) << error;

    // What the configuration program saved: the mute on button 5 of profile 2 (index 1).
    {
        vyk::test::ScopedEnv exe("VYK_EXE_DIR", makeExeDir(true).string());
        TDM dm;
        storeButtonFunction(dm, 1, 5, MICROPHONE_MUTE_FUNCTION_INDEX);
    }
    CfgStandIn cfg;
    ASSERT_TRUE(cfg.listening());
    VykMonProcess mon(makeExeDir(true), pulse.server());
    mon.start();
    ASSERT_TRUE(mon.process().waitForStarted(10000));
    // The first reader opens about three seconds after start; until it reads, reports are
    // lost (as with a real mouse), so the DPI report is repeated until it is relayed.
    ASSERT_TRUE(waitUntil(
        [&] {
            sim.injectInput(0, report({8, 2, 4}));
            return waitUntil([&] { return !cfg.seen(WM_CFG_CPI_INDEX).empty(); }, 200);
        },
        30000));
    EXPECT_EQ(cfg.seen(WM_CFG_CPI_INDEX)[0].wParam, 4);

    sim.injectInput(0, report({8, 1, 1}));
    ASSERT_TRUE(waitUntil([&] { return cfg.seen(WM_CFG_SWITCH_PROFILE).size() == 1; }, 10000));
    EXPECT_EQ(cfg.seen(WM_CFG_SWITCH_PROFILE)[0].wParam, 1);
    EXPECT_TRUE(cfg.seen(WM_CFG_SWITCH_PROFILE)[0].replyDelivered);

    sim.injectInput(0, report({7, 0x20, 0, 0}));
    EXPECT_TRUE(waitUntil([&] { return pulse.sourceMute("mic") == "yes"; }, 10000, false));
    sim.injectInput(0, report({7, 0x20, 0, 0}));
    EXPECT_TRUE(waitUntil([&] { return pulse.sourceMute("mic") == "no"; }, 10000, false));

    const std::size_t before = cfg.seen(WM_CFG_CPI_INDEX).size();
    sim.injectInput(0, report({8, 2, 3}));
    ASSERT_TRUE(waitUntil([&] { return cfg.seen(WM_CFG_CPI_INDEX).size() == before + 1; }, 10000));
    EXPECT_EQ(cfg.seen(WM_CFG_CPI_INDEX).back().wParam, 3);
    EXPECT_EQ(mon.process().state(), QProcess::Running);
}

TEST(VykMon, StopSignalsEndTheEventLoopAndCleanUp) {
    const fs::path exeDir = makeExeDir(true);
    const fs::path socket = QFile::encodeName(vyk::platform::ipc::socketPath(MONITOR_MAIN_CLASS_NAME)).toStdString();
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        VykMonProcess mon(exeDir, QString());
        mon.start();
        ASSERT_TRUE(mon.process().waitForStarted(10000));
        ASSERT_TRUE(waitUntil([] { return vyk::platform::ipc::findWindow(MONITOR_MAIN_CLASS_NAME); }, 30000));
        ASSERT_EQ(::kill(static_cast<pid_t>(mon.process().processId()), sig), 0);
        ASSERT_TRUE(mon.process().waitForFinished(15000));
        EXPECT_EQ(mon.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(mon.process().exitCode(), 0);
        // The socket went with it, and the next monitor can start.
        EXPECT_FALSE(fs::exists(socket));
        EXPECT_NE(vyk::platform::InstanceLock::tryAcquire(MONITOR_MAIN_CLASS_NAME.latin1()), nullptr);
    }
}

namespace {

fs::path monitorSocket() {
    return QFile::encodeName(vyk::platform::ipc::socketPath(MONITOR_MAIN_CLASS_NAME)).toStdString();
}

// What a clean end leaves: exit code 0 as after Exit, no socket, the lock free for the next one.
void expectEndedCleanly(VykMonProcess& mon) {
    ASSERT_TRUE(mon.process().waitForFinished(15000)) << "the monitor did not end on the signal";
    EXPECT_EQ(mon.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(mon.process().exitCode(), 0);
    EXPECT_FALSE(fs::exists(monitorSocket()));
    EXPECT_NE(vyk::platform::InstanceLock::tryAcquire(MONITOR_MAIN_CLASS_NAME.latin1()), nullptr);
}

}  // namespace

TEST(VykMon, AStopSignalEndsItWhileTheMissingHookLibraryBoxIsOpen) {
    const fs::path exeDir = makeExeDir(true);
    fs::remove(exeDir / "libuiHook.so");
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        const fs::path log = vyk::test::freshDir("log") / "debug.log";
        VykMonProcess mon(exeDir, QString(), log);
        mon.start();
        ASSERT_TRUE(mon.process().waitForStarted(10000));
        // The box is open (it stands in start-up, before the event loop runs).
        ASSERT_TRUE(waitUntil([&] { return vyk::test::fileContains(log, "uiHook.dll can not be found!"); }, 30000));
        ASSERT_EQ(::kill(static_cast<pid_t>(mon.process().processId()), sig), 0);
        expectEndedCleanly(mon);
    }
}

// Whenever the signal comes during start-up (from the first line of main: before its handler
// is in place, while the data module loads, before the event loop), the monitor ends as after
// Exit.
TEST(VykMon, AStopSignalAtAnyMomentOfStartUpEndsItCleanly) {
    const fs::path exeDir = makeExeDir(true);
    for (int delayMs : {0, 2, 10, 30, 80, 200, 500}) {
        SCOPED_TRACE(delayMs);
        VykMonProcess mon(exeDir, QString());
        mon.start();
        ASSERT_TRUE(mon.process().waitForStarted(10000));
        const auto pid = static_cast<pid_t>(mon.process().processId());
        ASSERT_TRUE(waitUntil([&] { return vyk::test::signalBlockedOrCaught(pid, SIGTERM); }, 30000, false));
        if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ASSERT_EQ(::kill(pid, SIGTERM), 0);
        expectEndedCleanly(mon);
    }
}
