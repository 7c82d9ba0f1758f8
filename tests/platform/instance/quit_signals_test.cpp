// Stop signals end the event loop through the self-pipe; the handlers that were there before
// come back when the object goes.
#include "platform/instance/quit_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <pthread.h>

using vyk::platform::QuitOnSignals;

namespace {
std::atomic<int> g_seen{0};
extern "C" void recordSignal(int sig) { g_seen = sig; }
}  // namespace

TEST(QuitOnSignals, EachStopSignalEndsTheEventLoopAndTheOldHandlersComeBack) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        struct sigaction mine {
        }, old{};
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

// Before the application's loop runs (a start-up error box, say), a stop signal ends the loop
// that does run, and no loop started afterwards holds the program.
TEST(QuitOnSignals, ASignalBeforeExecEndsTheRunningNestedLoopAndEveryLaterOne) {
    QuitOnSignals stop;
    ASSERT_TRUE(stop.active());
    QEventLoop box;
    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    QTimer::singleShot(10000, &box, [&box] { box.exit(7); });  // not ended: fail, not hang
    EXPECT_EQ(box.exec(), 0) << "the box's loop kept running after the signal";
    EXPECT_TRUE(stop.stopRequested());
    EXPECT_EQ(stop.lastSignal(), SIGTERM);

    QEventLoop next;
    QTimer::singleShot(10000, &next, [&next] { next.exit(7); });
    QElapsedTimer t;
    t.start();
    EXPECT_NE(next.exec(), 7);
    EXPECT_LT(t.elapsed(), 5000) << "a loop started after the stop ran";
}

// A signal that came while no loop ran is seen by the program's check before its next step.
TEST(QuitOnSignals, StopRequestedSeesASignalStillWaitingInThePipe) {
    QuitOnSignals stop;
    ASSERT_TRUE(stop.active());
    EXPECT_FALSE(stop.stopRequested());
    ::raise(SIGHUP);
    EXPECT_TRUE(stop.stopRequested());
    EXPECT_EQ(stop.lastSignal(), SIGHUP);
}

// Blocked until the handler is there: a signal sent early is handled, not fatal.
TEST(QuitOnSignals, ASignalBeforeTheHandlerWaitsForIt) {
    QuitOnSignals::deferUntilInstalled();
    ::raise(SIGINT);  // blocked: pending, the process lives on
    QuitOnSignals stop;
    ASSERT_TRUE(stop.active());
    EXPECT_TRUE(stop.stopRequested());
    EXPECT_EQ(stop.lastSignal(), SIGINT);
    sigset_t mask;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, nullptr, &mask), 0);
    EXPECT_FALSE(sigismember(&mask, SIGINT)) << "the signals stay blocked";
}
