#include "core/defs/record_text.h"

#include <algorithm>

namespace vyk::defs {

namespace {
bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
}  // namespace

std::size_t setRecordText(char16_t* dst, std::size_t n, std::u16string_view text) noexcept {
    if (dst == nullptr || n == 0) return 0;
    const std::size_t nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) text = text.substr(0, nul);
    std::size_t count = std::min(text.size(), n - 1);
    // Never keep half of a pair: a lone high surrogate at the end is not a character.
    if (count > 0 && count < text.size() && isHighSurrogate(text[count - 1])) --count;
    std::copy_n(text.data(), count, dst);
    dst[count] = u'\0';
    return count;
}

std::size_t setRecordText(char16_t* dst, std::size_t n, const QString& text) noexcept {
    return setRecordText(
        dst, n,
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

std::u16string_view recordTextView(const char16_t* src, std::size_t n) noexcept {
    if (src == nullptr) return {};
    const char16_t* end = std::find(src, src + n, u'\0');
    return std::u16string_view(src, static_cast<std::size_t>(end - src));
}

QString recordText(const char16_t* src, std::size_t n) {
    const std::u16string_view v = recordTextView(src, n);
    return QString(reinterpret_cast<const QChar*>(v.data()), static_cast<qsizetype>(v.size()));
}

}  // namespace vyk::defs
