// The data module against storage that other programs or the user changed: values that are
// not plain files, profile folders that appear during start-up, the operations the monitor
// uses to follow the configuration program, and hostile or damaged stored values, setting-group
// slots and leftovers of a killed save.
#include "core/store/DMUnit.h"

#include "core/defs/record_text.h"
#include "platform/paths/write_job.h"
#include "platform/registry/registry.h"
#include "tests/core/store/store_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <limits>
#include <map>

using vyk::defs::recordText;
using vyk::platform::RegistryError;

namespace {

class StorageTest : public StoreTest {
protected:
    // Stores a profile record with a marker, as the configuration program would.
    void storeProfile(int index, std::uint8_t pointerSpeed) {
        auto dm = start();
        ASSERT_TRUE(dm->SwitchToProfile(index));
        dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed = pointerSpeed;
        dm->SaveBackToCurrentProfileInfo();
        dm->SaveCurrentProfileInfoToRegistry();
        dm->SaveBackAllProfileSettingInfo();
    }
    std::optional<std::uint32_t> profileID() {
        auto key = vyk::platform::RegistryKey::open(HKEY_CURRENT_USER, "software\\software\\Vykgmmouse", false);
        return key ? key->readDword("ProfileID") : std::nullopt;
    }
};

}  // namespace

