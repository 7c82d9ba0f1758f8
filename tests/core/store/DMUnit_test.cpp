#include "core/store/DMUnit.h"

#include "core/defs/pubunit_norvane_config.h"
#include "core/defs/record_text.h"
#include "platform/paths/file_io.h"
#include "platform/registry/registry.h"
#include "tests/core/store/store_fixture.h"

#include <QDir>

#include <thread>

using vyk::defs::recordText;
using vyk::platform::RegistryError;

namespace {

constexpr std::size_t kProfile = sizeof(TMouseProfileInfo);

class DataModuleTest : public StoreTest {
protected:
    std::vector<std::uint8_t> storedGroup() { return vyk::test::readBytes(valueFile("ProfileSettingGroup.pfd")); }
};

}  // namespace

TEST_F(DataModuleTest, FirstStartStoresGroupAndAllGamesButNoProfiles) {
    auto dm = start();
    EXPECT_TRUE(reports(*dm).isEmpty());
    // No config.ini: the key has two levels named software.
    EXPECT_EQ(dm->ProfileRegFolder(), "software\\software\\Vykgmmouse");
    EXPECT_EQ(vyk::test::readBytes(valueFile("ProfileSettingGroup.pfd")).size(), 30964u);
    EXPECT_EQ(vyk::test::readBytes(valueFile("allsettings.pfd")).size(), 30954u);
    EXPECT_EQ(QDir(qpath(keyDir())).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(ConfigUsageAndPage.UsagePage, 0xFFA0);
    EXPECT_EQ(ConfigUsageAndPage.Usage, 1);

    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_EQ(dm->FProfileGroupIndex, 0);
    EXPECT_EQ(dm->FCurrentProfileInfo.ProfileHeader.FFileVersion, 0x103);
    EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.G, 255);
    EXPECT_EQ(dm->FAllProfileSettingInfo.Allgameset[0].SlotFlag, 1);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(dm->IsProfileChanged(i));

    const QString profiles = qpath(docs_) + "/VykProfile/";
    const TProfileSettingGroup& g = dm->FProfileSettingGroup;
    EXPECT_EQ(g.ProfileIndexOfProfileGroup[0], 0);
    EXPECT_EQ(g.ProfileIndexOfProfileGroup[1], 1);
    for (int i = 0; i < 5; ++i) {
        const TProfileSetting& s = g.ProfileSettingList[i];
        const QString n = QString::number(i + 1);
        EXPECT_EQ(recordText(s.FileName), "VykProfile" + n + ".pfd");
        EXPECT_EQ(recordText(s.FilePath), profiles);
        EXPECT_EQ(recordText(s.MacroPath), profiles + "/VykProfile" + n + "_Macros");
        EXPECT_EQ(recordText(s.KeyPath), "software\\software\\Vykgmmouse");
        EXPECT_EQ(s.StorageKind, 0);
        EXPECT_TRUE(fs::is_directory(docs_ / "VykProfile" / ("VykProfile" + n.toStdString() + "_Macros")));
    }

    // APPLY stores all five profiles in the registry and as files; the next start reads them.
    dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.R = 17;
    apply(*dm);
    for (int i = 1; i <= 5; ++i) {
        const std::string name = "VykProfile" + std::to_string(i) + ".pfd";
        EXPECT_EQ(vyk::test::readBytes(valueFile(name)).size(), kProfile);
        EXPECT_EQ(vyk::test::readBytes(docs_ / "VykProfile" / name).size(), kProfile);
    }
    const auto firstUid = dm->FCurrentProfileInfo.ProfileHeader.FProfileUID.DoubleData;
    dm.reset();
    auto again = start();
    EXPECT_EQ(again->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 17);
    EXPECT_EQ(again->FCurrentProfileInfo.ProfileHeader.FProfileUID.DoubleData, firstUid);
    EXPECT_TRUE(reports(*again).isEmpty());
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(again->IsProfileChanged(i)) << "whole, valid profiles are used as they are";
}

