#pragma once
// Raw byte access to the stored records. A record is copied to and from storage as its bytes
// in declared layout; a stored value shorter than the record fills only the front of the
// working copy and leaves the rest as it was, a longer one gives only its first sizeof bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

namespace vyk::defs {

template <class T>
concept RawRecord = std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T> && !std::is_pointer_v<T>;

template <RawRecord T>
std::span<const std::uint8_t, sizeof(T)> recordBytes(const T& rec) noexcept {
    return std::span<const std::uint8_t, sizeof(T)>(reinterpret_cast<const std::uint8_t*>(&rec), sizeof(T));
}

template <RawRecord T>
std::span<std::uint8_t, sizeof(T)> recordBytes(T& rec) noexcept {
    return std::span<std::uint8_t, sizeof(T)>(reinterpret_cast<std::uint8_t*>(&rec), sizeof(T));
}

// Copies min(data.size(), sizeof(T)) bytes over the front of rec; returns how many.
template <RawRecord T>
std::size_t readRecordFront(T& rec, std::span<const std::uint8_t> data) noexcept {
    const std::size_t n = data.size() < sizeof(T) ? data.size() : sizeof(T);
    if (n > 0) std::memcpy(&rec, data.data(), n);
    return n;
}

}  // namespace vyk::defs
