#pragma once
// The desktop's pointer settings: pointer speed, acceleration, wheel lines and the double-click
// time, as the configuration program hands them over.
//
// applyPointerSettings applies acceleration, speed and wheel lines, in that order, each through
// every backend that is there, in this order (a missing backend is skipped without a word):
//   1. the desktop's own settings (GSettings schema org.gnome.desktop.peripherals.mouse, only
//      when the schema is installed and the settings store reaches the desktop, i.e. not dconf
//      without a session bus): `accel-profile`, `speed`, `double-click`. They persist and the
//      desktop follows them at once;
//   2. the X server, when DISPLAY names one that answers: the core pointer control
//      (acceleration factor and threshold) and, on XInput pointer devices that have them, the
//      properties "libinput Accel Profile Enabled" and "libinput Accel Speed";
//   3. our own process: the double-click interval and the wheel lines of QStyleHints.
// Linux has no system-wide wheel-lines setting: the wheel lines reach our own process only.
//
// The mappings (see the functions below):
//   - speed 1..20 maps linearly onto -1..1 (1 -> -1, 20 -> 1, so the old default 10 gives
//     -0.053); values outside 1..20 are taken as the nearest end;
//   - acceleration 0 is "no acceleration" (X factor 1/1, flat profile); 1..3 are the presets
//     {threshold 1, threshold 2, factor step} = {7,0,1}, {4,6,2}, {4,0,1}: the pointer moves
//     twice as fast above threshold 1 and, with step 2, four times as fast above threshold 2.
//     X knows one threshold and one factor: we take the factor the preset ends at (2, 4, 2)
//     and the threshold where it starts (7, 6, 4). Every preset 1..3 is the adaptive profile;
//   - an acceleration outside 0..3 applies nothing at all (none of the three settings).
//
// Threads: applyPointerSettings may run on any thread, typically a TuiThread worker; it opens
// an X connection of its own and closes it before returning, never touches widgets, and
// posts the own-process part to the UI thread. It may wait for the X server or the settings
// store, so never call it on the UI thread. setDoubleClickTime is for the UI thread and applies
// at once (from another thread the own-process part is posted). Neither reports a result: a
// backend that fails is skipped (a diagnostic line is written when VYK_DEBUG is set).

namespace vyk::platform {

struct PointerSettings {
    int speed = 10;        // 1..20
    int wheelLines = 3;    // 1..10
    int acceleration = 1;  // 0..3
};

// The acceleration presets: {threshold 1, threshold 2, factor step}.
struct AccelerationPreset {
    int threshold1 = 0;
    int threshold2 = 0;
    int acceleration = 0;
};
bool accelerationInRange(int acceleration);
// The preset of an acceleration 0..3; {0,0,0} for anything else.
AccelerationPreset accelerationPreset(int acceleration);

// The X core pointer control for a preset: motion above `threshold` is multiplied by
// numerator/denominator. Preset {0,0,0} gives 1/1 and keepThreshold (the threshold does not
// matter without acceleration, so the server's stays).
struct XPointerAcceleration {
    int numerator = 1;
    int denominator = 1;
    int threshold = 0;
    bool keepThreshold = false;
};
XPointerAcceleration xPointerAcceleration(const AccelerationPreset& preset);

// The desktop's speed -1..1 for a pointer speed 1..20 (outside values clamped).
double desktopPointerSpeed(int speed);

// The double-click time that is applied for a requested one: 0 means the usual 500 ms, and no
// time is longer than 5000 ms or shorter than 1 ms (a negative request counts as 0).
int effectiveDoubleClickTime(int ms);

// Applies acceleration, speed and wheel lines (see above). Returns when done.
void applyPointerSettings(const PointerSettings& settings);

// Sets the double-click time (ms, see effectiveDoubleClickTime) for the desktop and our own
// process.
void setDoubleClickTime(int ms);

// Loads, on the calling thread, what the desktop's settings need the first time they are used
// (the installed schemas, the settings backend with its module), so that the first
// setDoubleClickTime does not wait for that on the UI thread. Any thread; changes no setting;
// a later call costs next to nothing.
void preparePointerSettings();

// One backend of the settings: the calls in the order applyPointerSettings makes them. The
// values arrive unchanged except that the acceleration has passed the 0..3 check and the
// double-click time is the effective one.
class PointerBackend {
public:
    virtual ~PointerBackend() = default;
    virtual void setAcceleration(int acceleration, const AccelerationPreset& preset) = 0;
    virtual void setSpeed(int speed) = 0;
    virtual void setWheelLines(int lines) = 0;
    virtual void setDoubleClickTime(int ms) = 0;
};

// Replaces all real backends by `backend` (not owned; it must outlive every call made while
// it is set, also on workers). nullptr restores the real ones. See recording_pointer_backend.h.
void setPointerBackendForTesting(PointerBackend* backend);

}  // namespace vyk::platform
