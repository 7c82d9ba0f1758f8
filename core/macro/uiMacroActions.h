#pragma once
// TuiActionsClass: the editing model of the actions of one macro.
//
// An actions object is bound to one entry of the macro list of a TuiMacroClass. It is built
// from that entry and, after every accepted edit, writes the whole macro back into it
// (save-back), so the list always holds the current state. Of its owner it only reads and
// replaces the entry at its bound position.
//
// UI thread only.

#include "core/defs/pubunit_norvane.h"

#include <cstdint>
#include <vector>

class TuiMacroClass;

class TuiActionsClass {
public:
    static constexpr int kMaxActions = 128;

    // Key types that the error check and the repair look at.
    static constexpr std::uint16_t kKeyTypeMouseButton = 1;
    static constexpr std::uint16_t kKeyTypeMouseButtonAlt = 5;
    static constexpr std::uint16_t kKeyTypeKey = 4;
    static constexpr std::uint16_t kKeyTypeDelay = 6;

    // An unbound object: no actions, no clipboard, ActionIndex -1. Save-backs go nowhere.
    TuiActionsClass();
    // Builds the action list from the record (its MacroListCount, clamped to 0..128) and binds
    // the object to position aMacroIndex of aMacroClass. Does not save back.
    TuiActionsClass(const TMACROKEYINFO& aMacroKeyInfo, TuiMacroClass* aMacroClass, int aMacroIndex);
    virtual ~TuiActionsClass();

    TuiActionsClass(const TuiActionsClass&) = delete;
    TuiActionsClass& operator=(const TuiActionsClass&) = delete;

    // The object's copy of the macro with its action count and first actions replaced by the
    // action list; later action slots keep the values of the copy.
    TMACROKEYINFO GetMacroKeyInfo() const;
    // Replaces the actions and the object's copy by the record, then saves back.
    void SetMacroKeyInfo(const TMACROKEYINFO& aMacroKeyInfo);
    // Writes GetMacroKeyInfo into the owner's entry and reads the entry back as the copy.
    // Throws std::out_of_range when the bound position is not in the owner's list.
    void SaveBack();

    void InsertAction(const TMACROKEY& aAction, int aIndex);
    void InsertActionAfter(const TMACROKEY& aAction, int aIndex);
    void DeleteAction(int aIndex);
    void MoveUpAction(int aIndex);
    void MoveDownAction(int aIndex);

    void CopyAction(int aIndex);
    void CutAction(int aIndex);
    void PasteAction(int aIndex);

    int GetDelayValue(int aIndex) const;
    void SetDelayValue(int aIndex, int aDelay);

    int GetCount() const { return static_cast<int>(FActionsList.size()); }
    bool GetIsActionsFull() const { return GetCount() >= FMaxActionsCount; }
    bool GetIsActionsEmpty() const { return FActionsList.empty(); }

    // Counts presses that are pressed twice, releases without a press and keys (type 4) left
    // pressed at the end, and stores the result in the macro (owner's entry and own copy).
    void CheckErrors();
    // Deletes the latest press of every key (type 4) left pressed at the end, then stores the
    // result of a fresh check of the repaired actions.
    void RemoveErrors();

    // Properties.
    int ActionIndex() const { return FActionsIndex; }
    void SetActionIndex(int aValue);
    int MacroListCount() const { return GetCount(); }
    bool IsFull() const { return GetIsActionsFull(); }
    bool IsEmpty() const { return GetIsActionsEmpty(); }
    std::uint32_t TotalDelay() const;

    // The actions being edited, in order.
    const std::vector<TMACROKEY>& Actions() const { return FActionsList; }
    // The position in the owner's list that save-backs write to.
    int MacroIndex() const { return FMacroIndex; }
    // True when the clipboard holds an action.
    bool HasClipboard() const { return !FSavedActionsList.empty(); }

    // Used by the owner when its list changed under the object (a move, a rename, a delete of
    // another macro): follow the macro to its new position and take its entry as the copy.
    void Rebind(int aMacroIndex);

    // The key value of an action: VALUE2 * 256 + VALUE1.
    static std::uint16_t KeyValue(const TMACROKEY& aAction);
    // The number of actions a record claims, clamped to what its action array holds.
    static int StoredActionCount(const TMACROKEYINFO& aMacroKeyInfo);

private:
    void LoadActions(const TMACROKEYINFO& aMacroKeyInfo);
    int CountErrors() const;
    void StoreErrorResult(int aErrorCount);
    TMACROKEYINFO& OwnerEntry() const;

    TMACROKEYINFO FORGMacroKeyInfo{};
    std::vector<TMACROKEY> FActionsList;
    int FActionsIndex = -1;
    int FMaxActionsCount = kMaxActions;
    TuiMacroClass* FMacroClass = nullptr;
    int FMacroIndex = -1;
    bool FCutOperationFlag = false;
    std::vector<TMACROKEY> FSavedActionsList;
};
