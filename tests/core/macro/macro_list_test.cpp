// The macro list model: creation and numbering, moves, deletes, renames, the actions object
// that must always belong to the current macro, the profile-record conversions and .macro files.
#include "core/macro/uiMacroClassUnit.h"
#include "platform/paths/file_io.h"
#include "tests/core/macro/macro_fixtures.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <filesystem>
#include <limits>
#include <memory>

#include <sys/stat.h>

using namespace macro_test;

namespace {

QString q(const char* s) { return QString::fromUtf8(s); }

// Names of the macros in order, and each nMacroIndex, as "A0 B1 C2".
std::string layout(const TuiMacroClass& list) {
    std::string out;
    for (const TMACROKEYINFO& m : list.MacroKeyInfoList()) {
        if (!out.empty()) out += ' ';
        out += TuiMacroClass::MacroName(m).toStdString() + std::to_string(m.nMacroIndex);
    }
    return out;
}

// A list of macros named by the letters of names, macro i holding one delay of i+1 ms.
std::unique_ptr<TuiMacroClass> listOf(const std::string& names, int current = 0) {
    auto list = std::make_unique<TuiMacroClass>();
    for (char c : names) {
        EXPECT_TRUE(list->CreateNewMacro(QString(QChar(c))));
        list->CurrentMacroAction()->InsertActionAfter(delay(static_cast<unsigned>(list->MacroListCount())), 0);
    }
    list->SetMacroListIndex(current);
    return list;
}

QString qs(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

}  // namespace

TEST(MacroCreate, NewMacroIsEmptyCurrentAndNumberedByPosition) {
    TuiMacroClass list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.MacroListIndex(), -1);
    EXPECT_EQ(list.CurrentMacroAction(), nullptr);

    ASSERT_TRUE(list.CreateNewMacro(q("Macro1")));
    ASSERT_TRUE(list.CreateNewMacro(q("Macro2")));
    EXPECT_EQ(list.MacroListIndex(), 1);
    const TMACROKEYINFO m = list.CurrentMacroKeyInfo();
    EXPECT_EQ(TuiMacroClass::MacroName(m), q("Macro2"));
    EXPECT_EQ(m.nMacroIndex, 1);
    EXPECT_EQ(m.MacroListCount, 0);
    EXPECT_FALSE(TuiMacroClass::IsValidMacroVersion(m));
    ASSERT_NE(list.CurrentMacroAction(), nullptr);
    EXPECT_EQ(list.CurrentMacroAction()->MacroIndex(), 1);

    EXPECT_FALSE(list.CreateNewMacro(q("Macro1")));  // exact duplicate
    EXPECT_TRUE(list.CreateNewMacro(q("macro1")));   // names compare with case
    EXPECT_EQ(layout(list), "Macro10 Macro21 macro12");
}

TEST(MacroCreate, NumbersFollowPositionsAfterDeletions) {
    auto list = listOf("ABCD", 3);
    list->DeleteMacro(1);
    list->DeleteMacro(q("A"));
    EXPECT_EQ(layout(*list), "C0 D1");
    ASSERT_TRUE(list->CreateNewMacro(q("B")));
    EXPECT_EQ(layout(*list), "C0 D1 B2");
    EXPECT_EQ(list->MacroListIndex(), 2);
}

TEST(MacroCreate, LimitsOfCountAndName) {
    TuiMacroClass list;
    for (int i = 1; i <= 30; ++i) ASSERT_TRUE(list.CreateNewMacro(q("Macro") + QString::number(i)));
    EXPECT_TRUE(list.IsFull());
    EXPECT_FALSE(list.CreateNewMacro(q("Macro31")));  // the 31st would not fit a profile's list
    EXPECT_EQ(list.MacroListCount(), 30);
    EXPECT_EQ(list.MacroListIndex(), 29);

    TuiMacroClass names;
    const QString fifty(50, QChar(u'n'));
    const QString fiftyOne(51, QChar(u'n'));
    EXPECT_FALSE(names.CreateNewMacro(fiftyOne));
    EXPECT_FALSE(names.CreateNewMacro(q("a") + QChar(u'\0') + q("b")));
    EXPECT_TRUE(names.IsEmpty());
    ASSERT_TRUE(names.CreateNewMacro(fifty));
    EXPECT_TRUE(names.MacroExists(fifty));
    EXPECT_FALSE(names.MacroExists(fiftyOne));
    EXPECT_EQ(names.MacroKeyInfoList()[0].szMacroName[50], u'\0');
}

