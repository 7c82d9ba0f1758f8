#pragma once
// The single-key dialog: the user presses one key of the keyboard, which becomes what a mouse
// button sends. ShowSingleKeyDialog copies the record in, runs the dialog modally, copies the
// working copy back whatever the result and returns 1 (OK) or 2 (CANCEL, Esc is captured as a
// key and never closes it). The caller uses the record only on 1.
//
// Every press and every release captured by the dialog's own hook client sets the key, so the
// last key pressed or released wins; the key still reaches other windows. The display text of
// the record is never written. A key the mouse cannot send is refused, and so is OK while the
// dialog holds no key (see key_capture_dialog.h).
//
// UI thread only; the hook client calls back on the UI thread.

#include "config/dialogs/key_capture_dialog.h"
#include "core/defs/pubunit_norvane.h"

#include <cstdint>
#include <memory>

class QLabel;
class QLineEdit;
class TImageStateButton;
class TuiHook;

class TFrmSingleKey : public vyk::config::KeyCaptureDialog {
public:
    explicit TFrmSingleKey(QWidget* parent = nullptr);
    ~TFrmSingleKey() override;

    // Shows the key of the working copy in the key box.
    void ShowKeyText();

    TSINGLEKEYINFO FSingleKey{};

    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* TextSingle = nullptr;
    TImageStateButton* BTNOK = nullptr;
    TImageStateButton* BTNCANCEL = nullptr;
    std::unique_ptr<TuiHook> uiHook;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BtnOKClick();
    void uiHookRecordKeyboardSingleKey(int Key, std::uint32_t ScanKey, int AState, int AKeyExtended,
                                       const QString& SingleKeyString, bool& ABlocked);
};

// Runs the single-key dialog on `info`; 1 for OK, 2 otherwise.
int ShowSingleKeyDialog(TSINGLEKEYINFO& info);
