#pragma once
// Key codes: Windows virtual-key codes (VK) with their extended flag, their names as the user
// sees them, their USB HID usages, and the modifier bits of both worlds. Also the ready-made
// shortcuts that the button-assignment menu offers.
//
// Both key tables are built once, before main() runs (and, should a lookup come first from
// another static initialiser, by a thread-safe one-time initialisation), and never change
// afterwards, so every lookup may be called from any thread, including the hook callback.

#include <QString>

#include <array>
#include <cstdint>

struct THID_CODE_INFO;
struct TCOMBOKEYINFO;

// One key of a key table.
struct TKeyboardInfoTable {
    QString VKName;
    int VKCode = 0;
    int ScanCode = 0;
    int Extended = 0xE0;  // 0xE0 an ordinary key row, 0xE1 a row of an extended key
    int HIDCode = -1;     // USB HID usage, -1 for none
    QString KeyDescription;
};

constexpr int KEY_TABLE_SIZE = 300;
constexpr int KEY_EXTENDED_NORMAL = 0xE0;
constexpr int KEY_EXTENDED_EXTENDED = 0xE1;

using TKeyboardInfoTables = std::array<TKeyboardInfoTable, KEY_TABLE_SIZE>;

// Makes sure tables A and B are built (idempotent, thread-safe).
void BuildKeyboardInfoTables();

// Table A: keys without the extended flag and keys that are always extended.
// Table B: the extended variants of keys that exist in both forms.
const TKeyboardInfoTables& KeyboardInfoTableA();
const TKeyboardInfoTables& KeyboardInfoTableB();

// HID usage of (VK, extended flag); 0 when the key has none or VK is outside 0..299.
int VKToHIDCode(int vk, int extended);

// Display text of (VK, extended flag); empty for a VK outside 0..299.
QString GetKeyDescription(int vk, int extended);

// System modifier bits: 1 Alt, 2 Ctrl, 4 Shift, 8 Win.
// "Alt+", "Ctrl+", "Shift+", "WIN+" for the bits set, always in this order.
QString GetModifierText(std::uint8_t modifier);

// System modifier bits to HID modifier bits (1 Ctrl, 2 Shift, 4 Alt, 8 GUI); higher bits dropped.
std::uint8_t ModifierToHIDModifier(std::uint8_t modifier);

// --- Shortcut presets -------------------------------------------------------------------------

constexpr int SHORTCUT_TABLE_ROWS = 50;

// Fills a THID_CODE_INFO with the usages of two keys; the modifier is taken as it is given
// (callers pass HID modifier bits).
void MakeHIDCodeInfo(int modifier, int key1, int key1Extended, int key2, int key2Extended, THID_CODE_INFO& info);

// Sets the two keys, their flags and the system modifier bits of a TCOMBOKEYINFO; the text is
// not touched (the preset tables start zeroed, so their texts are empty).
void MakeComboKeyInfo(int modifier, int key1, int key1Extended, int key2, int key2Extended, TCOMBOKEYINFO& info);

// The preset tables are built once (thread-safe) and never change; these two only make sure
// they exist.
void BuildHIDCodeInfoTables();
void BuildComboKeyInfoTables();

// Copy row `index` (0..49) of a preset table into `info`; any other index leaves it unchanged.
void GetMediaHIDCodeInfo(int index, THID_CODE_INFO& info);
void GetEditComboKeyInfo(int index, TCOMBOKEYINFO& info);
void GetSystemComboKeyInfo(int index, TCOMBOKEYINFO& info);
