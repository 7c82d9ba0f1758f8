#include "platform/driverctl/sync_event.h"

#include <condition_variable>
#include <mutex>

namespace vyk::platform {

namespace {
// One lock and one condition for every event: a waiter on several events needs to be woken
// by any of them, and these events are few and rarely signalled.
std::mutex& lock() {
    static std::mutex m;
    return m;
}
std::condition_variable& changed() {
    static std::condition_variable cv;
    return cv;
}
}  // namespace

void SyncEvent::set() {
    {
        std::lock_guard g(lock());
        signalled_ = true;
    }
    changed().notify_all();
}

void SyncEvent::reset() {
    std::lock_guard g(lock());
    signalled_ = false;
}

bool SyncEvent::isSet() const {
    std::lock_guard g(lock());
    return signalled_;
}

std::size_t SyncEvent::waitAny(std::initializer_list<const SyncEvent*> events) {
    std::unique_lock g(lock());
    for (;;) {
        std::size_t i = 0;
        for (const SyncEvent* e : events) {
            if (e->signalled_) return i;
            ++i;
        }
        changed().wait(g);
    }
}

}  // namespace vyk::platform
