#include "core/hook/uiHook.h"

#include "core/defs/uiKeyCode.h"
#include "platform/diag/diag.h"
#include "platform/dialogs/message_box.h"
#include "platform/paths/paths.h"

#include <QCoreApplication>
#include <QTimer>

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>

using namespace vyk::platform;

namespace {

// Process-wide binding of the hook library.
struct HookLibrary {
    void* handle = nullptr;
    bool loaded = false;
    EnableHookFn EnableKeyboardHook = nullptr;
    DisableHookFn DisableKeyboardHook = nullptr;
    EnableHookFn EnableMouseHook = nullptr;
    DisableHookFn DisableMouseHook = nullptr;
    HookKeyStateFn GetHookKeyState = nullptr;
    int clients = 0;  // live clients holding the library
    const TuiHook* keyboardOwner = nullptr;
    const TuiHook* mouseOwner = nullptr;
    int callbackDepth = 0;  // > 0 while the library is calling us back
    bool unloadQueued = false;
};

HookLibrary g_lib;

void unloadNow() {
    if (g_lib.handle != nullptr) dlclose(g_lib.handle);
    const int clients = g_lib.clients;
    g_lib = HookLibrary{};
    g_lib.clients = clients;
}

// Unloads the library from the event loop once no callback is running. A handler may run an
// event loop of its own (a message box does) while the library's code is below it on the
// stack; the unload then waits for the callback to return.
void scheduleUnload(int delayMs) {
    QTimer::singleShot(delayMs, QCoreApplication::instance(), [] {
        if (!g_lib.unloadQueued || g_lib.clients != 0 || !g_lib.loaded) return;
        if (g_lib.callbackDepth > 0) {
            scheduleUnload(50);
            return;
        }
        unloadNow();
    });
}

void* openLibrary() {
    // The folder of the executable first, as the programs ship the library beside them,
    // then the system's search path.
    const QByteArray besideExe = (executableDir() + QString::fromLatin1(HOOK_LIBRARY_NAME)).toLocal8Bit();
    if (void* h = dlopen(besideExe.constData(), RTLD_NOW | RTLD_LOCAL)) return h;
    debugLog(QStringLiteral("hook library: %1").arg(QString::fromLocal8Bit(dlerror())));
    return dlopen(HOOK_LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
}

// The library calls a plain function with the client as its object; exceptions from event
// handlers are reported here and never unwind into the library.
template <void (TuiHook::*P)(int, std::uintptr_t, const void*, bool&)>
void callback(void* object, int code, std::uintptr_t message, const void* record, bool* swallow) {
    if (object == nullptr || record == nullptr || swallow == nullptr) return;
    ++g_lib.callbackDepth;
    bool flag = *swallow;
    guarded([&] { (static_cast<TuiHook*>(object)->*P)(code, message, record, flag); });
    *swallow = flag;
    --g_lib.callbackDepth;
}

bool isPress(const TKBDLLHOOKSTRUCT& k) { return (k.flags & KBD_FLAG_UP) == 0; }
int extendedBit(const TKBDLLHOOKSTRUCT& k) { return (k.flags & KBD_FLAG_EXTENDED) ? 1 : 0; }
QString stateText(int state) { return state ? QStringLiteral("Down") : QStringLiteral("Up"); }

// Button and extra value of a mouse message, as the mouse hook sees them.
TMouseButtons buttonOf(std::uintptr_t message, const MouseHookRecord& m, std::int16_t& exValue, bool wheelReversed) {
    exValue = 0;
    const std::uint16_t high = static_cast<std::uint16_t>(m.mouseData >> 16);
    switch (message) {
    case MSG_XBUTTONDOWN:
    case MSG_XBUTTONUP:
        exValue = static_cast<std::int16_t>(high);
        if (high == 1) return XCLICK4;
        if (high == 2) return XCLICK5;
        return BUTTON_NONE;
    case MSG_MOUSEWHEEL: {
        exValue = static_cast<std::int16_t>(high);
        if (exValue > 0) return wheelReversed ? WHEELDOWN : WHEELUP;
        if (exValue < 0) return wheelReversed ? WHEELUP : WHEELDOWN;
        return BUTTON_NONE;
    }
    case MSG_LBUTTONDOWN:
    case MSG_LBUTTONUP: return LCLICK;
    case MSG_RBUTTONDOWN:
    case MSG_RBUTTONUP: return RCLICK;
    case MSG_MBUTTONDOWN:
    case MSG_MBUTTONUP: return MCLICK;
    default: return BUTTON_NONE;
    }
}

int mouseState(std::uintptr_t message) {
    return (message == MSG_LBUTTONUP || message == MSG_RBUTTONUP || message == MSG_MBUTTONUP ||
            message == MSG_XBUTTONUP)
               ? 0
               : 1;
}

// "Backward(Mouse)" is also the translation key of the language file, so it carries no
// trailing blank.
constexpr TMouseButtonString kMouseButtonStrings[7] = {
    {LCLICK, "Mouse Click"},          {RCLICK, "Mouse Right Click"}, {MCLICK, "Mouse Middle Click"},
    {XCLICK4, "Backward(Mouse)"},     {XCLICK5, "Forward(Mouse)"},   {WHEELUP, "Wheel up(Mouse)"},
    {WHEELDOWN, "Wheel Down(Mouse)"},
};

constexpr int kMaxExtendedMacroItems = 500;

}  // namespace

QString GetMouseButtonString(TMouseButtons button) {
    for (const auto& entry : kMouseButtonStrings) {
        if (entry.MouseButton == button) return QString::fromLatin1(entry.ButtonDescription);
    }
    return QString();
}

bool LoadHookDll() {
    if (g_lib.loaded) {
        ++g_lib.clients;
        g_lib.unloadQueued = false;
        return true;
    }
    void* handle = openLibrary();
    if (handle == nullptr) {
        messageBox(QStringLiteral("Error"), QStringLiteral("uiHook.dll can not be found!"), MessageIcon::Error);
        return false;
    }
    g_lib.handle = handle;
    g_lib.loaded = true;
    g_lib.EnableKeyboardHook = reinterpret_cast<EnableHookFn>(dlsym(handle, HOOK_EXPORT_ENABLE_KEYBOARD));
    g_lib.DisableKeyboardHook = reinterpret_cast<DisableHookFn>(dlsym(handle, HOOK_EXPORT_DISABLE_KEYBOARD));
    g_lib.EnableMouseHook = reinterpret_cast<EnableHookFn>(dlsym(handle, HOOK_EXPORT_ENABLE_MOUSE));
    g_lib.DisableMouseHook = reinterpret_cast<DisableHookFn>(dlsym(handle, HOOK_EXPORT_DISABLE_MOUSE));
    g_lib.GetHookKeyState = reinterpret_cast<HookKeyStateFn>(dlsym(handle, HOOK_EXPORT_KEY_STATE));
    if (g_lib.EnableKeyboardHook == nullptr || g_lib.DisableKeyboardHook == nullptr ||
        g_lib.EnableMouseHook == nullptr || g_lib.DisableMouseHook == nullptr) {
        debugLog(QStringLiteral("hook library without its entry points; not used"));
        unloadNow();
        return false;
    }
    g_lib.clients = 1;
    return true;
}

void UnloadHookDll() {
    if (!g_lib.loaded || g_lib.clients <= 0) return;
    if (--g_lib.clients > 0) return;
    if (g_lib.callbackDepth == 0 || QCoreApplication::instance() == nullptr) {
        unloadNow();
        return;
    }
    // The last client went away inside a callback: the library's code is still on the stack,
    // so it is unloaded once that callback has returned.
    if (g_lib.unloadQueued) return;
    g_lib.unloadQueued = true;
    scheduleUnload(0);
}

// --- Creation and destruction ------------------------------------------------------------------

TuiHook::TuiHook(QObject* AOwner) : QObject(AOwner) {
    FDLLLoaded = LoadHookDll();
    // The worker thread starts with the first queued entry (QueueRecordData): it has nothing to
    // hand over before, and a client that never queues (the monitor's) keeps no idle thread.
}

TuiHook::~TuiHook() {
    // Remove our callbacks before the library can go, so nothing calls into this object.
    if (FDLLLoaded && g_lib.loaded) {
        if (g_lib.keyboardOwner == this) disableKeyboard();
        if (g_lib.mouseOwner == this) disableMouse();
    }
    if (FDLLLoaded) UnloadHookDll();
    FDLLLoaded = false;
    {
        std::lock_guard lock(FQueueLock);
        FGlobalEvent = true;
    }
    FQueueSignal.notify_all();
    if (FIdThreadComponentDataEvent.joinable()) FIdThreadComponentDataEvent.join();
}

// --- Library calls ----------------------------------------------------------------------------

void TuiHook::enableKeyboard(HookCallback cb) {
    if (!FDLLLoaded || !g_lib.loaded) return;
    g_lib.DisableKeyboardHook();
    g_lib.keyboardOwner = nullptr;
    if (g_lib.EnableKeyboardHook(cb, this, 0) != 0) g_lib.keyboardOwner = this;
}

void TuiHook::disableKeyboard() {
    if (!FDLLLoaded || !g_lib.loaded) return;
    g_lib.DisableKeyboardHook();
    g_lib.keyboardOwner = nullptr;
}

void TuiHook::enableMouse(HookCallback cb) {
    if (!FDLLLoaded || !g_lib.loaded) return;
    g_lib.DisableMouseHook();
    g_lib.mouseOwner = nullptr;
    if (g_lib.EnableMouseHook(cb, this, 0) != 0) g_lib.mouseOwner = this;
}

void TuiHook::disableMouse() {
    if (!FDLLLoaded || !g_lib.loaded) return;
    g_lib.DisableMouseHook();
    g_lib.mouseOwner = nullptr;
}

bool TuiHook::keyDown(int vk) {
    return g_lib.loaded && g_lib.GetHookKeyState != nullptr && (g_lib.GetHookKeyState(vk) & 0x8000) != 0;
}

// --- Operations --------------------------------------------------------------------------------

void TuiHook::RecordKeyboardSingleKey() { enableKeyboard(&callback<&TuiHook::SingleKeyHookProc>); }

void TuiHook::StopRecordKeyboardSingleKey() { disableKeyboard(); }

void TuiHook::RecordKeyboardComboKey() {
    enableKeyboard(&callback<&TuiHook::ComboKeyHookProc>);
    FLastTimeKeyboardCombo = 0;
}

void TuiHook::StopRecordKeyboardComboKey() {
    disableKeyboard();
    FLastTimeKeyboardCombo = 0;
}

void TuiHook::RecordKeyboardMacroKey() {
    FMacroKeyList.Clear();
    FLastTimeKeyboardMacro = 0;
    enableKeyboard(&callback<&TuiHook::MacroKeyHookProc>);
}

void TuiHook::RecordKeyboardMacroKeyEx() {
    FLastMacroKey = TKBDLLHOOKSTRUCT{};
    FTotalMacroTime = 0;
    std::fill(std::begin(FAllKeyState), std::end(FAllKeyState), std::uint8_t{0});
    FMacroKeyList.Clear();
    enableKeyboard(&callback<&TuiHook::MacroKeyExHookProc>);
}

void TuiHook::StopRecordKeyboardMacroKey() {
    disableKeyboard();
    if (OnStopRecordKeyboardMacroKey) OnStopRecordKeyboardMacroKey(FMacroKeyList);
    FMacroKeyList.Clear();
}

void TuiHook::StopRecordKeyboardMacroKeyEx() { StopRecordKeyboardMacroKey(); }

void TuiHook::RecordMouseMacro() {
    FMouseMacroKeyList.Clear();
    enableMouse(&callback<&TuiHook::MouseMacroHookProc>);
    FLastTimeMouseMacro = 0;
}

void TuiHook::StopRecordMouseMacro() {
    disableMouse();
    if (OnStopRecordMouseMacroKey) OnStopRecordMouseMacroKey(FMouseMacroKeyList);
}

void TuiHook::StartHookKeyboard() { enableKeyboard(&callback<&TuiHook::KeyboardHookProc>); }

void TuiHook::StopHookKeyboard() { disableKeyboard(); }

void TuiHook::StartHookMouse() { enableMouse(&callback<&TuiHook::MouseHookProc>); }

void TuiHook::StopHookMouse() { disableMouse(); }

void TuiHook::AddKeyboardHookObject(std::unique_ptr<TKeyBoardHookDetailObject> AObject) {
    if (!AObject) return;
    const QString text = QString::number(AObject->FKeyBoardHookDetail.KeyboardVKKey);
    FKeyboardHookObjectList.Add(text, std::move(AObject));
}

void TuiHook::RemoveAllKeyboardHookObject() { FKeyboardHookObjectList.Clear(); }

void TuiHook::AddMouseHookObject(std::unique_ptr<TMouseHookDetailObject> AObject) {
    if (!AObject) return;
    const QString text = QString::number(static_cast<int>(AObject->FMouseHookDetail.MouseButton));
    FMouseHookObjectList.Add(text, std::move(AObject));
}

void TuiHook::RemoveAllMouseHookObject() { FMouseHookObjectList.Clear(); }

void TuiHook::addMacroItem(const TMACROKEYHOOK& item) {
    auto object = std::make_unique<TMacroKeyObject>();
    object->FMacroKey = item;
    FMacroKeyList.Add(QString::number(FMacroKeyList.Count()), std::move(object));
}

void TuiHook::addMouseItem(const TMOUSEMACROKEY& item) {
    auto object = std::make_unique<TMOUSEMacroKeyObject>();
    object->FMOUSEMacroKey = item;
    FMouseMacroKeyList.Add(QString::number(FMouseMacroKeyList.Count()), std::move(object));
}

// --- Callbacks ---------------------------------------------------------------------------------

void TuiHook::SingleKeyHookProc(int, std::uintptr_t, const void* record, bool& swallow) {
    if (!OnRecordKeyboardSingleKey) return;
    const auto& k = *static_cast<const TKBDLLHOOKSTRUCT*>(record);
    const int ext = extendedBit(k);
    OnRecordKeyboardSingleKey(static_cast<int>(k.vkCode), k.scanCode, isPress(k) ? 1 : 0, ext,
                              GetKeyDescription(static_cast<int>(k.vkCode), ext), swallow);
}

void TuiHook::ComboKeyHookProc(int, std::uintptr_t, const void* record, bool& swallow) {
    const auto& k = *static_cast<const TKBDLLHOOKSTRUCT*>(record);
    if (!OnRecordKeyboardComboKey || !isPress(k)) return;
    switch (k.vkCode) {
    case 0xA0:
    case 0xA1:
    case 0xA2:
    case 0xA3:
    case 0xA4:
    case 0xA5:
    case 0x5B:
    case 0x5C: return;
    default: break;
    }

    FComboKeyString.clear();
    FComboKeyInfo.nModifier = 0;
    if (FComboKeyInfo.nKeyValue1 != 0 && FComboKeyInfo.nKeyValue2 != 0) {
        FComboKeyInfo.nKeyValue1 = FComboKeyInfo.nKeyValue1Extended = 0;
        FComboKeyInfo.nKeyValue2 = FComboKeyInfo.nKeyValue2Extended = 0;
    }

    QString modifierText;
    if (keyDown(0xA2) || keyDown(0xA3)) {
        FComboKeyInfo.nModifier |= COMBO_MODIFIER_CTRL;
        modifierText += QStringLiteral("Ctrl+");
    }
    if (keyDown(0xA4) || keyDown(0xA5)) {
        FComboKeyInfo.nModifier |= COMBO_MODIFIER_ALT;
        modifierText += QStringLiteral("Alt+");
    }
    if (keyDown(0x5B) || keyDown(0x5C)) {
        FComboKeyInfo.nModifier |= COMBO_MODIFIER_WIN;
        modifierText += QStringLiteral("Win+");
    }
    if (keyDown(0xA0) || keyDown(0xA1)) {
        FComboKeyInfo.nModifier |= COMBO_MODIFIER_SHIFT;
        modifierText += QStringLiteral("Shift+");
    }

    const std::uint16_t vk = static_cast<std::uint16_t>(k.vkCode);
    const std::uint16_t ext = static_cast<std::uint16_t>(extendedBit(k));
    const std::int64_t gap = static_cast<std::int64_t>(k.time) - static_cast<std::int64_t>(FLastTimeKeyboardCombo);
    // The first key after the start of a recording always begins a new combination.
    if (FLastTimeKeyboardCombo == 0 || gap > 100 || gap < -100) {
        FComboKeyInfo.nKeyValue1 = vk;
        FComboKeyInfo.nKeyValue1Extended = ext;
        FComboKeyInfo.nKeyValue2 = FComboKeyInfo.nKeyValue2Extended = 0;
    } else if (FComboKeyInfo.nKeyValue1 == 0) {
        FComboKeyInfo.nKeyValue1 = vk;
        FComboKeyInfo.nKeyValue1Extended = ext;
    } else if (FComboKeyInfo.nKeyValue2 == 0) {
        if (FComboKeyInfo.nKeyValue1 == vk) {  // auto-repeat of the first key
            FComboKeyInfo.nKeyValue1 = vk;
            FComboKeyInfo.nKeyValue1Extended = ext;
            FComboKeyInfo.nKeyValue2 = FComboKeyInfo.nKeyValue2Extended = 0;
        } else {
            FComboKeyInfo.nKeyValue2 = vk;
            FComboKeyInfo.nKeyValue2Extended = ext;
        }
    }
    FLastTimeKeyboardCombo = k.time;

    QString text = GetKeyDescription(FComboKeyInfo.nKeyValue1, FComboKeyInfo.nKeyValue1Extended);
    if (FComboKeyInfo.nKeyValue2 != 0) {
        text += QStringLiteral("+") + GetKeyDescription(FComboKeyInfo.nKeyValue2, FComboKeyInfo.nKeyValue2Extended);
    }
    if (FComboKeyInfo.nKeyValue1 != 0 && !text.isEmpty()) {
        FComboKeyString = modifierText + text;
        OnRecordKeyboardComboKey(FComboKeyInfo.nKeyValue1, FComboKeyInfo.nKeyValue1Extended, FComboKeyInfo.nKeyValue2,
                                 FComboKeyInfo.nKeyValue2Extended, FComboKeyInfo.nModifier, FComboKeyString);
    }
    swallow = true;
}

void TuiHook::MacroKeyExHookProc(int, std::uintptr_t, const void* record, bool& swallow) {
    if (!OnRecordKeyboardMacroKeyEx || FMacroKeyList.Count() > kMaxExtendedMacroItems) return;
    const auto& k = *static_cast<const TKBDLLHOOKSTRUCT*>(record);
    const int state = isPress(k) ? 1 : 0;
    const int ext = extendedBit(k);
    const std::uint32_t vk = k.vkCode & 0xFF;  // key-state map index
    bool makeDelay = false;

    if (FLastMacroKey.vkCode == 0) {
        FLastMacroKey = k;
        FTotalMacroTime = 0;
    } else if (FLastMacroKey.vkCode == k.vkCode &&
               (FLastMacroKey.flags & KBD_FLAG_EXTENDED) == (k.flags & KBD_FLAG_EXTENDED) &&
               (FLastMacroKey.flags & KBD_FLAG_UP) == (k.flags & KBD_FLAG_UP) && state == 1) {
        FTotalMacroTime = k.time - FLastMacroKey.time;  // auto-repeat: the press stays the reference
    } else {
        FTotalMacroTime = k.time - FLastMacroKey.time;
        FLastMacroKey = k;
        makeDelay = true;
        if (state == 0) FAllKeyState[vk] = 0;
    }

    if (makeDelay && FTotalMacroTime > 0) {
        if (FTotalMacroTime > 65535) FTotalMacroTime = 65535;
        TMACROKEYHOOK delay;
        delay.nKeyType = 0;
        delay.nKeyState = 0;
        delay.nKeyValue = static_cast<std::uint16_t>(FTotalMacroTime);
        delay.nKeyValueExtended = 0;
        addMacroItem(delay);
    }

    if (FAllKeyState[vk] == 0) {
        if (state == 1) FAllKeyState[vk] = 1;
        TMACROKEYHOOK item;
        item.nKeyType = 1;
        item.nKeyState = static_cast<std::uint16_t>(state);
        item.nKeyValue = static_cast<std::uint16_t>(k.vkCode);
        item.nKeyValueExtended = static_cast<std::uint16_t>(ext);
        addMacroItem(item);
        OnRecordKeyboardMacroKeyEx(1, static_cast<int>(k.vkCode), state, ext, static_cast<double>(k.time),
                                   FTotalMacroTime, GetKeyDescription(static_cast<int>(k.vkCode), ext),
                                   stateText(state), FMacroKeyList);
    }
    swallow = true;
}

void TuiHook::MacroKeyHookProc(int, std::uintptr_t, const void* record, bool& swallow) {
    if (!OnRecordKeyboardMacroKey) return;
    const auto& k = *static_cast<const TKBDLLHOOKSTRUCT*>(record);
    const int state = isPress(k) ? 1 : 0;
    const int ext = extendedBit(k);

    if (FLastTimeKeyboardMacro == 0) {
        FLastTimeKeyboardMacro = k.time;
    } else {
        const std::int32_t d = static_cast<std::int32_t>(k.time - FLastTimeKeyboardMacro);
        if (d > 10 && d < 2000) {
            TMACROKEYHOOK delay;
            delay.nKeyType = 0;
            delay.nKeyValue = static_cast<std::uint16_t>(d);
            addMacroItem(delay);
            OnRecordKeyboardMacroKey(0, d, 0, 0, static_cast<double>(k.time), QString::number(d), QStringLiteral("ms"),
                                     FMacroKeyList);
        }
        FLastTimeKeyboardMacro = k.time;
    }

    // Every key is kept, also when the delay before it happens to equal its key code.
    TMACROKEYHOOK item;
    item.nKeyType = 1;
    item.nKeyState = static_cast<std::uint16_t>(state);
    item.nKeyValue = static_cast<std::uint16_t>(k.vkCode);
    item.nKeyValueExtended = static_cast<std::uint16_t>(ext);
    addMacroItem(item);
    OnRecordKeyboardMacroKey(1, static_cast<int>(k.vkCode), state, ext, static_cast<double>(k.time),
                             GetKeyDescription(static_cast<int>(k.vkCode), ext), stateText(state), FMacroKeyList);
    swallow = true;
}

void TuiHook::KeyboardHookProc(int code, std::uintptr_t, const void* record, bool& swallow) {
    if (code != 0) return;
    const auto& k = *static_cast<const TKBDLLHOOKSTRUCT*>(record);
    const int key = static_cast<int>(k.vkCode);
    const int state = isPress(k) ? 1 : 0;
    const int ext = extendedBit(k);
    const std::uint32_t scan = k.scanCode;
    if (OnHookKeyboardAllKey) OnHookKeyboardAllKey(key, state, ext, swallow, scan);
    if (!OnHookKeyboardKey) return;
    for (int i = 0; i < FKeyboardHookObjectList.Count(); ++i) {
        const TKeyBoardHookDetail& f = FKeyboardHookObjectList.Objects(i)->FKeyBoardHookDetail;
        if (f.KeyboardVKKey == -1) return;
        const bool byVk = f.KeyboardVKKey != 0 && f.KeyboardVKKey == key && f.KeyExtended == ext;
        const bool byScan =
            f.KeyboardSCANKey != 0 && static_cast<std::uint32_t>(f.KeyboardSCANKey) == scan && f.KeyExtended == ext;
        if (byVk || byScan) {
            if (f.block == 1) swallow = true;
            OnHookKeyboardKey(key, state, ext, swallow, scan);
            return;
        }
    }
}

void TuiHook::MouseHookProc(int, std::uintptr_t message, const void* record, bool& swallow) {
    const auto& m = *static_cast<const MouseHookRecord*>(record);
    const bool injected = (m.flags & MOUSE_FLAG_INJECTED) != 0;
    if (message == MSG_MOUSEMOVE) {
        if (OnHookMouseMove && !injected) {
            OnHookMouseMove(m.x, m.y, static_cast<double>(m.time));
            swallow = false;
        }
        return;
    }
    if (injected) return;
    const int state = mouseState(message);
    std::int16_t exValue = 0;
    const TMouseButtons button = buttonOf(message, m, exValue, false);
    if (OnHookMouseAllButton) OnHookMouseAllButton(button, state, exValue, swallow);
    if (!OnHookMouseButton || message < MSG_MOUSEMOVE || message > 0x20F) return;
    const TMouseButtonStateSet bit = static_cast<TMouseButtonStateSet>(1u << (message - MSG_MOUSEMOVE));
    for (int i = 0; i < FMouseHookObjectList.Count(); ++i) {
        const TMouseHookDetail& f = FMouseHookObjectList.Objects(i)->FMouseHookDetail;
        if ((f.MouseStateSet & bit) != 0 && f.MouseButton >= button) {
            if (f.ModifiedFunction != button) OnHookMouseButton(button, state, swallow);
            return;
        }
    }
}

void TuiHook::MouseMacroHookProc(int, std::uintptr_t message, const void* record, bool&) {
    const auto& m = *static_cast<const MouseHookRecord*>(record);
    if (!OnRecordMouseMacroKey || (m.flags & MOUSE_FLAG_INJECTED) != 0) return;
    const int state = mouseState(message);
    std::int16_t exValue = 0;
    // This recorder stores the wheel the other way round from the mouse hook: a turn away
    // from the user is WHEELDOWN here. Stored recordings depend on it.
    const TMouseButtons button = message == MSG_MOUSEMOVE ? BUTTON_NONE : buttonOf(message, m, exValue, true);
    const std::uint16_t x = static_cast<std::uint16_t>(m.x);
    const std::uint16_t y = static_cast<std::uint16_t>(m.y);
    const double t = static_cast<double>(m.time);

    if (FLastTimeMouseMacro != 0) {
        if (FLastTimeMouseMacro > m.time) {
            FLastTimeMouseMacro = m.time;
            return;
        }
        const std::uint32_t d = m.time - FLastTimeMouseMacro;
        TMOUSEMACROKEY delay;
        delay.nKeyType = 0;
        delay.nKeyState = 0;
        delay.MouseButton = BUTTON_NONE;
        delay.X = x;
        delay.Y = y;
        // The field holds 16 bits: a longer pause is kept as the longest one it can hold
        // rather than wrapping to a short one.
        delay.TimeValue = static_cast<std::uint16_t>(std::min<std::uint32_t>(d, 65535));
        addMouseItem(delay);
        OnRecordMouseMacroKey(0, BUTTON_NONE, 0, x, y, t, QString::number(d), QStringLiteral("ms"), FMouseMacroKeyList);
    }
    FLastTimeMouseMacro = m.time;

    if (button != BUTTON_NONE) {
        TMOUSEMACROKEY item;
        item.nKeyType = 1;
        item.nKeyState = static_cast<std::uint16_t>(state);
        item.MouseButton = button;
        item.X = x;
        item.Y = y;
        addMouseItem(item);
        OnRecordMouseMacroKey(1, button, state, x, y, t, GetMouseButtonString(button), stateText(state),
                              FMouseMacroKeyList);
    }
}

// --- Worker thread -----------------------------------------------------------------------------

void TuiHook::QueueRecordData(TRecordDataEntry entry) {
    {
        std::lock_guard lock(FQueueLock);
        FRecordDataToProcessList.push_back(std::move(entry));
        FGlobalDataEvent = true;
        if (!FIdThreadComponentDataEvent.joinable() && !FGlobalEvent)
            FIdThreadComponentDataEvent = std::thread([this] { ThreadExecute(); });
    }
    FQueueSignal.notify_all();
}

void TuiHook::ThreadExecute() {
    std::unique_lock lock(FQueueLock);
    for (;;) {
        FQueueSignal.wait(lock, [this] { return FGlobalEvent || FGlobalDataEvent; });
        if (FGlobalEvent) return;
        // Taking the signal resets it; otherwise the thread would hand the same signal to the
        // UI thread again and again.
        FGlobalDataEvent = false;
        const std::uint64_t ticket = ++FHandedOut;
        // Queued to this object: when the object goes away first, the call is dropped.
        QMetaObject::invokeMethod(
            this,
            [this, ticket] {
                ProcessDataEvent();
                {
                    std::lock_guard done(FQueueLock);
                    if (FHandedBack < ticket) FHandedBack = ticket;
                }
                FQueueSignal.notify_all();
            },
            Qt::QueuedConnection);
        // Wait for the UI thread, but never past a stop: destruction must not wait on a UI
        // thread that is itself waiting for this thread.
        FQueueSignal.wait(lock, [this, ticket] { return FGlobalEvent || FHandedBack >= ticket; });
        if (FGlobalEvent) return;
    }
}

void TuiHook::ProcessDataEvent() {
    std::vector<TRecordDataEntry> entries;
    {
        std::lock_guard lock(FQueueLock);
        entries.swap(FRecordDataToProcessList);
    }
    for (const TRecordDataEntry& e : entries) {
        if (e.Kind == 1 && e.KeyObject) {
            if (!OnRecordKeyboardMacroKey) continue;
            const TMACROKEYHOOK& k = e.KeyObject->FMacroKey;
            OnRecordKeyboardMacroKey(k.nKeyType, k.nKeyValue, k.nKeyState, k.nKeyValueExtended, k.Time,
                                     k.MacroKeyString, k.MacroKeyStateString, FMacroKeyList);
        } else if (e.Kind == 0 && e.MouseObject) {
            if (!OnRecordMouseMacroKey) continue;
            const TMOUSEMACROKEY& m = e.MouseObject->FMOUSEMacroKey;
            OnRecordMouseMacroKey(m.nKeyType, m.MouseButton, m.nKeyState, m.X, m.Y, m.Time, m.MacroKeyString,
                                  m.MacroKeyStateString, FMouseMacroKeyList);
        }
    }
}
