#pragma once
// Shared by the APPLY tests: the configuration window built offscreen with its real link,
// talking to the simulated mouse (in-process, on this test's own socket) and to a stand-in
// monitor endpoint; pointer settings go to a recording backend, never to the desktop.
//
// The simulator's report log is the contract: reportsOf() turns it into short lines, e.g.
// "mode 0", "read 043 1", "answer", "write 290 77", "cmd1 1 0" (" failed" when the mouse
// answered an error).

#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/window/CfgSystemLink.h"
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
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace applytest {

// The real link with a hook that runs before chosen device operations, to act while APPLY is
// between two writes.
class HookedLink : public CfgSystemLink {
public:
    // op: "mode", "button", "led", "cpi", "rate", "macro", "active", "cmd1"; arg: the profile
    // (or the mode, or -1).
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
    char line[64];
    const auto& b = r.bytes;
    if (r.kind != "SET" || b.size() < 6) {
        std::snprintf(line, sizeof line, "answer");
    } else if (b[1] == 2 || b[1] == 3) {
        std::snprintf(line, sizeof line, "%s %03X %d", b[1] == 2 ? "write" : "read", b[2] | (b[3] << 8),
                      b[4] | (b[5] << 8));
    } else if (b[1] == 6) {
        std::snprintf(line, sizeof line, "mode %d", b[2]);
    } else if (b[1] == 1) {
        std::snprintf(line, sizeof line, "cmd1 %d %d", b[2], b[3]);
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

// The reports of one profile's blocks and its rate byte.
inline std::vector<std::string> profileWrites(int p) {
    char a[32], b[32], c[32], d[32];
    std::snprintf(a, sizeof a, "write %03X 77", p * 0x100 + 0x90);
    std::snprintf(b, sizeof b, "write %03X 6", p * 0x100 + 0xF1);
    std::snprintf(c, sizeof c, "write %03X 42", p * 0x100 + 0x4F);
    std::snprintf(d, sizeof d, "write %03X 1", 0x48 + p);
    return {a, b, c, d};
}

// The start of every APPLY with the mouse's active profile p: write mode 0, the read-back.
inline std::vector<std::string> applyStart(int activeProfile = 0) {
    char r[32];
    std::snprintf(r, sizeof r, "read %03X 42", activeProfile * 0x100 + 0x4F);
    return {"mode 0", "read 043 1", "answer", r, "answer"};
}

inline std::vector<std::string> applyEnd() { return {"write 043 1", "mode 1", "cmd1 1 0"}; }

inline std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class ApplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        using vyk::test::ScopedEnv;
        registryEnv_ = std::make_unique<ScopedEnv>("VYK_REGISTRY_ROOT", vyk::test::freshDir("registry").string());
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

    TVYKCFGMAIN& open() {
        window_.reset();
        link_.reset();
        dm_.reset();
        dm_ = std::make_unique<TDM>();
        link_ = std::make_unique<HookedLink>();
        window_ = std::make_unique<TVYKCFGMAIN>(dm_.get(), link_.get());
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        // Whatever the window did while it came up (its refresh sets the double-click time) is
        // not part of APPLY.
        sim_->clearLog();
        pointer_.clear();
        return *window_;
    }
    void clickApply() { QTest::mouseClick(window_->BtnApply, Qt::LeftButton); }
    void clickOK() { QTest::mouseClick(window_->BtnOK, Qt::LeftButton); }
    std::vector<std::string> reports() const { return reportsOf(*sim_); }
    std::vector<bool> flags() const {
        std::vector<bool> f;
        for (int i = 0; i < 5; ++i) f.push_back(dm_->IsProfileChanged(i));
        return f;
    }
    std::vector<std::uint8_t> memory(std::uint32_t address, std::size_t n) const { return sim_->peek(0, address, n); }

    vyk::platform::RecordingPointerBackend pointer_;
    vyk::platform::ScopedPointerBackend pointerScope_{&pointer_};
    std::unique_ptr<vyk::sim::MouseSimServer> sim_;
    std::unique_ptr<vyk::platform::ipc::Endpoint> monitor_;
    std::vector<vyk::platform::ipc::Message> toMonitor_;
    std::vector<std::size_t> monitorAt_;  // the simulator's log size when each message came
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<HookedLink> link_;
    std::unique_ptr<TVYKCFGMAIN> window_;
    QStringList errors_;
    std::vector<std::size_t> errorAt_;
    std::unique_ptr<vyk::test::ScopedEnv> registryEnv_, docsEnv_, exeEnv_;
};

}  // namespace applytest
