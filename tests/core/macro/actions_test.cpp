// The action model: edits with their ActionIndex rules, the clipboard, delays, the error check
// and the repair, always observed through the owner's entry (the save-back).
#include "core/macro/uiMacroClassUnit.h"
#include "tests/core/macro/macro_fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace macro_test;

namespace {

// A macro list holding one macro "M" with the given actions, selected, so that its actions
// object exists and writes back into entry 0.
struct OneMacro {
    TuiMacroClass list;
    explicit OneMacro(const std::string& actions, int actionIndex = -1) {
        list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{macro(QStringLiteral("M"), parse(actions))});
        if (actionIndex >= 0) acts().SetActionIndex(actionIndex);
    }
    TuiActionsClass& acts() { return *list.CurrentMacroAction(); }
    TMACROKEYINFO& entry() { return list.MacroKeyInfoList().at(0); }
    // A mark in the owner's entry that only a save-back overwrites.
    void mark() { entry().nLoopCount = 0x5A5A; }
    bool savedBack() { return entry().nLoopCount != 0x5A5A; }
};

struct EditCase {
    const char* name;
    const char* before;
    int actionIndex;
    std::function<void(TuiActionsClass&)> edit;
    const char* after;  // nullptr: refused, nothing changes and nothing is saved back
    int newActionIndex;
};

}  // namespace

TEST(ActionEdits, ListIndexAndSaveBackFollowTheEditTable) {
    const EditCase cases[] = {
        {"insert before current", "D41 D42 D43 D44", 1, [](auto& a) { a.InsertAction(down(0x50), 1); },
         "D41 D50 D42 D43 D44", 2},
        {"insert before other", "D41 D42 D43 D44", 3, [](auto& a) { a.InsertAction(down(0x50), 0); },
         "D50 D41 D42 D43 D44", 3},
        {"insert at count refused", "D41 D42", 0, [](auto& a) { a.InsertAction(down(0x50), 2); }, nullptr, 0},
        {"insert negative refused", "D41 D42", 0, [](auto& a) { a.InsertAction(down(0x50), -1); }, nullptr, 0},
        {"insert into empty refused", "", -1, [](auto& a) { a.InsertAction(down(0x50), 0); }, nullptr, -1},
        {"insert after middle", "D41 D42 D43", 0, [](auto& a) { a.InsertActionAfter(down(0x50), 1); },
         "D41 D42 D50 D43", 2},
        {"insert after appends at count", "D41 D42", 0, [](auto& a) { a.InsertActionAfter(down(0x50), 2); },
         "D41 D42 D50", 2},
        {"insert after into empty", "", -1, [](auto& a) { a.InsertActionAfter(down(0x50), 0); }, "D50", 0},
        {"insert after past count refused", "D41", 0, [](auto& a) { a.InsertActionAfter(down(0x50), 2); }, nullptr, 0},
        {"delete current last", "D41 D42 D43", 2, [](auto& a) { a.DeleteAction(2); }, "D41 D42", 1},
        {"delete before current keeps position", "D41 D42 D43 D44", 1, [](auto& a) { a.DeleteAction(0); },
         "D42 D43 D44", 1},
        {"delete only action", "D41", 0, [](auto& a) { a.DeleteAction(0); }, "", -1},
        {"delete out of range refused", "D41", 0, [](auto& a) { a.DeleteAction(1); }, nullptr, 0},
        {"move up current", "D41 D42 D43", 2, [](auto& a) { a.MoveUpAction(2); }, "D41 D43 D42", 1},
        {"move up neighbour keeps position", "D41 D42 D43", 1, [](auto& a) { a.MoveUpAction(2); }, "D41 D43 D42", 1},
        {"move up first refused", "D41 D42", 0, [](auto& a) { a.MoveUpAction(0); }, nullptr, 0},
        {"move down current", "D41 D42 D43", 0, [](auto& a) { a.MoveDownAction(0); }, "D42 D41 D43", 1},
        {"move down last refused", "D41 D42", 1, [](auto& a) { a.MoveDownAction(1); }, nullptr, 1},
        {"move down out of range refused", "D41 D42", 1, [](auto& a) { a.MoveDownAction(5); }, nullptr, 1},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        OneMacro m(c.before, c.actionIndex);
        m.mark();
        c.edit(m.acts());
        EXPECT_EQ(describe(m.acts().Actions()), c.after ? c.after : c.before);
        EXPECT_EQ(m.acts().ActionIndex(), c.newActionIndex);
        EXPECT_EQ(m.savedBack(), c.after != nullptr);
        if (c.after) {
            EXPECT_EQ(describe(m.entry()), c.after);
            EXPECT_EQ(m.entry().MacroListCount, m.acts().GetCount());
        }
    }
}

