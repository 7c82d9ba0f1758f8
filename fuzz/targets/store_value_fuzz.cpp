// Fuzz target: the bytes as one stored value of the profile store, loaded by the data module's
// start-up, then saved and loaded again.
//
// Input: byte 0 picks the value (setting group, all-games record, game profile 1..5, the
// record-macro slot); the rest is the value's bytes. The other values start from the factory
// records. Checked, besides the sanitizers:
//  - load -> save -> load is stable: what a second data module saves from what the first one
//    saved is byte for byte the same;
//  - saves write only the store's own values and files: nothing appears outside the key and
//    the profile folder, and no temporary file of a write is left behind;
//  - after start-up every game profile is one whole profile whose values the window can
//    produce.
// The setting group names folders for profile files; the target points them into the sandbox
// so that even a store that failed to refuse them could not write elsewhere on this machine
// (the file name it gives cannot climb out of the eight folder levels used). Byte 0 / 8 picks
// the folder: inside the profile folder (taken), or outside it (the store must refuse it).

#include "fuzz/support/fuzz_support.h"

#include "platform/diag/diag.h"

#include "core/defs/pubunit_norvane.h"
#include "core/defs/record_text.h"
#include "core/store/DMUnit.h"
#include "core/store/ProfileValues.h"

#include <QDir>
#include <QMap>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kValues[] = {"ProfileSettingGroup.pfd", "allsettings.pfd", "VykProfile1.pfd", "VykProfile2.pfd",
                               "VykProfile3.pfd",         "VykProfile4.pfd", "VykProfile5.pfd", "RecordRPROFILE.pfd"};

QString keyDir() {
    return vyk::fuzz::registryDir() + QStringLiteral("HKEY_CURRENT_USER/software/software/Vykgmmouse/");
}

// The folders a slot may name: below the profile folder, or beside it in Documents.
QString slotFolder(bool inside) {
    return vyk::fuzz::documentsDir() +
           (inside ? QStringLiteral("VykProfile/1/2/3/4/5/6/7/") : QStringLiteral("slots/1/2/3/4/5/6/7/"));
}

// Every file below a folder, by path relative to it.
void snapshot(const QString& folder, const QString& prefix, QMap<QString, QByteArray>& out) {
    const QDir dir(folder);
    for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden))
        out[prefix + f] = vyk::fuzz::readFile(folder + f);
    for (const QString& d : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        snapshot(folder + d + QLatin1Char('/'), prefix + d + QLatin1Char('/'), out);
}

QMap<QString, QByteArray> storeFiles() {
    QMap<QString, QByteArray> all;
    snapshot(vyk::fuzz::registryDir(), QStringLiteral("registry/"), all);
    snapshot(vyk::fuzz::documentsDir(), QStringLiteral("documents/"), all);
    return all;
}

// Points every slot's folder fields into the sandbox (see the top of the file).
void confineSettingGroup(std::vector<std::uint8_t>& bytes, bool inside) {
    const QString folder = slotFolder(inside);
    for (int i = 0; i < 5; ++i) {
        const std::size_t slot = offsetof(TProfileSettingGroup, ProfileSettingList) + i * sizeof(TProfileSetting);
        for (std::size_t field : {offsetof(TProfileSetting, FilePath), offsetof(TProfileSetting, MacroPath)}) {
            const std::size_t at = slot + field;
            constexpr std::size_t n = std::extent_v<decltype(TProfileSetting::FilePath)>;
            if (bytes.size() <= at) continue;
            if (bytes.size() < at + n * 2) bytes.resize(at + n * 2, 0);
            char16_t text[n];
            std::memcpy(text, bytes.data() + at, sizeof text);
            vyk::defs::setRecordText(text, folder);
            std::memcpy(bytes.data() + at, text, sizeof text);
        }
    }
}

// A game profile made from the factory values carries the time it was made. A slot whose
// profile file cannot be kept (its folder is missing) is made afresh at every start, so that
// stamp is the one part of a profile that may differ from one start to the next.
QByteArray withoutStamp(const QString& file, QByteArray bytes) {
    for (const char* own : {"ProfileSettingGroup.pfd", "allsettings.pfd", "RecordRPROFILE.pfd"})
        if (file.endsWith(QLatin1String(own) + QStringLiteral(".bin"), Qt::CaseInsensitive)) return bytes;
    constexpr qsizetype at = offsetof(TMouseProfileInfo, ProfileHeader) + offsetof(TProfileHeader, FProfileUID);
    for (qsizetype i = at; i < at + qsizetype(sizeof(TProfileUIDData)) && i < bytes.size(); ++i) bytes[i] = 0;
    return bytes;
}