TEST(MacroNames, StoredNameWithoutNulReadsFiftyUnits) {
    TMACROKEYINFO m = macro(q(""), {});
    for (char16_t& c : m.szMacroName) c = u'x';  // no NUL anywhere in the field
    EXPECT_EQ(TuiMacroClass::MacroName(m), QString(50, QChar(u'x')));
    TuiMacroClass list;
    list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{m});
    EXPECT_EQ(list.IndexOfMacroName(QString(50, QChar(u'x'))), 0);
    EXPECT_EQ(list.IndexOfMacroName(QString(51, QChar(u'x'))), -1);
}

TEST(MacroMove, TableOfMovesAndTheCurrentMacro) {
    struct Case {
        const char* name;
        int current;
        bool up;
        int index;
        const char* after;
        int newCurrent;
    };
    const Case cases[] = {
        {"up current", 2, true, 2, "A0 C1 B2 D3", 1},
        {"up the one below current", 1, true, 2, "A0 C1 B2 D3", 2},
        {"up elsewhere", 0, true, 3, "A0 B1 D2 C3", 0},
        {"up first refused", 0, true, 0, "A0 B1 C2 D3", 0},
        {"up past end refused", 0, true, 4, "A0 B1 C2 D3", 0},
        {"down current", 1, false, 1, "A0 C1 B2 D3", 2},
        {"down the one above current", 2, false, 1, "A0 C1 B2 D3", 1},
        {"down last refused", 3, false, 3, "A0 B1 C2 D3", 3},
        {"down negative refused", 3, false, -1, "A0 B1 C2 D3", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto list = listOf("ABCD", c.current);
        const QString currentName = TuiMacroClass::MacroName(list->CurrentMacroKeyInfo());
        if (c.up)
            list->MoveUpMacro(c.index);
        else
            list->MoveDownMacro(c.index);
        EXPECT_EQ(layout(*list), c.after);
        EXPECT_EQ(list->MacroListIndex(), c.newCurrent);
        EXPECT_EQ(TuiMacroClass::MacroName(list->CurrentMacroKeyInfo()), currentName);
        EXPECT_EQ(list->CurrentMacroAction()->MacroIndex(), c.newCurrent);
    }
}

TEST(MacroMove, ActionEditAfterAMoveLandsInTheMovedMacro) {
    auto list = listOf("ABC", 0);
    list->MoveDownMacro(0);  // A is now at 1, still current
    list->CurrentMacroAction()->InsertActionAfter(down(0x41), 1);
    EXPECT_EQ(layout(*list), "B0 A1 C2");
    EXPECT_EQ(describe(list->MacroKeyInfoList()[1]), "T1 D41");
    EXPECT_EQ(describe(list->MacroKeyInfoList()[0]), "T2");
}

TEST(MacroDelete, TableOfDeletesAndTheCurrentMacro) {
    struct Case {
        const char* names;
        int current;
        int del;
        const char* after;
        int newCurrent;
    };
    const Case cases[] = {
        {"ABC", 2, 2, "A0 B1", 1},                       // current last deleted: the new last is current
        {"ABC", 1, 1, "A0 C1", 1},                       // current deleted: the next one takes its place
        {"ABC", 0, 2, "A0 B1", 0}, {"A", 0, 0, "", -1},  // the only one
        {"AB", 1, 5, "A0 B1", 1},                        // outside: nothing
        {"AB", 1, -1, "A0 B1", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.names) + " del " + std::to_string(c.del));
        auto list = listOf(c.names, c.current);
        list->DeleteMacro(c.del);
        EXPECT_EQ(layout(*list), c.after);
        EXPECT_EQ(list->MacroListIndex(), c.newCurrent);
        if (c.newCurrent < 0) {
            EXPECT_EQ(list->CurrentMacroAction(), nullptr);
        } else {
            ASSERT_NE(list->CurrentMacroAction(), nullptr);
            EXPECT_EQ(list->CurrentMacroAction()->MacroIndex(), c.newCurrent);
        }
    }
}

