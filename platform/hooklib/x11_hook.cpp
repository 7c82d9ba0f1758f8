// The X11 backend: a private X connection that selects XInput2 raw key and button events on
// the root window, so it sees every key and button wherever the focus is. The connection's
// socket is watched by a QSocketNotifier created on the enabling thread, so the callbacks run
// there, from its event loop.
//
// Events cannot be withheld from other clients once the server has delivered them. While the
// client swallows key presses, the keyboard is grabbed by a second connection instead, so
// further keys stop reaching other programs; the grab ends when a key press is let through or
// the hook is disabled. Raw events keep arriving during the grab (XInput 2.1 and later).
//
// Events from XTEST devices (software-generated input) carry the injected flag.

#include "platform/hooklib/hook_backend.h"
#include "platform/hooklib/key_map.h"

#include <QObject>
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace vyk::platform::hooklib {

namespace {

// Xlib's I/O error handler is process-wide, and its default ends the program. While our
// connections are open, a handler of ours lets a lost connection of ours end only the hook;
// any other connection gets the handler that was there before.
std::vector<Display*> g_ourDisplays;
XIOErrorHandler g_previousIOHandler = nullptr;
bool g_ioHandlerInstalled = false;

int onIOError(Display* dpy) {
    if (std::find(g_ourDisplays.begin(), g_ourDisplays.end(), dpy) != g_ourDisplays.end()) return 0;
    return g_previousIOHandler != nullptr ? g_previousIOHandler(dpy) : 0;
}

Display* openOurDisplay() {
    Display* dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) return nullptr;
    g_ourDisplays.push_back(dpy);
    if (!g_ioHandlerInstalled) {
        g_previousIOHandler = XSetIOErrorHandler(&onIOError);
        g_ioHandlerInstalled = true;
    }
    return dpy;
}

void closeOurDisplay(Display* dpy) {
    XCloseDisplay(dpy);
    g_ourDisplays.erase(std::remove(g_ourDisplays.begin(), g_ourDisplays.end(), dpy), g_ourDisplays.end());
    if (g_ourDisplays.empty() && g_ioHandlerInstalled) {
        // Put the previous handler back unless someone replaced ours meanwhile.
        XIOErrorHandler current = XSetIOErrorHandler(g_previousIOHandler);
        if (current != &onIOError) XSetIOErrorHandler(current);
        g_ioHandlerInstalled = false;
        g_previousIOHandler = nullptr;
    }
}

class X11Hook final : public Hook {
public:
    using Hook::Hook;
    ~X11Hook() override { close(); }

    bool start() override;
    void retire() override {
        Hook::retire();
        if (notifier_ != nullptr) notifier_->setEnabled(false);
        releaseGrab();
        stopListening();
    }

private:
    static void onConnectionLost(Display*, void* self) { static_cast<X11Hook*>(self)->lost_ = true; }

    void pump();
    void handle(XGenericEventCookie* cookie);
    void handleKey(const XIRawEvent* e, bool press);
    void handleButton(const XIRawEvent* e, bool press);
    void handleMotion(const XIRawEvent* e);
    MouseHookRecord pointerRecord(const XIRawEvent* e);
    bool fromXTest(int deviceId);
    void loadKeyState();
    void releaseGrab();
    void stopListening();
    void drainGrabConnection();
    void close();

    Display* dpy_ = nullptr;
    // The keyboard grab is held by a second connection: the server does not send raw events
    // to the client that holds a core grab, but does send them to everyone else.
    Display* grabDpy_ = nullptr;
    Window root_ = 0;
    int xiOpcode_ = 0;
    unsigned numLockMask_ = 0;
    bool lost_ = false;
    bool grabbed_ = false;
    QSocketNotifier* notifier_ = nullptr;
    std::unordered_map<int, bool> xtest_;
};

bool X11Hook::start() {
    dpy_ = openOurDisplay();
    if (dpy_ == nullptr) return false;
    // A lost connection must not end the program (Xlib's default); it ends the hook.
    XSetIOErrorExitHandler(dpy_, &X11Hook::onConnectionLost, this);
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2;
    if (!XQueryExtension(dpy_, "XInputExtension", &xiOpcode_, &event, &error) ||
        XIQueryVersion(dpy_, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
        close();
        return false;
    }
    root_ = DefaultRootWindow(dpy_);
    numLockMask_ = XkbKeysymToModifiers(dpy_, XK_Num_Lock);
    if (kind_ == HookKind::Keyboard) loadKeyState();

    unsigned char rawBits[XIMaskLen(XI_LASTEVENT)] = {};
    if (kind_ == HookKind::Keyboard) {
        XISetMask(rawBits, XI_RawKeyPress);
        XISetMask(rawBits, XI_RawKeyRelease);
    } else {
        XISetMask(rawBits, XI_RawButtonPress);
        XISetMask(rawBits, XI_RawButtonRelease);
        XISetMask(rawBits, XI_RawMotion);
    }
    unsigned char hierarchyBits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(hierarchyBits, XI_HierarchyChanged);
    XIEventMask masks[2] = {{XIAllMasterDevices, sizeof rawBits, rawBits},
                            {XIAllDevices, sizeof hierarchyBits, hierarchyBits}};
    XISelectEvents(dpy_, root_, masks, 2);
    XSync(dpy_, False);
    if (lost_) {
        close();
        return false;
    }

    notifier_ = new QSocketNotifier(ConnectionNumber(dpy_), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { pump(); });
    if (XEventsQueued(dpy_, QueuedAlready) > 0) {
        QMetaObject::invokeMethod(
            notifier_, [this] { pump(); }, Qt::QueuedConnection);
    }
    return true;
}

void X11Hook::loadKeyState() {
    clearKeys();
    char keys[32] = {};
    XQueryKeymap(dpy_, keys);
    for (unsigned kc = XKB_KEYCODE_OFFSET; kc < 256; ++kc) {
        if ((keys[kc / 8] & (1 << (kc % 8))) == 0) continue;
        if (auto id = keyFromInputCode(kc - XKB_KEYCODE_OFFSET, true)) setKeyDown(id->vk, true);
    }
}

void X11Hook::pump() {
    if (dpy_ == nullptr) return;
    ++depth_;
    while (!lost_ && !retired() && XPending(dpy_) > 0) {
        XEvent ev;
        XNextEvent(dpy_, &ev);
        if (ev.xcookie.type != GenericEvent || ev.xcookie.extension != xiOpcode_) continue;
        if (!XGetEventData(dpy_, &ev.xcookie)) continue;
        handle(&ev.xcookie);
        XFreeEventData(dpy_, &ev.xcookie);
    }
    drainGrabConnection();
    --depth_;
    if (lost_ && depth_ == 0 && dpy_ != nullptr) {
        // The server went away: stop watching and drop the connection. The hook stays enabled
        // but silent until it is disabled or enabled again. The notifier is deleted with the
        // hook, never from inside its own signal.
        if (notifier_ != nullptr) notifier_->setEnabled(false);
        grabbed_ = false;
        closeOurDisplay(dpy_);
        dpy_ = nullptr;
        if (grabDpy_ != nullptr) {
            closeOurDisplay(grabDpy_);
            grabDpy_ = nullptr;
        }
    }
}

void X11Hook::handle(XGenericEventCookie* cookie) {
    switch (cookie->evtype) {
    case XI_RawKeyPress: handleKey(static_cast<const XIRawEvent*>(cookie->data), true); break;
    case XI_RawKeyRelease: handleKey(static_cast<const XIRawEvent*>(cookie->data), false); break;
    case XI_RawButtonPress: handleButton(static_cast<const XIRawEvent*>(cookie->data), true); break;
    case XI_RawButtonRelease: handleButton(static_cast<const XIRawEvent*>(cookie->data), false); break;
    case XI_RawMotion: handleMotion(static_cast<const XIRawEvent*>(cookie->data)); break;
    case XI_HierarchyChanged: xtest_.clear(); break;
    default: break;
    }
}

bool X11Hook::fromXTest(int deviceId) {
    auto it = xtest_.find(deviceId);
    if (it != xtest_.end()) return it->second;
    int count = 0;
    XIDeviceInfo* info = XIQueryDevice(dpy_, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        xtest_[info[i].deviceid] = info[i].name != nullptr && std::strstr(info[i].name, "XTEST") != nullptr;
    }
    if (info != nullptr) XIFreeDeviceInfo(info);
    // A device that is already gone is remembered too, so its events cost no further queries.
    auto [entry, added] = xtest_.emplace(deviceId, false);
    (void)added;
    return entry->second;
}

void X11Hook::handleKey(const XIRawEvent* e, bool press) {
    const unsigned keycode = static_cast<unsigned>(e->detail);
    if (keycode < XKB_KEYCODE_OFFSET || keycode > 255) return;
    const unsigned code = keycode - XKB_KEYCODE_OFFSET;
    bool numLock = true;
    if (keyDependsOnNumLock(code)) {
        XkbStateRec state{};
        if (XkbGetState(dpy_, XkbUseCoreKbd, &state) == Success) numLock = (state.locked_mods & numLockMask_) != 0;
    }
    const KeySym sym = XkbKeycodeToKeysym(dpy_, static_cast<KeyCode>(keycode), 0, 0);
    const auto id = keyFromInputCode(code, numLock, sym);
    if (!id) return;

    TKBDLLHOOKSTRUCT rec{};
    rec.vkCode = id->vk;
    rec.scanCode = id->scanCode;
    rec.flags = (id->extended ? KBD_FLAG_EXTENDED : 0) | (press ? 0 : KBD_FLAG_UP) |
                (fromXTest(e->sourceid) ? KBD_FLAG_INJECTED : 0);
    rec.time = static_cast<std::uint32_t>(e->time);
    const bool swallow = deliver(press ? MSG_KEYDOWN : MSG_KEYUP, &rec);
    setKeyDown(id->vk, press);
    if (retired() || lost_ || !press || isModifierVk(id->vk)) return;

    // Follow the client's wish for the keys after this one (see the file comment).
    if (swallow && !grabbed_) {
        if (grabDpy_ == nullptr) {
            grabDpy_ = openOurDisplay();
            if (grabDpy_ != nullptr) XSetIOErrorExitHandler(grabDpy_, &X11Hook::onConnectionLost, this);
        }
        if (grabDpy_ != nullptr) {
            grabbed_ = XGrabKeyboard(grabDpy_, DefaultRootWindow(grabDpy_), False, GrabModeAsync, GrabModeAsync,
                                     CurrentTime) == GrabSuccess;
            XFlush(grabDpy_);
        }
    } else if (!swallow && grabbed_) {
        releaseGrab();
    }
}

void X11Hook::handleButton(const XIRawEvent* e, bool press) {
    std::uintptr_t message = 0;
    int data = 0;
    switch (e->detail) {
    case 1: message = press ? MSG_LBUTTONDOWN : MSG_LBUTTONUP; break;
    case 2: message = press ? MSG_MBUTTONDOWN : MSG_MBUTTONUP; break;
    case 3: message = press ? MSG_RBUTTONDOWN : MSG_RBUTTONUP; break;
    case 4:
        message = MSG_MOUSEWHEEL;
        data = WHEEL_DELTA;
        break;  // wheel away from the user
    case 5:
        message = MSG_MOUSEWHEEL;
        data = -WHEEL_DELTA;
        break;
    case 6:
        message = MSG_MOUSEHWHEEL;
        data = -WHEEL_DELTA;
        break;  // tilt left
    case 7:
        message = MSG_MOUSEHWHEEL;
        data = WHEEL_DELTA;
        break;
    case 8:
        message = press ? MSG_XBUTTONDOWN : MSG_XBUTTONUP;
        data = 1;
        break;
    case 9:
        message = press ? MSG_XBUTTONDOWN : MSG_XBUTTONUP;
        data = 2;
        break;
    default: return;
    }
    // A wheel notch is one press and one release; it is one wheel message.
    if ((message == MSG_MOUSEWHEEL || message == MSG_MOUSEHWHEEL) && !press) return;

    MouseHookRecord rec = pointerRecord(e);
    rec.mouseData = static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(data))) << 16;
    deliver(message, &rec);
}