// The configuration window's own start: the module is made on the UI thread and started on a
// worker while the window makes its controls.
TEST_F(DataModuleTest, AModuleToldToStartLaterTouchesNothingUntilItsStartUpRunsOnAnotherThread) {
    TDM dm(nullptr, TDM::TStart::Later);
    EXPECT_FALSE(dm.Created());
    EXPECT_FALSE(fs::exists(keyDir()));
    EXPECT_TRUE(fs::is_empty(docs_));
    std::thread([&dm] { dm.DataModuleCreate(); }).join();
    EXPECT_TRUE(dm.Created());
    EXPECT_EQ(vyk::test::readBytes(valueFile("ProfileSettingGroup.pfd")).size(), 30964u);
    EXPECT_EQ(vyk::test::readBytes(valueFile("allsettings.pfd")).size(), 30954u);
    EXPECT_EQ(dm.FCurrentProfileInfo.ProfileHeader.FFileVersion, 0x103);
    EXPECT_TRUE(reports(dm).isEmpty());
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(DataModuleTest, ConfigIniChoosesKeyFoldersAndNames) {
    writeConfig(
        "[OPTIONS]\nProfileRegFolder=Acme\nprofileFolder=Mice\\Vyk\nprofilePrefix=P\nprofileMacroFolder=M\n"
        "[OtherConfig]\nNOLOGO=1\nOfficialWebsite=https://vyk.test\n"
        "[HelpFiles]\n0409=help\\en.pdf\n0804=\n0407=de.pdf\n");
    fs::create_directories(docs_ / "Mice");
    auto dm = start();
    EXPECT_TRUE(reports(*dm).isEmpty());
    EXPECT_TRUE(fs::exists(keyDir("software/Acme") / "ProfileSettingGroup.pfd.bin"));
    EXPECT_EQ(recordText(dm->FProfileSettingGroup.ProfileSettingList[2].FileName), "P3.pfd");
    EXPECT_EQ(dm->FOtherConfig.Nologo, 1);
    EXPECT_EQ(dm->FOtherConfig.OfficialWebsite, "https://vyk.test");
    EXPECT_EQ(dm->FOtherConfig.HelpFile, (QStringList{"0409=help\\en.pdf", "0407=de.pdf"}));
    EXPECT_EQ(dm->GetPersonalDocumentMacroDatabasePath(), qpath(docs_) + "/Mice/Vyk/M/MacroSet.MSDB");
    EXPECT_TRUE(fs::is_directory(docs_ / "Mice/Vyk/M"));
}

TEST_F(DataModuleTest, ConfigIniFoldersThatLeaveDocumentsAreRefusedWithAClearReport) {
    // Both would lead into this test's own folder, next to Documents.
    writeConfig("[options]\nprofileFolder=..\\Escaped\nprofileMacroFolder=../../Macros\n");
    auto dm = start();
    EXPECT_EQ(reports(*dm),
              (QStringList{"config.ini: profileFolder \"..\\Escaped\" would lead outside the Documents folder; "
                           "\"VykProfile\" is used instead.",
                           "config.ini: profileMacroFolder \"../../Macros\" would lead outside the Documents "
                           "folder; \"MacroDB\" is used instead."}));
    EXPECT_EQ(dm->GetPersonalDocumentMacroDatabasePath(), qpath(docs_) + "/VykProfile/MacroDB/MacroSet.MSDB");
    apply(*dm);
    EXPECT_TRUE(fs::exists(profiles() / "VykProfile1.pfd"));
    for (const fs::path& p : {docs_.parent_path() / "Escaped", docs_.parent_path() / "Macros"})
        EXPECT_FALSE(fs::exists(p)) << p;
}

TEST_F(DataModuleTest, APrefixTooLongForTheSlotNamesIsReplacedAndReported) {
    writeConfig("[options]\nprofilePrefix=ABCDEFGHIJKLMNOPQRSTUVWXYZ\n");
    auto dm = start();
    const QStringList found = reports(*dm);
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found[0].contains("profilePrefix"));
    // Five distinct names, so no slot overwrites another.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(recordText(dm->FProfileSettingGroup.ProfileSettingList[i].FileName),
                  QString("VykProfile%1.pfd").arg(i + 1));
    }
}

