#include "tests/support/x11/stand_in_wm.h"

#include <QSocketNotifier>

#include <algorithm>
#include <set>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vyk::test {

namespace {

bool g_otherManager = false;

int noteOtherManager(Display*, XErrorEvent* e) {
    if (e->error_code == BadAccess) g_otherManager = true;
    return 0;
}

}  // namespace

struct StandInWindowManager::Private {
    Display* display = nullptr;
    Window root = 0;
    Atom wmState = 0, wmChangeState = 0, netWmName = 0, utf8 = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    std::set<Window> iconifying;  // unmapped by us: their unmap is no withdrawal

    void setState(Window w, int state) {
        const long data[2] = {state, static_cast<long>(None)};
        XChangeProperty(display, w, wmState, wmState, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(data),
                        2);
    }

    void handle(XEvent& e) {
        switch (e.type) {
        case MapRequest:
            XMapWindow(display, e.xmaprequest.window);
            setState(e.xmaprequest.window, Normal);
            break;
        case ConfigureRequest: {
            const XConfigureRequestEvent& r = e.xconfigurerequest;
            XWindowChanges c{};
            c.x = r.x;
            c.y = r.y;
            c.width = r.width;
            c.height = r.height;
            c.border_width = r.border_width;
            c.sibling = r.above;
            c.stack_mode = r.detail;
            XConfigureWindow(display, r.window, static_cast<unsigned>(r.value_mask), &c);
            break;
        }
        case ClientMessage:
            if (e.xclient.message_type == wmChangeState && e.xclient.format == 32 && e.xclient.data.l[0] == Iconic) {
                iconifying.insert(e.xclient.window);
                XUnmapWindow(display, e.xclient.window);
                setState(e.xclient.window, Iconic);
            }
            break;
        case UnmapNotify: {
            const Window w = e.xunmap.window;
            if (!e.xunmap.send_event && iconifying.erase(w) > 0) break;
            // The program withdrew the window (hid it).
            if (e.xunmap.send_event || e.xunmap.event == root) setState(w, Withdrawn);
            break;
        }
        default: break;
        }
    }
};

StandInWindowManager::StandInWindowManager() : d(std::make_unique<Private>()) {
    d->display = XOpenDisplay(nullptr);
    if (d->display == nullptr) return;
    d->root = DefaultRootWindow(d->display);
    g_otherManager = false;
    XErrorHandler previous = XSetErrorHandler(noteOtherManager);
    XSelectInput(d->display, d->root, SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(d->display, False);
    XSetErrorHandler(previous);
    if (g_otherManager) {
        XCloseDisplay(d->display);
        d->display = nullptr;
        return;
    }
    d->wmState = XInternAtom(d->display, "WM_STATE", False);
    d->wmChangeState = XInternAtom(d->display, "WM_CHANGE_STATE", False);
    d->netWmName = XInternAtom(d->display, "_NET_WM_NAME", False);
    d->utf8 = XInternAtom(d->display, "UTF8_STRING", False);
    d->notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(d->display), QSocketNotifier::Read);
    QObject::connect(d->notifier.get(), &QSocketNotifier::activated, [this] { handlePending(); });
}

StandInWindowManager::~StandInWindowManager() {
    d->notifier.reset();
    if (d->display != nullptr) XCloseDisplay(d->display);
}

bool StandInWindowManager::running() const { return d->display != nullptr; }

void StandInWindowManager::handlePending() {
    if (d->display == nullptr) return;
    while (XPending(d->display) > 0) {
        XEvent e;
        XNextEvent(d->display, &e);
        d->handle(e);
    }
    XFlush(d->display);
}

void StandInWindowManager::restore(unsigned long window) {
    if (d->display == nullptr) return;
    handlePending();
    XMapWindow(d->display, window);
    d->setState(window, Normal);
    XSync(d->display, False);
    handlePending();
}

int StandInWindowManager::state(unsigned long window) {
    if (d->display == nullptr) return Withdrawn;
    handlePending();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int state = Withdrawn;
    if (XGetWindowProperty(d->display, window, d->wmState, 0, 2, False, d->wmState, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr && format == 32 && count >= 1) {
        state = static_cast<int>(reinterpret_cast<long*>(data)[0]);
    }
    if (data != nullptr) XFree(data);
    handlePending();
    return state;
}

bool StandInWindowManager::viewable(unsigned long window) {
    if (d->display == nullptr) return false;
    handlePending();
    XWindowAttributes a{};
    const bool ok = XGetWindowAttributes(d->display, window, &a) != 0;
    handlePending();
    return ok && a.map_state == IsViewable;
}

std::vector<unsigned long> StandInWindowManager::stackingOrder() {
    std::vector<unsigned long> out;
    if (d->display == nullptr) return out;
    handlePending();
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d->display, d->root, &rootReturn, &parent, &children, &count) != 0) {
        out.assign(children, children + count);
    }
    if (children != nullptr) XFree(children);
    handlePending();
    return out;
}

QString StandInWindowManager::name(unsigned long window) {
    if (d->display == nullptr) return {};
    handlePending();
    QString out;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d->display, window, d->netWmName, 0, 1024, False, d->utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr && type == d->utf8 && format == 8) {
        out = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    } else {
        char* plain = nullptr;
        if (XFetchName(d->display, window, &plain) != 0 && plain != nullptr) {
            out = QString::fromLocal8Bit(plain);
            XFree(plain);
        }
    }
    if (data != nullptr) XFree(data);
    handlePending();
    return out;
}

}  // namespace vyk::test
