#include "tests/core/driver/fake_driver_control.h"

#include <cstring>
#include <pthread.h>

using vyk::platform::DriverHandle;
using vyk::platform::DriverReadResult;
using vyk::platform::kInvalidDriverHandle;
namespace err = vyk::platform::driverctl;

namespace vyk::test {

void FakeDriverControl::record(std::string what, QString a, QString b, QString c) {
    std::lock_guard g(m_);
    calls_.push_back(Call{std::move(what), std::move(a), std::move(b), std::move(c)});
}

std::vector<FakeDriverControl::Call> FakeDriverControl::calls() {
    std::lock_guard g(m_);
    return calls_;
}

void FakeDriverControl::completeRead(std::vector<std::uint8_t> data, std::uint32_t error) {
    {
        std::lock_guard g(m_);
        results_.emplace_back(std::move(data), error);
    }
    wake_.set();
}

void FakeDriverControl::unplug() {
    {
        std::lock_guard g(m_);
        unplugged_ = true;
        devicePresent = false;
    }
    wake_.set();
}

std::vector<FakeDriverControl::ReadIssue> FakeDriverControl::reads() {
    std::lock_guard g(m_);
    return reads_;
}

int FakeDriverControl::openHandles() {
    std::lock_guard g(m_);
    return static_cast<int>(open_.size());
}

int FakeDriverControl::opensOf(bool overlapped) {
    std::lock_guard g(m_);
    return overlapped ? opensRead_ : opensWrite_;
}

std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> FakeDriverControl::ioctls() {
    std::lock_guard g(m_);
    return ioctls_;
}

int FakeDriverControl::pendingReads() {
    std::lock_guard g(m_);
    return waiting_;
}

DriverHandle FakeDriverControl::openControlDevice(const QString& path, bool overlapped) {
    std::lock_guard g(m_);
    (overlapped ? opensRead_ : opensWrite_)++;
    calls_.push_back(Call{"open", path, overlapped ? QStringLiteral("overlapped") : QStringLiteral("sync"), {}});
    if (!devicePresent) return kInvalidDriverHandle;
    unplugged_ = false;
    const DriverHandle h = next_++;
    open_[h] = overlapped;
    return h;
}

void FakeDriverControl::closeControlDevice(DriverHandle handle) {
    {
        std::lock_guard g(m_);
        open_.erase(handle);
    }
    wake_.set();  // a request pending on it ends
}

std::uint32_t FakeDriverControl::deviceIoControl(DriverHandle handle, std::uint32_t code, void* in,
                                                 std::uint32_t inLength, void* out, std::uint32_t outLength) {
    std::lock_guard g(m_);
    if (!open_.count(handle)) return err::kErrorInvalidHandle;
    const auto* p = static_cast<const std::uint8_t*>(in);
    ioctls_.emplace_back(code, std::vector<std::uint8_t>(p, p + inLength));
    if (ioctlOutputFill != 0 && outLength > 0) std::memset(out, ioctlOutputFill, outLength);
    return ioctlResult;
}

DriverReadResult FakeDriverControl::readRequest(DriverHandle handle, std::uint32_t code, void*, std::uint32_t inLength,
                                                void* out, std::uint32_t outLength,
                                                const vyk::platform::SyncEvent& stop) {
    char name[32] = {};
    ::pthread_getname_np(::pthread_self(), name, sizeof name);
    {
        std::lock_guard g(m_);
        if (!open_.count(handle)) return DriverReadResult{false, false, err::kErrorInvalidHandle, 0};
        reads_.push_back(ReadIssue{name, code, inLength, outLength});
        ++waiting_;
    }
    for (;;) {
        {
            std::lock_guard g(m_);
            wake_.reset();
            if (!open_.count(handle)) {
                --waiting_;
                return DriverReadResult{true, false, err::kErrorOperationAborted, 0};
            }
            if (unplugged_) {
                --waiting_;
                return DriverReadResult{true, false, err::kErrorDeviceNotConnected, 0};
            }
            if (!results_.empty()) {
                auto [data, error] = std::move(results_.front());
                results_.pop_front();
                --waiting_;
                const auto n = std::min<std::size_t>(data.size(), outLength);
                if (n > 0) std::memcpy(out, data.data(), n);
                return DriverReadResult{true, false, error, static_cast<std::uint32_t>(n)};
            }
        }
        if (vyk::platform::SyncEvent::waitAny({&wake_, &stop}) == 1) {
            std::lock_guard g(m_);
            --waiting_;
            return DriverReadResult{true, true, err::kErrorOperationAborted, 0};
        }
    }
}

std::optional<std::vector<vyk::platform::DriverDevice>> FakeDriverControl::presentHidDevices() {
    record("enumerate");
    if (enumerationFails) return std::nullopt;
    return devices;
}

QStringList FakeDriverControl::filterList(const vyk::platform::DriverDevice& device, bool upper) {
    std::lock_guard g(m_);
    auto it = filters.find({device.instanceId, upper});
    return it == filters.end() ? QStringList{} : it->second;
}

bool FakeDriverControl::writeFilterList(const vyk::platform::DriverDevice& device, bool upper,
                                        const QStringList& list) {
    record(upper ? "writeUpperFilters" : "writeLowerFilters", device.instanceId, list.join(QLatin1Char(',')));
    std::lock_guard g(m_);
    filters[{device.instanceId, upper}] = list;
    return true;
}

std::optional<std::uint32_t> FakeDriverControl::devNodeStatus(const vyk::platform::DriverDevice& device) {
    auto it = nodeStatus.find(device.instanceId);
    if (it == nodeStatus.end()) return std::nullopt;
    return it->second;
}

bool FakeDriverControl::setDeviceEnabled(const vyk::platform::DriverDevice& device, bool enable) {
    record(enable ? "enable" : "disable", device.instanceId);
    return true;
}

bool FakeDriverControl::openServiceManager() {
    record("openManager");
    return managerAvailable;
}

bool FakeDriverControl::serviceExists(const QString& name) { return services.count(name) != 0; }

bool FakeDriverControl::changeDriverServiceConfig(const QString& name, const QString& driverPath,
                                                  const QString& displayName) {
    record("changeService", name, driverPath, displayName);
    return true;
}

std::uint32_t FakeDriverControl::createDriverService(const QString& name, const QString& displayName,
                                                     const QString& driverPath) {
    record("createService", name, displayName, driverPath);
    if (createResult == 0) services.insert(name);
    return createResult;
}

bool FakeDriverControl::deleteService(const QString& name) {
    record("deleteService", name);
    return services.erase(name) != 0;
}

QString FakeDriverControl::systemDriverFolder() { return driverFolder; }

bool FakeDriverControl::replaceFile(const QString& source, const QString& target) {
    record("replaceFile", source, target);
    return copySucceeds;
}

bool FakeDriverControl::runAndWait(const QString& program, const QString& arguments, const QString& workingFolder) {
    record("run", program, arguments, workingFolder);
    return toolStarts;
}

}  // namespace vyk::test
