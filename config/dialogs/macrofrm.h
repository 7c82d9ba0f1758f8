#pragma once
// The macro manager TFrmMacro: the 757 x 582 modal window in which the user creates, selects
// and deletes the macros of the current macro set, records keyboard macros, edits their
// actions and sets their options. ShowMacroManager runs it on the main window's macro database.
//
// The implementation is split by what it holds:
//   macrofrm.cpp         the window, its controls, skin and wiring, leaving it, ShowMacroManager
//   MacroLists.cpp       the macro and action lists, NEW and DELETE
//   MacroOptions.cpp     the options (delays, loops)
//   MacroRecording.cpp   recording, the action edit tools, mouse actions, the delay edit
//
// - Every edit goes into the database object in memory at once (the macro model, then
//   SaveBackCurrentMacroClassDataToCurrentMacroList). Only OK writes MacroSet.MSDB; when that
//   write fails the error is shown and the manager stays open, so OK never reports a save that
//   did not happen. CANCEL asks "DO YOU WANT TO LEAVE MACRO MANAGER WITHOUT SAVING?"; the edits
//   stay in memory either way.
// - Filling the view from a macro never runs the option handlers, so the options of the macro
//   shown before are never stored into the one shown now.
// - DELETE removes the macro at the selected row (by position, so duplicate names in a loaded
//   file cannot delete the wrong one). The footer total follows every delay edit; a delay is
//   committed on Enter or when its box loses the focus and is kept within 1..65535.
// - Recording (MacroRecording.cpp): START/STOP through the window's own hook client, live
//   preview rows where the actions will be stored, the conversion of the recording, the edit
//   tools and the mouse-button actions. While a recording runs only STOP works (the macro list
//   included, also during RECORD AFTER), and keys typed into this window act on nothing here.
//   Without the hook library a START/STOP leaves the macro as it was. Where only this program's
//   own windows can be watched (Wayland, no X server) a note under the recording buttons says
//   so. The tools and the mouse
//   action do nothing while the set has no macro.
// - The minimise button takes the whole program to the task bar (the main window with the
//   manager); bringing either back brings both, the manager on top.
//
// UI thread only; the hook client calls back on the UI thread; every slot runs under the error
// guard.

#include "config/dialogs/MacroActionModel.h"
#include "config/dialogs/SkinDialog.h"
#include "core/defs/pubunit_norvane.h"
#include "core/hook/uiHook.h"

#include <QString>

#include <memory>

class QLabel;
class QListView;
class QModelIndex;
class QSpinBox;
class QWidget;
class MacroListModel;
class MacroListDelegate;
class TImageStateButton;
class TSkinImage;
class TuiMacroSetClass;
class TuiMenuEx;

class TFrmMacro : public TSkinDialog {
public:
    enum class TRecordMode { Replace, InsertAfter };

    explicit TFrmMacro(QWidget* parent = nullptr);
    ~TFrmMacro() override;

    // The database the manager works on (not owned); set before LoadMacroList.
    TuiMacroSetClass* FMacroSetClass = nullptr;

    // Lists (MacroLists.cpp).
    void LoadMacroList();
    void ShowMacroActions(const TMACROKEYINFO& info);
    void UpdateTotalDelay();
    void UpdateErrorIcon(int macroIndex);
    void UpdateAllErrorIcons();
    void AddNewMacro(const QString& name);
    void ScrollMacroListUp();
    void ScrollMacroListDown();
    // Selects macro row `row` in the list (and makes it current through the change handler).
    void SelectMacroRow(int row);

    // Recording and tools (MacroRecording.cpp).
    void SetEditControlsEnabled(bool enabled);
    void BtnMacroStopClick(TImageStateButton* sender);
    void StartRecordAfter();
    void DoActionEditToolClick(TImageStateButton* sender);
    void bsbtnMouseEventClick();
    void uiMenuExMouseEventItemsClick(quint32 itemID);
    void InsertMouseAction(quint32 itemID, bool recordDelays);
    void uiHook1RecordKeyboardMacroKeyEx(int MacroType, int Key1, int AState, int Extended, double Time,
                                         std::uint32_t TotalTime, const QString& MacroKeyString,
                                         const QString& MacroKeyStateString, TMacroKeyList& KeyList);
    void uiHook1StopRecordKeyboardMacroKey(TMacroKeyList& KeyList);

    bool Recording() const { return FRecording; }
    TRecordMode RecordMode() const { return FRecordMode; }

