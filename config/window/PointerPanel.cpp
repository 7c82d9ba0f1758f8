#include "config/window/PointerPanel.h"

#include "config/link/CfgLink.h"
#include "config/toolkit/SkinControls.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/TrackBar.h"
#include "config/window/CfgState.h"
#include "core/defs/pubunit_norvane.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"

#include <QButtonGroup>
#include <QEvent>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVariantAnimation>

#include <algorithm>

using vyk::platform::guarded;
namespace skincolor = vyk::config::skincolor;

namespace {

constexpr int kRates[4] = {125, 250, 500, 1000};
constexpr int kTestAreaSize = 50;
constexpr int kTestItemPos = 5000;  // where the picture sits in the test area's content

}  // namespace

TPointerPanel::TPointerPanel(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent)
    : QWidget(parent), FDM(dm), FState(state), FLink(link) {
    setObjectName(QStringLiteral("PointerPanel"));
    auto caption = [this](const char* name, const char* text, int y) {
        return vyk::config::NewSkinCaption(this, name, QString::fromLatin1(text),
                                           QRect(10, y, POINTER_PANEL_WIDTH - 20, 20));
    };

    LabelPolling = caption("LabelPolling", "POLLING RATE", 12);
    FPollingGroup = new QButtonGroup(this);
    FPollingGroup->setObjectName(QStringLiteral("RadioPolling"));
    const char* names[4] = {"Radio125", "Radio250", "Radio500", "Radio1000"};
    const char* texts[4] = {"125HZ", "250HZ", "500HZ", "1000HZ"};
    for (int i = 0; i < 4; ++i) {
        QRadioButton* r = vyk::config::NewSkinRadio(this, names[i], QString::fromLatin1(texts[i]), i,
                                                    QRect(14 + (i % 2) * 116, 38 + (i / 2) * 26, 110, 22));
        FPollingGroup->addButton(r, i);
        RadioPolling[static_cast<std::size_t>(i)] = r;
    }
    RadioPolling[1]->setChecked(true);

    auto bar = [&](const char* name, double min, double max, double step, int y, int w) {
        auto* t = new TTrackBar(Qt::Horizontal, this);
        t->setObjectName(QString::fromLatin1(name));
        t->SetRange(min, max);
        t->SetFrequency(step);
        t->SetValue(min);
        t->setGeometry(10, y, w, 20);
        return t;
    };
    caption("LabelPointSpeed", "POINTER SPEED", 104);
    TrackPointSpeed = bar("TrackPointSpeed", 1, 20, 1, 128, POINTER_PANEL_WIDTH - 20);
    caption("LabelScrollSpeed", "SCROLL SPEED", 162);
    TrackScrollSpeed = bar("TrackScrollSpeed", 1, 10, 0, 186, POINTER_PANEL_WIDTH - 20);
    caption("LabelAccele", "ACCELERATION", 220);
    TrackAccele = bar("TrackAccele", 0, 3, 1, 244, POINTER_PANEL_WIDTH - 20);
    caption("LabelDBClick", "DOUBLE CLICK SPEED", 278);
    TrackMouseDBClick = bar("TrackMouseDBClick", 200, 900, 1, 318, 160);

    // The double-click test area: a small window onto a large content with the picture in it.
    ListBoxMouseTest = new QScrollArea(this);
    ListBoxMouseTest->setObjectName(QStringLiteral("ListBoxMouseTest"));
    ListBoxMouseTest->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBoxMouseTest->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBoxMouseTest->setFrameShape(QFrame::NoFrame);
    ListBoxMouseTest->setStyleSheet(QStringLiteral("background: transparent;"));
    ListBoxMouseTest->setGeometry(POINTER_PANEL_WIDTH - 10 - kTestAreaSize, 303, kTestAreaSize, kTestAreaSize);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("ListBoxItemTest"));
    content->setFixedSize(2 * kTestItemPos + kTestAreaSize, 2 * kTestItemPos + kTestAreaSize);
    ImageTest = new TSkinImage(content);
    ImageTest->setObjectName(QStringLiteral("ImageTest"));
    ImageTest->setGeometry(kTestItemPos, kTestItemPos, kTestAreaSize, kTestAreaSize);
    ImageTest->setCursor(Qt::PointingHandCursor);
    ListBoxMouseTest->setWidget(content);
    ListBoxMouseTest->viewport()->installEventFilter(this);

    FloatAnimationTest = new QVariantAnimation(this);
    FloatAnimationTest->setObjectName(QStringLiteral("FloatAnimationTest"));
    FloatAnimationTest->setStartValue(0.0);
    FloatAnimationTest->setEndValue(360.0);
    FloatAnimationTest->setDuration(1200);
    FloatAnimationTest->setEasingCurve(QEasingCurve::InOutBounce);
    connect(FloatAnimationTest, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& v) { ImageTest->SetRotation(v.toDouble()); });

    for (QRadioButton* r : RadioPolling) {
        connect(r, &QRadioButton::toggled, this,
                [this, r](bool checked) { guarded([&] { Radio125Change(r->property("Tag").toInt(), checked); }); });
    }
    for (TTrackBar* t : {TrackScrollSpeed, TrackPointSpeed, TrackAccele, TrackMouseDBClick}) {
        connect(t, &TTrackBar::Change, this, [this, t] { guarded([&] { TrackScrollSpeedChange(t); }); });
    }
    connect(ImageTest, &TSkinImage::DblClick, this, [this] { guarded([&] { ImageTestDblClick(); }); });
}