TEST_F(StorageTest, AValueThatIsNotAPlainFileIsReportedAndTheStartGoesOn) {
    storeProfile(0, 11);
    // A pipe would block a plain open forever; a link to /dev/zero would read without end.
    ASSERT_EQ(::mkfifo(valueFile("VykProfile2.pfd").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", valueFile("VykProfile3.pfd"));

    auto dm = start();
    const QStringList found = reports(*dm);
    ASSERT_EQ(found.size(), 2) << found.join("\n").toStdString();
    EXPECT_TRUE(found[0].contains("VykProfile2.pfd")) << found[0].toStdString();
    EXPECT_TRUE(found[1].contains("VykProfile3.pfd")) << found[1].toStdString();
    EXPECT_TRUE(messages_.isEmpty()) << "the store shows no boxes itself";
    // The other profiles loaded; the two slots hold their factory values in memory.
    EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed, 11);
    EXPECT_EQ(slot(*dm, 2)->ConfigInfo.LEDConfig.B, 255);
    // A later read of such a value is the same clear error.
    EXPECT_THROW(dm->LoadProfileInfoFromRegistry(1), RegistryError);
    EXPECT_TRUE(fs::is_fifo(valueFile("VykProfile2.pfd")));
}

TEST_F(StorageTest, AFileSlotWhoseFolderIsMadeAtStartKeepsItsEdits) {
    {
        auto seed = start();
        seed.reset();
    }
    auto group = recordFrom<TProfileSettingGroup>(vyk::test::readBytes(valueFile("ProfileSettingGroup.pfd")));
    const fs::path folder = profiles() / "not-yet";  // made by the start below
    group->ProfileSettingList[3].StorageKind = 1;
    vyk::defs::setRecordText(group->ProfileSettingList[3].FilePath, qpath(folder));
    plant("ProfileSettingGroup.pfd", bytesOf(*group));

    auto dm = start();
    EXPECT_TRUE(reports(*dm).isEmpty());
    ASSERT_TRUE(fs::exists(folder / "VykProfile4.pfd"));
    EXPECT_EQ(dm->uiProfileGame4->FilePath(), qpath(folder) + "/");

    // An edit of that profile is saved to its file and is there at the next start.
    ASSERT_TRUE(dm->SwitchToProfile(3));
    dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 17;
    dm->SaveBackToCurrentProfileInfo();
    dm->SaveBackAllProfileInfoToFile();
    EXPECT_EQ(recordFrom<TMouseProfileInfo>(vyk::test::readBytes(folder / "VykProfile4.pfd"))->ConfigInfo.PointerSpeed,
              17);
    dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 18;
    dm->SaveBackToCurrentProfileInfo();
    dm->SaveCurrentProfileInfoToFile();
    dm->SaveBackAllProfileSettingInfo();
    dm.reset();
    auto again = start();
    EXPECT_EQ(again->FProfileIndex, 3);
    EXPECT_EQ(again->FCurrentProfileInfo.ConfigInfo.PointerSpeed, 18);
}

// Everything APPLY saves is copied when it is prepared and written when the job runs (here on
// a worker thread): an edit made in between is not saved, and the files are those of the
// single saves, in both their places.
TEST_F(StorageTest, SaveAllTakesTheRecordsWhenPreparedAndWritesThemWhenTheJobRuns) {
    auto dm = start();
    ASSERT_TRUE(dm->SwitchToProfile(1));
    dm->SetProfileChanged(1, false);
    dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 9;
    auto other = std::make_unique<TMouseProfileInfo>();
    ASSERT_TRUE(dm->ReadProfileInfo(*other, 3));
    other->ConfigInfo.PointerSpeed = 4;
    ASSERT_TRUE(dm->SaveBackToProfileInfo(*other, 3));
    const auto speedIn = [](const fs::path& file) {
        return recordFrom<TMouseProfileInfo>(vyk::test::readBytes(file))->ConfigInfo.PointerSpeed;
    };

    vyk::platform::WriteJob job;
    dm->PrepareSaveAll(job);
    EXPECT_TRUE(dm->IsProfileChanged(1)) << "the save-back into the slot happens at once";
    // A fresh store has not stored the profiles yet.
    EXPECT_FALSE(fs::exists(profiles() / "VykProfile2.pfd")) << "nothing is written before the job runs";
    EXPECT_FALSE(fs::exists(valueFile("VykProfile2.pfd")));
    dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 11;
    dm->SaveBackToCurrentProfileInfo();
    job.RunOffThread();

    for (const fs::path& file : {valueFile("VykProfile2.pfd"), profiles() / "VykProfile2.pfd"}) {
        EXPECT_EQ(speedIn(file), 9) << file;
    }
    for (const fs::path& file : {valueFile("VykProfile4.pfd"), profiles() / "VykProfile4.pfd"}) {
        EXPECT_EQ(speedIn(file), 4) << file;
    }
    EXPECT_TRUE(reports(*dm).isEmpty());
}

TEST_F(StorageTest, TheMonitorsOperationsSwitchReloadAndStoreTheProfileID) {
    storeProfile(2, 12);
    auto mon = start();
    EXPECT_EQ(mon->FProfileIndex, 2);
    ASSERT_TRUE(mon->SwitchToProfile(0));  // another program's current profile

    // The mouse switched to profile 3.
    EXPECT_TRUE(mon->WriteProfileIDToRegistry(2));
    EXPECT_EQ(profileID(), 2u);
    EXPECT_TRUE(mon->MakeProfileCurrentAndReload(2));
    EXPECT_EQ(mon->FProfileIndex, 2);
    EXPECT_EQ(mon->FCurrentProfileInfo.ConfigInfo.PointerSpeed, 12);
    for (int bad : {-1, 5}) {
        EXPECT_FALSE(mon->MakeProfileCurrentAndReload(bad));
        EXPECT_EQ(mon->FProfileIndex, 2);
    }

    // The configuration program applied settings for profile 2 (index 1).
    storeProfile(1, 14);
    mon->ReloadAfterSettingsApplied(1);
    EXPECT_EQ(mon->FProfileIndex, 1);
    EXPECT_EQ(mon->FCurrentProfileInfo.ConfigInfo.PointerSpeed, 14);
    EXPECT_EQ(profileID(), 1u);
    // Without a valid profile the current one stays, and ProfileID too.
    mon->ReloadAfterSettingsApplied(7);
    EXPECT_EQ(mon->FProfileIndex, 1);
    EXPECT_EQ(profileID(), 1u);

    // No profile key at all: nothing is created.
    vyk::test::ScopedEnv empty("VYK_REGISTRY_ROOT", vyk::test::freshDir("empty-registry").string());
    EXPECT_FALSE(mon->WriteProfileIDToRegistry(3));
    EXPECT_FALSE(vyk::platform::RegistryKey::exists(HKEY_CURRENT_USER, mon->ProfileRegFolder()));
}

TEST_F(StorageTest, AReloadWithADamagedValueStillReloadsTheRestAndThenRaises) {
    storeProfile(1, 14);
    auto mon = start();
    storeProfile(3, 15);  // the configuration program's save before it applied profile 4
    auto key = vyk::platform::RegistryKey::open(HKEY_CURRENT_USER, "software\\software\\Vykgmmouse", false);
    ASSERT_TRUE(key);
    key->deleteValue("ProfileSettingGroup.pfd");
    key->writeString("ProfileSettingGroup.pfd", "damaged");

    EXPECT_THROW(mon->ReloadAfterSettingsApplied(3), RegistryError);
    EXPECT_EQ(mon->FProfileIndex, 3);
    EXPECT_EQ(mon->FCurrentProfileInfo.ConfigInfo.PointerSpeed, 15);
    EXPECT_EQ(profileID(), 3u);
}

// ---------------------------------------------------------------------------------------------
// Hostile or damaged stored values and setting-group slots

namespace {

constexpr std::size_t kProfile = sizeof(TMouseProfileInfo);
constexpr std::size_t kStamp = offsetof(TMouseProfileInfo, ProfileHeader) + offsetof(TProfileHeader, FProfileUID);

// Two records alike apart from the creation stamp (factory values carry a new one).
bool sameButStamp(const TMouseProfileInfo& a, const TMouseProfileInfo& b) {
    auto x = bytesOf(a), y = bytesOf(b);
    std::fill_n(x.begin() + kStamp, sizeof(TProfileUIDData), 0);
    std::fill_n(y.begin() + kStamp, sizeof(TProfileUIDData), 0);
    return x == y;
}

std::vector<std::uint8_t> withVersion(std::vector<std::uint8_t> b, std::int32_t version) {
    std::memcpy(b.data(), &version, sizeof version);
    return b;
}

// Every file below a folder with its bytes (links not followed).
std::map<std::string, std::vector<std::uint8_t>> filesBelow(const fs::path& dir) {
    std::map<std::string, std::vector<std::uint8_t>> out;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (e.is_regular_file() && !e.is_symlink()) out[e.path().string()] = vyk::test::readBytes(e.path());
    }
    return out;
}

class HostileStoreTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        // Five whole profiles, each with a marker, stored as values and as profile files.
        auto dm = start();
        for (int i = 0; i < 5; ++i) {
            auto p = slot(*dm, i);
            p->ConfigInfo.PointerSpeed = static_cast<std::uint16_t>(11 + i);
            dm->SaveBackToProfileInfo(*p, i);
        }
        dm->SwitchToProfile(2);  // a start then holds another profile before it reads profile 2
        apply(*dm);
        dm->SaveBackAllProfileSettingInfo();
        for (int i = 0; i < 5; ++i) stored_[i] = *slot(*dm, i);
        factory_ = dm->FactoryProfileInfo(1);
        group_ = recordFrom<TProfileSettingGroup>(vyk::test::readBytes(valueFile("ProfileSettingGroup.pfd")));
    }
    fs::path slotFile(int i) const { return profiles() / ("VykProfile" + std::to_string(i + 1) + ".pfd"); }
    std::string value(int i) const { return "VykProfile" + std::to_string(i + 1) + ".pfd"; }

    std::array<TMouseProfileInfo, 5> stored_{};
    std::unique_ptr<TMouseProfileInfo> factory_;
    std::unique_ptr<TProfileSettingGroup> group_;
};

}  // namespace

