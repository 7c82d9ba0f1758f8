// The real hook library: key and button events from a private X server (Xvfb, typed with
// xdotool), the keyboard grab while keys are swallowed, disabling from inside a callback,
// unloading while hooks are enabled, a lost X connection, and the in-application backend used
// where there is no X server.

#include "tests/platform/hooklib/x_probe.h"
#include "tests/support/test_env.h"
#include "tests/support/xvfb_server.h"

#include "platform/hooklib/hook_api.h"

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <dirent.h>
#include <dlfcn.h>

#include <algorithm>
#include <thread>

#include <vector>

namespace vyk::test {
namespace {

using namespace vyk::platform;

struct KeySeen {
    unsigned vk, scan, flags, time;
};
struct MouseSeen {
    std::uintptr_t message;
    MouseHookRecord rec;
};

// The library and what its callbacks received.
class Library {
public:
    Library() {
        handle_ = dlopen(VYK_REAL_HOOK_DIR "libuiHook.so", RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) ADD_FAILURE() << dlerror();
        enableKeyboard = fn<EnableHookFn>("EnableKeyboardHook");
        disableKeyboard = fn<DisableHookFn>("DisableKeyboardHook");
        enableMouse = fn<EnableHookFn>("EnableMouseHook");
        disableMouse = fn<DisableHookFn>("DisableMouseHook");
        keyState = fn<HookKeyStateFn>("GetHookKeyState");
    }
    ~Library() { unload(); }

    void unload() {
        if (handle_ != nullptr) dlclose(handle_);
        handle_ = nullptr;
    }

    template <class F>
    F fn(const char* name) {
        return handle_ ? reinterpret_cast<F>(dlsym(handle_, name)) : nullptr;
    }

    static void onKey(void* self, int code, std::uintptr_t, const void* rec, bool* swallow) {
        auto* lib = static_cast<Library*>(self);
        EXPECT_EQ(code, 0);
        const auto* k = static_cast<const TKBDLLHOOKSTRUCT*>(rec);
        lib->keys.push_back({k->vkCode, k->scanCode, k->flags, k->time});
        *swallow = lib->swallowKeys;
        if (lib->disableInside) lib->disableKeyboard();
    }
    static void onMouse(void* self, int, std::uintptr_t message, const void* rec, bool*) {
        auto* lib = static_cast<Library*>(self);
        lib->mouse.push_back({message, *static_cast<const MouseHookRecord*>(rec)});
    }

    int hookKeyboard() { return enableKeyboard(&Library::onKey, this, 0); }
    int hookMouse() { return enableMouse(&Library::onMouse, this, 0); }

