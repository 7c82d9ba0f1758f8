#include "config/toolkit/ImageDataBaseUnit.h"

#include <QDir>
#include <QFileInfo>

#include "platform/paths/paths.h"

TImageDataBase* GlobalImageDataBase = nullptr;

namespace {

QString withSlash(QString p) {
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    return p;
}

}  // namespace

TImageDataBase::TImageDataBase() : FBasePath(withSlash(vyk::platform::executableDir())) {}

TImageDataBase::~TImageDataBase() = default;

void TImageDataBase::SetImageBasePath(const QString& APath) {
    FBasePath = withSlash(APath);
    IMGDB.clear();
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

    QPixmap loaded;
    if (!loaded.load(path) || loaded.width() == 0 || loaded.height() == 0) return;
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
