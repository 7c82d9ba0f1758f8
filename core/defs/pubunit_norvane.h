#pragma once
// Shared definitions of both programs: the records that carry a game profile, its buttons,
// DPI levels, lighting and macros, the two bookkeeping records of the profile store, the
// constant tables, the string constants and the HID selector of the configuration interface.
//
// The records are a file format. They are stored as raw little-endian bytes (registry values,
// *.pfd files, the macro database) and read back by the other program, so their layout is
// fixed to the byte. Every record here is a trivially copyable struct without pointers whose
// padding is spelled out as named fields: nothing is left to the compiler, a copy carries
// every byte, and the unused fields, spare areas and padding of a record read from storage
// travel unchanged through every load, edit and save. Never zero what you did not set.
//
// Text fields are fixed arrays of UTF-16 code units; read and write them only through the
// helpers of defs/record_text.h.

#include "core/defs/record_text.h"

#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

static_assert(std::endian::native == std::endian::little,
              "stored records are raw little-endian bytes; a big-endian build needs byte swapping");
static_assert(sizeof(char16_t) == 2 && sizeof(double) == 8);

// ---------------------------------------------------------------------------------------------
// Small records

// HID selector of a top-level collection: usage, then usage page.
struct USAGE_AND_PAGE {
    std::uint16_t Usage;
    std::uint16_t UsagePage;
};

// The format version and creation stamp. One 8-byte value under three names; `DataTime` and
// `DoubleData` are a day count since 1899-12-30 00:00 local time, the fraction the time of day.
union TProfileUIDData {
    std::uint8_t RawData[8];
    double DataTime;
    double DoubleData;
};

struct TProfileHeader {
    std::int32_t FFileVersion;   // 0x103 in every profile the system creates
    std::uint8_t FFileType[8];   // unused
    std::uint8_t FFileName[44];  // unused
    std::uint32_t FProfileSize;  // unused
    std::uint8_t Pad0[4];
    TProfileUIDData FProfileUID;  // creation stamp
};

struct TFUNCTIONLIST {
    std::uint8_t FunctionInfo[800];  // unused
};

// A single-key assignment.
struct TSINGLEKEYINFO {
    std::uint16_t nKeyValue1;     // Windows virtual-key code
    std::uint16_t nKey1Extended;  // extended-key flag
    char16_t SingleKeyText[31];   // display text
};

// A key-combination assignment.
struct TCOMBOKEYINFO {
    std::uint16_t nKeyValue1;
    std::uint16_t nKey1Extended;
    std::uint16_t nKeyValue2;
    std::uint16_t nKey2Extended;
    std::uint16_t nModifier;  // 1 Alt, 2 Ctrl, 4 Shift, 8 Win
    char16_t ComboKeyText[31];
};

// A shortcut as HID usages (or a consumer usage split into low and high byte).
struct THID_CODE_INFO {
    std::uint16_t nKeyValue1;
    std::uint16_t nKeyValue2;
    std::uint16_t nModifier;
};

// A fire-key assignment.
struct TADVANCEDFIREKEYINFO {
    std::uint16_t nLoopCount;
    std::uint16_t DelyValue;
    std::uint16_t KeyCode;
    TSINGLEKEYINFO KeyValue;
};

// One macro action. The two value bytes carry other names for each kind of action; every pair
// stands for VALUE1 and VALUE2 in this order.
struct TMACROKEY {
    std::uint16_t nKeyType;
    std::uint16_t nKeyState;  // 1 press, 0 release
    // clang-format off
    union {
        struct { std::uint8_t VALUE1, VALUE2; };
        struct { std::uint8_t MouseKeyValue, MouseKey_Index; };
        struct { std::uint8_t MOUSE_X, MOUSE_Y; };
        struct { std::uint8_t WHEEL_VALUE, WHEEL_Index; };
        struct { std::uint8_t nKeyValue, nKeyExtended; };
        struct { std::uint8_t MediaKey_L, MediaKey_H; };
        struct { std::uint8_t DELAY_L, DELAY_H; };
        struct { std::uint8_t LOOP_L, LOOP_H; };
    };
    // clang-format on
};