TEST_F(HostileStoreTest, AStoredProfileOfTheWrongSizeOrVersionTakesItsWholeCopyOrItsFactoryValues) {
    const auto whole = bytesOf(stored_[1]);
    const auto cut = [&](std::size_t n) { return std::vector<std::uint8_t>(whole.begin(), whole.begin() + n); };
    auto longer = whole;
    longer.resize(kProfile + 40, 0xC5);
    auto twice = whole;
    twice.insert(twice.end(), whole.begin(), whole.end());

    enum class Copy { Whole, Missing, Cut };
    enum class Then { TheCopy, Factory };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> value;
        Copy copy;
        Then then;
        const char* said;
    };
    const Case cases[] = {
        {"empty", {}, Copy::Whole, Then::TheCopy, "is damaged (0 bytes instead of 142240); its copy"},
        {"empty, no copy",
         {},
         Copy::Missing,
         Then::Factory,
         "is damaged (0 bytes instead of 142240); profile 2 is set back"},
        {"the version only", cut(4), Copy::Whole, Then::TheCopy, "(4 bytes instead"},
        {"100 bytes", cut(100), Copy::Cut, Then::Factory, "(100 bytes instead"},
        {"one byte short", cut(kProfile - 1), Copy::Missing, Then::Factory, "(142239 bytes instead"},
        {"a tail", longer, Copy::Whole, Then::TheCopy, "(142280 bytes instead"},
        {"two profiles", twice, Copy::Cut, Then::Factory, "(284480 bytes instead"},
        {"another version", withVersion(whole, 0x102), Copy::Missing, Then::Factory, "(format version 0x102)"},
        {"zeros", std::vector<std::uint8_t>(kProfile, 0), Copy::Whole, Then::TheCopy, "(format version 0x0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plant(value(1), c.value);
        if (c.copy == Copy::Whole) vyk::test::writeBytes(slotFile(1), whole);
        if (c.copy == Copy::Missing) fs::remove(slotFile(1));
        if (c.copy == Copy::Cut) vyk::test::writeBytes(slotFile(1), cut(kProfile / 2));

        auto dm = start();
        const QStringList found = reports(*dm);
        ASSERT_EQ(found.size(), 1) << found.join("\n").toStdString();
        EXPECT_TRUE(found[0].startsWith("The stored profile 2 \"" + qpath(valueFile(value(1))) + "\""))
            << found[0].toStdString();
        EXPECT_TRUE(found[0].contains(c.said)) << found[0].toStdString();
        if (c.then == Then::TheCopy) {
            EXPECT_TRUE(found[0].endsWith("its copy \"" + qpath(slotFile(1)) + "\" is used instead."));
            EXPECT_EQ(bytesOf(*slot(*dm, 1)), whole);
        } else {
            EXPECT_TRUE(sameButStamp(*slot(*dm, 1), *factory_));
        }
        EXPECT_EQ(dm->uiProfileGame2->Stream().size(), kProfile);
        // Marked for APPLY; the others load as they were and stay unmarked.
        EXPECT_TRUE(dm->IsProfileChanged(1));
        for (int i : {0, 2, 3, 4}) {
            EXPECT_EQ(bytesOf(*slot(*dm, i)), bytesOf(stored_[i])) << i;
            EXPECT_FALSE(dm->IsProfileChanged(i)) << i;
        }
        // Nothing is rewritten at start-up; APPLY stores one whole profile.
        EXPECT_EQ(vyk::test::readBytes(valueFile(value(1))), c.value);
        apply(*dm);
        EXPECT_EQ(vyk::test::readBytes(valueFile(value(1))), bytesOf(*slot(*dm, 1)));
        EXPECT_EQ(vyk::test::readBytes(slotFile(1)), bytesOf(*slot(*dm, 1)));
        plant(value(1), whole);
        vyk::test::writeBytes(slotFile(1), whole);
    }
}

