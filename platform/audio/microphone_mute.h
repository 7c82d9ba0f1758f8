#pragma once
// Mute of the default recording source, over libpulse (PulseAudio, or PipeWire's pulse server).
//
// All sound-server work runs on a worker thread, so the UI thread never waits for the server:
// toggle() only counts a request. The worker carries the requests out one after the other,
// each a read of the mute followed by a write of its opposite, and starts the next only when
// the previous write was confirmed, so quick presses are never merged or lost.
//
// Nothing of this exists while the mute is not used: the first toggle loads libpulse (see
// pulse_library.h), starts the worker and connects to the server; once no toggle has come for
// kIdleEndMs, the worker disconnects and ends, and the next toggle starts a new one. So an idle
// program holds neither a thread nor a connection, and presses in quick succession (a mute and
// an unmute) find the connection made.
//
// The source is the server's default source, chosen once when first reached and kept while it
// exists, also when the worker ends an idle connection (a later change of the default is not
// followed; a source that disappeared, or a server that went away or restarted, makes the next
// toggle choose afresh). A monitor source (the echo of an output) is no
// microphone: with only such a default, there is nothing to mute. Without a server, a
// microphone or the library a toggle does nothing and says nothing; the next toggle tries
// again. The mute is written only after it was read.

#include <cstdint>
#include <memory>

namespace vyk::platform {

class MicrophoneMute {
public:
    // How long the worker keeps its connection after the last toggle before it ends.
    static constexpr int kIdleEndMs = 2000;

    // Starts nothing: the first toggle does.
    MicrophoneMute();
    // Ends the worker without waiting for a server that does not answer.
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

    // True while a worker runs (for tests and measurements).
    bool workerRunning() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace vyk::platform
