// Refresh commands: list order, skipped handlers, the naming rule, buffers passed through,
// and lists changed by the handlers while SetData runs.
#include <gtest/gtest.h>

#include <QStringList>

#include <cstdint>
#include <vector>

#include "config/toolkit/uiCommandSetting.h"

namespace {

QStringList names(const TuiCommands& list) {
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) out << list.Items(i)->Name();
    return out;
}

}  // namespace

TEST(uiCommandSetting, EmptyListCallsNothingAndReturnsTrue) {
    TuiCommandSetting s;
    int buffer = 0;
    EXPECT_TRUE(s.SetData(&buffer, sizeof buffer));
    EXPECT_TRUE(s.GetData(&buffer, sizeof buffer));
    EXPECT_EQ(s.Commands()->GetOwner(), &s);
}

TEST(uiCommandSetting, RunsHandlersInListOrderSkippingUnassigned) {
    TuiCommandSetting s;
    std::vector<std::pair<QString, TuiGetSet>> calls;
    auto record = [&](const QString& n) {
        return [&calls, n](TuiGetSet t, void*, std::uint32_t) { calls.emplace_back(n, t); };
    };
    s.Commands()->Add("SetButton", record("SetButton"));
    s.Commands()->Add("NoHandler", nullptr);
    s.Commands()->Add("SetCPI", record("SetCPI"));
    s.Commands()->Add("SetLED", record("SetLED"));

    s.SetData(nullptr, 0);
    s.GetData(nullptr, 0);
    const std::vector<std::pair<QString, TuiGetSet>> expected{{"SetButton", uiSet}, {"SetCPI", uiSet},
                                                              {"SetLED", uiSet},    {"SetButton", uiGet},
                                                              {"SetCPI", uiGet},    {"SetLED", uiGet}};
    EXPECT_EQ(calls, expected);
}

TEST(uiCommandSetting, PassesTheCallersBufferAndSizeUnchanged) {
    struct Record {
        std::uint8_t bytes[30954];
    };
    static Record record{};
    TuiCommandSetting s;
    std::uint32_t seenSize = 0;
    void* seenBuffer = nullptr;
    s.Commands()->Add("Write", [&](TuiGetSet, void* b, std::uint32_t n) {
        seenBuffer = b;
        seenSize = n;
        static_cast<Record*>(b)->bytes[n - 1] = 0x5A;
    });
    EXPECT_TRUE(s.SetData(record));
    EXPECT_EQ(seenBuffer, &record);
    EXPECT_EQ(seenSize, sizeof(Record));
    EXPECT_EQ(record.bytes[sizeof(Record) - 1], 0x5A);
}

TEST(uiCommandSetting, NewItemsGetTheLowestFreeCommandNumberIgnoringCase) {
    TuiCommands list;
    list.Add()->SetName("Command1");
    list.Add()->SetName("command2");
    EXPECT_EQ(list.Add()->Name(), "Command3");
    list.Add()->SetName("COMMAND5");
    EXPECT_EQ(list.Add()->Name(), "Command4");
    EXPECT_EQ(list.Add()->Name(), "Command6");
    list.Delete(0);
    EXPECT_EQ(list.Add()->Name(), "Command1");
    // A later rename is not checked: two items may share a name.
    list.Items(0)->SetName("Command3");
    EXPECT_EQ(names(list).count("Command3"), 2);
    // An item constructed on the list is named by it as well.
    TuiCommand* direct = new TuiCommand(&list);
    EXPECT_EQ(direct->Name(), "Command2");
    EXPECT_EQ(direct->Index(), list.Count() - 1);
    delete direct;  // leaves the list
    EXPECT_EQ(list.Find("Command2"), nullptr);
}

TEST(uiCommandSetting, HandlersThatShrinkTheListDoNotRunPastItsEnd) {
    TuiCommandSetting s;
    TuiCommands* list = s.Commands();
    QStringList ran;
    list->Add("First", [&](TuiGetSet, void*, std::uint32_t) {
        ran << "First";
        list->Delete(2);  // a later command goes
    });
    list->Add("Self", [&](TuiGetSet, void*, std::uint32_t) {
        ran << "Self";
        list->Delete(1);  // its own command goes while it runs
    });
    list->Add("Removed", [&](TuiGetSet, void*, std::uint32_t) { ran << "Removed"; });
    list->Add("Last", [&](TuiGetSet, void*, std::uint32_t) {
        ran << "Last";
        list->Clear();
    });
    list->Add("Never", [&](TuiGetSet, void*, std::uint32_t) { ran << "Never"; });
    EXPECT_TRUE(s.SetData(nullptr, 0));
    // After "Self" removed itself, "Last" slid to index 1, which the walk had passed, and
    // "Never" to index 2, where it went on; index 3 is past the new end, so the walk stops.
    EXPECT_EQ(ran, QStringList({"First", "Self", "Never"}));
    EXPECT_EQ(names(*list), QStringList({"First", "Last", "Never"}));

    ran.clear();
    list->Clear();
    list->Add("Wipe", [&](TuiGetSet, void*, std::uint32_t) {
        ran << "Wipe";
        list->Clear();
    });
    list->Add("Gone", [&](TuiGetSet, void*, std::uint32_t) { ran << "Gone"; });
    EXPECT_TRUE(s.GetData(nullptr, 0));
    EXPECT_EQ(ran, QStringList({"Wipe"}));
}

TEST(uiCommandSetting, CommandsAddedDuringAWalkWaitForTheNext) {
    TuiCommandSetting s;
    int added = 0;
    s.Commands()->Add("Grow", [&](TuiGetSet, void*, std::uint32_t) {
        ++added;
        s.Commands()->Add("New", [&](TuiGetSet, void*, std::uint32_t) { ++added; });
    });
    s.SetData(nullptr, 0);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(s.Commands()->Count(), 2);
}

TEST(uiCommandSetting, AssignCopiesItemsIntoTheExistingList) {
    TuiCommandSetting source;
    int calls = 0;
    source.Commands()->Add("A", [&](TuiGetSet, void*, std::uint32_t) { ++calls; });
    source.Commands()->Items(0)->SetDescription("first");
    source.Commands()->Add("B", nullptr);

    TuiCommandSetting target;
    TuiCommands* before = target.Commands();
    target.Commands()->Add("Old", nullptr);
    target.SetCommands(*source.Commands());
    EXPECT_EQ(target.Commands(), before);
    EXPECT_EQ(names(*target.Commands()), QStringList({"A", "B"}));
    EXPECT_EQ(target.Commands()->Items(0)->Description(), "first");
    source.Commands()->Clear();
    target.SetData(nullptr, 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(target.Commands()->Items(5), nullptr);
    EXPECT_EQ(target.Commands()->Items(-1), nullptr);
}
