#pragma once
// The device-arrival component: tells its owner that a HID interface arrived or was removed
// and that the set of device nodes changed. It also fires OnDeviceArrival once, 1500 ms after
// it is made, so that a device already plugged in at start-up is treated like one that
// arrives. Every event fires on the thread that made the component (the UI thread); an
// exception from a handler is shown by the application's error handler and later
// notifications are still delivered. No event says which device it concerns.

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QTimer;
namespace vyk::platform {
class DeviceNotifier;
}

using TNotifyEvent = std::function<void(QObject* Sender)>;

class TuiHIDEvent : public QObject {
    Q_OBJECT
public:
    // The device-change notifications the component handles (the values of the platform's
    // device-change message).
    static constexpr std::uint32_t DBT_DEVNODES_CHANGED = 0x0007;
    static constexpr std::uint32_t DBT_DEVICEARRIVAL = 0x8000;
    static constexpr std::uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
    static constexpr std::uint32_t DBT_DEVTYP_DEVICEINTERFACE = 5;

    explicit TuiHIDEvent(QObject* AOwner = nullptr);
    ~TuiHIDEvent() override;

    TNotifyEvent OnDeviceArrival;
    TNotifyEvent OnDeviceRemove;
    TNotifyEvent OnDeviceChange;

    // The device interface class watched: always the HID class.
    const QString& UsbGuid() const { return FUsbGuid; }

protected:
    // One device-change notification: arrival and removal count only for device interfaces
    // (deviceType 5); DBT_DEVNODES_CHANGED fires OnDeviceChange. Overridable.
    virtual void WMDeviceChange(std::uint32_t wParam, std::uint32_t deviceType);

private:
    void WndProc(std::uint32_t wParam, std::uint32_t deviceType);
    void TimerToStartMonitorTimer();

    QString FUsbGuid;
    std::unique_ptr<vyk::platform::DeviceNotifier> FNotifier;
    QTimer* FTimerToStartMonitor = nullptr;
};