QSpinBox* TPointerPanel::SpinBox1() {
    if (FSpinBox1 != nullptr) return FSpinBox1;
    FSpinBox1 = new QSpinBox(this);
    FSpinBox1->setObjectName(QStringLiteral("SpinBox1"));
    FSpinBox1->setRange(0, 32);
    FSpinBox1->setSingleStep(1);
    FSpinBox1->setReadOnly(true);
    FSpinBox1->hide();
    connect(FSpinBox1, &QSpinBox::valueChanged, this, [this](int v) { guarded([&] { SpinBox1Change(v); }); });
    return FSpinBox1;
}

void TPointerPanel::LoadSkin() {
    for (TTrackBar* t : {TrackPointSpeed, TrackScrollSpeed, TrackAccele}) {
        t->LoadSkin(QStringLiteral("controls"), QStringLiteral("Indicator-bar-back.png"));
    }
    TrackMouseDBClick->LoadSkin(QStringLiteral("controls"), QStringLiteral("Indicator-bar-back-sm.png"));
    ImageTest->LoadSkin(QStringLiteral("background"), QStringLiteral("DB-CLICK-TEST-AREA.png"));
}

void TPointerPanel::Changed() {
    FDM.SaveBackToCurrentProfileInfo();
    if (!FRefreshing) FState.SettingsChanged = true;
}

void TPointerPanel::Radio125Change(int tag, bool checked) {
    if (!checked || tag < 0 || tag > 3) return;
    FDM.FCurrentProfileInfo.ConfigInfo.ReportRate = static_cast<std::uint16_t>(kRates[tag]);
    if (!FRefreshing) FState.ReportRateChanged = true;
    Changed();
}

void TPointerPanel::TrackScrollSpeedChange(TTrackBar* track) {
    TMOUSECONFIGINFO& c = FDM.FCurrentProfileInfo.ConfigInfo;
    const int value = static_cast<int>(track->Value());  // truncated
    if (track == TrackScrollSpeed) {
        c.VWheelSpeed = static_cast<std::uint16_t>(value);
        FState.MouseParams.WheelLines = value;
    } else if (track == TrackPointSpeed) {
        c.PointerSpeed = static_cast<std::uint16_t>(value);
        FState.MouseParams.PointerSpeed = value;
    } else if (track == TrackAccele) {
        c.PointerAcceleration = static_cast<std::uint16_t>(value);
        FState.MouseParams.Acceleration = value;
    } else if (track == TrackMouseDBClick) {
        // Reversed: the left end is the longest time.
        const int ms = static_cast<int>(track->Max() + track->Min()) - value;
        c.DoubleClickSpeed = static_cast<std::uint16_t>(ms);
        FLink.SetDoubleClickTime(ms);
    } else {
        return;
    }
    Changed();
}

void TPointerPanel::SpinBox1Change(int value) {
    const int lift = std::clamp(value, 0, 32);
    FDM.FCurrentProfileInfo.ConfigInfo.Sensorlift.SensorLift = static_cast<std::uint8_t>(lift);
    FLink.SetSensorLift(static_cast<std::uint8_t>(lift));
}

void TPointerPanel::ListBoxMouseTestPaint() {
    if (!FState.DblClickTestCentrePending) return;
    FState.DblClickTestCentrePending = false;
    for (QScrollBar* s : {ListBoxMouseTest->horizontalScrollBar(), ListBoxMouseTest->verticalScrollBar()}) {
        s->setValue((s->minimum() + s->maximum()) / 2);
    }
}

void TPointerPanel::ImageTestDblClick() {
    FloatAnimationTest->stop();
    FloatAnimationTest->start();
}

bool TPointerPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBoxMouseTest->viewport() && event->type() == QEvent::Paint) {
        guarded([this] { ListBoxMouseTestPaint(); });
    }
    return QWidget::eventFilter(watched, event);
}

void TPointerPanel::RefreshMouseParam() {
    QScopedValueRollback<bool> refreshing(FRefreshing, true);
    const TMOUSECONFIGINFO& c = FDM.FCurrentProfileInfo.ConfigInfo;
    TrackScrollSpeed->SetValue(c.VWheelSpeed);
    TrackPointSpeed->SetValue(c.PointerSpeed);
    TrackAccele->SetValue(c.PointerAcceleration);
    const int ms = c.DoubleClickSpeed;
    FLink.SetDoubleClickTime(ms);
    TrackMouseDBClick->SetValue(TrackMouseDBClick->Max() + TrackMouseDBClick->Min() - ms);
}

void TPointerPanel::RefreshReport() {
    QScopedValueRollback<bool> refreshing(FRefreshing, true);
    const int rate = FDM.FCurrentProfileInfo.ConfigInfo.ReportRate;
    for (int i = 0; i < 4; ++i) {
        if (kRates[i] == rate) RadioPolling[static_cast<std::size_t>(i)]->setChecked(true);
    }
}
