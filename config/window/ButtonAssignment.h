#pragma once
// TButtonAssignment: button assignment of the configuration window, the capability behind the
// 18 assignment buttons of the GENERAL page.
//
// It makes the function menu UIMENUEX1 (its child) and the assignment panel (the mouse views
// with their buttons, config/window/ButtonAssignPanel.h, a child of the area it is given) and
// answers them: a click on an assignment button opens the menu at the pointer with the
// button's present function marked; the item chosen is written into
// ButtonFuncInfo[FSelectedButtonIndex] of the data module's current profile, as its entry of
// AssignFunctionTable says (config/window/AssignFunctions.h), and saved back into its slot,
// after the key dialogs or the macro manager where the item needs them. It keeps the MACRO
// sub-menu in step with the macros of the current macro set, binds macro buttons to macros by
// name (config/window/MacroButtonBinding.h), and writes the captions and hints of the
// assignment buttons. Nothing reaches the mouse before APPLY.
//
// Like the pages it is given what it works on when it is made: the data module, the window's
// shared state (SettingsChanged is set after every menu click), the window's macro database
// and the window's record of the macro buttons' binding (both outlive the unit; APPLY reads
// them too), and the queue that holds the monitor's messages back while a dialog asks.
//
// Decisions worth knowing:
//  - The last CLICK button keeps CLICK: the guard looks at what the button really does
//    (FunctionType 1, FunctionCode 1), so a profile without any CLICK button stays editable.
//  - A profile's buttons may run at most MAX_ASSIGNED_MACROS distinct macros; the refusal
//    message names the same number.
//  - Macro buttons are bound by the names stored in the record: a long macro name keeps its
//    button, and buttons bound to macros of a database that could not be read keep their
//    records.
//  - Names and the macro record both come from the current macro set.
//  - Whatever way the macro manager is left, the buttons are bound again to what it left in
//    the database, so their fields show what APPLY writes (a deleted macro's buttons DISABLE).
//
// UI thread only. Every entry point from a control runs under the default error handler. A
// button index outside 0..17 is ignored; a menu ID that names no function leaves the record's
// function as it was.

#include "config/window/ButtonAssignPanel.h"
#include "config/window/MacroButtonBinding.h"
#include "core/defs/pubunit_norvane.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>

class QWidget;
class TDM;
class TuiMacroClass;
class TuiMacroSetClass;
class TuiMenuEx;
struct TAssignFunction;
struct TCfgState;
namespace vyk::config {
class ApplyInputQueue;
}

// The menu item a button-assignment click chose, decoded (in memory only).
struct TSelectedMenuItemInfo {
    QString MacroSetName;
    QString MacroName;
    int MacroSetIndex = 0;
    int MacroIndex = -1;
    int AMenuItemId = 0;
};

// The most distinct macros the buttons of one profile may run.
inline constexpr int MAX_ASSIGNED_MACROS = 5;

class TButtonAssignment : public QObject {
    Q_OBJECT
public:
    // The queue that holds the monitor's messages back while a dialog of the window asks.
    using DialogQueueFn = std::function<vyk::config::ApplyInputQueue&()>;

    // Makes UIMENUEX1 and the assignment panel (inside `area`, filling it) and connects them.
    TButtonAssignment(TDM& dm, TCfgState& state, TuiMacroSetClass& macros, vyk::config::TMacroButtonBinding& binding,
                      DialogQueueFn dialogQueue, QWidget* area, QObject* parent = nullptr);

    TuiMenuEx* UIMENUEX1 = nullptr;              // the function menu
    TButtonAssignPanel* ButtonAssign = nullptr;  // the mouse views and assignment buttons
    int FSelectedButtonIndex = 0;                // the button whose menu was opened last
    int FCurrentMacro = 0;                       // the macro chosen last

    // The macro database at start-up, in two halves. The first may run on any thread, as it
    // touches only the macro set (and reads where the data module keeps the database): the
    // file is loaded and, when it was whole, given its default set (made and saved) if it
    // lacks one. Errors are kept for the second half, on the UI thread: they are reported
    // there; a damaged database is added to `problems`, to be shown once the window is up, and
    // its macro buttons are noted before the default set comes in.
    struct TMacroDbRead {
        std::exception_ptr LoadError;  // nothing more was done
        std::exception_ptr SaveError;  // the default set was made but not saved
        bool Damaged = false;          // the default set is left to the second half
    };
    static TMacroDbRead ReadMacroDatabase(const TDM& dm, TuiMacroSetClass& macros);
    void FinishMacroDatabase(const TMacroDbRead& read, QStringList& problems);

    void BtnSet1Click(int tag);
    void BtnSet1MouseEnter(int tag);
    void uiMenuEx1ItemsClick(quint32 AMenuItemID);
    void AssignButtonFunction(int ItemID);
    bool BindButtonToMacro(int button, TuiMacroClass& macros, int macroIndex, const QString& setName,
                           const QString& macroName);
    void GetSelectedMenuItemInfo(int ItemID, TSelectedMenuItemInfo& info) const;
    int CountLeftClickButtons() const;
    int CountAssignedMacros() const;
    void GetDisabledButtonFunc(TBUTTONFUNCINFO& info) const;
    void RebuildMacroMenu();
    // Binds the macro buttons of the current profile to the current set's macros by name.
    void RebindMacroButtons();
    // The same for all five profiles, each saved back into its slot (and marked changed when
    // a record changed), so that APPLY never writes a stale macro index. A record without
    // stored names was never bound by name and is left as it is.
    void RebindMacroButtonsInAllProfiles();
    // Notes the macro buttons of the five profiles whose macros a database that could not be
    // read does not show: they keep their records (config/window/MacroButtonBinding.h).
    void NoteUnseenMacroButtons();
    void RefreshButtonCaptions();
    // SetButton, the first refresh command: the captions of the profile's buttons.
    void SetButtonCaptions();
    // The MenuID whose caption assignment button i shows for its record.
    int CaptionMenuID(int ButtonIndex, const TBUTTONFUNCINFO& r) const;
    void ShowButtonCaption(int ButtonIndex, int MenuID);
    QString GetSingleKeyText(int ButtonIndex) const;
    QString GetComboKeyText(int ButtonIndex) const;
    QString GetMacroText(int ButtonIndex) const;
    void UpdateButtonHint(int ButtonIndex);
    void ShowMouseView(bool front);
    // Font family of the assignment menu's items, put before the menu's designed families in
    // place of any chosen before (the window sets it by language).
    void SetMenuFontFamily(const QString& family);

private:
    // Writes what function f of the table stores into r, the working copy of assignment button
    // `button`'s record: its own fields first (after its dialog, when it has one), then MenuID,
    // FunctionIndex and FunctionType. False, with r unchanged, when the dialog ended without OK.
    bool WriteFunction(const TAssignFunction& f, int button, TBUTTONFUNCINFO& r) const;
    // GetDisabledButtonFunc, for the binding.
    vyk::config::TMacroButtonBinding::DisableFn DisabledRecordWriter() const;

    TDM& FDM;
    TCfgState& FState;
    TuiMacroSetClass& FMacroSetClass;
    vyk::config::TMacroButtonBinding& FMacroBinding;
    DialogQueueFn FDialogQueue;
};
