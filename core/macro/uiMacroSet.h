#pragma once
// TuiMacroSetClass: the macro database of the configuration program.
//
// Up to 21 named macro sets of up to 31 macro slots each, kept in memory as a list of sets and
// stored as one raw record in MacroSet.MSDB. One set is current; its macros are edited through
// a TuiMacroClass and, for the actions of one macro, a TuiActionsClass.
//
// An edit travels through four copies: the actions object saves back into the macro model's
// list; SaveBackCurrentMacroClassDataToCurrentMacroList copies the model into the current
// macro list and the current set of the set list; SaveMacroSetDB copies the set list into the
// file image and writes it. Nothing reaches the file before SaveMacroSetDB.
//
// The file comes from the user's Documents folder and is not trusted: a stored set count above
// 21 is read as 21 and a stored macro count above 31 as 31 (every slot the record holds), and
// a name without a terminating zero ends at its field. A file shorter than the record is
// ignored; of a longer file only the first 584644 bytes are read. A file that cannot be read
// as a whole (too short, too long, counts past the record's slots, not readable at all) is
// damaged: LoadDamage says how, and the file is kept aside in its folder (as <file>.bak, or
// <file>.1.bak ... when that name is taken by another file) before anything can replace it;
// a readable file stays where it is until the next save, an unreadable one is moved aside.
// When it could not be kept aside, SaveMacroSetDB tries again and refuses to replace it.
//
// UI thread only; the steps PrepareSaveMacroSetDB prepares may run on another thread.

#include "core/defs/pubunit_norvane.h"
#include "core/defs/zeroed_record.h"
#include "core/macro/uiMacroList.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace vyk::platform {
class WriteJob;
}

// One macro set, 27840 bytes.
struct TuiMacroListOfMacroSet {
    char16_t MacroSetName[30];      // a name of 30 characters fills the field without a zero
    std::uint16_t MacroArrayCount;  // macros in use, 0..31 (the program keeps it at 30 or less)
    std::uint8_t Pad0[2];           // kept as found
    TMACROKEYINFO MacroArrays[31];  // entries past MacroArrayCount keep their old bytes
};

// The whole database file, 584644 bytes.
struct TuiMacroSetDb {
    std::uint16_t MacroSetArrayCount;           // sets in use, 0..21
    std::uint8_t Pad0[2];                       // kept as found
    TuiMacroListOfMacroSet MacroSetArrays[21];  // slots past the count keep their old bytes
};

static_assert(std::is_trivially_copyable_v<TuiMacroListOfMacroSet> &&
              std::is_standard_layout_v<TuiMacroListOfMacroSet>);
static_assert(std::is_trivially_copyable_v<TuiMacroSetDb> && std::is_standard_layout_v<TuiMacroSetDb>);
static_assert(sizeof(TuiMacroListOfMacroSet) == 27840);
static_assert(offsetof(TuiMacroListOfMacroSet, MacroArrayCount) == 60);
static_assert(offsetof(TuiMacroListOfMacroSet, MacroArrays) == 64);
static_assert(sizeof(TuiMacroSetDb) == 584644);
static_assert(offsetof(TuiMacroSetDb, MacroSetArrays) == 4);

class TuiMacroSetClass {
public:
    static constexpr int kMaxMacroSets = 21;
    static constexpr int kMacroSlots = 31;
    static constexpr int kMaxMacroSetNameLength = 30;
    static constexpr std::size_t kDatabaseSize = sizeof(TuiMacroSetDb);

    // Empty set list, empty current macro list, a new macro model, current name empty,
    // current index 0.
    TuiMacroSetClass();
    virtual ~TuiMacroSetClass();

    TuiMacroSetClass(const TuiMacroSetClass&) = delete;
    TuiMacroSetClass& operator=(const TuiMacroSetClass&) = delete;

    // How a loaded database file could not be read as a whole.
    enum class TDamage { None, Short, Long, CountsOutOfRange, Unreadable };

    // Loads the database file, or creates it (all zero, no sets) when it does not exist, and
    // rebuilds the set list. Does not switch sets. A damaged file (see above) is kept aside;
    // what could be read of it is loaded (nothing of a short or unreadable one). Throws
    // vyk::platform::FileError when the file does not exist and cannot be created.
    void LoadMacrosetDB(const QString& aBaseMacrosetDBFile);
    // Saves the set list back into the file image and replaces the file with it (crash-safe:
    // temporary file, flush, rename). Throws vyk::platform::FileError; also when no database
    // was loaded, so there is no path to save to, and when a damaged file still waits to be
    // kept aside and cannot be.
    void SaveMacroSetDB();
    // SaveMacroSetDB as steps of aJob (vyk::platform::WriteJob): the set list is copied into a
    // new file image now; keeping a damaged file aside and the write happen when the job runs
    // (on any thread: the steps touch nothing of this object), the errors raised there, and
    // the image becomes this object's file image once it is written.
    void PrepareSaveMacroSetDB(vyk::platform::WriteJob& aJob);
    // What the last LoadMacrosetDB found, and where the damaged file was kept (empty when it
    // was not damaged, or could not be kept aside).
    TDamage LoadDamage() const { return FLoadDamage; }
    QString KeptAsideFile() const { return FKeptAsideFile; }
    void SaveBackMacroSetListToDB();
    // Copies the macro model into the current macro list and into the current set.
    void SaveBackCurrentMacroClassDataToCurrentMacroList();