// One macro.
struct TMACROKEYINFO {
    TMACROKEY MacroList[128];     // entries at and beyond MacroListCount carry no meaning
    std::int32_t MacroListCount;  // 0..128
    std::uint16_t nAutoAddDelay;
    std::uint8_t nLoopRunWhenPressed;
    std::uint8_t Pad0;
    std::uint16_t nLoopCount;
    std::uint16_t nMacroIndex;  // slot in the mouse, 0..29
    std::uint8_t MacroUse;
    std::uint8_t Pad1;
    char16_t szMacroName[51];  // at most 50 characters
    std::uint32_t Version;     // never written; kept as found
    std::int32_t HaveErrors;
    std::int32_t ErrorCount;
};

// The macros of a profile.
struct TMACROKEYINFOLIST {
    TMACROKEYINFO MacroInfos[30];
    std::uint16_t nMacroInfoCount;  // 0..30
    std::uint8_t Pad0[2];
};

struct TMACROINFOLIST_TO_DEVICE {
    std::uint8_t MacroInfos[4480];  // unused
    std::uint16_t nMacroInfoCount;  // unused
    std::uint8_t Pad0[2];
};

// Lighting.
struct TLEDCONFIG {
    std::uint8_t R;
    std::uint8_t G;
    std::uint8_t B;
    std::uint8_t BRIGHT_LEVEL;  // 0 off, 1 low, 2 medium, 3 high
    std::uint8_t BREATH_SPEED;  // 0 steady, 6 low, 3 medium, 1 high
    std::uint8_t BREATH_SECOND;
};

struct TSENSORLIFT {
    std::uint8_t SensorLift;
};

struct TPROFILE_MACRO_PATH {
    char16_t FilePath[513];
};

// One DPI level.
struct TCPISTATE {
    std::uint16_t X;
    std::uint16_t Y;
    std::uint16_t Enabled;  // 1 on, 0 off
    std::uint8_t Spare[4];  // unused
};

// ---------------------------------------------------------------------------------------------
// Button function

// FunctionType values: what the button-assignment menu chose.
enum : std::uint8_t {
    FUNCTION_TYPE_FIXED = 0,   // record 18, the profile-switch button
    FUNCTION_TYPE_DEVICE = 1,  // a device function without a key
    FUNCTION_TYPE_COMBO_KEY = 3,
    FUNCTION_TYPE_MACRO = 4,
    FUNCTION_TYPE_SINGLE_KEY = 8,
    FUNCTION_TYPE_CONSUMER_KEY = 10,  // also DISABLE
    FUNCTION_TYPE_MIC_MUTE = 11,
    FUNCTION_TYPE_FIRE_KEY = 13,
};

// FunctionCode values: the function byte the mouse receives for the button.
enum : std::int32_t {
    FUNCTION_CODE_CLICK = 1,
    FUNCTION_CODE_RIGHT_CLICK = 2,
    FUNCTION_CODE_MIDDLE_BUTTON = 3,
    FUNCTION_CODE_BACKWARD = 4,
    FUNCTION_CODE_FORWARD = 5,
    FUNCTION_CODE_DPI_SWITCH = 8,
    FUNCTION_CODE_DPI_MINUS = 9,
    FUNCTION_CODE_DPI_PLUS = 10,
    FUNCTION_CODE_PROFILE_SWITCH = 13,
    FUNCTION_CODE_CONSUMER_KEY = 14,
    FUNCTION_CODE_COMBO_KEY = 15,
    FUNCTION_CODE_SINGLE_KEY = 16,
    FUNCTION_CODE_MACRO = 17,
    FUNCTION_CODE_EXTRA = 18,
    FUNCTION_CODE_MIC_MUTE = 19,
    FUNCTION_CODE_FIRE_KEY = 25,
};

