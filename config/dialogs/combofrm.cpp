#include "config/dialogs/combofrm.h"

#include "config/toolkit/ImageStateButton.h"
#include "core/defs/uiKeyCode.h"
#include "core/hook/uiHook.h"
#include "platform/diag/diag.h"

#include <QLabel>
#include <QLineEdit>

TFrmCombo::TFrmCombo(QWidget* parent) : KeyCaptureDialog(parent) {
    setObjectName(QStringLiteral("FrmCombo"));
    Label2 = AddTitle(QStringLiteral("ASSIGN COMBO KEY"), 20, 34, 16);
    Label1 = AddInstruction(
        QStringLiteral(
            "PLEASE ENTER THE KEY COMBINATION, IT CAN BE A WIN, CTRL, SHIFT, ALT + ANY OF THE KEYBOARD KEYS."),
        60, 60);
    TextCombo = AddKeyBox(QStringLiteral("TextCombo"), 74, 130, 330, 34);
    BtnOK = AddButton(QStringLiteral("BtnOK"), QStringLiteral("OK"), 114, 230);
    BTNCANCEL = AddButton(QStringLiteral("BTNCANCEL"), QStringLiteral("CANCEL"), 254, 230);
    QObject::connect(BtnOK, &QAbstractButton::clicked, this,
                     [this] { vyk::platform::guarded([this] { BtnOKClick(); }); });
    QObject::connect(BTNCANCEL, &QAbstractButton::clicked, this,
                     [this] { vyk::platform::guarded([this] { done(2); }); });

    uiHook = std::make_unique<TuiHook>();
    uiHook->OnRecordKeyboardComboKey = [this](int k1, int e1, int k2, int e2, int modifier, const QString& text) {
        uiHookRecordKeyboardComboKey(k1, e1, k2, e2, modifier, text);
    };
}

TFrmCombo::~TFrmCombo() { uiHook.reset(); }

void TFrmCombo::ShowKeyText() {
    const QString modifiers = GetModifierText(static_cast<std::uint8_t>(FComboKey.nModifier));
    const QString name1 = GetKeyDescription(FComboKey.nKeyValue1, FComboKey.nKey1Extended);
    const QString name2 = GetKeyDescription(FComboKey.nKeyValue2, FComboKey.nKey2Extended);
    if (!name1.isEmpty()) TextCombo->setText(modifiers + name1);
    if (!name2.isEmpty()) TextCombo->setText(TextCombo->text() + QLatin1Char('+') + name2);
}

void TFrmCombo::showEvent(QShowEvent* event) {
    KeyCaptureDialog::showEvent(event);
    vyk::platform::guarded([this] { StartCaptureOnShow([this] { uiHook->RecordKeyboardComboKey(); }); });
}

void TFrmCombo::hideEvent(QHideEvent* event) {
    vyk::platform::guarded([this] { StopCaptureOnHide([this] { uiHook->StopRecordKeyboardComboKey(); }); });
    KeyCaptureDialog::hideEvent(event);
}

void TFrmCombo::uiHookRecordKeyboardComboKey(int Key1, int Key1Extended, int Key2, int Key2Extended, int Modifier,
                                             const QString& ComboKeyString) {
    if (RefuseUnsendableKey(Key1, Key1Extended) || RefuseUnsendableKey(Key2, Key2Extended)) return;
    ClearRefusal();
    TextCombo->setText(ComboKeyString);
    FComboKey.nKeyValue1 = static_cast<std::uint16_t>(Key1);
    FComboKey.nKey1Extended = static_cast<std::uint16_t>(Key1Extended);
    FComboKey.nKeyValue2 = static_cast<std::uint16_t>(Key2);
    FComboKey.nKey2Extended = static_cast<std::uint16_t>(Key2Extended);
    FComboKey.nModifier = static_cast<std::uint16_t>(Modifier);
}

void TFrmCombo::BtnOKClick() {
    // Keys or modifiers alone: something the mouse sends.
    const bool keySet = vyk::config::KeyboardUsage(FComboKey.nKeyValue1, FComboKey.nKey1Extended) != 0 ||
                        vyk::config::KeyboardUsage(FComboKey.nKeyValue2, FComboKey.nKey2Extended) != 0 ||
                        (FComboKey.nModifier & 0x0F) != 0;
    if (KeySetOrRefuse(keySet)) done(1);
}

int ShowComboKeyDialog(TCOMBOKEYINFO& info) {
    TFrmCombo form;
    form.FComboKey = info;
    form.ShowKeyText();
    const int result = form.exec();
    info = form.FComboKey;
    return result == 1 ? 1 : 2;
}