TEST(ActionEdits, ActionIndexAcceptsOnlyPositionsInTheList) {
    OneMacro m("D41 D42 D43", 1);
    for (int bad : {-1, 3, 100}) {
        m.acts().SetActionIndex(bad);
        EXPECT_EQ(m.acts().ActionIndex(), 1) << bad;
    }
    m.acts().SetActionIndex(2);
    EXPECT_EQ(m.acts().ActionIndex(), 2);
}

TEST(ActionEdits, SaveBackKeepsTheMacroSettingsAndStaleActionSlots) {
    TMACROKEYINFO src = macro(QStringLiteral("Keep"), parse("D41 U41 D42"));
    src.nAutoAddDelay = 1;
    src.nLoopCount = 7;
    src.Version = 0x103;
    src.MacroUse = 9;
    TuiMacroClass list;
    list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{src});
    list.CurrentMacroAction()->DeleteAction(2);
    const TMACROKEYINFO& e = list.MacroKeyInfoList()[0];
    EXPECT_EQ(describe(e), "D41 U41");
    EXPECT_EQ(e.nAutoAddDelay, 1);
    EXPECT_EQ(e.nLoopCount, 7);
    EXPECT_EQ(e.Version, 0x103u);
    EXPECT_EQ(e.MacroUse, 9);
    EXPECT_EQ(TuiMacroClass::MacroName(e), QStringLiteral("Keep"));
    // The slot after the count still holds the deleted action's bytes.
    EXPECT_EQ(describe(e.MacroList + 2, 1), "D42");
}

TEST(ActionEdits, FullMacroRefusesEveryInsertion) {
    std::string all;
    for (int i = 0; i < 128; ++i) all += (i ? " T" : "T") + std::to_string(i + 1);
    OneMacro m(all, 5);
    ASSERT_TRUE(m.acts().IsFull());
    m.mark();
    m.acts().InsertAction(down(0x41), 0);
    m.acts().InsertActionAfter(down(0x41), 3);
    m.acts().InsertActionAfter(down(0x41), 128);
    m.acts().CopyAction(0);  // a copy saves back; mark again after it
    m.mark();
    m.acts().PasteAction(1);
    EXPECT_EQ(m.acts().GetCount(), 128);
    EXPECT_FALSE(m.savedBack());
}

TEST(ActionClipboard, CopyPastesAnyNumberOfTimesCutOnce) {
    OneMacro m("D41 D42 D43", 0);
    m.acts().CopyAction(1);
    m.acts().PasteAction(0);
    m.acts().PasteAction(0);
    EXPECT_EQ(describe(m.entry()), "D42 D42 D41 D42 D43");
    EXPECT_TRUE(m.acts().HasClipboard());

    OneMacro c("D41 D42 D43", 2);
    c.acts().CutAction(0);
    EXPECT_EQ(describe(c.entry()), "D42 D43");
    EXPECT_EQ(c.acts().ActionIndex(), 1);
    c.acts().PasteAction(1);
    EXPECT_EQ(describe(c.entry()), "D42 D41 D43");
    EXPECT_FALSE(c.acts().HasClipboard());
    c.acts().PasteAction(0);
    EXPECT_EQ(describe(c.entry()), "D42 D41 D43");
}

