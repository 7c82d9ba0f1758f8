#pragma once
// Fixture for the hook client tests: points the executable folder at a stand-in hook
// library, keeps a reference of its own to that library (so its state can still be read after
// the client has let it go) and records the message boxes shown.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <dlfcn.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/hook/uiHook.h"
#include "platform/dialogs/message_box.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

namespace vyk::test {

struct ShownBox {
    QString caption;
    QString text;
    vyk::platform::MessageIcon icon;
};

class FakeHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        exeDir_ = std::make_unique<ScopedEnv>("VYK_EXE_DIR", VYK_FAKE_HOOK_DIR);
        lib_ = dlopen(VYK_FAKE_HOOK_DIR "libuiHook.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib_, nullptr) << dlerror();
        reset_ = sym<void (*)()>("FakeHook_Reset");
        keyboardEnabled_ = sym<int (*)()>("FakeHook_KeyboardEnabled");
        mouseEnabled_ = sym<int (*)()>("FakeHook_MouseEnabled");
        setKeyDown_ = sym<void (*)(int, int)>("FakeHook_SetKeyDown");
        takeLog_ = sym<const char* (*)()>("FakeHook_TakeLog");
        sendKey_ = sym<int (*)(int, unsigned, unsigned, unsigned, unsigned)>("FakeHook_SendKey");
        sendMouse_ = sym<int (*)(unsigned, int, int, unsigned, unsigned, unsigned, int)>("FakeHook_SendMouse");
        reset_();
        vyk::platform::setMessageBoxHook([this](const QString& c, const QString& t, vyk::platform::MessageIcon i) {
            boxes.push_back({c, t, i});
        });
    }

    void TearDown() override {
        vyk::platform::setMessageBoxHook({});
        if (lib_ != nullptr) dlclose(lib_);
    }

    template <class F>
    F sym(const char* name) {
        auto f = reinterpret_cast<F>(dlsym(lib_, name));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }

    // A key event: press unless up; extended adds the extended flag. Returns the swallow flag
    // the client left, or -1 when no keyboard hook is enabled.
    int key(unsigned vk, bool up, unsigned time, bool extended = false, unsigned scan = 0, int code = 0) {
        unsigned flags = (up ? vyk::platform::KBD_FLAG_UP : 0) | (extended ? vyk::platform::KBD_FLAG_EXTENDED : 0);
        return sendKey_(code, vk, scan, flags, time);
    }
    int press(unsigned vk, unsigned time, bool extended = false) { return key(vk, false, time, extended); }
    int release(unsigned vk, unsigned time, bool extended = false) { return key(vk, true, time, extended); }

    int mouse(std::uintptr_t message, unsigned time, int data = 0, bool injected = false, int x = 10, int y = 20,
              bool initialSwallow = false) {
        const unsigned mouseData = static_cast<unsigned>(static_cast<std::uint16_t>(static_cast<std::int16_t>(data)))
                                   << 16;
        return sendMouse_(static_cast<unsigned>(message), x, y, mouseData,
                          injected ? vyk::platform::MOUSE_FLAG_INJECTED : 0, time, initialSwallow ? 1 : 0);
    }

    void setKeyDown(int vk, bool down) { setKeyDown_(vk, down ? 1 : 0); }
    std::string takeLog() { return takeLog_(); }
    bool keyboardEnabled() { return keyboardEnabled_() != 0; }
    bool mouseEnabled() { return mouseEnabled_() != 0; }

    std::vector<ShownBox> boxes;

private:
    std::unique_ptr<ScopedEnv> exeDir_;
    void* lib_ = nullptr;
    void (*reset_)() = nullptr;
    int (*keyboardEnabled_)() = nullptr;
    int (*mouseEnabled_)() = nullptr;
    void (*setKeyDown_)(int, int) = nullptr;
    const char* (*takeLog_)() = nullptr;
    int (*sendKey_)(int, unsigned, unsigned, unsigned, unsigned) = nullptr;
    int (*sendMouse_)(unsigned, int, int, unsigned, unsigned, unsigned, int) = nullptr;
};

}  // namespace vyk::test
