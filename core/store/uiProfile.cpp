#include "core/store/uiProfile.h"

#include "platform/paths/file_io.h"
#include "platform/paths/paths.h"

#include <algorithm>
#include <cstring>

using vyk::platform::RegistryKey;
using vyk::platform::RegistryRoot;

TuiProfile::TuiProfile(QObject* Aowner) : QObject(Aowner) {}

TuiProfile::~TuiProfile() = default;

void TuiProfile::SetRootKey(HKEY AValue) {
    if (AValue != FRootKey) FRootKey = AValue;
}

void TuiProfile::SetKeyPath(const QString& AValue) {
    if (AValue != FKeyPath) FKeyPath = AValue;
}

void TuiProfile::SetFileName(const QString& AValue) {
    if (AValue != FFileName) FFileName = AValue;
}

void TuiProfile::SetFilePath(const QString& AValue) {
    if (AValue == FFilePath || !vyk::platform::folderExists(AValue)) return;
    QString path = vyk::platform::normalizePath(AValue);
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    FFilePath = path;
}

void TuiProfile::SetSize(std::int64_t AValue) {
    if (AValue == FSize || AValue < 0) return;
    FSize = AValue;
    FMemoryStream.resize(static_cast<std::size_t>(AValue), 0);
}

int TuiProfile::Write(const void* Buffer, int Count) {
    if (Count <= 0 || Buffer == nullptr) return 0;
    const auto n = static_cast<std::size_t>(Count);
    if (FMemoryStream.size() < n) FMemoryStream.resize(n, 0);
    std::memcpy(FMemoryStream.data(), Buffer, n);
    FSize = static_cast<std::int64_t>(FMemoryStream.size());
    return Count;
}

int TuiProfile::WriteZeros(int Count) {
    if (Count <= 0) return 0;
    const auto n = static_cast<std::size_t>(Count);
    std::fill_n(FMemoryStream.begin(), std::min(n, FMemoryStream.size()), std::uint8_t{0});
    if (FMemoryStream.size() < n) FMemoryStream.resize(n, 0);
    FSize = static_cast<std::int64_t>(FMemoryStream.size());
    return Count;
}

int TuiProfile::Read(void* Buffer, int Count) const {
    if (Count <= 0 || Buffer == nullptr) return 0;
    const std::size_t n = std::min(static_cast<std::size_t>(Count), FMemoryStream.size());
    if (n > 0) std::memcpy(Buffer, FMemoryStream.data(), n);
    return static_cast<int>(n);
}

bool TuiProfile::fireBefore(const TuiProfileEvent& AEvent) {
    if (!AEvent) return true;
    bool bContinue = true;
    AEvent(FMemoryStream, bContinue);
    return bContinue;
}

bool TuiProfile::rootUsable() const {
    return (FRootKey == HKEY_CURRENT_USER || FRootKey == HKEY_LOCAL_MACHINE) && !FKeyPath.isEmpty() &&
           !FFileName.isEmpty();
}

void TuiProfile::replaceStreamFromFile(const QString& APath) {
    vyk::platform::FileReadLimits limits;
    limits.maxBytes = vyk::platform::kMaxStoredValueBytes;
    const QByteArray bytes = vyk::platform::readWholeFile(APath, limits);
    FMemoryStream.assign(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         reinterpret_cast<const std::uint8_t*>(bytes.constData()) + bytes.size());
}

void TuiProfile::writeStreamToFile(const QString& APath) const {
    vyk::platform::writeFileAtomic(APath, FMemoryStream.data(), FMemoryStream.size());
}

bool TuiProfile::LoadStreamFromFile() {
    if (!fireBefore(OnBeforeLoadFromFile)) return false;
    if (FFilePath.isEmpty()) return false;
    if (!FFilePath.endsWith(QLatin1Char('/'))) FFilePath += QLatin1Char('/');
    const QString path = FFilePath + FFileName;
    if (FFileName.isEmpty() || !vyk::platform::fileExists(path)) return false;
    replaceStreamFromFile(path);
    if (OnAfterLoadFromFile) OnAfterLoadFromFile(FMemoryStream);
    return true;
}

