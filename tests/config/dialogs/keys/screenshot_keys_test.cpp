// Screenshot mode (scripts/screenshots.sh): the key capture dialogs and the new-macro dialog in
// English and in Simplified Chinese (the texts of the build's ui.local), with the build's skin.

#include "tests/config/support/screenshot.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include "config/dialogs/SingleKeyfrm.h"
#include "config/dialogs/combofrm.h"
#include "config/dialogs/fireset.h"
#include "config/dialogs/macrocreat.h"
#include "config/toolkit/ImageStateButton.h"
#include "core/defs/uiKeyCode.h"
#include "core/language/vgLang.h"
#include "platform/dialogs/message_box.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QWindow>

#include <gtest/gtest.h>

namespace vyk::test {
namespace {

void shoot(QWidget* w, const QString& name) {
    w->show();
    ASSERT_TRUE(waitUntil([w] { return w->windowHandle() != nullptr && w->windowHandle()->isExposed(); }));
    QCoreApplication::processEvents();
    saveScreenshot(w, name);
    w->hide();
}

void shootAll(const QString& lang) {
    {
        TFrmSingleKey form;
        form.FSingleKey.nKeyValue1 = 0x70;  // F1
        form.ShowKeyText();
        shoot(&form, "keys-single-" + lang);
    }
    {
        TFrmCombo form;
        form.FComboKey.nModifier = 2 | 4;
        form.FComboKey.nKeyValue1 = 0x74;  // F5
        form.ShowKeyText();
        shoot(&form, "keys-combo-" + lang);
    }
    {
        TFrmFire form;
        form.FAdvFireKeyInfo.KeyCode = 130;
        form.FAdvFireKeyInfo.nLoopCount = 3;
        form.FAdvFireKeyInfo.DelyValue = 40;
        form.FAdvFireKeyInfo.KeyValue.nKeyValue1 = 0x58;
        shoot(&form, "keys-fire-right-" + lang);
    }
    {
        // Keyboard type with no key yet, after OK was refused.
        TFrmFire form;
        form.show();
        auto* ok = form.BTNOK;
        ok->click();
        shoot(&form, "keys-fire-nokey-" + lang);
    }
    {
        // The single-key dialog with no key, after OK was refused.
        TFrmSingleKey form;
        form.show();
        form.BTNOK->click();
        shoot(&form, "keys-single-nokey-" + lang);
    }
    {
        // Where only our own windows can be watched.
        ScopedEnv display("DISPLAY", "");
        TFrmSingleKey form;
        form.ShowKeyText();
        shoot(&form, "keys-single-ownwindows-" + lang);
    }
    {
        TFrmCreat form;
        form.TextboxMacroName->setText(QStringLiteral("Rapid fire 3"));
        shoot(&form, "macro-create-" + lang);
    }
}

TEST(ScreenshotKeyDialogs, KeyDialogsAndNewMacro) {
    VYK_SCREENSHOT_ONLY();
    vyk::platform::setMessageBoxHook([](const QString&, const QString&, vyk::platform::MessageIcon) {});
    useBuildSkin("0409");
    shootAll("en");

    TvgLang lang;
    lang.LoadFromFile(QStringLiteral(VYK_TEST_BIN_DIR "/ui.local"));
    const int zh = lang.IndexOfResource(QStringLiteral("0804"));
    ASSERT_GE(zh, 0);
    vyk::toolkit::setTable(lang.Resources()[static_cast<std::size_t>(zh)].Table);
    useBuildSkin("0804");
    shootAll("zh");
    vyk::toolkit::resetTable();
    FreeGlobalImageDataBase();
    vyk::platform::setMessageBoxHook({});
}

}  // namespace
}  // namespace vyk::test
