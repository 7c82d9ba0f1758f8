// The macro manager's two lists (window and controls in macrofrm.cpp): the macro list of the
// current set and the action list of the current macro, filled from the model, selection,
// scrolling, the error icons, and NEW and DELETE of macros.

#include "config/dialogs/macrofrm.h"

#include "config/dialogs/MacroListModel.h"
#include "config/dialogs/macrocreat.h"
#include "config/dialogs/showdialog.h"
#include "config/toolkit/ImageStateButton.h"
#include "core/defs/uiKeyCode.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroClassUnit.h"
#include "platform/diag/diag.h"

#include <QLabel>
#include <QListView>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>

using vyk::platform::guarded;
using vyk::toolkit::translate;

int TFrmMacro::MacroListIndex() const {
    if (FMacroSetClass == nullptr || FMacroSetClass->CurrentMacroClass() == nullptr) return -1;
    return FMacroSetClass->CurrentMacroClass()->MacroListIndex();
}

// The current row is the selected one (single selection); it is already set when the change
// handlers run, the selection not yet.
int TFrmMacro::SelectedMacroRow() const {
    const QModelIndex i = ListBoxMacroList->selectionModel()->currentIndex();
    return i.isValid() ? i.row() : -1;
}

int TFrmMacro::SelectedActionRow() const {
    const QModelIndex i = ListBoxMacroKey->selectionModel()->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TFrmMacro::SelectMacroRow(int row) {
    if (row < 0 || row >= MacroList->rowCount()) return;
    ListBoxMacroList->setCurrentIndex(MacroList->index(row));
}

void TFrmMacro::LoadMacroList() {
    ListBoxMacroList->setEnabled(false);
    {
        const QScopedValueRollback<bool> filling(FFilling, true);
        MacroList->Reload(nullptr);
    }
    TuiMacroClass* macros = FMacroSetClass != nullptr ? FMacroSetClass->CurrentMacroClass() : nullptr;
    if (macros == nullptr || macros->IsEmpty()) {
        ActionRows->Clear();
        UpdateTotalDelay();
        lableTotalActions->setText(QStringLiteral("0"));
        BSBTNDELETEMACRO->setEnabled(false);
        return;
    }
    ListBoxMacroList->setEnabled(!FRecording);
    {
        const QScopedValueRollback<bool> filling(FFilling, true);
        MacroList->Reload(macros);
    }
    if (!FRecording) ListBoxMacroList->setFocus(Qt::OtherFocusReason);
    // Selecting the row runs the change handler, which shows the macro's actions.
    SelectMacroRow(macros->MacroListIndex());
    if (macros->MacroListIndex() >= 0) {
        TMACROKEYINFO info{};
        macros->GetCurrentMacroKeyItem(info);
        ShowMacroActions(info);
    }
    UpdateAllErrorIcons();
}

void TFrmMacro::ShowMacroActions(const TMACROKEYINFO& info) {
    const QScopedValueRollback<bool> filling(FFilling, true);
    ListBoxMacroList->setEnabled(false);
    ActionRows->Clear();

    // Options: the buttons first, then the box, with no handler running.
    {
        const QSignalBlocker block(BoxMacroLoop);
        BTNLOOPRUN->SetPressed(info.nLoopRunWhenPressed > 0);
        if (info.nLoopRunWhenPressed > 0) {
            BtnMacroLoop->SetPressed(false);
        } else {
            BtnMacroLoop->SetPressed(info.nLoopCount > 0);
        }
        BoxMacroLoop->setMinimum(BtnMacroLoop->IsPressed() ? 1 : 0);
        BoxMacroLoop->setValue(BtnMacroLoop->IsPressed() ? std::min<int>(info.nLoopCount, 255) : 0);
        BoxMacroLoop->setEnabled(BtnMacroLoop->IsPressed());
    }

    // One row per action, so a row's position is its action's (a delay edit never lands on
    // another action); actions without a template of their own get a plain row.
    const int n = TuiActionsClass::StoredActionCount(info);
    for (int i = 0; i < n; ++i) {
        const TMACROKEY& a = info.MacroList[i];
        using Kind = MacroActionModel::Kind;
        const bool pressOrRelease = a.nKeyState == 1 || a.nKeyState == 0;
        if (a.nKeyType == TuiActionsClass::kKeyTypeDelay) {
            ActionRows->AddRow(Kind::Delay, QString::number(a.VALUE2 * 256 + a.VALUE1));
        } else if (a.nKeyType == TuiActionsClass::kKeyTypeKey && pressOrRelease) {
            ActionRows->AddRow(a.nKeyState == 1 ? Kind::KeyDown : Kind::KeyUp,
                               QStringLiteral(" ") + GetKeyDescription(a.VALUE1, a.VALUE2));
        } else if (a.nKeyType == TuiActionsClass::kKeyTypeMouseButton && pressOrRelease) {
            ActionRows->AddRow(a.nKeyState == 1 ? Kind::MouseDown : Kind::MouseUp,
                               QStringLiteral(" ") + translate(GetKeyDescription(a.VALUE1, 0).trimmed()));
        } else {
            ActionRows->AddRow(Kind::Other, QString());
        }
    }

    // While a recording runs the macro list stays locked (the recording belongs to this macro).
    ListBoxMacroList->setEnabled(!FRecording && MacroList->rowCount() > 0);
    BtnAutoDelay->SetPressed(info.nAutoAddDelay == 1);

    TuiMacroClass* macros = FMacroSetClass != nullptr ? FMacroSetClass->CurrentMacroClass() : nullptr;
    TuiActionsClass* actions = macros != nullptr ? macros->CurrentMacroAction() : nullptr;
    if (actions != nullptr && actions->ActionIndex() >= 0 && actions->ActionIndex() < ActionRows->Count()) {
        ListBoxMacroKey->setCurrentIndex(ActionRows->index(actions->ActionIndex()));
        FInsertAfterPos = actions->ActionIndex();
    }
    UpdateTotalDelay();
    lableTotalActions->setText(QString::number(ActionRows->Count()));
}

void TFrmMacro::UpdateTotalDelay() {
    TuiMacroClass* macros = FMacroSetClass != nullptr ? FMacroSetClass->CurrentMacroClass() : nullptr;
    TuiActionsClass* actions = macros != nullptr && !macros->IsEmpty() ? macros->CurrentMacroAction() : nullptr;
    LabelAllDelayTime->setText(actions != nullptr ? QString::number(actions->TotalDelay()) : QStringLiteral("0"));
}

void TFrmMacro::UpdateErrorIcon(int) {
    // The rows take their icon from the model: refresh the whole snapshot (at most 30 rows).
    UpdateAllErrorIcons();
}

void TFrmMacro::UpdateAllErrorIcons() {
    TuiMacroClass* macros = FMacroSetClass != nullptr ? FMacroSetClass->CurrentMacroClass() : nullptr;
    if (macros == nullptr) return;
    const QScopedValueRollback<bool> filling(FFilling, true);
    const int row = SelectedMacroRow();
    MacroList->Reload(macros);
    if (row >= 0 && row < MacroList->rowCount()) ListBoxMacroList->setCurrentIndex(MacroList->index(row));
}

void TFrmMacro::ListBoxMacroListChange() {
    const int row = SelectedMacroRow();
    if (row >= 0 && MacroList->rowCount() > 0) {
        BSBTNDELETEMACRO->setEnabled(!FRecording);
        TuiMacroClass* macros = FMacroSetClass->CurrentMacroClass();
        macros->SetMacroListIndex(row);
        if (macros->MacroListIndex() >= 0) {
            TMACROKEYINFO info{};
            macros->GetCurrentMacroKeyItem(info);
            // A macro that cannot be shown leaves the list as it was.
            guarded([&] { ShowMacroActions(info); });
        }
    } else {
        BSBTNDELETEMACRO->setEnabled(false);
    }
}

void TFrmMacro::ListBoxMacroListClick() {
    const int row = SelectedMacroRow();
    if (row < 0 || FMacroSetClass == nullptr) return;
    TuiMacroClass* macros = FMacroSetClass->CurrentMacroClass();
    ActionRows->Clear();
    macros->SetMacroListIndex(row);
    TMACROKEYINFO info{};
    macros->GetCurrentMacroKeyItem(info);
    ShowMacroActions(info);
}

void TFrmMacro::ListBoxMacroKeyChange() {
    const int row = SelectedActionRow();
    if (FRecording) return;  // live rows move the selection; the anchor of the recording stays
    FInsertAfterPos = row;
    if (FFilling || FMacroSetClass == nullptr) return;
    TuiMacroClass* macros = FMacroSetClass->CurrentMacroClass();
    if (TuiActionsClass* actions = macros != nullptr ? macros->CurrentMacroAction() : nullptr)
        actions->SetActionIndex(row);
}

void TFrmMacro::ScrollMacroListUp() {
    if (MacroList->rowCount() == 0) return;
    QScrollBar* bar = ListBoxMacroList->verticalScrollBar();
    bar->setValue(bar->value() - ListBoxMacroList->sizeHintForRow(0));
}

void TFrmMacro::ScrollMacroListDown() {
    if (MacroList->rowCount() == 0) return;
    QScrollBar* bar = ListBoxMacroList->verticalScrollBar();
    bar->setValue(bar->value() + ListBoxMacroList->sizeHintForRow(0));
}

// ---------------------------------------------------------------------------------------------
// NEW and DELETE

void TFrmMacro::BSBTNNEWMACROClick() {
    if (FMacroSetClass == nullptr) return;
    if (FMacroSetClass->CurrentMacroClass()->IsFull()) {
        ShowDialog(translate(QStringLiteral("WARNING")), translate(QStringLiteral("TOO MANY MACROS TO BE CREATE!")));
        return;
    }
    QString name;
    if (ShowCreateMacroDialog(name) == 1) {
        AddNewMacro(name);
        FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();
    }
}

void TFrmMacro::AddNewMacro(const QString& name) {
    if (name.isEmpty() || FMacroSetClass == nullptr) return;
    const int existing = MacroList->RowOfName(name);
    if (existing >= 0) {
        ListBoxMacroList->setFocus(Qt::OtherFocusReason);
        SelectMacroRow(existing);
        return;
    }
    if (FMacroSetClass->CurrentMacroClass()->CreateNewMacro(name)) LoadMacroList();
}

void TFrmMacro::BSBTNDELETEMACROClick() {
    if (FMacroSetClass == nullptr || MacroListIndex() == -1) return;
    if (ShowDialog(translate(QStringLiteral("DELETE THIS MACRO?")),
                   translate(QStringLiteral("ARE YOU SURE YOU WANT TO DELETE THIS MACRO?"))) == 2)
        return;
    // By position: names in a loaded file need not be unique.
    const int row = SelectedMacroRow() >= 0 ? SelectedMacroRow() : MacroListIndex();
    FMacroSetClass->DeleteMacro(row);
    FMacroSetClass->SaveBackCurrentMacroClassDataToCurrentMacroList();
    LoadMacroList();
}
