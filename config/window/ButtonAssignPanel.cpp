#include "config/window/ButtonAssignPanel.h"

#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/SkinStyle.h"
#include "platform/diag/diag.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

using vyk::platform::guarded;

namespace {

// Assignment buttons: 150 × 23 (the skin's ButtonAssign pictures).
constexpr int kButtonW = 150, kButtonH = 23;
constexpr int kFrontPitch = 38, kSidePitch = 28;
constexpr int kFrontButtons = 6;
// The side list: a 200 × 230 window on content 340 high.
constexpr int kBoxW = 200, kBoxH = 230, kBoxContentH = 340;
constexpr int kArrowW = 24, kArrowH = 16;

const QString kButtons = QStringLiteral("Buttons");

bool validIndex(int i) { return i >= 0 && i < ASSIGN_BUTTON_COUNT; }

}  // namespace

TButtonAssignPanel::TButtonAssignPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ButtonAssignPanel"));

    BTNFrontView = new TImageStateButton(QStringLiteral("FRONT"), this);
    BTNFrontView->setObjectName(QStringLiteral("BTNFrontView"));
    BTNFrontView->setGeometry(12, 8, 120, 34);
    BTNSIDEVIEW = new TImageStateButton(QStringLiteral("SIDE"), this);
    BTNSIDEVIEW->setObjectName(QStringLiteral("BTNSIDEVIEW"));
    BTNSIDEVIEW->setGeometry(140, 8, 120, 34);
    for (TImageStateButton* b : {BTNFrontView, BTNSIDEVIEW}) {
        b->SetStaysPressed(true);
        b->setFocusPolicy(Qt::NoFocus);
    }

    // Front view: the mouse from above, buttons 0..5 beside it.
    ImageMouseLayoutFront = new TSkinImage(this);
    ImageMouseLayoutFront->setObjectName(QStringLiteral("ImageMouseLayoutFront"));
    ImageMouseLayoutFront->setGeometry(0, 52, 200, 309);
    ImageMouseLayoutFront->SetClickable(false);
    LayoutButtonSetFront = new QWidget(this);
    LayoutButtonSetFront->setObjectName(QStringLiteral("LayoutButtonSetFront"));
    LayoutButtonSetFront->setGeometry(194, 86, kButtonW, kFrontButtons * kFrontPitch);

    // Side view: the thumb side, buttons 6..17 in the scroll box between two arrows.
    ImageMouseLayoutSide = new TSkinImage(this);
    ImageMouseLayoutSide->setObjectName(QStringLiteral("ImageMouseLayoutSide"));
    ImageMouseLayoutSide->setGeometry(0, 56, 160, 302);
    ImageMouseLayoutSide->SetClickable(false);
    LayoutButtonSetSide = new QWidget(this);
    LayoutButtonSetSide->setObjectName(QStringLiteral("LayoutButtonSetSide"));
    LayoutButtonSetSide->setGeometry(148, 56, kBoxW, kArrowH + 4 + kBoxH + 4 + kArrowH);
    BTNSIDEBUTTONUP = new TImageStateButton(LayoutButtonSetSide);
    BTNSIDEBUTTONUP->setObjectName(QStringLiteral("BTNSIDEBUTTONUP"));
    BTNSIDEBUTTONUP->setGeometry((kBoxW - kArrowW) / 2, 0, kArrowW, kArrowH);
    sideButtonsScrollbox = new QScrollArea(LayoutButtonSetSide);
    sideButtonsScrollbox->setObjectName(QStringLiteral("sideButtonsScrollbox"));
    sideButtonsScrollbox->setGeometry(0, kArrowH + 4, kBoxW, kBoxH);
    sideButtonsScrollbox->setFrameShape(QFrame::NoFrame);
    sideButtonsScrollbox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sideButtonsScrollbox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sideButtonsScrollbox->setStyleSheet(
        QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    sideButtonsScrollbox->viewport()->setAutoFillBackground(false);
    auto* sideContent = new QWidget;
    sideContent->setObjectName(QStringLiteral("sideButtonsContent"));
    sideContent->setFixedSize(kBoxW, kBoxContentH);
    sideContent->setAutoFillBackground(false);
    sideButtonsScrollbox->setWidget(sideContent);
    BTNSIDEBUTTONDOWN = new TImageStateButton(LayoutButtonSetSide);
    BTNSIDEBUTTONDOWN->setObjectName(QStringLiteral("BTNSIDEBUTTONDOWN"));
    BTNSIDEBUTTONDOWN->setGeometry((kBoxW - kArrowW) / 2, kArrowH + 4 + kBoxH + 4, kArrowW, kArrowH);
    for (TImageStateButton* b : {BTNSIDEBUTTONUP, BTNSIDEBUTTONDOWN}) b->setFocusPolicy(Qt::NoFocus);
    BTNSIDEBUTTONUP->setText(QStringLiteral("▲"));
    BTNSIDEBUTTONDOWN->setText(QStringLiteral("▼"));

    for (int i = 0; i < ASSIGN_BUTTON_COUNT; ++i) {
        const bool front = i < kFrontButtons;
        auto* b = new TImageStateButton(QStringLiteral("Default"), front ? LayoutButtonSetFront : sideContent);
        // BtnSet1 .. BtnSet18; the ninth keeps the layout's spelling.
        b->setObjectName(i == 8 ? QStringLiteral("Btnset9") : QStringLiteral("BtnSet%1").arg(i + 1));
        b->SetTag(i);
        b->setFocusPolicy(Qt::NoFocus);
        // The window writes the captions and hints translated, and again on a language change;
        // the language walk leaves them alone (a key or macro name is no English text).
        b->setProperty("autoTranslate", true);
        if (front) {
            b->setGeometry(0, i * kFrontPitch, kButtonW, kButtonH);
        } else {
            const int row = i - kFrontButtons;
            b->setGeometry((kBoxW - kButtonW) / 2, row * kSidePitch, kButtonW, kButtonH);
            auto* number = new QLabel(QString::number(row + 1), sideContent);
            number->setObjectName(QStringLiteral("SideKeyNumber%1").arg(row + 1));
            number->setGeometry(0, row * kSidePitch, (kBoxW - kButtonW) / 2 - 4, kButtonH);
            number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            number->setFont(vyk::config::TitleFont(14, true));
            number->setStyleSheet(
                QStringLiteral("color: %1; background: transparent;").arg(vyk::config::skincolor::Text.name()));
            number->setProperty("autoTranslate", true);  // a number, no text to translate
            SideKeyNumber[static_cast<std::size_t>(row)] = number;
        }
        connect(b, &QAbstractButton::clicked, this, [this, i] { guarded([this, i] { emit AssignButtonClicked(i); }); });
        connect(b, &TImageStateButton::MouseEnter, this,
                [this, i] { guarded([this, i] { emit AssignButtonEntered(i); }); });
        BtnSet[static_cast<std::size_t>(i)] = b;
    }

    connect(BTNFrontView, &QAbstractButton::clicked, this, [this] { guarded([this] { ShowMouseView(0); }); });
    connect(BTNSIDEVIEW, &QAbstractButton::clicked, this, [this] { guarded([this] { ShowMouseView(1); }); });
    connect(BTNSIDEBUTTONUP, &QAbstractButton::clicked, this, [this] { guarded([this] { doSideButtonsup(); }); });
    connect(BTNSIDEBUTTONDOWN, &QAbstractButton::clicked, this, [this] { guarded([this] { doSideButtonsdown(); }); });

    ShowMouseView(0);
}

