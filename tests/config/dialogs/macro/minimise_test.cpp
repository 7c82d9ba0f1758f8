// The manager's minimise button takes the whole program to the task bar, the main window and
// the manager alike, and a click on either's task-bar entry brings both back with the manager
// on top: with the widgets' window states offscreen, and with real X window states (WM_STATE,
// mapping, stacking) under a stand-in window manager on a private Xvfb.

#include "tests/config/dialogs/macro/macro_fixture.h"

#include "config/toolkit/MainWindowRef.h"
#include "tests/config/support/modal.h"
#include "tests/support/x11/stand_in_wm.h"
#include "tests/support/x11/x11_child.h"

#include <QApplication>
#include <QGuiApplication>

#include <algorithm>

namespace vyk::test {
namespace {

class MacroManagerMinimise : public MacroManagerTest {
protected:
    void SetUp() override {
        MacroManagerTest::SetUp();
        main.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        main.resize(801, 638);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        vyk::config::SetMainWindow(&main);
        addMacros({"M"});
    }
    void TearDown() override {
        vyk::config::SetMainWindow(nullptr);
        MacroManagerTest::TearDown();
    }

    // Runs the manager modally; `inside` works on it, then the manager is closed.
    void runManager(const std::function<void(TFrmMacro&)>& inside) {
        whenModal([&](QWidget* w) {
            auto* f = dynamic_cast<TFrmMacro*>(w);
            ASSERT_NE(f, nullptr);
            inside(*f);
            if (f->isVisible()) f->done(2);
        });
        QString name;
        ShowMacroManager(*db, name);
    }

    QWidget main;  // stands for the configuration window
};

TEST_F(MacroManagerMinimise, BothGoDownAndEitherBringsBothBackWithTheManagerActive) {
    for (bool fromMain : {true, false}) {
        SCOPED_TRACE(fromMain ? "restored from the main window's entry" : "restored from the manager's entry");
        runManager([&](TFrmMacro& f) {
            clickButton(f.BTNMIN);
            EXPECT_TRUE(waitUntil([&] { return main.isMinimized() && f.isMinimized(); }))
                << "main " << main.isMinimized() << ", manager " << f.isMinimized();
            (fromMain ? static_cast<QWidget&>(main) : static_cast<QWidget&>(f)).showNormal();
            EXPECT_TRUE(waitUntil([&] { return !main.isMinimized() && !f.isMinimized(); }))
                << "main " << main.isMinimized() << ", manager " << f.isMinimized();
            EXPECT_TRUE(f.isVisible() && main.isVisible());
            EXPECT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &f; }));
        });
    }
}

TEST_F(MacroManagerMinimise, OnXBothAreIconifiedAndATaskBarClickMapsBothWithTheManagerOnTop) {
    if (!onX11()) return rerunOnX11();
    StandInWindowManager desktop;
    ASSERT_TRUE(desktop.running());
    // The main window was shown before the stand-in ran: map it again under it.
    main.hide();
    main.show();
    const unsigned long mainId = main.winId();
    ASSERT_TRUE(
        waitUntil([&] { return desktop.state(mainId) == StandInWindowManager::Normal && desktop.viewable(mainId); }));
    runManager([&](TFrmMacro& f) {
        const unsigned long managerId = f.winId();
        ASSERT_TRUE(waitUntil([&] { return desktop.viewable(managerId); }));
        clickButton(f.BTNMIN);
        EXPECT_TRUE(waitUntil([&] {
            return desktop.state(mainId) == StandInWindowManager::Iconic &&
                   desktop.state(managerId) == StandInWindowManager::Iconic;
        })) << "main "
            << desktop.state(mainId) << ", manager " << desktop.state(managerId);
        EXPECT_FALSE(desktop.viewable(mainId));
        EXPECT_FALSE(desktop.viewable(managerId));

        // The program has seen both go down before the user clicks (a click takes longer than
        // the round trip; without it Qt could read the new state before the old one).
        QGuiApplication::sync();
        QCoreApplication::processEvents();
        desktop.restore(mainId);  // the main window's task-bar entry
        EXPECT_TRUE(waitUntil([&] { return desktop.viewable(mainId) && desktop.viewable(managerId); }))
            << "main " << desktop.viewable(mainId) << ", manager " << desktop.viewable(managerId);
        EXPECT_EQ(desktop.state(managerId), StandInWindowManager::Normal);
        const auto onTop = [&] {
            const std::vector<unsigned long> stack = desktop.stackingOrder();
            const auto m = std::find(stack.begin(), stack.end(), mainId);
            const auto d = std::find(stack.begin(), stack.end(), managerId);
            return m != stack.end() && d != stack.end() && d > m;
        };
        EXPECT_TRUE(waitUntil(onTop)) << "the manager is not above the main window";
    });
}

}  // namespace
}  // namespace vyk::test
