// The macro manager's options (window and controls in macrofrm.cpp): RECORD DELAYS BETWEEN
// ACTION, INSERT DEFAULT DELAY with its default delay, LOOPS TIMES with its count and REPEAT RUN
// WHEN KEY DOWN, each stored into the current macro as it changes.

#include "config/dialogs/macrofrm.h"

#include "config/toolkit/ImageStateButton.h"
#include "core/macro/uiMacroClassUnit.h"

#include <QSignalBlocker>
#include <QSpinBox>

void TFrmMacro::BtnAutoDelayClick() {
    if (!BtnAutoDelay->IsPressed()) {
        BtnCustomDelay->SetPressed(false);
        NumBoxDelay->setEnabled(false);
    }
    SaveAutoDelaySetting();
}

void TFrmMacro::SaveAutoDelaySetting() {
    if (FMacroSetClass == nullptr || MacroListIndex() < 0) return;
    FMacroSetClass->CurrentMacroClass()->SetMacroAutoDelay(MacroListIndex(), BtnAutoDelay->IsPressed() ? 1 : 0);
    FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();
}

void TFrmMacro::BtnCustomDelayMouseUp() {
    NumBoxDelay->setEnabled(BtnCustomDelay->IsPressed());
    if (BtnCustomDelay->IsPressed()) BtnAutoDelay->SetPressed(true);
}

void TFrmMacro::BTNMACROLOOPClick() {
    if (BtnMacroLoop->IsPressed() && BTNLOOPRUN->IsPressed()) BTNLOOPRUN->SetPressed(false);
    UpdateLoopBox();
    SaveLoopSettings();
}

void TFrmMacro::BTNLOOPRUNClick() {
    if (BTNLOOPRUN->IsPressed() && BtnMacroLoop->IsPressed()) BtnMacroLoop->SetPressed(false);
    UpdateLoopBox();
    SaveLoopSettings();
}

void TFrmMacro::UpdateLoopBox() {
    const QSignalBlocker block(BoxMacroLoop);
    const bool on = BtnMacroLoop->IsPressed();
    BoxMacroLoop->setEnabled(on);
    BoxMacroLoop->setMinimum(on ? 1 : 0);
    BoxMacroLoop->setValue(on ? 1 : 0);
}

void TFrmMacro::SaveLoopSettings() {
    if (FMacroSetClass == nullptr || MacroListIndex() < 0) return;
    const int loops = BtnMacroLoop->IsPressed() ? BoxMacroLoop->value() : 0;
    FMacroSetClass->CurrentMacroClass()->SetMacroLoopValue(MacroListIndex(), BTNLOOPRUN->IsPressed() ? 1 : 0, loops);
    FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();
}
