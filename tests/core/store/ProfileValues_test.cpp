// The values a profile may carry to the mouse: whole profiles within them are left byte for
// byte, and each value outside them is put back to the factory value of its field.
#include "core/store/ProfileValues.h"

#include "core/defs/uiKeyCode.h"
#include "tests/core/store/store_fixture.h"

#include <functional>

using vyk::store::ButtonFunctionValid;
using vyk::store::ProfileShape;
using vyk::store::profileShape;
using vyk::store::RepairProfileValues;

namespace {

class ProfileValuesTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        dm_ = start();
    }
    std::unique_ptr<TDM> dm_;
};

// A button record as the assignment menu leaves it.
TBUTTONFUNCINFO assigned(std::uint8_t type, int row, int menuID) {
    TBUTTONFUNCINFO b{};
    b.FunctionType = type;
    b.FunctionIndex = static_cast<std::uint16_t>(row);
    b.FunctionCode = ButtonFunctionTable[static_cast<std::size_t>(row)].FunctionCode;
    b.MenuID = menuID;
    return b;
}

}  // namespace

TEST_F(ProfileValuesTest, FactoryProfilesAreWithinTheValuesAndLeftByteForByte) {
    for (int i = 0; i < 5; ++i) {
        auto factory = dm_->FactoryProfileInfo(i);
        auto copy = std::make_unique<TMouseProfileInfo>(*factory);
        EXPECT_TRUE(RepairProfileValues(*copy, *factory).isEmpty()) << i;
        EXPECT_EQ(bytesOf(*copy), bytesOf(*factory)) << i;
        EXPECT_EQ(profileShape(bytesOf(*copy)), ProfileShape::Whole);
    }
    std::vector<std::uint8_t> bytes = bytesOf(*dm_->FactoryProfileInfo(0));
    bytes[0] = 0x02;
    EXPECT_EQ(profileShape(bytes), ProfileShape::WrongVersion);
    bytes.pop_back();
    EXPECT_EQ(profileShape(bytes), ProfileShape::WrongSize);
    EXPECT_EQ(profileShape({}), ProfileShape::WrongSize);
}

TEST_F(ProfileValuesTest, EveryFunctionTheMenuAssignsIsWithinTheValues) {
    // What AssignButtonFunction stores for each item, on button 4.
    std::vector<TBUTTONFUNCINFO> records;
    for (int id = 1; id <= 5; ++id) records.push_back(assigned(FUNCTION_TYPE_DEVICE, id - 1, id));
    records.back().ClickParam = 0;
    records.push_back(assigned(FUNCTION_TYPE_DEVICE, 0, 1));
    records.back().ClickParam = 1;
    auto single = assigned(FUNCTION_TYPE_SINGLE_KEY, 5, 6);
    single.SingleKey.nKeyValue1 = 0x7B;  // F12, extended 1 as the hook reports it
    single.SingleKey.nKey1Extended = 1;
    records.push_back(single);
    auto combo = assigned(FUNCTION_TYPE_COMBO_KEY, 6, 7);
    combo.ComboKey.nModifier = 15;
    combo.ComboKey.nKeyValue2 = 0x41;  // no first key, a second one
    records.push_back(combo);
    for (int k = 0; k < 8; ++k) {
        auto r = assigned(FUNCTION_TYPE_COMBO_KEY, 7 + k, 801 + k);
        GetEditComboKeyInfo(k, r.ComboKey);
        records.push_back(r);
    }
    for (int k = 0; k < 6; ++k) {
        auto r = assigned(FUNCTION_TYPE_COMBO_KEY, 15 + k, 901 + k);
        GetSystemComboKeyInfo(k, r.ComboKey);
        records.push_back(r);
    }
    for (int k = 0; k < 7; ++k) {
        auto r = assigned(FUNCTION_TYPE_CONSUMER_KEY, 21 + k, 1001 + k);
        THID_CODE_INFO media{};
        GetMediaHIDCodeInfo(k, media);
        r.HIDCode.nKeyValue1 = media.nKeyValue1 & 0xFF;
        r.HIDCode.nKeyValue2 = media.nKeyValue1 >> 8;
        records.push_back(r);
    }
    auto mute = assigned(FUNCTION_TYPE_MIC_MUTE, 28, 1008);
    std::copy(ButtonMaskTable[4].begin() + 1, ButtonMaskTable[4].end(), mute.ButtonMask);
    records.push_back(mute);
    auto macro = assigned(FUNCTION_TYPE_MACRO, 30, 1102 + 29);
    macro.MacroKeyInfo.nMacroIndex = 29;
    macro.MacroKeyInfo.nLoopRunWhenPressed = 1;
    macro.MacroKeyInfo.MacroListCount = 128;
    records.push_back(macro);
    for (const auto& [code, shots, delay] : {std::tuple{0x81, 1, 255}, {0x84, 255, 1}, {0, 2, 60}, {0x04, 3, 1}}) {
        auto fire = assigned(FUNCTION_TYPE_FIRE_KEY, 31, 12);
        fire.FireKey.KeyCode = static_cast<std::uint16_t>(code);
        fire.FireKey.nLoopCount = static_cast<std::uint16_t>(shots);
        fire.FireKey.DelyValue = static_cast<std::uint16_t>(delay);
        records.push_back(fire);
    }
    for (int id = 13; id <= 16; ++id) records.push_back(assigned(FUNCTION_TYPE_DEVICE, 32 + id - 13, id));
    auto disable = assigned(FUNCTION_TYPE_CONSUMER_KEY, 17, 17);
    disable.FunctionCode = 0;
    records.push_back(disable);
    for (auto& r : records) {
        EXPECT_TRUE(ButtonFunctionValid(r, 4)) << "menu " << r.MenuID << " row " << r.FunctionIndex;
        r.MenuID = 0;  // "take the MenuID of the row"
        if (r.FunctionCode != 0) {
            EXPECT_TRUE(ButtonFunctionValid(r, 4)) << "row " << r.FunctionIndex;
        }
    }
}

