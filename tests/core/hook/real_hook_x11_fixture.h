#pragma once
// Fixture for tests with the real hook library and real X events: a private Xvfb per test
// (skipped without Xvfb or xdotool), the executable folder pointed at the built hook library
// and the message boxes shown recorded by their text. Needs VYK_REAL_HOOK_DIR
// (tests/core/hook/extra.cmake).

#include "tests/support/xvfb_server.h"

#include "platform/dialogs/message_box.h"
#include "tests/support/test_env.h"

#include <QString>

#include <memory>
#include <vector>

namespace vyk::test {

class RealHookX11Test : public XvfbTest {
protected:
    void SetUp() override {
        XvfbTest::SetUp();
        if (IsSkipped()) return;
        exeDir_ = std::make_unique<ScopedEnv>("VYK_EXE_DIR", VYK_REAL_HOOK_DIR);
        vyk::platform::setMessageBoxHook(
            [this](const QString&, const QString& text, vyk::platform::MessageIcon) { boxes.push_back(text); });
    }
    void TearDown() override {
        vyk::platform::setMessageBoxHook({});
        exeDir_.reset();
        XvfbTest::TearDown();
    }

    std::vector<QString> boxes;

private:
    std::unique_ptr<ScopedEnv> exeDir_;
};

}  // namespace vyk::test
