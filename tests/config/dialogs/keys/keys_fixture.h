#pragma once
// Fixture of the key dialog tests: the stand-in hook library (tests/core/hook) feeds the
// dialog's hook client exact key events; dialogs opened by their show functions are answered
// from inside their modal loop with real clicks and keys (tests/config/support/modal.h).
// A watchdog closes a dialog that a failed test left open, so no test hangs.

#include "tests/config/support/modal.h"
#include "tests/core/hook/hook_fixture.h"

#include "config/toolkit/ImageStateButton.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace vyk::test {

// Virtual-key codes used by the tests.
constexpr unsigned VK_A = 0x41;
constexpr unsigned VK_C = 0x43;
constexpr unsigned VK_ESCAPE = 0x1B;
constexpr unsigned VK_RIGHT = 0x27;
constexpr unsigned VK_LSHIFT = 0xA0;
constexpr unsigned VK_LCONTROL = 0xA2;
constexpr unsigned VK_VOLUME_UP = 0xAF;
constexpr unsigned VK_MEDIA_PLAY_PAUSE = 0xB3;

// Runs show() while script answers the dialog it opens. A dialog still open 8 s after the
// script started is closed, so a failed test ends.
template <class Show>
int answer(std::function<void(QWidget*)> script, Show show) {
    whenModal([script](QWidget* w) {
        QPointer<QWidget> guard(w);
        QTimer::singleShot(8000, w, [guard] {
            if (guard && guard->isVisible()) {
                ADD_FAILURE() << "dialog left open";
                static_cast<QDialog*>(guard.data())->done(2);
            }
        });
        script(w);
    });
    return show();
}

// Clicks the dialog's skinned button of that object name with the left mouse button.
inline void click(QWidget* dialog, const char* name) {
    auto* b = dialog->findChild<TImageStateButton*>(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
}

class KeyDialogTest : public FakeHookTest {
protected:
    static QString boxText(QWidget* dialog, const char* name) {
        auto* e = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
        return e != nullptr ? e->text() : QStringLiteral("<missing>");
    }

    // A key pressed and released through the hook.
    void tap(unsigned vk, unsigned& time, bool extended = false) {
        press(vk, time, extended);
        time += 80;
        release(vk, time, extended);
        time += 200;
    }
};

}  // namespace vyk::test
