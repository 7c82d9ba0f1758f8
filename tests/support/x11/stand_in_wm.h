#pragma once
// A stand-in window manager for tests on a private Xvfb, which runs none: it maps the windows
// that programs ask to map, moves, resizes and restacks them as asked, and iconifies a window
// that asks for it (the ICCCM WM_CHANGE_STATE message), keeping each window's WM_STATE as a
// window manager does, so Qt sees real window states. restore() does what a click on a task-bar
// entry does. It also reads what the desktop would show of a window.
//
// It works on its own X connection (DISPLAY), serviced on the UI thread by a socket notifier;
// every query first handles the events that are waiting. running() is false without a display
// or when another window manager runs. Window IDs are X window IDs (QWidget::winId() of a
// top-level widget: the stand-in does not reparent).
//
// Link PkgConfig::X11LIBS and add stand_in_wm.cpp to the test program.
//
// UI thread only.

#include <QString>

#include <memory>
#include <vector>

namespace vyk::test {

class StandInWindowManager {
public:
    StandInWindowManager();
    ~StandInWindowManager();
    StandInWindowManager(const StandInWindowManager&) = delete;
    StandInWindowManager& operator=(const StandInWindowManager&) = delete;

    bool running() const;

    // WM_STATE values.
    static constexpr int Withdrawn = 0, Normal = 1, Iconic = 3;

    // A task-bar click on an iconified window: it is mapped and becomes Normal.
    void restore(unsigned long window);
    // The window's WM_STATE (Withdrawn when it has none).
    int state(unsigned long window);
    // The window is mapped and every window above it in its tree is too.
    bool viewable(unsigned long window);
    // The top-level windows from the bottom of the stack to its top.
    std::vector<unsigned long> stackingOrder();
    // _NET_WM_NAME (UTF-8), or WM_NAME when the window has none.
    QString name(unsigned long window);

    // Handles the requests and messages that are waiting.
    void handlePending();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace vyk::test
