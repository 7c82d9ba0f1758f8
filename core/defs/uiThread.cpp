#include "core/defs/uiThread.h"

#include <QCoreApplication>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/diag/diag.h"

namespace {

using namespace std::chrono_literals;

// How long the end of the program waits for callbacks still running.
constexpr auto kExitWait = 5s;

// The calls under way. Never destroyed: a worker that outlives every wait at program end
// still finds it intact when it finishes.
struct Calls {
    std::mutex m;
    std::condition_variable done;
    int running = 0;
    bool postRoutineAdded = false;  // guarded by m
};

Calls& calls() {
    static Calls* const c = new Calls;
    return *c;
}

void waitAtExit() {
    if (!TuiThread::WaitForCalls(kExitWait))
        vyk::platform::debugLog(QStringLiteral("TuiThread: a callback still runs at program end"));
}

// Made on the first call, so it is destroyed before every static made earlier: the end of the
// program waits here for callbacks that still run instead of tearing down what they use.
struct ExitDrain {
    ~ExitDrain() { waitAtExit(); }
};

void postRoutine() {
    {
        std::lock_guard g(calls().m);
        calls().postRoutineAdded = false;  // a later application gets its own
    }
    waitAtExit();
}

// Callbacks may use what the application object owns (its display connection, for one):
// it waits for them first thing when it is destroyed.
void waitWhenTheApplicationEnds() {
    static ExitDrain drain;
    bool add = false;
    {
        std::lock_guard g(calls().m);
        if (!calls().postRoutineAdded && QCoreApplication::instance() != nullptr) {
            calls().postRoutineAdded = true;
            add = true;
        }
    }
    if (add) qAddPostRoutine(postRoutine);
}

void callEnded() {
    Calls& c = calls();
    {
        std::lock_guard g(c.m);
        --c.running;
    }
    c.done.notify_all();
}

}  // namespace

TuiThread::TuiThread(TThreadCallFunction func, std::vector<std::uint8_t> copy)
    : func_(std::move(func)), copy_(std::move(copy)) {}

void TuiThread::ThreadCallFunction(TThreadCallFunction Func, const void* Buffer, std::uint32_t BufferSize) {
    if (BufferSize == 0) return;
    const auto* src = static_cast<const std::uint8_t*>(Buffer);
    std::unique_ptr<TuiThread> t(new TuiThread(std::move(Func), std::vector<std::uint8_t>(src, src + BufferSize)));
    waitWhenTheApplicationEnds();
    {
        std::lock_guard g(calls().m);
        ++calls().running;
    }
    try {
        // Nobody keeps the thread or waits for it; the thread owns its object and frees it
        // (with the callback and what it holds) before it counts itself finished.
        std::thread([self = std::move(t)]() mutable {
            self->Execute();
            self.reset();
            callEnded();
        }).detach();
    } catch (const std::system_error& e) {
        // No thread could be made: the call is dropped, like a callback that fails at once.
        callEnded();
        vyk::platform::debugLog(
            QStringLiteral("TuiThread: no thread started: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

int TuiThread::PendingCalls() {
    std::lock_guard g(calls().m);
    return calls().running;
}

bool TuiThread::WaitForCalls(std::chrono::milliseconds timeout) {
    Calls& c = calls();
    std::unique_lock g(c.m);
    return c.done.wait_for(g, timeout, [&] { return c.running == 0; });
}

void TuiThread::Execute() {
    try {
        if (func_) func_(copy_.data(), static_cast<std::uint32_t>(copy_.size()));
    } catch (const std::exception& e) {
        vyk::platform::debugLog(QStringLiteral("TuiThread: callback failed: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        vyk::platform::debugLog(QStringLiteral("TuiThread: callback failed"));
    }
    copy_.clear();
    copy_.shrink_to_fit();
}
