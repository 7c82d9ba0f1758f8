// The fire-key dialog with exact key events from the stand-in hook library: the opening state
// for each kind of record, the KeyCode rule of the four types, the shots and delay boxes, the
// capture that runs only for a keyboard key, and the refusals (no key, consumer key).

#include "tests/config/dialogs/keys/keys_fixture.h"

#include "config/dialogs/fireset.h"
#include "core/language/vgLang.h"

#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

namespace vyk::test {
namespace {

TADVANCEDFIREKEYINFO fireKey(std::uint16_t code, std::uint16_t loops, std::uint16_t delay, std::uint16_t vk = 0) {
    TADVANCEDFIREKEYINFO info{};
    info.KeyCode = code;
    info.nLoopCount = loops;
    info.DelyValue = delay;
    info.KeyValue.nKeyValue1 = vk;
    return info;
}

QRadioButton* radio(QWidget* dlg, int n) {
    return dlg->findChild<QRadioButton*>(QStringLiteral("RadioButton%1").arg(n));
}

QSpinBox* numberBox(QWidget* dlg, const char* name) { return dlg->findChild<QSpinBox*>(QString::fromLatin1(name)); }

void clickRadio(QWidget* dlg, int n) {
    QRadioButton* r = radio(dlg, n);
    QTest::mouseClick(r, Qt::LeftButton, Qt::NoModifier, QPoint(8, r->height() / 2));
}

QString note(QWidget* dlg) { return dlg->findChild<QLabel*>(QStringLiteral("LabelNote"))->text(); }

QString tr(const char* english) { return vyk::toolkit::translate(QString::fromUtf8(english)); }

TEST_F(KeyDialogTest, FireOpensOnTheStoredTypeShotsAndDelay) {
    struct Case {
        const char* name;
        TADVANCEDFIREKEYINFO info;
        int radio;
        int shots, delay;
        bool capturing;
        const char* key;
    };
    const Case cases[] = {
        {"left", fireKey(129, 3, 40), 1, 3, 40, false, ""},
        {"right", fireKey(130, 5, 30), 2, 5, 30, false, ""},
        {"middle", fireKey(132, 9, 255), 3, 9, 255, false, ""},
        {"keyboard A", fireKey(4, 7, 15, VK_A), 4, 7, 15, true, "A"},
        {"all zero: keyboard, no key, the defaults", fireKey(0, 0, 0), 4, 2, 60, true, ""},
        {"no shots: the defaults even with a delay", fireKey(130, 0, 99), 2, 2, 60, false, ""},
        {"out-of-range delays read back within 1..255", fireKey(129, 300, 0), 1, 255, 1, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TADVANCEDFIREKEYINFO info = c.info;
        const int result = answer(
            [&](QWidget* dlg) {
                for (int n = 1; n <= 4; ++n) EXPECT_EQ(radio(dlg, n)->isChecked(), n == c.radio) << n;
                EXPECT_EQ(numberBox(dlg, "NumBoxFire")->value(), c.shots);
                EXPECT_EQ(numberBox(dlg, "NumboxDelay")->value(), c.delay);
                EXPECT_EQ(keyboardEnabled(), c.capturing);
                if (c.radio == 4) {
                    EXPECT_EQ(boxText(dlg, "TextSingle"), QString::fromLatin1(c.key));
                }
                click(dlg, "BTNCANCEL");
            },
            [&] { return ShowFireKeyDialog(info); });
        EXPECT_EQ(result, 2);
        EXPECT_FALSE(keyboardEnabled()) << "the show function stops the capture";
    }
}

TEST_F(KeyDialogTest, FireTypeSetsKeyCodeAndKeepsTheKeyboardKey) {
    TADVANCEDFIREKEYINFO info = fireKey(129, 4, 50);
    std::vector<int> codes;
    const int result = answer(
        [&](QWidget* dlg) {
            auto* form = static_cast<TFrmFire*>(dlg);
            unsigned t = 100;
            EXPECT_EQ(press(VK_A, t), -1) << "no capture for a mouse button type";
            clickRadio(dlg, 4);
            codes.push_back(form->FAdvFireKeyInfo.KeyCode);  // keyboard, no key yet
            tap(VK_A, t);
            codes.push_back(form->FAdvFireKeyInfo.KeyCode);  // A: HID usage 4
            clickRadio(dlg, 3);
            codes.push_back(form->FAdvFireKeyInfo.KeyCode);  // middle
            EXPECT_FALSE(keyboardEnabled());
            EXPECT_FALSE(dlg->findChild<QLineEdit*>(QStringLiteral("TextSingle"))->isEnabled());
            clickRadio(dlg, 4);
            codes.push_back(form->FAdvFireKeyInfo.KeyCode);  // back to A without a key press
            EXPECT_EQ(boxText(dlg, "TextSingle"), "A");
            clickRadio(dlg, 2);
            codes.push_back(form->FAdvFireKeyInfo.KeyCode);
            clickRadio(dlg, 1);
            codes.push_back(form->FAdvFireKeyInfo.KeyCode);
            clickRadio(dlg, 4);
            tap(VK_RIGHT, t, true);
            codes.push_back(form->FAdvFireKeyInfo.KeyCode);  // extended right arrow
            click(dlg, "BTNOK");
        },
        [&] { return ShowFireKeyDialog(info); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(codes, (std::vector<int>{0, 4, 132, 4, 130, 129, 0x4F}));
    EXPECT_EQ(info.KeyCode, 0x4F);
    EXPECT_EQ(info.KeyValue.nKeyValue1, VK_RIGHT);
    EXPECT_EQ(info.KeyValue.nKey1Extended, 1);
    EXPECT_EQ(info.nLoopCount, 4);
    EXPECT_EQ(info.DelyValue, 50);
}

// "Keyboard Key:" without a key would give the button a fire key that fires nothing.
TEST_F(KeyDialogTest, FireOkWithoutAKeyIsRefusedUntilOneIsPressed) {
    TADVANCEDFIREKEYINFO info{};
    bool openAfterFirstOk = false;
    QString noteAfterFirstOk;
    const int result = answer(
        [&](QWidget* dlg) {
            click(dlg, "BTNOK");
            QCoreApplication::processEvents();
            openAfterFirstOk = dlg->isVisible();
            noteAfterFirstOk = note(dlg);
            unsigned t = 10;
            tap(VK_A, t);
            click(dlg, "BTNOK");
        },
        [&] { return ShowFireKeyDialog(info); });
    EXPECT_TRUE(openAfterFirstOk);
    EXPECT_EQ(noteAfterFirstOk, tr(vyk::config::kFireKeyMissing));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(info.KeyCode, 4);
    EXPECT_EQ(info.nLoopCount, 2);
    EXPECT_EQ(info.DelyValue, 60);
}

TEST_F(KeyDialogTest, FireRefusesConsumerKeys) {
    TADVANCEDFIREKEYINFO info = fireKey(4, 2, 60, VK_A);
    const int result = answer(
        [&](QWidget* dlg) {
            unsigned t = 10;
            tap(VK_VOLUME_UP, t, true);
            EXPECT_EQ(note(dlg), tr(vyk::config::kConsumerKeyRefused));
            EXPECT_EQ(boxText(dlg, "TextSingle"), "A");
            click(dlg, "BTNOK");
        },
        [&] { return ShowFireKeyDialog(info); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(info.KeyCode, 4);
    EXPECT_EQ(info.KeyValue.nKeyValue1, VK_A);
}

// Shots and delay are typed into their boxes with real keys; while the keyboard type captures,
// those keys are what the user types there, and Enter or Esc in a box does not close the
// dialog. The next key pressed after choosing the type again is the fire key.
TEST_F(KeyDialogTest, FireNumberBoxesTakeTypedValuesWhileTheKeyboardTypeCaptures) {
    TADVANCEDFIREKEYINFO info = fireKey(4, 2, 60, VK_A);
    bool stillOpen = false;
    const int result = answer(
        [&](QWidget* dlg) {
            QApplication::setActiveWindow(dlg);
            ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
            QSpinBox* shots = numberBox(dlg, "NumBoxFire");
            QSpinBox* delay = numberBox(dlg, "NumboxDelay");
            QTest::mouseClick(shots, Qt::LeftButton, Qt::NoModifier, shots->rect().center());
            ASSERT_TRUE(shots->hasFocus());
            shots->selectAll();
            unsigned t = 10;
            tap(0x37, t);  // the '7' typed into the box, as the hook sees it
            QTest::keyClicks(shots, "7");
            QTest::keyClick(shots, Qt::Key_Return);
            QTest::keyClick(shots, Qt::Key_Escape);
            QTest::mouseClick(delay, Qt::LeftButton, Qt::NoModifier, delay->rect().center());
            delay->selectAll();
            QTest::keyClicks(delay, "125");
            QCoreApplication::processEvents();
            stillOpen = dlg->isVisible();
            EXPECT_EQ(boxText(dlg, "TextSingle"), "A");
            clickRadio(dlg, 4);  // choosing the type again takes the focus out of the boxes
            EXPECT_FALSE(delay->hasFocus());
            tap(VK_C, t);
            click(dlg, "BTNOK");
        },
        [&] { return ShowFireKeyDialog(info); });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(info.nLoopCount, 7);
    EXPECT_EQ(info.DelyValue, 125);
    EXPECT_EQ(info.KeyValue.nKeyValue1, VK_C);
    EXPECT_EQ(info.KeyCode, 6);
}

TEST_F(KeyDialogTest, FireEscClosesOnlyWhenNothingIsCaptured) {
    TADVANCEDFIREKEYINFO info = fireKey(4, 2, 60, VK_A);
    bool openAfterEscWhileCapturing = false;
    const int result = answer(
        [&](QWidget* dlg) {
            QTest::keyClick(dlg, Qt::Key_Escape);
            QCoreApplication::processEvents();
            openAfterEscWhileCapturing = dlg->isVisible();
            clickRadio(dlg, 2);
            QTest::keyClick(dlg, Qt::Key_Escape);
        },
        [&] { return ShowFireKeyDialog(info); });
    EXPECT_TRUE(openAfterEscWhileCapturing);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(info.KeyCode, 130) << "the working copy comes back whatever the result";
}

}  // namespace
}  // namespace vyk::test
