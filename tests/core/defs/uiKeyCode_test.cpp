#include "core/defs/uiKeyCode.h"

#include "core/defs/pubunit_norvane.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace {

struct KeyCase {
    int vk;
    int extended;
    int hid;
    const char* text;
};

// (VK, flag) -> usage and text, for every class of key and every branch of the table choice.
const KeyCase kKeyCases[] = {
    // letters, digits, function keys
    {0x41, 0, 0x04, "A"},
    {0x5A, 0, 0x1D, "Z"},
    {0x30, 0, 0x27, "0"},
    {0x31, 0, 0x1E, "1"},
    {0x39, 0, 0x26, "9"},
    {0x70, 0, 0x3A, "F1"},
    {0x7B, 0, 0x45, "F12"},
    {0x7C, 0, 0x68, "F13"},
    {0x87, 0, 0x73, "F24"},
    // ordinary keys and OEM keys
    {0x08, 0, 0x2A, "BACKSPACE"},
    {0x1B, 0, 0x29, "ESC"},
    {0x20, 0, 0x2C, "SPACEBAR"},
    {0x0C, 0, 0x9C, "CLEAR"},
    {0xC0, 0, 0x35, "~`"},
    {0xDC, 0, 0x31, "\\|"},
    {0xDE, 0, 0x34, "'\""},
    {0xE2, 0, 0, "\\|"},  // OEM_102 has a name but no usage
    // the navigation block: keypad usages without the flag, navigation usages with it
    {0x21, 0, 0x61, "PAGE UP"},
    {0x21, 0xE1, 0x4B, "PAGE UP"},
    {0x21, 1, 0x4B, "PAGE UP"},
    {0x21, 0xE0, 0x61, "PAGE UP"},
    {0x28, 0, 0x5A, "DOWN ARROW"},
    {0x28, 1, 0x51, "DOWN ARROW"},
    {0x2D, 0, 0x62, "Keypad 0 Insert"},
    {0x2D, 1, 0x49, "INS"},
    {0x2E, 0, 0x63, "Keypad DEL"},
    {0x2E, 1, 0x4C, "DEL"},
    {0x0D, 0, 0x28, "ENTER"},
    {0x0D, 1, 0x58, "ENTER"},  // keypad Enter
    // keypad
    {0x60, 0, 0x62, "NUMPAD 0"},
    {0x61, 0, 0x59, "NUMPAD 1"},
    {0x69, 0, 0x61, "NUMPAD 9"},
    {0x6C, 0, 0x97, "Separator"},
    {0x6F, 0, 0x54, "Divide"},
    {0x6F, 1, 0x54, "Divide"},  // always-extended key: table A with the flag too
    {0x90, 1, 0x53, "NUM LOCK"},
    // modifiers, generic and left/right
    {0x10, 0, 0, "SHIFT"},
    {0x11, 0, 0, "CTRL"},
    {0xA0, 0, 0xE1, "L SHIFT"},
    {0xA1, 1, 0xE5, "R SHIFT"},
    {0xA2, 0, 0xE0, "L CTRL"},
    {0xA3, 1, 0xE4, "R CTRL"},
    {0xA4, 0, 0xE2, "L ALT"},
    {0xA5, 1, 0xE6, "R ALT"},
    {0x5B, 1, 0xE3, "L WIN"},
    {0x5C, 0, 0xE7, "R WIN"},
    // a flag of 1 on a key table A does not mark extended reads table B's default row
    {0xA0, 1, 0, "UNDEFINED_0A0"},
    // consumer keys (table A marks them extended, so both flags read table A)
    {0xAD, 0, 0xE2, "VOLUME_MUTE"},
    {0xAD, 1, 0xE2, "VOLUME_MUTE"},
    {0xA6, 1, 0x224, "BROWSER_BACK"},
    {0xB4, 1, 0x18A, "LAUNCH_MAIL"},
    // the odd row of table B
    {0xFF, 1, 0x4C, "DEL"},
    {0xFF, 0, 0, "UNDEFINED_0FF"},
    // mouse buttons have names but no usage
    {0x01, 0, 0, "Mouse Left Click"},
    {0x04, 0, 0, "Mouse Middle Click"},
    {0x00, 0, 0, ""},
    // undefined codes
    {0x07, 0, 0, "Undefined"},
    {0xE0, 0, 0, "Undefined"},
    {0x100, 0, 0, "UNDEFINED_100"},
    {299, 0, 0, "UNDEFINED_12B"},
    // any flag other than 0/1/0xE0/0xE1 reads table B
    {0x41, 2, 0, "UNDEFINED_041"},
    {0x21, 2, 0x4B, "PAGE UP"},
    {0x41, -1, 0, "UNDEFINED_041"},
    // outside the tables
    {300, 0, 0, ""},
    {0x150, 0, 0, ""},
    {-1, 0, 0, ""},
    {0x7FFFFFFF, 1, 0, ""},
};

