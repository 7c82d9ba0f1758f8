// Fuzz target: the bytes as packets arriving on a program's message socket, decoded by the
// real endpoint (accept, same-user check, frame decode, dispatch, reply).
//
// Input: a sequence of packets, each a length byte followed by that many bytes (the last one
// takes what is left). Each packet is sent on a connection of its own, as the programs do.
// Checked: a packet is handed to the handler exactly when it is a 32-byte frame with the magic
// and kind send or post, with the fields it carries; a send is answered with one reply frame
// that repeats the message number and carries the handler's result; nothing else is answered.

#include "fuzz/support/fuzz_support.h"

#include "platform/ipc/ipc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstring>
#include <memory>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ipc = vyk::platform::ipc;

namespace {

const QString kClass = QStringLiteral("TVYKFUZZMAIN");
ipc::Endpoint* g_endpoint = nullptr;
std::vector<ipc::Message> g_seen;

std::uint32_t u32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
std::int64_t i64(const std::uint8_t* p) {
    std::int64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// The handler's answer: derived from the message, so a reply can be checked.
std::int64_t answerOf(const ipc::Message& m) {
    return static_cast<std::int64_t>(std::uint64_t{m.msg} * 3 + static_cast<std::uint64_t>(m.wParam) -
                                     static_cast<std::uint64_t>(m.lParam));
}

int connectToEndpoint() {
    const QByteArray path = QFile::encodeName(ipc::socketPath(kClass));
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof addr.sun_path)
        vyk::fuzz::fail(__FILE__, __LINE__, "socket path too long");
    std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        vyk::fuzz::fail(__FILE__, __LINE__, "cannot connect to the endpoint");
    }
    return fd;
}

// Runs the event loop until the endpoint closed our connection; returns what it sent back.
std::vector<std::vector<std::uint8_t>> serveUntilClosed(int fd) {
    std::vector<std::vector<std::uint8_t>> replies;
    QElapsedTimer t;
    t.start();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0) {
            std::uint8_t buf[256];
            const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n == 0) break;
            if (n > 0)
                replies.emplace_back(buf, buf + n);
            else if (errno != EAGAIN && errno != EINTR)
                break;
        }
        // The endpoint closes every connection once its frame is read; far beyond the frame
        // deadline, a connection still open means the endpoint lost it.
        if (t.elapsed() > 10000) vyk::fuzz::fail(__FILE__, __LINE__, "the endpoint never closed a connection");
    }
    return replies;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::ensureApplication();
    g_endpoint = new ipc::Endpoint(kClass);
    g_endpoint->setHandler([](const ipc::Message& m) {
        g_seen.push_back(m);
        return answerOf(m);
    });
    if (!g_endpoint->listen()) vyk::fuzz::fail(__FILE__, __LINE__, "the endpoint cannot listen");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (g_endpoint == nullptr) LLVMFuzzerInitialize(nullptr, nullptr);
    std::size_t pos = 0;
    int packets = 0;
    while (pos < size && packets < 16) {
        std::size_t len = data[pos++];
        if (len > size - pos || packets == 15) len = size - pos;
        const std::uint8_t* p = data + pos;
        pos += len;
        ++packets;

        const bool frame = len == 32 && u32(p) == 0x314B5956u;
        const std::uint32_t kind = frame ? u32(p + 4) : 0;
        const bool handled = frame && (kind == 1 || kind == 2);
        const ipc::Message expected{frame ? u32(p + 8) : 0, frame ? i64(p + 16) : 0, frame ? i64(p + 24) : 0};

        g_seen.clear();
        const int fd = connectToEndpoint();
        const ssize_t sent = ::send(fd, p, len, MSG_NOSIGNAL);
        VYK_FUZZ_CHECK(sent == static_cast<ssize_t>(len), "a packet could not be sent");
        const auto replies = serveUntilClosed(fd);
        ::close(fd);
        vyk::fuzz::drainEvents();  // a post is handled from the event loop

        VYK_FUZZ_CHECK(g_seen.size() == (handled ? 1u : 0u),
                       "a packet was handled that is no frame, or a frame was lost");
        if (handled) {
            const ipc::Message& m = g_seen.front();
            VYK_FUZZ_CHECK(m.msg == expected.msg && m.wParam == expected.wParam && m.lParam == expected.lParam,
                           "the handler saw other fields than the frame carried");
        }
        if (handled && kind == 1) {
            VYK_FUZZ_CHECK(replies.size() == 1 && replies[0].size() == 32, "a send was not answered by one frame");
            const std::uint8_t* r = replies[0].data();
            VYK_FUZZ_CHECK(u32(r) == 0x314B5956u && u32(r + 4) == 3 && u32(r + 8) == expected.msg &&
                               i64(r + 16) == answerOf(expected) && i64(r + 24) == 0,
                           "the reply does not answer the send");
        } else {
            VYK_FUZZ_CHECK(replies.empty(), "something other than a send was answered");
        }
    }
    return 0;
}
