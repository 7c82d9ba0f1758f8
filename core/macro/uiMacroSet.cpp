#include "core/macro/uiMacroSet.h"

#include "core/defs/record_text.h"
#include "platform/diag/diag.h"
#include "platform/paths/file_io.h"
#include "platform/paths/write_job.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kSetNameUnits = TuiMacroSetClass::kMaxMacroSetNameLength;

// Set names compare without regard to the case of the letters A..Z; every other unit exactly.
char16_t foldAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; }

bool sameSetName(const TuiMacroListOfMacroSet& set, const QString& name) {
    if (name.size() > TuiMacroSetClass::kMaxMacroSetNameLength) return false;
    const std::u16string_view s = vyk::defs::recordTextView(set.MacroSetName, kSetNameUnits);
    if (s.size() != static_cast<std::size_t>(name.size())) return false;
    const auto* a = reinterpret_cast<const char16_t*>(name.utf16());
    for (std::size_t i = 0; i < s.size(); ++i)
        if (foldAsciiLetter(s[i]) != foldAsciiLetter(a[i])) return false;
    return true;
}

bool validSetName(const QString& name) {
    return name.size() <= TuiMacroSetClass::kMaxMacroSetNameLength && !name.contains(QChar(u'\0'));
}

// A name shorter than the field ends with a zero unit; a name of 30 fills it without one. The
// units after the zero are left as they were.
void setSetName(TuiMacroListOfMacroSet& set, const QString& name) {
    if (name.size() < TuiMacroSetClass::kMaxMacroSetNameLength) {
        vyk::defs::setRecordText(set.MacroSetName, kSetNameUnits, name);
    } else {
        std::memcpy(set.MacroSetName, name.utf16(), kSetNameUnits * sizeof(char16_t));
    }
}

}  // namespace

TuiMacroSetClass::TuiMacroSetClass()
    : FMacroSetDB(vyk::defs::makeZeroedRecord<TuiMacroSetDb>()),
      FCurrentMacroClass(std::make_unique<TuiMacroClass>()) {}

TuiMacroSetClass::~TuiMacroSetClass() = default;

QString TuiMacroSetClass::MacroSetName(const TuiMacroListOfMacroSet& aMacroSet) {
    return vyk::defs::recordText(aMacroSet.MacroSetName, kSetNameUnits);
}

int TuiMacroSetClass::StoredMacroCount(const TuiMacroListOfMacroSet& aMacroSet) {
    return std::min<int>(aMacroSet.MacroArrayCount, kMacroSlots);
}

std::vector<TMACROKEYINFO> TuiMacroSetClass::MacrosOf(const TuiMacroListOfMacroSet& aMacroSet) {
    return std::vector<TMACROKEYINFO>(aMacroSet.MacroArrays, aMacroSet.MacroArrays + StoredMacroCount(aMacroSet));
}

// ---------------------------------------------------------------------------------------------
// Storage

