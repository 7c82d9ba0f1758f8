#include "config/dialogs/SkinDialog.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/MainWindowRef.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/SkinStyle.h"
#include "platform/diag/diag.h"

TSkinDialog::TSkinDialog(int clientWidth, int clientHeight, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setModal(true);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(clientWidth, clientHeight);
    setAttribute(Qt::WA_DeleteOnClose, false);

    ImageBack = new TSkinImage(this);
    ImageBack->setObjectName(QStringLiteral("ImageBack"));
    ImageBack->SetClickable(false);  // presses reach the dialog, which moves the window
    ImageBack->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    ImageBack->setGeometry(0, 0, clientWidth, clientHeight);
    ImageBack->SetStretch(true);
    ImageBack->LoadSkin(QStringLiteral("background"), QStringLiteral("dlg-back.png"));
    ImageBack->lower();
}

TSkinDialog::~TSkinDialog() = default;

TImageStateButton* TSkinDialog::AddSkinButton(const QString& text, int x, int y, int w, int h) {
    auto* b = new TImageStateButton(text, this);
    b->setGeometry(x, y, w, h);
    b->LoadSkin(QStringLiteral("buttons"), QStringLiteral("ok-1.png"), QStringLiteral("ok-2.png"),
                QStringLiteral("ok-3.png"));
    return b;
}

void TSkinDialog::accept() { done(ResultOK); }

void TSkinDialog::reject() { done(ResultCancel); }

void TSkinDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!centred_) {
        centred_ = true;
        vyk::platform::guarded([&] { vyk::config::CentreOnMainWindow(this); });
    }
}

void TSkinDialog::keyPressEvent(QKeyEvent* e) {
    if (e->modifiers() & ~(Qt::KeypadModifier)) {
        QDialog::keyPressEvent(e);
        return;
    }
    switch (e->key()) {
    case Qt::Key_Escape:
        e->accept();
        vyk::platform::guarded([&] { reject(); });
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        e->accept();
        auto* b = qobject_cast<TImageStateButton*>(focusWidget());
        if (b != nullptr && b->window() == this && b->isVisible() && b->isEnabled()) {
            vyk::platform::guarded([&] { b->click(); });
        }
        return;
    }
    default: QDialog::keyPressEvent(e);
    }
}

void TSkinDialog::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        dragging_ = true;
        dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
        e->accept();
        return;
    }
    QDialog::mousePressEvent(e);
}

void TSkinDialog::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_ && (e->buttons() & Qt::LeftButton)) {
        move(e->globalPosition().toPoint() - dragOffset_);
        e->accept();
        return;
    }
    QDialog::mouseMoveEvent(e);
}

void TSkinDialog::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) dragging_ = false;
    QDialog::mouseReleaseEvent(e);
}

void TSkinDialog::paintEvent(QPaintEvent* e) {
    // The drawn panel under the background picture, seen when the skin has no dlg-back.png.
    vyk::platform::guarded([&] {
        if (ImageBack != nullptr && !ImageBack->Pixmap().isNull()) return;
        using namespace vyk::config::skincolor;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, Surface);
        g.setColorAt(1, Window);
        p.setPen(QPen(Rim, 1));
        p.setBrush(g);
        p.drawRect(r);
        p.setPen(Qt::NoPen);
        p.setBrush(Accent);
        p.drawRect(QRectF(1, 1, width() - 2, 3));
    });
    (void)e;
}