TEST_F(DataModuleTest, RestoreOfTheThirdProfileSetsItsFactoryValuesAndKeepsTheRest) {
    auto dm = start();
    ASSERT_TRUE(dm->SwitchToProfile(2));
    TMouseProfileInfo& cur = dm->FCurrentProfileInfo;
    cur.ConfigInfo.LEDConfig.R = 1;
    cur.ConfigInfo.ReportRate = 1000;
    cur.ConfigInfo.ButtonFuncInfo[18].MenuID = 77;
    cur.ConfigInfo.ButtonFuncInfo[7].FunctionType = 4;
    cur.ConfigInfo.ButtonFuncInfo[7].ClickParam = 5;
    cur.ConfigInfo.ApplicationList[9] = 0x5A;
    cur.ConfigInfo.LEDConfig.BREATH_SECOND = 9;
    cur.MacroKeyInfoList.nMacroInfoCount = 4;
    cur.MacroKeyInfoList.MacroInfos[1].szMacroName[0] = u'M';
    dm->SaveCurrentProfileInfoToRegistry();
    dm->SetProfileChanged(2, false);
    const auto stored = vyk::test::readBytes(valueFile("VykProfile3.pfd"));

    dm->RestoreCurrentProfileInfoToDefault();
    const TMOUSECONFIGINFO& c = dm->FCurrentProfileInfo.ConfigInfo;
    EXPECT_EQ(c.CurrentCPIIndex, 2);
    EXPECT_EQ(c.CPIState[2].X, 4000);
    EXPECT_EQ(c.LEDConfig.R, 0);
    EXPECT_EQ(c.LEDConfig.G, 0);
    EXPECT_EQ(c.LEDConfig.B, 255);
    EXPECT_EQ(c.LEDConfig.BRIGHT_LEVEL, 2);
    EXPECT_EQ(c.LEDConfig.BREATH_SPEED, 3);
    EXPECT_EQ(c.LEDConfig.BREATH_SECOND, 9);
    EXPECT_EQ(c.ReportRate, 500);
    EXPECT_EQ(c.VWheelSpeed, 3);
    EXPECT_EQ(c.DoubleClickSpeed, 550);
    EXPECT_EQ(c.PointerSpeed, 10);
    EXPECT_EQ(c.CPILevel, 5);
    EXPECT_EQ(c.ButtonCount, 18);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(c.CPIState[i].Y, (std::array<int, 5>{1000, 2000, 4000, 8200, 16400}[i]));
        EXPECT_EQ(c.CPIState[i].Enabled, 1);
        EXPECT_EQ(c.UseDiffentXY[i], 1);
    }

    struct Row {
        int type, index, code, menu, key;
    };
    const Row rows[19] = {
        {1, 0, 1, 1, 0},     {1, 1, 2, 2, 0},     {1, 2, 3, 3, 0},     {13, 31, 25, 12, 0}, {1, 33, 10, 14, 0},
        {1, 34, 9, 15, 0},   {8, 5, 16, 6, 0x31}, {8, 5, 16, 6, 0x32}, {8, 5, 16, 6, 0x33}, {8, 5, 16, 6, 0x34},
        {8, 5, 16, 6, 0x35}, {8, 5, 16, 6, 0x36}, {8, 5, 16, 6, 0x37}, {8, 5, 16, 6, 0x38}, {8, 5, 16, 6, 0x39},
        {8, 5, 16, 6, 0x30}, {8, 5, 16, 6, 107},  {8, 5, 16, 6, 109},  {0, 0, 13, 77, 0},
    };
    for (int i = 0; i < 19; ++i) {
        const TBUTTONFUNCINFO& b = c.ButtonFuncInfo[i];
        EXPECT_EQ(b.ButtonIndex, i);
        EXPECT_EQ(b.FunctionType, rows[i].type) << i;
        EXPECT_EQ(b.FunctionIndex, rows[i].index) << i;
        EXPECT_EQ(b.FunctionCode, rows[i].code) << i;
        EXPECT_EQ(b.MenuID, rows[i].menu) << i;  // record 18 keeps its earlier MenuID
        EXPECT_EQ(b.SingleKey.nKeyValue1, rows[i].key) << i;
        EXPECT_EQ(b.ClickParam, 0) << i;
    }
    EXPECT_EQ(c.ButtonFuncInfo[3].FireKey.nLoopCount, 3);
    EXPECT_EQ(c.ButtonFuncInfo[3].FireKey.DelyValue, 1);
    EXPECT_EQ(c.ButtonFuncInfo[3].FireKey.KeyCode, 0x81);
    // Unlisted bytes and the macro list are the replaced profile's.
    EXPECT_EQ(c.ApplicationList[9], 0x5A);
    EXPECT_EQ(dm->FCurrentProfileInfo.MacroKeyInfoList.nMacroInfoCount, 4);
    EXPECT_EQ(dm->FCurrentProfileInfo.MacroKeyInfoList.MacroInfos[1].szMacroName[0], u'M');
    // Flagged for the mouse, nothing stored yet.
    EXPECT_TRUE(dm->IsProfileChanged(2));
    EXPECT_EQ(vyk::test::readBytes(valueFile("VykProfile3.pfd")), stored);
    EXPECT_EQ(bytesOf(*slot(*dm, 2)), bytesOf(dm->FCurrentProfileInfo));
}

