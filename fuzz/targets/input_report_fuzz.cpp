// Fuzz target: the bytes as input reports of the mouse, delivered to the monitor's decoder the
// way its HID reader hands them over (report ID, then the data bytes), followed by the button
// and profile events the decoder posts.
//
// Input: a sequence of reports, each a length byte followed by that many bytes, report ID
// first (the last report takes what is left). A report of 0 bytes is not delivered, as the
// reader fires nothing for it. The monitor and its data module are made once, on a fresh
// store with factory profiles.

#include "fuzz/support/fuzz_support.h"

#include "core/store/DMUnit.h"
#include "monitor/MouseMonitor.h"

#include <memory>

namespace {

// Kept until the process ends and never destroyed: the monitor's message endpoint must not
// outlive the thread's list of endpoints, which goes with the thread's other locals at exit.
TDM* g_dm = nullptr;
TVYKMONMAIN* g_monitor = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::ensureApplication();
    g_dm = new TDM();
    g_monitor = new TVYKMONMAIN(g_dm);
    vyk::fuzz::drainEvents();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!g_monitor) LLVMFuzzerInitialize(nullptr, nullptr);
    std::size_t pos = 0;
    int reports = 0;
    while (pos < size && reports < 32) {
        std::size_t len = data[pos++];
        if (len > size - pos || reports == 31) len = size - pos;
        const std::uint8_t* report = data + pos;
        pos += len;
        ++reports;
        if (len == 0) continue;
        g_monitor->uiHIDData1Data(QStringLiteral("HID\\VID_1EA7&PID_7730&MI_01"), QStringLiteral("vyk-sim:1:fuzz"),
                                  report[0], report + 1, static_cast<std::uint16_t>(len - 1));
        vyk::fuzz::drainEvents();
        const int current = g_monitor->CurrentProfileIndex();
        VYK_FUZZ_CHECK(current >= 0 && current <= 4, "the monitor's current profile left 0..4");
    }
    return 0;
}
