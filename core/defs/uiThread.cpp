#include "defs/uiThread.h"

#include <QString>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/dialogs/message_box.h"

std::atomic<int> TuiThread::pending_{0};

TuiThread::TuiThread(TThreadCallFunction func, std::vector<std::uint8_t> copy)
    : func_(std::move(func)), copy_(std::move(copy)) {}

void TuiThread::ThreadCallFunction(TThreadCallFunction Func, const void* Buffer,
                                   std::uint32_t BufferSize) {
    if (BufferSize == 0) return;
    const auto* src = static_cast<const std::uint8_t*>(Buffer);
    std::unique_ptr<TuiThread> t(
        new TuiThread(std::move(Func), std::vector<std::uint8_t>(src, src + BufferSize)));
    ++pending_;
    try {
        // Nobody keeps the thread or waits for it; the thread owns its object and frees it.
        std::thread([self = std::move(t)]() mutable { self->Execute(); self.reset(); --pending_; })
            .detach();
    } catch (const std::system_error& e) {
        // No thread could be made: the call is dropped, like a callback that fails at once.
        --pending_;
        vyk::platform::debugLog(QStringLiteral("TuiThread: no thread started: %1")
                                    .arg(QString::fromLocal8Bit(e.what())));
    }
}

int TuiThread::PendingCalls() { return pending_.load(); }

void TuiThread::Execute() {
    try {
        if (func_) func_(copy_.data(), static_cast<std::uint32_t>(copy_.size()));
    } catch (const std::exception& e) {
        vyk::platform::debugLog(QStringLiteral("TuiThread: callback failed: %1")
                                    .arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        vyk::platform::debugLog(QStringLiteral("TuiThread: callback failed"));
    }
    copy_.clear();
    copy_.shrink_to_fit();
}
