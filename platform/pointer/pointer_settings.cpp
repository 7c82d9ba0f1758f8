// The pointer settings: the mappings, the 0..3 rule and the order of the backends.

#include "platform/pointer/pointer_settings.h"

#include "platform/diag/diag.h"
#include "platform/pointer/pointer_layers.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

namespace vyk::platform {

namespace {

constexpr AccelerationPreset kPresets[4] = {{0, 0, 0}, {7, 0, 1}, {4, 6, 2}, {4, 0, 1}};

std::atomic<PointerBackend*> g_testBackend{nullptr};

// Two applies never interleave their X and desktop writes: the later one wins as a whole.
std::mutex g_applyMutex;

// Runs one setting on every layer; an exception in a layer skips that layer's setting only.
template <typename Fn>
void forEachLayer(const std::vector<std::unique_ptr<PointerBackend>>& layers, const char* what, Fn fn) {
    for (const auto& layer : layers) {
        try {
            fn(*layer);
        } catch (const std::exception& e) {
            debugLog(QStringLiteral("pointer: %1 failed: %2").arg(QLatin1String(what), QString::fromUtf8(e.what())));
        } catch (...) {
            debugLog(QStringLiteral("pointer: %1 failed").arg(QLatin1String(what)));
        }
    }
}

std::vector<std::unique_ptr<PointerBackend>> realLayers(bool withX) {
    std::vector<std::unique_ptr<PointerBackend>> layers;
    auto add = [&layers](std::unique_ptr<PointerBackend> (*make)()) {
        try {
            if (auto layer = make()) layers.push_back(std::move(layer));
        } catch (const std::exception& e) {
            debugLog(QStringLiteral("pointer: backend skipped: %1").arg(QString::fromUtf8(e.what())));
        } catch (...) {
            debugLog(QStringLiteral("pointer: backend skipped"));
        }
    };
    add(&pointer::makeDesktopSettingsLayer);
    if (withX) add(&pointer::makeX11Layer);
    add(&pointer::makeOwnProcessLayer);
    return layers;
}

}  // namespace

bool accelerationInRange(int acceleration) { return acceleration >= 0 && acceleration <= 3; }

AccelerationPreset accelerationPreset(int acceleration) {
    return accelerationInRange(acceleration) ? kPresets[acceleration] : AccelerationPreset{};
}

XPointerAcceleration xPointerAcceleration(const AccelerationPreset& preset) {
    XPointerAcceleration x;
    if (preset.acceleration <= 0 || preset.threshold1 <= 0) {
        x.keepThreshold = true;
        return x;
    }
    // Each step doubles the motion; the second step starts at threshold 2 when there is one.
    const int steps = std::min(preset.acceleration, 2);
    x.numerator = 1 << steps;
    x.denominator = 1;
    x.threshold = (steps >= 2 && preset.threshold2 > 0) ? preset.threshold2 : preset.threshold1;
    return x;
}

double desktopPointerSpeed(int speed) {
    const int s = std::clamp(speed, 1, 20);
    return (2.0 * (s - 1)) / 19.0 - 1.0;
}

int effectiveDoubleClickTime(int ms) {
    if (ms <= 0) return 500;
    return std::min(ms, 5000);
}

void applyPointerSettings(const PointerSettings& settings) {
    // An acceleration the presets do not know applies none of the three settings.
    if (!accelerationInRange(settings.acceleration)) {
        debugLog(QStringLiteral("pointer: acceleration %1 out of range, nothing applied").arg(settings.acceleration));
        return;
    }
    const AccelerationPreset preset = accelerationPreset(settings.acceleration);

    if (PointerBackend* test = g_testBackend.load()) {
        test->setAcceleration(settings.acceleration, preset);
        test->setSpeed(settings.speed);
        test->setWheelLines(settings.wheelLines);
        return;
    }

    std::lock_guard<std::mutex> lock(g_applyMutex);
    const auto layers = realLayers(true);
    forEachLayer(layers, "acceleration", [&](PointerBackend& b) { b.setAcceleration(settings.acceleration, preset); });
    forEachLayer(layers, "speed", [&](PointerBackend& b) { b.setSpeed(settings.speed); });
    forEachLayer(layers, "wheel lines", [&](PointerBackend& b) { b.setWheelLines(settings.wheelLines); });
}

void setDoubleClickTime(int ms) {
    const int effective = effectiveDoubleClickTime(ms);
    if (PointerBackend* test = g_testBackend.load()) {
        test->setDoubleClickTime(effective);
        return;
    }
    // No X connection for this: the core X protocol has no double-click time.
    const auto layers = realLayers(false);
    forEachLayer(layers, "double-click time", [&](PointerBackend& b) { b.setDoubleClickTime(effective); });
}

void preparePointerSettings() {
    if (g_testBackend.load() != nullptr) return;
    pointer::prepareDesktopSettingsLayer();
}

void setPointerBackendForTesting(PointerBackend* backend) { g_testBackend.store(backend); }

}  // namespace vyk::platform
