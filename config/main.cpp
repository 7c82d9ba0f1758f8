// VykCfg: the configuration program.
#include "config/link/CfgSystemLink.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/SkinStyle.h"
#include "config/window/MainConfig.h"
#include "core/defs/pubunit_norvane.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"
#include "platform/dialogs/message_box.h"
#include "platform/instance/instance_lock.h"
#include "platform/instance/quit_signals.h"
#include "platform/paths/paths.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>

#include <cstdio>
#include <future>
#include <memory>

namespace {

// The program's icon for the task bar and the window: images/0409/icons/logo.ico beside the
// executable, when it is there and readable.
QIcon programIcon() {
    const QString path = vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(),
                                                               QStringLiteral("images/0409/icons/logo.ico"));
    if (path.isEmpty() || !QFileInfo(path).isFile()) return QIcon();
    QIcon icon(path);
    return icon.availableSizes().isEmpty() ? QIcon() : icon;
}

// A diagnostic line (VYK_DEBUG) saying where the program found its files: what a moved or
// newly installed program folder needs to be checked for.
void logProgramFiles() {
    const QString ini =
        vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(), QStringLiteral("config.ini"));
    const QString state = QFileInfo(ini).isReadable() ? QStringLiteral("read") : QStringLiteral("missing");
    vyk::platform::debugLog(QStringLiteral("VykCfg: config.ini %1 (%2); %3 skin pictures loaded from %4")
                                .arg(ini, state)
                                .arg(GlobalImageDataBase->Count())
                                .arg(GlobalImageDataBase->ImageDBPath()));
}

}  // namespace

int main(int argc, char** argv) {
    // A stop signal that comes before its handler is in place (below) waits for it.
    vyk::platform::QuitOnSignals::deferUntilInstalled();
    // A second configuration program ends at once, without a message and without creating
    // anything; it only asks the running window to show itself and come to the front (a
    // minimised or hidden window would otherwise leave the user's start without any answer).
    std::unique_ptr<vyk::platform::InstanceLock> lock;
    try {
        lock = vyk::platform::InstanceLock::tryAcquire(CONFIG_MAIN_CLASS_NAME.latin1());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "VykCfg: %s\n", e.what());
        return 1;
    }
    if (!lock) {
        CfgSystemLink::AskRunningWindowToShow();
        return 0;
    }

    QApplication app(argc, argv);
    // Log-out, shutdown and Ctrl+C end the event loop (and any box open in it), so the clean-up
    // below runs: the message socket removed, the lock released. Nothing is asked and nothing
    // is saved. A stop during start-up (an error box of the data module, say) skips the rest
    // of it: no window, no monitor started.
    vyk::platform::QuitOnSignals stopSignals;
    // The font database is filled in the background while the data module and the window are
    // built; the window's first text waits for it only if it is not ready by then.
    auto fontDatabase = std::async(std::launch::async, [] { QFontDatabase::families(); });
    QApplication::setApplicationName(QStringLiteral("VykCfg"));
    QApplication::setApplicationDisplayName(CONFIG_APP_TITLE);  // translated by the window
    QGuiApplication::setDesktopFileName(QStringLiteral("vykcfg"));
    if (const QIcon icon = programIcon(); !icon.isNull()) QApplication::setWindowIcon(icon);
    vyk::platform::installMessageBoxErrorReporter();
    CreateGlobalImageDataBase();
    // The skin is decoded while the data module and the window are built.
    GlobalImageDataBase->ReadAheadImageFolder();

    int rc = 0;
    {
        auto dm = std::make_unique<TDM>();
        std::unique_ptr<TVYKCFGMAIN> window;
        if (!stopSignals.stopRequested()) window = std::make_unique<TVYKCFGMAIN>(dm.get());
        if (window && !stopSignals.stopRequested()) {
            window->show();
            logProgramFiles();
            if (!stopSignals.stopRequested()) rc = app.exec();
        }
        window.reset();
        dm.reset();
    }
    FreeGlobalImageDataBase();
    lock.reset();
    return rc;
}
