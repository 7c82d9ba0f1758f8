#pragma once
// Diagnostics and the program's default error handler, without any window code.
//
// - debugLog writes a diagnostic line: to stderr only when VYK_DEBUG is set, and appended to
//   the file named by VYK_DEBUG_LOG when that is set. There is no log file otherwise.
// - reportException / reportError are the application's default error handler: they hand the
//   text to the error reporter that the program installed (the programs install the message
//   box of platform/dialogs, see installMessageBoxErrorReporter) and return, so the program
//   runs on. Without an installed reporter the text goes to stderr.
// - guarded runs a function under that handler; call it at every entry point (slot, timer,
//   device event, IPC dispatch) so that no exception unwinds through Qt.
//
// debugLog may be called from any thread; the error handler runs on the UI thread.

#include <QString>

#include <exception>
#include <functional>

namespace vyk::platform {

void debugLog(const QString& line);

// Receives the text of every reported error. An empty function restores the default (stderr).
using ErrorReporter = std::function<void(const QString& text)>;
void setErrorReporter(ErrorReporter reporter);

void reportError(const QString& text);
void reportException(const std::exception& e);
void reportUnknownException();

// Runs fn, reporting any exception through the default error handler. Returns false when an
// exception was reported.
bool guarded(const std::function<void()>& fn);

}  // namespace vyk::platform
