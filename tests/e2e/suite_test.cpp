// The suite as a user meets it: the configuration window (with its real link to the mouse,
// the monitor and the desktop) in this process, the real VykMon program that the window
// starts, the simulated mouse and a private sound server, with a private store, Documents
// folder and runtime folder (tests/support).
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/window/MainConfig.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/uiThread.h"
#include "core/defs/vyk_messages.h"
#include "core/store/DMUnit.h"
#include "monitor/MouseMonitor.h"
#include "platform/diag/diag.h"
#include "platform/ipc/ipc.h"
#include "platform/pointer/recording_pointer_backend.h"
#include "platform/registry/registry.h"
#include "sim/mouse_sim_server.h"
#include "tests/config/support/menu_driver.h"
#include "tests/platform/audio/pulse_test_daemon.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include <sys/types.h>

namespace fs = std::filesystem;
using vyk::test::waitUntil;

namespace {

std::vector<std::uint8_t> report(std::initializer_list<int> bytes) {
    std::vector<std::uint8_t> v;
    for (int b : bytes) v.push_back(static_cast<std::uint8_t>(b));
    return v;
}

// The monitors started from one executable folder: their command line names the folder's
// program, which no other test uses.
std::vector<pid_t> monitorsFrom(const fs::path& program) {
    std::vector<pid_t> out;
    for (const auto& e : fs::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(e.path() / "cmdline", std::ios::binary);
        std::string argv0;
        std::getline(in, argv0, '\0');
        if (argv0 == program.string()) out.push_back(static_cast<pid_t>(std::stoi(name)));
    }
    return out;
}

std::optional<std::uint32_t> storedProfileID(const TDM& dm) {
    auto key = vyk::platform::RegistryKey::open(vyk::platform::RegistryRoot::CurrentUser, dm.ProfileRegFolder(), false);
    if (!key) return std::nullopt;
    return key->readDword(QStringLiteral("ProfileID"));
}

class SuiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() ||
            QStandardPaths::findExecutable("pactl").isEmpty()) {
            GTEST_SKIP() << "pulseaudio is not installed";
        }
        using vyk::test::ScopedEnv;
        exeDir_ = vyk::test::freshDir("exe-suite");
        const fs::path bin = VYK_TEST_BIN_DIR;
        std::error_code ec;
        for (const char* name : {"VykMon", "libuiHook.so", "ui.local", "config.ini", "images"}) {
            if (fs::exists(bin / name)) fs::create_symlink(bin / name, exeDir_ / name, ec);
        }
        env_.push_back(std::make_unique<ScopedEnv>("VYK_EXE_DIR", exeDir_.string()));
        env_.push_back(std::make_unique<ScopedEnv>("VYK_REGISTRY_ROOT", vyk::test::freshDir("registry").string()));
        env_.push_back(std::make_unique<ScopedEnv>("VYK_DOCUMENTS_DIR", vyk::test::freshDir("documents").string()));

        pulse_ = std::make_unique<vyk::test::PulseTestDaemon>("pulse");
        ASSERT_TRUE(pulse_->start({"module-null-source source_name=mic"}));
        env_.push_back(std::make_unique<ScopedEnv>("PULSE_SERVER", pulse_->server().toStdString()));

        sim_ = std::make_unique<vyk::sim::MouseSimServer>();
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;

        vyk::platform::setErrorReporter([this](const QString& text) { errors_.append(text); });
        QApplication::setQuitOnLastWindowClosed(false);
        FreeGlobalImageDataBase();
    }

    void TearDown() override {
        window_.reset();
        dm_.reset();
        for (pid_t pid : monitorsFrom(exeDir_ / "VykMon")) ::kill(pid, SIGTERM);
        waitUntil([&] { return monitorsFrom(exeDir_ / "VykMon").empty(); }, 10000);
        TuiThread::WaitForCalls(std::chrono::seconds(10));
        if (sim_) sim_->stop();
        vyk::platform::setErrorReporter({});
        EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    }

    // The window as the program opens it; it starts the monitor when none runs.
    TVYKCFGMAIN& open() {
        dm_ = std::make_unique<TDM>();
        window_ = std::make_unique<TVYKCFGMAIN>(dm_.get());
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }

    // The monitor reads the mouse about three seconds after it started; until then reports
    // are lost, as with a real mouse, so the report is repeated until cond holds.
    bool injectUntil(const std::vector<std::uint8_t>& r, const std::function<bool()>& cond, int ms = 30000) {
        return waitUntil(
            [&] {
                sim_->injectInput(0, r);
                return waitUntil(cond, 300);
            },
            ms);
    }

    vyk::platform::RecordingPointerBackend pointer_;
    vyk::platform::ScopedPointerBackend pointerScope_{&pointer_};
    fs::path exeDir_;
    std::vector<std::unique_ptr<vyk::test::ScopedEnv>> env_;
    std::unique_ptr<vyk::test::PulseTestDaemon> pulse_;
    std::unique_ptr<vyk::sim::MouseSimServer> sim_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TVYKCFGMAIN> window_;
    QStringList errors_;
};

}  // namespace

