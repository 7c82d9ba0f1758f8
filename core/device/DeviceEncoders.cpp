#include "core/device/DeviceEncoders.h"

#include "core/defs/uiKeyCode.h"
#include "core/device/DeviceProtocol.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::uint8_t lowByte(std::int64_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

std::uint8_t highByte(std::int64_t value) { return static_cast<std::uint8_t>((value >> 8) & 0xFF); }

// Browser, volume, media and launch keys carry a consumer-page usage, which the keyboard
// slots of a device block cannot hold: their low byte would name another keyboard key
// (Volume Mute would press Left Alt, Browser Back the digit 7). In a key slot they are sent
// as no key; the media-key function sends them on the consumer page.
bool isConsumerPageKey(int vk) { return vk >= 0xA6 && vk <= 0xB7; }

// The HID usage of a key as the mouse takes it: its low byte.
std::uint8_t keyUsage(int vk, int extended) {
    if (isConsumerPageKey(vk)) return 0;
    return lowByte(VKToHIDCode(vk, extended));
}

// Actions of a macro that reach the device: MacroListCount taken as 0..59.
int deviceActionCount(const TMACROKEYINFO& macro) {
    return std::clamp<std::int32_t>(macro.MacroListCount, 0, MACRO_MAX_DEVICE_ACTIONS);
}

// Byte length of the macro as the device holds it, as a button announces it: 0 for a macro
// without actions.
int macroDeviceLength(const TMACROKEYINFO& macro) {
    const int a = deviceActionCount(macro);
    return a > 0 ? MACRO_ENTRY_SIZE * (a + 1) : 0;
}

void encodeButton(const TBUTTONFUNCINFO& b, std::uint8_t* entry) {
    std::uint8_t p1 = 0, p2 = 0, p3 = 0;
    switch (b.FunctionCode) {
    case FUNCTION_CODE_CLICK: p1 = lowByte(b.ClickParam); break;
    case 11:
    case 12: p1 = b.ParamByte; break;
    case FUNCTION_CODE_CONSUMER_KEY:
        // The consumer usage, stored split into its low and high byte.
        p2 = lowByte(b.HIDCode.nKeyValue1);
        p3 = lowByte(b.HIDCode.nKeyValue2);
        break;
    case FUNCTION_CODE_COMBO_KEY:
        p1 = ModifierToHIDModifier(lowByte(b.ComboKey.nModifier));
        p2 = keyUsage(b.ComboKey.nKeyValue1, b.ComboKey.nKey1Extended);
        p3 = keyUsage(b.ComboKey.nKeyValue2, b.ComboKey.nKey2Extended);
        break;
    case FUNCTION_CODE_SINGLE_KEY: p2 = keyUsage(b.SingleKey.nKeyValue1, b.SingleKey.nKey1Extended); break;
    case FUNCTION_CODE_MACRO: {
        const TMACROKEYINFO& m = b.MacroKeyInfo;
        p1 = lowByte(m.nMacroIndex);
        if (m.nLoopRunWhenPressed != 0) p1 |= 0x80;
        const int length = macroDeviceLength(m);
        p2 = lowByte(length);
        p3 = highByte(length);
        break;
    }
    case FUNCTION_CODE_EXTRA: p3 = lowByte(b.ExtraParam); break;
    case FUNCTION_CODE_MIC_MUTE:
        p1 = b.ButtonMask[0];
        p2 = b.ButtonMask[1];
        p3 = b.ButtonMask[2];
        break;
    case FUNCTION_CODE_FIRE_KEY:
        p1 = lowByte(b.FireKey.KeyCode);
        p2 = lowByte(b.FireKey.nLoopCount);
        p3 = lowByte(b.FireKey.DelyValue);
        break;
    default: break;
    }
    entry[0] = lowByte(b.FunctionCode);
    entry[1] = p1;
    entry[2] = p2;
    entry[3] = p3;
}

}  // namespace

void BuildButtonTable(const TMouseProfileInfo& profile, TButtonTable& table) {
    table.fill(0);
    const TMOUSECONFIGINFO& config = profile.ConfigInfo;
    // The count is the low byte of the stored one; a byte above 19 would address entries
    // beyond the table and records beyond the profile's 19, so it encodes the 19 that exist.
    const int count = std::min<int>(lowByte(config.ButtonCount), DEVICE_BUTTON_COUNT);
    table[0] = static_cast<std::uint8_t>(count);
    for (int k = 0; k < count; ++k) encodeButton(config.ButtonFuncInfo[k], table.data() + 1 + 4 * k);
}

void BuildCPITable(const TMouseProfileInfo& profile, TCPITable& table) {
    table.fill(0);
    const TMOUSECONFIGINFO& config = profile.ConfigInfo;
    table[0] = lowByte(config.CPILevel);
    table[1] = lowByte(config.CurrentCPIIndex);
    for (int i = 0; i < CPI_LEVEL_COUNT; ++i) {
        const TCPISTATE& level = config.CPIState[i];
        std::uint8_t* e = table.data() + 2 + 8 * i;
        const unsigned x = level.X / 50u;
        const unsigned y = level.Y / 50u;
        e[0] = lowByte(level.Enabled);
        e[1] = lowByte(x);
        e[2] = highByte(x);
        e[3] = lowByte(y);
        e[4] = highByte(y);
        e[5] = static_cast<std::uint8_t>((1u << i) - 1u);
        e[6] = 0;
        e[7] = 0;
    }
}

