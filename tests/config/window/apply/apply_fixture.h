#pragma once
// Shared by the APPLY tests: the window on the simulated mouse (tests/config/window/
// sim_window_fixture.h) and the report lines every APPLY writes.

#include "tests/config/window/sim_window_fixture.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace applytest {

using cfgtest::HookedLink;
using cfgtest::reportsOf;
using ApplyTest = cfgtest::SimWindowTest;

// The reports of one profile's blocks and its rate byte.
inline std::vector<std::string> profileWrites(int p) {
    char a[32], b[32], c[32], d[32];
    std::snprintf(a, sizeof a, "write %03X 77", p * 0x100 + 0x90);
    std::snprintf(b, sizeof b, "write %03X 6", p * 0x100 + 0xF1);
    std::snprintf(c, sizeof c, "write %03X 42", p * 0x100 + 0x4F);
    std::snprintf(d, sizeof d, "write %03X 1", 0x48 + p);
    return {a, b, c, d};
}

// The start of every APPLY with the mouse's active profile p: write mode 0, the read-back.
inline std::vector<std::string> applyStart(int activeProfile = 0) {
    char r[32];
    std::snprintf(r, sizeof r, "read %03X 42", activeProfile * 0x100 + 0x4F);
    return {"mode 0", "read 043 1", "answer", r, "answer"};
}

inline std::vector<std::string> applyEnd() { return {"write 043 1", "mode 1", "cmd1 1 0"}; }

inline std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace applytest