void TuiMacroSetClass::LoadMacrosetDB(const QString& aBaseMacrosetDBFile) {
    FBaseMacrosetDBFile = aBaseMacrosetDBFile;
    FLoadDamage = TDamage::None;
    FKeptAsideFile.clear();
    FKeepAsidePending = false;
    QFileInfo info(aBaseMacrosetDBFile);
    if (!info.exists() && !info.isSymLink()) {
        std::memset(FMacroSetDB.get(), 0, sizeof(TuiMacroSetDb));
        vyk::platform::writeFileAtomic(aBaseMacrosetDBFile, FMacroSetDB.get(), kDatabaseSize);
    } else {
        // Only a plain file is read (a folder, pipe or device under this name would block the
        // reader or hand it endless bytes), and only one byte past the record: enough to know
        // that a file is longer than a database.
        vyk::platform::FileReadLimits limits;
        limits.maxBytes = kDatabaseSize + 1;
        limits.frontOnly = true;
        QByteArray bytes;
        try {
            bytes = vyk::platform::readWholeFile(aBaseMacrosetDBFile, limits);
        } catch (const vyk::platform::FileError& e) {
            FLoadDamage = TDamage::Unreadable;
            vyk::platform::debugLog(QString::fromLocal8Bit(e.what()));
        }
        if (FLoadDamage == TDamage::None && static_cast<std::size_t>(bytes.size()) < kDatabaseSize) {
            // Too short to be a database: nothing of it is read, and what was loaded before stays.
            FLoadDamage = TDamage::Short;
        } else if (FLoadDamage == TDamage::None) {
            if (static_cast<std::size_t>(bytes.size()) > kDatabaseSize) FLoadDamage = TDamage::Long;
            std::memcpy(static_cast<void*>(FMacroSetDB.get()), bytes.constData(), kDatabaseSize);
            if (!CountsInRange(*FMacroSetDB) && FLoadDamage == TDamage::None) FLoadDamage = TDamage::CountsOutOfRange;
        }
        if (FLoadDamage != TDamage::None) {
            vyk::platform::debugLog(QStringLiteral("Macro database \"%1\" cannot be read as a whole (%2 bytes read).")
                                        .arg(aBaseMacrosetDBFile)
                                        .arg(bytes.size()));
            FKeepAsidePending = true;
            try {
                KeepDamagedFileAside();
            } catch (const vyk::platform::FileError& e) {
                vyk::platform::debugLog(QString::fromLocal8Bit(e.what()));
            }
        }
    }
    FMacroSetList.clear();
    FCurrentSetInModel = false;
    const int n = std::min<int>(FMacroSetDB->MacroSetArrayCount, kMaxMacroSets);
    FMacroSetList.assign(FMacroSetDB->MacroSetArrays, FMacroSetDB->MacroSetArrays + n);
    // The next save writes the counts that were read, so the database it leaves is whole.
    for (TuiMacroListOfMacroSet& set : FMacroSetList)
        set.MacroArrayCount = static_cast<std::uint16_t>(StoredMacroCount(set));
}

bool TuiMacroSetClass::CountsInRange(const TuiMacroSetDb& aDb) {
    // A macro's action count past its 128 slots loses nothing (every slot is read) and is not
    // the database's to mend; a count of sets or macros past the slots means sets or macros
    // that the file has no room for.
    if (aDb.MacroSetArrayCount > kMaxMacroSets) return false;
    for (int i = 0; i < aDb.MacroSetArrayCount; ++i) {
        if (aDb.MacroSetArrays[i].MacroArrayCount > kMacroSlots) return false;
    }
    return true;
}

void TuiMacroSetClass::KeepDamagedFileAside() {
    if (!FKeepAsidePending) return;
    KeptAside(
        vyk::platform::keepFileAside(FBaseMacrosetDBFile, QStringLiteral(".bak"), FLoadDamage != TDamage::Unreadable));
}

void TuiMacroSetClass::KeptAside(const QString& aKeptAsideFile) {
    FKeptAsideFile = aKeptAsideFile;
    FKeepAsidePending = false;
    vyk::platform::debugLog(
        QStringLiteral("Macro database \"%1\" is kept as \"%2\".").arg(FBaseMacrosetDBFile, FKeptAsideFile));
}

void TuiMacroSetClass::SaveBackMacroSetListToDB() { CopySetListInto(*FMacroSetDB); }

void TuiMacroSetClass::CopySetListInto(TuiMacroSetDb& aDb) const {
    const std::size_t n = std::min<std::size_t>(FMacroSetList.size(), kMaxMacroSets);
    aDb.MacroSetArrayCount = static_cast<std::uint16_t>(n);
    std::copy(FMacroSetList.begin(), FMacroSetList.begin() + static_cast<std::ptrdiff_t>(n), aDb.MacroSetArrays);
}

void TuiMacroSetClass::SaveMacroSetDB() {
    vyk::platform::WriteJob job;
    PrepareSaveMacroSetDB(job);
    job.Run();
}

