// Translation of physical keys into virtual-key code, scan code and extended flag.

#include <gtest/gtest.h>

#include "platform/hooklib/key_map.h"

namespace vyk::platform {
namespace {

TEST(HookKeyMap, PositionGivesScanCodeAndExtendedFlag) {
    struct Case {
        const char* name;
        unsigned code;
        bool numLock;
        unsigned vk, scan;
        bool extended;
    };
    const Case cases[] = {
        {"A", 30, true, 0x41, 0x1E, false},
        {"1", 2, true, 0x31, 0x02, false},
        {"Enter", 28, true, 0x0D, 0x1C, false},
        {"keypad Enter", 96, true, 0x0D, 0x1C, true},
        {"left Ctrl", 29, true, 0xA2, 0x1D, false},
        {"right Ctrl", 97, true, 0xA3, 0x1D, true},
        {"left Alt", 56, true, 0xA4, 0x38, false},
        {"right Alt", 100, true, 0xA5, 0x38, true},
        {"left Shift", 42, true, 0xA0, 0x2A, false},
        {"right Shift is not extended", 54, true, 0xA1, 0x36, false},
        {"left Win", 125, true, 0x5B, 0x5B, true},
        {"Menu", 127, true, 0x5D, 0x5D, true},
        {"Up", 103, true, 0x26, 0x48, true},
        {"Left", 105, true, 0x25, 0x4B, true},
        {"Home", 102, true, 0x24, 0x47, true},
        {"Page Up", 104, true, 0x21, 0x49, true},
        {"Page Down", 109, true, 0x22, 0x51, true},
        {"End", 107, true, 0x23, 0x4F, true},
        {"Insert", 110, true, 0x2D, 0x52, true},
        {"Delete", 111, true, 0x2E, 0x53, true},
        {"keypad /", 98, true, 0x6F, 0x35, true},
        {"keypad *", 55, true, 0x6A, 0x37, false},
        {"Num Lock", 69, true, 0x90, 0x45, true},
        {"Print Screen", 99, true, 0x2C, 0x37, true},
        {"Pause", 119, true, 0x13, 0x45, false},
        {"keypad 9 with Num Lock", 73, true, 0x69, 0x49, false},
        {"keypad 9 without Num Lock is Page Up, not extended", 73, false, 0x21, 0x49, false},
        {"keypad . without Num Lock is Delete", 83, false, 0x2E, 0x53, false},
        {"keypad 5 without Num Lock is Clear", 76, false, 0x0C, 0x4C, false},
        {"keypad - ignores Num Lock", 74, false, 0x6D, 0x4A, false},
        {"F12", 88, true, 0x7B, 0x58, false},
        {"F13", 183, true, 0x7C, 0x64, false},
        {"volume up", 115, true, 0xAF, 0x30, true},
        {"; :", 39, true, 0xBA, 0x27, false},
        {"102nd key", 86, true, 0xE2, 0x56, false},
    };
    for (const Case& c : cases) {
        const auto id = keyFromInputCode(c.code, c.numLock);
        ASSERT_TRUE(id.has_value()) << c.name;
        EXPECT_EQ(id->vk, c.vk) << c.name;
        EXPECT_EQ(id->scanCode, c.scan) << c.name;
        EXPECT_EQ(id->extended, c.extended) << c.name;
    }
}

TEST(HookKeyMap, LetterKeysFollowTheLayoutOtherKeysKeepTheirPosition) {
    // On a layout whose key in the Q position types 'a', that key is VK 'A'.
    EXPECT_EQ(keyFromInputCode(16, true, 'a')->vk, 0x41);
    EXPECT_EQ(keyFromInputCode(16, true, 'a')->scanCode, 0x10);
    EXPECT_EQ(keyFromInputCode(44, true, 'Y')->vk, 0x59);
    // A non-Latin keysym leaves the position's letter; digits never follow the keysym.
    EXPECT_EQ(keyFromInputCode(30, true, 0x6d4)->vk, 0x41);
    EXPECT_EQ(keyFromInputCode(2, true, '&')->vk, 0x31);
}

TEST(HookKeyMap, KeysWithoutIdentityAreReportedAsSuch) {
    for (unsigned code : {0u, 84u, 116u, 240u, 255u, 256u, 100000u}) {
        EXPECT_FALSE(keyFromInputCode(code, true).has_value()) << code;
    }
}

TEST(HookKeyMap, SideNeutralModifierIsDownWhileEitherSideIs) {
    std::uint8_t map[256] = {};
    setKeyDown(map, 0xA2, true);
    setKeyDown(map, 0xA3, true);
    EXPECT_EQ(map[0x11], 1);
    setKeyDown(map, 0xA2, false);
    EXPECT_EQ(map[0x11], 1);
    setKeyDown(map, 0xA3, false);
    EXPECT_EQ(map[0x11], 0);
    setKeyDown(map, 0x41, true);
    EXPECT_EQ(map[0x41], 1);
    setKeyDown(map, 300, true);  // ignored
    EXPECT_TRUE(isModifierVk(0x5C));
    EXPECT_FALSE(isModifierVk(0x11));
}

}  // namespace
}  // namespace vyk::platform
