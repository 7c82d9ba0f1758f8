#include "platform/instance/quit_signals.h"

#include "platform/diag/diag.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace vyk::platform {

namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

// The pipe the handler writes to; -1 while no QuitOnSignals exists.
volatile sig_atomic_t g_writeFd = -1;
int g_readFd = -1;

extern "C" void onStopSignal(int sig) {
    const int saved = errno;
    const int fd = g_writeFd;
    if (fd >= 0) {
        const unsigned char b = static_cast<unsigned char>(sig);
        // Non-blocking: with the pipe full a stop is already pending, so a lost byte is harmless.
        [[maybe_unused]] const ssize_t n = ::write(fd, &b, 1);
    }
    errno = saved;
}

sigset_t stopSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kSignals) sigaddset(&set, sig);
    return set;
}

// Lets the signals through again, to the handler just installed or, when none could be, to
// their former disposition.
struct UnblockAtEnd {
    ~UnblockAtEnd() {
        const sigset_t set = stopSignalSet();
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    }
};

}  // namespace

void QuitOnSignals::deferUntilInstalled() {
    const sigset_t set = stopSignalSet();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

QuitOnSignals::QuitOnSignals(QObject* parent) : QObject(parent) {
    const UnblockAtEnd unblock;
    if (g_writeFd >= 0) {
        debugLog(QStringLiteral("signals: a stop handler is already installed"));
        return;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        debugLog(QStringLiteral("signals: no pipe for the stop handler"));
        return;
    }
    g_readFd = fds[0];
    g_writeFd = fds[1];
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) installed_[i] = ::sigaction(kSignals[i], &sa, &previous_[i]) == 0;
    notifier_ = new QSocketNotifier(g_readFd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { guarded([this] { drain(); }); });
}

QuitOnSignals::~QuitOnSignals() {
    if (notifier_ == nullptr) return;
    for (int i = 0; i < 3; ++i) {
        if (installed_[i]) ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
    notifier_->setEnabled(false);
    delete notifier_;
    notifier_ = nullptr;
    const int w = g_writeFd;
    g_writeFd = -1;
    ::close(w);
    ::close(g_readFd);
    g_readFd = -1;
}

bool QuitOnSignals::stopRequested() {
    if (last_ == 0 && notifier_ != nullptr) drain();
    return last_ != 0;
}

void QuitOnSignals::drain() {
    unsigned char buf[64];
    ssize_t n;
    bool any = false;
    while ((n = ::read(g_readFd, buf, sizeof buf)) > 0) {
        last_ = buf[n - 1];
        any = true;
    }
    if (!any) return;
    debugLog(QStringLiteral("signals: signal %1 received, ending").arg(last_));
    // Not quit(): that does nothing before exec() runs, and it asks the windows to close
    // first, which an open box may refuse. exit() ends every running loop, nested ones too.
    QCoreApplication::exit(0);
}

}  // namespace vyk::platform
