#include "core/driver/uiStdCmd.h"

#include <QThread>
#include <QTimer>

#include <climits>
#include <exception>
#include <pthread.h>

#include "core/defs/pubunit_norvane_config.h"
#include "core/defs/uiSystemInfo.h"
#include "platform/diag/diag.h"
#include "platform/ini/ini_file.h"
#include "platform/paths/paths.h"

using vyk::platform::DriverDevice;
using vyk::platform::DriverHandle;
using vyk::platform::kInvalidDriverHandle;
using vyk::platform::SyncEvent;
namespace err = vyk::platform::driverctl;

namespace {

constexpr int kMaxListEntries = 101;

QStringList ReadDeviceList(const vyk::platform::IniFile& ini, const QString& section) {
    QStringList list;
    for (int i = 1; i <= kMaxListEntries; ++i) {
        const QString v = ini.readString(section, QStringLiteral("id%1").arg(i));
        if (v.isEmpty()) break;
        list << v;
    }
    return list;
}

bool ContainsIgnoringCase(const QStringList& list, const QString& s) { return list.contains(s, Qt::CaseInsensitive); }

// A file name from config.ini that must stay inside the folder it is joined to.
bool IsPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

}  // namespace

TuiSTDCommand::TuiSTDCommand(QObject* AOwner) : TuiSTDCommand(AOwner, Services{}) {}

TuiSTDCommand::TuiSTDCommand(QObject* AOwner, Services services) : QObject(AOwner), FServices(std::move(services)) {
    FDriver = FServices.Driver ? FServices.Driver : vyk::platform::systemDriverControl();
    InitializeComponent();
}

TuiSTDCommand::~TuiSTDCommand() { FinalizeComponent(); }

void TuiSTDCommand::InitializeComponent() {
    FActive = false;
    FTimerToStartMonitor = new QTimer(this);
    FTimerToStartMonitor->setInterval(StartMonitorDelayMs);
    connect(FTimerToStartMonitor, &QTimer::timeout, this,
            [this] { vyk::platform::guarded([this] { TimerToStartMonitorTimer(); }); });

    ReadConfig();
    FReadIOCode = FWriteIOCode = FDeviceDataInitIOCode = 0;
    FDevicePath = QStringLiteral("\\\\.\\") + FDriverInfo.DeviceName;
    FInputReportLength = FOutputReportLength = 0;

    if (FServices.CreateArrivalNotifier) {
        FHIDEvent = new TuiHIDEvent(this);
        FHIDEvent->OnDeviceArrival = [this](QObject* sender) { HIDEventDeviceArrival(sender); };
        FHIDEvent->OnDeviceRemove = [this](QObject* sender) { HIDEventDeviceRemove(sender); };
    }
}

void TuiSTDCommand::FinalizeComponent() {
    // Wake both readers (a pending read ends on the stop event) and wait for them.
    FGlobalEvent.set();
    TerminateAndWaitFor(FIdThreadComponentGetData1);
    TerminateAndWaitFor(FIdThreadComponentGetData2);
    CloseDevice(true);
    CloseDevice(false);
    if (FHIDEvent != nullptr) {
        FHIDEvent->OnDeviceArrival = nullptr;
        FHIDEvent->OnDeviceRemove = nullptr;
    }
    FTimerToStartMonitor->stop();
}

void TuiSTDCommand::ReadConfig() {
    const vyk::platform::IniFile ini(ConfigFilePath());
    FHidDeviceList = ReadDeviceList(ini, QStringLiteral("devicelist"));
    FUsbDeviceList = ReadDeviceList(ini, QStringLiteral("usbdevicelist"));
    const QString s = QStringLiteral("DEVICE");
    const QString def = QStringLiteral("hidfltdrv001");
    FDriverInfo.InfFileName = ini.readString(s, QStringLiteral("InfFileName"), def + QStringLiteral(".inf"));
    FDriverInfo.FileName = ini.readString(s, QStringLiteral("FileName"), def + QStringLiteral(".sys"));
    FDriverInfo.ServiceName = ini.readString(s, QStringLiteral("ServiceName"), def);
    FDriverInfo.ServiceNamex86 = ini.readString(s, QStringLiteral("ServiceNamex86"), def);
    FDriverInfo.ServiceNamex64 = ini.readString(s, QStringLiteral("ServiceNamex64"), def);
    FDriverInfo.DeviceName = ini.readString(s, QStringLiteral("DeviceName"), def);
    FDriverInfo.WHQL = ini.readInteger(s, QStringLiteral("WHQL"), 0);
    FDriverInfo.X32WHQL = ini.readInteger(s, QStringLiteral("X32WHQL"), 0);
    FDriverInfo.UpperFilter = ini.readInteger(s, QStringLiteral("UpperFilter"), 0);
}

