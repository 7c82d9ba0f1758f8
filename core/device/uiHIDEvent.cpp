#include "core/device/uiHIDEvent.h"

#include "platform/devnotify/device_notifier.h"
#include "platform/diag/diag.h"

#include <QMetaObject>
#include <QTimer>

TuiHIDEvent::TuiHIDEvent(QObject* AOwner) : QObject(AOwner) {
    if (FUsbGuid.isEmpty()) FUsbGuid = QStringLiteral("{4d1e55b2-f16f-11cf-88cb-001111000030}");

    FNotifier = std::make_unique<vyk::platform::DeviceNotifier>();
    connect(FNotifier.get(), &vyk::platform::DeviceNotifier::interfaceArrived, this,
            [this] { WndProc(DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE); });
    connect(FNotifier.get(), &vyk::platform::DeviceNotifier::interfaceRemoved, this,
            [this] { WndProc(DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE); });
    connect(FNotifier.get(), &vyk::platform::DeviceNotifier::nodesChanged, this,
            [this] { WndProc(DBT_DEVNODES_CHANGED, 0); });
    // One "device nodes changed" as soon as the owner's event loop runs.
    QMetaObject::invokeMethod(
        this, [this] { WndProc(DBT_DEVNODES_CHANGED, 0); }, Qt::QueuedConnection);

    FTimerToStartMonitor = new QTimer(this);
    FTimerToStartMonitor->setSingleShot(true);
    FTimerToStartMonitor->setInterval(1500);
    connect(FTimerToStartMonitor, &QTimer::timeout, this, [this] { TimerToStartMonitorTimer(); });
    FTimerToStartMonitor->start();
}

TuiHIDEvent::~TuiHIDEvent() = default;

void TuiHIDEvent::TimerToStartMonitorTimer() {
    FTimerToStartMonitor->stop();
    vyk::platform::guarded([this] {
        if (OnDeviceArrival) OnDeviceArrival(this);
    });
}

void TuiHIDEvent::WndProc(std::uint32_t wParam, std::uint32_t deviceType) {
    vyk::platform::guarded([&] { WMDeviceChange(wParam, deviceType); });
}

void TuiHIDEvent::WMDeviceChange(std::uint32_t wParam, std::uint32_t deviceType) {
    switch (wParam) {
    case DBT_DEVICEARRIVAL:
        if (deviceType == DBT_DEVTYP_DEVICEINTERFACE && OnDeviceArrival) OnDeviceArrival(this);
        break;
    case DBT_DEVICEREMOVECOMPLETE:
        if (deviceType == DBT_DEVTYP_DEVICEINTERFACE && OnDeviceRemove) OnDeviceRemove(this);
        break;
    case DBT_DEVNODES_CHANGED:
        if (OnDeviceChange) OnDeviceChange(this);
        break;
    default: break;
    }
}
