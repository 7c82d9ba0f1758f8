// A mouse that is plugged in but whose hidraw nodes this user may not open (no udev rule yet, or
// not plugged in again since it was installed), as both programs meet it: the HID component
// tells it from a mouse that is absent, VykCfg's APPLY names the udev rule instead of asking for
// the mouse, and the monitor says so in its tray. fake_hidraw refuses the open of the nodes
// with the errno the kernel gives (EACCES, or EPERM).
#include "core/defs/device_access.h"
#include "config/dialogs/showdialog.h"
#include "config/link/CfgSystemLink.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/WrapLabel.h"
#include "config/window/MainConfig.h"
#include "core/defs/uiThread.h"
#include "core/device/uiHIDData.h"
#include "core/store/DMUnit.h"
#include "monitor/MouseMonitor.h"
#include "platform/dialogs/message_box.h"
#include "platform/pointer/recording_pointer_backend.h"
#include "tests/config/support/modal.h"
#include "tests/monitor/monitor_test_support.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"
#include "tests/umockdev/fake_hidraw/fake_hidraw.h"
#include "tests/umockdev/hidraw_testbed.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

using hidrawtest::HidrawNode;
using hidrawtest::Testbed;
using vyk::test::ScopedEnv;
using vyk::test::waitUntil;

namespace {

namespace fs = std::filesystem;

const QString kConnectText = QStringLiteral("PLEASE CONNECT YOUR MOUSE DEVICE BEFORE APPLY NEW SETTINGS!");

// What a user with the mouse plugged in may have: no node at all, nodes they may open, nodes
// refused to them, or only some of the vendor nodes refused.
struct AccessCase {
    const char* name;
    bool plugged;
    int refuseErrno;      // applied to the nodes below, 0 for none
    bool refuseAllNodes;  // else only the first vendor node
    THIDDeviceAccess expected;
};

const AccessCase kCases[] = {
    {"absent", false, 0, true, THIDDeviceAccess::Absent},
    {"open", true, 0, true, THIDDeviceAccess::Open},
    {"refused EACCES", true, EACCES, true, THIDDeviceAccess::AccessDenied},
    {"refused EPERM", true, EPERM, true, THIDDeviceAccess::AccessDenied},
    {"one vendor node refused", true, EACCES, false, THIDDeviceAccess::Open},
};

class DeviceAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        registryEnv_ = std::make_unique<ScopedEnv>("VYK_REGISTRY_ROOT", vyk::test::freshDir("registry").string());
        docsEnv_ = std::make_unique<ScopedEnv>("VYK_DOCUMENTS_DIR", vyk::test::freshDir("documents").string());
        // The program folder holds the rule as an install does, so the texts name its full path.
        exeDir_ = montest::makeExeDir(false);
        fs::create_directories(exeDir_ / "udev");
        std::ofstream(exeDir_ / "udev/70-vyk-mouse.rules") << "# rule\n";
        exeEnv_ = std::make_unique<ScopedEnv>("VYK_EXE_DIR", exeDir_.string());
        pulseEnv_ = std::make_unique<ScopedEnv>("PULSE_SERVER", (vyk::test::testRoot() / "no-pulse").string());
        vyk::platform::setMessageBoxHook([this](const QString& caption, const QString& text,
                                                vyk::platform::MessageIcon) { boxes_ << caption + ": " + text; });
        QApplication::setQuitOnLastWindowClosed(false);
        bed_.setBetweenUevents([] { QCoreApplication::processEvents(); });
        sim_ = hidrawtest::startSim(2, true);
    }
    void TearDown() override {
        EXPECT_TRUE(TuiThread::WaitForCalls(std::chrono::seconds(10)));
        vyk::platform::setMessageBoxHook({});
        EXPECT_TRUE(boxes_.isEmpty()) << boxes_.join("\n").toStdString();
    }

    void plug(const AccessCase& c) {
        vyk_fake_hidraw_reset();
        if (!c.plugged) return;
        vyk::sim::SimOptions o;
        o.matchingInterfaces = 2;
        o.otherInterface = true;
        nodes_ = bed_.addMouse(o);
        refuse(c.refuseErrno, c.refuseAllNodes);
    }
    // Refuses the open of every node (no rule: all of the mouse's nodes belong to root), or of
    // the first vendor node only.
    void refuse(int err, bool all) {
        for (const HidrawNode& n : nodes_)
            if (all || n.simInterface == vyk::sim::kVendorInterface)
                vyk_fake_hidraw_refuse_open(n.devnode.c_str(), err);
    }
    void unplug() {
        if (!nodes_.empty()) bed_.removeMouse();
        nodes_.clear();
    }
    QString deniedText() const {
        return QString(DEVICE_ACCESS_DENIED_TEXT)
            .arg(QString::fromStdString((exeDir_ / "udev/70-vyk-mouse.rules").string()));
    }

    Testbed bed_;
    fs::path exeDir_;
    std::unique_ptr<ScopedEnv> registryEnv_, docsEnv_, exeEnv_, pulseEnv_;
    QStringList boxes_;
    std::unique_ptr<vyk::sim::MouseSimServer> sim_;
    std::vector<HidrawNode> nodes_;
};

