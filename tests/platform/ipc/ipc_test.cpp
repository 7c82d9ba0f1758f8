#include "platform/ipc/ipc.h"
#include "tests/platform/ipc/ipc_peer_thread.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace vyk::platform::ipc;

namespace {

using vyk::test::waitUntil;

using Peer = vyk::test::IpcPeerThread;

struct Log {
    std::mutex m;
    std::vector<std::int64_t> items;
    void add(std::int64_t v) {
        std::lock_guard l(m);
        items.push_back(v);
    }
    std::vector<std::int64_t> get() {
        std::lock_guard l(m);
        return items;
    }
    std::size_t size() {
        std::lock_guard l(m);
        return items.size();
    }
};

}  // namespace

TEST(Ipc, SendReturnsTheHandlersResultAndPostsArriveInOrder) {
    Log log;
    Peer cfg("TVYKCFGMAIN", [&](const Message& m) -> std::int64_t {
        log.add(m.wParam);
        return m.msg == 7040 ? m.wParam * 10 + m.lParam : 0;
    });
    ASSERT_TRUE(cfg.listening());
    EXPECT_TRUE(findWindow("TVYKCFGMAIN"));

    std::int64_t result = -1;
    EXPECT_EQ(sendMessage("TVYKCFGMAIN", {7040, 3, 2}, &result), SendStatus::Delivered);
    EXPECT_EQ(result, 32);
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(postMessage("TVYKCFGMAIN", {7042, 100 + i, 0}));
    ASSERT_TRUE(waitUntil([&] { return log.size() == 51; }));
    const auto items = log.get();
    for (int i = 0; i < 50; ++i) EXPECT_EQ(items[1 + i], 100 + i);
}

TEST(Ipc, MissingPeerIsSilentAndImmediate) {
    QElapsedTimer t;
    t.start();
    std::int64_t result = -1;
    EXPECT_FALSE(findWindow("TVYKCFGMAIN"));
    EXPECT_EQ(sendMessage("TVYKCFGMAIN", {7040, 1, 0}, &result), SendStatus::NoPeer);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(postMessage("TVYKCFGMAIN", {7036, 0, 0}));
    EXPECT_LT(t.elapsed(), 1000);

    // A socket file left behind by a dead program counts as missing and is replaced by the
    // next endpoint of that class.
    {
        Endpoint dead("TVYKCFGMAIN");
        ASSERT_TRUE(dead.listen());
    }
    const QByteArray path = QFile::encodeName(socketPath("TVYKCFGMAIN"));
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, path.constData());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::close(fd);  // bound, never listening: a stale file
    EXPECT_EQ(sendMessage("TVYKCFGMAIN", {7040, 1, 0}), SendStatus::NoPeer);
    Endpoint fresh("TVYKCFGMAIN");
    EXPECT_TRUE(fresh.listen());
}

TEST(Ipc, ALiveEndpointIsNeverReplaced) {
    Endpoint first("TVYKMONMAIN");
    ASSERT_TRUE(first.listen());
    Endpoint second("TVYKMONMAIN");
    EXPECT_FALSE(second.listen());
    second.close();  // must not remove the first one's socket
    EXPECT_TRUE(findWindow("TVYKMONMAIN"));
}

// The monitor sends a profile switch; the configuration program handles it by sending the
// settings-applied message back. The monitor must handle that inside its own send, and a
// message posted to it meanwhile must wait until the send has returned.
TEST(Ipc, NestedSendIsServedDuringTheWaitAndPostsWait) {
    std::vector<std::int64_t> monSeen;
    bool inSend = false;
    std::vector<bool> seenInSend;
    Endpoint mon("TVYKMONMAIN");
    mon.setHandler([&](const Message& m) -> std::int64_t {
        monSeen.push_back(m.msg * 100 + m.lParam);
        seenInSend.push_back(inSend);
        return 7;
    });
    ASSERT_TRUE(mon.listen());
    std::atomic<std::int64_t> replyToCfg{0};
    Peer cfg("TVYKCFGMAIN", [&](const Message& m) -> std::int64_t {
        if (m.msg == 7040) {
            postMessage("TVYKMONMAIN", {7042, 0, m.wParam});  // posted: must wait
            std::int64_t r = 0;
            sendMessage("TVYKMONMAIN", {7035, 1, m.wParam}, &r);
            replyToCfg = r;
        }
        return 1;
    });
    ASSERT_TRUE(cfg.listening());

    for (int p = 0; p < 20; ++p) {
        monSeen.clear();
        seenInSend.clear();
        inSend = true;
        ASSERT_EQ(sendMessage("TVYKCFGMAIN", {7040, p % 5, 0}), SendStatus::Delivered);
        inSend = false;
        EXPECT_EQ(replyToCfg.load(), 7);
        ASSERT_EQ(monSeen.size(), 1u) << "only the sent message is served during the wait";
        EXPECT_EQ(monSeen[0], 7035 * 100 + p % 5);
        EXPECT_TRUE(seenInSend[0]);
        ASSERT_TRUE(waitUntil([&] { return monSeen.size() == 2; }));
        EXPECT_EQ(monSeen[1], 7042 * 100 + p % 5);
        EXPECT_FALSE(seenInSend[1]);
    }
}

