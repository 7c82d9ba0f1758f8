#pragma once
// ApplyInputQueue: holds back the inputs that would interleave with APPLY's device writes and
// runs them, in the order they came, once APPLY is done.
//
// APPLY lets the UI thread handle waiting events between its writes (the window repaints, the
// progress bar moves, the pointer hovers). While it is held, the queue keeps back:
//   - mouse presses, releases, double clicks, drags (moves with a button down), wheel turns,
//     context-menu requests and keys aimed at the window or at a popup that belongs to it (a
//     profile button, a DPI level radio, OK or APPLY, RESET ALL, a colour swatch, ...): each
//     is copied and delivered to its widget later, exactly as it came;
//   - the monitor's messages WM_CFG_SWITCH_PROFILE, WM_CFG_CPI_INDEX and WM_CFG_CLOSE; the
//     monitor gets 0 at once and the message is handled later by the window's own handler.
// Everything else (paint, timers, hover, dialogs of their own, other messages) goes on as
// usual. A held WM_CFG_CLOSE wins: when it is released, the other held inputs are dropped and
// only the close runs (the program ends without acting on them).
//
// While a dialog of the window is open (a question, a key dialog, the macro manager, a file
// dialog), HoldMessages keeps back only WM_CFG_SWITCH_PROFILE and WM_CFG_CPI_INDEX, so that
// the dialog's answer lands on the profile it was asked for; the dialog itself is not held,
// and the main window is blocked by it anyway.
//
// Hold/Release and HoldMessages/ReleaseMessages nest, also within each other; once the last
// hold of either kind is released, holding stops and what was held runs, in the order it came,
// each entry under the default error handler (nothing thrown leaves a release, so it may run
// from a destructor). An input whose widget is gone by then is dropped.
//
// UI thread only.

#include "config/link/CfgLink.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;

namespace vyk::config {

class ApplyInputQueue : public QObject {
    Q_OBJECT
public:
    // window: the window whose inputs are held (it owns the queue). link: where the window
    // receives its messages; normal: the window's own message handler, reinstalled on release.
    ApplyInputQueue(QWidget* window, CfgLink& link, CfgLink::MessageHandler normal);
    ~ApplyInputQueue() override;

    void Hold();
    void Release();
    void HoldMessages();
    void ReleaseMessages();
    bool Holding() const { return FDepth > 0 || FMessageDepth > 0; }
    // Inputs waiting (for tests and diagnostics).
    std::size_t Pending() const { return FItems.size(); }

    // Holds for the lifetime of the object.
    class Scope {
    public:
        explicit Scope(ApplyInputQueue& q) : FQueue(q) { FQueue.Hold(); }
        ~Scope() { FQueue.Release(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        ApplyInputQueue& FQueue;
    };

    // Holds the monitor's profile and DPI-level messages while a dialog is open.
    class DialogScope {
    public:
        explicit DialogScope(ApplyInputQueue& q) : FQueue(q) { FQueue.HoldMessages(); }
        ~DialogScope() { FQueue.ReleaseMessages(); }
        DialogScope(const DialogScope&) = delete;
        DialogScope& operator=(const DialogScope&) = delete;

    private:
        ApplyInputQueue& FQueue;
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        QPointer<QWidget> target;  // an input event, or
        std::unique_ptr<QEvent> event;
        std::function<void()> run;  // a message
        bool quit = false;
    };

    bool Belongs(QWidget* w) const;
    std::int64_t HeldHandler(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam);
    void RunHeld();
    void StartListening();
    void StopWhenIdle();

    QWidget* FWindow;
    CfgLink& FLink;
    CfgLink::MessageHandler FNormal;
    int FDepth = 0;         // inputs and messages (APPLY)
    int FMessageDepth = 0;  // the profile and DPI-level messages only (a dialog)
    bool FRunning = false;
    std::vector<Item> FItems;
};

}  // namespace vyk::config
