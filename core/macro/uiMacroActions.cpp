#include "core/macro/uiMacroActions.h"

#include "core/macro/uiMacroList.h"

#include <algorithm>
#include <bitset>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

bool isCheckedType(std::uint16_t type) {
    return type == TuiActionsClass::kKeyTypeKey || type == TuiActionsClass::kKeyTypeMouseButton ||
           type == TuiActionsClass::kKeyTypeMouseButtonAlt;
}

bool isPress(const TMACROKEY& a) { return a.nKeyState == 1; }

// Key-state walk shared by the check and the repair: one table for every checked type, so a
// key and a mouse button with the same key value share an entry.
struct KeyWalk {
    std::bitset<65536> pressed;
    std::bitset<65536> seenKey;
    std::vector<std::uint16_t> keys;  // distinct type-4 key values, in order of first appearance
    int errors = 0;

    void run(const std::vector<TMACROKEY>& actions) {
        for (const TMACROKEY& a : actions) {
            if (!isCheckedType(a.nKeyType)) continue;
            const std::uint16_t k = TuiActionsClass::KeyValue(a);
            if (isPress(a)) {
                if (pressed[k])
                    ++errors;  // pressed twice
                else
                    pressed[k] = true;
            } else {
                if (!pressed[k])
                    ++errors;  // release without press
                else
                    pressed[k] = false;
            }
            if (a.nKeyType == TuiActionsClass::kKeyTypeKey && !seenKey[k]) {
                seenKey[k] = true;
                keys.push_back(k);
            }
        }
    }
    int leftPressed() const {
        int n = 0;
        for (std::uint16_t k : keys)
            if (pressed[k]) ++n;
        return n;
    }
};

}  // namespace

TuiActionsClass::TuiActionsClass() = default;

TuiActionsClass::TuiActionsClass(const TMACROKEYINFO& aMacroKeyInfo, TuiMacroClass* aMacroClass, int aMacroIndex)
    : TuiActionsClass() {
    LoadActions(aMacroKeyInfo);
    FORGMacroKeyInfo = aMacroKeyInfo;
    FMacroClass = aMacroClass;
    FMacroIndex = aMacroIndex;
}

TuiActionsClass::~TuiActionsClass() = default;

std::uint16_t TuiActionsClass::KeyValue(const TMACROKEY& aAction) {
    return static_cast<std::uint16_t>(aAction.VALUE2 * 256 + aAction.VALUE1);
}

int TuiActionsClass::StoredActionCount(const TMACROKEYINFO& aMacroKeyInfo) {
    return std::clamp<int>(aMacroKeyInfo.MacroListCount, 0, kMaxActions);
}

void TuiActionsClass::LoadActions(const TMACROKEYINFO& aMacroKeyInfo) {
    FActionsList.clear();
    const int n = StoredActionCount(aMacroKeyInfo);
    FActionsList.assign(aMacroKeyInfo.MacroList, aMacroKeyInfo.MacroList + n);
    if (n > 0) FActionsIndex = 0;
}

TMACROKEYINFO TuiActionsClass::GetMacroKeyInfo() const {
    TMACROKEYINFO info = FORGMacroKeyInfo;
    info.MacroListCount = GetCount();
    std::copy(FActionsList.begin(), FActionsList.end(), info.MacroList);
    return info;
}

void TuiActionsClass::SetMacroKeyInfo(const TMACROKEYINFO& aMacroKeyInfo) {
    LoadActions(aMacroKeyInfo);
    // An empty record keeps ActionIndex; keep it inside the (now empty) list all the same.
    if (FActionsIndex >= GetCount()) FActionsIndex = GetCount() - 1;
    FORGMacroKeyInfo = aMacroKeyInfo;
    SaveBack();
}

TMACROKEYINFO& TuiActionsClass::OwnerEntry() const {
    auto& list = FMacroClass->MacroKeyInfoList();
    if (FMacroIndex < 0 || FMacroIndex >= static_cast<int>(list.size()))
        throw std::out_of_range("Macro list index out of bounds (" + std::to_string(FMacroIndex) + ")");
    return list[static_cast<std::size_t>(FMacroIndex)];
}

void TuiActionsClass::SaveBack() {
    if (FMacroClass == nullptr) {
        FORGMacroKeyInfo = GetMacroKeyInfo();
        return;
    }
    TMACROKEYINFO& entry = OwnerEntry();
    entry = GetMacroKeyInfo();
    FORGMacroKeyInfo = entry;
}

void TuiActionsClass::Rebind(int aMacroIndex) {
    FMacroIndex = aMacroIndex;
    if (FMacroClass != nullptr) FORGMacroKeyInfo = OwnerEntry();
}

void TuiActionsClass::SetActionIndex(int aValue) {
    if (aValue >= 0 && aValue < GetCount()) FActionsIndex = aValue;
}

void TuiActionsClass::InsertAction(const TMACROKEY& aAction, int aIndex) {
    const int count = GetCount();
    if (count >= FMaxActionsCount || aIndex < 0 || aIndex >= count) return;
    FActionsList.insert(FActionsList.begin() + aIndex, aAction);
    if (aIndex == FActionsIndex) FActionsIndex = aIndex + 1;
    SaveBack();
}

