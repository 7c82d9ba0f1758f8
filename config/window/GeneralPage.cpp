#include "config/window/GeneralPage.h"

#include "config/toolkit/SkinStyle.h"
#include "config/window/PointerPanel.h"

#include <QFrame>

namespace {

// The page is 606 × 412; the pointer area takes the right edge, a rule parts the two areas.
constexpr int kPageW = 606, kPageH = 412;
constexpr int kPointerX = kPageW - POINTER_PANEL_WIDTH;

}  // namespace

TGeneralPage::TGeneralPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent)
    : TCfgPage(dm, state, link, parent) {
    setObjectName(QStringLiteral("PageGeneral"));

    AssignArea = new QWidget(this);
    AssignArea->setObjectName(QStringLiteral("AssignArea"));
    AssignArea->setGeometry(0, 0, kPointerX - 6, kPageH);

    auto* rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("PointerRule"));
    rule->setGeometry(kPointerX - 4, 12, 1, kPageH - 24);
    rule->setStyleSheet(QStringLiteral("background: %1;").arg(vyk::config::skincolor::Rim.name()));

    Pointer = new TPointerPanel(dm, state, link, this);
    Pointer->setGeometry(kPointerX, 0, POINTER_PANEL_WIDTH, kPageH);
}
