// The message dialogs answered the way a user answers them: OK and CANCEL clicked, Esc, the
// window closed, Enter and Space on the focused button. Enter must never answer OK by
// accident. Also the geometry, the texts, wrapping and centring.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <functional>

#include "config/dialogs/showdialog.h"
#include "config/dialogs/showdialog2.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/MainWindowRef.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/WrapLabel.h"
#include "tests/config/support/modal.h"

using vyk::test::whenModal;

namespace {

TImageStateButton* button(QWidget* dlg, const char* name) {
    auto* b = dlg->findChild<TImageStateButton*>(name);
    EXPECT_NE(b, nullptr) << name;
    return b;
}

using Answer = std::function<void(QWidget*)>;

const Answer clickOK = [](QWidget* d) { QTest::mouseClick(button(d, "BTNOK"), Qt::LeftButton); };
const Answer clickCancel = [](QWidget* d) { QTest::mouseClick(button(d, "BTNCANCEL"), Qt::LeftButton); };
const Answer pressEsc = [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); };
const Answer closeWindow = [](QWidget* d) { d->close(); };
const Answer pressEnter = [](QWidget* d) { QTest::keyClick(d, Qt::Key_Return); };
const Answer pressKeypadEnter = [](QWidget* d) { QTest::keyClick(d, Qt::Key_Enter, Qt::KeypadModifier); };
const Answer tabThenEnter = [](QWidget* d) {
    QTest::keyClick(d, Qt::Key_Tab);
    EXPECT_EQ(d->focusWidget(), button(d, "BTNOK"));
    QTest::keyClick(d, Qt::Key_Return);
};
const Answer tabThenSpace = [](QWidget* d) {
    QTest::keyClick(d, Qt::Key_Tab);
    QTest::keyClick(d->focusWidget(), Qt::Key_Space);
};
const Answer spaceOnCancel = [](QWidget* d) { QTest::keyClick(d->focusWidget(), Qt::Key_Space); };
// A click on the background (not on a button) followed by Enter must not answer OK either.
const Answer backgroundThenEnter = [](QWidget* d) {
    QTest::mouseClick(d, Qt::LeftButton, {}, QPoint(30, 230));
    QTest::keyClick(d, Qt::Key_Enter);
    if (d->isVisible()) QTest::keyClick(d, Qt::Key_Escape);
};

struct AnswerCase {
    const char* name;
    const Answer* answer;
    int result;
};

const AnswerCase kAnswers[] = {
    {"OK clicked", &clickOK, 1},
    {"CANCEL clicked", &clickCancel, 2},
    {"Esc", &pressEsc, 2},
    {"window closed", &closeWindow, 2},
    {"Enter at once", &pressEnter, 2},
    {"keypad Enter at once", &pressKeypadEnter, 2},
    {"Tab to OK, Enter", &tabThenEnter, 1},
    {"Tab to OK, Space", &tabThenSpace, 1},
    {"Space on CANCEL", &spaceOnCancel, 2},
    {"background click, Enter", &backgroundThenEnter, 2},
};

}  // namespace

