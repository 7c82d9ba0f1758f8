#include "config/toolkit/MainWindowRef.h"

#include <QGuiApplication>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace vyk::config {

namespace {
QPointer<QWidget>& mainWindowRef() {
    static QPointer<QWidget> ref;
    return ref;
}
}  // namespace

QWidget* MainWindow() { return mainWindowRef().data(); }

void SetMainWindow(QWidget* window) { mainWindowRef() = window; }

void CentreOnMainWindow(QWidget* w) {
    if (w == nullptr) return;
    QWidget* main = MainWindow();
    QScreen* screen = nullptr;
    QRect area;
    if (main != nullptr && main != w && main->isVisible()) {
        area = main->frameGeometry();
        screen = main->screen();
    }
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    const QRect screenArea = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (!area.isValid()) area = screenArea;
    QRect r(QPoint(0, 0), w->frameGeometry().size());
    r.moveCenter(area.center());
    // Keep the whole window on the screen where possible.
    if (r.right() > screenArea.right()) r.moveRight(screenArea.right());
    if (r.bottom() > screenArea.bottom()) r.moveBottom(screenArea.bottom());
    if (r.left() < screenArea.left()) r.moveLeft(screenArea.left());
    if (r.top() < screenArea.top()) r.moveTop(screenArea.top());
    w->move(r.topLeft());
}

}  // namespace vyk::config
