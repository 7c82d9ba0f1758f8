#pragma once
// Small builders for macro tests: actions, macros and their readable form.

#include "core/macro/uiMacroClassUnit.h"

#include <QString>

#include <cstring>
#include <string>
#include <vector>

namespace macro_test {

inline TMACROKEY act(std::uint16_t type, std::uint16_t state, std::uint8_t v1, std::uint8_t v2 = 0) {
    TMACROKEY a;
    std::memset(&a, 0, sizeof a);
    a.nKeyType = type;
    a.nKeyState = state;
    a.VALUE1 = v1;
    a.VALUE2 = v2;
    return a;
}
inline TMACROKEY down(std::uint8_t vk, std::uint8_t ext = 0) { return act(4, 1, vk, ext); }
inline TMACROKEY up(std::uint8_t vk, std::uint8_t ext = 0) { return act(4, 0, vk, ext); }
inline TMACROKEY delay(unsigned ms) { return act(6, 0, ms & 0xFF, (ms >> 8) & 0xFF); }

inline TMACROKEYINFO macro(const QString& name, const std::vector<TMACROKEY>& actions) {
    TMACROKEYINFO m;
    std::memset(&m, 0, sizeof m);
    vyk::defs::setRecordText(m.szMacroName, name);
    m.MacroListCount = static_cast<std::int32_t>(actions.size());
    for (std::size_t i = 0; i < actions.size() && i < 128; ++i) m.MacroList[i] = actions[i];
    return m;
}

// "D41 U41 T600" style text of an action list: type letter (D press / U release of a key,
// M/m mouse press/release, T delay, X other) and the key value in hex (delay in decimal).
inline std::string describe(const TMACROKEY* a, std::size_t n) {
    std::string out;
    char buf[32];
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned v = a[i].VALUE2 * 256u + a[i].VALUE1;
        if (a[i].nKeyType == 6)
            std::snprintf(buf, sizeof buf, "T%u", v);
        else if (a[i].nKeyType == 4)
            std::snprintf(buf, sizeof buf, "%c%X", a[i].nKeyState == 1 ? 'D' : 'U', v);
        else if (a[i].nKeyType == 1 || a[i].nKeyType == 5)
            std::snprintf(buf, sizeof buf, "%c%u:%X", a[i].nKeyState == 1 ? 'M' : 'm', a[i].nKeyType, v);
        else
            std::snprintf(buf, sizeof buf, "X%u:%X", a[i].nKeyType, v);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}
inline std::string describe(const std::vector<TMACROKEY>& v) { return describe(v.data(), v.size()); }
inline std::string describe(const TMACROKEYINFO& m) {
    const int n = m.MacroListCount < 0 ? 0 : m.MacroListCount > 128 ? 128 : m.MacroListCount;
    return describe(m.MacroList, static_cast<std::size_t>(n));
}

// Parses the form describe() writes for keys and delays ("D41 U41 T600 M1:1 m5:2").
inline std::vector<TMACROKEY> parse(const std::string& text) {
    std::vector<TMACROKEY> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = text.find(' ', i);
        const std::string tok = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? text.size() : end + 1;
        if (tok.empty()) continue;
        const char c = tok[0];
        if (c == 'T') {
            out.push_back(delay(static_cast<unsigned>(std::stoul(tok.substr(1)))));
        } else if (c == 'D' || c == 'U') {
            const unsigned v = static_cast<unsigned>(std::stoul(tok.substr(1), nullptr, 16));
            out.push_back(act(4, c == 'D' ? 1 : 0, v & 0xFF, v >> 8));
        } else {  // M/m type:value or X type:value
            const std::size_t colon = tok.find(':');
            const auto type = static_cast<std::uint16_t>(std::stoul(tok.substr(1, colon - 1)));
            const unsigned v = static_cast<unsigned>(std::stoul(tok.substr(colon + 1), nullptr, 16));
            out.push_back(act(type, c == 'M' ? 1 : 0, v & 0xFF, v >> 8));
        }
    }
    return out;
}

}  // namespace macro_test
