#pragma once
// Looks at a display from a second X connection (kept apart from Qt headers, as Xlib's
// macros clash with them).
#include <string>

namespace vyk::test {
// Whether another client can grab the keyboard right now.
bool keyboardGrabbable(const std::string& display);
}  // namespace vyk::test
