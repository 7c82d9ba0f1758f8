#include "platform/registry/registry.h"

#include "platform/paths/file_io.h"
#include "platform/paths/paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstdlib>
#include <cstring>

namespace vyk::platform {

namespace {

struct TypeSuffix {
    RegValueType type;
    const char* suffix;
};
// Also the order of preference when more than one file claims the same value name.
constexpr std::array<TypeSuffix, 4> kSuffixes{{
    {RegValueType::Binary, ".bin"},
    {RegValueType::Dword, ".dword"},
    {RegValueType::String, ".sz"},
    {RegValueType::ExpandString, ".expandsz"},
}};

const char* suffixOf(RegValueType t) {
    for (const auto& s : kSuffixes)
        if (s.type == t) return s.suffix;
    return ".bin";
}

const char* typeName(RegValueType t) {
    switch (t) {
    case RegValueType::Binary: return "REG_BINARY";
    case RegValueType::Dword: return "REG_DWORD";
    case RegValueType::String: return "REG_SZ";
    case RegValueType::ExpandString: return "REG_EXPAND_SZ";
    }
    return "unknown";
}

// Names may hold any character but '/' and NUL are not allowed in file names, and '%' is our
// escape; a name made only of dots would be "." or "..".
QString encodeName(const QString& name) {
    QString out;
    const bool allDots = !name.isEmpty() && name.count(QLatin1Char('.')) == name.size();
    for (const QChar c : name) {
        if (c == QLatin1Char('%') || c == QLatin1Char('/') || c.unicode() == 0 || (allDots && c == QLatin1Char('.'))) {
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            out += c;
        }
    }
    return out;
}

QString decodeName(const QString& stem) {
    QString out;
    for (qsizetype i = 0; i < stem.size(); ++i) {
        if (stem[i] == QLatin1Char('%') && i + 2 < stem.size()) {
            bool ok = false;
            const int code = stem.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 2;
                continue;
            }
        }
        out += stem[i];
    }
    return out;
}

QString rootFolderName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
    case RegistryRoot::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    default: return {};
    }
}

