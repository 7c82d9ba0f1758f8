#pragma once
// Ends the program's event loop cleanly when the session asks it to stop: SIGTERM (log-out,
// shutdown, kill), SIGINT (Ctrl+C) and SIGHUP (the terminal went away).
//
// The handler only writes the signal's number to a pipe (nothing else is safe inside a signal
// handler); a QSocketNotifier on the UI thread reads it and ends every event loop that runs
// (QCoreApplication::exit(0)): the application's own and that of any message box or modal
// dialog open at that moment, whose call then returns as if the box had been closed. Event
// loops started after that return at once, so no further box can hold the program. The
// program leaves exec() with 0, as after an ordinary quit, and runs its ordinary clean-up:
// readers stopped, sockets removed, locks released.
//
// Before exec() runs (while the program starts), a signal is handled as soon as any event loop
// runs, a start-up error box's included; stopRequested() also takes a signal that is still
// waiting in the pipe. The program tests it before each step of its start-up (the main window,
// showing it, exec()) and skips what is left when it is true.
//
// One object per process, made on the UI thread right after the application object; its
// destruction restores the handlers that were there before. A signal that comes earlier, while
// the application object is built, waits for the handler when the program called
// deferUntilInstalled() first thing in main().

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

    // Blocks the three signals in the calling thread (and the threads it starts from now on)
    // until a QuitOnSignals is made on it, which unblocks them: one that came meanwhile is then
    // handled. Call it before any thread starts.
    static void deferUntilInstalled();

    // False when the pipe or a handler could not be set up (the program then runs without).
    bool active() const { return notifier_ != nullptr; }
    // The last stop signal handled, 0 before any.
    int lastSignal() const { return last_; }
    // True once a stop signal has come, whether or not an event loop has run since: a signal
    // still in the pipe is handled here (UI thread).
    bool stopRequested();

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
    int last_ = 0;
    struct sigaction previous_[3]{};
    bool installed_[3] = {false, false, false};
};

}  // namespace vyk::platform