TEST_F(SuiteTest, FirstStartThenSwitchesBothWaysAndAMuteButtonThatOutlivesTheWindow) {
    // First start: the window starts the monitor and shows game 1's factory profile.
    TVYKCFGMAIN& w = open();
    ASSERT_TRUE(waitUntil([] { return vyk::platform::ipc::findWindow(MONITOR_MAIN_CLASS_NAME); }, 30000))
        << "the window starts the monitor";
    EXPECT_EQ(monitorsFrom(exeDir_ / "VykMon").size(), 1u);
    EXPECT_EQ(dm_->FProfileIndex, 0);
    EXPECT_TRUE(w.BtnProfile[0]->IsPressed());

    // Button 5 of profile 1 made a mute button with real clicks in the function menu (MEDIA,
    // MUTE(MICROPHONE)), then applied: APPLY writes the profile's blocks and tells the mouse
    // and the monitor.
    TuiMenuItemsEx& menu = w.ButtonAssignment->UIMENUEX1->Items();
    const int media = vyk::test::menu::rowOf(menu, QStringLiteral("MEDIA"));
    ASSERT_GE(media, 0);
    const int mute = vyk::test::menu::rowOf(menu[media]->SubItems(), QStringLiteral("MUTE(MICROPHONE)"));
    ASSERT_GE(mute, 0);
    vyk::test::menu::assign(w, 5, media, mute);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(dm_->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[5].FunctionIndex, MICROPHONE_MUTE_FUNCTION_INDEX);
    EXPECT_TRUE(w.SettingsChanged());
    sim_->clearLog();
    QTest::mouseClick(w.BtnApply, Qt::LeftButton);
    std::vector<std::string> lines;
    for (const auto& r : sim_->log()) {
        if (r.kind == "SET" && r.bytes.size() > 5 && r.bytes[1] == 2) {
            char line[32];
            std::snprintf(line, sizeof line, "write %03X %d", r.bytes[2] | (r.bytes[3] << 8),
                          r.bytes[4] | (r.bytes[5] << 8));
            lines.emplace_back(line);
        }
    }
    EXPECT_EQ(lines,
              (std::vector<std::string>{"write 090 77", "write 0F1 6", "write 04F 42", "write 048 1", "write 043 1"}));
    EXPECT_EQ(storedProfileID(*dm_), 0u) << "the monitor reloaded";

    // The mute works in the monitor.
    ASSERT_TRUE(injectUntil(report({7, 0x20, 0, 0}), [&] { return pulse_->sourceMute("mic") == "yes"; }));

    // A switch on the mouse reaches the window through the monitor, and the window answers the
    // mouse (its active profile again) and the monitor (ProfileID).
    sim_->clearLog();
    ASSERT_TRUE(injectUntil(report({8, 1, 3}), [&] { return dm_->FProfileIndex == 3; }));
    EXPECT_TRUE(w.BtnProfile[3]->IsPressed());
    EXPECT_TRUE(waitUntil([&] { return sim_->peek(0, 0x43, 1) == std::vector<std::uint8_t>{3}; }));
    EXPECT_TRUE(waitUntil([&] { return storedProfileID(*dm_) == 3u; }));

    // A switch in the window reaches the mouse and the monitor.
    sim_->clearLog();
    QTest::mouseClick(w.BtnProfile[0], Qt::LeftButton);
    EXPECT_EQ(sim_->peek(0, 0x43, 1), std::vector<std::uint8_t>{0});
    bool command1 = false;
    for (const auto& r : sim_->log()) {
        command1 = command1 ||
                   (r.kind == "SET" && r.bytes.size() > 3 && r.bytes[1] == 1 && r.bytes[2] == 1 && r.bytes[3] == 0);
    }
    EXPECT_TRUE(command1) << "command 1 {1, 0}";
    EXPECT_TRUE(waitUntil([&] { return storedProfileID(*dm_) == 0u; }));

    // The window closes; the monitor keeps the button working.
    window_.reset();
    dm_.reset();
    QApplication::processEvents();
    ASSERT_TRUE(vyk::platform::ipc::findWindow(MONITOR_MAIN_CLASS_NAME));
    sim_->injectInput(0, report({7, 0x20, 0, 0}));
    EXPECT_TRUE(waitUntil([&] { return pulse_->sourceMute("mic") == "no"; }, 10000, false));
}

TEST_F(SuiteTest, ExitFromTheMonitorsMenuEndsTheConfigurationProgramWithoutAQuestion) {
    // The monitor runs first (here in this process, so its menu can be used); the real VykCfg
    // program finds it and starts no other.
    auto dm = std::make_unique<TDM>();
    auto mon = std::make_unique<TVYKMONMAIN>(dm.get());
    ASSERT_TRUE(mon->ListensForMessages());

    QProcess cfg;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    cfg.setProcessEnvironment(env);
    cfg.setProcessChannelMode(QProcess::ForwardedChannels);
    cfg.setProgram(QString::fromStdString((fs::path(VYK_TEST_BIN_DIR) / "VykCfg").string()));
    cfg.start();
    ASSERT_TRUE(cfg.waitForStarted(10000));
    const bool serves = waitUntil(
        [] {
            return vyk::platform::ipc::sendMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_RESERVED, 0, 0}) ==
                   vyk::platform::ipc::SendStatus::Delivered;
        },
        60000);
    if (!serves) cfg.kill();
    ASSERT_TRUE(serves);
    // A switch on the mouse while both run: the program follows it (through the monitor).
    EXPECT_TRUE(injectUntil(report({8, 1, 2}), [&] { return sim_->peek(0, 0x43, 1) == std::vector<std::uint8_t>{2}; }));

    mon->Exit1->trigger();
    const bool ended = waitUntil([&] { return cfg.state() == QProcess::NotRunning; }, 20000);
    if (!ended) {
        cfg.kill();
        cfg.waitForFinished(10000);
    }
    ASSERT_TRUE(ended) << "VykCfg must end without asking anything";
    EXPECT_EQ(cfg.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cfg.exitCode(), 0);
    EXPECT_TRUE(monitorsFrom(exeDir_ / "VykMon").empty()) << "no second monitor was started";
    mon.reset();
    dm.reset();
}
