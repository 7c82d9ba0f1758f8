// VykMon: the tray monitor.
#include "monitor/MouseMonitor.h"

#include "core/defs/pubunit_norvane.h"
#include "core/store/DMUnit.h"
#include "platform/dialogs/message_box.h"
#include "platform/instance/instance_lock.h"
#include "platform/instance/quit_signals.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    // A stop signal that comes before its handler is in place (below) waits for it.
    vyk::platform::QuitOnSignals::deferUntilInstalled();
    // A second monitor ends at once, without a message and without creating anything.
    std::unique_ptr<vyk::platform::InstanceLock> lock;
    try {
        lock = vyk::platform::InstanceLock::tryAcquire(MONITOR_MAIN_CLASS_NAME.latin1());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "VykMon: %s\n", e.what());
        return 1;
    }
    if (!lock) return 0;

    QApplication app(argc, argv);
    // Log-out, shutdown and Ctrl+C end the event loop (and any box open in it, the missing hook
    // library's at start-up too), so the clean-up below runs: readers stopped, the message
    // socket removed, the lock released. A stop during start-up skips the rest of it.
    vyk::platform::QuitOnSignals stopSignals;
    QApplication::setApplicationName(MONITOR_APP_TITLE);
    vyk::platform::installMessageBoxErrorReporter();
    // The window is never shown, so closing windows must not end the program: only Exit does.
    QApplication::setQuitOnLastWindowClosed(false);

    int rc = 0;
    {
        auto dm = std::make_unique<TDM>();
        std::unique_ptr<TVYKMONMAIN> window;
        if (!stopSignals.stopRequested()) window = std::make_unique<TVYKMONMAIN>(dm.get());
        if (window && !stopSignals.stopRequested()) rc = app.exec();
        window.reset();
        dm.reset();
    }
    lock.reset();
    return rc;
}
