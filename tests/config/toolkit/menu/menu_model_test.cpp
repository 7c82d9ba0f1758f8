// The popup menu model without any popup on screen: numbering and IDs, the process-wide
// preselection, the sizes a level asks for, the click dispatch (with the function manager's
// buffer), closing and resetting, and where a popup is placed.
#include <gtest/gtest.h>

#include "config/toolkit/uiMenuEx.h"
#include "config/window/AssignMenuItems.h"
#include "core/language/vgLang.h"

#include <QFontMetricsF>
#include <QtMath>

#include <stdexcept>

namespace {

// A view that shows nothing and records what the menu asks of it.
struct FakeView : TuiMenuPopupView {
    FakeView(TuiMenuItemsEx& l, QStringList& log) : level(l), log(log) {}
    void Refresh() override {}
    void Open(QWidget*, TvgPlacement, const QRect*) override { open = true; }
    void Close() override {
        open = false;
        log << QStringLiteral("close %1").arg(level.OwnerItem() ? level.OwnerItem()->Caption() : QString("top"));
        level.DoClosePopup();
    }
    bool IsOpen() const override { return open; }
    void Detach() override {}
    TuiMenuItemsEx& level;
    QStringList& log;
    bool open = false;
};

struct AssignMenu : ::testing::Test {
    TuiMenuEx menu;
    QStringList log;
    void SetUp() override {
        BuildAssignMenu(menu);
        menu.SetPopupFactory([this](TuiMenuItemsEx& l) { return std::make_unique<FakeView>(l, log); });
    }
    TuiMenuItemsEx& basic() { return menu.Items()[7]->SubItems(); }
};

TEST_F(AssignMenu, IdsFollowThePlaceInTheTree) {
    const TuiMenuItemsEx& top = menu.Items();
    ASSERT_EQ(top.Count(), 17);
    for (int i = 0; i < top.Count(); ++i) EXPECT_EQ(top[i]->ItemID(), quint32(i + 1)) << i;
    EXPECT_EQ(top[0]->Name(), "ITEM1");
    EXPECT_EQ(top[7]->Caption(), "BASIC");
    EXPECT_EQ(top[7]->SubItems().Count(), 8);
    EXPECT_EQ(top[7]->SubItems()[4]->ItemID(), 805u);
    EXPECT_EQ(top[7]->SubItems()[4]->Caption(), "FIND");
    EXPECT_EQ(top[8]->SubItems()[5]->ItemID(), 906u);
    EXPECT_EQ(top[9]->SubItems()[7]->ItemID(), 1008u);
    EXPECT_EQ(top[9]->SubItems()[7]->Caption(), "MUTE(MICROPHONE)");
    EXPECT_EQ(top[10]->Caption(), "MACRO");
    EXPECT_EQ(top[10]->SubItems().Count(), 0);
    EXPECT_EQ(top[16]->Caption(), "DISABLE");

    // The MACRO items are cleared and added at run time: numbering starts again.
    TuiMenuItemsEx& macro = menu.Items()[10]->SubItems();
    macro.Add("MACRO MANAGER");
    macro.Add("Macro1");
    macro.Clear();
    EXPECT_EQ(macro.Add("MACRO MANAGER")->ItemID(), 1101u);
    EXPECT_EQ(macro.Add("Macro1")->ItemID(), 1102u);
}

TEST(MenuNumbering, LowestFreeNumberAndDeepIds) {
    TuiMenuEx menu;
    TuiMenuItemsEx& top = menu.Items();
    top.Add();
    top.Add();
    top.Add();
    top.Delete(1);
    TuiMenuItemEx* added = top.Add();
    EXPECT_EQ(added->Name(), "Item2");
    EXPECT_EQ(added->ItemID(), 2u);
    EXPECT_EQ(top.IndexOf(added), 2);  // third place, number 2

    top[0]->SetName("ITEM4");  // case-insensitive: blocks 4, frees 1
    EXPECT_EQ(top.Add()->ItemID(), 1u);
    EXPECT_EQ(top.Add()->ItemID(), 5u);

    // N, N*100+M, N*10000+M*100+K ... in unsigned 32-bit arithmetic.
    TuiMenuItemEx* level = added;  // ID 2
    quint32 expected = 2;
    for (int depth = 0; depth < 6; ++depth) {
        level->SubItems().Add();
        level = level->SubItems().Add();
        expected = expected * 100u + 2u;
        EXPECT_EQ(level->ItemID(), expected) << depth;
    }
    EXPECT_THROW(top.Items(top.Count()), std::out_of_range);
    EXPECT_THROW(top.Delete(-1), std::out_of_range);
}

TEST_F(AssignMenu, PreselectionMatchesTheWholeId) {
    struct Case {
        qint64 id;
        int topRow;    // preselected top-level row
        int basicRow;  // preselected row of the BASIC sub-menu
    };
    const Case cases[] = {
        {2, 1, -1},   {805, -1, 4},
        {8, 7, -1},  // BASIC itself: a sub-menu row (never kept selected by the list box)
        {-1, -1, -1}, {(qint64(1) << 32) + 2, -1, -1},  // the upper 32 bits must be 0
        {0, -1, -1},
    };
    for (const Case& c : cases) {
        PreselectedMenuID = c.id;
        menu.Items().BuildPopup(0);
        basic().BuildPopup(0);
        EXPECT_EQ(menu.Items().PreselectedRow(), c.topRow) << c.id;
        EXPECT_EQ(menu.Items().BuildIndex(), c.topRow) << c.id;
        EXPECT_EQ(basic().PreselectedRow(), c.basicRow) << c.id;
    }
    // Without a preselected row the level's own ItemIndex is selected again.
    PreselectedMenuID = 0;
    basic().SetItemIndex(2);
    basic().BuildPopup(0);
    EXPECT_EQ(basic().BuildIndex(), 2);
}

TEST(MenuPreselection, SharedByMenusAndResetByANewMenu) {
    TuiMenuEx a, b;
    for (TuiMenuEx* m : {&a, &b}) {
        m->Items().Add("ONE");
        m->Items().Add("TWO");
        m->SetPopupFactory([](TuiMenuItemsEx& l) {
            static QStringList sink;
            return std::make_unique<FakeView>(l, sink);
        });
    }
    a.ShowMainMenu(2, nullptr, TvgPlacement::Mouse);
    EXPECT_EQ(PreselectedMenuID, 2);
    b.ShowMainMenu(nullptr, TvgPlacement::Mouse);  // no ID: the last one given to any menu
    EXPECT_EQ(b.Items().BuildIndex(), 1);
    TuiMenuEx c;
    EXPECT_EQ(PreselectedMenuID, 0);
    b.Items().CloseMenu();
    b.ShowMainMenu(nullptr, TvgPlacement::Mouse);
    EXPECT_EQ(b.Items().PreselectedRow(), -1);
}

// Width = the widest text of the longest caption + 100 + margins; height = the rows' sum.
TEST_F(AssignMenu, SizeFromTheLongestCaptionAndTheRowHeights) {
    const QFontMetricsF fm(menu.Parameters().ItemFont);
    menu.Items().BuildPopup(0);
    EXPECT_EQ(menu.Items().PopupWidth(), qCeil(fm.horizontalAdvance("PROFILE SWITCH") + 100));
    EXPECT_EQ(menu.Items().PopupHeight(), 17 * 25);
    basic().BuildPopup(0);
    EXPECT_EQ(basic().PopupWidth(), qCeil(fm.horizontalAdvance("SELECT ALL") + 100));
    EXPECT_EQ(basic().PopupHeight(), 8 * 25);

    // Margins count twice over: in the width and in the height.
    menu.Parameters().BGMargins = QMarginsF(4, 3, 6, 7);
    menu.Items().BuildPopup(0);
    EXPECT_EQ(menu.Items().PopupWidth(), qCeil(fm.horizontalAdvance("PROFILE SWITCH") + 110));
    EXPECT_EQ(menu.Items().PopupHeight(), 17 * 25 + 10);

    // The screen height caps the height unless CustomHeight is set; CustomWidth fixes the width.
    menu.Items().BuildPopup(300);
    EXPECT_EQ(menu.Items().PopupHeight(), 300);
    menu.Parameters().CustomHeight = 900;
    menu.Parameters().CustomWidth = 222;
    menu.Items().BuildPopup(300);
    EXPECT_EQ(menu.Items().PopupHeight(), 900);
    EXPECT_EQ(menu.Items().PopupWidth(), 222);
}

TEST(MenuSize, RowHeightsWidthRulesAndTranslation) {
    TuiMenuEx menu;
    TuiMenuItemsEx& top = menu.Items();
    top.Add("A");
    top.Add("B");
    // Only one-character captions: the width stays as created (100).
    top.BuildPopup(0);
    EXPECT_EQ(top.PopupWidth(), 100);
    EXPECT_EQ(top.PopupHeight(), 80);  // 40 per row without the custom look

    // Custom look: root ItemHeight, at least 20; an item's own ItemHeight wins.
    TuiMenuEx custom;
    custom.SetUseCustomMenuParams(true);
    custom.Parameters().ItemHeight = 12;
    custom.Items().Add("WW");
    custom.Items().Add("ii");  // as long: the earlier row measures the width
    custom.Items().Add("C")->SetItemHeight(33);
    custom.Items().BuildPopup(0);
    ASSERT_EQ(custom.Items().Rows().size(), 3u);
    EXPECT_EQ(custom.Items().Rows()[0].Height, 20);
    EXPECT_EQ(custom.Items().Rows()[2].Height, 33);
    EXPECT_EQ(custom.Items().PopupHeight(), 73);
    const QFontMetricsF fm(custom.Parameters().ItemFont);
    EXPECT_EQ(custom.Items().PopupWidth(), qCeil(fm.horizontalAdvance("WW") + 100));

    // Captions are translated at every build.
    TTextList table;
    table.Add("WW=Übersetzt");
    vyk::toolkit::setTable(table);
    custom.Items().BuildPopup(0);
    EXPECT_EQ(custom.Items().Rows()[0].Text, QString::fromUtf8("Übersetzt"));
    vyk::toolkit::resetTable();
    custom.Items().BuildPopup(0);
    EXPECT_EQ(custom.Items().Rows()[0].Text, "WW");
    EXPECT_TRUE(custom.Items().Rows()[0].Item == custom.Items()[0]);
}

struct Clicks {
    int itemClicks = 0, menuClicks = 0;
    QObject* sender = nullptr;
    QString name;
    quint32 id = 0;
    void* buffer = reinterpret_cast<void*>(1);
    int size = -1;
};

void listen(TuiMenuEx& menu, Clicks& c) {
    menu.SetOnItemsClick([&c](QObject* s, const QString& n, quint32 id, void* b, int sz) {
        ++c.menuClicks;
        c.sender = s;
        c.name = n;
        c.id = id;
        c.buffer = b;
        c.size = sz;
    });
}

TEST_F(AssignMenu, DispatchRunsExactlyOneHandler) {
    Clicks c;
    listen(menu, c);
    TuiMenuItemEx* find = basic()[4];
    find->Execute();
    EXPECT_EQ(c.menuClicks, 1);
    EXPECT_EQ(c.sender, find);
    EXPECT_EQ(c.name, "ITEM5");
    EXPECT_EQ(c.id, 805u);
    EXPECT_EQ(c.buffer, nullptr);
    EXPECT_EQ(c.size, 0);

    // An item with its own OnClick never reaches OnItemsClick.
    find->SetOnClick([&c](QObject*, void*, int) { ++c.itemClicks; });
    find->Execute();
    EXPECT_EQ(c.itemClicks, 1);
    EXPECT_EQ(c.menuClicks, 1);
}

TEST_F(AssignMenu, DispatchPassesTheFunctionItemsBuffer) {
    Clicks c;
    listen(menu, c);
    auto manager = std::make_unique<TuiFunctionManager>();
    const quint32 value = 0xA1B2C3D4;
    manager->Items().Add()->SetBuffer(&value, 4);
    menu.SetFunctionManager(manager.get());

    menu.Items()[0]->Execute();
    EXPECT_EQ(c.buffer, manager->Items().Items(0)->BufferPointer());
    EXPECT_EQ(c.size, 4);

    menu.SetFunctionItemIndex(-1);
    menu.Items()[0]->Execute();
    EXPECT_EQ(c.buffer, nullptr);
    EXPECT_EQ(c.size, 0);

    // Past the end: an error, and no handler runs.
    menu.SetFunctionItemIndex(1);
    EXPECT_THROW(menu.Items()[0]->Execute(), std::out_of_range);
    EXPECT_EQ(c.menuClicks, 2);

    // A manager that is gone is no longer used.
    menu.SetFunctionItemIndex(0);
    manager.reset();
    menu.Items()[0]->Execute();
    EXPECT_EQ(c.menuClicks, 3);
    EXPECT_EQ(c.buffer, nullptr);
}

TEST_F(AssignMenu, AHandlerMayRebuildTheMenuItIsCalledFrom) {
    TuiMenuItemsEx& macro = menu.Items()[10]->SubItems();
    macro.Add("MACRO MANAGER");
    int calls = 0;
    menu.SetOnItemsClick([&](QObject*, const QString&, quint32, void*, int) {
        ++calls;
        macro.Clear();  // frees the item whose click is running
        macro.Add("MACRO MANAGER");
    });
    macro[0]->Execute();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(macro[0]->ItemID(), 1101u);
}

TEST_F(AssignMenu, CloseAllMenusClosesDeepestFirstAndReportsEachOnce) {
    QList<QObject*> closed;
    menu.SetOnMenuClose([&](QObject* s) { closed << s; });
    menu.ShowMainMenu(0, nullptr, TvgPlacement::Mouse);
    basic().Popup(nullptr, TvgPlacement::Right);
    EXPECT_TRUE(menu.IsMenuOpen());
    EXPECT_TRUE(basic().GetIsMenuOpened());
    EXPECT_FALSE(menu.Items()[8]->SubItems().GetIsMenuOpened());

    menu.Items().SetItemIndex(3);
    basic().SetItemIndex(2);
    CloseAllMenus(&basic());
    ResetMenuItemIndexes(&basic());
    EXPECT_EQ(log, QStringList({"close BASIC", "close top"}));
    EXPECT_EQ(closed, QList<QObject*>({&basic(), &menu.Items()}));
    EXPECT_FALSE(menu.IsMenuOpen());
    EXPECT_EQ(menu.Items().ItemIndex(), -1);
    EXPECT_EQ(basic().ItemIndex(), 2);  // the spared level keeps its selection

    CloseAllMenus(&basic());  // nothing open: nothing reported
    EXPECT_EQ(closed.size(), 2);
}

TEST_F(AssignMenu, CheckedStateIgnoresIndexesOutsideTheItems) {
    menu.Items().SetItemCheckedState(3, true);
    menu.Items().SetItemCheckedState(17, true);
    menu.Items().SetItemCheckedState(-1, true);
    EXPECT_TRUE(menu.Items()[3]->Checked());
    menu.Items().BuildPopup(0);
    EXPECT_TRUE(menu.Items().Rows()[3].IsChecked);
    EXPECT_FALSE(menu.Items().Rows()[16].IsChecked);
}

TEST(MenuPlacement, PlacesBesideTheTargetAndStaysOnScreen) {
    using vyk::config::PlaceMenuPopup;
    const QRect screen(0, 0, 1280, 1024);
    const QSize popup(200, 425);
    struct Case {
        const char* what;
        TvgPlacement placement;
        QRect target, window;
        QPoint pointer;
        QPoint expected;
    };
    const Case cases[] = {
        {"mouse", TvgPlacement::Mouse, {100, 100, 80, 25}, {50, 50, 801, 638}, {130, 110}, {130, 110}},
        {"mouse near the bottom", TvgPlacement::Mouse, {100, 100, 80, 25}, {50, 50, 801, 638}, {130, 900}, {130, 475}},
        {"right", TvgPlacement::Right, {300, 200, 150, 25}, {300, 200, 150, 425}, {0, 0}, {450, 200}},
        {"right near the bottom", TvgPlacement::Right, {300, 900, 150, 25}, {300, 700, 150, 425}, {0, 0}, {450, 599}},
        // target x + width + popup width reaches the screen width: left of the target's window
        {"flip", TvgPlacement::Right, {1000, 200, 80, 25}, {700, 100, 400, 400}, {0, 0}, {500, 200}},
        {"flip at the edge", TvgPlacement::Right, {1000, 200, 79, 25}, {700, 100, 400, 400}, {0, 0}, {1079, 200}},
        {"mouse flip", TvgPlacement::Mouse, {1100, 300, 80, 25}, {450, 0, 801, 638}, {1120, 310}, {250, 310}},
        // the window stands at the left edge: the flip is kept on the screen
        {"flip clamped", TvgPlacement::Mouse, {1100, 300, 80, 25}, {0, 0, 1200, 638}, {1120, 310}, {0, 310}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceMenuPopup(c.placement, c.target, c.window, c.pointer, popup, screen, nullptr), c.expected)
            << c.what;
    }
    // With a placement rectangle the flip moves left by the target width and 20 down.
    const QRect anchor(1000, 210, 10, 10);
    EXPECT_EQ(
        PlaceMenuPopup(TvgPlacement::Right, {1000, 200, 80, 25}, {700, 100, 400, 400}, {}, popup, screen, &anchor),
        QPoint(930, 230));
}

}  // namespace
