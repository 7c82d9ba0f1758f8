#include "core/store/DMUnit.h"

#include "core/defs/pubunit_norvane_config.h"
#include "core/defs/record_bytes.h"
#include "core/defs/record_text.h"
#include "core/store/slot_records.h"
#include "platform/diag/diag.h"
#include "platform/paths/file_io.h"
#include "platform/paths/paths.h"
#include "platform/paths/write_job.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <type_traits>

static_assert(offsetof(TBUTTONFUNCINFO, ButtonIndex) == 4148);

using vyk::defs::recordText;
using vyk::defs::setRecordText;
using vyk::platform::debugLog;
using vyk::store::editInStream;
using vyk::store::readRecord;
using vyk::store::sizeWithZeros;
using vyk::store::writeRecord;

TDM* DM = nullptr;

namespace {

constexpr int kSlots = 5;
constexpr int kGroups = 2;
// A slot's FileName holds 20 characters: the prefix, one digit and ".pfd".
constexpr int kMaxPrefix = 15;

const QString kDefaultPrefix = QStringLiteral("VykProfile");

struct GameLook {
    std::int32_t level;
    std::uint8_t r, g, b;
};
constexpr GameLook kGameLooks[kSlots] = {
    {0, 255, 255, 0}, {1, 0, 255, 0}, {2, 0, 0, 255}, {3, 255, 0, 255}, {4, 255, 0, 0},
};
constexpr std::uint16_t kFactoryDpi[kSlots] = {1000, 2000, 4000, 8200, 16400};

void setFactoryCPIState(TMOUSECONFIGINFO& c) {
    for (int i = 0; i < kSlots; ++i) {
        c.CPIState[i].X = 0;
        c.CPIState[i].Y = 0;
        c.CPIState[i].Enabled = 0;
    }
    for (int i = 0; i < kSlots; ++i) {
        c.CPIState[i].X = kFactoryDpi[i];
        c.CPIState[i].Y = kFactoryDpi[i];
        c.CPIState[i].Enabled = 1;
    }
    for (int i = 0; i < kSlots; ++i) c.UseDiffentXY[i] = 1;
}

void setButton(TBUTTONFUNCINFO& b, std::uint8_t type, std::uint16_t index, std::int32_t code, std::int32_t menu) {
    b.FunctionType = type;
    b.FunctionIndex = index;
    b.FunctionCode = code;
    b.MenuID = menu;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Creation

TDM::TDM(QObject* AOwner, TStart AStart) : QObject(AOwner) {
    uiProfileAllSettingInfo = makeComponent("uiProfileAllSettingInfo", QStringLiteral("allsettings.pfd"));
    uiProfileGame1 = makeComponent("uiProfileGame1", {});
    uiProfileGame2 = makeComponent("uiProfileGame2", {});
    uiProfileGame3 = makeComponent("uiProfileGame3", {});
    uiProfileGame4 = makeComponent("uiProfileGame4", {});
    uiProfileGame5 = makeComponent("uiProfileGame5", {});
    uiProfileSettingGroup = makeComponent("uiProfileSettingGroup", QStringLiteral("ProfileSettingGroup.pfd"));
    uiProfileDefaultGame = makeComponent("uiProfileDefaultGame", QStringLiteral("R7730ProfileDef.pfd"));
    uiProfileTest = makeComponent("uiProfileTest", QStringLiteral("R7730ProfileTest.pfd"));
    uiProfileRecordMacroInfo = makeComponent("uiProfileRecordMacroInfo", QStringLiteral("RecordRPROFILE.pfd"));

    uiProfileAllSettingInfo->OnRestoreToDefault = [this](TuiProfileStream& s) {
        uiProfileAllSettingInfoRestoreToDefault(s);
    };
    uiProfileGame1->OnRestoreToDefault = [this](TuiProfileStream& s) { uiProfileGame1RestoreToDefault(s); };
    uiProfileGame2->OnRestoreToDefault = [this](TuiProfileStream& s) { uiProfileGame2RestoreToDefault(s); };
    uiProfileGame3->OnRestoreToDefault = [this](TuiProfileStream& s) { uiProfileGame3RestoreToDefault(s); };
    uiProfileGame4->OnRestoreToDefault = [this](TuiProfileStream& s) { uiProfileGame4RestoreToDefault(s); };
    uiProfileGame5->OnRestoreToDefault = [this](TuiProfileStream& s) { uiProfileGame5RestoreToDefault(s); };
    uiProfileSettingGroup->OnRestoreToDefault = [this](TuiProfileStream& s) {
        uiProfileSettingGroupRestoreToDefault(s);
    };
    uiProfileDefaultGame->OnRestoreToDefault = [this](TuiProfileStream& s) { uiProfileGame1RestoreToDefault(s); };
    uiProfileTest->OnRestoreToDefault = [this](TuiProfileStream& s) { uiProfileTestRestoreToDefault(s); };

    // Start-up assigns the slots again; having them from the start keeps every operation safe
    // even if start-up stops early.
    FProfileGroup = {uiProfileGame1, uiProfileGame2, uiProfileGame3, uiProfileGame4, uiProfileGame5};

    if (DM == nullptr) DM = this;
    if (AStart == TStart::Now) DataModuleCreate();
}

TDM::~TDM() {
    DataModuleDestroy();
    if (DM == this) DM = nullptr;
}

TuiProfile* TDM::makeComponent(const char* name, const QString& valueName) {
    auto* c = new TuiProfile(this);
    c->setObjectName(QLatin1String(name));
    c->SetFileName(valueName);
    return c;
}

void TDM::DataModuleCreate() {
    FCreated = true;
    try {
        Init();
    } catch (const std::exception& e) {
        reportException(e);
    } catch (...) {
        report(QStringLiteral("Unknown error"));
    }
}

void TDM::DataModuleDestroy() {}

QString TDM::ProfileRegFolder() const { return QStringLiteral("software\\") + FOptionsFromConfigFile.ProfileRegFolder; }

void TDM::Init() {
    for (const TRefusedOption& refused : ReadOptionsFromConfigFile(FOptionsFromConfigFile)) {
        report(QStringLiteral("config.ini: %1 \"%2\" would lead outside the Documents folder; \"%3\" is used "
                              "instead."),
               {refused.Key, refused.Value, refused.Used});
    }
    const QString prefix = FOptionsFromConfigFile.ProfileNamePrefix;
    if (prefix.size() > kMaxPrefix || !vyk::platform::isPlainFileName(prefix + QStringLiteral("1.pfd"))) {
        // The slot's file name (also its registry value name) holds 20 characters; a longer
        // prefix would give the five slots one cut-off name and they would overwrite each other.
        FOptionsFromConfigFile.ProfileNamePrefix = kDefaultPrefix;
        report(QStringLiteral("config.ini: profilePrefix \"%1\" is not usable (at most %2 characters, no path "
                              "separators); \"%3\" is used instead."),
               {prefix, QString::number(kMaxPrefix), kDefaultPrefix});
    }
    ReadOtherConfig(FOtherConfig);
    FProfileGroupIndex = 0;
    removeAbandonedTempFiles();

    // Each record is loaded on its own: an error in one is reported and leaves that record
    // with its factory values in memory, and the others still load.
    try {
        InitProfileSettingGroup();
    } catch (const std::exception& e) {
        reportException(e);
        fallBackToDefaults(uiProfileSettingGroup);
        readRecord(uiProfileSettingGroup, FProfileSettingGroup);
        takeProfileIndexesFromGroup();
    }
    try {
        InitAllSettingInfo();
    } catch (const std::exception& e) {
        reportException(e);
        fallBackToDefaults(uiProfileAllSettingInfo);
        readRecord(uiProfileAllSettingInfo, FAllProfileSettingInfo);
    }
    InitGameProfiles();
    if (!SwitchToProfile(FAllProfileSettingInfo.CurrentGame)) fallBackSwitch();
}

void TDM::fallBackToDefaults(TuiProfile* AComponent) {
    try {
        AComponent->RestoreToDefault();
    } catch (const std::exception& e) {
        // Only the folders of the factory setting group can fail here; the names are set by
        // then, and the registry side of the store still works.
        debugLog(QStringLiteral("store: factory values of %1 incomplete: %2")
                     .arg(AComponent->objectName(), QString::fromStdString(e.what())));
    }
}

void TDM::fallBackSwitch() {
    // A stored CurrentGame outside 0..4: stay on the slot the setting group names, which is
    // always valid, so the first edit is never saved back over another slot.
    debugLog(QStringLiteral("store: stored current game %1 is out of range; profile %2 is used")
                 .arg(FAllProfileSettingInfo.CurrentGame)
                 .arg(FProfileIndex));
    SwitchToProfile(FProfileIndex);
}

void TDM::takeProfileIndexesFromGroup() {
    const std::int32_t group = FProfileSettingGroup.CurrentProfileGroup;
    if (!IsProfileGroupIndexInRange(group)) {
        // Group 0 is the only group the programs use; an out-of-range value would index past
        // ProfileIndexOfProfileGroup.
        FProfileGroupIndex = 0;
        report(QStringLiteral("The stored profile group %1 is out of range; group 0 is used."),
               {QString::number(group)});
    } else {
        FProfileGroupIndex = group;
    }
    const std::int32_t p = FProfileSettingGroup.ProfileIndexOfProfileGroup[FProfileGroupIndex];
    if (IsProfileIndexInRange(p)) {
        FProfileIndex = p;
    } else {
        debugLog(QStringLiteral("store: stored profile index %1 of group %2 is out of range; profile %3 is kept")
                     .arg(p)
                     .arg(FProfileGroupIndex)
                     .arg(FProfileIndex));
    }
}

void TDM::loadSettingGroupOrDefault() {
    if (!uiProfileSettingGroup->LoadStreamFromRegistry()) {
        uiProfileSettingGroup->RestoreToDefault();
        saveToRegistry(uiProfileSettingGroup);
    } else if (const std::size_t size = uiProfileSettingGroup->Stream().size(); size != sizeof(TProfileSettingGroup)) {
        // Cut short or grown, it would name files and folders with whatever fills the rest.
        // The factory group is used in memory; APPLY stores it.
        report(QStringLiteral("The stored profile settings \"%1\" are damaged (%2 bytes instead of %3); the factory "
                              "settings are used."),
               {storedValueFile(uiProfileSettingGroup), QString::number(size),
                QString::number(sizeof(TProfileSettingGroup))});
        vyk::store::resetToZeros<TProfileSettingGroup>(uiProfileSettingGroup);
        uiProfileSettingGroup->RestoreToDefault();
    }
    readRecord(uiProfileSettingGroup, FProfileSettingGroup);
    takeProfileIndexesFromGroup();
}

void TDM::loadAllSettingInfoOrDefault() {
    if (!uiProfileAllSettingInfo->LoadStreamFromRegistry()) {
        uiProfileAllSettingInfo->RestoreToDefault();
        saveToRegistry(uiProfileAllSettingInfo);
    }
    readRecord(uiProfileAllSettingInfo, FAllProfileSettingInfo);
}

void TDM::InitProfileSettingGroup() {
    uiProfileSettingGroup->SetRootKey(HKEY_CURRENT_USER);
    uiProfileSettingGroup->SetFileName(QStringLiteral("ProfileSettingGroup.pfd"));
    uiProfileSettingGroup->SetKeyPath(ProfileRegFolder());
    sizeWithZeros<TProfileSettingGroup>(uiProfileSettingGroup);
    loadSettingGroupOrDefault();
}

void TDM::InitAllSettingInfo() {
    uiProfileAllSettingInfo->SetRootKey(HKEY_CURRENT_USER);
    uiProfileAllSettingInfo->SetFileName(QStringLiteral("allsettings.pfd"));
    uiProfileAllSettingInfo->SetKeyPath(ProfileRegFolder());
    writeRecord(uiProfileAllSettingInfo, FAllProfileSettingInfo);
    loadAllSettingInfoOrDefault();

    uiProfileRecordMacroInfo->SetRootKey(HKEY_CURRENT_USER);
    uiProfileRecordMacroInfo->SetFileName(QStringLiteral("RecordRPROFILE.pfd"));
    uiProfileRecordMacroInfo->SetKeyPath(ProfileRegFolder());
    writeRecord(uiProfileRecordMacroInfo, FRecordMacroInfo);
}

// ---------------------------------------------------------------------------------------------
// Indexes and switching

bool TDM::IsProfileIndexInRange(int AProfileIndex) const { return AProfileIndex >= 0 && AProfileIndex < kSlots; }

bool TDM::IsProfileGroupIndexInRange(int AProfileGroupIndex) const {
    return AProfileGroupIndex >= 0 && AProfileGroupIndex < kGroups;
}

bool TDM::SwitchToProfile(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) return false;
    FProfileIndex = AProfileIndex;
    readRecord(FProfileGroup[FProfileIndex], FCurrentProfileInfo);
    FAllProfileSettingInfo.CurrentGame = static_cast<std::uint16_t>(AProfileIndex);
    return true;
}

bool TDM::SwitchToProfileGroup(int AProfileGroupIndex) {
    if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) return false;
    const std::int32_t p = FProfileSettingGroup.ProfileIndexOfProfileGroup[AProfileGroupIndex];
    if (!IsProfileIndexInRange(p)) return false;
    FProfileSettingGroup.CurrentProfileGroup = AProfileGroupIndex;
    FProfileGroupIndex = AProfileGroupIndex;
    FProfileIndex = p;
    SwitchToProfile(p);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Working copies

bool TDM::ReadProfileInfo(TMouseProfileInfo& AProfileInfo, int AProfileIndex) const {
    if (!IsProfileIndexInRange(AProfileIndex) || FProfileGroup[AProfileIndex] == nullptr) return false;
    readRecord(FProfileGroup[AProfileIndex], AProfileInfo);
    return true;
}

bool TDM::ReadCurrentProfileInfo() {
    readRecord(FProfileGroup[FProfileIndex], FCurrentProfileInfo);
    return true;
}

void TDM::SaveBackToCurrentProfileInfo() {
    writeRecord(FProfileGroup[FProfileIndex], FCurrentProfileInfo);
    FProfileChanged[FProfileIndex] = true;
}

bool TDM::SaveBackToProfileInfo(const TMouseProfileInfo& AProfileInfo, int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) return false;
    writeRecord(FProfileGroup[AProfileIndex], AProfileInfo);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Saving

QByteArray TDM::streamCopy(const TuiProfile* AComponent) {
    const TuiProfileStream& s = AComponent->Stream();
    return QByteArray(reinterpret_cast<const char*>(s.data()), static_cast<qsizetype>(s.size()));
}

void TDM::saveToRegistry(TuiProfile* AComponent) {
    vyk::platform::WriteJob job;
    queueRegistrySave(job, AComponent);
    job.Run();
}

void TDM::queueRegistrySave(vyk::platform::WriteJob& AJob, TuiProfile* AComponent) {
    const HKEY root = AComponent->RootKey();
    const QString keyPath = AComponent->KeyPath();
    const QString name = AComponent->FileName();
    const bool begun = AComponent->BeginSaveToRegistry();
    if (!begun && name.isEmpty()) {
        const QString error =
            QStringLiteral("Cannot save %1: the profile settings give it no value name in key \"%2\".")
                .arg(AComponent->objectName(), keyPath);
        AJob.Add([error]() -> vyk::platform::WriteJob::Afterwards { throw vyk::platform::RegistryError(error); });
        return;
    }
    const QByteArray bytes = begun ? streamCopy(AComponent) : QByteArray();
    AJob.Add([AComponent, root, keyPath, name, begun, bytes]() -> vyk::platform::WriteJob::Afterwards {
        QString why;
        auto key = vyk::platform::RegistryKey::open(root, keyPath, true, &why);
        if (!begun || !key) {
            throw vyk::platform::RegistryError(
                QStringLiteral("Cannot save \"%1\": the settings key \"%2\" cannot be opened (%3).")
                    .arg(name, keyPath, why.isEmpty() ? QStringLiteral("no key") : why));
        }
        key->writeBinary(name, bytes);
        return [AComponent] { AComponent->EndSaveToRegistry(); };
    });
}

void TDM::PrepareSaveAll(vyk::platform::WriteJob& AJob) {
    // The steps of the single saves, in their order: SaveBackToCurrentProfileInfo,
    // SaveCurrentProfileInfoToRegistry, SaveCurrentProfileInfoToFile, SaveBackAllProfileInfoToFile,
    // SaveBackAllProfileInfoToRegistry, SaveBackToProfileGroupSettingInfo,
    // SaveProfileGroupSettingInfoToRegistry; what they change in memory is changed now.
    SaveBackToCurrentProfileInfo();
    queueRegistrySave(AJob, FProfileGroup[FProfileIndex]);
    queueSlotFileSave(AJob, FProfileIndex);
    for (int i = 0; i < kSlots; ++i) queueSlotFileSave(AJob, i);
    for (int i = 0; i < kSlots; ++i) queueRegistrySave(AJob, FProfileGroup[i]);
    SaveBackToProfileGroupSettingInfo();
    queueRegistrySave(AJob, uiProfileSettingGroup);
}

void TDM::SaveCurrentProfileInfoToRegistry() {
    SaveBackToCurrentProfileInfo();
    saveToRegistry(FProfileGroup[FProfileIndex]);
}

bool TDM::SaveProfileInfoToRegistry(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) return false;
    saveToRegistry(FProfileGroup[AProfileIndex]);
    return true;
}

