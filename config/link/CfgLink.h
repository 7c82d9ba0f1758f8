#pragma once
// CfgLink: the one seam between the configuration window and the world outside it: the mouse,
// the tray monitor and the desktop. Pages, dialogs and the window's areas reach those only
// through this interface, so that they can be built and tested alone; the real
// implementation is CfgSystemLink, in the library of config/link, the only one of config/
// that includes core/device or platform/ipc. Tests may use it against vyk-mouse-sim and a
// stand-in monitor, or a recording double.
//
// The seam speaks the system's records: a profile, its DPI levels, a lighting record, the
// macros of the current set. What the mouse keeps of them is made behind it, once: the
// encoded blocks, the mouse's order of the buttons, the fixed function of button record 18,
// the macro each macro button announces, and the colour with R, G and B inverted.
//
// Device operations go to every interface of the mouse that matches the configuration
// collection (usage page 0xFFA0, usage 1) and return 0 or the error code of the HID call; with
// no mouse they fail with a non-zero code and nothing else happens. Profile indexes are 0..4
// and macro indexes 0..29; the link computes the device addresses and refuses (code 87) a
// profile outside 0..4 before anything of that write is sent. Stored records are not trusted:
// the encoders keep every count within its block.
//
// Monitor messages look the monitor's window up afresh each time; a missing monitor makes a
// send return at once (false) and a post vanish (false). A monitor that does not answer within
// the peer timeout counts as missing. The message numbers are in core/defs/vyk_messages.h.
//
// Everything is called on the UI thread, except that ApplyPointerSettings hands its work to a
// worker thread of its own and returns at once.

#include "config/link/MouseParams.h"
#include "core/defs/pubunit_norvane.h"

#include <QString>

#include <bitset>
#include <cstdint>
#include <functional>
#include <type_traits>

// Button records of a profile and macros of a macro set, as the records hold them.
inline constexpr int kButtonRecords = std::extent_v<decltype(TMOUSECONFIGINFO::ButtonFuncInfo)>;  // 19
inline constexpr int kMacroSlots = std::extent_v<decltype(TMACROKEYINFOLIST::MacroInfos)>;        // 30

// A set of button records of one profile, by record index 0..18.
using TButtonRecordSet = std::bitset<kButtonRecords>;

// What the mouse receives of the current macro set: its macros, and the indexes that a button
// of some profile uses. Only those are written; the others keep what the mouse holds.
struct TUsedMacros {
    TMACROKEYINFOLIST List{};
    std::bitset<kMacroSlots> Used;
};

class CfgLink {
public:
    // Result of a device operation that was refused before anything was sent.
    static constexpr std::uint32_t kInvalidParameter = 87;

    // A message the window receives: its number, WParam and LParam; the result goes back to a
    // sender.
    using MessageHandler = std::function<std::int64_t(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam)>;
    using ArrivalHandler = std::function<void()>;
    // Runs between two device writes of one call (the window lets its events run there).
    using BetweenWrites = std::function<void()>;

    virtual ~CfgLink() = default;

    // ---- the window's own ends
    // Starts receiving the messages sent or posted to the window class "TVYKCFGMAIN"; false
    // when that is not possible (another live window of that class). Handler runs on the UI
    // thread under the default error handler; a later call replaces it. An empty handler
    // stops receiving (the window can no longer be found) and never starts anything.
    virtual bool ListenForMessages(MessageHandler handler) = 0;
    // Device arrivals; also fired once 1500 ms after the link was made.
    virtual void SetDeviceArrivalHandler(ArrivalHandler handler) = 0;

    // ---- the mouse
    virtual bool DeviceExists() = 0;
    // True when the mouse is plugged in but none of its interfaces may be opened by this user
    // (no udev rule yet, or not plugged in again since); DeviceExists is false then too.
    virtual bool DeviceAccessDenied() = 0;
    virtual std::uint32_t SetDeviceWriteMode(std::uint8_t mode) = 0;
    // The mouse's active profile, then that profile's current DPI level; index is written only
    // when both reads succeed and both values are in 0..4.
    virtual std::uint32_t ReadCurrentCPIIndex(std::int32_t& index) = 0;
    // Writes what the mouse keeps of profile `index`, in this order: its button functions (all
    // 19 records in the mouse's order of buttons, record 18 the fixed profile switch), its
    // lighting, its DPI levels and its polling rate; `between` runs after each of the first
    // three writes. Each macro button announces the macro WriteUsedMacros writes at its index
    // (its action count and loop flag, or no actions when nothing is written there), except
    // the records in `asStored`, which announce what they hold. Every write is tried; the
    // result is 0 when all four reached the mouse, else the error of the first that did not.
    virtual std::uint32_t WriteProfile(const TMouseProfileInfo& profile, int index, const TUsedMacros& macros,
                                       TButtonRecordSet asStored, const BetweenWrites& between) = 0;
    // The DPI levels of the profile (level count, current level, levels 0..4) as profile
    // `index`'s DPI block.
    virtual std::uint32_t WriteDPILevels(const TMouseProfileInfo& profile, int index) = 0;
    // Every used macro that has actions, one at a time at its place in device memory, in index
    // order, `between` after each. 0, or the error of the first write that failed; a failure
    // does not stop the others.
    virtual std::uint32_t WriteUsedMacros(const TUsedMacros& macros, const BetweenWrites& between) = 0;
    virtual std::uint32_t WriteActiveProfile(std::uint8_t profile) = 0;
    virtual std::uint32_t SendProfileCommand(std::uint8_t param1, std::uint8_t param2) = 0;
    // Shows the lighting on the mouse at once (command 4): the colour as the record holds it,
    // the brightness and the breathing speed.
    virtual std::uint32_t PreviewLighting(const TLEDCONFIG& lighting) = 0;
    virtual std::uint32_t SetSensorLift(std::uint8_t value) = 0;
    // Keeps the mouse open across a run of device operations, until the matching release
    // (holds nest): the interfaces the first operation finds serve the following ones, and a
    // failed operation closes them, so the next one looks for the mouse again. A mouse
    // unplugged and plugged in again between two operations fails the first one after that,
    // as a mouse gone does. The default does nothing.
    virtual void HoldDevice() {}
    virtual void ReleaseDevice() {}

    // HoldDevice for the lifetime of the object.
    class DeviceHold {
    public:
        explicit DeviceHold(CfgLink& link) : FLink(link) { FLink.HoldDevice(); }
        ~DeviceHold() { FLink.ReleaseDevice(); }
        DeviceHold(const DeviceHold&) = delete;
        DeviceHold& operator=(const DeviceHold&) = delete;

    private:
        CfgLink& FLink;
    };

    // ---- the monitor
    virtual bool FindMonitorWindow() = 0;
    // Sent: waits until the monitor has handled it. False when there is no monitor.
    virtual bool SendToMonitor(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) = 0;
    virtual bool PostToMonitor(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) = 0;
    // Starts the monitor program from the given folder; false when it is missing or cannot
    // start (nothing is shown).
    virtual bool StartMonitor(const QString& folder) = 0;

    // ---- the desktop
    // Applies pointer speed, wheel lines and acceleration on a worker thread of its own with a
    // copy of params; returns at once.
    virtual void ApplyPointerSettings(const TMouseParams& params) = 0;
    virtual void SetDoubleClickTime(int ms) = 0;
    // Opens an existing file or an http(s) address; anything else is refused (false).
    virtual bool OpenDocument(const QString& target) = 0;
};
