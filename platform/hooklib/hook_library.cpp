// The exported functions of libuiHook.so and the bookkeeping of the enabled hooks.
//
// At most one keyboard and one mouse hook are enabled; enabling replaces the previous one of
// its kind. A hook that is disabled from inside its own callback is only retired there and
// deleted at the next call into the library (or when the library is unloaded), so a callback
// may stop or restart recording safely. Unloading the library removes every hook and closes
// its X connection first, so nothing ever calls into freed code.

#include "platform/hooklib/hook_backend.h"
#include "platform/hooklib/key_map.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>

#include <memory>
#include <vector>

namespace vyk::platform::hooklib {

Hook::Hook(HookKind kind, HookCallback callback, void* object) : kind_(kind), callback_(callback), object_(object) {}

Hook::~Hook() = default;

void Hook::retire() {
    retired_ = true;
    callback_ = nullptr;
    object_ = nullptr;
}

std::int16_t Hook::keyState(int vk) const {
    if (vk < 0 || vk > 255) return 0;
    return keyDown_[vk] ? static_cast<std::int16_t>(0x8000) : 0;
}

bool Hook::deliver(std::uintptr_t message, const void* record) {
    if (retired_ || callback_ == nullptr) return false;
    bool swallow = false;
    ++depth_;
    callback_(object_, 0, message, record, &swallow);
    --depth_;
    return swallow;
}

void Hook::setKeyDown(unsigned vk, bool down) { vyk::platform::setKeyDown(keyDown_, vk, down); }

void Hook::clearKeys() {
    for (auto& k : keyDown_) k = 0;
}

namespace {

struct Registry {
    std::unique_ptr<Hook> keyboard;
    std::unique_ptr<Hook> mouse;
    std::vector<std::unique_ptr<Hook>> retired;

    void retire(std::unique_ptr<Hook>& slot) {
        if (!slot) return;
        slot->retire();
        retired.push_back(std::move(slot));
    }

    // Deletes retired hooks that are not inside a dispatch (all of them when forced).
    void purge(bool force) {
        for (auto it = retired.begin(); it != retired.end();) {
            if (force || !(*it)->dispatching())
                it = retired.erase(it);
            else
                ++it;
        }
    }

    ~Registry() {
        retire(keyboard);
        retire(mouse);
        purge(true);
    }
};

Registry& registry() {
    static Registry r;
    return r;
}

std::unique_ptr<Hook> startHook(HookKind kind, HookCallback callback, void* object) {
    // Events are handed out from the enabling thread's event loop; a thread without one could
    // never receive them, so the hook is refused there.
    if (QAbstractEventDispatcher::instance() == nullptr) return nullptr;
    // A Wayland session gives no X client a view of other programs' input; there, and where
    // no X server can be reached, only our own windows can be watched.
    const bool wayland = QGuiApplication::platformName() == QLatin1String("wayland");
    if (!wayland) {
        if (auto hook = startX11Hook(kind, callback, object)) return hook;
    }
    return startApplicationHook(kind, callback, object);
}

int enable(std::unique_ptr<Hook>& slot, HookKind kind, HookCallback callback, void* object) {
    Registry& r = registry();
    r.retire(slot);
    r.purge(false);
    if (callback == nullptr) return 0;
    slot = startHook(kind, callback, object);
    return slot ? 1 : 0;
}

int disable(std::unique_ptr<Hook>& slot) {
    Registry& r = registry();
    r.retire(slot);
    r.purge(false);
    return 1;
}

}  // namespace
}  // namespace vyk::platform::hooklib

using vyk::platform::HookCallback;
using vyk::platform::hooklib::HookKind;
using vyk::platform::hooklib::registry;

#define VYK_HOOK_EXPORT extern "C" __attribute__((visibility("default")))

VYK_HOOK_EXPORT int EnableKeyboardHook(HookCallback callback, void* object, int /*reserved*/) {
    return vyk::platform::hooklib::enable(registry().keyboard, HookKind::Keyboard, callback, object);
}

VYK_HOOK_EXPORT int DisableKeyboardHook() { return vyk::platform::hooklib::disable(registry().keyboard); }

VYK_HOOK_EXPORT int EnableMouseHook(HookCallback callback, void* object, int /*reserved*/) {
    return vyk::platform::hooklib::enable(registry().mouse, HookKind::Mouse, callback, object);
}

VYK_HOOK_EXPORT int DisableMouseHook() { return vyk::platform::hooklib::disable(registry().mouse); }

VYK_HOOK_EXPORT std::int16_t GetHookKeyState(int vk) {
    const auto& kb = registry().keyboard;
    return kb ? kb->keyState(vk) : 0;
}
