#pragma once
// TuiSTDCommand: control of an optional kernel filter driver placed on the mouse's HID device
// node. It reads from config.ini which devices are supported (section devicelist), which get
// the filter (usbdevicelist) and the names of the driver package (DEVICE); installs or removes
// the filter for every present listed device, through the driver-package tool or by itself;
// sends control requests to the driver's control device; and monitors data from the driver
// with two readers that take turns, each handing its result to OnDataReceived.
//
// The services it relies on are reached through vyk::platform::DriverControl. On Linux they
// are absent (see platform/driverctl): the control device never opens and installs fail, so a
// component on a window only reads config.ini, keeps its arrival notifier and, 1.5 s after
// every arrival or removal, tries to start monitoring, which does nothing without device
// initialisation data.
//
// Threads: everything runs on the UI thread except the two readers and OnDataReceived, which
// runs on a reader thread. Deliveries never overlap and come in the order the reads completed.
// Set the events before monitoring starts.

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/device/uiHIDEvent.h"
#include "platform/driverctl/driver_control.h"
#include "platform/driverctl/sync_event.h"

class QTimer;

// The package settings (config.ini section DEVICE).
struct TDriverInfo {
    QString InfFileName;
    QString FileName;
    QString ServiceName;
    QString ServiceNamex86;
    QString ServiceNamex64;
    QString DeviceName;
    int WHQL = 0;
    int X32WHQL = 0;
    int UpperFilter = 0;
};

// Buffer is valid only during the call.
using TDataReceivedEvent = std::function<void(const void* Buffer, std::uint32_t BufferSize)>;

class TuiSTDCommand : public QObject {
public:
    // Size of each reader's input and output buffer; longer read requests are refused.
    static constexpr std::uint32_t ReaderBufferSize = 10241;
    // Delay from the last arrival or removal to the next start attempt.
    static constexpr int StartMonitorDelayMs = 1500;

    // What the component uses of the system; empty members take the real ones.
    struct Services {
        std::shared_ptr<vyk::platform::DriverControl> Driver;
        std::function<std::uint8_t()> WindowsVersion;  // GetWindowsVersion
        std::function<bool()> Windows64;               // IsWindows64
        bool CreateArrivalNotifier = true;             // own a TuiHIDEvent
    };

    explicit TuiSTDCommand(QObject* AOwner = nullptr);
    TuiSTDCommand(QObject* AOwner, Services services);
    ~TuiSTDCommand() override;
    TuiSTDCommand(const TuiSTDCommand&) = delete;
    TuiSTDCommand& operator=(const TuiSTDCommand&) = delete;

    // One control request on the control device, Buffer used for input and output (Count
    // bytes each way). 21 when the device cannot be opened, 87 for a negative Count or a
    // missing buffer, else 0 or the request's error. Opens and closes the device each time.
    std::uint32_t DeviceRW(void* Buffer, std::int32_t Count, std::uint32_t IoControlCode);

    // Stores a copy of the initialisation data and the monitoring parameters (no I/O). A size
    // of 0 changes nothing; so do report lengths outside 0..ReaderBufferSize (refused).
    void SetDeviceInitData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize,
                           std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                           std::int32_t AInputReportLength, std::int32_t AOutputReportLength);
    // Sends the stored initialisation data again.
    void SetMonitorData();
    // Stores as SetDeviceInitData, then sends the new data (nothing when refused).
    void SetMonitorData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize,
                        std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                        std::int32_t AInputReportLength, std::int32_t AOutputReportLength);

    void StartMonitorDevice();  // (re)starts the readers
    void StopMonitorDevice();

    // The control device can be opened.
    bool IsDeviceExist();

    // The component's own lists (config.ini sections devicelist and usbdevicelist).
    const QStringList& GetHIDDeviceList() const { return FHidDeviceList; }
    const QStringList& GetUSBDeviceList() const { return FUsbDeviceList; }
    // Any of the hardware IDs is in the list (whole string, letter case ignored).
    bool HardwareIdsInConfigHidList(const QStringList& strHardwareIDs) const;
    bool HardwareIdsInConfigUsbList(const QStringList& strHardwareIDs) const;
    // A present HID-class device has a hardware ID in devicelist.
    bool IsHIDDeviceExist();
    // A present HID-class device has the hardware ID VidPid (letter case ignored).
    bool ISHIDDeviceExist(const QString& VidPid);

    // Installs (true) or removes (false) the filter driver for every present device listed in
    // usbdevicelist. Reports nothing.
    void HidInstallDriver(bool Install);

    std::uint32_t ReadIOCode() const { return FReadIOCode; }
    void setReadIOCode(std::uint32_t v) { FReadIOCode = v; }
    std::uint32_t WriteIOCode() const { return FWriteIOCode; }
    void setWriteIOCode(std::uint32_t v) { FWriteIOCode = v; }
    std::uint32_t DeviceDataInitIOCode() const { return FDeviceDataInitIOCode; }
    void setDeviceDataInitIOCode(std::uint32_t v) { FDeviceDataInitIOCode = v; }

    const TDriverInfo& DriverInfo() const { return FDriverInfo; }
    const QString& DevicePath() const { return FDevicePath; }
    bool Active() const { return FActive.load(); }
    QTimer* TimerToStartMonitor() const { return FTimerToStartMonitor; }
    TuiHIDEvent* HIDEvent() const { return FHIDEvent; }

    TNotifyEvent OnDeviceArrialEvent;
    TNotifyEvent OnDeviceRemovalEvent;
    TDataReceivedEvent OnDataReceived;

    // Handlers of the arrival notifier and of the start timer.
    void HIDEventDeviceArrival(QObject* Sender);
    void HIDEventDeviceRemove(QObject* Sender);
    void TimerToStartMonitorTimer();

