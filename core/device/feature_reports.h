#pragma once
// The mouse's feature reports: IDs 2 to 6 and their sizes, the one table that the device
// memory protocol and the simulated mouse both use. A transfer goes out in the smallest report
// that holds it. Header only and without dependencies, so the simulator can include it
// without linking the core. Sizes count the report ID byte.

#include <array>
#include <cstddef>
#include <cstdint>

namespace vyk::device {

inline constexpr std::uint8_t kFirstFeatureReportID = 2;
inline constexpr std::array<std::size_t, 5> kFeatureReportSizes = {16, 64, 1024, 2048, 4096};  // IDs 2..6
inline constexpr std::size_t kLargestFeatureReport = kFeatureReportSizes.back();

// The size of a feature report (ID byte included); 0 for IDs outside 2..6.
constexpr std::size_t featureReportSize(std::uint8_t reportId) {
    if (reportId < kFirstFeatureReportID || reportId >= kFirstFeatureReportID + kFeatureReportSizes.size()) return 0;
    return kFeatureReportSizes[reportId - kFirstFeatureReportID];
}

// The smallest feature report that holds total bytes (ID byte included); 0 when none does.
constexpr std::uint8_t featureReportForLength(std::size_t total) {
    for (std::size_t i = 0; i < kFeatureReportSizes.size(); ++i) {
        if (total <= kFeatureReportSizes[i]) return static_cast<std::uint8_t>(kFirstFeatureReportID + i);
    }
    return 0;
}

static_assert(featureReportSize(2) == 16 && featureReportSize(6) == 4096 && featureReportSize(7) == 0);
static_assert(featureReportForLength(17) == 3 && featureReportForLength(4097) == 0);

}  // namespace vyk::device
