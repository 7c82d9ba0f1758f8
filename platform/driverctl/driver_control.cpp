#include "platform/driverctl/driver_control.h"

#include "platform/driverctl/sync_event.h"
#include "platform/hid/hid_device.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <exception>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace vyk::platform {

namespace {

// "\\.\name" names a device of the Windows object namespace; its Linux counterpart would be
// /dev/name. Names that could leave /dev are refused.
QString devicePathFor(const QString& controlPath) {
    QString name = controlPath;
    if (name.startsWith(QLatin1String("\\\\.\\"))) name = name.mid(4);
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.startsWith(QLatin1Char('.')))
        return {};
    return QStringLiteral("/dev/") + name;
}

class LinuxDriverControl final : public DriverControl {
public:
    // No filter driver of ours exists on Linux, so nothing understands its control codes. A
    // device node of that name is only noted (never opened); every request on it is refused.
    DriverHandle openControlDevice(const QString& path, bool) override {
        const QString dev = devicePathFor(path);
        if (dev.isEmpty()) return kInvalidDriverHandle;
        struct stat st {};
        if (::stat(QFile::encodeName(dev).constData(), &st) != 0 || !S_ISCHR(st.st_mode)) return kInvalidDriverHandle;
        std::lock_guard g(mutex_);
        return ++lastHandle_;
    }
    void closeControlDevice(DriverHandle) override {}
    std::uint32_t deviceIoControl(DriverHandle, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t) override {
        return driverctl::kErrorNotSupported;
    }
    DriverReadResult readRequest(DriverHandle, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t,
                                 const SyncEvent&) override {
        return DriverReadResult{false, false, driverctl::kErrorNotSupported, 0};
    }

    std::optional<std::vector<DriverDevice>> presentHidDevices() override {
        try {
            std::vector<DriverDevice> out;
            for (const hid::HidInterfaceInfo& info : hid::enumerateInterfaces()) {
                DriverDevice d;
                d.instanceId = QString::fromStdString(info.path);
                for (const std::string& id : info.hardwareIds) d.hardwareIds << QString::fromStdString(id);
                out.push_back(std::move(d));
            }
            return out;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    // Linux keeps no per-device filter driver lists.
    QStringList filterList(const DriverDevice&, bool) override { return {}; }
    bool writeFilterList(const DriverDevice&, bool, const QStringList&) override { return false; }
    std::optional<std::uint32_t> devNodeStatus(const DriverDevice&) override { return std::nullopt; }
    bool setDeviceEnabled(const DriverDevice&, bool) override { return false; }

    // No service control manager.
    bool openServiceManager() override { return false; }
    bool serviceExists(const QString&) override { return false; }
    bool changeDriverServiceConfig(const QString&, const QString&, const QString&) override { return false; }
    std::uint32_t createDriverService(const QString&, const QString&, const QString&) override {
        return driverctl::kErrorNotSupported;
    }
    bool deleteService(const QString&) override { return false; }

    QString systemDriverFolder() override { return {}; }
    bool replaceFile(const QString& source, const QString& target) override {
        return replaceFileAtomically(source, target);
    }
    // The package tool is a Windows program; it cannot run here.
    bool runAndWait(const QString&, const QString&, const QString&) override { return false; }

private:
    std::mutex mutex_;
    DriverHandle lastHandle_ = 0;
};

}  // namespace

std::shared_ptr<DriverControl> systemDriverControl() {
    static const std::shared_ptr<DriverControl> instance = std::make_shared<LinuxDriverControl>();
    return instance;
}

bool replaceFileAtomically(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QSaveFile out(target);  // temporary file beside target, renamed over it on commit
    if (!out.open(QIODevice::WriteOnly)) return false;
    char buf[65536];
    for (;;) {
        const qint64 n = in.read(buf, sizeof buf);
        if (n < 0) {
            out.cancelWriting();
            return false;
        }
        if (n == 0) break;
        if (out.write(buf, n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

}  // namespace vyk::platform
