// Recording and action editing in the macro manager TFrmMacro (window in macrofrm.cpp, lists
// in MacroLists.cpp): START and STOP, the live preview rows, the conversion of a recording into
// actions, the action edit tools, the mouse-button actions and the delay edit of an action row.

#include "config/dialogs/macrofrm.h"

#include "config/dialogs/MacroListModel.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/uiMenuEx.h"
#include "core/macro/uiMacroClassUnit.h"
#include "platform/diag/diag.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QSpinBox>

namespace {

// The manager adds at most this many actions itself (live rows, conversion, mouse actions).
constexpr int kMaxManagerActions = 59;
// A live delay row is shown only for pauses shorter than this (ms).
constexpr std::uint32_t kLiveDelayLimit = 10000;

TMACROKEY action(std::uint16_t type, std::uint16_t state, std::uint8_t v1, std::uint8_t v2) {
    TMACROKEY a{};
    a.nKeyType = type;
    a.nKeyState = state;
    a.VALUE1 = v1;
    a.VALUE2 = v2;
    return a;
}

}  // namespace

void TFrmMacro::SetEditControlsEnabled(bool enabled) {
    for (TImageStateButton* b : findChildren<TImageStateButton*>()) {
        if (b->objectName().toUpper() == QLatin1String("BTNMACROSTOP")) continue;
        b->setEnabled(enabled);
    }
    BSBTNNEWMACRO->setEnabled(enabled);
    BSBTNDELETEMACRO->setEnabled(enabled && MacroListIndex() >= 0);
    ListBoxMacroKey->setEnabled(enabled);
    ListBoxMacroList->setEnabled(enabled && MacroList->rowCount() > 0);
}

void TFrmMacro::SetRecordingKeyBlock(bool on) {
    if (on == FKeyBlock) return;
    FKeyBlock = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool TFrmMacro::eventFilter(QObject* watched, QEvent* event) {
    // While recording, keys that reach this window (the first key of a recording, or every key
    // where the hook library watches our own windows) are the recording's: no control acts on
    // them. The hook library looks at the window object itself, which is left alone here.
    if (FKeyBlock && watched->isWidgetType()) {
        const auto type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->window() == this) {
                event->accept();
                return true;
            }
        }
    }
    return TSkinDialog::eventFilter(watched, event);
}

void TFrmMacro::BtnMacroStopClick(TImageStateButton* sender) {
    const bool start = sender == nullptr || sender->Tag() == 0;
    if (!FRecording && (SelectedMacroRow() < 0 || MacroList->rowCount() == 0 || MacroListIndex() < 0)) {
        BtnMacroStart->SetPressed(false);
        if (!start) BtnMacroStop->SetPressed(false);
        return;
    }
    LayoutActionsFull->hide();
    if (start) {
        if (FRecording) return;
        FRecordMode = TRecordMode::Replace;
        FReplacePos = 0;
        FRecordMacroIndex = MacroListIndex();
        ActionRows->Clear();
        lableTotalActions->setText(QStringLiteral("0"));
        uiHook1->RecordKeyboardMacroKeyEx();
        SetEditControlsEnabled(false);
        BtnMacroStart->SetPressed(true);
        BtnMacroStop->SetPressed(true);
        BtnMacroStop->setEnabled(true);
        FRecording = true;
        SetRecordingKeyBlock(true);
        setFocus(Qt::OtherFocusReason);
        return;
    }
    if (FRecording) StopRecording();
}

void TFrmMacro::StopRecording() {
    // The hook client hands its list to uiHook1StopRecordKeyboardMacroKey from inside Stop.
    uiHook1->StopRecordKeyboardMacroKeyEx();
    BtnMacroStart->SetPressed(false);
    FReplacePos = 0;
    FInsertAfterPos = 0;
    FRecording = false;
    SetRecordingKeyBlock(false);
    SetEditControlsEnabled(true);
    BtnMacroStop->SetPressed(false);
    BtnMacroStop->setEnabled(false);
    FRecordMacroIndex = -1;
}