bool TuiProfile::LoadStreamFromFile(const QString& strFilewithpath) {
    const QString path = vyk::platform::normalizePath(strFilewithpath);
    if (!vyk::platform::fileExists(path)) return false;
    if (!fireBefore(OnBeforeLoadFromFile)) return false;
    if (!vyk::platform::fileExists(path)) return false;
    replaceStreamFromFile(path);
    if (OnAfterLoadFromFile) OnAfterLoadFromFile(FMemoryStream);
    return true;
}

bool TuiProfile::LoadStreamFromRegistry() {
    if (!fireBefore(OnBeforeLoadFromRegistry)) return false;
    if (!rootUsable()) return false;
    auto key = RegistryKey::open(FRootKey, FKeyPath, true);
    if (!key) return false;
    const std::optional<QByteArray> data = key->readBinary(FFileName);
    if (!data) return false;
    FMemoryStream.assign(reinterpret_cast<const std::uint8_t*>(data->constData()),
                         reinterpret_cast<const std::uint8_t*>(data->constData()) + data->size());
    if (OnAfterLoadFromRegistry) OnAfterLoadFromRegistry(FMemoryStream);
    return true;
}

bool TuiProfile::PreSaveStreamToFile(const QString& strFileWithPath) {
    QString folder, name;
    vyk::platform::splitPath(vyk::platform::normalizePath(strFileWithPath), &folder, &name);
    if (!folder.isEmpty() && !vyk::platform::folderExists(folder) && !vyk::platform::createFolder(folder)) {
        return false;
    }
    FFilePath = folder;
    FFileName = name;
    return true;
}

bool TuiProfile::BeginSaveToFile() {
    if (!fireBefore(OnBeforeSaveToFile)) return false;
    if (FFilePath.isEmpty()) return false;
    if (!FFilePath.endsWith(QLatin1Char('/'))) FFilePath += QLatin1Char('/');
    return true;
}

void TuiProfile::EndSaveToFile() {
    if (OnAfterSaveToFile) OnAfterSaveToFile(FMemoryStream);
}

bool TuiProfile::SaveStreamToFile() {
    if (!BeginSaveToFile()) return false;
    writeStreamToFile(FFilePath + FFileName);
    EndSaveToFile();
    return true;
}

bool TuiProfile::SaveStreamToFile(const QString& strFileWithPath) {
    const QString path = vyk::platform::normalizePath(strFileWithPath);
    QString folder;
    vyk::platform::splitPath(path, &folder, nullptr);
    if (!folder.isEmpty() && !vyk::platform::folderExists(folder) && !vyk::platform::createFolder(folder)) {
        return false;
    }
    if (!fireBefore(OnBeforeSaveToFile)) return false;
    writeStreamToFile(path);
    if (OnAfterSaveToFile) OnAfterSaveToFile(FMemoryStream);
    return true;
}

bool TuiProfile::BeginSaveToRegistry() { return fireBefore(OnBeforeSaveToRegistry) && rootUsable(); }

void TuiProfile::EndSaveToRegistry() {
    if (OnAfterSaveToRegistry) OnAfterSaveToRegistry(FMemoryStream);
}

bool TuiProfile::SaveStreamToRegistry() {
    if (!BeginSaveToRegistry()) return false;
    auto key = RegistryKey::open(FRootKey, FKeyPath, true);
    if (!key) return false;
    key->writeBinary(FFileName, FMemoryStream.data(), FMemoryStream.size());
    EndSaveToRegistry();
    return true;
}

void TuiProfile::RestoreToDefault() {
    if (OnRestoreToDefault) OnRestoreToDefault(FMemoryStream);
}
