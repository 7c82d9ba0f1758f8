#pragma once
// The macro unit: the action model (TuiActionsClass), the macro list model (TuiMacroClass) and
// the macro database (TuiMacroSetClass) with its file records.

#include "core/macro/uiMacroActions.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
