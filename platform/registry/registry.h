#pragma once
// The per-user settings store that stands in for the registry.
//
// Keys are folders and values are files under the store's root folder
// (VYK_REGISTRY_ROOT, else $XDG_CONFIG_HOME/vyk/registry):
//   <root>/HKEY_CURRENT_USER/software/software/Vykgmmouse/allsettings.pfd.bin
// The file's suffix is the value's type: ".bin" raw bytes (REG_BINARY, any length, exactly
// as written), ".dword" four bytes little-endian (REG_DWORD), ".sz" and ".expandsz" UTF-16LE
// text (REG_SZ, REG_EXPAND_SZ). Key and value names compare without regard to case. Every
// write replaces the file atomically (temporary file, fsync, rename, fsync of the folder), so
// the other program and a crash see the old value or the new one; a write of exactly the bytes
// the value's file already holds leaves the file alone. Nothing is cached: a value written here
// is on disk when the call returns, except inside a FolderSyncBatch (platform/paths/file_io.h)
// of the writing thread, where the folder is flushed when the batch ends: the other program
// sees the new value at once, but a crash before the batch ended may bring the old value back
// (never a mix of both). docs/registry.md describes the layout.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace vyk::platform {

// Root keys. None is the "no key" value a component holds before it is set up; Other stands
// for any root the store does not serve (callers treat both as unusable).
enum class RegistryRoot { None, CurrentUser, LocalMachine, Other };

enum class RegValueType { Binary, Dword, String, ExpandString };

// A value that cannot be read as asked (wrong type, damaged file) or a value that cannot be
// written. The message names the key and the value.
class RegistryError : public std::runtime_error {
public:
    explicit RegistryError(const QString& message);
};

// The folder that holds the roots.
QString registryRootDir();

class RegistryKey {
public:
    // Opens root\keyPath ('\' or '/' separate levels). With create, missing levels are made.
    // Returns nothing when the root is not served, the key path is empty, the key is missing
    // (without create) or cannot be created; *error then says why when given.
    static std::optional<RegistryKey> open(RegistryRoot root, const QString& keyPath, bool create,
                                           QString* error = nullptr);

    // True when the key exists (without creating it).
    static bool exists(RegistryRoot root, const QString& keyPath);

    const QString& folder() const { return folder_; }
    const QString& keyPath() const { return keyPath_; }

    bool valueExists(const QString& name) const;
    std::optional<RegValueType> valueType(const QString& name) const;

    // Reads a value as raw bytes: nothing when the value is missing. A text or 32-bit number
    // value is refused with RegistryError, as is a file that cannot be read.
    std::optional<QByteArray> readBinary(const QString& name) const;
    // Reads a REG_DWORD value: nothing when missing; RegistryError for any other type.
    std::optional<std::uint32_t> readDword(const QString& name) const;
    // Reads a text value: nothing when missing; RegistryError for any other type.
    std::optional<QString> readString(const QString& name) const;

    // Writes (creates or replaces) a value of that type. Throws RegistryError on failure.
    void writeBinary(const QString& name, const void* data, std::size_t size);
    void writeBinary(const QString& name, const QByteArray& data) {
        writeBinary(name, data.constData(), static_cast<std::size_t>(data.size()));
    }
    void writeDword(const QString& name, std::uint32_t value);
    void writeString(const QString& name, const QString& text, bool expandable = false);

    bool deleteValue(const QString& name);

private:
    RegistryKey(QString folder, QString keyPath) : folder_(std::move(folder)), keyPath_(std::move(keyPath)) {}
    struct Found {
        QString file;
        RegValueType type;
    };
    std::optional<Found> find(const QString& name) const;
    void write(const QString& name, RegValueType type, const void* data, std::size_t size);

    QString folder_;   // ends with '/'
    QString keyPath_;  // as given, for messages
};

}  // namespace vyk::platform

// The root key names the components use.
using HKEY = vyk::platform::RegistryRoot;
inline constexpr HKEY HKEY_CURRENT_USER = vyk::platform::RegistryRoot::CurrentUser;
inline constexpr HKEY HKEY_LOCAL_MACHINE = vyk::platform::RegistryRoot::LocalMachine;
