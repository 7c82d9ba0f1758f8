#pragma once
// The values a profile may carry to the mouse, and the check that keeps a stored or loaded
// profile within them.
//
// A profile comes from the store (a settings value or a profile file) or from a file the user
// loads. Whatever its bytes say reaches the mouse at APPLY, so before a profile is used its
// fields are compared with the values the configuration window itself can give them:
//  - each button record 0..17: a function of the assignment menu (row of ButtonFunctionTable,
//    its FunctionType, FunctionCode and MenuID, or DISABLE) with the parameters that function
//    takes (click parameter 0 or 1; the media usage of its row; keys the key dialogs capture;
//    modifier bits 0..15; macro slot 0..29 with a loop flag 0 or 1 and at most 128 actions; the
//    button's own microphone-mute mask; fire keys with 1..255 shots and 1..255 ms); record 18
//    the fixed profile switch;
//  - ButtonCount 18; CPILevel 5; CurrentCPIIndex 0..4; DPI levels 0..4 with X and Y 50..16400
//    in steps of 50, the enabled flag 0 or 1 with at least one level on, LINK XY 0 or 1;
//  - ReportRate 125, 250, 500 or 1000;
//  - brightness 0..3, breathing speed 0, 1, 3 or 6, breathing seconds 0 (no control sets it);
//  - sensor lift 0..32.
// A field outside them gets the value the profile's factory record has there (a button record
// the whole factory function of that button), so the window shows what the mouse will be sent.
// A profile within them is not touched at all. The colour, the pointer settings (clamped by
// their track bars) and the areas no operation uses are not checked.
//
// Pure functions of their arguments; any thread.

#include "core/defs/pubunit_norvane.h"

#include <QStringList>

#include <cstdint>
#include <span>

namespace vyk::store {

// What the bytes of a stored or loaded profile are.
enum class ProfileShape {
    Whole,         // exactly one profile of format version 0x103
    WrongSize,     // more or fewer bytes than one profile
    WrongVersion,  // one profile's size, another format version
};
ProfileShape profileShape(std::span<const std::uint8_t> bytes);

// Puts every field of AProfile that lies outside the values above to its value in AFactory.
// Returns the fields replaced, in English words for the diagnostic log ("button 4", "polling
// rate", ...); empty when the profile was within them, and then not one byte changed.
QStringList RepairProfileValues(TMouseProfileInfo& AProfile, const TMouseProfileInfo& AFactory);

// True when button record AIndex (0..18) holds a function the window can give that button.
bool ButtonFunctionValid(const TBUTTONFUNCINFO& AButton, int AIndex);

}  // namespace vyk::store