void TDM::SaveCurrentProfileInfoToFile(const QString& AFile) {
    if (!FProfileGroup[FProfileIndex]->SaveStreamToFile(AFile)) {
        throw vyk::platform::FileError(QStringLiteral("Cannot create the folder of \"%1\".").arg(AFile));
    }
}

void TDM::SaveCurrentProfileInfoToFile() { saveSlotFile(FProfileIndex); }

void TDM::SaveBackAllProfileInfo() { SaveBackAllProfileInfoToRegistry(); }

void TDM::SaveBackAllProfileInfoToRegistry() {
    for (int i = 0; i < kSlots; ++i) saveToRegistry(FProfileGroup[i]);
}

void TDM::SaveBackAllProfileInfoToFile() {
    for (int i = 0; i < kSlots; ++i) saveSlotFile(i);
}

void TDM::SaveBackAllProfileSettingInfo() {
    FAllProfileSettingInfo.CurrentGame = static_cast<std::uint16_t>(FProfileIndex);
    writeRecord(uiProfileAllSettingInfo, FAllProfileSettingInfo);
    saveToRegistry(uiProfileAllSettingInfo);
}

void TDM::SaveBackToProfileGroupSettingInfo() { writeRecord(uiProfileSettingGroup, FProfileSettingGroup); }

