// The message end of the real link: the window's socket "TVYKCFGMAIN" exists only while the
// window listens, and stopping never creates it.
#include "config/link/CfgSystemLink.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/window/MainConfig.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/vyk_messages.h"
#include "core/store/DMUnit.h"
#include "platform/ipc/ipc.h"
#include "tests/platform/ipc/ipc_peer_thread.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;
using vyk::test::ScopedEnv;

namespace {

fs::path configSocket() {
    return QFile::encodeName(vyk::platform::ipc::socketPath(CONFIG_MAIN_CLASS_NAME)).toStdString();
}

bool configWindowFound() { return vyk::platform::ipc::findWindow(CONFIG_MAIN_CLASS_NAME); }

TEST(CfgSystemLinkMessages, AnEmptyHandlerStopsListeningAndNeverStartsIt) {
    CfgSystemLink link;
    EXPECT_TRUE(link.ListenForMessages(nullptr));
    EXPECT_FALSE(configWindowFound()) << "stopping a link that was not listening made it listen";
    EXPECT_FALSE(fs::exists(configSocket()));

    std::vector<std::uint32_t> seen;
    ASSERT_TRUE(link.ListenForMessages([&](std::uint32_t msg, std::int64_t, std::int64_t) {
        seen.push_back(msg);
        return std::int64_t{0};
    }));
    ASSERT_TRUE(vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_RESERVED, 0, 0}));
    EXPECT_TRUE(vyk::test::waitUntil([&] { return seen.size() == 1; }));

    EXPECT_TRUE(link.ListenForMessages(nullptr));
    EXPECT_FALSE(configWindowFound());
    EXPECT_FALSE(fs::exists(configSocket()));
    EXPECT_FALSE(vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {WM_CFG_RESERVED, 0, 0}));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), 1u);
}

TEST(CfgSystemLinkMessages, AWindowThatCouldNotListenLeavesNoSocketBehind) {
    ScopedEnv registry("VYK_REGISTRY_ROOT", vyk::test::freshDir("registry").string());
    ScopedEnv docs("VYK_DOCUMENTS_DIR", vyk::test::freshDir("documents").string());
    ScopedEnv exe("VYK_EXE_DIR", vyk::test::freshDir("exe").string());
    FreeGlobalImageDataBase();
    auto dm = std::make_unique<TDM>();
    CfgSystemLink link;  // outlives the window, as a link handed to it does
    std::unique_ptr<TVYKCFGMAIN> window;
    {
        // Another window of the class holds the socket while this one is built.
        vyk::test::IpcPeerThread other(CONFIG_MAIN_CLASS_NAME,
                                       [](const vyk::platform::ipc::Message&) { return std::int64_t{0}; });
        ASSERT_TRUE(other.listening());
        window = std::make_unique<TVYKCFGMAIN>(dm.get(), &link);
    }
    ASSERT_FALSE(configWindowFound());
    window.reset();
    EXPECT_FALSE(configWindowFound()) << "the closing window started to listen";
    EXPECT_FALSE(fs::exists(configSocket()));
}

}  // namespace
