// The X server's pointer settings over a private Xlib connection: the core pointer control
// (acceleration factor and threshold) and the libinput driver's properties on every XInput
// pointer device that has them.
//
// Xlib ends the program on an X error that nobody handles, and its error handler is shared by
// the whole process. This connection therefore takes its own errors itself (a per-connection
// hook in front of the process-wide handler), so a device that refuses a value, or vanishes
// between listing and writing, costs only that value. Every request is synced before the next
// step, so errors arrive while the hook is in place.
//
// A lost connection (the server ends or goes away mid-apply) must not end the program either:
// Xlib's I/O error handler is process-wide and ends the program by default, so ours (installed
// once, handing every other connection to the handler that was there before) lets only this
// connection go, and the apply stops there.
//
// Threads: the connection belongs to the thread that made the layer. Xlib 1.8 and later set up
// its locks before the first call, so a connection of our own beside the UI thread's is safe.

#include "platform/pointer/pointer_layers.h"

#include "platform/diag/diag.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

// X headers last: they define macros (CursorShape, None, Status) that clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/extensions/XInput2.h>

namespace vyk::platform::pointer {

namespace {

// Errors of our connection, counted on the thread that reads its replies (ours only).
thread_local int t_xErrors = 0;

Bool swallowError(Display*, XErrorEvent*, xError*) {
    ++t_xErrors;
    return False;  // handled: the process-wide handler never sees it
}

// The open connection of this layer (one at a time: applies are serialised by the caller).
std::atomic<Display*> g_ourDisplay{nullptr};
std::atomic<XIOErrorHandler> g_previousIOHandler{nullptr};
std::once_flag g_ioHandlerOnce;

int onIOError(Display* dpy) {
    if (dpy == g_ourDisplay.load()) return 0;  // ours: the exit handler below ends only its use
    const XIOErrorHandler previous = g_previousIOHandler.load();
    return previous != nullptr ? previous(dpy) : _XDefaultIOError(dpy);
}

void installIOErrorHandler() {
    std::call_once(g_ioHandlerOnce, [] { g_previousIOHandler.store(XSetIOErrorHandler(&onIOError)); });
}

class X11Layer final : public PointerBackend {
public:
    explicit X11Layer(Display* dpy) : dpy_(dpy) {
        XSetIOErrorExitHandler(dpy_, &X11Layer::onLost, this);
        g_ourDisplay.store(dpy_);
    }
    ~X11Layer() override {
        XCloseDisplay(dpy_);
        g_ourDisplay.store(nullptr);
    }
    X11Layer(const X11Layer&) = delete;
    X11Layer& operator=(const X11Layer&) = delete;

    bool init();

    void setAcceleration(int, const AccelerationPreset& preset) override;
    void setSpeed(int speed) override;
    void setWheelLines(int) override {}  // X has no wheel-lines setting
    void setDoubleClickTime(int) override {}

private:
    static void onLost(Display*, void* self) { static_cast<X11Layer*>(self)->lost_ = true; }

    // Runs the requests made by fn and waits for their answers; false when one failed or the
    // connection is lost (then nothing more is sent).
    template <typename Fn>
    bool checked(Fn fn) {
        if (lost_) return false;
        const int before = t_xErrors;
        fn();
        if (!lost_) XSync(dpy_, False);
        return !lost_ && t_xErrors == before;
    }
    std::vector<int> pointerDevices();
    // The property of a device: type, format and raw items; empty when the device lacks it.
    struct Property {
        Atom type = None;
        int format = 0;
        std::vector<unsigned char> bytes;
        unsigned long items = 0;
    };
    Property readProperty(int device, Atom property);

