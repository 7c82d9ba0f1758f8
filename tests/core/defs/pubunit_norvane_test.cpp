// The shared records are a file format: their bytes must survive copies and edits untouched
// except where a field is set, and the constant tables must hold the values the mouse and the
// assignment menu rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "core/defs/pubunit_norvane.h"
#include "core/defs/record_bytes.h"
#include "core/defs/record_text.h"

using vyk::defs::readRecordFront;
using vyk::defs::recordBytes;
using vyk::defs::setRecordText;

namespace {

std::vector<std::uint8_t> noise(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(gen());
    return v;
}

// Offsets (from the start of the profile) of the bytes that differ between two records.
std::vector<std::size_t> diff(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) out.push_back(i);
    return out;
}

TEST(SharedRecords, LoadEditSaveChangesOnlyTheEditedBytes) {
    // A stored profile full of arbitrary bytes: spare areas, padding, unused fields and the
    // units after each text's NUL must come back exactly as they were read.
    const auto stored = noise(sizeof(TMouseProfileInfo), 1234);
    auto rec = std::make_unique<TMouseProfileInfo>();
    ASSERT_EQ(readRecordFront(*rec, stored), sizeof(TMouseProfileInfo));

    // A copy by value (as the data module, dialogs and encoders do) carries every byte.
    auto copy = std::make_unique<TMouseProfileInfo>(*rec);
    EXPECT_TRUE(diff(recordBytes(*copy), stored).empty());

    // Edit a few fields the way the configuration window does.
    TBUTTONFUNCINFO& b3 = copy->ConfigInfo.ButtonFuncInfo[3];
    b3.FunctionType = FUNCTION_TYPE_SINGLE_KEY;
    b3.FunctionCode = FUNCTION_CODE_SINGLE_KEY;
    setRecordText(b3.SingleKey.SingleKeyText, u"F5");
    copy->ConfigInfo.ReportRate = 500;
    copy->ConfigInfo.LEDConfig.G = 0x7F;

    std::set<std::size_t> allowed;
    auto allow = [&](std::size_t off, std::size_t len) {
        for (std::size_t i = 0; i < len; ++i) allowed.insert(off + i);
    };
    const std::size_t b3Off = 872 + 4168 * 3;
    allow(b3Off + 4152, 1);       // FunctionType
    allow(b3Off + 4156, 4);       // FunctionCode
    allow(b3Off + 2 + 4, 3 * 2);  // "F5" and its NUL, nothing after
    allow(872 + 95880, 2);        // ReportRate
    allow(872 + 106294 + 1, 1);   // LEDConfig.G
    for (std::size_t off : diff(recordBytes(*copy), stored))
        EXPECT_TRUE(allowed.count(off)) << "byte " << off << " changed";
    EXPECT_EQ(stored[b3Off + 2 + 4 + 3 * 2], recordBytes(*copy)[b3Off + 2 + 4 + 3 * 2]);
}

TEST(SharedRecords, ShortStoredValueFillsOnlyTheFront) {
    auto rec = std::make_unique<TALLGAMESINFO>();
    std::memset(rec.get(), 0xAB, sizeof(*rec));
    const std::vector<std::uint8_t> shortValue(100, 0x11);
    EXPECT_EQ(readRecordFront(*rec, shortValue), 100u);
    const auto bytes = recordBytes(*rec);
    EXPECT_EQ(bytes[99], 0x11);
    EXPECT_EQ(bytes[100], 0xAB);
    EXPECT_EQ(rec->CurrentGame, 0xABAB);

    const auto longValue = noise(sizeof(TALLGAMESINFO) + 50, 7);
    EXPECT_EQ(readRecordFront(*rec, longValue), sizeof(TALLGAMESINFO));
    EXPECT_EQ(0, std::memcmp(rec.get(), longValue.data(), sizeof(TALLGAMESINFO)));
}

TEST(SharedRecords, StoredFieldsAreLittleEndianAtTheirOffsets) {
    auto p = std::make_unique<TMouseProfileInfo>();
    p->ProfileHeader.FFileVersion = PROFILE_FILE_VERSION;
    p->ConfigInfo.ButtonFuncInfo[5].MacroKeyInfo.nMacroIndex = 0x0102;
    const auto bytes = recordBytes(*p);
    EXPECT_EQ(bytes[0], 0x03);
    EXPECT_EQ(bytes[1], 0x01);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x00);
    EXPECT_EQ(bytes[1982 + 4168 * 5], 0x02);
    EXPECT_EQ(bytes[1982 + 4168 * 5 + 1], 0x01);

    // The creation stamp is one 8-byte value under three names.
    p->ProfileHeader.FProfileUID.DataTime = 45000.5;
    double d;
    std::memcpy(&d, &bytes[64], 8);
    EXPECT_EQ(d, 45000.5);
    EXPECT_EQ(p->ProfileHeader.FProfileUID.DoubleData, 45000.5);

    // A delay action: milliseconds = VALUE2 * 256 + VALUE1, also named DELAY_H and DELAY_L.
    TMACROKEY k{};
    k.nKeyType = 6;
    k.DELAY_L = 0xE8;
    k.DELAY_H = 0x03;
    EXPECT_EQ(k.VALUE2 * 256 + k.VALUE1, 1000);
}

