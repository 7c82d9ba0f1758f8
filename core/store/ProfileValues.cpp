#include "core/store/ProfileValues.h"

#include "core/defs/uiKeyCode.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <set>

namespace vyk::store {

namespace {

constexpr int kAssignRecords = 18;  // records 0..17 have an assignment button
constexpr int kFixedRecord = 18;    // the profile-switch button, never edited
constexpr int kLevels = 5;          // DPI levels the window shows and sends
constexpr int kLastMenuRow = 35;    // rows 36..38 are not offered by any menu
constexpr int kMacroRow = 30;
constexpr int kMenuMacro = 11;
constexpr int kMenuFirstMacro = 1102;
constexpr int kMacroSlots = 30;
constexpr int kMaxMacroActions = 128;
constexpr int kMenuDisable = 17;
constexpr int kMaxModifier = 15;  // Alt, Ctrl, Shift, Win
constexpr int kMaxVK = 0xFF;
constexpr std::uint8_t kMaxSensorLift = 32;
constexpr std::uint16_t kMinDpi = 50, kMaxDpi = 16400, kDpiStep = 50;

// The FunctionType the assignment gives each menu row.
std::uint8_t typeOfRow(int row) {
    if (row <= 4) return FUNCTION_TYPE_DEVICE;
    if (row == 5) return FUNCTION_TYPE_SINGLE_KEY;
    if (row <= 20) return FUNCTION_TYPE_COMBO_KEY;
    if (row <= 27 || row == 29) return FUNCTION_TYPE_CONSUMER_KEY;
    if (row == 28) return FUNCTION_TYPE_MIC_MUTE;
    if (row == kMacroRow) return FUNCTION_TYPE_MACRO;
    if (row == 31) return FUNCTION_TYPE_FIRE_KEY;
    return FUNCTION_TYPE_DEVICE;  // 32..35: DPI switch, DPI +, DPI -, profile switch
}

// The consumer usage a media row stores, split into its low and high byte.
std::uint16_t usageOfRow(int row) {
    if (row == 29) return 0x0227;
    THID_CODE_INFO media{};
    GetMediaHIDCodeInfo(row - 21, media);
    return media.nKeyValue1;
}

// A key as the key dialogs capture it: a virtual-key code and the extended flag 0 or 1.
bool keyValid(std::uint16_t vk, std::uint16_t extended) { return vk <= kMaxVK && extended <= 1; }

// What the fire-key dialog can store as the fired key: a mouse button or a keyboard usage.
const std::set<int>& fireKeyCodes() {
    static const std::set<int> codes = [] {
        std::set<int> s{0, 0x81, 0x82, 0x84};
        for (int vk = 0; vk <= kMaxVK; ++vk) {
            for (int ext = 0; ext <= 1; ++ext) s.insert(VKToHIDCode(vk, ext));
        }
        return s;
    }();
    return codes;
}

bool menuIDValid(const TBUTTONFUNCINFO& b, int row) {
    if (b.MenuID == 0) return true;
    if (row == kMacroRow) {
        return b.MenuID == kMenuMacro || (b.MenuID >= kMenuFirstMacro && b.MenuID < kMenuFirstMacro + kMacroSlots);
    }
    return b.MenuID == ButtonFunctionTable[static_cast<std::size_t>(row)].MenuID;
}

bool parametersValid(const TBUTTONFUNCINFO& b, int index, int row) {
    switch (b.FunctionCode) {
    case FUNCTION_CODE_CLICK: return b.ClickParam == 0 || b.ClickParam == 1;
    case FUNCTION_CODE_CONSUMER_KEY: {
        const std::uint16_t u = usageOfRow(row);
        return b.HIDCode.nKeyValue1 == (u & 0xFF) && b.HIDCode.nKeyValue2 == (u >> 8) && b.HIDCode.nModifier == 0;
    }
    case FUNCTION_CODE_COMBO_KEY:
        return b.ComboKey.nModifier <= kMaxModifier && keyValid(b.ComboKey.nKeyValue1, b.ComboKey.nKey1Extended) &&
               keyValid(b.ComboKey.nKeyValue2, b.ComboKey.nKey2Extended);
    case FUNCTION_CODE_SINGLE_KEY: return keyValid(b.SingleKey.nKeyValue1, b.SingleKey.nKey1Extended);
    case FUNCTION_CODE_MACRO:
        return b.MacroKeyInfo.nMacroIndex < kMacroSlots && b.MacroKeyInfo.nLoopRunWhenPressed <= 1 &&
               b.MacroKeyInfo.MacroListCount >= 0 && b.MacroKeyInfo.MacroListCount <= kMaxMacroActions;
    case FUNCTION_CODE_MIC_MUTE:
        return std::equal(b.ButtonMask, b.ButtonMask + 3, ButtonMaskTable[static_cast<std::size_t>(index)].begin() + 1);
    case FUNCTION_CODE_FIRE_KEY:
        return fireKeyCodes().count(b.FireKey.KeyCode) != 0 && b.FireKey.nLoopCount >= 1 &&
               b.FireKey.nLoopCount <= 255 && b.FireKey.DelyValue >= 1 && b.FireKey.DelyValue <= 255;
    default: return true;
    }
}

bool dpiValid(std::uint16_t v) { return v >= kMinDpi && v <= kMaxDpi && v % kDpiStep == 0; }

// Replaces the function of a button record by the factory one; the spare bytes at the end of
// the record, and the menu ID of the fixed record (which the factory keeps too), stay.
void takeFactoryFunction(TBUTTONFUNCINFO& b, const TBUTTONFUNCINFO& factory, int index) {
    const std::size_t n = index == kFixedRecord ? offsetof(TBUTTONFUNCINFO, MenuID) : offsetof(TBUTTONFUNCINFO, Spare5);
    std::memcpy(static_cast<void*>(&b), &factory, n);
}

}  // namespace

ProfileShape profileShape(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != sizeof(TMouseProfileInfo)) return ProfileShape::WrongSize;
    std::int32_t version = 0;
    std::memcpy(&version,
                bytes.data() + offsetof(TMouseProfileInfo, ProfileHeader) + offsetof(TProfileHeader, FFileVersion),
                sizeof version);
    return version == PROFILE_FILE_VERSION ? ProfileShape::Whole : ProfileShape::WrongVersion;
}

