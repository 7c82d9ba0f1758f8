// The device memory protocol, end to end against the simulated mouse: the reports it sends,
// byte for byte, and the read exchange.
#include "core/device/DeviceProtocol.h"
#include "tests/core/device/device_test_support.h"

#include <gtest/gtest.h>

#include <numeric>

using devtest::bytes;
using devtest::featureLog;

namespace {

class DeviceProtocolTest : public ::testing::Test {
protected:
    std::unique_ptr<vyk::sim::MouseSimServer> sim = devtest::startSim();
    TuiHIDData hid;
};

std::vector<std::uint8_t> sequence(std::size_t n, std::uint8_t start = 1) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), start);
    return v;
}

}  // namespace

TEST_F(DeviceProtocolTest, WriteReportsAreByteExact) {
    const TDeviceCPITable cpi = [] {
        TDeviceCPITable t{};
        for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>(0x80 + i);
        return t;
    }();
    const std::vector<std::uint8_t> buttons = sequence(77);
    const std::vector<std::uint8_t> macro = sequence(180, 0x10);
    const TLEDCONFIG led{0xFE, 0xFD, 0xFC, 3, 6, 9};

    struct Case {
        const char* name;
        std::function<std::uint32_t()> call;
        std::vector<std::uint8_t> report;
    };
    auto withPayload = [](std::vector<std::uint8_t> head, const std::vector<std::uint8_t>& data, std::size_t size) {
        head.insert(head.end(), data.begin(), data.end());
        head.resize(size, 0);
        return head;
    };
    const std::vector<Case> cases = {
        {"active profile byte", [&] { return WriteDeviceByte(hid, 2, DEVICE_ADDR_ACTIVE_PROFILE); },
         bytes({0x02, 0x02, 0x43, 0x00, 0x01, 0x00, 0xFA, 0xFA, 0x02}, 16)},
        {"DPI table of profile 1", [&] { return WriteCPITable(hid, cpi, DeviceCPITableAddress(1)); },
         withPayload({0x03, 0x02, 0x4F, 0x01, 0x2A, 0x00, 0xFA, 0xFA}, {cpi.begin(), cpi.end()}, 64)},
        {"button table of profile 0",
         [&] { return WriteDeviceMemory(hid, buttons.data(), 77, DeviceButtonTableAddress(0)); },
         withPayload({0x04, 0x02, 0x90, 0x00, 0x4D, 0x00, 0xFA, 0xFA}, buttons, 1024)},
        {"macro 1", [&] { return WriteDeviceMemory(hid, macro.data(), 180, DeviceMacroAddress(1)); },
         withPayload({0x04, 0x02, 0xC8, 0x05, 0xB4, 0x00, 0xFA, 0xFA}, macro, 1024)},
        {"lighting block of profile 2", [&] { return WriteLEDConfig(hid, led, DeviceLEDConfigAddress(2)); },
         bytes({0x02, 0x02, 0xF1, 0x02, 0x06, 0x00, 0xFA, 0xFA, 0xFE, 0xFD, 0xFC, 3, 6, 9}, 16)},
        {"polling rate of profile 4", [&] { return WriteReportRateByte(hid, 8, DeviceReportRateAddress(4)); },
         bytes({0x02, 0x02, 0x4C, 0x00, 0x01, 0x00, 0xFA, 0xFA, 0x08}, 16)},
        {"write mode 1", [&] { return SetDeviceWriteMode(hid, 1); }, bytes({0x02, 0x06, 0x01}, 16)},
        {"profile command 1, 0", [&] { return SendProfileCommand(hid, 1, 0); }, bytes({0x02, 0x01, 0x01, 0x00}, 16)},
        {"sensor lift", [&] { return SetSensorLift(hid, 7); }, bytes({0x02, 0x05, 0x07}, 16)},
        // Five parameter bytes: the breathing speed lands at offset 6, where writes put 0xFA.
        {"lighting preview", [&] { return SetLEDPreview(hid, led); },
         bytes({0x02, 0x04, 0xFE, 0xFD, 0xFC, 3, 6, 0}, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim->clearLog();
        EXPECT_EQ(c.call(), 0u);
        const auto log = featureLog(*sim);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].kind, "SET");
        EXPECT_EQ(log[0].bytes, c.report);
    }
    EXPECT_EQ(sim->peek(0, 0x14F, 42), std::vector<std::uint8_t>(cpi.begin(), cpi.end()));
    EXPECT_EQ(sim->peek(0, 0x5C8, 180), macro);
    EXPECT_EQ(sim->peek(0, 0x43, 1), std::vector<std::uint8_t>{2});
}

