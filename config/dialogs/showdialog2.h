#pragma once
// TFrmDialog2 and ShowDialog2: the question box with a title, a text and a second text line
// (RESTORE, RESET ALL, closing with unsaved changes). It is TFrmDialog with a smaller text box,
// the second line under it and the icon moved; results, keys and focus are those of
// TFrmDialog (1 = OK, 2 = everything else; focus starts on CANCEL; Enter clicks only the
// focused button).
//
// UI thread only; ShowDialog2 runs a modal loop.

#include <QString>

#include "config/dialogs/showdialog.h"

class TFrmDialog2 : public TFrmDialog {
    Q_OBJECT
public:
    explicit TFrmDialog2(QWidget* parent = nullptr);

    vyk::config::WrapLabel* LabelText2 = nullptr;
};

// Shows a TFrmDialog2 modally; 1 = OK, 2 = anything else. An empty text2 leaves the second
// line empty.
int ShowDialog2(const QString& title, const QString& text, const QString& text2);
