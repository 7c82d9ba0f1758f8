// Stop signals end the event loop through the self-pipe; the handlers that were there before
// come back when the object goes.
#include "platform/instance/quit_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <csignal>

using vyk::platform::QuitOnSignals;

namespace {
std::atomic<int> g_seen{0};
extern "C" void recordSignal(int sig) { g_seen = sig; }
}  // namespace

TEST(QuitOnSignals, EachStopSignalEndsTheEventLoopAndTheOldHandlersComeBack) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        struct sigaction mine {}, old {};
        mine.sa_handler = recordSignal;
        sigemptyset(&mine.sa_mask);
        ASSERT_EQ(::sigaction(sig, &mine, &old), 0);
        {
            QuitOnSignals stop;
            ASSERT_TRUE(stop.active());
            EXPECT_FALSE(stop.stopRequested());
            QTimer::singleShot(0, [sig] { ::raise(sig); });
            QTimer guard;  // not ended: fail, not hang
            guard.setSingleShot(true);
            QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
            guard.start(10000);
            EXPECT_EQ(QCoreApplication::exec(), 0);
            EXPECT_EQ(stop.lastSignal(), sig);
            EXPECT_TRUE(stop.stopRequested());
        }
        g_seen = 0;
        ::raise(sig);
        EXPECT_EQ(g_seen.load(), sig);
        ::sigaction(sig, &old, nullptr);
    }
}
