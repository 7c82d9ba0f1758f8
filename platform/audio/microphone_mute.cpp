#include "platform/audio/microphone_mute.h"

#include "platform/audio/pulse_library.h"
#include "platform/diag/diag.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>

namespace vyk::platform {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kConnectTimeoutMs = 2000;
constexpr int kOperationTimeoutMs = 2000;

void debug(const char* what) { debugLog(QStringLiteral("microphone mute: ") + QString::fromUtf8(what)); }

}  // namespace

struct MicrophoneMute::Impl {
    std::mutex mutex;
    std::condition_variable cv;
    int pending = 0;       // toggles asked for and not yet taken by the worker
    bool busy = false;     // the worker is carrying one out
    bool running = false;  // a worker is in its loop (it takes new toggles)
    bool stop = false;
    std::atomic<std::uint64_t> toggled{0};
    std::atomic<std::uint64_t> dropped{0};
    std::thread worker;  // the current worker, or the last one (ended, not joined yet)

    // Kept across workers; only the worker of the moment touches it (a new worker first joins
    // the one before).
    std::string source;  // the chosen default source; empty until chosen

    std::mutex wakeMutex;               // guards wakeTarget against being freed while woken
    pa_mainloop* wakeTarget = nullptr;  // the loop the destructor wakes

    ~Impl() {
        std::thread last;
        {
            std::lock_guard l(mutex);
            stop = true;
            last = std::move(worker);
        }
        cv.notify_all();
        {
            std::lock_guard l(wakeMutex);
            if (wakeTarget) pulseLibrary()->pa_mainloop_wakeup(wakeTarget);
        }
        if (last.joinable()) last.join();
    }

    void toggle() {
        {
            std::lock_guard l(mutex);
            ++pending;
            if (!running && !stop) {
                // The worker that ended (if any) is joined by its successor, not here.
                running = true;
                worker = std::thread([this, previous = std::move(worker)]() mutable { run(std::move(previous)); });
            }
        }
        cv.notify_all();
    }

    bool stopping() {
        std::lock_guard l(mutex);
        return stop;
    }

    void setWakeTarget(pa_mainloop* m) {
        std::lock_guard l(wakeMutex);
        wakeTarget = m;
    }

    // The loop's poll. A wake-up from the destructor that comes before the loop starts its poll
    // is cleared by the loop's own preparation; the stop flag, looked at here after that, is
    // not: a stop never waits for a server that does not answer.
    static int pollUnlessStopping(pollfd* fds, unsigned long n, int timeoutMs, void* self) {
        return ::poll(fds, n, static_cast<Impl*>(self)->stopping() ? 0 : timeoutMs);
    }

    // One connection to the server, on the worker's thread.
    class Connection {
    public:
        Connection(Impl& owner, const PulseLibrary& pa) : d(owner), pa(pa) {}
        ~Connection() { disconnect(); }
        Connection(const Connection&) = delete;
        Connection& operator=(const Connection&) = delete;

        void disconnect() {
            d.setWakeTarget(nullptr);
            if (ctx) {
                pa.pa_context_disconnect(ctx);
                pa.pa_context_unref(ctx);
                ctx = nullptr;
            }
            if (loop) {
                pa.pa_mainloop_free(loop);
                loop = nullptr;
            }
        }

        bool connected() {
            if (!ctx) return false;
            // Take in whatever the server said since the last use (a lost connection shows here).
            while (pa.pa_mainloop_iterate(loop, 0, nullptr) > 0) {
            }
            return pa.pa_context_get_state(ctx) == PA_CONTEXT_READY;
        }

