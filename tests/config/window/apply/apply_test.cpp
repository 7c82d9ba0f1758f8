// APPLY and OK end to end: the reports the simulated mouse receives, in order, the message to
// the monitor, the changed flags, the failure paths and the inputs held while APPLY writes.
#include "config/dialogs/showdialog.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/WrapLabel.h"
#include "config/window/ApplyInputQueue.h"
#include "core/defs/vyk_messages.h"
#include "core/device/DeviceEncoders.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "tests/config/support/modal.h"
#include "tests/config/window/apply/apply_fixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace applytest;

namespace {

QString dialogText(QWidget* dlg) {
    auto* label = dlg->findChild<vyk::config::WrapLabel*>(QStringLiteral("LabelText"));
    return label ? label->text() : QString();
}

void clickDialogOK(QWidget* dlg) {
    auto* ok = dlg->findChild<TImageStateButton*>(QStringLiteral("BTNOK"));
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton);
}

// Answers every dialog that opens with OK and keeps its text.
struct DialogWatch {
    QStringList texts;
    void arm() {
        vyk::test::whenModal([this](QWidget* d) {
            texts.append(dialogText(d));
            clickDialogOK(d);
        });
    }
};

std::size_t indexOf(const std::vector<std::string>& v, const std::string& s, std::size_t from = 0) {
    const auto it = std::find(v.begin() + static_cast<std::ptrdiff_t>(std::min(from, v.size())), v.end(), s);
    return static_cast<std::size_t>(it - v.begin());
}

const QString kFailedText =
    QStringLiteral("THE SETTINGS COULD NOT BE WRITTEN TO THE MOUSE. PLEASE CHECK THE MOUSE AND PRESS APPLY AGAIN.");

}  // namespace

TEST_F(ApplyTest, WithoutEditsOnlyTheCurrentProfileIsWrittenThenTheMonitorReloads) {
    TVYKCFGMAIN& w = open();
    w.State().SettingsChanged = true;
    clickApply();

    EXPECT_EQ(reports(), concat({applyStart(), profileWrites(0), applyEnd()}));
    ASSERT_EQ(toMonitor_.size(), 1u);
    EXPECT_EQ(toMonitor_[0].msg, WM_CFG_SETTINGS_APPLIED);
    EXPECT_EQ(toMonitor_[0].wParam, 1);
    EXPECT_EQ(toMonitor_[0].lParam, 0);
    EXPECT_EQ(monitorAt_[0], sim_->log().size()) << "the monitor is told after command 1";
    EXPECT_EQ(flags(), std::vector<bool>(5, false));
    EXPECT_FALSE(w.SettingsChanged());
    EXPECT_TRUE(w.BtnApply->isEnabled());
    EXPECT_FALSE(w.ProgressBarTime->isHidden());
    EXPECT_EQ(w.TimerProcess->interval(), 100);
    EXPECT_TRUE(w.TimerProcess->isActive());
    ASSERT_EQ(sim_->control("status").find("writemode=1") != std::string::npos, true) << sim_->control("status");
}

