#pragma once
// The functions of the button-assignment menu UIMENUEX1, each named once: its item ID, its
// caption, the record values it stores in a button record (FunctionType; the row of
// ButtonFunctionTable that becomes FunctionIndex, whose FunctionCode the record takes; and what
// else it writes, such as the key values of a shortcut or the usage of a media key), and how a
// button with that function shows it. The menu is built from this table (AssignMenuItems.h),
// the assignment writes what it says and the button captions follow it (ButtonAssignment.h).
//
// Item IDs are what the menu component gives an item from its place: the n-th top-level item
// has ID n, the n-th sub-item of item p has ID p × 100 + n. The table lists the items in menu
// order, each sub-item after its parent, and the compiler checks that every ID is the one its
// place gives, and that the row of every function is the row of ButtonFunctionTable that
// carries its ID. DISABLE has no row: it stores row 17 (what FunctionIndexOfMenuID answers for
// an ID without a row) and FunctionCode 0.
//
// The MACRO item's sub-menu is made at run time from the macro list (MACRO MANAGER, then one
// row per macro, kMacroMenuFirst + k for macro k); a macro row stores the MACRO item's record
// values.
//
// Plain constant data and constexpr lookups; any thread. A lookup of an ID or row that the
// tables do not hold returns null, -1 or the ID itself, as each says.

#include "core/defs/pubunit_norvane.h"

#include <array>
#include <cstddef>
#include <cstdint>

// What choosing a function writes into the button record beyond MenuID, FunctionType,
// FunctionIndex and FunctionCode.
enum class TAssignWrite : std::uint8_t {
    Nothing,          // the four fields only
    ClickParam,       // ClickParam: 0 on buttons 0 and 1, 1 on every other button
    SingleKeyDialog,  // SingleKey from the single-key dialog; nothing at all unless it ends with OK
    ComboKeyDialog,   // ComboKey from the combination dialog; likewise
    FireKeyDialog,    // FireKey from the fire-key dialog; likewise
    EditShortcut,     // ComboKey: edit shortcut Preset (GetEditComboKeyInfo)
    SystemShortcut,   // ComboKey: system shortcut Preset (GetSystemComboKeyInfo)
    MediaUsage,       // HIDCode: the consumer usage of media key Preset (GetMediaHIDCodeInfo), low and high byte, 0
    ButtonMask,       // ButtonMask: the button's own one-hot mask (ButtonMaskTable)
    Disable,          // HIDCode 0, 0, 0 (GetDisabledButtonFunc)
    SubMenu,          // nothing: the item opens its sub-menu (MACRO's sub-menu stores MACRO's values)
    MacroManager,     // the macro chosen in the macro manager, with MACRO's values
};

// What the field of a button with the function shows.
enum class TAssignCaption : std::uint8_t {
    Item,         // the item's caption
    SingleKey,    // the key, when the record names one
    ComboKey,     // the combination, cut to 9 characters and "..." when longer than 12
    MacroNumber,  // "MACRO #" and the macro's number
};

struct TAssignFunction {
    int MenuID;                 // the item's ID in UIMENUEX1
    const char* Caption;        // the item's caption (English: the translation key)
    std::uint8_t FunctionType;  // FUNCTION_TYPE_*
    int FunctionIndex;          // the row of ButtonFunctionTable stored; -1: no function
    TAssignWrite Writes;        // what else is written
    int Preset;                 // the preset of EditShortcut, SystemShortcut and MediaUsage
    TAssignCaption Shows;       // what the button's field shows
};

// Items the assignment names.
inline constexpr int kMacroMenuID = 11;           // MACRO: its sub-menu is made from the macro list
inline constexpr int kMacroManagerMenuID = 1101;  // MACRO MANAGER, the first row of MACRO's sub-menu
inline constexpr int kDisableMenuID = 17;         // DISABLE

