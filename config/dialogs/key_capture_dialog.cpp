#include "config/dialogs/key_capture_dialog.h"

#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinStyle.h"
#include "core/defs/uiKeyCode.h"
#include "core/language/vgLang.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace vyk::config {

namespace {

constexpr int kClientWidth = 478;
constexpr int kClientHeight = 292;

void paintText(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

}  // namespace

bool IsConsumerPageKey(int vk) { return vk >= 0xA6 && vk <= 0xB7; }

std::uint16_t KeyboardUsage(int vk, int extended) {
    if (vk == 0 || IsConsumerPageKey(vk)) return 0;
    return static_cast<std::uint16_t>(VKToHIDCode(vk, extended));
}

bool HookSeesOnlyOwnWindows() {
    if (QGuiApplication::platformName() == QLatin1String("wayland")) return true;
    return qEnvironmentVariableIsEmpty("DISPLAY");
}

KeyCaptureDialog::KeyCaptureDialog(QWidget* parent) : TSkinDialog(kClientWidth, kClientHeight, parent) {
    // The dialog itself holds the focus, so keys pressed for a capture find no button.
    setFocusPolicy(Qt::StrongFocus);

    FNote = new QLabel(this);
    FNote->setObjectName(QStringLiteral("LabelNote"));
    FNote->setGeometry(24, 180, kClientWidth - 48, 36);
    FNote->setAlignment(Qt::AlignCenter);
    FNote->setWordWrap(true);
    FNote->setFont(TextFont(12, false));
    paintText(FNote, QColor(0xF2, 0xB1, 0x3A));
    ClearRefusal();
}

QString KeyCaptureDialog::NoteText() const { return FNote->text(); }

QLabel* KeyCaptureDialog::AddTitle(const QString& english, int y, int height, int px) {
    auto* label = new QLabel(vyk::toolkit::translate(english), this);
    label->setGeometry(0, y, kClientWidth, height);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(TitleFont(px, true));
    paintText(label, Qt::white);
    return label;
}

QLabel* KeyCaptureDialog::AddInstruction(const QString& english, int y, int height) {
    auto* label = new QLabel(vyk::toolkit::translate(english), this);
    label->setGeometry(36, y, kClientWidth - 72, height);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setFont(TextFont(13, true));
    paintText(label, QColor(0xDD, 0xDD, 0xDD));
    return label;
}

QLineEdit* KeyCaptureDialog::AddKeyBox(const QString& objectName, int x, int y, int width, int height) {
    auto* box = new QLineEdit(this);
    box->setObjectName(objectName);
    box->setGeometry(x, y, width, height);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignCenter);
    box->setFont(TextFont(14, true));
    box->setStyleSheet(QStringLiteral(
        "QLineEdit { background: #141416; color: #FFFFFF; border: 1px solid #6A6A72; border-radius: 3px; }"
        "QLineEdit:disabled { color: #7A7A80; border-color: #3C3C42; }"));
    return box;
}

TImageStateButton* KeyCaptureDialog::AddButton(const QString& objectName, const QString& english, int x, int y) {
    TImageStateButton* button = AddSkinButton(vyk::toolkit::translate(english), x, y, 110, 34);
    button->setObjectName(objectName);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void KeyCaptureDialog::ShowRefusal(const QString& english) { FNote->setText(vyk::toolkit::translate(english)); }

bool KeyCaptureDialog::RefuseUnsendableKey(int vk, int extended) {
    if (vk == 0) return false;
    if (IsConsumerPageKey(vk)) {
        ShowRefusal(QString::fromUtf8(kConsumerKeyRefused));
        return true;
    }
    if (KeyboardUsage(vk, extended) == 0) {
        ShowRefusal(QString::fromUtf8(kKeyWithoutUsage));
        return true;
    }
    return false;
}

bool KeyCaptureDialog::KeySetOrRefuse(bool keySet, const char* missing) {
    if (!keySet) ShowRefusal(QString::fromUtf8(missing));
    return keySet;
}

void KeyCaptureDialog::ClearRefusal() {
    FNote->setText(HookSeesOnlyOwnWindows() ? vyk::toolkit::translate(QString::fromUtf8(kOwnWindowsOnly)) : QString());
}

void KeyCaptureDialog::StartCaptureOnShow(const std::function<void()>& start) {
    setFocus(Qt::OtherFocusReason);
    if (!FCapturing) {
        FCapturing = true;
        start();
    }
}

void KeyCaptureDialog::StopCaptureOnHide(const std::function<void()>& stop) {
    if (FCapturing) {
        FCapturing = false;
        stop();
    }
}

void KeyCaptureDialog::keyPressEvent(QKeyEvent* event) {
    if (FCapturing) {
        event->accept();  // the key is being captured; it is not a command to the dialog
        return;
    }
    TSkinDialog::keyPressEvent(event);
}

void KeyCaptureDialog::keyReleaseEvent(QKeyEvent* event) {
    if (FCapturing) {
        event->accept();
        return;
    }
    TSkinDialog::keyReleaseEvent(event);
}

}  // namespace vyk::config
