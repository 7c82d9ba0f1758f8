// The background call thread: the callback runs off the calling thread on a private copy of
// the caller's buffer, the caller never waits, and every call keeps its own copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/defs/uiThread.h"

namespace {

using namespace std::chrono_literals;

// Collects what callbacks saw, and lets a test hold a callback until it releases it.
struct Probe {
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::vector<std::uint8_t>> seen;
    std::vector<std::thread::id> threads;
    bool released = false;

    TThreadCallFunction callback(bool hold) {
        return [this, hold](void* buf, std::uint32_t size) {
            std::unique_lock lock(m);
            if (hold) cv.wait(lock, [&] { return released; });
            auto* p = static_cast<std::uint8_t*>(buf);
            seen.emplace_back(p, p + size);
            threads.push_back(std::this_thread::get_id());
            cv.notify_all();
        };
    }
    void release() {
        std::lock_guard lock(m);
        released = true;
        cv.notify_all();
    }
    bool waitFor(std::size_t n) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, 10s, [&] { return seen.size() >= n; });
    }
};

// Waits until every started call has released its copy.
bool allCallsFinished() { return TuiThread::WaitForCalls(10s); }

TEST(TuiThread, CallbackSeesTheBufferAsItWasAtTheCall) {
    Probe probe;
    // The caller's buffer dies right after the call; the held callback runs only afterwards.
    {
        auto buffer = std::make_unique<std::array<std::uint8_t, 12>>();
        for (std::uint8_t i = 0; i < 12; ++i) (*buffer)[i] = i + 1;
        TuiThread::ThreadCallFunction(probe.callback(true), buffer->data(), 12);
        buffer->fill(0xEE);
    }
    probe.release();
    ASSERT_TRUE(probe.waitFor(1));
    EXPECT_EQ(probe.seen[0], (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_NE(probe.threads[0], std::this_thread::get_id());
    EXPECT_TRUE(allCallsFinished());  // the copy is released after the callback
}

TEST(TuiThread, TwoCallsInARowEachKeepTheirOwnCopy) {
    Probe probe;
    std::uint32_t a = 0x11111111, b = 0x22222222;
    // Both calls are issued before either callback may run: neither copy may be lost,
    // overwritten by the other or freed twice.
    TuiThread::ThreadCallFunction(probe.callback(true), &a, sizeof a);
    TuiThread::ThreadCallFunction(probe.callback(true), &b, sizeof b);
    a = b = 0;
    probe.release();
    ASSERT_TRUE(probe.waitFor(2));
    std::vector<std::uint32_t> values;
    for (const auto& s : probe.seen) {
        ASSERT_EQ(s.size(), 4u);
        std::uint32_t v;
        std::memcpy(&v, s.data(), 4);
        values.push_back(v);
    }
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<std::uint32_t>{0x11111111, 0x22222222}));
    EXPECT_TRUE(allCallsFinished());
}

TEST(TuiThread, ZeroSizeDoesNothingAndNeverReadsTheBuffer) {
    bool called = false;
    // An invalid pointer: reading it would fail under the sanitizer.
    TuiThread::ThreadCallFunction([&](void*, std::uint32_t) { called = true; }, reinterpret_cast<const void*>(0x10), 0);
    EXPECT_EQ(TuiThread::PendingCalls(), 0);
    EXPECT_FALSE(called);
}

TEST(TuiThread, FailingOrMissingCallbackEndsOnlyItsThread) {
    std::uint8_t byte = 7;
    TuiThread::ThreadCallFunction([](void*, std::uint32_t) { throw std::runtime_error("boom"); }, &byte, 1);
    TuiThread::ThreadCallFunction(nullptr, &byte, 1);
    EXPECT_TRUE(allCallsFinished());

    Probe probe;  // the mechanism still works afterwards
    TuiThread::ThreadCallFunction(probe.callback(false), &byte, 1);
    ASSERT_TRUE(probe.waitFor(1));
    EXPECT_EQ(probe.seen[0], std::vector<std::uint8_t>{7});
    EXPECT_TRUE(allCallsFinished());
}

// The program ends while a callback still runs: what was made before the call must not be
// torn down under the callback; the end waits for it to finish.
std::atomic<bool> gExiting{false};
std::atomic<bool> gTornDown{false};
struct MadeBeforeTheCall {
    ~MadeBeforeTheCall() { gTornDown = true; }
};

TEST(TuiThreadDeathTest, ProgramEndWaitsForARunningCallback) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static MadeBeforeTheCall before;
            std::uint8_t byte = 1;
            TuiThread::ThreadCallFunction(
                [](void*, std::uint32_t) {
                    while (!gExiting) std::this_thread::sleep_for(1ms);
                    std::this_thread::sleep_for(100ms);  // the program end goes on meanwhile
                    std::fputs(gTornDown ? "torn down\n" : "still intact\n", stderr);
                },
                &byte, 1);
            std::atexit([] { gExiting = true; });  // runs first at the end
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "still intact");
}

}  // namespace
