// VykMon: the tray monitor.
#include "monitor/MouseMonitor.h"

#include "core/defs/pubunit_norvane.h"
#include "platform/dialogs/message_box.h"
#include "platform/instance/instance_lock.h"
#include "platform/instance/quit_signals.h"
#include "core/store/DMUnit.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
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
    QApplication::setApplicationName(MONITOR_APP_TITLE);
    vyk::platform::installMessageBoxErrorReporter();
    // The window is never shown, so closing windows must not end the program: only Exit does.
    QApplication::setQuitOnLastWindowClosed(false);
    // Log-out, shutdown and Ctrl+C end the event loop, so the clean-up below runs: readers
    // stopped, the message socket removed, the lock released.
    vyk::platform::QuitOnSignals stopSignals;

    int rc = 0;
    {
        auto dm = std::make_unique<TDM>();
        auto window = std::make_unique<TVYKMONMAIN>(dm.get());
        if (!stopSignals.stopRequested()) rc = app.exec();
        window.reset();
        dm.reset();
    }
    lock.reset();
    return rc;
}
