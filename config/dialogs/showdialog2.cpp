#include "config/dialogs/showdialog2.h"

#include <QPointer>

#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/WrapLabel.h"
#include "platform/diag/diag.h"

TFrmDialog2::TFrmDialog2(QWidget* parent) : TFrmDialog(parent) {
    setObjectName(QStringLiteral("FrmDialog2"));
    LabelText->setGeometry(121, 95, 301, 46);
    LabelText->setFont(vyk::config::TextFont(13));

    LabelText2 = new vyk::config::WrapLabel(this);
    LabelText2->setObjectName(QStringLiteral("LabelText2"));
    LabelText2->setGeometry(123, 147, 280, 40);
    LabelText2->setFont(vyk::config::TextFont(13));
    LabelText2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LabelText2->setColor(vyk::config::skincolor::DimText.lighter(125));

    Btnimage->setGeometry(13, 81, 100, 100);
    BTNCANCEL->setGeometry(244, 244, 110, 34);
}

int ShowDialog2(const QString& title, const QString& text, const QString& text2) {
    QPointer<TFrmDialog2> dlg = new TFrmDialog2(nullptr);
    dlg->FCreateByOther = true;
    dlg->setWindowTitle(title);
    dlg->LabelTitle->setText(title);
    dlg->LabelText->setText(text);
    dlg->LabelText2->setText(text2);
    vyk::platform::debugLog(QStringLiteral("dialog shown: %1: %2").arg(title, text));
    const int result = dlg->exec();
    delete dlg.data();
    return result == TSkinDialog::ResultOK ? TSkinDialog::ResultOK : TSkinDialog::ResultCancel;
}