TEST(ShowDialog, AnswersGiveOneForOKAndTwoForEverythingElse) {
    for (const AnswerCase& c : kAnswers) {
        whenModal(*c.answer);
        EXPECT_EQ(ShowDialog("APPLY", "The mouse is not connected."), c.result) << "ShowDialog: " << c.name;
        whenModal(*c.answer);
        EXPECT_EQ(ShowDialog2("RESET ALL", "All profiles return to the factory settings.", "Continue?"), c.result)
            << "ShowDialog2: " << c.name;
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ShowDialog, TheHiddenResultOneButtonCannotBeReached) {
    whenModal([](QWidget* d) {
        auto* hidden = button(d, "ButtonHidden");
        EXPECT_FALSE(hidden->isVisible());
        EXPECT_FALSE(hidden->isEnabled());
        EXPECT_EQ(hidden->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(d->focusWidget(), button(d, "BTNCANCEL"));
        // Walking the whole tab chain never lands on it.
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(d, Qt::Key_Tab);
            EXPECT_NE(d->focusWidget(), hidden);
        }
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(ShowDialog2("SAVE ANYWAY", "text", "text2"), 2);
}

TEST(ShowDialog, LayoutAndTextsAreShownAsGiven) {
    whenModal([](QWidget* d) {
        EXPECT_EQ(d->size(), QSize(478, 292));
        EXPECT_TRUE(d->windowFlags() & Qt::FramelessWindowHint);
        auto* text = d->findChild<vyk::config::WrapLabel*>("LabelText");
        auto* title = d->findChild<vyk::config::WrapLabel*>("LabelTitle");
        ASSERT_TRUE(text && title);
        EXPECT_EQ(text->geometry(), QRect(123, 83, 284, 96));
        EXPECT_EQ(title->text(), "LOAD FILE");
        EXPECT_EQ(text->text(), "Wrong version");
        EXPECT_EQ(d->findChild<vyk::config::WrapLabel*>("LabelText2"), nullptr);
        auto* icon = d->findChild<TSkinImage*>("Btnimage");
        ASSERT_NE(icon, nullptr);
        EXPECT_FALSE(icon->Pixmap().isNull()) << "the drawn warning icon stands in for a missing skin file";
        QTest::keyClick(d, Qt::Key_Escape);
    });
    ShowDialog("LOAD FILE", "Wrong version", "ignored");

    whenModal([](QWidget* d) {
        auto* text = d->findChild<vyk::config::WrapLabel*>("LabelText");
        auto* text2 = d->findChild<vyk::config::WrapLabel*>("LabelText2");
        ASSERT_TRUE(text && text2);
        EXPECT_EQ(text->geometry(), QRect(121, 95, 301, 46));
        EXPECT_EQ(text2->geometry(), QRect(123, 147, 280, 40));
        EXPECT_EQ(text2->text(), "");
        EXPECT_EQ(button(d, "BTNCANCEL")->width(), 110);
        EXPECT_EQ(d->findChild<TSkinImage*>("Btnimage")->pos(), QPoint(13, 81));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    ShowDialog2("RESTORE", "Restore this profile?", "");
}

TEST(ShowDialog, LongAndTranslatedTextsWrapInsideTheirBox) {
    const QString longEnglish = QString("This profile has unsaved changes that will be lost. ").repeated(4);
    const QString chinese = QString::fromUtf8("当前配置文件已被修改，是否在关闭前保存所有更改？").repeated(3);
    const QString path = "/home/user/Documents/VykProfile/" + QString("x").repeated(120) + ".pfd";
    for (const QString& t : {longEnglish, chinese, path}) {
        vyk::config::WrapLabel label;
        label.setFont(QFont("Myriad Pro"));
        label.font();
        label.setGeometry(0, 0, 284, 96);
        QFont f = label.font();
        f.setPixelSize(14);
        label.setFont(f);
        label.setText(t);
        EXPECT_TRUE(label.textFits()) << t.toStdString();
        EXPECT_LE(label.effectivePixelSize(), 14);
        EXPECT_GE(label.effectivePixelSize(), 9);
    }
    // A text far too long for any size is cut at the bottom, not spilled over the buttons.
    vyk::config::WrapLabel label;
    label.setGeometry(0, 0, 284, 96);
    label.setText(longEnglish.repeated(20));
    EXPECT_FALSE(label.textFits());
    EXPECT_EQ(label.effectivePixelSize(), 9);
    const QImage img = label.grab().toImage();
    EXPECT_EQ(img.size(), QSize(284, 96));
}

TEST(ShowDialog, CentredOnTheMainWindowOrTheScreen) {
    QWidget main;
    main.setGeometry(100, 80, 801, 638);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    vyk::config::SetMainWindow(&main);
    QPoint centre;
    whenModal([&](QWidget* d) {
        centre = d->frameGeometry().center();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    ShowDialog("T", "x");
    EXPECT_LE((centre - main.frameGeometry().center()).manhattanLength(), 2);

    vyk::config::SetMainWindow(nullptr);
    whenModal([&](QWidget* d) {
        centre = d->frameGeometry().center();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    ShowDialog("T", "x");
    const QRect screen = main.screen()->availableGeometry();
    EXPECT_LE((centre - screen.center()).manhattanLength(), 2);
}

TEST(ShowDialog, DraggingTheBackgroundMovesTheWindow) {
    QPoint before, after;
    whenModal([&](QWidget* d) {
        before = d->pos();
        QTest::mousePress(d, Qt::LeftButton, {}, QPoint(40, 220));
        QTest::mouseMove(d, QPoint(90, 250));
        QTest::mouseRelease(d, Qt::LeftButton, {}, QPoint(90, 250));
        after = d->pos();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(ShowDialog("T", "x"), 2);
    EXPECT_EQ(after - before, QPoint(50, 30));
}
