#pragma once
// The configuration window built offscreen with its real link, talking to the simulated mouse
// (in-process, on this test's own socket) and to a stand-in monitor endpoint; the desktop's
// pointer settings go to a recording backend, never to the desktop. Shared by the APPLY,
// settings, profile and button-assignment tests.
//
// The simulator's report log is the contract: reports() turns it into short lines, e.g.
// "mode 0", "read 043 1", "answer", "write 290 77", "cmd1 1 0", "cmd4 00 94 FE 03 01",
// "cmd5 1" (" failed" when the mouse answered an error).

#include "config/link/CfgSystemLink.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/window/MainConfig.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/uiThread.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"
#include "platform/ipc/ipc.h"
#include "platform/pointer/recording_pointer_backend.h"
#include "sim/mouse_sim_server.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include <QApplication>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cfgtest {

// The real link with a hook that runs before chosen device writes, to act while the window is
// between two writes.
class HookedLink : public CfgSystemLink {
public:
    // op: "mode", "button", "led", "cpi", "macro", "cmd1"; arg: the profile (or the mode, or
    // the first parameter of the command, or -1). The block writes are those the link's record
    // operations come down to.
    std::function<void(const std::string& op, int arg)> before;

    std::uint32_t SetDeviceWriteMode(std::uint8_t mode) override {
        hook("mode", mode);
        return CfgSystemLink::SetDeviceWriteMode(mode);
    }
    std::uint32_t WriteButtonTable(const TButtonBlock& b, int p) override {
        hook("button", p);
        return CfgSystemLink::WriteButtonTable(b, p);
    }
    std::uint32_t WriteLEDConfig(const TLEDCONFIG& b, int p) override {
        hook("led", p);
        return CfgSystemLink::WriteLEDConfig(b, p);
    }
    std::uint32_t WriteCPITable(const TCPIBlock& b, int p) override {
        hook("cpi", p);
        return CfgSystemLink::WriteCPITable(b, p);
    }
    std::uint32_t WriteMacroTables(const TMacroTables& t) override {
        hook("macro", -1);
        return CfgSystemLink::WriteMacroTables(t);
    }
    std::uint32_t SendProfileCommand(std::uint8_t a, std::uint8_t b) override {
        hook("cmd1", a);
        return CfgSystemLink::SendProfileCommand(a, b);
    }

private:
    void hook(const char* op, int arg) {
        if (before) before(op, arg);
    }
};

inline std::string describe(const vyk::sim::LoggedReport& r) {
    char line[96];
    const auto& b = r.bytes;
    if (r.kind != "SET" || b.size() < 7) {
        std::snprintf(line, sizeof line, "answer");
    } else if (b[1] == 2 || b[1] == 3) {
        std::snprintf(line, sizeof line, "%s %03X %d", b[1] == 2 ? "write" : "read", b[2] | (b[3] << 8),
                      b[4] | (b[5] << 8));
    } else if (b[1] == 6) {
        std::snprintf(line, sizeof line, "mode %d", b[2]);
    } else if (b[1] == 1) {
        std::snprintf(line, sizeof line, "cmd1 %d %d", b[2], b[3]);
    } else if (b[1] == 4) {
        std::snprintf(line, sizeof line, "cmd4 %02X %02X %02X %02X %02X", b[2], b[3], b[4], b[5], b[6]);
    } else if (b[1] == 5) {
        std::snprintf(line, sizeof line, "cmd5 %d", b[2]);
    } else {
        std::snprintf(line, sizeof line, "cmd%d", b[1]);
    }
    std::string s = line;
    if (r.status != 0) s += " failed";
    return s;
}

inline std::vector<std::string> reportsOf(const vyk::sim::MouseSimServer& sim) {
    std::vector<std::string> out;
    for (const auto& r : sim.log()) out.push_back(describe(r));
    return out;
}

// Every file below a folder with its bytes.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& dir) {
    std::map<std::string, std::string> out;
    if (!std::filesystem::exists(dir)) return out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        out[e.path().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return out;
}

class SimWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        using vyk::test::ScopedEnv;
        registry_ = vyk::test::freshDir("registry");
        registryEnv_ = std::make_unique<ScopedEnv>("VYK_REGISTRY_ROOT", registry_.string());
        docsEnv_ = std::make_unique<ScopedEnv>("VYK_DOCUMENTS_DIR", vyk::test::freshDir("documents").string());
        exeEnv_ = std::make_unique<ScopedEnv>("VYK_EXE_DIR", vyk::test::freshDir("exe").string());
        vyk::platform::setErrorReporter([this](const QString& text) {
            errors_.append(text);
            errorAt_.push_back(sim_ ? sim_->log().size() : 0);
        });
        QApplication::setQuitOnLastWindowClosed(false);
        FreeGlobalImageDataBase();

        sim_ = std::make_unique<vyk::sim::MouseSimServer>();
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;

        monitor_ = std::make_unique<vyk::platform::ipc::Endpoint>(MONITOR_MAIN_CLASS_NAME);
        monitor_->setHandler([this](const vyk::platform::ipc::Message& m) -> std::int64_t {
            toMonitor_.push_back(m);
            monitorAt_.push_back(sim_->log().size());
            return 0;
        });
        ASSERT_TRUE(monitor_->listen());
    }
    void TearDown() override {
        EXPECT_TRUE(TuiThread::WaitForCalls(std::chrono::seconds(10))) << "pointer worker still running";
        window_.reset();
        link_.reset();
        dm_.reset();
        monitor_.reset();
        sim_->stop();
        vyk::platform::setErrorReporter({});
        EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    }

    // A new window (and data module) on the stored settings, shown, with the logs cleared:
    // whatever the window did while it came up (its refresh sets the double-click time) is not
    // part of what a test looks at.
    TVYKCFGMAIN& open() {
        window_.reset();
        link_.reset();
        dm_.reset();
        dm_ = std::make_unique<TDM>();
        link_ = std::make_unique<HookedLink>();
        window_ = std::make_unique<TVYKCFGMAIN>(dm_.get(), link_.get());
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        clearLogs();
        return *window_;
    }
    void clearLogs() {
        sim_->clearLog();
        pointer_.clear();
        toMonitor_.clear();
        monitorAt_.clear();
    }
    void clickApply() { QTest::mouseClick(window_->BtnApply, Qt::LeftButton); }
    void clickOK() { QTest::mouseClick(window_->BtnOK, Qt::LeftButton); }
    static void click(QWidget* w, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseClick(w, b, Qt::NoModifier, w->rect().center());
    }
    std::vector<std::string> reports() const { return reportsOf(*sim_); }
    // The changed flags of the five profiles.
    std::vector<bool> flags() const {
        std::vector<bool> f;
        for (int i = 0; i < 5; ++i) f.push_back(dm_->IsProfileChanged(i));
        return f;
    }
    std::vector<std::uint8_t> memory(std::uint32_t address, std::size_t n) const { return sim_->peek(0, address, n); }
    TMOUSECONFIGINFO& config() { return dm_->FCurrentProfileInfo.ConfigInfo; }
    // The current profile as its slot in the data module holds it (what a save-back wrote).
    TMOUSECONFIGINFO slot() {
        auto p = std::make_unique<TMouseProfileInfo>();
        EXPECT_TRUE(dm_->ReadProfileInfo(*p, dm_->FProfileIndex));
        return p->ConfigInfo;
    }
    // A data module started afresh on what was stored reads every profile byte for byte as this
    // one holds it, with nothing to report: what the window produced is taken as it is.
    void expectStoreLoadsUnchanged() {
        auto again = std::make_unique<TDM>();  // DM stays the window's
        EXPECT_TRUE(again->TakeStoreReports().isEmpty());
        auto a = std::make_unique<TMouseProfileInfo>();
        auto b = std::make_unique<TMouseProfileInfo>();
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(dm_->ReadProfileInfo(*a, i));
            ASSERT_TRUE(again->ReadProfileInfo(*b, i));
            EXPECT_EQ(std::memcmp(a.get(), b.get(), sizeof(TMouseProfileInfo)), 0) << "profile " << i;
            EXPECT_FALSE(again->IsProfileChanged(i)) << "profile " << i;
        }
    }
    // Puts changed values into the current profile and refreshes the window, as a profile
    // switch does.
    void refreshWith(const std::function<void(TMOUSECONFIGINFO&)>& edit) {
        edit(dm_->FCurrentProfileInfo.ConfigInfo);
        window_->RefreshAll();
    }

    vyk::platform::RecordingPointerBackend pointer_;
    vyk::platform::ScopedPointerBackend pointerScope_{&pointer_};
    std::filesystem::path registry_;
    std::unique_ptr<vyk::sim::MouseSimServer> sim_;
    std::unique_ptr<vyk::platform::ipc::Endpoint> monitor_;
    std::vector<vyk::platform::ipc::Message> toMonitor_;
    std::vector<std::size_t> monitorAt_;  // the simulator's log size when each message came
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<HookedLink> link_;
    std::unique_ptr<TVYKCFGMAIN> window_;
    QStringList errors_;
    std::vector<std::size_t> errorAt_;  // the simulator's log size when each error came
    std::unique_ptr<vyk::test::ScopedEnv> registryEnv_, docsEnv_, exeEnv_;
};

}  // namespace cfgtest
