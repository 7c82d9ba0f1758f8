#pragma once
// The interface of the hook library (libuiHook.so): the records handed to a hook callback,
// the callback's form and the exported functions. The library is loaded at run time; this
// header is shared by the library, the hook client and the test doubles.
//
// A hook is enabled with a callback and an object pointer; together they form the "method
// reference" the library calls back. One keyboard and one mouse hook are active at most:
// enabling replaces the previous one of its kind. Callbacks run on the thread that enabled the
// hook, from that thread's event loop.

#include <cstdint>

// The low-level keyboard record: Windows virtual-key code, set-1 scan code, flags, event
// time in milliseconds (32-bit, wraps) and extra information.
struct TKBDLLHOOKSTRUCT {
    std::uint32_t vkCode;
    std::uint32_t scanCode;
    std::uint32_t flags;
    std::uint32_t time;
    std::uint32_t dwExtraInfo;
};

namespace vyk::platform {

// Flags of TKBDLLHOOKSTRUCT.
constexpr std::uint32_t KBD_FLAG_EXTENDED = 0x01;
constexpr std::uint32_t KBD_FLAG_INJECTED = 0x10;
constexpr std::uint32_t KBD_FLAG_UP = 0x80;

// The low-level mouse record: pointer position on the screen, mouse data (high word: wheel
// delta for the wheel messages, 1 or 2 for the X buttons), flags, time, extra information.
struct MouseHookRecord {
    std::int32_t x;
    std::int32_t y;
    std::uint32_t mouseData;
    std::uint32_t flags;
    std::uint32_t time;
    std::uint32_t extraInfo;
};

// Flags of MouseHookRecord.
constexpr std::uint32_t MOUSE_FLAG_INJECTED = 0x01;

// Mouse messages passed as the callback's message argument.
constexpr std::uintptr_t MSG_MOUSEMOVE = 0x200;
constexpr std::uintptr_t MSG_LBUTTONDOWN = 0x201;
constexpr std::uintptr_t MSG_LBUTTONUP = 0x202;
constexpr std::uintptr_t MSG_RBUTTONDOWN = 0x204;
constexpr std::uintptr_t MSG_RBUTTONUP = 0x205;
constexpr std::uintptr_t MSG_MBUTTONDOWN = 0x207;
constexpr std::uintptr_t MSG_MBUTTONUP = 0x208;
constexpr std::uintptr_t MSG_MOUSEWHEEL = 0x20A;
constexpr std::uintptr_t MSG_XBUTTONDOWN = 0x20B;
constexpr std::uintptr_t MSG_XBUTTONUP = 0x20C;
constexpr std::uintptr_t MSG_MOUSEHWHEEL = 0x20E;

// Keyboard messages passed for key events (the client does not examine them).
constexpr std::uintptr_t MSG_KEYDOWN = 0x100;
constexpr std::uintptr_t MSG_KEYUP = 0x101;

// The delta of one wheel notch.
constexpr int WHEEL_DELTA = 120;

// The hook callback: object, hook code (always 0 here), message, address of the keyboard or
// mouse record, and the swallow flag. The flag starts false; a callback that leaves it true
// asks the library to keep the event from other programs (see docs/hook.md for what X11
// allows).
using HookCallback = void (*)(void* object, int code, std::uintptr_t message, const void* record, bool* swallow);

// The exported functions, as looked up by name.
using EnableHookFn = int (*)(HookCallback callback, void* object, int reserved);
using DisableHookFn = int (*)();
// Optional export: the library's view of a key's state, in the form of GetKeyState (high bit
// of the 16-bit result set while the key is down).
using HookKeyStateFn = std::int16_t (*)(int vk);

inline constexpr const char* HOOK_LIBRARY_NAME = "libuiHook.so";
inline constexpr const char* HOOK_EXPORT_ENABLE_KEYBOARD = "EnableKeyboardHook";
inline constexpr const char* HOOK_EXPORT_DISABLE_KEYBOARD = "DisableKeyboardHook";
inline constexpr const char* HOOK_EXPORT_ENABLE_MOUSE = "EnableMouseHook";
inline constexpr const char* HOOK_EXPORT_DISABLE_MOUSE = "DisableMouseHook";
inline constexpr const char* HOOK_EXPORT_KEY_STATE = "GetHookKeyState";

}  // namespace vyk::platform
