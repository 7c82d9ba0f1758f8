#pragma once
// The mouse's configuration protocol: command reports sent as HID feature reports on the
// vendor interface (ConfigUsageAndPage), the read exchange, the device commands, the memory
// map and the typed accessors.
//
// A command report: byte 0 the report ID (2..6, chosen by the total length), byte 1 the
// command, bytes 2..5 its parameters (for writes and reads: address and length, little-endian),
// bytes 6..7 0xFA 0xFA for writes and reads (zeros otherwise), then a write's data, then zeros
// up to the report size. Reads send the header as report 2 and get the answer, whose data
// start at byte 8, with the report that fits 8 + length bytes.
//
// Every call goes to every matching interface, blocks until its reports are done, and returns
// 0 or the error code of the HID call; arguments that cannot be sent (too long, an address
// outside the 16-bit memory) are refused with 87 before anything is sent.

#include "core/device/uiHIDData.h"

#include <array>
#include <cstddef>
#include <cstdint>

// Device commands.
inline constexpr std::uint8_t DEVICE_CMD_PROFILE = 1;
inline constexpr std::uint8_t DEVICE_CMD_WRITE = 2;
inline constexpr std::uint8_t DEVICE_CMD_READ = 3;
inline constexpr std::uint8_t DEVICE_CMD_LED_PREVIEW = 4;
inline constexpr std::uint8_t DEVICE_CMD_SENSOR_LIFT = 5;
inline constexpr std::uint8_t DEVICE_CMD_WRITE_MODE = 6;

// Device memory map (16-bit addresses; p is the profile 0..4, m the macro 0..29).
inline constexpr int DEVICE_ADDR_ACTIVE_PROFILE = 0x43;  // 1 byte
inline constexpr int DEVICE_ADDR_REPORT_RATE = 0x48;     // + p, 1 byte
inline constexpr int DEVICE_ADDR_CPI_TABLE = 0x4F;       // + p * 0x100, 42 bytes
inline constexpr int DEVICE_ADDR_BUTTON_TABLE = 0x90;    // + p * 0x100, 77 bytes
inline constexpr int DEVICE_ADDR_LED_CONFIG = 0xF1;      // + p * 0x100, 6 bytes
inline constexpr int DEVICE_ADDR_MACRO = 0x500;          // + m * 200, up to 180 bytes
inline constexpr int DEVICE_PROFILE_STRIDE = 0x100;
inline constexpr int DEVICE_MACRO_STRIDE = 200;

constexpr int DeviceReportRateAddress(int profile) { return DEVICE_ADDR_REPORT_RATE + profile; }
constexpr int DeviceCPITableAddress(int profile) { return profile * DEVICE_PROFILE_STRIDE + DEVICE_ADDR_CPI_TABLE; }
constexpr int DeviceButtonTableAddress(int profile) {
    return profile * DEVICE_PROFILE_STRIDE + DEVICE_ADDR_BUTTON_TABLE;
}
constexpr int DeviceLEDConfigAddress(int profile) { return profile * DEVICE_PROFILE_STRIDE + DEVICE_ADDR_LED_CONFIG; }
constexpr int DeviceMacroAddress(int macro) { return DEVICE_ADDR_MACRO + macro * DEVICE_MACRO_STRIDE; }

inline constexpr std::size_t DEVICE_COMMAND_HEADER_SIZE = 8;
inline constexpr std::uint32_t DEVICE_MAX_WRITE_LENGTH = 2048;
inline constexpr std::uint32_t DEVICE_MAX_READ_LENGTH = 2040;
inline constexpr std::size_t DEVICE_CPI_TABLE_SIZE = 42;
inline constexpr std::uint8_t DEVICE_COMMAND_FILL = 0xFA;

// Result of a device value outside its range (a profile or DPI level above 4).
inline constexpr std::uint32_t DEVICE_ERROR_INVALID_DATA = 13;

