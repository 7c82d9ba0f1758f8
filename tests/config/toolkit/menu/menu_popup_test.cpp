// The popups of the button-assignment menu on the offscreen platform, driven by real mouse and
// key events through the platform's event path (as a grabbing popup receives them): which
// popups open and close, the press/release rules, the keys, the highlights and the exact
// geometry of popups and rows.
#include <gtest/gtest.h>

#include "config/toolkit/MenuPopup.h"
#include "config/toolkit/uiMenuBox.h"
#include "config/toolkit/uiMenuEx.h"
#include "config/window/AssignMenuItems.h"
#include "core/language/vgLang.h"
#include "platform/dialogs/message_box.h"
#include "tests/support/wait.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetricsF>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <QtMath>

namespace {

struct MenuPopups : ::testing::Test {
    QWidget host;
    QWidget* target = nullptr;
    std::unique_ptr<TuiMenuEx> menu = std::make_unique<TuiMenuEx>();
    QList<quint32> clicks;
    QStringList closed;

    void SetUp() override {
        host.setWindowFlag(Qt::FramelessWindowHint);
        host.setGeometry(50, 50, 300, 200);
        target = new QWidget(&host);
        target->setGeometry(20, 20, 80, 25);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        BuildAssignMenu(*menu);
        menu->SetOnItemsClick([this](QObject*, const QString&, quint32 id, void*, int) { clicks << id; });
        menu->SetOnMenuClose([this](QObject* s) {
            auto* level = static_cast<TuiMenuItemsEx*>(s);
            closed << (level->OwnerItem() ? level->OwnerItem()->Caption() : QStringLiteral("top"));
        });
    }
    void TearDown() override {
        menu.reset();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TuiMenuItemsEx& top() { return menu->Items(); }
    TuiMenuItemsEx& sub(int i) { return menu->Items()[i]->SubItems(); }
    static TuiMenuPopup* popup(TuiMenuItemsEx& l) { return MenuPopupOf(&l); }
    static TuiMenuBox* box(TuiMenuItemsEx& l) { return popup(l)->Box(); }
    static QPoint rowCenter(TuiMenuItemsEx& l, int row) {
        TuiMenuBoxItem* r = box(l)->ItemByIndex(row);
        return r->mapToGlobal(r->rect().center());
    }

    void open(qint64 id, QPoint cursor = {100, 80}) {
        QCursor::setPos(cursor);
        menu->ShowMainMenu(id, target, TvgPlacement::Mouse);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup(top())));
    }

    // Real events go to the window that holds the pointer grab: the active popup.
    static QWindow* grabWindow() {
        QWidget* p = QApplication::activePopupWidget();
        return p ? p->windowHandle() : nullptr;
    }
    static void moveTo(QPoint g) {
        QWindow* w = grabWindow();
        ASSERT_NE(w, nullptr);
        QTest::mouseMove(w, w->mapFromGlobal(g));
    }
    static void press(QPoint g, Qt::MouseButton b = Qt::LeftButton) {
        QWindow* w = grabWindow();
        ASSERT_NE(w, nullptr);
        QTest::mousePress(w, b, {}, w->mapFromGlobal(g));
    }
    static void release(QPoint g, Qt::MouseButton b = Qt::LeftButton) {
        QWindow* w = grabWindow();
        if (!w) return;  // the press closed the menu
        QTest::mouseRelease(w, b, {}, w->mapFromGlobal(g));
    }
    static void key(Qt::Key k, const QString& text = QString()) {
        QWindow* w = grabWindow();
        ASSERT_NE(w, nullptr);
        if (text.isEmpty()) {
            QTest::keyClick(w, k);
        } else {
            QTest::sendKeyEvent(QTest::Press, w, k, text, {});
            QTest::sendKeyEvent(QTest::Release, w, k, text, {});
        }
    }
    bool anyOpen() { return QApplication::activePopupWidget() != nullptr; }
};

