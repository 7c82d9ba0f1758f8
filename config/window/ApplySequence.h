#pragma once
// TApplySequence: APPLY's sequence (also run by OK): save everything, hand the pointer settings
// to the desktop, write the changed profiles, the used macros and the active profile into the
// mouse, and tell the monitor to reload; plus the short tail that tells the mouse and the
// monitor after an immediate DPI write (NotifyDeviceAndMonitor) and the two message pumps used
// between device writes.
//
// Like the window's other units it is given what it works on when it is made: the data
// module, the window's shared state, the link, the window's macro database and the record of
// the macro buttons' binding, the button assignment (which binds the macro buttons of every
// profile before the save), the queue that holds the window's inputs back while the mouse is
// written, and what the window shows: the start of the progress bar and the store's reports.
// The window keeps the buttons, the progress bar and its timers.
//
// Every device result is checked: a profile whose blocks did not all reach the mouse keeps its
// changed flag (the next APPLY writes it again), and the user is told once, after the whole
// sequence ran, so the mouse is never left in write mode 0 by an early stop. Inputs that would
// interleave with the writes (profile buttons, DPI radios, OK/APPLY, the monitor's profile,
// DPI-level and close messages, ...) wait in the queue and run afterwards. A storage error in
// the first save ends APPLY before the mouse is touched; one in the later save of the current
// profile is raised after the sequence ran to its end.
//
// UI thread only; the pumps let the window's other handlers run in the middle of the work.

#include "config/window/MacroButtonBinding.h"
#include "core/defs/pubunit_norvane.h"

#include <functional>

class CfgLink;
class TButtonAssignment;
class TDM;
class TuiMacroSetClass;
struct TCfgState;
namespace vyk::config {
class ApplyInputQueue;
}

class TApplySequence {
public:
    using QueueFn = std::function<vyk::config::ApplyInputQueue&()>;
    // Starts the progress bar; slow when the polling rate was edited.
    using StartProgressFn = std::function<void(bool slow)>;
    using ShowStoreReportsFn = std::function<void()>;

    TApplySequence(TDM& dm, TCfgState& state, CfgLink& link, TuiMacroSetClass& macros,
                   const vyk::config::TMacroButtonBinding& binding, TButtonAssignment& assignment, QueueFn queue,
                   StartProgressFn startProgress, ShowStoreReportsFn showStoreReports);

    // The whole sequence. False when the mouse is absent (everything is saved, nothing
    // written) or when something could not be written to it.
    bool ApplySettings();
    // True when every block of the profile reached the mouse.
    bool WriteProfileToDevice(const TMouseProfileInfo& AProfile, int AProfileIndex);
    // Device command 1, a pause, then the monitor reloads (the current profile index).
    void NotifyDeviceAndMonitor();

    // Lets the UI thread handle the events that wait.
    static void PumpMessages();
    // The same, then a pause of 100 ms that keeps handling events.
    static void PumpMessagesAndWait();

private:
    TDM& FDM;
    TCfgState& FState;
    CfgLink& FLink;
    TuiMacroSetClass& FMacroSetClass;
    const vyk::config::TMacroButtonBinding& FMacroBinding;
    TButtonAssignment& FAssignment;
    QueueFn FQueue;
    StartProgressFn FStartProgress;
    ShowStoreReportsFn FShowStoreReports;
};
