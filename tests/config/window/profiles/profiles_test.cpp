// Profile switching and the profile commands end to end in one process: the real window and
// link against the simulated mouse's report log, a stand-in monitor endpoint, real clicks and
// real messages through the window's endpoint.
#include "config/dialogs/showdialog.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/WrapLabel.h"
#include "config/window/ApplyInputQueue.h"
#include "config/window/GeneralPage.h"
#include "config/window/LightPage.h"
#include "core/defs/vyk_messages.h"
#include "core/store/Function_Norvanes.h"
#include "platform/dialogs/message_box.h"
#include "platform/ipc/ipc.h"
#include "tests/config/support/menu_driver.h"
#include "tests/config/support/modal.h"
#include "tests/config/window/apply/apply_fixture.h"
#include "tests/support/wait.h"

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

#include <cctype>
#include <cstddef>
#include <cstring>
#include <functional>
#include <ostream>

using namespace applytest;

namespace {

QString labelText(QWidget* dlg, const char* name) {
    auto* label = dlg->findChild<vyk::config::WrapLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

void clickIn(QWidget* dlg, const char* button) {
    auto* b = dlg->findChild<TImageStateButton*>(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr) << button;
    QTest::mouseClick(b, Qt::LeftButton);
}

// The texts of the next dialog, answered with OK or CANCEL.
struct Answer {
    QString title, text, text2;
    bool seen = false;
    void arm(bool ok) {
        vyk::test::whenModal([this, ok](QWidget* d) {
            seen = true;
            title = labelText(d, "LabelTitle");
            text = labelText(d, "LabelText");
            text2 = labelText(d, "LabelText2");
            clickIn(d, ok ? "BTNOK" : "BTNCANCEL");
        });
    }
};

std::string hex3(int address, int length) {
    char line[32];
    std::snprintf(line, sizeof line, "write %03X %d", address, length);
    return line;
}

// What a switch to profile p sends to the mouse.
std::vector<std::string> switchReports(int p) { return {hex3(0x43, 1), "cmd1 1 " + std::to_string(p)}; }

// Equal records apart from the header (the factory values carry a new creation stamp).
bool sameRecord(const TMouseProfileInfo& a, const TMouseProfileInfo& b) {
    constexpr std::size_t from = offsetof(TMouseProfileInfo, FunctionList);
    return std::memcmp(reinterpret_cast<const char*>(&a) + from, reinterpret_cast<const char*>(&b) + from,
                       sizeof(TMouseProfileInfo) - from) == 0;
}

class ProfilesTest : public ApplyTest {
protected:
    void clickProfile(int i) { QTest::mouseClick(window_->BtnProfile[static_cast<std::size_t>(i)], Qt::LeftButton); }
    std::vector<bool> pressed() const {
        std::vector<bool> out;
        for (auto* b : window_->BtnProfile) out.push_back(b->IsPressed());
        return out;
    }
    static std::vector<bool> only(int i) {
        std::vector<bool> v(5, false);
        v[static_cast<std::size_t>(i)] = true;
        return v;
    }
    std::unique_ptr<TMouseProfileInfo> slot(int i) const {
        auto p = std::make_unique<TMouseProfileInfo>();
        EXPECT_TRUE(dm_->ReadProfileInfo(*p, i));
        return p;
    }
    // The stand-in monitor's messages as "msg w l".
    std::vector<std::string> monitorMessages() const {
        std::vector<std::string> out;
        for (const auto& m : toMonitor_) {
            out.push_back(std::to_string(m.msg) + " " + std::to_string(m.wParam) + " " + std::to_string(m.lParam));
        }
        return out;
    }
};

}  // namespace

TEST_F(ProfilesTest, AClickSwitchesTheWindowTheStoreTheMouseAndTheMonitorAndRepeatsOnTheSameProfile) {
    TVYKCFGMAIN& w = open();
    ASSERT_EQ(dm_->FProfileIndex, 0);
    clearLogs();

    clickProfile(2);
    EXPECT_EQ(dm_->FProfileIndex, 2);
    EXPECT_EQ(dm_->FAllProfileSettingInfo.CurrentGame, 2);
    EXPECT_EQ(pressed(), only(2));
    EXPECT_EQ(reports(), switchReports(2)) << "a switch writes no profile data";
    EXPECT_EQ(monitorMessages(), std::vector<std::string>{"7035 1 2"});
    EXPECT_EQ(monitorAt_[0], sim_->log().size()) << "the monitor is told after command 1";
    EXPECT_EQ(memory(0x43, 1), std::vector<std::uint8_t>{2});
    EXPECT_FALSE(dm_->IsProfileChanged(1) || dm_->IsProfileChanged(3) || dm_->IsProfileChanged(4))
        << "a switch changes no other profile";
    EXPECT_FALSE(w.SettingsChanged()) << "the refresh of a switch is not an edit";

    // The same profile again: the whole switch once more.
    clearLogs();
    clickProfile(2);
    EXPECT_EQ(reports(), switchReports(2));
    EXPECT_EQ(monitorMessages(), std::vector<std::string>{"7035 1 2"});
    EXPECT_EQ(pressed(), only(2));

    // The new current profile is stored at once: the next start opens on it.
    window_.reset();
    link_.reset();
    dm_.reset();
    TDM again;
    EXPECT_EQ(again.FProfileIndex, 2);
}

TEST_F(ProfilesTest, UnsavedColourDpiLevelAndSensorLiftSurviveASwitchAndApplyWritesThem) {
    open();
    auto& c = dm_->FCurrentProfileInfo.ConfigInfo;
    // Values the pages keep in the record only (a previewed colour, a level radio, the lift).
    c.LEDConfig.R = 0x12;
    c.LEDConfig.G = 0x34;
    c.LEDConfig.B = 0x56;
    const int level = (c.CurrentCPIIndex + 1) % 2;
    c.CurrentCPIIndex = level;
    const std::uint8_t lift = static_cast<std::uint8_t>(c.Sensorlift.SensorLift == 7 ? 9 : 7);
    c.Sensorlift.SensorLift = lift;

    dm_->SetProfileChanged(0, false);
    clickProfile(1);
    EXPECT_TRUE(dm_->IsProfileChanged(0)) << "the profile left behind waits for APPLY";
    clickProfile(0);
    const auto& back = dm_->FCurrentProfileInfo.ConfigInfo;
    EXPECT_EQ(back.LEDConfig.R, 0x12);
    EXPECT_EQ(back.LEDConfig.G, 0x34);
    EXPECT_EQ(back.LEDConfig.B, 0x56);
    EXPECT_EQ(back.CurrentCPIIndex, level);
    EXPECT_EQ(back.Sensorlift.SensorLift, lift);
    EXPECT_EQ(window_->State().LEDCache.R, 0x12) << "the lighting cache follows the profile shown";

    // APPLY writes the colour (inverted, as the mouse takes it) into profile 1's LED block.
    clearLogs();
    clickApply();
    const auto led = memory(0xF1, 3);
    EXPECT_EQ(led, (std::vector<std::uint8_t>{0xED, 0xCB, 0xA9}));
}

TEST_F(ProfilesTest, TheMonitorsSwitchRunsInsideItsSendAndAnIndexAboveFourChangesNothing) {
    open();
    clearLogs();

    // Sent the way the monitor sends it: the window's reload message comes back to the stand-in
    // monitor while the send still waits.
    std::int64_t result = -1;
    const auto status = vyk::platform::ipc::sendMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_SWITCH_PROFILE, 3, 0}, &result);
    ASSERT_EQ(status, vyk::platform::ipc::SendStatus::Delivered);
    EXPECT_EQ(dm_->FProfileIndex, 3);
    EXPECT_EQ(pressed(), only(3));
    EXPECT_EQ(reports(), switchReports(3)) << "the mouse gets its active profile again";
    EXPECT_EQ(monitorMessages(), std::vector<std::string>{"7035 1 3"}) << "handled during the send";

    clearLogs();
    for (std::int64_t bad : {std::int64_t{5}, std::int64_t{-1}, std::int64_t{1} << 40}) {
        window_->HandleMessage(WM_CFG_SWITCH_PROFILE, bad, 0);
    }
    ASSERT_EQ(errors_.size(), 3) << "each refused index is reported";
    errors_.clear();
    EXPECT_EQ(dm_->FProfileIndex, 3);
    EXPECT_TRUE(reports().empty());
    EXPECT_TRUE(toMonitor_.empty());
}