void TuiMacroSetClass::PrepareSaveMacroSetDB(vyk::platform::WriteJob& aJob) {
    using Afterwards = vyk::platform::WriteJob::Afterwards;
    if (FBaseMacrosetDBFile.isEmpty()) {
        aJob.Add([]() -> Afterwards {
            throw vyk::platform::FileError(QStringLiteral("The macro database has no file to save to."));
        });
        return;
    }
    const QString file = FBaseMacrosetDBFile;
    // A damaged file is never replaced before it is kept aside: a file that can be read stays
    // where it is until the write below replaces it (a second name keeps its bytes); one that
    // cannot is moved out of the way, so the new database can take its name.
    if (FKeepAsidePending) {
        const bool readable = FLoadDamage != TDamage::Unreadable;
        aJob.Add([this, file, readable]() -> Afterwards {
            const QString kept = vyk::platform::keepFileAside(file, QStringLiteral(".bak"), readable);
            return [this, kept] { KeptAside(kept); };
        });
    }
    // The file image with the set list as it is now; it becomes the loaded image once written.
    auto image = std::make_shared<TuiMacroSetDb>(*FMacroSetDB);
    CopySetListInto(*image);
    aJob.Add([this, file, image]() -> Afterwards {
        vyk::platform::writeFileAtomic(file, image.get(), kDatabaseSize);
        return [this, image] { *FMacroSetDB = *image; };
    });
}

void TuiMacroSetClass::SaveBackCurrentMacroClassDataToCurrentMacroList() {
    FCurrentMacroKeyInfoList = FCurrentMacroClass->MacroKeyInfoList();
    // Only into the set whose macros the model holds: before the first switch (or after a load
    // or the deletion of the last set) the model belongs to no set, and copying it would
    // overwrite the macros of whatever set sits at the current index.
    if (!FCurrentSetInModel || FCurrentMacroSetIndex < 0 || FCurrentMacroSetIndex >= MacroSetCount()) return;
    TuiMacroListOfMacroSet& set = FMacroSetList[static_cast<std::size_t>(FCurrentMacroSetIndex)];
    const std::size_t n = std::min<std::size_t>(FCurrentMacroKeyInfoList.size(), kMacroSlots);
    set.MacroArrayCount = static_cast<std::uint16_t>(n);
    std::copy(FCurrentMacroKeyInfoList.begin(), FCurrentMacroKeyInfoList.begin() + static_cast<std::ptrdiff_t>(n),
              set.MacroArrays);
}

// ---------------------------------------------------------------------------------------------
// Sets

int TuiMacroSetClass::IndexOfMacroSet(const QString& aMacroSetName) const {
    for (std::size_t i = 0; i < FMacroSetList.size(); ++i)
        if (sameSetName(FMacroSetList[i], aMacroSetName)) return static_cast<int>(i);
    return -1;
}

bool TuiMacroSetClass::MacroSetExist(const QString& aMacroSetName) const { return IndexOfMacroSet(aMacroSetName) >= 0; }

bool TuiMacroSetClass::CreateNewMacroSet(const QString& aMacroSetName) {
    if (MacroSetExist(aMacroSetName)) {
        SwitchToMacroSet(aMacroSetName);
        return false;
    }
    if (!validSetName(aMacroSetName) || MacroSetCount() >= kMaxMacroSets) return false;
    TuiMacroListOfMacroSet set;
    std::memset(&set, 0, sizeof set);
    setSetName(set, aMacroSetName);
    FMacroSetList.push_back(set);
    SwitchToMacroSet(aMacroSetName);
    return true;
}

void TuiMacroSetClass::DeleteMacroSet(const QString& aMacroSetName) { DeleteMacroSet(IndexOfMacroSet(aMacroSetName)); }

void TuiMacroSetClass::DeleteMacroSet(int aIndex) {
    if (aIndex < 0 || aIndex >= MacroSetCount()) return;
    FMacroSetList.erase(FMacroSetList.begin() + aIndex);
    if (!FMacroSetList.empty())
        SwitchToMacroSet(aIndex > 0 ? aIndex - 1 : 0);
    else
        SwitchToMacroSet(-1);  // no set left: no current set either
}

void TuiMacroSetClass::SwitchToMacroSet(const QString& aMacroSetName) {
    const int i = IndexOfMacroSet(aMacroSetName);
    if (i >= 0) SwitchToMacroSet(i);
}

