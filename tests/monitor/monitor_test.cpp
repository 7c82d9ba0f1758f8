// The monitor's window driven in-process: reports come from the simulated mouse through the
// real HID layer, the microphone is a private PulseAudio daemon's null source, and the
// configuration program is a stand-in that speaks the documented messages.
#include "monitor/MouseMonitor.h"

#include "core/device/uiHIDData.h"
#include "core/device/uiHIDEvent.h"
#include "core/language/vgLang.h"
#include "platform/audio/microphone_mute.h"
#include "tests/monitor/monitor_test_support.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace montest;
using vyk::test::ScopedEnv;
using vyk::test::waitUntil;

namespace {

class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!havePulse()) GTEST_SKIP() << "pulseaudio is not installed";
        // Each test starts from an empty store, also when several run in one process.
        registryEnv_ = std::make_unique<ScopedEnv>("VYK_REGISTRY_ROOT", vyk::test::freshDir("registry").string());
        exeDir_ = makeExeDir(withIcon_);
        exeEnv_ = std::make_unique<ScopedEnv>("VYK_EXE_DIR", exeDir_.string());
        debugFile_ = vyk::test::testRoot() / "debug.log";
        debugEnv_ = std::make_unique<ScopedEnv>("VYK_DEBUG_LOG", debugFile_.string());
        vyk::platform::setMessageBoxHook([this](const QString& caption, const QString& text,
                                                vyk::platform::MessageIcon) { boxes_ << caption + ": " + text; });
        ASSERT_TRUE(pulse_.start({"module-null-source source_name=mic"}));
        pulseEnv_ = std::make_unique<ScopedEnv>("PULSE_SERVER", pulse_.server().toStdString());
        sim_ = std::make_unique<vyk::sim::MouseSimServer>(vyk::sim::SimOptions{});
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
        dm_ = std::make_unique<TDM>();
    }

    void TearDown() override {
        mon_.reset();
        dm_.reset();
        vyk::platform::setMessageBoxHook({});
        vyk::platform::ipc::setPeerTimeout(vyk::platform::ipc::kDefaultPeerTimeoutMs);
        EXPECT_TRUE(boxes_.isEmpty()) << boxes_.join("\n").toStdString();
    }

    // Creates the window and waits until its first reader runs (about 3 s after creation).
    void startMonitor() {
        mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
        ASSERT_TRUE(mon_->ListensForMessages());
        ASSERT_TRUE(waitUntil([&] { return mon_->ReopenCount() >= 1 && sim_->openHandles(0) >= 1; }, 15000));
    }

    void inject(const std::vector<std::uint8_t>& bytes, bool exact = false) {
        ASSERT_TRUE(sim_->injectInput(0, bytes, exact));
    }

    // Presses button 5, which has the microphone mute in the current profile, and waits for the
    // toggle: every report injected before it has been handled by then.
    void pressMuteAndWait(std::uint64_t expectedToggles) {
        inject(report({7, 0x20, 0, 0}));
        ASSERT_TRUE(waitUntil([&] { return mon_->Mute() && mon_->Mute()->toggledCount() >= expectedToggles; }, 15000));
        ASSERT_TRUE(mon_->Mute()->waitIdle(15000));
        EXPECT_EQ(mon_->Mute()->toggledCount(), expectedToggles);
    }

    // The configuration program applied its settings (after saving them) for profile p.
    void settingsApplied(CfgStandIn& cfg, std::int64_t p) {
        std::atomic<bool> done{false};
        std::atomic<int> status{-1};
        cfg.runLater([&, p] {
            status = static_cast<int>(
                vyk::platform::ipc::sendMessage(MONITOR_MAIN_CLASS_NAME, {WM_CFG_SETTINGS_APPLIED, 1, p}));
            done = true;
        });
        ASSERT_TRUE(waitUntil([&] { return done.load(); }));
        EXPECT_EQ(status.load(), static_cast<int>(vyk::platform::ipc::SendStatus::Delivered));
    }

    QString debugText() const {
        QFile f(QString::fromStdString(debugFile_.string()));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    bool withIcon_ = true;
    fs::path exeDir_, debugFile_;
    std::unique_ptr<ScopedEnv> registryEnv_, exeEnv_, debugEnv_, pulseEnv_;
    QStringList boxes_;
    vyk::test::PulseTestDaemon pulse_{"pulse"};
    std::unique_ptr<vyk::sim::MouseSimServer> sim_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TVYKMONMAIN> mon_;
};

}  // namespace

