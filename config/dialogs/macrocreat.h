#pragma once
// The new-macro dialog: asks for the name of a new macro. ShowCreateMacroDialog runs it
// modally and hands back the accepted name: after OK (or Enter in the name box) the typed text
// cut to 50 UTF-16 code units, never in the middle of a surrogate pair; after CANCEL (or Esc,
// or closing) an empty name. It returns 1 for OK and 2 otherwise. The dialog creates nothing:
// empty and existing names are the macro manager's business.
//
// Whenever it becomes the active window it raises itself and gives the name box the keyboard
// focus, so typing goes straight into the box. It never moves the pointer and never makes a
// click of its own. Enter counts only when the key went down in the name box (an Enter pressed
// elsewhere, for example on the button that opened the dialog, and released in the box does
// not accept an empty name).
//
// UI thread only.

#include "config/dialogs/SkinDialog.h"

#include <QString>

class QLabel;
class QLineEdit;
class TImageStateButton;

// Longest macro name, in UTF-16 code units.
inline constexpr int MAX_MACRO_NAME_LENGTH = 50;

// text cut to at most maxUnits UTF-16 code units without splitting a surrogate pair.
QString CutMacroName(const QString& text, int maxUnits = MAX_MACRO_NAME_LENGTH);

class TFrmCreat : public TSkinDialog {
public:
    explicit TFrmCreat(QWidget* parent = nullptr);

    // The name accepted by OK; empty until then.
    QString FMacroName;

    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* TextboxMacroName = nullptr;
    TImageStateButton* BTNOK = nullptr;
    TImageStateButton* BTNCANCEL = nullptr;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormActivate();
    void BTNOKClick();

    bool FEnterDownInBox = false;
};

// Runs the new-macro dialog; `name` gets the accepted name (empty unless OK). 1 for OK, 2 otherwise.
int ShowCreateMacroDialog(QString& name);
