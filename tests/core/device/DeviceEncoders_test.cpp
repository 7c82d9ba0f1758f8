#include "core/device/DeviceEncoders.h"
#include "tests/core/device/encoder_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using enctest::action;
using enctest::Bytes;
using enctest::hex;

// A zeroed profile on the heap (it is 139 KiB), so that a write past a record shows up.
std::unique_ptr<TMouseProfileInfo> newProfile() { return std::make_unique<TMouseProfileInfo>(); }

void setActions(TMACROKEYINFO& m, std::initializer_list<TMACROKEY> actions) {
    int i = 0;
    for (const TMACROKEY& a : actions) m.MacroList[i++] = a;
    m.MacroListCount = i;
}

// A button record whose every parameter field holds noise, so an encoder that reads the wrong
// field is caught; the case then sets the fields its code uses.
TBUTTONFUNCINFO noisyButton(int functionCode) {
    TBUTTONFUNCINFO b;
    std::memset(&b, 0x5A, sizeof b);
    b.MacroKeyInfo.MacroListCount = 7;
    b.FunctionCode = functionCode;
    return b;
}

// ---------------------------------------------------------------------------------------------
// Button table

struct ButtonCase {
    const char* name;
    TBUTTONFUNCINFO button;
    std::string entry;
};

std::vector<ButtonCase> buttonCases() {
    std::vector<ButtonCase> cases;
    auto add = [&](const char* name, int code, auto&& set, std::string entry) {
        TBUTTONFUNCINFO b = noisyButton(code);
        set(b);
        cases.push_back({name, b, entry});
    };
    auto none = [](TBUTTONFUNCINFO&) {};

    // One case per line: its name, function code, the fields it sets and the entry expected.
    // clang-format off
    add("click", 1, [](auto& b) { b.ClickParam = 1; }, "01 01 00 00");
    add("click, parameter low byte", 1, [](auto& b) { b.ClickParam = 0x1234; }, "01 34 00 00");
    for (int code : {2, 3, 4, 5, 8, 9, 10, 13}) {
        const std::uint8_t c = static_cast<std::uint8_t>(code);
        add("device function without parameters", code, none, hex(&c, 1) + " 00 00 00");
    }
    add("code 11", 11, [](auto& b) { b.ParamByte = 0x21; }, "0B 21 00 00");
    add("code 12", 12, [](auto& b) { b.ParamByte = 0x22; }, "0C 22 00 00");
    add("consumer play/pause", 14, [](auto& b) { b.HIDCode = {0xCD, 0x00, 0}; }, "0E 00 CD 00");
    add("consumer 0x183", 14, [](auto& b) { b.HIDCode = {0x83, 0x01, 0}; }, "0E 00 83 01");
    add("combination Ctrl+C", 15,
        [](auto& b) { b.ComboKey.nModifier = 2; b.ComboKey.nKeyValue1 = 'C'; b.ComboKey.nKey1Extended = 0;
                      b.ComboKey.nKeyValue2 = 0; b.ComboKey.nKey2Extended = 0; },
        "0F 01 06 00");
    add("combination Alt+Shift+PageUp(ext)+A", 15,
        [](auto& b) { b.ComboKey.nModifier = 1 | 4; b.ComboKey.nKeyValue1 = 0x21; b.ComboKey.nKey1Extended = 1;
                      b.ComboKey.nKeyValue2 = 'A'; b.ComboKey.nKey2Extended = 0; },
        "0F 06 4B 04");
    add("combination Win+keypad PageUp", 15,
        [](auto& b) { b.ComboKey.nModifier = 8; b.ComboKey.nKeyValue1 = 0x21; b.ComboKey.nKey1Extended = 0;
                      b.ComboKey.nKeyValue2 = 0; b.ComboKey.nKey2Extended = 0; },
        "0F 08 61 00");
    add("single key A", 16, [](auto& b) { b.SingleKey.nKeyValue1 = 0x41; b.SingleKey.nKey1Extended = 0; },
        "10 00 04 00");
    add("single key keypad Enter", 16, [](auto& b) { b.SingleKey.nKeyValue1 = 0x0D; b.SingleKey.nKey1Extended = 1; },
        "10 00 58 00");
    add("single key F12", 16, [](auto& b) { b.SingleKey.nKeyValue1 = 0x7B; b.SingleKey.nKey1Extended = 0; },
        "10 00 45 00");
    add("single key right Ctrl", 16, [](auto& b) { b.SingleKey.nKeyValue1 = 0xA3; b.SingleKey.nKey1Extended = 1; },
        "10 00 E4 00");
    // Consumer-page keys have no keyboard usage: no key rather than the key their low byte names.
    add("single key Volume Mute", 16, [](auto& b) { b.SingleKey.nKeyValue1 = 0xAD; b.SingleKey.nKey1Extended = 0; },
        "10 00 00 00");
    add("combination Ctrl+Browser Back", 15,
        [](auto& b) { b.ComboKey.nModifier = 2; b.ComboKey.nKeyValue1 = 0xA6; b.ComboKey.nKey1Extended = 1;
                      b.ComboKey.nKeyValue2 = 0xB7; b.ComboKey.nKey2Extended = 0; },
        "0F 01 00 00");
    add("single key without usage", 16, [](auto& b) { b.SingleKey.nKeyValue1 = 0x10; b.SingleKey.nKey1Extended = 0; },
        "10 00 00 00");
    add("macro, 3 actions, loop while pressed", 17,
        [](auto& b) { b.MacroKeyInfo.MacroListCount = 3; b.MacroKeyInfo.nMacroIndex = 2;
                      b.MacroKeyInfo.nLoopRunWhenPressed = 1; },
        "11 82 0C 00");
    add("macro, empty", 17,
        [](auto& b) { b.MacroKeyInfo.MacroListCount = 0; b.MacroKeyInfo.nMacroIndex = 2;
                      b.MacroKeyInfo.nLoopRunWhenPressed = 0; },
        "11 02 00 00");
    add("macro, 59 actions fill the block", 17,
        [](auto& b) { b.MacroKeyInfo.MacroListCount = 59; b.MacroKeyInfo.nMacroIndex = 29;
                      b.MacroKeyInfo.nLoopRunWhenPressed = 0; },
        "11 1D B4 00");
    add("macro, 128 actions announce what the block holds", 17,
        [](auto& b) { b.MacroKeyInfo.MacroListCount = 128; b.MacroKeyInfo.nMacroIndex = 0;
                      b.MacroKeyInfo.nLoopRunWhenPressed = 2; },
        "11 80 B4 00");
    add("macro, negative count", 17,
        [](auto& b) { b.MacroKeyInfo.MacroListCount = -4; b.MacroKeyInfo.nMacroIndex = 1;
                      b.MacroKeyInfo.nLoopRunWhenPressed = 0; },
        "11 01 00 00");
    add("code 18", 18, [](auto& b) { b.ExtraParam = 0x1234; }, "12 00 00 34");
    add("microphone mute, button 18", 19,
        [](auto& b) { b.ButtonMask[0] = 0x00; b.ButtonMask[1] = 0x00; b.ButtonMask[2] = 0x04; },
        "13 00 00 04");
    add("fire key", 25,
        [](auto& b) { b.FireKey.KeyCode = 0x81; b.FireKey.nLoopCount = 3; b.FireKey.DelyValue = 60; },
        "19 81 03 3C");
    add("unknown code", 7, none, "07 00 00 00");
    add("code with high bits", 0x10F, none, "0F 00 00 00");
    add("disabled (code 0)", 0, none, "00 00 00 00");
    // clang-format on
    return cases;
}