        bool connect() {
            disconnect();
            loop = pa.pa_mainloop_new();
            if (!loop) return false;
            pa.pa_mainloop_set_poll_func(loop, &Impl::pollUnlessStopping, &d);
            d.setWakeTarget(loop);
            if (d.stopping()) return false;  // the destructor may have missed the new loop
            ctx = pa.pa_context_new(pa.pa_mainloop_get_api(loop), "VykMon");
            if (!ctx) return false;
            if (pa.pa_context_connect(ctx, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
            made = runUntil([this] { return pa.pa_context_get_state(ctx) == PA_CONTEXT_READY; }, kConnectTimeoutMs);
            return made;
        }

        // A connection was made at some point (it may have broken since).
        bool wasMade() const { return made; }

        // One toggle: read the mute, write its opposite. Nothing is written unless the read worked.
        bool toggleOnce() {
            SourceState s;  // the mute as read right before the write
            if (!chooseSource(s)) return false;
            struct Result {
                bool done = false;
                bool ok = false;
            } result;
            pa_operation* op = pa.pa_context_set_source_mute_by_name(
                ctx, d.source.c_str(), s.muted ? 0 : 1,
                [](pa_context*, int success, void* ud) {
                    auto* r = static_cast<Result*>(ud);
                    r->ok = success != 0;
                    r->done = true;
                },
                &result);
            return finish(op, result.done) && result.ok;
        }

    private:
        // Runs the server loop until done() holds; false on timeout, stop or a failed connection.
        template <class Done>
        bool runUntil(Done done, int timeoutMs) {
            const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
            while (!done()) {
                if (d.stopping()) return false;
                const pa_context_state_t st = pa.pa_context_get_state(ctx);
                if (st == PA_CONTEXT_FAILED || st == PA_CONTEXT_TERMINATED) return false;
                const auto left =
                    std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
                if (left <= 0) return false;
                if (pa.pa_mainloop_prepare(loop, static_cast<int>(left)) < 0) return false;
                if (pa.pa_mainloop_poll(loop) < 0) return false;
                if (pa.pa_mainloop_dispatch(loop) < 0) return false;
            }
            return true;
        }

        // Waits for an operation to finish; false on timeout or failure (the operation is
        // cancelled).
        bool finish(pa_operation* op, const bool& done) {
            if (!op) return false;
            const bool ok = runUntil([&] { return done; }, kOperationTimeoutMs);
            if (!ok) pa.pa_operation_cancel(op);
            pa.pa_operation_unref(op);
            return ok;
        }

        struct SourceState {
            bool done = false;
            bool found = false;
            bool muted = false;
            bool monitor = false;
        };

        static void onSourceInfo(pa_context*, const pa_source_info* info, int eol, void* ud) {
            auto* s = static_cast<SourceState*>(ud);
            if (eol != 0) {
                s->done = true;
                return;
            }
            if (info) {
                s->found = true;
                s->muted = info->mute != 0;
                s->monitor = info->monitor_of_sink != PA_INVALID_INDEX;
            }
        }

        bool readSource(const std::string& name, SourceState& s) {
            pa_operation* op = pa.pa_context_get_source_info_by_name(ctx, name.c_str(), &onSourceInfo, &s);
            return finish(op, s.done) && s.found;
        }

        // Chooses the server's default source, unless one is chosen and still exists; s is the
        // state of the source read for that.
        bool chooseSource(SourceState& s) {
            if (!d.source.empty()) {
                if (readSource(d.source, s)) return true;
                if (!connected()) return false;
                d.source.clear();  // it went away: take the current default
            }
            struct Server {
                bool done = false;
                std::string name;
            } server;
            pa_operation* op = pa.pa_context_get_server_info(
                ctx,
                [](pa_context*, const pa_server_info* info, void* ud) {
                    auto* sv = static_cast<Server*>(ud);
                    if (info && info->default_source_name) sv->name = info->default_source_name;
                    sv->done = true;
                },
                &server);
            if (!finish(op, server.done) || server.name.empty()) return false;
            s = SourceState{};
            if (!readSource(server.name, s)) return false;
            if (s.monitor) {
                debug("the default source is a monitor, no microphone");
                return false;
            }
            d.source = server.name;
            return true;
        }

        Impl& d;
        const PulseLibrary& pa;
        pa_mainloop* loop = nullptr;
        pa_context* ctx = nullptr;
        bool made = false;
    };

    // Carries out one queued toggle on the worker's connection (made when there is none);
    // false when it had to be dropped. The chosen source is kept when the worker ended its
    // connection because it was idle, and forgotten when a connection broke or could not be
    // made: the server may have restarted with another default.
    bool carryOut(const PulseLibrary* pa, std::unique_ptr<Connection>& c) {
        if (pa == nullptr) return false;
        if (!c) c = std::make_unique<Connection>(*this, *pa);
        if (!c->connected()) {
            if (c->wasMade()) source.clear();
            if (!c->connect()) {
                source.clear();
                return false;
            }
        }
        if (c->toggleOnce()) return true;
        // A connection that broke under us (server restarted): one more try afresh.
        if (c->connected() || stopping()) return false;
        source.clear();
        return c->connect() && c->toggleOnce();
    }

    void run(std::thread previous) {
        if (previous.joinable()) previous.join();
        const PulseLibrary* pa = pulseLibrary();
        std::unique_ptr<Connection> connection;
        for (;;) {
            {
                std::unique_lock l(mutex);
                busy = false;
                cv.notify_all();
                const bool work =
                    cv.wait_for(l, std::chrono::milliseconds(kIdleEndMs), [&] { return stop || pending > 0; });
                if (stop || !work) {
                    running = false;  // from here on a toggle starts a new worker
                    break;
                }
                busy = true;
            }
            const bool ok = carryOut(pa, connection);
            std::lock_guard l(mutex);
            if (ok) {
                --pending;
                ++toggled;
            } else {
                // Every press made while the server or the microphone is missing does nothing;
                // the next press tries again.
                dropped += static_cast<std::uint64_t>(pending);
                pending = 0;
            }
        }
        connection.reset();
    }
};

MicrophoneMute::MicrophoneMute() : d(std::make_unique<Impl>()) {}
MicrophoneMute::~MicrophoneMute() = default;

void MicrophoneMute::toggle() { d->toggle(); }

bool MicrophoneMute::waitIdle(int timeoutMs) {
    std::unique_lock l(d->mutex);
    return d->cv.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return d->pending == 0 && !d->busy; });
}

std::uint64_t MicrophoneMute::toggledCount() const { return d->toggled; }
std::uint64_t MicrophoneMute::droppedCount() const { return d->dropped; }

bool MicrophoneMute::workerRunning() const {
    std::lock_guard l(d->mutex);
    return d->running;
}

}  // namespace vyk::platform
