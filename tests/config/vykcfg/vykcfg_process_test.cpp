// The real VykCfg program, started offscreen by the test with a private store, Documents
// folder and executable folder, and a stand-in for the monitor where a test needs one.
#include "core/defs/pubunit_norvane.h"
#include "core/defs/vyk_messages.h"
#include "platform/instance/instance_lock.h"
#include "platform/ipc/ipc.h"
#include "tests/platform/ipc/ipc_peer_thread.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using vyk::test::waitUntil;

namespace {

// An executable folder: the built resources beside a monitor "program" that only leaves a
// mark that it was started.
fs::path makeExeDir(const fs::path& startMark) {
    const fs::path dir = vyk::test::freshDir("exe-cfg");
    const fs::path bin = VYK_TEST_BIN_DIR;
    std::error_code ec;
    for (const char* name : {"ui.local", "config.ini", "images", "libuiHook.so"}) {
        if (fs::exists(bin / name)) fs::create_symlink(bin / name, dir / name, ec);
    }
    vyk::test::writeText(dir / "VykMon", "#!/bin/sh\necho started >> '" + startMark.string() + "'\n");
    fs::permissions(dir / "VykMon", fs::perms::owner_all);
    return dir;
}

class VykCfgProcess {
public:
    VykCfgProcess(const fs::path& exeDir, const fs::path& registry, const fs::path& docs,
                  const fs::path& debugLog = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!debugLog.empty()) env.insert("VYK_DEBUG_LOG", QString::fromStdString(debugLog.string()));
        env.insert("VYK_EXE_DIR", QString::fromStdString(exeDir.string()));
        env.insert("VYK_REGISTRY_ROOT", QString::fromStdString(registry.string()));
        env.insert("VYK_DOCUMENTS_DIR", QString::fromStdString(docs.string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        proc_.setProcessEnvironment(env);
        proc_.setProcessChannelMode(QProcess::ForwardedChannels);
        proc_.setProgram(QString::fromStdString((fs::path(VYK_TEST_BIN_DIR) / "VykCfg").string()));
    }
    ~VykCfgProcess() {
        if (proc_.state() == QProcess::NotRunning) return;
        proc_.kill();
        proc_.waitForFinished(10000);
    }
    void start() { proc_.start(); }
    QProcess& process() { return proc_; }
    bool finished(int ms) { return proc_.state() == QProcess::NotRunning || proc_.waitForFinished(ms); }

private:
    QProcess proc_;
};

// True once the window answers a sent message: it is built, shown and in its event loop.
bool windowServes(int timeoutMs = 60000) {
    return waitUntil(
        [] {
            return vyk::platform::ipc::sendMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_RESERVED, 0, 0}) ==
                   vyk::platform::ipc::SendStatus::Delivered;
        },
        timeoutMs);
}

class VykCfgProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        mark_ = vyk::test::freshDir("mark") / "monitor-started";
        exe_ = makeExeDir(mark_);
        registry_ = vyk::test::freshDir("registry");
        docs_ = vyk::test::freshDir("documents");
    }
    std::unique_ptr<VykCfgProcess> make(const fs::path& debugLog = {}) {
        return std::make_unique<VykCfgProcess>(exe_, registry_, docs_, debugLog);
    }
    fs::path macroDb() const {
        for (const auto& e : fs::recursive_directory_iterator(docs_))
            if (e.path().filename() == "MacroSet.MSDB") return e.path();
        return {};
    }
    // Ends a running VykCfg the way the monitor's Exit does.
    static void closeByMessage(VykCfgProcess& cfg) {
        ASSERT_TRUE(vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_CLOSE, 0, 0}));
        ASSERT_TRUE(cfg.finished(20000));
        EXPECT_EQ(cfg.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cfg.process().exitCode(), 0);
    }

    // What a clean end leaves: exit code 0 as after the close message, no socket, the lock free
    // for the next start.
    static void expectEndedCleanly(VykCfgProcess& cfg) {
        ASSERT_TRUE(cfg.finished(20000)) << "VykCfg did not end on the signal";
        EXPECT_EQ(cfg.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cfg.process().exitCode(), 0);
        EXPECT_FALSE(
            fs::exists(QFile::encodeName(vyk::platform::ipc::socketPath(CONFIG_MAIN_CLASS_NAME)).toStdString()));
        EXPECT_NE(vyk::platform::InstanceLock::tryAcquire(CONFIG_MAIN_CLASS_NAME.latin1()), nullptr);
    }
    static void signal(VykCfgProcess& cfg, int sig) {
        ASSERT_EQ(::kill(static_cast<pid_t>(cfg.process().processId()), sig), 0);
    }

    fs::path mark_, exe_, registry_, docs_;
};

TEST_F(VykCfgProcessTest, ASecondStartEndsSilentlyAndTheCloseMessageEndsTheFirst) {
    auto first = make();
    first->start();
    ASSERT_TRUE(first->process().waitForStarted(10000));
    ASSERT_TRUE(windowServes());

    auto second = make();
    second->start();
    ASSERT_TRUE(second->finished(20000)) << "a second VykCfg must end on its own";
    EXPECT_EQ(second->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->process().exitCode(), 0);
    EXPECT_EQ(first->process().state(), QProcess::Running);

    closeByMessage(*first);
    EXPECT_FALSE(vyk::platform::ipc::findWindow(CONFIG_MAIN_CLASS_NAME));
}

