#include "core/defs/uiSystemInfo.h"

namespace {
constexpr std::uint32_t kPlatform9x = 1;
constexpr std::uint32_t kPlatformNT = 2;
constexpr std::uint8_t kWorkstation = 1;
constexpr std::uint16_t kArchX86 = 0;
constexpr std::uint16_t kArchIA64 = 6;
constexpr std::uint16_t kArchAMD64 = 9;
}  // namespace

TWindowsVersionFacts QueryWindowsVersionFacts() {
    // Not a Windows system: neither family, no product type, no 32-bit layer.
    return TWindowsVersionFacts{};
}

std::uint8_t ClassifyWindowsVersion(const TWindowsVersionFacts& f) {
    const QString sp = f.CSDVersion.trimmed();
    const bool workstation = f.ProductType.has_value() && *f.ProductType == kWorkstation;
    if (f.PlatformId == kPlatform9x) {
        if (f.MinorVersion < 10) return (sp == QLatin1String("B") || sp == QLatin1String("C")) ? 2 : 1;
        if (f.MinorVersion < 90) return (sp == QLatin1String("A") || sp == QLatin1String("B")) ? 4 : 3;
        if (f.MinorVersion == 90) return 5;
        return 0;
    }
    if (f.PlatformId != kPlatformNT) return 0;
    switch (f.MajorVersion) {
    case 3:
        if (f.MinorVersion == 1) return 6;
        if (f.MinorVersion == 5) return 7;
        if (f.MinorVersion == 51) return 8;
        return 0;
    case 4: return 9;
    case 5:
        if (f.MinorVersion == 0) return 10;
        if (f.MinorVersion == 1) return 11;
        if (f.MinorVersion == 2) {
            if (f.ServerR2Metric != 0) return 14;
            const std::uint16_t arch = f.NativeProcessorArchitecture.value_or(kArchX86);
            if (arch != kArchX86 && workstation) return 13;
            return 12;
        }
        return 0;
    case 6:
        if (f.MinorVersion == 0) return workstation ? 15 : 16;
        if (f.MinorVersion == 1) return workstation ? 17 : 19;
        if (f.MinorVersion == 2) return workstation ? 18 : 20;
        return 0;
    default: return 0;
    }
}

bool ClassifyWindows64(const TWindowsVersionFacts& f) {
    if (!f.Wow64Process.value_or(false) || !f.NativeProcessorArchitecture) return false;
    return *f.NativeProcessorArchitecture == kArchAMD64 || *f.NativeProcessorArchitecture == kArchIA64;
}

std::uint8_t GetWindowsVersion() { return ClassifyWindowsVersion(QueryWindowsVersionFacts()); }

bool IsWindows64() { return ClassifyWindows64(QueryWindowsVersionFacts()); }
