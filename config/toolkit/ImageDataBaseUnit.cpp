#include "config/toolkit/ImageDataBaseUnit.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <exception>
#include <future>
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

}  // namespace

struct TImageDataBase::ReadAhead {
    QString folder;  // clean absolute path of the base folder it read
    std::future<std::vector<ReadAheadImage>> pending;
    std::vector<ReadAheadImage> ready;
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

namespace {

// Lists the pictures under folder with what their files look like now, largest first.
std::vector<ReadAheadImage> listPictures(const QString& folder) {
    QStringList suffixes;
    for (const QByteArray& f : QImageReader::supportedImageFormats())
        suffixes << QStringLiteral("*.") + QString::fromLatin1(f);
    // A skin is a few MiB; whatever lies beyond the limits is simply read when asked for.
    std::vector<ReadAheadImage> files;
    qint64 bytes = 0;
    QDirIterator it(folder, suffixes, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
    while (it.hasNext() && files.size() < kReadAheadMaxFiles) {
        const QFileInfo info(it.next());
        if (bytes + info.size() > kReadAheadMaxBytes) continue;
        bytes += info.size();
        files.push_back(ReadAheadImage{QDir::cleanPath(info.absoluteFilePath()), info.size(), info.lastModified(),
                                       info.metadataChangeTime(), QImage()});
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.size > b.size; });
    return files;
}

// Decodes every second picture from first on; the ones that cannot be read are left out.
std::vector<ReadAheadImage> decodeShare(const std::vector<ReadAheadImage>& files, std::size_t first) {
    std::vector<ReadAheadImage> out;
    for (std::size_t i = first; i < files.size(); i += 2) {
        ReadAheadImage r = files[i];
        r.image = QImageReader(r.path).read();
        if (!r.image.isNull()) out.push_back(std::move(r));
    }
    return out;
}

}  // namespace

void TImageDataBase::ReadAheadImageFolder() {
    FReadAhead.reset();
    const QFileInfo base(FBasePath);
    if (!base.isDir()) return;
    auto ahead = std::make_unique<ReadAhead>();
    ahead->folder = QDir::cleanPath(base.absoluteFilePath());
    // Listing the folder is left to the background as well; two threads share the decoding.
    ahead->pending = std::async(std::launch::async, [folder = ahead->folder] {
        const std::vector<ReadAheadImage> files = listPictures(folder);
        auto other = std::async(std::launch::async, [&files] { return decodeShare(files, 1); });
        std::vector<ReadAheadImage> all = decodeShare(files, 0);
        for (ReadAheadImage& r : other.get()) all.push_back(std::move(r));
        return all;
    });
    FReadAhead = std::move(ahead);
}

QImage TImageDataBase::TakeReadAhead(const QFileInfo& info) {
    if (!FReadAhead) return QImage();
    if (FReadAhead->pending.valid()) {
        try {
            FReadAhead->ready = FReadAhead->pending.get();
        } catch (const std::exception&) {
            FReadAhead.reset();  // no pictures read ahead: every file is read when asked for
            return QImage();
        }
    }
    const QString key = QDir::cleanPath(info.absoluteFilePath());
    auto& ready = FReadAhead->ready;
    const auto hit = std::find_if(ready.begin(), ready.end(), [&](const ReadAheadImage& r) { return r.path == key; });
    if (hit == ready.end()) return QImage();
    QImage image = sameFile(*hit, info) ? std::move(hit->image) : QImage();
    ready.erase(hit);
    if (ready.empty()) FReadAhead.reset();
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