TEST(ActionClipboard, RefusedPasteKeepsTheCutAction) {
    // A cut action lives only on the clipboard: a paste that cannot insert it (full macro,
    // position outside the list) must not drop it.
    std::string all;
    for (int i = 0; i < 128; ++i) all += (i ? " T" : "T") + std::to_string(i + 1);
    OneMacro m(all, 0);
    m.acts().CutAction(0);                        // clipboard: T1, 127 actions left
    m.acts().InsertActionAfter(delay(999), 126);  // full again
    ASSERT_TRUE(m.acts().IsFull());
    m.acts().PasteAction(0);
    EXPECT_TRUE(m.acts().HasClipboard());
    m.acts().PasteAction(500);
    EXPECT_TRUE(m.acts().HasClipboard());
    m.acts().DeleteAction(127);
    m.acts().PasteAction(0);
    EXPECT_FALSE(m.acts().HasClipboard());
    EXPECT_EQ(describe(m.entry().MacroList, 2), "T1 T2");
}

TEST(ActionDelays, TotalGetAndSet) {
    OneMacro m("T100 D41 T65535 U41 T0", 0);
    EXPECT_EQ(m.acts().TotalDelay(), 100u + 65535u);
    EXPECT_EQ(m.acts().GetDelayValue(0), 100);
    EXPECT_EQ(m.acts().GetDelayValue(1), 0x41);  // the key value, whatever the type
    EXPECT_EQ(m.acts().GetDelayValue(5), 0);
    EXPECT_EQ(m.acts().GetDelayValue(-1), 0);

    m.acts().SetDelayValue(4, 0x12345);  // low byte and second byte only
    EXPECT_EQ(m.entry().MacroList[4].VALUE1, 0x45);
    EXPECT_EQ(m.entry().MacroList[4].VALUE2, 0x23);
    EXPECT_EQ(m.acts().TotalDelay(), 100u + 65535u + 0x2345u);

    m.mark();
    m.acts().SetDelayValue(5, 10);
    EXPECT_FALSE(m.savedBack());
}

