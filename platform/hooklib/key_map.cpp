#include "platform/hooklib/key_map.h"

#include <array>

namespace vyk::platform {

namespace {

struct Row {
    std::uint16_t vk;
    std::uint16_t scan;
    bool ext;
};

constexpr unsigned kMaxCode = 256;

// Linux input event codes (linux/input-event-codes.h) to (VK, scan code, extended).
constexpr std::array<Row, kMaxCode> buildTable() {
    std::array<Row, kMaxCode> t{};
    auto set = [&t](unsigned code, std::uint16_t vk, std::uint16_t scan, bool ext = false) {
        t[code] = Row{vk, scan, ext};
    };
    set(1, 0x1B, 0x01);  // Esc
    for (unsigned i = 0; i < 9; ++i)
        set(2 + i, static_cast<std::uint16_t>('1' + i), static_cast<std::uint16_t>(0x02 + i));
    set(11, '0', 0x0B);
    set(12, 0xBD, 0x0C);  // - _
    set(13, 0xBB, 0x0D);  // = +
    set(14, 0x08, 0x0E);  // Backspace
    set(15, 0x09, 0x0F);  // Tab
    const char row1[] = "QWERTYUIOP";
    for (unsigned i = 0; i < 10; ++i)
        set(16 + i, static_cast<std::uint16_t>(row1[i]), static_cast<std::uint16_t>(0x10 + i));
    set(26, 0xDB, 0x1A);  // [ {
    set(27, 0xDD, 0x1B);  // ] }
    set(28, 0x0D, 0x1C);  // Enter
    set(29, 0xA2, 0x1D);  // Left Ctrl
    const char row2[] = "ASDFGHJKL";
    for (unsigned i = 0; i < 9; ++i)
        set(30 + i, static_cast<std::uint16_t>(row2[i]), static_cast<std::uint16_t>(0x1E + i));
    set(39, 0xBA, 0x27);  // ; :
    set(40, 0xDE, 0x28);  // ' "
    set(41, 0xC0, 0x29);  // ` ~
    set(42, 0xA0, 0x2A);  // Left Shift
    set(43, 0xDC, 0x2B);  // \ |
    const char row3[] = "ZXCVBNM";
    for (unsigned i = 0; i < 7; ++i)
        set(44 + i, static_cast<std::uint16_t>(row3[i]), static_cast<std::uint16_t>(0x2C + i));
    set(51, 0xBC, 0x33);  // , <
    set(52, 0xBE, 0x34);  // . >
    set(53, 0xBF, 0x35);  // / ?
    set(54, 0xA1, 0x36);  // Right Shift (not extended)
    set(55, 0x6A, 0x37);  // Keypad *
    set(56, 0xA4, 0x38);  // Left Alt
    set(57, 0x20, 0x39);  // Space
    set(58, 0x14, 0x3A);  // Caps Lock
    for (unsigned i = 0; i < 10; ++i)
        set(59 + i, static_cast<std::uint16_t>(0x70 + i), static_cast<std::uint16_t>(0x3B + i));  // F1-F10
    set(69, 0x90, 0x45, true);                                                                    // Num Lock
    set(70, 0x91, 0x46);                                                                          // Scroll Lock
    // Keypad with Num Lock on; the navigation codes are chosen in keyFromInputCode.
    set(71, 0x67, 0x47);
    set(72, 0x68, 0x48);
    set(73, 0x69, 0x49);
    set(74, 0x6D, 0x4A);  // Keypad -
    set(75, 0x64, 0x4B);
    set(76, 0x65, 0x4C);
    set(77, 0x66, 0x4D);
    set(78, 0x6B, 0x4E);  // Keypad +
    set(79, 0x61, 0x4F);
    set(80, 0x62, 0x50);
    set(81, 0x63, 0x51);
    set(82, 0x60, 0x52);         // Keypad 0
    set(83, 0x6E, 0x53);         // Keypad .
    set(86, 0xE2, 0x56);         // the key between Left Shift and Z
    set(87, 0x7A, 0x57);         // F11
    set(88, 0x7B, 0x58);         // F12
    set(89, 0xC1, 0x73);         // Ro
    set(92, 0x1C, 0x79);         // Henkan (convert)
    set(94, 0x1D, 0x7B);         // Muhenkan (non-convert)
    set(96, 0x0D, 0x1C, true);   // Keypad Enter
    set(97, 0xA3, 0x1D, true);   // Right Ctrl
    set(98, 0x6F, 0x35, true);   // Keypad /
    set(99, 0x2C, 0x37, true);   // Print Screen
    set(100, 0xA5, 0x38, true);  // Right Alt
    set(102, 0x24, 0x47, true);  // Home
    set(103, 0x26, 0x48, true);  // Up
    set(104, 0x21, 0x49, true);  // Page Up
    set(105, 0x25, 0x4B, true);  // Left
    set(106, 0x27, 0x4D, true);  // Right
    set(107, 0x23, 0x4F, true);  // End
    set(108, 0x28, 0x50, true);  // Down
    set(109, 0x22, 0x51, true);  // Page Down
    set(110, 0x2D, 0x52, true);  // Insert
    set(111, 0x2E, 0x53, true);  // Delete
    set(113, 0xAD, 0x20, true);  // Mute
    set(114, 0xAE, 0x2E, true);  // Volume down
    set(115, 0xAF, 0x30, true);  // Volume up
    set(119, 0x13, 0x45);        // Pause
    set(121, 0x6C, 0x7E);        // Keypad , (separator)
    set(124, 0xDC, 0x7D);        // Yen
    set(125, 0x5B, 0x5B, true);  // Left Win
    set(126, 0x5C, 0x5C, true);  // Right Win
    set(127, 0x5D, 0x5D, true);  // Menu (Apps)
    set(128, 0xA9, 0x68, true);  // Browser stop
    set(140, 0xB7, 0x21, true);  // Calculator (launch app 2)
    set(155, 0xB4, 0x6C, true);  // Mail
    set(156, 0xAB, 0x66, true);  // Favourites
    set(157, 0xB6, 0x6B, true);  // My computer (launch app 1)
    set(158, 0xA6, 0x6A, true);  // Browser back
    set(159, 0xA7, 0x69, true);  // Browser forward
    set(163, 0xB0, 0x19, true);  // Next track
    set(164, 0xB3, 0x22, true);  // Play/pause
    set(165, 0xB1, 0x10, true);  // Previous track
    set(166, 0xB2, 0x24, true);  // Stop
    set(172, 0xAC, 0x32, true);  // Browser home
    set(173, 0xA8, 0x67, true);  // Browser refresh
    const std::uint16_t f13scan[] = {0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x76};
    for (unsigned i = 0; i < 12; ++i) set(183 + i, static_cast<std::uint16_t>(0x7C + i), f13scan[i]);  // F13-F24
    set(217, 0xAA, 0x65, true);                                                                        // Browser search
    set(226, 0xB5, 0x6D, true);                                                                        // Media select
    return t;
}

constexpr std::array<Row, kMaxCode> kTable = buildTable();

// Keypad keys without Num Lock: the navigation codes, in code order 71..83.
constexpr std::uint16_t kKeypadNavigation[] = {0x24, 0x26, 0x21, 0, 0x25, 0x0C, 0x27, 0, 0x23, 0x28, 0x22, 0x2D, 0x2E};

}  // namespace

bool keyDependsOnNumLock(unsigned code) { return code >= 71 && code <= 83 && kKeypadNavigation[code - 71] != 0; }

std::optional<KeyIdentity> keyFromInputCode(unsigned code, bool numLock, unsigned long levelZeroKeysym) {
    if (code >= kMaxCode || kTable[code].vk == 0) return std::nullopt;
    const Row& r = kTable[code];
    KeyIdentity id{r.vk, r.scan, r.ext};
    if (keyDependsOnNumLock(code) && !numLock) id.vk = kKeypadNavigation[code - 71];
    // Letter keys follow the layout: the key that gives 'a' is VK 'A' wherever it sits.
    const bool letterKey = r.vk >= 'A' && r.vk <= 'Z';
    if (letterKey) {
        if (levelZeroKeysym >= 'a' && levelZeroKeysym <= 'z')
            id.vk = static_cast<std::uint16_t>(levelZeroKeysym - 'a' + 'A');
        else if (levelZeroKeysym >= 'A' && levelZeroKeysym <= 'Z')
            id.vk = static_cast<std::uint16_t>(levelZeroKeysym);
    }
    return id;
}

bool isModifierVk(unsigned vk) { return (vk >= 0xA0 && vk <= 0xA5) || vk == 0x5B || vk == 0x5C; }

void setKeyDown(std::uint8_t (&map)[256], unsigned vk, bool down) {
    if (vk >= 256) return;
    map[vk] = down ? 1 : 0;
    unsigned left = 0;
    unsigned neutral = 0;
    switch (vk) {
    case 0xA0:
    case 0xA1:
        left = 0xA0;
        neutral = 0x10;
        break;
    case 0xA2:
    case 0xA3:
        left = 0xA2;
        neutral = 0x11;
        break;
    case 0xA4:
    case 0xA5:
        left = 0xA4;
        neutral = 0x12;
        break;
    default: return;
    }
    map[neutral] = (map[left] || map[left + 1]) ? 1 : 0;
}

}  // namespace vyk::platform
