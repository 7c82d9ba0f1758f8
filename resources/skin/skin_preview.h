// A mock-up of VykCfg's main window, a message dialog and the macro manager's frame, put
// together from the skin's pictures with sample captions, for looking at the art as a whole.
//
// Contract: needs a QGuiApplication (it draws text); single thread; not part of the programs.
#pragma once

#include <QImage>

namespace vyk::skin {

QImage drawPreview();

}  // namespace vyk::skin
