// The two writers against the simulated mouse: the encoded blocks must land in its memory at
// the addresses of the memory map, one write command each.

#include "core/device/DeviceEncoders.h"
#include "core/device/DeviceProtocol.h"
#include "core/device/uiHIDData.h"
#include "sim/mouse_sim_server.h"
#include "tests/core/device/encoder_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using enctest::action;
using enctest::Bytes;
using enctest::hex;

class EncoderWriteTest : public testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<vyk::sim::MouseSimServer>();
        std::string error;
        ASSERT_TRUE(sim->start(&error)) << error;
        hid = std::make_unique<TuiHIDData>();
    }
    void TearDown() override {
        hid.reset();
        if (sim) sim->stop();
    }

    Bytes memory(int address, std::size_t n) const {
        return sim->peek(vyk::sim::kVendorInterface, static_cast<std::uint32_t>(address), n);
    }
    std::vector<vyk::sim::LoggedReport> setReports() const {
        std::vector<vyk::sim::LoggedReport> out;
        for (const auto& r : sim->log())
            if (r.kind == "SET") out.push_back(r);
        return out;
    }

    std::unique_ptr<vyk::sim::MouseSimServer> sim;
    std::unique_ptr<TuiHIDData> hid;
};

TEST_F(EncoderWriteTest, ButtonTablesLandAtEachProfilesAddress) {
    auto profile = std::make_unique<TMouseProfileInfo>();
    TMOUSECONFIGINFO& c = profile->ConfigInfo;
    c.ButtonCount = 19;
    for (int k = 0; k < 19; ++k) {
        c.ButtonFuncInfo[k].FunctionCode = 1;
        c.ButtonFuncInfo[k].ClickParam = k;
    }
    c.ButtonFuncInfo[3].FunctionCode = 16;
    c.ButtonFuncInfo[3].SingleKey.nKeyValue1 = 'A';
    c.ButtonFuncInfo[18].FunctionCode = 25;
    c.ButtonFuncInfo[18].FireKey = {3, 60, 0x81, {}};
    TButtonTable table;
    BuildButtonTable(*profile, table);
    const Bytes expected(table.begin(), table.end());

    // The neighbours of the table (the DPI table's tail and the lighting block) stay as they were.
    sim->poke(vyk::sim::kVendorInterface, 0x90 - 1, {0xCC});
    sim->poke(vyk::sim::kVendorInterface, 0x90 + 77, {0xCC});

    for (int p : {0, 4}) {
        sim->clearLog();
        ASSERT_EQ(WriteButtonTable(*hid, table, DeviceButtonTableAddress(p)), 0u) << p;
        EXPECT_EQ(hex(memory(p * 0x100 + 0x90, 77)), hex(expected)) << p;
        const auto reports = setReports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].bytes.size(), 1024u);
        const Bytes head = p == 0 ? Bytes{0x04, 0x02, 0x90, 0x00, 0x4D, 0x00, 0xFA, 0xFA}
                                  : Bytes{0x04, 0x02, 0x90, 0x04, 0x4D, 0x00, 0xFA, 0xFA};
        EXPECT_EQ(hex(reports[0].bytes, 8), hex(head));
    }
    EXPECT_EQ(hex(memory(0x8F, 1)), "CC");
    EXPECT_EQ(hex(memory(0x90 + 77, 1)), "CC");
    EXPECT_EQ(hex(memory(0x490, 5)), "13 01 00 00 00");
    EXPECT_EQ(hex(memory(0x490 + 1 + 4 * 3, 4)), "10 00 04 00");
    EXPECT_EQ(hex(memory(0x490 + 1 + 4 * 18, 4)), "19 81 03 3C");
}