TEST_F(DeviceProtocolTest, ReportIdFollowsTheTotalLength) {
    const std::vector<std::pair<std::size_t, std::uint8_t>> ids = {
        {8, 2}, {16, 2}, {17, 3}, {64, 3}, {65, 4}, {1024, 4}, {1025, 5}, {2048, 5}, {2049, 6}, {4096, 6}, {4097, 0}};
    for (auto [total, id] : ids) EXPECT_EQ(ReportIDForLength(total), id) << total;
    EXPECT_EQ(ReportSizeForID(2), 16u);
    EXPECT_EQ(ReportSizeForID(6), 4096u);
    EXPECT_EQ(ReportSizeForID(7), 0u);

    // Payload n goes out in the report that holds 8 + n bytes, zero-filled after the data.
    const std::vector<std::pair<std::uint32_t, std::uint8_t>> writes = {
        {8, 2}, {9, 3}, {56, 3}, {57, 4}, {1016, 4}, {1017, 5}, {2040, 5}, {2041, 6}, {2048, 6}};
    for (auto [n, id] : writes) {
        SCOPED_TRACE(n);
        sim->clearLog();
        const auto data = std::vector<std::uint8_t>(n, 0xAB);
        ASSERT_EQ(WriteDeviceMemory(hid, data.data(), n, 0x1000), 0u);
        const auto log = featureLog(*sim);
        ASSERT_EQ(log.size(), 1u);
        const auto& r = log[0].bytes;
        ASSERT_EQ(r.size(), ReportSizeForID(id));
        EXPECT_EQ(r[0], id);
        EXPECT_EQ(std::count(r.begin() + 8, r.begin() + 8 + n, 0xAB), static_cast<std::ptrdiff_t>(n));
        EXPECT_TRUE(std::all_of(r.begin() + 8 + n, r.end(), [](std::uint8_t b) { return b == 0; }));
    }
}

TEST_F(DeviceProtocolTest, RefusedArgumentsSendNothing) {
    std::vector<std::uint8_t> big(4096, 1);
    EXPECT_EQ(WriteDeviceMemory(hid, big.data(), 0, 0x10), 0u);  // length 0: nothing to do
    EXPECT_EQ(WriteDeviceMemory(hid, big.data(), 2049, 0x10), 87u);
    EXPECT_EQ(ReadDeviceMemory(hid, big.data(), 2041, 0x10), 87u);
    EXPECT_EQ(WriteDeviceMemory(hid, big.data(), 1, 0x10000), 87u);
    EXPECT_EQ(ReadDeviceMemory(hid, big.data(), 1, -1), 87u);
    std::int32_t index = 77;
    EXPECT_EQ(ReadProfileCPIIndex(hid, 5, index), 87u);
    EXPECT_EQ(index, 77);
    EXPECT_TRUE(sim->log().empty());
}

TEST_F(DeviceProtocolTest, ReadIsASetOfReport2AndAGetOfTheFittingReport) {
    TDeviceCPITable table{};
    std::vector<std::uint8_t> stored = sequence(42, 0x30);
    sim->poke(0, 0x14F, stored);
    ASSERT_EQ(ReadCPITable(hid, table, DeviceCPITableAddress(1)), 0u);
    EXPECT_EQ(std::vector<std::uint8_t>(table.begin(), table.end()), stored);
    auto log = featureLog(*sim);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, "SET");
    EXPECT_EQ(log[0].bytes, bytes({0x02, 0x03, 0x4F, 0x01, 0x2A, 0x00, 0xFA, 0xFA}, 16));
    EXPECT_EQ(log[1].kind, "GET");
    ASSERT_EQ(log[1].bytes.size(), 64u);
    EXPECT_EQ(log[1].bytes[0], 3);

    // One byte: report 2 both ways, the value at byte 8 of the answer.
    sim->clearLog();
    sim->poke(0, 0x43, {4});
    std::uint8_t value = 0;
    ASSERT_EQ(ReadDeviceByte(hid, value, DEVICE_ADDR_ACTIVE_PROFILE), 0u);
    EXPECT_EQ(value, 4);
    log = featureLog(*sim);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].bytes.size(), 16u);
    EXPECT_EQ(log[1].bytes[8], 4);

    // The command buffer gets the answer's header bytes 1..7 and a 0, then the data.
    TDeviceCommandBuffer c{};
    c.Header = {DEVICE_CMD_READ, {0x43, 0x00, 0x01, 0x00}, {0xFA, 0xFA, 0x55}};
    ASSERT_EQ(QueryDeviceCommand(hid, c), 0u);
    const std::uint8_t* h = reinterpret_cast<const std::uint8_t*>(&c.Header);
    EXPECT_EQ(std::vector<std::uint8_t>(h, h + 8), (std::vector<std::uint8_t>{3, 0x43, 0, 1, 0, 0xFA, 0xFA, 0}));
    EXPECT_EQ(c.Data[0], 4);
}