std::uint8_t TuiSTDCommand::WindowsVersion() const {
    return FServices.WindowsVersion ? FServices.WindowsVersion() : GetWindowsVersion();
}

bool TuiSTDCommand::Windows64() const { return FServices.Windows64 ? FServices.Windows64() : IsWindows64(); }

// ---------------------------------------------------------------------------------------------
// Control device

bool TuiSTDCommand::OpenDevice(bool forRead) {
    if (forRead) {
        if (FHidOverlappedRead.load() == kInvalidDriverHandle)
            FHidOverlappedRead = FDriver->openControlDevice(FDevicePath, true);
        return FHidOverlappedRead.load() != kInvalidDriverHandle;
    }
    if (FHidOverlappedWrite == kInvalidDriverHandle)
        FHidOverlappedWrite = FDriver->openControlDevice(FDevicePath, false);
    return FHidOverlappedWrite != kInvalidDriverHandle;
}

void TuiSTDCommand::CloseDevice(bool forRead) {
    if (forRead) {
        const DriverHandle h = FHidOverlappedRead.exchange(kInvalidDriverHandle);
        if (h != kInvalidDriverHandle) FDriver->closeControlDevice(h);
        return;
    }
    if (FHidOverlappedWrite != kInvalidDriverHandle) {
        FDriver->closeControlDevice(FHidOverlappedWrite);
        FHidOverlappedWrite = kInvalidDriverHandle;
    }
}

std::uint32_t TuiSTDCommand::DeviceRW(void* Buffer, std::int32_t Count, std::uint32_t IoControlCode) {
    if (Count < 0 || (Buffer == nullptr && Count > 0)) return err::kErrorInvalidParameter;
    if (!OpenDevice(false)) return err::kErrorNotReady;
    const auto n = static_cast<std::uint32_t>(Count);
    const std::uint32_t result = FDriver->deviceIoControl(FHidOverlappedWrite, IoControlCode, Buffer, n, Buffer, n);
    CloseDevice(false);
    return result;
}

bool TuiSTDCommand::IsDeviceExist() {
    const bool wasOpen = FHidOverlappedWrite != kInvalidDriverHandle;
    const bool ok = OpenDevice(false);
    if (!wasOpen) CloseDevice(false);
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Initialisation data and monitoring

void TuiSTDCommand::SetDeviceInitData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize,
                                      std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                                      std::int32_t AInputReportLength, std::int32_t AOutputReportLength) {
    StoreDeviceInitData(DeviceInitData, DeviceInitDataSize, DeviceInitIoControlCode, ReadIoControlCode,
                        AInputReportLength, AOutputReportLength);
}

bool TuiSTDCommand::StoreDeviceInitData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize,
                                        std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                                        std::int32_t AInputReportLength, std::int32_t AOutputReportLength) {
    if (DeviceInitDataSize == 0) return false;
    // The readers' buffers are ReaderBufferSize bytes: a longer request would overrun them.
    if (DeviceInitData == nullptr || DeviceInitDataSize > static_cast<std::uint32_t>(INT32_MAX) ||
        AInputReportLength < 0 || AOutputReportLength < 0 ||
        static_cast<std::uint32_t>(AInputReportLength) > ReaderBufferSize ||
        static_cast<std::uint32_t>(AOutputReportLength) > ReaderBufferSize) {
        vyk::platform::debugLog(QStringLiteral("TuiSTDCommand: initialisation data refused (size %1, "
                                               "report lengths %2/%3)")
                                    .arg(DeviceInitDataSize)
                                    .arg(AInputReportLength)
                                    .arg(AOutputReportLength));
        return false;
    }
    const auto* p = static_cast<const std::uint8_t*>(DeviceInitData);
    FDeviceInitData.assign(p, p + DeviceInitDataSize);
    FDeviceDataInitIOCode = DeviceInitIoControlCode;
    FReadIOCode = ReadIoControlCode;
    FInputReportLength = static_cast<std::uint32_t>(AInputReportLength);
    FOutputReportLength = static_cast<std::uint32_t>(AOutputReportLength);
    return true;
}