// The DPI table and the polling-rate code of every profile land at their addresses without
// touching each other or the button table, and the device's own reader finds the current
// level in byte 1 of the encoded table.
TEST_F(EncoderWriteTest, DpiTablesAndRatesLandAtEachProfilesAddress) {
    const int rates[5] = {125, 250, 500, 1000, 777};
    const int codes[5] = {8, 4, 2, 1, 2};
    sim->poke(vyk::sim::kVendorInterface, 0x40, Bytes(0x100 * 5, 0xCC));
    for (int p = 0; p < 5; ++p) {
        auto profile = std::make_unique<TMouseProfileInfo>();
        TMOUSECONFIGINFO& c = profile->ConfigInfo;
        c.CPILevel = 5;
        c.CurrentCPIIndex = 4 - p;
        c.ReportRate = static_cast<std::uint16_t>(rates[p]);
        for (int i = 0; i < 5; ++i)
            c.CPIState[i] = {std::uint16_t(800 * (i + 1) + 50 * p), std::uint16_t(400 * (i + 1)), 1, {}};
        TCPITable table;
        BuildCPITable(*profile, table);
        ASSERT_EQ(WriteCPITable(*hid, table, DeviceCPITableAddress(p)), 0u) << p;
        ASSERT_EQ(WriteReportRateByte(*hid, ReportRateToDeviceCode(*profile), DeviceReportRateAddress(p)), 0u);

        EXPECT_EQ(hex(memory(p * 0x100 + 0x4F, 42)), hex(Bytes(table.begin(), table.end()))) << p;
        EXPECT_EQ(memory(0x48 + p, 1), Bytes{std::uint8_t(codes[p])}) << p;
        std::int32_t index = -1;
        ASSERT_EQ(ReadProfileCPIIndex(*hid, p, index), 0u);
        EXPECT_EQ(index, 4 - p) << p;
    }
    EXPECT_EQ(hex(memory(0x48, 8)), "08 04 02 01 02 CC CC 05");  // rates, then the DPI table
    EXPECT_EQ(hex(memory(0x4F, 10)), "05 04 01 10 00 08 00 00 00 00");
    for (int p = 0; p < 5; ++p) {
        EXPECT_EQ(memory(p * 0x100 + 0x4F + 42, 0x90 - 0x4F - 42), Bytes(0x90 - 0x4F - 42, 0xCC)) << p;
        EXPECT_EQ(memory(p * 0x100 + 0x90, 77), Bytes(77, 0xCC)) << p;
    }
}

TEST_F(EncoderWriteTest, MacrosWithALengthLandAtTheirSlots) {
    auto list = std::make_unique<TMACROKEYINFOLIST>();
    list->nMacroInfoCount = 4;
    // macro 0: 'A' pressed and released once; macro 1: 59 actions, a full block;
    // macro 2: encoded but not used by any button (APPLY sets its length to 0);
    // macro 3: 128 actions, clamped to the block.
    TMACROKEYINFO& m0 = list->MacroInfos[0];
    m0.MacroList[0] = action(4, 1, 'A', 0);
    m0.MacroList[1] = action(4, 0, 'A', 0);
    m0.MacroListCount = 2;
    m0.nLoopCount = 1;
    for (int m : {1, 2, 3}) {
        TMACROKEYINFO& macro = list->MacroInfos[m];
        for (int j = 0; j < 128; ++j) macro.MacroList[j] = action(6, 1, j, 0);
        macro.MacroListCount = m == 3 ? 128 : 59;
        macro.nLoopRunWhenPressed = 1;
    }
    auto tables = std::make_unique<TMacroTables>();
    BuildMacroTables(*list, *tables);
    ASSERT_EQ(tables->Lengths[3], 180);
    tables->Lengths[2] = 0;

    // Memory around and between the slots keeps what it held.
    for (int m = 0; m < 5; ++m) sim->poke(vyk::sim::kVendorInterface, 0x500 + m * 200, Bytes(200, 0xCC));

    sim->clearLog();
    ASSERT_EQ(WriteMacroTables(*hid, *tables, DEVICE_ADDR_MACRO), 0u);

    EXPECT_EQ(hex(memory(0x500, 10)), "84 04 00 04 04 00 07 01 00 CC");
    const Bytes block1 = memory(0x500 + 200, 200);
    EXPECT_EQ(hex(Bytes(block1.begin(), block1.begin() + 180)), hex(Bytes(tables->Blocks[1], tables->Blocks[1] + 180)));
    EXPECT_EQ(hex(Bytes(block1.begin() + 174, block1.begin() + 181)), "06 3A 00 07 00 00 CC");
    EXPECT_EQ(memory(0x500 + 400, 200), Bytes(200, 0xCC));  // length 0: not sent
    EXPECT_EQ(hex(memory(0x500 + 600 + 177, 4)), "07 00 00 CC");
    EXPECT_EQ(memory(0x500 + 800, 200), Bytes(200, 0xCC));  // beyond the list

    const auto reports = setReports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(hex(reports[0].bytes, 8), "03 02 00 05 09 00 FA FA");  // 17 bytes: report 3
    EXPECT_EQ(hex(reports[1].bytes, 8), "04 02 C8 05 B4 00 FA FA");
    EXPECT_EQ(hex(reports[2].bytes, 8), "04 02 58 07 B4 00 FA FA");
}