void saveEverything(TDM& dm) {
    // What the configuration program's OK and APPLY write (each part on its own, as there).
    vyk::platform::guarded([&] { dm.SaveBackAllProfileInfoToRegistry(); });
    vyk::platform::guarded([&] { dm.SaveBackAllProfileInfoToFile(); });
    vyk::platform::guarded([&] { dm.SaveProfileGroupSettingInfoToRegistry(); });
    vyk::platform::guarded([&] { dm.SaveBackAllProfileSettingInfo(); });
    vyk::platform::guarded([&] { dm.SaveBackRecordMacroInfoToRegistry(dm.FRecordMacroInfo); });
}

// Reads the records the way the programs use them.
void useRecords(TDM& dm) {
    for (int i = 0; i < 5; ++i) {
        const TuiProfileStream& stream = dm.FProfileGroup[static_cast<std::size_t>(i)]->Stream();
        VYK_FUZZ_CHECK(vyk::store::profileShape(stream) == vyk::store::ProfileShape::Whole,
                       "a game profile is not one whole profile after start-up");
        auto p = std::make_unique<TMouseProfileInfo>();
        std::memcpy(static_cast<void*>(p.get()), stream.data(), sizeof(TMouseProfileInfo));
        VYK_FUZZ_CHECK(vyk::store::RepairProfileValues(*p, *dm.FactoryProfileInfo(i)).isEmpty(),
                       "a game profile holds values the window cannot produce");
    }
    (void)dm.TakeStoreReports();
    for (int i = 0; i < 5; ++i) {
        dm.SwitchToProfile(i);
        VYK_FUZZ_CHECK(dm.FProfileIndex == i, "a valid profile switch was refused");
    }
    (void)dm.GetAllProfilesMacroIndexList();
    dm.SwitchToProfileGroup(dm.FProfileSettingGroup.CurrentProfileGroup);
    VYK_FUZZ_CHECK(dm.FProfileIndex >= 0 && dm.FProfileIndex < 5, "the current profile left 0..4");
    VYK_FUZZ_CHECK(dm.FProfileGroupIndex >= 0 && dm.FProfileGroupIndex < 2, "the profile group left 0..1");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    vyk::fuzz::ensureApplication();
    vyk::fuzz::clearFolder(vyk::fuzz::registryDir());
    vyk::fuzz::clearFolder(vyk::fuzz::documentsDir());
    vyk::fuzz::clearFolder(vyk::fuzz::exeDir());

    const int which = data[0] % 8;
    std::vector<std::uint8_t> value(data + 1, data + size);
    if (which == 0) confineSettingGroup(value, (data[0] / 8) % 2 == 0);
    vyk::fuzz::writeFile(keyDir() + QString::fromLatin1(kValues[which]) + QStringLiteral(".bin"), value.data(),
                         value.size());

    QMap<QString, QByteArray> first;
    {
        TDM dm;
        useRecords(dm);
        saveEverything(dm);
        first = storeFiles();
    }
    {
        TDM dm;
        useRecords(dm);
        saveEverything(dm);
        const QMap<QString, QByteArray> second = storeFiles();
        VYK_FUZZ_CHECK(first.keys() == second.keys(), "a second load and save wrote other values");
        for (auto it = first.cbegin(); it != first.cend(); ++it) {
            const QByteArray a = withoutStamp(it.key(), it.value());
            const QByteArray b = withoutStamp(it.key(), second.value(it.key()));
            qsizetype at = 0;
            while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
            VYK_FUZZ_CHECK(a == b, "load -> save -> load is not stable for " + it.key().toStdString() + " (sizes " +
                                       std::to_string(a.size()) + " and " + std::to_string(b.size()) +
                                       ", first difference at " + std::to_string(at) + ")");
        }
    }
    // Only the store's own values and folders exist.
    for (auto it = first.cbegin(); it != first.cend(); ++it) {
        const QString& k = it.key();
        if (k.startsWith(QStringLiteral("documents/"))) {
            VYK_FUZZ_CHECK(k.startsWith(QStringLiteral("documents/VykProfile/")),
                           "the store wrote outside the profile folder: " + k.toStdString());
            VYK_FUZZ_CHECK(!k.contains(QStringLiteral("/.~")),
                           "a temporary file of a write was left: " + k.toStdString());
            continue;
        }
        VYK_FUZZ_CHECK(k.startsWith(QStringLiteral("registry/HKEY_CURRENT_USER/software/software/Vykgmmouse/")),
                       "the store wrote outside its key: " + k.toStdString());
        VYK_FUZZ_CHECK(!k.contains(QStringLiteral("/.~")), "a temporary file of a write was left: " + k.toStdString());
    }
    return 0;
}
