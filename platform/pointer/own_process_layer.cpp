// Our own process: the double-click interval and the wheel lines of QStyleHints, which our
// widgets (and the double-click test area) use. Style hints belong to the UI thread: a call
// from another thread is posted there and runs under the default error handler.

#include "platform/pointer/pointer_layers.h"

#include "platform/diag/diag.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QStyleHints>
#include <QThread>

#include <functional>

namespace vyk::platform::pointer {

namespace {

void onUiThread(std::function<void()> fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    if (QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(
        app, [fn = std::move(fn)] { guarded(fn); }, Qt::QueuedConnection);
}

class OwnProcessLayer final : public PointerBackend {
public:
    void setAcceleration(int, const AccelerationPreset&) override {}
    void setSpeed(int) override {}
    void setWheelLines(int lines) override {
        if (lines < 1) return;  // no wheel scrolling at all is no setting of ours
        onUiThread([lines] {
            if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
                QGuiApplication::styleHints()->setWheelScrollLines(lines);
        });
    }
    void setDoubleClickTime(int ms) override {
        onUiThread([ms] {
            if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
                QGuiApplication::styleHints()->setMouseDoubleClickInterval(ms);
        });
    }
};

}  // namespace

std::unique_ptr<PointerBackend> makeOwnProcessLayer() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return nullptr;
    return std::make_unique<OwnProcessLayer>();
}

}  // namespace vyk::platform::pointer