QStringList entriesOf(const QString& folder, QDir::Filters filter) {
    return QDir(folder).entryList(filter | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The bytes of a value's file; a file that cannot be read is a registry error naming the value.
QByteArray readValueBytes(const QString& file, const QString& name, const QString& keyPath) {
    try {
        // Value files are only ever written by the store: a link or anything but a plain file
        // in a value's place is refused, as is a value larger than any stored record.
        FileReadLimits limits;
        limits.maxBytes = kMaxStoredValueBytes;
        limits.followLinks = false;
        return readWholeFile(file, limits);
    } catch (const FileError& e) {
        throw RegistryError(QStringLiteral("Cannot read value \"%1\" of key \"%2\": %3")
                                .arg(name, keyPath, QString::fromStdString(e.what())));
    }
}

}  // namespace

RegistryError::RegistryError(const QString& message) : std::runtime_error(message.toStdString()) {}

QString registryRootDir() {
    const char* env = std::getenv("VYK_REGISTRY_ROOT");
    if (env != nullptr && *env != '\0') return normalizePath(QString::fromLocal8Bit(env) + QLatin1Char('/'));
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    return joinPath({config, QStringLiteral("vyk/registry/")});
}

std::optional<RegistryKey> RegistryKey::open(RegistryRoot root, const QString& keyPath, bool create, QString* error) {
    const auto failWith = [&](const QString& why) -> std::optional<RegistryKey> {
        if (error) *error = why;
        return std::nullopt;
    };
    const QString rootName = rootFolderName(root);
    if (rootName.isEmpty()) return failWith(QStringLiteral("unsupported root key"));
    QString path = keyPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList levels = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (levels.isEmpty()) return failWith(QStringLiteral("empty key path"));

    QString folder = joinPath(registryRootDir(), rootName);
    if (!folderExists(folder)) {
        if (!create) return failWith(QStringLiteral("key \"%1\" does not exist").arg(keyPath));
        try {
            forceFolders(folder);
        } catch (const FileError& e) {
            return failWith(QString::fromStdString(e.what()));
        }
    }
    for (const QString& level : levels) {
        const QString encodedLevel = encodeName(level);
        QString next = joinPath(folder, encodedLevel);
        if (!folderExists(next)) {
            QString found;
            for (const QString& e : entriesOf(folder, QDir::Dirs)) {
                if (decodeName(e).compare(level, Qt::CaseInsensitive) == 0) {
                    found = e;
                    break;
                }
            }
            if (!found.isEmpty()) {
                next = joinPath(folder, found);
            } else if (!create) {
                return failWith(QStringLiteral("key \"%1\" does not exist").arg(keyPath));
            } else if (!createFolder(next)) {
                return failWith(QStringLiteral("cannot create key \"%1\" in \"%2\": %3")
                                    .arg(keyPath, folder, QString::fromLocal8Bit(std::strerror(errno))));
            }
        }
        folder = next;
    }
    return RegistryKey(folder + QLatin1Char('/'), keyPath);
}

bool RegistryKey::exists(RegistryRoot root, const QString& keyPath) { return open(root, keyPath, false).has_value(); }

std::optional<RegistryKey::Found> RegistryKey::find(const QString& name) const {
    std::optional<Found> best;
    bool bestExact = false;
    for (const auto& s : kSuffixes) {
        const QString exact = encodeName(name) + QLatin1String(s.suffix);
        if (fileExists(folder_ + exact)) return Found{folder_ + exact, s.type};
    }
    for (const QString& e : entriesOf(folder_, QDir::Files)) {
        if (e.startsWith(QStringLiteral(".~"))) continue;  // a write in progress
        for (const auto& s : kSuffixes) {
            const QLatin1String suffix(s.suffix);
            if (!e.endsWith(suffix)) continue;
            const QString decoded = decodeName(e.left(e.size() - suffix.size()));
            if (decoded.compare(name, Qt::CaseInsensitive) != 0) continue;
            const bool exact = decoded == name;
            if (!best || (exact && !bestExact)) {
                best = Found{folder_ + e, s.type};
                bestExact = exact;
            }
        }
    }
    return best;
}

bool RegistryKey::valueExists(const QString& name) const { return find(name).has_value(); }

std::optional<RegValueType> RegistryKey::valueType(const QString& name) const {
    const auto f = find(name);
    if (!f) return std::nullopt;
    return f->type;
}

std::optional<QByteArray> RegistryKey::readBinary(const QString& name) const {
    const auto f = find(name);
    if (!f) return std::nullopt;
    if (f->type != RegValueType::Binary) {
        throw RegistryError(QStringLiteral("Invalid data type for \"%1\" in key \"%2\": %3 is not binary data")
                                .arg(name, keyPath_, QLatin1String(typeName(f->type))));
    }
    return readValueBytes(f->file, name, keyPath_);
}

std::optional<std::uint32_t> RegistryKey::readDword(const QString& name) const {
    const auto f = find(name);
    if (!f) return std::nullopt;
    if (f->type != RegValueType::Dword) {
        throw RegistryError(QStringLiteral("Invalid data type for \"%1\" in key \"%2\": %3 is not a 32-bit number")
                                .arg(name, keyPath_, QLatin1String(typeName(f->type))));
    }
    const QByteArray bytes = readValueBytes(f->file, name, keyPath_);
    if (bytes.size() != 4) {
        throw RegistryError(QStringLiteral("Value \"%1\" of key \"%2\" is damaged: %3 bytes instead of 4")
                                .arg(name, keyPath_)
                                .arg(bytes.size()));
    }
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

std::optional<QString> RegistryKey::readString(const QString& name) const {
    const auto f = find(name);
    if (!f) return std::nullopt;
    if (f->type != RegValueType::String && f->type != RegValueType::ExpandString) {
        throw RegistryError(QStringLiteral("Invalid data type for \"%1\" in key \"%2\": %3 is not text")
                                .arg(name, keyPath_, QLatin1String(typeName(f->type))));
    }
    const QByteArray bytes = readValueBytes(f->file, name, keyPath_);
    QStringDecoder d(QStringDecoder::Utf16LE);
    QString text = d.decode(bytes);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) text.truncate(nul);
    return text;
}

void RegistryKey::write(const QString& name, RegValueType type, const void* data, std::size_t size) {
    // An existing value keeps the spelling it was created with, also when its type changes.
    const auto existing = find(name);
    const QString target =
        existing ? existing->file.left(existing->file.size() - qsizetype(std::strlen(suffixOf(existing->type)))) +
                       QLatin1String(suffixOf(type))
                 : folder_ + encodeName(name) + QLatin1String(suffixOf(type));
    try {
        writeFileAtomic(target, data, size);
    } catch (const FileError& e) {
        throw RegistryError(QStringLiteral("Failed to set data for \"%1\" in key \"%2\": %3")
                                .arg(name, keyPath_, QString::fromStdString(e.what())));
    }
    // Drop every other file that claimed this name (another type or spelling), so the value
    // has one file and one type afterwards.
    for (const QString& e : entriesOf(folder_, QDir::Files)) {
        if (e.startsWith(QStringLiteral(".~")) || folder_ + e == target) continue;
        for (const auto& s : kSuffixes) {
            const QLatin1String suffix(s.suffix);
            if (e.endsWith(suffix) &&
                decodeName(e.left(e.size() - suffix.size())).compare(name, Qt::CaseInsensitive) == 0) {
                QFile::remove(folder_ + e);
                break;
            }
        }
    }
}

void RegistryKey::writeBinary(const QString& name, const void* data, std::size_t size) {
    write(name, RegValueType::Binary, data, size);
}

void RegistryKey::writeDword(const QString& name, std::uint32_t value) {
    const unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    write(name, RegValueType::Dword, b, sizeof b);
}

void RegistryKey::writeString(const QString& name, const QString& text, bool expandable) {
    QStringEncoder e(QStringEncoder::Utf16LE);
    QByteArray bytes = e.encode(text);
    bytes.append(2, '\0');
    write(name, expandable ? RegValueType::ExpandString : RegValueType::String, bytes.constData(),
          static_cast<std::size_t>(bytes.size()));
}

bool RegistryKey::deleteValue(const QString& name) {
    bool any = false;
    for (auto f = find(name); f; f = find(name)) {
        if (!QFile::remove(f->file)) return any;
        any = true;
    }
    return any;
}

}  // namespace vyk::platform