TEST_F(DeviceAccessTest, TheHidComponentTellsAnAbsentMouseFromARefusedOne) {
    TDM dm;  // sets the configuration collection's selector
    for (const AccessCase& c : kCases) {
        SCOPED_TRACE(c.name);
        plug(c);
        TuiHIDData hid;
        auto p = std::make_unique<THIDDataParam>();
        p->UsageAndPage = ConfigUsageAndPage;
        p->DeviceID = QStringLiteral("*");
        EXPECT_EQ(hid.DeviceAccess(*p), c.expected);
        // The presence test keeps its meaning: a mouse it cannot open is not there for it.
        EXPECT_EQ(hid.IsDeviceExist(*p), c.expected == THIDDeviceAccess::Open);
        unplug();
    }
}

// The configuration window with its real link, as the program builds it.
class CfgAccessTest : public DeviceAccessTest {
protected:
    void TearDown() override {
        window_.reset();
        link_.reset();
        dm_.reset();
        DeviceAccessTest::TearDown();
    }
    TVYKCFGMAIN& open() {
        FreeGlobalImageDataBase();
        dm_ = std::make_unique<TDM>();
        link_ = std::make_unique<CfgSystemLink>();
        window_ = std::make_unique<TVYKCFGMAIN>(dm_.get(), link_.get());
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }
    // Clicks APPLY, answers the warning it shows with OK and returns the warning's text.
    QString applyAndTakeWarning() {
        QString text;
        bool shown = false;
        vyk::test::whenModal([&](QWidget* d) {
            shown = true;
            if (auto* label = d->findChild<vyk::config::WrapLabel*>(QStringLiteral("LabelText"))) text = label->text();
            QTest::mouseClick(d->findChild<TImageStateButton*>(QStringLiteral("BTNOK")), Qt::LeftButton);
        });
        QTest::mouseClick(window_->BtnApply, Qt::LeftButton);
        EXPECT_TRUE(waitUntil([&] { return shown; }, 3000)) << "no warning";
        return text;
    }

    vyk::platform::RecordingPointerBackend pointer_;
    vyk::platform::ScopedPointerBackend pointerScope_{&pointer_};
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<CfgSystemLink> link_;
    std::unique_ptr<TVYKCFGMAIN> window_;
};

TEST_F(CfgAccessTest, ApplyNamesTheUdevRuleForARefusedMouseAndAsksForAnAbsentOne) {
    struct Expect {
        const AccessCase& access;
        QString warning;
    };
    const Expect cases[] = {{kCases[0], kConnectText}, {kCases[2], deniedText()}, {kCases[3], deniedText()}};
    for (const Expect& c : cases) {
        SCOPED_TRACE(c.access.name);
        plug(c.access);
        open();
        dm_->SetProfileChanged(0, true);
        sim_->clearLog();
        EXPECT_EQ(applyAndTakeWarning(), c.warning);
        EXPECT_TRUE(sim_->log().empty()) << "nothing reaches the mouse";
        EXPECT_TRUE(dm_->IsProfileChanged(0)) << "the profile stays marked for the next APPLY";
        window_.reset();
        unplug();
    }
}

TEST_F(CfgAccessTest, ApplyWritesOnceTheRuleLetsTheUserOpenTheMouse) {
    plug(kCases[2]);
    open();
    dm_->SetProfileChanged(0, true);
    EXPECT_EQ(applyAndTakeWarning(), deniedText());
    // The rule installed and the mouse plugged in again: the same window writes.
    unplug();
    plug(kCases[1]);
    sim_->clearLog();
    QTest::mouseClick(window_->BtnApply, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !dm_->IsProfileChanged(0); }, 10000)) << "APPLY did not write";
    EXPECT_FALSE(sim_->log().empty());
}

TEST_F(DeviceAccessTest, TheMonitorSaysARefusedMouseInItsTrayUntilItOpens) {
    TDM dm;
    const QString hint = QStringLiteral("GAMING MOUSE DRIVER");
    plug(kCases[2]);
    auto mon = std::make_unique<TVYKMONMAIN>(&dm);
    ASSERT_TRUE(waitUntil([&] { return mon->ReopenCount() == 1; }, 15000));
    EXPECT_TRUE(mon->DeviceAccessDenied());
    EXPECT_EQ(mon->DeviceAccessDeniedMessage(), deniedText());
    EXPECT_EQ(mon->TrayIcon1->toolTip(), hint + '\n' + deniedText());
    EXPECT_EQ(sim_->openHandles(0) + sim_->openHandles(1), 0u) << "no reader on a refused node";

    // Plugged in again after the rule was installed: the reader opens and the hint is plain.
    unplug();
    plug(kCases[1]);
    ASSERT_TRUE(waitUntil([&] { return mon->ReopenCount() == 2; }, 5000));
    EXPECT_FALSE(mon->DeviceAccessDenied());
    EXPECT_EQ(mon->TrayIcon1->toolTip(), hint);
    EXPECT_TRUE(waitUntil([&] { return sim_->openHandles(0) == 1 && sim_->openHandles(1) == 1; }));

    // A mouse that is simply absent is no access problem.
    mon->StopHidRead();
    unplug();
    mon->ReopenHidDevice();
    EXPECT_FALSE(mon->DeviceAccessDenied());
    EXPECT_EQ(mon->TrayIcon1->toolTip(), hint);
    mon.reset();
}

}  // namespace