void TuiActionsClass::InsertActionAfter(const TMACROKEY& aAction, int aIndex) {
    const int count = GetCount();
    if (count >= FMaxActionsCount || aIndex < 0 || aIndex > count) return;
    if (aIndex == count) {
        FActionsList.push_back(aAction);
        FActionsIndex = count;
    } else {
        FActionsList.insert(FActionsList.begin() + aIndex + 1, aAction);
        FActionsIndex = aIndex + 1;
    }
    SaveBack();
}

void TuiActionsClass::DeleteAction(int aIndex) {
    if (aIndex < 0 || aIndex >= GetCount()) return;
    FActionsList.erase(FActionsList.begin() + aIndex);
    if (FActionsIndex >= GetCount()) FActionsIndex = GetCount() - 1;
    SaveBack();
}

void TuiActionsClass::MoveUpAction(int aIndex) {
    if (aIndex < 1 || aIndex >= GetCount()) return;
    std::swap(FActionsList[aIndex], FActionsList[aIndex - 1]);
    if (aIndex == FActionsIndex) FActionsIndex = aIndex - 1;
    SaveBack();
}

void TuiActionsClass::MoveDownAction(int aIndex) {
    if (aIndex < 0 || aIndex >= GetCount() - 1) return;
    std::swap(FActionsList[aIndex], FActionsList[aIndex + 1]);
    if (aIndex == FActionsIndex) FActionsIndex = aIndex + 1;
    SaveBack();
}

void TuiActionsClass::CopyAction(int aIndex) {
    if (aIndex < 0 || aIndex >= GetCount()) return;
    FSavedActionsList.clear();
    FCutOperationFlag = false;
    FSavedActionsList.push_back(FActionsList[aIndex]);
    SaveBack();
}

void TuiActionsClass::CutAction(int aIndex) {
    if (aIndex < 0 || aIndex >= GetCount()) return;
    FSavedActionsList.clear();
    FSavedActionsList.push_back(FActionsList[aIndex]);
    DeleteAction(aIndex);
    FCutOperationFlag = true;
}

void TuiActionsClass::PasteAction(int aIndex) {
    if (FSavedActionsList.empty()) return;
    const int before = GetCount();
    InsertAction(FSavedActionsList.front(), aIndex);
    const bool inserted = GetCount() != before;
    // A cut action is pasted once. A paste that was refused (full macro, bad position) keeps
    // it on the clipboard: it is no longer in the macro, so dropping it would lose it.
    if (FCutOperationFlag && inserted) {
        FSavedActionsList.clear();
        FCutOperationFlag = false;
    }
}

int TuiActionsClass::GetDelayValue(int aIndex) const {
    if (aIndex < 0 || aIndex >= GetCount()) return 0;
    return KeyValue(FActionsList[aIndex]);
}

void TuiActionsClass::SetDelayValue(int aIndex, int aDelay) {
    if (aIndex < 0 || aIndex >= GetCount()) return;
    const auto d = static_cast<std::uint32_t>(aDelay);
    FActionsList[aIndex].VALUE1 = static_cast<std::uint8_t>(d & 0xFF);
    FActionsList[aIndex].VALUE2 = static_cast<std::uint8_t>((d >> 8) & 0xFF);
    SaveBack();
}

std::uint32_t TuiActionsClass::TotalDelay() const {
    std::uint32_t sum = 0;
    for (const TMACROKEY& a : FActionsList)
        if (a.nKeyType == kKeyTypeDelay) sum += KeyValue(a);
    return sum;
}

int TuiActionsClass::CountErrors() const {
    auto walk = std::make_unique<KeyWalk>();
    walk->run(FActionsList);
    return walk->errors + walk->leftPressed();
}

void TuiActionsClass::StoreErrorResult(int aErrorCount) {
    const std::int32_t have = aErrorCount > 0 ? 1 : 0;
    const std::int32_t count = aErrorCount > 0 ? aErrorCount : 0;
    // Kept in the object's own copy as well, so the next save-back does not bring back an
    // older result.
    FORGMacroKeyInfo.HaveErrors = have;
    FORGMacroKeyInfo.ErrorCount = count;
    if (FMacroClass == nullptr) return;
    TMACROKEYINFO& entry = OwnerEntry();
    entry.HaveErrors = have;
    entry.ErrorCount = count;
}

void TuiActionsClass::CheckErrors() {
    if (FMacroClass != nullptr) (void)OwnerEntry();  // the bound position must exist
    StoreErrorResult(CountErrors());
}

void TuiActionsClass::RemoveErrors() {
    if (FMacroClass != nullptr) (void)OwnerEntry();
    auto walk = std::make_unique<KeyWalk>();
    walk->run(FActionsList);
    for (std::uint16_t k : walk->keys) {
        if (!walk->pressed[k]) continue;
        for (int i = GetCount() - 1; i >= 0; --i) {
            const TMACROKEY& a = FActionsList[i];
            if (isCheckedType(a.nKeyType) && KeyValue(a) == k && isPress(a)) {
                FActionsList.erase(FActionsList.begin() + i);
                break;
            }
        }
        walk->pressed[k] = false;
    }
    if (FActionsIndex >= GetCount()) FActionsIndex = GetCount() - 1;
    // The repair only removes keys left pressed; a key pressed twice or a release without a
    // press is still an error, so the stored result comes from a check of the repaired list.
    const int remaining = CountErrors();
    FORGMacroKeyInfo.HaveErrors = remaining > 0 ? 1 : 0;
    FORGMacroKeyInfo.ErrorCount = remaining;
    SaveBack();
}
