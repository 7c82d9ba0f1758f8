// The macro database: the file (first start, short, long, hostile), the set operations with
// their name rules, the save-back chain and a byte-exact round trip.
#include "core/macro/uiMacroClassUnit.h"
#include "platform/paths/file_io.h"
#include "platform/paths/write_job.h"
#include "tests/core/macro/macro_fixtures.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include <sys/stat.h>

using namespace macro_test;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kDb = 584644;
constexpr std::size_t kSet = 27840;

QString q(const char* s) { return QString::fromUtf8(s); }
QString qs(const fs::path& p) { return QString::fromStdString(p.string()); }

// A database image built by hand, as another program (or a damaged disk) might leave it.
struct Image {
    std::unique_ptr<TuiMacroSetDb> db = std::make_unique<TuiMacroSetDb>();
    Image() { std::memset(db.get(), 0, sizeof *db); }
    TuiMacroListOfMacroSet& set(int i) { return db->MacroSetArrays[i]; }
    void name(int i, const QString& n) { vyk::defs::setRecordText(set(i).MacroSetName, n); }
    void addMacro(int i, const TMACROKEYINFO& m) { set(i).MacroArrays[set(i).MacroArrayCount++] = m; }
    std::vector<std::uint8_t> bytes() const {
        const auto* p = reinterpret_cast<const std::uint8_t*>(db.get());
        return {p, p + sizeof *db};
    }
    void write(const fs::path& p) const { vyk::test::writeBytes(p, bytes()); }
};

// A database whose file lives in a fresh folder.
struct DbFile {
    fs::path dir;
    fs::path file;
    TuiMacroSetClass db;
    explicit DbFile(const std::string& tag) : dir(vyk::test::freshDir(tag)), file(dir / "MacroSet.MSDB") {}
    void load() { db.LoadMacrosetDB(qs(file)); }
};

// The set list as "Name:macro,macro | Name:".
std::string sets(const TuiMacroSetClass& db) {
    std::string out;
    for (int i = 0; i < db.MacroSetCount(); ++i) {
        if (i) out += " | ";
        out += db.GetMacroSetListNames()[i].toStdString() + ":";
        out += db.GetMacroListNamesByMacroSetIndex(i)->join(',').toStdString();
    }
    return out;
}

}  // namespace

TEST(MacroDbFile, FirstStartCreatesAnEmptyDatabase) {
    DbFile f("first");
    f.load();
    EXPECT_EQ(f.db.MacroSetCount(), 0);
    const auto bytes = vyk::test::readBytes(f.file);
    ASSERT_EQ(bytes.size(), kDb);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; }));
    // Loading neither switches nor touches the current set fields.
    EXPECT_EQ(f.db.CurrentMacroSetIndex(), 0);
    EXPECT_TRUE(f.db.CurrentMacroSetName().isEmpty());
}

TEST(MacroDbFile, MissingFolderIsAFileError) {
    const fs::path dir = vyk::test::freshDir("nofolder");
    TuiMacroSetClass db;
    EXPECT_THROW(db.LoadMacrosetDB(qs(dir / "absent" / "MacroSet.MSDB")), vyk::platform::FileError);
    TuiMacroSetClass never;
    EXPECT_THROW(never.SaveMacroSetDB(), vyk::platform::FileError);  // no path yet
}