void TFrmMacro::StartRecordAfter() {
    FRecordMode = TRecordMode::InsertAfter;
    FRecordMacroIndex = MacroListIndex();
    LayoutActionsFull->hide();
    BtnMacroStart->SetPressed(true);
    BtnMacroStop->SetPressed(true);
    BtnMacroStop->setEnabled(true);
    uiHook1->RecordKeyboardMacroKeyEx();
    SetEditControlsEnabled(false);
    FRecording = true;
    SetRecordingKeyBlock(true);
    setFocus(Qt::OtherFocusReason);
}

int TFrmMacro::NextLiveRowIndex() {
    if (FRecordMode == TRecordMode::Replace) return FReplacePos++;
    return ++FInsertAfterPos;
}

void TFrmMacro::uiHook1RecordKeyboardMacroKeyEx(int /*MacroType*/, int /*Key1*/, int AState, int /*Extended*/,
                                                double /*Time*/, std::uint32_t TotalTime, const QString& MacroKeyString,
                                                const QString& /*MacroKeyStateString*/, TMacroKeyList& /*KeyList*/) {
    if (!FRecording) return;
    LayoutActionsFull->hide();
    if (ActionRows->Count() >= kMaxManagerActions) {
        LayoutActionsFull->show();
        return;
    }
    const bool custom = BtnCustomDelay->IsPressed();
    if ((TotalTime > 0 || custom) && TotalTime < kLiveDelayLimit && ActionRows->Count() >= 1 &&
        BtnAutoDelay->IsPressed()) {
        const QString text = custom ? QString::number(NumBoxDelay->value()) : QString::number(TotalTime);
        const int at = NextLiveRowIndex();
        ActionRows->InsertRow(at, MacroActionModel::Kind::Delay, text);
        ListBoxMacroKey->scrollTo(ActionRows->index(std::min(at, ActionRows->Count() - 1)));
    }
    const int at = NextLiveRowIndex();
    ActionRows->InsertRow(at, AState == 0 ? MacroActionModel::Kind::KeyUp : MacroActionModel::Kind::KeyDown,
                          MacroKeyString);
    ListBoxMacroKey->scrollTo(ActionRows->index(std::min(at, ActionRows->Count() - 1)));
    lableTotalActions->setText(QString::number(ActionRows->Count()));
}

