// The single-key and combination dialogs with exact key events from the stand-in hook
// library: what is captured, what comes back for OK and CANCEL, the keys that must not act on
// the dialog, refused consumer keys, the note on a desktop where only our own windows can be
// watched, and the dialogs without a hook library.

#include "tests/config/dialogs/keys/keys_fixture.h"

#include "config/dialogs/SingleKeyfrm.h"
#include "config/dialogs/combofrm.h"
#include "config/dialogs/fireset.h"
#include "core/defs/record_text.h"
#include "core/language/vgLang.h"

#include <QLabel>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace vyk::test {
namespace {

struct KeyEvent {
    unsigned vk;
    bool up;
    bool extended;
};

struct SingleKeyCase {
    const char* name;
    std::vector<KeyEvent> events;
    std::uint16_t vk;
    std::uint16_t extended;
    const char* shown;
};

TSINGLEKEYINFO singleKey(std::uint16_t vk, const char* text) {
    TSINGLEKEYINFO info{};
    info.nKeyValue1 = vk;
    for (std::size_t i = 0; text[i] != 0 && i < 30; ++i) info.SingleKeyText[i] = static_cast<char16_t>(text[i]);
    return info;
}

TEST_F(KeyDialogTest, SingleKeyTakesTheLastPressOrRelease) {
    const std::vector<SingleKeyCase> cases = {
        {"A pressed and released", {{VK_A, false, false}, {VK_A, true, false}}, 0x41, 0, "A"},
        {"Shift, A, A up, Shift up: the last release counts",
         {{VK_LSHIFT, false, false}, {VK_A, false, false}, {VK_A, true, false}, {VK_LSHIFT, true, false}},
         VK_LSHIFT,
         0,
         "L SHIFT"},
        {"extended right arrow", {{VK_RIGHT, false, true}, {VK_RIGHT, true, true}}, VK_RIGHT, 1, "RIGHT ARROW"},
    };
    for (const SingleKeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        TSINGLEKEYINFO info = singleKey(0x5A, "OLD TEXT");
        QString shownWhileOpen;
        bool hookWhileOpen = false;
        const int result = answer(
            [&](QWidget* dlg) {
                EXPECT_EQ(boxText(dlg, "TextSingle"), "Z");  // the current key at opening
                hookWhileOpen = keyboardEnabled();
                unsigned t = 1000;
                for (const KeyEvent& e : c.events) key(e.vk, e.up, t += 50, e.extended);
                shownWhileOpen = boxText(dlg, "TextSingle");
                click(dlg, "BTNOK");
            },
            [&] { return ShowSingleKeyDialog(info); });
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(hookWhileOpen);
        EXPECT_FALSE(keyboardEnabled()) << "capture ends with the dialog";
        EXPECT_EQ(info.nKeyValue1, c.vk);
        EXPECT_EQ(info.nKey1Extended, c.extended);
        EXPECT_EQ(shownWhileOpen, QString::fromLatin1(c.shown));
        EXPECT_EQ(vyk::defs::recordText(info.SingleKeyText), "OLD TEXT") << "the display text is never written";
    }
}

TEST_F(KeyDialogTest, SingleKeyCancelHandsBackTheCapturedKeyWithResultTwo) {
    TSINGLEKEYINFO info = singleKey(0x5A, "");
    const int result = answer(
        [&](QWidget* dlg) {
            unsigned t = 500;
            tap(VK_C, t);
            click(dlg, "BTNCANCEL");
        },
        [&] { return ShowSingleKeyDialog(info); });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(info.nKeyValue1, VK_C);
}

// Enter, Esc and Space pressed to be captured reach our own window too (the single-key capture
// does not swallow keys). They must neither close the dialog nor press one of its buttons.
TEST_F(KeyDialogTest, KeysPressedForCaptureDoNotActOnTheDialog) {
    for (const bool combo : {false, true}) {
        SCOPED_TRACE(combo ? "combination" : "single key");
        TSINGLEKEYINFO single = singleKey(0x5A, "");
        TCOMBOKEYINFO comboInfo{};
        bool stillOpen = false;
        bool buttonHasFocus = true;
        const int result = answer(
            [&](QWidget* dlg) {
                buttonHasFocus = qobject_cast<TImageStateButton*>(QApplication::focusWidget()) != nullptr;
                for (const Qt::Key k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape})
                    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dlg, k);
                QCoreApplication::processEvents();
                stillOpen = dlg->isVisible();
                unsigned t = 2000;
                if (combo) {
                    press(VK_ESCAPE, t);
                } else {
                    tap(VK_ESCAPE, t);
                }
                click(dlg, combo ? "BtnOK" : "BTNOK");
            },
            [&] { return combo ? ShowComboKeyDialog(comboInfo) : ShowSingleKeyDialog(single); });
        EXPECT_TRUE(stillOpen);
        EXPECT_FALSE(buttonHasFocus) << "no button holds the focus";
        EXPECT_EQ(result, 1);
        EXPECT_EQ(combo ? comboInfo.nKeyValue1 : single.nKeyValue1, VK_ESCAPE) << "Esc was captured as a key";
    }
}

