#include "platform/paths/file_io.h"

#include "platform/paths/paths.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vyk::platform {

namespace {

QString reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QByteArray encoded(const QString& path) { return QFile::encodeName(normalizePath(path)); }

std::mutex g_flushHookMutex;
std::shared_ptr<const FlushHook> g_flushHook;

void beforeFlush(const QByteArray& path) {
    std::shared_ptr<const FlushHook> hook;
    {
        std::lock_guard lock(g_flushHookMutex);
        hook = g_flushHook;
    }
    if (hook) (*hook)(path);
}

void syncFolder(const QByteArray& folder) {
    beforeFlush(folder);
    const int fd = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The folders the current thread's outermost batch still has to flush (null: no batch).
thread_local std::vector<QByteArray>* t_pendingFolders = nullptr;

void folderWritten(const QByteArray& folder) {
    if (t_pendingFolders == nullptr) {
        syncFolder(folder);
    } else if (std::find(t_pendingFolders->begin(), t_pendingFolders->end(), folder) == t_pendingFolders->end()) {
        t_pendingFolders->push_back(folder);
    }
}

// True when path is a plain file (not a link) that holds exactly these bytes.
bool holdsExactly(const QByteArray& path, const struct stat& st, const void* data, std::size_t size) {
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) != size) return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return false;
    const auto* want = static_cast<const char*>(data);
    char buf[65536];
    std::size_t at = 0;
    bool same = true;
    while (same) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            same = false;
        else if (n == 0)
            break;
        else if (static_cast<std::size_t>(n) > size - at ||
                 std::memcmp(buf, want + at, static_cast<std::size_t>(n)) != 0)
            same = false;
        else
            at += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return same && at == size;
}

// True when b holds the same file as a: the same inode, or two plain files of the same bytes.
bool sameFile(const QByteArray& a, const QByteArray& b) {
    struct stat sa {
    }, sb{};
    if (::lstat(a.constData(), &sa) != 0 || ::lstat(b.constData(), &sb) != 0) return false;
    if (sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino) return true;
    if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size) return false;
    const int fa = ::open(a.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    const int fb = fa < 0 ? -1 : ::open(b.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    bool same = fa >= 0 && fb >= 0;
    char ba[65536], bb[65536];
    while (same) {
        ssize_t na = ::read(fa, ba, sizeof ba);
        if (na < 0 && errno == EINTR) continue;
        if (na <= 0) {
            same = na == 0 && ::read(fb, bb, 1) == 0;
            break;
        }
        std::size_t got = 0;
        while (same && got < static_cast<std::size_t>(na)) {
            const ssize_t nb = ::read(fb, bb + got, static_cast<std::size_t>(na) - got);
            if (nb < 0 && errno == EINTR) continue;
            if (nb <= 0)
                same = false;
            else
                got += static_cast<std::size_t>(nb);
        }
        same = same && std::memcmp(ba, bb, static_cast<std::size_t>(na)) == 0;
    }
    if (fa >= 0) ::close(fa);
    if (fb >= 0) ::close(fb);
    return same;
}

constexpr QLatin1StringView kTempMark(".~");

// ".~<name>.<process id>": the front of a temporary file's name; mkostemp adds ".XXXXXX".
QString tempPrefix(const QString& name) {
    return kTempMark + name + QLatin1Char('.') + QString::number(static_cast<qint64>(::getpid()));
}

// True when the process that writes a temporary file of this name may still be running.
bool writerAlive(const QString& fileName) {
    // ".~<name>.<pid>.XXXXXX": the process id sits between the last two dots.
    const qsizetype last = fileName.lastIndexOf(QLatin1Char('.'));
    if (last <= 0) return false;
    const qsizetype before = fileName.lastIndexOf(QLatin1Char('.'), last - 1);
    if (before < 0) return false;
    bool ok = false;
    const qint64 pid = fileName.mid(before + 1, last - before - 1).toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
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

QByteArray readWholeFile(const QString& path, const FileReadLimits& limits) {
    const QByteArray name = encoded(path);
    // Non-blocking: opening a FIFO for reading would otherwise wait for a writer forever.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (limits.followLinks ? 0 : O_NOFOLLOW);
    const int fd = ::open(name.constData(), flags);
    if (fd < 0) {
        const int err = errno;
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason(err)));
    }
    const auto fail = [&](const QString& why) {
        ::close(fd);
        throw FileError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, why));
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) fail(reason(errno));
    if (!S_ISREG(st.st_mode)) fail(QStringLiteral("It is not a regular file."));
    const auto tooLarge = [&] {
        fail(QStringLiteral("It is larger than %1 bytes.").arg(static_cast<qulonglong>(limits.maxBytes)));
    };
    const std::size_t want = limits.maxBytes;
    if (!limits.frontOnly && st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) > want) tooLarge();
    QByteArray out;
    out.reserve(static_cast<qsizetype>(std::min<std::uint64_t>(st.st_size > 0 ? st.st_size : 0, want)));
    char buf[65536];
    // The size can change under us: the bound holds for what is actually read.
    for (;;) {
        const std::size_t room = want - static_cast<std::size_t>(out.size());
        const std::size_t ask = std::min(sizeof buf, room + 1);
        const ssize_t n = ::read(fd, buf, ask);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(reason(errno));
        }
        if (n == 0) break;
        if (static_cast<std::size_t>(n) > room) {
            if (!limits.frontOnly) tooLarge();
            out.append(buf, static_cast<qsizetype>(room));
            break;
        }
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
        // Nothing would change: the file keeps its bytes (and is not made younger).
        if (holdsExactly(targetName, st, data, size)) return;
    }
    const QByteArray folderName = QFile::encodeName(folder);
    QByteArray tmp = folderName + QFile::encodeName(tempPrefix(name)) + ".XXXXXX";
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
    beforeFlush(tmp);
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
    folderWritten(folderName);
}

