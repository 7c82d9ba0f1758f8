#pragma once
// Encoders that turn a profile and a macro list into the compact blocks the mouse keeps in its
// memory: the 77-byte button table, the 42-byte DPI table, the polling-rate code and the
// encoded macros; and the two writers that send the button table and the macros.
//
// Every encoder is a pure function of its input. Stored records are not trusted: counts out
// of range are clamped so nothing is ever read or written outside a record or a block (see
// each function for what it does with such values).

#include "core/defs/pubunit_norvane.h"

#include <array>
#include <cstdint>
#include <span>

class TuiHIDData;

constexpr int DEVICE_BUTTON_COUNT = 19;                         // button slots of the device's button table
constexpr int BUTTON_TABLE_SIZE = 1 + 4 * DEVICE_BUTTON_COUNT;  // 77
constexpr int CPI_LEVEL_COUNT = 5;
constexpr int CPI_TABLE_SIZE = 2 + 8 * CPI_LEVEL_COUNT;  // 42
constexpr int MACRO_ENTRY_SIZE = 3;
constexpr int MACRO_BLOCK_SIZE = 180;
constexpr int MACRO_BLOCK_COUNT = 30;
constexpr int MACRO_DEVICE_STRIDE = 200;  // distance of two macros in device memory
// Actions that fit a block beside the terminator entry: 59.
constexpr int MACRO_MAX_DEVICE_ACTIONS = MACRO_BLOCK_SIZE / MACRO_ENTRY_SIZE - 1;

// Macro action kinds that the encoder treats specially.
constexpr int MACRO_KEY_TYPE_KEY = 4;
constexpr int MACRO_KEY_TYPE_DELAY = 6;
constexpr int MACRO_KEY_TYPE_LOOP = 7;

using TButtonTable = std::array<std::uint8_t, BUTTON_TABLE_SIZE>;
using TCPITable = std::array<std::uint8_t, CPI_TABLE_SIZE>;
using TMacroEntry = std::span<std::uint8_t, MACRO_ENTRY_SIZE>;

// The input of WriteMacroTables, 5520 bytes: 30 blocks of 180 bytes, then the 30 block lengths.
struct TMacroTables {
    std::uint8_t Blocks[MACRO_BLOCK_COUNT][MACRO_BLOCK_SIZE];
    std::int32_t Lengths[MACRO_BLOCK_COUNT];
};
static_assert(sizeof(TMacroTables) == 5520);
static_assert(offsetof(TMacroTables, Lengths) == 5400);

// Fills the button table from the button records in device order (see ReorderButtonFunctions).
// The count is the low byte of ButtonCount; a low byte above 19 encodes the 19 records there
// are. Byte 0 holds the number of buttons actually encoded.
void BuildButtonTable(const TMouseProfileInfo& profile, TButtonTable& table);

// Fills the DPI table: level count, current level, then levels 0..4.
void BuildCPITable(const TMouseProfileInfo& profile, TCPITable& table);

// 125 Hz -> 8, 250 -> 4, 500 -> 2, 1000 -> 1. Any other stored rate gives 2, the code of the
// factory rate of a game profile (500 Hz).
std::uint8_t ReportRateToDeviceCode(const TMouseProfileInfo& profile);

// Encodes the macros of the list into blocks 0..n-1 and sets their lengths; the lengths of the
// other blocks become 0. The blocks are not cleared: pass zeroed tables. At most 30 macros and
// at most 59 actions of each are encoded (what a block holds); a negative action count
// encodes the terminator alone.
void BuildMacroTables(const TMACROKEYINFOLIST& list, TMacroTables& tables);

// One 3-byte macro entry from an action's type, state and two values.
void EncodeMacroAction(int type, int state, int value1, int value2, TMacroEntry entry);

// Entries of the encoded macro: its actions + 1 for the terminator when it has actions, else
// 0. Like the block itself it counts at most 59 actions, so 3 x the result is the length a
// button announces for the macro.
int GetMacroEntryCount(const TMACROKEYINFO& macro);

// Puts the button records into the listed order: slot k receives the record numbered order[k]
// (1-based). At most 19 entries are used; records at and beyond the list's length stay where
// they are, and a slot whose entry is outside 1..19 keeps its own record.
void ReorderButtonFunctions(TMouseProfileInfo& profile, std::span<const std::int32_t> order);

// Sends the button table with one memory write at the address. Returns 0 or the error code.
std::uint32_t WriteButtonTable(TuiHIDData& hid, const TButtonTable& table, int address);

// Writes every block whose length is above 0 at base + m * 200 (a length is never taken above
// the block's 180 bytes). Returns 0, or the error of the first write that failed; a failed
// write does not stop the others.
std::uint32_t WriteMacroTables(TuiHIDData& hid, const TMacroTables& tables, int base);
