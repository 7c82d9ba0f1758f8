#include "config/toolkit/ImageDataBaseUnit.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSet>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/paths/paths.h"

TImageDataBase* GlobalImageDataBase = nullptr;

namespace {

QString withSlash(QString p) {
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    return p;
}

// One picture read ahead, with what its file looked like when it was read.
struct ReadAheadImage {
    QString path;  // clean absolute path
    qint64 size = -1;
    QDateTime modified;
    QDateTime changed;
    QImage image;
};

bool sameFile(const ReadAheadImage& r, const QFileInfo& info) {
    return r.size == info.size() && r.modified == info.lastModified() && r.changed == info.metadataChangeTime();
}

constexpr std::size_t kReadAheadMaxFiles = 256;
constexpr qint64 kReadAheadMaxBytes = 32 * 1024 * 1024;

// Lists the pictures under folder with what their files look like now, largest first.
std::vector<ReadAheadImage> listPictures(const QString& folder) {
    // The suffixes are compared by hand: name filters are regular expressions, compiled anew
    // on each thread.
    QSet<QString> suffixes;
    for (const QByteArray& f : QImageReader::supportedImageFormats()) suffixes.insert(QString::fromLatin1(f).toLower());
    // A skin is a few MiB; whatever lies beyond the limits is simply read when asked for.
    std::vector<ReadAheadImage> files;
    qint64 bytes = 0;
    QDirIterator it(folder, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
    while (it.hasNext() && files.size() < kReadAheadMaxFiles) {
        const QFileInfo info(it.next());
        if (!suffixes.contains(info.suffix().toLower())) continue;
        if (bytes + info.size() > kReadAheadMaxBytes) continue;
        bytes += info.size();
        files.push_back(ReadAheadImage{QDir::cleanPath(info.absoluteFilePath()), info.size(), info.lastModified(),
                                       info.metadataChangeTime(), QImage()});
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.size > b.size; });
    return files;
}

}  // namespace

// The pictures of one folder, decoded by a few threads, largest first. A request waits only
// for its own picture: until the folder is listed, then until that picture is decoded.
struct TImageDataBase::ReadAhead {
    ~ReadAhead() {
        {
            std::lock_guard lock(mutex);
            stop = true;  // what no thread has begun is left
        }
        if (first.joinable()) first.join();
    }

    // Lists the folder, then decodes with the other threads.
    void listAndDecode(std::size_t decoders) {
        std::vector<ReadAheadImage> listed;
        try {
            listed = listPictures(folder);
        } catch (const std::exception&) {
            listed.clear();  // nothing read ahead: every file is read when asked for
        }
        {
            std::lock_guard lock(mutex);
            files = std::move(listed);
            decoded.assign(files.size(), false);
            isListed = true;
        }
        changed.notify_all();
        try {
            for (std::size_t i = 1; i < decoders; ++i) helpers.emplace_back([this] { decode(); });
        } catch (const std::system_error&) {
            // fewer threads decode
        }
        decode();
        for (std::thread& t : helpers) t.join();
    }

    void decode() {
        for (;;) {
            std::size_t i = 0;
            QString path;
            {
                std::lock_guard lock(mutex);
                if (stop || next >= files.size()) return;
                i = next++;
                path = files[i].path;
            }
            QImage image;
            try {
                image = QImageReader(path).read();
            } catch (const std::exception&) {
                image = QImage();  // read when asked for
            }
            {
                std::lock_guard lock(mutex);
                files[i].image = std::move(image);
                decoded[i] = true;
            }
            changed.notify_all();
        }
    }

    // The picture read ahead for `key` (taken: asked for once), or a null image.
    QImage take(const QString& key, const QFileInfo& info) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return isListed; });
        const auto hit =
            std::find_if(files.begin(), files.end(), [&](const ReadAheadImage& r) { return r.path == key; });
        if (hit == files.end()) return QImage();
        const auto i = static_cast<std::size_t>(hit - files.begin());
        changed.wait(lock, [&] { return decoded[i] || stop; });
        QImage image = sameFile(*hit, info) ? std::move(hit->image) : QImage();
        hit->image = QImage();
        hit->path.clear();  // taken
        ++taken;
        return image;
    }

    bool allTaken() {
        std::lock_guard lock(mutex);
        return isListed && taken == files.size();
    }

    QString folder;  // clean absolute path of the base folder it reads
    std::mutex mutex;
    std::condition_variable changed;
    bool isListed = false;
    bool stop = false;
    std::vector<ReadAheadImage> files;
    std::vector<bool> decoded;
    std::size_t next = 0;              // the next file to decode
    std::size_t taken = 0;             // files asked for
    std::vector<std::thread> helpers;  // decoders besides the first thread
    std::thread first;                 // lists, then decodes
};