void setFlushHook(FlushHook hook) {
    std::lock_guard lock(g_flushHookMutex);
    g_flushHook = hook ? std::make_shared<const FlushHook>(std::move(hook)) : nullptr;
}

FolderSyncBatch::FolderSyncBatch() : FOutermost(t_pendingFolders == nullptr) {
    if (FOutermost) t_pendingFolders = new std::vector<QByteArray>();
}

FolderSyncBatch::~FolderSyncBatch() {
    if (!FOutermost) return;
    std::unique_ptr<std::vector<QByteArray>> folders(t_pendingFolders);
    t_pendingFolders = nullptr;
    for (const QByteArray& f : *folders) syncFolder(f);
}

QString keepFileAside(const QString& path, const QString& suffix, bool keepOriginal) {
    const QString source = normalizePath(path);
    const QByteArray sourceName = QFile::encodeName(source);
    const auto fail = [&](const QString& why) {
        throw FileError(QStringLiteral("Cannot keep \"%1\" aside. %2").arg(path, why));
    };
    struct stat st {};
    if (::lstat(sourceName.constData(), &st) != 0) fail(reason(errno));
    QString folder;
    splitPath(source, &folder, nullptr);
    for (int n = 0; n < 1000; ++n) {
        const QString aside = n == 0 ? source + suffix : source + QStringLiteral(".%1").arg(n) + suffix;
        const QByteArray asideName = QFile::encodeName(aside);
        struct stat there {};
        if (::lstat(asideName.constData(), &there) == 0) {
            if (sameFile(sourceName, asideName)) return aside;
            continue;  // another file already has this name: it stays as it is
        }
        if (!keepOriginal) {
            if (::rename(sourceName.constData(), asideName.constData()) != 0) fail(reason(errno));
            folderWritten(QFile::encodeName(folder));
            return aside;
        }
        // A copy, so nothing done to the file afterwards reaches it; a file too large to copy
        // gets a second link, which keeps its bytes as long as the file is replaced, not
        // rewritten (as every write of ours does).
        struct stat target {};
        if (::stat(sourceName.constData(), &target) == 0 && S_ISREG(target.st_mode) &&
            static_cast<std::uint64_t>(target.st_size) <= kMaxDefaultFileBytes) {
            writeFileAtomic(aside, readWholeFile(source));
            return aside;
        }
        if (::link(sourceName.constData(), asideName.constData()) != 0) fail(reason(errno));
        folderWritten(QFile::encodeName(folder));
        return aside;
    }
    fail(QStringLiteral("Every name for a copy is taken."));
    return {};
}

int removeAbandonedTempFiles(const QString& folder) {
    const QDir dir(normalizePath(folder));
    if (folder.isEmpty() || !dir.exists()) return 0;
    int removed = 0;
    // Compared by hand: a name filter is a regular expression compiled for each new thread.
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(kTempMark)) continue;
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode) || writerAlive(name)) continue;
        if (::unlink(path.constData()) == 0) ++removed;
    }
    return removed;
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
