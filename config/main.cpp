// VykCfg: the configuration program.
#include "config/link/CfgSystemLink.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/SkinStyle.h"
#include "config/window/MainConfig.h"
#include "config/window/StartupRead.h"
#include "core/defs/pubunit_norvane.h"
#include "core/language/uiLanguage.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"
#include "platform/dialogs/message_box.h"
#include "platform/instance/instance_lock.h"
#include "platform/instance/quit_signals.h"
#include "platform/paths/paths.h"

#include <QAccessible>
#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QPixmap>

#include <cstdio>
#include <future>
#include <memory>

namespace {

// The pictures of the program's icon for the task bar and the window: every size of
// images/0409/icons/logo.ico beside the executable, when it is there and readable. Any thread.
QList<QImage> programIconImages() {
    QList<QImage> images;
    const QString path = vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(),
                                                               QStringLiteral("images/0409/icons/logo.ico"));
    if (path.isEmpty() || !QFileInfo(path).isFile()) return images;
    QImageReader reader(path);
    do {
        if (const QImage image = reader.read(); !image.isNull()) images << image;
    } while (reader.jumpToNextImage());
    return images;
}

QIcon iconOf(const QList<QImage>& images) {
    QIcon icon;
    for (const QImage& image : images) icon.addPixmap(QPixmap::fromImage(image));
    return icon;
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
    // The desktop's accessibility connection is made first, while the program is still small:
    // without a session bus the D-Bus library starts a helper process to look for one, and
    // that start costs the more, and slows every thread the more afterwards, the more memory
    // the program has by then.
    QAccessible::isActive();
    QApplication::setApplicationName(QStringLiteral("VykCfg"));
    QApplication::setApplicationDisplayName(CONFIG_APP_TITLE);  // translated by the window
    QGuiApplication::setDesktopFileName(QStringLiteral("vykcfg"));
    vyk::platform::installMessageBoxErrorReporter();
    // The store is read on a worker from here on, while the window is made; the data module
    // and the macro set are the window's to touch only once it has waited for that read.
    auto dm = std::make_unique<TDM>(nullptr, TDM::TStart::Later);
    std::unique_ptr<TStartupRead> startupRead = TStartupRead::Ahead(*dm);
    // The font database is filled in the background while the data module and the window are
    // built; the window's first text waits for it only if it is not ready by then.
    auto fontDatabase = std::async(std::launch::async, [] { QFontDatabase::families(); });
    // So are the language file, which the window reads as it is made,
    TuiLanguage::ReadAheadLanguageFile();
    // and the program's icon, which the window needs only when it is shown.
    auto iconImages = std::async(std::launch::async, programIconImages);
    CreateGlobalImageDataBase();
    // The skin is decoded while the data module and the window are built.
    GlobalImageDataBase->ReadAheadImageFolder();

    int rc = 0;
    {
        std::unique_ptr<TVYKCFGMAIN> window;
        if (!stopSignals.stopRequested()) window = std::make_unique<TVYKCFGMAIN>(dm.get(), std::move(startupRead));
        startupRead.reset();  // a stop before the window: the read ends before the data module
        if (window && !stopSignals.stopRequested()) {
            if (const QIcon icon = iconOf(iconImages.get()); !icon.isNull()) QApplication::setWindowIcon(icon);
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
