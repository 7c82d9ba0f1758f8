#pragma once
// TMouseParams: the pointer settings the configuration window edits and APPLY hands to the
// desktop (CfgLink::ApplyPointerSettings), in the order the worker thread receives them:
// 12 bytes, three int32: pointer speed 1..20, wheel lines 1..10, acceleration 0..3.
//
// Plain data. Values come from stored profiles, which are not trusted: whoever acts on them
// checks the ranges there.

#include <cstdint>
#include <type_traits>

struct TMouseParams {
    std::int32_t PointerSpeed = 0;
    std::int32_t WheelLines = 0;
    std::int32_t Acceleration = 0;
};
static_assert(sizeof(TMouseParams) == 12);
static_assert(std::is_trivially_copyable_v<TMouseParams>);
