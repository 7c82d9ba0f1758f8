#pragma once
// Ends the program's event loop cleanly when the session asks it to stop: SIGTERM (log-out,
// shutdown, kill), SIGINT (Ctrl+C) and SIGHUP (the terminal went away).
//
// The handler only writes the signal's number to a pipe (nothing else is safe inside a signal
// handler); a QSocketNotifier on the UI thread reads it and calls QCoreApplication::quit(), so
// the program leaves exec() and runs its ordinary clean-up: readers stopped, sockets removed,
// locks released. A signal that arrives before exec() runs is handled as soon as it does; one
// taken from the pipe by an earlier processEvents() (when quit() does nothing) shows in
// stopRequested(), which the program tests before it calls exec().
//
// One object per process, made on the UI thread after the application object; its
// destruction restores the handlers that were there before.

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace vyk::platform {

class QuitOnSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignals(QObject* parent = nullptr);
    ~QuitOnSignals() override;
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

    // False when the pipe or a handler could not be set up (the program then runs without).
    bool active() const { return notifier_ != nullptr; }
    // The last stop signal handled, 0 before any.
    int lastSignal() const { return last_; }
    bool stopRequested() const { return last_ != 0; }

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
    int last_ = 0;
    struct sigaction previous_[3] {};
    bool installed_[3] = {false, false, false};
};

}  // namespace vyk::platform
