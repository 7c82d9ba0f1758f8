#pragma once
// TDpiPage: the DPI tab: the five DPI levels and the current-level radios.
// Its controls edit the data module's current profile and the window's shared state; device
// writes go through the CfgLink the page was given.
//
// UI thread only.

#include "config/window/CfgPage.h"

class TDpiPage : public TCfgPage {
    Q_OBJECT
public:
    TDpiPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent = nullptr);
};