TEST_F(ProfilesTest, TheMousesDpiLevelIsShownOnlyAndLevelsOutsideTheRowsAreRefused) {
    TVYKCFGMAIN& w = open();
    auto& c = dm_->FCurrentProfileInfo.ConfigInfo;
    const std::int32_t stored = c.CurrentCPIIndex;
    const auto flagsBefore = flags();
    clearLogs();

    const struct {
        std::int64_t level;
        std::int32_t shown;
    } cases[] = {{2, 2}, {0, 0}, {4, 4}, {5, 4}, {200, 4}, {-1, 4}};
    for (const auto& k : cases) {
        w.HandleMessage(WM_CFG_CPI_INDEX, k.level, 0);
        EXPECT_EQ(c.CurrentCPIIndex, k.shown) << "level " << k.level;
    }
    EXPECT_EQ(errors_.size(), 3) << "each level past the rows is reported";
    errors_.clear();
    EXPECT_TRUE(reports().empty()) << "nothing is written";
    EXPECT_TRUE(toMonitor_.empty());
    EXPECT_FALSE(w.SettingsChanged()) << "closing asks nothing";
    EXPECT_EQ(slot(0)->ConfigInfo.CurrentCPIIndex, stored) << "nothing is saved";
    EXPECT_EQ(flags(), flagsBefore);

    // The reserved message does nothing at all.
    w.HandleMessage(WM_CFG_RESERVED, 1, 2);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(dm_->FProfileIndex, 0);
}