TEST_F(MonitorTest, DecodesReportsAsTheTableSays) {
    storeButtonFunction(*dm_, 0, 5, MICROPHONE_MUTE_FUNCTION_INDEX);
    CfgStandIn cfg;
    ASSERT_TRUE(cfg.listening());
    startMonitor();
    mon_->WMSettingsApplied(1, 0);

    // Reports that must do nothing at all: no toggle, no message, no dialog, no profile change.
    const std::vector<std::vector<std::uint8_t>> ignored = {
        {7, 0x00, 0x00, 0x00},  // no button
        {7, 0x03, 0x00, 0x00},  // two buttons
        {7, 0x40, 0x00, 0x00},  // button 6: the mouse does its function itself
        {7, 0x00, 0x00, 0x08},  // bit 19: no such button
        {7, 0x00, 0x00, 0x10},  // bit 20
        {7, 0x00, 0x00, 0x20},  // bit 21: a button, never profile 0
        {7, 0x00, 0x00, 0x80},  // bit 23
        {8, 1, 5},              // profile 5 does not exist
        {8, 1, 7},
        {8, 2, 5},  // DPI level 5 does not exist
        {8, 2, 0xFF},
        {8, 3, 1},  // unknown event type
        {8, 0, 1},
        {9, 0x20, 0, 0},  // unknown report
    };
    for (const auto& r : ignored) inject(r);
    inject(report({7, 0x20, 0, 0}), /*exact=*/true);  // three data bytes: not a 7-byte report
    inject(report({7}), /*exact=*/true);
    pressMuteAndWait(1);
    EXPECT_EQ(pulse_.sourceMute("mic"), "yes");
    EXPECT_EQ(cfg.count(), 0u);
    EXPECT_EQ(mon_->CurrentProfileIndex(), 0);
    EXPECT_TRUE(debugText().contains("KeyIndex = 5 postmessage record!"));

    // DPI level switched on the mouse: shown by the configuration program.
    inject(report({8, 2, 2}));
    ASSERT_TRUE(waitUntil([&] { return cfg.seen(WM_CFG_CPI_INDEX).size() == 1; }));
    EXPECT_EQ(cfg.seen(WM_CFG_CPI_INDEX)[0].wParam, 2);

    // Profile switched on the mouse: ProfileID, the configuration program switches and
    // answers during the monitor's send, and the monitor follows.
    inject(report({8, 1, 3}));
    ASSERT_TRUE(waitUntil([&] { return cfg.seen(WM_CFG_SWITCH_PROFILE).size() == 1; }));
    const auto sw = cfg.seen(WM_CFG_SWITCH_PROFILE)[0];
    EXPECT_EQ(sw.wParam, 3);
    EXPECT_EQ(sw.lParam, 0);
    EXPECT_TRUE(sw.replyDelivered);
    ASSERT_TRUE(waitUntil([&] { return storedProfileID(*dm_) == 3u; }));
    EXPECT_EQ(mon_->CurrentProfileIndex(), 3);
}

// The sound connection is made for a press and closed a while after it: at idle the monitor
// holds none, and a press after a long idle still mutes (and the next one unmutes).
TEST_F(MonitorTest, TheMuteWorksAfterTheSoundConnectionWasClosedForIdleness) {
    storeButtonFunction(*dm_, 0, 5, MICROPHONE_MUTE_FUNCTION_INDEX);
    startMonitor();
    mon_->WMSettingsApplied(1, 0);  // the store as the configuration program left it
    ASSERT_NE(mon_->Mute(), nullptr);
    EXPECT_FALSE(mon_->Mute()->workerRunning()) << "nothing of the sound server before the first press";
    pressMuteAndWait(1);
    EXPECT_EQ(pulse_.sourceMute("mic"), "yes");
    ASSERT_TRUE(
        waitUntil([&] { return !mon_->Mute()->workerRunning(); }, vyk::platform::MicrophoneMute::kIdleEndMs + 15000));
    waitUntil([] { return false; }, 500);  // a while longer with the event loop running
    pressMuteAndWait(2);
    EXPECT_EQ(pulse_.sourceMute("mic"), "no");
    pressMuteAndWait(3);
    EXPECT_EQ(pulse_.sourceMute("mic"), "yes");
}

