#pragma once
// The classifier of the running Windows version and the test for a 32-bit process on 64-bit
// Windows, used when the filter-driver control picks its driver package folder.
//
// On Linux there is no Windows version: the facts below report a system of neither Windows
// family, so GetWindowsVersion gives 0 and IsWindows64 false. The classifiers themselves are
// pure and take the facts as arguments.

#include <QString>
#include <cstdint>
#include <optional>

// What the classifier looks at.
struct TWindowsVersionFacts {
    std::uint32_t PlatformId = 0;  // 1: Windows 9x family, 2: NT family, else neither
    std::uint32_t MajorVersion = 0;
    std::uint32_t MinorVersion = 0;
    QString CSDVersion;                                        // service-pack text
    std::optional<std::uint8_t> ProductType;                   // 1 workstation; absent when it cannot be read
    std::optional<std::uint16_t> NativeProcessorArchitecture;  // 0 x86, 6 IA64, 9 AMD64
    int ServerR2Metric = 0;                                    // non-zero on Server 2003 R2
    std::optional<bool> Wow64Process;                          // absent when the test is not available
};

// The facts of the running system.
TWindowsVersionFacts QueryWindowsVersionFacts();

// 0..20, see GetWindowsVersion.
std::uint8_t ClassifyWindowsVersion(const TWindowsVersionFacts& facts);
bool ClassifyWindows64(const TWindowsVersionFacts& facts);

// 0 none of the known versions; 1..5 the 9x family; 6..8 NT 3.x; 9 NT 4; 10 NT 5.0; 11 NT 5.1;
// 12 NT 5.2; 13 NT 5.2 on a workstation with a processor other than x86 (64-bit XP); 14 NT 5.2
// R2; 15/16 NT 6.0 workstation/other; 17/19 NT 6.1; 18/20 NT 6.2.
std::uint8_t GetWindowsVersion();

// The process runs under the 32-bit layer of a 64-bit Windows (AMD64 or IA64).
bool IsWindows64();
