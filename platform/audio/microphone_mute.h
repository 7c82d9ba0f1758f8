#pragma once
// Mute of the default recording source, over libpulse (PulseAudio, or PipeWire's pulse server).
//
// All sound-server work runs on a worker thread of its own, so the UI thread never waits for
// the server: toggle() only counts a request. The worker carries the requests out one after
// the other, each a read of the mute followed by a write of its opposite, and starts the next
// only when the previous write was confirmed, so quick presses are never merged or lost.
//
// The source is the server's default source, chosen once when first reached and kept while it
// exists (a later change of the default is not followed; a source that disappeared is chosen
// afresh). A monitor source (the echo of an output) is no microphone: with only such a default,
// there is nothing to mute. Without a server or a microphone a toggle does nothing and says
// nothing; the next toggle tries again. The mute is written only after it was read.

#include <cstdint>
#include <memory>

namespace vyk::platform {

class MicrophoneMute {
public:
    // Starts the worker, which connects to the server in the background.
    MicrophoneMute();
    ~MicrophoneMute();
    MicrophoneMute(const MicrophoneMute&) = delete;
    MicrophoneMute& operator=(const MicrophoneMute&) = delete;

    // Queues one toggle of the mute and returns at once.
    void toggle();

    // Waits until every queued toggle has been carried out or dropped; false on timeout.
    // For tests and measurements; the programs never wait.
    bool waitIdle(int timeoutMs);

    // Toggles carried out (mute read and its opposite written) and dropped (no server, no
    // microphone, or an error) since creation.
    std::uint64_t toggledCount() const;
    std::uint64_t droppedCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace vyk::platform
