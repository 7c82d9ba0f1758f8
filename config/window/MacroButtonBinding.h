#pragma once
// How the configuration window binds macro buttons to the macros of the macro database.
//
// A button record that runs a macro stores the names of its macro set and macro (31-unit
// fields: at most 30 units and a NUL) beside a copy of the macro and its index. A rebind looks
// each name up in the database again: a macro that moved takes its button along (index, copy
// and a MenuID of the MACRO rows follow it), a macro that is gone turns its button into
// DISABLE. A stored name matches the macro of that name, or a longer name whose cut to what a
// record holds (30 units, or 31 in records stored without a NUL) is the stored one.
//
// A macro database that could not be read as a whole does not show every macro the buttons
// use. For such a start the window notes, once, which macro buttons of the five profiles are
// bound to a macro the loaded database does not hold ("unseen"): a rebind leaves them as they
// are, and APPLY neither writes a macro for them nor changes their entries, so the mouse keeps
// what it has. A button stops being unseen when its record no longer carries the names and
// index it had, or when the user gives it a macro again (Forget).
//
// UI thread only.

#include "core/defs/pubunit_norvane.h"

#include <QList>
#include <QString>

#include <functional>
#include <vector>

class TDM;
class TuiMacroClass;
class TuiMacroSetClass;

namespace vyk::config {

inline constexpr int kMacroNameUnits = 31;    // MacroSetName and MacroName of a button record
inline constexpr int kMacroMenuFirst = 1102;  // MenuID of the first macro of the MACRO rows
inline constexpr int kMacroMenuLast = 1199;

// What the user is told after a start on a macro database that could not be read as a whole
// (English, the translation keys): %1 the database file, %2 the name of the copy kept.
inline constexpr const char* kMacroDbKept =
    "THE MACRO DATABASE %1 COULD NOT BE READ AS A WHOLE. IT IS KEPT AS %2; BUTTONS THAT RUN ITS MACROS KEEP THEM.";
inline constexpr const char* kMacroDbNotKept =
    "THE MACRO DATABASE %1 COULD NOT BE READ AS A WHOLE, AND NO COPY OF IT COULD BE MADE. IT IS NOT REPLACED; "
    "BUTTONS THAT RUN ITS MACROS KEEP THEM.";

// Writes a name into a record's name field through the record-text helper: at most 30 units
// and a NUL (never half a surrogate pair), later units left as they were.
void StoreMacroName(char16_t (&field)[kMacroNameUnits], const QString& name);
// The name a record's field holds.
QString StoredMacroName(const char16_t (&field)[kMacroNameUnits]);
// Index of the macro a stored name stands for in a macro list, or -1.
int MacroIndexOfStoredName(const TuiMacroClass& macros, const QString& stored);

class TMacroButtonBinding {
public:
    // Fills a record with the DISABLE function (TButtonAssignment::GetDisabledButtonFunc).
    using DisableFn = std::function<void(TBUTTONFUNCINFO&)>;

    // Binds the 19 macro records of profile `profile` to the macros of `db` by name; true when
    // a record changed. Unseen buttons are left alone; with keepUnnamed, so is a record that
    // carries no names at all (never bound by name).
    bool Rebind(int profile, TBUTTONFUNCINFO* records, TuiMacroSetClass& db, const DisableFn& disable,
                bool keepUnnamed) const;

    // Notes the macro records of one profile whose macro `db` (as loaded) does not hold.
    void NoteUnseen(int profile, const TBUTTONFUNCINFO* records, const TuiMacroSetClass& db);
    bool IsUnseen(int profile, int record, const TBUTTONFUNCINFO& r) const;
    bool HasUnseen() const { return !FUnseen.empty(); }
    // The user gave the button a function of its own.
    void Forget(int profile, int record);

    // The macro indexes that buttons of the five stored profiles use, unseen buttons left out:
    // the macros APPLY writes.
    QList<int> MacroIndexesToWrite(const TDM& dm) const;

private:
    struct Unseen {
        int profile;
        int record;
        QString setName;
        QString macroName;
        std::uint16_t index;
    };
    std::vector<Unseen> FUnseen;
};

}  // namespace vyk::config