// Lengths come from the caller's buffer: a negative one sends nothing, and one above the block
// never carries the next block (or the length array) along.
TEST_F(EncoderWriteTest, LengthsOutsideTheBlockAreBounded) {
    auto tables = std::make_unique<TMacroTables>();
    for (int m = 0; m < 30; ++m)
        for (int i = 0; i < 180; ++i) tables->Blocks[m][i] = static_cast<std::uint8_t>(m + 1);
    tables->Lengths[0] = -3;
    tables->Lengths[1] = 5000;
    tables->Lengths[29] = 181;
    sim->poke(vyk::sim::kVendorInterface, 0x500 + 200 + 180, Bytes(20, 0xCC));
    sim->poke(vyk::sim::kVendorInterface, 0x500 + 29 * 200 + 180, Bytes(20, 0xCC));

    sim->clearLog();
    ASSERT_EQ(WriteMacroTables(*hid, *tables, DEVICE_ADDR_MACRO), 0u);

    EXPECT_EQ(memory(0x500, 200), Bytes(200, 0));
    EXPECT_EQ(memory(0x500 + 200, 180), Bytes(180, 2));
    EXPECT_EQ(memory(0x500 + 380, 20), Bytes(20, 0xCC));
    EXPECT_EQ(memory(0x500 + 29 * 200, 180), Bytes(180, 30));
    EXPECT_EQ(memory(0x500 + 29 * 200 + 180, 20), Bytes(20, 0xCC));
    EXPECT_EQ(setReports().size(), 2u);
}

// A write that fails is reported, and the macros after it are still sent.
TEST_F(EncoderWriteTest, FailedWriteIsReportedAndTheRestStillSent) {
    auto tables = std::make_unique<TMacroTables>();
    for (int m = 0; m < 3; ++m) {
        tables->Blocks[m][0] = static_cast<std::uint8_t>(0x10 + m);
        tables->Lengths[m] = 3;
    }
    sim->failNext(1, 1, 31);  // the second macro's report fails
    EXPECT_EQ(WriteMacroTables(*hid, *tables, DEVICE_ADDR_MACRO), 31u);
    EXPECT_EQ(hex(memory(0x500, 1)), "10");
    EXPECT_EQ(hex(memory(0x500 + 200, 1)), "00");
    EXPECT_EQ(hex(memory(0x500 + 400, 1)), "12");

    TButtonTable table{};
    sim->unplug();
    EXPECT_NE(WriteButtonTable(*hid, table, DeviceButtonTableAddress(0)), 0u);
    EXPECT_NE(WriteMacroTables(*hid, *tables, DEVICE_ADDR_MACRO), 0u);
}

}  // namespace
