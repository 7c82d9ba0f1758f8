#pragma once
// Manual-reset events with a wait for any of several, the synchronisation the filter-driver
// control's readers are built on: an event stays signalled until it is reset, and a waiter
// wakes as soon as one event of its set is signalled.

#include <cstddef>
#include <initializer_list>

namespace vyk::platform {

class SyncEvent {
public:
    SyncEvent() = default;
    SyncEvent(const SyncEvent&) = delete;
    SyncEvent& operator=(const SyncEvent&) = delete;

    void set();
    void reset();
    bool isSet() const;

    // Blocks without a timeout until one of the events is signalled; returns the index (in
    // the list) of the first signalled one. The events are not reset.
    static std::size_t waitAny(std::initializer_list<const SyncEvent*> events);

private:
    bool signalled_ = false;  // guarded by the module's lock
};

}  // namespace vyk::platform
