#pragma once
// Tests whose windows must stand on a real X server (the name the desktop shows, window states,
// stacking): the test starts as usual (offscreen), and its body begins with
//
//     if (!vyk::test::onX11()) return vyk::test::rerunOnX11();
//
// which starts a private Xvfb and runs this one test again in a child process of the same test
// program whose windows go to that server (QT_QPA_PLATFORM=xcb). The child does the work; the
// test passes when the child passes, and its output is shown when it fails. Without Xvfb the
// test is skipped. The child checks no leaks: the X and font libraries keep caches to the end.
//
// UI thread only.

#include "tests/support/xvfb_process.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <cstdlib>

namespace vyk::test {

// True in the child that rerunOnX11() started.
inline bool onX11() { return std::getenv("VYK_X11_CHILD") != nullptr; }

inline void rerunOnX11() {
    XvfbServer server;
    if (!server.running()) GTEST_SKIP() << "Xvfb could not be started";
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString test =
        QString::fromUtf8(info->test_suite_name()) + QLatin1Char('.') + QString::fromUtf8(info->name());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(server.display()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("VYK_X11_CHILD", "1");
    QString asan = env.value("ASAN_OPTIONS");
    env.insert("ASAN_OPTIONS",
               asan.isEmpty() ? QStringLiteral("detect_leaks=0") : asan + QStringLiteral(":detect_leaks=0"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + test});
    const bool finished = child.waitForFinished(180000);
    if (!finished) {
        child.kill();
        child.waitForFinished(10000);
    }
    const QString output = QString::fromLocal8Bit(child.readAll());
    ASSERT_TRUE(finished) << "the X11 child did not finish:\n" << output.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    // The child ran the test, not an empty selection.
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

}  // namespace vyk::test
