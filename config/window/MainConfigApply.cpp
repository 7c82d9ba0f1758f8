// TVYKCFGMAIN: APPLY and OK (saving and writing to the mouse).
#include "config/window/MainConfig.h"

#include <QCoreApplication>
#include <QThread>

void TVYKCFGMAIN::BtnApplyClick() {}

void TVYKCFGMAIN::BtnOKClick() {}

bool TVYKCFGMAIN::ApplySettings() { return false; }

void TVYKCFGMAIN::WriteProfileToDevice(const TMouseProfileInfo&, int) {}

void TVYKCFGMAIN::NotifyDeviceAndMonitor() {}

void TVYKCFGMAIN::PumpMessages() { QCoreApplication::processEvents(); }

void TVYKCFGMAIN::PumpMessagesAndWait() {
    PumpMessages();
    QThread::msleep(100);
}

void TVYKCFGMAIN::TimerProcessTimer() {}

void TVYKCFGMAIN::Timer2Timer() {}