TEST_F(ProfileValuesTest, EachValueOutsideIsReplacedByItsFactoryValueAndTheRestStays) {
    const auto factory = dm_->FactoryProfileInfo(1);
    // A valid profile that differs from the factory one wherever the window allows.
    auto good = std::make_unique<TMouseProfileInfo>(*factory);
    TMOUSECONFIGINFO& g = good->ConfigInfo;
    g.ReportRate = 1000;
    g.CurrentCPIIndex = 4;
    g.CPIState[2] = {50, 16400, 0, {9, 9, 9, 9}};
    g.UseDiffentXY[2] = 0;
    g.LEDConfig = {1, 2, 3, 0, 6, 0};
    g.Sensorlift.SensorLift = 32;
    g.PointerSpeed = 99;  // the track bar clamps it; not carried to the mouse
    g.ButtonFuncInfo[9] = assigned(FUNCTION_TYPE_DEVICE, 35, 16);
    {
        auto copy = std::make_unique<TMouseProfileInfo>(*good);
        EXPECT_TRUE(RepairProfileValues(*copy, *factory).isEmpty());
        EXPECT_EQ(bytesOf(*copy), bytesOf(*good));
    }

    using Edit = std::function<void(TMOUSECONFIGINFO&)>;
    using Check = std::function<void(const TMOUSECONFIGINFO&)>;
    const TMOUSECONFIGINFO& f = factory->ConfigInfo;
    const auto sameButton = [&f](int i) {
        return [&f, i](const TMOUSECONFIGINFO& c) {
            EXPECT_EQ(c.ButtonFuncInfo[i].FunctionCode, f.ButtonFuncInfo[i].FunctionCode);
            EXPECT_EQ(c.ButtonFuncInfo[i].FunctionType, f.ButtonFuncInfo[i].FunctionType);
            EXPECT_EQ(c.ButtonFuncInfo[i].FunctionIndex, f.ButtonFuncInfo[i].FunctionIndex);
            EXPECT_EQ(c.ButtonFuncInfo[i].MenuID, f.ButtonFuncInfo[i].MenuID);
            EXPECT_EQ(c.ButtonFuncInfo[i].SingleKey.nKeyValue1, f.ButtonFuncInfo[i].SingleKey.nKeyValue1);
        };
    };
    const struct {
        const char* what;
        Edit edit;
        QString field;
        Check check;
    } cases[] = {
        {"function code 0x63", [](auto& c) { c.ButtonFuncInfo[4].FunctionCode = 0x63; }, "button 5", sameButton(4)},
        {"function code 0xFF", [](auto& c) { c.ButtonFuncInfo[0].FunctionCode = 0xFF; }, "button 1", sameButton(0)},
        {"type of another row", [](auto& c) { c.ButtonFuncInfo[6].FunctionType = FUNCTION_TYPE_MACRO; }, "button 7",
         sameButton(6)},
        {"row not in the menu", [](auto& c) { c.ButtonFuncInfo[6] = assigned(FUNCTION_TYPE_DEVICE, 36, 170101); },
         "button 7", sameButton(6)},
        {"row past the table", [](auto& c) { c.ButtonFuncInfo[6].FunctionIndex = 500; }, "button 7", sameButton(6)},
        {"menu ID of another item", [](auto& c) { c.ButtonFuncInfo[2].MenuID = 5; }, "button 3", sameButton(2)},
        {"DISABLE with a code", [](auto& c) { c.ButtonFuncInfo[5] = assigned(FUNCTION_TYPE_CONSUMER_KEY, 17, 17); },
         "button 6", sameButton(5)},
        {"macro index 0xFF",
         [](auto& c) {
             c.ButtonFuncInfo[8] = assigned(FUNCTION_TYPE_MACRO, 30, 1102);
             c.ButtonFuncInfo[8].MacroKeyInfo.nMacroIndex = 0xFF;
         },
         "button 9", sameButton(8)},
        {"macro of 200 actions",
         [](auto& c) {
             c.ButtonFuncInfo[8] = assigned(FUNCTION_TYPE_MACRO, 30, 1102);
             c.ButtonFuncInfo[8].MacroKeyInfo.MacroListCount = 200;
         },
         "button 9", sameButton(8)},
        {"single key past the key codes", [](auto& c) { c.ButtonFuncInfo[10].SingleKey.nKeyValue1 = 0x1FF; },
         "button 11", sameButton(10)},
        {"single key with flag 7", [](auto& c) { c.ButtonFuncInfo[10].SingleKey.nKey1Extended = 7; }, "button 11",
         sameButton(10)},
        {"combination modifier 0x10",
         [](auto& c) {
             c.ButtonFuncInfo[11] = assigned(FUNCTION_TYPE_COMBO_KEY, 6, 7);
             c.ButtonFuncInfo[11].ComboKey.nModifier = 0x10;
         },
         "button 12", sameButton(11)},
        {"media usage of another item",
         [](auto& c) {
             c.ButtonFuncInfo[12] = assigned(FUNCTION_TYPE_CONSUMER_KEY, 21, 1001);
             c.ButtonFuncInfo[12].HIDCode.nKeyValue1 = 0xE2;
         },
         "button 13", sameButton(12)},
        {"another button's mute mask",
         [](auto& c) {
             c.ButtonFuncInfo[13] = assigned(FUNCTION_TYPE_MIC_MUTE, 28, 1008);
             c.ButtonFuncInfo[13].ButtonMask[0] = 1;
         },
         "button 14", sameButton(13)},
        {"fire key of 0 shots", [](auto& c) { c.ButtonFuncInfo[3].FireKey.nLoopCount = 0; }, "button 4", sameButton(3)},
        {"fire key delay 300", [](auto& c) { c.ButtonFuncInfo[3].FireKey.DelyValue = 300; }, "button 4", sameButton(3)},
        {"fire key code 0x85", [](auto& c) { c.ButtonFuncInfo[3].FireKey.KeyCode = 0x85; }, "button 4", sameButton(3)},
        {"click parameter 2", [](auto& c) { c.ButtonFuncInfo[0].ClickParam = 2; }, "button 1", sameButton(0)},
        {"the fixed record as a mute", [](auto& c) { c.ButtonFuncInfo[18] = assigned(FUNCTION_TYPE_MIC_MUTE, 28, 77); },
         "button 19",
         [](const TMOUSECONFIGINFO& c) {
             EXPECT_EQ(c.ButtonFuncInfo[18].FunctionCode, FUNCTION_CODE_PROFILE_SWITCH);
             EXPECT_EQ(c.ButtonFuncInfo[18].FunctionType, FUNCTION_TYPE_FIXED);
             EXPECT_EQ(c.ButtonFuncInfo[18].MenuID, 77) << "the factory keeps it too";
         }},
        {"button count 0xFF", [](auto& c) { c.ButtonCount = 0xFF; }, "button count",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.ButtonCount, 18); }},
        {"DPI level count 0xFF", [](auto& c) { c.CPILevel = 0xFF; }, "DPI level count",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.CPILevel, 5); }},
        {"current level 5", [](auto& c) { c.CurrentCPIIndex = 5; }, "current DPI level",
         [&f](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.CurrentCPIIndex, f.CurrentCPIIndex); }},
        {"current level -1", [](auto& c) { c.CurrentCPIIndex = -1; }, "current DPI level",
         [&f](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.CurrentCPIIndex, f.CurrentCPIIndex); }},
        {"X of 0", [](auto& c) { c.CPIState[1].X = 0; }, "DPI level 2 X",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.CPIState[1].X, 2000); }},
        {"Y of 16450", [](auto& c) { c.CPIState[4].Y = 16450; }, "DPI level 5 Y",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.CPIState[4].Y, 16400); }},
        {"X off the step", [](auto& c) { c.CPIState[0].X = 1001; }, "DPI level 1 X",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.CPIState[0].X, 1000); }},
        {"enabled 0xFF", [](auto& c) { c.CPIState[3].Enabled = 0xFF; }, "DPI level 4 on/off",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.CPIState[3].Enabled, 1); }},
        {"LINK XY 2", [](auto& c) { c.UseDiffentXY[0] = 2; }, "DPI level 1 LINK XY",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.UseDiffentXY[0], 1); }},
        {"every level off",
         [](auto& c) {
             for (int l = 0; l < 5; ++l) c.CPIState[l].Enabled = 0;
         },
         "DPI levels all off",
         [](const TMOUSECONFIGINFO& c) {
             for (int l = 0; l < 5; ++l) EXPECT_EQ(c.CPIState[l].Enabled, 1);
         }},
        {"polling rate 7", [](auto& c) { c.ReportRate = 7; }, "polling rate",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.ReportRate, 500); }},
        {"brightness 0xC8", [](auto& c) { c.LEDConfig.BRIGHT_LEVEL = 0xC8; }, "brightness",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.LEDConfig.BRIGHT_LEVEL, 2); }},
        {"breathing speed 2", [](auto& c) { c.LEDConfig.BREATH_SPEED = 2; }, "breathing speed",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.LEDConfig.BREATH_SPEED, 3); }},
        {"breathing seconds 0xFF", [](auto& c) { c.LEDConfig.BREATH_SECOND = 0xFF; }, "breathing seconds",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.LEDConfig.BREATH_SECOND, 0); }},
        {"sensor lift 33", [](auto& c) { c.Sensorlift.SensorLift = 33; }, "sensor lift",
         [](const TMOUSECONFIGINFO& c) { EXPECT_EQ(c.Sensorlift.SensorLift, 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto p = std::make_unique<TMouseProfileInfo>(*good);
        c.edit(p->ConfigInfo);
        EXPECT_EQ(RepairProfileValues(*p, *factory), QStringList{c.field});
        c.check(p->ConfigInfo);
        // Everything else is as it was, and a second check finds nothing.
        EXPECT_EQ(p->ConfigInfo.PointerSpeed, 99);
        EXPECT_EQ(p->ConfigInfo.ButtonFuncInfo[9].FunctionCode, FUNCTION_CODE_PROFILE_SWITCH);
        EXPECT_EQ(p->ConfigInfo.LEDConfig.R, 1);
        auto again = std::make_unique<TMouseProfileInfo>(*p);
        EXPECT_TRUE(RepairProfileValues(*again, *factory).isEmpty());
    }
}
