// The key dialogs with the real hook library and real X events: a private Xvfb, keys typed
// with xdotool, the dialogs shown offscreen and answered with real clicks.

#include "tests/core/hook/real_hook_x11_fixture.h"

#include "config/dialogs/SingleKeyfrm.h"
#include "config/dialogs/combofrm.h"
#include "config/dialogs/fireset.h"
#include "config/toolkit/ImageStateButton.h"
#include "tests/config/support/modal.h"

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

namespace vyk::test {
namespace {

class KeyDialogsX11 : public RealHookX11Test {
protected:
    // Types keys with xdotool inside the dialog, waits until the key box shows `expected`,
    // then presses the OK button.
    void typeAndAccept(const QStringList& keys, const char* box, const char* ok, const QString& expected) {
        whenModal([=, this](QWidget* dlg) {
            QPointer<QWidget> guard(dlg);
            auto* edit = dlg->findChild<QLineEdit*>(QString::fromLatin1(box));
            EXPECT_TRUE(xdotool(keys));
            EXPECT_TRUE(waitUntil([&] { return edit->text() == expected; })) << edit->text().toStdString();
            auto* b = dlg->findChild<TImageStateButton*>(QString::fromLatin1(ok));
            QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
            if (guard && guard->isVisible()) static_cast<QDialog*>(guard.data())->done(2);
        });
    }
};

TEST_F(KeyDialogsX11, SingleKeyComboAndFireKeyFromTheKeyboard) {
    TSINGLEKEYINFO single{};
    typeAndAccept({"key", "b"}, "TextSingle", "BTNOK", QStringLiteral("B"));
    EXPECT_EQ(ShowSingleKeyDialog(single), 1);
    EXPECT_EQ(single.nKeyValue1, 0x42);
    EXPECT_EQ(single.nKey1Extended, 0);

    TCOMBOKEYINFO combo{};
    typeAndAccept({"key", "ctrl+Home"}, "TextCombo", "BtnOK", QStringLiteral("Ctrl+HOME"));
    EXPECT_EQ(ShowComboKeyDialog(combo), 1);
    EXPECT_EQ(combo.nKeyValue1, 0x24);
    EXPECT_EQ(combo.nKey1Extended, 1);
    EXPECT_EQ(combo.nModifier, 2);

    TADVANCEDFIREKEYINFO fire{};
    typeAndAccept({"key", "x"}, "TextSingle", "BTNOK", QStringLiteral("X"));
    EXPECT_EQ(ShowFireKeyDialog(fire), 1);
    EXPECT_EQ(fire.KeyValue.nKeyValue1, 0x58);
    EXPECT_EQ(fire.KeyCode, 0x1B);  // HID usage of X
    EXPECT_EQ(fire.nLoopCount, 2);
    EXPECT_EQ(fire.DelyValue, 60);

    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace vyk::test