TEST_F(ProfilesTest, ASwitchAskedForDuringApplyRunsAfterItsWrites) {
    open();
    dm_->SetProfileChanged(1, true);
    clearLogs();
    bool asked = false;
    link_->before = [&](const std::string& op, int p) {
        if (op != "cpi" || p != 1 || asked) return;
        asked = true;
        // A click on PROFILE3 and the monitor's report of profile 5, both between two writes.
        QTest::mouseClick(window_->BtnProfile[2], Qt::LeftButton);
        vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_SWITCH_PROFILE, 4, 0});
    };
    clickApply();
    ASSERT_TRUE(asked);
    link_->before = nullptr;
    vyk::test::waitUntil([&] { return dm_->FProfileIndex == 4; });

    const auto r = reports();
    const auto applyDone = std::find(r.begin(), r.end(), std::string("cmd1 1 0"));
    ASSERT_NE(applyDone, r.end());
    EXPECT_EQ(std::vector<std::string>(applyDone + 1, r.end()), concat({switchReports(2), switchReports(4)}))
        << "the held switches run after APPLY, in the order they came";
    EXPECT_EQ(monitorMessages(), (std::vector<std::string>{"7035 1 0", "7035 1 2", "7035 1 4"}));
    EXPECT_EQ(pressed(), only(4));
}

TEST_F(ProfilesTest, RestoreAsksAsWrittenThenRestoresTheSlotAndWritesItsDpiBlockAtOnce) {
    TVYKCFGMAIN& w = open();
    clickProfile(1);
    const auto factory = slot(1);
    dm_->FCurrentProfileInfo.ConfigInfo.LEDConfig.R ^= 0xFF;
    dm_->FCurrentProfileInfo.ConfigInfo.CPIState[0].X = 3200;
    dm_->SaveBackToCurrentProfileInfo();
    dm_->SetProfileChanged(1, false);
    const auto edited = slot(1);
    w.State().SettingsChanged = false;
    clearLogs();

    // CANCEL: nothing changes, nothing is written.
    Answer cancel;
    cancel.arm(false);
    QTest::mouseClick(w.BtnRestor, Qt::LeftButton);
    ASSERT_TRUE(cancel.seen);
    EXPECT_EQ(cancel.title, "RESET THIS PROFILE");
    EXPECT_EQ(cancel.text, "ARE YOU SURE YOU WANT TO RESET THIS PROFILE ?");
    EXPECT_EQ(cancel.text2, "RESET THE CURRENT PROFILE BACK TO FACTORY SETTING.");
    EXPECT_TRUE(sameRecord(*slot(1), *edited));
    EXPECT_TRUE(reports().empty());
    EXPECT_FALSE(w.SettingsChanged());

    Answer ok;
    ok.arm(true);
    QTest::mouseClick(w.BtnRestor, Qt::LeftButton);
    ASSERT_TRUE(ok.seen);
    EXPECT_TRUE(sameRecord(*slot(1), *factory));
    EXPECT_TRUE(sameRecord(dm_->FCurrentProfileInfo, *factory));
    EXPECT_TRUE(dm_->IsProfileChanged(1));
    EXPECT_TRUE(w.SettingsChanged());
    EXPECT_EQ(reports(), std::vector<std::string>{hex3(0x14F, 42)}) << "only the DPI block, no command 1";
    EXPECT_TRUE(toMonitor_.empty());
    EXPECT_EQ(dm_->FProfileIndex, 1);
}