// clang-format off
namespace vyk::config::assign_functions {
using enum TAssignWrite;
using enum TAssignCaption;
inline constexpr std::array<TAssignFunction, 40> Table{{
    // ID  caption             FunctionType                row writes           preset shows
    {1,    "CLICK",            FUNCTION_TYPE_DEVICE,       0,  ClickParam,      0, Item},
    {2,    "RIGHT CLICK",      FUNCTION_TYPE_DEVICE,       1,  Nothing,         0, Item},
    {3,    "MIDDLE BUTTON",    FUNCTION_TYPE_DEVICE,       2,  Nothing,         0, Item},
    {4,    "FORWARD",          FUNCTION_TYPE_DEVICE,       3,  Nothing,         0, Item},
    {5,    "BACKWARD",         FUNCTION_TYPE_DEVICE,       4,  Nothing,         0, Item},
    {6,    "SINGLE KEY",       FUNCTION_TYPE_SINGLE_KEY,   5,  SingleKeyDialog, 0, SingleKey},
    {7,    "COMBO KEY",        FUNCTION_TYPE_COMBO_KEY,    6,  ComboKeyDialog,  0, ComboKey},
    {8,    "BASIC",            0,                          -1, SubMenu,         0, Item},
    {801,  "CUT",              FUNCTION_TYPE_COMBO_KEY,    7,  EditShortcut,    0, Item},
    {802,  "COPY",             FUNCTION_TYPE_COMBO_KEY,    8,  EditShortcut,    1, Item},
    {803,  "PASTE",            FUNCTION_TYPE_COMBO_KEY,    9,  EditShortcut,    2, Item},
    {804,  "SELECT ALL",       FUNCTION_TYPE_COMBO_KEY,    10, EditShortcut,    3, Item},
    {805,  "FIND",             FUNCTION_TYPE_COMBO_KEY,    11, EditShortcut,    4, Item},
    {806,  "NEW",              FUNCTION_TYPE_COMBO_KEY,    12, EditShortcut,    5, Item},
    {807,  "PRINT",            FUNCTION_TYPE_COMBO_KEY,    13, EditShortcut,    6, Item},
    {808,  "SAVE",             FUNCTION_TYPE_COMBO_KEY,    14, EditShortcut,    7, Item},
    {9,    "ADVANCED",         0,                          -1, SubMenu,         0, Item},
    {901,  "SWITCH WINDOW",    FUNCTION_TYPE_COMBO_KEY,    15, SystemShortcut,  0, Item},
    {902,  "CLOSE WINDOW",     FUNCTION_TYPE_COMBO_KEY,    16, SystemShortcut,  1, Item},
    {903,  "OPEN EXPLORER",    FUNCTION_TYPE_COMBO_KEY,    17, SystemShortcut,  2, Item},
    {904,  "RUN",              FUNCTION_TYPE_COMBO_KEY,    18, SystemShortcut,  3, Item},
    {905,  "SHOW DESKTOP",     FUNCTION_TYPE_COMBO_KEY,    19, SystemShortcut,  4, Item},
    {906,  "LOCK PC",          FUNCTION_TYPE_COMBO_KEY,    20, SystemShortcut,  5, Item},
    {10,   "MEDIA",            0,                          -1, SubMenu,         0, Item},
    {1001, "PLAY/PAUSE",       FUNCTION_TYPE_CONSUMER_KEY, 21, MediaUsage,      0, Item},
    {1002, "STOP",             FUNCTION_TYPE_CONSUMER_KEY, 22, MediaUsage,      1, Item},
    {1003, "PREVIOUS TRACK",   FUNCTION_TYPE_CONSUMER_KEY, 23, MediaUsage,      2, Item},
    {1004, "NEXT TRACK",       FUNCTION_TYPE_CONSUMER_KEY, 24, MediaUsage,      3, Item},
    {1005, "VOLUME UP",        FUNCTION_TYPE_CONSUMER_KEY, 25, MediaUsage,      4, Item},
    {1006, "VOLUME DOWN",      FUNCTION_TYPE_CONSUMER_KEY, 26, MediaUsage,      5, Item},
    {1007, "MUTE",             FUNCTION_TYPE_CONSUMER_KEY, 27, MediaUsage,      6, Item},
    {1008, "MUTE(MICROPHONE)", FUNCTION_TYPE_MIC_MUTE,     28, ButtonMask,      0, Item},
    {11,   "MACRO",            FUNCTION_TYPE_MACRO,        30, SubMenu,         0, MacroNumber},
    {1101, "MACRO MANAGER",    0,                          -1, MacroManager,    0, Item},
    {12,   "FIRE KEY...",      FUNCTION_TYPE_FIRE_KEY,     31, FireKeyDialog,   0, Item},
    {13,   "DPI SWITCH",       FUNCTION_TYPE_DEVICE,       32, Nothing,         0, Item},
    {14,   "DPI +",            FUNCTION_TYPE_DEVICE,       33, Nothing,         0, Item},
    {15,   "DPI -",            FUNCTION_TYPE_DEVICE,       34, Nothing,         0, Item},
    {16,   "PROFILE SWITCH",   FUNCTION_TYPE_DEVICE,       35, Nothing,         0, Item},
    {17,   "DISABLE",          FUNCTION_TYPE_CONSUMER_KEY, 17, Disable,         0, Item},
}};
}  // namespace vyk::config::assign_functions
// clang-format on
inline constexpr const std::array<TAssignFunction, 40>& AssignFunctionTable = vyk::config::assign_functions::Table;