void TButtonAssignPanel::ShowMouseView(int view) {
    const bool front = view == 0;
    ImageMouseLayoutFront->setVisible(front);
    LayoutButtonSetFront->setVisible(front);
    ImageMouseLayoutSide->setVisible(!front);
    LayoutButtonSetSide->setVisible(!front);
    // The view buttons show which view is up.
    BTNFrontView->SetPressed(front);
    BTNSIDEVIEW->SetPressed(!front);
}

bool TButtonAssignPanel::FrontViewShown() const { return !LayoutButtonSetFront->isHidden(); }

void TButtonAssignPanel::doSideButtonsup() {
    QScrollBar* bar = sideButtonsScrollbox->verticalScrollBar();
    bar->setValue(bar->value() - kSidePitch);
}

void TButtonAssignPanel::doSideButtonsdown() {
    QScrollBar* bar = sideButtonsScrollbox->verticalScrollBar();
    bar->setValue(bar->value() + kSidePitch);
}

int TButtonAssignPanel::SideScrollOffset() const { return sideButtonsScrollbox->verticalScrollBar()->value(); }

void TButtonAssignPanel::SetCaption(int index, const QString& text) {
    if (!validIndex(index)) return;
    BtnSet[static_cast<std::size_t>(index)]->setText(text);
}

void TButtonAssignPanel::SetHint(int index, const QString& text) {
    if (!validIndex(index)) return;
    FHints[static_cast<std::size_t>(index)] = text;
    // Buttons 15..17 have their hints switched off.
    if (index < 15) BtnSet[static_cast<std::size_t>(index)]->setToolTip(text);
}

QString TButtonAssignPanel::Hint(int index) const {
    return validIndex(index) ? FHints[static_cast<std::size_t>(index)] : QString();
}

void TButtonAssignPanel::LoadSkin() {
    ImageMouseLayoutFront->LoadSkin(QStringLiteral("background"), QStringLiteral("mouse-layout-front.png"));
    ImageMouseLayoutSide->LoadSkin(QStringLiteral("background"), QStringLiteral("mouse-layout-Side.png"));
    for (TImageStateButton* b : BtnSet) {
        b->LoadSkin(kButtons, QStringLiteral("ButtonAssign-1.png"), QStringLiteral("ButtonAssign-2.png"),
                    QStringLiteral("ButtonAssign-3.png"));
        b->setFont(vyk::config::TitleFont(12, true));
    }
    for (TImageStateButton* b : {BTNFrontView, BTNSIDEVIEW}) {
        b->LoadSkin(kButtons, QStringLiteral("ProfileButton-1.png"), QStringLiteral("ProfileButton-2.png"),
                    QStringLiteral("ProfileButton-3.png"));
        b->setFont(vyk::config::TitleFont(14, true));
    }
    BTNSIDEBUTTONUP->LoadSkin(QStringLiteral("controls"), QStringLiteral("scroll-bar-top-button.png"),
                              QStringLiteral("scroll-bar-top-button.png"), QStringLiteral("scroll-bar-top-button.png"));
    BTNSIDEBUTTONDOWN->LoadSkin(QStringLiteral("controls"), QStringLiteral("scroll-bar-bottom-button.png"),
                                QStringLiteral("scroll-bar-bottom-button.png"),
                                QStringLiteral("scroll-bar-bottom-button.png"));
    for (TImageStateButton* b : {BTNSIDEBUTTONUP, BTNSIDEBUTTONDOWN}) {
        if (!b->NormalBitmap().isNull()) b->setText(QString());
    }
}