// The function assigned to one button. Which parameter fields count depends on FunctionCode;
// the others keep whatever they held before.
struct TBUTTONFUNCINFO {
    std::uint8_t Spare0[2];
    TSINGLEKEYINFO SingleKey;  // FunctionCode 16
    TCOMBOKEYINFO ComboKey;    // FunctionCode 15
    THID_CODE_INFO HIDCode;    // FunctionCode 14: consumer usage low, high byte
    std::uint8_t Spare1[62];
    char16_t MacroSetName[31];  // FunctionCode 17
    char16_t MacroName[31];
    TMACROKEYINFO MacroKeyInfo;
    std::uint8_t Spare2[12];
    std::uint8_t ParamByte;  // FunctionCodes 11 and 12
    std::uint8_t Spare3[2823];
    std::uint8_t ButtonMask[3];  // FunctionCode 19: bytes 1..3 of the ButtonMaskTable entry
    std::uint8_t Spare4;
    TADVANCEDFIREKEYINFO FireKey;  // FunctionCode 25
    std::int32_t ClickParam;       // FunctionCode 1
    std::int32_t ExtraParam;       // FunctionCode 18
    std::uint16_t ButtonIndex;     // 0..18
    std::uint16_t FunctionIndex;   // row of ButtonFunctionTable
    std::uint8_t FunctionType;
    std::uint8_t Pad0[3];
    std::int32_t FunctionCode;
    std::int32_t MenuID;  // 0 = the MenuID of row FunctionIndex
    std::uint8_t Spare5[4];
};

// ---------------------------------------------------------------------------------------------
// Profile

// The settings of one profile.
struct TMOUSECONFIGINFO {
    TBUTTONFUNCINFO ButtonFuncInfo[19];          // record 18 is the fixed profile-switch button
    TBUTTONFUNCINFO VWheelButtonFuncInfo[2];     // unused
    TBUTTONFUNCINFO HWheelButtonFuncInfo[2];     // unused
    std::uint16_t VWheelType;                    // unused
    std::uint16_t HWheelType;                    // unused
    std::uint16_t VWheelSpeed;                   // wheel lines, 1..10
    std::uint16_t HWheelSpeed;                   // unused
    std::uint16_t DoubleClickSpeed;              // ms, 200..900
    std::uint16_t PointerSpeed;                  // 1..20
    std::uint16_t PointerAcceleration;           // preset 0..3
    std::uint16_t UseSystemPointerSpeedSetting;  // unused
    std::uint16_t ReportRate;                    // Hz: 125, 250, 500, 1000
    std::uint8_t Pad0[2];
    std::int32_t CurrentCPIIndex;               // 0..4
    std::uint16_t CurrentCPIX;                  // unused
    std::uint16_t CurrentCPIY;                  // unused
    std::uint16_t MinCPI;                       // unused
    std::uint16_t MaxCPI;                       // unused
    std::uint16_t UseDiffentXY[11];             // per level: 1 = X and Y linked; 0..4 used
    std::uint16_t UseCPIOnScreenFlyShow;        // unused
    TCPISTATE CPIState[11];                     // 0..4 used
    std::uint16_t CPILevel;                     // levels shown and sent: 5
    std::uint16_t AutoSwitchProfileWhenAppRun;  // unused
    std::uint8_t ApplicationList[10260];        // unused
    TLEDCONFIG LEDConfig;
    TSENSORLIFT Sensorlift;
    std::uint8_t Pad1[3];
    std::int32_t ButtonCount;         // 18 in every created profile
    TPROFILE_MACRO_PATH ProfilePath;  // unused
    TPROFILE_MACRO_PATH MacroPath;    // unused
    std::int32_t FireKeySpeed;        // unused
    std::int32_t FireKeyCount;        // unused
};

// One game profile, stored raw.
struct TMouseProfileInfo {
    TProfileHeader ProfileHeader;
    TFUNCTIONLIST FunctionList;  // unused
    TMOUSECONFIGINFO ConfigInfo;
    TFUNCTIONLIST HWheelFunctionList;            // unused
    TFUNCTIONLIST VWheelFunctionList;            // unused
    TMACROKEYINFOLIST MacroKeyInfoList;          // stored with the profile, never read
    TMACROINFOLIST_TO_DEVICE MacroInfoToDevice;  // unused
    // Where the in-memory TOtherConfig sits in the layout. Inside a stored profile these bytes
    // mean nothing and are never interpreted; they only travel with the record.
    std::uint8_t OtherConfig[28];
    std::uint8_t Pad0[4];
};

// Format version of every profile the system creates.
inline constexpr std::int32_t PROFILE_FILE_VERSION = 0x103;

// ---------------------------------------------------------------------------------------------
// Profile store bookkeeping