TEST_F(KeyDialogTest, ConsumerKeysAreRefusedAndTheKeyStays) {
    const QString refused = vyk::toolkit::translate(QString::fromUtf8(vyk::config::kConsumerKeyRefused));
    TSINGLEKEYINFO info = singleKey(0, "");
    QString noteAfterRefusal;
    QString noteAfterAccepted;
    QString textAfterRefusal;
    const int result = answer(
        [&](QWidget* dlg) {
            auto* note = dlg->findChild<QLabel*>(QStringLiteral("LabelNote"));
            unsigned t = 100;
            tap(VK_A, t);
            tap(VK_VOLUME_UP, t, true);
            noteAfterRefusal = note->text();
            textAfterRefusal = boxText(dlg, "TextSingle");
            tap(VK_C, t);
            noteAfterAccepted = note->text();
            tap(VK_MEDIA_PLAY_PAUSE, t, true);
            click(dlg, "BTNOK");
        },
        [&] { return ShowSingleKeyDialog(info); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(noteAfterRefusal, refused);
    EXPECT_EQ(textAfterRefusal, "A");
    EXPECT_NE(noteAfterAccepted, refused);
    EXPECT_EQ(info.nKeyValue1, VK_C);

    TCOMBOKEYINFO combo{};
    answer(
        [&](QWidget* dlg) {
            unsigned t = 100;
            setKeyDown(VK_LCONTROL, true);
            press(VK_VOLUME_UP, t, true);
            EXPECT_EQ(dlg->findChild<QLabel*>(QStringLiteral("LabelNote"))->text(), refused);
            EXPECT_EQ(boxText(dlg, "TextCombo"), "");
            click(dlg, "BTNCANCEL");
        },
        [&] { return ShowComboKeyDialog(combo); });
    EXPECT_EQ(combo.nKeyValue1, 0);
    EXPECT_EQ(combo.nModifier, 0);
}

// OK with nothing to send (no key captured and none in the record) would give the button a
// key function that sends nothing: the single-key and combination dialogs refuse it as the
// fire-key dialog does, with the note, and stay open until a key is there.
TEST_F(KeyDialogTest, OkWithoutAKeyIsRefusedUntilOneIsCaptured) {
    const QString missing = vyk::toolkit::translate(QString::fromUtf8(vyk::config::kKeyMissing));
    struct Case {
        const char* name;
        bool combo;
        std::function<void(unsigned&)> capture;  // what the user then presses
        std::uint16_t vk;
    };
    const std::vector<Case> cases = {
        {"single key, then A", false, [this](unsigned& t) { tap(VK_A, t); }, VK_A},
        {"combination, then A", true, [this](unsigned& t) { press(VK_A, t += 10); }, VK_A},
        {"combination, then Ctrl+C", true,
         [this](unsigned& t) {
             setKeyDown(VK_LCONTROL, true);
             press(VK_LCONTROL, t += 10);
             press(VK_C, t += 100);
             setKeyDown(VK_LCONTROL, false);
         },
         VK_C},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSINGLEKEYINFO single{};
        TCOMBOKEYINFO combo{};
        bool openAfterOk = false;
        QString noteAfterOk, noteAfterKey;
        const int result = answer(
            [&](QWidget* dlg) {
                click(dlg, c.combo ? "BtnOK" : "BTNOK");
                QCoreApplication::processEvents();
                openAfterOk = dlg->isVisible();
                noteAfterOk = dlg->findChild<QLabel*>(QStringLiteral("LabelNote"))->text();
                unsigned t = 3000;
                c.capture(t);
                noteAfterKey = dlg->findChild<QLabel*>(QStringLiteral("LabelNote"))->text();
                click(dlg, c.combo ? "BtnOK" : "BTNOK");
            },
            [&] { return c.combo ? ShowComboKeyDialog(combo) : ShowSingleKeyDialog(single); });
        EXPECT_TRUE(openAfterOk);
        EXPECT_EQ(noteAfterOk, missing);
        EXPECT_NE(noteAfterKey, missing) << "a captured key clears the note";
        EXPECT_EQ(result, 1);
        EXPECT_EQ(c.combo ? combo.nKeyValue1 : single.nKeyValue1, c.vk);
    }
}

TEST_F(KeyDialogTest, ComboOpensWithTheStoredCombinationText) {
    struct Case {
        std::uint16_t modifier, key1, ext1, key2, ext2;
        const char* text;
    };
    const Case cases[] = {
        {3, VK_C, 0, 0, 0, "Alt+Ctrl+C"},
        {4 | 8, VK_A, 0, VK_RIGHT, 1, "Shift+WIN+A+RIGHT ARROW"},
        {2, 0, 0, 0, 0, ""},  // modifiers alone show nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TCOMBOKEYINFO info{};
        info.nModifier = c.modifier;
        info.nKeyValue1 = c.key1;
        info.nKey1Extended = c.ext1;
        info.nKeyValue2 = c.key2;
        info.nKey2Extended = c.ext2;
        QString shown;
        const int result = answer(
            [&](QWidget* dlg) {
                shown = boxText(dlg, "TextCombo");
                click(dlg, "BTNCANCEL");
            },
            [&] { return ShowComboKeyDialog(info); });
        EXPECT_EQ(result, 2);
        EXPECT_EQ(shown, QString::fromLatin1(c.text));
        EXPECT_EQ(info.nModifier, c.modifier) << "unchanged without a capture";
    }
}

TEST_F(KeyDialogTest, ComboCapturesModifiersAndTwoKeys) {
    TCOMBOKEYINFO info{};
    info.nModifier = 3;
    info.nKeyValue1 = VK_C;
    std::memcpy(info.ComboKeyText, u"OLD", 8);
    std::vector<QString> shown;
    const int result = answer(
        [&](QWidget* dlg) {
            EXPECT_TRUE(keyboardEnabled());
            // Ctrl held, A: one combination.
            setKeyDown(VK_LCONTROL, true);
            press(VK_LCONTROL, 1000);
            press(VK_A, 1100);
            shown.push_back(boxText(dlg, "TextCombo"));
            release(VK_A, 1150);
            release(VK_LCONTROL, 1160);
            setKeyDown(VK_LCONTROL, false);
            // A and C within 100 ms: two keys; the combination text is the hook client's.
            press(VK_A, 2000);
            press(VK_C, 2050);
            shown.push_back(boxText(dlg, "TextCombo"));
            click(dlg, "BtnOK");
        },
        [&] { return ShowComboKeyDialog(info); });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(keyboardEnabled());
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Ctrl+A");
    EXPECT_EQ(shown[1], "A+C");
    EXPECT_EQ(info.nKeyValue1, VK_A);
    EXPECT_EQ(info.nKeyValue2, VK_C);
    EXPECT_EQ(info.nModifier, 0);
    EXPECT_EQ(vyk::defs::recordText(info.ComboKeyText), "OLD");
}

// Where the hook library can watch only our own windows, the dialogs say so instead of
// silently capturing nothing from other programs.
TEST_F(KeyDialogTest, NoteWhenOnlyOurOwnWindowsCanBeWatched) {
    const QString note = vyk::toolkit::translate(QString::fromUtf8(vyk::config::kOwnWindowsOnly));
    for (const bool withX : {false, true}) {
        SCOPED_TRACE(withX ? "X display" : "no X display");
        ScopedEnv display("DISPLAY", withX ? ":77" : "");
        EXPECT_EQ(vyk::config::HookSeesOnlyOwnWindows(), !withX);
        TFrmSingleKey single;
        TFrmCombo combo;
        EXPECT_EQ(single.NoteText(), withX ? QString() : note);
        EXPECT_EQ(combo.NoteText(), withX ? QString() : note);
    }
}

class KeyDialogWithoutLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        vyk::platform::setMessageBoxHook(
            [this](const QString& c, const QString& t, vyk::platform::MessageIcon) { boxes.push_back(c + ": " + t); });
    }
    void TearDown() override { vyk::platform::setMessageBoxHook({}); }
    std::vector<QString> boxes;
};

