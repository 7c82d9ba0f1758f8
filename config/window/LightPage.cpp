#include "config/window/LightPage.h"

#include "config/link/CfgLink.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/SkinControls.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/SkinStyle.h"
#include "config/window/CfgState.h"
#include "core/defs/pubunit_norvane.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QVBoxLayout>

using vyk::platform::guarded;
namespace skincolor = vyk::config::skincolor;

// clang-format off
const std::array<TLightSwatch, 33> LIGHT_SWATCHES = {{
    {36, 0xFFB90001, 0, 0}, {37, 0xFFFE0000, 0, 1}, {38, 0xFFFF4700, 0, 2}, {39, 0xFEFF6B01, 0, 3},
    {40, 0xFFFF9D45, 0, 4}, {41, 0xFFFFBA58, 0, 5}, {42, 0xFFF8E801, 0, 6},
    {29, 0xFFF6FF4E, 1, 0}, {30, 0xFFC9FF4F, 1, 1}, {31, 0xFFA6FF4F, 1, 2}, {32, 0xFF84FF4E, 1, 3},
    {33, 0xFF00FF01, 1, 4}, {34, 0xFF02B534, 1, 5}, {35, 0xFF00A536, 1, 6},
    {22, 0xFF00CF7B, 2, 0}, {23, 0xFF00D09E, 2, 1}, {24, 0xFF00CBCF, 2, 2}, {25, 0xFF6BE1E3, 2, 3},
    {26, 0xFF29C5FE, 2, 4}, {27, 0xFF26A2EA, 2, 5}, {28, 0xFF649EF0, 2, 6},
    {15, 0xFF2484EA, 3, 0}, {16, 0xFF0048FE, 3, 1}, {17, 0xFF0E0FFF, 3, 2}, {18, 0xFF0F0FBD, 3, 3},
    {19, 0xFF5907FF, 3, 4}, {20, 0xFF790CFF, 3, 5}, {21, 0xFFA10CFE, 3, 6},
    {10, 0xFFAA6CE7, 4, 0}, {11, 0xFFB30AD7, 4, 1}, {12, 0xFFC90BFF, 4, 2}, {13, 0xFFCE0ADA, 4, 3},
    {14, 0xFFD90A7E, 4, 4},
}};
// clang-format on

namespace {

// Where things sit on the 606 × 412 page.
constexpr int kMouseX = 24, kMouseY = 36, kMouseW = 220, kMouseH = 340;
constexpr int kLogoX = 110, kLogoY = 238, kLogoBox = 50;  // the logo's centre in the picture
constexpr int kRightX = 284;
constexpr int kSwatchX = kRightX + 2, kSwatchY = 188, kSwatchStep = 30, kSwatchSize = 25;

constexpr std::uint8_t kBreathSpeeds[4] = {0, 6, 3, 1};

// The light zones of the picture coloured: a luminance-weighted multiply, so the bright
// neutral zones take the colour fully and the dark shell only faintly; alpha stays.
QImage tinted(const QImage& base, const QColor& c) {
    QImage img = base.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = line[x];
            const int a = qAlpha(px);
            if (a == 0) continue;
            const double lum = (0.30 * qRed(px) + 0.59 * qGreen(px) + 0.11 * qBlue(px)) / a;
            auto ch = [&](int v, int k) { return static_cast<int>(v * (1 - lum) + v * k / 255.0 * lum + 0.5); };
            line[x] = qRgba(ch(qRed(px), c.red()), ch(qGreen(px), c.green()), ch(qBlue(px), c.blue()), a);
        }
    }
    return img;
}

QString swatchStyle(const QColor& c) {
    return QStringLiteral(
               "QToolButton { background: %1; border: 1px solid %2; border-radius: 2px; }"
               "QToolButton:hover { border: 2px solid %3; }"
               "QToolButton:pressed { border: 2px solid %4; }")
        .arg(c.name(QColor::HexRgb), skincolor::Rim.name(), skincolor::Text.name(), skincolor::AccentHot.name());
}

}  // namespace

