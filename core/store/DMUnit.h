#pragma once
// TDM: the profile store. One instance per program (the global DM), created before the main
// window. It owns one TuiProfile per stored record and a working copy of each record: the
// five game profiles, the setting group, the all-games record and the record-macro slot, plus
// the values read from config.ini.
//
// Storage: binary values under HKEY_CURRENT_USER\<ProfileRegFolder()> in the settings store
// (platform/registry) and, for the game profiles, *.pfd files in <Documents>/<profileFolder>/.
// Stored records are raw bytes and are not checked for version or size: a shorter stored record
// fills only the front of the working copy, a longer one keeps its extra tail through every
// later save.
//
// Start-up never leaves the module half made: an error while one record is loaded (a value of
// the wrong type, a file that cannot be read, a folder that cannot be created) is reported
// through the program's error handler, that record gets its factory values in memory (nothing
// is overwritten in storage), and start-up goes on with the next record. Saves that cannot
// reach the store raise vyk::platform::RegistryError or vyk::platform::FileError; nothing is
// lost silently. UI thread only.

#include "core/defs/pubunit_norvane.h"
#include "core/store/uiProfile.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

class TDM : public QObject {
    Q_OBJECT
public:
    // Creates the components and runs start-up (DataModuleCreate).
    explicit TDM(QObject* AOwner = nullptr);
    ~TDM() override;

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
    TALLGAMESINFO FAllProfileSettingInfo{};
    std::array<TuiProfile*, 5> FProfileGroup{};
    std::array<bool, 5> FProfileChanged{};
    TProfileSettingGroup FProfileSettingGroup{};
    std::int32_t FProfileGroupIndex = 0;
    std::int32_t FProfileIndex = 0;
    TMouseProfileInfo FCurrentProfileInfo{};
    TOtherConfig FOtherConfig;
    TMouseProfileInfo FDefaultProfileInfo{};
    TMouseProfileInfo FTestProfileInfo{};
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

    // ---- loading
    void LoadAllProfileInfoFromRegistry();
    void LoadProfileGroupSettingInfoFromRegistry();
    // True when a stored value (or file) was read.
    bool LoadCurrentProfileInfoFromRegistry();
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
    // folder do not fit the slot's fields, or the name is another slot's or one of the store's
    // own values.
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

private:
    TuiProfile* makeComponent(const char* name, const QString& valueName);
    void saveToRegistry(TuiProfile* AComponent);
    void loadSettingGroupOrDefault();
    void loadAllSettingInfoOrDefault();
    void takeProfileIndexesFromGroup();
    void initGameSlot(int ASlot);
    // A value name slot ASlot may use: not empty, none of the store's own values, and not the
    // name of another slot (compared without regard to case, as the store does).
    bool slotNameUsable(const QString& AName, int ASlot) const;
    void fallBackToDefaults(TuiProfile* AComponent);
    void fallBackSwitch();
    void restoreGame(TuiProfileStream& AStream, int AGame);
    void restoreGameLikeGame3(TuiProfileStream& AStream, int AGame);
};

// The program's data module.
extern TDM* DM;
