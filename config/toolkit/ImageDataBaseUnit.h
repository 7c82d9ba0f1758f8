#pragma once
// The skin image cache of VykCfg. Every window loads its bitmaps through the one global
// instance, GlobalImageDataBase, from the image folder of the current language:
//
//   <exe folder>/images/<language>/{background,buttons,controls}/<file>.png
//
// - The cache is keyed by the bare file name: a name loaded once from one sub-folder is served
//   from the cache for every other sub-folder until the base folder changes.
// - Files are looked up without regard to case on disk ("Buttons" finds "buttons",
//   "Close-1.png" finds "close-1.png"), because the windows ask for names in mixed case.
// - A missing, unreadable or zero-size file leaves the target bitmap unchanged and caches
//   nothing, so the next request tries the file again. Nothing here reports an error.
// - Paths handed in may use '\' or '/'; paths kept and handed back use '/'.
//
// UI thread only (QPixmap).

#include <QImage>
#include <QPixmap>
#include <QString>

#include <memory>
#include <vector>

class QFileInfo;

struct TuiImageData {
    QString ImageName;  // the file name as requested, the cache key
    QString ImagePath;  // the full path it was loaded from
    QPixmap Image;
};

class TImageDataBase {
public:
    TImageDataBase();  // empty cache, base folder = the executable's folder
    ~TImageDataBase();
    TImageDataBase(const TImageDataBase&) = delete;
    TImageDataBase& operator=(const TImageDataBase&) = delete;

    // FBasePath: the image folder, always ending with '/'.
    QString ImageDBPath() const { return FBasePath; }
    // Sets the image folder (a '/' is appended when missing) and empties the cache. Bitmaps
    // already handed out are copies and stay as they are.
    void SetImageBasePath(const QString& APath);

    // Puts image AImageName into ATarget. "EMPTY" (exactly) clears ATarget. AImageSubPath is a
    // sub-folder of the base folder or empty; AImagePath, when not empty, is a complete folder
    // that replaces base folder and sub-folder.
    void AssignIMAGE(QPixmap& ATarget, const QString& AImageName, const QString& AImageSubPath,
                     const QString& AImagePath = QString());

    // The cache entry named exactly AImageName (case-sensitive), or nullptr.
    const TuiImageData* FindImage(const QString& AImageName) const;

    // Number of cached entries (IMGDB), in load order.
    int Count() const { return static_cast<int>(IMGDB.size()); }
    const TuiImageData& Item(int i) const { return IMGDB.at(static_cast<size_t>(i)); }

    // Starts decoding every picture under the base folder on background threads, largest
    // first, so that the requests a program makes while it builds its windows find them
    // decoded; a request waits only for its own picture. A request for a file read ahead
    // takes its picture only while the file is unchanged since it was listed (size, change
    // and modification times); otherwise, and for any file not read ahead, the file is read
    // when asked for, as always. The pictures read ahead are given up when the base folder
    // changes to another folder. Pictures are converted for the screen on the UI thread. At
    // most 256 files and 32 MiB of files are read ahead.
    void ReadAheadImageFolder();

private:
    struct ReadAhead;
    // The picture read ahead for that file, when there is one and the file is unchanged.
    QImage TakeReadAhead(const QFileInfo& info);

    QString FBasePath;
    std::vector<TuiImageData> IMGDB;
    std::unique_ptr<ReadAhead> FReadAhead;
};

// The one cache of the configuration program.
extern TImageDataBase* GlobalImageDataBase;
// Creates GlobalImageDataBase when it does not exist yet, with the base folder
// <exe folder>/images/0409/ (found without regard to case). Idempotent.
void CreateGlobalImageDataBase();
// Frees GlobalImageDataBase and sets it to nullptr.
void FreeGlobalImageDataBase();

namespace vyk::config {

// The image folder for a language name ("0409", "0804", "0404"): <exe folder>/images/<lang>/
// when that folder exists (found without regard to case), else <exe folder>/images/0409/.
// The choice is made per language folder: a file missing from an existing language folder is
// not taken from 0409. An empty or path-like name (containing a separator or "..") gives 0409.
QString ImageFolderForLanguage(const QString& langName);

// Loads an image through GlobalImageDataBase (created when needed). Same rules as AssignIMAGE.
void AssignSkinImage(QPixmap& target, const QString& subFolder, const QString& name);

}  // namespace vyk::config
