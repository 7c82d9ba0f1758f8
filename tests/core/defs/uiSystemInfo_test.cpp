// The Windows version classifier and the 64-bit test, over a table of system facts.
#include <gtest/gtest.h>

#include "core/defs/uiSystemInfo.h"

namespace {

struct VersionCase {
    std::uint32_t platform, major, minor;
    const char* sp;
    std::optional<std::uint8_t> product;
    std::optional<std::uint16_t> arch;
    int r2;
    std::uint8_t expected;
};

TEST(WindowsVersion, ClassifiesEveryRow) {
    const std::optional<std::uint8_t> ws = 1, server = 3, unknown;
    const std::optional<std::uint16_t> x86 = 0, amd64 = 9, none;
    const VersionCase cases[] = {
        {0, 10, 0, "", ws, amd64, 0, 0},   // neither family
        {1, 4, 0, "", {}, none, 0, 1},     // 95
        {1, 4, 0, " B ", {}, none, 0, 2},  // 95 OSR2 (text trimmed)
        {1, 4, 0, "C", {}, none, 0, 2},       {1, 4, 0, "A", {}, none, 0, 1},
        {1, 4, 10, "", {}, none, 0, 3},   // 98
        {1, 4, 10, "A", {}, none, 0, 4},  // 98 SE
        {1, 4, 10, "C", {}, none, 0, 3},      {1, 4, 89, "B", {}, none, 0, 4},
        {1, 4, 90, "", {}, none, 0, 5},  // Me
        {1, 4, 91, "", {}, none, 0, 0},       {2, 3, 1, "", ws, x86, 0, 6},
        {2, 3, 5, "", ws, x86, 0, 7},         {2, 3, 51, "", ws, x86, 0, 8},
        {2, 3, 2, "", ws, x86, 0, 0},         {2, 4, 0, "", ws, x86, 0, 9},
        {2, 5, 0, "", ws, x86, 0, 10},        {2, 5, 1, "", ws, x86, 0, 11},
        {2, 5, 2, "", server, x86, 0, 12},    {2, 5, 2, "", ws, x86, 0, 12},
        {2, 5, 2, "", ws, none, 0, 12},        // no native-architecture query: x86
        {2, 5, 2, "", ws, amd64, 0, 13},       // 64-bit XP
        {2, 5, 2, "", unknown, amd64, 0, 12},  // product type unreadable: not a workstation
        {2, 5, 2, "", ws, amd64, 1, 14},       // R2 tested first
        {2, 6, 0, "", ws, amd64, 0, 15},      {2, 6, 0, "", server, amd64, 0, 16},
        {2, 6, 1, "", ws, amd64, 0, 17},      {2, 6, 1, "", unknown, amd64, 0, 19},
        {2, 6, 2, "", ws, amd64, 0, 18},      {2, 6, 2, "", server, amd64, 0, 20},
        {2, 6, 3, "", ws, amd64, 0, 0},       {2, 10, 0, "", ws, amd64, 0, 0},
    };
    for (const VersionCase& k : cases) {
        TWindowsVersionFacts f;
        f.PlatformId = k.platform;
        f.MajorVersion = k.major;
        f.MinorVersion = k.minor;
        f.CSDVersion = QString::fromLatin1(k.sp);
        f.ProductType = k.product;
        f.NativeProcessorArchitecture = k.arch;
        f.ServerR2Metric = k.r2;
        EXPECT_EQ(ClassifyWindowsVersion(f), k.expected)
            << k.platform << " " << k.major << "." << k.minor << " '" << k.sp << "'";
    }
}

TEST(WindowsVersion, Windows64NeedsTheLayerAnd64BitHardware) {
    struct Case {
        std::optional<bool> wow;
        std::optional<std::uint16_t> arch;
        bool expected;
    };
    for (const Case& k : {Case{true, 9, true}, Case{true, 6, true}, Case{true, 0, false}, Case{false, 9, false},
                          Case{{}, 9, false}, Case{true, {}, false}}) {
        TWindowsVersionFacts f;
        f.Wow64Process = k.wow;
        f.NativeProcessorArchitecture = k.arch;
        EXPECT_EQ(ClassifyWindows64(f), k.expected);
    }
}

TEST(WindowsVersion, ThisSystemIsNotWindows) {
    EXPECT_EQ(GetWindowsVersion(), 0);
    EXPECT_FALSE(IsWindows64());
}

}  // namespace