TEST(KeyCodeTest, LookupByKeyAndExtendedFlag) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(testing::Message() << "vk=0x" << std::hex << c.vk << " ext=0x" << c.extended);
        EXPECT_EQ(VKToHIDCode(c.vk, c.extended), c.hid);
        EXPECT_EQ(GetKeyDescription(c.vk, c.extended), QString::fromUtf8(c.text));
    }
}

TEST(KeyCodeTest, TablesHoldEveryDescribedRowAtItsOwnIndex) {
    const TKeyboardInfoTables& a = KeyboardInfoTableA();
    const TKeyboardInfoTables& b = KeyboardInfoTableB();

    // Table A describes 0x00-0xB7, 0xBA-0xC0 and 0xDB-0xE2; everything else is a default row.
    std::set<int> describedA;
    for (int vk = 0x00; vk <= 0xB7; ++vk) describedA.insert(vk);
    for (int vk = 0xBA; vk <= 0xC0; ++vk) describedA.insert(vk);
    for (int vk = 0xDB; vk <= 0xE2; ++vk) describedA.insert(vk);
    const std::set<int> describedB = {0x0D, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E, 0xFF};

    for (int vk = 0; vk < KEY_TABLE_SIZE; ++vk) {
        SCOPED_TRACE(testing::Message() << "vk=0x" << std::hex << vk);
        const auto i = static_cast<std::size_t>(vk);
        const QString digits = QString::number(vk, 16).toUpper().rightJustified(3, u'0');
        EXPECT_EQ(a[i].VKCode, vk);
        EXPECT_EQ(b[i].VKCode, vk);
        EXPECT_EQ(b[i].Extended, 0xE1);
        if (vk != 0xFF) {
            EXPECT_EQ(b[i].ScanCode, 0);
        }
        EXPECT_EQ(a[i].ScanCode, 0);

        const bool defaultA = a[i].VKName == "VK_UNDEFINED_" + digits;
        EXPECT_EQ(defaultA, !describedA.count(vk));
        if (defaultA) {
            EXPECT_EQ(a[i].KeyDescription, "UNDEFINED_" + digits);
            EXPECT_EQ(a[i].HIDCode, -1);
            EXPECT_EQ(a[i].Extended, 0xE0);
        }
        const bool defaultB = b[i].VKName == "VK_UNDEFINED_" + digits;
        EXPECT_EQ(defaultB, !describedB.count(vk));
    }

    // Named gaps carry two hex digits, default rows three.
    EXPECT_EQ(a[0x05].VKName, "VK_UNDEFINED_05");
    EXPECT_EQ(a[0x9F].VKName, "VK_UNDEFINED_9F");
    EXPECT_EQ(a[0xE0].VKName, "VK_UNDEFINED_E0");
    EXPECT_EQ(a[0xB8].VKName, "VK_UNDEFINED_0B8");
    EXPECT_EQ(a[0x2D].VKName, "VK_NUMPAD0_INSERT");
    EXPECT_EQ(b[0x2D].VKName, "VK_INSERT");
    EXPECT_EQ(b[0xFF].VKName, "VK_POWER");
    EXPECT_EQ(b[0xFF].ScanCode, 0x5E);
    EXPECT_EQ(a[0xB7].VKName, "VK_LAUNCH_APP2");

    // The rows that table A marks as extended, and only those.
    std::set<int> extendedA;
    for (int vk = 0; vk < KEY_TABLE_SIZE; ++vk)
        if (a[static_cast<std::size_t>(vk)].Extended == 0xE1) extendedA.insert(vk);
    std::set<int> expected = {0x2C, 0x5B, 0x5C, 0x5D, 0x6F, 0x90, 0xA1, 0xA3, 0xA5};
    for (int vk = 0xA6; vk <= 0xB7; ++vk) expected.insert(vk);
    EXPECT_EQ(extendedA, expected);
}

TEST(KeyCodeTest, ModifierTextAndHidModifier) {
    struct Case {
        std::uint8_t bits;
        const char* text;
        std::uint8_t hid;
    };
    const Case cases[] = {
        {0, "", 0},         {1, "Alt+", 4},      {2, "Ctrl+", 1},       {4, "Shift+", 2},
        {8, "WIN+", 8},     {3, "Alt+Ctrl+", 5}, {6, "Ctrl+Shift+", 3}, {15, "Alt+Ctrl+Shift+WIN+", 15},
        {0xF0, "", 0},  // higher bits are dropped
        {0xF2, "Ctrl+", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.bits));
        EXPECT_EQ(GetModifierText(c.bits), QString::fromLatin1(c.text));
        EXPECT_EQ(ModifierToHIDModifier(c.bits), c.hid);
    }
}