    Display* dpy_;
    bool haveXI2_ = false;
    bool lost_ = false;
};

bool X11Layer::init() {
    installIOErrorHandler();
    // Our error hook for every core and extension error code.
    for (int code = 0; code <= 255; ++code) XESetWireToError(dpy_, code, &swallowError);
    int opcode = 0;
    int event = 0;
    int error = 0;
    if (XQueryExtension(dpy_, "XInputExtension", &opcode, &event, &error) && !lost_) {
        int major = 2;
        int minor = 0;
        haveXI2_ = XIQueryVersion(dpy_, &major, &minor) == Success && major >= 2;
    }
    // Extensions may put their own hooks in place when first used; ours go back on top.
    for (int code = 0; code <= 255; ++code) XESetWireToError(dpy_, code, &swallowError);
    return !lost_;
}

std::vector<int> X11Layer::pointerDevices() {
    std::vector<int> ids;
    if (!haveXI2_) return ids;
    int count = 0;
    XIDeviceInfo* info = nullptr;
    if (!checked([&] { info = XIQueryDevice(dpy_, XIAllDevices, &count); }) || info == nullptr) return ids;
    for (int i = 0; i < count; ++i) {
        if (info[i].use == XISlavePointer || info[i].use == XIFloatingSlave) ids.push_back(info[i].deviceid);
    }
    XIFreeDeviceInfo(info);
    return ids;
}

X11Layer::Property X11Layer::readProperty(int device, Atom property) {
    Property p;
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    Status status = 1;
    const bool ok = checked([&] {
        status =
            XIGetProperty(dpy_, device, property, 0, 16, False, AnyPropertyType, &type, &format, &items, &after, &data);
    });
    if (ok && status == Success && type != None && data != nullptr) {
        p.type = type;
        p.format = format;
        p.items = items;
        p.bytes.assign(data, data + items * static_cast<unsigned long>(format / 8));
    }
    if (data != nullptr) XFree(data);
    return p;
}

void X11Layer::setAcceleration(int, const AccelerationPreset& preset) {
    const XPointerAcceleration x = xPointerAcceleration(preset);
    if (!checked([&] {
            XChangePointerControl(dpy_, True, x.keepThreshold ? False : True, x.numerator, x.denominator, x.threshold);
        }))
        debugLog(QStringLiteral("pointer: X pointer control refused"));

    // libinput: 1 at the chosen profile, 0 elsewhere (adaptive is item 0, flat item 1).
    if (lost_) return;
    const Atom enabled = XInternAtom(dpy_, "libinput Accel Profile Enabled", True);
    if (enabled == None) return;
    const Atom available = XInternAtom(dpy_, "libinput Accel Profiles Available", True);
    const std::size_t wanted = preset.acceleration == 0 ? 1 : 0;
    for (int device : pointerDevices()) {
        const Property current = readProperty(device, enabled);
        if (current.format != 8 || current.items <= wanted) continue;
        if (available != None) {
            const Property avail = readProperty(device, available);
            if (avail.format == 8 && avail.items > wanted && avail.bytes[wanted] == 0) continue;
        }
        std::vector<unsigned char> value(current.items, 0);
        value[wanted] = 1;
        if (!checked([&] {
                XIChangeProperty(dpy_, device, enabled, current.type, 8, XIPropModeReplace, value.data(),
                                 static_cast<int>(value.size()));
            }))
            debugLog(QStringLiteral("pointer: device %1 refused the acceleration profile").arg(device));
    }
}

void X11Layer::setSpeed(int speed) {
    if (lost_) return;
    const Atom accelSpeed = XInternAtom(dpy_, "libinput Accel Speed", True);
    if (accelSpeed == None) return;
    const Atom floatType = XInternAtom(dpy_, "FLOAT", True);
    if (floatType == None) return;
    const float value = static_cast<float>(desktopPointerSpeed(speed));
    for (int device : pointerDevices()) {
        const Property current = readProperty(device, accelSpeed);
        if (current.type != floatType || current.format != 32 || current.items != 1) continue;
        // XInput 2 properties of format 32 travel as plain 32-bit items.
        unsigned char raw[4];
        std::memcpy(raw, &value, sizeof raw);
        if (!checked([&] { XIChangeProperty(dpy_, device, accelSpeed, floatType, 32, XIPropModeReplace, raw, 1); }))
            debugLog(QStringLiteral("pointer: device %1 refused the speed").arg(device));
    }
}

}  // namespace

std::unique_ptr<PointerBackend> makeX11Layer() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return nullptr;
    Display* dpy = XOpenDisplay(name);
    if (dpy == nullptr) return nullptr;
    auto layer = std::make_unique<X11Layer>(dpy);
    if (!layer->init()) return nullptr;
    return layer;
}

}  // namespace vyk::platform::pointer