void TDM::SaveProfileGroupSettingInfoToRegistry() {
    SaveBackToProfileGroupSettingInfo();
    saveToRegistry(uiProfileSettingGroup);
}

void TDM::SaveAll() {
    vyk::platform::WriteJob job;
    PrepareSaveAll(job);
    job.Run();
}

void TDM::SaveBackRecordMacroInfoToRegistry(const TMACROKEYINFO& ARecordMacroInfo) {
    writeRecord(uiProfileRecordMacroInfo, ARecordMacroInfo);
    saveToRegistry(uiProfileRecordMacroInfo);
}

// ---------------------------------------------------------------------------------------------
// Loading

void TDM::LoadAllProfileInfoFromRegistry() { loadAllSettingInfoOrDefault(); }

void TDM::LoadProfileGroupSettingInfoFromRegistry() { loadSettingGroupOrDefault(); }

bool TDM::LoadCurrentProfileInfoFromRegistry() {
    const bool loaded = LoadProfileInfoFromRegistry(FProfileIndex);
    readRecord(FProfileGroup[FProfileIndex], FCurrentProfileInfo);
    return loaded;
}

bool TDM::LoadProfileInfoFromRegistry(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) return false;
    if (!FProfileGroup[AProfileIndex]->LoadStreamFromRegistry()) return false;
    checkLoadedSlot(AProfileIndex, SlotSource::Registry);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The monitor's operations