TEST_F(DataModuleTest, ResetAllGivesEachGameItsColourAndLevel) {
    auto dm = start();
    dm->SwitchToProfile(4);
    dm->RestoreAllProfileInfoToDefault();
    const std::uint8_t colours[5][3] = {{255, 255, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}, {255, 0, 0}};
    auto game3 = slot(*dm, 2);
    for (int i = 0; i < 5; ++i) {
        auto p = slot(*dm, i);
        EXPECT_TRUE(dm->IsProfileChanged(i));
        EXPECT_EQ(p->ConfigInfo.CurrentCPIIndex, i);
        EXPECT_EQ(p->ConfigInfo.LEDConfig.R, colours[i][0]) << i;
        EXPECT_EQ(p->ConfigInfo.LEDConfig.G, colours[i][1]) << i;
        EXPECT_EQ(p->ConfigInfo.LEDConfig.B, colours[i][2]) << i;
        if (i >= 3) {
            // Games 4 and 5 are game 3 with their own colour and level.
            p->ConfigInfo.LEDConfig = game3->ConfigInfo.LEDConfig;
            p->ConfigInfo.CurrentCPIIndex = 2;
            p->ProfileHeader.FProfileUID = game3->ProfileHeader.FProfileUID;
            EXPECT_EQ(bytesOf(*p), bytesOf(*game3)) << i;
        }
    }
    EXPECT_EQ(bytesOf(dm->FCurrentProfileInfo), bytesOf(*slot(*dm, 4)));
}

TEST_F(DataModuleTest, RestoreOperationsCheckTheirIndexes) {
    auto dm = start();
    EXPECT_FALSE(dm->RestoreProfileInfoToDefault(7));
    EXPECT_FALSE(dm->RestoreProfileInfoToDefault(-1));
    EXPECT_FALSE(dm->RestoreProfileGroupToDefault(2));
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(dm->IsProfileChanged(i));

    // Group 1 names slot 1, which is not current: restored without its flag.
    auto edited = slot(*dm, 1);
    edited->ConfigInfo.LEDConfig.R = 3;
    dm->SaveBackToProfileInfo(*edited, 1);
    EXPECT_TRUE(dm->RestoreProfileGroupToDefault(1));
    EXPECT_EQ(slot(*dm, 1)->ConfigInfo.LEDConfig.R, 0);
    EXPECT_FALSE(dm->IsProfileChanged(1));
    // Group 0 names the current slot 0.
    dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.R = 3;
    EXPECT_TRUE(dm->RestoreProfileGroupToDefault(0));
    EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.R, 255);
    EXPECT_TRUE(dm->IsProfileChanged(0));
    EXPECT_TRUE(dm->RestoreProfileInfoToDefault(3));
    EXPECT_TRUE(dm->IsProfileChanged(3));
}

TEST_F(DataModuleTest, PartialRestoresAndTheTestProfile) {
    auto dm = start();
    TMOUSECONFIGINFO& c = dm->FCurrentProfileInfo.ConfigInfo;
    c.CPILevel = 3;
    dm->RestoreToDefaultCPISetting();
    EXPECT_EQ(c.CurrentCPIIndex, 1);
    EXPECT_EQ(c.CPIState[3].X, 8200);
    EXPECT_EQ(c.CPIState[3].Enabled, 1);
    EXPECT_EQ(c.CPIState[4].X, 0);
    EXPECT_EQ(c.CPIState[4].Enabled, 0);
    EXPECT_EQ(c.UseDiffentXY[0], 0);
    EXPECT_EQ(c.UseDiffentXY[4], 1);
    EXPECT_EQ(c.CPILevel, 3);
    dm->RestoreToDefaultLightAndReportAdvancedSetting();
    EXPECT_EQ(c.ReportRate, 125);
    EXPECT_EQ(c.LEDConfig.R, 255);
    EXPECT_EQ(c.LEDConfig.G, 0);
    EXPECT_FALSE(dm->IsProfileChanged(0));

    dm->InitTestDefaultValue();
    const TMOUSECONFIGINFO& t = dm->FTestProfileInfo.ConfigInfo;
    EXPECT_EQ(t.ButtonCount, 19);
    EXPECT_EQ(t.ReportRate, 125);
    EXPECT_EQ(t.ButtonFuncInfo[3].FunctionCode, 5);
    EXPECT_EQ(t.ButtonFuncInfo[4].FunctionCode, 4);
    EXPECT_EQ(t.ButtonFuncInfo[18].FunctionType, 11);
    EXPECT_EQ(t.ButtonFuncInfo[18].ButtonMask[2], 0x04);
    EXPECT_EQ(t.ButtonFuncInfo[8].ButtonMask[1], 0x01);
    EXPECT_EQ(t.LEDConfig.BREATH_SPEED, 2);
    EXPECT_EQ(dm->FDefaultProfileInfo.ConfigInfo.LEDConfig.G, 255);
    EXPECT_EQ(dm->FDefaultProfileInfo.ConfigInfo.ButtonCount, 18);
    EXPECT_FALSE(fs::exists(valueFile("R7730ProfileTest.pfd")));
    EXPECT_FALSE(fs::exists(valueFile("R7730ProfileDef.pfd")));

    TuiProfileStream empty;
    dm->uiProfileTestRestoreToDefault(empty);
    EXPECT_TRUE(empty.empty());
}

