#pragma once
// Messages between the two programs, in place of window lookup, SendMessage and PostMessage.
//
// Each program's main window is an Endpoint: a Unix socket named by the window class
// (<runtime dir>/TVYKMONMAIN.sock) on which it receives frames. A program looks the other up
// afresh for every message; no connection is kept. The frame format is in docs/ipc.md.
//
// - sendMessage waits for the receiver's handler to run and return. While it waits it keeps
//   serving messages *sent* to this thread's own endpoints (so a peer may send back during the
//   wait, and two sends that cross never deadlock); messages *posted* to them meanwhile are
//   queued and handled later by the event loop, in order. Nothing else runs during the wait:
//   no timers, no posted events, no device deliveries.
// - postMessage delivers a frame and returns at once; the receiver handles it from its event
//   loop, in arrival order with its other posted events.
// - A missing peer is silent: send returns at once, a post vanishes. A peer that does not
//   answer within the peer timeout (5 s) is treated as missing.
// - Only processes of the same user can connect (checked on both sides with SO_PEERCRED).
// - A local program cannot lock an endpoint out: a connection that has not sent its frame
//   within the frame deadline is closed, at most kMaxPendingConnections wait at once (the
//   longest-idle one makes room for a new one; when all have their frame waiting, new ones
//   stay queued until those are served), and when the process runs out of file
//   descriptors pending connections are taken and closed (one descriptor is kept in reserve for
//   that) or accepting pauses briefly: the endpoint never spins, and real messages get through
//   again as soon as the idle connections are gone.
//
// Everything runs on the thread that owns the endpoints (the UI thread in the programs).

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace vyk::platform::ipc {

struct Message {
    std::uint32_t msg = 0;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
};

enum class SendStatus {
    Delivered,  // the receiver handled the message; result holds its answer
    NoPeer,     // no window of that class (or it went away before answering)
    Timeout,    // the receiver did not answer within the peer timeout
};

constexpr int kDefaultPeerTimeoutMs = 5000;
constexpr int kDefaultFrameDeadlineMs = 2000;
constexpr std::size_t kMaxPendingConnections = 32;

// The peer timeout of this process (milliseconds). Time spent serving a message sent back to
// us during the wait does not count: the clock starts again after each one.
void setPeerTimeout(int ms);
int peerTimeout();

// How long an accepted connection may take to send its frame (milliseconds), for this process.
void setFrameDeadline(int ms);
int frameDeadline();

// The socket path of a window class.
QString socketPath(const QString& windowClass);

// True when a window of that class exists now (a connection to it succeeds).
bool findWindow(const QString& windowClass);

// Sends a message and waits for it to be handled (see above). Never throws.
SendStatus sendMessage(const QString& windowClass, const Message& m, std::int64_t* result = nullptr);

// Posts a message; false when there is no such window (the message is lost). Never throws.
bool postMessage(const QString& windowClass, const Message& m);

class Endpoint : public QObject {
    Q_OBJECT
public:
    // The handler of every message that reaches the endpoint, sent or posted; its result is
    // returned to a sender. Exceptions are reported by the default error handler and the
    // sender gets 0.
    using Handler = std::function<std::int64_t(const Message&)>;

    explicit Endpoint(const QString& windowClass, QObject* parent = nullptr);
    ~Endpoint() override;

    // Creates the socket. Fails (false) when a live endpoint of that class already exists or
    // the socket cannot be made; a stale socket file left by a dead process is replaced.
    bool listen();
    void close();
    bool isListening() const { return listenFd_ >= 0; }
    const QString& windowClass() const { return class_; }

    void setHandler(Handler h) { handler_ = std::move(h); }

    // Accepted connections whose frame has not been handled yet.
    std::size_t pendingConnections() const { return conns_.size(); }

    // Queues a message to this endpoint itself (a post to one's own window), handled by the
    // event loop after what is already queued.
    void post(const Message& m);

private:
    struct Conn;
    friend SendStatus sendMessage(const QString&, const Message&, std::int64_t*);

    void acceptPending();
    bool refuseOnePending();
    void pauseAccepting();
    bool acceptPaused() const;
    void resumeAcceptingIfRoom();
    void dropOldestIdle();
    void dropExpired();
    void scheduleExpiry();
    void serveConn(Conn* c);
    void removeConn(Conn* c, bool closeFd);
    std::int64_t dispatch(const Message& m);

    QString class_;
    Handler handler_;
    int listenFd_ = -1;
    unsigned long long inode_ = 0;
    QSocketNotifier* listenNotifier_ = nullptr;
    QTimer* expiry_ = nullptr;     // closes connections past their frame deadline
    QTimer* resume_ = nullptr;     // ends a pause of accepting
    long long pausedUntilMs_ = 0;  // steady clock, while accepting is paused
    int reserveFd_ = -1;           // given up to take and close a connection without fds
    std::vector<std::unique_ptr<Conn>> conns_;
    Endpoint* nextOnThread_ = nullptr;  // the endpoints of the creating thread, a linked list
};

}  // namespace vyk::platform::ipc
