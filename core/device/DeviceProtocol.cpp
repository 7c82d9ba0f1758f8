#include "core/device/DeviceProtocol.h"

#include "core/device/feature_reports.h"

#include "platform/hid/hid_errors.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr std::uint32_t kInvalidParameter = vyk::platform::hid::kErrorInvalidParameter;

bool isCommandWithRange(std::uint8_t command) { return command == DEVICE_CMD_WRITE || command == DEVICE_CMD_READ; }

std::uint32_t rangeLength(const DeviceCommandHeader& h) {
    return static_cast<std::uint32_t>(h.Param[2]) | (static_cast<std::uint32_t>(h.Param[3]) << 8);
}

bool validAddress(int address) { return address >= 0 && address <= 0xFFFF; }

DeviceCommandHeader rangeHeader(std::uint8_t command, int address, std::uint32_t length) {
    DeviceCommandHeader h{};
    h.Command = command;
    h.Param[0] = static_cast<std::uint8_t>(address);
    h.Param[1] = static_cast<std::uint8_t>(address >> 8);
    h.Param[2] = static_cast<std::uint8_t>(length);
    h.Param[3] = static_cast<std::uint8_t>(length >> 8);
    h.Fill[0] = DEVICE_COMMAND_FILL;
    h.Fill[1] = DEVICE_COMMAND_FILL;
    return h;
}

// A feature-report parameter block for the HID component; the record is large, so it lives
// on the heap.
std::unique_ptr<THIDDataParam> newFeatureReport(std::uint8_t reportId, std::size_t size) {
    auto p = std::make_unique<THIDDataParam>();
    p->UsageAndPage = ConfigUsageAndPage;
    p->DeviceID.clear();
    p->Data.ReportID = reportId;
    p->Data.DATASIZE = static_cast<std::uint32_t>(size);
    return p;
}

// Puts the report ID in front of the first seven header bytes (InsertReportID).
void insertReportID(THIDDataParam& p, const DeviceCommandHeader& h) {
    std::memcpy(p.Data.DATAReally, &h, DEVICE_COMMAND_HEADER_SIZE - 1);
}

std::uint32_t sendSmallCommand(TuiHIDData& hid, std::uint8_t command, const std::uint8_t* params, std::size_t count) {
    TDeviceCommandBuffer c{};
    c.Header.Command = command;
    // Parameter bytes run from report offset 2 on; a fifth one takes the first fill byte.
    std::uint8_t* dst = c.Header.Param;
    for (std::size_t i = 0; i < count && i < 5; ++i) {
        if (i < 4)
            dst[i] = params[i];
        else
            c.Header.Fill[0] = params[i];
    }
    return SendDeviceCommand(hid, c);
}

}  // namespace

std::uint8_t ReportIDForLength(std::size_t total) { return vyk::device::featureReportForLength(total); }

std::size_t ReportSizeForID(std::uint8_t reportId) { return vyk::device::featureReportSize(reportId); }

std::uint32_t SendDeviceCommand(TuiHIDData& hid, const TDeviceCommandBuffer& command) {
    const DeviceCommandHeader& h = command.Header;
    const std::uint32_t n = isCommandWithRange(h.Command) ? rangeLength(h) : 0;
    if (n > DEVICE_MAX_WRITE_LENGTH) return kInvalidParameter;
    const std::uint8_t id = ReportIDForLength(DEVICE_COMMAND_HEADER_SIZE + n);
    const std::size_t size = ReportSizeForID(id);
    auto p = newFeatureReport(id, size);
    insertReportID(*p, h);
    // Only a write carries data; the report's remaining bytes stay zero.
    if (h.Command == DEVICE_CMD_WRITE && n > 0)
        std::memcpy(p->Data.DATAReally + (DEVICE_COMMAND_HEADER_SIZE - 1), command.Data, n);
    return hid.HidFindAndSetFeatureReport(*p);
}

std::uint32_t QueryDeviceCommand(TuiHIDData& hid, TDeviceCommandBuffer& command) {
    const DeviceCommandHeader header = command.Header;
    const std::uint32_t n = rangeLength(header);
    if (n > DEVICE_MAX_READ_LENGTH) return kInvalidParameter;

    // The request: the header alone, as report 2.
    auto request = newFeatureReport(2, ReportSizeForID(2));
    insertReportID(*request, header);
    if (const std::uint32_t r = hid.HidFindAndSetFeatureReport(*request); r != 0) return r;

    // The answer, in the report that holds 8 + n bytes.
    const std::uint8_t id = ReportIDForLength(DEVICE_COMMAND_HEADER_SIZE + n);
    const std::size_t size = ReportSizeForID(id);
    auto answer = newFeatureReport(id, size);
    if (const std::uint32_t r = hid.HidFindAndGetFeatureReport(*answer); r != 0) return r;

    // RemoveReportID: the header area takes the answer's bytes 1..7 and a 0; the data follow.
    std::memcpy(&command.Header, answer->Data.DATAReally, DEVICE_COMMAND_HEADER_SIZE - 1);
    command.Header.Fill[2] = 0;
    const std::size_t dataBytes = std::min<std::size_t>(size - DEVICE_COMMAND_HEADER_SIZE, sizeof command.Data);
    std::memcpy(command.Data, answer->Data.DATAReally + (DEVICE_COMMAND_HEADER_SIZE - 1), dataBytes);
    return 0;
}