TEST_F(ApplyTest, TwoChangedProfilesAreWrittenInIndexOrderWithTheirBlocks) {
    open();
    auto p2 = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm_->ReadProfileInfo(*p2, 2));
    p2->ConfigInfo.LEDConfig = TLEDCONFIG{0x12, 0x34, 0xF0, 2, 3, 9};
    p2->ConfigInfo.ReportRate = 125;
    ASSERT_TRUE(dm_->SaveBackToProfileInfo(*p2, 2));
    dm_->SetProfileChanged(2, true);
    clickApply();

    EXPECT_EQ(reports(), concat({applyStart(), profileWrites(0), profileWrites(2), applyEnd()}));
    EXPECT_EQ(flags(), std::vector<bool>(5, false));

    // LED bytes with the colour inverted, the rate code, the button table of the working copy.
    EXPECT_EQ(memory(0x2F1, 6), (std::vector<std::uint8_t>{0xED, 0xCB, 0x0F, 2, 3, 9}));
    EXPECT_EQ(memory(0x4A, 1), std::vector<std::uint8_t>{8});
    const auto buttons = memory(0x290, 77);
    EXPECT_EQ(buttons[0], 19) << "all 19 records go to the mouse";
    // Slot 9 holds record 19 (index 18), the fixed profile switch.
    EXPECT_EQ(buttons[1 + 4 * 9], 13);
    auto copy = std::make_unique<TMouseProfileInfo>(*p2);
    copy->ConfigInfo.ButtonCount = 19;
    copy->ConfigInfo.ButtonFuncInfo[18].FunctionType = 0;
    copy->ConfigInfo.ButtonFuncInfo[18].FunctionCode = 13;
    ReorderButtonFunctions(*copy, DeviceButtonOrder);
    TButtonTable expected{};
    BuildButtonTable(*copy, expected);
    EXPECT_EQ(buttons, std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

TEST_F(ApplyTest, AllFiveFlaggedProfilesAreWritten) {
    open();
    for (int i = 0; i < 5; ++i) dm_->SetProfileChanged(i, true);
    clickApply();
    EXPECT_EQ(reports(), concat({applyStart(), profileWrites(0), profileWrites(1), profileWrites(2), profileWrites(3),
                                 profileWrites(4), applyEnd()}));
    EXPECT_EQ(flags(), std::vector<bool>(5, false));
}

TEST_F(ApplyTest, OnlyUsedMacrosAreWrittenAndTheButtonAnnouncesTheWrittenBlock) {
    TVYKCFGMAIN& w = open();
    TuiMacroClass* model = w.FMacroSetClass->CurrentMacroClass();
    ASSERT_NE(model, nullptr);
    std::vector<TMACROKEYINFO> macros(2);
    for (int m = 0; m < 2; ++m) {
        model->GetMacroKeyItem(m, macros[static_cast<std::size_t>(m)]);
        TMACROKEYINFO& k = macros[static_cast<std::size_t>(m)];
        k.MacroListCount = 3 + m;  // Macro1: 3 actions (unused), Macro2: 4 actions (used)
        for (int j = 0; j < k.MacroListCount; ++j) {
            k.MacroList[j] = TMACROKEY{};
            k.MacroList[j].nKeyType = MACRO_KEY_TYPE_KEY;
            k.MacroList[j].nKeyState = static_cast<std::uint16_t>(1 - j % 2);
            k.MacroList[j].VALUE1 = 0x41;
        }
    }
    macros[1].nLoopRunWhenPressed = 1;
    model->SetMacroKeyInfoList(macros);
    w.FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();

    // Record 4 (index 3) of the current profile runs Macro2, from a copy taken before the
    // macro grew: the mouse must still hear the length of what it receives.
    TBUTTONFUNCINFO& b = dm_->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[3];
    b.FunctionType = FUNCTION_TYPE_MACRO;
    b.FunctionCode = FUNCTION_CODE_MACRO;
    b.MacroKeyInfo = macros[1];
    b.MacroKeyInfo.nMacroIndex = 1;
    b.MacroKeyInfo.MacroListCount = 1;
    b.MacroKeyInfo.nLoopRunWhenPressed = 0;
    clickApply();

    EXPECT_EQ(reports(), concat({applyStart(), profileWrites(0), {"write 5C8 15"}, applyEnd()}));
    // Slot 6 of the table holds record 4.
    EXPECT_EQ(memory(0x90 + 1 + 4 * 6, 4), (std::vector<std::uint8_t>{17, 0x81, 15, 0}));
    const auto block = memory(0x5C8, 15);
    EXPECT_EQ(block[12], MACRO_KEY_TYPE_LOOP) << "the block ends with its terminator";
}

TEST_F(ApplyTest, MouseAbsentSavesAndAppliesPointerThenWarnsAndWritesNothing) {
    TVYKCFGMAIN& w = open();
    w.State().MouseParams = TMouseParams{7, 3, 2};
    w.State().SettingsChanged = true;
    dm_->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 17;
    sim_->unplug();
    sim_->clearLog();
    DialogWatch dialogs;
    dialogs.arm();
    clickOK();

    EXPECT_EQ(dialogs.texts, QStringList{"PLEASE CONNECT YOUR MOUSE DEVICE BEFORE APPLY NEW SETTINGS!"});
    EXPECT_TRUE(reports().empty());
    EXPECT_TRUE(toMonitor_.empty());
    EXPECT_FALSE(w.SettingsChanged());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Timer2->isActive()) << "OK stays open";
    EXPECT_TRUE(w.ProgressBarTime->isHidden());
    EXPECT_EQ(flags(), (std::vector<bool>{true, false, false, false, false}));
    ASSERT_TRUE(TuiThread::WaitForCalls(std::chrono::seconds(10)));
    EXPECT_EQ(pointer_.calls(), (std::vector<std::string>{"acceleration 2 {4,6,2}", "speed 7", "wheelLines 3"}));
    // Saved: a fresh data module reads the edit back.
    {
        TDM again;
        EXPECT_EQ(again.FCurrentProfileInfo.ConfigInfo.PointerSpeed, 17);
    }

    // Plugged in again, APPLY writes the profile that is still flagged.
    sim_->plug();
    clickApply();
    EXPECT_EQ(reports(), concat({applyStart(), profileWrites(0), applyEnd()}));
    EXPECT_EQ(flags(), std::vector<bool>(5, false));
}