bool TDM::WriteProfileIDToRegistry(int AProfileID) {
    auto key = vyk::platform::RegistryKey::open(HKEY_CURRENT_USER, ProfileRegFolder(), false);
    if (!key) return false;
    key->writeDword(QStringLiteral("ProfileID"), static_cast<std::uint32_t>(AProfileID));
    return true;
}

bool TDM::MakeProfileCurrentAndReload(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) return false;
    FProfileIndex = AProfileIndex;
    LoadCurrentProfileInfoFromRegistry();
    return true;
}

void TDM::ReloadAfterSettingsApplied(std::int64_t AProfileIndex) {
    const std::int32_t previous = FProfileIndex;
    std::exception_ptr first;
    const auto step = [&first](const auto& fn) {
        try {
            fn();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    };
    step([this] { LoadProfileGroupSettingInfoFromRegistry(); });  // sets the index from the group
    step([this] { LoadAllProfileInfoFromRegistry(); });
    const bool valid = AProfileIndex >= 0 && AProfileIndex < kSlots;
    if (!valid) debugLog(QStringLiteral("store: settings applied for profile %1, out of range").arg(AProfileIndex));
    FProfileIndex = valid ? static_cast<std::int32_t>(AProfileIndex) : previous;
    step([this] { LoadCurrentProfileInfoFromRegistry(); });
    if (valid) step([&] { WriteProfileIDToRegistry(static_cast<int>(AProfileIndex)); });
    if (first) std::rethrow_exception(first);
}

void TDM::LoadRecordMacroInfoFromRegistry() {
    uiProfileRecordMacroInfo->LoadStreamFromRegistry();
    readRecord(uiProfileRecordMacroInfo, FRecordMacroInfo);
}

// ---------------------------------------------------------------------------------------------
// Changed flags, paths, macro list

void TDM::SetProfileChanged(int AIndex, bool AIsChanged) {
    if (IsProfileIndexInRange(AIndex)) FProfileChanged[AIndex] = AIsChanged;
}

bool TDM::IsProfileChanged(int AIndex) const { return IsProfileIndexInRange(AIndex) && FProfileChanged[AIndex]; }

bool TDM::ChangeCurrentProfileFileNameAndPath(const QString& AProfileFilePath) {
    QString folder, name;
    vyk::platform::splitPath(vyk::platform::normalizePath(AProfileFilePath), &folder, &name);
    TProfileSetting& s = FProfileSettingGroup.ProfileSettingList[FProfileIndex];
    constexpr auto nameCap = std::extent_v<decltype(TProfileSetting::FileName)> - 1;
    constexpr auto folderCap = std::extent_v<decltype(TProfileSetting::FilePath)> - 1;
    if (!slotNameUsable(name, FProfileIndex) || static_cast<std::size_t>(name.size()) > nameCap ||
        static_cast<std::size_t>(folder.size()) > folderCap ||
        !vyk::platform::isInsideFolder(folder, profileFolder())) {
        return false;
    }
    TuiProfile* c = FProfileGroup[FProfileIndex];
    c->SetFileName(name);
    c->SetFilePath(folder);
    setRecordText(s.FileName, name);
    setRecordText(s.FilePath, folder);
    return true;
}

QString TDM::GetPersonalDocumentProfilePath() const {
    const QString path = profileFolder();
    vyk::platform::forceFolders(path);
    return path;
}

QString TDM::GetPersonalDocumentMacroDatabasePath() const {
    QString folder =
        vyk::platform::joinPath(GetPersonalDocumentProfilePath(), FOptionsFromConfigFile.ProfileMacroFolder);
    vyk::platform::forceFolders(folder);
    return vyk::platform::joinPath(folder, QStringLiteral("MacroSet.MSDB"));
}

QList<int> TDM::GetAllProfilesMacroIndexList() const {
    QList<int> list;
    auto profile = std::make_unique<TMouseProfileInfo>();
    for (int p = 0; p < kSlots; ++p) {
        if (!ReadProfileInfo(*profile, p)) continue;
        const int count = std::clamp(profile->ConfigInfo.ButtonCount, 0, 19);
        for (int b = 0; b < count; ++b) {
            const TBUTTONFUNCINFO& button = profile->ConfigInfo.ButtonFuncInfo[b];
            if (button.FunctionType != FUNCTION_TYPE_MACRO) continue;
            const int index = button.MacroKeyInfo.nMacroIndex;
            if (!list.contains(index)) list.append(index);
        }
    }
    return list;
}

// ---------------------------------------------------------------------------------------------
// Factory defaults

void TDM::restoreGame(TuiProfileStream& AStream, int AGame) {
    editInStream<TMouseProfileInfo>(AStream, [&](TMouseProfileInfo& p) {
        NewProfileUID(p.ProfileHeader.FProfileUID);
        p.ProfileHeader.FFileVersion = PROFILE_FILE_VERSION;
        TMOUSECONFIGINFO& c = p.ConfigInfo;
        c.ButtonCount = 18;
        for (int i = 0; i < 19; ++i) {
            std::memset(static_cast<void*>(&c.ButtonFuncInfo[i]), 0, offsetof(TBUTTONFUNCINFO, ButtonIndex));
            c.ButtonFuncInfo[i].ButtonIndex = static_cast<std::uint16_t>(i);
        }
        for (int i = 0; i < 3; ++i) {
            setButton(c.ButtonFuncInfo[i], FUNCTION_TYPE_DEVICE, static_cast<std::uint16_t>(i),
                      ButtonFunctionTable[i].FunctionCode, i + 1);
        }
        setButton(c.ButtonFuncInfo[3], FUNCTION_TYPE_FIRE_KEY, 31, FUNCTION_CODE_FIRE_KEY, 12);
        c.ButtonFuncInfo[3].FireKey.nLoopCount = 3;
        c.ButtonFuncInfo[3].FireKey.DelyValue = 1;
        c.ButtonFuncInfo[3].FireKey.KeyCode = 0x81;
        setButton(c.ButtonFuncInfo[4], FUNCTION_TYPE_DEVICE, 33, FUNCTION_CODE_DPI_PLUS, 14);
        setButton(c.ButtonFuncInfo[5], FUNCTION_TYPE_DEVICE, 34, FUNCTION_CODE_DPI_MINUS, 15);
        // Buttons 6..17: the digit keys 1..9 and 0, keypad plus, keypad minus.
        constexpr std::uint16_t keys[12] = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 107, 109};
        for (int i = 6; i < 18; ++i) {
            setButton(c.ButtonFuncInfo[i], FUNCTION_TYPE_SINGLE_KEY, 5, FUNCTION_CODE_SINGLE_KEY, 6);
            c.ButtonFuncInfo[i].SingleKey.nKeyValue1 = keys[i - 6];
            c.ButtonFuncInfo[i].SingleKey.nKey1Extended = 0;
        }
        // Record 18 is the fixed profile-switch button; its MenuID stays as it was.
        c.ButtonFuncInfo[18].FunctionType = FUNCTION_TYPE_FIXED;
        c.ButtonFuncInfo[18].FunctionIndex = 0;
        c.ButtonFuncInfo[18].FunctionCode = FUNCTION_CODE_PROFILE_SWITCH;

        c.VWheelSpeed = 3;
        c.DoubleClickSpeed = 550;
        c.PointerSpeed = 10;
        c.ReportRate = 500;
        c.CPILevel = 5;
        c.PointerAcceleration = 0;
        c.CurrentCPIIndex = kGameLooks[AGame].level;
        c.LEDConfig.BRIGHT_LEVEL = 2;
        c.LEDConfig.BREATH_SPEED = 3;
        c.LEDConfig.R = kGameLooks[AGame].r;
        c.LEDConfig.G = kGameLooks[AGame].g;
        c.LEDConfig.B = kGameLooks[AGame].b;
        setFactoryCPIState(c);
    });
}