TEST_F(DataModuleTest, SwitchingAndSaveBack) {
    auto dm = start();
    const auto current = bytesOf(dm->FCurrentProfileInfo);
    EXPECT_FALSE(dm->SwitchToProfile(5));
    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_EQ(dm->FAllProfileSettingInfo.CurrentGame, 0);
    EXPECT_EQ(bytesOf(dm->FCurrentProfileInfo), current);

    ASSERT_TRUE(dm->SwitchToProfile(2));
    dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 20;
    dm->SaveBackToCurrentProfileInfo();
    EXPECT_TRUE(dm->IsProfileChanged(2));
    EXPECT_FALSE(fs::exists(valueFile("VykProfile3.pfd")));
    EXPECT_EQ(slot(*dm, 2)->ConfigInfo.PointerSpeed, 20);

    ASSERT_TRUE(dm->SwitchToProfile(3));
    dm->SaveBackAllProfileSettingInfo();  // what a profile button does
    dm.reset();
    auto again = start();
    EXPECT_EQ(again->FProfileIndex, 3);
    EXPECT_EQ(again->FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex, 3);
}

TEST_F(DataModuleTest, MacroIndexListHoldsEachUsedSlotOnceInOrder) {
    auto dm = start();
    auto p0 = slot(*dm, 0);
    p0->ConfigInfo.ButtonFuncInfo[2].FunctionType = 4;
    p0->ConfigInfo.ButtonFuncInfo[2].MacroKeyInfo.nMacroIndex = 3;
    p0->ConfigInfo.ButtonFuncInfo[9].FunctionType = 4;
    p0->ConfigInfo.ButtonFuncInfo[9].MacroKeyInfo.nMacroIndex = 3;
    p0->ConfigInfo.ButtonFuncInfo[18].FunctionType = 4;  // past ButtonCount 18: not counted
    p0->ConfigInfo.ButtonFuncInfo[18].MacroKeyInfo.nMacroIndex = 9;
    dm->SaveBackToProfileInfo(*p0, 0);
    auto p4 = slot(*dm, 4);
    p4->ConfigInfo.ButtonFuncInfo[0].FunctionType = 4;
    p4->ConfigInfo.ButtonFuncInfo[0].MacroKeyInfo.nMacroIndex = 0;
    p4->ConfigInfo.ButtonCount = 1000;  // a damaged count reads at most 19 records
    dm->SaveBackToProfileInfo(*p4, 4);
    EXPECT_EQ(dm->GetAllProfilesMacroIndexList(), (QList<int>{3, 0}));
}

TEST_F(DataModuleTest, AWronglyTypedValueIsReportedAndTheRestStillLoads) {
    auto seed = start();
    seed->SwitchToProfile(1);
    seed->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 13;
    seed->SaveCurrentProfileInfoToRegistry();
    seed->SaveBackAllProfileSettingInfo();
    seed.reset();
    auto key = vyk::platform::RegistryKey::open(HKEY_CURRENT_USER, "software\\software\\Vykgmmouse", false);
    ASSERT_TRUE(key);
    key->deleteValue("ProfileSettingGroup.pfd");
    key->writeString("ProfileSettingGroup.pfd", "garbage");
    key->writeDword("VykProfile3.pfd", 5);

    auto dm = start();
    const QStringList found = reports(*dm);
    ASSERT_EQ(found.size(), 2) << found.join("\n").toStdString();
    EXPECT_TRUE(found[0].contains("ProfileSettingGroup.pfd"));
    EXPECT_TRUE(found[1].contains("VykProfile3.pfd"));
    // Usable: factory group in memory, the good profile loaded, the bad slot at factory values.
    EXPECT_EQ(recordText(dm->FProfileSettingGroup.ProfileSettingList[1].FileName), "VykProfile2.pfd");
    EXPECT_EQ(dm->FProfileIndex, 1);
    EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed, 13);
    EXPECT_EQ(slot(*dm, 2)->ConfigInfo.LEDConfig.B, 255);
    // Nothing was overwritten behind the user's back.
    EXPECT_EQ(key->valueType("ProfileSettingGroup.pfd"), vyk::platform::RegValueType::String);
    EXPECT_EQ(key->valueType("VykProfile3.pfd"), vyk::platform::RegValueType::Dword);
    // The monitor's reload of a bad value raises the named error.
    EXPECT_THROW(dm->LoadProfileGroupSettingInfoFromRegistry(), RegistryError);
}

