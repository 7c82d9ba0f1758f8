#pragma once
// CfgLink: the one seam between the configuration window and the world outside it: the mouse,
// the tray monitor and the desktop. Pages, dialogs and the window's areas reach those only
// through this interface, so that they can be built and tested alone; the real
// implementation is CfgSystemLink (the only unit of config/ that includes core/device or
// platform/ipc), tests may use it against vyk-mouse-sim and a stand-in monitor, or a
// recording double.
//
// Device operations go to every interface of the mouse that matches the configuration
// collection (usage page 0xFFA0, usage 1) and return 0 or the error code of the HID call; with
// no mouse they fail with a non-zero code and nothing else happens. Profile indexes are 0..4
// and macro indexes 0..29; the link computes the device addresses and refuses (code 87) a
// profile outside 0..4 before anything is sent.
//
// Monitor messages look the monitor's window up afresh each time; a missing monitor makes a
// send return at once (false) and a post vanish (false). A monitor that does not answer within
// the peer timeout counts as missing.
//
// Everything is called on the UI thread, except that ApplyPointerSettings hands its work to a
// worker thread of its own and returns at once.

#include "config/link/MouseParams.h"
#include "core/defs/pubunit_norvane.h"
// The numbers of the messages between the programs travel with the seam.
#include "core/defs/vyk_messages.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

struct TMacroTables;

class CfgLink {
public:
    // Block sizes the device writes take (the encoders of core/device build them).
    using TButtonBlock = std::array<std::uint8_t, 77>;
    using TCPIBlock = std::array<std::uint8_t, 42>;

    // Result of a device operation that was refused before anything was sent.
    static constexpr std::uint32_t kInvalidParameter = 87;

    // A message the window receives: its number, WParam and LParam; the result goes back to a
    // sender.
    using MessageHandler = std::function<std::int64_t(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam)>;
    using ArrivalHandler = std::function<void()>;

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
    virtual std::uint32_t WriteButtonTable(const TButtonBlock& block, int profile) = 0;
    // The six bytes as given (the caller has inverted R, G and B).
    virtual std::uint32_t WriteLEDConfig(const TLEDCONFIG& block, int profile) = 0;
    virtual std::uint32_t WriteCPITable(const TCPIBlock& block, int profile) = 0;
    virtual std::uint32_t WriteReportRate(std::uint8_t code, int profile) = 0;
    // Every macro whose length is above 0 at its place in device memory.
    virtual std::uint32_t WriteMacroTables(const TMacroTables& tables) = 0;
    virtual std::uint32_t WriteDeviceByte(std::uint8_t value, int address) = 0;
    virtual std::uint32_t WriteActiveProfile(std::uint8_t profile) = 0;
    virtual std::uint32_t SendProfileCommand(std::uint8_t param1, std::uint8_t param2) = 0;
    // The first five bytes of the record (the caller has inverted R, G and B).
    virtual std::uint32_t SetLEDPreview(const TLEDCONFIG& led) = 0;
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
