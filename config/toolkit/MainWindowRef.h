#pragma once
// The configuration program's main window, for the dialogs that centre on it or minimise the
// program with it. The main window
// registers itself when it is created; the reference turns to nullptr by itself when that
// window is destroyed, so a dialog opened later centres on the screen instead.
//
// UI thread only.

class QWidget;

namespace vyk::config {

QWidget* MainWindow();
void SetMainWindow(QWidget* window);

// Moves the top-level widget w to the centre of the main window, or of the screen that holds
// the main window (or the primary screen) when there is none. Keeps w on that screen.
void CentreOnMainWindow(QWidget* w);

// Minimises the whole program from a modal window over the main window: the main window and
// `dialog` go down together, and when either comes back (a click on its task-bar entry) the
// other comes back with it and the dialog stands on top, active. Without a main window only
// the dialog goes down. Ends with the dialog.
void MinimiseProgram(QWidget* dialog);

}  // namespace vyk::config