TEST_F(DataModuleTest, StoredIndexesOutOfRangeNeverReachPastTheFiveSlots) {
    auto seed = start();
    seed->SaveBackAllProfileInfoToRegistry();
    seed.reset();
    auto group = recordFrom<TProfileSettingGroup>(storedGroup());
    auto all = recordFrom<TALLGAMESINFO>(vyk::test::readBytes(valueFile("allsettings.pfd")));

    struct Case {
        std::int32_t group, index0;
        std::uint16_t currentGame;
        int expectedIndex;
        bool reported;
    };
    const Case cases[] = {
        {0, 3, 40, 3, false},    // CurrentGame garbage: the group's slot
        {7, 2, 65535, 2, true},  // group garbage: group 0 is used, and reported
        {-1, 99, 300, 0, true},  // both garbage: slot 0
        {0, 4, 1, 1, false},     // all valid: CurrentGame wins
    };
    for (const Case& c : cases) {
        group->CurrentProfileGroup = c.group;
        group->ProfileIndexOfProfileGroup[0] = c.index0;
        all->CurrentGame = c.currentGame;
        plant("ProfileSettingGroup.pfd", bytesOf(*group));
        plant("allsettings.pfd", bytesOf(*all));
        auto dm = start();
        EXPECT_EQ(dm->FProfileIndex, c.expectedIndex) << c.group << "/" << c.index0 << "/" << c.currentGame;
        EXPECT_EQ(dm->FAllProfileSettingInfo.CurrentGame, c.expectedIndex);
        EXPECT_EQ(dm->FProfileGroupIndex, 0);
        EXPECT_EQ(reports(*dm).size(), c.reported ? 1 : 0);
        EXPECT_EQ(bytesOf(dm->FCurrentProfileInfo), bytesOf(*slot(*dm, c.expectedIndex)));
        if (c.index0 > 4) {
            EXPECT_FALSE(dm->SwitchToProfileGroup(0));
            EXPECT_FALSE(dm->RestoreProfileGroupToDefault(0));
        }
    }
}

TEST_F(DataModuleTest, ADamagedSettingGroupNeverLetsOneRecordOverwriteAnother) {
    auto seed = start();
    auto group = recordFrom<TProfileSettingGroup>(storedGroup());
    seed.reset();
    vyk::defs::setRecordText(group->ProfileSettingList[1].FileName, u"vykprofile1.PFD");  // slot 0's value
    vyk::defs::setRecordText(group->ProfileSettingList[2].FileName, u"AllSettings.pfd");  // the all-games record
    vyk::defs::setRecordText(group->ProfileSettingList[3].FileName, u"");
    plant("ProfileSettingGroup.pfd", bytesOf(*group));
    const auto allGames = vyk::test::readBytes(valueFile("allsettings.pfd"));

    auto dm = start();
    const QStringList found = reports(*dm);
    ASSERT_EQ(found.size(), 3) << found.join("\n").toStdString();
    EXPECT_TRUE(found[0].startsWith("The profile settings give profile 2 the file name \"vykprofile1.PFD\""));
    EXPECT_TRUE(found[1].contains("\"AllSettings.pfd\""));
    EXPECT_TRUE(found[2].contains("profile 4 the file name \"\""));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dm->FProfileGroup[i]->FileName(), QString("VykProfile%1.pfd").arg(i + 1)) << i;
        EXPECT_EQ(recordText(dm->FProfileSettingGroup.ProfileSettingList[i].FileName),
                  QString("VykProfile%1.pfd").arg(i + 1))
            << i;
    }
    dm->SwitchToProfile(2);
    dm->FCurrentProfileInfo.ConfigInfo.PointerSpeed = 9;
    apply(*dm);
    EXPECT_EQ(vyk::test::readBytes(valueFile("allsettings.pfd")), allGames);
    EXPECT_EQ(recordFrom<TMouseProfileInfo>(vyk::test::readBytes(valueFile("VykProfile1.pfd")))->ConfigInfo.LEDConfig.R,
              255);  // game 1 yellow, not game 2 green
    EXPECT_EQ(
        recordFrom<TMouseProfileInfo>(vyk::test::readBytes(valueFile("VykProfile3.pfd")))->ConfigInfo.PointerSpeed, 9);

    // A group cut short names no value at all: the slots take their factory names too.
    plant("ProfileSettingGroup.pfd", std::vector<std::uint8_t>(12, 0));
    dm.reset();
    auto cut = start();
    EXPECT_EQ(reports(*cut),
              QStringList{"The stored profile settings \"" + qpath(valueFile("ProfileSettingGroup.pfd")) +
                          "\" are damaged (12 bytes instead of 30964); the factory settings are used."});
    EXPECT_EQ(cut->FProfileGroup[4]->FileName(), "VykProfile5.pfd");
    EXPECT_EQ(slot(*cut, 2)->ConfigInfo.PointerSpeed, 9);
}