std::uint8_t ReportRateToDeviceCode(const TMouseProfileInfo& profile) {
    switch (profile.ConfigInfo.ReportRate) {
    case 125: return 8;
    case 250: return 4;
    case 500: return 2;
    case 1000: return 1;
    default: return 2;  // a rate the control never offers: the factory 500 Hz
    }
}

void EncodeMacroAction(int type, int state, int value1, int value2, TMacroEntry entry) {
    if (state != 0 && state != 1) {
        entry[0] = entry[1] = entry[2] = 0;
        return;
    }
    const std::uint8_t stateBit = static_cast<std::uint8_t>(state << 7);
    if (type == MACRO_KEY_TYPE_DELAY) {
        // The delay in ms, little-endian; a delay carries no state bit.
        entry[0] = MACRO_KEY_TYPE_DELAY;
        entry[1] = lowByte(value1);
        entry[2] = lowByte(value2);
    } else if (type == MACRO_KEY_TYPE_LOOP) {
        entry[0] = static_cast<std::uint8_t>(MACRO_KEY_TYPE_LOOP | stateBit);
        if (value1 > 0) {
            entry[1] = 0;
            entry[2] = 0;
        } else {
            entry[1] = lowByte(value2);
            entry[2] = highByte(value2);
        }
    } else {
        entry[0] = static_cast<std::uint8_t>(lowByte(type) | stateBit);
        entry[1] = lowByte(value1);
        entry[2] = lowByte(value2);
    }
}

int GetMacroEntryCount(const TMACROKEYINFO& macro) {
    // Entries of the macro as the device holds it: at most 59 actions and the terminator,
    // the same count that a button announces (three bytes an entry).
    const int count = deviceActionCount(macro);
    return count > 0 ? count + 1 : 0;
}

void BuildMacroTables(const TMACROKEYINFOLIST& list, TMacroTables& tables) {
    std::fill(std::begin(tables.Lengths), std::end(tables.Lengths), 0);
    const int macros = std::min<int>(list.nMacroInfoCount, MACRO_BLOCK_COUNT);
    for (int m = 0; m < macros; ++m) {
        const TMACROKEYINFO& macro = list.MacroInfos[m];
        std::uint8_t* block = tables.Blocks[m];
        // Only what fits the block beside its terminator: at most 59 actions.
        const int a = deviceActionCount(macro);
        tables.Lengths[m] = MACRO_ENTRY_SIZE * a + MACRO_ENTRY_SIZE;
        for (int j = 0; j < a; ++j) {
            const TMACROKEY& action = macro.MacroList[j];
            int value1 = action.VALUE1;
            if (action.nKeyType == MACRO_KEY_TYPE_KEY) value1 = keyUsage(action.VALUE1, action.VALUE2);
            EncodeMacroAction(action.nKeyType, action.nKeyState, value1, action.VALUE2,
                              TMacroEntry(block + MACRO_ENTRY_SIZE * j, MACRO_ENTRY_SIZE));
        }
        EncodeMacroAction(MACRO_KEY_TYPE_LOOP, 0, macro.nLoopRunWhenPressed, macro.nLoopCount,
                          TMacroEntry(block + MACRO_ENTRY_SIZE * a, MACRO_ENTRY_SIZE));
    }
}

void ReorderButtonFunctions(TMouseProfileInfo& profile, std::span<const std::int32_t> order) {
    TBUTTONFUNCINFO* records = profile.ConfigInfo.ButtonFuncInfo;
    const std::size_t n = std::min<std::size_t>(order.size(), DEVICE_BUTTON_COUNT);
    // 19 records of 4 KiB: keep the scratch copy off the stack.
    std::vector<TBUTTONFUNCINFO> scratch(n);
    for (std::size_t k = 0; k < n; ++k) {
        const std::int32_t number = order[k];
        const bool valid = number >= 1 && number <= DEVICE_BUTTON_COUNT;
        scratch[k] = records[valid ? number - 1 : static_cast<std::int32_t>(k)];
    }
    std::copy(scratch.begin(), scratch.end(), records);
}

std::uint32_t WriteButtonTable(TuiHIDData& hid, const TButtonTable& table, int address) {
    return WriteDeviceMemory(hid, table.data(), static_cast<std::uint32_t>(table.size()), address);
}

std::uint32_t WriteMacroTables(TuiHIDData& hid, const TMacroTables& tables, int base) {
    std::uint32_t result = 0;
    for (int m = 0; m < MACRO_BLOCK_COUNT; ++m) {
        const std::int32_t length = tables.Lengths[m];
        if (length <= 0) continue;
        // A length above the block would send the next block's bytes (or the lengths) along.
        const auto n = static_cast<std::uint32_t>(std::min<std::int32_t>(length, MACRO_BLOCK_SIZE));
        const std::uint32_t r = WriteDeviceMemory(hid, tables.Blocks[m], n, base + m * MACRO_DEVICE_STRIDE);
        if (r != 0 && result == 0) result = r;
    }
    return result;
}