TEST_F(HostileStoreTest, AProfileKeptInAFileTakesItsStoredValueWhenTheFileIsDamaged) {
    group_->ProfileSettingList[3].StorageKind = 1;
    plant("ProfileSettingGroup.pfd", bytesOf(*group_));
    const auto whole = bytesOf(stored_[3]);

    vyk::test::writeBytes(slotFile(3), {});
    auto dm = start();
    EXPECT_EQ(reports(*dm), QStringList{"The stored profile 4 \"" + qpath(slotFile(3)) +
                                        "\" is damaged (0 bytes instead of 142240); its copy \"" +
                                        qpath(valueFile(value(3))) + "\" is used instead."});
    EXPECT_EQ(bytesOf(*slot(*dm, 3)), whole);
    EXPECT_TRUE(vyk::test::readBytes(slotFile(3)).empty()) << "not rewritten at start-up";
    dm.reset();

    // Neither copy whole: the factory profile.
    vyk::test::writeBytes(slotFile(3), std::vector<std::uint8_t>(whole.begin(), whole.begin() + 1000));
    plant(value(3), withVersion(whole, 7));
    dm = start();
    const QStringList found = reports(*dm);
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found[0].endsWith("(1000 bytes instead of 142240); profile 4 is set back to its factory settings."));
    EXPECT_TRUE(sameButStamp(*slot(*dm, 3), *dm->FactoryProfileInfo(3)));
}