TEST(ConstantTables, ButtonFunctionTable) {
    for (std::size_t row = 0; row < ButtonFunctionTable.size(); ++row)
        EXPECT_EQ(ButtonFunctionTable[row].Index, static_cast<std::int32_t>(row));
    struct Row {
        int row, code, menu;
    };
    for (const Row r : {Row{0, 1, 1}, Row{3, 5, 4}, Row{4, 4, 5}, Row{7, 15, 801}, Row{20, 15, 906}, Row{21, 14, 1001},
                        Row{28, 19, 1008}, Row{29, 14, 1009}, Row{30, 17, 11}, Row{31, 25, 12}, Row{33, 10, 14},
                        Row{34, 9, 15}, Row{35, 13, 16}, Row{37, 18, 170102}, Row{38, 14, 18}}) {
        EXPECT_EQ(ButtonFunctionTable[r.row].FunctionCode, r.code) << "row " << r.row;
        EXPECT_EQ(ButtonFunctionTable[r.row].MenuID, r.menu) << "row " << r.row;
    }
    // DISABLE (item 17) has no row; every other item ID appears once.
    std::set<std::int32_t> ids;
    for (const auto& r : ButtonFunctionTable) {
        EXPECT_NE(r.MenuID, 17);
        EXPECT_TRUE(ids.insert(r.MenuID).second) << r.MenuID;
    }
}

TEST(ConstantTables, ButtonMaskTableIsOneHotAfterReportId) {
    using E = std::array<std::uint8_t, 4>;
    EXPECT_EQ(ButtonMaskTable[0], (E{0x07, 0x01, 0x00, 0x00}));
    EXPECT_EQ(ButtonMaskTable[8], (E{0x07, 0x00, 0x01, 0x00}));
    EXPECT_EQ(ButtonMaskTable[18], (E{0x07, 0x00, 0x00, 0x04}));
    EXPECT_EQ(ButtonMaskTable[23], (E{0x07, 0x00, 0x00, 0x80}));
    for (std::size_t j = 0; j < ButtonMaskTable.size(); ++j) {
        const auto& e = ButtonMaskTable[j];
        const std::uint32_t mask = e[1] | (e[2] << 8) | (e[3] << 16);
        EXPECT_EQ(mask, 1u << j);
    }
}

TEST(ConstantTables, DeviceButtonOrderCoversEveryRecordOnce) {
    const std::array<std::int32_t, 19> expected{1, 2, 3, 7, 8, 9, 4, 6, 5, 19, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    EXPECT_EQ(DeviceButtonOrder, expected);
    std::set<std::int32_t> seen(DeviceButtonOrder.begin(), DeviceButtonOrder.end());
    EXPECT_EQ(seen.size(), 19u);
    EXPECT_EQ(*seen.begin(), 1);
    EXPECT_EQ(*seen.rbegin(), 19);
}

TEST(ConstantTables, StringConstantsAndSelector) {
    EXPECT_EQ(QString(CONFIG_MAIN_CLASS_NAME), QStringLiteral("TVYKCFGMAIN"));
    EXPECT_EQ(QString(MONITOR_MAIN_CLASS_NAME), QStringLiteral("TVYKMONMAIN"));
    EXPECT_EQ(QString(CONFIG_EXE_NAME), QStringLiteral("VYKCFG.EXE"));
    EXPECT_EQ(QString(MONITOR_EXE_NAME), QStringLiteral("VYKMON.EXE"));
    EXPECT_EQ(QString(MONITOR_TRAY_HINT), QStringLiteral("GAMING MOUSE DRIVER"));
    // The selector's layout is usage, then usage page.
    USAGE_AND_PAGE sel = ConfigUsageAndPage;
    const auto b = recordBytes(sel);
    EXPECT_EQ(b[0], 0x01);
    EXPECT_EQ(b[1], 0x00);
    EXPECT_EQ(b[2], 0xA0);
    EXPECT_EQ(b[3], 0xFF);
}

}  // namespace