TEST(Ipc, CrossingSendsNeverDeadlock) {
    std::atomic<int> monHandled{0}, cfgHandled{0};
    Endpoint mon("TVYKMONMAIN");
    mon.setHandler([&](const Message&) -> std::int64_t {
        ++monHandled;
        return 0;
    });
    ASSERT_TRUE(mon.listen());
    Peer cfg("TVYKCFGMAIN", [&](const Message&) -> std::int64_t {
        ++cfgHandled;
        return 0;
    });
    ASSERT_TRUE(cfg.listening());

    // Both sides send as fast as they can, so many sends cross on the way. (Neither side may
    // block on anything but its send: a program waits for nothing else either.)
    constexpr int kRounds = 300;
    std::atomic<int> cfgDelivered{0};
    cfg.runLater([&] {
        for (int i = 0; i < kRounds; ++i) {
            if (sendMessage("TVYKMONMAIN", {7035, 1, 0}) == SendStatus::Delivered) ++cfgDelivered;
        }
    });
    int monDelivered = 0;
    for (int i = 0; i < kRounds; ++i) {
        if (sendMessage("TVYKCFGMAIN", {7040, 0, 0}) == SendStatus::Delivered) ++monDelivered;
    }
    // The peer's last send may still be waiting for us: serve it.
    ASSERT_TRUE(waitUntil([&] { return cfgDelivered == kRounds; }));
    EXPECT_EQ(monDelivered, kRounds);
    EXPECT_EQ(monHandled.load(), kRounds);
    EXPECT_EQ(cfgHandled.load(), kRounds);
}

