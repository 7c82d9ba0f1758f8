#include "platform/paths/paths.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vyk::platform {

namespace {

QString withTrailingSlash(QString p) {
    if (!p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    return p;
}

QString envPath(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return {};
    return QString::fromLocal8Bit(v);
}

}  // namespace

QString executableDir() {
    QString dir = envPath("VYK_EXE_DIR");
    if (dir.isEmpty()) {
        std::vector<char> buf(4096);
        for (;;) {
            const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
            if (n < 0) break;
            if (static_cast<size_t>(n) < buf.size()) {
                dir = QFileInfo(QString::fromLocal8Bit(buf.data(), static_cast<int>(n))).absolutePath();
                break;
            }
            buf.resize(buf.size() * 2);
        }
        if (dir.isEmpty()) dir = QDir::currentPath();
    }
    return withTrailingSlash(normalizePath(dir));
}

QString documentsDir() {
    QString dir = envPath("VYK_DOCUMENTS_DIR");
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/Documents");
    return withTrailingSlash(normalizePath(dir));
}

QString joinPath(const QStringList& parts) {
    QString out;
    bool absolute = false;
    bool trailing = false;
    bool first = true;
    for (const QString& part : parts) {
        if (part.isEmpty()) continue;
        QString p = part;
        p.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (first && p.startsWith(QLatin1Char('/'))) absolute = true;
        first = false;
        trailing = p.endsWith(QLatin1Char('/'));
        const QStringList comps = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (const QString& c : comps) {
            if (!out.isEmpty() || absolute) {
                if (!out.endsWith(QLatin1Char('/'))) out += QLatin1Char('/');
            }
            out += c;
        }
    }
    if (absolute && out.isEmpty()) return QStringLiteral("/");
    if (absolute && !out.startsWith(QLatin1Char('/'))) out.prepend(QLatin1Char('/'));
    if (trailing && !out.endsWith(QLatin1Char('/'))) out += QLatin1Char('/');
    return out;
}

void splitPath(const QString& path, QString* folder, QString* fileName) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype cut = p.lastIndexOf(QLatin1Char('/'));
    if (folder) *folder = cut < 0 ? QString() : p.left(cut + 1);
    if (fileName) *fileName = cut < 0 ? p : p.mid(cut + 1);
}

bool isPlainFileName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    }
    return true;
}

namespace {

// Where an absolute path really is: the part that exists resolved level by level (links, ".",
// ".."), the rest appended as written. Empty for a relative path, a link that leads nowhere,
// or ".." in the part that does not exist.
QString realLocation(const QString& path) {
    const QString p = normalizePath(path);
    if (!p.startsWith(QLatin1Char('/'))) return {};
    const QStringList comps = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString real = QStringLiteral("/");
    qsizetype i = 0;
    for (; i < comps.size(); ++i) {
        const QFileInfo next(joinPath(real, comps[i]));
        if (!next.exists()) {
            if (next.isSymLink()) return {};
            break;
        }
        real = next.canonicalFilePath();
        if (real.isEmpty()) return {};
    }
    for (; i < comps.size(); ++i) {
        if (comps[i] == QLatin1String("..")) return {};
        if (comps[i] != QLatin1String(".")) real = joinPath(real, comps[i]);
    }
    return real;
}

}  // namespace

bool isInsideFolder(const QString& path, const QString& folder) {
    const QString where = realLocation(path);
    const QString base = realLocation(folder);
    if (where.isEmpty() || base.isEmpty()) return false;
    if (base == QLatin1String("/") || where == base) return true;
    return where.startsWith(base + QLatin1Char('/'));
}

QString resolveCaseInsensitive(const QString& base, const QString& relative) {
    const QString exact = joinPath(base, relative);
    if (QFileInfo::exists(exact)) return exact;

    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList comps = rel.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = base.isEmpty() ? QStringLiteral(".") : normalizePath(base);
    for (const QString& comp : comps) {
        const QString direct = joinPath(current, comp);
        if (QFileInfo::exists(direct)) {
            current = direct;
            continue;
        }
        const QDir dir(current);
        const QStringList entries =
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        QString found;
        for (const QString& e : entries) {
            if (e.compare(comp, Qt::CaseInsensitive) == 0) {
                found = e;
                break;
            }
        }
        if (found.isEmpty()) return exact;
        current = joinPath(current, found);
    }
    if (relative.endsWith(QLatin1Char('/')) || relative.endsWith(QLatin1Char('\\'))) {
        if (!current.endsWith(QLatin1Char('/'))) current += QLatin1Char('/');
    }
    return current;
}

QString regularFileInside(const QString& folder, const QString& relative) {
    if (folder.isEmpty() || relative.trimmed().isEmpty()) return {};
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty()) return {};
    const QString target = QFileInfo(resolveCaseInsensitive(folder, relative)).canonicalFilePath();
    if (target.isEmpty() || !target.startsWith(root + QLatin1Char('/'))) return {};
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return target;
}

}  // namespace vyk::platform
