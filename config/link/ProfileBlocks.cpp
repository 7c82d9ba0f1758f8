#include "config/link/ProfileBlocks.h"

namespace {

// The fixed assignment of button record 18 (the one the window never shows): profile switch.
constexpr int kFixedRecord = 18;
constexpr std::int32_t kFixedFunctionCode = FUNCTION_CODE_PROFILE_SWITCH;  // 13

static_assert(kButtonRecords == DEVICE_BUTTON_COUNT);
static_assert(kMacroSlots == MACRO_BLOCK_COUNT);

// Lets each macro button of the working copy announce the macro actually written at its
// index: its action count and loop flag from the set, 0 actions when nothing is written there
// (an unknown index, an empty or unused macro). A record in asStored announces what it holds,
// as it did when it was written.
void announceWrittenMacros(TMouseProfileInfo& copy, const TMacroTables& tables, const TMACROKEYINFOLIST& list,
                           TButtonRecordSet asStored) {
    for (int k = 0; k < DEVICE_BUTTON_COUNT; ++k) {
        TBUTTONFUNCINFO& b = copy.ConfigInfo.ButtonFuncInfo[k];
        if (b.FunctionCode != FUNCTION_CODE_MACRO || asStored.test(static_cast<std::size_t>(k))) continue;
        TMACROKEYINFO& m = b.MacroKeyInfo;
        const int index = m.nMacroIndex;
        const bool written = index < MACRO_BLOCK_COUNT && tables.Lengths[index] > 0;
        m.MacroListCount = written ? tables.Lengths[index] / MACRO_ENTRY_SIZE - 1 : 0;
        if (written && index < list.nMacroInfoCount) {
            m.nLoopRunWhenPressed = list.MacroInfos[index].nLoopRunWhenPressed;
        }
    }
}

}  // namespace

TLEDCONFIG DeviceLighting(const TLEDCONFIG& lighting) {
    TLEDCONFIG led = lighting;
    led.R = static_cast<std::uint8_t>(~led.R);
    led.G = static_cast<std::uint8_t>(~led.G);
    led.B = static_cast<std::uint8_t>(~led.B);
    return led;
}

std::unique_ptr<TMacroTables> UsedMacroTables(const TUsedMacros& macros) {
    auto tables = std::make_unique<TMacroTables>();  // zero-filled
    BuildMacroTables(macros.List, *tables);
    for (int m = 0; m < MACRO_BLOCK_COUNT; ++m) {
        if (!macros.Used.test(static_cast<std::size_t>(m))) tables->Lengths[m] = 0;
    }
    return tables;
}

TProfileBlocks ProfileBlocks(const TMouseProfileInfo& profile, const TUsedMacros& macros, TButtonRecordSet asStored) {
    auto copy = std::make_unique<TMouseProfileInfo>(profile);
    TMOUSECONFIGINFO& c = copy->ConfigInfo;
    c.ButtonCount = DEVICE_BUTTON_COUNT;
    c.ButtonFuncInfo[kFixedRecord].FunctionType = FUNCTION_TYPE_FIXED;
    c.ButtonFuncInfo[kFixedRecord].FunctionCode = kFixedFunctionCode;
    announceWrittenMacros(*copy, *UsedMacroTables(macros), macros.List, asStored);
    ReorderButtonFunctions(*copy, DeviceButtonOrder);

    TProfileBlocks blocks;
    BuildButtonTable(*copy, blocks.Buttons);
    blocks.Lighting = DeviceLighting(c.LEDConfig);
    BuildCPITable(*copy, blocks.DPILevels);
    blocks.ReportRate = ReportRateToDeviceCode(profile);
    return blocks;
}
