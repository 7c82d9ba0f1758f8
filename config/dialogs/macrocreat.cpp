#include "config/dialogs/macrocreat.h"

#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinStyle.h"
#include "core/language/vgLang.h"
#include "platform/diag/diag.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

using vyk::toolkit::translate;

QString CutMacroName(const QString& text, int maxUnits) {
    if (maxUnits <= 0) return QString();
    if (text.size() <= maxUnits) return text;
    qsizetype cut = maxUnits;
    // A high surrogate as the last unit kept would lose its partner.
    if (text.at(cut - 1).isHighSurrogate() && text.at(cut).isLowSurrogate()) --cut;
    return text.left(cut);
}

TFrmCreat::TFrmCreat(QWidget* parent) : TSkinDialog(478, 292, parent) {
    setObjectName(QStringLiteral("FrmCreat"));

    Label3 = new QLabel(translate(QStringLiteral("CREATE MACRO")), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(0, 34, 478, 40);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setFont(vyk::config::TitleFont(21, true));
    Label3->setStyleSheet(QStringLiteral("color: #FFFFFF;"));

    Label4 = new QLabel(translate(QStringLiteral("NEW MACRO NAME:")), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(16, 118, 172, 32);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4->setFont(vyk::config::TextFont(16, false));
    Label4->setStyleSheet(QStringLiteral("color: #E6E8EB;"));

    TextboxMacroName = new QLineEdit(this);
    TextboxMacroName->setObjectName(QStringLiteral("TextboxMacroName"));
    TextboxMacroName->setGeometry(198, 118, 252, 32);
    TextboxMacroName->setFont(vyk::config::TextFont(15, false));
    TextboxMacroName->setStyleSheet(
        QStringLiteral("QLineEdit { background: #141416; color: #FFFFFF; border: 1px solid #6A6A72; border-radius: 3px;"
                       " padding: 0 6px; selection-background-color: #D71E0A; }"
                       "QLineEdit:focus { border-color: #D71E0A; }"));
    TextboxMacroName->installEventFilter(this);

    BTNOK = AddSkinButton(translate(QStringLiteral("OK")), 114, 222, 110, 34);
    BTNOK->setObjectName(QStringLiteral("BTNOK"));
    BTNOK->setFocusPolicy(Qt::NoFocus);
    BTNCANCEL = AddSkinButton(translate(QStringLiteral("CANCEL")), 254, 222, 110, 34);
    BTNCANCEL->setObjectName(QStringLiteral("BTNCANCEL"));
    BTNCANCEL->setFocusPolicy(Qt::NoFocus);
    QObject::connect(BTNOK, &QAbstractButton::clicked, this, [this] {
        vyk::platform::guarded([this] {
            BTNOKClick();
            done(1);
        });
    });
    QObject::connect(BTNCANCEL, &QAbstractButton::clicked, this,
                     [this] { vyk::platform::guarded([this] { done(2); }); });
}

void TFrmCreat::BTNOKClick() { FMacroName = CutMacroName(TextboxMacroName->text()); }

void TFrmCreat::FormActivate() {
    raise();
    if (!isActiveWindow()) activateWindow();
    TextboxMacroName->setFocus(Qt::ActiveWindowFocusReason);
}

void TFrmCreat::showEvent(QShowEvent* event) {
    TSkinDialog::showEvent(event);
    // Ask to become the active window at once; the window manager may still refuse.
    vyk::platform::guarded([this] { FormActivate(); });
}

bool TFrmCreat::event(QEvent* event) {
    const bool handled = TSkinDialog::event(event);
    if (event->type() == QEvent::WindowActivate) vyk::platform::guarded([this] { FormActivate(); });
    return handled;
}

bool TFrmCreat::eventFilter(QObject* watched, QEvent* event) {
    if (watched != TextboxMacroName) return TSkinDialog::eventFilter(watched, event);
    bool accept = false;
    vyk::platform::guarded([&] {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                FEnterDownInBox = true;
                accept = true;  // the release decides; the press reaches no button
            }
            break;
        }
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
                accept = true;
                if (FEnterDownInBox) {
                    FEnterDownInBox = false;
                    BTNOKClick();
                    done(1);
                }
            }
            break;
        }
        case QEvent::FocusOut: FEnterDownInBox = false; break;
        default: break;
        }
    });
    return accept;
}

int ShowCreateMacroDialog(QString& name) {
    TFrmCreat form;
    const int result = form.exec();
    name = form.FMacroName;
    return result == 1 ? 1 : 2;
}