void TFrmMacro::uiHook1StopRecordKeyboardMacroKey(TMacroKeyList& KeyList) {
    if (FMacroSetClass == nullptr) return;
    TuiMacroClass* macros = FMacroSetClass->CurrentMacroClass();
    if (macros == nullptr || macros->IsEmpty()) return;
    // The recording belongs to the macro it was started on.
    if (FRecordMacroIndex >= 0 && FRecordMacroIndex != macros->MacroListIndex())
        macros->SetMacroListIndex(FRecordMacroIndex);
    if (macros->MacroListIndex() < 0 || macros->CurrentMacroAction() == nullptr) return;

    TMACROKEYINFO info{};
    macros->GetCurrentMacroKeyItem(info);
    if (!uiHook1->DLLLoaded() && KeyList.Count() == 0) {
        // Nothing could be recorded: the macro keeps its actions.
        ShowMacroActions(info);
        return;
    }

    const bool recordDelays = BtnAutoDelay->IsPressed();
    const bool custom = BtnCustomDelay->IsPressed();
    info.nLoopCount =
        static_cast<std::uint16_t>(BtnMacroLoop->IsPressed() && BoxMacroLoop->value() > 0 ? BoxMacroLoop->value() : 0);

    int built = 0;
    bool haveLastKey = false;
    int lastKeySum = 0;
    for (int i = 0; i < KeyList.Count() && built < kMaxManagerActions; ++i) {
        const TMACROKEYHOOK& item = KeyList.Objects(i)->FMacroKey;
        if (item.nKeyType == 0) {
            if (!recordDelays) continue;
            int delay = custom ? NumBoxDelay->value() : item.nKeyValue;
            if (delay <= 0) delay = 1;
            delay = std::min(delay, 65535);
            info.MacroList[built++] =
                action(TuiActionsClass::kKeyTypeDelay, item.nKeyState, static_cast<std::uint8_t>(delay & 0xFF),
                       static_cast<std::uint8_t>(delay >> 8));
        } else if (item.nKeyType == 1) {
            // Press and release, extended or not, each get a place of their own in the key, so
            // a press is never taken for a repeat of an extended release.
            const int sum = item.nKeyState * 512 + item.nKeyValueExtended * 256 + item.nKeyValue;
            if (haveLastKey && sum == lastKeySum) continue;
            info.MacroList[built++] =
                action(TuiActionsClass::kKeyTypeKey, item.nKeyState, static_cast<std::uint8_t>(item.nKeyValue & 0xFF),
                       static_cast<std::uint8_t>(item.nKeyValueExtended & 0xFF));
            haveLastKey = true;
            lastKeySum = sum;
        }
    }
    info.MacroListCount = built;
    info.nAutoAddDelay = recordDelays ? 1 : 0;

    TuiActionsClass* actions = macros->CurrentMacroAction();
    if (FRecordMode == TRecordMode::Replace) {
        actions->SetMacroKeyInfo(info);
    } else {
        // Behind the action the recording was started after, where the preview showed the rows.
        const int anchor = std::min(FInsertAnchor, actions->GetCount() - 1);
        if (anchor >= 0)
            macros->InsertMacroAfter(info, anchor);
        else if (actions->GetCount() == 0)
            macros->InsertMacroAfter(info, 0);
        else
            macros->InsertMacro(info, 0);
    }
    AfterActionEdit();
}

// Save-back, error check and repair, and the view shown again: the common end of every edit.
void TFrmMacro::AfterActionEdit() {
    TuiMacroClass* macros = FMacroSetClass->CurrentMacroClass();
    if (TuiActionsClass* actions = macros->CurrentMacroAction()) {
        actions->CheckErrors();
        actions->RemoveErrors();
    }
    // After the repair, so the database in memory holds the repaired macro.
    FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();
    TMACROKEYINFO info{};
    macros->GetCurrentMacroKeyItem(info);
    ShowMacroActions(info);
    UpdateErrorIcon(macros->MacroListIndex());
}

void TFrmMacro::DoActionEditToolClick(TImageStateButton* sender) {
    if (FRecording || FMacroSetClass == nullptr || MacroListIndex() < 0) return;  // no macro: nothing to edit
    TuiMacroClass* macros = FMacroSetClass->CurrentMacroClass();
    TuiActionsClass* actions = macros->CurrentMacroAction();
    if (actions == nullptr) return;

    if (sender == BSBTNInsertAction) {
        int anchor = SelectedActionRow();
        AfterActionEdit();
        anchor = std::min(anchor, ActionRows->Count() - 1);
        FInsertAnchor = anchor;
        FInsertAfterPos = anchor;
        StartRecordAfter();
        return;
    }
    const int at = actions->ActionIndex();
    if (sender == bsbtnDeleteAction)
        actions->DeleteAction(at);
    else if (sender == bsbtnMoveUpAction)
        actions->MoveUpAction(at);
    else if (sender == bsbtnMoveDownAction)
        actions->MoveDownAction(at);
    else if (sender == bsbtnCopyAction)
        actions->CopyAction(at);
    else if (sender == bsbtnCutAction)
        actions->CutAction(at);
    else if (sender == BSBTNPasteaction)
        actions->PasteAction(at);
    else
        return;
    AfterActionEdit();
}