TEST_F(ProfilesTest, ResetAllRestoresEveryProfileThenSwitchesToProfileFiveAndWritesItsDpiBlock) {
    TVYKCFGMAIN& w = open();
    std::vector<std::unique_ptr<TMouseProfileInfo>> factory;
    for (int i = 0; i < 5; ++i) factory.push_back(slot(i));
    clickProfile(1);
    for (int i = 0; i < 5; ++i) {
        auto p = slot(i);
        p->ConfigInfo.LEDConfig.G ^= 0x5A;
        dm_->SaveBackToProfileInfo(*p, i);
    }
    dm_->FCurrentProfileInfo.ConfigInfo.LEDConfig.G ^= 0x5A;
    clearLogs();

    Answer cancel;
    cancel.arm(false);
    QTest::mouseClick(w.BtnRestoreall, Qt::LeftButton);
    ASSERT_TRUE(cancel.seen);
    EXPECT_EQ(cancel.title, "RESET ALL PROFILES");
    EXPECT_EQ(cancel.text, "ARE YOU SURE YOU WANT TO RESET ALL PROFILES BACK TO FACTORY SETTINGS  ?");
    EXPECT_EQ(cancel.text2, "RESET THE CURRENT PROFILE BACK TO FACTORY SETTING.");
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(dm_->FProfileIndex, 1);
    EXPECT_FALSE(sameRecord(*slot(0), *factory[0]));

    Answer ok;
    ok.arm(true);
    QTest::mouseClick(w.BtnRestoreall, Qt::LeftButton);
    ASSERT_TRUE(ok.seen);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(sameRecord(*slot(i), *factory[static_cast<std::size_t>(i)])) << i;
    EXPECT_EQ(flags(), std::vector<bool>(5, true));
    EXPECT_EQ(dm_->FProfileIndex, 4);
    EXPECT_EQ(pressed(), only(4));
    EXPECT_EQ(reports(), concat({switchReports(4), {hex3(0x44F, 42)}}));
    EXPECT_EQ(monitorMessages(), std::vector<std::string>{"7035 1 4"});
    EXPECT_EQ(memory(0x43, 1), std::vector<std::uint8_t>{4});
    EXPECT_TRUE(w.SettingsChanged());
}