private:
    // One of the two reader threads.
    struct Reader {
        std::thread thread;
        std::atomic<bool> running{false};
        std::atomic<bool> terminated{true};
    };

    void InitializeComponent();
    void FinalizeComponent();
    void ReadConfig();
    bool StoreDeviceInitData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize,
                             std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                             std::int32_t AInputReportLength, std::int32_t AOutputReportLength);
    bool OpenDevice(bool forRead);
    void CloseDevice(bool forRead);
    void SetMonitorActive(bool start);
    void StartReader(int which);
    void TerminateAndWaitFor(Reader& r);
    void ReaderRun(int which);
    std::uint32_t ReadDeviceOnce(std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out, std::uint32_t& bytes);
    std::uint64_t TakeTicket();
    void Deliver(std::uint64_t ticket, const std::uint8_t* data, std::uint32_t size);
    bool HardwareIdsInList(const QStringList& list, const QStringList& ids) const;
    void RestartTimer();
    void RunDIFxCmd(bool install);
    bool InstallFilterDriver(const vyk::platform::DriverDevice& device);
    bool UninstallFilterDriver(const vyk::platform::DriverDevice& device);
    bool ChangeDriverService(bool install, const QString& name, const QString& path);
    bool RestartDevice(const vyk::platform::DriverDevice& device);
    std::uint8_t WindowsVersion() const;
    bool Windows64() const;

    Services FServices;
    std::shared_ptr<vyk::platform::DriverControl> FDriver;

    std::atomic<vyk::platform::DriverHandle> FHidOverlappedRead{vyk::platform::kInvalidDriverHandle};
    vyk::platform::DriverHandle FHidOverlappedWrite = vyk::platform::kInvalidDriverHandle;
    QString FDevicePath;
    // Read by the readers for every request; may be changed while they run.
    std::atomic<std::uint32_t> FInputReportLength{0};
    std::atomic<std::uint32_t> FOutputReportLength{0};
    std::atomic<bool> FActive{false};
    QStringList FHidDeviceList;
    QStringList FUsbDeviceList;
    std::atomic<std::uint32_t> FReadIOCode{0};
    std::uint32_t FWriteIOCode = 0;
    std::uint32_t FDeviceDataInitIOCode = 0;
    vyk::platform::SyncEvent FGlobalEvent;
    vyk::platform::SyncEvent FGlobalDataEvent1;
    vyk::platform::SyncEvent FGlobalDataEvent2;
    std::vector<std::uint8_t> FDeviceInitData;  // empty: no initialisation data
    QTimer* FTimerToStartMonitor = nullptr;
    TDriverInfo FDriverInfo;
    Reader FIdThreadComponentGetData1;
    Reader FIdThreadComponentGetData2;
    TuiHIDEvent* FHIDEvent = nullptr;

    // Deliveries take tickets in the order their reads completed and run one at a time.
    std::mutex FDeliveryMutex;
    std::condition_variable FDeliveryTurn;
    std::uint64_t FTicketsIssued = 0;
    std::uint64_t FTicketsServed = 0;
};
