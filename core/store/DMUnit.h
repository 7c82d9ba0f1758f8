#pragma once
// TDM: the profile store. One instance per program (the global DM), created before the main
// window. It owns one TuiProfile per stored record and a working copy of each record: the
// five game profiles, the setting group, the all-games record and the record-macro slot, plus
// the values read from config.ini.
//
// Storage: binary values under HKEY_CURRENT_USER\<ProfileRegFolder()> in the settings store
// (platform/registry) and, for the game profiles, *.pfd files in the profile folder
// <Documents>/<profileFolder>/.
//
// What is loaded is checked before it is used; a whole, valid record loads byte for byte as it
// is stored and nothing good is rewritten:
//  - A slot of the setting group keeps its profile in the profile folder: a stored file name
//    that is not a plain name there (empty, "..", separators, no end), a folder that is not
//    inside the profile folder (absolute elsewhere, "..", a link leading out), or an unknown
//    storage kind is refused; the slot takes its factory name, the profile folder, or the
//    settings store. A setting group of the wrong size is replaced by the factory one. Profile
//    files are never read or written outside the profile folder, at start-up or when saved.
//  - A stored game profile that is not exactly one profile of format version 0x103 is not used:
//    the slot takes its other copy (the profile file for a settings value, the settings value
//    for a profile file) when that one is whole, else its factory profile.
//  - A profile's values are kept within what the window can produce (core/store/ProfileValues.h).
// Such a slot is marked changed, so the next APPLY stores it and writes it to the mouse; the
// damaged bytes stay where they are until then. Each finding is reported once, in plain words
// naming the file (TakeStoreReports): the configuration window shows the reports, the monitor
// logs them. Temporary files that a program killed during a save left in the settings key and
// the profile folder are removed at start-up.
//
// Start-up never leaves the module half made: an error while one record is loaded (a value of
// the wrong type, a file that cannot be read, a folder that cannot be created) is reported the
// same way, that record gets its factory values in memory (nothing is overwritten in storage),
// and start-up goes on with the next record. Saves that cannot reach the store raise
// vyk::platform::RegistryError or vyk::platform::FileError; nothing is lost silently. UI
// thread only, but for a start-up told to run Later (which may run on another thread before
// the module is used) and the steps PrepareSaveAll prepares (which may run on another thread).

#include "core/defs/pubunit_norvane.h"
#include "core/defs/zeroed_record.h"
#include "core/store/uiProfile.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace vyk::platform {
class WriteJob;
}

// One finding of the store about the stored data or config.ini, for the user: an English text
// with %1, %2 ... (translated where it is shown) and the values that go in there (file names,
// numbers: never translated).
struct TStoreReport {
    QString Text;
    QStringList Args;

    // The text through a translation (identity: the English text), then the values.
    QString Format(const std::function<QString(const QString&)>& translate = {}) const;
    bool operator==(const TStoreReport&) const = default;
};

class TDM : public QObject {
    Q_OBJECT
    // The large records (about half a megabyte), untouched until start-up reads into them: made
    // first, so the fields below can name them.
    struct TRecords {
        TALLGAMESINFO AllProfileSettingInfo;
        TProfileSettingGroup ProfileSettingGroup;
        TMouseProfileInfo CurrentProfileInfo;
        TMouseProfileInfo DefaultProfileInfo;
        TMouseProfileInfo TestProfileInfo;
    };
    vyk::defs::ZeroedRecord<TRecords> FRecords = vyk::defs::makeZeroedRecord<TRecords>();

public:
    // When start-up runs: Now, in the constructor; Later, once, by the owner (Created says
    // whether it has run). The configuration window reads the store on a worker thread while it
    // makes its controls: nothing else touches the module until that start-up has run.
    enum class TStart { Now, Later };

    // Creates the components and, unless told Later, runs start-up (DataModuleCreate).
    explicit TDM(QObject* AOwner = nullptr, TStart AStart = TStart::Now);
    ~TDM() override;
    bool Created() const { return FCreated; }

    // ---- components, in layout order
    TuiProfile* uiProfileAllSettingInfo;
    TuiProfile* uiProfileGame1;
    TuiProfile* uiProfileGame2;
    TuiProfile* uiProfileGame3;
    TuiProfile* uiProfileGame4;
    TuiProfile* uiProfileGame5;
    TuiProfile* uiProfileSettingGroup;
    TuiProfile* uiProfileDefaultGame;
    TuiProfile* uiProfileTest;
    TuiProfile* uiProfileRecordMacroInfo;