void TuiMacroSetClass::SwitchToMacroSet(int aIndex) {
    if (aIndex >= 0 && aIndex < MacroSetCount()) {
        const TuiMacroListOfMacroSet& set = FMacroSetList[static_cast<std::size_t>(aIndex)];
        FCurrentMacrosetName = MacroSetName(set);
        FCurrentMacroSetIndex = aIndex;
        FCurrentMacroKeyInfoList = MacrosOf(set);
        FCurrentMacroClass->SetMacroKeyInfoList(FCurrentMacroKeyInfoList);
        FCurrentSetInModel = true;
    } else if (aIndex == -1) {
        FCurrentMacrosetName.clear();
        FCurrentMacroSetIndex = -1;
        FCurrentMacroKeyInfoList.clear();
        FCurrentSetInModel = false;
        // The model follows: macros of a set that is no longer current must not be edited
        // (their save-back would go nowhere).
        FCurrentMacroClass->SetMacroKeyInfoList(FCurrentMacroKeyInfoList);
    }
}

bool TuiMacroSetClass::ReNameMacroSet(const QString& aOldMacroSetName, const QString& aNewMacroSetName) {
    const int i = IndexOfMacroSet(aOldMacroSetName);
    if (i < 0 || MacroSetExist(aNewMacroSetName) || !validSetName(aNewMacroSetName)) return false;
    setSetName(FMacroSetList[static_cast<std::size_t>(i)], aNewMacroSetName);
    // The current set's name follows a rename; before the first switch (index 0, no name) no
    // set is current and the name stays empty.
    if (FCurrentSetInModel && i == FCurrentMacroSetIndex) FCurrentMacrosetName = aNewMacroSetName;
    return true;
}

QStringList TuiMacroSetClass::GetMacroSetListNames() const {
    QStringList names;
    for (const TuiMacroListOfMacroSet& set : FMacroSetList) names << MacroSetName(set);
    return names;
}

QStringList TuiMacroSetClass::GetMacroListNamesByMacroSetName(const QString& aMacroSetName) const {
    const int i = IndexOfMacroSet(aMacroSetName);
    if (i < 0) return {};
    return *GetMacroListNamesByMacroSetIndex(i);
}

std::optional<QStringList> TuiMacroSetClass::GetMacroListNamesByMacroSetIndex(int aMacroSetIndex) const {
    if (aMacroSetIndex < 0 || aMacroSetIndex >= MacroSetCount()) return std::nullopt;
    const TuiMacroListOfMacroSet& set = FMacroSetList[static_cast<std::size_t>(aMacroSetIndex)];
    QStringList names;
    for (int k = 0; k < StoredMacroCount(set); ++k) names << TuiMacroClass::MacroName(set.MacroArrays[k]);
    return names;
}

std::vector<TMACROKEYINFO> TuiMacroSetClass::GetMacroListOfMacroSet(const QString& aMacroSetName) const {
    const int i = IndexOfMacroSet(aMacroSetName);
    if (i < 0) return {};
    return MacrosOf(FMacroSetList[static_cast<std::size_t>(i)]);
}

std::optional<TuiMacroListOfMacroSet> TuiMacroSetClass::FindMacroSet(const QString& aMacroSetName) const {
    const int i = IndexOfMacroSet(aMacroSetName);
    if (i < 0) return std::nullopt;
    return FMacroSetList[static_cast<std::size_t>(i)];
}

// ---------------------------------------------------------------------------------------------
// Macros of the current set

bool TuiMacroSetClass::CreateNewMacro(const QString& aMacroName) {
    const bool ok = FCurrentMacroClass->CreateNewMacro(aMacroName);
    SaveBackCurrentMacroClassDataToCurrentMacroList();
    return ok;
}

void TuiMacroSetClass::DeleteMacro(const QString& aMacroName) {
    FCurrentMacroClass->DeleteMacro(aMacroName);
    SaveBackCurrentMacroClassDataToCurrentMacroList();
}

void TuiMacroSetClass::DeleteMacro(int aIndex) {
    FCurrentMacroClass->DeleteMacro(aIndex);
    SaveBackCurrentMacroClassDataToCurrentMacroList();
}

bool TuiMacroSetClass::ReNameMacro(const QString& aOldMacroName, const QString& aNewMacroName) {
    const bool ok = FCurrentMacroClass->ReNameMacro(aOldMacroName, aNewMacroName);
    SaveBackCurrentMacroClassDataToCurrentMacroList();
    return ok;
}