TEST_F(HostileStoreTest, AReloadOfAnEmptyValueNeverLeavesAnotherProfileInTheRecord) {
    // The monitor holds profile 3 when the mouse switches to profile 1, whose value is empty.
    auto mon = start();
    ASSERT_TRUE(mon->SwitchToProfile(2));
    plant(value(0), {});
    fs::remove(slotFile(0));
    ASSERT_TRUE(mon->MakeProfileCurrentAndReload(0));
    EXPECT_EQ(mon->FProfileIndex, 0);
    EXPECT_NE(mon->FCurrentProfileInfo.ProfileHeader.FProfileUID.DoubleData,
              stored_[2].ProfileHeader.FProfileUID.DoubleData);
    EXPECT_TRUE(sameButStamp(mon->FCurrentProfileInfo, *mon->FactoryProfileInfo(0)));
    const QStringList found = reports(*mon);
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found[0].contains("profile 1 is set back to its factory settings"));
    // The same damage found again by the next reload is not reported twice.
    mon->ReloadAfterSettingsApplied(0);
    EXPECT_TRUE(reports(*mon).isEmpty());
}

TEST_F(HostileStoreTest, ASettingGroupSlotNeverLeadsTheStoreOutOfTheProfileFolder) {
    const fs::path outside = vyk::test::freshDir("outside");
    vyk::test::writeText(outside / "VykProfile2.pfd", "keep");
    vyk::test::writeText(registry_.parent_path() / ".profile", "keep");
    fs::create_directory_symlink(outside, profiles() / "link");
    const auto before = filesBelow(outside);
    const QString home = qpath(profiles()) + "/";

    struct Case {
        const char* what;
        std::u16string name;  // the slot's FileName as stored
        QString folder;       // its FilePath as stored
        std::uint8_t kind;
        const char* said;  // what the one report says
    };
    const std::u16string noEnd(21, u'A');  // fills the field: no NUL
    const Case cases[] = {
        {"climbing name", u"../../.profile", home, 0, "file name \"../../.profile\", which cannot name a file"},
        {"name with a folder", u"sub/x.pfd", home, 0, "file name \"sub/x.pfd\""},
        {"name with a backslash", u"..\\x.pfd", home, 1, "file name \"..\\x.pfd\""},
        {"dot-dot", u"..", home, 0, "file name \"..\""},
        {"empty name", u"", home, 0, "file name \"\""},
        {"name without an end", noEnd, home, 0, "file name \"AAAAAAAAAAAAAAAAAAAAA\""},
        {"a folder elsewhere", u"VykProfile2.pfd", qpath(outside), 0, "in \""},
        {"a folder elsewhere, kept in a file", u"VykProfile2.pfd", qpath(outside) + "/", 1, "in \""},
        {"Documents itself", u"VykProfile2.pfd", qpath(docs_), 1, "in \""},
        {"climbing folder", u"VykProfile2.pfd", home + "../..", 1, "in \""},
        {"relative folder", u"VykProfile2.pfd", "VykProfile", 1, "in \"VykProfile\""},
        {"a link inside leading out", u"VykProfile2.pfd", home + "link", 1, "in \""},
        {"unknown storage kind", u"VykProfile2.pfd", home, 7, "an unknown place to be kept (7)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto group = std::make_unique<TProfileSettingGroup>(*group_);
        TProfileSetting& s = group->ProfileSettingList[1];
        std::fill(std::begin(s.FileName), std::end(s.FileName), u'\0');
        std::copy_n(c.name.begin(), std::min<std::size_t>(c.name.size(), 21), s.FileName);
        vyk::defs::setRecordText(s.FilePath, c.folder);
        s.StorageKind = c.kind;
        plant("ProfileSettingGroup.pfd", bytesOf(*group));
        fs::remove(slotFile(1));

        auto dm = start();
        const QStringList found = reports(*dm);
        ASSERT_EQ(found.size(), 1) << found.join("\n").toStdString();
        EXPECT_TRUE(found[0].contains("profile 2")) << found[0].toStdString();
        EXPECT_TRUE(found[0].contains(c.said)) << found[0].toStdString();
        // The slot falls back to its factory name in the profile folder.
        EXPECT_EQ(dm->uiProfileGame2->FileName(), "VykProfile2.pfd");
        EXPECT_EQ(dm->uiProfileGame2->FilePath(), home);
        EXPECT_EQ(recordText(dm->FProfileSettingGroup.ProfileSettingList[1].FilePath), home);
        EXPECT_LE(dm->FProfileSettingGroup.ProfileSettingList[1].StorageKind, 1);
        apply(*dm);
        EXPECT_EQ(filesBelow(outside), before) << "nothing written outside the profile folder";
        EXPECT_EQ(vyk::test::readBytes(registry_.parent_path() / ".profile"),
                  (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
        EXPECT_TRUE(fs::exists(slotFile(1)));
        EXPECT_EQ(bytesOf(*slot(*dm, 1)).size(), kProfile);
        // APPLY stored the sound slot: the next start reports nothing.
        dm.reset();
        EXPECT_TRUE(reports(*start()).isEmpty());
    }
}

TEST_F(HostileStoreTest, AProfileFileOrFolderThatBecomesALinkOutIsNeitherReadNorWritten) {
    const fs::path outside = vyk::test::freshDir("outside");
    const auto secret = std::vector<std::uint8_t>(kProfile, 0x5A);
    vyk::test::writeBytes(outside / "secret.pfd", secret);
    fs::create_directories(profiles() / "sub");
    group_->ProfileSettingList[3].StorageKind = 1;
    vyk::defs::setRecordText(group_->ProfileSettingList[3].FilePath, qpath(profiles() / "sub"));
    plant("ProfileSettingGroup.pfd", bytesOf(*group_));

    // The slot's file is a link to a file elsewhere: not read, and replaced by APPLY.
    fs::create_symlink(outside / "secret.pfd", profiles() / "sub" / "VykProfile4.pfd");
    auto dm = start();
    QStringList found = reports(*dm);
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found[0].contains("leads outside the profile folder")) << found[0].toStdString();
    EXPECT_TRUE(sameButStamp(*slot(*dm, 3), *dm->FactoryProfileInfo(3)));
    apply(*dm);
    EXPECT_FALSE(fs::is_symlink(profiles() / "sub" / "VykProfile4.pfd"));
    EXPECT_EQ(vyk::test::readBytes(outside / "secret.pfd"), secret);

    // The slot's folder is replaced by a link out while the program runs: APPLY refuses that
    // file (said once) and writes everything else.
    fs::remove_all(profiles() / "sub");
    fs::create_directory_symlink(outside, profiles() / "sub");
    dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 5;
    apply(*dm);
    apply(*dm);
    found = reports(*dm);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0], "Profile 4 was not saved to \"" + qpath(profiles() / "sub") +
                            "/VykProfile4.pfd\": that file is "
                            "outside the profile folder \"" +
                            qpath(profiles()) + "/\".");
    EXPECT_FALSE(fs::exists(outside / "VykProfile4.pfd"));
    EXPECT_EQ(recordFrom<TMouseProfileInfo>(vyk::test::readBytes(valueFile(value(2))))->ConfigInfo.PointerSpeed, 5);
}

