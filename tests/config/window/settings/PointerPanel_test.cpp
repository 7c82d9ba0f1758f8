// The pointer area of the GENERAL page on the real window: polling radios, the pointer bars,
// the double-click time applied at once, the test area, the hidden sensor-lift box and the
// refresh of all of them.
#include "config/window/PointerPanel.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/TrackBar.h"
#include "config/window/GeneralPage.h"
#include "tests/config/window/settings/settings_fixture.h"

#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyleHints>
#include <QVariantAnimation>

namespace {

using settingstest::SettingsTest;
using vyk::test::waitUntil;

class PointerPanelTest : public SettingsTest {
protected:
    TPointerPanel& panel() { return *window_->PageGeneral->Pointer; }
};

TEST_F(PointerPanelTest, PollingRadiosStoreTheRateAndMarkItChanged) {
    struct Case {
        int radio;
        int rate;
    };
    const Case cases[] = {{0, 125}, {3, 1000}, {1, 250}, {2, 500}};
    open(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        window_->State().ReportRateChanged = false;
        window_->State().SettingsChanged = false;
        click(panel().RadioPolling[static_cast<std::size_t>(c.radio)]);
        EXPECT_EQ(config().ReportRate, c.rate);
        EXPECT_EQ(slot().ReportRate, c.rate);
        EXPECT_TRUE(window_->State().ReportRateChanged);
        EXPECT_TRUE(window_->State().SettingsChanged);
    }
    EXPECT_TRUE(reports().empty()) << "the rate reaches the mouse at APPLY";
}

TEST_F(PointerPanelTest, DoubleClickBarEndsApplyTheirTimesAtOnce) {
    open(0);
    TTrackBar* bar = panel().TrackMouseDBClick;
    click(bar);
    pointer_.clear();
    QTest::keyClick(bar, Qt::Key_Home);  // the left end: the slowest double click
    EXPECT_EQ(config().DoubleClickSpeed, 900);
    EXPECT_EQ(pointer_.calls(), std::vector<std::string>{"doubleClick 900"});
    QTest::keyClick(bar, Qt::Key_End);
    EXPECT_EQ(config().DoubleClickSpeed, 200);
    EXPECT_EQ(pointer_.calls(), (std::vector<std::string>{"doubleClick 900", "doubleClick 200"}));
    EXPECT_EQ(slot().DoubleClickSpeed, 200);
    EXPECT_TRUE(window_->State().SettingsChanged);
}

TEST_F(PointerPanelTest, PointerBarsStoreTruncatedValuesAndFillMouseParams) {
    open(0);
    panel().TrackScrollSpeed->SetValue(9.99);
    EXPECT_EQ(config().VWheelSpeed, 9) << "no step: truncated";
    EXPECT_EQ(window_->State().MouseParams.WheelLines, 9);
    panel().TrackScrollSpeed->SetValue(10);
    EXPECT_EQ(config().VWheelSpeed, 10);

    click(panel().TrackPointSpeed);
    QTest::keyClick(panel().TrackPointSpeed, Qt::Key_End);
    EXPECT_EQ(config().PointerSpeed, 20);
    EXPECT_EQ(window_->State().MouseParams.PointerSpeed, 20);
    click(panel().TrackAccele);
    QTest::keyClick(panel().TrackAccele, Qt::Key_Home);
    EXPECT_EQ(config().PointerAcceleration, 0);
    EXPECT_EQ(window_->State().MouseParams.Acceleration, 0);
    EXPECT_EQ(slot().PointerSpeed, 20);
    EXPECT_TRUE(window_->State().SettingsChanged);
    EXPECT_TRUE(pointer_.calls().empty()) << "pointer speed, wheel and acceleration reach the desktop at APPLY";
}

TEST_F(PointerPanelTest, RefreshShowsStoredValuesWithoutMarkingAnythingChanged) {
    open(0);
    refreshWith([](TMOUSECONFIGINFO& c) {
        c.ReportRate = 1000;
        c.VWheelSpeed = 0;  // below the bar: shown and stored at its end
        c.PointerSpeed = 7;
        c.PointerAcceleration = 2;
        c.DoubleClickSpeed = 300;
    });
    EXPECT_TRUE(panel().RadioPolling[3]->isChecked());
    EXPECT_EQ(config().ReportRate, 1000);
    EXPECT_EQ(panel().TrackScrollSpeed->Value(), 1);
    EXPECT_EQ(config().VWheelSpeed, 1);
    EXPECT_EQ(window_->State().MouseParams.PointerSpeed, 7);
    EXPECT_EQ(window_->State().MouseParams.Acceleration, 2);
    EXPECT_EQ(panel().TrackMouseDBClick->Value(), 800);
    // The stored time, then once more by the bar's handler when the bar moves to show it.
    EXPECT_EQ(pointer_.calls(), (std::vector<std::string>{"doubleClick 300", "doubleClick 300"}));
    EXPECT_FALSE(window_->State().SettingsChanged);
    EXPECT_FALSE(window_->State().ReportRateChanged) << "a refresh is not an edit";
    EXPECT_TRUE(reports().empty());

    refreshWith([](TMOUSECONFIGINFO& c) { c.ReportRate = 300; });
    EXPECT_TRUE(panel().RadioPolling[3]->isChecked()) << "an unknown rate leaves the radios";
    EXPECT_EQ(config().ReportRate, 300);
}

TEST_F(PointerPanelTest, TestAreaIsCentredOnFirstPaintAndADoubleClickTurnsThePicture) {
    open(0);
    QScrollArea* area = panel().ListBoxMouseTest;
    TSkinImage* image = panel().ImageTest;
    ASSERT_TRUE(waitUntil([&] { return !window_->State().DblClickTestCentrePending; }));
    const QPoint inView = image->mapTo(area->viewport(), QPoint(0, 0));
    EXPECT_EQ(inView, QPoint(0, 0)) << "the picture fills the area";

    QTest::mouseDClick(image, Qt::LeftButton, Qt::NoModifier, image->rect().center());
    QVariantAnimation* a = panel().FloatAnimationTest;
    EXPECT_EQ(a->state(), QAbstractAnimation::Running);
    EXPECT_EQ(a->duration(), 1200);
    EXPECT_EQ(a->easingCurve().type(), QEasingCurve::InOutBounce);
    ASSERT_TRUE(waitUntil([&] { return a->state() == QAbstractAnimation::Stopped; }, 5000));
    EXPECT_DOUBLE_EQ(image->Rotation(), 360.0);
}

TEST_F(PointerPanelTest, SensorLiftBoxSendsCommandFiveWithoutSavingBack) {
    open(0);
    const std::uint8_t before = slot().Sensorlift.SensorLift;
    panel().SpinBox1()->setValue(7);
    EXPECT_EQ(reports(), std::vector<std::string>{"cmd5 7"});
    EXPECT_EQ(config().Sensorlift.SensorLift, 7);
    EXPECT_EQ(slot().Sensorlift.SensorLift, before);
    EXPECT_FALSE(window_->State().SettingsChanged);
    EXPECT_TRUE(panel().SpinBox1()->isHidden());
}

}  // namespace