TLightPage::TLightPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent) : TCfgPage(dm, state, link, parent) {
    setObjectName(QStringLiteral("PageLight"));
    auto caption = [this](const char* name, const char* text, int y) {
        return vyk::config::NewSkinCaption(this, name, QString::fromLatin1(text),
                                           QRect(kRightX, y, 606 - kRightX - 10, 20));
    };
    auto radio = [this](const char* name, const char* text, int tag, QRect geometry) {
        return vyk::config::NewSkinRadio(this, name, QString::fromLatin1(text), tag, geometry);
    };

    // The preview: the colour behind the logo, then the picture over it.
    RectMouseColorLayoutBackColor = new QWidget(this);
    RectMouseColorLayoutBackColor->setObjectName(QStringLiteral("RectMouseColorLayoutBackColor"));
    RectMouseColorLayoutBackColor->setGeometry(kMouseX + kLogoX - kLogoBox / 2, kMouseY + kLogoY - kLogoBox / 2,
                                               kLogoBox, kLogoBox);
    RectMouseColorLayoutBackColor->setAttribute(Qt::WA_StyledBackground);
    ImageMouseColor = new TSkinImage(this);
    ImageMouseColor->setObjectName(QStringLiteral("ImageMouseColor"));
    ImageMouseColor->setGeometry(kMouseX, kMouseY, kMouseW, kMouseH);
    ImageMouseColor->SetClickable(false);

    caption("LabelBrightness", "BRIGHTNESS LEVEL", 14);
    FLevelGroup = new QButtonGroup(this);
    FLevelGroup->setObjectName(QStringLiteral("Light"));
    RadioLevel = {radio("RadioLevelOff", "OFF", 0, QRect(kRightX, 40, 70, 22)),
                  radio("RadioLevelLow", "LOW", 1, QRect(kRightX + 72, 40, 70, 22)),
                  radio("RadioLevelMid", "MEDIUM", 2, QRect(kRightX + 144, 40, 90, 22)),
                  radio("RadioLevelHigh", "HIGH", 3, QRect(kRightX + 236, 40, 80, 22))};
    caption("LabelBreathing", "BREATHING SPEED", 78);
    FSpeedGroup = new QButtonGroup(this);
    FSpeedGroup->setObjectName(QStringLiteral("SPEED"));
    RadioSP = {radio("RadioSPClose", "FULL BRIGHTNESS", 0, QRect(kRightX, 104, 170, 22)),
               radio("RadioSPLow", "LOW", 1, QRect(kRightX + 176, 104, 120, 22)),
               radio("RadioSPMid", "MEDIUM", 2, QRect(kRightX, 130, 170, 22)),
               radio("RadioSPHigh", "HIGH", 3, QRect(kRightX + 176, 130, 120, 22))};
    for (int i = 0; i < 4; ++i) {
        FLevelGroup->addButton(RadioLevel[static_cast<std::size_t>(i)], i);
        FSpeedGroup->addButton(RadioSP[static_cast<std::size_t>(i)], i);
    }

    caption("LabelLightColor", "LIGHT COLOR", 162);
    for (std::size_t i = 0; i < LIGHT_SWATCHES.size(); ++i) {
        const TLightSwatch& s = LIGHT_SWATCHES[i];
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("Rectangle%1").arg(s.Number));
        b->setGeometry(kSwatchX + s.Column * kSwatchStep, kSwatchY + s.Row * kSwatchStep, kSwatchSize, kSwatchSize);
        b->setFocusPolicy(Qt::NoFocus);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(swatchStyle(QColor::fromRgba(s.Color)));
        b->setProperty("Tag", static_cast<int>(i));
        Swatches[i] = b;
    }

    caption("LabelCustomColor", "CUSTOM LIGHT COLOR", 346);
    ComboColorSelect = new QToolButton(this);
    ComboColorSelect->setObjectName(QStringLiteral("ComboColorSelect"));
    ComboColorSelect->setGeometry(kRightX, 372, 170, 28);
    ComboColorSelect->setFont(vyk::config::TextFont(13, true));
    ComboColorSelect->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ComboColorSelect->setArrowType(Qt::NoArrow);

    ColorPopup = new QFrame(this, Qt::Popup);
    ColorPopup->setObjectName(QStringLiteral("ComboColorPopup"));
    ColorPopup->setFrameShape(QFrame::Box);
    auto* popupLayout = new QVBoxLayout(ColorPopup);
    popupLayout->setContentsMargins(4, 4, 4, 4);
    SetComboColor(FComboColor, false);

    for (QRadioButton* r : RadioLevel) {
        connect(r, &QRadioButton::toggled, this,
                [this, r](bool on) { guarded([&] { RadioLevelCloseChange(r->property("Tag").toInt(), on); }); });
    }
    for (QRadioButton* r : RadioSP) {
        connect(r, &QRadioButton::toggled, this,
                [this, r](bool on) { guarded([&] { RadioSPCloseChange(r->property("Tag").toInt(), on); }); });
    }
    for (QToolButton* b : Swatches) {
        connect(b, &QToolButton::clicked, this,
                [this, b] { guarded([&] { Rectangle10Click(b->property("Tag").toInt()); }); });
    }
    connect(ComboColorSelect, &QToolButton::clicked, this, [this] { guarded([this] { OpenColorPopup(); }); });
    SetPreviewShapes(FPreviewColor);
}