TEST_F(MenuPopups, GeometryOfPopupsAndRowsIsExact) {
    open(0);
    TuiMenuPopup* p = popup(top());
    const QFontMetricsF fm(menu->Parameters().ItemFont);
    const int w = qCeil(fm.horizontalAdvance("PROFILE SWITCH") + 100);
    EXPECT_EQ(p->geometry(), QRect(100, 80, w, 17 * 25));
    EXPECT_EQ(p->parentWidget(), nullptr);
    EXPECT_EQ(p->windowHandle()->transientParent(), host.windowHandle());
    TuiMenuBox* b = box(top());
    EXPECT_EQ(b->geometry(), QRect(0, 0, w, 17 * 25));
    for (int i = 0; i < 17; ++i) EXPECT_EQ(b->ItemByIndex(i)->geometry(), QRect(0, 25 * i, w, 25)) << i;
    EXPECT_EQ(b->ItemByIndex(0)->Text(), "CLICK");

    // The BASIC sub-menu opens right of its row, top-aligned with it.
    moveTo(rowCenter(top(), 7));
    ASSERT_TRUE(sub(7).GetIsMenuOpened());
    TuiMenuPopup* s = popup(sub(7));
    const int sw = qCeil(fm.horizontalAdvance("SELECT ALL") + 100);
    EXPECT_EQ(s->geometry(), QRect(100 + w, 80 + 7 * 25, sw, 8 * 25));
    EXPECT_EQ(s->parentWidget(), nullptr);
    EXPECT_EQ(s->windowHandle()->transientParent(), p->windowHandle());
}

TEST_F(MenuPopups, HoverOpensOneSubMenuAtATime) {
    open(0);
    moveTo(rowCenter(top(), 2));  // MIDDLE BUTTON
    EXPECT_FALSE(sub(7).GetIsMenuOpened());
    moveTo(rowCenter(top(), 7));  // BASIC
    EXPECT_TRUE(sub(7).GetIsMenuOpened());
    EXPECT_EQ(QApplication::activePopupWidget(), popup(sub(7)));
    moveTo(rowCenter(sub(7), 3));  // into the sub-menu: it stays, BASIC stays lit
    EXPECT_TRUE(sub(7).GetIsMenuOpened());
    EXPECT_EQ(box(top())->HighlightOf(box(top())->ItemByIndex(7)), 2);
    moveTo(rowCenter(top(), 8));  // ADVANCED
    EXPECT_FALSE(sub(7).GetIsMenuOpened());
    EXPECT_TRUE(sub(8).GetIsMenuOpened());
    EXPECT_EQ(closed, QStringList({"BASIC"}));
    moveTo(rowCenter(top(), 0));  // CLICK
    EXPECT_FALSE(sub(8).GetIsMenuOpened());
    EXPECT_TRUE(menu->IsMenuOpen());
    EXPECT_EQ(closed, QStringList({"BASIC", "ADVANCED"}));
    EXPECT_TRUE(clicks.isEmpty());
}

TEST_F(MenuPopups, PressAndReleaseOnOneRowClosesEverythingThenFires) {
    open(0);
    moveTo(rowCenter(top(), 7));
    moveTo(rowCenter(sub(7), 1));
    press(rowCenter(sub(7), 1));  // COPY
    release(rowCenter(sub(7), 1));
    EXPECT_EQ(clicks, QList<quint32>({802}));
    EXPECT_FALSE(anyOpen());
    EXPECT_EQ(closed, QStringList({"BASIC", "top"}));  // deepest first, once each
    EXPECT_EQ(sub(7).ItemIndex(), 1);                  // the clicked level keeps its row
    EXPECT_EQ(top().ItemIndex(), -1);
}