TEST(Ipc, APeerThatNeverAnswersCountsAsMissing) {
    setPeerTimeout(300);
    // Listens and accepts, but never answers: a hung program.
    const QByteArray path = QFile::encodeName(socketPath("TVYKCFGMAIN"));
    const int lfd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, path.constData());
    ASSERT_EQ(::bind(lfd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(lfd, 8), 0);

    QElapsedTimer t;
    t.start();
    EXPECT_EQ(sendMessage("TVYKCFGMAIN", {7040, 2, 0}), SendStatus::Timeout);
    EXPECT_GE(t.elapsed(), 250);

    ::close(lfd);
    ::unlink(path.constData());

    // A peer that dies while the sender waits: the send returns as soon as it is gone.
    setPeerTimeout(60000);
    const int lfd2 = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    ASSERT_EQ(::bind(lfd2, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(lfd2, 8), 0);
    std::thread dying([&] {
        const int c = ::accept(lfd2, nullptr, nullptr);
        unsigned char buf[64];
        (void)::recv(c, buf, sizeof buf, 0);
        ::close(c);
    });
    t.restart();
    EXPECT_EQ(sendMessage("TVYKCFGMAIN", {7040, 2, 0}), SendStatus::NoPeer);
    EXPECT_LT(t.elapsed(), 30000);
    dying.join();
    ::close(lfd2);
    setPeerTimeout(kDefaultPeerTimeoutMs);
}

// A program in another language speaks the documented frames.
TEST(Ipc, RawFramesAsDocumented) {
    Log log;
    Peer mon("TVYKMONMAIN", [&](const Message& m) -> std::int64_t {
        log.add(m.msg);
        log.add(m.wParam);
        log.add(m.lParam);
        return 0x1122334455667788LL;
    });
    ASSERT_TRUE(mon.listening());
    const QByteArray path = QFile::encodeName(socketPath("TVYKMONMAIN"));
    auto connectRaw = [&] {
        const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strcpy(a.sun_path, path.constData());
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        return fd;
    };

    const unsigned char sendFrame[32] = {'V', 'Y', 'K', '1', 1, 0, 0, 0, 0x7B, 0x1B, 0, 0, 0, 0, 0, 0,
                                         1,   0,   0,   0,   0, 0, 0, 0, 3,    0,    0, 0, 0, 0, 0, 0};
    unsigned char reply[64];

    // Whatever a local program writes that is not a whole valid frame is dropped without an
    // answer, nothing reaches the handler, and the endpoint goes on working.
    auto withKind = [&](unsigned char kind) {
        std::string f(reinterpret_cast<const char*>(sendFrame), 32);
        f[4] = static_cast<char>(kind);
        return f;
    };
    const std::string bad[] = {
        "hello",
        std::string(reinterpret_cast<const char*>(sendFrame), 31),        // cut short
        std::string(reinterpret_cast<const char*>(sendFrame), 32) + "x",  // one byte too many
        std::string(reinterpret_cast<const char*>(sendFrame), 32) + std::string(4000, '\1'),
        "VYK2" + std::string(reinterpret_cast<const char*>(sendFrame) + 4, 28),  // wrong magic
        withKind(0),
        withKind(4),
        withKind(0xFF),  // unknown kinds
        withKind(3),     // a reply nobody asked for
        std::string(1, '\0'),
    };
    for (const std::string& b : bad) {
        const int fd = connectRaw();
        ASSERT_EQ(::send(fd, b.data(), b.size(), 0), static_cast<ssize_t>(b.size()));
        EXPECT_LE(::recv(fd, reply, sizeof reply, 0), 0) << "answered a frame of " << b.size() << " bytes";
        ::close(fd);
    }
    // A program that connects and goes away without a word, or that writes a frame in two
    // pieces (each is a packet of its own), changes nothing either.
    ::close(connectRaw());
    {
        const int fd = connectRaw();
        ASSERT_EQ(::send(fd, sendFrame, 16, 0), 16);
        (void)::send(fd, sendFrame + 16, 16, MSG_NOSIGNAL);  // the first half may have ended it
        EXPECT_LE(::recv(fd, reply, sizeof reply, 0), 0);
        ::close(fd);
    }
    EXPECT_TRUE(log.get().empty());

    int fd = connectRaw();
    ASSERT_EQ(::send(fd, sendFrame, 32, 0), 32);
    ASSERT_EQ(::recv(fd, reply, sizeof reply, 0), 32);
    ::close(fd);
    const unsigned char expected[32] = {'V',  'Y',  'K',  '1',  3,    0,    0,    0,    0x7B, 0x1B, 0, 0, 0, 0, 0, 0,
                                        0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0,    0,    0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(reply, expected, 32), 0);
    EXPECT_EQ(log.get(), (std::vector<std::int64_t>{7035, 1, 3}));
}

TEST(Ipc, OtherUsersCannotConnect) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    std::atomic<int> handled{0};
    Endpoint mon("TVYKMONMAIN");
    mon.setHandler([&](const Message&) -> std::int64_t {
        ++handled;
        return 1;
    });
    ASSERT_TRUE(mon.listen());
    const QByteArray path = QFile::encodeName(socketPath("TVYKMONMAIN"));
    // Open the file itself to everybody, so only the credential check stands in the way.
    const QByteArray dir = path.left(path.lastIndexOf('/'));
    ::chmod(path.constData(), 0777);
    ::chmod(dir.constData(), 0711);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.constData()) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0) {
            ::_exit(10);
        }
        const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strcpy(a.sun_path, "TVYKMONMAIN.sock");
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) ::_exit(11);
        const unsigned char frame[32] = {'V', 'Y', 'K', '1', 1, 0, 0, 0, 0x7B, 0x1B};
        // The endpoint may close the connection as soon as it sees the credentials, so a
        // failed send is a refusal too.
        if (::send(fd, frame, 32, MSG_NOSIGNAL) != 32) ::_exit(0);
        unsigned char reply[64];
        ::_exit(::recv(fd, reply, sizeof reply, 0) == 32 ? 1 : 0);
    }
    int status = -1;
    ASSERT_TRUE(waitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }));
    ::chmod(dir.constData(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "another user got an answer";
    EXPECT_EQ(handled.load(), 0);
}

namespace {

// A client of a local program: a non-blocking connection to the endpoint's socket, or -1.
int connectIdle(const QString& windowClass) {
    const QByteArray path = QFile::encodeName(socketPath(windowClass));
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, path.constData());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// True once the endpoint has closed the connection.
bool closedByPeer(int fd) {
    char b;
    return ::recv(fd, &b, 1, MSG_DONTWAIT) == 0;
}

struct FrameDeadline {
    explicit FrameDeadline(int ms) { setFrameDeadline(ms); }
    ~FrameDeadline() { setFrameDeadline(kDefaultFrameDeadlineMs); }
};

}  // namespace

TEST(Ipc, IdleConnectionsAreCappedAndClosedAndRealMessagesGetThrough) {
    FrameDeadline deadline(400);
    Log log;
    Endpoint mon("TVYKMONMAIN");
    mon.setHandler([&](const Message& m) -> std::int64_t {
        log.add(m.wParam);
        return 0;
    });
    ASSERT_TRUE(mon.listen());
    // A local program opens connections and never writes.
    std::vector<int> idle;
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 20; ++i) {
            const int fd = connectIdle("TVYKMONMAIN");
            ASSERT_GE(fd, 0);
            idle.push_back(fd);
        }
        QCoreApplication::processEvents();
        EXPECT_LE(mon.pendingConnections(), kMaxPendingConnections);
    }
    // A real message among them is handled at once.
    ASSERT_TRUE(postMessage("TVYKMONMAIN", {7035, 42, 0}));
    ASSERT_TRUE(waitUntil([&] { return log.size() == 1; }, 1000));
    EXPECT_EQ(log.get()[0], 42);
    // Past the deadline every idle connection has been closed by the endpoint.
    EXPECT_TRUE(waitUntil([&] { return mon.pendingConnections() == 0; }, 5000));
    for (int fd : idle) {
        EXPECT_TRUE(closedByPeer(fd));
        ::close(fd);
    }
    // The wait of a send keeps the deadline too.
    const int lingering = connectIdle("TVYKMONMAIN");
    ASSERT_GE(lingering, 0);
    QCoreApplication::processEvents();
    Peer cfg("TVYKCFGMAIN", [](const Message&) -> std::int64_t {
        std::this_thread::sleep_for(std::chrono::milliseconds(900));  // a slow handler
        return 1;
    });
    EXPECT_EQ(sendMessage("TVYKCFGMAIN", {7040, 1, 0}), SendStatus::Delivered);
    EXPECT_TRUE(closedByPeer(lingering));
    ::close(lingering);
}

