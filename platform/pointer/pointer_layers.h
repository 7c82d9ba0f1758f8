#pragma once
// The real backends behind pointer_settings.h, one per place the settings go. Each factory
// returns nullptr when its place is not there (no schema, no X server, no GUI application),
// and a layer that fails on one setting goes on with the next. Internal to platform/pointer.
//
// Threads: a layer is made, used and destroyed on one thread. The X layer holds its own X
// connection for its lifetime; the own-process layer posts to the UI thread when used on
// another one.

#include "platform/pointer/pointer_settings.h"

#include <memory>

namespace vyk::platform::pointer {

// GSettings org.gnome.desktop.peripherals.mouse, when the schema is installed.
std::unique_ptr<PointerBackend> makeDesktopSettingsLayer();
// What makeDesktopSettingsLayer needs first, loaded (see preparePointerSettings). Any thread.
void prepareDesktopSettingsLayer();

// The X server named by DISPLAY, when it answers.
std::unique_ptr<PointerBackend> makeX11Layer();

// QStyleHints of this process, when it is a GUI application.
std::unique_ptr<PointerBackend> makeOwnProcessLayer();

}  // namespace vyk::platform::pointer
