// A language chosen while the window runs leaves no old text on screen: the window, each page,
// both mouse views and the function menu with its sub-menus look exactly as after a start in
// that language. Both are rendered offscreen with the build's skin and language file, and the
// pictures are compared pixel for pixel; a picture that differs is saved beside the one it
// should equal (in the test's temporary folder; VYK_KEEP_TEST_DIRS=1 keeps it) and named in the
// failure.
#include "config/toolkit/MenuPopup.h"
#include "config/window/ButtonAssignPanel.h"
#include "core/language/uiLanguage.h"
#include "tests/config/support/menu_driver.h"
#include "tests/config/window/screenshot_rig.h"
#include "tests/support/x11/stand_in_wm.h"
#include "tests/support/x11/x11_child.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

// Everything the user sees of the window, by name.
using Pictures = std::map<std::string, QImage>;

struct Texts {
    QString windowTitle, applicationTitle;
};

// What the screen shows of a window: its backing store as last painted, not a fresh rendering,
// so a part that nothing repainted shows as it was.
QImage pictureOf(QWidget* w) {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Opens the function menu on `button`, rests the pointer on row `top` (its sub-menu opens) and
// takes both popups.
void takeMenu(TVYKCFGMAIN& w, int button, int top, const std::string& name, Pictures& out) {
    vyk::test::menu::openMenu(w, button);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    QPoint at;
    vyk::test::menu::pointAt(w, top, 0, &at);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    TuiMenuItemsEx& menu = w.ButtonAssignment->UIMENUEX1->Items();
    out[name] = pictureOf(MenuPopupOf(&menu));
    out[name + "-sub"] = pictureOf(MenuPopupOf(&menu[top]->SubItems()));
    for (int k = 0; k < 2 && QApplication::activePopupWidget(); ++k)
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    ASSERT_TRUE(vyk::test::waitUntil([&w] { return !w.ButtonAssignment->UIMENUEX1->IsMenuOpen(); }));
}

// Takes every page (GENERAL in both mouse views) and the menu with its MEDIA and MACRO
// sub-menus, then leaves the window on GENERAL's front view.
Pictures picturesOf(TVYKCFGMAIN& w) {
    Pictures out;
    // The pointer off the window, so no control is lit by it.
    const auto pointerAway = [] { QCursor::setPos(QPoint(1200, 1000)); };
    pointerAway();
    const char* pages[] = {"general", "dpi", "light", "info"};
    for (int i = 0; i < 4; ++i) {
        w.SelectTab(i);
        out[pages[i]] = pictureOf(&w);
    }
    w.SelectTab(0);
    w.ButtonAssignment->ShowMouseView(false);
    out["general-side"] = pictureOf(&w);
    w.ButtonAssignment->ShowMouseView(true);
    takeMenu(w, 2, 9, "menu-media", out);
    takeMenu(w, 2, 10, "menu-macro", out);
    w.ButtonAssignment->ShowMouseView(true);
    pointerAway();
    return out;
}

Texts textsOf(const TVYKCFGMAIN& w) { return {w.windowTitle(), QGuiApplication::applicationDisplayName()}; }

// A start in `language`: its pictures and titles.
void freshStart(const QString& language, Pictures& pictures, Texts& texts) {
    cfgtest::ScreenshotRig rig(language);
    TVYKCFGMAIN& w = rig.open();
    ASSERT_FALSE(::testing::Test::HasFailure());
    pictures = picturesOf(w);
    texts = textsOf(w);
}

void choose(TVYKCFGMAIN& w, const QString& language) {
    const int index = w.uiLanguage1->GetLanguageIndexByShortID(language);
    const int entry = w.LanguageIndexMap().indexOf(index);
    ASSERT_GE(entry, 0) << language.toStdString();
    w.PopBoxLanguage->setCurrentIndex(entry);
    ASSERT_EQ(w.uiLanguage1->Lang(), language);
}

// The smallest rectangle that holds every pixel where two pictures of one size differ.
QRect differingArea(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return QRect(QPoint(0, 0), a.size().expandedTo(b.size()));
    QRect area;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

void expectSame(const Pictures& live, const Pictures& fresh, const std::string& step) {
    const std::filesystem::path dir = vyk::test::freshDir("language-pictures-" + step);
    ASSERT_EQ(live.size(), fresh.size());
    for (const auto& [name, picture] : fresh) {
        const QImage& shown = live.at(name);
        if (shown == picture) continue;
        const std::string base = (dir / (step + "-" + name)).string();
        shown.save(QString::fromStdString(base + "-live.png"));
        picture.save(QString::fromStdString(base + "-fresh.png"));
        const QRect r = differingArea(shown, picture);
        ADD_FAILURE() << step << ": " << name << " differs from a fresh start in " << r.width() << "x" << r.height()
                      << "+" << r.x() << "+" << r.y() << "; see " << base << "-{live,fresh}.png";
    }
}

TEST(LanguageChange, EveryPictureAndTitleEqualsAFreshStartInThatLanguage) {
    std::map<QString, Pictures> fresh;
    std::map<QString, Texts> freshTexts;
    for (const QString& language : {QStringLiteral("0409"), QStringLiteral("0804")}) {
        freshStart(language, fresh[language], freshTexts[language]);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
    }
    EXPECT_EQ(freshTexts["0804"].windowTitle, "游戏鼠标设置");
    ASSERT_NE(fresh["0409"].at("general"), fresh["0804"].at("general")) << "the language file translates nothing";

    // Started in the first language, then changed to each of the others in turn.
    const QStringList runs[] = {{"0409", "0804", "0409"}, {"0804", "0409"}};
    for (const QStringList& run : runs) {
        cfgtest::ScreenshotRig rig(run.first());
        TVYKCFGMAIN& w = rig.open();
        ASSERT_TRUE(w.isVisible());
        // Every page and menu is shown once before the change.
        picturesOf(w);
        std::string step = run.first().toStdString();
        for (const QString& language : run.mid(1)) {
            step += "-to-" + language.toStdString();
            SCOPED_TRACE(step);
            choose(w, language);
            expectSame(picturesOf(w), fresh[language], step);
            EXPECT_EQ(textsOf(w).windowTitle, freshTexts[language].windowTitle);
            EXPECT_EQ(textsOf(w).applicationTitle, freshTexts[language].applicationTitle);
        }
    }
}

// The window makes its DPI, LIGHT and INFO pages after its first frame, or when first needed. A
// language chosen before they are made: once made, they look as pages that were there when the
// language was chosen, whether English was left or chosen again.
TEST(LanguageChange, PagesMadeAfterTheChangeEqualPagesMadeBeforeIt) {
    const QStringList runs[] = {{"0409", "0804"}, {"0804", "0409"}, {"0409", "0804", "0409"}};
    for (const QStringList& run : runs) {
        const std::string step = run.join("-to-").toStdString();
        SCOPED_TRACE(step);
        Pictures before;
        {
            cfgtest::ScreenshotRig rig(run.first());
            TVYKCFGMAIN& w = rig.make();
            w.PageDpi.get();
            w.PageLight.get();
            w.PageInfo.get();
            for (const QString& language : run.mid(1)) choose(w, language);
            rig.open();
            before = picturesOf(w);
        }
        cfgtest::ScreenshotRig rig(run.first());
        TVYKCFGMAIN& w = rig.make();
        for (const QString& language : run.mid(1)) choose(w, language);
        ASSERT_FALSE(w.PageDpi.Made() || w.PageLight.Made() || w.PageInfo.Made()) << "made before the change";
        rig.open();
        expectSame(picturesOf(w), before, "made-late-" + step);
    }
}

// The name the desktop gives the window (its task-bar entry and X window name) after a change
// is the one a start in that language gives it, not the new title followed by the old one.
TEST(LanguageChange, TheDesktopNamesTheWindowAsAStartInThatLanguageDoes) {
    if (!vyk::test::onX11()) return vyk::test::rerunOnX11();
    vyk::test::StandInWindowManager desktop;
    ASSERT_TRUE(desktop.running());
    std::map<QString, QString> fresh;
    for (const QString& language : {QStringLiteral("0409"), QStringLiteral("0804")}) {
        cfgtest::ScreenshotRig rig(language);
        TVYKCFGMAIN& w = rig.open();
        ASSERT_TRUE(vyk::test::waitUntil([&] { return !desktop.name(w.winId()).isEmpty(); }));
        fresh[language] = desktop.name(w.winId());
    }
    EXPECT_EQ(fresh["0409"].toStdString(), "GAMING MOUSE CONFIG");
    EXPECT_EQ(fresh["0804"].toStdString(), "游戏鼠标设置");

    cfgtest::ScreenshotRig rig(QStringLiteral("0409"));
    TVYKCFGMAIN& w = rig.open();
    for (const QString& language : {QStringLiteral("0804"), QStringLiteral("0409")}) {
        choose(w, language);
        vyk::test::waitUntil([&] { return desktop.name(w.winId()) == fresh[language]; }, 2000);
        EXPECT_EQ(desktop.name(w.winId()).toStdString(), fresh[language].toStdString())
            << "after the change to " << language.toStdString();
    }
}

}  // namespace