TEST_F(DataModuleTest, FileKindSlotsLoadFromTheirFileOrCreateIt) {
    auto seed = start();
    auto group = recordFrom<TProfileSettingGroup>(storedGroup());
    auto marked = seed->FactoryProfileInfo(4);
    seed.reset();
    const fs::path custom = profiles() / "custom";
    group->ProfileSettingList[3].StorageKind = 1;
    vyk::defs::setRecordText(group->ProfileSettingList[3].FilePath, qpath(custom));  // no trailing separator
    group->ProfileSettingList[4].StorageKind = 1;
    vyk::defs::setRecordText(group->ProfileSettingList[4].FilePath, qpath(custom) + "/");
    plant("ProfileSettingGroup.pfd", bytesOf(*group));
    fs::create_directories(custom);
    marked->ConfigInfo.PointerSpeed = 19;
    vyk::test::writeBytes(custom / "VykProfile5.pfd", bytesOf(*marked));

    auto dm = start();
    EXPECT_TRUE(reports(*dm).isEmpty());
    EXPECT_EQ(bytesOf(*slot(*dm, 4)), bytesOf(*marked));
    EXPECT_FALSE(dm->IsProfileChanged(4));
    // The missing file was made with the factory values of game 4.
    ASSERT_TRUE(fs::exists(custom / "VykProfile4.pfd"));
    EXPECT_EQ(
        recordFrom<TMouseProfileInfo>(vyk::test::readBytes(custom / "VykProfile4.pfd"))->ConfigInfo.CurrentCPIIndex, 3);
    EXPECT_FALSE(fs::exists(valueFile("VykProfile4.pfd")));
}

TEST_F(DataModuleTest, AStoreThatCannotBeWrittenGivesClearErrors) {
    vyk::test::writeText(registry_ / "file", "x");
    vyk::test::ScopedEnv env("VYK_REGISTRY_ROOT", (registry_ / "file/registry").string());
    auto dm = start();
    const QStringList found = reports(*dm);
    ASSERT_FALSE(found.isEmpty());
    EXPECT_TRUE(found[0].contains("ProfileSettingGroup.pfd")) << found[0].toStdString();
    // Still usable with factory values.
    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.LEDConfig.G, 255);
    EXPECT_THROW(dm->SaveCurrentProfileInfoToRegistry(), RegistryError);
    EXPECT_THROW(dm->SaveBackAllProfileSettingInfo(), RegistryError);
}

TEST_F(DataModuleTest, DocumentsThatCannotBeCreatedAreReportedAndTheRegistryStillWorks) {
    vyk::test::writeText(docs_ / "file", "x");
    vyk::test::ScopedEnv env("VYK_DOCUMENTS_DIR", (docs_ / "file/Documents").string());
    auto dm = start();
    const QStringList found = reports(*dm);
    ASSERT_EQ(found.size(), 1) << found.join("\n").toStdString();
    EXPECT_TRUE(found[0].contains("VykProfile"));
    EXPECT_EQ(recordText(dm->FProfileSettingGroup.ProfileSettingList[4].FileName), "VykProfile5.pfd");
    dm->SaveBackAllProfileInfoToFile();  // no folder: skipped
    dm->SaveBackAllProfileInfoToRegistry();
    EXPECT_TRUE(fs::exists(valueFile("VykProfile5.pfd")));
    EXPECT_THROW(dm->GetPersonalDocumentMacroDatabasePath(), vyk::platform::FileError);
}