TEST(MacroDelete, ActionsObjectNeverWritesAnOldMacroOverAnother) {
    auto list = listOf("ABCD", 1);
    list->DeleteMacro(0);  // the current index stays 1, which now names C
    ASSERT_EQ(list->MacroListIndex(), 1);
    list->CurrentMacroAction()->InsertActionAfter(down(0x43), 1);
    EXPECT_EQ(layout(*list), "B0 C1 D2");
    EXPECT_EQ(describe(list->MacroKeyInfoList()[0]), "T2");
    EXPECT_EQ(describe(list->MacroKeyInfoList()[1]), "T3 D43");
}

TEST(MacroRename, RulesAndTheCurrentActionsCopy) {
    auto list = listOf("ABC", 1);
    EXPECT_FALSE(list->ReNameMacro(q("A"), q("C")));  // new name taken
    EXPECT_FALSE(list->ReNameMacro(q("Z"), q("Y")));  // old name missing
    EXPECT_FALSE(list->ReNameMacro(q("B"), q("B")));  // the new name exists: itself
    EXPECT_FALSE(list->ReNameMacro(q("B"), QString(51, QChar(u'y'))));
    EXPECT_EQ(layout(*list), "A0 B1 C2");

    EXPECT_TRUE(list->ReNameMacro(q("B"), q("b")));
    // The current macro's actions object now carries the new name into its next save-back.
    list->CurrentMacroAction()->DeleteAction(0);
    EXPECT_EQ(layout(*list), "A0 b1 C2");

    list->ReNameMacro(q("A"), 0);  // by position: no uniqueness test
    list->ReNameMacro(q("Q"), 3);  // outside the list: nothing
    list->ReNameMacro(q("Q"), -1);
    EXPECT_EQ(layout(*list), "A0 b1 C2");
}

TEST(MacroSelect, IndexWritesOutsideTheListAreIgnored) {
    auto list = listOf("AB", 1);
    TuiActionsClass* before = list->CurrentMacroAction();
    list->SetMacroListIndex(2);
    list->SetMacroListIndex(-1);
    EXPECT_EQ(list->MacroListIndex(), 1);
    EXPECT_EQ(list->CurrentMacroAction(), before);
    list->SetMacroListIndex(0);
    EXPECT_EQ(list->CurrentMacroAction()->MacroIndex(), 0);
}

TEST(MacroLists, ProfileRecordConversions) {
    auto rec = std::make_unique<TMACROKEYINFOLIST>();
    std::memset(rec.get(), 0, sizeof *rec);
    rec->MacroInfos[5].nLoopCount = 77;  // caller's bytes past the count

    TuiMacroClass empty;
    empty.GetMacroKeyInfoList(*rec);
    EXPECT_EQ(rec->nMacroInfoCount, 0);
    EXPECT_EQ(rec->MacroInfos[5].nLoopCount, 77);

    auto list = listOf("ABC", 2);
    list->GetMacroKeyInfoList(*rec);
    EXPECT_EQ(rec->nMacroInfoCount, 3);
    EXPECT_EQ(TuiMacroClass::MacroName(rec->MacroInfos[2]), q("C"));
    EXPECT_EQ(rec->MacroInfos[5].nLoopCount, 77);

    TuiMacroClass fromRecord(*rec);
    EXPECT_EQ(layout(fromRecord), "A0 B1 C2");
    EXPECT_EQ(fromRecord.MacroListIndex(), 0);
    EXPECT_EQ(fromRecord.CurrentMacroAction(), nullptr);

    // A stored count beyond the 30 entries of the record reads the 30 there are.
    rec->nMacroInfoCount = 0xFFFF;
    TuiMacroClass big(*rec);
    EXPECT_EQ(big.MacroListCount(), 30);
    big.SetMacroKeyInfoList(*rec);
    EXPECT_EQ(big.MacroListCount(), 30);
}

