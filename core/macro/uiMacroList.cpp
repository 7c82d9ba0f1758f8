#include "core/macro/uiMacroList.h"

#include "core/defs/record_text.h"
#include "platform/paths/file_io.h"
#include "platform/paths/paths.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kMacroNameUnits = TuiMacroClass::kMaxMacroNameLength;
// A macro set keeps its macros in 31 slots; a list handed over as plain macros is taken up
// to that size, one more than the model creates itself.
constexpr std::size_t kMacroSetSlots = 31;

std::u16string_view storedName(const TMACROKEYINFO& m) {
    return vyk::defs::recordTextView(m.szMacroName, kMacroNameUnits);
}

bool sameName(const TMACROKEYINFO& m, const QString& name) {
    if (name.size() > TuiMacroClass::kMaxMacroNameLength) return false;
    const std::u16string_view s = storedName(m);
    return s.size() == static_cast<std::size_t>(name.size()) &&
           std::equal(s.begin(), s.end(), reinterpret_cast<const char16_t*>(name.utf16()));
}

int macroInfoCount(const TMACROKEYINFOLIST& l) { return std::min<int>(l.nMacroInfoCount, TuiMacroClass::kMaxMacros); }

}  // namespace

TuiMacroClass::TuiMacroClass() = default;

TuiMacroClass::TuiMacroClass(const TMACROKEYINFOLIST& aMacroKeyInfoList) : TuiMacroClass() {
    const int n = macroInfoCount(aMacroKeyInfoList);
    FMacroKeyInfoList.assign(aMacroKeyInfoList.MacroInfos, aMacroKeyInfoList.MacroInfos + n);
    if (n > 0) FMacroListIndex = 0;
}

TuiMacroClass::~TuiMacroClass() = default;

bool TuiMacroClass::IsValidMacroName(const QString& aMacroName) {
    return aMacroName.size() <= kMaxMacroNameLength && !aMacroName.contains(QChar(u'\0'));
}

