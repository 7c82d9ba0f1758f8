// Screenshot mode (scripts/screenshots.sh): the macro manager with a recorded macro, in English
// and in Simplified Chinese (the texts of the build's ui.local), with the build's skin.

#include "tests/config/dialogs/macro/macro_fixture.h"
#include "tests/config/support/screenshot.h"

#include "config/toolkit/MenuPopup.h"
#include "config/toolkit/uiMenuBox.h"
#include "config/toolkit/uiMenuEx.h"
#include "core/language/vgLang.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

namespace vyk::test {
namespace {

class ScreenshotMacroManager : public MacroManagerTest {};

TEST_F(ScreenshotMacroManager, ManagerWithARecordedMacro) {
    VYK_SCREENSHOT_ONLY();
    addMacros({"Reload", "Rapid fire 3", "Grenade"});
    for (const QString& lang : {QStringLiteral("en"), QStringLiteral("zh")}) {
        TvgLang table;
        if (lang == "zh") {
            table.LoadFromFile(QStringLiteral(VYK_TEST_BIN_DIR "/ui.local"));
            const int zh = table.IndexOfResource(QStringLiteral("0804"));
            ASSERT_GE(zh, 0);
            vyk::toolkit::setTable(table.Resources()[static_cast<std::size_t>(zh)].Table);
        }
        useBuildSkin(lang == "zh" ? QStringLiteral("0804") : QStringLiteral("0409"));
        // The skin comes from the build; the keys from the stand-in hook library.
        ::setenv("VYK_EXE_DIR", VYK_FAKE_HOOK_DIR, 1);
        macros()->SetMacroListIndex(1);
        TFrmMacro& f = openForm();
        // Record: R held 120 ms, then Ctrl+Home, through the stand-in hook.
        f.BtnAutoDelay->SetPressed(true);
        clickButton(f.BtnMacroStart);
        unsigned t = 1000;
        press(0x52, t);
        release(0x52, t += 120);
        press(0xA2, t += 40);
        press(0x24, t += 35, true);
        release(0x24, t += 60, true);
        release(0xA2, t += 25);
        clickButton(f.BtnMacroStop);
        clickRow(f.ListBoxMacroKey, 0);
        f.uiMenuExMouseEventItemsClick(1);  // a left click after the first key
        clickButton(f.BtnMacroLoop);
        QCoreApplication::processEvents();
        saveScreenshot(&f, "macro-manager-" + lang);
        form.reset();
        vyk::toolkit::resetTable();
    }
    FreeGlobalImageDataBase();
}

// The manager with its mouse-action menu open beside the action editor's bottom bar and the
// pointer on RIGHT BUTTON.
TEST_F(ScreenshotMacroManager, MouseActionMenu) {
    VYK_SCREENSHOT_ONLY();
    addMacros({"Reload"}, {act(4, 1, 0x52, 0), act(6, 0, 120, 0), act(4, 0, 0x52, 0)});
    useBuildSkin();
    ::setenv("VYK_EXE_DIR", VYK_FAKE_HOOK_DIR, 1);
    TFrmMacro& f = openForm();
    clickButton(f.bsbtnMouseEvent);
    TuiMenuPopup* popup = MenuPopupOf(&f.uiMenuExMouseEvent->Items());
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    TuiMenuBoxItem* row = popup->Box()->ItemByIndex(1);
    QWindow* grabbing = QApplication::activePopupWidget()->windowHandle();
    QTest::mouseMove(grabbing, grabbing->mapFromGlobal(row->mapToGlobal(row->rect().center())));
    QTest::qWait(50);
    saveScreenshotWithPopups(&f, {popup}, "macro-manager-mouse-menu");
    CloseAllMenus(&f.uiMenuExMouseEvent->Items());
    form.reset();
    FreeGlobalImageDataBase();
}

}  // namespace
}  // namespace vyk::test