    // Controls (names as the window's layout names them).
    QLabel* Label21 = nullptr;
    TImageStateButton* BTNMIN = nullptr;
    TImageStateButton* BTNCLOSE = nullptr;
    QLabel* Label5 = nullptr;
    TSkinImage* IMGMACROLISTSCROLLUP = nullptr;
    TSkinImage* IMGMACROLISTSCROLLDOWN = nullptr;
    QListView* ListBoxMacroList = nullptr;
    TImageStateButton* BSBTNNEWMACRO = nullptr;
    TImageStateButton* BSBTNDELETEMACRO = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QListView* ListBoxMacroKey = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* LabelAllDelayTime = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* l234234234 = nullptr;
    QLabel* lableTotalActions = nullptr;
    QLabel* l234234234dsf = nullptr;
    QWidget* LayoutActionsFull = nullptr;
    QLabel* Label24 = nullptr;
    // Shown where the hook library can watch only this program's own windows.
    QLabel* LabelOwnWindows = nullptr;
    QWidget* LayoutMMBOTTOM = nullptr;
    TImageStateButton* BtnMacroStart = nullptr;
    TImageStateButton* BtnMacroStop = nullptr;
    QLabel* Label16 = nullptr;
    TImageStateButton* BtnAutoDelay = nullptr;
    QLabel* Label17 = nullptr;
    TImageStateButton* BtnCustomDelay = nullptr;
    QLabel* Label18 = nullptr;
    QSpinBox* NumBoxDelay = nullptr;
    QLabel* Label19 = nullptr;
    TImageStateButton* BtnMacroLoop = nullptr;
    QLabel* Label20 = nullptr;
    QSpinBox* BoxMacroLoop = nullptr;
    TImageStateButton* BTNLOOPRUN = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* LABEL22 = nullptr;
    TImageStateButton* BSBTNInsertAction = nullptr;
    TImageStateButton* bsbtnDeleteAction = nullptr;
    TImageStateButton* bsbtnMoveUpAction = nullptr;
    TImageStateButton* bsbtnMoveDownAction = nullptr;
    TImageStateButton* bsbtnCopyAction = nullptr;
    TImageStateButton* bsbtnCutAction = nullptr;
    TImageStateButton* BSBTNPasteaction = nullptr;
    TImageStateButton* bsbtnMouseEvent = nullptr;
    TImageStateButton* BTNOK = nullptr;
    TImageStateButton* BTNCANCEL = nullptr;
    std::unique_ptr<TuiMenuEx> uiMenuExMouseEvent;
    std::unique_ptr<TuiHook> uiHook1;

    MacroListModel* MacroList = nullptr;
    MacroListDelegate* MacroListPainter = nullptr;
    MacroActionModel* ActionRows = nullptr;
    MacroActionDelegate* ActionPainter = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    // The items and look of uiMenuExMouseEvent (MacroRecording.cpp).
    void BuildMouseActionMenu();
    void LoadSkinImages();
    void BindEvents();

    // Handlers of the lists (MacroLists.cpp).
    void ListBoxMacroListChange();
    void ListBoxMacroListClick();
    void ListBoxMacroKeyChange();
    void BSBTNNEWMACROClick();
    void BSBTNDELETEMACROClick();
    // Options (MacroOptions.cpp).
    void BtnAutoDelayClick();
    void BtnCustomDelayMouseUp();
    void BTNMACROLOOPClick();
    void BTNLOOPRUNClick();
    void UpdateLoopBox();
    void SaveAutoDelaySetting();
    void SaveLoopSettings();
    // The delay edit of an action row (MacroRecording.cpp).
    void DelayEditChange(int row, qint64 value);
    // Leaving (macrofrm.cpp).
    void BtnOKClick();
    void BtnCancelClick();
    void BtnCloseClick();
    void BtnMinClick();

    // Recording helpers (MacroRecording.cpp).
    void StopRecording();
    int NextLiveRowIndex();
    void AfterActionEdit();
    void SetRecordingKeyBlock(bool on);

    int SelectedMacroRow() const;
    int SelectedActionRow() const;
    int MacroListIndex() const;

    bool FFilling = false;  // the view is being filled from the model: no handler stores
    bool FRecording = false;
    TRecordMode FRecordMode = TRecordMode::Replace;
    int FReplacePos = 0;         // next live row in Replace mode
    int FInsertAfterPos = 0;     // last live row placed in InsertAfter mode
    int FInsertAnchor = -1;      // the action the recorded actions follow (RECORD AFTER)
    int FRecordMacroIndex = -1;  // the macro the running recording goes into
    bool FKeyBlock = false;
};

// Runs the macro manager on the database `db`. `name` names the macro to preselect (may be
// empty); on OK it receives the name of the macro current at closing, or an empty text when
// the set has no macro. Returns 1 for OK and 2 otherwise.
int ShowMacroManager(TuiMacroSetClass& db, QString& name);
