#include "config/dialogs/fireset.h"

#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinStyle.h"
#include "core/defs/uiKeyCode.h"
#include "core/hook/uiHook.h"
#include "core/language/vgLang.h"
#include "platform/diag/diag.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

using vyk::config::TextFont;
using vyk::toolkit::translate;

namespace {

constexpr std::uint16_t kFireLeft = 129;
constexpr std::uint16_t kFireRight = 130;
constexpr std::uint16_t kFireMiddle = 132;
constexpr int kDefaultShots = 2;
constexpr int kDefaultDelay = 60;

const QString kTextStyle = QStringLiteral("color: #E6E8EB;");
const QString kRadioStyle = QStringLiteral(
    "QRadioButton { color: #E6E8EB; spacing: 8px; }"
    "QRadioButton::indicator { width: 14px; height: 14px; border-radius: 8px; border: 1px solid #8C939D;"
    " background: #141416; }"
    "QRadioButton::indicator:checked { border-color: #F23A1E; background: qradialgradient(cx:0.5, cy:0.5,"
    " radius:0.5, fx:0.5, fy:0.5, stop:0 #F23A1E, stop:0.5 #D71E0A, stop:0.6 #141416, stop:1 #141416); }");

}  // namespace

TFrmFire::TFrmFire(QWidget* parent) : KeyCaptureDialog(parent) {
    setObjectName(QStringLiteral("FrmFire"));
    LabelTitle = AddTitle(QStringLiteral("Fire Settings"), 10, 40, 21);

    const QString groupStyle = QStringLiteral(
        "QGroupBox { color: #E6E8EB; border: 1px solid #44494F; border-radius: 4px; margin-top: 10px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }");
    Expander1 = new QGroupBox(translate(QStringLiteral("Type")), this);
    Expander1->setObjectName(QStringLiteral("Expander1"));
    Expander1->setGeometry(24, 54, 262, 132);
    Expander1->setFont(TextFont(13, true));
    Expander1->setStyleSheet(groupStyle);
    Expander2 = new QGroupBox(translate(QStringLiteral("Options")), this);
    Expander2->setObjectName(QStringLiteral("Expander2"));
    Expander2->setGeometry(298, 54, 156, 132);
    Expander2->setFont(TextFont(13, true));
    Expander2->setStyleSheet(groupStyle);

    auto radio = [this](const QString& name, const QString& english, int x, int y, int w) {
        auto* r = new QRadioButton(translate(english), this);
        r->setObjectName(name);
        r->setGeometry(x, y, w, 24);
        r->setFont(TextFont(13, true));
        r->setStyleSheet(kRadioStyle);
        // Arrow keys and Space pressed for a capture must not move the choice.
        r->setFocusPolicy(Qt::NoFocus);
        return r;
    };
    RadioButton1 = radio(QStringLiteral("RadioButton1"), QStringLiteral("L"), 40, 76, 60);
    RadioButton2 = radio(QStringLiteral("RadioButton2"), QStringLiteral("R"), 110, 76, 60);
    RadioButton3 = radio(QStringLiteral("RadioButton3"), QStringLiteral("M"), 180, 76, 60);
    RadioButton4 = radio(QStringLiteral("RadioButton4"), QStringLiteral("Keyboard Key:"), 40, 108, 230);
    RadioButton1->setChecked(true);
    TextSingle = AddKeyBox(QStringLiteral("TextSingle"), 40, 140, 230, 32);
    TextSingle->setEnabled(false);

    auto caption = [this](const QString& english, int y) {
        auto* l = new QLabel(translate(english), this);
        l->setGeometry(310, y, 136, 20);
        l->setFont(TextFont(13, false));
        l->setStyleSheet(kTextStyle);
        return l;
    };
    caption(QStringLiteral("Fire(times):"), 74);
    NumBoxFire = AddNumberBox(QStringLiteral("NumBoxFire"), 310, 96);
    caption(QStringLiteral("Delay(ms):"), 126);
    NumboxDelay = AddNumberBox(QStringLiteral("NumboxDelay"), 310, 148);

    FNote->setGeometry(24, 190, 430, 36);
    BTNOK = AddButton(QStringLiteral("BTNOK"), QStringLiteral("OK"), 114, 238);
    BTNCANCEL = AddButton(QStringLiteral("BTNCANCEL"), QStringLiteral("Cancel"), 254, 238);
    QObject::connect(BTNOK, &QAbstractButton::clicked, this,
                     [this] { vyk::platform::guarded([this] { BTNOKClick(); }); });
    QObject::connect(BTNCANCEL, &QAbstractButton::clicked, this,
                     [this] { vyk::platform::guarded([this] { done(2); }); });

    for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4}) {
        QObject::connect(r, &QRadioButton::toggled, this,
                         [this, r](bool checked) { vyk::platform::guarded([&] { doFireTypeChanged(r, checked); }); });
        // A click on a type (also on the one already chosen) takes the focus out of the number
        // boxes, so the next key goes to the capture.
        QObject::connect(r, &QRadioButton::clicked, this,
                         [this] { vyk::platform::guarded([this] { setFocus(Qt::OtherFocusReason); }); });
    }

    uiHook1 = std::make_unique<TuiHook>();
    uiHook1->OnRecordKeyboardSingleKey = [this](int key, std::uint32_t scan, int state, int ext, const QString& text,
                                                bool& blocked) {
        uiHook1RecordKeyboardSingleKey(key, scan, state, ext, text, blocked);
    };
}

