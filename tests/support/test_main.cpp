// Test main shared by every test program: isolates the environment, then runs GoogleTest
// inside a QApplication (offscreen platform) so that Qt objects, timers and queued calls work.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/dialogs/message_box.h"
#include "tests/support/test_env.h"

int main(int argc, char** argv) {
    vyk::test::isolateEnvironment();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Reported errors reach the message-box hook that a test installs, as in the programs.
    vyk::platform::installMessageBoxErrorReporter();
    return RUN_ALL_TESTS();
}
