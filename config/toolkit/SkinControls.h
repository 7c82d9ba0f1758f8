#pragma once
// The plain skinned controls the pages share: bold italic captions and round radio buttons in
// the skin's colours.
//
// UI thread only.

#include <QRect>
#include <QString>

class QLabel;
class QRadioButton;
class QWidget;

namespace vyk::config {

// A section caption ("POLLING RATE", "LIGHT COLOR", ...): the title font, 14 px bold italic.
QLabel* NewSkinCaption(QWidget* parent, const char* objectName, const QString& text, QRect geometry);

// A radio button in the text font, 13 px bold, with its "Tag" property set.
QRadioButton* NewSkinRadio(QWidget* parent, const char* objectName, const QString& text, int tag, QRect geometry);

}  // namespace vyk::config
