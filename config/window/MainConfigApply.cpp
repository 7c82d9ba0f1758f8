// TVYKCFGMAIN: the APPLY and OK buttons (the sequence itself is TApplySequence's), the progress
// bar, the close after OK, the queue that holds inputs back while the mouse is written, and
// the store's reports (after start-up, LOAD FILE and APPLY's saves).
#include "config/window/MainConfig.h"

#include "config/dialogs/showdialog.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/window/ApplyInputQueue.h"
#include "core/language/vgLang.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"

#include <QProgressBar>
#include <QTimer>

#include <utility>

using vyk::toolkit::translate;

namespace {

// Enables a button again when the handler that disabled it ends, also by an error.
class ReEnable {
public:
    explicit ReEnable(QWidget* w) : FWidget(w) { FWidget->setEnabled(false); }
    ~ReEnable() { FWidget->setEnabled(true); }
    ReEnable(const ReEnable&) = delete;
    ReEnable& operator=(const ReEnable&) = delete;

private:
    QWidget* FWidget;
};

}  // namespace

vyk::config::ApplyInputQueue& TVYKCFGMAIN::ApplyQueue() {
    if (FApplyQueue == nullptr) {
        FApplyQueue = new vyk::config::ApplyInputQueue(
            this, *FLink,
            [this](std::uint32_t msg, std::int64_t w, std::int64_t l) { return HandleMessage(msg, w, l); });
    }
    return *FApplyQueue;
}

void TVYKCFGMAIN::BtnApplyClick() {
    // The held inputs run after the button is back (the scopes end in reverse order).
    vyk::config::ApplyInputQueue::Scope hold(ApplyQueue());
    ReEnable enable(BtnApply);
    ApplySettings();
}

void TVYKCFGMAIN::BtnOKClick() {
    vyk::config::ApplyInputQueue::Scope hold(ApplyQueue());
    ReEnable enable(BtnOK);
    // The window closes once the progress bar is gone; it stays open when APPLY failed.
    if (ApplySettings()) Timer2->start();
}

void TVYKCFGMAIN::TimerProcessTimer() {
    const int value = ProgressBarTime->value();
    if (value == 90) {
        // The last step lingers for a second.
        TimerProcess->stop();
        TimerProcess->setInterval(1000);
        TimerProcess->start();
        ProgressBarTime->setValue(value + 1);
        return;
    }
    const int next = value + 10;
    if (next >= 100) {
        TimerProcess->stop();
        ProgressBarTime->hide();
        ProgressBarTime->setValue(0);
    } else {
        ProgressBarTime->setValue(next);
    }
}

void TVYKCFGMAIN::Timer2Timer() {
    if (!ProgressBarTime->isHidden()) return;
    Timer2->stop();
    close();
}

void TVYKCFGMAIN::ShowStoreReports() {
    // Each once, also when the window is shown again; the monitor's messages wait meanwhile.
    const QStringList macroProblems = std::exchange(FStartupProblems, {});
    const QList<TStoreReport> storeReports = FDM->TakeStoreReports();
    if (macroProblems.isEmpty() && storeReports.isEmpty()) return;
    vyk::config::ApplyInputQueue::DialogScope asking(ApplyQueue());
    for (const QString& text : macroProblems) ShowDialog(translate(QStringLiteral("WARNING")), text);
    for (const TStoreReport& r : storeReports) {
        vyk::platform::debugLog(QStringLiteral("config: store: ") + r.Format());
        ShowDialog(translate(QStringLiteral("WARNING")), r.Format(translate));
    }
}
