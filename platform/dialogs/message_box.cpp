#include "platform/dialogs/message_box.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QMutex>
#include <QMutexLocker>
#include <cstdio>
#include <cstdlib>

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

void reportException(const std::exception& e) {
    messageBox(applicationTitle(), QString::fromUtf8(e.what()), MessageIcon::Error);
}

void reportUnknownException() {
    messageBox(applicationTitle(), QStringLiteral("Unknown error"), MessageIcon::Error);
}

bool guarded(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        reportException(e);
    } catch (...) {
        reportUnknownException();
    }
    return false;
}

void debugLog(const QString& line) {
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    const QByteArray utf8 = line.toUtf8();
    if (std::getenv("VYK_DEBUG") != nullptr) {
        std::fprintf(stderr, "%s\n", utf8.constData());
    }
    if (const char* path = std::getenv("VYK_DEBUG_LOG")) {
        QFile f(QString::fromLocal8Bit(path));
        if (f.open(QIODevice::Append)) {
            f.write(utf8);
            f.write("\n");
        }
    }
}

}  // namespace vyk::platform
