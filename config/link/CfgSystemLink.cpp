#include "config/link/CfgSystemLink.h"

#include "config/link/ProfileBlocks.h"
#include "core/defs/pubunit_norvane.h"
#include "core/defs/uiThread.h"
#include "core/defs/vyk_messages.h"
#include "core/device/DeviceEncoders.h"
#include "core/device/DeviceProtocol.h"
#include "core/device/uiHIDData.h"
#include "core/device/uiHIDEvent.h"
#include "platform/diag/diag.h"
#include "platform/ipc/ipc.h"
#include "platform/pointer/pointer_settings.h"
#include "platform/shell/shell.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <type_traits>

namespace {

bool profileInRange(int profile) { return profile >= 0 && profile <= 4; }

// Pointer settings on their way to the desktop, numbered in the order APPLY handed them over.
// Workers apply one at a time and skip settings older than those already applied: two quick
// APPLYs end with the second one's settings on the desktop, whatever order their workers run
// in. Never freed, so a worker still running at exit finds it.
struct PointerHandover {
    std::atomic<std::uint64_t> handedOver{0};
    std::mutex applying;
    std::uint64_t applied = 0;  // guarded by applying
};

PointerHandover& pointerHandover() {
    static auto* handover = new PointerHandover;
    return *handover;
}

struct NumberedPointerSettings {
    std::uint64_t number;
    TMouseParams params;
};

}  // namespace

CfgSystemLink::CfgSystemLink(QObject* parent) : QObject(parent) {
    // What the desktop's pointer settings need is loaded meanwhile, so the window's first
    // double-click time does not wait for it.
    const char nothing = 0;
    TuiThread::ThreadCallFunction([](void*, std::uint32_t) { vyk::platform::preparePointerSettings(); }, &nothing,
                                  sizeof nothing);
    FHid = new TuiHIDData(this);
    FEvent = new TuiHIDEvent(this);
    FEvent->OnDeviceArrival = [this](QObject*) {
        if (FArrival) FArrival();
    };
}

CfgSystemLink::~CfgSystemLink() {
    if (FEndpoint) FEndpoint->close();
    FEvent->OnDeviceArrival = nullptr;
}

bool CfgSystemLink::AskRunningWindowToShow() {
    return vyk::platform::ipc::postMessage(CONFIG_MAIN_CLASS_NAME, {VYK_IPC_SHOW_WINDOW, 0, 0});
}

bool CfgSystemLink::ListenForMessages(MessageHandler handler) {
    if (!handler) {
        // Stopping: nothing more reaches the handler and the window's socket goes away. A link
        // that was not listening stays so.
        if (FEndpoint) {
            FEndpoint->setHandler({});
            FEndpoint->close();
        }
        return true;
    }
    if (!FEndpoint) FEndpoint = new vyk::platform::ipc::Endpoint(CONFIG_MAIN_CLASS_NAME, this);
    FEndpoint->setHandler([h = std::move(handler)](const vyk::platform::ipc::Message& m) -> std::int64_t {
        std::int64_t result = 0;
        vyk::platform::guarded([&] { result = h(m.msg, m.wParam, m.lParam); });
        return result;
    });
    if (FEndpoint->isListening()) return true;
    return FEndpoint->listen();
}

void CfgSystemLink::SetDeviceArrivalHandler(ArrivalHandler handler) { FArrival = std::move(handler); }

bool CfgSystemLink::DeviceExists() {
    auto param = std::make_unique<THIDDataParam>();
    param->UsageAndPage = ConfigUsageAndPage;
    param->DeviceID = QStringLiteral("*");
    return FHid->IsDeviceExist(*param);
}

bool CfgSystemLink::DeviceAccessDenied() {
    auto param = std::make_unique<THIDDataParam>();
    param->UsageAndPage = ConfigUsageAndPage;
    param->DeviceID = QStringLiteral("*");
    return FHid->DeviceAccess(*param) == THIDDeviceAccess::AccessDenied;
}

std::uint32_t CfgSystemLink::SetDeviceWriteMode(std::uint8_t mode) { return ::SetDeviceWriteMode(*FHid, mode); }

std::uint32_t CfgSystemLink::ReadCurrentCPIIndex(std::int32_t& index) { return ::ReadCurrentCPIIndex(*FHid, index); }

std::uint32_t CfgSystemLink::WriteProfile(const TMouseProfileInfo& profile, int index, const TUsedMacros& macros,
                                          TButtonRecordSet asStored, const BetweenWrites& between) {
    const TProfileBlocks blocks = ProfileBlocks(profile, macros, asStored);
    std::uint32_t first = 0;
    auto note = [&first](std::uint32_t result) {
        if (first == 0) first = result;
    };
    note(WriteButtonTable(blocks.Buttons, index));
    if (between) between();
    note(WriteLEDConfig(blocks.Lighting, index));
    if (between) between();
    note(WriteCPITable(blocks.DPILevels, index));
    if (between) between();
    note(WriteReportRate(blocks.ReportRate, index));
    return first;
}

std::uint32_t CfgSystemLink::WriteDPILevels(const TMouseProfileInfo& profile, int index) {
    TCPIBlock block{};
    BuildCPITable(profile, block);
    return WriteCPITable(block, index);
}

