#include "config/window/DpiLevelRow.h"

#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/TrackBar.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>

namespace {

using namespace vyk::config;

// Where the controls sit inside the column.
constexpr int kBarX = 28, kBarY2 = 68;  // X bar left edge; Y bar 48 to its right
constexpr int kBarGap = 48, kBarW = 20, kBarH = 200;

QLabel* makeLabel(QWidget* parent, const QString& text, const QFont& font, const QColor& colour) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    l->setFont(font);
    l->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colour.name()));
    return l;
}

// A face drawn at reduced strength: the look of a level that is off.
QPixmap dimmed(const QPixmap& face) {
    if (face.isNull()) return face;
    QPixmap out(face.size());
    out.setDevicePixelRatio(face.devicePixelRatio());
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setOpacity(0.45);
    p.drawPixmap(0, 0, face);
    return out;
}

QString imagePath(const QString& name, const QString& folder) {
    if (GlobalImageDataBase == nullptr) return QString();
    QPixmap probe;
    GlobalImageDataBase->AssignIMAGE(probe, name, folder);
    const TuiImageData* d = GlobalImageDataBase->FindImage(name);
    return d != nullptr ? d->ImagePath : QString();
}

}  // namespace

TDpiLevelRow::TDpiLevelRow(int level, QWidget* parent) : QWidget(parent), FLevel(level) {
    setObjectName(QStringLiteral("DpiLevelRow%1").arg(level + 1));
    setFixedSize(DPI_ROW_WIDTH, DPI_ROW_HEIGHT);
    const QString n = QString::number(level + 1);

    BtnCPI = new TImageStateButton(QStringLiteral("DPI") + n, this);
    BtnCPI->setObjectName(QStringLiteral("BtnCPI") + n);
    BtnCPI->setGeometry(13, 8, 90, 30);
    BtnCPI->SetStaysPressed(true);
    BtnCPI->SetTag(level);
    BtnCPI->setFocusPolicy(Qt::NoFocus);
    BtnCPI->setFont(TitleFont(14, true));

    TxtCPIXNum = makeLabel(this, QStringLiteral("0"), TextFont(13, true), skincolor::Text);
    TxtCPIXNum->setObjectName(QStringLiteral("TxtCPI%1XNum").arg(n));
    TxtCPIXNum->setGeometry(kBarX + kBarW / 2 - 28, 44, 56, 18);
    TxtCPIYNum = makeLabel(this, QStringLiteral("0"), TextFont(13, true), skincolor::Text);
    TxtCPIYNum->setObjectName(QStringLiteral("TxtCPI%1YNum").arg(n));
    TxtCPIYNum->setGeometry(kBarX + kBarGap + kBarW / 2 - 28, 44, 56, 18);

    auto makeBar = [&](int axis) {
        auto* t = new TTrackBar(Qt::Vertical, this);
        t->setObjectName(QStringLiteral("TrackCPI%1%2").arg(n, axis == 0 ? QStringLiteral("X") : QStringLiteral("Y")));
        t->SetRange(DPI_MIN, DPI_MAX);
        t->SetFrequency(DPI_STEP);
        t->SetTag(axis);
        t->SetBindingName(QStringLiteral("CPI") + n);
        t->setGeometry(kBarX + axis * kBarGap, kBarY2, kBarW, kBarH);
        return t;
    };
    TrackCPIX = makeBar(0);
    TrackCPIY = makeBar(1);

    // The middle column has room for the short captions only.
    const bool shortCaptions = level == 1;
    TextCPIX = makeLabel(this, shortCaptions ? QStringLiteral("X") : QStringLiteral("X-AXIS"), TextFont(12),
                         skincolor::DimText);
    TextCPIX->setObjectName(QStringLiteral("TextCPI%1X").arg(n));
    TextCPIX->setGeometry(kBarX + kBarW / 2 - 30, kBarY2 + kBarH + 4, 60, 18);
    TextCPIY = makeLabel(this, shortCaptions ? QStringLiteral("Y") : QStringLiteral("Y-AXIS"), TextFont(12),
                         skincolor::DimText);
    TextCPIY->setObjectName(QStringLiteral("TextCPI%1Y").arg(n));
    TextCPIY->setGeometry(kBarX + kBarGap + kBarW / 2 - 30, kBarY2 + kBarH + 4, 60, 18);

    CheckCPI = new QCheckBox(QStringLiteral("LINK XY"), this);
    CheckCPI->setObjectName(QStringLiteral("CheckCPI") + n);
    CheckCPI->setProperty("Tag", level);
    CheckCPI->setFont(TextFont(12, true));
    CheckCPI->setGeometry(14, kBarY2 + kBarH + 34, 96, 22);

    DPIL = new QRadioButton(this);
    DPIL->setObjectName(QStringLiteral("DPIL") + n);
    DPIL->setProperty("Tag", level);
    DPIL->setGeometry(DPI_ROW_WIDTH / 2 - 11, kBarY2 + kBarH + 74, 22, 22);
    DPIL->setToolTip(QStringLiteral("DPI") + n);

    const QString text = skincolor::Text.name();
    const QString dim = skincolor::DimText.name();
    CheckCPI->setStyleSheet(QStringLiteral("QCheckBox { color: %1; background: transparent; spacing: 6px; }"
                                           "QCheckBox:disabled { color: %2; }")
                                .arg(text, dim));
    DPIL->setStyleSheet(QStringLiteral("QRadioButton { background: transparent; }"
                                       "QRadioButton::indicator { width: 14px; height: 14px; border-radius: 8px;"
                                       " border: 2px solid %1; background: %2; }"
                                       "QRadioButton::indicator:checked { background: %3; border-color: %4; }")
                            .arg(skincolor::Rim.name(), skincolor::Window.name(), skincolor::Accent.name(),
                                 skincolor::AccentHot.name()));
    ApplyButtonFaces();
}