bool isZero(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i)
        if (b[i] != 0) return false;
    return true;
}

TEST(ShortcutPresetTest, EditAndSystemCombinations) {
    struct Row {
        int index;
        int modifier;
        int vk;
    };
    const Row edit[] = {{0, 2, 'X'}, {1, 2, 'C'}, {2, 2, 'V'}, {3, 2, 'A'},
                        {4, 2, 'F'}, {5, 2, 'N'}, {6, 2, 'P'}, {7, 2, 'S'}};
    const Row system[] = {{0, 1, 0x09}, {1, 1, 0x73}, {2, 8, 'E'}, {3, 8, 'R'}, {4, 8, 'D'}, {5, 8, 'L'}};

    auto check = [](const Row& r, const TCOMBOKEYINFO& info) {
        SCOPED_TRACE(r.index);
        EXPECT_EQ(info.nModifier, r.modifier);
        EXPECT_EQ(info.nKeyValue1, r.vk);
        EXPECT_EQ(info.nKey1Extended, 0);
        EXPECT_EQ(info.nKeyValue2, 0);
        EXPECT_EQ(info.nKey2Extended, 0);
        EXPECT_TRUE(isZero(info.ComboKeyText, sizeof info.ComboKeyText));
    };
    for (const Row& r : edit) {
        TCOMBOKEYINFO info;
        std::memset(&info, 0xAB, sizeof info);
        GetEditComboKeyInfo(r.index, info);
        check(r, info);
    }
    for (const Row& r : system) {
        TCOMBOKEYINFO info;
        std::memset(&info, 0xAB, sizeof info);
        GetSystemComboKeyInfo(r.index, info);
        check(r, info);
    }

    // Rows that are not listed are all zero; indexes outside 0..49 leave the record alone.
    for (int index : {8, 49}) {
        TCOMBOKEYINFO info;
        std::memset(&info, 0xAB, sizeof info);
        GetEditComboKeyInfo(index, info);
        EXPECT_TRUE(isZero(&info, sizeof info)) << index;
        std::memset(&info, 0xAB, sizeof info);
        GetSystemComboKeyInfo(index - 2, info);
        EXPECT_TRUE(isZero(&info, sizeof info)) << index - 2;
    }
    for (int index : {50, -1, 1000}) {
        TCOMBOKEYINFO info;
        std::memset(&info, 0xAB, sizeof info);
        GetEditComboKeyInfo(index, info);
        GetSystemComboKeyInfo(index, info);
        EXPECT_TRUE(std::all_of(reinterpret_cast<unsigned char*>(&info),
                                reinterpret_cast<unsigned char*>(&info) + sizeof info,
                                [](unsigned char c) { return c == 0xAB; }))
            << index;
    }
}

TEST(ShortcutPresetTest, MediaRowsCarryConsumerUsages) {
    const int usages[] = {0xCD, 0xB7, 0xB6, 0xB5, 0xE9, 0xEA, 0xE2, 0x183};
    for (int i = 0; i < 8; ++i) {
        THID_CODE_INFO info{0xFFFF, 0xFFFF, 0xFFFF};
        GetMediaHIDCodeInfo(i, info);
        EXPECT_EQ(info.nKeyValue1, usages[i]) << i;
        EXPECT_EQ(info.nKeyValue2, 0) << i;
        EXPECT_EQ(info.nModifier, 0) << i;
    }
    THID_CODE_INFO info{0xFFFF, 0xFFFF, 0xFFFF};
    GetMediaHIDCodeInfo(8, info);
    EXPECT_TRUE(isZero(&info, sizeof info));
    info = {1, 2, 3};
    GetMediaHIDCodeInfo(50, info);
    EXPECT_EQ(info.nKeyValue1, 1);
    EXPECT_EQ(info.nKeyValue2, 2);
    EXPECT_EQ(info.nModifier, 3);
}

TEST(ShortcutPresetTest, MakeHIDCodeInfoTranslatesKeysAndKeepsTheModifier) {
    THID_CODE_INFO info{};
    MakeHIDCodeInfo(1, 'X', 0, 0, 0, info);  // the HID edit row 0
    EXPECT_EQ(info.nKeyValue1, 0x1B);
    EXPECT_EQ(info.nKeyValue2, 0);
    EXPECT_EQ(info.nModifier, 1);
    MakeHIDCodeInfo(0x0A, 0x21, 1, 0x0D, 1, info);  // modifier passed through unchanged
    EXPECT_EQ(info.nKeyValue1, 0x4B);
    EXPECT_EQ(info.nKeyValue2, 0x58);
    EXPECT_EQ(info.nModifier, 0x0A);
}

}  // namespace