// The entry of an item ID; null when no item of the table carries it (MACRO's macro rows,
// 1102 and up, are made at run time and have none).
constexpr const TAssignFunction* FindAssignFunction(int menuID) {
    for (const TAssignFunction& f : AssignFunctionTable) {
        if (f.MenuID == menuID) return &f;
    }
    return nullptr;
}

// The entry of an item the table holds for certain (checked at compile time where it is used).
constexpr const TAssignFunction& AssignFunction(int menuID) { return *FindAssignFunction(menuID); }

// Items whose sub-menu is made from the macro list at run time, not from this table.
constexpr bool MadeWithMacroList(const TAssignFunction& f) { return f.MenuID / 100 == kMacroMenuID; }

// The FunctionCode a function stores: its row's (DISABLE, which has no row, stores 0).
constexpr int FunctionCodeOf(const TAssignFunction& f) {
    if (f.Writes == TAssignWrite::Disable || f.FunctionIndex < 0) return 0;
    return ButtonFunctionTable[static_cast<std::size_t>(f.FunctionIndex)].FunctionCode;
}

// The first row of ButtonFunctionTable whose MenuID is menuID; menuID itself when none is.
constexpr int FunctionIndexOfMenuID(int menuID) {
    for (const TBUTTONFUNCTIONROW& row : ButtonFunctionTable) {
        if (row.MenuID == menuID) return row.Index;
    }
    return menuID;
}

// The MenuID of row `index` of ButtonFunctionTable; -1 outside the table.
constexpr int MenuIDOfFunctionIndex(int index) {
    if (index < 0 || index >= static_cast<int>(ButtonFunctionTable.size())) return -1;
    return ButtonFunctionTable[static_cast<std::size_t>(index)].MenuID;
}

namespace vyk::config::detail {

// Every ID is the one the menu gives the entry's place: top-level items 1, 2, 3 ... in order,
// each sub-item p × 100 + 1, + 2 ... right after its parent p.
constexpr bool IdsFollowPlaces() {
    int top = 0, sub = 0;
    for (const TAssignFunction& f : AssignFunctionTable) {
        if (f.MenuID < 100) {
            if (f.MenuID != ++top) return false;
            sub = 0;
        } else if (f.MenuID != top * 100 + ++sub) {
            return false;
        }
    }
    return true;
}

// Every function stores the row of ButtonFunctionTable that carries its ID; DISABLE, which no
// row carries, stores what the lookup answers for it (17).
constexpr bool RowsFollowButtonFunctionTable() {
    for (const TAssignFunction& f : AssignFunctionTable) {
        if (f.FunctionIndex < 0) continue;
        if (f.FunctionIndex != FunctionIndexOfMenuID(f.MenuID)) return false;
        const bool rowCarriesID = MenuIDOfFunctionIndex(f.FunctionIndex) == f.MenuID;
        if (rowCarriesID == (f.Writes == TAssignWrite::Disable)) return false;
    }
    return true;
}

}  // namespace vyk::config::detail

static_assert(vyk::config::detail::IdsFollowPlaces());
static_assert(vyk::config::detail::RowsFollowButtonFunctionTable());
static_assert(AssignFunction(kMacroMenuID).FunctionType == FUNCTION_TYPE_MACRO &&
              AssignFunction(kMacroManagerMenuID).Writes == TAssignWrite::MacroManager &&
              AssignFunction(kDisableMenuID).Writes == TAssignWrite::Disable);
static_assert(AssignFunction(kDisableMenuID).FunctionIndex == 17 &&
              FunctionCodeOf(AssignFunction(kDisableMenuID)) == 0);
static_assert(FindAssignFunction(1009) == nullptr, "no item of the menu carries 1009");