TEST(MacroLists, ReplacingTheListRebuildsTheActionsObject) {
    auto list = listOf("ABC", 2);
    list->SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{macro(q("X"), parse("T9")), macro(q("Y"), {})});
    EXPECT_EQ(list->MacroListIndex(), 0);
    ASSERT_NE(list->CurrentMacroAction(), nullptr);
    list->CurrentMacroAction()->InsertActionAfter(delay(1), 1);
    EXPECT_EQ(describe(list->MacroKeyInfoList()[0]), "T9 T1");
    EXPECT_EQ(TuiMacroClass::MacroName(list->MacroKeyInfoList()[0]), q("X"));

    // An empty list leaves no current macro (a kept index would point past the end).
    auto rec = std::make_unique<TMACROKEYINFOLIST>();
    std::memset(rec.get(), 0, sizeof *rec);
    list->SetMacroKeyInfoList(*rec);
    EXPECT_TRUE(list->IsEmpty());
    EXPECT_EQ(list->MacroListIndex(), -1);
    EXPECT_EQ(list->CurrentMacroAction(), nullptr);
    list->SetMacroLoopValue(0, 1, 5);  // no macro: nothing, no crash
    TMACROKEYINFO untouched = macro(q("keep"), {});
    list->GetCurrentMacroKeyItem(untouched);
    EXPECT_EQ(TuiMacroClass::MacroName(untouched), q("keep"));
}

TEST(MacroInsert, ActionsOfAnotherMacroGoBeforeOrAfterAPosition) {
    const TMACROKEYINFO src = macro(q("src"), parse("DA1 DA2 DA3"));
    struct Case {
        bool after;
        const char* target;
        int index;
        const char* result;
    };
    const Case cases[] = {
        {true, "D0 D1 D2 D3", 1, "D0 D1 DA1 DA2 DA3 D2 D3"},
        {true, "D0", 1, "D0 DA1 DA2 DA3"},
        {true, "", 0, "DA1 DA2 DA3"},
        {false, "D0 D1 D2 D3", 1, "D0 DA1 DA2 DA3 D1 D2 D3"},
        {false, "", 0, ""},
        {false, "D0 D1", 2, "D0 D1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.after ? "after " : "before ") + c.target);
        TuiMacroClass list;
        list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{macro(q("M"), parse(c.target))});
        if (c.after)
            list.InsertMacroAfter(src, c.index);
        else
            list.InsertMacro(src, c.index);
        EXPECT_EQ(describe(list.MacroKeyInfoList()[0]), c.result);
    }
}

TEST(MacroInsert, DropsActionsBeyond128AndNeedsACurrentMacro) {
    std::string many;
    for (int i = 0; i < 126; ++i) many += (i ? " T" : "T") + std::to_string(i + 1);
    TuiMacroClass list;
    list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{macro(q("M"), parse(many))});
    list.InsertMacroAfter(macro(q("src"), parse("DA1 DA2 DA3 DA4")), 125);
    EXPECT_EQ(list.MacroKeyInfoList()[0].MacroListCount, 128);
    EXPECT_EQ(describe(list.MacroKeyInfoList()[0].MacroList + 126, 2), "DA1 DA2");

    TMACROKEYINFO hostile = macro(q("src"), parse("DA1"));
    hostile.MacroListCount = -3;
    list.InsertMacroAfter(hostile, 0);
    EXPECT_EQ(list.MacroKeyInfoList()[0].MacroListCount, 128);

    TuiMacroClass none;
    none.InsertMacroAfter(macro(q("src"), parse("DA1")), 0);  // no current macro: nothing
    EXPECT_TRUE(none.IsEmpty());
}

TEST(MacroSettings, LoopAndAutoDelayTakeLowBitsAndReachTheActionsObject) {
    auto list = listOf("AB", 1);
    list->SetMacroLoopValue(1, 0x101, 0x10007);
    list->SetMacroAutoDelay(1, 0x10001);
    const TMACROKEYINFO& b = list->MacroKeyInfoList()[1];
    EXPECT_EQ(b.nLoopRunWhenPressed, 1);
    EXPECT_EQ(b.nLoopCount, 7);
    EXPECT_EQ(b.nAutoAddDelay, 1);
    // The next action edit keeps them (the actions object was rebuilt from the entry).
    list->CurrentMacroAction()->DeleteAction(0);
    EXPECT_EQ(list->MacroKeyInfoList()[1].nLoopCount, 7);
    EXPECT_EQ(list->MacroKeyInfoList()[1].nAutoAddDelay, 1);

    list->SetMacroLoopValue(2, 1, 9);  // outside the list: nothing
    list->SetMacroAutoDelay(-1, 1);
    EXPECT_EQ(list->MacroKeyInfoList()[0].nLoopCount, 0);
    EXPECT_EQ(list->MacroKeyInfoList()[0].nAutoAddDelay, 0);
}

