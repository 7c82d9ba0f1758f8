// TVYKCFGMAIN: the frame's skin images. A missing file leaves the control as it was (the
// toolkit's buttons then paint their plain face, the frame its plain background).
#include "config/window/MainConfig.h"

#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinStyle.h"
#include "config/window/ButtonAssignPanel.h"
#include "config/window/DpiPage.h"
#include "config/window/GeneralPage.h"
#include "config/window/LightPage.h"
#include "config/window/PointerPanel.h"

namespace {

const QString kBackground = QStringLiteral("background");
const QString kButtons = QStringLiteral("Buttons");

}  // namespace

void TVYKCFGMAIN::LoadSkinImages() {
    vyk::config::ApplyStyleFile();
    CreateGlobalImageDataBase();

    GlobalImageDataBase->AssignIMAGE(FBackground, QStringLiteral("cfgMainback.png"), kBackground);
    for (TImageStateButton* tab : {BtnMainConfig, BtnCPI, BtnColor, BtnUpdate}) {
        tab->LoadSkin(QStringLiteral("buttons"), QStringLiteral("tabbutton-1.png"), QStringLiteral("tabbutton-2.png"),
                      QStringLiteral("tabbutton-3.png"));
    }
    for (TImageStateButton* b : BtnProfile) {
        b->LoadSkin(kButtons, QStringLiteral("ProfileButton-1.png"), QStringLiteral("ProfileButton-2.png"),
                    QStringLiteral("ProfileButton-3.png"));
        b->setFont(vyk::config::TitleFont(15, true));
    }
    for (TImageStateButton* b : {BtnOK, BtnCancel, BtnApply, BtnRestor, BtnRestoreall, BtnLoad, BtnSave}) {
        b->LoadSkin(kButtons, QStringLiteral("ok-1.png"), QStringLiteral("ok-2.png"), QStringLiteral("ok-3.png"));
        b->setFont(vyk::config::TitleFont(13, true));
    }
    for (TImageStateButton* tab : {BtnMainConfig, BtnCPI, BtnColor, BtnUpdate})
        tab->setFont(vyk::config::TitleFont(15, true));
    // For these two the "-2" file is the pressed face and "-3" the hot one.
    BTNMIN->LoadSkin(kButtons, QStringLiteral("min-1.png"), QStringLiteral("min-3.png"), QStringLiteral("min-2.png"));
    BtnClose->LoadSkin(kButtons, QStringLiteral("Close-1.png"), QStringLiteral("Close-3.png"),
                       QStringLiteral("Close-2.png"));
    // A bitmap face carries its own glyph.
    if (!BTNMIN->NormalBitmap().isNull()) BTNMIN->setText(QString());
    if (!BtnClose->NormalBitmap().isNull()) BtnClose->setText(QString());
    PageGeneral->Pointer->LoadSkin();
    ButtonAssignment->ButtonAssign->LoadSkin();
    // The pages made late load theirs when they are made.
    if (TDpiPage* dpi = PageDpi.IfMade()) dpi->LoadSkin();
    if (TLightPage* light = PageLight.IfMade()) light->LoadSkin();
    update();
}