void TuiSTDCommand::SetMonitorData() {
    // The request's output goes to a scratch copy, so the stored data stay as given.
    std::vector<std::uint8_t> scratch = FDeviceInitData;
    DeviceRW(scratch.data(), static_cast<std::int32_t>(scratch.size()), FDeviceDataInitIOCode);
}

void TuiSTDCommand::SetMonitorData(const void* DeviceInitData, std::uint32_t DeviceInitDataSize,
                                   std::uint32_t DeviceInitIoControlCode, std::uint32_t ReadIoControlCode,
                                   std::int32_t AInputReportLength, std::int32_t AOutputReportLength) {
    if (StoreDeviceInitData(DeviceInitData, DeviceInitDataSize, DeviceInitIoControlCode, ReadIoControlCode,
                            AInputReportLength, AOutputReportLength))
        SetMonitorData();
}

void TuiSTDCommand::StartMonitorDevice() { SetMonitorActive(true); }

void TuiSTDCommand::StopMonitorDevice() { SetMonitorActive(false); }

void TuiSTDCommand::SetMonitorActive(bool start) {
    if (FDeviceInitData.empty()) return;
    if (FActive) {
        CloseDevice(true);
        FGlobalEvent.set();
        FActive = false;
        TerminateAndWaitFor(FIdThreadComponentGetData1);
        TerminateAndWaitFor(FIdThreadComponentGetData2);
    }
    if (start && OpenDevice(true)) {
        FActive = true;
        SetMonitorData();
        FGlobalDataEvent1.reset();
        FGlobalDataEvent2.reset();
        FGlobalEvent.reset();
        FGlobalDataEvent1.set();  // reader 1 reads first
        StartReader(1);
        StartReader(2);
    }
}

void TuiSTDCommand::StartReader(int which) {
    Reader& r = which == 1 ? FIdThreadComponentGetData1 : FIdThreadComponentGetData2;
    if (r.running) return;
    if (r.thread.joinable()) r.thread.join();  // ended by itself earlier
    r.terminated = false;
    r.running = true;
    try {
        r.thread = std::thread([this, which] { ReaderRun(which); });
    } catch (const std::exception& e) {
        r.running = false;
        r.terminated = true;
        vyk::platform::debugLog(QStringLiteral("TuiSTDCommand: reader %1 not started: %2")
                                    .arg(which)
                                    .arg(QString::fromLocal8Bit(e.what())));
    }
}

void TuiSTDCommand::TerminateAndWaitFor(Reader& r) {
    r.terminated = true;
    if (r.thread.joinable()) r.thread.join();
    r.running = false;
}

void TuiSTDCommand::ReaderRun(int which) {
    Reader& self = which == 1 ? FIdThreadComponentGetData1 : FIdThreadComponentGetData2;
    SyncEvent& mine = which == 1 ? FGlobalDataEvent1 : FGlobalDataEvent2;
    SyncEvent& other = which == 1 ? FGlobalDataEvent2 : FGlobalDataEvent1;
    ::pthread_setname_np(::pthread_self(), which == 1 ? "vyk-drvread-1" : "vyk-drvread-2");

    std::vector<std::uint8_t> in(ReaderBufferSize, 0);
    std::vector<std::uint8_t> out(ReaderBufferSize, 0);
    while (FActive || !self.terminated) {
        if (SyncEvent::waitAny({&mine, &FGlobalEvent}) == 1) break;  // stop
        mine.reset();
        std::uint32_t bytes = 0;
        if (ReadDeviceOnce(in, out, bytes) != 0) break;
        const std::uint64_t ticket = bytes > 0 ? TakeTicket() : 0;
        other.set();  // the other reader's read is under way while this one delivers
        if (bytes > 0) Deliver(ticket, out.data(), bytes);
    }
    self.terminated = true;
    self.running = false;
}