void TFrmMacro::BuildMouseActionMenu() {
    uiMenuExMouseEvent = std::make_unique<TuiMenuEx>();
    for (const char* item : {"LEFT BUTTON", "RIGHT BUTTON", "MIDDLE BUTTON"})
        uiMenuExMouseEvent->Items().Add(QString::fromLatin1(item));  // item IDs 1, 2, 3
    // Dark rows, a red glow under the pointer, white text, no check column.
    uiMenuExMouseEvent->SetUseCustomMenuParams(true);
    uiMenuExMouseEvent->SetFunctionItemIndex(0);
    TMenuParams& p = uiMenuExMouseEvent->Parameters();
    p.ItemNormalFill = MenuLinearGradient({{0, 0xFF1B1B1B}, {1, 0xFF000000}});
    p.ItemOverFill = MenuLinearGradient({{0, 0xFE980000}, {1, 0xFF000000}});
    p.ItemDownFill = p.ItemOverFill;
    p.ItemCheckFill = QBrush(Qt::NoBrush);
    p.ItemExtenderFill = QBrush(QColor::fromRgba(0xFFB00202));
    p.ItemFontFill = QBrush(QColor::fromRgba(0xFFFFFFFF));
    p.ItemFont = vyk::config::TextFont(13);
    p.ItemHeight = 20;
    p.ItemWidth = 400;
    p.ItemShowCheck = false;
    p.ItemAutoSize = false;
    p.MenuShowSelectedState = false;
}

void TFrmMacro::bsbtnMouseEventClick() {
    if (FRecording || FMacroSetClass == nullptr || MacroListIndex() < 0) return;
    uiMenuExMouseEvent->ShowMainMenu(0, LayoutMMBOTTOM, TvgPlacement::Right);
}

void TFrmMacro::uiMenuExMouseEventItemsClick(quint32 itemID) { InsertMouseAction(itemID, BtnAutoDelay->IsPressed()); }

void TFrmMacro::InsertMouseAction(quint32 itemID, bool recordDelays) {
    if (FMacroSetClass == nullptr || MacroListIndex() < 0) return;
    TuiMacroClass* macros = FMacroSetClass->CurrentMacroClass();
    TuiActionsClass* actions = macros->CurrentMacroAction();
    if (actions == nullptr) return;
    std::uint8_t mask = 0;
    switch (itemID) {
    case 1: mask = 1; break;
    case 2: mask = 2; break;
    case 3: mask = 4; break;
    default: return;
    }
    std::vector<TMACROKEY> added{action(TuiActionsClass::kKeyTypeMouseButton, 1, mask, 0)};
    if (recordDelays) added.push_back(action(TuiActionsClass::kKeyTypeDelay, 0, 10, 0));
    added.push_back(action(TuiActionsClass::kKeyTypeMouseButton, 0, mask, 0));
    const int n = static_cast<int>(added.size());
    if (actions->GetCount() + n > kMaxManagerActions) return;
    const int pos = actions->GetCount() > 0 && actions->ActionIndex() >= 0 ? actions->ActionIndex() : 0;
    for (int k = 0; k < n; ++k) actions->InsertActionAfter(added[static_cast<std::size_t>(k)], pos + k);
    actions->SetActionIndex(pos + n);
    AfterActionEdit();
}

// ---------------------------------------------------------------------------------------------
// Delay edit

void TFrmMacro::DelayEditChange(int row, qint64 value) {
    if (FMacroSetClass == nullptr) return;
    TuiMacroClass* macros = FMacroSetClass->CurrentMacroClass();
    TuiActionsClass* actions = macros != nullptr ? macros->CurrentMacroAction() : nullptr;
    if (actions == nullptr) return;
    const int delay = static_cast<int>(std::clamp<qint64>(value, 1, 65535));
    actions->SetDelayValue(row, delay);
    FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();
    ActionRows->SetRowText(row, QString::number(actions->GetDelayValue(row)));
    UpdateTotalDelay();
}
