#pragma once
// TLightPage: the LIGHT tab: brightness, breathing speed and the lighting colour.
// Its controls edit the data module's current profile and the window's shared state; device
// writes go through the CfgLink the page was given.
//
// UI thread only.

#include "config/window/CfgPage.h"

class TLightPage : public TCfgPage {
    Q_OBJECT
public:
    TLightPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr);
};
