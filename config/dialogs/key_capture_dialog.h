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
// - OK is refused while the dialog holds nothing the mouse can send (no key captured and none
//   in the record it opened with, for example without the hook library): the note line asks
//   for a key and the dialog stays open, so a button never gets a key function that sends
//   nothing. A captured key without a keyboard usage is refused like a consumer-page key.
// - Where the hook library can watch only this program's own windows (a Wayland session, or
//   no X server), the note line says so, so a user is not left wondering why keys pressed in
//   other programs are not captured (see docs/hook.md).
//
// UI thread only. Texts pass through vyk::toolkit::translate().

#include "config/dialogs/SkinDialog.h"

#include <QString>

#include <cstdint>
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
inline constexpr const char* kKeyWithoutUsage = "THIS KEY CANNOT BE SENT BY THE MOUSE.";
inline constexpr const char* kKeyMissing = "PLEASE PRESS A KEY FIRST.";

// True for a virtual-key code of the consumer page (0xA6..0xB7).
bool IsConsumerPageKey(int vk);
// The keyboard usage the mouse sends for a key; 0 for no key, a consumer-page key or a key
// without a keyboard usage.
std::uint16_t KeyboardUsage(int vk, int extended);

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
    // A captured key the mouse cannot send as a keyboard key: the refusal is shown and the
    // result is true. vk 0 (no key) is not refused here.
    bool RefuseUnsendableKey(int vk, int extended);
    // OK's test, the same in every key dialog: true when the dialog holds something to send;
    // otherwise the refusal `missing` (English) is shown and the dialog stays open.
    bool KeySetOrRefuse(bool keySet, const char* missing = kKeyMissing);
    // Back to the standing note: the own-windows note where it applies, else nothing.
    void ClearRefusal();

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

    QLabel* FNote = nullptr;

private:
    bool FCapturing = false;
};

}  // namespace vyk::config
