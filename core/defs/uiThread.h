#pragma once
// TuiThread: runs one callback once on a short-lived thread of its own, with a private copy of
// the caller's buffer, so the caller (the UI thread) never waits for it. APPLY uses it to hand
// the pointer settings to the worker that applies them.
//
// Every call owns its copy: a second call while an earlier one has not started yet neither
// overwrites nor frees the earlier copy. The copy lives until the callback has returned and is
// released by the worker. An exception escaping the callback ends that worker quietly (a
// diagnostic line is written); it never reaches the caller or the user.
//
// The end of the program waits (up to a few seconds) for callbacks that still run: first
// when the application object is destroyed, else when static objects are destroyed, so a
// callback never runs on after what it uses has been torn down.

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

// The callback: the copy of the buffer and its size. The copy belongs to the call; it is valid
// only while the callback runs.
using TThreadCallFunction = std::function<void(void* Buffer, std::uint32_t BufferSize)>;

class TuiThread {
public:
    // Copies BufferSize bytes from Buffer and starts a thread that calls Func with the copy.
    // Returns at once; the caller may change or release its buffer as soon as it returns.
    // BufferSize 0: nothing happens, no thread, the buffer is not read. An empty Func with a
    // non-zero size still starts the thread, which only releases the copy.
    static void ThreadCallFunction(TThreadCallFunction Func, const void* Buffer, std::uint32_t BufferSize);

    // Calls started and not yet finished (copy not yet released). For diagnostics and tests.
    static int PendingCalls();
    // Waits until no call is under way; false when the time ran out first.
    static bool WaitForCalls(std::chrono::milliseconds timeout);

    TuiThread(const TuiThread&) = delete;
    TuiThread& operator=(const TuiThread&) = delete;
    ~TuiThread() = default;

private:
    TuiThread(TThreadCallFunction func, std::vector<std::uint8_t> copy);
    void Execute();

    TThreadCallFunction func_;
    std::vector<std::uint8_t> copy_;
};