std::uint32_t WriteDeviceMemory(TuiHIDData& hid, const void* data, std::uint32_t length, int address) {
    if (length == 0) return 0;
    if (length > DEVICE_MAX_WRITE_LENGTH || !validAddress(address) || data == nullptr) return kInvalidParameter;
    auto c = std::make_unique<TDeviceCommandBuffer>();
    c->Header = rangeHeader(DEVICE_CMD_WRITE, address, length);
    std::memcpy(c->Data, data, length);
    return SendDeviceCommand(hid, *c);
}

std::uint32_t ReadDeviceMemory(TuiHIDData& hid, void* buffer, std::uint32_t length, int address) {
    if (length > DEVICE_MAX_READ_LENGTH || !validAddress(address) || (buffer == nullptr && length > 0))
        return kInvalidParameter;
    auto c = std::make_unique<TDeviceCommandBuffer>();
    c->Header = rangeHeader(DEVICE_CMD_READ, address, length);
    const std::uint32_t r = QueryDeviceCommand(hid, *c);
    if (r == 0 && length > 0) std::memcpy(buffer, c->Data, length);
    return r;
}

std::uint32_t SendProfileCommand(TuiHIDData& hid, std::uint8_t param1, std::uint8_t param2) {
    const std::uint8_t p[2] = {param1, param2};
    return sendSmallCommand(hid, DEVICE_CMD_PROFILE, p, 2);
}

std::uint32_t SetLEDPreview(TuiHIDData& hid, const TLEDCONFIG& led) {
    const std::uint8_t p[5] = {led.R, led.G, led.B, led.BRIGHT_LEVEL, led.BREATH_SPEED};
    return sendSmallCommand(hid, DEVICE_CMD_LED_PREVIEW, p, 5);
}

std::uint32_t SetSensorLift(TuiHIDData& hid, std::uint8_t value) {
    return sendSmallCommand(hid, DEVICE_CMD_SENSOR_LIFT, &value, 1);
}

std::uint32_t SetDeviceWriteMode(TuiHIDData& hid, std::uint8_t mode) {
    return sendSmallCommand(hid, DEVICE_CMD_WRITE_MODE, &mode, 1);
}

std::uint32_t WriteDeviceByte(TuiHIDData& hid, std::uint8_t value, int address) {
    return WriteDeviceMemory(hid, &value, 1, address);
}

std::uint32_t WriteReportRateByte(TuiHIDData& hid, std::uint8_t value, int address) {
    return WriteDeviceMemory(hid, &value, 1, address);
}

std::uint32_t ReadDeviceByte(TuiHIDData& hid, std::uint8_t& buffer, int address) {
    return ReadDeviceMemory(hid, &buffer, 1, address);
}

std::uint32_t WriteCPITable(TuiHIDData& hid, const TDeviceCPITable& table, int address) {
    return WriteDeviceMemory(hid, table.data(), static_cast<std::uint32_t>(table.size()), address);
}

std::uint32_t ReadCPITable(TuiHIDData& hid, TDeviceCPITable& buffer, int address) {
    return ReadDeviceMemory(hid, buffer.data(), static_cast<std::uint32_t>(buffer.size()), address);
}

std::uint32_t WriteLEDConfig(TuiHIDData& hid, const TLEDCONFIG& block, int address) {
    static_assert(sizeof(TLEDCONFIG) == 6);
    return WriteDeviceMemory(hid, &block, sizeof block, address);
}

std::uint32_t ReadProfileCPIIndex(TuiHIDData& hid, int profile, std::int32_t& index) {
    if (profile < 0 || profile > 4) return kInvalidParameter;
    TDeviceCPITable table{};
    const std::uint32_t r = ReadCPITable(hid, table, DeviceCPITableAddress(profile));
    if (r != 0) return r;
    if (table[1] > 4) return DEVICE_ERROR_INVALID_DATA;
    index = table[1];
    return 0;
}

std::uint32_t ReadCurrentCPIIndex(TuiHIDData& hid, std::int32_t& index) {
    std::uint8_t profile = 0;
    if (const std::uint32_t r = ReadDeviceByte(hid, profile, DEVICE_ADDR_ACTIVE_PROFILE); r != 0) return r;
    if (profile > 4) return DEVICE_ERROR_INVALID_DATA;
    return ReadProfileCPIIndex(hid, profile, index);
}
