#pragma once
// Inside the hook library: one enabled hook (keyboard or mouse) and the two ways of watching
// input. The X11 backend sees the whole desktop through XInput2 raw events on the root
// window; the in-application backend sees only the events of this program's own windows and
// serves where there is no X server (a Wayland session).

#include "platform/hooklib/hook_api.h"

#include <cstdint>
#include <memory>

namespace vyk::platform::hooklib {

enum class HookKind { Keyboard, Mouse };

class Hook {
public:
    Hook(HookKind kind, HookCallback callback, void* object);
    virtual ~Hook();
    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;

    // Starts watching; false when this backend cannot run here.
    virtual bool start() = 0;

    // Stops calling back at once. The object itself is deleted later, outside any dispatch.
    virtual void retire();
    bool retired() const { return retired_; }
    bool dispatching() const { return depth_ > 0; }

    // GetKeyState form: 0x8000 while the key is down.
    std::int16_t keyState(int vk) const;

protected:
    // Calls the client. Returns the swallow flag the client left.
    bool deliver(std::uintptr_t message, const void* record);
    void setKeyDown(unsigned vk, bool down);
    void clearKeys();

    HookKind kind_;
    int depth_ = 0;  // > 0 while events are being handed out

private:
    HookCallback callback_;
    void* object_;
    bool retired_ = false;
    std::uint8_t keyDown_[256] = {};
};

// Backend factories; each returns a started hook or nothing.
std::unique_ptr<Hook> startX11Hook(HookKind kind, HookCallback callback, void* object);
std::unique_ptr<Hook> startApplicationHook(HookKind kind, HookCallback callback, void* object);

}  // namespace vyk::platform::hooklib