TEST_F(MenuPopups, ReleaseRules) {
    struct Case {
        const char* what;
        std::function<void(MenuPopups&)> gesture;
        bool staysOpen;
        QList<quint32> fired;
    };
    const Case cases[] = {
        {"press CUT, drag to COPY",
         [](MenuPopups& t) {
             moveTo(rowCenter(t.top(), 7));
             press(rowCenter(t.sub(7), 0));
             EXPECT_EQ(box(t.sub(7))->MouseDownItem(), box(t.sub(7))->ItemByIndex(0));
             moveTo(rowCenter(t.sub(7), 1));
             EXPECT_EQ(box(t.sub(7))->HighlightOf(box(t.sub(7))->ItemByIndex(0)), 3);
             EXPECT_EQ(box(t.sub(7))->HighlightOf(box(t.sub(7))->ItemByIndex(1)), 2);
             release(rowCenter(t.sub(7), 1));
         },
         false,
         {}},
        {"press and release on BASIC",
         [](MenuPopups& t) {
             moveTo(rowCenter(t.top(), 7));
             press(rowCenter(t.top(), 7));
             release(rowCenter(t.top(), 7));
         },
         true,
         {}},
        {"right button on CLICK",
         [](MenuPopups& t) {
             press(rowCenter(t.top(), 0), Qt::RightButton);
             release(rowCenter(t.top(), 0), Qt::RightButton);
         },
         false,
         {}},
        {"press CLICK, release outside the menu",
         [](MenuPopups& t) {
             press(rowCenter(t.top(), 0));
             moveTo({700, 500});
             release({700, 500});
         },
         true,
         {}},
        {"press outside the menu",
         [](MenuPopups&) {
             press({700, 500});
             release({700, 500});
         },
         false,
         {}},
        {"press and release DISABLE",
         [](MenuPopups& t) {
             press(rowCenter(t.top(), 16));
             release(rowCenter(t.top(), 16));
         },
         false,
         {17}},
    };
    for (const Case& c : cases) {
        clicks.clear();
        open(0);
        c.gesture(*this);
        EXPECT_EQ(menu->IsMenuOpen(), c.staysOpen) << c.what;
        EXPECT_EQ(clicks, c.fired) << c.what;
        top().CloseMenu();
        EXPECT_FALSE(anyOpen()) << c.what;
    }
}

TEST_F(MenuPopups, PreselectionShowsTheRowSelected) {
    // 805: nothing at the top; FIND in the BASIC sub-menu.
    open(805);
    TuiMenuBox* b = box(top());
    EXPECT_EQ(b->ItemIndex(), -1);
    moveTo(rowCenter(top(), 7));
    EXPECT_EQ(box(sub(7))->ItemIndex(), 4);
    EXPECT_TRUE(box(sub(7))->ItemByIndex(4)->IsSelected());
    top().CloseMenu();

    // 8 names BASIC, a sub-menu row: nothing stays selected.
    open(8);
    EXPECT_EQ(b->ItemIndex(), -1);
    for (int i = 0; i < 17; ++i) EXPECT_FALSE(b->ItemByIndex(i)->IsSelected()) << i;
    EXPECT_EQ(top().ItemIndex(), -1);
    top().CloseMenu();

    // 2: RIGHT CLICK.
    open(2);
    EXPECT_EQ(b->ItemIndex(), 1);
    EXPECT_TRUE(b->ItemByIndex(1)->IsSelected());
    moveTo(rowCenter(top(), 4));
    EXPECT_EQ(b->HighlightOf(b->ItemByIndex(1)), 3);  // selected: the down highlight
    EXPECT_EQ(b->HighlightOf(b->ItemByIndex(4)), 2);  // hovered: the over highlight
    EXPECT_EQ(b->HighlightOf(b->ItemByIndex(0)), 1);
    top().CloseMenu();
}

TEST_F(MenuPopups, KeysMoveTheSelectionWithTheirStopsAndFireNothing) {
    open(0);
    TuiMenuBox* b = box(top());
    struct Step {
        Qt::Key key;
        const char* text;
        int expected;
    };
    const Step steps[] = {
        {Qt::Key_Up, "", -1},                                // nothing selected: Up stays
        {Qt::Key_Home, "", 0},                               // Home selects row 0 from nothing
        {Qt::Key_Up, "", 0},                                 // Up on row 0 stays
        {Qt::Key_End, "", 16},      {Qt::Key_Down, "", 16},  // Down on the last row stays
        {Qt::Key_Right, "", 16},    {Qt::Key_Left, "", 15},
        {Qt::Key_M, "m", 2},         // first row from the top that starts with m: MIDDLE BUTTON
        {Qt::Key_D, "d", 12},        // DPI SWITCH
        {Qt::Key_Q, "q", 12},        // no match: consumed, unchanged
        {Qt::Key_Return, "\r", 12},  // never fires
        {Qt::Key_Enter, "\r", 12},  {Qt::Key_Space, " ", 12},
        {Qt::Key_S, "s", 5},                                 // SINGLE KEY
        {Qt::Key_Down, "", 6},      {Qt::Key_Down, "", -1},  // onto BASIC: a sub-menu row is never kept selected
        {Qt::Key_Down, "", 0},
    };
    for (const Step& s : steps) {
        key(s.key, QString::fromLatin1(s.text));
        EXPECT_EQ(b->ItemIndex(), s.expected) << s.text << " " << s.key;
        EXPECT_EQ(top().ItemIndex(), s.expected);
    }
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_TRUE(menu->IsMenuOpen());
    key(Qt::Key_Escape);
    EXPECT_FALSE(menu->IsMenuOpen());
    EXPECT_EQ(closed, QStringList({"top"}));
}

