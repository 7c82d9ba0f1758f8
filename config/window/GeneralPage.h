#pragma once
// TGeneralPage: the GENERAL tab. Two separate areas side by side:
//  - AssignArea (left): the mouse views with their button-assignment buttons;
//  - Pointer (right, TPointerPanel): polling rate, pointer settings, the double-click test area.
// Its controls edit the data module's current profile and the window's shared state; device
// writes go through the CfgLink the page was given.
//
// UI thread only.

#include "config/window/CfgPage.h"

class TPointerPanel;

class TGeneralPage : public TCfgPage {
    Q_OBJECT
public:
    TGeneralPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr);

    // The button-assignment area: the mouse views and the assignment buttons go in here.
    QWidget* AssignArea = nullptr;
    // The pointer area.
    TPointerPanel* Pointer = nullptr;
};
