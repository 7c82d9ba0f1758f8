// TVYKCFGMAIN: the tabs and the pages made late. The window is made with the GENERAL page only
// (what its first frame shows); the DPI, LIGHT and INFO pages are made when first needed, or
// one by one once the first frame is out, each set up as the window's making would have set
// it up. The pointer panel's hidden sensor lift box is made with the first of them.
#include "config/window/MainConfig.h"

#include "config/toolkit/ImageStateButton.h"
#include "config/window/DpiPage.h"
#include "config/window/GeneralPage.h"
#include "config/window/InfoPage.h"
#include "config/window/LightPage.h"
#include "config/window/PointerPanel.h"
#include "core/language/uiLanguage.h"
#include "core/language/vgLang.h"
#include "platform/diag/diag.h"

#include <QStackedWidget>
#include <QTimer>

using vyk::platform::guarded;
using vyk::toolkit::translate;

// ---------------------------------------------------------------------------------------------
// Tabs

void TVYKCFGMAIN::BtnMainConfigMouseUp(int tag) { SelectTab(tag); }

void TVYKCFGMAIN::SelectTab(int i) {
    if (i < 0 || i > 3) return;
    // A page made late is made before it is shown.
    if (i == 1) PageDpi.get();
    if (i == 2) PageLight.get();
    if (i == 3) PageInfo.get();
    TabControlMain->setCurrentIndex(i);
    int k = 0;
    for (TImageStateButton* tab : {BtnMainConfig, BtnCPI, BtnColor, BtnUpdate}) tab->SetPressed(k++ == i);
}

int TVYKCFGMAIN::CurrentTab() const { return TabControlMain->currentIndex(); }

// ---------------------------------------------------------------------------------------------
// Pages made late

void TVYKCFGMAIN::PlacePage(int tab, QWidget* page) {
    QWidget* standIn = TabControlMain->widget(tab);
    const bool shown = TabControlMain->currentIndex() == tab;
    TabControlMain->insertWidget(tab, page);
    TabControlMain->removeWidget(standIn);
    delete standIn;
    if (shown) TabControlMain->setCurrentIndex(tab);
}

void TVYKCFGMAIN::TranslatePage(QWidget* page) {
    // The walk of a language switch found the window without this page; it was English then
    // and still is.
    if (!FLanguageWalked) return;
    QStringList texts;
    uiLanguage1->TranslateComponent(page, texts, true, QString());
}

void TVYKCFGMAIN::MakeDpiPage() {
    auto* page = new TDpiPage(*FDM, FState, *FLink, TabControlMain);
    PageDpi.Set(page);
    PlacePage(1, page);
    // In the order of the window's making: control table, captions, texts, refresh, skin.
    InitCPIControlTable();
    page->SetAxisCaptions(translate(QStringLiteral("X")), translate(QStringLiteral("Y")));
    TranslatePage(page);
    page->RefreshMadeLate();
    page->LoadSkin();
}

void TVYKCFGMAIN::MakeLightPage() {
    auto* page = new TLightPage(*FDM, FState, *FLink, TabControlMain);
    PageLight.Set(page);
    PlacePage(2, page);
    TranslatePage(page);
    page->RefreshMadeLate();
    page->LoadSkin();
}

void TVYKCFGMAIN::MakeInfoPage() {
    auto* page = new TInfoPage(*FDM, FState, *FLink, TabControlMain);
    PageInfo.Set(page);
    PlacePage(3, page);
    connect(page, &TInfoPage::WebsiteClicked, this, [this] { guarded([this] { lblwebsiteClick(); }); });
    TranslatePage(page);
}

void TVYKCFGMAIN::MakeNextPageWhenIdle() {
    PageGeneral->Pointer->SpinBox1();
    if (!PageDpi.Made()) {
        PageDpi.get();
    } else if (!PageLight.Made()) {
        PageLight.get();
    } else if (!PageInfo.Made()) {
        PageInfo.get();
    }
    if (PageDpi.Made() && PageLight.Made() && PageInfo.Made()) return;
    QTimer::singleShot(0, this, [this] { guarded([this] { MakeNextPageWhenIdle(); }); });
}