TEST_F(MenuPopups, FlipsLeftAtTheRightEdgeAndStaysOnScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QFontMetricsF fm(menu->Parameters().ItemFont);
    const int w = qCeil(fm.horizontalAdvance("PROFILE SWITCH") + 100);
    // Target right edge + popup width reaches the screen edge: left of the host window.
    host.move(screen.width() - 300, 50);
    target->move(200, 20);
    open(0, host.mapToGlobal(QPoint(210, 30)));
    EXPECT_EQ(popup(top())->pos(), QPoint(host.frameGeometry().left() - w, host.mapToGlobal(QPoint(210, 30)).y()));
    top().CloseMenu();

    // A sub-menu that would pass the edge goes left of the popup it came from.
    host.move(300, 50);
    target->move(0, 20);
    open(0, {screen.width() - w - 10, 80});
    ASSERT_EQ(popup(top())->pos(), QPoint(screen.width() - w - 10, 80));
    moveTo(rowCenter(top(), 7));
    const int sw = qCeil(fm.horizontalAdvance("SELECT ALL") + 100);
    EXPECT_EQ(popup(sub(7))->pos(), QPoint(screen.width() - w - 10 - sw, 80 + 7 * 25));
    top().CloseMenu();

    // The host at the left edge: the flip would leave the screen; the popup stays on it.
    host.setGeometry(0, 50, screen.width() - 10, 200);
    target->move(screen.width() - 100, 20);
    open(0, host.mapToGlobal(QPoint(screen.width() - 90, 30)));
    EXPECT_EQ(popup(top())->pos().x(), 0);
}

TEST_F(MenuPopups, HeightIsCutAtTheScreenUnlessCustom) {
    const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
    TuiMenuEx tall;
    tall.SetUseCustomMenuParams(true);
    tall.Parameters().ItemHeight = 25;
    for (int i = 0; i < screenHeight / 25 + 5; ++i) tall.Items().Add(QStringLiteral("ROW %1").arg(i));
    QCursor::setPos(100, 80);
    tall.ShowMainMenu(0, target, TvgPlacement::Mouse);
    TuiMenuPopup* p = MenuPopupOf(&tall.Items());
    EXPECT_EQ(p->height(), screenHeight);
    EXPECT_EQ(p->y(), 0);
    // End scrolls the last row into view.
    key(Qt::Key_End);
    TuiMenuBox* b = p->Box();
    EXPECT_EQ(b->ItemByIndex(b->Count() - 1)->geometry().bottom(), screenHeight - 1);
    tall.Items().CloseMenu();
    tall.Parameters().CustomHeight = screenHeight + 50;
    tall.ShowMainMenu(0, target, TvgPlacement::Mouse);
    EXPECT_EQ(p->height(), screenHeight + 50);
    tall.Items().CloseMenu();
}

