#pragma once
// Tells the UI thread when a HID interface arrives or goes: hidraw nodes through a libudev
// monitor, and the simulated mouse (vyk-mouse-sim) through its socket. Everything is
// delivered by the event loop of the thread that made the object; nothing polls.
//
// Without udevd (containers, CI) the kernel's own events are used instead; without either the
// hidraw part stays silent. The simulator is watched even when it starts or stops later:
// its appearance counts as an arrival of each interface it offers, its end as their removal.

#include <QObject>

#include <memory>

namespace vyk::platform {

class DeviceNotifier : public QObject {
    Q_OBJECT
public:
    explicit DeviceNotifier(QObject* parent = nullptr);
    ~DeviceNotifier() override;

    // True while connected to a running simulator (for tests and diagnostics).
    bool watchingSimulator() const;

signals:
    // One per HID interface (hidraw node or simulated interface).
    void interfaceArrived();
    void interfaceRemoved();
    // Any change of the device nodes watched (after the arrival or removal signal).
    void nodesChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace vyk::platform