// Something under the database's name that is no plain file cannot be read; it is moved aside
// untouched (never opened in a way that blocks or reads endlessly) so a database can be made.
TEST(MacroDbFile, WhatIsNoPlainFileIsUnreadableAndMovedAside) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        fs::file_type type;
    };
    const Case cases[] = {
        {"folder", [](const fs::path& p) { fs::create_directory(p); }, fs::file_type::directory},
        {"pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, fs::file_type::fifo},
        {"link to endless bytes", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
         fs::file_type::symlink},
        {"dangling link", [](const fs::path& p) { fs::create_symlink("nowhere", p); }, fs::file_type::symlink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DbFile f(std::string("unreadable-") + c.name);
        c.make(f.file);
        ASSERT_NO_THROW(f.load());
        EXPECT_EQ(f.db.LoadDamage(), TuiMacroSetClass::TDamage::Unreadable);
        EXPECT_EQ(f.db.MacroSetCount(), 0);
        const fs::path aside = f.file.string() + ".bak";
        EXPECT_EQ(f.db.KeptAsideFile(), qs(aside));
        EXPECT_EQ(fs::symlink_status(aside).type(), c.type);
        EXPECT_FALSE(fs::exists(fs::symlink_status(f.file)));
        f.db.SaveMacroSetDB();
        EXPECT_EQ(vyk::test::readBytes(f.file).size(), kDb);
        EXPECT_EQ(fs::symlink_status(aside).type(), c.type) << "what was set aside stays";
    }
}

TEST(MacroDbFile, FileSizesShortExactAndLong) {
    Image img;
    img.db->MacroSetArrayCount = 2;
    img.name(0, q("First"));
    img.name(1, q("Second"));
    img.addMacro(1, macro(q("m"), parse("D41 U41")));
    img.name(2, q("NotInUse"));

    using Damage = TuiMacroSetClass::TDamage;
    struct Case {
        const char* name;
        long delta;
        const char* expect;
        Damage damage;
    };
    const Case cases[] = {
        {"exact", 0, "First: | Second:m", Damage::None},
        {"one byte short", -1, "", Damage::Short},
        {"empty", -static_cast<long>(kDb), "", Damage::Short},
        {"long", 1000, "First: | Second:m", Damage::Long},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DbFile f(std::string("size-") + c.name);
        auto bytes = img.bytes();
        bytes.resize(static_cast<std::size_t>(static_cast<long>(kDb) + c.delta), 0x77);
        vyk::test::writeBytes(f.file, bytes);
        f.load();
        EXPECT_EQ(sets(f.db), c.expect);
        EXPECT_EQ(f.db.LoadDamage(), c.damage);
        // The file is not touched by a load.
        EXPECT_EQ(vyk::test::readBytes(f.file), bytes);
        const fs::path aside = f.file.string() + ".bak";
        f.db.SaveMacroSetDB();
        const auto saved = vyk::test::readBytes(f.file);
        ASSERT_EQ(saved.size(), kDb);
        if (c.damage == Damage::None) {
            EXPECT_EQ(saved, bytes);
            EXPECT_TRUE(f.db.KeptAsideFile().isEmpty());
            EXPECT_FALSE(fs::exists(aside));
            continue;
        }
        // A damaged file is replaced by the save (a long one is cut to the record, a short one
        // gives way to an empty database), and its bytes are kept beside it.
        EXPECT_EQ(f.db.KeptAsideFile(), qs(aside));
        EXPECT_EQ(vyk::test::readBytes(aside), bytes);
        if (c.delta > 0) {
            bytes.resize(kDb);
            EXPECT_EQ(saved, bytes);
        } else {
            EXPECT_EQ(saved[0], 0);
        }
    }
}

// Loading the same damaged file again keeps no second copy; a copy of another damaged file
// under the first name stays, and the new one takes the next free name.
TEST(MacroDbFile, DamagedFilesAreKeptOnceEachUnderFreeNames) {
    DbFile f("kept-once");
    const std::vector<std::uint8_t> first(100, 0x11), second(200, 0x22);
    vyk::test::writeBytes(f.file, first);
    f.load();
    f.load();
    const fs::path bak = f.file.string() + ".bak", bak1 = f.file.string() + ".1.bak";
    EXPECT_EQ(f.db.KeptAsideFile(), qs(bak));
    EXPECT_FALSE(fs::exists(bak1));
    vyk::test::writeBytes(f.file, second);
    f.load();
    EXPECT_EQ(f.db.KeptAsideFile(), qs(bak1));
    EXPECT_EQ(vyk::test::readBytes(bak), first);
    EXPECT_EQ(vyk::test::readBytes(bak1), second);
    // A whole database loaded afterwards reports nothing.
    f.db.SaveMacroSetDB();
    f.load();
    EXPECT_EQ(f.db.LoadDamage(), TuiMacroSetClass::TDamage::None);
    EXPECT_TRUE(f.db.KeptAsideFile().isEmpty());
}

// When no copy can be made (here: every name for one is taken), the damaged file is not
// replaced: each save tries again and refuses until a copy is kept.
TEST(MacroDbFile, ADamagedFileThatCannotBeKeptAsideIsNeverReplaced) {
    DbFile f("no-copy");
    const std::vector<std::uint8_t> damaged(100, 0x33);
    vyk::test::writeBytes(f.file, damaged);
    vyk::test::writeBytes(f.file.string() + ".bak", {1});
    for (int n = 1; n < 1000; ++n) vyk::test::writeBytes(f.file.string() + "." + std::to_string(n) + ".bak", {1});
    f.load();
    EXPECT_EQ(f.db.LoadDamage(), TuiMacroSetClass::TDamage::Short);
    EXPECT_TRUE(f.db.KeptAsideFile().isEmpty());
    EXPECT_THROW(f.db.SaveMacroSetDB(), vyk::platform::FileError);
    EXPECT_EQ(vyk::test::readBytes(f.file), damaged);
    fs::remove(f.file.string() + ".7.bak");
    f.db.SaveMacroSetDB();
    EXPECT_EQ(f.db.KeptAsideFile(), qs(f.file.string() + ".7.bak"));
    EXPECT_EQ(vyk::test::readBytes(f.file.string() + ".7.bak"), damaged);
    EXPECT_EQ(vyk::test::readBytes(f.file).size(), kDb);
}

TEST(MacroDbFile, ShortFileKeepsWhatWasLoadedBefore) {
    DbFile f("short-reload");
    Image img;
    img.db->MacroSetArrayCount = 1;
    img.name(0, q("Kept"));
    img.write(f.file);
    f.load();
    vyk::test::writeBytes(f.file, std::vector<std::uint8_t>(100, 0xFF));
    f.load();
    EXPECT_EQ(sets(f.db), "Kept:");
}

TEST(MacroDbFile, HostileCountsAndNamesStayInsideTheRecord) {
    Image img;
    img.db->MacroSetArrayCount = 0xFFFF;  // above 21 sets
    for (int i = 0; i < 21; ++i) img.name(i, QString::number(i));
    img.set(0).MacroArrayCount = 0xFFFF;  // above 31 macros
    for (TMACROKEYINFO& m : img.set(0).MacroArrays) {
        m.MacroListCount = -5;                       // a negative action count
        for (char16_t& c : m.szMacroName) c = u'n';  // names without their zero
    }
    img.set(0).MacroArrays[30].MacroListCount = 100000;
    for (char16_t& c : img.set(1).MacroSetName) c = u'S';  // a set name without its zero
    DbFile f("hostile");
    img.write(f.file);
    f.load();
    EXPECT_EQ(f.db.LoadDamage(), TuiMacroSetClass::TDamage::CountsOutOfRange);
    EXPECT_EQ(vyk::test::readBytes(fs::path(f.file.string() + ".bak")), img.bytes()) << "kept as it was";

    EXPECT_EQ(f.db.MacroSetCount(), 21);
    EXPECT_EQ(f.db.GetMacroSetListNames()[1], QString(30, QChar(u'S')));
    EXPECT_TRUE(f.db.MacroSetExist(QString(30, QChar(u's'))));
    const QStringList names = f.db.GetMacroListNamesByMacroSetIndex(0).value();
    ASSERT_EQ(names.size(), 31);
    EXPECT_EQ(names[30], QString(50, QChar(u'n')));

    f.db.SwitchToMacroSet(0);
    TuiMacroClass& model = *f.db.CurrentMacroClass();
    EXPECT_EQ(model.MacroListCount(), 31);
    EXPECT_TRUE(model.IsFull());
    EXPECT_FALSE(f.db.CreateNewMacro(q("one more")));
    EXPECT_EQ(model.CurrentMacroAction()->GetCount(), 0);
    model.SetMacroListIndex(30);
    EXPECT_EQ(model.CurrentMacroAction()->GetCount(), 128);
    auto profileList = std::make_unique<TMACROKEYINFOLIST>();
    model.GetMacroKeyInfoList(*profileList);  // a profile holds 30
    EXPECT_EQ(profileList->nMacroInfoCount, 30);

    // Saving writes the counts that were actually read; everything else is kept.
    f.db.SaveBackCurrentMacroClassDataToCurrentMacroList();
    f.db.SaveMacroSetDB();
    auto expected = img.bytes();
    expected[0] = 21;
    expected[1] = 0;
    expected[4 + 60] = 31;
    expected[4 + 61] = 0;
    EXPECT_EQ(vyk::test::readBytes(f.file), expected);
    TuiMacroSetClass again;
    again.LoadMacrosetDB(qs(f.file));
    EXPECT_EQ(again.LoadDamage(), TuiMacroSetClass::TDamage::None) << "the saved database is whole";
}

TEST(MacroDbFile, ProgramMadeDatabaseReadsBackByteForByte) {
    DbFile f("roundtrip");
    f.load();
    // What the configuration window does on a first start, then some editing.
    ASSERT_FALSE(f.db.MacroSetExist(q("DefaultMacroSet")));
    ASSERT_TRUE(f.db.CreateNewMacroSet(q("DefaultMacroSet")));
    f.db.SwitchToMacroSet(q("DefaultMacroSet"));
    ASSERT_TRUE(f.db.CreateNewMacro(q("Macro1")));
    ASSERT_TRUE(f.db.CreateNewMacro(q("Macro2")));
    f.db.SaveMacroSetDB();
    TuiMacroClass& m = *f.db.CurrentMacroClass();
    m.SetMacroListIndex(0);
    for (const TMACROKEY& a : parse("D41 T30 U41 M1:1 T15 m1:1"))
        m.CurrentMacroAction()->InsertActionAfter(a, m.CurrentMacroAction()->GetCount());
    m.SetMacroLoopValue(0, 0, 5);
    f.db.SaveBackCurrentMacroClassDataToCurrentMacroList();
    ASSERT_TRUE(f.db.CreateNewMacroSet(QString(30, QChar(u'L'))));
    ASSERT_TRUE(f.db.CreateNewMacro(q("only")));
    f.db.SaveMacroSetDB();
    const auto first = vyk::test::readBytes(f.file);
    ASSERT_EQ(first.size(), kDb);
    EXPECT_EQ(first[0], 2);
    // A name of 30 characters fills its field without a zero: the count follows at once.
    const std::size_t set1 = 4 + kSet;
    EXPECT_EQ(first[set1 + 58], 'L');
    EXPECT_EQ(first[set1 + 60], 1);

    TuiMacroSetClass again;
    again.LoadMacrosetDB(qs(f.file));
    EXPECT_EQ(sets(again), "DefaultMacroSet:Macro1,Macro2 | " + std::string(30, 'L') + ":only");
    again.SwitchToMacroSet(q("defaultmacroset"));
    EXPECT_EQ(describe(again.CurrentMacroClass()->MacroKeyInfoList()[0]), "D41 T30 U41 M1:1 T15 m1:1");
    EXPECT_EQ(again.CurrentMacroClass()->MacroKeyInfoList()[0].nLoopCount, 5);
    again.SaveBackCurrentMacroClassDataToCurrentMacroList();
    again.SaveMacroSetDB();
    EXPECT_EQ(vyk::test::readBytes(f.file), first);
}

TEST(MacroDbFile, ForeignBytesInPaddingAndUnusedSlotsSurviveASave) {
    Image img;
    img.db->MacroSetArrayCount = 1;
    img.db->Pad0[0] = 0xAB;
    img.name(0, q("S"));
    img.set(0).MacroSetName[5] = u'z';  // after the zero
    img.set(0).Pad0[1] = 0xCD;
    img.addMacro(0, macro(q("m"), parse("D41 U41")));
    img.set(0).MacroArrays[7].nLoopCount = 0x1234;  // an old macro past the count
    img.set(20).MacroArrayCount = 9;                // a slot past the set count
    DbFile f("foreign");
    img.write(f.file);
    f.load();
    f.db.SwitchToMacroSet(0);
    f.db.CurrentMacroClass()->CurrentMacroAction()->DeleteAction(1);
    f.db.CurrentMacroClass()->CurrentMacroAction()->InsertActionAfter(up(0x41), 0);
    f.db.SaveBackCurrentMacroClassDataToCurrentMacroList();
    f.db.SaveMacroSetDB();
    EXPECT_EQ(vyk::test::readBytes(f.file), img.bytes());
}

TEST(MacroSets, NamesCompareIgnoringCaseOfAsciiLettersOnly) {
    TuiMacroSetClass db;
    ASSERT_TRUE(db.CreateNewMacroSet(q("DefaultMacroSet")));
    ASSERT_TRUE(db.CreateNewMacroSet(q("Grüße")));
    struct Case {
        const char* name;
        int index;
    };
    const Case cases[] = {
        {"DefaultMacroSet", 0},   {"defaultmacroset", 0}, {"DEFAULTMACROSET", 0},
        {"DefaultMacroSet ", -1}, {"Default", -1},        {"", -1},
        {"GRüSSE", -1},           {"grüße", 1},           {"GRÜßE", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(db.IndexOfMacroSet(q(c.name)), c.index) << c.name;

    // Creating a set under another case of an existing name makes that set current.
    EXPECT_FALSE(db.CreateNewMacroSet(q("DEFAULTmacroSET")));
    EXPECT_EQ(db.CurrentMacroSetName(), q("DefaultMacroSet"));
    EXPECT_EQ(db.CurrentMacroSetIndex(), 0);
    EXPECT_EQ(db.MacroSetCount(), 2);
}

TEST(MacroSets, LimitsOfCountAndNameLength) {
    TuiMacroSetClass db;
    const QString thirty(30, QChar(u'x'));
    EXPECT_FALSE(db.CreateNewMacroSet(thirty + q("y")));
    EXPECT_FALSE(db.CreateNewMacroSet(q("a") + QChar(u'\0')));
    EXPECT_EQ(db.MacroSetCount(), 0);
    ASSERT_TRUE(db.CreateNewMacroSet(thirty));
    EXPECT_TRUE(db.MacroSetExist(thirty));
    EXPECT_FALSE(db.MacroSetExist(thirty + q("y")));  // a longer argument never matches
    for (int i = 1; i < 21; ++i) ASSERT_TRUE(db.CreateNewMacroSet(QString::number(i)));
    EXPECT_FALSE(db.CreateNewMacroSet(q("twenty-second")));
    EXPECT_EQ(db.MacroSetCount(), 21);
    EXPECT_EQ(db.CurrentMacroSetName(), q("20"));
}

TEST(MacroSets, DeleteSwitchesToThePreviousSet) {
    struct Case {
        int count;
        int del;
        int current;
        const char* currentName;
    };
    const Case cases[] = {
        {5, 3, 2, "S2"}, {5, 0, 0, "S1"},
        {5, 4, 3, "S3"}, {5, 5, 4, "S4"},  // outside: nothing (the last created stays current)
        {1, 0, -1, ""},                    // the last set: no current set is left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " del " + std::to_string(c.del));
        TuiMacroSetClass db;
        for (int i = 0; i < c.count; ++i) ASSERT_TRUE(db.CreateNewMacroSet(q("S") + QString::number(i)));
        db.DeleteMacroSet(c.del);
        EXPECT_EQ(db.CurrentMacroSetIndex(), c.current);
        EXPECT_EQ(db.CurrentMacroSetName(), q(c.currentName));
    }
}

TEST(MacroSets, DeletingTheLastSetLeavesNothingToWriteInto) {
    TuiMacroSetClass db;
    ASSERT_TRUE(db.CreateNewMacroSet(q("Only")));
    ASSERT_TRUE(db.CreateNewMacro(q("m")));
    db.DeleteMacroSet(q("only"));
    EXPECT_EQ(db.MacroSetCount(), 0);
    EXPECT_TRUE(db.CurrentMacroClass()->IsEmpty());
    EXPECT_TRUE(db.CurrentMacroKeyInfoList().empty());
    EXPECT_NO_THROW(db.SaveBackCurrentMacroClassDataToCurrentMacroList());
    ASSERT_TRUE(db.CreateNewMacroSet(q("Next")));
    EXPECT_EQ(db.GetMacroListNamesByMacroSetName(q("Next")), QStringList{});
}

TEST(MacroSets, SwitchByIndexAndName) {
    TuiMacroSetClass db;
    ASSERT_TRUE(db.CreateNewMacroSet(q("A")));
    ASSERT_TRUE(db.CreateNewMacro(q("a1")));
    ASSERT_TRUE(db.CreateNewMacroSet(q("B")));
    db.SwitchToMacroSet(q("a"));
    EXPECT_EQ(db.CurrentMacroSetName(), q("A"));
    EXPECT_EQ(db.CurrentMacroClass()->MacroListIndex(), 0);
    db.SwitchToMacroSet(2);  // = number of sets: nothing
    db.SwitchToMacroSet(-2);
    db.SwitchToMacroSet(q("none"));
    EXPECT_EQ(db.CurrentMacroSetName(), q("A"));
    EXPECT_EQ(db.CurrentMacroKeyInfoList().size(), 1u);

    db.SwitchToMacroSet(-1);
    EXPECT_TRUE(db.CurrentMacroSetName().isEmpty());
    EXPECT_EQ(db.CurrentMacroSetIndex(), -1);
    EXPECT_TRUE(db.CurrentMacroKeyInfoList().empty());
    // Macros created with no current set go into no set.
    db.CreateNewMacro(q("stray"));
    EXPECT_EQ(sets(db), "A:a1 | B:");
}

TEST(MacroSets, SwitchNeverCarriesTheOldActionsObjectIntoTheNewSet) {
    TuiMacroSetClass db;
    ASSERT_TRUE(db.CreateNewMacroSet(q("A")));
    ASSERT_TRUE(db.CreateNewMacro(q("a1")));
    ASSERT_TRUE(db.CreateNewMacroSet(q("B")));
    ASSERT_TRUE(db.CreateNewMacro(q("b1")));
    db.SwitchToMacroSet(q("A"));
    db.CurrentMacroClass()->CurrentMacroAction()->InsertActionAfter(down(0x41), 0);
    db.SaveBackCurrentMacroClassDataToCurrentMacroList();
    EXPECT_EQ(sets(db), "A:a1 | B:b1");
    EXPECT_EQ(describe(db.FindMacroSet(q("A"))->MacroArrays[0]), "D41");
    EXPECT_EQ(describe(db.FindMacroSet(q("B"))->MacroArrays[0]), "");
}

TEST(MacroSets, LoadWithoutSwitchNeverOverwritesASet) {
    DbFile f("noswitch");
    Image img;
    img.db->MacroSetArrayCount = 1;
    img.name(0, q("Mine"));
    img.addMacro(0, macro(q("precious"), parse("T1")));
    img.write(f.file);
    f.load();
    f.db.SaveBackCurrentMacroClassDataToCurrentMacroList();  // the model holds no set yet
    EXPECT_EQ(sets(f.db), "Mine:precious");
}

TEST(MacroSets, RenameRules) {
    TuiMacroSetClass db;
    ASSERT_TRUE(db.CreateNewMacroSet(q("One")));
    ASSERT_TRUE(db.CreateNewMacroSet(q("Two")));
    struct Case {
        const char* from;
        QString to;
        bool ok;
    };
    const Case cases[] = {
        {"One", q("TWO"), false},                  // taken, in another case
        {"One", q("one"), false},                  // only the case: matches itself
        {"Three", q("Four"), false},               // no such set
        {"One", QString(31, QChar(u'x')), false},  // does not fit
        {"one", QString(30, QChar(u'x')), true},
    };
    for (const Case& c : cases) EXPECT_EQ(db.ReNameMacroSet(q(c.from), c.to), c.ok) << c.from;
    EXPECT_EQ(db.GetMacroSetListNames(), (QStringList{QString(30, QChar(u'x')), q("Two")}));
    // Renaming the current set renames the current set name with it.
    EXPECT_TRUE(db.ReNameMacroSet(q("two"), q("Zwei")));
    EXPECT_EQ(db.CurrentMacroSetName(), q("Zwei"));

    // A loaded database has no current set until a switch: renaming set 0 names no current set.
    DbFile f("rename-unswitched");
    Image img;
    img.db->MacroSetArrayCount = 1;
    img.name(0, q("First"));
    img.write(f.file);
    f.load();
    ASSERT_EQ(f.db.CurrentMacroSetIndex(), 0);
    EXPECT_TRUE(f.db.ReNameMacroSet(q("First"), q("Renamed")));
    EXPECT_TRUE(f.db.CurrentMacroSetName().isEmpty());
}

TEST(MacroSets, MacrosOfTheCurrentSetFollowEveryEdit) {
    DbFile f("macros");
    f.load();
    ASSERT_TRUE(f.db.CreateNewMacroSet(q("S")));
    for (const char* n : {"m0", "m1", "m2"}) ASSERT_TRUE(f.db.CreateNewMacro(q(n)));
    EXPECT_FALSE(f.db.CreateNewMacro(q("m1")));
    EXPECT_TRUE(f.db.ReNameMacro(q("m1"), q("mid")));
    EXPECT_FALSE(f.db.ReNameMacro(q("m1"), q("x")));
    EXPECT_EQ(sets(f.db), "S:m0,mid,m2");
    f.db.DeleteMacro(q("mid"));
    f.db.DeleteMacro(7);
    EXPECT_EQ(sets(f.db), "S:m0,m2");
    EXPECT_EQ(f.db.CurrentMacroKeyInfoList().size(), 2u);
    EXPECT_EQ(f.db.GetMacroListOfMacroSet(q("s")).size(), 2u);
    EXPECT_TRUE(f.db.GetMacroListOfMacroSet(q("t")).empty());
    EXPECT_FALSE(f.db.FindMacroSet(q("t")).has_value());
    EXPECT_FALSE(f.db.GetMacroListNamesByMacroSetIndex(1).has_value());
    EXPECT_FALSE(f.db.GetMacroListNamesByMacroSetIndex(-1).has_value());

    // Saved: the count is 2 and the third slot still holds the deleted macro's bytes.
    f.db.SaveMacroSetDB();
    const auto bytes = vyk::test::readBytes(f.file);
    EXPECT_EQ(bytes[4 + 60], 2);
    TMACROKEYINFO slot2;
    std::memcpy(&slot2, bytes.data() + 4 + 64 + 2 * sizeof(TMACROKEYINFO), sizeof slot2);
    EXPECT_EQ(TuiMacroClass::MacroName(slot2), q("m2"));
    EXPECT_EQ(slot2.nMacroIndex, 2);
}

// The save as job steps: the set list is taken when it is prepared, the file and the object's
// file image change only when the job has written it, and a write that fails leaves the image
// as last saved.
TEST(MacroDbFile, APreparedSaveTakesTheSetsAtOnceAndTheImageOnceWritten) {
    DbFile f("prepared");
    f.load();
    ASSERT_TRUE(f.db.CreateNewMacroSet(q("Before")));
    f.db.SaveMacroSetDB();
    ASSERT_TRUE(f.db.CreateNewMacroSet(q("Prepared")));

    vyk::platform::WriteJob job;
    f.db.PrepareSaveMacroSetDB(job);
    ASSERT_TRUE(f.db.CreateNewMacroSet(q("Later")));
    EXPECT_EQ(f.db.MacroSetDB().MacroSetArrayCount, 1) << "nothing saved yet";
    job.RunOffThread();
    EXPECT_EQ(f.db.MacroSetDB().MacroSetArrayCount, 2);
    TuiMacroSetClass reread;
    reread.LoadMacrosetDB(qs(f.file));
    EXPECT_EQ(sets(reread), "Before: | Prepared:");

    // The database's place taken by a folder: the save fails and the image stays.
    fs::remove(f.file);
    fs::create_directory(f.file);
    vyk::platform::WriteJob failing;
    f.db.PrepareSaveMacroSetDB(failing);
    EXPECT_THROW(failing.RunOffThread(), vyk::platform::FileError);
    EXPECT_EQ(f.db.MacroSetDB().MacroSetArrayCount, 2);
}
