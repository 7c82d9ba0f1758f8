#include "platform/dialogs/message_box.h"

#include "platform/diag/diag.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace vyk::platform {

namespace {
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

void messageBox(const QString& caption, const QString& text, MessageIcon icon, QWidget* parent) {
    if (hook()) {
        hook()(caption, text, icon);
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        return;
    }
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void showMessage(const QString& text) { messageBox(applicationTitle(), text); }

void installMessageBoxErrorReporter() {
    setErrorReporter([](const QString& text) { messageBox(applicationTitle(), text, MessageIcon::Error); });
}

}  // namespace vyk::platform