TEST_F(MonitorTest, OversizedReportsAreDroppedAndTheReaderGoesOn) {
    storeButtonFunction(*dm_, 0, 5, MICROPHONE_MUTE_FUNCTION_INDEX);
    startMonitor();
    mon_->WMSettingsApplied(1, 0);

    // Straight into the handler: lengths past the 64-byte buffer must neither overflow nor
    // raise anything.
    std::vector<std::uint8_t> big(4096, 0);
    big[0] = 0x20;  // would be button 5
    for (std::uint16_t size : {8, 64, 65, 200, 4096}) mon_->uiHIDData1Data("id", "path", 7, big.data(), size);
    // Through the device: a long report, then a normal one that must still be read.
    std::vector<std::uint8_t> longReport(100, 0);
    longReport[0] = 7;
    longReport[1] = 0x40;  // button 6, harmless even if cut to 8 bytes
    inject(longReport, /*exact=*/true);
    pressMuteAndWait(1);
    EXPECT_EQ(pulse_.sourceMute("mic"), "yes");
}

TEST_F(MonitorTest, TheMuteButtonFollowsTheMousesProfile) {
    storeButtonFunction(*dm_, 2, 5, MICROPHONE_MUTE_FUNCTION_INDEX);  // only profile 3 (index 2)
    startMonitor();
    ASSERT_EQ(mon_->CurrentProfileIndex(), 0);

    // No configuration program: the mouse's own profile switch is enough.
    inject(report({7, 0x20, 0, 0}));  // profile 1: button 5 is not the mute
    inject(report({8, 1, 2}));
    pressMuteAndWait(1);  // profile 3: it is
    EXPECT_EQ(mon_->CurrentProfileIndex(), 2);
    EXPECT_EQ(storedProfileID(*dm_), 2u);
    inject(report({8, 1, 0}));
    inject(report({7, 0x20, 0, 0}));  // back on profile 1: nothing
    inject(report({8, 1, 2}));
    pressMuteAndWait(2);
    EXPECT_EQ(pulse_.sourceMute("mic"), "no");

    // With the configuration program: it applies settings for profile 3 after giving
    // button 6 the mute as well.
    CfgStandIn cfg;
    storeButtonFunction(*dm_, 2, 6, MICROPHONE_MUTE_FUNCTION_INDEX);
    settingsApplied(cfg, 2);
    inject(report({7, 0x40, 0, 0}));
    ASSERT_TRUE(waitUntil([&] { return mon_->Mute()->toggledCount() == 3; }, 15000));
    ASSERT_TRUE(mon_->Mute()->waitIdle(15000));
    EXPECT_EQ(pulse_.sourceMute("mic"), "yes");
}

TEST_F(MonitorTest, ProfileSwitchesInQuickSuccessionEachGetTheirNestedReply) {
    CfgStandIn cfg;
    startMonitor();
    std::vector<int> sent;
    for (int round = 0; round < 4; ++round) {
        for (int p : {1, 4, 0, 3, 2}) {
            inject(report({8, 1, p}));
            sent.push_back(p);
        }
    }
    ASSERT_TRUE(waitUntil([&] { return cfg.seen(WM_CFG_SWITCH_PROFILE).size() == sent.size(); }, 20000));
    const auto seen = cfg.seen(WM_CFG_SWITCH_PROFILE);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(seen[i].wParam, sent[i]) << i;
        EXPECT_TRUE(seen[i].replyDelivered) << i;
    }
    EXPECT_EQ(mon_->CurrentProfileIndex(), 2);
    EXPECT_EQ(storedProfileID(*dm_), 2u);
}

TEST_F(MonitorTest, AMissingOrHungConfigurationProgramDoesNotStopTheMonitor) {
    startMonitor();
    inject(report({8, 1, 3}));
    inject(report({8, 2, 1}));
    ASSERT_TRUE(waitUntil([&] { return storedProfileID(*dm_) == 3u; }));
    EXPECT_EQ(mon_->CurrentProfileIndex(), 3);

    // A configuration program that takes messages but never answers.
    vyk::platform::ipc::setPeerTimeout(300);
    const QByteArray path = QFile::encodeName(vyk::platform::ipc::socketPath(CONFIG_MAIN_CLASS_NAME));
    const int lfd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, path.constData());
    ASSERT_EQ(::bind(lfd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(lfd, 16), 0);
    inject(report({8, 1, 1}));
    inject(report({8, 1, 4}));
    ASSERT_TRUE(waitUntil([&] { return storedProfileID(*dm_) == 4u; }, 10000));
    EXPECT_EQ(mon_->CurrentProfileIndex(), 4);
    ::close(lfd);
}

