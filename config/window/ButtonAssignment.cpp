// TButtonAssignment: the function menu UIMENUEX1, the assignment itself, the macro menu and
// the binding of macro buttons, the captions and hints of the assignment buttons and the mouse
// views (contract in the header).
#include "config/window/ButtonAssignment.h"

#include "config/dialogs/SingleKeyfrm.h"
#include "config/dialogs/combofrm.h"
#include "config/dialogs/fireset.h"
#include "config/dialogs/macrofrm.h"
#include "config/dialogs/showdialog.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/uiMenuEx.h"
#include "config/window/ApplyInputQueue.h"
#include "config/window/AssignFunctions.h"
#include "config/window/AssignMenuItems.h"
#include "config/window/CfgState.h"
#include "core/defs/record_text.h"
#include "core/defs/uiKeyCode.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroList.h"
#include "core/macro/uiMacroSet.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

using vyk::platform::guarded;
using vyk::toolkit::translate;

namespace {

constexpr int kRecordCount = 19;
const QString kDefaultMacroSet = QStringLiteral("DefaultMacroSet");

TBUTTONFUNCINFO* records(TDM& dm) { return dm.FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo; }

// The menu item carrying an ID: 1..99 top level, p × 100 + n below item p (two levels down
// for IDs of six digits). Null when no item carries it.
TuiMenuItemEx* itemOfID(TuiMenuEx& menu, int id) {
    auto find = [](TuiMenuItemsEx& level, int wanted) -> TuiMenuItemEx* {
        for (int i = 0; i < level.Count(); ++i) {
            if (static_cast<int>(level.Items(i)->ItemID()) == wanted) return level.Items(i);
        }
        return nullptr;
    };
    if (id >= 1 && id <= 99) return find(menu.Items(), id);
    if (id >= 100 && id <= 9999) {
        TuiMenuItemEx* top = find(menu.Items(), id / 100);
        return top ? find(top->SubItems(), id) : nullptr;
    }
    if (id >= 10000 && id <= 999999) {
        TuiMenuItemEx* top = find(menu.Items(), id / 10000);
        TuiMenuItemEx* mid = top ? find(top->SubItems(), id / 100) : nullptr;
        return mid ? find(mid->SubItems(), id) : nullptr;
    }
    return nullptr;
}

int functionCodeOfRow(int row) {
    if (row < 0 || row >= static_cast<int>(ButtonFunctionTable.size())) return 0;
    return ButtonFunctionTable[static_cast<std::size_t>(row)].FunctionCode;
}

// The FunctionCode a record's own MenuID and row give it (DISABLE's is 0: it has no row).
int functionCodeOfRecord(const TBUTTONFUNCINFO& r) {
    if (r.MenuID == kDisableMenuID) return FunctionCodeOf(AssignFunction(kDisableMenuID));
    return functionCodeOfRow(r.FunctionIndex);
}

bool isClick(const TBUTTONFUNCINFO& r) {
    return r.FunctionType == FUNCTION_TYPE_DEVICE && r.FunctionCode == FUNCTION_CODE_CLICK;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Creation and views

TButtonAssignment::TButtonAssignment(TDM& dm, TCfgState& state, TuiMacroSetClass& macros,
                                     vyk::config::TMacroButtonBinding& binding, DialogQueueFn dialogQueue,
                                     QWidget* area, QObject* parent)
    : QObject(parent),
      FDM(dm),
      FState(state),
      FMacroSetClass(macros),
      FMacroBinding(binding),
      FDialogQueue(std::move(dialogQueue)) {
    UIMENUEX1 = new TuiMenuEx(this);
    UIMENUEX1->setObjectName(QStringLiteral("UIMENUEX1"));
    BuildAssignMenu(*UIMENUEX1);
    UIMENUEX1->SetOnItemsClick(
        [this](QObject*, const QString&, quint32 id, void*, int) { guarded([this, id] { uiMenuEx1ItemsClick(id); }); });

    ButtonAssign = new TButtonAssignPanel(area);
    ButtonAssign->setGeometry(0, 0, area->width(), area->height());
    connect(ButtonAssign, &TButtonAssignPanel::AssignButtonClicked, this,
            [this](int tag) { guarded([this, tag] { BtnSet1Click(tag); }); });
    connect(ButtonAssign, &TButtonAssignPanel::AssignButtonEntered, this,
            [this](int tag) { guarded([this, tag] { BtnSet1MouseEnter(tag); }); });
}

void TButtonAssignment::ShowMouseView(bool front) {
    if (ButtonAssign) ButtonAssign->ShowMouseView(front ? 0 : 1);
}

void TButtonAssignment::SetMenuFontFamily(const QString& family) {
    if (UIMENUEX1 == nullptr) return;
    // The family before the designed ones, in place of the one chosen before.
    QStringList families = AssignMenuFont().families();
    families.removeAll(family);
    families.prepend(family);
    UIMENUEX1->Parameters().ItemFont.setFamilies(families);
}

// ---------------------------------------------------------------------------------------------
// Menu

void TButtonAssignment::BtnSet1Click(int tag) {
    if (tag < 0 || tag >= ASSIGN_BUTTON_COUNT) return;
    FSelectedButtonIndex = tag;
    const qint64 selected = records(FDM)[tag].MenuID;
    UIMENUEX1->ShowMainMenu(selected, ButtonAssign->BtnSet[static_cast<std::size_t>(tag)], TvgPlacement::Mouse);
}

void TButtonAssignment::BtnSet1MouseEnter(int tag) { UpdateButtonHint(tag); }

void TButtonAssignment::uiMenuEx1ItemsClick(quint32 AMenuItemID) {
    AssignButtonFunction(static_cast<int>(AMenuItemID));
    FState.SettingsChanged = true;
}

// ---------------------------------------------------------------------------------------------
// The assignment

// Binds assignment button `button` to macro `macroIndex` of the current set, stored under the
// names given, unless that would put more distinct macros on buttons than the mouse takes: then
// the record stays as it was, the user is told, and the result is false.
bool TButtonAssignment::BindButtonToMacro(int button, TuiMacroClass& macros, int macroIndex, const QString& setName,
                                          const QString& macroName) {
    TBUTTONFUNCINFO* recs = records(FDM);
    const auto backup = std::make_unique<TBUTTONFUNCINFO>(recs[button]);
    TBUTTONFUNCINFO& r = recs[button];
    const TAssignFunction& macro = AssignFunction(kMacroMenuID);
    r.MenuID = vyk::config::kMacroMenuFirst + macroIndex;
    r.FunctionIndex = static_cast<std::uint16_t>(macro.FunctionIndex);
    r.FunctionType = macro.FunctionType;
    vyk::config::StoreMacroName(r.MacroSetName, setName);
    vyk::config::StoreMacroName(r.MacroName, macroName);
    macros.GetMacroKeyItem(macroIndex, r.MacroKeyInfo);
    r.MacroKeyInfo.nMacroIndex = static_cast<std::uint16_t>(macroIndex);
    r.FunctionCode = FunctionCodeOf(macro);
    if (CountAssignedMacros() > MAX_ASSIGNED_MACROS) {
        ShowDialog(translate(QStringLiteral("WARNING!")),
                   translate(QStringLiteral("YOU CAN ASSIGN MACROS TO BUTTONS SHALL NOT EXCEED 5 .")));
        r = *backup;
        return false;
    }
    FMacroBinding.Forget(FDM.FProfileIndex, button);
    return true;
}

void TButtonAssignment::AssignButtonFunction(int ItemID) {
    const int button = FSelectedButtonIndex;
    if (button < 0 || button >= ASSIGN_BUTTON_COUNT) return;
    // The dialogs below (key dialogs, the macro manager, warnings) edit the profile shown now:
    // a switch reported by the mouse meanwhile runs once the assignment is done.
    vyk::config::ApplyInputQueue::DialogScope asking(FDialogQueue());
    TBUTTONFUNCINFO* recs = records(FDM);

    TSelectedMenuItemInfo menuInfo;
    GetSelectedMenuItemInfo(ItemID, menuInfo);
    auto r = std::make_unique<TBUTTONFUNCINFO>(recs[button]);

    // Keep one CLICK.
    if (CountLeftClickButtons() <= 1 && isClick(recs[button])) {
        ShowDialog(translate(QStringLiteral("WARNING")),
                   translate(QStringLiteral("AT LEAST ONE \"CLICK\" FUNCTION TO BE RETAINED.")));
        return;
    }

    if (ItemID >= vyk::config::kMacroMenuFirst && ItemID <= vyk::config::kMacroMenuLast) {
        TuiMacroClass* macros = FMacroSetClass.CurrentMacroClass();
        const int macroIndex = ItemID - vyk::config::kMacroMenuFirst;
        if (macros == nullptr || macroIndex >= macros->MacroListCount()) return;  // a row of a list since changed
        FCurrentMacro = macroIndex;
        if (!BindButtonToMacro(button, *macros, macroIndex, menuInfo.MacroSetName, menuInfo.MacroName)) return;
        RebindMacroButtons();
        FDM.SaveBackToCurrentProfileInfo();
        ShowButtonCaption(button, ItemID);
        return;
    }

    if (ItemID == kMacroManagerMenuID) {
        FCurrentMacro = r->MacroKeyInfo.nMacroIndex;
        QString name = vyk::defs::recordText(r->MacroKeyInfo.szMacroName).left(50);
        const QString set = FMacroSetClass.CurrentMacroSetName();
        if (ShowMacroManager(FMacroSetClass, name) != 1) {
            // The edits stay in the database: the buttons follow them, this one keeps its function.
            RebindMacroButtons();
            FDM.SaveBackToCurrentProfileInfo();
            RefreshButtonCaptions();
            return;
        }
        TuiMacroClass* macros = FMacroSetClass.CurrentMacroClass();
        // OK with an empty set hands back no name: nothing found, so the button is disabled.
        FCurrentMacro = macros && !name.isEmpty() ? macros->IndexOfMacroName(name) : -1;
        if (FCurrentMacro < 0) {
            auto disabled = std::make_unique<TBUTTONFUNCINFO>();
            std::memset(disabled.get(), 0, sizeof(TBUTTONFUNCINFO));
            GetDisabledButtonFunc(*disabled);
            recs[button] = *disabled;
            FMacroBinding.Forget(FDM.FProfileIndex, button);
            RebindMacroButtons();
            RebuildMacroMenu();
            FDM.SaveBackToCurrentProfileInfo();
            RefreshButtonCaptions();
            return;
        }
        const int newID = vyk::config::kMacroMenuFirst + FCurrentMacro;
        if (!BindButtonToMacro(button, *macros, FCurrentMacro, set, name)) return;
        FDM.SaveBackToCurrentProfileInfo();
        RebuildMacroMenu();
        ShowButtonCaption(button, newID);
        RebindMacroButtons();
        FDM.SaveBackToCurrentProfileInfo();
        RefreshButtonCaptions();
        return;
    }

    // A function of the table; an item that only opens its sub-menu, or an ID no item carries,
    // leaves the record's function as it was, and the tail still runs.
    const TAssignFunction* f = FindAssignFunction(ItemID);
    if (f != nullptr && f->Writes != TAssignWrite::SubMenu && !WriteFunction(*f, button, *r)) return;

    r->FunctionCode = functionCodeOfRecord(*r);
    recs[button] = *r;
    FDM.SaveBackToCurrentProfileInfo();
    ShowButtonCaption(button, ItemID);
}

bool TButtonAssignment::WriteFunction(const TAssignFunction& f, int button, TBUTTONFUNCINFO& r) const {
    // A key dialog edits a copy of the record's field, which is taken back on OK only.
    auto editedInDialog = [](auto& field, auto show) {
        auto copy = field;
        if (show(copy) != 1) return false;
        field = copy;
        return true;
    };
    switch (f.Writes) {
    case TAssignWrite::Nothing: break;
    case TAssignWrite::ClickParam: r.ClickParam = button <= 1 ? 0 : 1; break;
    case TAssignWrite::SingleKeyDialog:
        if (!editedInDialog(r.SingleKey, ShowSingleKeyDialog)) return false;
        break;
    case TAssignWrite::ComboKeyDialog:
        if (!editedInDialog(r.ComboKey, ShowComboKeyDialog)) return false;
        break;
    case TAssignWrite::FireKeyDialog:
        if (!editedInDialog(r.FireKey, ShowFireKeyDialog)) return false;
        break;
    case TAssignWrite::EditShortcut: GetEditComboKeyInfo(f.Preset, r.ComboKey); break;
    case TAssignWrite::SystemShortcut: GetSystemComboKeyInfo(f.Preset, r.ComboKey); break;
    case TAssignWrite::MediaUsage: {
        // The usage split into its low and high byte.
        THID_CODE_INFO media{};
        GetMediaHIDCodeInfo(f.Preset, media);
        r.HIDCode.nKeyValue1 = static_cast<std::uint16_t>(media.nKeyValue1 & 0xFF);
        r.HIDCode.nKeyValue2 = static_cast<std::uint16_t>(media.nKeyValue1 >> 8);
        r.HIDCode.nModifier = 0;
        break;
    }
    case TAssignWrite::ButtonMask: {
        const auto& mask = ButtonMaskTable[static_cast<std::size_t>(button)];
        std::copy(mask.begin() + 1, mask.end(), r.ButtonMask);
        break;
    }
    case TAssignWrite::Disable: GetDisabledButtonFunc(r); return true;
    case TAssignWrite::SubMenu:
    case TAssignWrite::MacroManager: return true;  // not a function of their own
    }
    r.MenuID = f.MenuID;
    r.FunctionIndex = static_cast<std::uint16_t>(f.FunctionIndex);
    r.FunctionType = f.FunctionType;
    return true;
}

void TButtonAssignment::GetSelectedMenuItemInfo(int ItemID, TSelectedMenuItemInfo& info) const {
    int top = -1, sub = -1;
    if (ItemID >= 0 && ItemID <= 99) {
        top = ItemID;
    } else if (ItemID >= 100 && ItemID <= 9999) {
        top = ItemID / 100;
        sub = ItemID % 100;
    } else if (ItemID >= 10000 && ItemID <= 999999) {
        top = ItemID / 10000;
        sub = (ItemID % 10000) / 100;
    }
    info = TSelectedMenuItemInfo{};
    info.AMenuItemId = ItemID;
    info.MacroSetIndex = 0;
    info.MacroIndex = sub - 2;
    if (top != kMacroMenuID) return;
    // Both names from the current set, the one the macro record is taken from.
    info.MacroSetName = FMacroSetClass.CurrentMacroSetName().left(TuiMacroSetClass::kMaxMacroSetNameLength);
    info.MacroSetIndex = std::max(0, FMacroSetClass.CurrentMacroSetIndex());
    const TuiMacroClass* macros = FMacroSetClass.CurrentMacroClass();
    if (info.MacroIndex >= 0 && macros != nullptr && info.MacroIndex < macros->MacroListCount()) {
        TMACROKEYINFO m{};
        macros->GetMacroKeyItem(info.MacroIndex, m);
        info.MacroName = TuiMacroClass::MacroName(m);
    }
}

// ---------------------------------------------------------------------------------------------
// Counting and lookups

int TButtonAssignment::CountLeftClickButtons() const {
    const TBUTTONFUNCINFO* recs = records(FDM);
    return static_cast<int>(std::count_if(recs, recs + kRecordCount, isClick));
}

int TButtonAssignment::CountAssignedMacros() const {
    const TBUTTONFUNCINFO* recs = records(FDM);
    QSet<int> indexes;
    for (int i = 0; i < kRecordCount; ++i) {
        if (recs[i].FunctionType == FUNCTION_TYPE_MACRO) indexes.insert(recs[i].MacroKeyInfo.nMacroIndex);
    }
    return static_cast<int>(indexes.size());
}

void TButtonAssignment::GetDisabledButtonFunc(TBUTTONFUNCINFO& info) const {
    const TAssignFunction& disable = AssignFunction(kDisableMenuID);
    info.FunctionType = disable.FunctionType;
    info.FunctionIndex = static_cast<std::uint16_t>(disable.FunctionIndex);
    info.HIDCode.nKeyValue1 = 0;
    info.HIDCode.nKeyValue2 = 0;
    info.HIDCode.nModifier = 0;
    info.MenuID = disable.MenuID;
}

// ---------------------------------------------------------------------------------------------
// Macros

namespace {

// The default set, made (and saved) when the database lacks it, and made current.
std::exception_ptr GiveDefaultMacroSet(TuiMacroSetClass& macros) {
    std::exception_ptr saveError;
    if (!macros.MacroSetExist(kDefaultMacroSet)) {
        macros.CreateNewMacroSet(kDefaultMacroSet);
        macros.SwitchToMacroSet(kDefaultMacroSet);
        macros.CreateNewMacro(QStringLiteral("Macro1"));
        macros.CreateNewMacro(QStringLiteral("Macro2"));
        try {
            macros.SaveMacroSetDB();
        } catch (...) {
            saveError = std::current_exception();
        }
    }
    macros.SwitchToMacroSet(kDefaultMacroSet);
    return saveError;
}

}  // namespace

TButtonAssignment::TMacroDbRead TButtonAssignment::ReadMacroDatabase(const TDM& dm, TuiMacroSetClass& macros) {
    TMacroDbRead read;
    try {
        macros.LoadMacrosetDB(dm.GetPersonalDocumentMacroDatabasePath());
        read.Damaged = macros.LoadDamage() != TuiMacroSetClass::TDamage::None;
        if (!read.Damaged) read.SaveError = GiveDefaultMacroSet(macros);
    } catch (...) {
        read.LoadError = std::current_exception();
    }
    return read;
}

void TButtonAssignment::FinishMacroDatabase(const TMacroDbRead& read, QStringList& problems) {
    // A database that cannot be read or written is reported; the window still comes up with
    // the rest of its data.
    if (read.LoadError) {
        guarded([&read] { std::rethrow_exception(read.LoadError); });
        return;
    }
    std::exception_ptr saveError = read.SaveError;
    if (read.Damaged) {
        guarded([this, &problems, &saveError] {
            const QString file = FMacroSetClass.BaseMacrosetDBFile();
            const QString kept = QFileInfo(FMacroSetClass.KeptAsideFile()).fileName();
            using vyk::config::kMacroDbKept;
            using vyk::config::kMacroDbNotKept;
            problems << (kept.isEmpty() ? translate(QString::fromUtf8(kMacroDbNotKept)).arg(file)
                                        : translate(QString::fromUtf8(kMacroDbKept)).arg(file, kept));
            // Before the default set comes in: a macro of the same name is not the one lost.
            NoteUnseenMacroButtons();
            saveError = GiveDefaultMacroSet(FMacroSetClass);
        });
    }
    if (saveError) guarded([&saveError] { std::rethrow_exception(saveError); });
}

void TButtonAssignment::RebindMacroButtons() {
    FMacroBinding.Rebind(FDM.FProfileIndex, records(FDM), FMacroSetClass, DisabledRecordWriter(), false);
}

vyk::config::TMacroButtonBinding::DisableFn TButtonAssignment::DisabledRecordWriter() const {
    return [this](TBUTTONFUNCINFO& r) { GetDisabledButtonFunc(r); };
}

void TButtonAssignment::NoteUnseenMacroButtons() {
    auto profile = std::make_unique<TMouseProfileInfo>();
    for (int p = 0; p < 5; ++p) {
        if (p == FDM.FProfileIndex) {
            FMacroBinding.NoteUnseen(p, records(FDM), FMacroSetClass);
        } else if (FDM.ReadProfileInfo(*profile, p)) {
            FMacroBinding.NoteUnseen(p, profile->ConfigInfo.ButtonFuncInfo, FMacroSetClass);
        }
    }
}

void TButtonAssignment::RebindMacroButtonsInAllProfiles() {
    TDM& dm = FDM;
    auto profile = std::make_unique<TMouseProfileInfo>();
    for (int p = 0; p < 5; ++p) {
        if (p == dm.FProfileIndex) {
            if (FMacroBinding.Rebind(p, records(dm), FMacroSetClass, DisabledRecordWriter(), true)) {
                dm.SaveBackToCurrentProfileInfo();
            }
            continue;
        }
        if (!dm.ReadProfileInfo(*profile, p)) continue;
        if (FMacroBinding.Rebind(p, profile->ConfigInfo.ButtonFuncInfo, FMacroSetClass, DisabledRecordWriter(), true)) {
            dm.SaveBackToProfileInfo(*profile, p);
            dm.SetProfileChanged(p, true);
        }
    }
}

void TButtonAssignment::RebuildMacroMenu() {
    if (UIMENUEX1 == nullptr) return;
    TuiMenuItemEx* macroItem = itemOfID(*UIMENUEX1, kMacroMenuID);
    if (macroItem == nullptr) return;
    TuiMenuItemsEx& sub = macroItem->SubItems();
    sub.Clear();
    sub.Add(translate(QString::fromUtf8(AssignFunction(kMacroManagerMenuID).Caption)));
    const TuiMacroClass* macros = FMacroSetClass.CurrentMacroClass();
    const int n = macros ? std::min(macros->MacroListCount(), 30) : 0;
    for (int k = 0; k < n; ++k) {
        TMACROKEYINFO m{};
        macros->GetMacroKeyItem(k, m);
        sub.Add(translate(QStringLiteral("MACRO")) + QStringLiteral(" #%1 <").arg(m.nMacroIndex + 1) +
                TuiMacroClass::MacroName(m) + QStringLiteral(">"));
    }
    for (int i = 0; i < sub.Count(); ++i) sub.Items(i)->SetName(QStringLiteral("ITEM%1").arg(i + 1));
}

// ---------------------------------------------------------------------------------------------
// Captions and hints

void TButtonAssignment::ShowButtonCaption(int ButtonIndex, int MenuID) {
    if (ButtonIndex < 0 || ButtonIndex >= ASSIGN_BUTTON_COUNT || ButtonAssign == nullptr) return;
    QString text;
    if (MenuID > 0 && MenuID < 1000000 && UIMENUEX1 != nullptr) {
        if (TuiMenuItemEx* item = itemOfID(*UIMENUEX1, MenuID)) text = translate(item->Caption());
    }
    const TAssignFunction* f = FindAssignFunction(MenuID);
    switch (f != nullptr ? f->Shows : TAssignCaption::Item) {
    case TAssignCaption::Item: break;
    case TAssignCaption::SingleKey: {
        const QString k = GetSingleKeyText(ButtonIndex);
        if (!k.isEmpty()) text = k;
        break;
    }
    case TAssignCaption::ComboKey: {
        QString k = GetComboKeyText(ButtonIndex);
        if (!k.isEmpty()) {
            if (k.size() > 12) k = k.left(9) + QStringLiteral("...");
            text = k;
        }
        break;
    }
    case TAssignCaption::MacroNumber:
        text = translate(QStringLiteral("MACRO")) +
               QStringLiteral(" #%1").arg(records(FDM)[ButtonIndex].MacroKeyInfo.nMacroIndex + 1);
        break;
    }
    ButtonAssign->SetCaption(ButtonIndex, text);
}

int TButtonAssignment::CaptionMenuID(int ButtonIndex, const TBUTTONFUNCINFO& r) const {
    // A macro the database does not show has no row in the MACRO menu: its number is shown.
    if (FMacroBinding.IsUnseen(FDM.FProfileIndex, ButtonIndex, r)) return kMacroMenuID;
    return r.MenuID != 0 ? r.MenuID : MenuIDOfFunctionIndex(r.FunctionIndex);
}

void TButtonAssignment::RefreshButtonCaptions() {
    RebuildMacroMenu();
    const TBUTTONFUNCINFO* recs = records(FDM);
    for (int i = 0; i < ASSIGN_BUTTON_COUNT; ++i) ShowButtonCaption(i, CaptionMenuID(i, recs[i]));
}

// SetButton: the first refresh command.
void TButtonAssignment::SetButtonCaptions() {
    auto recs = std::make_unique<std::array<TBUTTONFUNCINFO, kRecordCount>>();
    std::copy_n(records(FDM), kRecordCount, recs->begin());
    const int count = std::min(FDM.FCurrentProfileInfo.ConfigInfo.ButtonCount, ASSIGN_BUTTON_COUNT);
    for (int i = 0; i < count; ++i) {
        ShowButtonCaption(i, CaptionMenuID(i, (*recs)[static_cast<std::size_t>(i)]));
    }
}

QString TButtonAssignment::GetSingleKeyText(int ButtonIndex) const {
    const TBUTTONFUNCINFO& r = records(FDM)[ButtonIndex];
    const QString text = vyk::defs::recordText(r.SingleKey.SingleKeyText);
    if (!text.isEmpty()) return translate(text);
    if (r.FunctionCode == FUNCTION_CODE_SINGLE_KEY)
        return GetKeyDescription(r.SingleKey.nKeyValue1, r.SingleKey.nKey1Extended);
    return {};
}

QString TButtonAssignment::GetComboKeyText(int ButtonIndex) const {
    const TBUTTONFUNCINFO& r = records(FDM)[ButtonIndex];
    const QString text = vyk::defs::recordText(r.ComboKey.ComboKeyText);
    if (!text.isEmpty()) return translate(text);
    if (r.FunctionCode != FUNCTION_CODE_COMBO_KEY) return {};
    const QString k1 = GetKeyDescription(r.ComboKey.nKeyValue1, r.ComboKey.nKey1Extended);
    const QString k2 = GetKeyDescription(r.ComboKey.nKeyValue2, r.ComboKey.nKey2Extended);
    QString out;
    if (!k1.isEmpty()) out = GetModifierText(static_cast<std::uint8_t>(r.ComboKey.nModifier)) + k1;
    if (!k2.isEmpty()) out += QStringLiteral("+") + k2;
    return out;
}

QString TButtonAssignment::GetMacroText(int ButtonIndex) const {
    const TBUTTONFUNCINFO& r = records(FDM)[ButtonIndex];
    if (r.FunctionCode != FUNCTION_CODE_MACRO) return {};
    return translate(QStringLiteral("MACRO")) + QStringLiteral(" #%1 <").arg(r.MacroKeyInfo.nMacroIndex + 1) +
           vyk::defs::recordText(r.MacroKeyInfo.szMacroName).left(50) + QStringLiteral(" >");
}

void TButtonAssignment::UpdateButtonHint(int ButtonIndex) {
    if (ButtonIndex < 0 || ButtonIndex >= ASSIGN_BUTTON_COUNT || ButtonAssign == nullptr) return;
    QString hint;
    switch (records(FDM)[ButtonIndex].FunctionCode) {
    case FUNCTION_CODE_SINGLE_KEY: hint = GetSingleKeyText(ButtonIndex); break;
    case FUNCTION_CODE_COMBO_KEY: hint = GetComboKeyText(ButtonIndex); break;
    case FUNCTION_CODE_MACRO: hint = GetMacroText(ButtonIndex); break;
    default: break;
    }
    ButtonAssign->SetHint(ButtonIndex, hint);
}
