#pragma once
// Answering modal dialogs in tests. whenModal(fn) watches (from a timer on the UI thread) for
// the next modal dialog to open, and runs fn on it once it is shown, from inside its modal
// loop; fn then answers it with real clicks and keys through QTest. A dialog that was already
// open when whenModal was called is not taken. When no new modal dialog opens within
// timeoutMs, the test fails and nothing is run.
//
// UI thread only.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace vyk::test {

inline void whenModal(std::function<void(QWidget*)> fn, int timeoutMs = 10000) {
    struct State {
        QPointer<QWidget> before;
        std::function<void(QWidget*)> fn;
        int left;
    };
    auto state = std::make_shared<State>();
    state->before = QApplication::activeModalWidget();
    state->fn = std::move(fn);
    state->left = timeoutMs / 10 + 1;
    auto* timer = new QTimer();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [state, timer] {
        QWidget* w = QApplication::activeModalWidget();
        const bool ready = w != nullptr && w != state->before && w->isVisible() && w->windowHandle() != nullptr &&
                           w->windowHandle()->isExposed();
        if (ready) {
            timer->stop();
            timer->deleteLater();
            state->fn(w);
            return;
        }
        if (--state->left <= 0) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog opened";
        }
    });
    timer->start();
}

}  // namespace vyk::test