QString TuiMacroClass::MacroName(const TMACROKEYINFO& aMacroKeyInfo) {
    const std::u16string_view s = storedName(aMacroKeyInfo);
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

void TuiMacroClass::SelectMacroAction(int aIndex) {
    if (!ValidIndex(aIndex) || !ValidIndex(FMacroListIndex)) return;
    FCurrentMacroAction.reset();
    FCurrentMacroAction =
        std::make_unique<TuiActionsClass>(FMacroKeyInfoList[static_cast<std::size_t>(FMacroListIndex)], this, aIndex);
}

void TuiMacroClass::SetMacroListIndex(int aValue) {
    if (!ValidIndex(aValue)) return;
    FMacroListIndex = aValue;
    SelectMacroAction(FMacroListIndex);
}

void TuiMacroClass::RenumberMacros() {
    for (std::size_t i = 0; i < FMacroKeyInfoList.size(); ++i)
        FMacroKeyInfoList[i].nMacroIndex = static_cast<std::uint16_t>(i);
}

// The actions object follows its macro: to aBoundMacroNewIndex when the macro is still in the
// list, taking the entry as its copy (new name, new nMacroIndex); when the macro is gone it is
// rebuilt for the current macro, or dropped when there is none.
void TuiMacroClass::AfterListChanged(int aBoundMacroNewIndex) {
    if (!FCurrentMacroAction) return;
    if (ValidIndex(aBoundMacroNewIndex)) {
        FCurrentMacroAction->Rebind(aBoundMacroNewIndex);
        return;
    }
    FCurrentMacroAction.reset();
    SelectMacroAction(FMacroListIndex);
}

bool TuiMacroClass::CreateNewMacro(const QString& aMacroName) {
    if (MacroExists(aMacroName)) return false;
    if (!IsValidMacroName(aMacroName) || IsFull()) return false;
    FMacroListIndex = MacroListCount();
    TMACROKEYINFO m;
    std::memset(&m, 0, sizeof m);
    m.nMacroIndex = static_cast<std::uint16_t>(FMacroListIndex);
    m.MacroListCount = 0;
    vyk::defs::setRecordText(m.szMacroName, aMacroName);
    FMacroKeyInfoList.push_back(m);
    RenumberMacros();
    SelectMacroAction(FMacroListIndex);
    return true;
}

bool TuiMacroClass::ReNameMacro(const QString& aOldMacroName, const QString& aNewMacroName) {
    if (MacroExists(aNewMacroName)) return false;
    const int i = IndexOfMacroName(aOldMacroName);
    if (i < 0 || !IsValidMacroName(aNewMacroName)) return false;
    ReNameMacro(aNewMacroName, i);
    return true;
}

void TuiMacroClass::ReNameMacro(const QString& aMacroName, int aIndex) {
    if (!ValidIndex(aIndex) || !IsValidMacroName(aMacroName)) return;
    vyk::defs::setRecordText(FMacroKeyInfoList[static_cast<std::size_t>(aIndex)].szMacroName, aMacroName);
    if (FCurrentMacroAction && FCurrentMacroAction->MacroIndex() == aIndex) AfterListChanged(aIndex);
}

void TuiMacroClass::MoveUpMacro(int aIndex) {
    if (aIndex < 1 || aIndex >= MacroListCount()) return;
    std::swap(FMacroKeyInfoList[aIndex], FMacroKeyInfoList[aIndex - 1]);
    if (FMacroListIndex == aIndex)
        FMacroListIndex = aIndex - 1;
    else if (FMacroListIndex == aIndex - 1)
        FMacroListIndex = aIndex;
    RenumberMacros();
    if (FCurrentMacroAction) {
        int bound = FCurrentMacroAction->MacroIndex();
        if (bound == aIndex)
            bound = aIndex - 1;
        else if (bound == aIndex - 1)
            bound = aIndex;
        AfterListChanged(bound);
    }
}

void TuiMacroClass::MoveDownMacro(int aIndex) {
    if (aIndex < 0 || aIndex >= MacroListCount() - 1) return;
    std::swap(FMacroKeyInfoList[aIndex], FMacroKeyInfoList[aIndex + 1]);
    if (FMacroListIndex == aIndex)
        FMacroListIndex = aIndex + 1;
    else if (FMacroListIndex == aIndex + 1)
        FMacroListIndex = aIndex;
    RenumberMacros();
    if (FCurrentMacroAction) {
        int bound = FCurrentMacroAction->MacroIndex();
        if (bound == aIndex)
            bound = aIndex + 1;
        else if (bound == aIndex + 1)
            bound = aIndex;
        AfterListChanged(bound);
    }
}

void TuiMacroClass::DeleteMacro(int aIndex) {
    if (!ValidIndex(aIndex)) return;
    FMacroKeyInfoList.erase(FMacroKeyInfoList.begin() + aIndex);
    RenumberMacros();
    if (FMacroKeyInfoList.empty())
        FMacroListIndex = -1;
    else if (FMacroListIndex >= MacroListCount())
        FMacroListIndex = MacroListCount() - 1;
    // The current index stays where it was (or moves to the new last macro), so it may now
    // name another macro: the actions object is built again for whatever macro is current.
    if (FCurrentMacroAction) AfterListChanged(-1);
}

void TuiMacroClass::DeleteMacro(const QString& aMacroName) {
    const int i = IndexOfMacroName(aMacroName);
    if (i >= 0) DeleteMacro(i);
}

bool TuiMacroClass::MacroExists(const QString& aMacroName) const { return IndexOfMacroName(aMacroName) >= 0; }

int TuiMacroClass::IndexOfMacroName(const QString& aMacroName) const {
    for (std::size_t i = 0; i < FMacroKeyInfoList.size(); ++i)
        if (sameName(FMacroKeyInfoList[i], aMacroName)) return static_cast<int>(i);
    return -1;
}

void TuiMacroClass::GetCurrentMacroKeyItem(TMACROKEYINFO& aResult) const { GetMacroKeyItem(FMacroListIndex, aResult); }

void TuiMacroClass::GetMacroKeyItem(int aIndex, TMACROKEYINFO& aResult) const {
    if (ValidIndex(aIndex)) aResult = FMacroKeyInfoList[static_cast<std::size_t>(aIndex)];
}

TMACROKEYINFO TuiMacroClass::CurrentMacroKeyInfo() const {
    TMACROKEYINFO m;
    std::memset(&m, 0, sizeof m);
    GetCurrentMacroKeyItem(m);
    return m;
}

void TuiMacroClass::ReplaceList(std::vector<TMACROKEYINFO> aList) {
    FMacroKeyInfoList = std::move(aList);
    // An empty list has no current macro; an index kept from the old list would point past
    // its end.
    FMacroListIndex = FMacroKeyInfoList.empty() ? -1 : 0;
    // The old actions object belongs to a macro of the old list.
    FCurrentMacroAction.reset();
    SelectMacroAction(FMacroListIndex);
}

void TuiMacroClass::SetMacroKeyInfoList(const TMACROKEYINFOLIST& aMacroKeyInfoList) {
    const int n = macroInfoCount(aMacroKeyInfoList);
    ReplaceList(std::vector<TMACROKEYINFO>(aMacroKeyInfoList.MacroInfos, aMacroKeyInfoList.MacroInfos + n));
}

void TuiMacroClass::SetMacroKeyInfoList(const std::vector<TMACROKEYINFO>& aMacroList) {
    const std::size_t n = std::min(aMacroList.size(), kMacroSetSlots);
    ReplaceList(std::vector<TMACROKEYINFO>(aMacroList.begin(), aMacroList.begin() + static_cast<std::ptrdiff_t>(n)));
}

void TuiMacroClass::GetMacroKeyInfoList(TMACROKEYINFOLIST& aMacroKeyInfoList) const {
    const int n = std::min(MacroListCount(), kMaxMacros);
    aMacroKeyInfoList.nMacroInfoCount = static_cast<std::uint16_t>(n);
    std::copy(FMacroKeyInfoList.begin(), FMacroKeyInfoList.begin() + n, aMacroKeyInfoList.MacroInfos);
}

// The source is copied first: it may be an entry of this very list (the current macro
// inserted into itself), which every accepted insertion saves back into. A position past the
// end of the action array can take no action, so aIndex + k never needs to go beyond it.
void TuiMacroClass::InsertMacro(const TMACROKEYINFO& aMacroKeyInfo, int aIndex) {
    insertActionsOf(aMacroKeyInfo, aIndex, &TuiActionsClass::InsertAction);
}

void TuiMacroClass::InsertMacroAfter(const TMACROKEYINFO& aMacroKeyInfo, int aIndex) {
    insertActionsOf(aMacroKeyInfo, aIndex, &TuiActionsClass::InsertActionAfter);
}

void TuiMacroClass::insertActionsOf(const TMACROKEYINFO& aMacroKeyInfo, int aIndex, InsertOne insertOne) {
    if (!FCurrentMacroAction) return;
    const TMACROKEYINFO source = aMacroKeyInfo;
    const int n = TuiActionsClass::StoredActionCount(source);
    if (aIndex >= 0 && aIndex < TuiActionsClass::kMaxActions) {
        for (int k = 0; k < n; ++k) {
            if (FCurrentMacroAction->IsFull()) break;
            (FCurrentMacroAction.get()->*insertOne)(source.MacroList[k], aIndex + k);
        }
    }
    SelectMacroAction(FMacroListIndex);
}

void TuiMacroClass::SaveBackCurrentMacroKeyInfo(const TMACROKEYINFO& aMacroKeyInfo) {
    if (!ValidIndex(FMacroListIndex)) return;
    FMacroKeyInfoList[static_cast<std::size_t>(FMacroListIndex)] = aMacroKeyInfo;
    SelectMacroAction(FMacroListIndex);
}

void TuiMacroClass::SetMacroLoopValue(int aIndex, int aLoopRunWhenPressed, int aLoopValue) {
    if (!ValidIndex(aIndex)) return;
    TMACROKEYINFO& m = FMacroKeyInfoList[static_cast<std::size_t>(aIndex)];
    m.nLoopRunWhenPressed = static_cast<std::uint8_t>(aLoopRunWhenPressed & 0xFF);
    m.nLoopCount = static_cast<std::uint16_t>(aLoopValue & 0xFFFF);
    SelectMacroAction(FMacroListIndex);
}

void TuiMacroClass::SetMacroAutoDelay(int aIndex, int aAutoDelayValue) {
    if (!ValidIndex(aIndex)) return;
    FMacroKeyInfoList[static_cast<std::size_t>(aIndex)].nAutoAddDelay =
        static_cast<std::uint16_t>(aAutoDelayValue & 0xFFFF);
    SelectMacroAction(FMacroListIndex);
}

void TuiMacroClass::CheckAllErrors() {
    for (int i = 0; i < MacroListCount(); ++i) {
        TuiActionsClass check(FMacroKeyInfoList[static_cast<std::size_t>(i)], this, i);
        check.CheckErrors();
    }
    // The current actions object takes the results too, or its next save-back would put its
    // older ones back.
    if (FCurrentMacroAction) AfterListChanged(FCurrentMacroAction->MacroIndex());
}

bool TuiMacroClass::IsValidMacroVersion(const TMACROKEYINFO& aMacroKeyInfo) {
    return aMacroKeyInfo.Version == kValidMacroVersion;
}

void TuiMacroClass::LoadMacroFromFile(const QString& aMacroFile, TMACROKEYINFO& aResult) {
    if (aMacroFile.isEmpty() || !QFile::exists(aMacroFile)) return;
    // Only the first record's worth of bytes is read, whatever the size of the file; a pipe or
    // device in the file's place is refused rather than waited on.
    vyk::platform::FileReadLimits limits;
    limits.maxBytes = sizeof(TMACROKEYINFO);
    limits.frontOnly = true;
    const QByteArray bytes = vyk::platform::readWholeFile(aMacroFile, limits);
    TMACROKEYINFO buf = aResult;
    std::memcpy(&buf, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    aResult = buf;
}

QString TuiMacroClass::MacroFileName(const QString& aMacroName) {
    // Macro names are free text. Characters that would leave the folder or make an
    // unreadable name ('/', '\', control characters, lone surrogates) are written as %XX or
    // %uXXXX, and '%' itself as %25, so different names always give different files.
    QString out;
    const qsizetype n = aMacroName.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = aMacroName.at(i).unicode();
        const bool high = QChar::isHighSurrogate(c);
        const bool low = QChar::isLowSurrogate(c);
        if (high && i + 1 < n && QChar::isLowSurrogate(aMacroName.at(i + 1).unicode())) {
            out += aMacroName.at(i);
            out += aMacroName.at(++i);
            continue;
        }
        if (high || low) {
            out += QStringLiteral("%u") + QString::number(c, 16).toUpper().rightJustified(4, u'0');
        } else if (c == u'/' || c == u'\\' || c == u'%' || c < 0x20 || c == 0x7F) {
            out += QStringLiteral("%") + QString::number(c, 16).toUpper().rightJustified(2, u'0');
        } else {
            out += QChar(c);
        }
    }
    return out + QStringLiteral(".macro");
}

void TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(const TMACROKEYINFOLIST& aMacroKeyInfoList,
                                                     const QString& aMacroPath) {
    const int n = macroInfoCount(aMacroKeyInfoList);
    for (int i = 0; i < n; ++i) {
        if (aMacroPath.isEmpty())
            throw vyk::platform::FileError(QStringLiteral("No folder given for the macro files."));
        QString folder = aMacroPath;
        if (!folder.endsWith(u'/') && !folder.endsWith(u'\\')) folder += u'/';
        if (!vyk::platform::folderExists(folder) && !vyk::platform::createFolder(folder))
            throw vyk::platform::FileError(QStringLiteral("Cannot create folder \"%1\".").arg(folder));
        const TMACROKEYINFO& m = aMacroKeyInfoList.MacroInfos[i];
        vyk::platform::writeFileAtomic(vyk::platform::joinPath(folder, MacroFileName(MacroName(m))), &m, sizeof m);
    }
}