    // ---- fields
    TALLGAMESINFO& FAllProfileSettingInfo = FRecords->AllProfileSettingInfo;
    std::array<TuiProfile*, 5> FProfileGroup{};
    std::array<bool, 5> FProfileChanged{};
    TProfileSettingGroup& FProfileSettingGroup = FRecords->ProfileSettingGroup;
    std::int32_t FProfileGroupIndex = 0;
    std::int32_t FProfileIndex = 0;
    TMouseProfileInfo& FCurrentProfileInfo = FRecords->CurrentProfileInfo;
    TOtherConfig FOtherConfig;
    TMouseProfileInfo& FDefaultProfileInfo = FRecords->DefaultProfileInfo;
    TMouseProfileInfo& FTestProfileInfo = FRecords->TestProfileInfo;
    TMACROKEYINFO FRecordMacroInfo{};
    TOptionsFromConfigFile FOptionsFromConfigFile;

    // "software\" followed by ProfileRegFolder of config.ini: the key of every stored value.
    QString ProfileRegFolder() const;

    // ---- start-up
    void DataModuleCreate();
    void DataModuleDestroy();
    void Init();
    void InitProfileSettingGroup();
    void InitAllSettingInfo();
    void InitGameProfiles();

    // ---- indexes and switching
    bool IsProfileIndexInRange(int AProfileIndex) const;
    bool IsProfileGroupIndexInRange(int AProfileGroupIndex) const;
    bool SwitchToProfile(int AProfileIndex);
    bool SwitchToProfileGroup(int AProfileGroupIndex);

    // ---- what the store found
    // The reports not taken yet, oldest first; taking them empties the list. A cause in the
    // store already reported by this data module is not reported again.
    QList<TStoreReport> TakeStoreReports();

    // ---- working copies and slot streams
    bool ReadProfileInfo(TMouseProfileInfo& AProfileInfo, int AProfileIndex) const;
    bool ReadCurrentProfileInfo();
    void SaveBackToCurrentProfileInfo();
    bool SaveBackToProfileInfo(const TMouseProfileInfo& AProfileInfo, int AProfileIndex);

    // ---- saving
    void SaveCurrentProfileInfoToRegistry();
    bool SaveProfileInfoToRegistry(int AProfileIndex);
    void SaveCurrentProfileInfoToFile(const QString& AFile);
    void SaveCurrentProfileInfoToFile();
    void SaveBackAllProfileInfo();
    void SaveBackAllProfileInfoToRegistry();
    void SaveBackAllProfileInfoToFile();
    void SaveBackAllProfileSettingInfo();
    void SaveBackToProfileGroupSettingInfo();
    void SaveProfileGroupSettingInfoToRegistry();
    void SaveBackRecordMacroInfoToRegistry(const TMACROKEYINFO& ARecordMacroInfo);
    // Everything APPLY saves, in this order: the current profile into its slot (marked
    // changed) and to its settings value, its profile file, every slot's profile file, every
    // slot's settings value, the setting group to its settings value. What changes in memory
    // changes now and the records are copied into AJob now; the files are written when the job
    // runs (on any thread: its steps touch nothing of this module), each error raised at its
    // step as the single saves raise it, and the reports and notifications made afterwards on
    // the thread that runs the job.
    void PrepareSaveAll(vyk::platform::WriteJob& AJob);
    // The same saves carried out at once on this thread, under one flush of the folders; the
    // first save that fails raises its error and the later ones do not run.
    void SaveAll();

    // ---- loading
    void LoadAllProfileInfoFromRegistry();
    void LoadProfileGroupSettingInfoFromRegistry();
    // True when a stored value was read. A value that is not a whole profile is replaced as at
    // start-up (its other copy, else the factory profile) and reported.
    bool LoadCurrentProfileInfoFromRegistry();
    // Loads a profile file the user chose into the current slot. Only a file of exactly one
    // profile of format version 0x103 is taken (false, and nothing changed, for anything else
    // or a missing file); values outside what the window produces are replaced and reported.
    bool LoadCurrentProfileInfoFromFile(const QString& AFile);
    bool LoadProfileInfoFromRegistry(int AProfileIndex);
    void LoadRecordMacroInfoFromRegistry();

    // ---- the monitor's operations
    // Stores AProfileID as the REG_DWORD "ProfileID" beside the profiles. False when the
    // profile key does not exist (it is never created here); RegistryError when the value
    // cannot be written.
    bool WriteProfileIDToRegistry(int AProfileID);
    // Makes profile AProfileIndex the current one and reloads its stored record into the
    // working copy. False, changing nothing, for an index outside 0..4. A stored value that
    // cannot be read raises (as LoadCurrentProfileInfoFromRegistry); the profile is current
    // all the same, with the working copy it had.
    bool MakeProfileCurrentAndReload(int AProfileIndex);
    // The reload after the configuration program saved and applied its settings: the setting
    // group, the all-games record and the current profile are read again. AProfileIndex (the
    // profile it applied, 0..4) becomes the current profile and is stored as ProfileID; any
    // other value keeps the current profile. Every part is reloaded even when one fails; the
    // first failure is raised afterwards.
    void ReloadAfterSettingsApplied(std::int64_t AProfileIndex);

    // ---- changed flags (indexes outside 0..4 are ignored / read as false)
    void SetProfileChanged(int AIndex, bool AIsChanged);
    bool IsProfileChanged(int AIndex) const;

