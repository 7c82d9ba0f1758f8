#include "platform/devnotify/device_notifier.h"

#include "platform/hid/sim_protocol.h"

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <libudev.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vyk::platform {

namespace wire = vyk::platform::hid::simwire;

namespace {
constexpr int kConnectRetries = 40;  // a socket file appears just before it listens
constexpr int kConnectRetryMs = 50;
constexpr int kWatchReplyTimeoutMs = 2000;
}  // namespace

struct DeviceNotifier::Private {
    DeviceNotifier* q = nullptr;

    udev* u = nullptr;
    udev_monitor* monitor = nullptr;
    QSocketNotifier* udevNotifier = nullptr;

    std::string simSocket;
    int simFd = -1;
    QSocketNotifier* simNotifier = nullptr;
    std::set<std::uint32_t> simPresent;
    QFileSystemWatcher* watcher = nullptr;
    QTimer* retry = nullptr;
    int retriesLeft = 0;

    void setupUdev() {
        u = udev_new();
        if (u == nullptr) return;
        // udevd's events come after it has set the node's permissions; without udevd only the
        // kernel's own events exist.
        const bool haveUdevd = ::access("/run/udev/control", F_OK) == 0;
        monitor = udev_monitor_new_from_netlink(u, haveUdevd ? "udev" : "kernel");
        if (monitor == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor) < 0) {
            if (monitor != nullptr) udev_monitor_unref(monitor);
            monitor = nullptr;
            return;
        }
        udevNotifier = new QSocketNotifier(udev_monitor_get_fd(monitor), QSocketNotifier::Read, q);
        QObject::connect(udevNotifier, &QSocketNotifier::activated, q, [this] { onUdev(); });
    }

    void onUdev() {
        udev_device* dev = udev_monitor_receive_device(monitor);
        if (dev == nullptr) return;
        const char* action = udev_device_get_action(dev);
        const std::string a = action != nullptr ? action : "";
        udev_device_unref(dev);
        if (a == "add")
            emit q->interfaceArrived();
        else if (a == "remove")
            emit q->interfaceRemoved();
        emit q->nodesChanged();
    }

    void setupSimulator() {
        simSocket = wire::defaultSocketPath();
        const std::filesystem::path dir = std::filesystem::path(simSocket).parent_path();
        std::error_code ec;
        if (!dir.empty() && !std::filesystem::exists(dir, ec)) {
            if (std::filesystem::create_directories(dir, ec)) ::chmod(dir.c_str(), 0700);
        }
        watcher = new QFileSystemWatcher(q);
        if (!dir.empty()) watcher->addPath(QString::fromStdString(dir.string()));
        QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, q, [this] {
            if (simFd < 0) {
                retriesLeft = kConnectRetries;
                tryConnect();
            }
        });
        retry = new QTimer(q);
        retry->setSingleShot(true);
        retry->setInterval(kConnectRetryMs);
        QObject::connect(retry, &QTimer::timeout, q, [this] { tryConnect(); });
        connectSimulator(false);  // a simulator already running is a device already present
    }

    void tryConnect() {
        if (simFd >= 0) return;
        std::error_code ec;
        if (!std::filesystem::exists(simSocket, ec)) return;
        if (!connectSimulator(true) && retriesLeft-- > 0) retry->start();
    }

    bool connectSimulator(bool announce) {
        const int fd = wire::connectTo(simSocket);
        if (fd < 0) return false;
        wire::FrameHeader h;
        std::vector<std::uint8_t> payload;
        std::vector<wire::InterfaceEntry> list;
        if (!wire::sendFrame(fd, wire::kWatch, 0, 0) || wire::recvFrame(fd, h, payload, kWatchReplyTimeoutMs) != 1 ||
            h.type != wire::kWatchReply || !wire::decodeInterfaces(payload, list)) {
            ::close(fd);
            return false;
        }
        simFd = fd;
        simPresent.clear();
        for (const auto& e : list) simPresent.insert(e.index);
        simNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, q);
        QObject::connect(simNotifier, &QSocketNotifier::activated, q, [this] { onSimulator(); });
        if (announce && !simPresent.empty()) {
            for (std::size_t i = 0; i < simPresent.size(); ++i) emit q->interfaceArrived();
            emit q->nodesChanged();
        }
        return true;
    }

    void onSimulator() {
        wire::FrameHeader h;
        std::vector<std::uint8_t> payload;
        const int got = wire::recvFrame(simFd, h, payload, 0);
        if (got == 1) {
            if (h.type == wire::kPlug && simPresent.insert(h.iface).second) {
                emit q->interfaceArrived();
                emit q->nodesChanged();
            } else if (h.type == wire::kUnplug && simPresent.erase(h.iface) > 0) {
                emit q->interfaceRemoved();
                emit q->nodesChanged();
            }
            return;
        }
        if (got < 0 && (errno == ETIMEDOUT || errno == EAGAIN || errno == EINTR)) return;
        // The simulator went away: its interfaces with it.
        const std::size_t gone = simPresent.size();
        dropSimulator();
        for (std::size_t i = 0; i < gone; ++i) emit q->interfaceRemoved();
        if (gone > 0) emit q->nodesChanged();
    }

    void dropSimulator() {
        if (simNotifier != nullptr) {
            simNotifier->setEnabled(false);
            simNotifier->deleteLater();
            simNotifier = nullptr;
        }
        if (simFd >= 0) ::close(simFd);
        simFd = -1;
        simPresent.clear();
    }

    ~Private() {
        if (simNotifier != nullptr) simNotifier->setEnabled(false);
        if (simFd >= 0) ::close(simFd);
        if (udevNotifier != nullptr) udevNotifier->setEnabled(false);
        if (monitor != nullptr) udev_monitor_unref(monitor);
        if (u != nullptr) udev_unref(u);
    }
};

DeviceNotifier::DeviceNotifier(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {
    d->q = this;
    d->setupUdev();
    d->setupSimulator();
}

DeviceNotifier::~DeviceNotifier() {
    // The child notifiers are deleted after d; disable them first.
    d.reset();
}

bool DeviceNotifier::watchingSimulator() const { return d->simFd >= 0; }

}  // namespace vyk::platform
