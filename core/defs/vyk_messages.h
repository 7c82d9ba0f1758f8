#pragma once
// The numbers of the messages between the two programs (docs/ipc.md). WParam and LParam carry
// small integers only.

#include <cstdint>

inline constexpr std::uint32_t WM_CFG_SETTINGS_APPLIED = 7035;  // cfg -> mon, sent: reload (LParam profile)
inline constexpr std::uint32_t WM_CFG_CLOSE = 7036;             // mon -> cfg, posted: end without asking
inline constexpr std::uint32_t WM_CFG_LANGUAGE_CHANGED = 7037;  // cfg -> mon, sent: reload and apply the language
inline constexpr std::uint32_t WM_CFG_RESERVED = 7038;          // nobody sends it
inline constexpr std::uint32_t WM_CFG_SWITCH_PROFILE = 7040;    // mon -> cfg, sent: switch to profile WParam
inline constexpr std::uint32_t WM_CFG_CPI_INDEX = 7042;         // mon -> cfg, posted: DPI level WParam is current
inline constexpr std::uint32_t WM_MON_BUTTON_EVENT = 7524;      // mon -> itself, posted: button or profile event

// Not a message of the table: the request that the configuration program show its window and
// bring it to the front (one program cannot raise another's window on every desktop), from the
// monitor's tray click and "Config", and from a second start of the configuration program.
// Posted, WParam 0, LParam 0.
inline constexpr std::uint32_t VYK_IPC_SHOW_WINDOW = 7100;
