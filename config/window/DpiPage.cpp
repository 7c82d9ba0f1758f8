#include "config/window/DpiPage.h"

TDpiPage::TDpiPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent)
    : TCfgPage(dm, state, link, parent) {
    setObjectName(QStringLiteral("PageDpi"));
}
