#pragma once
// TGeneralPage: the GENERAL tab: polling rate, pointer settings, the double-click test area and the mouse views with their assignment buttons.
// Its controls edit the data module's current profile and the window's shared state; device
// writes go through the CfgLink the page was given.
//
// UI thread only.

#include "config/window/CfgPage.h"

class TGeneralPage : public TCfgPage {
    Q_OBJECT
public:
    TGeneralPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr);
};
