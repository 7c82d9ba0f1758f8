// A stand-in for the hook library used by the tests of the hook client. It exports the same
// functions as libuiHook.so and, in addition, lets a test hand chosen events with chosen times
// to the enabled callbacks, set the key state the client reads, and see the calls it received.
// Built without DisableMouseHook (FAKE_HOOK_WITHOUT_DISABLE_MOUSE) it is a library that lacks
// one of its entry points.

#include "platform/hooklib/hook_api.h"

#include <cstring>
#include <string>

using vyk::platform::HookCallback;
using vyk::platform::MouseHookRecord;

namespace {
HookCallback g_keyboard = nullptr;
void* g_keyboardObject = nullptr;
HookCallback g_mouse = nullptr;
void* g_mouseObject = nullptr;
std::uint8_t g_keys[256] = {};
std::string g_log;
char g_logCopy[4096];
}  // namespace

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT int EnableKeyboardHook(HookCallback cb, void* object, int reserved) {
    g_log += reserved == 0 ? "EK " : "EK! ";
    g_keyboard = cb;
    g_keyboardObject = object;
    return 1;
}

FAKE_EXPORT int DisableKeyboardHook() {
    g_log += "DK ";
    g_keyboard = nullptr;
    g_keyboardObject = nullptr;
    return 1;
}

FAKE_EXPORT int EnableMouseHook(HookCallback cb, void* object, int reserved) {
    g_log += reserved == 0 ? "EM " : "EM! ";
    g_mouse = cb;
    g_mouseObject = object;
    return 1;
}

#ifndef FAKE_HOOK_WITHOUT_DISABLE_MOUSE
FAKE_EXPORT int DisableMouseHook() {
    g_log += "DM ";
    g_mouse = nullptr;
    g_mouseObject = nullptr;
    return 1;
}
#endif

FAKE_EXPORT std::int16_t GetHookKeyState(int vk) {
    return (vk >= 0 && vk < 256 && g_keys[vk]) ? static_cast<std::int16_t>(0x8000) : 0;
}

// --- Test controls -------------------------------------------------------------------------------

FAKE_EXPORT void FakeHook_Reset() {
    g_keyboard = g_mouse = nullptr;
    g_keyboardObject = g_mouseObject = nullptr;
    std::memset(g_keys, 0, sizeof g_keys);
    g_log.clear();
}

FAKE_EXPORT int FakeHook_KeyboardEnabled() { return g_keyboard != nullptr ? 1 : 0; }
FAKE_EXPORT int FakeHook_MouseEnabled() { return g_mouse != nullptr ? 1 : 0; }

FAKE_EXPORT void FakeHook_SetKeyDown(int vk, int down) {
    if (vk >= 0 && vk < 256) g_keys[vk] = down ? 1 : 0;
}

// The calls received so far ("EK DK ..."); the log is emptied.
FAKE_EXPORT const char* FakeHook_TakeLog() {
    std::strncpy(g_logCopy, g_log.c_str(), sizeof g_logCopy - 1);
    g_logCopy[sizeof g_logCopy - 1] = '\0';
    g_log.clear();
    return g_logCopy;
}

// Hands one key event to the keyboard callback. Returns the swallow flag it left, or -1 when
// no keyboard hook is enabled.
FAKE_EXPORT int FakeHook_SendKey(int code, unsigned vk, unsigned scan, unsigned flags, unsigned time) {
    if (g_keyboard == nullptr) return -1;
    TKBDLLHOOKSTRUCT rec{vk, scan, flags, time, 0};
    bool swallow = false;
    g_keyboard(g_keyboardObject, code,
               (flags & vyk::platform::KBD_FLAG_UP) ? vyk::platform::MSG_KEYUP : vyk::platform::MSG_KEYDOWN, &rec,
               &swallow);
    return swallow ? 1 : 0;
}

// Hands one mouse event to the mouse callback; the result as for FakeHook_SendKey. The swallow
// flag starts as `initialSwallow`.
FAKE_EXPORT int FakeHook_SendMouse(unsigned message, int x, int y, unsigned mouseData, unsigned flags, unsigned time,
                                   int initialSwallow) {
    if (g_mouse == nullptr) return -1;
    MouseHookRecord rec{x, y, mouseData, flags, time, 0};
    bool swallow = initialSwallow != 0;
    g_mouse(g_mouseObject, 0, message, &rec, &swallow);
    return swallow ? 1 : 0;
}
