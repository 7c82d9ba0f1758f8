#include "config/window/GeneralPage.h"

TGeneralPage::TGeneralPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent)
    : TCfgPage(dm, state, link, parent) {
    setObjectName(QStringLiteral("PageGeneral"));
}