// A mouse record for a raw event: where the pointer is now, whether the event came from
// XTEST, and the server time.
MouseHookRecord X11Hook::pointerRecord(const XIRawEvent* e) {
    MouseHookRecord rec{};
    Window rootRet = 0;
    Window child = 0;
    int wx = 0;
    int wy = 0;
    unsigned mask = 0;
    XQueryPointer(dpy_, root_, &rootRet, &child, &rec.x, &rec.y, &wx, &wy, &mask);
    rec.flags = fromXTest(e->sourceid) ? MOUSE_FLAG_INJECTED : 0;
    rec.time = static_cast<std::uint32_t>(e->time);
    return rec;
}

void X11Hook::handleMotion(const XIRawEvent* e) {
    MouseHookRecord rec = pointerRecord(e);
    deliver(MSG_MOUSEMOVE, &rec);
}

void X11Hook::releaseGrab() {
    if (!grabbed_ || grabDpy_ == nullptr) return;
    grabbed_ = false;
    if (lost_) return;
    XUngrabKeyboard(grabDpy_, CurrentTime);
    // Wait for the server: whoever asks for the keyboard next must find it free.
    XSync(grabDpy_, False);
}

void X11Hook::stopListening() {
    // A retired hook may keep its connection until the library is next called; the server
    // stops sending it events now, so nothing piles up unread meanwhile.
    if (dpy_ == nullptr || lost_) return;
    unsigned char none[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask masks[2] = {{XIAllMasterDevices, sizeof none, none}, {XIAllDevices, sizeof none, none}};
    XISelectEvents(dpy_, root_, masks, 2);
    XFlush(dpy_);
}

void X11Hook::drainGrabConnection() {
    // The grabbing connection receives the core key events; nobody needs them.
    if (grabDpy_ == nullptr || lost_) return;
    while (XPending(grabDpy_) > 0) {
        XEvent ev;
        XNextEvent(grabDpy_, &ev);
    }
}

void X11Hook::close() {
    delete notifier_;
    notifier_ = nullptr;
    releaseGrab();
    if (grabDpy_ != nullptr) {
        closeOurDisplay(grabDpy_);
        grabDpy_ = nullptr;
    }
    if (dpy_ != nullptr) {
        closeOurDisplay(dpy_);
        dpy_ = nullptr;
    }
}

}  // namespace

std::unique_ptr<Hook> startX11Hook(HookKind kind, HookCallback callback, void* object) {
    auto hook = std::make_unique<X11Hook>(kind, callback, object);
    if (!hook->start()) return nullptr;
    return hook;
}

}  // namespace vyk::platform::hooklib