void TLightPage::MakeColorPanel() {
    if (ColorPanel != nullptr) return;
    ColorPanel = new QColorDialog(ColorPopup);
    ColorPanel->setWindowFlags(Qt::Widget);
    ColorPanel->setOptions(QColorDialog::DontUseNativeDialog | QColorDialog::NoButtons);
    ColorPopup->layout()->addWidget(ColorPanel);
    connect(ColorPanel, &QColorDialog::currentColorChanged, this, [this](const QColor& c) {
        guarded([&] {
            if (FComboDetached) return;
            SetComboColor(c, true);
        });
    });
}

void TLightPage::LoadSkin() {
    QPixmap base;
    if (GlobalImageDataBase != nullptr) {
        GlobalImageDataBase->AssignIMAGE(base, QStringLiteral("mouse-layout-Color.png"), QStringLiteral("background"));
    }
    FMouseBase = base.isNull() ? QImage() : base.toImage();
    SetPreviewShapes(FPreviewColor);
}

void TLightPage::Changed() {
    if (!FHoldSaveBack) DataModule().SaveBackToCurrentProfileInfo();
    if (!FRefreshing) State().SettingsChanged = true;
}

void TLightPage::SetPreviewShapes(const QColor& colour) {
    const QColor c(colour.red(), colour.green(), colour.blue());
    FPreviewColor = c;
    RectMouseColorLayoutBackColor->setStyleSheet(QStringLiteral("background: %1;").arg(c.name()));
    if (!FMouseBase.isNull()) ImageMouseColor->SetPixmap(QPixmap::fromImage(tinted(FMouseBase, c)));
}

void TLightPage::SetComboColor(const QColor& colour, bool runHandler) {
    const QColor c(colour.red(), colour.green(), colour.blue());  // no alpha
    const bool changed = c != FComboColor;
    FComboColor = c;
    QPixmap chip(16, 16);
    chip.fill(c);
    ComboColorSelect->setIcon(QIcon(chip));
    ComboColorSelect->setText(c.name(QColor::HexRgb).toUpper());
    ComboColorSelect->setStyleSheet(
        QStringLiteral("QToolButton { color: %1; background: %2; border: 1px solid %3; border-radius: 3px;"
                       " padding: 2px 8px; text-align: left; }"
                       "QToolButton:hover { border-color: %4; }")
            .arg(skincolor::Text.name(), skincolor::Surface.name(), skincolor::Rim.name(),
                 skincolor::AccentHot.name()));
    if (ColorPanel != nullptr && ColorPanel->currentColor() != c) {
        QScopedValueRollback<bool> detached(FComboDetached, true);
        ColorPanel->setCurrentColor(c);
    }
    if (runHandler && changed) ComboColorSelectChange();
}

