#pragma once
// HID report descriptor parser.
//
// Splits a report descriptor into its top-level collections and gives, for each, its usage
// page and usage, the byte length of its largest input, output and feature report (report ID
// byte included, so a collection without report IDs still counts one byte for it), the report
// IDs it uses and its data fields. This is what a HID class driver exposes per collection as
// its capabilities; a hidraw node carries all collections of one USB interface together.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vyk::platform::hid {

enum class ReportType : std::uint8_t { Input = 0, Output = 1, Feature = 2 };

struct HidUsage {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    bool operator==(const HidUsage&) const = default;
};

// One main item (Input, Output or Feature) with the state that was in force for it.
struct HidField {
    ReportType type = ReportType::Input;
    std::uint8_t reportId = 0;      // 0 when the descriptor uses no report IDs
    std::uint32_t bitOffset = 0;    // from the first data bit after the report ID byte
    std::uint32_t reportSize = 0;   // bits per element
    std::uint32_t reportCount = 0;  // elements
    std::uint32_t flags = 0;        // the main item's data bits (bit 0 constant, bit 1 variable)
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
    // Usages of the elements: either an explicit list (the last one repeats) or a range.
    std::vector<HidUsage> usages;
    bool usageRange = false;
    HidUsage usageMin;
    HidUsage usageMax;

    bool isConstant() const { return (flags & 0x01) != 0; }
    bool isVariable() const { return (flags & 0x02) != 0; }
    // A button field: one bit per usage (variable), or an array of usage indexes. A field of
    // 0-bit elements carries nothing, however many it declares.
    bool isButtons() const {
        return !isConstant() && reportSize > 0 && ((isVariable() && reportSize == 1) || !isVariable());
    }
    // The usage of element i of a variable field, or of array value index i.
    HidUsage usageAt(std::uint32_t i) const;
};

struct HidCollection {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t inputReportByteLength = 0;
    std::uint16_t outputReportByteLength = 0;
    std::uint16_t featureReportByteLength = 0;
    bool usesReportIds = false;
    std::vector<std::uint8_t> inputReportIds;  // sorted, each once
    std::vector<std::uint8_t> outputReportIds;
    std::vector<std::uint8_t> featureReportIds;
    std::vector<HidField> fields;  // in descriptor order
};

// Parses a whole descriptor. On success fills out (one entry per top-level collection, in
// order) and returns true; a malformed descriptor (truncated item, unbalanced collections,
// report ID 0, a main item outside every collection, stack misuse, reports longer than
// 65535 bytes, a descriptor over 4096 bytes) returns false with a reason in *error.
bool parseReportDescriptor(std::span<const std::uint8_t> descriptor, std::vector<HidCollection>& out,
                           std::string* error = nullptr);

// The most button usages that one input report of the collection can report as pressed
// (the sum of the element counts of its input button fields).
std::size_t maxInputButtonUsages(const HidCollection& collection);

// The button usages that are on in an input report of the collection. report[0] is the
// report ID (0 for a collection without IDs); fields of other reports are ignored; data
// beyond `length` reads as zero.
std::vector<HidUsage> inputButtonUsagesOn(const HidCollection& collection, const std::uint8_t* report,
                                          std::size_t length);

}  // namespace vyk::platform::hid
