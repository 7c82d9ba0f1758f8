#pragma once
// TProfileCommands: the profile commands of the configuration window: switching the profile
// (the five profile buttons, the monitor's WM_CFG_SWITCH_PROFILE and RESET ALL), the DPI level
// the monitor reports (WM_CFG_CPI_INDEX), LOAD FILE, SAVE AS, RESTORE and RESET ALL.
//
// A switch makes another slot the data module's current profile and the mouse's active one:
// it writes no profile data (the mouse holds all five), only the active-profile byte and
// command 1, and tells the monitor to reload. Before the slot changes, the record being left
// is kept in its slot when it differs from it (the colour, the DPI level radio and the sensor
// lift live in the record only until the next save-back), so nothing edited is lost by a
// switch; its changed flag then says APPLY has to write it.
//
// A switch, RESTORE and RESET ALL hold the window's inputs and the monitor's messages the way
// APPLY does (ApplyInputQueue) while they write to the mouse and pump events: a profile
// click or a switch reported by the mouse that comes meanwhile runs after them, never in the
// middle. While their questions and the file dialogs are open the mouse's profile and DPI
// switches wait as well, so an answer never lands on another profile. The device results are
// not looked at: with no mouse the window still changes.
//
// LOAD FILE takes only a file of exactly one profile of this format version (anything else gets
// the version warning and changes nothing); values of a loaded profile that the window could
// not have produced are replaced by the store, which reports it, so the controls show what
// APPLY writes.
//
// After RESTORE and RESET ALL the monitor reloads profiles that are not stored yet (the store
// keeps the old ones until APPLY), so its button mapping follows the old profile until then.
//
// Like the window's other units it is given what it works on when it is made: the data module,
// the window's shared state, the link, the button assignment (the macro menu and the binding
// of the macro buttons follow the profile), the queue that holds inputs back, and what the
// window refreshes: all its controls, the DPI level indicators, and the store's reports.
//
// UI thread only. A profile or DPI level outside 0..4 is refused with an error (std::out_of_range)
// and changes nothing.

#include "core/defs/pubunit_norvane.h"

#include <QString>

#include <cstdint>
#include <functional>

class CfgLink;
class TButtonAssignment;
class TDM;
struct TCfgState;
namespace vyk::config {
class ApplyInputQueue;
}

class TProfileCommands {
public:
    using QueueFn = std::function<vyk::config::ApplyInputQueue&()>;
    struct TWindowRefresh {
        std::function<void()> RefreshAll;            // every refresh command, in order
        std::function<void()> RefreshCPIIndicators;  // the DPI page's current-level indicators
        std::function<void()> ShowStoreReports;      // what the store found wrong, in dialogs
    };

    TProfileCommands(TDM& dm, TCfgState& state, CfgLink& link, TButtonAssignment& assignment, QueueFn queue,
                     TWindowRefresh refresh);

    // The folder LOAD FILE and SAVE AS open in: the current profile's stored folder.
    QString FProfilePath;

    // Switches to profile `tag` (0..4).
    void BtnProfile1Click(int tag);
    // The monitor's WM_CFG_SWITCH_PROFILE: the mouse switched to `profile`. Runs inside the
    // monitor's send.
    void WMSwitchProfile(std::int64_t profile);
    // The monitor's WM_CFG_CPI_INDEX: the mouse's current DPI level, shown only (not saved, not
    // written, not an edit).
    void WMSetCurrentCPIIndex(std::int64_t level);
    void BtnLoadMouseUp();
    void BtnSaveMouseUp();
    void BtnRestorClick();
    void BtnRestoreallClick();
    // After a pause, the profile's DPI levels as profile AProfileIndex's DPI block; no command 1
    // and no message to the monitor.
    void WriteProfileCPIToDevice(const TMouseProfileInfo& AProfile, int AProfileIndex);

private:
    TDM& FDM;
    TCfgState& FState;
    CfgLink& FLink;
    TButtonAssignment& FAssignment;
    QueueFn FQueue;
    TWindowRefresh FRefresh;
};
