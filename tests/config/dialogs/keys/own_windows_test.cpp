// The key dialogs with the real hook library where no X server can be reached (as in a Wayland
// session): the library then sees only the keys of our own windows, so every key pressed for
// a capture is also delivered to the dialog itself. Enter, Space and Esc must be captured
// without pressing a button or closing the dialog, and the dialog says what it can see.

#include "tests/config/dialogs/keys/keys_fixture.h"
#include "tests/support/test_env.h"
#include "tests/support/wait.h"

#include "config/dialogs/SingleKeyfrm.h"
#include "config/dialogs/fireset.h"
#include "config/toolkit/ImageStateButton.h"
#include "core/language/vgLang.h"
#include "platform/dialogs/message_box.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace vyk::test {
namespace {

struct NativeKey {
    Qt::Key key;
    quint32 xkbCode;  // evdev code + 8, as X11 and Wayland report it
    quint32 keysym;
};
constexpr NativeKey kReturn{Qt::Key_Return, 36, 0xff0d};
constexpr NativeKey kSpace{Qt::Key_Space, 65, 0x20};
constexpr NativeKey kEscape{Qt::Key_Escape, 9, 0xff1b};

// A key pressed and released in the window, as the platform delivers it.
void typeInto(QWidget* dlg, const NativeKey& k) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent e(type, k.key, Qt::NoModifier, k.xkbCode, k.keysym, 0);
        QCoreApplication::sendEvent(dlg->windowHandle(), &e);
    }
}

class KeyDialogsOwnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        vyk::platform::setMessageBoxHook(
            [this](const QString&, const QString& t, vyk::platform::MessageIcon) { boxes.push_back(t); });
    }
    void TearDown() override { vyk::platform::setMessageBoxHook({}); }

    ScopedEnv display_{"DISPLAY", ""};
    ScopedEnv exeDir_{"VYK_EXE_DIR", VYK_REAL_HOOK_DIR};
    std::vector<QString> boxes;
};

TEST_F(KeyDialogsOwnWindows, EnterSpaceAndEscAreCapturedWithoutActingOnTheDialog) {
    const QString ownWindows = vyk::toolkit::translate(QString::fromUtf8(vyk::config::kOwnWindowsOnly));
    TSINGLEKEYINFO single{};
    std::vector<QString> seen;
    bool stillOpen = false;
    QString note;
    const int result = answer(
        [&](QWidget* dlg) {
            auto* box = dlg->findChild<QLineEdit*>(QStringLiteral("TextSingle"));
            note = dlg->findChild<QLabel*>(QStringLiteral("LabelNote"))->text();
            for (const NativeKey& k : {kReturn, kEscape, kSpace}) {
                typeInto(dlg, k);
                seen.push_back(box->text());
            }
            QCoreApplication::processEvents();
            stillOpen = dlg->isVisible();
            auto* ok = dlg->findChild<TImageStateButton*>(QStringLiteral("BTNOK"));
            QTest::mouseClick(ok, Qt::LeftButton, Qt::NoModifier, ok->rect().center());
        },
        [&] { return ShowSingleKeyDialog(single); });
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(note, ownWindows);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(seen, (std::vector<QString>{"ENTER", "ESC", "SPACEBAR"}));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(single.nKeyValue1, 0x20);

    // The fire dialog on a keyboard key: the same keys are captured as the key to fire.
    TADVANCEDFIREKEYINFO fire{};
    bool fireStillOpen = false;
    const int fireResult = answer(
        [&](QWidget* dlg) {
            typeInto(dlg, kEscape);
            typeInto(dlg, kReturn);
            QCoreApplication::processEvents();
            fireStillOpen = dlg->isVisible();
            auto* ok = dlg->findChild<TImageStateButton*>(QStringLiteral("BTNOK"));
            QTest::mouseClick(ok, Qt::LeftButton, Qt::NoModifier, ok->rect().center());
        },
        [&] { return ShowFireKeyDialog(fire); });
    EXPECT_TRUE(fireStillOpen);
    EXPECT_EQ(fireResult, 1);
    EXPECT_EQ(fire.KeyValue.nKeyValue1, 0x0D);
    EXPECT_EQ(fire.KeyCode, 0x28);  // HID usage of Enter
}

}  // namespace
}  // namespace vyk::test