TEST_F(HostileStoreTest, StoredValuesOutsideWhatTheWindowProducesAreReplacedOnceAndReported) {
    auto bad = std::make_unique<TMouseProfileInfo>(stored_[1]);
    bad->ConfigInfo.ButtonFuncInfo[4].FunctionCode = 0x63;
    bad->ConfigInfo.ReportRate = 7;
    bad->ConfigInfo.LEDConfig.BRIGHT_LEVEL = 0xC8;
    plant(value(1), bytesOf(*bad));

    auto dm = start();
    EXPECT_EQ(reports(*dm), QStringList{"The stored profile 2 \"" + qpath(valueFile(value(1))) +
                                        "\" held settings this program cannot use; they were set back to their "
                                        "factory values."});
    auto now = slot(*dm, 1);
    EXPECT_EQ(now->ConfigInfo.ReportRate, 500);
    EXPECT_EQ(now->ConfigInfo.LEDConfig.BRIGHT_LEVEL, 2);
    EXPECT_EQ(now->ConfigInfo.ButtonFuncInfo[4].FunctionCode, FUNCTION_CODE_DPI_PLUS);
    EXPECT_EQ(now->ConfigInfo.PointerSpeed, 12) << "the rest stays";
    EXPECT_TRUE(dm->IsProfileChanged(1));
    // The same values read again by a reload: replaced again, not said again.
    ASSERT_TRUE(dm->LoadProfileInfoFromRegistry(1));
    EXPECT_EQ(slot(*dm, 1)->ConfigInfo.ReportRate, 500);
    EXPECT_TRUE(reports(*dm).isEmpty());
}

