#pragma once
// Shared by the settings tests: the configuration window built offscreen with its real link,
// talking to the simulated mouse (in-process) and to a stand-in monitor endpoint; the desktop's
// pointer settings go to a recording backend. The simulator's report log is the contract:
// reports() turns it into short lines ("write 04F 42", "cmd1 1 0", "cmd4 00 94 FE 03 01").

#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
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
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace settingstest {

// The real link with a hook that runs before a DPI block write, to act while it is under way.
class HookedLink : public CfgSystemLink {
public:
    std::function<void()> beforeCPIWrite;
    std::uint32_t WriteCPITable(const TCPIBlock& b, int p) override {
        if (beforeCPIWrite) beforeCPIWrite();
        return CfgSystemLink::WriteCPITable(b, p);
    }
};

inline std::string describe(const vyk::sim::LoggedReport& r) {
    const auto& b = r.bytes;
    char line[96];
    if (r.kind != "SET" || b.size() < 7) {
        std::snprintf(line, sizeof line, "answer");
    } else if (b[1] == 2 || b[1] == 3) {
        std::snprintf(line, sizeof line, "%s %03X %d", b[1] == 2 ? "write" : "read", b[2] | (b[3] << 8),
                      b[4] | (b[5] << 8));
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

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        using vyk::test::ScopedEnv;
        registry_ = vyk::test::freshDir("registry");
        registryEnv_ = std::make_unique<ScopedEnv>("VYK_REGISTRY_ROOT", registry_.string());
        docsEnv_ = std::make_unique<ScopedEnv>("VYK_DOCUMENTS_DIR", vyk::test::freshDir("documents").string());
        exeEnv_ = std::make_unique<ScopedEnv>("VYK_EXE_DIR", vyk::test::freshDir("exe").string());
        vyk::platform::setErrorReporter([this](const QString& text) { errors_.append(text); });
        QApplication::setQuitOnLastWindowClosed(false);
        FreeGlobalImageDataBase();

        sim_ = std::make_unique<vyk::sim::MouseSimServer>();
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
        monitor_ = std::make_unique<vyk::platform::ipc::Endpoint>(MONITOR_MAIN_CLASS_NAME);
        monitor_->setHandler([this](const vyk::platform::ipc::Message& m) -> std::int64_t {
            toMonitor_.push_back(m);
            return 0;
        });
        ASSERT_TRUE(monitor_->listen());
    }
    void TearDown() override {
        EXPECT_TRUE(TuiThread::WaitForCalls(std::chrono::seconds(10)));
        window_.reset();
        link_.reset();
        dm_.reset();
        monitor_.reset();
        sim_->stop();
        vyk::platform::setErrorReporter({});
        EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    }

    // The window, shown on the given tab (0 GENERAL, 1 DPI, 2 LIGHT), with the logs cleared.
    TVYKCFGMAIN& open(int tab) {
        dm_ = std::make_unique<TDM>();
        link_ = std::make_unique<HookedLink>();
        window_ = std::make_unique<TVYKCFGMAIN>(dm_.get(), link_.get());
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        TImageStateButton* tabs[] = {window_->BtnMainConfig, window_->BtnCPI, window_->BtnColor};
        QTest::mouseClick(tabs[tab], Qt::LeftButton);
        clearLogs();
        return *window_;
    }
    void clearLogs() {
        sim_->clearLog();
        pointer_.clear();
        toMonitor_.clear();
    }
    // Puts changed values into the current profile and refreshes the window, as a profile
    // switch does.
    void refreshWith(const std::function<void(TMOUSECONFIGINFO&)>& edit) {
        edit(dm_->FCurrentProfileInfo.ConfigInfo);
        window_->RefreshAll();
    }
    TMOUSECONFIGINFO& config() { return dm_->FCurrentProfileInfo.ConfigInfo; }
    // The current profile as its slot in the data module holds it (what a save-back wrote).
    TMOUSECONFIGINFO slot() {
        auto p = std::make_unique<TMouseProfileInfo>();
        EXPECT_TRUE(dm_->ReadProfileInfo(*p, dm_->FProfileIndex));
        return p->ConfigInfo;
    }
    std::vector<std::string> reports() const {
        std::vector<std::string> out;
        for (const auto& r : sim_->log()) out.push_back(describe(r));
        return out;
    }
    static void click(QWidget* w, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseClick(w, b, Qt::NoModifier, w->rect().center());
    }

    vyk::platform::RecordingPointerBackend pointer_;
    vyk::platform::ScopedPointerBackend pointerScope_{&pointer_};
    std::filesystem::path registry_;
    std::unique_ptr<vyk::sim::MouseSimServer> sim_;
    std::unique_ptr<vyk::platform::ipc::Endpoint> monitor_;
    std::vector<vyk::platform::ipc::Message> toMonitor_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<HookedLink> link_;
    std::unique_ptr<TVYKCFGMAIN> window_;
    QStringList errors_;
    std::unique_ptr<vyk::test::ScopedEnv> registryEnv_, docsEnv_, exeEnv_;
};

}  // namespace settingstest