TFrmFire::~TFrmFire() { uiHook1.reset(); }

QSpinBox* TFrmFire::AddNumberBox(const QString& objectName, int x, int y) {
    auto* box = new QSpinBox(this);
    box->setObjectName(objectName);
    box->setGeometry(x, y, 132, 28);
    box->setRange(1, 255);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setFont(TextFont(14, true));
    // Only a click puts the focus here, so keys pressed for a capture never land in a box.
    box->setFocusPolicy(Qt::ClickFocus);
    box->setStyleSheet(
        QStringLiteral("QSpinBox { background: #141416; color: #FFFFFF; border: 1px solid #6A6A72; border-radius: 3px;"
                       " padding: 0 6px; }"));
    return box;
}

void TFrmFire::showEvent(QShowEvent* event) {
    KeyCaptureDialog::showEvent(event);
    vyk::platform::guarded([this] {
        setFocus(Qt::OtherFocusReason);
        if (!FShown) {
            FShown = true;
            FormShow();
        }
    });
}

void TFrmFire::FormShow() {
    // The remembered keyboard key is shown whatever the type, so choosing the keyboard type
    // later shows the key that KeyCode is then taken from.
    TextSingle->setText(GetKeyDescription(FAdvFireKeyInfo.KeyValue.nKeyValue1, FAdvFireKeyInfo.KeyValue.nKey1Extended));
    switch (FAdvFireKeyInfo.KeyCode) {
    case kFireLeft: break;  // "L" is already checked
    case kFireRight: RadioButton2->setChecked(true); break;
    case kFireMiddle: RadioButton3->setChecked(true); break;
    default:
        RadioButton4->setChecked(true);
        uiHook1->StopRecordKeyboardSingleKey();
        StartCapture();
        break;
    }
    if (FAdvFireKeyInfo.nLoopCount != 0) {
        NumBoxFire->setValue(FAdvFireKeyInfo.nLoopCount);
        NumboxDelay->setValue(FAdvFireKeyInfo.DelyValue);
    } else {
        NumBoxFire->setValue(kDefaultShots);
        NumboxDelay->setValue(kDefaultDelay);
    }
}

void TFrmFire::doFireTypeChanged(QRadioButton* sender, bool checked) {
    // The button that becomes unchecked reports first and the checked one last; the checked
    // one decides.
    if (!checked) return;
    TextSingle->setEnabled(false);
    StopCapture();
    ClearRefusal();
    if (sender == RadioButton1) {
        FAdvFireKeyInfo.KeyCode = kFireLeft;
    } else if (sender == RadioButton2) {
        FAdvFireKeyInfo.KeyCode = kFireRight;
    } else if (sender == RadioButton3) {
        FAdvFireKeyInfo.KeyCode = kFireMiddle;
    } else if (sender == RadioButton4) {
        TextSingle->setEnabled(true);
        StartCapture();
        FAdvFireKeyInfo.KeyCode =
            vyk::config::KeyboardUsage(FAdvFireKeyInfo.KeyValue.nKeyValue1, FAdvFireKeyInfo.KeyValue.nKey1Extended);
        // Keys now go to the capture, not to a number box that had the focus.
        setFocus(Qt::OtherFocusReason);
    }
}

void TFrmFire::StartCapture() {
    SetCapturing(true);
    uiHook1->RecordKeyboardSingleKey();
}

void TFrmFire::StopCapture() {
    SetCapturing(false);
    uiHook1->StopRecordKeyboardSingleKey();
}

bool TFrmFire::KeyGoesToNumberBox() const {
    if (!isActiveWindow()) return false;
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) return false;
    for (QSpinBox* box : {NumBoxFire, NumboxDelay}) {
        if (focus == box || box->isAncestorOf(focus)) return true;
    }
    return false;
}

void TFrmFire::uiHook1RecordKeyboardSingleKey(int Key, std::uint32_t /*ScanKey*/, int /*AState*/, int AKeyExtended,
                                              const QString& SingleKeyString, bool& /*ABlocked*/) {
    if (!Capturing() || KeyGoesToNumberBox()) return;
    const std::uint16_t usage = vyk::config::KeyboardUsage(Key, AKeyExtended);
    if (RefuseUnsendableKey(Key, AKeyExtended) || usage == 0) return;
    ClearRefusal();
    TextSingle->setText(SingleKeyString);
    FAdvFireKeyInfo.KeyValue.nKeyValue1 = static_cast<std::uint16_t>(Key);
    FAdvFireKeyInfo.KeyValue.nKey1Extended = static_cast<std::uint16_t>(AKeyExtended);
    FAdvFireKeyInfo.KeyCode = usage;
}

void TFrmFire::BTNOKClick() {
    if (!KeySetOrRefuse(!RadioButton4->isChecked() || FAdvFireKeyInfo.KeyCode != 0, vyk::config::kFireKeyMissing))
        return;
    NumBoxFire->interpretText();
    NumboxDelay->interpretText();
    FAdvFireKeyInfo.nLoopCount = static_cast<std::uint16_t>(NumBoxFire->value());
    FAdvFireKeyInfo.DelyValue = static_cast<std::uint16_t>(NumboxDelay->value());
    done(1);
}

int ShowFireKeyDialog(TADVANCEDFIREKEYINFO& info) {
    TFrmFire form;
    form.FAdvFireKeyInfo = info;
    const int result = form.exec();
    form.StopCapture();
    info = form.FAdvFireKeyInfo;
    return result == 1 ? 1 : 2;
}