void TDM::uiProfileGame1RestoreToDefault(TuiProfileStream& AStream) { restoreGame(AStream, 0); }
void TDM::uiProfileGame2RestoreToDefault(TuiProfileStream& AStream) { restoreGame(AStream, 1); }
void TDM::uiProfileGame3RestoreToDefault(TuiProfileStream& AStream) { restoreGame(AStream, 2); }

// Games 4 and 5 are game 3 with their own colour and current DPI level.
void TDM::restoreGameLikeGame3(TuiProfileStream& AStream, int AGame) {
    uiProfileGame3RestoreToDefault(AStream);
    editInStream<TMouseProfileInfo>(AStream, [AGame](TMouseProfileInfo& p) {
        p.ConfigInfo.LEDConfig.R = kGameLooks[AGame].r;
        p.ConfigInfo.LEDConfig.G = kGameLooks[AGame].g;
        p.ConfigInfo.LEDConfig.B = kGameLooks[AGame].b;
        p.ConfigInfo.CurrentCPIIndex = kGameLooks[AGame].level;
    });
}

void TDM::uiProfileGame4RestoreToDefault(TuiProfileStream& AStream) { restoreGameLikeGame3(AStream, 3); }
void TDM::uiProfileGame5RestoreToDefault(TuiProfileStream& AStream) { restoreGameLikeGame3(AStream, 4); }

