#pragma once
// The common frame of the three key capture dialogs (single key, combination, fire key) and
// the rules every capture follows.
//
// - Keys are captured by the dialog's own hook client (core/hook/uiHook.h); the keys pressed
//   for a capture may also reach this window. While a capture runs no key acts on the dialog:
//   Enter, Esc and Space pressed to be captured never press OK or CANCEL and never close it.
//   The buttons never take the keyboard focus.
// - Keys of the consumer page (browser, volume, media and launch keys, VK 0xA6-0xB7) cannot be
//   keyboard keys of the mouse: the encoders would send no key for them. A dialog refuses such
//   a key, keeps what it had and says why in its note line (media functions are assigned with
//   the MEDIA menu).
// - Where the hook library can watch only this program's own windows (a Wayland session, or
//   no X server), the note line says so, so a user is not left wondering why keys pressed in
//   other programs are not captured (see docs/hook.md).
//
// UI thread only. Texts pass through vyk::toolkit::translate().

#include "config/dialogs/SkinDialog.h"

#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QKeyEvent;
class TImageStateButton;

namespace vyk::config {

// Notes of the key capture dialogs (English texts, the translation keys).
inline constexpr const char* kConsumerKeyRefused =
    "THIS KEY CANNOT BE A KEYBOARD KEY. MEDIA FUNCTIONS ARE ASSIGNED WITH THE MEDIA MENU.";
inline constexpr const char* kOwnWindowsOnly =
    "ONLY KEYS PRESSED WHILE THIS WINDOW HAS THE FOCUS CAN BE CAPTURED HERE.";

// True for a virtual-key code of the consumer page (0xA6..0xB7).
bool IsConsumerPageKey(int vk);

// True when the hook library can see only this program's own windows: a Wayland session or
// no X display to connect to.
bool HookSeesOnlyOwnWindows();

class KeyCaptureDialog : public TSkinDialog {
public:
    // Is the capture running (keys are then kept from the dialog's buttons and its close)?
    bool Capturing() const { return FCapturing; }
    // The note line's current text (empty when there is none).
    QString NoteText() const;

protected:
    explicit KeyCaptureDialog(QWidget* parent = nullptr);

    // Layout helpers on the 478 x 292 client area.
    QLabel* AddTitle(const QString& english, int y, int height, int px);
    QLabel* AddInstruction(const QString& english, int y, int height);
    QLineEdit* AddKeyBox(const QString& objectName, int x, int y, int width, int height);
    TImageStateButton* AddButton(const QString& objectName, const QString& english, int x, int y);

    void SetCapturing(bool capturing) { FCapturing = capturing; }

    // For a dialog that captures for as long as it is shown. From showEvent: takes the
    // keyboard focus and, unless a capture runs, marks one running and calls start (the hook
    // client's recorder). From hideEvent: when a capture runs, marks it ended and calls stop.
    void StartCaptureOnShow(const std::function<void()>& start);
    void StopCaptureOnHide(const std::function<void()>& stop);

    // Shows a refusal (translated English text) in the note line until the next accepted key.
    void ShowRefusal(const QString& english);
    // Back to the standing note: the own-windows note where it applies, else nothing.
    void ClearRefusal();

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

    QLabel* FNote = nullptr;

private:
    bool FCapturing = false;
};

}  // namespace vyk::config