    // Sets. Names compare without regard to the case of A..Z; a name longer than 30 characters
    // never matches.
    bool MacroSetExist(const QString& aMacroSetName) const;
    int IndexOfMacroSet(const QString& aMacroSetName) const;
    // Adds an empty set and makes it current. When the name exists, that set becomes current
    // and the result is false. Also false, with nothing changed, when 21 sets exist or the
    // name is longer than 30 characters or holds a NUL.
    bool CreateNewMacroSet(const QString& aMacroSetName);
    void DeleteMacroSet(const QString& aMacroSetName);
    void DeleteMacroSet(int aIndex);
    void SwitchToMacroSet(const QString& aMacroSetName);
    void SwitchToMacroSet(int aIndex);
    bool ReNameMacroSet(const QString& aOldMacroSetName, const QString& aNewMacroSetName);

    QStringList GetMacroSetListNames() const;
    QStringList GetMacroListNamesByMacroSetName(const QString& aMacroSetName) const;
    // No list for a position outside the set list.
    std::optional<QStringList> GetMacroListNamesByMacroSetIndex(int aMacroSetIndex) const;
    std::vector<TMACROKEYINFO> GetMacroListOfMacroSet(const QString& aMacroSetName) const;
    std::optional<TuiMacroListOfMacroSet> FindMacroSet(const QString& aMacroSetName) const;

    // Macros of the current set: the model's operation, then the save-back into the set.
    bool CreateNewMacro(const QString& aMacroName);
    void DeleteMacro(const QString& aMacroName);
    void DeleteMacro(int aIndex);
    bool ReNameMacro(const QString& aOldMacroName, const QString& aNewMacroName);

    // The name of a set record: the units before the first zero, at most 30.
    static QString MacroSetName(const TuiMacroListOfMacroSet& aMacroSet);

    // Properties.
    int MacroSetCount() const { return static_cast<int>(FMacroSetList.size()); }
    const std::vector<TuiMacroListOfMacroSet>& MacroSetList() const { return FMacroSetList; }
    QString CurrentMacroSetName() const { return FCurrentMacrosetName; }
    int CurrentMacroSetIndex() const { return FCurrentMacroSetIndex; }
    const std::vector<TMACROKEYINFO>& CurrentMacroKeyInfoList() const { return FCurrentMacroKeyInfoList; }
    TuiMacroClass* CurrentMacroClass() const { return FCurrentMacroClass.get(); }
    // The file image as last loaded or saved.
    const TuiMacroSetDb& MacroSetDB() const { return *FMacroSetDB; }
    QString BaseMacrosetDBFile() const { return FBaseMacrosetDBFile; }

private:
    static std::vector<TMACROKEYINFO> MacrosOf(const TuiMacroListOfMacroSet& aMacroSet);
    static int StoredMacroCount(const TuiMacroListOfMacroSet& aMacroSet);
    // True when the counts of sets and of macros lie within the record's slots.
    static bool CountsInRange(const TuiMacroSetDb& aDb);
    void CopySetListInto(TuiMacroSetDb& aDb) const;
    // The damaged file was kept aside under this name.
    void KeptAside(const QString& aKeptAsideFile);
    // Keeps the damaged file aside unless that is done; throws vyk::platform::FileError.
    void KeepDamagedFileAside();

    QString FBaseMacrosetDBFile;
    // The file image, 584 644 bytes, untouched until a database is loaded.
    vyk::defs::ZeroedRecord<TuiMacroSetDb> FMacroSetDB;
    std::vector<TuiMacroListOfMacroSet> FMacroSetList;
    int FCurrentMacroSetIndex = 0;
    QString FCurrentMacrosetName;
    std::vector<TMACROKEYINFO> FCurrentMacroKeyInfoList;
    std::unique_ptr<TuiMacroClass> FCurrentMacroClass;
    bool FCurrentSetInModel = false;  // the model holds the macros of the set at the current index
    TDamage FLoadDamage = TDamage::None;
    QString FKeptAsideFile;
    bool FKeepAsidePending = false;  // a damaged file is still at the path, not kept aside yet
};