TImageDataBase::TImageDataBase() : FBasePath(withSlash(vyk::platform::executableDir())) {}

TImageDataBase::~TImageDataBase() = default;  // waits for a read-ahead still running

void TImageDataBase::SetImageBasePath(const QString& APath) {
    FBasePath = withSlash(APath);
    IMGDB.clear();
    if (FReadAhead && QDir::cleanPath(QFileInfo(FBasePath).absoluteFilePath()) != FReadAhead->folder) {
        FReadAhead.reset();
    }
}

void TImageDataBase::ReadAheadImageFolder() {
    FReadAhead.reset();
    const QFileInfo base(FBasePath);
    if (!base.isDir()) return;
    auto ahead = std::make_unique<ReadAhead>();
    ahead->folder = QDir::cleanPath(base.absoluteFilePath());
    // Listing the folder is left to the background as well; three threads share the decoding.
    try {
        ReadAhead* a = ahead.get();
        ahead->first = std::thread([a] { a->listAndDecode(3); });
    } catch (const std::system_error&) {
        return;  // every file is read when asked for
    }
    FReadAhead = std::move(ahead);
}

QImage TImageDataBase::TakeReadAhead(const QFileInfo& info) {
    if (!FReadAhead) return QImage();
    QImage image = FReadAhead->take(QDir::cleanPath(info.absoluteFilePath()), info);
    if (FReadAhead->allTaken()) FReadAhead.reset();
    return image;
}

const TuiImageData* TImageDataBase::FindImage(const QString& AImageName) const {
    for (const TuiImageData& d : IMGDB) {
        if (d.ImageName == AImageName) return &d;
    }
    return nullptr;
}

void TImageDataBase::AssignIMAGE(QPixmap& ATarget, const QString& AImageName, const QString& AImageSubPath,
                                 const QString& AImagePath) {
    if (AImageName == QLatin1String("EMPTY")) {
        ATarget = QPixmap();
        return;
    }
    if (const TuiImageData* hit = FindImage(AImageName)) {
        ATarget = hit->Image;
        return;
    }
    if (AImageName.isEmpty()) return;

    QString base;
    QString relative;
    if (!AImagePath.isEmpty()) {
        base = withSlash(AImagePath);
        relative = AImageName;
    } else {
        base = FBasePath;
        relative = AImageSubPath.isEmpty() ? AImageName : AImageSubPath + QLatin1Char('/') + AImageName;
    }
    const QString path = vyk::platform::resolveCaseInsensitive(base, relative);
    const QFileInfo info(path);
    if (!info.isFile()) return;

    // Read into an image that is handed over to the pixmap: QPixmap::load converts a copy of
    // what it read, which for the opaque skin pictures doubles the work of loading them.
    QImage image = TakeReadAhead(info);
    if (image.isNull()) image = QImageReader(path).read();
    if (image.isNull() || image.width() == 0 || image.height() == 0) return;
    const QPixmap loaded = QPixmap::fromImage(std::move(image));
    if (loaded.isNull()) return;
    ATarget = loaded;
    IMGDB.push_back(TuiImageData{AImageName, path, loaded});
}

void CreateGlobalImageDataBase() {
    if (GlobalImageDataBase != nullptr) return;
    GlobalImageDataBase = new TImageDataBase();
    GlobalImageDataBase->SetImageBasePath(
        vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(), QStringLiteral("Images/0409/")));
}

void FreeGlobalImageDataBase() {
    delete GlobalImageDataBase;
    GlobalImageDataBase = nullptr;
}

namespace vyk::config {

QString ImageFolderForLanguage(const QString& langName) {
    const QString exe = vyk::platform::executableDir();
    const bool plainName = !langName.isEmpty() && !langName.contains(QLatin1Char('/')) &&
                           !langName.contains(QLatin1Char('\\')) && langName != QLatin1String(".") &&
                           langName != QLatin1String("..");
    if (plainName) {
        const QString folder =
            vyk::platform::resolveCaseInsensitive(exe, QStringLiteral("images/") + langName + QLatin1Char('/'));
        if (QFileInfo(folder).isDir()) return withSlash(folder);
    }
    return withSlash(vyk::platform::resolveCaseInsensitive(exe, QStringLiteral("images/0409/")));
}

void AssignSkinImage(QPixmap& target, const QString& subFolder, const QString& name) {
    CreateGlobalImageDataBase();
    GlobalImageDataBase->AssignIMAGE(target, name, subFolder);
}

}  // namespace vyk::config
