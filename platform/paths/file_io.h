#pragma once
// Whole-file reads and crash-safe whole-file writes, with failures raised as FileError.
//
// Reads are bounded and never block: the file is opened non-blocking and must be a regular
// file (a pipe, socket or device put in its place, directly or through a link, is refused), and
// a file larger than the bound of its kind is refused (or, where the caller asks, only its
// front is read). Any thread.
//
// A write goes to a temporary file in the target's folder (".~<name>.<process id>.XXXXXX"), is
// flushed to disk, then renamed over the target and the folder is flushed: a reader (the other
// program) or a crash sees the old bytes or the new ones, never a mix. A process killed during a
// write leaves its temporary file behind; removeAbandonedTempFiles clears those away. A file that already holds exactly the bytes to write
// is left as it is. Inside a FolderSyncBatch the folders are flushed once, when the batch ends
// (see there).

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>
#include <stdexcept>

namespace vyk::platform {

// A file or folder that exists but cannot be opened, read, created or written.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message);
};

bool fileExists(const QString& path);    // a regular file (or a link to one)
bool folderExists(const QString& path);  // a folder (or a link to one)

// Bounds of the files the programs read. Stored records are a few hundred KiB at most.
inline constexpr std::size_t kMaxStoredValueBytes = 16u << 20;  // registry values, profile files
inline constexpr std::size_t kMaxSettingsFileBytes = 1u << 20;  // config.ini and the like
inline constexpr std::size_t kMaxDefaultFileBytes = 64u << 20;  // anything else

struct FileReadLimits {
    std::size_t maxBytes = kMaxDefaultFileBytes;
    // When false, a link in the last place of the path is refused (for files only we write).
    bool followLinks = true;
    // When true, a longer file is not refused: its first maxBytes bytes are read.
    bool frontOnly = false;
};

// Reads the whole file (see above). Throws FileError when it cannot be opened or read, is not
// a regular file, or is larger than the bound.
QByteArray readWholeFile(const QString& path, const FileReadLimits& limits = {});

// Replaces the file with exactly these bytes. The folder must exist. Throws FileError (also
// when the file cannot be written, whatever it holds). A plain file that already holds these
// bytes is not written again.
void writeFileAtomic(const QString& path, const void* data, std::size_t size);
inline void writeFileAtomic(const QString& path, const QByteArray& bytes) {
    writeFileAtomic(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// While an object of this class lives, writeFileAtomic on the same thread does not flush the
// folder after each rename: the batch flushes every folder written to once, when it ends (also
// when it ends by an exception). Each file is still flushed before it replaces the old one,
// so a reader or a crash still sees the old bytes or the new ones of every file, never a mix;
// what changes is only when the new bytes are sure to survive a crash: at the end of the batch
// instead of at the end of each write. Batches nest; the outermost one flushes.
class FolderSyncBatch {
public:
    FolderSyncBatch();
    ~FolderSyncBatch();
    FolderSyncBatch(const FolderSyncBatch&) = delete;
    FolderSyncBatch& operator=(const FolderSyncBatch&) = delete;

private:
    bool FOutermost;
};

// For tests: a function called on the writing thread just before a file or a folder is
// flushed (its path as given to the system), so a test can watch or hold the flushes of a
// save. An empty function removes it. Not for use in the programs.
using FlushHook = std::function<void(const QByteArray& path)>;
void setFlushHook(FlushHook hook);

// Keeps a file (or whatever else stands at the path: a folder, a pipe, a link) aside under a
// free name in its folder: path + suffix, else path + ".1" + suffix, ".2" ... A name that
// already holds the same file (the same inode, or a plain file with the same bytes) is taken
// again, so setting one file aside twice makes one copy. With keepOriginal the path keeps its
// file and the name gets a copy of it (a plain file larger than kMaxDefaultFileBytes gets a
// second link instead); otherwise the file is moved, which works whatever it is and whether or
// not it can be read. Returns the name used; throws FileError when the file could not be kept
// aside.
QString keepFileAside(const QString& path, const QString& suffix, bool keepOriginal);

// Removes the temporary files of writes (see above) in the folder whose writing process has
// ended; those of a process that still runs are left alone, it may be writing them now. Links
// and folders are never touched. Errors are ignored (the files stay until the next time).
// Returns the number removed.
int removeAbandonedTempFiles(const QString& folder);

// Creates the last level of the folder only; true when it exists afterwards.
bool createFolder(const QString& path);
// Creates every missing level; throws FileError naming the folder when that fails.
void forceFolders(const QString& path);

}  // namespace vyk::platform
