#pragma once
// The items and look of the button-assignment menu UIMENUEX1 of the main window.
//
// BuildAssignMenu fills an empty TuiMenuEx with the function items of AssignFunctionTable
// (config/window/AssignFunctions.h), in its order, so that each item gets the ID the table
// names (CLICK ... DISABLE, IDs 1 to 17, with the sub-items of BASIC 801-808, ADVANCED 901-906
// and MEDIA 1001-1008; MACRO, ID 11, gets its sub-items from the macro list at run time), and
// sets its look parameters. Items are named "ITEM1", "ITEM2" ... within each level, as the
// window layout stores them. Running it on a menu that already holds items clears them first.
// The button assignment puts the family of the language before the designed families
// (TButtonAssignment::SetMenuFontFamily).
//
// UI thread only.

#include <QFont>
#include <QString>

class TuiMenuEx;

void BuildAssignMenu(TuiMenuEx& menu);

// The item font BuildAssignMenu gives the menu, and its first family ("FUTURA STD MEDIUM").
QFont AssignMenuFont();
QString AssignMenuFamily();
// The family of the menu's items in a language (by its LANGID folder name): Verdana for
// English, 黑体 for Chinese, the menu's designed family for any other language.
QString AssignMenuFamilyOf(const QString& language);
