#pragma once
// A pointer backend for tests: records every call as one line of text, in order, and touches
// nothing. Install it with setPointerBackendForTesting and remove it (nullptr) before it goes.
//
// Lines: "acceleration <n> {<t1>,<t2>,<a>}", "speed <n>", "wheelLines <n>", "doubleClick <ms>".
// Safe to call from several threads (applyPointerSettings runs on workers).

#include "platform/pointer/pointer_settings.h"

#include <mutex>
#include <string>
#include <vector>

namespace vyk::platform {

class RecordingPointerBackend final : public PointerBackend {
public:
    void setAcceleration(int acceleration, const AccelerationPreset& p) override {
        add("acceleration " + std::to_string(acceleration) + " {" + std::to_string(p.threshold1) + "," +
            std::to_string(p.threshold2) + "," + std::to_string(p.acceleration) + "}");
    }
    void setSpeed(int speed) override { add("speed " + std::to_string(speed)); }
    void setWheelLines(int lines) override { add("wheelLines " + std::to_string(lines)); }
    void setDoubleClickTime(int ms) override { add("doubleClick " + std::to_string(ms)); }

    std::vector<std::string> calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    std::size_t count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_.size();
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.clear();
    }

private:
    void add(std::string line) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(line));
    }

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

// Installs a backend for the lifetime of the object.
class ScopedPointerBackend {
public:
    explicit ScopedPointerBackend(PointerBackend* backend) { setPointerBackendForTesting(backend); }
    ~ScopedPointerBackend() { setPointerBackendForTesting(nullptr); }
    ScopedPointerBackend(const ScopedPointerBackend&) = delete;
    ScopedPointerBackend& operator=(const ScopedPointerBackend&) = delete;
};

}  // namespace vyk::platform