void TLightPage::OpenColorPopup() {
    MakeColorPanel();
    {
        QScopedValueRollback<bool> detached(FComboDetached, true);
        ColorPanel->setCurrentColor(FComboColor);
    }
    ColorPopup->adjustSize();
    ColorPopup->move(ComboColorSelect->mapToGlobal(QPoint(0, ComboColorSelect->height())));
    ColorPopup->show();
}

void TLightPage::PreviewLEDColor(std::uint32_t argb) {
    TMOUSECONFIGINFO& c = DataModule().FCurrentProfileInfo.ConfigInfo;
    TLEDCONFIG& cache = State().LEDCache;
    cache = c.LEDConfig;
    cache.R = static_cast<std::uint8_t>((argb >> 16) & 0xFF);
    cache.G = static_cast<std::uint8_t>((argb >> 8) & 0xFF);
    cache.B = static_cast<std::uint8_t>(argb & 0xFF);
    Link().PreviewLighting(cache);
    c.LEDConfig = cache;
    // The colour is an edit like any other: kept in the profile's slot and asked about on close.
    Changed();
}

void TLightPage::RadioLevelCloseChange(int tag, bool checked) {
    if (!checked || tag < 0 || tag > 3) return;
    const auto b = static_cast<std::uint8_t>(tag);
    State().LEDCache.BRIGHT_LEVEL = b;
    DataModule().FCurrentProfileInfo.ConfigInfo.LEDConfig.BRIGHT_LEVEL = b;
    Changed();
}

void TLightPage::RadioSPCloseChange(int tag, bool checked) {
    if (!checked || tag < 0 || tag > 3) return;
    const std::uint8_t s = kBreathSpeeds[tag];
    State().LEDCache.BREATH_SPEED = s;
    DataModule().FCurrentProfileInfo.ConfigInfo.LEDConfig.BREATH_SPEED = s;
    Changed();
}

void TLightPage::Rectangle10Click(int swatch) {
    if (swatch < 0 || swatch >= static_cast<int>(LIGHT_SWATCHES.size())) return;
    const std::uint32_t argb = LIGHT_SWATCHES[static_cast<std::size_t>(swatch)].Color;
    const QColor c = QColor::fromRgba(argb);
    SetPreviewShapes(c);
    // The box shows the swatch's colour; the swatch's own preview is the one sent.
    SetComboColor(c, false);
    PreviewLEDColor(argb);
}

void TLightPage::ComboColorSelectChange() {
    SetPreviewShapes(FComboColor);
    PreviewLEDColor(FComboColor.rgba());
}

void TLightPage::RefreshMadeLate() {
    QScopedValueRollback<bool> hold(FHoldSaveBack, true);
    Refresh();
}

void TLightPage::Refresh() {
    QScopedValueRollback<bool> refreshing(FRefreshing, true);
    const TLEDCONFIG& led = DataModule().FCurrentProfileInfo.ConfigInfo.LEDConfig;
    if (led.BRIGHT_LEVEL <= 3) RadioLevel[led.BRIGHT_LEVEL]->setChecked(true);
    for (int i = 0; i < 4; ++i) {
        if (kBreathSpeeds[i] == led.BREATH_SPEED) RadioSP[static_cast<std::size_t>(i)]->setChecked(true);
    }
    const QColor c(led.R, led.G, led.B);
    SetPreviewShapes(c);
    SetComboColor(c, false);
}