TEST(ActionErrors, CheckCountsUnmatchedPressesAndReleases) {
    struct Case {
        const char* actions;
        int errors;
    };
    const Case cases[] = {
        {"D41 U41", 0},
        {"D41 D41 U41", 1},  // pressed twice
        {"U41", 1},          // release without press
        {"D41", 1},          // left pressed at the end
        {"D41 D42 U41", 1},
        {"D141 U41", 2},  // extended key is a different key: A stays down, A released unpressed
        {"D141 U141", 0},
        {"M5:1", 0},  // mouse presses left down are not counted
        {"M1:2", 0},
        {"m5:1", 1},  // but a mouse release without press is
        {"m1:4", 1},
        {"D1 m1:1", 0},  // key and mouse button share one table entry
        {"M1:2 U2", 0},
        {"T100 T200", 0},
        {"X2:41 X3:41", 0},  // other action types are skipped
        {"D41 D41 D41 U41 U41 U41", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        OneMacro m(c.actions);
        m.acts().CheckErrors();
        EXPECT_EQ(m.entry().ErrorCount, c.errors);
        EXPECT_EQ(m.entry().HaveErrors, c.errors > 0 ? 1 : 0);
    }
}

TEST(ActionErrors, CheckResultSurvivesTheNextSaveBack) {
    OneMacro m("D41 T10");
    m.acts().CheckErrors();
    ASSERT_EQ(m.entry().ErrorCount, 1);
    m.acts().SetDelayValue(1, 20);
    EXPECT_EQ(m.entry().HaveErrors, 1);
    EXPECT_EQ(m.entry().ErrorCount, 1);
}

TEST(ActionErrors, RepairDeletesLatestPressOfKeysLeftDownAndStoresWhatRemains) {
    struct Case {
        const char* before;
        const char* after;
        int remaining;
    };
    const Case cases[] = {
        {"D41", "", 0},
        {"D41 T10 D42 U42", "T10 D42 U42", 0},
        {"D41 D42 T5", "T5", 0},
        {"D41 U41", "D41 U41", 0},
        {"D41 T5 D41", "D41 T5", 1},    // pressed twice, never released: loses only its later press
        {"U41", "U41", 1},              // a release without press is not repaired
        {"M5:1 M1:2", "M5:1 M1:2", 0},  // mouse presses are left alone
        {"D41 m1:41", "D41 m1:41", 0},  // shared entry: released by the mouse action
        {"M1:41 D41", "M1:41", 0},      // the latest press of value 0x41 is the key's
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        OneMacro m(c.before);
        m.acts().CheckErrors();
        m.acts().RemoveErrors();
        EXPECT_EQ(describe(m.acts().Actions()), c.after);
        EXPECT_EQ(describe(m.entry()), c.after);
        EXPECT_EQ(m.entry().ErrorCount, c.remaining);
        EXPECT_EQ(m.entry().HaveErrors, c.remaining > 0 ? 1 : 0);
        m.acts().CheckErrors();  // the stored result is what a fresh check finds
        EXPECT_EQ(m.entry().ErrorCount, c.remaining);
    }
}

TEST(ActionErrors, RepairKeepsActionIndexInsideTheList) {
    OneMacro m("T1 D41 D42", 2);
    m.acts().RemoveErrors();
    EXPECT_EQ(m.acts().GetCount(), 1);
    EXPECT_EQ(m.acts().ActionIndex(), 0);
    m.acts().InsertActionAfter(delay(5), m.acts().ActionIndex());
    EXPECT_EQ(describe(m.entry()), "T1 T5");
}

TEST(ActionRecords, StoredActionCountIsClampedToTheArray) {
    struct Case {
        std::int32_t stored;
        int actions;
    };
    for (const Case c : {Case{-7, 0}, Case{0, 0}, Case{3, 3}, Case{128, 128}, Case{129, 128}, Case{0x7FFFFFFF, 128}}) {
        SCOPED_TRACE(c.stored);
        TMACROKEYINFO info = macro(QStringLiteral("X"), parse("T1 T2 T3"));
        info.MacroListCount = c.stored;
        TuiMacroClass list;
        list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{info});
        TuiActionsClass& a = *list.CurrentMacroAction();
        EXPECT_EQ(a.GetCount(), c.actions);
        EXPECT_EQ(a.ActionIndex(), c.actions > 0 ? 0 : -1);
        EXPECT_EQ(a.GetMacroKeyInfo().MacroListCount, c.actions);
        // A replacement record is clamped the same way, and the save-back stores the real count.
        a.SetMacroKeyInfo(info);
        EXPECT_EQ(list.MacroKeyInfoList()[0].MacroListCount, c.actions);
    }
}

TEST(ActionRecords, SetMacroKeyInfoReplacesActionsAndSettings) {
    OneMacro m("D41 U41", 1);
    TMACROKEYINFO rec = macro(QStringLiteral("M"), parse("T9 D42 U42"));
    rec.nLoopCount = 3;
    m.acts().SetMacroKeyInfo(rec);
    EXPECT_EQ(describe(m.entry()), "T9 D42 U42");
    EXPECT_EQ(m.entry().nLoopCount, 3);
    EXPECT_EQ(m.acts().ActionIndex(), 0);
    // An empty record keeps no index past its (empty) list.
    m.acts().SetMacroKeyInfo(macro(QStringLiteral("M"), {}));
    EXPECT_EQ(m.acts().ActionIndex(), -1);
    EXPECT_EQ(m.entry().MacroListCount, 0);
}

TEST(ActionRecords, SaveBackToAPositionOutsideTheOwnersListThrows) {
    TuiMacroClass list;
    ASSERT_TRUE(list.CreateNewMacro(QStringLiteral("Only")));
    TuiActionsClass stray(macro(QStringLiteral("Gone"), parse("D41")), &list, 3);
    EXPECT_THROW(stray.InsertActionAfter(up(0x41), 1), std::out_of_range);
    EXPECT_THROW(stray.CheckErrors(), std::out_of_range);
    EXPECT_THROW(stray.RemoveErrors(), std::out_of_range);
    EXPECT_EQ(list.MacroListCount(), 1);
    EXPECT_EQ(list.MacroKeyInfoList()[0].MacroListCount, 0);
}
