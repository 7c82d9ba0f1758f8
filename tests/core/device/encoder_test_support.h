#pragma once
// Shared by the encoder tests: bytes as upper-case hex text and a macro action builder.

#include "core/defs/pubunit_norvane.h"

#include <cstdint>
#include <string>
#include <vector>

namespace enctest {

using Bytes = std::vector<std::uint8_t>;

// "0E 00 CD 00": n bytes from p, separated by blanks.
inline std::string hex(const std::uint8_t* p, std::size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

// The first n bytes of b (all of them by default).
inline std::string hex(const Bytes& b, std::size_t n = SIZE_MAX) { return hex(b.data(), n < b.size() ? n : b.size()); }

inline TMACROKEY action(int type, int state, int v1, int v2) {
    TMACROKEY a{};
    a.nKeyType = static_cast<std::uint16_t>(type);
    a.nKeyState = static_cast<std::uint16_t>(state);
    a.VALUE1 = static_cast<std::uint8_t>(v1);
    a.VALUE2 = static_cast<std::uint8_t>(v2);
    return a;
}

}  // namespace enctest