void TDM::uiProfileTestRestoreToDefault(TuiProfileStream& AStream) {
    if (AStream.empty()) return;
    editInStream<TMouseProfileInfo>(AStream, [](TMouseProfileInfo& p) {
        std::memset(static_cast<void*>(&p), 0, sizeof p);
        NewProfileUID(p.ProfileHeader.FProfileUID);
        p.ProfileHeader.FFileVersion = PROFILE_FILE_VERSION;
        TMOUSECONFIGINFO& c = p.ConfigInfo;
        c.ButtonCount = 19;
        for (int i = 0; i < 5; ++i) {
            c.ButtonFuncInfo[i].ButtonIndex = static_cast<std::uint16_t>(i);
            setButton(c.ButtonFuncInfo[i], FUNCTION_TYPE_DEVICE, static_cast<std::uint16_t>(i),
                      ButtonFunctionTable[i].FunctionCode, i + 1);
        }
        for (int k = 5; k < 19; ++k) {
            TBUTTONFUNCINFO& b = c.ButtonFuncInfo[k];
            b.ButtonIndex = static_cast<std::uint16_t>(k);
            setButton(b, FUNCTION_TYPE_MIC_MUTE, 28, FUNCTION_CODE_MIC_MUTE, 0);
            for (int j = 0; j < 3; ++j) b.ButtonMask[j] = ButtonMaskTable[k][j + 1];
        }
        c.VWheelSpeed = 3;
        c.DoubleClickSpeed = 550;
        c.PointerSpeed = 10;
        c.ReportRate = 125;
        c.CPILevel = 5;
        c.PointerAcceleration = 0;
        c.LEDConfig.BRIGHT_LEVEL = 2;
        c.LEDConfig.BREATH_SPEED = 2;
        c.LEDConfig.R = 255;
        c.LEDConfig.G = 0;
        c.LEDConfig.B = 0;
        setFactoryCPIState(c);
        c.CurrentCPIIndex = 0;
        p.MacroKeyInfoList.nMacroInfoCount = 0;
    });
}

