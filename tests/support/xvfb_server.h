#pragma once
// A private X server for tests that need real X input events (tests/support/xvfb_process.h),
// started per test. Tests are skipped when Xvfb or xdotool is missing.

#include <gtest/gtest.h>

#include "tests/support/wait.h"
#include "tests/support/xvfb_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <functional>
#include <memory>

namespace vyk::test {

// Starts a server per test; skips the test when Xvfb or xdotool is not there.
class XvfbTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!XvfbServer::haveXdotool()) GTEST_SKIP() << "xdotool not installed";
        server_ = std::make_unique<XvfbServer>();
        if (!server_->running()) GTEST_SKIP() << "Xvfb could not be started";
    }
    void TearDown() override { server_.reset(); }

    bool xdotool(const QStringList& args) { return server_->xdotool(args); }

    std::unique_ptr<XvfbServer> server_;
};

}  // namespace vyk::test
