#pragma once
// An IPC endpoint living on a thread of its own, standing in for the other program in tests.

#include "platform/ipc/ipc.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <functional>

namespace vyk::test {

class IpcPeerThread {
public:
    IpcPeerThread(const QString& windowClass, vyk::platform::ipc::Endpoint::Handler h) {
        thread_.start();
        ctx_ = new QObject;
        ctx_->moveToThread(&thread_);
        run([&] {
            ep_ = new vyk::platform::ipc::Endpoint(windowClass);
            ep_->setHandler(std::move(h));
            listening_ = ep_->listen();
        });
    }
    ~IpcPeerThread() {
        run([&] { delete ep_; });
        thread_.quit();
        thread_.wait();
        delete ctx_;
    }
    IpcPeerThread(const IpcPeerThread&) = delete;
    IpcPeerThread& operator=(const IpcPeerThread&) = delete;

    // Runs fn on the peer's thread and waits for it.
    void run(const std::function<void()>& fn) { QMetaObject::invokeMethod(ctx_, fn, Qt::BlockingQueuedConnection); }
    // Runs fn on the peer's thread without waiting.
    void runLater(std::function<void()> fn) { QMetaObject::invokeMethod(ctx_, std::move(fn), Qt::QueuedConnection); }
    bool listening() const { return listening_; }

private:
    QThread thread_;
    QObject* ctx_ = nullptr;
    vyk::platform::ipc::Endpoint* ep_ = nullptr;
    bool listening_ = false;
};

}  // namespace vyk::test
