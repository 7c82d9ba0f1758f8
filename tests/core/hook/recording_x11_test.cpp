// The hook client with the real hook library and real X events (a private Xvfb, typed with
// xdotool): single keys, combinations with modifiers, a macro with its delays, the keyboard
// grab while a recorder swallows keys, and a client that goes away with its hooks enabled.

#include "tests/core/hook/real_hook_x11_fixture.h"
#include "tests/platform/hooklib/x_probe.h"

#include "core/hook/uiHook.h"

#include <dirent.h>

#include <tuple>

namespace vyk::test {
namespace {

using HookRecordingX11 = RealHookX11Test;

TEST_F(HookRecordingX11, SingleKeysWithTheirStatesAndExtendedFlag) {
    TuiHook hook;
    ASSERT_TRUE(hook.DLLLoaded());
    EXPECT_TRUE(boxes.empty());
    std::vector<std::tuple<int, int, int, QString>> seen;
    hook.OnRecordKeyboardSingleKey = [&](int key, std::uint32_t, int state, int ext, const QString& text, bool&) {
        seen.emplace_back(key, state, ext, text);
    };
    hook.RecordKeyboardSingleKey();
    ASSERT_TRUE(xdotool({"key", "a", "key", "Right", "key", "KP_Enter"}));
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 6; }));
    EXPECT_EQ(seen[0], std::make_tuple(0x41, 1, 0, QString("A")));
    EXPECT_EQ(seen[1], std::make_tuple(0x41, 0, 0, QString("A")));
    EXPECT_EQ(seen[2], std::make_tuple(0x27, 1, 1, QString("RIGHT ARROW")));
    EXPECT_EQ(seen[3], std::make_tuple(0x27, 0, 1, QString("RIGHT ARROW")));
    EXPECT_EQ(seen[4], std::make_tuple(0x0D, 1, 1, QString("ENTER")));
    hook.StopRecordKeyboardSingleKey();
}

TEST_F(HookRecordingX11, CombinationsWithModifiers) {
    TuiHook hook;
    std::vector<std::tuple<int, int, int, int, QString>> seen;
    hook.OnRecordKeyboardComboKey = [&](int k1, int e1, int k2, int, int mod, const QString& text) {
        seen.emplace_back(k1, e1, k2, mod, text);
    };
    hook.RecordKeyboardComboKey();
    ASSERT_TRUE(xdotool({"key", "ctrl+a"}));
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 1; }));
    EXPECT_EQ(seen[0], std::make_tuple(0x41, 0, 0, 2, QString("Ctrl+A")));
    ASSERT_TRUE(xdotool({"sleep", "0.2", "key", "shift+alt+Home"}));
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen[1], std::make_tuple(0x24, 1, 0, 5, QString("Alt+Shift+HOME")));
    hook.StopRecordKeyboardComboKey();
}

TEST_F(HookRecordingX11, MacroWithDelaysAndTheKeyboardHeldFromOtherPrograms) {
    TuiHook hook;
    hook.OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, std::uint32_t, const QString&, const QString&,
                                         TMacroKeyList&) {};
    std::vector<std::tuple<int, int, int>> stopped;
    hook.OnStopRecordKeyboardMacroKey = [&](TMacroKeyList& list) {
        for (int i = 0; i < list.Count(); ++i) {
            const TMACROKEYHOOK& k = list.Objects(i)->FMacroKey;
            stopped.emplace_back(k.nKeyType, k.nKeyState, k.nKeyValue);
        }
    };
    hook.RecordKeyboardMacroKeyEx();
    ASSERT_TRUE(xdotool({"keydown", "a", "sleep", "0.3", "keyup", "a"}));
    ASSERT_TRUE(waitUntil([&] { return hook.MacroKeyList().Count() >= 3; }));
    // The recorder swallows keys: while it records, other programs cannot have the keyboard.
    EXPECT_FALSE(keyboardGrabbable(server_->display()));
    hook.StopRecordKeyboardMacroKeyEx();
    EXPECT_TRUE(keyboardGrabbable(server_->display()));

    ASSERT_EQ(stopped.size(), 3u);
    EXPECT_EQ(stopped[0], std::make_tuple(1, 1, 0x41));
    EXPECT_EQ(std::get<0>(stopped[1]), 0);
    EXPECT_GE(std::get<2>(stopped[1]), 250);  // the X server's clock: about 300 ms
    EXPECT_LE(std::get<2>(stopped[1]), 5000);
    EXPECT_EQ(stopped[2], std::make_tuple(1, 0, 0x41));
}

TEST_F(HookRecordingX11, AClientDestroyedWhileRecordingLeavesNoHookBehind) {
    const int before = vyk::test::openDescriptorCount();
    {
        TuiHook hook;
        hook.OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, std::uint32_t, const QString&, const QString&,
                                             TMacroKeyList&) {};
        hook.OnRecordMouseMacroKey = [](int, TMouseButtons, int, std::uint16_t, std::uint16_t, double, const QString&,
                                        const QString&, TMouseMacroKeyList&) {};
        hook.RecordKeyboardMacroKeyEx();
        hook.RecordMouseMacro();
        ASSERT_TRUE(xdotool({"key", "a"}));
        ASSERT_TRUE(waitUntil([&] { return hook.MacroKeyList().Count() >= 2; }));
    }
    EXPECT_EQ(vyk::test::openDescriptorCount(), before);
    EXPECT_TRUE(keyboardGrabbable(server_->display()));
    ASSERT_TRUE(xdotool({"key", "b", "click", "1"}));
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace vyk::test
