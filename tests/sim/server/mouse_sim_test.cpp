// vyk-mouse-sim: its control commands, its timing model, and the program run as a daemon.
#include "platform/hid/hid_device.h"
#include "sim/mouse_sim_server.h"
#include "tests/support/test_env.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

using vyk::sim::MouseSimServer;

TEST(MouseSimTest, ControlCommands) {
    MouseSimServer s;
    ASSERT_TRUE(s.start());
    struct Case {
        std::string command;
        std::string reply;  // the start of the reply
    };
    const std::vector<Case> cases = {
        {"poke 0x43 02 0304", "ok"},
        {"peek 0x43 3", "ok 02 03 04"},
        {"poke --if 0 100 FF", "ok"},
        {"peek --if 0 0x64 1", "ok FF"},
        {"peek 0x43", "error"},
        {"peek 70000 1", "error"},
        {"poke 0x10 ABC", "error"},
        {"input 07 01", "ok"},
        {"input --if 2 01", "error"},  // no standard mouse interface in this set-up
        {"input 07 zz", "error"},
        {"fail 2 1 1167", "ok"},
        {"fail 1 0 0", "error"},
        {"fail many", "error"},
        {"timing on", "ok"},
        {"timing maybe", "error"},
        {"status", "ok plugged=yes timing=on"},
        {"unplug", "ok"},
        {"input 07 01", "error"},  // nobody to send it
        {"status", "ok plugged=no"},
        {"replug", "ok"},
        {"frobnicate", "error: unknown command"},
        {"", "error"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(s.control(c.command).rfind(c.reply, 0), 0u) << c.command << " -> " << s.control(c.command);
}

TEST(MouseSimTest, TimingModelCountsPacketsOf64Bytes) {
    using std::chrono::microseconds;
    EXPECT_EQ(MouseSimServer::transferTime(16), microseconds(710));
    EXPECT_EQ(MouseSimServer::transferTime(64), microseconds(710));
    EXPECT_EQ(MouseSimServer::transferTime(65), microseconds(780));
    EXPECT_EQ(MouseSimServer::transferTime(1024), microseconds(1760));
    EXPECT_EQ(MouseSimServer::transferTime(4096), microseconds(5120));
}

TEST(MouseSimTest, MemoryPersistsInItsFile) {
    const auto dir = vyk::test::freshDir("memory");
    vyk::sim::SimOptions o;
    o.memoryFile = (dir / "mouse.mem").string();
    {
        MouseSimServer s(o);
        ASSERT_TRUE(s.start());
        auto dev = vyk::platform::hid::HidDevice::open("vyk-sim:0:" + s.socketPath());
        ASSERT_TRUE(dev);
        std::vector<std::uint8_t> r = {2, 2, 0x43, 0, 1, 0, 0xFA, 0xFA, 4, 0, 0, 0, 0, 0, 0, 0};
        ASSERT_EQ(dev->setFeature(r.data(), r.size()), 0u);
    }
    EXPECT_EQ(std::filesystem::file_size(o.memoryFile), vyk::sim::kDeviceMemorySize);
    MouseSimServer again(o);
    EXPECT_EQ(again.peek(0, 0x43, 1), std::vector<std::uint8_t>{4});
}

TEST(MouseSimTest, TheProgramServesLogsAndQuits) {
    const QString program = QStringLiteral(VYK_SIM_PROGRAM);
    const auto dir = vyk::test::freshDir("program");
    const std::string socket = (dir / "sim.sock").string();
    const std::string log = (dir / "sim.log").string();

    ASSERT_EQ(QProcess::execute(program, {"serve", "--socket", QString::fromStdString(socket), "--log",
                                          QString::fromStdString(log), "--detach"}),
              0);
    // A second one on the same socket refuses to start.
    EXPECT_NE(QProcess::execute(program, {"serve", "--socket", QString::fromStdString(socket)}), 0);

    QProcess ctl;
    ctl.start(program, {"ctl", "--socket", QString::fromStdString(socket), "status"});
    ASSERT_TRUE(ctl.waitForFinished(10000));
    EXPECT_EQ(ctl.exitCode(), 0);
    EXPECT_TRUE(ctl.readAllStandardOutput().startsWith("ok plugged=yes"));

    const auto list = vyk::platform::hid::enumerateSimInterfaces(socket);
    ASSERT_EQ(list.size(), 1u);
    auto dev = vyk::platform::hid::HidDevice::open(list[0].path);
    ASSERT_TRUE(dev);
    std::vector<std::uint8_t> r(16, 0);
    r[0] = 2;
    r[1] = 6;
    r[2] = 1;
    ASSERT_EQ(dev->setFeature(r.data(), r.size()), 0u);
    dev.reset();

    std::ifstream in(log);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "1 if0 SET 0 02 06 01 00 00 00 00 00 00 00 00 00 00 00 00 00");

    EXPECT_EQ(QProcess::execute(program, {"ctl", "--socket", QString::fromStdString(socket), "bogus"}), 1);
    EXPECT_EQ(QProcess::execute(program, {"ctl", "--socket", QString::fromStdString(socket), "quit"}), 0);
    QElapsedTimer t;
    t.start();
    while (std::filesystem::exists(socket) && t.elapsed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_EQ(QProcess::execute(program, {"ctl", "--socket", QString::fromStdString(socket), "status"}), 1);
}
