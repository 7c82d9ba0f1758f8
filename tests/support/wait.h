#pragma once
// Waiting for a condition in tests: runs the Qt event loop (queued calls, timers, socket
// notifiers) until the condition holds, so no test depends on a fixed sleep.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <functional>
#include <thread>

namespace vyk::test {

// True once cond() holds; false when timeoutMs passed first. Without processEvents the UI
// thread only polls (for conditions that must come true without its help).
inline bool waitUntil(const std::function<bool()>& cond, int timeoutMs = 5000, bool processEvents = true) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs) return false;
        if (processEvents) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace vyk::test
