#include "platform/paths/file_io.h"

#include "platform/paths/paths.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vyk::platform {

namespace {

QString reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QByteArray encoded(const QString& path) { return QFile::encodeName(normalizePath(path)); }

void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

FileError::FileError(const QString& message) : std::runtime_error(message.toStdString()) {}

bool fileExists(const QString& path) {
    if (path.isEmpty()) return false;
    struct stat st {};
    return ::stat(encoded(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const QString& path) {
    if (path.isEmpty()) return false;
    struct stat st {};
    return ::stat(encoded(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QByteArray readWholeFile(const QString& path) {
    const QByteArray name = encoded(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason(err)));
    }
    QByteArray out;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            throw FileError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, reason(err)));
        }
        if (n == 0) break;
        out.append(buf, static_cast<qsizetype>(n));
    }
    ::close(fd);
    return out;
}

void writeFileAtomic(const QString& path, const void* data, std::size_t size) {
    const QString target = normalizePath(path);
    QString folder, name;
    splitPath(target, &folder, &name);
    const auto fail = [&](const QString& what, int err) {
        throw FileError(QStringLiteral("Cannot %1 file \"%2\". %3").arg(what, path, reason(err)));
    };
    if (name.isEmpty()) fail(QStringLiteral("create"), EISDIR);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(targetName.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) fail(QStringLiteral("create"), EISDIR);
        if (::access(targetName.constData(), W_OK) != 0) fail(QStringLiteral("create"), errno);
        mode = st.st_mode & 07777;
    }
    const QByteArray folderName = QFile::encodeName(folder);
    QByteArray tmp = folderName + QFile::encodeName(QStringLiteral(".~") + name) + ".XXXXXX";
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) fail(QStringLiteral("create"), errno);
    const auto* p = static_cast<const char*>(data);
    std::size_t left = size;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            ::unlink(tmp.constData());
            fail(QStringLiteral("write"), err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    ::fchmod(fd, mode);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.constData());
        fail(QStringLiteral("write"), err);
    }
    if (::rename(tmp.constData(), targetName.constData()) != 0) {
        const int err = errno;
        ::unlink(tmp.constData());
        fail(QStringLiteral("create"), err);
    }
    syncFolder(folderName);
}

bool createFolder(const QString& path) {
    if (path.isEmpty()) return false;
    const QByteArray name = encoded(path);
    if (::mkdir(name.constData(), 0755) == 0) return true;
    return folderExists(path);
}

void forceFolders(const QString& path) {
    const QString p = normalizePath(path);
    if (p.isEmpty() || folderExists(p)) return;
    QString built = p.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    const QStringList comps = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& c : comps) {
        built = joinPath(built, c);
        if (folderExists(built)) continue;
        if (::mkdir(QFile::encodeName(built).constData(), 0755) != 0 && !folderExists(built)) {
            const int err = errno;
            throw FileError(QStringLiteral("Cannot create folder \"%1\". %2").arg(path, reason(err)));
        }
    }
}

}  // namespace vyk::platform