// Without the hook library nothing is captured: OK keeps a key the record has, and is refused
// when it has none (CANCEL still closes).
TEST_F(KeyDialogWithoutLibrary, OkWithoutAKeyIsRefusedInEveryKeyDialog) {
    const auto empty = freshDir("no-hook-library-no-key");
    ScopedEnv exe("VYK_EXE_DIR", empty.string() + "/");
    enum Kind { Single, Combo, Fire };
    for (const Kind kind : {Single, Combo, Fire}) {
        SCOPED_TRACE(kind);
        TSINGLEKEYINFO single{};
        TCOMBOKEYINFO combo{};
        TADVANCEDFIREKEYINFO fire{};  // KeyCode 0: the keyboard type without a key
        bool openAfterOk = false;
        whenModal([&](QWidget* dlg) {
            auto button = [dlg](const char* name) {
                auto* b = dlg->findChild<TImageStateButton*>(QString::fromLatin1(name));
                QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
            };
            button(kind == Combo ? "BtnOK" : "BTNOK");
            QCoreApplication::processEvents();
            openAfterOk = dlg->isVisible();
            button("BTNCANCEL");
        });
        const int result = kind == Single  ? ShowSingleKeyDialog(single)
                           : kind == Combo ? ShowComboKeyDialog(combo)
                                           : ShowFireKeyDialog(fire);
        EXPECT_TRUE(openAfterOk) << "OK was refused";
        EXPECT_EQ(result, 2);
    }
    EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(KeyDialogWithoutLibrary, TheDialogOpensAndOkKeepsTheRecord) {
    const auto empty = freshDir("no-hook-library");
    ScopedEnv exe("VYK_EXE_DIR", empty.string() + "/");
    TSINGLEKEYINFO info = singleKey(VK_A, "A");
    whenModal([](QWidget* dlg) {
        auto* ok = dlg->findChild<TImageStateButton*>(QStringLiteral("BTNOK"));
        QTest::mouseClick(ok, Qt::LeftButton, Qt::NoModifier, ok->rect().center());
    });
    EXPECT_EQ(ShowSingleKeyDialog(info), 1);
    EXPECT_EQ(info.nKeyValue1, VK_A);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Error: uiHook.dll can not be found!");
}

}  // namespace
}  // namespace vyk::test