TEST_F(ApplyTest, AnAccelerationOutsideItsRangeAppliesNoPointerSetting) {
    TVYKCFGMAIN& w = open();
    w.State().MouseParams = TMouseParams{10, 3, 4};
    clickApply();
    ASSERT_TRUE(TuiThread::WaitForCalls(std::chrono::seconds(10)));
    EXPECT_TRUE(pointer_.calls().empty());
    EXPECT_EQ(reports(), concat({applyStart(), profileWrites(0), applyEnd()})) << "the mouse is still written";
}

// A write that fails keeps its profile flagged, the sequence still ends the write mode, the user
// is told once, and the next APPLY writes that profile again.
TEST_F(ApplyTest, AFailedWriteIsReportedOnceAndRewrittenNextTime) {
    struct Case {
        const char* name;
        std::uint32_t code;
        bool unplugs;
    };
    for (const Case& c :
         {Case{"error answer", 31, false}, Case{"unplugged mid-write", vyk::sim::kFailByUnplug, true}}) {
        SCOPED_TRACE(c.name);
        TVYKCFGMAIN& w = open();
        const auto good = concat({applyStart(), profileWrites(0), profileWrites(2), applyEnd()});
        const std::size_t at = indexOf(good, "write 290 77");
        dm_->SetProfileChanged(2, true);
        sim_->failNext(1, static_cast<std::uint32_t>(at), c.code);
        DialogWatch dialogs;
        dialogs.arm();
        clickOK();

        const auto got = reports();
        ASSERT_GT(got.size(), at);
        EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(at)),
                  std::vector<std::string>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(at)));
        if (!c.unplugs) {
            auto expected = good;
            expected[at] += " failed";
            EXPECT_EQ(got, expected) << "the sequence runs to its end";
        }
        EXPECT_EQ(dialogs.texts, QStringList{kFailedText});
        EXPECT_EQ(flags(), (std::vector<bool>{false, false, true, false, false}));
        EXPECT_FALSE(w.Timer2->isActive()) << "OK keeps the window open after a failure";
        ASSERT_EQ(toMonitor_.size(), 1u) << "the monitor still reloads what was saved";

        if (c.unplugs) sim_->plug();
        sim_->clearLog();
        clickApply();
        EXPECT_EQ(reports(), good);
        EXPECT_EQ(flags(), std::vector<bool>(5, false));
        toMonitor_.clear();
        monitorAt_.clear();
    }
}

// APPLY keeps the mouse open across its writes. A mouse that goes away in the middle fails
// the writes that follow (reported once, the profile stays flagged, the write mode sequence
// still runs to its end); one that comes back at once is found again by the write after the
// one that failed; and the next APPLY finds it afresh and writes everything.
TEST_F(ApplyTest, AMouseGoneWhileHeldFailsTheRestAndIsFoundAgainByTheNextApply) {
    struct Case {
        const char* name;
        bool back;  // plugged in again right away
    };
    for (const Case& c : {Case{"gone", false}, Case{"gone and back", true}}) {
        SCOPED_TRACE(c.name);
        open();
        const auto good = concat({applyStart(), profileWrites(0), profileWrites(2), applyEnd()});
        dm_->SetProfileChanged(2, true);
        link_->before = [&](const std::string& op, int arg) {
            if (op != "led" || arg != 2) return;
            sim_->unplug();
            if (c.back) sim_->plug();
        };
        DialogWatch dialogs;
        dialogs.arm();
        clickApply();
        link_->before = nullptr;

        const std::size_t led = indexOf(good, "write 2F1 6");
        auto expected = std::vector<std::string>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(led));
        if (c.back) expected.insert(expected.end(), good.begin() + static_cast<std::ptrdiff_t>(led) + 1, good.end());
        EXPECT_EQ(reports(), expected);
        EXPECT_EQ(dialogs.texts, QStringList{kFailedText});
        EXPECT_EQ(flags(), (std::vector<bool>{false, false, true, false, false}));
        ASSERT_EQ(toMonitor_.size(), 1u);

        if (!c.back) sim_->plug();
        sim_->clearLog();
        clickApply();
        EXPECT_EQ(reports(), good);
        EXPECT_EQ(flags(), std::vector<bool>(5, false));
        EXPECT_TRUE(vyk::test::waitUntil([&] { return sim_->openHandles(0) == 0; })) << "nothing stays open";
        toMonitor_.clear();
        monitorAt_.clear();
    }
}

