#pragma once
// TFrmDialog and ShowDialog: the configuration program's own skinned question box with a
// title, one text, the warning icon, OK and CANCEL.
//
// - ShowDialog returns 1 for OK and 2 for everything else (CANCEL, Esc, the window closed).
// - Keyboard focus starts on CANCEL, so Enter at once answers CANCEL; Tab reaches OK. Enter
//   clicks only the button that has focus. The layout's invisible result-1 button can never be
//   reached: it takes no focus, is disabled and is not connected.
// - The text wraps inside its box (inside long words too) and its font shrinks when a long or
//   translated text would not fit otherwise. Callers translate their texts; they are shown
//   unchanged.
// - The warning icon is "icon-warning.png" from the skin's "controls" folder, drawn by the
//   program when the skin lacks it.
//
// UI thread only; ShowDialog runs a modal loop.

#include <QString>

#include "config/dialogs/SkinDialog.h"

class TImageStateButton;
class TSkinImage;
namespace vyk::config {
class WrapLabel;
}

class TFrmDialog : public TSkinDialog {
    Q_OBJECT
public:
    explicit TFrmDialog(QWidget* parent = nullptr);

    // ---- components, in layout order
    vyk::config::WrapLabel* LabelTitle = nullptr;
    vyk::config::WrapLabel* LabelText = nullptr;
    TSkinImage* Btnimage = nullptr;
    TImageStateButton* BTNOK = nullptr;
    TImageStateButton* BTNCANCEL = nullptr;
    TImageStateButton* ButtonHidden = nullptr;

    bool FCreateByOther = false;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void BtnOKClick();
    void BtnCancelClick();
};

// Shows a TFrmDialog with title and text modally; 1 = OK, 2 = anything else. The third
// argument is accepted and ignored.
int ShowDialog(const QString& title, const QString& text, const QString& unused = QString());

namespace vyk::config {
// The warning icon of the message dialogs: the skin's "icon-warning.png" from "controls", or a
// drawn amber triangle of 48 x 48 when the skin has none.
QPixmap WarningIcon();
}  // namespace vyk::config