std::uint32_t TuiSTDCommand::ReadDeviceOnce(std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out,
                                            std::uint32_t& bytes) {
    bytes = 0;
    // Read once per request (they may change meanwhile): the clamp uses the length asked for.
    const std::uint32_t code = FReadIOCode;
    const std::uint32_t inLength = FInputReportLength;
    const std::uint32_t outLength = FOutputReportLength;
    const vyk::platform::DriverReadResult r =
        FDriver->readRequest(FHidOverlappedRead.load(), code, in.data(), inLength, out.data(), outLength, FGlobalEvent);
    if (!r.pending) {
        bytes = std::min(r.bytes, outLength);
        return r.error;
    }
    if (r.stopped) return err::kErrorOperationAborted;
    if (r.error == err::kErrorOperationAborted || r.error == err::kErrorDeviceNotConnected) return r.error;
    bytes = std::min(r.bytes, outLength);
    return 0;
}

std::uint64_t TuiSTDCommand::TakeTicket() {
    std::lock_guard g(FDeliveryMutex);
    return FTicketsIssued++;
}

void TuiSTDCommand::Deliver(std::uint64_t ticket, const std::uint8_t* data, std::uint32_t size) {
    {
        std::unique_lock g(FDeliveryMutex);
        FDeliveryTurn.wait(g, [&] { return FTicketsServed == ticket; });
    }
    try {
        if (OnDataReceived) OnDataReceived(data, size);
    } catch (const std::exception& e) {
        vyk::platform::debugLog(
            QStringLiteral("TuiSTDCommand: OnDataReceived failed: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        vyk::platform::debugLog(QStringLiteral("TuiSTDCommand: OnDataReceived failed"));
    }
    {
        std::lock_guard g(FDeliveryMutex);
        ++FTicketsServed;
    }
    FDeliveryTurn.notify_all();
}

// ---------------------------------------------------------------------------------------------
// Arrival, removal and the start timer

void TuiSTDCommand::RestartTimer() {
    FTimerToStartMonitor->stop();
    FTimerToStartMonitor->start();
}

void TuiSTDCommand::HIDEventDeviceArrival(QObject* Sender) {
    if (OnDeviceArrialEvent) OnDeviceArrialEvent(Sender);
    RestartTimer();
}

void TuiSTDCommand::HIDEventDeviceRemove(QObject* Sender) {
    if (OnDeviceRemovalEvent) OnDeviceRemovalEvent(Sender);
    FGlobalEvent.set();
    CloseDevice(true);
    RestartTimer();
}

void TuiSTDCommand::TimerToStartMonitorTimer() {
    FTimerToStartMonitor->stop();
    StartMonitorDevice();
}

// ---------------------------------------------------------------------------------------------
// Device lists

bool TuiSTDCommand::HardwareIdsInList(const QStringList& list, const QStringList& ids) const {
    for (const QString& id : ids)
        if (ContainsIgnoringCase(list, id)) return true;
    return false;
}

bool TuiSTDCommand::HardwareIdsInConfigHidList(const QStringList& strHardwareIDs) const {
    return HardwareIdsInList(FHidDeviceList, strHardwareIDs);
}

bool TuiSTDCommand::HardwareIdsInConfigUsbList(const QStringList& strHardwareIDs) const {
    return HardwareIdsInList(FUsbDeviceList, strHardwareIDs);
}

bool TuiSTDCommand::IsHIDDeviceExist() {
    const auto devices = FDriver->presentHidDevices();
    if (!devices) return false;
    for (const DriverDevice& d : *devices)
        if (HardwareIdsInConfigHidList(d.hardwareIds)) return true;
    return false;
}

bool TuiSTDCommand::ISHIDDeviceExist(const QString& VidPid) {
    const auto devices = FDriver->presentHidDevices();
    if (!devices) return false;
    const QString wanted = VidPid.toUpper();
    for (const DriverDevice& d : *devices)
        for (const QString& id : d.hardwareIds)
            if (id.toUpper() == wanted) return true;
    return false;
}

// ---------------------------------------------------------------------------------------------
// Install and remove

void TuiSTDCommand::HidInstallDriver(bool Install) {
    const auto devices = FDriver->presentHidDevices();
    if (!devices) return;
    const bool upper = FDriverInfo.UpperFilter == 1;
    for (const DriverDevice& device : *devices) {
        if (!HardwareIdsInConfigUsbList(device.hardwareIds)) continue;
        const bool present = ContainsIgnoringCase(FDriver->filterList(device, upper), FDriverInfo.ServiceName);
        bool problem = false;
        if (present) {
            const auto status = FDriver->devNodeStatus(device);
            problem = status.has_value() && (*status & err::kDevNodeHasProblem) != 0;
        }
        const bool packageTool = FDriverInfo.WHQL != 0 && (FDriverInfo.X32WHQL != 0 || Windows64());
        if (Install) {
            if (!present || problem) {
                if (packageTool)
                    RunDIFxCmd(true);
                else
                    InstallFilterDriver(device);
            }
        } else if (present) {
            if (packageTool)
                RunDIFxCmd(false);
            else
                UninstallFilterDriver(device);
        }
    }
}

void TuiSTDCommand::RunDIFxCmd(bool install) {
    const bool xp64 = WindowsVersion() == 13;
    const QString sub =
        !Windows64() ? QStringLiteral("DRIVERX86/") : (xp64 ? QStringLiteral("XP64/") : QStringLiteral("DRIVERX64/"));
    const QString exeDir = vyk::platform::executableDir();
    const QString folder = vyk::platform::joinPath(exeDir, sub);
    const QString program = vyk::platform::resolveCaseInsensitive(exeDir, sub + QStringLiteral("DIFxCmd.exe"));
    QString args = (install ? QStringLiteral("/i ") : QStringLiteral("/u ")) + FDriverInfo.InfFileName;
    if (!xp64) {
        args += QStringLiteral(" DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE");
        if (!install) args += QStringLiteral(" DRIVER_PACKAGE_DELETE_FILES");
    }
    FDriver->runAndWait(program, args, folder);
}

bool TuiSTDCommand::InstallFilterDriver(const DriverDevice& device) {
    if (!IsPlainFileName(FDriverInfo.FileName)) return false;
    const QString exeDir = vyk::platform::executableDir();
    const QString source = vyk::platform::resolveCaseInsensitive(
        exeDir, (Windows64() ? QStringLiteral("DRIVERX64/") : QStringLiteral("DRIVERX86/")) + FDriverInfo.FileName);
    const QString driverFolder = FDriver->systemDriverFolder();
    if (driverFolder.isEmpty()) return false;
    const QString target = vyk::platform::joinPath(driverFolder, FDriverInfo.FileName);
    // Replaced whole or not at all: the service never points at a missing file.
    if (!FDriver->replaceFile(source, target)) return false;
    if (!ChangeDriverService(true, FDriverInfo.ServiceName, target)) return false;
    // Our service joins the device's filter list; other services' entries stay.
    const bool upper = FDriverInfo.UpperFilter == 1;
    QStringList filters = FDriver->filterList(device, upper);
    if (!ContainsIgnoringCase(filters, FDriverInfo.ServiceName)) filters << FDriverInfo.ServiceName;
    const bool written = FDriver->writeFilterList(device, upper, filters);
    RestartDevice(device);
    return written;
}

bool TuiSTDCommand::UninstallFilterDriver(const DriverDevice& device) {
    if (!ChangeDriverService(false, FDriverInfo.ServiceName, QString())) return false;
    // Only our service leaves the filter list.
    const bool upper = FDriverInfo.UpperFilter == 1;
    QStringList filters = FDriver->filterList(device, upper);
    filters.removeIf([this](const QString& s) { return s.compare(FDriverInfo.ServiceName, Qt::CaseInsensitive) == 0; });
    const bool written = FDriver->writeFilterList(device, upper, filters);
    RestartDevice(device);
    return written;
}

bool TuiSTDCommand::ChangeDriverService(bool install, const QString& name, const QString& path) {
    if (!FDriver->openServiceManager()) return false;
    if (install) {
        if (FDriver->serviceExists(name))
            return FDriver->changeDriverServiceConfig(name, path, name + QStringLiteral("_DisplayChange"));
        const std::uint32_t r = FDriver->createDriverService(name, name + QStringLiteral("_Display"), path);
        return r == 0 || r == err::kErrorServiceExists;
    }
    // A service that is gone already counts as removed: with several listed devices the first
    // removal deletes it, and the later devices must still lose their filter entries (a filter
    // list naming a missing service keeps the device from starting).
    return !FDriver->serviceExists(name) || FDriver->deleteService(name);
}

bool TuiSTDCommand::RestartDevice(const DriverDevice& device) {
    const bool disabled = FDriver->setDeviceEnabled(device, false);
    QThread::msleep(100);
    const bool enabled = FDriver->setDeviceEnabled(device, true);
    return disabled && enabled;
}
