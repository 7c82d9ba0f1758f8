#include "config/window/ApplyInputQueue.h"

#include "core/defs/vyk_messages.h"
#include "platform/diag/diag.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace vyk::config {

ApplyInputQueue::ApplyInputQueue(QWidget* window, CfgLink& link, CfgLink::MessageHandler normal)
    : QObject(window), FWindow(window), FLink(link), FNormal(std::move(normal)) {}

ApplyInputQueue::~ApplyInputQueue() {
    if (FDepth > 0) qApp->removeEventFilter(this);
}

void ApplyInputQueue::StartListening() {
    FLink.ListenForMessages(
        [this](std::uint32_t msg, std::int64_t w, std::int64_t l) { return HeldHandler(msg, w, l); });
}

void ApplyInputQueue::StopWhenIdle() {
    if (FDepth > 0 || FMessageDepth > 0) return;
    FLink.ListenForMessages(FNormal);
    RunHeld();
}

void ApplyInputQueue::Hold() {
    if (FDepth++ > 0) return;
    qApp->installEventFilter(this);
    if (FMessageDepth == 0) StartListening();
}

void ApplyInputQueue::Release() {
    if (FDepth == 0 || --FDepth > 0) return;
    qApp->removeEventFilter(this);
    StopWhenIdle();
}

void ApplyInputQueue::HoldMessages() {
    if (FMessageDepth++ == 0 && FDepth == 0) StartListening();
}

void ApplyInputQueue::ReleaseMessages() {
    if (FMessageDepth == 0 || --FMessageDepth > 0) return;
    StopWhenIdle();
}

std::int64_t ApplyInputQueue::HeldHandler(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) {
    const bool switches = msg == WM_CFG_SWITCH_PROFILE || msg == WM_CFG_CPI_INDEX;
    const bool held = (switches && (FDepth > 0 || FMessageDepth > 0)) || (msg == WM_CFG_CLOSE && FDepth > 0);
    if (!held) return FNormal ? FNormal(msg, wParam, lParam) : 0;
    Item item;
    item.run = [this, msg, wParam, lParam] {
        if (FNormal) FNormal(msg, wParam, lParam);
    };
    item.quit = msg == WM_CFG_CLOSE;
    FItems.push_back(std::move(item));
    return 0;
}

bool ApplyInputQueue::Belongs(QWidget* w) const {
    if (w == nullptr) return false;
    QWidget* top = w->window();
    if (top == FWindow) return true;
    // A popup of the window (a drop-down list, a colour panel) counts as part of it; dialogs
    // are windows of their own and are never held.
    if (top->windowType() != Qt::Popup) return false;
    for (QWidget* p = top->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (p == FWindow) return true;
    }
    return false;
}

bool ApplyInputQueue::eventFilter(QObject* watched, QEvent* event) {
    if (FDepth == 0 || !watched->isWidgetType()) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu: break;
    case QEvent::MouseMove:
        // Hovering goes on; a drag waits with the press that started it.
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) return false;
        break;
    default: return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    if (!Belongs(widget)) return false;
    Item item;
    item.target = widget;
    item.event.reset(event->clone());
    FItems.push_back(std::move(item));
    return true;
}

void ApplyInputQueue::RunHeld() {
    if (FRunning) return;  // a held input that starts APPLY again runs its own queue
    FRunning = true;
    std::vector<Item> items;
    items.swap(FItems);
    bool quit = false;
    for (const Item& i : items) quit = quit || i.quit;
    for (Item& i : items) {
        if (quit && !i.quit) continue;
        vyk::platform::guarded([&] {
            if (i.run) {
                i.run();
            } else if (i.target) {
                QCoreApplication::sendEvent(i.target.data(), i.event.get());
            }
        });
        if (i.quit) break;
    }
    FRunning = false;
    // Inputs held by an APPLY (or a dialog) that a held input started run now.
    if (!FItems.empty() && FDepth == 0 && FMessageDepth == 0) RunHeld();
}

}  // namespace vyk::config