TEST(MacroSettings, SaveBackCurrentMacroKeyInfoReplacesAndReselects) {
    auto list = listOf("AB", 0);
    TMACROKEYINFO rec = macro(q("A2"), parse("D41 U41"));
    list->SaveBackCurrentMacroKeyInfo(rec);
    EXPECT_EQ(TuiMacroClass::MacroName(list->MacroKeyInfoList()[0]), q("A2"));
    EXPECT_EQ(list->CurrentMacroAction()->GetCount(), 2);
}

TEST(MacroErrors, CheckAllStoresEachResultAndTheCurrentObjectKeepsIt) {
    TuiMacroClass list;
    list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{
        macro(q("ok"), parse("D41 U41")), macro(q("bad"), parse("D41 D41")), macro(q("rel"), parse("U42"))});
    list.SetMacroListIndex(1);  // its actions object is built before the check
    list.CheckAllErrors();
    EXPECT_EQ(list.MacroKeyInfoList()[0].HaveErrors, 0);
    EXPECT_EQ(list.MacroKeyInfoList()[1].ErrorCount, 2);
    EXPECT_EQ(list.MacroKeyInfoList()[2].ErrorCount, 1);
    list.CurrentMacroAction()->InsertActionAfter(delay(3), 0);
    EXPECT_EQ(list.MacroKeyInfoList()[1].HaveErrors, 1);
    EXPECT_EQ(list.MacroKeyInfoList()[1].ErrorCount, 2);
}

TEST(MacroFiles, FileNamesStayInTheirFolderAndStayDistinct) {
    struct Case {
        const char* name;
        const char* file;
    };
    const Case cases[] = {
        {"Macro1", "Macro1.macro"},        {"a/b", "a%2Fb.macro"},           {"../../etc/x", "..%2F..%2Fetc%2Fx.macro"},
        {"..\\x", "..%5Cx.macro"},         {"50%", "50%25.macro"},           {"a%2Fb", "a%252Fb.macro"},
        {"tab\there", "tab%09here.macro"}, {"Grüße *:?", "Grüße *:?.macro"}, {"", ".macro"},
    };
    for (const Case& c : cases) EXPECT_EQ(TuiMacroClass::MacroFileName(q(c.name)), q(c.file)) << c.name;
    EXPECT_EQ(TuiMacroClass::MacroFileName(QString(QChar(0xD800))), q("%uD800.macro"));
    EXPECT_NE(TuiMacroClass::MacroFileName(q("A")), TuiMacroClass::MacroFileName(q("a")));
}

