#include "config/window/LightPage.h"

TLightPage::TLightPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent)
    : TCfgPage(dm, state, link, parent) {
    setObjectName(QStringLiteral("PageLight"));
}
