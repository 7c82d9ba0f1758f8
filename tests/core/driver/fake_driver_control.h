#pragma once
// A test double of the filter-driver services: a control device whose reads the test
// completes one by one, HID-class devices with filter lists and node status, a service
// manager, a driver folder and a package tool, every call recorded.

#include <QString>
#include <QStringList>

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/driverctl/driver_control.h"
#include "platform/driverctl/sync_event.h"

namespace vyk::test {

class FakeDriverControl : public vyk::platform::DriverControl {
public:
    struct Call {
        std::string what;
        QString a, b, c;
    };
    struct ReadIssue {
        std::string thread;  // name of the issuing thread
        std::uint32_t code, inLength, outLength;
    };

    // --- control device
    bool devicePresent = false;
    std::uint8_t ioctlOutputFill = 0;  // non-zero: a request overwrites its output buffer
    std::uint32_t ioctlResult = 0;

    // Completes the oldest read request (or the next one to come) with these bytes.
    void completeRead(std::vector<std::uint8_t> data, std::uint32_t error = 0);
    // Pending read requests are cut off as if the device went away.
    void unplug();
    std::vector<ReadIssue> reads();
    std::vector<Call> calls();
    int openHandles();
    int opensOf(bool overlapped);
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> ioctls();
    // Read requests currently waiting.
    int pendingReads();

    vyk::platform::DriverHandle openControlDevice(const QString& path, bool overlapped) override;
    void closeControlDevice(vyk::platform::DriverHandle handle) override;
    std::uint32_t deviceIoControl(vyk::platform::DriverHandle handle, std::uint32_t code, void* in,
                                  std::uint32_t inLength, void* out, std::uint32_t outLength) override;
    vyk::platform::DriverReadResult readRequest(vyk::platform::DriverHandle handle, std::uint32_t code, void* in,
                                                std::uint32_t inLength, void* out, std::uint32_t outLength,
                                                const vyk::platform::SyncEvent& stop) override;

    // --- devices
    bool enumerationFails = false;
    std::vector<vyk::platform::DriverDevice> devices;
    std::map<std::pair<QString, bool>, QStringList> filters;  // (instance, upper)
    std::map<QString, std::uint32_t> nodeStatus;
    std::optional<std::vector<vyk::platform::DriverDevice>> presentHidDevices() override;
    QStringList filterList(const vyk::platform::DriverDevice& device, bool upper) override;
    bool writeFilterList(const vyk::platform::DriverDevice& device, bool upper, const QStringList& services) override;
    std::optional<std::uint32_t> devNodeStatus(const vyk::platform::DriverDevice& device) override;
    bool setDeviceEnabled(const vyk::platform::DriverDevice& device, bool enable) override;

    // --- services, files, package tool
    bool managerAvailable = true;
    std::set<QString> services;
    std::uint32_t createResult = 0;
    QString driverFolder = QStringLiteral("/sys-drivers/");
    bool copySucceeds = true;
    bool toolStarts = true;
    bool openServiceManager() override;
    bool serviceExists(const QString& name) override;
    bool changeDriverServiceConfig(const QString& name, const QString& driverPath, const QString& displayName) override;
    std::uint32_t createDriverService(const QString& name, const QString& displayName,
                                      const QString& driverPath) override;
    bool deleteService(const QString& name) override;
    QString systemDriverFolder() override;
    bool replaceFile(const QString& source, const QString& target) override;
    bool runAndWait(const QString& program, const QString& arguments, const QString& workingFolder) override;

private:
    void record(std::string what, QString a = {}, QString b = {}, QString c = {});

    std::mutex m_;
    vyk::platform::SyncEvent wake_;
    vyk::platform::DriverHandle next_ = 100;
    std::map<vyk::platform::DriverHandle, bool> open_;  // handle -> overlapped
    std::deque<std::pair<std::vector<std::uint8_t>, std::uint32_t>> results_;
    bool unplugged_ = false;
    int waiting_ = 0;
    std::vector<ReadIssue> reads_;
    std::vector<Call> calls_;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> ioctls_;
    int opensRead_ = 0, opensWrite_ = 0;
};

}  // namespace vyk::test