// One slot of the setting group (and of the all-games table).
struct TProfileSetting {
    std::uint16_t SlotFlag;
    char16_t FilePath[1024];  // folder of the slot's profile file
    char16_t KeyPath[1024];   // written by the factory defaults, never read
    char16_t FileName[21];    // file name, also the registry value name
    char16_t MacroPath[1024];
    std::uint8_t StorageKind;  // 0 registry value, 1 profile file
    std::uint8_t Pad0;
};

// The all-games record.
struct TALLGAMESINFO {
    TProfileSetting Allgameset[5];  // written only by the factory defaults
    std::uint16_t CurrentGame;      // 0..4
    std::uint8_t CurrentLanguage;   // index in the language list
    std::uint8_t Pad0;
};

// The setting group.
struct TProfileSettingGroup {
    std::int32_t CurrentProfileGroup;            // 0 or 1
    std::int32_t ProfileIndexOfProfileGroup[2];  // factory (0, 1)
    TProfileSetting ProfileSettingList[5];
    std::uint8_t Pad0[2];
};

// ---------------------------------------------------------------------------------------------
// Memory-only records, filled from config.ini by the data module

struct TOtherConfig {
    std::int32_t ShowNumLock = 0;
    std::int32_t ShowCapsLock = 0;
    std::int32_t ShowScrollLock = 0;
    std::int32_t ShowLockStatePop = 0;
    QStringList HelpFile;  // "name=value" pairs of section HelpFiles, in file order
    std::int32_t Nologo = 0;
    QString OfficialWebsite;
    QString SupportEmail;  // our own key of section OtherConfig: the INFO page's e-mail line
};

struct TOptionsFromConfigFile {
    QString ProfileRegFolder;
    QString ProfileFolder;
    QString ProfileNamePrefix;
    QString ProfileMacroFolder;
};

// ---------------------------------------------------------------------------------------------
// Layout checks