    EnableHookFn enableKeyboard = nullptr;
    DisableHookFn disableKeyboard = nullptr;
    EnableHookFn enableMouse = nullptr;
    DisableHookFn disableMouse = nullptr;
    HookKeyStateFn keyState = nullptr;
    std::vector<KeySeen> keys;
    std::vector<MouseSeen> mouse;
    bool swallowKeys = false;
    bool disableInside = false;

private:
    void* handle_ = nullptr;
};

using HookLibraryX11 = XvfbTest;

TEST_F(HookLibraryX11, KeysArriveWithKeyCodeScanCodeFlagsAndTime) {
    Library lib;
    ASSERT_EQ(lib.hookKeyboard(), 1);
    ASSERT_TRUE(xdotool({"key", "a"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 2; }));
    EXPECT_EQ(lib.keys[0].vk, 0x41u);
    EXPECT_EQ(lib.keys[0].scan, 0x1Eu);
    // xdotool types through XTEST: software input, marked injected.
    EXPECT_EQ(lib.keys[0].flags, KBD_FLAG_INJECTED);
    EXPECT_EQ(lib.keys[1].flags, KBD_FLAG_INJECTED | KBD_FLAG_UP);
    EXPECT_GE(lib.keys[1].time, lib.keys[0].time);
    EXPECT_GT(lib.keys[0].time, 0u);
    lib.disableKeyboard();
}

TEST_F(HookLibraryX11, ExtendedKeysCarryTheExtendedFlag) {
    struct Case {
        const char* keysym;
        unsigned vk;
        bool extended;
    };
    const Case cases[] = {
        {"Up", 0x26, true},       {"Down", 0x28, true},      {"Left", 0x25, true},      {"Right", 0x27, true},
        {"Home", 0x24, true},     {"End", 0x23, true},       {"Prior", 0x21, true},     {"Next", 0x22, true},
        {"Insert", 0x2D, true},   {"Delete", 0x2E, true},    {"Control_R", 0xA3, true}, {"Alt_R", 0xA5, true},
        {"KP_Enter", 0x0D, true}, {"KP_Divide", 0x6F, true}, {"Return", 0x0D, false},   {"Control_L", 0xA2, false},
        {"Shift_R", 0xA1, false}, {"KP_Home", 0x24, false},  {"F5", 0x74, false},
    };
    Library lib;
    ASSERT_EQ(lib.hookKeyboard(), 1);
    // xdotool may press a modifier of the modifier map around a modifier key (Control_L
    // around Control_R), so look for the key's own press and release.
    auto seen = [&](unsigned vk, bool up) {
        return std::count_if(lib.keys.begin(), lib.keys.end(),
                             [&](const KeySeen& k) { return k.vk == vk && ((k.flags & KBD_FLAG_UP) != 0) == up; });
    };
    for (const Case& c : cases) {
        lib.keys.clear();
        ASSERT_TRUE(xdotool({"key", c.keysym})) << c.keysym;
        ASSERT_TRUE(waitUntil([&] { return seen(c.vk, true) >= 1; })) << c.keysym;
        EXPECT_GE(seen(c.vk, false), 1) << c.keysym;
        for (const KeySeen& k : lib.keys) {
            if (k.vk == c.vk) {
                EXPECT_EQ((k.flags & KBD_FLAG_EXTENDED) != 0, c.extended) << c.keysym;
            }
        }
    }
}

TEST_F(HookLibraryX11, KeyStateFollowsHeldKeys) {
    Library lib;
    ASSERT_EQ(lib.hookKeyboard(), 1);
    ASSERT_TRUE(xdotool({"keydown", "Control_L"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 1; }));
    EXPECT_NE(lib.keyState(0xA2) & 0x8000, 0);
    EXPECT_NE(lib.keyState(0x11) & 0x8000, 0);
    EXPECT_EQ(lib.keyState(0xA3), 0);
    // A hook enabled while the key is held sees it held.
    Library second;
    ASSERT_EQ(second.hookKeyboard(), 1);
    EXPECT_NE(second.keyState(0xA2) & 0x8000, 0);
    ASSERT_TRUE(xdotool({"keyup", "Control_L"}));
    ASSERT_TRUE(waitUntil([&] { return second.keys.size() >= 1; }));
    EXPECT_EQ(second.keyState(0xA2), 0);
    EXPECT_EQ(second.keyState(0x11), 0);
    second.disableKeyboard();
}

TEST_F(HookLibraryX11, MouseButtonsWheelAndXButtonsBecomeMouseMessages) {
    Library lib;
    ASSERT_TRUE(xdotool({"mousemove", "100", "200"}));
    ASSERT_EQ(lib.hookMouse(), 1);
    struct Case {
        const char* button;
        std::uintptr_t down, up;
        int data;
    };
    const Case cases[] = {
        {"1", MSG_LBUTTONDOWN, MSG_LBUTTONUP, 0}, {"3", MSG_RBUTTONDOWN, MSG_RBUTTONUP, 0},
        {"2", MSG_MBUTTONDOWN, MSG_MBUTTONUP, 0}, {"8", MSG_XBUTTONDOWN, MSG_XBUTTONUP, 1},
        {"9", MSG_XBUTTONDOWN, MSG_XBUTTONUP, 2},
    };
    for (const Case& c : cases) {
        lib.mouse.clear();
        ASSERT_TRUE(xdotool({"click", c.button}));
        ASSERT_TRUE(waitUntil([&] { return lib.mouse.size() >= 2; })) << c.button;
        EXPECT_EQ(lib.mouse[0].message, c.down) << c.button;
        EXPECT_EQ(lib.mouse[1].message, c.up) << c.button;
        EXPECT_EQ(lib.mouse[0].rec.mouseData >> 16, static_cast<unsigned>(c.data)) << c.button;
        EXPECT_EQ(lib.mouse[0].rec.x, 100);
        EXPECT_EQ(lib.mouse[0].rec.y, 200);
        EXPECT_EQ(lib.mouse[0].rec.flags, MOUSE_FLAG_INJECTED);
    }
    // One wheel notch is one wheel message: up +120, down -120.
    for (const auto& [button, delta] : {std::pair{"4", 120}, std::pair{"5", -120}}) {
        lib.mouse.clear();
        ASSERT_TRUE(xdotool({"click", button, "click", "1"}));
        ASSERT_TRUE(waitUntil([&] { return lib.mouse.size() >= 3; })) << button;
        EXPECT_EQ(lib.mouse[0].message, MSG_MOUSEWHEEL);
        EXPECT_EQ(static_cast<std::int16_t>(lib.mouse[0].rec.mouseData >> 16), delta);
        EXPECT_EQ(lib.mouse[1].message, MSG_LBUTTONDOWN);
    }
    // Relative motion gives raw motion events (XTEST's absolute moves give none).
    lib.mouse.clear();
    ASSERT_TRUE(xdotool({"mousemove_relative", "--", "200", "200"}));
    ASSERT_TRUE(waitUntil([&] { return !lib.mouse.empty() && lib.mouse.back().rec.x == 300; }));
    EXPECT_EQ(lib.mouse.back().message, MSG_MOUSEMOVE);
    EXPECT_EQ(lib.mouse.back().rec.y, 400);
    lib.disableMouse();
}

TEST_F(HookLibraryX11, SwallowedKeysGrabTheKeyboardUntilLetThroughOrDisabled) {
    Library lib;
    ASSERT_EQ(lib.hookKeyboard(), 1);
    EXPECT_TRUE(keyboardGrabbable(server_->display()));
    lib.swallowKeys = true;
    ASSERT_TRUE(xdotool({"key", "a"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 2; }));
    EXPECT_FALSE(keyboardGrabbable(server_->display()));
    // Keys keep arriving during the grab.
    ASSERT_TRUE(xdotool({"key", "b"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 4; }));
    EXPECT_EQ(lib.keys[2].vk, 0x42u);
    // A key press let through ends the grab.
    lib.swallowKeys = false;
    ASSERT_TRUE(xdotool({"key", "c"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 6; }));
    EXPECT_TRUE(keyboardGrabbable(server_->display()));
    // And so does disabling.
    lib.swallowKeys = true;
    ASSERT_TRUE(xdotool({"key", "d"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 8; }));
    EXPECT_FALSE(keyboardGrabbable(server_->display()));
    lib.disableKeyboard();
    EXPECT_TRUE(keyboardGrabbable(server_->display()));
}

TEST_F(HookLibraryX11, AThreadWithoutAnEventLoopCannotEnableAHook) {
    Library lib;
    int keyboard = -1;
    int mouse = -1;
    std::thread t([&] {
        keyboard = lib.hookKeyboard();
        mouse = lib.hookMouse();
    });
    t.join();
    EXPECT_EQ(keyboard, 0);
    EXPECT_EQ(mouse, 0);
    EXPECT_EQ(lib.keyState(0x41), 0);
    // The thread that has one still can.
    ASSERT_EQ(lib.hookKeyboard(), 1);
    ASSERT_TRUE(xdotool({"key", "a"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 2; }));
    lib.disableKeyboard();
}

TEST_F(HookLibraryX11, DisablingInsideTheCallbackStopsFurtherEvents) {
    Library lib;
    ASSERT_EQ(lib.hookKeyboard(), 1);
    lib.disableInside = true;
    ASSERT_TRUE(xdotool({"key", "a", "key", "b"}));
    ASSERT_TRUE(waitUntil([&] { return !lib.keys.empty(); }));
    // Enabling again works, and only the new hook is called: the release of A and both
    // events of B, typed after the press that disabled the hook, never arrive.
    lib.disableInside = false;
    ASSERT_EQ(lib.hookKeyboard(), 1);
    ASSERT_TRUE(xdotool({"key", "c"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 3; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(lib.keys.size(), 3u);
    EXPECT_EQ(lib.keys[0].vk, 0x41u);
    EXPECT_EQ(lib.keys[0].flags & KBD_FLAG_UP, 0u);
    EXPECT_EQ(lib.keys[1].vk, 0x43u);
    EXPECT_EQ(lib.keys[2].vk, 0x43u);
    EXPECT_EQ(lib.keys[2].flags & KBD_FLAG_UP, KBD_FLAG_UP);
    lib.disableKeyboard();
}

TEST_F(HookLibraryX11, UnloadingWithHooksEnabledLeavesNothingBehind) {
    const int before = vyk::test::openDescriptorCount();
    Library lib;
    ASSERT_EQ(lib.hookKeyboard(), 1);
    ASSERT_EQ(lib.hookMouse(), 1);
    EXPECT_GT(vyk::test::openDescriptorCount(), before);
    lib.unload();  // no Disable first
    EXPECT_EQ(vyk::test::openDescriptorCount(), before);
    // Events after the unload reach nothing (a callback into freed code would crash here).
    ASSERT_TRUE(xdotool({"key", "a", "click", "1"}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(lib.keys.empty());
    EXPECT_TRUE(lib.mouse.empty());
}

TEST_F(HookLibraryX11, ALostServerEndsTheHookCleanly) {
    Library lib;
    const int before = vyk::test::openDescriptorCount();
    ASSERT_EQ(lib.hookKeyboard(), 1);
    ASSERT_TRUE(xdotool({"key", "a"}));
    ASSERT_TRUE(waitUntil([&] { return lib.keys.size() >= 2; }));
    server_->stop();
    // The library notices, closes its connection and the program runs on.
    ASSERT_TRUE(waitUntil([&] { return vyk::test::openDescriptorCount() == before; }));
    EXPECT_EQ(lib.disableKeyboard(), 1);
    EXPECT_EQ(lib.keyState(0x41), 0);
}

// Without an X server the library watches our own windows.
TEST(HookLibraryInApplication, KeysOfOurOwnWindowsAreSeenAndCanBeSwallowed) {
    ASSERT_EQ(std::getenv("DISPLAY"), nullptr);
    struct Counting : QWidget {
        int keys = 0;
        void keyPressEvent(QKeyEvent*) override { ++keys; }
    } widget;
    widget.show();
    QWindow* window = widget.windowHandle();
    ASSERT_NE(window, nullptr);

    Library lib;
    ASSERT_EQ(lib.hookKeyboard(), 1);
    auto send = [&](QEvent::Type type, int qtKey, quint32 nativeScanCode, quint32 keysym) {
        QKeyEvent e(type, qtKey, Qt::NoModifier, nativeScanCode, keysym, 0);
        QCoreApplication::sendEvent(window, &e);
    };
    send(QEvent::KeyPress, Qt::Key_A, 38, 'a');
    send(QEvent::KeyRelease, Qt::Key_A, 38, 'a');
    send(QEvent::KeyPress, Qt::Key_PageUp, 81, 0xff9a);  // keypad 9 without Num Lock
    send(QEvent::KeyPress, Qt::Key_Up, 111, 0xff52);     // the arrow: extended
    ASSERT_EQ(lib.keys.size(), 4u);
    EXPECT_EQ(lib.keys[0].vk, 0x41u);
    EXPECT_EQ(lib.keys[0].scan, 0x1Eu);
    EXPECT_EQ(lib.keys[1].flags & KBD_FLAG_UP, KBD_FLAG_UP);
    EXPECT_EQ(lib.keys[2].vk, 0x21u);
    EXPECT_EQ(lib.keys[2].flags & KBD_FLAG_EXTENDED, 0u);
    EXPECT_EQ(lib.keys[3].vk, 0x26u);
    EXPECT_EQ(lib.keys[3].flags & KBD_FLAG_EXTENDED, KBD_FLAG_EXTENDED);
    const int reached = widget.keys;
    EXPECT_GT(reached, 0);

    lib.swallowKeys = true;
    send(QEvent::KeyPress, Qt::Key_B, 56, 'b');
    EXPECT_EQ(lib.keys.back().vk, 0x42u);
    EXPECT_EQ(widget.keys, reached);  // kept from the window

    lib.disableKeyboard();
    send(QEvent::KeyPress, Qt::Key_C, 54, 'c');
    EXPECT_EQ(lib.keys.back().vk, 0x42u);
    EXPECT_EQ(widget.keys, reached + 1);
}

}  // namespace
}  // namespace vyk::test
