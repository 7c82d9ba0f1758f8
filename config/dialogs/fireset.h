#pragma once
// The fire-key dialog: what a mouse button fires (the left, right or middle mouse button, or a
// keyboard key), how many shots (1..255) and the delay between them (1..255 ms).
// ShowFireKeyDialog copies the record in, runs the dialog modally (the opening shows the
// record: the type by KeyCode 129/130/132 or any other value for a keyboard key, and the shots
// and delay, 2 and 60 when the record has no shots), stops the capture, copies the working
// copy back whatever the result and returns 1 (OK) or 2 (Cancel). The caller uses the record
// only on 1.
//
// - KeyCode follows the type: 129 left, 130 right, 132 middle, for a keyboard key its HID usage
//   (VKToHIDCode); the keyboard key itself is kept in KeyValue across type changes.
// - The capture runs only while the keyboard type is chosen; every captured press and release
//   sets the key. While it runs, keys never act on the dialog (Enter, Esc, Space) and the
//   buttons and radios never take the focus. Keys typed into the shots and delay boxes are
//   what the user types there, not a key to fire.
// - OK with the keyboard type and no key that the mouse can send is refused with a note, so
//   the button never gets a fire key that fires nothing (the rule of every key dialog,
//   key_capture_dialog.h). Consumer-page keys and keys without a keyboard usage are refused
//   when captured.
//
// UI thread only; the hook client calls back on the UI thread.

#include "config/dialogs/key_capture_dialog.h"
#include "core/defs/pubunit_norvane.h"

#include <cstdint>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class TImageStateButton;
class TuiHook;

namespace vyk::config {
inline constexpr const char* kFireKeyMissing = "PLEASE PRESS THE KEYBOARD KEY TO FIRE.";
}  // namespace vyk::config

class TFrmFire : public vyk::config::KeyCaptureDialog {
public:
    explicit TFrmFire(QWidget* parent = nullptr);
    ~TFrmFire() override;

    TADVANCEDFIREKEYINFO FAdvFireKeyInfo{};

    QLabel* LabelTitle = nullptr;
    QGroupBox* Expander1 = nullptr;
    QGroupBox* Expander2 = nullptr;
    QRadioButton* RadioButton1 = nullptr;  // L
    QRadioButton* RadioButton2 = nullptr;  // R
    QRadioButton* RadioButton3 = nullptr;  // M
    QRadioButton* RadioButton4 = nullptr;  // Keyboard Key:
    QLineEdit* TextSingle = nullptr;
    QSpinBox* NumBoxFire = nullptr;
    QSpinBox* NumboxDelay = nullptr;
    TImageStateButton* BTNOK = nullptr;
    TImageStateButton* BTNCANCEL = nullptr;
    std::unique_ptr<TuiHook> uiHook1;

    // Ends the capture (the show function calls it after the modal loop).
    void StopCapture();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void doFireTypeChanged(QRadioButton* sender, bool checked);
    void uiHook1RecordKeyboardSingleKey(int Key, std::uint32_t ScanKey, int AState, int AKeyExtended,
                                        const QString& SingleKeyString, bool& ABlocked);
    void BTNOKClick();
    void StartCapture();
    bool KeyGoesToNumberBox() const;
    QSpinBox* AddNumberBox(const QString& objectName, int x, int y);

    bool FShown = false;
};

// Runs the fire-key dialog on `info`; 1 for OK, 2 otherwise.
int ShowFireKeyDialog(TADVANCEDFIREKEYINFO& info);
