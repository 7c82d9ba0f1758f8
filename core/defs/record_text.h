#pragma once
// Text fields of the stored records: fixed arrays of n UTF-16 code units holding at most n-1
// units followed by a NUL. The units after the NUL carry no meaning but belong to the stored
// bytes, so writers never touch them; readers stop at the first NUL or at n, whichever comes
// first, so a field without a NUL (a damaged or foreign record) is still read safely.

#include <QString>
#include <cstddef>
#include <string_view>

namespace vyk::defs {

// Writes text into dst[0..n): at most n-1 units, then one NUL. Units after the written NUL
// are left as they were. A text that would end between the two halves of a surrogate pair
// is cut before the pair. The text stops at its first NUL unit. n == 0 writes nothing.
// Returns the number of units stored before the NUL.
std::size_t setRecordText(char16_t* dst, std::size_t n, std::u16string_view text) noexcept;
std::size_t setRecordText(char16_t* dst, std::size_t n, const QString& text) noexcept;

// The text of src[0..n): the units before the first NUL, or all n units when there is none.
std::u16string_view recordTextView(const char16_t* src, std::size_t n) noexcept;
QString recordText(const char16_t* src, std::size_t n);

// The same for a field given as an array, so the size always comes from the record itself.
template <std::size_t N>
std::size_t setRecordText(char16_t (&dst)[N], std::u16string_view text) noexcept {
    return setRecordText(dst, N, text);
}
template <std::size_t N>
std::size_t setRecordText(char16_t (&dst)[N], const QString& text) noexcept {
    return setRecordText(dst, N, text);
}
template <std::size_t N>
std::u16string_view recordTextView(const char16_t (&src)[N]) noexcept {
    return recordTextView(src, N);
}
template <std::size_t N>
QString recordText(const char16_t (&src)[N]) {
    return recordText(src, N);
}

}  // namespace vyk::defs