TEST_F(ApplyTest, ReadBackKeepsTheStoredLevelUnlessTheMouseGivesAValidOne) {
    struct Case {
        std::uint8_t activeProfile;
        std::uint8_t level;
        std::int32_t expected;
    };
    TVYKCFGMAIN& w = open();
    for (const Case& c : {Case{0, 3, 3}, Case{0, 7, 1}, Case{9, 2, 1}, Case{2, 4, 4}}) {
        SCOPED_TRACE(testing::Message() << "profile " << int(c.activeProfile) << " level " << int(c.level));
        dm_->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = 1;
        sim_->poke(0, 0x43, {c.activeProfile});
        if (c.activeProfile < 5) sim_->poke(0, c.activeProfile * 0x100u + 0x4F + 1, {c.level});
        ASSERT_TRUE(w.ApplySettings());
        EXPECT_EQ(dm_->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex, c.expected);
        auto stored = std::make_unique<TMouseProfileInfo>();
        ASSERT_TRUE(dm_->ReadProfileInfo(*stored, 0));
        EXPECT_EQ(stored->ConfigInfo.CurrentCPIIndex, c.expected);
    }
}

// Inputs that arrive while APPLY writes (a profile click, the monitor's profile message, the
// other of OK/APPLY) wait until the sequence is over; nothing comes between write mode 0 and 1.
TEST_F(ApplyTest, InputsDuringTheWritesAreHeldUntilTheSequenceEnds) {
    TVYKCFGMAIN& w = open();
    dm_->SetProfileChanged(2, true);
    std::size_t pressedAt = 0, okPressedAt = 0;
    QObject::connect(w.BtnProfile[2], &QAbstractButton::pressed, [&] { pressedAt = sim_->log().size(); });
    QObject::connect(w.BtnOK, &QAbstractButton::pressed, [&] { okPressedAt = sim_->log().size(); });
    bool injected = false;
    link_->before = [&](const std::string& op, int arg) {
        if (op != "button" || arg != 0 || injected) return;
        injected = true;
        QTest::mouseClick(w.BtnProfile[2], Qt::LeftButton);
        // The monitor's profile message (a profile outside 0..4, refused when it is handled).
        std::int64_t result = -1;
        EXPECT_EQ(vyk::platform::ipc::sendMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_SWITCH_PROFILE, 9, 0}, &result),
                  vyk::platform::ipc::SendStatus::Delivered);
        EXPECT_EQ(result, 0);
        QTest::mouseClick(w.BtnOK, Qt::LeftButton);
        EXPECT_GE(w.ApplyQueue().Pending(), 5u) << "two clicks (press and release each) and a message";
    };
    clickApply();

    const auto got = reports();
    const auto first = concat({applyStart(), profileWrites(0), profileWrites(2), applyEnd()});
    ASSERT_GE(got.size(), first.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(first.size())), first);
    EXPECT_EQ(pressedAt, first.size()) << "the profile click ran after the sequence";
    ASSERT_EQ(errorAt_.size(), 1u);
    EXPECT_GE(errorAt_[0], first.size()) << "the monitor's message ran after the sequence";
    EXPECT_GE(okPressedAt, errorAt_[0]) << "held inputs run in the order they came";
    // The held OK ran a second APPLY and now waits for the progress bar to close the window.
    EXPECT_LT(indexOf(got, "mode 0", 1), got.size());
    EXPECT_GE(indexOf(got, "mode 0", 1), first.size());
    EXPECT_TRUE(w.Timer2->isActive());
    // The monitor heard of the APPLY, then of the held switch to PROFILE3, then of the held OK.
    errors_.clear();
    ASSERT_EQ(toMonitor_.size(), 3u);
    EXPECT_EQ(monitorAt_[0], first.size());
    EXPECT_EQ(toMonitor_[1].lParam, 2);
}