#define VYK_RECORD(T, size)                                                             \
    static_assert(std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>, #T); \
    static_assert(sizeof(T) == (size), #T " size")
#define VYK_AT(T, field, off) static_assert(offsetof(T, field) == (off), #T "." #field)
// No byte of the record is hidden padding (unavailable where a double is involved; those
// records are checked field by field instead).
#define VYK_DENSE(T) static_assert(std::has_unique_object_representations_v<T>, #T " has holes")

VYK_RECORD(USAGE_AND_PAGE, 4);
VYK_AT(USAGE_AND_PAGE, Usage, 0);
VYK_AT(USAGE_AND_PAGE, UsagePage, 2);
VYK_DENSE(USAGE_AND_PAGE);

VYK_RECORD(TProfileUIDData, 8);
VYK_RECORD(TProfileHeader, 72);
VYK_AT(TProfileHeader, FFileVersion, 0);
VYK_AT(TProfileHeader, FFileType, 4);
VYK_AT(TProfileHeader, FFileName, 12);
VYK_AT(TProfileHeader, FProfileSize, 56);
VYK_AT(TProfileHeader, Pad0, 60);
VYK_AT(TProfileHeader, FProfileUID, 64);

VYK_RECORD(TFUNCTIONLIST, 800);
VYK_DENSE(TFUNCTIONLIST);

VYK_RECORD(TSINGLEKEYINFO, 66);
VYK_AT(TSINGLEKEYINFO, nKeyValue1, 0);
VYK_AT(TSINGLEKEYINFO, nKey1Extended, 2);
VYK_AT(TSINGLEKEYINFO, SingleKeyText, 4);
VYK_DENSE(TSINGLEKEYINFO);

VYK_RECORD(TCOMBOKEYINFO, 72);
VYK_AT(TCOMBOKEYINFO, nKeyValue1, 0);
VYK_AT(TCOMBOKEYINFO, nKey1Extended, 2);
VYK_AT(TCOMBOKEYINFO, nKeyValue2, 4);
VYK_AT(TCOMBOKEYINFO, nKey2Extended, 6);
VYK_AT(TCOMBOKEYINFO, nModifier, 8);
VYK_AT(TCOMBOKEYINFO, ComboKeyText, 10);
VYK_DENSE(TCOMBOKEYINFO);

VYK_RECORD(THID_CODE_INFO, 6);
VYK_AT(THID_CODE_INFO, nKeyValue1, 0);
VYK_AT(THID_CODE_INFO, nKeyValue2, 2);
VYK_AT(THID_CODE_INFO, nModifier, 4);
VYK_DENSE(THID_CODE_INFO);

VYK_RECORD(TADVANCEDFIREKEYINFO, 72);
VYK_AT(TADVANCEDFIREKEYINFO, nLoopCount, 0);
VYK_AT(TADVANCEDFIREKEYINFO, DelyValue, 2);
VYK_AT(TADVANCEDFIREKEYINFO, KeyCode, 4);
VYK_AT(TADVANCEDFIREKEYINFO, KeyValue, 6);
VYK_DENSE(TADVANCEDFIREKEYINFO);

VYK_RECORD(TMACROKEY, 6);
VYK_AT(TMACROKEY, nKeyType, 0);
VYK_AT(TMACROKEY, nKeyState, 2);
VYK_AT(TMACROKEY, VALUE1, 4);
VYK_AT(TMACROKEY, VALUE2, 5);
VYK_AT(TMACROKEY, MOUSE_Y, 5);
VYK_AT(TMACROKEY, DELAY_H, 5);
VYK_DENSE(TMACROKEY);

VYK_RECORD(TMACROKEYINFO, 896);
VYK_AT(TMACROKEYINFO, MacroList, 0);
VYK_AT(TMACROKEYINFO, MacroListCount, 768);
VYK_AT(TMACROKEYINFO, nAutoAddDelay, 772);
VYK_AT(TMACROKEYINFO, nLoopRunWhenPressed, 774);
VYK_AT(TMACROKEYINFO, Pad0, 775);
VYK_AT(TMACROKEYINFO, nLoopCount, 776);
VYK_AT(TMACROKEYINFO, nMacroIndex, 778);
VYK_AT(TMACROKEYINFO, MacroUse, 780);
VYK_AT(TMACROKEYINFO, Pad1, 781);
VYK_AT(TMACROKEYINFO, szMacroName, 782);
VYK_AT(TMACROKEYINFO, Version, 884);
VYK_AT(TMACROKEYINFO, HaveErrors, 888);
VYK_AT(TMACROKEYINFO, ErrorCount, 892);
VYK_DENSE(TMACROKEYINFO);

VYK_RECORD(TMACROKEYINFOLIST, 26884);
VYK_AT(TMACROKEYINFOLIST, MacroInfos, 0);
VYK_AT(TMACROKEYINFOLIST, nMacroInfoCount, 26880);
VYK_DENSE(TMACROKEYINFOLIST);

VYK_RECORD(TMACROINFOLIST_TO_DEVICE, 4484);
VYK_AT(TMACROINFOLIST_TO_DEVICE, nMacroInfoCount, 4480);
VYK_DENSE(TMACROINFOLIST_TO_DEVICE);

VYK_RECORD(TLEDCONFIG, 6);
VYK_AT(TLEDCONFIG, R, 0);
VYK_AT(TLEDCONFIG, G, 1);
VYK_AT(TLEDCONFIG, B, 2);
VYK_AT(TLEDCONFIG, BRIGHT_LEVEL, 3);
VYK_AT(TLEDCONFIG, BREATH_SPEED, 4);
VYK_AT(TLEDCONFIG, BREATH_SECOND, 5);
VYK_DENSE(TLEDCONFIG);

VYK_RECORD(TSENSORLIFT, 1);
VYK_RECORD(TPROFILE_MACRO_PATH, 1026);
VYK_DENSE(TPROFILE_MACRO_PATH);

VYK_RECORD(TCPISTATE, 10);
VYK_AT(TCPISTATE, X, 0);
VYK_AT(TCPISTATE, Y, 2);
VYK_AT(TCPISTATE, Enabled, 4);
VYK_AT(TCPISTATE, Spare, 6);
VYK_DENSE(TCPISTATE);

VYK_RECORD(TBUTTONFUNCINFO, 4168);
VYK_AT(TBUTTONFUNCINFO, Spare0, 0);
VYK_AT(TBUTTONFUNCINFO, SingleKey, 2);
VYK_AT(TBUTTONFUNCINFO, ComboKey, 68);
VYK_AT(TBUTTONFUNCINFO, HIDCode, 140);
VYK_AT(TBUTTONFUNCINFO, Spare1, 146);
VYK_AT(TBUTTONFUNCINFO, MacroSetName, 208);
VYK_AT(TBUTTONFUNCINFO, MacroName, 270);
VYK_AT(TBUTTONFUNCINFO, MacroKeyInfo, 332);
VYK_AT(TBUTTONFUNCINFO, MacroKeyInfo.nLoopRunWhenPressed, 1106);
VYK_AT(TBUTTONFUNCINFO, MacroKeyInfo.nMacroIndex, 1110);
VYK_AT(TBUTTONFUNCINFO, Spare2, 1228);
VYK_AT(TBUTTONFUNCINFO, ParamByte, 1240);
VYK_AT(TBUTTONFUNCINFO, Spare3, 1241);
VYK_AT(TBUTTONFUNCINFO, ButtonMask, 4064);
VYK_AT(TBUTTONFUNCINFO, Spare4, 4067);
VYK_AT(TBUTTONFUNCINFO, FireKey, 4068);
VYK_AT(TBUTTONFUNCINFO, ClickParam, 4140);
VYK_AT(TBUTTONFUNCINFO, ExtraParam, 4144);
VYK_AT(TBUTTONFUNCINFO, ButtonIndex, 4148);
VYK_AT(TBUTTONFUNCINFO, FunctionIndex, 4150);
VYK_AT(TBUTTONFUNCINFO, FunctionType, 4152);
VYK_AT(TBUTTONFUNCINFO, Pad0, 4153);
VYK_AT(TBUTTONFUNCINFO, FunctionCode, 4156);
VYK_AT(TBUTTONFUNCINFO, MenuID, 4160);
VYK_AT(TBUTTONFUNCINFO, Spare5, 4164);
VYK_DENSE(TBUTTONFUNCINFO);

VYK_RECORD(TMOUSECONFIGINFO, 108368);
VYK_AT(TMOUSECONFIGINFO, ButtonFuncInfo, 0);
VYK_AT(TMOUSECONFIGINFO, VWheelButtonFuncInfo, 79192);
VYK_AT(TMOUSECONFIGINFO, HWheelButtonFuncInfo, 87528);
VYK_AT(TMOUSECONFIGINFO, VWheelType, 95864);
VYK_AT(TMOUSECONFIGINFO, HWheelType, 95866);
VYK_AT(TMOUSECONFIGINFO, VWheelSpeed, 95868);
VYK_AT(TMOUSECONFIGINFO, HWheelSpeed, 95870);
VYK_AT(TMOUSECONFIGINFO, DoubleClickSpeed, 95872);
VYK_AT(TMOUSECONFIGINFO, PointerSpeed, 95874);
VYK_AT(TMOUSECONFIGINFO, PointerAcceleration, 95876);
VYK_AT(TMOUSECONFIGINFO, UseSystemPointerSpeedSetting, 95878);
VYK_AT(TMOUSECONFIGINFO, ReportRate, 95880);
VYK_AT(TMOUSECONFIGINFO, Pad0, 95882);
VYK_AT(TMOUSECONFIGINFO, CurrentCPIIndex, 95884);
VYK_AT(TMOUSECONFIGINFO, CurrentCPIX, 95888);
VYK_AT(TMOUSECONFIGINFO, CurrentCPIY, 95890);
VYK_AT(TMOUSECONFIGINFO, MinCPI, 95892);
VYK_AT(TMOUSECONFIGINFO, MaxCPI, 95894);
VYK_AT(TMOUSECONFIGINFO, UseDiffentXY, 95896);
VYK_AT(TMOUSECONFIGINFO, UseCPIOnScreenFlyShow, 95918);
VYK_AT(TMOUSECONFIGINFO, CPIState, 95920);
VYK_AT(TMOUSECONFIGINFO, CPILevel, 96030);
VYK_AT(TMOUSECONFIGINFO, AutoSwitchProfileWhenAppRun, 96032);
VYK_AT(TMOUSECONFIGINFO, ApplicationList, 96034);
VYK_AT(TMOUSECONFIGINFO, LEDConfig, 106294);
VYK_AT(TMOUSECONFIGINFO, Sensorlift, 106300);
VYK_AT(TMOUSECONFIGINFO, Pad1, 106301);
VYK_AT(TMOUSECONFIGINFO, ButtonCount, 106304);
VYK_AT(TMOUSECONFIGINFO, ProfilePath, 106308);
VYK_AT(TMOUSECONFIGINFO, MacroPath, 107334);
VYK_AT(TMOUSECONFIGINFO, FireKeySpeed, 108360);
VYK_AT(TMOUSECONFIGINFO, FireKeyCount, 108364);
VYK_DENSE(TMOUSECONFIGINFO);

VYK_RECORD(TMouseProfileInfo, 142240);
VYK_AT(TMouseProfileInfo, ProfileHeader, 0);
VYK_AT(TMouseProfileInfo, FunctionList, 72);
VYK_AT(TMouseProfileInfo, ConfigInfo, 872);
VYK_AT(TMouseProfileInfo, HWheelFunctionList, 109240);
VYK_AT(TMouseProfileInfo, VWheelFunctionList, 110040);
VYK_AT(TMouseProfileInfo, MacroKeyInfoList, 110840);
VYK_AT(TMouseProfileInfo, MacroInfoToDevice, 137724);
VYK_AT(TMouseProfileInfo, OtherConfig, 142208);
VYK_AT(TMouseProfileInfo, Pad0, 142236);
// Button record i starts at 872 + 4168 * i; its FunctionType is at 5024 + 4168 * i and its
// macro index at 1982 + 4168 * i.
VYK_AT(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[1], 872 + 4168);
VYK_AT(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[0].FunctionType, 5024);
VYK_AT(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[18].FunctionType, 5024 + 4168 * 18);
VYK_AT(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[0].MacroKeyInfo.nMacroIndex, 1982);
VYK_AT(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[7].MacroKeyInfo.nMacroIndex, 1982 + 4168 * 7);

VYK_RECORD(TProfileSetting, 6190);
VYK_AT(TProfileSetting, SlotFlag, 0);
VYK_AT(TProfileSetting, FilePath, 2);
VYK_AT(TProfileSetting, KeyPath, 2050);
VYK_AT(TProfileSetting, FileName, 4098);
VYK_AT(TProfileSetting, MacroPath, 4140);
VYK_AT(TProfileSetting, StorageKind, 6188);
VYK_AT(TProfileSetting, Pad0, 6189);
VYK_DENSE(TProfileSetting);

VYK_RECORD(TALLGAMESINFO, 30954);
VYK_AT(TALLGAMESINFO, Allgameset, 0);
VYK_AT(TALLGAMESINFO, CurrentGame, 30950);
VYK_AT(TALLGAMESINFO, CurrentLanguage, 30952);
VYK_AT(TALLGAMESINFO, Pad0, 30953);
VYK_DENSE(TALLGAMESINFO);

VYK_RECORD(TProfileSettingGroup, 30964);
VYK_AT(TProfileSettingGroup, CurrentProfileGroup, 0);
VYK_AT(TProfileSettingGroup, ProfileIndexOfProfileGroup, 4);
VYK_AT(TProfileSettingGroup, ProfileSettingList, 12);
VYK_AT(TProfileSettingGroup, Pad0, 30962);
VYK_DENSE(TProfileSettingGroup);

#undef VYK_RECORD
#undef VYK_AT
#undef VYK_DENSE

// ---------------------------------------------------------------------------------------------
// Constant tables

// One row of ButtonFunctionTable: a row of the assignment menu and what it stores per button.
struct TBUTTONFUNCTIONROW {
    std::int32_t Index;
    std::int32_t FunctionCode;
    std::int32_t MenuID;
};
static_assert(sizeof(TBUTTONFUNCTIONROW) == 12);

inline constexpr std::array<TBUTTONFUNCTIONROW, 39> ButtonFunctionTable{{
    {0, 1, 1},         // click
    {1, 2, 2},         // right click
    {2, 3, 3},         // middle button
    {3, 5, 4},         // forward
    {4, 4, 5},         // backward
    {5, 16, 6},        // single key
    {6, 15, 7},        // combination key
    {7, 15, 801},      // cut (Ctrl+X)
    {8, 15, 802},      // copy (Ctrl+C)
    {9, 15, 803},      // paste (Ctrl+V)
    {10, 15, 804},     // select all (Ctrl+A)
    {11, 15, 805},     // find (Ctrl+F)
    {12, 15, 806},     // new (Ctrl+N)
    {13, 15, 807},     // print (Ctrl+P)
    {14, 15, 808},     // save (Ctrl+S)
    {15, 15, 901},     // switch window (Alt+Tab)
    {16, 15, 902},     // close window (Alt+F4)
    {17, 15, 903},     // open explorer (Win+E)
    {18, 15, 904},     // run (Win+R)
    {19, 15, 905},     // show desktop (Win+D)
    {20, 15, 906},     // lock PC (Win+L)
    {21, 14, 1001},    // play/pause
    {22, 14, 1002},    // stop
    {23, 14, 1003},    // previous track
    {24, 14, 1004},    // next track
    {25, 14, 1005},    // volume up
    {26, 14, 1006},    // volume down
    {27, 14, 1007},    // mute
    {28, 19, 1008},    // microphone mute
    {29, 14, 1009},    // refresh (consumer usage 0x0227); not in any shown menu
    {30, 17, 11},      // macro
    {31, 25, 12},      // fire key
    {32, 8, 13},       // DPI switch
    {33, 10, 14},      // DPI +
    {34, 9, 15},       // DPI -
    {35, 13, 16},      // profile switch
    {36, 18, 170101},  // not in any shown menu
    {37, 18, 170102},  // not in any shown menu
    {38, 14, 18},      // not in any shown menu
}};

// Entry j: the input report ID 7, then the 24-bit one-hot mask 1 << j, little-endian.
inline constexpr std::array<std::array<std::uint8_t, 4>, 24> ButtonMaskTable = [] {
    std::array<std::array<std::uint8_t, 4>, 24> t{};
    for (std::size_t j = 0; j < t.size(); ++j) {
        const std::uint32_t mask = std::uint32_t{1} << j;
        t[j] = {0x07, static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8),
                static_cast<std::uint8_t>(mask >> 16)};
    }
    return t;
}();

// Slot k of the mouse's button table takes button record DeviceButtonOrder[k] - 1.
inline constexpr std::array<std::int32_t, 19> DeviceButtonOrder{1,  2,  3,  7,  8,  9,  4,  6,  5, 19,
                                                                10, 11, 12, 13, 14, 15, 16, 17, 18};

static_assert(ButtonFunctionTable[38].Index == 38 && ButtonFunctionTable[28].FunctionCode == 19);
static_assert(ButtonMaskTable[18] == std::array<std::uint8_t, 4>{0x07, 0x00, 0x00, 0x04});
static_assert(DeviceButtonOrder[9] == 19);

// ---------------------------------------------------------------------------------------------
// String constants

inline constexpr QLatin1String CONFIG_MAIN_CLASS_NAME{"TVYKCFGMAIN"};
inline constexpr QLatin1String CONFIG_EXE_NAME{"VYKCFG.EXE"};
inline constexpr QLatin1String CONFIG_APP_TITLE{"GAMING MOUSE CONFIG"};
inline constexpr QLatin1String MONITOR_MAIN_CLASS_NAME{"TVYKMONMAIN"};
inline constexpr QLatin1String MONITOR_EXE_NAME{"VYKMON.EXE"};
inline constexpr QLatin1String MONITOR_APP_TITLE{"GAMING MOUSE MONITOR"};
inline constexpr QLatin1String MONITOR_TRAY_HINT{"GAMING MOUSE DRIVER"};
inline constexpr QLatin1String SETTINGS_CHANGED_TEXT{"THE SETTINGS HAS CHANGED, WOULD YOU LIKE TO SAVE?"};
inline constexpr QLatin1String WARNING_TEXT{"WARNING!"};
inline constexpr QLatin1String PROFILE_VERSION_INCORRECT_TEXT{"GAMING MOUSE PROFILE VERSION INCORRECT!"};

// ---------------------------------------------------------------------------------------------
// The HID selector of the mouse's configuration interface: usage 1, usage page 0xFFA0.
inline constexpr USAGE_AND_PAGE ConfigUsageAndPage{1, 0xFFA0};
