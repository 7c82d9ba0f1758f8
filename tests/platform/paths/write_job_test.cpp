#include "platform/paths/write_job.h"
#include "platform/paths/file_io.h"

#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace vyk::platform;
namespace fs = std::filesystem;

namespace {

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

// A gate a step waits at until the calling thread opens it (bounded, so a job that wrongly runs
// on the calling thread fails the test instead of hanging it).
class Gate {
public:
    bool waitOpen() {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, std::chrono::seconds(10), [this] { return open_; });
    }
    void open() {
        {
            std::lock_guard lock(m_);
            open_ = true;
        }
        cv_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
};

// Removes the flush hook when a test ends.
struct FlushHookScope {
    explicit FlushHookScope(FlushHook hook) { setFlushHook(std::move(hook)); }
    ~FlushHookScope() { setFlushHook({}); }
};

}  // namespace

// The steps run in order on another thread while the calling thread goes on handling its
// events (here a timer opens the gate the first step waits at); every folder is flushed by the
// worker before the run returns; the afterwards run on the calling thread, in order, after the
// last step.
TEST(WriteJobTest, OffThreadStepsRunInOrderWhileTheCallerHandlesEvents) {
    const fs::path dir = vyk::test::freshDir("offthread");
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex m;
    std::vector<std::string> seen;  // steps, flushes and afterwards, in the order they happened
    const auto note = [&](const std::string& what) {
        std::lock_guard lock(m);
        seen.push_back(what);
    };
    FlushHookScope hook([&](const QByteArray& path) {
        if (std::this_thread::get_id() == caller)
            note("flush on the caller");
        else if (!path.contains("/.~"))
            note("folder flushed");  // not a file's temporary copy
    });

    Gate gate;
    bool gateOpened = false;
    QTimer opener;
    QObject::connect(&opener, &QTimer::timeout, [&] {
        gateOpened = true;
        gate.open();
    });
    opener.setSingleShot(true);
    opener.start(0);

    WriteJob job;
    job.Add([&]() -> WriteJob::Afterwards {
        note(std::this_thread::get_id() == caller ? "step 1 on the caller" : "step 1");
        if (!gate.waitOpen()) note("gate never opened");
        writeFileAtomic(q(dir / "a"), QByteArray("first"));
        return [&] { note(std::this_thread::get_id() == caller ? "after 1" : "after 1 on the worker"); };
    });
    job.Add([&]() -> WriteJob::Afterwards {
        note("step 2");
        writeFileAtomic(q(dir / "b"), QByteArray("second"));
        return {};
    });
    job.Add([&]() -> WriteJob::Afterwards {
        note("step 3");
        return [&] { note("after 3"); };
    });
    job.RunOffThread();

    EXPECT_TRUE(gateOpened);
    EXPECT_EQ(seen, (std::vector<std::string>{"step 1", "step 2", "step 3", "folder flushed", "after 1", "after 3"}));
    EXPECT_EQ(readWholeFile(q(dir / "a")), QByteArray("first"));
    EXPECT_EQ(readWholeFile(q(dir / "b")), QByteArray("second"));
}

// A failing step ends the job the same way on both runs: the steps after it do not run, the
// afterwards of those before it do, and its own error reaches the caller.
TEST(WriteJobTest, AFailingStepStopsTheRestAndItsErrorReachesTheCaller) {
    for (const bool offThread : {false, true}) {
        SCOPED_TRACE(offThread ? "RunOffThread" : "Run");
        const fs::path dir = vyk::test::freshDir(offThread ? "fail-off" : "fail-here");
        std::vector<std::string> seen;
        WriteJob job;
        job.Add([&]() -> WriteJob::Afterwards {
            writeFileAtomic(q(dir / "a"), QByteArray("kept"));
            return [&] { seen.push_back("after 1"); };
        });
        job.Add([&]() -> WriteJob::Afterwards {
            writeFileAtomic(q(dir / "missing/b"), QByteArray("x"));
            return [&] { seen.push_back("after 2"); };
        });
        job.Add([&]() -> WriteJob::Afterwards {
            writeFileAtomic(q(dir / "c"), QByteArray("never"));
            return [&] { seen.push_back("after 3"); };
        });
        EXPECT_THROW(offThread ? job.RunOffThread() : job.Run(), FileError);
        EXPECT_EQ(seen, std::vector<std::string>{"after 1"});
        EXPECT_EQ(readWholeFile(q(dir / "a")), QByteArray("kept"));
        EXPECT_FALSE(fs::exists(dir / "c"));
    }
}
