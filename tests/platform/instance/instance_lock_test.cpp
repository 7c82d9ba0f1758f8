#include "platform/instance/instance_lock.h"
#include "platform/instance/runtime_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/test_env.h"

extern char** environ;

using vyk::platform::InstanceLock;

namespace {

// One probe process with its stdin and stdout connected to us.
struct Probe {
    pid_t pid = -1;
    int in = -1;   // we write: one byte releases it, closing ends it
    int out = -1;  // we read its answer

    explicit Probe(const std::string& name) {
        int toChild[2], fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&fa, fromChild[1], 1);
        posix_spawn_file_actions_addclose(&fa, toChild[1]);
        posix_spawn_file_actions_addclose(&fa, fromChild[0]);
        std::string exe = VYK_INSTANCE_PROBE;
        char* argv[] = {exe.data(), const_cast<char*>(name.c_str()), nullptr};
        if (posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv, environ) != 0) throw std::runtime_error("spawn");
        posix_spawn_file_actions_destroy(&fa);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in = toChild[1];
        out = fromChild[0];
    }
    void release() const { ASSERT_EQ(::write(in, "x", 1), 1); }
    std::string answer() const {
        std::string s;
        char c;
        while (::read(out, &c, 1) == 1 && c != '\n') s += c;
        return s;
    }
    void finish() {
        if (in >= 0) ::close(in);
        if (out >= 0) ::close(out);
        in = out = -1;
        int status = 0;
        if (pid > 0) ::waitpid(pid, &status, 0);
        pid = -1;
    }
    ~Probe() { finish(); }
};

}  // namespace

TEST(InstanceLock, SecondHolderInTheSameProcessIsRefusedUntilRelease) {
    auto first = InstanceLock::tryAcquire("TESTLOCK_A");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(InstanceLock::tryAcquire("TESTLOCK_A"), nullptr);
    EXPECT_NE(InstanceLock::tryAcquire("TESTLOCK_B"), nullptr) << "locks of other names are independent";
    first.reset();
    EXPECT_NE(InstanceLock::tryAcquire("TESTLOCK_A"), nullptr);
}

TEST(InstanceLock, ProcessesStartedTogetherGetExactlyOneLock) {
    std::vector<std::unique_ptr<Probe>> probes;
    for (int i = 0; i < 8; ++i) probes.push_back(std::make_unique<Probe>("TVYKMONMAIN"));
    for (auto& p : probes) p->release();
    int got = 0, busy = 0;
    for (auto& p : probes) {
        const std::string a = p->answer();
        if (a == "got")
            ++got;
        else if (a == "busy")
            ++busy;
    }
    EXPECT_EQ(got, 1);
    EXPECT_EQ(busy, 7);
}

TEST(InstanceLock, LockOfAKilledProcessIsFreed) {
    Probe holder("TVYKCFGMAIN");
    holder.release();
    ASSERT_EQ(holder.answer(), "got");
    EXPECT_EQ(InstanceLock::tryAcquire("TVYKCFGMAIN"), nullptr);
    ::kill(holder.pid, SIGKILL);
    holder.finish();
    EXPECT_NE(InstanceLock::tryAcquire("TVYKCFGMAIN"), nullptr);
}

// The monitor starts the configuration program (and the other way round): a started program
// must not inherit the lock, or it would keep it after its starter crashed, and no new starter
// could run while it lives.
TEST(InstanceLock, ProgramsStartedByTheHolderDoNotKeepTheLock) {
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        // The holder takes the lock, starts a program and dies without releasing anything.
        auto lock = InstanceLock::tryAcquire("TVYKMONMAIN");
        pid_t started = -1;
        char sleepExe[] = "/bin/sleep";
        char seconds[] = "60";
        char* argv[] = {sleepExe, seconds, nullptr};
        if (!lock || posix_spawn(&started, sleepExe, nullptr, nullptr, argv, environ) != 0) ::_exit(1);
        (void)::write(pipeFds[1], &started, sizeof started);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    pid_t started = -1;
    const bool gotPid = ::read(pipeFds[0], &started, sizeof started) == static_cast<ssize_t>(sizeof started);
    ::close(pipeFds[0]);
    int status = -1;
    ::waitpid(holder, &status, 0);
    ASSERT_TRUE(gotPid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(InstanceLock::tryAcquire("TVYKMONMAIN"), nullptr) << "the started program holds the lock";
    ::kill(started, SIGKILL);
    ::waitpid(started, nullptr, 0);  // a grandchild: reaped by init, this only tidies up if it can
}

TEST(RuntimeDir, IsPrivateAndFollowsXdgRuntimeDir) {
    const auto base = vyk::test::freshDir("rt");
    vyk::test::ScopedEnv env("XDG_RUNTIME_DIR", base.string());
    const auto dir = vyk::platform::runtimeDir();
    EXPECT_EQ(dir, base / "vyk");
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A folder opened to others is closed again before it is used.
    ::chmod(dir.c_str(), 0777);
    vyk::platform::runtimeDir();
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(RuntimeDir, AFileInTheWayIsAnError) {
    const auto base = vyk::test::freshDir("rt2");
    vyk::test::writeText(base / "vyk", "not a folder");
    vyk::test::ScopedEnv env("XDG_RUNTIME_DIR", base.string());
    EXPECT_THROW(vyk::platform::runtimeDir(), std::runtime_error);
    EXPECT_THROW(InstanceLock::tryAcquire("X"), std::runtime_error);
}