TEST_F(MonitorTest, SeveralArrivalsLeadToOneReopenAfterTheLast) {
    startMonitor();
    ASSERT_EQ(mon_->ReopenCount(), 1);
    QElapsedTimer sinceLast;
    for (int i = 0; i < 4; ++i) {
        mon_->uiHIDEvent1DeviceArrival();
        sinceLast.start();
        waitUntil([] { return false; }, 200);  // the event loop runs on; arrivals 200 ms apart
    }
    ASSERT_TRUE(waitUntil([&] { return mon_->ReopenCount() == 2; }, 5000));
    EXPECT_GE(sinceLast.elapsed(), 1450);
    EXPECT_FALSE(waitUntil([&] { return mon_->ReopenCount() > 2; }, 2000)) << "a second reopen";
    // One reader afterwards, not one per reopen.
    EXPECT_TRUE(waitUntil([&] { return sim_->openHandles(0) == 1; }));
    EXPECT_EQ(TuiHIDData::ReaderCount(), 1u);
}

TEST_F(MonitorTest, LanguageChangeRetranslatesTheTrayTexts) {
    CfgStandIn cfg;
    startMonitor();
    EXPECT_EQ(mon_->TrayIcon1->toolTip(), "GAMING MOUSE DRIVER");
    EXPECT_EQ(mon_->Config1->text(), "Config");

    storeLanguageIndex(*dm_, 1);
    std::atomic<bool> done{false};
    cfg.runLater([&] {
        vyk::platform::ipc::sendMessage(MONITOR_MAIN_CLASS_NAME, {WM_CFG_LANGUAGE_CHANGED, 1, 0});
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
    EXPECT_EQ(mon_->TrayIcon1->toolTip(), "MOUSE DRIVER (zh)");
    EXPECT_EQ(mon_->Config1->text(), "Config (zh)");
    EXPECT_EQ(mon_->About1->text(), "About (zh)");
    EXPECT_EQ(mon_->Exit1->text(), "Exit (zh)");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "MOUSE MONITOR (zh)");

    // A stored index past the language list changes nothing and says nothing.
    storeLanguageIndex(*dm_, 9);
    done = false;
    cfg.runLater([&] {
        vyk::platform::ipc::sendMessage(MONITOR_MAIN_CLASS_NAME, {WM_CFG_LANGUAGE_CHANGED, 9, 0});
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
    EXPECT_EQ(mon_->TrayIcon1->toolTip(), "MOUSE DRIVER (zh)");
}

TEST_F(MonitorTest, TheStoredLanguageIsAppliedAtStart) {
    storeLanguageIndex(*dm_, 1);
    dm_ = std::make_unique<TDM>();
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    EXPECT_EQ(mon_->TrayIcon1->toolTip(), "MOUSE DRIVER (zh)");
    EXPECT_EQ(mon_->Exit1->text(), "Exit (zh)");
    EXPECT_FALSE(mon_->About1->isVisible());
    EXPECT_FALSE(mon_->isVisible());
    // Visible even without a tray on this desktop, so it appears when a tray comes up later.
    EXPECT_TRUE(mon_->TrayIcon1->isVisible());
}

TEST_F(MonitorTest, SettingsAppliedWithoutAValidProfileKeepsTheCurrentOne) {
    CfgStandIn cfg;
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    settingsApplied(cfg, 2);
    ASSERT_EQ(mon_->CurrentProfileIndex(), 2);
    ASSERT_EQ(storedProfileID(*dm_), 2u);
    for (std::int64_t bad : {std::int64_t{-1}, std::int64_t{5}, std::int64_t{1} << 40}) {
        settingsApplied(cfg, bad);
        EXPECT_EQ(mon_->CurrentProfileIndex(), 2) << bad;
        EXPECT_EQ(storedProfileID(*dm_), 2u) << bad;
    }
}

TEST_F(MonitorTest, DeviceInputWithADamagedProfileRaisesNoBoxAndStillRelays) {
    CfgStandIn cfg(/*answer=*/false);
    startMonitor();
    // The stored profile 3 has the wrong type: every reload of it fails.
    auto key =
        vyk::platform::RegistryKey::open(vyk::platform::RegistryRoot::CurrentUser, dm_->ProfileRegFolder(), true);
    ASSERT_TRUE(key.has_value());
    key->deleteValue("VykProfile3.pfd");
    key->writeString("VykProfile3.pfd", "wrong type");
    constexpr std::size_t kReports = 40;
    for (std::size_t i = 0; i < kReports; ++i) inject(report({8, 1, 2}));
    // Each one still reaches the configuration program, after ProfileID; no box at all
    // (TearDown checks), the failures are in the diagnostic log.
    ASSERT_TRUE(waitUntil([&] { return cfg.seen(WM_CFG_SWITCH_PROFILE).size() == kReports; }, 20000));
    for (const auto& s : cfg.seen(WM_CFG_SWITCH_PROFILE)) EXPECT_EQ(s.wParam, 2);
    EXPECT_EQ(storedProfileID(*dm_), 2u);
    EXPECT_EQ(mon_->CurrentProfileIndex(), 2);
    EXPECT_TRUE(debugText().contains("VykProfile3.pfd")) << debugText().toStdString();
}

TEST_F(MonitorTest, WhatTheStoreFindsOnAReloadIsLoggedOnceAndNeverShown) {
    CfgStandIn cfg(/*answer=*/false);
    startMonitor();
    // The stored profile 3 is empty: each reload takes its factory values, never profile 1's.
    auto key =
        vyk::platform::RegistryKey::open(vyk::platform::RegistryRoot::CurrentUser, dm_->ProfileRegFolder(), true);
    ASSERT_TRUE(key.has_value());
    key->writeBinary("VykProfile3.pfd", QByteArray());
    for (int i = 0; i < 3; ++i) inject(report({8, 1, 2}));
    ASSERT_TRUE(waitUntil([&] { return cfg.seen(WM_CFG_SWITCH_PROFILE).size() == 3; }, 20000));
    EXPECT_EQ(mon_->CurrentProfileIndex(), 2);
    EXPECT_EQ(dm_->FCurrentProfileInfo.ConfigInfo.LEDConfig.B, 255) << "profile 3's factory colour";
    EXPECT_EQ(debugText().count("monitor: store: The stored profile 3 \""), 1) << debugText().toStdString();
}

TEST_F(MonitorTest, ErrorBoxesFromMessagesNeverNest) {
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    auto key =
        vyk::platform::RegistryKey::open(vyk::platform::RegistryRoot::CurrentUser, dm_->ProfileRegFolder(), true);
    ASSERT_TRUE(key.has_value());
    key->deleteValue("ProfileSettingGroup.pfd");
    key->writeString("ProfileSettingGroup.pfd", "damaged");
    // A box that stays open (its event loop running) until the other posts have arrived.
    constexpr int kPosts = 5;
    const auto suppressed = [&] { return static_cast<int>(debugText().count("message box not shown")); };
    int depth = 0, deepest = 0;
    vyk::platform::setMessageBoxHook([&](const QString&, const QString& text, vyk::platform::MessageIcon) {
        boxes_ << text;
        deepest = std::max(deepest, ++depth);
        QEventLoop modal;  // as a box's exec() runs one
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &modal, [&] {
            if (suppressed() >= kPosts - 1) modal.quit();
        });
        check.start(10);
        QTimer::singleShot(3000, &modal, &QEventLoop::quit);
        modal.exec();
        --depth;
    });
    for (int i = 0; i < kPosts; ++i)
        ASSERT_TRUE(vyk::platform::ipc::postMessage(MONITOR_MAIN_CLASS_NAME, {WM_CFG_SETTINGS_APPLIED, 1, 1}));
    ASSERT_TRUE(waitUntil([&] { return boxes_.size() + suppressed() >= kPosts; }, 30000));
    // Never one box inside another; what arrived while the first was open was logged instead.
    EXPECT_EQ(deepest, 1);
    EXPECT_GE(suppressed(), 1);
    EXPECT_EQ(boxes_.size() + suppressed(), kPosts);
    EXPECT_TRUE(boxes_.value(0).contains("ProfileSettingGroup.pfd")) << boxes_.join("\n").toStdString();
    boxes_.clear();
}

TEST_F(MonitorTest, ExitTellsTheConfigurationProgramOnce) {
    CfgStandIn cfg;
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    mon_->Exit1->trigger();
    mon_->Exit1->trigger();
    // A later message from us marks the end of what the monitor sent.
    ASSERT_TRUE(vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_RESERVED, 0, 0}));
    ASSERT_TRUE(waitUntil([&] { return cfg.seen(WM_CFG_RESERVED).size() == 1; }));
    const auto closes = cfg.seen(WM_CFG_CLOSE);
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].wParam, 0);
    EXPECT_EQ(closes[0].lParam, 0);
}

