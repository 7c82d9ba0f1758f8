// The new-macro dialog driven with real keys and clicks: the name cut, Enter in the box,
// CANCEL and Esc, the focus on opening and on every activation without moving the pointer.

#include "tests/config/dialogs/keys/keys_fixture.h"

#include "config/dialogs/macrocreat.h"
#include "config/toolkit/ImageStateButton.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vyk::test {
namespace {

QLineEdit* nameBox(QWidget* dlg) { return dlg->findChild<QLineEdit*>(QStringLiteral("TextboxMacroName")); }

// Opens the dialog, runs script inside it (a watchdog closes a dialog left open) and returns
// the result with the name.
std::pair<int, QString> run(std::function<void(QWidget*)> script) {
    QString name = QStringLiteral("not set");
    const int result = answer(std::move(script), [&] { return ShowCreateMacroDialog(name); });
    return {result, name};
}

// Keys typed right after opening go to whatever has the focus: the name box.
void typeIntoFocus(const QString& text) {
    for (const QChar c : text) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) {
            ADD_FAILURE() << "nothing has the focus";
            return;
        }
        QTest::keyClick(focus, c.toLatin1());
    }
}

TEST(CreateMacroDialog, NamesAreCutToFiftyUnitsOnOkAndEnter) {
    const QString fifty = QString(50, QLatin1Char('n'));
    struct Case {
        const char* name;
        QString typed;
        bool enter;
        QString expected;
    };
    const Case cases[] = {
        {"60 characters, OK", QString(60, QLatin1Char('x')), false, QString(50, QLatin1Char('x'))},
        {"exactly 50, Enter", fifty, true, fifty},
        {"short name, Enter", QStringLiteral("Rapid fire"), true, QStringLiteral("Rapid fire")},
        {"empty box, OK", QString(), false, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [result, name] = run([&](QWidget* dlg) {
            typeIntoFocus(c.typed);
            if (c.enter)
                QTest::keyClick(nameBox(dlg), Qt::Key_Return);
            else
                click(dlg, "BTNOK");
        });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(name, c.expected);
    }
}

TEST(CreateMacroDialog, TheCutNeverSplitsASurrogatePair) {
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");  // one character, two UTF-16 units
    EXPECT_EQ(CutMacroName(QString(49, QLatin1Char('a')) + face + QStringLiteral("b")), QString(49, QLatin1Char('a')));
    EXPECT_EQ(CutMacroName(QString(48, QLatin1Char('a')) + face + QStringLiteral("b")),
              QString(48, QLatin1Char('a')) + face);
    EXPECT_EQ(CutMacroName(face.repeated(30)), face.repeated(25));

    // The same through the dialog: the character typed as one key with its text.
    const auto [result, name] = run([&](QWidget* dlg) {
        typeIntoFocus(QString(49, QLatin1Char('a')));
        QTest::sendKeyEvent(QTest::Click, nameBox(dlg), Qt::Key_unknown, face, Qt::NoModifier);
        QTest::keyClick(nameBox(dlg), Qt::Key_Return);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(name, QString(49, QLatin1Char('a')));
}

TEST(CreateMacroDialog, CancelAndEscReturnTwoAndNoName) {
    for (const bool esc : {false, true}) {
        SCOPED_TRACE(esc ? "Esc" : "CANCEL");
        const auto [result, name] = run([&](QWidget* dlg) {
            typeIntoFocus(QStringLiteral("typed"));
            if (esc)
                QTest::keyClick(nameBox(dlg), Qt::Key_Escape);
            else
                click(dlg, "BTNCANCEL");
        });
        EXPECT_EQ(result, 2);
        EXPECT_TRUE(name.isEmpty());
    }
}

// An Enter that went down elsewhere (on the button that opened the dialog) and comes up in the
// name box must not accept the empty name.
TEST(CreateMacroDialog, EnterCountsOnlyWhenItWentDownInTheBox) {
    bool openAfterStrayRelease = false;
    const auto [result, name] = run([&](QWidget* dlg) {
        QTest::keyRelease(nameBox(dlg), Qt::Key_Return);
        QCoreApplication::processEvents();
        openAfterStrayRelease = dlg->isVisible();
        typeIntoFocus(QStringLiteral("M1"));
        QTest::keyPress(nameBox(dlg), Qt::Key_Enter);
        QTest::keyRelease(nameBox(dlg), Qt::Key_Enter);
    });
    EXPECT_TRUE(openAfterStrayRelease);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(name, "M1");
}

// Opening and every later activation put the focus into the name box; the pointer stays where
// the user left it and no click is made for the user.
TEST(CreateMacroDialog, ActivationFocusesTheBoxWithoutMovingThePointer) {
    const QPoint pointer(7, 9);
    QCursor::setPos(pointer);
    QWidget other;
    other.resize(200, 100);
    bool focusedOnOpen = false;
    bool focusedAgain = false;
    QPoint pointerAfter;
    QString typedAfterReactivation;
    const auto [result, name] = run([&](QWidget* dlg) {
        focusedOnOpen = QApplication::focusWidget() == nameBox(dlg);
        typeIntoFocus(QStringLiteral("ab"));
        other.show();
        other.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
        nameBox(dlg)->clearFocus();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg));
        focusedAgain = QApplication::focusWidget() == nameBox(dlg);
        pointerAfter = QCursor::pos();
        nameBox(dlg)->end(false);
        typeIntoFocus(QStringLiteral("c"));
        typedAfterReactivation = nameBox(dlg)->text();
        click(dlg, "BTNOK");
    });
    EXPECT_TRUE(focusedOnOpen);
    EXPECT_TRUE(focusedAgain);
    EXPECT_EQ(pointerAfter, pointer);
    EXPECT_EQ(typedAfterReactivation, "abc");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(name, "abc");
}

}  // namespace
}  // namespace vyk::test
