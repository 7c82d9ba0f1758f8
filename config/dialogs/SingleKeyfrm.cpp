#include "config/dialogs/SingleKeyfrm.h"

#include "config/toolkit/ImageStateButton.h"
#include "core/defs/uiKeyCode.h"
#include "core/hook/uiHook.h"
#include "platform/diag/diag.h"

#include <QLabel>
#include <QLineEdit>

TFrmSingleKey::TFrmSingleKey(QWidget* parent) : KeyCaptureDialog(parent) {
    setObjectName(QStringLiteral("FrmSingleKey"));
    Label2 = AddTitle(QStringLiteral("ASSIGN ONE KEYBOARD KEY"), 20, 34, 16);
    Label1 = AddInstruction(QStringLiteral("PLEASE ENTER A SINGLE KEY, IT CAN BE A ANY KEY ON THE KEYBOARD"), 62, 54);
    TextSingle = AddKeyBox(QStringLiteral("TextSingle"), 104, 130, 270, 34);
    BTNOK = AddButton(QStringLiteral("BTNOK"), QStringLiteral("OK"), 114, 230);
    BTNCANCEL = AddButton(QStringLiteral("BTNCANCEL"), QStringLiteral("CANCEL"), 254, 230);
    QObject::connect(BTNOK, &QAbstractButton::clicked, this,
                     [this] { vyk::platform::guarded([this] { BtnOKClick(); }); });
    QObject::connect(BTNCANCEL, &QAbstractButton::clicked, this,
                     [this] { vyk::platform::guarded([this] { done(2); }); });

    uiHook = std::make_unique<TuiHook>();
    uiHook->OnRecordKeyboardSingleKey = [this](int key, std::uint32_t scan, int state, int ext, const QString& text,
                                               bool& blocked) {
        uiHookRecordKeyboardSingleKey(key, scan, state, ext, text, blocked);
    };
}

TFrmSingleKey::~TFrmSingleKey() {
    // The hook goes first, so no capture can reach a half-destroyed dialog.
    uiHook.reset();
}

void TFrmSingleKey::ShowKeyText() {
    TextSingle->setText(GetKeyDescription(FSingleKey.nKeyValue1, FSingleKey.nKey1Extended));
}

void TFrmSingleKey::showEvent(QShowEvent* event) {
    KeyCaptureDialog::showEvent(event);
    vyk::platform::guarded([this] { StartCaptureOnShow([this] { uiHook->RecordKeyboardSingleKey(); }); });
}

void TFrmSingleKey::hideEvent(QHideEvent* event) {
    vyk::platform::guarded([this] { StopCaptureOnHide([this] { uiHook->StopRecordKeyboardSingleKey(); }); });
    KeyCaptureDialog::hideEvent(event);
}

void TFrmSingleKey::uiHookRecordKeyboardSingleKey(int Key, std::uint32_t /*ScanKey*/, int /*AState*/, int AKeyExtended,
                                                  const QString& SingleKeyString, bool& /*ABlocked*/) {
    if (RefuseUnsendableKey(Key, AKeyExtended)) return;
    ClearRefusal();
    TextSingle->setText(SingleKeyString);
    FSingleKey.nKeyValue1 = static_cast<std::uint16_t>(Key);
    FSingleKey.nKey1Extended = static_cast<std::uint16_t>(AKeyExtended);
}

void TFrmSingleKey::BtnOKClick() {
    if (KeySetOrRefuse(vyk::config::KeyboardUsage(FSingleKey.nKeyValue1, FSingleKey.nKey1Extended) != 0)) done(1);
}

int ShowSingleKeyDialog(TSINGLEKEYINFO& info) {
    TFrmSingleKey form;
    form.FSingleKey = info;
    form.ShowKeyText();
    const int result = form.exec();
    info = form.FSingleKey;
    return result == 1 ? 1 : 2;
}
