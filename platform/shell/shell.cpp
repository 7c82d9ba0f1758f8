#include "platform/shell/shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace vyk::platform {

QString findProgram(const QString& folder, const QString& name) {
    if (folder.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('/'))) return {};
    QStringList wanted{name};
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) wanted << name.chopped(4);
    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Executable);
    for (const QString& w : wanted) {
        // The exact name first, then any spelling.
        for (const QFileInfo& fi : entries) {
            if (fi.fileName() == w) return fi.absoluteFilePath();
        }
        for (const QFileInfo& fi : entries) {
            if (fi.fileName().compare(w, Qt::CaseInsensitive) == 0) return fi.absoluteFilePath();
        }
    }
    return {};
}

bool startProgram(const QString& folder, const QString& name) {
    const QString path = findProgram(folder, name);
    if (path.isEmpty()) return false;
    return QProcess::startDetached(path, {}, folder);
}

bool isWebAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool openDocument(const QString& target) {
    if (target.trimmed().isEmpty()) return false;
    const QFileInfo fi(target);
    if (fi.isAbsolute() && fi.exists()) {
        if (!fi.isFile()) return false;  // a folder, FIFO, socket or device
        return QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()));
    }
    if (!isWebAddress(target)) return false;
    return QDesktopServices::openUrl(QUrl(target.trimmed(), QUrl::StrictMode));
}

}  // namespace vyk::platform