TEST_F(ProfilesTest, LoadFileStartsInTheSlotsFolderRefusesAnotherVersionAndWritesNothingToTheMouse) {
    TVYKCFGMAIN& w = open();
    clickProfile(2);
    const QString folder = w.ProfileCommands->FProfilePath;
    ASSERT_FALSE(folder.isEmpty());

    // A profile file: profile 3's record with another colour, saved by SAVE AS.
    QStringList starts;
    QString answer;
    SetProfileFileDialogHook([&](const ProfileFileDialogRequest& r) {
        starts.append(r.initialFolder);
        return answer;
    });
    const QString good = QString::fromStdString(vyk::test::freshDir("pfd").string()) + "/mine.pfd";
    dm_->FCurrentProfileInfo.ConfigInfo.LEDConfig.B = 0x77;
    dm_->SaveBackToCurrentProfileInfo();
    answer = good;
    QTest::mouseClick(w.BtnSave, Qt::RightButton);  // any button's release
    ASSERT_TRUE(QFile::exists(good));

    // Cancelled: nothing.
    dm_->FCurrentProfileInfo.ConfigInfo.LEDConfig.B = 0x11;
    dm_->SaveBackToCurrentProfileInfo();
    dm_->SetProfileChanged(2, false);
    w.State().SettingsChanged = false;
    clearLogs();
    answer.clear();
    QTest::mouseClick(w.BtnLoad, Qt::LeftButton);
    EXPECT_EQ(dm_->FCurrentProfileInfo.ConfigInfo.LEDConfig.B, 0x11);
    EXPECT_FALSE(w.SettingsChanged());

    // Another version: the warning, the profile unchanged.
    const QString old = QString::fromStdString(vyk::test::freshDir("old").string()) + "/old.pfd";
    {
        QFile in(good), out(old);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        bytes[0] = 0x02;  // version 0x102
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    answer = old;
    Answer warning;
    warning.arm(true);
    QTest::mouseClick(w.BtnLoad, Qt::LeftButton);
    ASSERT_TRUE(warning.seen);
    EXPECT_EQ(warning.text, "GAMING MOUSE PROFILE VERSION INCORRECT!");
    EXPECT_EQ(dm_->FCurrentProfileInfo.ConfigInfo.LEDConfig.B, 0x11);

    // The right version: loaded into the current profile, shown, not written to the mouse.
    answer = good;
    QTest::mouseClick(w.BtnLoad, Qt::MiddleButton);
    EXPECT_EQ(dm_->FCurrentProfileInfo.ConfigInfo.LEDConfig.B, 0x77);
    EXPECT_EQ(w.State().LEDCache.B, 0x77);
    EXPECT_TRUE(dm_->IsProfileChanged(2));
    EXPECT_TRUE(w.SettingsChanged());
    EXPECT_TRUE(reports().empty()) << "the loaded profile waits for APPLY";
    EXPECT_TRUE(toMonitor_.empty());

    SetProfileFileDialogHook({});
    ASSERT_EQ(starts.size(), 4);
    for (const QString& s : starts) EXPECT_TRUE(s.startsWith(folder)) << s.toStdString();
}

// ---------------------------------------------------------------------------------------------
// A switch made on the mouse while a dialog of the window is open (the monitor's 7040, and 7042
// for the DPI level) waits until the dialog is done: the dialog's answer lands on the profile
// it was opened for (PROFILE3 here), never on the one the mouse switched to (PROFILE1).

namespace {

class DialogSwitch;

struct DialogCase {
    const char* name;
    // Opens the dialog on PROFILE3 and answers it; `mouseSwitches` is called while it is open.
    std::function<void(DialogSwitch&)> run;
};
void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }

class DialogSwitch : public ProfilesTest, public ::testing::WithParamInterface<DialogCase> {
protected:
    void SetUp() override {
        ProfilesTest::SetUp();
        vyk::platform::setMessageBoxHook([](const QString&, const QString&, vyk::platform::MessageIcon) {});
        open();
        // Profile 1 (index 0) and PROFILE3 (index 2) differ in every field a dialog edits.
        edit(0, [](TMOUSECONFIGINFO& c) {
            c.LEDConfig.B = 0x10;
            c.ButtonFuncInfo[6].SingleKey.nKeyValue1 = 0x31;
        });
        edit(2, [](TMOUSECONFIGINFO& c) {
            c.LEDConfig.B = 0x77;
            c.ButtonFuncInfo[6].SingleKey.nKeyValue1 = 0x51;  // Q
            c.ButtonFuncInfo[4].ComboKey.nModifier = 2;
            c.ButtonFuncInfo[4].ComboKey.nKeyValue1 = 0x58;  // Ctrl+X
            c.ButtonFuncInfo[3].FireKey.KeyCode = 130;
            c.ButtonFuncInfo[3].FireKey.nLoopCount = 7;
            c.ButtonFuncInfo[3].FireKey.DelyValue = 40;
        });
        profile0 = slot(0);
        clickProfile(2);
        clearLogs();
    }
    void TearDown() override {
        vyk::platform::setMessageBoxHook({});
        SetProfileFileDialogHook({});
        ProfilesTest::TearDown();
    }

public:
    using ProfilesTest::clearLogs;
    using ProfilesTest::dm_;
    using ProfilesTest::monitorMessages;
    using ProfilesTest::slot;

    void edit(int p, const std::function<void(TMOUSECONFIGINFO&)>& f) {
        auto record = slot(p);
        f(record->ConfigInfo);
        ASSERT_TRUE(dm_->SaveBackToProfileInfo(*record, p));
        if (dm_->FProfileIndex == p) {
            ASSERT_TRUE(dm_->ReadProfileInfo(dm_->FCurrentProfileInfo, p));
        }
    }
    // The mouse switches to profile 1 and reports DPI level 4, as the monitor sends them.
    void mouseSwitches() {
        ++switches;
        const std::size_t heldBefore = w().ApplyQueue().Pending();
        std::int64_t result = -1;
        EXPECT_EQ(vyk::platform::ipc::sendMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_SWITCH_PROFILE, 0, 0}, &result),
                  vyk::platform::ipc::SendStatus::Delivered);
        vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_CPI_INDEX, 3, 0});
        // Both messages reached the window and wait there.
        EXPECT_TRUE(vyk::test::waitUntil([&] { return w().ApplyQueue().Pending() == heldBefore + 2; }))
            << "the window did not hold the mouse's switch and DPI level while the dialog was open";
        EXPECT_EQ(dm_->FProfileIndex, 2) << "the window switched under the open dialog";
        EXPECT_TRUE(reports().empty()) << "the mouse was written while the dialog was open";
    }
    TVYKCFGMAIN& w() { return *window_; }
    TBUTTONFUNCINFO& button(int p, int b) {
        cached = slot(p);
        return cached->ConfigInfo.ButtonFuncInfo[b];
    }
    void pressOk(QWidget* d, const char* name = "BTNOK") { clickIn(d, name); }
    QString file() const { return QString::fromStdString(vyk::test::freshDir("pfd").string()) + "/p3.pfd"; }

    int switches = 0;
    std::unique_ptr<TMouseProfileInfo> profile0;
    std::unique_ptr<TMouseProfileInfo> cached;
};

