// The data module against storage that other programs or the user changed: values that are
// not plain files, profile folders that appear during start-up, and the operations the monitor
// uses to follow the configuration program.
#include "core/store/DMUnit.h"

#include "core/defs/record_text.h"
#include "platform/registry/registry.h"
#include "tests/core/store/store_fixture.h"

#include <sys/stat.h>

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
    ASSERT_EQ(messages_.size(), 2) << messages_.join("\n").toStdString();
    EXPECT_TRUE(messages_[0].contains("VykProfile2.pfd")) << messages_[0].toStdString();
    EXPECT_TRUE(messages_[1].contains("VykProfile3.pfd")) << messages_[1].toStdString();
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
    const fs::path folder = docs_ / "not-yet";  // made by the start below
    group->ProfileSettingList[3].StorageKind = 1;
    vyk::defs::setRecordText(group->ProfileSettingList[3].FilePath, qpath(folder));
    plant("ProfileSettingGroup.pfd", bytesOf(*group));

    auto dm = start();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
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