void TDM::uiProfileSettingGroupRestoreToDefault(TuiProfileStream& AStream) {
    const QString prefix = FOptionsFromConfigFile.ProfileNamePrefix;
    const QString keyPath = ProfileRegFolder();
    // Names first, so that a folder that cannot be made below still leaves usable slots.
    editInStream<TProfileSettingGroup>(AStream, [&](TProfileSettingGroup& g) {
        for (int i = 0; i < kSlots; ++i) {
            TProfileSetting& s = g.ProfileSettingList[i];
            s.SlotFlag = 0;
            s.StorageKind = 0;
            setRecordText(s.FileName, prefix + QString::number(i + 1) + QStringLiteral(".pfd"));
            setRecordText(s.KeyPath, keyPath);
        }
        g.CurrentProfileGroup = 0;
        g.ProfileIndexOfProfileGroup[0] = 0;
        g.ProfileIndexOfProfileGroup[1] = 1;
    });
    const QString profilePath = GetPersonalDocumentProfilePath();
    constexpr auto pathCap = std::extent_v<decltype(TProfileSetting::FilePath)> - 1;
    for (int i = 0; i < kSlots; ++i) {
        // The profile path already ends with a separator, so the macro path holds two in a row
        // there; both read as one.
        const QString macroPath =
            profilePath + QLatin1Char('/') + prefix + QString::number(i + 1) + QStringLiteral("_Macros");
        if (static_cast<std::size_t>(macroPath.size()) > pathCap) {
            throw vyk::platform::FileError(
                QStringLiteral("The profile folder \"%1\" is too long to be stored.").arg(profilePath));
        }
        editInStream<TProfileSettingGroup>(AStream, [&](TProfileSettingGroup& g) {
            setRecordText(g.ProfileSettingList[i].FilePath, profilePath);
            setRecordText(g.ProfileSettingList[i].MacroPath, macroPath);
        });
        for (const QString& folder : {profilePath, macroPath}) {
            if (!vyk::platform::folderExists(folder) && !vyk::platform::createFolder(folder)) {
                throw vyk::platform::FileError(QStringLiteral("Cannot create folder \"%1\".").arg(folder));
            }
        }
    }
}

