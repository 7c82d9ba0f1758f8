// TVYKCFGMAIN: the language selector and the language: the stored one applied at start-up, a
// new one chosen, stored and sent to the monitor.
#include "config/window/MainConfig.h"

#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/window/AssignMenuItems.h"
#include "config/window/DpiPage.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/vyk_messages.h"
#include "core/language/uiLanguage.h"
#include "core/language/vgLang.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>

using vyk::platform::debugLog;
using vyk::platform::guarded;
using vyk::toolkit::translate;

namespace {

const QString kDefaultLanguage = QStringLiteral("0409");

}  // namespace

void TVYKCFGMAIN::FillLanguageList() {
    FChangingLanguageSelector = true;
    PopBoxLanguage->clear();
    FLanguageIndexMap.clear();
    // Languages that have no native name are left out of the selector; the map keeps each
    // entry tied to its own language so the one shown is the one applied, stored and sent.
    const auto names = LanguageNameList();
    const auto& resources = uiLanguage1->Resources();
    for (int i = 0; i < static_cast<int>(resources.size()); ++i) {
        const TLocaleNameRecord* record = names ? names->Find(resources[static_cast<std::size_t>(i)].Name) : nullptr;
        if (record == nullptr) continue;
        PopBoxLanguage->addItem(record->NativeName);
        FLanguageIndexMap.append(i);
    }
    FChangingLanguageSelector = false;
}

void TVYKCFGMAIN::ApplyLanguage() {
    // A stored index past the language list (a damaged or older record) falls back to 0409.
    int stored = FDM->FAllProfileSettingInfo.CurrentLanguage;
    if (uiLanguage1->GetLanguageShortIDByIndex(stored).isEmpty()) {
        const int fallback = uiLanguage1->GetLanguageIndexByShortID(kDefaultLanguage);
        debugLog(QStringLiteral("config: stored language %1 is not in the language list").arg(stored));
        stored = fallback >= 0 ? fallback : 0;
        FDM->FAllProfileSettingInfo.CurrentLanguage = static_cast<std::uint8_t>(stored);
    }
    const int current = uiLanguage1->GetLanguageIndexByShortID(uiLanguage1->Lang());
    if (current != stored) {
        const QString name = uiLanguage1->GetLanguageShortIDByIndex(stored);
        if (!name.isEmpty()) {
            uiLanguage1->SetLang(name);
            FLanguageWalked = true;
        }
    }

    // The image folder follows the language.
    QString langName = uiLanguage1->Lang();
    if (langName.isEmpty()) langName = kDefaultLanguage;
    CreateGlobalImageDataBase();
    GlobalImageDataBase->SetImageBasePath(vyk::config::ImageFolderForLanguage(langName));

    // The axis captions of the five DPI levels (a DPI page made later takes them when made).
    if (TDpiPage* dpi = PageDpi.IfMade()) {
        dpi->SetAxisCaptions(translate(QStringLiteral("X")), translate(QStringLiteral("Y")));
    }

    // The menu's family, so that a start in a language and a change to it look alike.
    ButtonAssignment->SetMenuFontFamily(AssignMenuFamilyOf(langName));

    // The application's title, the window's and the caption drawn from it. The desktop names
    // the window by both titles; the language walk may already have given the window its new
    // title while the application still had the old one, so the window's is given anew.
    const QString title = translate(CONFIG_APP_TITLE);
    QGuiApplication::setApplicationDisplayName(title);
    if (windowTitle() == title) setWindowTitle(QString());
    setWindowTitle(title);
    update();
}

void TVYKCFGMAIN::PopBoxLanguageChange() {
    const int entry = PopBoxLanguage->currentIndex();
    if (entry < 0 || entry >= FLanguageIndexMap.size()) return;
    const int i = FLanguageIndexMap.at(entry);
    const QString name = uiLanguage1->GetLanguageShortIDByIndex(i);
    if (name.isEmpty()) return;
    uiLanguage1->SetLang(name);
    FLanguageWalked = true;

    FDM->FAllProfileSettingInfo.CurrentLanguage = static_cast<std::uint8_t>(i);
    FDM->SaveBackAllProfileSettingInfo();
    ApplyLanguage();  // also the menu's family for the language
    ButtonAssignment->RebuildMacroMenu();
    // The button fields show translated function names, which the window writes itself.
    uiCommandSetting1Commands0Execute();
    // The monitor reloads and translates before this returns.
    FLink->SendToMonitor(WM_CFG_LANGUAGE_CHANGED, i, 0);
    FState.SettingsChanged = true;
    emit LanguageChanged(i);
}

bool TVYKCFGMAIN::PopBoxLanguageKeyDown(QKeyEvent* event) {
    // The selector changes only by choosing with the mouse; typed keys go nowhere. Tab still
    // moves the focus on.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) return false;
    event->accept();
    return true;
}

bool TVYKCFGMAIN::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PopBoxLanguage && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        bool swallowed = false;
        guarded([&] { swallowed = PopBoxLanguageKeyDown(static_cast<QKeyEvent*>(event)); });
        if (swallowed) return true;
    }
    return QWidget::eventFilter(watched, event);
}
