#pragma once
// Shared by the monitor tests: the monitor's surroundings in a test process.
//  - an executable folder with the hook library, a language file of two languages and
//    (optionally) the shipped tray icon;
//  - the simulated mouse, in-process, on this test's socket;
//  - a private PulseAudio daemon whose null source "mic" is the microphone;
//  - a stand-in for the configuration program that speaks the documented messages;
//  - helpers that change what the configuration program would have saved.

#include "core/defs/pubunit_norvane.h"
#include "core/defs/vyk_messages.h"
#include "core/language/vgLang.h"
#include "core/store/DMUnit.h"
#include "platform/dialogs/message_box.h"
#include "platform/ipc/ipc.h"
#include "platform/registry/registry.h"
#include "sim/mouse_sim_server.h"
#include "tests/platform/audio/pulse_test_daemon.h"
#include "tests/platform/ipc/ipc_peer_thread.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

namespace montest {

namespace fs = std::filesystem;
using vyk::platform::ipc::Message;

// The configuration program as the monitor sees it: answers WM_CFG_SWITCH_PROFILE by sending
// WM_CFG_SETTINGS_APPLIED back (as its profile switch does) and records every message.
class CfgStandIn {
public:
    struct Seen {
        std::uint32_t msg;
        std::int64_t wParam;
        std::int64_t lParam;
        bool replyDelivered;  // for 7040: the 7035 it sent back was handled
    };

    explicit CfgStandIn(bool answer = true)
        : peer_(CONFIG_MAIN_CLASS_NAME, [this, answer](const Message& m) -> std::int64_t {
              bool delivered = false;
              if (m.msg == WM_CFG_SWITCH_PROFILE && answer) {
                  delivered = vyk::platform::ipc::sendMessage(MONITOR_MAIN_CLASS_NAME,
                                                              {WM_CFG_SETTINGS_APPLIED, 1, m.wParam}) ==
                              vyk::platform::ipc::SendStatus::Delivered;
              }
              std::lock_guard l(mutex_);
              seen_.push_back({m.msg, m.wParam, m.lParam, delivered});
              return 0;
          }) {}

    bool listening() const { return peer_.listening(); }
    // Runs fn on the stand-in's thread (for example a send of its own) without waiting.
    void runLater(std::function<void()> fn) { peer_.runLater(std::move(fn)); }

    std::vector<Seen> seen() {
        std::lock_guard l(mutex_);
        return seen_;
    }
    std::vector<Seen> seen(std::uint32_t msg) {
        std::vector<Seen> out;
        for (const auto& s : seen())
            if (s.msg == msg) out.push_back(s);
        return out;
    }
    std::size_t count() {
        std::lock_guard l(mutex_);
        return seen_.size();
    }

private:
    std::mutex mutex_;
    std::vector<Seen> seen_;
    vyk::test::IpcPeerThread peer_;
};

// A language file with English (0409) and a second language (0804) that translates the
// monitor's texts.
inline void writeLanguageFile(const fs::path& file) {
    TvgLang lang;
    const QStringList texts{"GAMING MOUSE DRIVER", "GAMING MOUSE MONITOR", "Config", "About", "Exit"};
    for (const QString& t : texts) lang.Original().Add(t);
    lang.AddLang("0409");
    lang.AddLang("0804");
    const QStringList zh{"MOUSE DRIVER (zh)", "MOUSE MONITOR (zh)", "Config (zh)", "About (zh)", "Exit (zh)"};
    for (int i = 0; i < texts.size(); ++i) lang.Resources()[1].Table.SetValue(texts[i], zh[i]);
    lang.SaveToFile(QString::fromStdString(file.string()));
}

// An executable folder for the monitor: the hook library from the build, our language file
// and, when asked, the shipped tray icon.
inline fs::path makeExeDir(bool withIcon) {
    const fs::path dir = vyk::test::freshDir("exe-mon");
    const fs::path bin = VYK_TEST_BIN_DIR;
    std::error_code ec;
    fs::create_symlink(bin / "libuiHook.so", dir / "libuiHook.so", ec);
    writeLanguageFile(dir / "ui.local");
    if (withIcon) {
        fs::create_directories(dir / "images/0409/icons");
        fs::copy_file(fs::path(VYK_TEST_BIN_DIR) / "images/0409/icons/logo.ico", dir / "images/0409/icons/logo.ico");
    }
    return dir;
}

inline bool havePulse() {
    return !QStandardPaths::findExecutable("pulseaudio").isEmpty() &&
           !QStandardPaths::findExecutable("pactl").isEmpty();
}

// What the configuration program saves: the function of a button in a stored profile, as the
// assignment menu writes it (only the microphone mute is used here).
inline void storeButtonFunction(TDM& dm, int profile, int button, std::uint16_t functionIndex) {
    auto info = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm.ReadProfileInfo(*info, profile));
    ASSERT_EQ(functionIndex, MICROPHONE_MUTE_FUNCTION_INDEX);
    TBUTTONFUNCINFO& b = info->ConfigInfo.ButtonFuncInfo[button];
    b.FunctionIndex = functionIndex;
    b.FunctionType = FUNCTION_TYPE_MIC_MUTE;
    b.FunctionCode = ButtonFunctionTable[functionIndex].FunctionCode;
    b.MenuID = ButtonFunctionTable[functionIndex].MenuID;
    const auto& mask = ButtonMaskTable[static_cast<std::size_t>(button)];
    std::copy(mask.begin() + 1, mask.end(), b.ButtonMask);
    TuiProfile* slot = dm.FProfileGroup[static_cast<std::size_t>(profile)];
    auto key = vyk::platform::RegistryKey::open(slot->RootKey(), slot->KeyPath(), true);
    ASSERT_TRUE(key.has_value());
    key->writeBinary(slot->FileName(), info.get(), sizeof *info);
}

// What the configuration program saves when the user picks another language.
inline void storeLanguageIndex(TDM& dm, std::uint8_t index) {
    auto key = vyk::platform::RegistryKey::open(vyk::platform::RegistryRoot::CurrentUser, dm.ProfileRegFolder(), true);
    ASSERT_TRUE(key.has_value());
    auto bytes = key->readBinary(QStringLiteral("allsettings.pfd"));
    ASSERT_TRUE(bytes.has_value());
    ASSERT_GE(bytes->size(), 30953);
    (*bytes)[30952] = static_cast<char>(index);
    key->writeBinary(QStringLiteral("allsettings.pfd"), *bytes);
}

inline std::optional<std::uint32_t> storedProfileID(TDM& dm) {
    auto key = vyk::platform::RegistryKey::open(vyk::platform::RegistryRoot::CurrentUser, dm.ProfileRegFolder(), false);
    if (!key) return std::nullopt;
    return key->readDword(QStringLiteral("ProfileID"));
}

inline std::vector<std::uint8_t> report(std::initializer_list<int> bytes) {
    std::vector<std::uint8_t> v;
    for (int b : bytes) v.push_back(static_cast<std::uint8_t>(b));
    return v;
}

}  // namespace montest