TEST_P(DialogSwitch, TheAnswerLandsOnTheProfileAskedForAndTheSwitchRunsAfterIt) {
    GetParam().run(*this);
    if (HasFatalFailure()) return;
    EXPECT_EQ(switches, 1);
    vyk::test::waitUntil([&] { return dm_->FProfileIndex == 0; });
    EXPECT_EQ(dm_->FProfileIndex, 0) << "the mouse's switch runs once the dialog is done";
    EXPECT_EQ(dm_->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex, 3) << "then its DPI level";
    EXPECT_EQ(memory(0x43, 1), std::vector<std::uint8_t>{0});
}

using vyk::test::whenModal;
namespace menu = vyk::test::menu;

const DialogCase kDialogCases[] = {
    {"RESTORE",
     [](DialogSwitch& t) {
         whenModal([&t](QWidget* d) {
             t.mouseSwitches();
             t.pressOk(d);
         });
         QTest::mouseClick(t.w().BtnRestor, Qt::LeftButton);
         EXPECT_NE(t.button(2, 6).SingleKey.nKeyValue1, 0x51) << "PROFILE3 was reset";
         EXPECT_EQ(std::memcmp(t.slot(0).get(), t.profile0.get(), sizeof(TMouseProfileInfo)), 0)
             << "profile 1 was not touched";
     }},
    {"RESET ALL",
     [](DialogSwitch& t) {
         whenModal([&t](QWidget* d) {
             t.mouseSwitches();
             t.pressOk(d);
         });
         QTest::mouseClick(t.w().BtnRestoreall, Qt::LeftButton);
         EXPECT_EQ(t.monitorMessages(), (std::vector<std::string>{"7035 1 4", "7035 1 0"}))
             << "RESET ALL's own switch to PROFILE5 first, then the mouse's";
     }},
    {"save question",
     [](DialogSwitch& t) {
         t.w().State().SettingsChanged = true;
         whenModal([&t](QWidget* d) {
             t.mouseSwitches();
             t.pressOk(d);
         });
         QTest::mouseClick(t.w().BtnClose, Qt::LeftButton);
         EXPECT_EQ(t.dm_->FAllProfileSettingInfo.CurrentGame, 0);
     }},
    {"single key",
     [](DialogSwitch& t) {
         whenModal([&t](QWidget* d) {
             t.mouseSwitches();
             t.pressOk(d);
         });
         menu::assign(t.w(), 6, 5);
         EXPECT_EQ(t.button(2, 6).SingleKey.nKeyValue1, 0x51);
         EXPECT_EQ(t.button(2, 6).MenuID, 6);
         EXPECT_EQ(std::memcmp(t.slot(0).get(), t.profile0.get(), sizeof(TMouseProfileInfo)), 0)
             << "profile 1 did not get PROFILE3's record";
     }},
    {"combination",
     [](DialogSwitch& t) {
         whenModal([&t](QWidget* d) {
             t.mouseSwitches();
             t.pressOk(d, "BtnOK");
         });
         menu::assign(t.w(), 4, 6);
         EXPECT_EQ(t.button(2, 4).MenuID, 7);
         EXPECT_EQ(t.button(2, 4).ComboKey.nKeyValue1, 0x58);
         EXPECT_EQ(std::memcmp(t.slot(0).get(), t.profile0.get(), sizeof(TMouseProfileInfo)), 0);
     }},
    {"fire key",
     [](DialogSwitch& t) {
         whenModal([&t](QWidget* d) {
             t.mouseSwitches();
             t.pressOk(d);
         });
         menu::assign(t.w(), 3, 11);
         EXPECT_EQ(t.button(2, 3).FireKey.nLoopCount, 7);
         EXPECT_EQ(std::memcmp(t.slot(0).get(), t.profile0.get(), sizeof(TMouseProfileInfo)), 0);
     }},
    {"macro manager",
     [](DialogSwitch& t) {
         whenModal([&t](QWidget* d) {
             t.mouseSwitches();
             t.pressOk(d);
         });
         menu::assign(t.w(), 7, 10, 0);
         EXPECT_EQ(t.button(2, 7).FunctionType, 4);
         EXPECT_EQ(std::memcmp(t.slot(0).get(), t.profile0.get(), sizeof(TMouseProfileInfo)), 0);
     }},
    {"new macro in the manager",
     [](DialogSwitch& t) {
         whenModal([&t](QWidget* manager) {
             whenModal([&t](QWidget* create) {
                 t.mouseSwitches();
                 auto* box = create->findChild<QLineEdit*>(QStringLiteral("TextboxMacroName"));
                 ASSERT_NE(box, nullptr);
                 QTest::keyClicks(box, QStringLiteral("Fresh"));
                 t.pressOk(create);
             });
             t.pressOk(manager, "BSBTNNEWMACRO");
             EXPECT_EQ(t.dm_->FProfileIndex, 2) << "still PROFILE3 after the new-macro dialog";
             t.pressOk(manager);
         });
         menu::assign(t.w(), 7, 10, 0);
         EXPECT_EQ(QString::fromUtf16(t.button(2, 7).MacroName), QStringLiteral("Fresh"));
         EXPECT_EQ(std::memcmp(t.slot(0).get(), t.profile0.get(), sizeof(TMouseProfileInfo)), 0);
     }},
    {"LOAD FILE",
     [](DialogSwitch& t) {
         const QString path = t.file();
         SetProfileFileDialogHook([&](const ProfileFileDialogRequest&) { return path; });
         QTest::mouseClick(t.w().BtnSave, Qt::LeftButton);  // PROFILE3 as it is now
         t.edit(2, [](TMOUSECONFIGINFO& c) { c.LEDConfig.B = 0x11; });
         t.clearLogs();
         SetProfileFileDialogHook([&](const ProfileFileDialogRequest&) {
             t.mouseSwitches();
             return path;
         });
         QTest::mouseClick(t.w().BtnLoad, Qt::LeftButton);
         EXPECT_EQ(t.slot(2)->ConfigInfo.LEDConfig.B, 0x77) << "loaded into PROFILE3";
         EXPECT_EQ(t.slot(0)->ConfigInfo.LEDConfig.B, 0x10);
     }},
    {"SAVE AS",
     [](DialogSwitch& t) {
         const QString path = t.file();
         SetProfileFileDialogHook([&](const ProfileFileDialogRequest&) {
             t.mouseSwitches();
             return path;
         });
         QTest::mouseClick(t.w().BtnSave, Qt::LeftButton);
         QFile f(path);
         ASSERT_TRUE(f.open(QIODevice::ReadOnly));
         const QByteArray bytes = f.readAll();
         ASSERT_GE(bytes.size(), static_cast<qsizetype>(sizeof(TMouseProfileInfo)));
         auto saved = std::make_unique<TMouseProfileInfo>();
         std::memcpy(static_cast<void*>(saved.get()), bytes.constData(), sizeof(TMouseProfileInfo));
         EXPECT_EQ(saved->ConfigInfo.LEDConfig.B, 0x77) << "PROFILE3 was saved";
     }},
};

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogSwitch, ::testing::ValuesIn(kDialogCases),
                         [](const ::testing::TestParamInfo<DialogCase>& info) {
                             std::string n;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) n += *c;
                             return n;
                         });

}  // namespace

