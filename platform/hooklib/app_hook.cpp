// The in-application backend: an event filter on the application object that sees the key
// and mouse events of this program's own windows. It serves where no X server can be used
// (a Wayland session, where no client may watch other programs' input). A swallowed event is
// kept from our own windows; other programs are never affected.

#include "platform/hooklib/hook_backend.h"
#include "platform/hooklib/key_map.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QThread>
#include <QWheelEvent>

namespace vyk::platform::hooklib {

namespace {

class ApplicationHook final : public QObject, public Hook {
public:
    ApplicationHook(HookKind kind, HookCallback callback, void* object) : Hook(kind, callback, object) {}
    ~ApplicationHook() override {
        if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
    }

    bool start() override {
        auto* app = QCoreApplication::instance();
        if (app == nullptr || QThread::currentThread() != app->thread()) return false;
        app->installEventFilter(this);
        return true;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool onKey(const QKeyEvent* e);
    bool onMouse(std::uintptr_t message, const QSinglePointEvent* e, int data);
};

bool ApplicationHook::eventFilter(QObject* watched, QEvent* event) {
    // Every input event reaches its top-level window first; looking only there sees each once.
    if (retired() || !watched->isWindowType()) return false;
    const bool keyboard = kind_ == HookKind::Keyboard;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: return keyboard && onKey(static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        if (keyboard) return false;
        auto* me = static_cast<QMouseEvent*>(event);
        const bool press = event->type() == QEvent::MouseButtonPress;
        switch (me->button()) {
        case Qt::LeftButton: return onMouse(press ? MSG_LBUTTONDOWN : MSG_LBUTTONUP, me, 0);
        case Qt::RightButton: return onMouse(press ? MSG_RBUTTONDOWN : MSG_RBUTTONUP, me, 0);
        case Qt::MiddleButton: return onMouse(press ? MSG_MBUTTONDOWN : MSG_MBUTTONUP, me, 0);
        case Qt::BackButton: return onMouse(press ? MSG_XBUTTONDOWN : MSG_XBUTTONUP, me, 1);
        case Qt::ForwardButton: return onMouse(press ? MSG_XBUTTONDOWN : MSG_XBUTTONUP, me, 2);
        default: return false;
        }
    }
    case QEvent::MouseMove: return !keyboard && onMouse(MSG_MOUSEMOVE, static_cast<QMouseEvent*>(event), 0);
    case QEvent::Wheel: {
        if (keyboard) return false;
        auto* we = static_cast<QWheelEvent*>(event);
        const QPoint d = we->angleDelta();
        if (d.y() != 0) return onMouse(MSG_MOUSEWHEEL, we, d.y() > 0 ? WHEEL_DELTA : -WHEEL_DELTA);
        if (d.x() != 0) return onMouse(MSG_MOUSEHWHEEL, we, d.x() > 0 ? -WHEEL_DELTA : WHEEL_DELTA);
        return false;
    }
    default: return false;
    }
}

bool ApplicationHook::onKey(const QKeyEvent* e) {
    const quint32 native = e->nativeScanCode();  // the XKB keycode on X11 and Wayland
    if (native < XKB_KEYCODE_OFFSET) return false;
    const unsigned code = native - XKB_KEYCODE_OFFSET;
    // Num Lock itself is not reported; the keypad key's meaning tells it.
    const int key = e->key();
    const bool numLock = (key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Period || key == Qt::Key_Comma;
    const auto id = keyFromInputCode(code, numLock, e->nativeVirtualKey());
    if (!id) return false;
    const bool press = e->type() == QEvent::KeyPress;
    // A held key repeats as presses only, as on the X11 backend.
    if (!press && e->isAutoRepeat()) return false;
    TKBDLLHOOKSTRUCT rec{};
    rec.vkCode = id->vk;
    rec.scanCode = id->scanCode;
    rec.flags =
        (id->extended ? KBD_FLAG_EXTENDED : 0) | (press ? 0 : KBD_FLAG_UP) | (e->spontaneous() ? 0 : KBD_FLAG_INJECTED);
    rec.time = static_cast<std::uint32_t>(e->timestamp());
    const bool swallow = deliver(press ? MSG_KEYDOWN : MSG_KEYUP, &rec);
    setKeyDown(id->vk, press);
    return swallow;
}

bool ApplicationHook::onMouse(std::uintptr_t message, const QSinglePointEvent* e, int data) {
    MouseHookRecord rec{};
    const QPointF g = e->globalPosition();
    rec.x = static_cast<std::int32_t>(g.x());
    rec.y = static_cast<std::int32_t>(g.y());
    rec.mouseData = static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(data))) << 16;
    rec.flags = e->spontaneous() ? 0 : MOUSE_FLAG_INJECTED;  // sent by a program, not the system
    rec.time = static_cast<std::uint32_t>(e->timestamp());
    return deliver(message, &rec);
}

}  // namespace

std::unique_ptr<Hook> startApplicationHook(HookKind kind, HookCallback callback, void* object) {
    auto hook = std::make_unique<ApplicationHook>(kind, callback, object);
    if (!hook->start()) return nullptr;
    return hook;
}

}  // namespace vyk::platform::hooklib