std::uint32_t CfgSystemLink::WriteUsedMacros(const TUsedMacros& macros, const BetweenWrites& between) {
    // One macro at a time, so the caller's window keeps painting between them.
    const auto tables = UsedMacroTables(macros);
    auto one = std::make_unique<TMacroTables>();
    std::uint32_t first = 0;
    for (int m = 0; m < MACRO_BLOCK_COUNT; ++m) {
        if (tables->Lengths[m] <= 0) continue;
        *one = TMacroTables{};
        std::copy(std::begin(tables->Blocks[m]), std::end(tables->Blocks[m]), std::begin(one->Blocks[m]));
        one->Lengths[m] = tables->Lengths[m];
        const std::uint32_t result = WriteMacroTables(*one);
        if (first == 0) first = result;
        if (between) between();
    }
    return first;
}

std::uint32_t CfgSystemLink::WriteButtonTable(const TButtonBlock& block, int profile) {
    // The block types of the writers are the encoders' own.
    static_assert(std::is_same_v<TButtonBlock, TButtonTable>);
    static_assert(std::is_same_v<TCPIBlock, TCPITable>);
    static_assert(std::is_same_v<TCPIBlock, TDeviceCPITable>);
    if (!profileInRange(profile)) return kInvalidParameter;
    return ::WriteButtonTable(*FHid, block, DeviceButtonTableAddress(profile));
}

std::uint32_t CfgSystemLink::WriteLEDConfig(const TLEDCONFIG& block, int profile) {
    if (!profileInRange(profile)) return kInvalidParameter;
    return ::WriteLEDConfig(*FHid, block, DeviceLEDConfigAddress(profile));
}

std::uint32_t CfgSystemLink::WriteCPITable(const TCPIBlock& block, int profile) {
    if (!profileInRange(profile)) return kInvalidParameter;
    return ::WriteCPITable(*FHid, block, DeviceCPITableAddress(profile));
}

std::uint32_t CfgSystemLink::WriteReportRate(std::uint8_t code, int profile) {
    if (!profileInRange(profile)) return kInvalidParameter;
    return ::WriteReportRateByte(*FHid, code, DeviceReportRateAddress(profile));
}

std::uint32_t CfgSystemLink::WriteMacroTables(const TMacroTables& tables) {
    return ::WriteMacroTables(*FHid, tables, DEVICE_ADDR_MACRO);
}

std::uint32_t CfgSystemLink::WriteActiveProfile(std::uint8_t profile) {
    if (!profileInRange(profile)) return kInvalidParameter;
    return ::WriteDeviceByte(*FHid, profile, DEVICE_ADDR_ACTIVE_PROFILE);
}

std::uint32_t CfgSystemLink::SendProfileCommand(std::uint8_t param1, std::uint8_t param2) {
    return ::SendProfileCommand(*FHid, param1, param2);
}

std::uint32_t CfgSystemLink::PreviewLighting(const TLEDCONFIG& lighting) {
    return ::SetLEDPreview(*FHid, DeviceLighting(lighting));
}

std::uint32_t CfgSystemLink::SetSensorLift(std::uint8_t value) { return ::SetSensorLift(*FHid, value); }

void CfgSystemLink::HoldDevice() { FHid->HoldInterfaces(); }

void CfgSystemLink::ReleaseDevice() { FHid->ReleaseInterfaces(); }

bool CfgSystemLink::FindMonitorWindow() { return vyk::platform::ipc::findWindow(MONITOR_MAIN_CLASS_NAME); }

bool CfgSystemLink::SendToMonitor(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) {
    return vyk::platform::ipc::sendMessage(MONITOR_MAIN_CLASS_NAME, {msg, wParam, lParam}) ==
           vyk::platform::ipc::SendStatus::Delivered;
}

bool CfgSystemLink::PostToMonitor(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) {
    return vyk::platform::ipc::postMessage(MONITOR_MAIN_CLASS_NAME, {msg, wParam, lParam});
}

bool CfgSystemLink::StartMonitor(const QString& folder) {
    return vyk::platform::startProgram(folder, MONITOR_EXE_NAME);
}

void CfgSystemLink::ApplyPointerSettings(const TMouseParams& params) {
    // The worker gets its own copy of the 12 bytes; the caller does not wait for it.
    const NumberedPointerSettings handed{++pointerHandover().handedOver, params};
    TuiThread::ThreadCallFunction(
        [](void* buffer, std::uint32_t size) {
            if (size < sizeof(NumberedPointerSettings)) return;
            NumberedPointerSettings n;
            std::memcpy(&n, buffer, sizeof n);
            PointerHandover& h = pointerHandover();
            std::lock_guard turn(h.applying);
            if (n.number < h.applied) return;  // newer settings are on the desktop already
            h.applied = n.number;
            vyk::platform::PointerSettings s;
            s.speed = n.params.PointerSpeed;
            s.wheelLines = n.params.WheelLines;
            s.acceleration = n.params.Acceleration;  // outside 0..3 nothing is applied
            vyk::platform::applyPointerSettings(s);
        },
        &handed, sizeof handed);
}

void CfgSystemLink::SetDoubleClickTime(int ms) { vyk::platform::setDoubleClickTime(ms); }

bool CfgSystemLink::OpenDocument(const QString& target) { return vyk::platform::openDocument(target); }
