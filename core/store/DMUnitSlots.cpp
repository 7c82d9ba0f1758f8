// TDM: the five game-profile slots. Where each is kept (its name, folder and storage kind in
// the setting group, checked against the profile folder), how it is loaded at start-up and by
// the monitor's reloads (damaged values replaced, values checked), how it is saved to its
// profile file, the import of a profile file the user chose, and the reports of what was found.
#include "core/store/DMUnit.h"

#include "core/defs/record_text.h"
#include "core/store/ProfileValues.h"
#include "core/store/slot_records.h"
#include "platform/diag/diag.h"
#include "platform/paths/file_io.h"
#include "platform/paths/paths.h"
#include "platform/paths/write_job.h"
#include "platform/registry/registry.h"

#include <QDir>

#include <cstring>
#include <memory>
#include <span>

using vyk::defs::recordText;
using vyk::defs::setRecordText;
using vyk::platform::debugLog;
using vyk::store::ProfileShape;
using vyk::store::profileShape;
using vyk::store::readRecord;
using vyk::store::sizeWithZeros;
using vyk::store::writeRecord;

namespace {

constexpr int kSlots = 5;
constexpr std::size_t kProfileSize = sizeof(TMouseProfileInfo);

std::span<const std::uint8_t> bytesOf(const QByteArray& b) {
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

std::int32_t versionOf(const TuiProfileStream& s) {
    std::int32_t v = 0;
    if (s.size() >= sizeof v) std::memcpy(&v, s.data(), sizeof v);
    return v;
}

QString slotNumber(int ASlot) { return QString::number(ASlot + 1); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reports

QString TStoreReport::Format(const std::function<QString(const QString&)>& translate) const {
    const QString text = translate ? translate(Text) : Text;
    // One pass, so a value holding "%2" (a file name may) is never read as a place for another.
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('%') && i + 1 < text.size() && text.at(i + 1).isDigit()) {
            const int n = text.at(i + 1).digitValue();
            if (n >= 1 && n <= Args.size()) {
                out += Args.at(n - 1);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QList<TStoreReport> TDM::TakeStoreReports() {
    QList<TStoreReport> out;
    out.swap(FPendingReports);
    return out;
}

void TDM::report(const QString& AText, const QStringList& AArgs, bool AOnce) {
    const TStoreReport r{AText, AArgs};
    if (AOnce) {
        if (FIssuedReports.contains(r)) return;
        FIssuedReports.append(r);
    }
    FPendingReports.append(r);
}

void TDM::reportException(const std::exception& e) { report(QString::fromUtf8(e.what())); }

void TDM::removeAbandonedTempFiles() {
    // Only the configuration program saves profile files and the macro database, but both
    // programs write settings values: a file whose writer still runs is left alone.
    if (const auto key = vyk::platform::RegistryKey::open(HKEY_CURRENT_USER, ProfileRegFolder(), false)) {
        vyk::platform::removeAbandonedTempFiles(key->folder());
    }
    const QString home = profileFolder();
    vyk::platform::removeAbandonedTempFiles(home);
    // The macro folders and the macro database's folder sit one level below.
    const QDir dir(home);
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden)) {
        vyk::platform::removeAbandonedTempFiles(dir.filePath(sub));
    }
}

// ---------------------------------------------------------------------------------------------
// Where a slot is kept

QString TDM::profileFolder() const {
    QString path = vyk::platform::joinPath(vyk::platform::documentsDir(), FOptionsFromConfigFile.ProfileFolder);
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}

QString TDM::storedValueFile(const TuiProfile* AComponent) {
    const auto key = vyk::platform::RegistryKey::open(AComponent->RootKey(), AComponent->KeyPath(), false);
    return key ? key->folder() + AComponent->FileName() + QStringLiteral(".bin") : AComponent->FileName();
}

QString TDM::slotFile(int ASlot) const {
    const TuiProfile* c = FProfileGroup[ASlot];
    return c->FilePath().isEmpty() ? QString() : vyk::platform::joinPath(c->FilePath(), c->FileName());
}

bool TDM::slotNameUsable(const QString& AName, int ASlot) const {
    constexpr auto nameCap = std::extent_v<decltype(TProfileSetting::FileName)> - 1;
    // A name that fills the whole field has no end: it is not a name the store wrote.
    if (!vyk::platform::isPlainFileName(AName) || static_cast<std::size_t>(AName.size()) > nameCap) return false;
    for (const TuiProfile* own : {uiProfileAllSettingInfo, uiProfileSettingGroup, uiProfileRecordMacroInfo}) {
        if (AName.compare(own->FileName(), Qt::CaseInsensitive) == 0) return false;
    }
    if (AName.compare(QStringLiteral("ProfileID"), Qt::CaseInsensitive) == 0) return false;
    for (int j = 0; j < kSlots; ++j) {
        if (j != ASlot && AName.compare(FProfileGroup[j]->FileName(), Qt::CaseInsensitive) == 0) return false;
    }
    return true;
}

void TDM::checkSlotSetting(int ASlot) {
    TProfileSetting& s = FProfileSettingGroup.ProfileSettingList[ASlot];
    const QString n = slotNumber(ASlot);
    if (s.StorageKind > 1) {
        report(
            QStringLiteral("The profile settings give profile %1 an unknown place to be kept (%2); it is kept in the "
                           "settings store."),
            {n, QString::number(s.StorageKind)});
        s.StorageKind = 0;
    }
    const QString stored = recordText(s.FileName);
    if (!slotNameUsable(stored, ASlot)) {
        // A damaged setting group (cut short, naming one value twice, one of the store's own
        // values, or a path) would make this slot's saves overwrite another record or a file
        // elsewhere. The slot takes its factory name; with no usable name its saves fail.
        const QString factory = FOptionsFromConfigFile.ProfileNamePrefix + n + QStringLiteral(".pfd");
        const QString name = slotNameUsable(factory, ASlot) ? factory : QString();
        report(QStringLiteral("The profile settings give profile %1 the file name \"%2\", which cannot name a file in "
                              "the profile folder; \"%3\" is used instead."),
               {n, stored, name});
        setRecordText(s.FileName, name);
    }
    // An empty folder was never set (the factory group when Documents could not be made): the
    // profile folder, without a word.
    const QString folder = recordText(s.FilePath);
    const QString home = profileFolder();
    if (folder.isEmpty() || !vyk::platform::isInsideFolder(folder, home)) {
        if (!folder.isEmpty()) {
            report(QStringLiteral("The profile settings keep profile %1 in \"%2\", which is outside the profile folder "
                                  "\"%3\"; the profile folder is used instead."),
                   {n, folder, home});
        }
        setRecordText(s.FilePath, home);
    }
}

// ---------------------------------------------------------------------------------------------
// Start-up

void TDM::InitGameProfiles() {
    FProfileGroup = {uiProfileGame1, uiProfileGame2, uiProfileGame3, uiProfileGame4, uiProfileGame5};
    for (int i = 0; i < kSlots; ++i) {
        try {
            initGameSlot(i);
        } catch (const std::exception& e) {
            reportException(e);
            TuiProfile* c = FProfileGroup[i];
            if (c->Stream().size() != kProfileSize) vyk::store::resetToZeros<TMouseProfileInfo>(c);
            fallBackToDefaults(c);
        }
    }
}

void TDM::initGameSlot(int ASlot) {
    TuiProfile* c = FProfileGroup[ASlot];
    const TProfileSetting& s = FProfileSettingGroup.ProfileSettingList[ASlot];
    checkSlotSetting(ASlot);
    c->SetRootKey(HKEY_CURRENT_USER);
    c->SetFileName(recordText(s.FileName));
    c->SetFilePath(recordText(s.FilePath));
    c->SetKeyPath(ProfileRegFolder());
    sizeWithZeros<TMouseProfileInfo>(c);

    if (s.StorageKind == 0) {
        if (c->LoadStreamFromRegistry()) {
            checkLoadedSlot(ASlot, SlotSource::Registry);
        } else {
            c->RestoreToDefault();
        }
        return;
    }
    const QString path = vyk::platform::joinPath(recordText(s.FilePath), recordText(s.FileName));
    if (!vyk::platform::isInsideFolder(path, profileFolder())) {
        // The folder is inside: the file itself is a link that leads out. It is not read; the
        // next save replaces the link by the slot's file.
        report(QStringLiteral("The profile file \"%1\" of profile %2 leads outside the profile folder; it is not read, "
                              "and profile %2 is set back to its factory settings."),
               {path, slotNumber(ASlot)});
        c->RestoreToDefault();
        SetProfileChanged(ASlot, true);
    } else if (!vyk::platform::fileExists(path)) {
        c->RestoreToDefault();
        if (c->SaveStreamToFile(path)) {
            // The folder may have been made just now: only then can the slot take it, and
            // without it every later save of the slot's file would be skipped.
            c->SetFilePath(recordText(s.FilePath));
        } else {
            debugLog(QStringLiteral("store: cannot create the folder of %1").arg(path));
        }
    } else if (!c->LoadStreamFromFile(path)) {
        c->RestoreToDefault();
        saveSlotFile(ASlot);
    } else {
        checkLoadedSlot(ASlot, SlotSource::File);
    }
}

// ---------------------------------------------------------------------------------------------
// Checks of what was loaded

std::unique_ptr<TMouseProfileInfo> TDM::FactoryProfileInfo(int ASlot) {
    TuiProfileStream stream(kProfileSize, 0);
    const TuiProfile* c = FProfileGroup[IsProfileIndexInRange(ASlot) ? ASlot : 0];
    if (c->OnRestoreToDefault) c->OnRestoreToDefault(stream);
    auto p = std::make_unique<TMouseProfileInfo>();
    std::memcpy(static_cast<void*>(p.get()), stream.data(), kProfileSize);
    return p;
}

void TDM::checkLoadedSlot(int ASlot, SlotSource ASource) {
    TuiProfile* c = FProfileGroup[ASlot];
    const QString n = slotNumber(ASlot);
    const QString where = ASource == SlotSource::Registry ? storedValueFile(c) : slotFile(ASlot);
    const ProfileShape shape = profileShape(c->Stream());
    if (shape != ProfileShape::Whole) {
        // A cut or grown record would mix its bytes with what the slot held before (another
        // profile's values) or carry a foreign tail through every save: the slot takes its
        // other copy when that one is whole, else its factory profile.
        const bool size = shape == ProfileShape::WrongSize;
        const QString what =
            size ? QString::number(c->Stream().size())
                 : QStringLiteral("0x%1").arg(static_cast<std::uint32_t>(versionOf(c->Stream())), 0, 16);
        QString copy;
        if (takeOtherCopy(ASlot, ASource, &copy)) {
            report(size
                       ? QStringLiteral("The stored profile %1 \"%2\" is damaged (%3 bytes instead of %4); its copy "
                                        "\"%5\" is used instead.")
                       : QStringLiteral("The stored profile %1 \"%2\" is not a profile of this program (format version "
                                        "%3); its copy \"%5\" is used instead."),
                   {n, where, what, QString::number(kProfileSize), copy});
        } else {
            vyk::store::resetToZeros<TMouseProfileInfo>(c);
            c->RestoreToDefault();
            report(size
                       ? QStringLiteral("The stored profile %1 \"%2\" is damaged (%3 bytes instead of %4); profile %1 "
                                        "is set back to its factory settings.")
                       : QStringLiteral("The stored profile %1 \"%2\" is not a profile of this program (format version "
                                        "%3); profile %1 is set back to its factory settings."),
                   {n, where, what, QString::number(kProfileSize)});
        }
        SetProfileChanged(ASlot, true);
    }
    if (repairSlotValues(ASlot)) {
        report(QStringLiteral("The stored profile %1 \"%2\" held settings this program cannot use; they were set back "
                              "to their factory values."),
               {n, where});
        SetProfileChanged(ASlot, true);
    }
}

bool TDM::takeOtherCopy(int ASlot, SlotSource ASource, QString* AWhere) {
    TuiProfile* c = FProfileGroup[ASlot];
    QByteArray bytes;
    try {
        if (ASource == SlotSource::Registry) {
            const QString file = slotFile(ASlot);
            if (file.isEmpty() || !vyk::platform::isInsideFolder(file, profileFolder()) ||
                !vyk::platform::fileExists(file)) {
                return false;
            }
            vyk::platform::FileReadLimits limits;
            limits.maxBytes = kProfileSize + 1;  // enough to see that a file is too long
            limits.frontOnly = true;
            bytes = vyk::platform::readWholeFile(file, limits);
            *AWhere = file;
        } else {
            const auto key = vyk::platform::RegistryKey::open(c->RootKey(), c->KeyPath(), false);
            if (!key) return false;
            const auto value = key->readBinary(c->FileName());
            if (!value) return false;
            bytes = *value;
            *AWhere = storedValueFile(c);
        }
    } catch (const std::exception& e) {
        debugLog(QStringLiteral("store: the other copy of profile %1 cannot be read: %2")
                     .arg(slotNumber(ASlot), QString::fromUtf8(e.what())));
        return false;
    }
    if (profileShape(bytesOf(bytes)) != ProfileShape::Whole) return false;
    c->Stream().clear();
    c->Write(bytes.constData(), static_cast<int>(bytes.size()));
    return true;
}

bool TDM::repairSlotValues(int ASlot) {
    TuiProfile* c = FProfileGroup[ASlot];
    auto record = std::make_unique<TMouseProfileInfo>();
    readRecord(c, *record);
    const QStringList fixed = vyk::store::RepairProfileValues(*record, *FactoryProfileInfo(ASlot));
    if (fixed.isEmpty()) return false;
    writeRecord(c, *record);
    debugLog(QStringLiteral("store: profile %1 set to factory values: %2").arg(slotNumber(ASlot), fixed.join(", ")));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Saving a slot's file, loading a file the user chose

void TDM::saveSlotFile(int ASlot) {
    vyk::platform::WriteJob job;
    queueSlotFileSave(job, ASlot);
    job.Run();
}

void TDM::queueSlotFileSave(vyk::platform::WriteJob& AJob, int ASlot) {
    TuiProfile* c = FProfileGroup[ASlot];
    if (c->FilePath().isEmpty()) return;
    const QString folder = c->FilePath();
    const QString home = profileFolder();
    const QStringList refused = {slotNumber(ASlot), slotFile(ASlot), home};
    const bool begun = c->BeginSaveToFile();
    const QString path = c->FilePath() + c->FileName();
    const QByteArray bytes = begun ? streamCopy(c) : QByteArray();
    AJob.Add([this, c, folder, home, refused, begun, path, bytes]() -> vyk::platform::WriteJob::Afterwards {
        // Checked at every save: a folder replaced by a link since start-up must not take a file.
        if (!vyk::platform::isInsideFolder(folder, home)) {
            return [this, refused] {
                report(QStringLiteral("Profile %1 was not saved to \"%2\": that file is outside the profile folder "
                                      "\"%3\"."),
                       refused);
            };
        }
        if (!begun) return {};
        vyk::platform::writeFileAtomic(path, bytes);
        return [c] { c->EndSaveToFile(); };
    });
}

bool TDM::LoadCurrentProfileInfoFromFile(const QString& AFile) {
    const QString path = vyk::platform::normalizePath(AFile);
    if (!vyk::platform::fileExists(path)) return false;
    // One bounded read: a file of any other size is refused without reading it all.
    vyk::platform::FileReadLimits limits;
    limits.maxBytes = kProfileSize + 1;
    limits.frontOnly = true;
    const QByteArray bytes = vyk::platform::readWholeFile(path, limits);
    if (profileShape(bytesOf(bytes)) != ProfileShape::Whole) return false;

    TuiProfile* c = FProfileGroup[FProfileIndex];
    c->Stream().clear();
    c->Write(bytes.constData(), static_cast<int>(bytes.size()));
    if (repairSlotValues(FProfileIndex)) {
        report(QStringLiteral("The profile file \"%1\" held settings this program cannot use; they were set back to "
                              "their factory values."),
               {path}, false);
    }
    readRecord(c, FCurrentProfileInfo);
    return true;
}
