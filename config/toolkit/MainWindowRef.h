#pragma once
// The configuration program's main window, for the dialogs that centre on it. The main window
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

}  // namespace vyk::config