TEST(Ipc, OutOfDescriptorsTheEndpointNeitherSpinsNorLocksOut) {
    FrameDeadline deadline(60000);  // idle connections stay until the descriptors run out
    Log log;
    Endpoint mon("TVYKMONMAIN");
    mon.setHandler([&](const Message& m) -> std::int64_t {
        log.add(m.wParam);
        return 0;
    });
    ASSERT_TRUE(mon.listen());
    // One message first: it also lets the sanitizers' runtime see every type involved while
    // it still has descriptors of its own for its checks.
    ASSERT_TRUE(postMessage("TVYKMONMAIN", {7035, 1, 0}));
    ASSERT_TRUE(waitUntil([&] { return log.size() == 1; }));
    std::vector<int> clients;
    for (int i = 0; i < 3; ++i) clients.push_back(connectIdle("TVYKMONMAIN"));
    ASSERT_TRUE(waitUntil([&] { return mon.pendingConnections() == 3; }));

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    struct Restore {
        rlimit limit;
        ~Restore() { ::setrlimit(RLIMIT_NOFILE, &limit); }
    } restore{old};
    rlimit low = old;
    low.rlim_cur = static_cast<rlim_t>(vyk::test::openDescriptorCount() + 8);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    // The local program takes every descriptor left; its connections queue up unaccepted.
    for (int i = 0; i < 60; ++i) {
        const int fd = connectIdle("TVYKMONMAIN");
        if (fd < 0) break;
        clients.push_back(fd);
    }
    ASSERT_GT(clients.size(), 3u);
    // The endpoint gives up its idle connections and takes and closes the rest instead of
    // spinning on a queue it cannot take: every client but those it still holds sees its end.
    const auto closed = [&] {
        return static_cast<std::size_t>(std::count_if(clients.begin(), clients.end(), closedByPeer));
    };
    EXPECT_TRUE(waitUntil([&] { return closed() > 0 && closed() + mon.pendingConnections() == clients.size(); }, 5000))
        << closed() << " closed, " << mon.pendingConnections() << " held, " << clients.size() << " clients";
    for (int fd : clients) ::close(fd);
    clients.clear();
    // Once they are gone a real message gets through, even with the low limit still in place.
    ASSERT_TRUE(postMessage("TVYKMONMAIN", {7035, 7, 0}));
    EXPECT_TRUE(waitUntil([&] { return log.size() == 2; }, 2000));
}

// An endpoint that lives until the process ends (a static one) goes after the thread's own
// thread_local objects; leaving the list of the thread's endpoints must still be safe.
TEST(IpcDeathTest, AnEndpointThatOutlivesItsThreadsLocalsEndsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static Endpoint second(QStringLiteral("VykTestStaticEndpointB"));
            static Endpoint first(QStringLiteral("VykTestStaticEndpointA"));
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