TEST_F(HostileStoreTest, TemporaryFilesOfAKilledSaveAreRemovedAtTheNextStart) {
    const std::string dead = std::to_string(std::numeric_limits<pid_t>::max());
    const std::string alive = std::to_string(::getpid());
    const std::vector<fs::path> leftovers = {
        keyDir() / (".~VykProfile1.pfd.bin." + dead + ".a1b2c3"),
        profiles() / (".~VykProfile1.pfd." + dead + ".d4e5f6"),
        profiles() / "MacroDB" / (".~MacroSet.MSDB." + dead + ".g7h8i9"),
        profiles() / (".~VykProfile2.pfd.Xy12Zq"),  // written before names carried the process
    };
    const std::vector<fs::path> kept = {
        keyDir() / (".~ProfileID.dword." + alive + ".j0k1l2"),  // a write of a running program
        profiles() / "VykProfile1.pfd",
        docs_ / (".~elsewhere." + dead + ".m3n4o5"),  // not a folder of the store
    };
    for (const auto& p : leftovers) vyk::test::writeText(p, "half");
    for (const auto& p : kept) vyk::test::writeText(p, "half");

    auto dm = start();
    for (const auto& p : leftovers) EXPECT_FALSE(fs::exists(p)) << p;
    for (const auto& p : kept) EXPECT_TRUE(fs::exists(p)) << p;
    EXPECT_EQ(bytesOf(*slot(*dm, 0)).size(), kProfile);
}