// Hostile profile files through LOAD FILE: anything but exactly one profile of this format
// version gets the version warning and changes nothing; a whole one with values the window
// cannot produce is loaded with those values at their factory settings (said once), so the
// controls show what APPLY writes.
TEST_F(ProfilesTest, LoadFileRefusesDamagedFilesAndRepairsValuesTheWindowCannotProduce) {
    TVYKCFGMAIN& w = open();
    QString answer;
    SetProfileFileDialogHook([&](const ProfileFileDialogRequest&) { return answer; });
    const auto whole = [&] {
        QByteArray b(reinterpret_cast<const char*>(&dm_->FCurrentProfileInfo), sizeof(TMouseProfileInfo));
        return b;
    }();
    const QString file = QString::fromStdString(vyk::test::freshDir("load").string()) + "/in.pfd";
    const auto writeFile = [&](const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    answer = file;

    const struct {
        const char* what;
        QByteArray bytes;
    } refused[] = {
        {"4 bytes", whole.left(4)},
        {"1000 bytes", whole.left(1000)},
        {"half a profile", whole.left(whole.size() / 2)},
        {"a longer file", whole + QByteArray(1000, '\x55')},
        {"16 MiB", whole + QByteArray((16 << 20) - whole.size(), '\x01')},
    };
    const auto before = std::make_unique<TMouseProfileInfo>(dm_->FCurrentProfileInfo);
    const auto flagsBefore = flags();
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        writeFile(c.bytes);
        Answer warning;
        warning.arm(true);
        QTest::mouseClick(w.BtnLoad, Qt::LeftButton);
        ASSERT_TRUE(warning.seen);
        EXPECT_EQ(warning.text, "GAMING MOUSE PROFILE VERSION INCORRECT!");
        EXPECT_EQ(std::memcmp(before.get(), &dm_->FCurrentProfileInfo, sizeof(TMouseProfileInfo)), 0);
        EXPECT_EQ(flags(), flagsBefore);
        EXPECT_FALSE(w.SettingsChanged());
    }

    // A crafted profile of the right size and version.
    auto crafted = std::make_unique<TMouseProfileInfo>(dm_->FCurrentProfileInfo);
    TMOUSECONFIGINFO& c = crafted->ConfigInfo;
    c.ButtonFuncInfo[4].FunctionCode = 0x63;
    c.ButtonFuncInfo[5].FunctionCode = 0xFF;
    c.CPILevel = 0xFF;
    c.ReportRate = 7;
    c.LEDConfig.BRIGHT_LEVEL = 0xC8;
    c.LEDConfig.BREATH_SPEED = 0xFF;
    c.LEDConfig.R = 0x21;  // any colour is the window's
    writeFile(QByteArray(reinterpret_cast<const char*>(crafted.get()), sizeof(TMouseProfileInfo)));
    Answer said;
    said.arm(true);
    QTest::mouseClick(w.BtnLoad, Qt::LeftButton);
    ASSERT_TRUE(said.seen);
    EXPECT_EQ(said.title, "WARNING");
    EXPECT_EQ(said.text, "The profile file \"" + file +
                             "\" held settings this program cannot use; they were set back to their factory values.");
    const TMOUSECONFIGINFO& now = dm_->FCurrentProfileInfo.ConfigInfo;
    EXPECT_EQ(now.ReportRate, 500);
    EXPECT_EQ(now.LEDConfig.R, 0x21);
    auto* page = w.PageGeneral;
    EXPECT_TRUE(page->findChild<QRadioButton*>("Radio500")->isChecked()) << "the control shows what is stored";
    EXPECT_TRUE(w.PageLight->findChild<QRadioButton*>("RadioLevelMid")->isChecked());
    EXPECT_TRUE(w.PageLight->findChild<QRadioButton*>("RadioSPMid")->isChecked());

    // APPLY writes those same values.
    clearLogs();
    clickApply();
    EXPECT_EQ(memory(0x48, 1), std::vector<std::uint8_t>{2}) << "the code of 500 Hz";
    const auto led = memory(0xF1, 6);
    EXPECT_EQ(led[0], 0xDE);
    EXPECT_EQ(led[3], 2);
    EXPECT_EQ(led[4], 3);
    EXPECT_EQ(memory(0x4F, 1), std::vector<std::uint8_t>{5}) << "five DPI levels";
    const auto buttons = memory(0x90, 77);
    EXPECT_EQ(buttons[1 + 4 * 8], FUNCTION_CODE_DPI_PLUS) << "record 4 (device slot 8): its factory function";
    EXPECT_EQ(buttons[1 + 4 * 7], FUNCTION_CODE_DPI_MINUS) << "record 5 (device slot 7)";
    SetProfileFileDialogHook({});
}

TEST_F(ProfilesTest, WhatTheStoreFoundAtStartUpIsShownOnceTheWindowIsUp) {
    open();
    clickApply();
    window_.reset();
    link_.reset();
    dm_.reset();
    const auto value = registry_ / "HKEY_CURRENT_USER/software/software/Vykgmmouse/VykProfile2.pfd.bin";
    std::filesystem::resize_file(value, 0);

    Answer said;
    said.arm(true);
    open();
    ASSERT_TRUE(vyk::test::waitUntil([&] { return said.seen; }, 10000));
    EXPECT_EQ(said.title, "WARNING");
    EXPECT_TRUE(said.text.startsWith("The stored profile 2 \"" + QString::fromStdString(value.string()) +
                                     "\" is damaged (0 bytes instead of 142240)"))
        << said.text.toStdString();
    EXPECT_TRUE(dm_->IsProfileChanged(1)) << "APPLY stores and writes the profile that replaced it";
    EXPECT_TRUE(errors_.isEmpty()) << "no box of the error handler";
    // Shown once: nothing is left for later.
    EXPECT_TRUE(dm_->TakeStoreReports().isEmpty());
}
