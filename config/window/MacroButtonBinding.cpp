#include "config/window/MacroButtonBinding.h"

#include "core/defs/record_text.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"

#include <QStringList>

#include <algorithm>
#include <cstring>
#include <memory>

namespace vyk::config {

namespace {

constexpr int kRecordCount = 19;

// A name cut to at most `units` units, never between the two halves of a surrogate pair.
QString cutName(const QString& name, int units) {
    if (name.size() <= units) return name;
    int n = units;
    if (name.at(n - 1).isHighSurrogate()) --n;
    return name.left(n);
}

int indexOfStoredName(const QStringList& names, const QString& stored) {
    const int exact = static_cast<int>(names.indexOf(stored));
    if (exact >= 0) return exact;
    // A name longer than a record holds was stored cut: to 30 units with its NUL, or to all
    // 31 units of the field in records stored without one.
    for (int k = 0; k < names.size(); ++k) {
        const QString& full = names.at(k);
        if (full.size() <= stored.size()) continue;
        if (cutName(full, kMacroNameUnits - 1) == stored || cutName(full, kMacroNameUnits) == stored) return k;
    }
    return -1;
}

QStringList macroNames(const TuiMacroClass& macros) {
    QStringList names;
    for (int k = 0; k < macros.MacroListCount(); ++k) {
        TMACROKEYINFO info{};
        macros.GetMacroKeyItem(k, info);
        names << TuiMacroClass::MacroName(info);
    }
    return names;
}

}  // namespace

void StoreMacroName(char16_t (&field)[kMacroNameUnits], const QString& name) { vyk::defs::setRecordText(field, name); }

QString StoredMacroName(const char16_t (&field)[kMacroNameUnits]) { return vyk::defs::recordText(field); }

int MacroIndexOfStoredName(const TuiMacroClass& macros, const QString& stored) {
    return indexOfStoredName(macroNames(macros), stored);
}

bool TMacroButtonBinding::Rebind(int profile, TBUTTONFUNCINFO* records, TuiMacroSetClass& db, const DisableFn& disable,
                                 bool keepUnnamed) const {
    bool changed = false;
    for (int i = 0; i < kRecordCount; ++i) {
        TBUTTONFUNCINFO& r = records[i];
        if (r.FunctionType != FUNCTION_TYPE_MACRO || IsUnseen(profile, i, r)) continue;
        const QString set = StoredMacroName(r.MacroSetName);
        const QString name = StoredMacroName(r.MacroName);
        if (keepUnnamed && set.isEmpty() && name.isEmpty()) continue;
        if (db.MacroSetExist(set)) {
            if (db.CurrentMacroSetName().compare(set, Qt::CaseInsensitive) != 0) db.SwitchToMacroSet(set);
            TuiMacroClass* macros = db.CurrentMacroClass();
            const int k = macros ? MacroIndexOfStoredName(*macros, name) : -1;
            if (k >= 0) {
                TMACROKEYINFO info{};
                macros->GetMacroKeyItem(k, info);
                info.nMacroIndex = static_cast<std::uint16_t>(k);
                // A row of the MACRO menu names a position: it follows the macro.
                const bool menuRow = r.MenuID >= kMacroMenuFirst && r.MenuID <= kMacroMenuLast;
                const int menuID = menuRow ? kMacroMenuFirst + k : r.MenuID;
                if (std::memcmp(&info, &r.MacroKeyInfo, sizeof info) != 0 || menuID != r.MenuID) {
                    r.MacroKeyInfo = info;
                    r.MenuID = menuID;
                    changed = true;
                }
                continue;
            }
        }
        auto disabled = std::make_unique<TBUTTONFUNCINFO>();
        std::memset(disabled.get(), 0, sizeof(TBUTTONFUNCINFO));
        disable(*disabled);
        r = *disabled;
        changed = true;
    }
    return changed;
}

void TMacroButtonBinding::NoteUnseen(int profile, const TBUTTONFUNCINFO* records, const TuiMacroSetClass& db) {
    for (int i = 0; i < kRecordCount; ++i) {
        const TBUTTONFUNCINFO& r = records[i];
        if (r.FunctionType != FUNCTION_TYPE_MACRO) continue;
        const QString set = StoredMacroName(r.MacroSetName);
        const QString name = StoredMacroName(r.MacroName);
        if (db.MacroSetExist(set) && indexOfStoredName(db.GetMacroListNamesByMacroSetName(set), name) >= 0) continue;
        Forget(profile, i);
        FUnseen.push_back({profile, i, set, name, r.MacroKeyInfo.nMacroIndex});
    }
}

bool TMacroButtonBinding::IsUnseen(int profile, int record, const TBUTTONFUNCINFO& r) const {
    if (r.FunctionType != FUNCTION_TYPE_MACRO) return false;
    for (const Unseen& u : FUnseen) {
        if (u.profile != profile || u.record != record) continue;
        return u.index == r.MacroKeyInfo.nMacroIndex && u.setName == StoredMacroName(r.MacroSetName) &&
               u.macroName == StoredMacroName(r.MacroName);
    }
    return false;
}

void TMacroButtonBinding::Forget(int profile, int record) {
    FUnseen.erase(std::remove_if(FUnseen.begin(), FUnseen.end(),
                                 [&](const Unseen& u) { return u.profile == profile && u.record == record; }),
                  FUnseen.end());
}

QList<int> TMacroButtonBinding::MacroIndexesToWrite(const TDM& dm) const {
    QList<int> list;
    auto profile = std::make_unique<TMouseProfileInfo>();
    for (int p = 0; p < 5; ++p) {
        if (!dm.ReadProfileInfo(*profile, p)) continue;
        const int count = std::clamp(profile->ConfigInfo.ButtonCount, 0, kRecordCount);
        for (int b = 0; b < count; ++b) {
            const TBUTTONFUNCINFO& r = profile->ConfigInfo.ButtonFuncInfo[b];
            if (r.FunctionType != FUNCTION_TYPE_MACRO || IsUnseen(p, b, r)) continue;
            if (!list.contains(r.MacroKeyInfo.nMacroIndex)) list.append(r.MacroKeyInfo.nMacroIndex);
        }
    }
    return list;
}

}  // namespace vyk::config
