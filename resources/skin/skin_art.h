// The skin's pictures: one drawing function per file and the table of every file the windows
// of VykCfg ask for (folder, exact file name, drawing).
//
// Contract: every function returns a new image of its documented size (README.md), drawn
// deterministically; none uses fonts. Single thread. The table is the only list of names the
// generator writes; resources/skin/CMakeLists.txt and the skin test list the same names.
#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

namespace vyk::skin {

struct SkinFile {
    QString folder;  // "background", "buttons" or "controls"
    QString name;    // exact file name, e.g. "Close-3.png"
    std::function<QImage()> draw;
};

// Every file of the skin, in the order of the contact sheet.
std::vector<SkinFile> allSkinFiles();

// Backgrounds (skin_backgrounds.cpp).
QImage drawMainBack();      // 801x638
QImage drawDialogBack();    // 478x292
QImage drawDblClickTest();  // 50x50

// Mouse pictures (skin_mouse.cpp).
QImage drawMouseFront();
QImage drawMouseSide();
QImage drawMouseColor();

// Buttons (skin_buttons.cpp); state 1 normal, 2 hot, 3 pressed.
QImage drawTabButton(int state);
QImage drawProfileButton(int state);
QImage drawAssignButton(int state);
QImage drawOkButton(int state);
QImage drawMinButton(int state);    // file -2 is shown pressed, -3 hot
QImage drawCloseButton(int state);  // likewise
QImage drawMacroButton(int state);
QImage drawToolButton(int state);
QImage drawRecordStart(int state);  // 1 normal, 2 hot/pressed
QImage drawRecordStop(int state);

// Controls (skin_controls.cpp).
QImage drawIndicatorBar(int width);
QImage drawDpiIndicator(bool yAxis);
QImage drawCheckbox(bool on);
QImage drawScrollButton(bool up);
QImage drawKeyFlag(int kind);  // 0 down, 1 up, 2 delay
QImage drawMouseFlag(bool down);
QImage drawWarningIcon();
QImage drawErrorIcon();

}  // namespace vyk::skin
