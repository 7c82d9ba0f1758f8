// The function table against the menu built from it: the menu component numbers its items by
// their places, the table names each function's ID, and the assignment trusts that both agree.
#include "config/window/AssignFunctions.h"
#include "config/toolkit/uiMenuEx.h"
#include "config/window/AssignMenuItems.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(AssignFunctions, EveryMenuItemIsTheFunctionItsIdNames) {
    TuiMenuEx menu;
    BuildAssignMenu(menu);
    std::set<int> seen;
    auto check = [&seen](TuiMenuItemsEx& level, auto& self) -> void {
        for (int i = 0; i < level.Count(); ++i) {
            TuiMenuItemEx* item = level.Items(i);
            const int id = static_cast<int>(item->ItemID());
            SCOPED_TRACE(id);
            const TAssignFunction* f = FindAssignFunction(id);
            ASSERT_NE(f, nullptr) << "an item the table does not name";
            EXPECT_EQ(item->Caption().toStdString(), f->Caption);
            EXPECT_EQ(item->Name().toStdString(), "ITEM" + std::to_string(i + 1));
            EXPECT_TRUE(seen.insert(id).second);
            EXPECT_EQ(item->HasSubItems(), f->Writes == TAssignWrite::SubMenu && f->MenuID != kMacroMenuID);
            self(item->SubItems(), self);
        }
    };
    check(menu.Items(), check);

    // Every function of the table is in the menu, but for the rows made from the macro list.
    for (const TAssignFunction& f : AssignFunctionTable) {
        EXPECT_EQ(seen.count(f.MenuID), MadeWithMacroList(f) ? 0u : 1u) << f.MenuID;
    }
}

}  // namespace