// The 8-byte header of a command: the command, four parameter bytes, three fill bytes. Only
// the first seven reach the device (the report ID takes the place of the eighth).
struct DeviceCommandHeader {
    std::uint8_t Command;
    std::uint8_t Param[4];
    std::uint8_t Fill[3];
};
static_assert(sizeof(DeviceCommandHeader) == DEVICE_COMMAND_HEADER_SIZE);

// A command buffer: the header, then a write's payload or a read's answer data.
struct TDeviceCommandBuffer {
    DeviceCommandHeader Header;
    std::uint8_t Data[DEVICE_MAX_WRITE_LENGTH];
};
static_assert(sizeof(TDeviceCommandBuffer) == DEVICE_COMMAND_HEADER_SIZE + DEVICE_MAX_WRITE_LENGTH);

using TDeviceCPITable = std::array<std::uint8_t, DEVICE_CPI_TABLE_SIZE>;

// Report ID for a total length (header + payload): up to 16 -> 2, 17..64 -> 3, 65..1024 -> 4,
// 1025..2048 -> 5, 2049..4096 -> 6; 0 above 4096.
std::uint8_t ReportIDForLength(std::size_t total);
// Report size for a report ID (ID byte included), from core/device/feature_reports.h; 0 for
// IDs outside 2..6.
std::size_t ReportSizeForID(std::uint8_t reportId);

// Sends one command report built from the header and, for command 2, its payload (at most
// 2048 bytes).
std::uint32_t SendDeviceCommand(TuiHIDData& hid, const TDeviceCommandBuffer& command);
// The read exchange: sends the header as report 2, then gets the answer. On success the
// header area holds the answer's bytes 1..7 and a 0, and Data the answer from byte 8 on;
// on failure the buffer is unchanged. The length field may be at most 2040.
std::uint32_t QueryDeviceCommand(TuiHIDData& hid, TDeviceCommandBuffer& command);

// Command 2: length 1..2048 (0 sends nothing and returns 0).
std::uint32_t WriteDeviceMemory(TuiHIDData& hid, const void* data, std::uint32_t length, int address);
// Command 3: length 0..2040. On success copies length bytes into buffer; on failure the
// buffer is unchanged.
std::uint32_t ReadDeviceMemory(TuiHIDData& hid, void* buffer, std::uint32_t length, int address);

// Commands 1, 4, 5 and 6, each one report 2 of 16 bytes.
std::uint32_t SendProfileCommand(TuiHIDData& hid, std::uint8_t param1, std::uint8_t param2);
// Sends the first five bytes of the record (the caller has inverted R, G and B).
std::uint32_t SetLEDPreview(TuiHIDData& hid, const TLEDCONFIG& led);
std::uint32_t SetSensorLift(TuiHIDData& hid, std::uint8_t value);
std::uint32_t SetDeviceWriteMode(TuiHIDData& hid, std::uint8_t mode);

// Typed accessors at an address given by the caller.
std::uint32_t WriteDeviceByte(TuiHIDData& hid, std::uint8_t value, int address);
std::uint32_t WriteReportRateByte(TuiHIDData& hid, std::uint8_t value, int address);
std::uint32_t ReadDeviceByte(TuiHIDData& hid, std::uint8_t& buffer, int address);
std::uint32_t WriteCPITable(TuiHIDData& hid, const TDeviceCPITable& table, int address);
std::uint32_t ReadCPITable(TuiHIDData& hid, TDeviceCPITable& buffer, int address);
// Sends the six bytes as given (the caller has inverted R, G and B).
std::uint32_t WriteLEDConfig(TuiHIDData& hid, const TLEDCONFIG& block, int address);

// Reads the DPI table of a profile (0..4) and sets index to its byte 1, the profile's current
// DPI level. A level above 4 is refused (DEVICE_ERROR_INVALID_DATA) and index stays as it was.
std::uint32_t ReadProfileCPIIndex(TuiHIDData& hid, int profile, std::int32_t& index);
// Reads the active profile, then that profile's current DPI level. index is written only when
// both reads succeed and both values are in 0..4; otherwise the error is returned.
std::uint32_t ReadCurrentCPIIndex(TuiHIDData& hid, std::int32_t& index);
