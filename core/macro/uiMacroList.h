#pragma once
// TuiMacroClass: the model of one list of macros (the macros of one macro set).
//
// It keeps a current macro with its actions object, creates, renames, moves and deletes
// macros, keeps every macro's nMacroIndex equal to its position, converts to and from the
// 30-macro record of a profile, and reads and writes single macros as .macro files.
//
// The actions object always belongs to the current macro, or does not exist: operations that
// move, rename or delete entries, or replace the list, bring it along with its macro (or
// rebuild it for the new current macro) so that it never writes an old copy over another
// entry.
//
// UI thread only.

#include "core/defs/pubunit_norvane.h"
#include "core/macro/uiMacroActions.h"

#include <QString>

#include <memory>
#include <vector>

class TuiMacroClass {
public:
    static constexpr int kMaxMacros = 30;  // the model's limit (IsFull)
    static constexpr int kMaxMacroNameLength = 50;
    static constexpr std::uint32_t kValidMacroVersion = 0x103;

    // Empty list, MacroListIndex -1, no actions object.
    TuiMacroClass();
    // The first nMacroInfoCount macros of the record (at most 30); MacroListIndex 0 when there
    // is one. No actions object is built.
    explicit TuiMacroClass(const TMACROKEYINFOLIST& aMacroKeyInfoList);
    virtual ~TuiMacroClass();

    TuiMacroClass(const TuiMacroClass&) = delete;
    TuiMacroClass& operator=(const TuiMacroClass&) = delete;

    // Rebuilds the actions object for macro i (callers pass MacroListIndex); nothing unless
    // 0 <= i < count.
    void SelectMacroAction(int aIndex);

    // Adds an empty macro at the end and makes it current. False, with nothing changed, when
    // the name exists, is longer than 50 characters or holds a NUL, or the list is full.
    bool CreateNewMacro(const QString& aMacroName);
    // Renames the first macro named aOldMacroName. False when aNewMacroName exists, no macro
    // is named aOldMacroName, or the new name is not a valid macro name.
    bool ReNameMacro(const QString& aOldMacroName, const QString& aNewMacroName);
    // Names macro aIndex (no uniqueness test); nothing for a position outside the list or an
    // invalid name.
    void ReNameMacro(const QString& aMacroName, int aIndex);

    void MoveUpMacro(int aIndex);
    void MoveDownMacro(int aIndex);
    void DeleteMacro(int aIndex);
    void DeleteMacro(const QString& aMacroName);

    bool MacroExists(const QString& aMacroName) const;
    int IndexOfMacroName(const QString& aMacroName) const;

    // The current macro into aResult; with no current macro aResult is left as it was.
    void GetCurrentMacroKeyItem(TMACROKEYINFO& aResult) const;
    // Macro i into aResult; a position outside the list leaves aResult as it was.
    void GetMacroKeyItem(int aIndex, TMACROKEYINFO& aResult) const;

    // Replace the list. MacroListIndex becomes 0 when the new list has macros, -1 when it is
    // empty; the actions object is rebuilt for the new current macro (or dropped). The record
    // gives at most its 30 entries, a plain list at most 31 (the slots of a macro set).
    void SetMacroKeyInfoList(const TMACROKEYINFOLIST& aMacroKeyInfoList);
    void SetMacroKeyInfoList(const std::vector<TMACROKEYINFO>& aMacroList);
    // nMacroInfoCount := count (at most 30) and the macros in order into MacroInfos; later
    // entries keep what the caller's record held.
    void GetMacroKeyInfoList(TMACROKEYINFOLIST& aMacroKeyInfoList) const;

    // Insert the actions of another macro into the current one, before (InsertMacro) or after
    // (InsertMacroAfter) the action at aIndex, within the 128-action limit; then select the
    // current macro again. Nothing without a current macro.
    void InsertMacro(const TMACROKEYINFO& aMacroKeyInfo, int aIndex);
    void InsertMacroAfter(const TMACROKEYINFO& aMacroKeyInfo, int aIndex);

    // Replaces the current macro by the record and selects it again.
    void SaveBackCurrentMacroKeyInfo(const TMACROKEYINFO& aMacroKeyInfo);
    // Loop and auto-delay settings of macro aIndex (any position in the list; nothing
    // outside); the current macro is selected again afterwards.
    void SetMacroLoopValue(int aIndex, int aLoopRunWhenPressed, int aLoopValue);
    void SetMacroAutoDelay(int aIndex, int aAutoDelayValue);

    // Runs the error check on every macro and stores each result in its entry.
    void CheckAllErrors();

    static bool IsValidMacroVersion(const TMACROKEYINFO& aMacroKeyInfo);
    // Reads the first 896 bytes of the file into aResult; a shorter file fills only as many
    // bytes as it has and a missing file leaves aResult as it was. Throws
    // vyk::platform::FileError when the file exists but cannot be read.
    static void LoadMacroFromFile(const QString& aMacroFile, TMACROKEYINFO& aResult);
    // Writes each of the first nMacroInfoCount macros (at most 30) as <path>/<name>.macro,
    // creating the last folder level when it is missing. Throws vyk::platform::FileError.
    static void SaveMacroKeyInfoListToMacroFiles(const TMACROKEYINFOLIST& aMacroKeyInfoList, const QString& aMacroPath);
    // The file name (without folder) that a macro of that name is stored under.
    static QString MacroFileName(const QString& aMacroName);

    // A name that fits szMacroName: at most 50 UTF-16 units and no NUL.
    static bool IsValidMacroName(const QString& aMacroName);
    // The stored name: the units before the first NUL, at most 50.
    static QString MacroName(const TMACROKEYINFO& aMacroKeyInfo);

    // Properties.
    int MacroListIndex() const { return FMacroListIndex; }
    void SetMacroListIndex(int aValue);
    int MacroListCount() const { return static_cast<int>(FMacroKeyInfoList.size()); }
    bool IsFull() const { return MacroListCount() >= FMaxMacroListCount; }
    bool IsEmpty() const { return FMacroKeyInfoList.empty(); }
    TMACROKEYINFO CurrentMacroKeyInfo() const;  // a zero record when there is no current macro
    TuiActionsClass* CurrentMacroAction() const { return FCurrentMacroAction.get(); }
    std::vector<TMACROKEYINFO>& MacroKeyInfoList() { return FMacroKeyInfoList; }
    const std::vector<TMACROKEYINFO>& MacroKeyInfoList() const { return FMacroKeyInfoList; }

private:
    // Inserts the actions of a copy of aMacroKeyInfo one by one from aIndex on.
    using InsertOne = void (TuiActionsClass::*)(const TMACROKEY&, int);
    void insertActionsOf(const TMACROKEYINFO& aMacroKeyInfo, int aIndex, InsertOne insertOne);
    void RenumberMacros();
    void AfterListChanged(int aBoundMacroNewIndex);
    void ReplaceList(std::vector<TMACROKEYINFO> aList);
    bool ValidIndex(int aIndex) const { return aIndex >= 0 && aIndex < MacroListCount(); }

    std::vector<TMACROKEYINFO> FMacroKeyInfoList;
    int FMacroListIndex = -1;
    int FMaxMacroListCount = kMaxMacros;
    std::unique_ptr<TuiActionsClass> FCurrentMacroAction;
};