TEST_F(DataModuleTest, ChangeCurrentProfileFileRefusesNamesThatDoNotFit) {
    auto dm = start();
    const fs::path dir = profiles() / "elsewhere";
    fs::create_directories(dir);
    for (const char* taken : {"a_name_longer_than_twenty.pfd", "VYKPROFILE2.pfd", "allsettings.pfd", "", ".."})
        EXPECT_FALSE(dm->ChangeCurrentProfileFileNameAndPath(qpath(dir) + "/" + taken)) << taken;
    // Only a folder inside the profile folder.
    for (const fs::path& outside : {vyk::test::freshDir("elsewhere"), docs_, profiles() / ".." / "x"})
        EXPECT_FALSE(dm->ChangeCurrentProfileFileNameAndPath(qpath(outside / "mine.pfd"))) << outside;
    EXPECT_EQ(recordText(dm->FProfileSettingGroup.ProfileSettingList[0].FileName), "VykProfile1.pfd");
    EXPECT_TRUE(dm->ChangeCurrentProfileFileNameAndPath(qpath(dir / "mine.pfd")));
    EXPECT_EQ(dm->uiProfileGame1->FileName(), "mine.pfd");
    EXPECT_EQ(dm->uiProfileGame1->FilePath(), qpath(dir) + "/");
    EXPECT_EQ(recordText(dm->FProfileSettingGroup.ProfileSettingList[0].FilePath), qpath(dir) + "/");
}

TEST_F(DataModuleTest, TheMonitorsReloadsFollowTheRegistry) {
    auto cfg = start();
    auto mon = std::make_unique<TDM>();
    cfg->SwitchToProfile(0);
    TBUTTONFUNCINFO& mute = cfg->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[5];  // MUTE(MICROPHONE)
    mute.FunctionType = 11;
    mute.FunctionIndex = 28;
    mute.FunctionCode = 19;
    mute.MenuID = 1008;
    std::copy(ButtonMaskTable[5].begin() + 1, ButtonMaskTable[5].end(), mute.ButtonMask);
    cfg->FAllProfileSettingInfo.CurrentLanguage = 2;
    cfg->SaveCurrentProfileInfoToRegistry();
    cfg->SaveBackAllProfileSettingInfo();
    cfg->SaveProfileGroupSettingInfoToRegistry();

    mon->LoadProfileGroupSettingInfoFromRegistry();
    mon->LoadAllProfileInfoFromRegistry();
    EXPECT_TRUE(mon->LoadCurrentProfileInfoFromRegistry());
    EXPECT_EQ(mon->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[5].FunctionType, 11);
    EXPECT_EQ(mon->FAllProfileSettingInfo.CurrentLanguage, 2);

    TMACROKEYINFO rec{};
    rec.MacroListCount = 2;
    mon->SaveBackRecordMacroInfoToRegistry(rec);
    cfg->LoadRecordMacroInfoFromRegistry();
    EXPECT_EQ(cfg->FRecordMacroInfo.MacroListCount, 2);
    EXPECT_EQ(vyk::test::readBytes(valueFile("RecordRPROFILE.pfd")).size(), sizeof(TMACROKEYINFO));
}

TEST_F(DataModuleTest, TheShippedConfigIniGivesTheFactoryLocations) {
    const fs::path shipped = fs::path(VYK_TEST_SOURCE_DIR) / "resources/config.ini";
    ASSERT_TRUE(fs::exists(shipped)) << shipped;
    fs::copy_file(shipped, exe_ / "config.ini");
    auto dm = start();
    EXPECT_TRUE(reports(*dm).isEmpty());
    EXPECT_EQ(dm->ProfileRegFolder(), "software\\software\\Vykgmmouse");
    EXPECT_TRUE(fs::exists(valueFile("ProfileSettingGroup.pfd")));
    EXPECT_EQ(dm->GetPersonalDocumentMacroDatabasePath(), qpath(docs_) + "/VykProfile/MacroDB/MacroSet.MSDB");
    EXPECT_EQ(dm->FOtherConfig.Nologo, 0);
    // No placeholder addresses: the INFO page hides both lines.
    EXPECT_EQ(dm->FOtherConfig.OfficialWebsite, "");
    EXPECT_EQ(dm->FOtherConfig.SupportEmail, "");
    EXPECT_EQ(dm->FOtherConfig.HelpFile, (QStringList{"0409=help/vyk-help-en.html", "0804=help/vyk-help-zh-cn.html",
                                                      "0404=help/vyk-help-zh-tw.html"}));
}
