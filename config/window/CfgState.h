#pragma once
// TCfgState: the state the configuration window shares between its areas (frame, APPLY,
// profiles, buttons, settings) and its pages.
//
// - SettingsChanged: something was edited and not applied; the close question asks only then.
//   Editing handlers and a language change set it, APPLY clears it.
// - ReportRateChanged: the polling rate was edited since the window was last shown; APPLY
//   then runs its progress bar at the slower pace.
// - MouseParams: the pointer settings being edited (config/link/MouseParams.h), handed to the
//   desktop by APPLY.
// - LEDCache: the lighting values being previewed on the mouse.
// - DblClickTestCentrePending: one shot; the double-click test area centres itself on its first
//   paint after the window was initialised.
//
// Plain data, UI thread only. FillFromProfile takes the values as stored: stored profiles are
// not trusted, so whoever acts on MouseParams checks the ranges there.

#include "config/link/MouseParams.h"
#include "core/defs/pubunit_norvane.h"

struct TCfgState {
    bool SettingsChanged = false;
    bool ReportRateChanged = false;
    TMouseParams MouseParams{};
    TLEDCONFIG LEDCache{};
    bool DblClickTestCentrePending = false;

    // MouseParams (pointer speed, acceleration, vertical wheel speed) and LEDCache (R, G, B,
    // brightness, breathing speed; BREATH_SECOND carried along) from a profile.
    void FillFromProfile(const TMouseProfileInfo& profile) {
        const TMOUSECONFIGINFO& c = profile.ConfigInfo;
        MouseParams.PointerSpeed = c.PointerSpeed;
        MouseParams.WheelLines = c.VWheelSpeed;
        MouseParams.Acceleration = c.PointerAcceleration;
        LEDCache = c.LEDConfig;
    }
};
