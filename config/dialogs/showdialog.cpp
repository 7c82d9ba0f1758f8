#include "config/dialogs/showdialog.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/WrapLabel.h"
#include "core/language/vgLang.h"
#include "platform/diag/diag.h"

namespace vyk::config {

QPixmap WarningIcon() {
    QPixmap icon;
    AssignSkinImage(icon, QStringLiteral("controls"), QStringLiteral("icon-warning.png"));
    if (!icon.isNull()) return icon;
    QPixmap drawn(48, 48);
    drawn.fill(Qt::transparent);
    QPainter p(&drawn);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath tri;
    tri.moveTo(24, 4);
    tri.lineTo(45, 42);
    tri.lineTo(3, 42);
    tri.closeSubpath();
    p.setPen(QPen(skincolor::Warning.darker(160), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(skincolor::Warning);
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(skincolor::Window);
    p.drawRoundedRect(QRectF(21.5, 15, 5, 16), 2, 2);
    p.drawEllipse(QPointF(24, 36), 2.8, 2.8);
    return drawn;
}

}  // namespace vyk::config

TFrmDialog::TFrmDialog(QWidget* parent) : TSkinDialog(478, 292, parent) {
    using vyk::config::WrapLabel;
    setObjectName(QStringLiteral("FrmDialog"));

    LabelTitle = new WrapLabel(this);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    LabelTitle->setGeometry(24, 18, 430, 40);
    LabelTitle->setFont(vyk::config::TitleFont(16, true));
    LabelTitle->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    LabelText = new WrapLabel(this);
    LabelText->setObjectName(QStringLiteral("LabelText"));
    LabelText->setGeometry(123, 83, 284, 96);
    LabelText->setFont(vyk::config::TextFont(14));
    LabelText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Btnimage = new TSkinImage(this);
    Btnimage->setObjectName(QStringLiteral("Btnimage"));
    Btnimage->setGeometry(17, 83, 96, 96);
    Btnimage->SetStretch(false);
    Btnimage->SetClickable(false);
    Btnimage->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    Btnimage->SetPixmap(vyk::config::WarningIcon());

    BTNOK = AddSkinButton(vyk::toolkit::translate(QStringLiteral("OK")), 124, 244, 110, 34);
    BTNOK->setObjectName(QStringLiteral("BTNOK"));
    BTNCANCEL = AddSkinButton(vyk::toolkit::translate(QStringLiteral("CANCEL")), 244, 244, 110, 34);
    BTNCANCEL->setObjectName(QStringLiteral("BTNCANCEL"));
    BTNOK->setFont(vyk::config::TextFont(14, true));
    BTNCANCEL->setFont(vyk::config::TextFont(14, true));

    // Layout only: never shown, never focused, never a target of Enter.
    ButtonHidden = new TImageStateButton(this);
    ButtonHidden->setObjectName(QStringLiteral("ButtonHidden"));
    ButtonHidden->setFocusPolicy(Qt::NoFocus);
    ButtonHidden->setEnabled(false);
    ButtonHidden->hide();

    setTabOrder(BTNCANCEL, BTNOK);
    connect(BTNOK, &QAbstractButton::clicked, this, [this] { vyk::platform::guarded([this] { BtnOKClick(); }); });
    connect(BTNCANCEL, &QAbstractButton::clicked, this,
            [this] { vyk::platform::guarded([this] { BtnCancelClick(); }); });
}

void TFrmDialog::showEvent(QShowEvent* e) {
    TSkinDialog::showEvent(e);
    BTNCANCEL->setFocus(Qt::OtherFocusReason);
}

void TFrmDialog::BtnOKClick() { done(ResultOK); }

void TFrmDialog::BtnCancelClick() { done(ResultCancel); }

int ShowDialog(const QString& title, const QString& text, const QString& unused) {
    (void)unused;
    QPointer<TFrmDialog> dlg = new TFrmDialog(nullptr);
    dlg->FCreateByOther = true;
    dlg->setWindowTitle(title);
    dlg->LabelTitle->setText(title);
    dlg->LabelText->setText(text);
    vyk::platform::debugLog(QStringLiteral("dialog shown: %1: %2").arg(title, text));
    const int result = dlg->exec();
    delete dlg.data();
    return result == TSkinDialog::ResultOK ? TSkinDialog::ResultOK : TSkinDialog::ResultCancel;
}