TEST_F(DeviceProtocolTest, FailedReadsLeaveTheCallersValuesAlone) {
    sim->poke(0, 0x43, {1});
    sim->poke(0, 0x14F, {5, 2});
    struct Case {
        const char* name;
        std::uint32_t skip;   // reports that pass before the failure
        std::size_t reports;  // reports the device sees in all
    };
    // A failed set never issues its get; a failed get of the first read stops the second.
    const std::vector<Case> cases = {{"set of the first read", 0, 1},
                                     {"get of the first read", 1, 2},
                                     {"set of the second read", 2, 3},
                                     {"get of the second read", 3, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim->clearLog();
        sim->failNext(1, c.skip, 31);
        std::int32_t index = -5;
        EXPECT_EQ(ReadCurrentCPIIndex(hid, index), 31u);
        EXPECT_EQ(index, -5);
        EXPECT_EQ(featureLog(*sim).size(), c.reports);
    }
    sim->failNext(1, 1, 31);
    TDeviceCPITable table;
    table.fill(0xEE);
    EXPECT_EQ(ReadCPITable(hid, table, DeviceCPITableAddress(1)), 31u);
    EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](std::uint8_t b) { return b == 0xEE; }));

    std::int32_t index = -5;
    EXPECT_EQ(ReadCurrentCPIIndex(hid, index), 0u);
    EXPECT_EQ(index, 2);
}

TEST_F(DeviceProtocolTest, DeviceValuesOutOfRangeAreRefused) {
    struct Case {
        std::uint8_t profile, level;
        std::uint32_t result;
        std::int32_t index;
    };
    for (const Case& c : std::vector<Case>{
             {4, 4, 0, 4}, {5, 1, DEVICE_ERROR_INVALID_DATA, -1}, {0, 5, DEVICE_ERROR_INVALID_DATA, -1}}) {
        sim->poke(0, 0x43, {c.profile});
        sim->poke(0, DeviceCPITableAddress(c.profile % 5) + 1, {c.level});
        std::int32_t index = -1;
        EXPECT_EQ(ReadCurrentCPIIndex(hid, index), c.result) << int(c.profile) << "/" << int(c.level);
        EXPECT_EQ(index, c.index);
    }
}

TEST_F(DeviceProtocolTest, TwoInterfacesGetEveryWriteAndTheLastAnswers) {
    sim.reset();
    sim = devtest::startSim(2, true);
    TuiHIDData two;
    ASSERT_EQ(WriteDeviceByte(two, 3, 0x2000), 0u);
    EXPECT_EQ(sim->peek(0, 0x2000, 1), std::vector<std::uint8_t>{3});
    EXPECT_EQ(sim->peek(1, 0x2000, 1), std::vector<std::uint8_t>{3});
    EXPECT_EQ(featureLog(*sim, "SET").size(), 2u);  // the standard mouse interface is not asked

    sim->poke(0, 0x2000, {0x11});
    sim->poke(1, 0x2000, {0x22});
    std::uint8_t value = 0;
    ASSERT_EQ(ReadDeviceByte(two, value, 0x2000), 0u);
    EXPECT_EQ(value, 0x22);

    // The result is the last interface's: a failure on the first one alone is not reported.
    sim->failNext(1, 0, 31);
    EXPECT_EQ(SetDeviceWriteMode(two, 0), 0u);
    sim->failNext(1, 1, 31);
    EXPECT_EQ(SetDeviceWriteMode(two, 0), 31u);
}

TEST_F(DeviceProtocolTest, NoMouseOrAMouseThatVanishesMidWrite) {
    sim->failNext(1, 0, vyk::sim::kFailByUnplug);
    const std::vector<std::uint8_t> data(100, 1);
    EXPECT_EQ(WriteDeviceMemory(hid, data.data(), 100, 0x500), 1167u);
    EXPECT_EQ(SetDeviceWriteMode(hid, 1), 1167u);
    std::uint8_t value = 9;
    EXPECT_EQ(ReadDeviceByte(hid, value, 0x43), 1167u);
    EXPECT_EQ(value, 9);
    sim->plug();
    EXPECT_EQ(SetDeviceWriteMode(hid, 1), 0u);
}