TEST_F(MonitorTest, TrayClickRaisesOrStartsTheConfigurationProgram) {
    const fs::path marker = vyk::test::testRoot() / "cfg-started";
    vyk::test::writeText(exeDir_ / "VykCfg", "#!/bin/sh\npwd > '" + marker.string() + ".tmp' && mv '" +
                                                 marker.string() + ".tmp' '" + marker.string() + "'\n");
    fs::permissions(exeDir_ / "VykCfg", fs::perms::owner_all);
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());

    {
        CfgStandIn cfg;
        emit mon_->TrayIcon1->activated(QSystemTrayIcon::Trigger);
        ASSERT_TRUE(waitUntil([&] { return cfg.seen(VYK_IPC_SHOW_WINDOW).size() == 1; }));
        mon_->Config1->trigger();
        ASSERT_TRUE(waitUntil([&] { return cfg.seen(VYK_IPC_SHOW_WINDOW).size() == 2; }));
    }
    EXPECT_FALSE(fs::exists(marker)) << "a second configuration program was started";

    emit mon_->TrayIcon1->activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(marker); }, 10000, false));
    QFile f(QString::fromStdString(marker.string()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(fs::path(f.readAll().trimmed().toStdString()), fs::canonical(exeDir_));
}

// The about view (which nothing in the program opens) is made when it is first shown.
TEST_F(MonitorTest, TheAboutViewIsMadeWhenFirstShownAndItsOkHidesTheWindow) {
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    EXPECT_EQ(mon_->AboutView, nullptr);
    mon_->About1Click();
    ASSERT_NE(mon_->AboutView, nullptr);
    QWidget* view = mon_->AboutView;
    EXPECT_TRUE(mon_->isVisible());
    EXPECT_TRUE(mon_->TextWeb->text().isEmpty());
    EXPECT_FALSE(mon_->BtnGoWeb->icon().isNull());
    mon_->BtnOK->click();
    EXPECT_FALSE(mon_->isVisible());
    mon_->About1Click();
    EXPECT_EQ(mon_->AboutView, view) << "made once";
    EXPECT_TRUE(mon_->isVisible());
}

TEST_F(MonitorTest, TheShippedTrayIconIsUsed) {
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    const QString shipped = QString::fromStdString((exeDir_ / "images/0409/icons/logo.ico").string());
    QImageReader reader(shipped);
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    const QImage fromFile = QIcon(shipped).pixmap(32, 32).toImage();
    EXPECT_EQ(mon_->TrayIcon1->icon().pixmap(32, 32).toImage(), fromFile);
    EXPECT_FALSE(mon_->isVisible());
}

class MonitorWithoutIconTest : public MonitorTest {
protected:
    MonitorWithoutIconTest() { withIcon_ = false; }
};

TEST_F(MonitorWithoutIconTest, TheBuiltInIconStandsInForAMissingFile) {
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    EXPECT_FALSE(mon_->TrayIcon1->icon().isNull());
    EXPECT_EQ(mon_->TrayIcon1->icon().pixmap(32, 32).toImage(), MonitorBuiltInIcon().pixmap(32, 32).toImage());
}

TEST_F(MonitorWithoutIconTest, TheBuiltInIconStandsInForAFileThatIsNoPicture) {
    fs::create_directories(exeDir_ / "images/0409/icons");
    QFile f(QString::fromStdString((exeDir_ / "images/0409/icons/logo.ico").string()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not an icon");
    f.close();
    mon_ = std::make_unique<TVYKMONMAIN>(dm_.get());
    EXPECT_EQ(mon_->TrayIcon1->icon().pixmap(32, 32).toImage(), MonitorBuiltInIcon().pixmap(32, 32).toImage());
}
