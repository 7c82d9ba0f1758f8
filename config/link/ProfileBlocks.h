#pragma once
// The blocks the mouse keeps of the records the seam is given (config/link/CfgLink.h): of a
// profile its button table, lighting, DPI table and polling-rate code, and of the current macro
// set the encoded macros that some button uses. The real link writes them; each is made here
// only, so that the device order of the buttons, the fixed function of record 18, the macros
// the buttons announce and the inverted colour exist once.
//
// Pure functions of their input; the encoders of core/device keep every count of a stored
// record within its block. Any thread.

#include "config/link/CfgLink.h"
#include "core/device/DeviceEncoders.h"

#include <cstdint>
#include <memory>

// The lighting record as the mouse takes it: R, G and B inverted bitwise; brightness,
// breathing speed and breathing seconds as they are.
TLEDCONFIG DeviceLighting(const TLEDCONFIG& lighting);

// The macros of the set encoded into their blocks, with the length of every index that no
// button uses set to 0 (such a block is not written).
std::unique_ptr<TMacroTables> UsedMacroTables(const TUsedMacros& macros);

struct TProfileBlocks {
    TButtonTable Buttons{};
    TLEDCONFIG Lighting{};
    TCPITable DPILevels{};
    std::uint8_t ReportRate = 0;
};

// The blocks of one profile from a working copy of its record: all 19 button records, record 18
// the fixed profile switch, each macro button announcing the macro written at its index (its
// action count and loop flag from the set; no actions when nothing is written there) unless
// its record is in asStored, the records in the mouse's order of buttons (DeviceButtonOrder).
TProfileBlocks ProfileBlocks(const TMouseProfileInfo& profile, const TUsedMacros& macros, TButtonRecordSet asStored);
