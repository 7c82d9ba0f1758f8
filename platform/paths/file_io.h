#pragma once
// Whole-file reads and crash-safe whole-file writes, with failures raised as FileError.
//
// A write goes to a temporary file in the target's folder, is flushed to disk, then renamed
// over the target and the folder is flushed: a reader (the other program) or a crash sees the
// old bytes or the new ones, never a mix.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <stdexcept>

namespace vyk::platform {

// A file or folder that exists but cannot be opened, read, created or written.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message);
};

bool fileExists(const QString& path);    // a regular file (or a link to one)
bool folderExists(const QString& path);  // a folder (or a link to one)

// Reads the whole file. Throws FileError when it cannot be opened or read.
QByteArray readWholeFile(const QString& path);

// Replaces the file with exactly these bytes. The folder must exist. Throws FileError.
void writeFileAtomic(const QString& path, const void* data, std::size_t size);
inline void writeFileAtomic(const QString& path, const QByteArray& bytes) {
    writeFileAtomic(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Creates the last level of the folder only; true when it exists afterwards.
bool createFolder(const QString& path);
// Creates every missing level; throws FileError naming the folder when that fails.
void forceFolders(const QString& path);

}  // namespace vyk::platform
