#pragma once
// Result codes of the HID layer. Callers of the device link compare results with 0 and pass
// the others on, so every failure is a non-zero code in the numbering the programs were
// written for (the Windows system error codes).

#include <cstdint>

namespace vyk::platform::hid {

inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorSemTimeout = 121;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorOperationAborted = 995;
inline constexpr std::uint32_t kErrorIoPending = 997;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

// Maps an errno value of a device call to a result code: ENODEV and friends mean the device
// went away (1167), EACCES/EPERM access denied, EBADF an invalid handle, ETIMEDOUT a
// timeout, EINVAL a bad parameter; anything else (EIO, EPIPE: the device refused the
// request) is a general failure.
std::uint32_t errnoToError(int err);

}  // namespace vyk::platform::hid