    // Points the current slot at another file; false (nothing changed) when the name or the
    // folder do not fit the slot's fields, the name is not a plain file name, is another slot's
    // or one of the store's own values, or the folder is not inside the profile folder.
    bool ChangeCurrentProfileFileNameAndPath(const QString& AProfileFilePath);

    // <Documents>/<profileFolder>/ and .../<profileMacroFolder>/MacroSet.MSDB; missing folders
    // are created (FileError when that fails).
    QString GetPersonalDocumentProfilePath() const;
    QString GetPersonalDocumentMacroDatabasePath() const;

    // Every macro slot used by a macro button of any profile, once, in order of first use.
    QList<int> GetAllProfilesMacroIndexList() const;

    // ---- factory defaults (restore handlers)
    void uiProfileGame1RestoreToDefault(TuiProfileStream& AStream);
    void uiProfileGame2RestoreToDefault(TuiProfileStream& AStream);
    void uiProfileGame3RestoreToDefault(TuiProfileStream& AStream);
    void uiProfileGame4RestoreToDefault(TuiProfileStream& AStream);
    void uiProfileGame5RestoreToDefault(TuiProfileStream& AStream);
    void uiProfileTestRestoreToDefault(TuiProfileStream& AStream);
    void uiProfileSettingGroupRestoreToDefault(TuiProfileStream& AStream);
    void uiProfileAllSettingInfoRestoreToDefault(TuiProfileStream& AStream);

    // ---- restore operations
    void RestoreCurrentProfileInfoToDefault();
    void RestoreAllProfileInfoToDefault();
    bool RestoreProfileInfoToDefault(int AProfileIndex);
    bool RestoreProfileGroupToDefault(int AProfileGroupIndex);
    void RestoreProfileSettingGroupToDefault();
    void RestoreToDefaultCPISetting();
    void RestoreToDefaultLightAndReportAdvancedSetting();
    void InitTestDefaultValue();

    // The factory record of game slot ASlot (0..4): its restore handler on a zeroed record.
    std::unique_ptr<TMouseProfileInfo> FactoryProfileInfo(int ASlot);

private:
    bool FCreated = false;
    enum class SlotSource { Registry, File };

    TuiProfile* makeComponent(const char* name, const QString& valueName);
    void saveToRegistry(TuiProfile* AComponent);
    // The saves as steps of a job, with copies of the bytes (see PrepareSaveAll).
    void queueRegistrySave(vyk::platform::WriteJob& AJob, TuiProfile* AComponent);
    void queueSlotFileSave(vyk::platform::WriteJob& AJob, int ASlot);
    static QByteArray streamCopy(const TuiProfile* AComponent);
    void loadSettingGroupOrDefault();
    void loadAllSettingInfoOrDefault();
    void takeProfileIndexesFromGroup();
    void initGameSlot(int ASlot);
    // A value name slot ASlot may use: a plain file name that fits the slot's field, none of
    // the store's own values, and not the name of another slot (compared without regard to
    // case, as the store does).
    bool slotNameUsable(const QString& AName, int ASlot) const;
    // <Documents>/<profileFolder>/, not created.
    QString profileFolder() const;
    // The file that holds a component's settings value (for messages).
    static QString storedValueFile(const TuiProfile* AComponent);
    // The profile file of slot ASlot: its folder and name (empty without a folder).
    QString slotFile(int ASlot) const;
    // The slot's own folder, name and storage kind in the working setting group made sound.
    void checkSlotSetting(int ASlot);
    // After slot ASlot's stream was loaded from ASource: a stream that is not a whole profile
    // is replaced, then the values are checked (both reported, the slot marked changed).
    void checkLoadedSlot(int ASlot, SlotSource ASource);
    // Replaces the stream of slot ASlot by its copy in the other store when that one is whole;
    // *AWhere names it.
    bool takeOtherCopy(int ASlot, SlotSource ASource, QString* AWhere);
    // Keeps the values of the record in slot ASlot within what the window produces; true when
    // one was replaced (the stream then holds the repaired record).
    bool repairSlotValues(int ASlot);
    // Saves slot ASlot to its profile file, unless that file lies outside the profile folder.
    void saveSlotFile(int ASlot);
    // A finding for the user; with AOnce, not again when this data module reported it before
    // (the same damage found by each reload). A file the user loads is said each time.
    void report(const QString& AText, const QStringList& AArgs = {}, bool AOnce = true);
    void reportException(const std::exception& e);
    void removeAbandonedTempFiles();
    void fallBackToDefaults(TuiProfile* AComponent);
    void fallBackSwitch();
    void restoreGame(TuiProfileStream& AStream, int AGame);
    void restoreGameLikeGame3(TuiProfileStream& AStream, int AGame);

    QList<TStoreReport> FPendingReports;
    QList<TStoreReport> FIssuedReports;
};

// The program's data module.
extern TDM* DM;
