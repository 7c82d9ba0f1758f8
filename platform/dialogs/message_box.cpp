#include "platform/dialogs/message_box.h"

#include "platform/diag/diag.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace vyk::platform {

namespace {
bool g_open = false;  // UI thread only

MessageBoxHook& hook() {
    static MessageBoxHook h;
    return h;
}

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString applicationTitle() {
    QString t = QCoreApplication::applicationName();
    return t.isEmpty() ? QStringLiteral("Error") : t;
}
}  // namespace

void setMessageBoxHook(MessageBoxHook h) { hook() = std::move(h); }

bool messageBoxOpen() { return g_open; }

void messageBox(const QString& caption, const QString& text, MessageIcon icon, QWidget* parent) {
    if (g_open) {
        // A box runs its own event loop: a second one opened from there (another error, the
        // next device report, the next message) would stack boxes without bound.
        debugLog(QStringLiteral("message box not shown while another is open: %1: %2").arg(caption, text));
        return;
    }
    struct OpenFlag {
        OpenFlag() { g_open = true; }
        ~OpenFlag() { g_open = false; }
    } open;
    if (hook()) {
        MessageBoxHook h = hook();  // the hook may replace itself
        h(caption, text, icon);
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        return;
    }
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Ok, parent);
    debugLog(QStringLiteral("message box shown: %1: %2").arg(caption, text));
    box.exec();
}

void showMessage(const QString& text) { messageBox(applicationTitle(), text); }

void installMessageBoxErrorReporter() {
    setErrorReporter([](const QString& text) { messageBox(applicationTitle(), text, MessageIcon::Error); });
}

}  // namespace vyk::platform