TEST(ButtonTableTest, EntryOfEveryFunctionCode) {
    for (const ButtonCase& c : buttonCases()) {
        SCOPED_TRACE(c.name);
        auto profile = newProfile();
        profile->ConfigInfo.ButtonCount = 19;
        for (int k = 0; k < 19; ++k) profile->ConfigInfo.ButtonFuncInfo[k] = noisyButton(99);
        profile->ConfigInfo.ButtonFuncInfo[5] = c.button;
        TButtonTable table;
        table.fill(0xEE);
        BuildButtonTable(*profile, table);
        EXPECT_EQ(table[0], 19);
        EXPECT_EQ(hex(table.data() + 1 + 4 * 5, 4), c.entry);
        EXPECT_EQ(hex(table.data() + 1 + 4 * 4, 4), "63 00 00 00");  // code 99: no parameters
    }
}

TEST(ButtonTableTest, EntriesAtAndBeyondTheCountAreZero) {
    struct Case {
        std::int32_t count;
        int byte0;
        int encoded;
    };
    // The count is the stored count's low byte; a byte above 19 encodes the 19 records there
    // are. Byte 0 names the buttons actually encoded.
    const Case cases[] = {{18, 18, 18},  {19, 19, 19}, {0, 0, 0},      {1, 1, 1},     {20, 19, 19},
                          {255, 19, 19}, {256, 0, 0},  {258, 2, 2},    {275, 19, 19}, {INT_MAX, 19, 19},
                          {-1, 19, 19},  {-254, 2, 2}, {INT_MIN, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        auto profile = newProfile();
        for (int k = 0; k < 19; ++k) {
            profile->ConfigInfo.ButtonFuncInfo[k].FunctionCode = 1;
            profile->ConfigInfo.ButtonFuncInfo[k].ClickParam = k + 1;
        }
        profile->ConfigInfo.ButtonCount = c.count;
        TButtonTable table;
        table.fill(0xEE);
        BuildButtonTable(*profile, table);
        EXPECT_EQ(table[0], c.byte0);
        for (int k = 0; k < 19; ++k) {
            const Bytes expected = k < c.encoded ? Bytes{1, std::uint8_t(k + 1), 0, 0} : Bytes{0, 0, 0, 0};
            EXPECT_EQ(hex(table.data() + 1 + 4 * k, 4), hex(expected)) << "slot " << k;
        }
    }
}

TEST(ButtonTableTest, DeviceOrderThenEncodeAsApplyDoes) {
    auto profile = newProfile();
    for (int k = 0; k < 19; ++k) {
        profile->ConfigInfo.ButtonFuncInfo[k].ButtonIndex = static_cast<std::uint16_t>(k);
        profile->ConfigInfo.ButtonFuncInfo[k].FunctionCode = 1;
        profile->ConfigInfo.ButtonFuncInfo[k].ClickParam = k;  // tells the records apart
    }
    profile->ConfigInfo.ButtonFuncInfo[18].FunctionCode = 13;  // the fixed profile switch
    profile->ConfigInfo.ButtonCount = 19;

    ReorderButtonFunctions(*profile, DeviceButtonOrder);
    TButtonTable table;
    BuildButtonTable(*profile, table);

    const int expectedRecord[19] = {0, 1, 2, 6, 7, 8, 3, 5, 4, 18, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    for (int k = 0; k < 19; ++k) {
        EXPECT_EQ(profile->ConfigInfo.ButtonFuncInfo[k].ButtonIndex, expectedRecord[k]) << k;
        const Bytes expected =
            expectedRecord[k] == 18 ? Bytes{0x0D, 0, 0, 0} : Bytes{1, std::uint8_t(expectedRecord[k]), 0, 0};
        EXPECT_EQ(hex(table.data() + 1 + 4 * k, 4), hex(expected)) << "slot " << k;
    }
}

// ---------------------------------------------------------------------------------------------
// Reordering

TEST(ReorderButtonFunctionsTest, ListsShortLongAndOutOfRange) {
    struct Case {
        const char* name;
        std::vector<std::int32_t> order;
        std::vector<int> expected;  // ButtonIndex of slots 0..18 afterwards
    };
    std::vector<int> identity(19);
    for (int k = 0; k < 19; ++k) identity[k] = k;
    auto with = [&](std::initializer_list<std::pair<int, int>> changes) {
        std::vector<int> v = identity;
        for (auto [slot, rec] : changes) v[slot] = rec;
        return v;
    };
    std::vector<std::int32_t> reversed(19);
    std::vector<int> reversedExpected(19);
    for (int k = 0; k < 19; ++k) {
        reversed[k] = 19 - k;
        reversedExpected[k] = 18 - k;
    }
    std::vector<std::int32_t> tooLong = reversed;
    tooLong.insert(tooLong.end(), {1, 2, 3});

    const Case cases[] = {
        {"empty list changes nothing", {}, identity},
        {"swap of the first two", {2, 1}, with({{0, 1}, {1, 0}})},
        {"rotation of three, the rest stays", {3, 1, 2}, with({{0, 2}, {1, 0}, {2, 1}})},
        {"a record may be taken twice", {5, 5}, with({{0, 4}, {1, 4}})},
        {"all 19 reversed", reversed, reversedExpected},
        {"entries beyond 19 are ignored", tooLong, reversedExpected},
        {"numbers outside 1..19 keep the slot's record", {0, 20, -1, 2}, with({{3, 1}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto profile = newProfile();
        for (int k = 0; k < 19; ++k) profile->ConfigInfo.ButtonFuncInfo[k].ButtonIndex = std::uint16_t(k);
        profile->ConfigInfo.VWheelButtonFuncInfo[0].ButtonIndex = 77;
        ReorderButtonFunctions(*profile, c.order);
        for (int k = 0; k < 19; ++k)
            EXPECT_EQ(profile->ConfigInfo.ButtonFuncInfo[k].ButtonIndex, c.expected[k]) << "slot " << k;
        EXPECT_EQ(profile->ConfigInfo.VWheelButtonFuncInfo[0].ButtonIndex, 77);
    }
}

// ---------------------------------------------------------------------------------------------
// DPI table and polling rate

TEST(CPITableTest, HeaderAndFiveLevels) {
    auto profile = newProfile();
    TMOUSECONFIGINFO& c = profile->ConfigInfo;
    c.CPILevel = 5;
    c.CurrentCPIIndex = 2;
    const std::uint16_t xs[5] = {50, 1000, 49, 3250, 16400};
    const std::uint16_t ys[5] = {50, 1000, 99, 65535, 8200};
    const std::uint16_t enabled[5] = {1, 0, 1, 0x0101, 1};
    for (int i = 0; i < 5; ++i) c.CPIState[i] = {xs[i], ys[i], enabled[i], {9, 9, 9, 9}};
    for (int i = 5; i < 11; ++i) c.CPIState[i] = {4000, 4000, 1, {9, 9, 9, 9}};  // never sent

    TCPITable table;
    table.fill(0xEE);
    BuildCPITable(*profile, table);
    EXPECT_EQ(hex(table.data(), 2), "05 02");
    EXPECT_EQ(hex(table.data() + 2, 8), "01 01 00 01 00 00 00 00");
    EXPECT_EQ(hex(table.data() + 10, 8), "00 14 00 14 00 01 00 00");  // 1000 / 50 = 20
    EXPECT_EQ(hex(table.data() + 18, 8), "01 00 00 01 00 03 00 00");  // integer division
    EXPECT_EQ(hex(table.data() + 26, 8), "01 41 00 1E 05 07 00 00");  // 65535 / 50 = 1310
    EXPECT_EQ(hex(table.data() + 34, 8), "01 48 01 A4 00 0F 00 00");  // 16400 -> 328
}

TEST(CPITableTest, HeaderTakesLowBytesWhateverTheLevelCount) {
    auto profile = newProfile();
    profile->ConfigInfo.CPILevel = 0x0103;
    profile->ConfigInfo.CurrentCPIIndex = 4;
    profile->ConfigInfo.CPIState[4] = {800, 800, 1, {}};
    TCPITable table;
    BuildCPITable(*profile, table);
    EXPECT_EQ(hex(table.data(), 2), "03 04");
    EXPECT_EQ(hex(table.data() + 34, 8), "01 10 00 10 00 0F 00 00");  // level 4 still encoded
}

TEST(ReportRateTest, FourRatesAndTheFallback) {
    const std::pair<int, int> cases[] = {{125, 8}, {250, 4}, {500, 2},  {1000, 1},
                                         {0, 2},   {100, 2}, {2000, 2}, {65535, 2}};
    for (auto [rate, code] : cases) {
        auto profile = newProfile();
        profile->ConfigInfo.ReportRate = static_cast<std::uint16_t>(rate);
        EXPECT_EQ(ReportRateToDeviceCode(*profile), code) << rate;
    }
}

// ---------------------------------------------------------------------------------------------
// Macros

TEST(MacroEncodingTest, EncodeMacroActionTable) {
    struct Case {
        const char* name;
        int type, state, v1, v2;
        const char* entry;
    };
    const Case cases[] = {
        {"key press", 4, 1, 0x04, 0, "84 04 00"},
        {"key release", 4, 0, 0x04, 0, "04 04 00"},
        {"mouse button press", 1, 1, 0x01, 0x00, "81 01 00"},
        {"movement", 2, 1, 0xFB, 0x05, "82 FB 05"},
        {"wheel", 3, 0, 0x01, 0x02, "03 01 02"},
        {"media key", 5, 1, 0xCD, 0x00, "85 CD 00"},
        {"delay 300 ms", 6, 1, 0x2C, 0x01, "06 2C 01"},
        {"delay, released state", 6, 0, 0x2C, 0x01, "06 2C 01"},
        {"loop, value 1 set", 7, 1, 1, 5, "87 00 00"},
        {"loop, count", 7, 0, 0, 0x0102, "07 02 01"},
        {"terminator, repeat while held", 7, 0, 1, 3, "07 00 00"},
        {"terminator, loop count 1", 7, 0, 0, 1, "07 01 00"},
        {"state 2", 4, 2, 0x04, 0, "00 00 00"},
        {"state 2 on a delay", 6, 2, 0x2C, 0x01, "00 00 00"},
        {"negative state", 4, -1, 0x04, 0, "00 00 00"},
        {"wide values give their low bytes", 0x104, 1, 0x1FF, 0x2AB, "84 FF AB"},
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, 3> e{0xEE, 0xEE, 0xEE};
        EncodeMacroAction(c.type, c.state, c.v1, c.v2, e);
        EXPECT_EQ(hex(e.data(), 3), c.entry) << c.name;
    }
}

// The entry count is what the block holds (at most 59 actions and the terminator), and three
// times it is the length that a button playing the macro announces.
TEST(MacroEncodingTest, GetMacroEntryCountMatchesTheAnnouncedLength) {
    const std::pair<int, int> cases[] = {{0, 0},   {1, 2},    {3, 4},  {58, 59},   {59, 60},
                                         {60, 60}, {128, 60}, {-3, 0}, {1000, 60}, {INT_MIN, 0}};
    for (auto [count, entries] : cases) {
        SCOPED_TRACE(count);
        auto profile = newProfile();
        profile->ConfigInfo.ButtonCount = 1;
        TBUTTONFUNCINFO& b = profile->ConfigInfo.ButtonFuncInfo[0];
        b.FunctionCode = 17;
        b.MacroKeyInfo.MacroListCount = count;
        EXPECT_EQ(GetMacroEntryCount(b.MacroKeyInfo), entries);
        TButtonTable table;
        BuildButtonTable(*profile, table);
        EXPECT_EQ(table[3] | table[4] << 8, 3 * entries);
    }
}

class MacroTablesTest : public testing::Test {
protected:
    void SetUp() override {
        list = std::make_unique<TMACROKEYINFOLIST>();
        tables = std::make_unique<TMacroTables>();
    }
    Bytes block(int m) const { return Bytes(tables->Blocks[m], tables->Blocks[m] + tables->Lengths[m]); }
    std::unique_ptr<TMACROKEYINFOLIST> list;
    std::unique_ptr<TMacroTables> tables;
};

TEST_F(MacroTablesTest, KeyDelayAndLoopMacros) {
    list->nMacroInfoCount = 3;
    // 'A' pressed and released, played once.
    TMACROKEYINFO& m0 = list->MacroInfos[0];
    setActions(m0, {action(4, 1, 'A', 0), action(4, 0, 'A', 0)});
    m0.nLoopCount = 1;
    // extended Page Up, a 300 ms delay, a mouse click; repeats while the button is held.
    TMACROKEYINFO& m1 = list->MacroInfos[1];
    setActions(m1, {action(4, 1, 0x21, 1), action(6, 1, 0x2C, 0x01), action(1, 1, 1, 0), action(1, 0, 1, 0),
                    action(4, 0, 0x21, 1)});
    m1.nLoopRunWhenPressed = 1;
    m1.nLoopCount = 9;
    // no actions, loop count 258
    TMACROKEYINFO& m2 = list->MacroInfos[2];
    m2.MacroListCount = 0;
    m2.nLoopCount = 258;
    for (auto& len : tables->Lengths) len = 77;

    BuildMacroTables(*list, *tables);

    EXPECT_EQ(tables->Lengths[0], 9);
    EXPECT_EQ(hex(block(0)), "84 04 00 04 04 00 07 01 00");
    EXPECT_EQ(tables->Lengths[1], 18);
    EXPECT_EQ(hex(block(1)), "84 4B 01 06 2C 01 81 01 00 01 01 00 04 4B 01 07 00 00");
    EXPECT_EQ(tables->Lengths[2], 3);
    EXPECT_EQ(hex(block(2)), "07 02 01");
    for (int m = 3; m < 30; ++m) EXPECT_EQ(tables->Lengths[m], 0) << m;
    EXPECT_EQ(tables->Blocks[0][9], 0);  // nothing written after the terminator
}

TEST_F(MacroTablesTest, KeyActionsOfEveryKeyClass) {
    struct Case {
        int vk, ext, usage;
    };
    const Case keys[] = {{'Z', 0, 0x1D},
                         {'5', 0, 0x22},
                         {0x70, 0, 0x3A},
                         {0x87, 0, 0x73},
                         {0x25, 0, 0x5C},
                         {0x25, 1, 0x50},
                         {0x2E, 1, 0x4C},
                         {0x0D, 1, 0x58},
                         {0x64, 0, 0x5C},
                         {0x6F, 1, 0x54},
                         {0xA0, 0, 0xE1},
                         {0xA1, 1, 0xE5},
                         {0xA4, 0, 0xE2},
                         {0xA5, 1, 0xE6},
                         {0x5B, 1, 0xE3},
                         {0x10, 0, 0x00},
                         // consumer-page keys have no keyboard usage: no key, not Left Alt or '7'
                         {0xAD, 1, 0x00},
                         {0xA6, 1, 0x00},
                         {0xB7, 0, 0x00}};
    list->nMacroInfoCount = 1;
    TMACROKEYINFO& m = list->MacroInfos[0];
    int n = 0;
    for (const Case& k : keys) m.MacroList[n++] = action(4, 1, k.vk, k.ext);
    m.MacroListCount = n;
    BuildMacroTables(*list, *tables);
    ASSERT_EQ(tables->Lengths[0], 3 * n + 3);
    for (int j = 0; j < n; ++j) {
        const std::uint8_t* e = tables->Blocks[0] + 3 * j;
        EXPECT_EQ(hex(e, 3), hex(Bytes{0x84, std::uint8_t(keys[j].usage), std::uint8_t(keys[j].ext)}))
            << "vk 0x" << std::hex << keys[j].vk;
    }
}

// Stored lists are not trusted: counts beyond what a block or the tables hold are clamped, and
// the button that plays a clamped macro announces the length actually written.
TEST_F(MacroTablesTest, OversizedCountsStayInsideTheirBlocks) {
    struct Case {
        std::int32_t count;
        int length;
    };
    const Case cases[] = {{58, 177}, {59, 180}, {60, 180}, {128, 180}, {INT_MAX, 180}, {-5, 3}, {INT_MIN, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        SetUp();
        list->nMacroInfoCount = 65535;  // more than the 30 blocks
        for (int m = 0; m < 30; ++m) {
            TMACROKEYINFO& macro = list->MacroInfos[m];
            for (int j = 0; j < 128; ++j) macro.MacroList[j] = action(4, j % 2, 'A' + m % 26, 0);
            macro.MacroListCount = c.count;
            macro.nLoopCount = 2;
        }
        BuildMacroTables(*list, *tables);
        for (int m = 0; m < 30; ++m) {
            ASSERT_EQ(tables->Lengths[m], c.length) << m;
            EXPECT_EQ(hex(tables->Blocks[m] + c.length - 3, 3), "07 02 00") << m;
            if (c.length > 3) {
                EXPECT_EQ(
                    hex(tables->Blocks[m] + c.length - 6, 3),
                    hex(Bytes{std::uint8_t((c.length / 3 - 2) % 2 ? 0x84 : 0x04), std::uint8_t(0x04 + m % 26), 0}))
                    << m;
            }
        }

        auto profile = newProfile();
        profile->ConfigInfo.ButtonCount = 1;
        profile->ConfigInfo.ButtonFuncInfo[0].FunctionCode = 17;
        profile->ConfigInfo.ButtonFuncInfo[0].MacroKeyInfo = list->MacroInfos[0];
        TButtonTable table;
        BuildButtonTable(*profile, table);
        const int announced = table[3] | table[4] << 8;
        EXPECT_EQ(announced, c.count > 0 ? c.length : 0);
    }
}

}  // namespace
