// What the settings pages leave for APPLY: the breathing speeds in the LED block, the DPI
// codes in the DPI block, and the slower progress bar after a polling-rate change.
#include "config/toolkit/TrackBar.h"
#include "config/window/DpiLevelRow.h"
#include "config/window/DpiPage.h"
#include "config/window/GeneralPage.h"
#include "config/window/LightPage.h"
#include "config/window/PointerPanel.h"
#include "tests/config/window/settings/settings_fixture.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

namespace {

using settingstest::SettingsTest;
using vyk::test::waitUntil;

class SettingsApplyTest : public SettingsTest {
protected:
    void apply() {
        click(window_->BtnApply);
        ASSERT_TRUE(waitUntil([&] { return window_->ProgressBarTime->isHidden(); }, 10000));
    }
};

TEST_F(SettingsApplyTest, BreathingRadiosReachTheLEDBlockAtApply) {
    struct Case {
        const char* radio;
        std::uint8_t speed;
    };
    const Case cases[] = {{"RadioSPClose", 0}, {"RadioSPLow", 6}, {"RadioSPMid", 3}, {"RadioSPHigh", 1}};
    open(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        click(window_->PageLight->findChild<QRadioButton*>(QString::fromLatin1(c.radio)));
        apply();
        // Profile 0's LED block: R, G, B inverted, brightness, breathing speed, seconds.
        const auto led = sim_->peek(0, 0xF1, 6);
        EXPECT_EQ(led[4], c.speed);
        EXPECT_EQ(led[3], config().LEDConfig.BRIGHT_LEVEL);
        EXPECT_EQ(led[0], static_cast<std::uint8_t>(~config().LEDConfig.R));
    }
    expectStoreLoadsUnchanged();
}

TEST_F(SettingsApplyTest, UnlinkedBarValuesReachTheDPIBlockAsValueOver50) {
    open(1);
    TDpiLevelRow& r = *window_->PageDpi->Rows[2];
    click(r.CheckCPI);  // unlink level 2
    r.TrackCPIY->setFocus();
    QTest::keyClick(r.TrackCPIY, Qt::Key_End);
    r.TrackCPIX->setFocus();
    QTest::keyClick(r.TrackCPIX, Qt::Key_Home);
    apply();
    // Level 2's entry: on, X code, Y code (low byte first), then its mask.
    EXPECT_EQ(sim_->peek(0, 0x4F + 2 + 8 * 2, 6), (std::vector<std::uint8_t>{1, 0x01, 0x00, 0x48, 0x01, 0x03}));
    expectStoreLoadsUnchanged();
}

TEST_F(SettingsApplyTest, APollingChangeSlowsTheProgressBar) {
    open(0);
    click(window_->BtnApply);
    EXPECT_EQ(window_->TimerProcess->interval(), 100) << "no rate change: the usual pace";
    ASSERT_TRUE(waitUntil([&] { return window_->ProgressBarTime->isHidden(); }, 10000));

    click(window_->PageGeneral->Pointer->RadioPolling[3]);
    click(window_->BtnApply);
    EXPECT_EQ(window_->TimerProcess->interval(), 200) << "after a rate change the bar runs at half pace";
    ASSERT_TRUE(waitUntil([&] { return window_->ProgressBarTime->isHidden(); }, 10000));
    EXPECT_EQ(sim_->peek(0, 0x48, 1), std::vector<std::uint8_t>{1}) << "1000 Hz is code 1";
}

}  // namespace
