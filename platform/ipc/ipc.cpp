#include "platform/ipc/ipc.h"

#include "platform/diag/diag.h"
#include "platform/instance/runtime_dir.h"

#include <QFile>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vyk::platform::ipc {

namespace {

// Frame layout (docs/ipc.md): 32 bytes, little-endian.
constexpr std::uint32_t kMagic = 0x314B5956;  // bytes 'V' 'Y' 'K' '1'
constexpr std::size_t kFrameSize = 32;
enum Kind : std::uint32_t { kSend = 1, kPost = 2, kReply = 3 };

struct Frame {
    std::uint32_t kind = 0;
    Message m;
};

static_assert(std::endian::native == std::endian::little, "frames are written in host order");

void encode(const Frame& f, unsigned char* out) {
    const std::uint32_t reserved = 0;
    std::memcpy(out + 0, &kMagic, 4);
    std::memcpy(out + 4, &f.kind, 4);
    std::memcpy(out + 8, &f.m.msg, 4);
    std::memcpy(out + 12, &reserved, 4);
    std::memcpy(out + 16, &f.m.wParam, 8);
    std::memcpy(out + 24, &f.m.lParam, 8);
}

bool decode(const unsigned char* in, std::size_t n, Frame& f) {
    if (n != kFrameSize) return false;
    std::uint32_t magic = 0;
    std::memcpy(&magic, in, 4);
    if (magic != kMagic) return false;
    std::memcpy(&f.kind, in + 4, 4);
    std::memcpy(&f.m.msg, in + 8, 4);
    std::memcpy(&f.m.wParam, in + 16, 8);
    std::memcpy(&f.m.lParam, in + 24, 8);
    return f.kind == kSend || f.kind == kPost || f.kind == kReply;
}

bool writeFrame(int fd, const Frame& f) {
    unsigned char buf[kFrameSize];
    encode(f, buf);
    ssize_t n;
    do {
        n = ::send(fd, buf, sizeof buf, MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof buf);
}

// 1: a frame was read; 0: nothing yet; -1: closed, failed or not a valid frame.
int readFrame(int fd, Frame& f) {
    unsigned char buf[kFrameSize + 1];
    ssize_t n;
    do {
        n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    if (n == 0) return -1;
    return decode(buf, static_cast<std::size_t>(n), f) ? 1 : -1;
}

bool sameUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
    return cred.uid == ::geteuid();
}

bool makeAddress(const QString& windowClass, sockaddr_un& addr) {
    const QByteArray path = QFile::encodeName(socketPath(windowClass));
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof addr.sun_path) return false;
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

bool validClass(const QString& c) { return !c.isEmpty() && !c.contains(QLatin1Char('/')); }

// A connected socket to the window of that class, or -1.
int connectTo(const QString& windowClass) {
    if (!validClass(windowClass)) return -1;
    sockaddr_un addr;
    try {
        if (!makeAddress(windowClass, addr)) return -1;
    } catch (const std::exception&) {
        return -1;  // no runtime folder: nobody can be listening
    }
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    } while (rc != 0 && errno == EINTR);
    // A listening Unix socket either takes the connection at once or refuses it (EAGAIN when
    // its backlog is full: the peer is not accepting, which counts as missing).
    if (rc != 0 || !sameUser(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::atomic<int> g_peerTimeoutMs{kDefaultPeerTimeoutMs};

// The endpoints of each thread, served while that thread waits in a send: a list linked
// through the endpoints themselves, so it has nothing to destroy and an endpoint that outlives
// the thread's thread_local objects (a static one, say) still unlinks itself safely.
thread_local Endpoint* t_firstEndpoint = nullptr;

}  // namespace

struct Endpoint::Conn {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    long long deadlineMs = 0;  // steady clock: closed when its frame has not come by then
};

namespace {

std::atomic<int> g_frameDeadlineMs{kDefaultFrameDeadlineMs};
constexpr int kAcceptPauseMs = 250;

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int openReserve() { return ::open("/dev/null", O_RDONLY | O_CLOEXEC); }

// True when the connection has nothing to read (no frame, no hang-up).
bool idle(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;
}

}  // namespace

void setPeerTimeout(int ms) { g_peerTimeoutMs = ms > 0 ? ms : kDefaultPeerTimeoutMs; }
int peerTimeout() { return g_peerTimeoutMs; }
void setFrameDeadline(int ms) { g_frameDeadlineMs = ms > 0 ? ms : kDefaultFrameDeadlineMs; }
int frameDeadline() { return g_frameDeadlineMs; }

QString socketPath(const QString& windowClass) {
    return QFile::decodeName(QByteArray((vyk::platform::runtimeDir() / "").c_str())) + windowClass +
           QStringLiteral(".sock");
}

bool findWindow(const QString& windowClass) {
    const int fd = connectTo(windowClass);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool postMessage(const QString& windowClass, const Message& m) {
    const int fd = connectTo(windowClass);
    if (fd < 0) return false;
    const bool ok = writeFrame(fd, Frame{kPost, m});
    ::close(fd);
    return ok;
}

SendStatus sendMessage(const QString& windowClass, const Message& m, std::int64_t* result) {
    using Clock = std::chrono::steady_clock;
    if (result) *result = 0;
    const int fd = connectTo(windowClass);
    if (fd < 0) return SendStatus::NoPeer;
    if (!writeFrame(fd, Frame{kSend, m})) {
        ::close(fd);
        return SendStatus::NoPeer;
    }

    auto deadline = Clock::now() + std::chrono::milliseconds(peerTimeout());
    for (;;) {
        // The wait set is rebuilt each round: serving a message may add or remove connections
        // (and even endpoints).
        std::vector<pollfd> fds;
        std::vector<std::pair<QPointer<Endpoint>, Endpoint::Conn*>> owners;  // parallel to fds[1..]
        fds.push_back({fd, POLLIN, 0});
        owners.emplace_back(nullptr, nullptr);
        bool waitingConns = false;
        for (Endpoint* ep = t_firstEndpoint; ep != nullptr; ep = ep->nextOnThread_) {
            // Neither timers nor notifiers run during the wait: deadlines are kept here.
            ep->dropExpired();
            waitingConns = waitingConns || !ep->conns_.empty() || ep->acceptPaused();
            if (ep->listenFd_ >= 0 && !ep->acceptPaused() && ep->conns_.size() < kMaxPendingConnections) {
                fds.push_back({ep->listenFd_, POLLIN, 0});
                owners.emplace_back(ep, nullptr);
            }
            for (auto& c : ep->conns_) {
                fds.push_back({c->fd, POLLIN, 0});
                owners.emplace_back(ep, c.get());
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            ::close(fd);
            return SendStatus::Timeout;
        }
        // With connections waiting for their frame (or accepting paused) look again soon.
        const int n =
            ::poll(fds.data(), fds.size(), static_cast<int>(waitingConns ? std::min<long long>(left, 50) : left));
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return SendStatus::NoPeer;
        }
        if (n == 0) continue;  // the deadline test above ends the wait

        if (fds[0].revents != 0) {
            Frame f;
            const int r = readFrame(fd, f);
            if (r == 1 && f.kind == kReply) {
                if (result) *result = f.m.wParam;
                ::close(fd);
                return SendStatus::Delivered;
            }
            if (r != 0) {  // closed without an answer, or garbage: the peer is gone
                ::close(fd);
                return SendStatus::NoPeer;
            }
        }
        // Serve one event of our own endpoints, then look again.
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            Endpoint* ep = owners[i].first.data();
            if (ep == nullptr) break;
            if (owners[i].second == nullptr) {
                ep->acceptPending();
            } else {
                ep->serveConn(owners[i].second);
                // Time spent in our own handler is not the peer's delay.
                deadline = Clock::now() + std::chrono::milliseconds(peerTimeout());
            }
            break;
        }
    }
}

Endpoint::Endpoint(const QString& windowClass, QObject* parent) : QObject(parent), class_(windowClass) {
    nextOnThread_ = t_firstEndpoint;
    t_firstEndpoint = this;
}

Endpoint::~Endpoint() {
    close();
    for (Endpoint** link = &t_firstEndpoint; *link != nullptr; link = &(*link)->nextOnThread_) {
        if (*link == this) {
            *link = nextOnThread_;
            break;
        }
    }
}

bool Endpoint::listen() {
    if (listenFd_ >= 0) return true;
    if (!validClass(class_)) return false;
    sockaddr_un addr;
    try {
        if (!makeAddress(class_, addr)) return false;
    } catch (const std::exception& e) {
        debugLog(QStringLiteral("ipc: ") + QString::fromUtf8(e.what()));
        return false;
    }
    // A socket file whose owner still answers belongs to a live endpoint: never steal it.
    if (findWindow(class_)) return false;
    ::unlink(addr.sun_path);

    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const mode_t old = ::umask(077);
    const int rc = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::umask(old);
    if (rc != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        return false;
    }
    struct stat st {};
    if (::stat(addr.sun_path, &st) == 0) inode_ = st.st_ino;
    listenFd_ = fd;
    reserveFd_ = openReserve();
    listenNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(listenNotifier_, &QSocketNotifier::activated, this, [this] { guarded([this] { acceptPending(); }); });
    if (expiry_ == nullptr) {
        expiry_ = new QTimer(this);
        expiry_->setSingleShot(true);
        connect(expiry_, &QTimer::timeout, this, [this] { guarded([this] { dropExpired(); }); });
        resume_ = new QTimer(this);
        resume_->setSingleShot(true);
        connect(resume_, &QTimer::timeout, this, [this] {
            guarded([this] {
                pausedUntilMs_ = 0;
                resumeAcceptingIfRoom();
            });
        });
    }
    return true;
}

void Endpoint::close() {
    while (!conns_.empty()) removeConn(conns_.back().get(), true);
    if (listenFd_ < 0) return;
    listenNotifier_->setEnabled(false);
    listenNotifier_->deleteLater();
    listenNotifier_ = nullptr;
    sockaddr_un addr;
    try {
        // Remove the file only while it is still ours (not replaced by a newer endpoint).
        struct stat st {};
        if (makeAddress(class_, addr) && ::stat(addr.sun_path, &st) == 0 && st.st_ino == inode_) {
            ::unlink(addr.sun_path);
        }
    } catch (const std::exception&) {
    }
    ::close(listenFd_);
    listenFd_ = -1;
    if (reserveFd_ >= 0) ::close(reserveFd_);
    reserveFd_ = -1;
    if (expiry_) expiry_->stop();
    if (resume_) resume_->stop();
    pausedUntilMs_ = 0;
}

void Endpoint::acceptPending() {
    if (listenFd_ < 0 || acceptPaused()) return;
    for (;;) {
        if (conns_.size() >= kMaxPendingConnections) {
            // Full: the longest-idle connection makes room. When every one has its frame
            // waiting, new ones stay queued until those have been served.
            if (!std::any_of(conns_.begin(), conns_.end(), [](const auto& c) { return idle(c->fd); })) {
                if (listenNotifier_) listenNotifier_->setEnabled(false);
                return;
            }
            dropOldestIdle();
        }
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            const int err = errno;
            if (err == EINTR || err == ECONNABORTED) continue;
            if (err == EMFILE || err == ENFILE || err == ENOBUFS || err == ENOMEM) {
                // Out of descriptors: an idle connection of ours makes room, else the waiting
                // connection is taken and closed with the reserve, else accepting pauses.
                // Never leave the connection in the queue, or the notifier fires forever.
                if (std::any_of(conns_.begin(), conns_.end(), [](const auto& c) { return idle(c->fd); })) {
                    dropOldestIdle();
                    continue;
                }
                if (refuseOnePending()) continue;
                pauseAccepting();
            }
            return;
        }
        if (!sameUser(fd)) {
            ::close(fd);
            continue;
        }
        auto c = std::make_unique<Conn>();
        c->fd = fd;
        c->deadlineMs = nowMs() + frameDeadline();
        c->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        Conn* raw = c.get();
        connect(c->notifier, &QSocketNotifier::activated, this,
                [this, raw] { guarded([this, raw] { serveConn(raw); }); });
        conns_.push_back(std::move(c));
        scheduleExpiry();
    }
}

bool Endpoint::refuseOnePending() {
    if (reserveFd_ < 0) return false;
    ::close(reserveFd_);
    reserveFd_ = -1;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) ::close(fd);
    reserveFd_ = openReserve();
    if (fd >= 0) debugLog(QStringLiteral("ipc: %1: out of file descriptors, a connection was refused").arg(class_));
    return fd >= 0 && reserveFd_ >= 0;
}

void Endpoint::pauseAccepting() {
    debugLog(QStringLiteral("ipc: %1: cannot accept connections now, pausing").arg(class_));
    pausedUntilMs_ = nowMs() + kAcceptPauseMs;
    if (listenNotifier_) listenNotifier_->setEnabled(false);
    if (resume_) resume_->start(kAcceptPauseMs);
}

bool Endpoint::acceptPaused() const { return pausedUntilMs_ != 0 && nowMs() < pausedUntilMs_; }

void Endpoint::resumeAcceptingIfRoom() {
    if (listenNotifier_ == nullptr || listenNotifier_->isEnabled()) return;
    if (conns_.size() < kMaxPendingConnections && !acceptPaused() && (resume_ == nullptr || !resume_->isActive())) {
        listenNotifier_->setEnabled(true);
    }
}

void Endpoint::dropOldestIdle() {
    // Connections are kept in the order they came; one whose frame is already there is about
    // to be served and is passed over.
    for (auto& c : conns_) {
        if (idle(c->fd)) {
            removeConn(c.get(), true);
            return;
        }
    }
    if (!conns_.empty()) removeConn(conns_.front().get(), true);
}

void Endpoint::dropExpired() {
    const long long now = nowMs();
    for (std::size_t i = 0; i < conns_.size();) {
        if (conns_[i]->deadlineMs <= now) {
            removeConn(conns_[i].get(), true);
        } else {
            ++i;
        }
    }
    scheduleExpiry();
}

void Endpoint::scheduleExpiry() {
    if (expiry_ == nullptr) return;
    if (conns_.empty()) {
        expiry_->stop();
        return;
    }
    long long first = conns_.front()->deadlineMs;
    for (const auto& c : conns_) first = std::min(first, c->deadlineMs);
    expiry_->start(static_cast<int>(std::clamp<long long>(first - nowMs() + 1, 0, 60000)));
}

void Endpoint::removeConn(Conn* c, bool closeFd) {
    auto it = std::find_if(conns_.begin(), conns_.end(), [c](const auto& p) { return p.get() == c; });
    if (it == conns_.end()) return;
    (*it)->notifier->setEnabled(false);
    (*it)->notifier->deleteLater();
    if (closeFd) ::close((*it)->fd);
    conns_.erase(it);
    resumeAcceptingIfRoom();
}

void Endpoint::serveConn(Conn* c) {
    if (std::find_if(conns_.begin(), conns_.end(), [c](const auto& p) { return p.get() == c; }) == conns_.end()) {
        return;  // already served inside a nested wait
    }
    const int fd = c->fd;
    Frame f;
    const int r = readFrame(fd, f);
    if (r == 0) return;  // the frame has not arrived yet
    removeConn(c, false);
    if (r < 0 || f.kind == kReply) {
        ::close(fd);
        return;
    }
    if (f.kind == kPost) {
        ::close(fd);
        post(f.m);
        return;
    }
    // A sent message: handle it now (the sender waits), then answer. A handler may itself send.
    const std::int64_t res = dispatch(f.m);
    writeFrame(fd, Frame{kReply, Message{f.m.msg, res, 0}});
    ::close(fd);
}

void Endpoint::post(const Message& m) {
    QMetaObject::invokeMethod(
        this, [this, m] { dispatch(m); }, Qt::QueuedConnection);
}

std::int64_t Endpoint::dispatch(const Message& m) {
    std::int64_t res = 0;
    if (!handler_) return res;
    Handler h = handler_;  // the handler may replace itself
    guarded([&] { res = h(m); });
    return res;
}

}  // namespace vyk::platform::ipc