bool ButtonFunctionValid(const TBUTTONFUNCINFO& b, int index) {
    if (index == kFixedRecord) {
        return b.FunctionType == FUNCTION_TYPE_FIXED && b.FunctionIndex == 0 &&
               b.FunctionCode == FUNCTION_CODE_PROFILE_SWITCH;
    }
    if (index < 0 || index >= kAssignRecords) return false;
    if (b.MenuID == kMenuDisable) {
        // DISABLE has no row of its own: the row number it stores is its menu ID.
        return b.FunctionType == FUNCTION_TYPE_CONSUMER_KEY && b.FunctionIndex == kMenuDisable && b.FunctionCode == 0;
    }
    const int row = b.FunctionIndex;
    if (row > kLastMenuRow) return false;
    return b.FunctionCode == ButtonFunctionTable[static_cast<std::size_t>(row)].FunctionCode &&
           b.FunctionType == typeOfRow(row) && menuIDValid(b, row) && parametersValid(b, index, row);
}

QStringList RepairProfileValues(TMouseProfileInfo& AProfile, const TMouseProfileInfo& AFactory) {
    QStringList fixed;
    TMOUSECONFIGINFO& c = AProfile.ConfigInfo;
    const TMOUSECONFIGINFO& f = AFactory.ConfigInfo;
    const auto take = [&fixed](auto& field, const auto& factory, bool valid, const QString& name) {
        if (valid) return;
        field = factory;
        fixed.append(name);
    };

    for (int i = 0; i <= kFixedRecord; ++i) {
        if (ButtonFunctionValid(c.ButtonFuncInfo[i], i)) continue;
        takeFactoryFunction(c.ButtonFuncInfo[i], f.ButtonFuncInfo[i], i);
        fixed.append(QStringLiteral("button %1").arg(i + 1));
    }
    take(c.ButtonCount, f.ButtonCount, c.ButtonCount == kAssignRecords, QStringLiteral("button count"));

    take(c.CPILevel, f.CPILevel, c.CPILevel == kLevels, QStringLiteral("DPI level count"));
    take(c.CurrentCPIIndex, f.CurrentCPIIndex, c.CurrentCPIIndex >= 0 && c.CurrentCPIIndex < kLevels,
         QStringLiteral("current DPI level"));
    for (int l = 0; l < kLevels; ++l) {
        TCPISTATE& s = c.CPIState[l];
        const TCPISTATE& fs = f.CPIState[l];
        const QString level = QStringLiteral("DPI level %1 ").arg(l + 1);
        take(s.X, fs.X, dpiValid(s.X), level + QStringLiteral("X"));
        take(s.Y, fs.Y, dpiValid(s.Y), level + QStringLiteral("Y"));
        take(s.Enabled, fs.Enabled, s.Enabled <= 1, level + QStringLiteral("on/off"));
        take(c.UseDiffentXY[l], f.UseDiffentXY[l], c.UseDiffentXY[l] <= 1, level + QStringLiteral("LINK XY"));
    }
    if (std::none_of(c.CPIState, c.CPIState + kLevels, [](const TCPISTATE& s) { return s.Enabled == 1; })) {
        // The window never switches the last level off.
        for (int l = 0; l < kLevels; ++l) c.CPIState[l].Enabled = f.CPIState[l].Enabled;
        fixed.append(QStringLiteral("DPI levels all off"));
    }

    const std::uint16_t rate = c.ReportRate;
    take(c.ReportRate, f.ReportRate, rate == 125 || rate == 250 || rate == 500 || rate == 1000,
         QStringLiteral("polling rate"));

    TLEDCONFIG& led = c.LEDConfig;
    take(led.BRIGHT_LEVEL, f.LEDConfig.BRIGHT_LEVEL, led.BRIGHT_LEVEL <= 3, QStringLiteral("brightness"));
    const std::uint8_t speed = led.BREATH_SPEED;
    take(led.BREATH_SPEED, f.LEDConfig.BREATH_SPEED, speed == 0 || speed == 1 || speed == 3 || speed == 6,
         QStringLiteral("breathing speed"));
    take(led.BREATH_SECOND, f.LEDConfig.BREATH_SECOND, led.BREATH_SECOND == 0, QStringLiteral("breathing seconds"));

    take(c.Sensorlift.SensorLift, f.Sensorlift.SensorLift, c.Sensorlift.SensorLift <= kMaxSensorLift,
         QStringLiteral("sensor lift"));
    return fixed;
}

}  // namespace vyk::store
