#include "platform/diag/diag.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <cstdio>
#include <cstdlib>

namespace vyk::platform {

namespace {
ErrorReporter& reporter() {
    static ErrorReporter r;
    return r;
}
}  // namespace

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

void setErrorReporter(ErrorReporter r) { reporter() = std::move(r); }

void reportError(const QString& text) {
    if (reporter()) {
        reporter()(text);
        return;
    }
    std::fprintf(stderr, "error: %s\n", text.toUtf8().constData());
}

void reportException(const std::exception& e) { reportError(QString::fromUtf8(e.what())); }

void reportUnknownException() { reportError(QStringLiteral("Unknown error")); }

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

}  // namespace vyk::platform
