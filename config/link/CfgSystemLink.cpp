#include "config/link/CfgSystemLink.h"

#include "core/defs/pubunit_norvane.h"
#include "core/device/DeviceEncoders.h"
#include "core/device/DeviceProtocol.h"
#include "core/device/uiHIDData.h"
#include "core/device/uiHIDEvent.h"
#include "core/defs/uiThread.h"
#include "platform/diag/diag.h"
#include "platform/ipc/ipc.h"
#include "platform/pointer/pointer_settings.h"
#include "platform/shell/shell.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <type_traits>

static_assert(std::is_same_v<CfgLink::TButtonBlock, TButtonTable>);
static_assert(std::is_same_v<CfgLink::TCPIBlock, TCPITable>);
static_assert(std::is_same_v<CfgLink::TCPIBlock, TDeviceCPITable>);

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

std::uint32_t CfgSystemLink::WriteButtonTable(const TButtonBlock& block, int profile) {
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

std::uint32_t CfgSystemLink::WriteDeviceByte(std::uint8_t value, int address) {
    return ::WriteDeviceByte(*FHid, value, address);
}

std::uint32_t CfgSystemLink::WriteActiveProfile(std::uint8_t profile) {
    if (!profileInRange(profile)) return kInvalidParameter;
    return ::WriteDeviceByte(*FHid, profile, DEVICE_ADDR_ACTIVE_PROFILE);
}

std::uint32_t CfgSystemLink::SendProfileCommand(std::uint8_t param1, std::uint8_t param2) {
    return ::SendProfileCommand(*FHid, param1, param2);
}

std::uint32_t CfgSystemLink::SetLEDPreview(const TLEDCONFIG& led) { return ::SetLEDPreview(*FHid, led); }

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
