#pragma once
// Translation of a physical key (Linux input event code, as X11 and Wayland report it, minus
// the offset of 8 that XKB adds) into the key identity the rest of the system stores:
// Windows virtual-key code, set-1 scan code and extended flag.
//
// Scan code and extended flag follow the key's position. The virtual-key code of the letter
// keys follows the active layout (the key's level-0 keysym), as Windows' does; all other keys
// keep the code of their position. Keypad keys give digit codes while Num Lock is on and the
// navigation codes otherwise (without the extended flag, which only the separate navigation
// block carries).

#include <cstdint>
#include <optional>

namespace vyk::platform {

struct KeyIdentity {
    std::uint16_t vk = 0;
    std::uint16_t scanCode = 0;
    bool extended = false;
};

// The offset between an XKB keycode and the Linux input event code.
constexpr unsigned XKB_KEYCODE_OFFSET = 8;

// The identity of the key with Linux input code `code`, or nothing for a key without one.
// `levelZeroKeysym` is the X keysym the key gives without modifiers (0 when unknown).
std::optional<KeyIdentity> keyFromInputCode(unsigned code, bool numLock, unsigned long levelZeroKeysym = 0);

// True for the keypad keys whose virtual-key code depends on Num Lock.
bool keyDependsOnNumLock(unsigned code);

// True for the side-specific modifier keys (Shift, Ctrl, Alt, Win, left and right).
bool isModifierVk(unsigned vk);

// Marks a virtual-key code in a 256-entry key-down map, together with the side-neutral code
// of a modifier (Shift 0x10, Ctrl 0x11, Alt 0x12), which is down while either side is.
void setKeyDown(std::uint8_t (&map)[256], unsigned vk, bool down);

}  // namespace vyk::platform
