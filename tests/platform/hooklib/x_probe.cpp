#include "tests/platform/hooklib/x_probe.h"

#include <X11/Xlib.h>

namespace vyk::test {

bool keyboardGrabbable(const std::string& display) {
    Display* other = XOpenDisplay(display.c_str());
    if (other == nullptr) return false;
    const int r = XGrabKeyboard(other, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (r == GrabSuccess) XUngrabKeyboard(other, CurrentTime);
    XCloseDisplay(other);
    return r == GrabSuccess;
}

}  // namespace vyk::test
