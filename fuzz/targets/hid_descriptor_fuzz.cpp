// Fuzz target: the bytes as a HID report descriptor of an enumerated node, then the hardware
// IDs and capabilities built from it, and one input report read through each collection.
//
// Input: byte 0 is the USB interface number (0xFF: not a composite device), bytes 1..2 the
// descriptor length (little-endian), then the descriptor; what follows is an input report
// (report ID first) decoded against every collection found.

#include "fuzz/support/fuzz_support.h"

#include "core/device/uiHIDData.h"
#include "platform/hid/hid_descriptor.h"
#include "platform/hid/hid_device.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace hid = vyk::platform::hid;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::initSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int interfaceNumber = data[0] == 0xFF ? -1 : data[0];
    std::size_t length = data[1] | (static_cast<std::size_t>(data[2]) << 8);
    if (length > size - 3) length = size - 3;
    const std::span<const std::uint8_t> descriptor(data + 3, length);
    const std::vector<std::uint8_t> report(data + 3 + length, data + size);

    std::vector<hid::HidCollection> collections;
    std::string error;
    const bool parsed = hid::parseReportDescriptor(descriptor, collections, &error);
    VYK_FUZZ_CHECK(parsed || !error.empty(), "a refused descriptor names no reason");
    VYK_FUZZ_CHECK(parsed || collections.empty(), "a refused descriptor left collections behind");

    const hid::HidAttributes attributes{0x1EA7, 0x7730, 0x0103};
    const auto infos = hid::interfacesOfNode("/dev/hidraw0", attributes, interfaceNumber, descriptor, &error);
    VYK_FUZZ_CHECK(infos.size() == collections.size(), "interfaces and collections differ in number");

    for (std::size_t i = 0; i < infos.size(); ++i) {
        const hid::HidInterfaceInfo& info = infos[i];
        const hid::HidCollection& caps = info.caps;
        VYK_FUZZ_CHECK(info.hardwareIds.size() == 4, "a collection without its four hardware IDs");
        for (const auto& id : info.hardwareIds)
            VYK_FUZZ_CHECK(!id.empty() && id.size() < 64, "a malformed hardware ID");
        VYK_FUZZ_CHECK(caps.usagePage == collections[i].usagePage && caps.usage == collections[i].usage,
                       "the interface's caps are not its collection's");
        for (const auto* ids : {&caps.inputReportIds, &caps.outputReportIds, &caps.featureReportIds}) {
            for (std::size_t k = 0; k < ids->size(); ++k) {
                VYK_FUZZ_CHECK(((*ids)[k] != 0) == caps.usesReportIds, "report ID 0 mixed with report IDs");
                VYK_FUZZ_CHECK(k == 0 || (*ids)[k - 1] < (*ids)[k], "report IDs not sorted or repeated");
            }
        }
        for (const hid::HidField& f : caps.fields) {
            for (std::uint32_t k = 0; k < 4 && k < f.reportCount; ++k) (void)f.usageAt(k);
        }

        const std::size_t most = hid::maxInputButtonUsages(caps);
        const auto on = hid::inputButtonUsagesOn(caps, report.empty() ? nullptr : report.data(), report.size());
        VYK_FUZZ_CHECK(on.size() <= most, "more buttons on than the collection can report");
        if (!report.empty()) {
            // A reader's buffer is the collection's input report length (report ID included).
            std::vector<std::uint8_t> buffer(caps.inputReportByteLength > 0 ? caps.inputReportByteLength : 1, 0);
            std::memcpy(buffer.data(), report.data(), std::min(buffer.size(), report.size()));
            (void)ParseButtonUsages(caps, buffer.data(), buffer.size());
            ResetButtonUsages();
        }
    }
    return 0;
}
