#pragma once
// Answering modal dialogs in tests. whenModal(fn) watches (from a timer on the UI thread) for
// the next modal dialog to open, and runs fn on it once it is shown, from inside its modal
// loop; fn then answers it with real clicks and keys through QTest. A dialog that was already
// open when whenModal was called is not taken. When no new modal dialog opens within
// timeoutMs, the test fails and nothing is run.
//
// A failed assertion in fn leaves its dialog unanswered, and the code that opened it would wait
// in its modal loop for ever. So when fn ends with a new fatal failure, the watcher closes that
// dialog and every further modal dialog that opens within timeoutMs: the test fails instead of
// hanging.
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
        int ticks;  // timeoutMs in timer ticks
        int left;
        bool closing = false;  // after a failed fn: closes what opens, answers nothing
    };
    auto state = std::make_shared<State>();
    state->before = QApplication::activeModalWidget();
    state->fn = std::move(fn);
    state->ticks = timeoutMs / 10 + 1;
    state->left = state->ticks;
    auto* timer = new QTimer(QCoreApplication::instance());  // freed with the application at the latest
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [state, timer] {
        QWidget* w = QApplication::activeModalWidget();
        const bool ready = w != nullptr && w != state->before && w->isVisible() && w->windowHandle() != nullptr &&
                           w->windowHandle()->isExposed();
        if (state->closing) {
            if (ready) w->close();
            if (--state->left <= 0) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        if (ready) {
            timer->stop();
            const bool failedBefore = ::testing::Test::HasFatalFailure();
            QPointer<QWidget> dialog = w;
            state->fn(w);
            if (failedBefore || !::testing::Test::HasFatalFailure()) {
                timer->deleteLater();
                return;
            }
            if (dialog && dialog->isVisible()) dialog->close();
            state->closing = true;
            state->left = state->ticks;
            timer->start();
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