// The ink of row `row` of the open top level, drawn alone on a transparent picture: the
// rectangle of its painted pixels.
QRect inkOfRow(TuiMenuBox* box, int row) {
    TuiMenuBoxItem* r = box->ItemByIndex(row);
    QImage image(r->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    r->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST_F(MenuPopups, OnlyTheCustomLookShadowsTheRowTexts) {
    // Both looks with the same font, colour, padding and check area, so the only difference
    // in ink is the shadow: one pixel more to the right and below.
    TuiMenuEx looks;
    looks.Items().Add(QStringLiteral("MIDDLE BUTTON"));
    TMenuParams& p = looks.Parameters();
    p.ItemFont = looks.Items().ItemDefaultFont();
    p.ItemFontFill = looks.Items().ItemDefaultFontFill();
    p.MenuTextPadding = QMarginsF(3, 1, 3, 1);
    p.ItemShowCheck = true;
    QRect ink[2];
    for (bool custom : {false, true}) {
        looks.SetUseCustomMenuParams(custom);
        looks.ShowMainMenu(0, target, TvgPlacement::Right);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup(looks.Items())));
        ink[custom] = inkOfRow(box(looks.Items()), 0);
        looks.Items().CloseMenu();
    }
    ASSERT_FALSE(ink[0].isEmpty());
    EXPECT_EQ(ink[1], ink[0].adjusted(0, 0, 1, 1)) << "plain " << ink[0].width() << "x" << ink[0].height()
                                                   << ", custom " << ink[1].width() << "x" << ink[1].height();
}

TEST_F(MenuPopups, CaptionsAreTranslatedAtEveryOpening) {
    open(0);
    EXPECT_EQ(box(top())->ItemByIndex(0)->Text(), "CLICK");
    top().CloseMenu();
    TTextList table;
    table.Add("CLICK=KLICK");
    vyk::toolkit::setTable(table);
    open(0);
    EXPECT_EQ(box(top())->ItemByIndex(0)->Text(), "KLICK");
    vyk::toolkit::resetTable();
}

TEST_F(MenuPopups, AFunctionIndexOutOfRangeIsReportedAndFiresNothing) {
    QStringList reported;
    vyk::platform::setMessageBoxHook(
        [&](const QString&, const QString& text, vyk::platform::MessageIcon) { reported << text; });
    TuiFunctionManager manager;
    manager.Items().Add();
    menu->SetFunctionManager(&manager);
    menu->SetFunctionItemIndex(3);
    open(0);
    press(rowCenter(top(), 0));
    release(rowCenter(top(), 0));
    vyk::platform::setMessageBoxHook({});
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_FALSE(anyOpen());
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains("List index out of bounds (3)")) << reported[0].toStdString();
}

TEST_F(MenuPopups, RowsWhoseItemsWentFireNothing) {
    TuiMenuItemsEx& macro = sub(10);
    macro.Add("MACRO MANAGER");
    macro.Add("Macro1");
    macro.Add("Macro2");
    open(0);
    moveTo(rowCenter(top(), 10));
    ASSERT_TRUE(macro.GetIsMenuOpened());
    const QPoint third = rowCenter(macro, 2);
    // The macro list is rebuilt while the popup shows the old rows (a profile switch from the
    // mouse does this).
    macro.Clear();
    macro.Add("MACRO MANAGER");
    moveTo(third);
    press(third);
    release(third);
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_FALSE(anyOpen());
    // The next opening shows the new rows.
    open(0);
    moveTo(rowCenter(top(), 10));
    EXPECT_EQ(box(macro)->Count(), 1);
    press(rowCenter(macro, 0));
    release(rowCenter(macro, 0));
    EXPECT_EQ(clicks, QList<quint32>({1101}));
}

TEST_F(MenuPopups, TheClickHandlerMayRebuildOrFreeTheMenu) {
    TuiMenuItemsEx& macro = sub(10);
    macro.Add("MACRO MANAGER");
    menu->SetOnItemsClick([&](QObject*, const QString&, quint32 id, void*, int) {
        clicks << id;
        // A modal loop inside the handler, in which the macro list is rebuilt.
        QApplication::processEvents();
        macro.Clear();
        macro.Add("MACRO MANAGER");
        macro.Add("Macro1");
    });
    open(0);
    moveTo(rowCenter(top(), 10));
    press(rowCenter(macro, 0));
    release(rowCenter(macro, 0));
    EXPECT_EQ(clicks, QList<quint32>({1101}));
    EXPECT_EQ(macro.Count(), 2);

    menu->SetOnItemsClick([&](QObject*, const QString&, quint32 id, void*, int) {
        clicks << id;
        menu.reset();  // the window that owns the menu goes
    });
    open(0);
    press(rowCenter(top(), 3));
    release(rowCenter(top(), 3));
    EXPECT_EQ(clicks, QList<quint32>({1101, 4}));
    EXPECT_EQ(menu, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(anyOpen());
}

}  // namespace