TEST_F(VykCfgProcessTest, TheMacroDatabaseIsCreatedOnceAndSurvivesARestartByteForByte) {
    auto cfg = make();
    cfg->start();
    ASSERT_TRUE(windowServes());
    const fs::path db = macroDb();
    ASSERT_FALSE(db.empty());
    EXPECT_EQ(fs::file_size(db), 584644u);
    const auto first = vyk::test::readBytes(db);
    closeByMessage(*cfg);

    auto again = make();
    again->start();
    ASSERT_TRUE(windowServes());
    EXPECT_EQ(vyk::test::readBytes(db), first);
    closeByMessage(*again);
}

TEST_F(VykCfgProcessTest, StartsTheMonitorFromItsFolderOnlyWhenNoneRuns) {
    {
        auto cfg = make();
        cfg->start();
        ASSERT_TRUE(windowServes());
        EXPECT_TRUE(waitUntil([&] { return fs::exists(mark_); }, 20000)) << "VykMon was not started";
        closeByMessage(*cfg);
    }
    fs::remove(mark_);

    // A monitor is there: the stand-in answers on the monitor's window class.
    std::atomic<int> messages{0};
    vyk::test::IpcPeerThread monitor(MONITOR_MAIN_CLASS_NAME, [&](const vyk::platform::ipc::Message&) {
        ++messages;
        return std::int64_t{0};
    });
    ASSERT_TRUE(monitor.listening());
    auto cfg = make();
    cfg->start();
    ASSERT_TRUE(windowServes());
    // The window was shown before it served the message, so its look for the monitor is done.
    EXPECT_FALSE(fs::exists(mark_)) << "a second monitor was started";
    closeByMessage(*cfg);
    EXPECT_EQ(messages.load(), 0) << "start-up and the close message tell the monitor nothing";
}

// A second start while VykCfg runs (minimised or hidden, say) asks the running window to show
// itself and come to the front, then ends. The running program is a stand-in here: it holds the
// lock and answers on the window's class, so what the second start sends is seen.
TEST_F(VykCfgProcessTest, ASecondStartAsksTheRunningWindowToComeToTheFront) {
    const auto lock = vyk::platform::InstanceLock::tryAcquire(CONFIG_MAIN_CLASS_NAME.latin1());
    ASSERT_NE(lock, nullptr);
    std::atomic<int> shows{0}, others{0};
    vyk::test::IpcPeerThread running(CONFIG_MAIN_CLASS_NAME, [&](const vyk::platform::ipc::Message& m) {
        ++(m.msg == VYK_IPC_SHOW_WINDOW && m.wParam == 0 && m.lParam == 0 ? shows : others);
        return std::int64_t{0};
    });
    ASSERT_TRUE(running.listening());

    auto second = make();
    second->start();
    ASSERT_TRUE(second->finished(20000)) << "a second VykCfg must end on its own";
    EXPECT_EQ(second->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->process().exitCode(), 0);
    EXPECT_TRUE(waitUntil([&] { return shows.load() == 1; }, 5000)) << "the running window was not asked to show";
    EXPECT_EQ(others.load(), 0);
    EXPECT_FALSE(fs::exists(mark_)) << "a second start starts nothing";
}

// A quit signal while the warning about what start-up found in config.ini is open ends VykCfg
// as the close message does.
TEST_F(VykCfgProcessTest, AStopSignalEndsItWhileAStartUpErrorBoxIsOpen) {
    fs::remove(exe_ / "config.ini");
    vyk::test::writeText(exe_ / "config.ini", "[options]\nprofilePrefix=a/b\n");
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        const fs::path log = vyk::test::freshDir("log") / "debug.log";
        auto cfg = make(log);
        cfg->start();
        ASSERT_TRUE(waitUntil([&] { return vyk::test::fileContains(log, "dialog shown"); }, 60000));
        EXPECT_TRUE(vyk::test::fileContains(log, "profilePrefix"));
        signal(*cfg, sig);
        expectEndedCleanly(*cfg);
    }
}

// The same with a box open in the running window's event loop (an error reported for a
// message out of range).
TEST_F(VykCfgProcessTest, AStopSignalEndsItWhileAMessageBoxIsOpenInTheRunningWindow) {
    const fs::path log = vyk::test::freshDir("log") / "debug.log";
    auto cfg = make(log);
    cfg->start();
    ASSERT_TRUE(windowServes());
    ASSERT_TRUE(vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_CPI_INDEX, -1, 0}));
    ASSERT_TRUE(waitUntil([&] { return vyk::test::fileContains(log, "message box shown"); }, 20000));
    signal(*cfg, SIGTERM);
    expectEndedCleanly(*cfg);
}

// Whenever the signal comes during start-up (from the first line of main: before its handler
// is in place, while the data module and the window are built, before the event loop), VykCfg
// ends cleanly.
TEST_F(VykCfgProcessTest, AStopSignalAtAnyMomentOfStartUpEndsItCleanly) {
    for (int delayMs : {0, 2, 10, 30, 80, 200, 500}) {
        SCOPED_TRACE(delayMs);
        auto cfg = make();
        cfg->start();
        ASSERT_TRUE(cfg->process().waitForStarted(10000));
        const auto pid = static_cast<int>(cfg->process().processId());
        ASSERT_TRUE(waitUntil([&] { return vyk::test::signalBlockedOrCaught(pid, SIGTERM); }, 30000, false));
        if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        signal(*cfg, SIGTERM);
        expectEndedCleanly(*cfg);
    }
}

}  // namespace