TEST(MacroFiles, WriteAllThenReadEachBack) {
    const auto dir = vyk::test::freshDir("macrofiles");
    auto rec = std::make_unique<TMACROKEYINFOLIST>();
    std::memset(rec.get(), 0, sizeof *rec);
    rec->MacroInfos[0] = macro(q("one"), parse("D41 U41"));
    rec->MacroInfos[1] = macro(q("../escape"), parse("T5"));
    rec->MacroInfos[1].Version = 0x103;
    rec->MacroInfos[2] = macro(q("not written"), {});
    rec->nMacroInfoCount = 2;

    // One missing level is created; the path may end with either separator or none.
    const QString folder = qs(dir / "Macros");
    TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(*rec, folder);
    EXPECT_EQ(vyk::test::readBytes(dir / "Macros" / "one.macro").size(), 896u);
    EXPECT_TRUE(std::filesystem::exists(dir / "Macros" / "..%2Fescape.macro"));
    EXPECT_FALSE(std::filesystem::exists(dir / "escape.macro"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Macros" / "not written.macro"));

    TMACROKEYINFO back = macro(q("x"), {});
    TuiMacroClass::LoadMacroFromFile(qs(dir / "Macros" / "..%2Fescape.macro"), back);
    EXPECT_EQ(std::memcmp(&back, &rec->MacroInfos[1], sizeof back), 0);
    EXPECT_TRUE(TuiMacroClass::IsValidMacroVersion(back));
}

TEST(MacroFiles, ReadingTakesTheFrontOfAnyFileAndLeavesTheRest) {
    const auto dir = vyk::test::freshDir("macroread");
    const TMACROKEYINFO original = macro(q("orig"), parse("T7"));

    TMACROKEYINFO r = original;
    TuiMacroClass::LoadMacroFromFile(qs(dir / "missing.macro"), r);
    EXPECT_EQ(std::memcmp(&r, &original, sizeof r), 0);

    vyk::test::writeBytes(dir / "short.macro", std::vector<std::uint8_t>(10, 0xEE));
    TuiMacroClass::LoadMacroFromFile(qs(dir / "short.macro"), r);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(&r)[9], 0xEE);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&r) + 10, reinterpret_cast<const char*>(&original) + 10,
                          sizeof r - 10),
              0);

    std::vector<std::uint8_t> big(5000, 0x11);
    vyk::test::writeBytes(dir / "big.macro", big);
    TuiMacroClass::LoadMacroFromFile(qs(dir / "big.macro"), r);
    EXPECT_EQ(r.MacroListCount, 0x11111111);  // hostile count; the models clamp it when they use it
    TuiMacroClass list;
    list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{r});
    EXPECT_EQ(list.CurrentMacroAction()->GetCount(), 128);
    EXPECT_EQ(TuiMacroClass::MacroName(r).size(), 50);

    std::filesystem::create_directory(dir / "dir.macro");
    EXPECT_THROW(TuiMacroClass::LoadMacroFromFile(qs(dir / "dir.macro"), r), vyk::platform::FileError);
    // A pipe (a plain open would wait for a writer) or a link to an endless device is refused.
    ASSERT_EQ(::mkfifo((dir / "fifo.macro").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero.macro");
    for (const char* name : {"fifo.macro", "zero.macro"})
        EXPECT_THROW(TuiMacroClass::LoadMacroFromFile(qs(dir / name), r), vyk::platform::FileError) << name;
}

TEST(MacroFiles, WriteFailuresAreFileErrors) {
    const auto dir = vyk::test::freshDir("macrofail");
    auto rec = std::make_unique<TMACROKEYINFOLIST>();
    std::memset(rec.get(), 0, sizeof *rec);
    rec->MacroInfos[0] = macro(q("m"), {});
    rec->nMacroInfoCount = 1;
    // Only the last level is created.
    EXPECT_THROW(TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(*rec, qs(dir / "a" / "b")), vyk::platform::FileError);
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));
    // No folder at all is an error, not the root folder.
    EXPECT_THROW(TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(*rec, QString()), vyk::platform::FileError);
    // Nothing to write: nothing happens, even without a folder.
    rec->nMacroInfoCount = 0;
    EXPECT_NO_THROW(TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(*rec, QString()));
}

TEST(MacroInsert, SourceMayBeAnEntryOfTheSameListOrAHostilePosition) {
    // The source is read as it was when the call began, even when it is the very entry that
    // every inserted action is saved back into.
    struct Case {
        bool after;
        int index;
        const char* result;
    };
    const Case cases[] = {
        {true, 1, "D0 D1 D0 D1 D2 D3 D2 D3"},
        {false, 1, "D0 D0 D1 D2 D3 D1 D2 D3"},
        {true, 4, "D0 D1 D2 D3 D0 D1 D2 D3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.after ? "after " : "before ") + std::to_string(c.index));
        TuiMacroClass list;
        list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{macro(q("M"), parse("D0 D1 D2 D3"))});
        const TMACROKEYINFO& self = list.MacroKeyInfoList()[0];
        if (c.after)
            list.InsertMacroAfter(self, c.index);
        else
            list.InsertMacro(self, c.index);
        EXPECT_EQ(describe(list.MacroKeyInfoList()[0]), c.result);
    }
    // Positions near the end of the integer range insert nothing (and do not overflow).
    TuiMacroClass list;
    list.SetMacroKeyInfoList(std::vector<TMACROKEYINFO>{macro(q("M"), parse("D0 D1"))});
    const TMACROKEYINFO src = macro(q("src"), parse("DA1 DA2 DA3"));
    list.InsertMacro(src, std::numeric_limits<int>::max());
    list.InsertMacroAfter(src, std::numeric_limits<int>::max() - 1);
    list.InsertMacroAfter(src, std::numeric_limits<int>::min());
    EXPECT_EQ(describe(list.MacroKeyInfoList()[0]), "D0 D1");
}
