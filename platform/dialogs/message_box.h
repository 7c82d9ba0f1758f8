#pragma once
// Modal message boxes, the program's default error handler and diagnostic lines.
//
// Everything here runs on the UI thread. Tests (and headless runs) install a hook that sees
// each box instead of showing it, so nothing ever blocks waiting for a click.

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace vyk::platform {

enum class MessageIcon { None, Information, Warning, Error };

// Shows a modal box with an OK button; returns when it is closed.
void messageBox(const QString& caption, const QString& text, MessageIcon icon = MessageIcon::None,
                QWidget* parent = nullptr);

// A plain message whose caption is the application's title.
void showMessage(const QString& text);

// Replaces the real boxes (caption, text, icon). Pass an empty function to restore them.
using MessageBoxHook = std::function<void(const QString& caption, const QString& text, MessageIcon icon)>;
void setMessageBoxHook(MessageBoxHook hook);

// The application's default error handler: reports the exception in a box and returns, so
// the program runs on. Call it from every entry point (slot, timer, device event, IPC).
void reportException(const std::exception& e);
void reportUnknownException();

// Runs fn, reporting any exception through the default error handler. Returns false when
// an exception was reported.
bool guarded(const std::function<void()>& fn);

// A diagnostic line. Written to stderr only when VYK_DEBUG is set, and appended to the file
// named by VYK_DEBUG_LOG when that is set. There is no log file otherwise.
void debugLog(const QString& line);

}  // namespace vyk::platform