TEST_F(ApplyTest, TheProgressBarRunsFasterUnlessThePollingRateChanged) {
    TVYKCFGMAIN& w = open();
    // Seen at the first block write, right after the bar was started (a slow run may already
    // have reached the bar's last, one-second step by the end of APPLY).
    int interval = 0;
    bool active = false, shown = false;
    link_->before = [&](const std::string& op, int) {
        if (op != "button") return;
        interval = w.TimerProcess->interval();
        active = w.TimerProcess->isActive();
        shown = !w.ProgressBarTime->isHidden();
    };
    for (bool rateChanged : {false, true}) {
        w.State().ReportRateChanged = rateChanged;
        ASSERT_TRUE(w.ApplySettings());
        EXPECT_EQ(interval, rateChanged ? 200 : 100);
        EXPECT_TRUE(active);
        EXPECT_TRUE(shown);
    }
    link_->before = nullptr;
    // The ticks from 0: ten steps of ten, one more, then a second's wait and the bar is gone.
    w.TimerProcess->stop();
    w.ProgressBarTime->setValue(0);
    std::vector<int> values;
    for (int i = 0; i < 10; ++i) {
        w.TimerProcessTimer();
        values.push_back(w.ProgressBarTime->value());
    }
    EXPECT_EQ(values, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 91}));
    EXPECT_EQ(w.TimerProcess->interval(), 1000);
    EXPECT_FALSE(w.ProgressBarTime->isHidden());
    w.TimerProcessTimer();
    EXPECT_TRUE(w.ProgressBarTime->isHidden());
    EXPECT_EQ(w.ProgressBarTime->value(), 0);
    EXPECT_FALSE(w.TimerProcess->isActive());
}

TEST_F(ApplyTest, OkClosesTheWindowOnlyOnceTheProgressBarIsGone) {
    TVYKCFGMAIN& w = open();
    bool barHiddenAtClose = false;
    int closes = 0;
    struct CloseSpy : QObject {
        std::function<void()> onClose;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Close && onClose) onClose();
            return false;
        }
    } spy;
    spy.onClose = [&] {
        ++closes;
        barHiddenAtClose = w.ProgressBarTime->isHidden();
    };
    w.installEventFilter(&spy);
    clickOK();
    ASSERT_EQ(toMonitor_.size(), 1u) << "the window closes only after the monitor was told";
    EXPECT_TRUE(w.Timer2->isActive());
    EXPECT_TRUE(w.isVisible());
    ASSERT_TRUE(vyk::test::waitUntil([&] { return !w.isVisible(); }, 10000));
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(barHiddenAtClose);
    EXPECT_FALSE(w.Timer2->isActive());
    w.removeEventFilter(&spy);
}

// A monitor that takes the message and never answers: APPLY ends once the peer timeout has
// passed, with the mouse fully written.
TEST_F(ApplyTest, AHungMonitorDoesNotHoldApplyForever) {
    TVYKCFGMAIN& w = open();
    monitor_.reset();
    const QByteArray path = vyk::platform::ipc::socketPath(MONITOR_MAIN_CLASS_NAME).toLocal8Bit();
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ::unlink(addr.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 8), 0);  // connections wait in the backlog, nobody ever answers
    const int oldTimeout = vyk::platform::ipc::peerTimeout();
    vyk::platform::ipc::setPeerTimeout(300);

    clickApply();

    vyk::platform::ipc::setPeerTimeout(oldTimeout);
    ::close(fd);
    ::unlink(addr.sun_path);
    EXPECT_EQ(reports(), concat({applyStart(), profileWrites(0), applyEnd()}));
    EXPECT_TRUE(w.BtnApply->isEnabled());
    EXPECT_EQ(flags(), std::vector<bool>(5, false));
}

// The monitor's close message in the middle of APPLY: the sequence ends (the mouse leaves write
// mode 0), then the program ends; inputs held beside it are dropped. Last in this file: the
// end of the program stays requested until the event loop runs again.
TEST_F(ApplyTest, ACloseMessageDuringTheWritesEndsTheProgramAfterTheSequence) {
    TVYKCFGMAIN& w = open();
    bool pressed = false;
    QObject::connect(w.BtnProfile[3], &QAbstractButton::pressed, [&] { pressed = true; });
    bool injected = false;
    link_->before = [&](const std::string& op, int arg) {
        if (op != "button" || injected) return;
        injected = true;
        EXPECT_TRUE(vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_CLOSE, 0, 0}));
        QTest::mouseClick(w.BtnProfile[3], Qt::LeftButton);
    };
    bool quitRequested = false;
    QMetaObject::Connection c = QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { quitRequested = true; });
    clickApply();
    QObject::disconnect(c);

    EXPECT_EQ(reports(), concat({applyStart(), profileWrites(0), applyEnd()}));
    EXPECT_EQ(sim_->control("status").find("writemode=1") != std::string::npos, true);
    EXPECT_FALSE(w.TimerProcess->isActive()) << "the close ran after the sequence";
    EXPECT_FALSE(pressed) << "held inputs are dropped when the program ends";
    EXPECT_EQ(toMonitor_.size(), 1u);
    // A loop started now ends at once: the end of the program was requested.
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(quitRequested || t.elapsed() < 1000);
    // Let the application's loop take the request, so nothing after this test inherits it.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}