void TDM::uiProfileAllSettingInfoRestoreToDefault(TuiProfileStream& AStream) {
    editInStream<TALLGAMESINFO>(AStream, [](TALLGAMESINFO& a) {
        for (int i = 0; i < kSlots; ++i) {
            a.Allgameset[i].SlotFlag = 0;
            a.Allgameset[i].StorageKind = 0;
            setRecordText(a.Allgameset[i].FilePath, QString());
        }
        a.CurrentGame = 0;
        a.Allgameset[0].SlotFlag = 1;
        a.CurrentLanguage = 0;
    });
}

// ---------------------------------------------------------------------------------------------
// Restore operations

void TDM::RestoreCurrentProfileInfoToDefault() {
    FProfileGroup[FProfileIndex]->RestoreToDefault();
    readRecord(FProfileGroup[FProfileIndex], FCurrentProfileInfo);
    SetProfileChanged(FProfileIndex, true);
}

void TDM::RestoreAllProfileInfoToDefault() {
    for (int i = 0; i < kSlots; ++i) {
        FProfileGroup[i]->RestoreToDefault();
        SetProfileChanged(i, true);
    }
    readRecord(FProfileGroup[FProfileIndex], FCurrentProfileInfo);
}

bool TDM::RestoreProfileInfoToDefault(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) return false;
    FProfileGroup[AProfileIndex]->RestoreToDefault();
    SetProfileChanged(AProfileIndex, true);
    return true;
}

bool TDM::RestoreProfileGroupToDefault(int AProfileGroupIndex) {
    if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) return false;
    const std::int32_t p = FProfileSettingGroup.ProfileIndexOfProfileGroup[AProfileGroupIndex];
    if (!IsProfileIndexInRange(p)) return false;
    if (p == FProfileIndex) {
        RestoreCurrentProfileInfoToDefault();
    } else {
        FProfileGroup[p]->RestoreToDefault();
    }
    return true;
}

void TDM::RestoreProfileSettingGroupToDefault() {
    uiProfileSettingGroup->RestoreToDefault();
    saveToRegistry(uiProfileSettingGroup);
}

void TDM::RestoreToDefaultCPISetting() {
    TMOUSECONFIGINFO& c = FCurrentProfileInfo.ConfigInfo;
    for (int i = 0; i < kSlots; ++i) {
        c.CPIState[i].X = 0;
        c.CPIState[i].Y = 0;
        c.CPIState[i].Enabled = 0;
    }
    for (int i = 0; i < 4; ++i) {
        c.CPIState[i].X = kFactoryDpi[i];
        c.CPIState[i].Y = kFactoryDpi[i];
        c.CPIState[i].Enabled = 1;
        c.UseDiffentXY[i] = 0;
    }
    c.CurrentCPIIndex = 1;
}

void TDM::RestoreToDefaultLightAndReportAdvancedSetting() {
    TMOUSECONFIGINFO& c = FCurrentProfileInfo.ConfigInfo;
    c.ReportRate = 125;
    c.LEDConfig.BRIGHT_LEVEL = 2;
    c.LEDConfig.BREATH_SPEED = 3;
    c.LEDConfig.R = 255;
    c.LEDConfig.G = 0;
    c.LEDConfig.B = 0;
}

void TDM::InitTestDefaultValue() {
    uiProfileTest->SetRootKey(HKEY_CURRENT_USER);
    uiProfileTest->SetFileName(QStringLiteral("R7730ProfileTest.pfd"));
    uiProfileTest->SetKeyPath(ProfileRegFolder());
    writeRecord(uiProfileTest, FTestProfileInfo);
    uiProfileTest->RestoreToDefault();
    readRecord(uiProfileTest, FTestProfileInfo);

    uiProfileDefaultGame->SetRootKey(HKEY_CURRENT_USER);
    uiProfileDefaultGame->SetFileName(QStringLiteral("R7730ProfileDef.pfd"));
    uiProfileDefaultGame->SetKeyPath(ProfileRegFolder());
    writeRecord(uiProfileDefaultGame, FDefaultProfileInfo);
    uiProfileDefaultGame->RestoreToDefault();
    readRecord(uiProfileDefaultGame, FDefaultProfileInfo);
}
