#pragma once
// The system services behind the filter-driver control: its control device, the present
// devices of the HID setup class with their hardware IDs and filter lists, the kernel service
// registration, the system's driver folder and the outside driver-package tool.
//
// On Linux none of these exist as the component knows them: there is no kernel filter driver
// for the mouse, no service control manager, no per-device filter list and no package tool.
// The Linux backend therefore reports them absent (the control device does not open, service
// and filter operations fail, the package tool does not start), so the component's own logic
// runs and stays inert. Only the device enumeration is real: it lists the HID interfaces that
// platform/hid finds, with the hardware IDs it synthesises in the Windows form that config.ini
// lists use. Tests put a double of this interface in place.
//
// Results of control requests are 0 or an error code in the Windows numbering the component
// was written for.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vyk::platform {

class SyncEvent;

namespace driverctl {
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotReady = 21;
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorOperationAborted = 995;
inline constexpr std::uint32_t kErrorIoPending = 997;
inline constexpr std::uint32_t kErrorServiceExists = 1073;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
// Device node status flag: the device has a problem.
inline constexpr std::uint32_t kDevNodeHasProblem = 0x400;
}  // namespace driverctl

using DriverHandle = std::int64_t;
inline constexpr DriverHandle kInvalidDriverHandle = -1;

// Outcome of one read request on an overlapped handle.
struct DriverReadResult {
    bool pending = false;     // the request did not complete at once and was waited for
    bool stopped = false;     // the wait ended on the stop event; the request was cancelled
    std::uint32_t error = 0;  // 0 or the request's error (of the completion when pending)
    std::uint32_t bytes = 0;  // bytes returned
};

// One present device of the HID setup class.
struct DriverDevice {
    QString instanceId;
    QStringList hardwareIds;
};

class DriverControl {
public:
    virtual ~DriverControl() = default;

    // Control device ("\\.\name" in the component's terms). open returns kInvalidDriverHandle
    // when the device cannot be opened. Closing a handle ends a request pending on it with
    // kErrorOperationAborted; a closed handle is never handed out again.
    virtual DriverHandle openControlDevice(const QString& path, bool overlapped) = 0;
    virtual void closeControlDevice(DriverHandle handle) = 0;

    // A synchronous control request; buffer lengths in bytes. 0 or an error code.
    virtual std::uint32_t deviceIoControl(DriverHandle handle, std::uint32_t code, void* in, std::uint32_t inLength,
                                          void* out, std::uint32_t outLength) = 0;

    // A read request on an overlapped handle: issues it, and when it does not complete at once
    // waits for its completion or for stop, whichever comes first (a stop cancels it).
    virtual DriverReadResult readRequest(DriverHandle handle, std::uint32_t code, void* in, std::uint32_t inLength,
                                         void* out, std::uint32_t outLength, const SyncEvent& stop) = 0;

    // The present devices of the HID setup class; nullopt when the enumeration fails.
    virtual std::optional<std::vector<DriverDevice>> presentHidDevices() = 0;
    // A device's upper or lower filter list (empty when it has none).
    virtual QStringList filterList(const DriverDevice& device, bool upper) = 0;
    virtual bool writeFilterList(const DriverDevice& device, bool upper, const QStringList& services) = 0;
    // The device node's status flags; nullopt when they cannot be read.
    virtual std::optional<std::uint32_t> devNodeStatus(const DriverDevice& device) = 0;
    // Enables or disables the device (a property-change request); true when it was done.
    virtual bool setDeviceEnabled(const DriverDevice& device, bool enable) = 0;

    // Kernel service registration. openServiceManager: whether the manager is reachable.
    virtual bool openServiceManager() = 0;
    virtual bool serviceExists(const QString& name) = 0;
    // Sets an existing service up as a demand-start kernel driver with normal error control.
    virtual bool changeDriverServiceConfig(const QString& name, const QString& driverPath,
                                           const QString& displayName) = 0;
    // Creates it; 0 or an error code (kErrorServiceExists when it already exists).
    virtual std::uint32_t createDriverService(const QString& name, const QString& displayName,
                                              const QString& driverPath) = 0;
    virtual bool deleteService(const QString& name) = 0;

    // The folder kernel drivers are installed to, ending with '/'; empty when there is none.
    virtual QString systemDriverFolder() = 0;
    // Puts a copy of source at target so that target is either left as it was or replaced
    // whole: a failed copy never leaves target missing or half written.
    virtual bool replaceFile(const QString& source, const QString& target) = 0;

    // Starts the package tool hidden in workingFolder and waits for it to end. False when no
    // process started (then nothing was waited for).
    virtual bool runAndWait(const QString& program, const QString& arguments, const QString& workingFolder) = 0;
};

// The backend of this machine.
std::shared_ptr<DriverControl> systemDriverControl();

// Copies source over target through a temporary file in target's folder and a rename. Used by
// the Linux backend; exposed for its tests.
bool replaceFileAtomically(const QString& source, const QString& target);

}  // namespace vyk::platform