void TDpiLevelRow::LoadSkin() {
    TrackCPIX->LoadSkin(QStringLiteral("controls"), QStringLiteral("dpi-indicator-x.png"));
    TrackCPIY->LoadSkin(QStringLiteral("controls"), QStringLiteral("dpi-indicator-y.png"));
    if (GlobalImageDataBase != nullptr) {
        GlobalImageDataBase->AssignIMAGE(FFaceNormal, QStringLiteral("ok-1.png"), QStringLiteral("buttons"));
        GlobalImageDataBase->AssignIMAGE(FFaceHot, QStringLiteral("ok-2.png"), QStringLiteral("buttons"));
        GlobalImageDataBase->AssignIMAGE(FFacePressed, QStringLiteral("ok-3.png"), QStringLiteral("buttons"));
    }
    const QString off = imagePath(QStringLiteral("checkbox-1.png"), QStringLiteral("controls"));
    const QString on = imagePath(QStringLiteral("checkbox-2.png"), QStringLiteral("controls"));
    if (!off.isEmpty() && !on.isEmpty()) {
        CheckCPI->setStyleSheet(QStringLiteral("QCheckBox { color: %1; background: transparent; spacing: 6px; }"
                                               "QCheckBox:disabled { color: %2; }"
                                               "QCheckBox::indicator { width: 18px; height: 18px; }"
                                               "QCheckBox::indicator:unchecked { image: url(\"%3\"); }"
                                               "QCheckBox::indicator:checked { image: url(\"%4\"); }")
                                    .arg(skincolor::Text.name(), skincolor::DimText.name(), off, on));
    }
    ApplyButtonFaces();
}

void TDpiLevelRow::SetLevelStyle(const QString& style) {
    FStyle = style;
    ApplyButtonFaces();
}

void TDpiLevelRow::ApplyButtonFaces() {
    // Current: the lit face; on: the usual faces; off (the button pressed in): a dimmed face
    // with a dim caption.
    if (FStyle == QLatin1String("MYDPIBTNCURRENTA")) {
        BtnCPI->SetBitmaps(FFacePressed, FFacePressed, FFacePressed);
        BtnCPI->SetTextColor(QColor(Qt::white));
    } else if (FStyle == QLatin1String("MYDPIBTN")) {
        BtnCPI->SetBitmaps(dimmed(FFaceNormal), dimmed(FFaceHot), dimmed(FFaceNormal));
        BtnCPI->SetTextColor(skincolor::DimText);
    } else {
        BtnCPI->SetBitmaps(FFaceNormal, FFaceHot, FFaceNormal);
        BtnCPI->SetTextColor(skincolor::Text);
    }
    BtnCPI->update();
}
