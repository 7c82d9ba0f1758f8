#pragma once
// The combination-key dialog: the user presses a key combination (Win, Ctrl, Shift, Alt with up
// to two keys), which becomes what a mouse button sends. ShowComboKeyDialog copies the record
// in, shows its combination, runs the dialog modally, copies the working copy back whatever the
// result and returns 1 (OK) or 2 (CANCEL). The caller uses the record only on 1.
//
// The dialog's own hook client decides which presses form one combination and formats its
// text; each combination it reports replaces the working copy. The display text of the record
// is never written. A combination holding a key the mouse cannot send is refused, and so is OK
// while the dialog holds neither a key nor a modifier (key_capture_dialog.h).
//
// UI thread only; the hook client calls back on the UI thread.

#include "config/dialogs/key_capture_dialog.h"
#include "core/defs/pubunit_norvane.h"

#include <memory>

class QLabel;
class QLineEdit;
class TImageStateButton;
class TuiHook;

class TFrmCombo : public vyk::config::KeyCaptureDialog {
public:
    explicit TFrmCombo(QWidget* parent = nullptr);
    ~TFrmCombo() override;

    // Shows the combination of the working copy: the modifier text and the first key's name,
    // then "+" and the second key's name when there is one.
    void ShowKeyText();

    TCOMBOKEYINFO FComboKey{};

    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* TextCombo = nullptr;
    TImageStateButton* BtnOK = nullptr;
    TImageStateButton* BTNCANCEL = nullptr;
    std::unique_ptr<TuiHook> uiHook;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BtnOKClick();
    void uiHookRecordKeyboardComboKey(int Key1, int Key1Extended, int Key2, int Key2Extended, int Modifier,
                                      const QString& ComboKeyString);
};

// Runs the combination dialog on `info`; 1 for OK, 2 otherwise.
int ShowComboKeyDialog(TCOMBOKEYINFO& info);
