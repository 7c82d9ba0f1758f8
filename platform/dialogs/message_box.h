#pragma once
// Modal message boxes.
//
// Everything here runs on the UI thread. Tests (and headless runs) install a hook that sees
// each box instead of showing it, so nothing ever blocks waiting for a click.
//
// Boxes never nest: while one is open (its event loop runs timers, messages and device
// events), a further box from any source is not shown; its text goes to the diagnostic log.

#include <QString>

#include <functional>

class QWidget;

namespace vyk::platform {

enum class MessageIcon { None, Information, Warning, Error };

// Shows a modal box with an OK button; returns when it is closed (at once, showing nothing,
// while another box is open).
void messageBox(const QString& caption, const QString& text, MessageIcon icon = MessageIcon::None,
                QWidget* parent = nullptr);

// True while a box (or the hook standing in for it) is open.
bool messageBoxOpen();

// A plain message whose caption is the application's title.
void showMessage(const QString& text);

// Replaces the real boxes (caption, text, icon). Pass an empty function to restore them.
using MessageBoxHook = std::function<void(const QString& caption, const QString& text, MessageIcon icon)>;
void setMessageBoxHook(MessageBoxHook hook);

// Makes the default error handler of platform/diag (reportException, guarded) show its texts
// in a box captioned with the application's title. The programs call it at start-up.
void installMessageBoxErrorReporter();

}  // namespace vyk::platform
