#pragma once
// The macro unit: the action model (TuiActionsClass), the macro list model (TuiMacroClass) and
// the macro database (TuiMacroSetClass) with its file records.

#include "macro/uiMacroActions.h"
#include "macro/uiMacroList.h"
#include "macro/uiMacroSet.h"
