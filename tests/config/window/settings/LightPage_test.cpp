// The LIGHT page on the real window: swatches and the colour box preview on the mouse at once
// (command 4), brightness and breathing are stored and carried by the next preview, and the
// refresh shows the stored lighting without sending anything.
#include "config/window/LightPage.h"
#include "tests/config/window/settings/settings_fixture.h"

#include <QColorDialog>
#include <QFrame>
#include <QRadioButton>
#include <QToolButton>

#include <set>

namespace {

using settingstest::SettingsTest;

class LightPageTest : public SettingsTest {
protected:
    TLightPage& page() { return *window_->PageLight; }
    QToolButton* swatch(int number) {
        for (QToolButton* b : page().Swatches)
            if (b->objectName() == QStringLiteral("Rectangle%1").arg(number)) return b;
        ADD_FAILURE() << "no swatch " << number;
        return nullptr;
    }
};

TEST_F(LightPageTest, SwatchesSitInFiveRowsWithTheirColours) {
    open(2);
    // Rectangle36 starts the top row, Rectangle10 the bottom one; 30 units apart.
    const QPoint top = swatch(36)->pos();
    EXPECT_EQ(swatch(42)->pos(), top + QPoint(6 * 30, 0));
    EXPECT_EQ(swatch(29)->pos(), top + QPoint(0, 30));
    EXPECT_EQ(swatch(10)->pos(), top + QPoint(0, 4 * 30));
    EXPECT_EQ(swatch(14)->pos(), top + QPoint(4 * 30, 4 * 30));
    EXPECT_EQ(swatch(10)->size(), QSize(25, 25));
    std::set<int> numbers;
    for (const TLightSwatch& s : LIGHT_SWATCHES) numbers.insert(s.Number);
    EXPECT_EQ(numbers.size(), 33u);
    EXPECT_EQ(*numbers.begin(), 10);
    EXPECT_EQ(*numbers.rbegin(), 42);
}

TEST_F(LightPageTest, ASwatchPreviewsOnTheMouseWithTheBrightnessOfTheRadios) {
    struct Case {
        const char* radio;
        std::uint8_t bright;
    };
    const Case cases[] = {{"RadioLevelOff", 0}, {"RadioLevelLow", 1}, {"RadioLevelMid", 2}, {"RadioLevelHigh", 3}};
    open(2);
    const std::uint8_t breath = config().LEDConfig.BREATH_SPEED;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        click(page().findChild<QRadioButton*>(QString::fromLatin1(c.radio)));
        EXPECT_EQ(config().LEDConfig.BRIGHT_LEVEL, c.bright);
        EXPECT_TRUE(reports().empty()) << "a brightness change sends nothing";
        window_->State().SettingsChanged = false;

        click(swatch(39));  // "#FEFF6B01": the alpha plays no part
        char expected[64];
        std::snprintf(expected, sizeof expected, "cmd4 00 94 FE %02X %02X", c.bright, breath);
        EXPECT_EQ(reports(), (std::vector<std::string>{expected})) << "one preview, R G B inverted";
        EXPECT_EQ(config().LEDConfig.R, 0xFF);
        EXPECT_EQ(config().LEDConfig.G, 0x6B);
        EXPECT_EQ(config().LEDConfig.B, 0x01);
        EXPECT_EQ(slot().LEDConfig.G, 0x6B) << "the colour is saved back";
        EXPECT_TRUE(window_->State().SettingsChanged) << "so the close question asks about it";
        EXPECT_EQ(page().PreviewColor(), QColor(0xFF, 0x6B, 0x01));
        EXPECT_EQ(page().ComboColor(), QColor(0xFF, 0x6B, 0x01));
        clearLogs();
        click(swatch(10));  // move away so the next round changes the colour again
        clearLogs();
    }
}

TEST_F(LightPageTest, BreathingRadiosStoreTheirSpeeds) {
    struct Case {
        const char* radio;
        std::uint8_t speed;
    };
    const Case cases[] = {{"RadioSPLow", 6}, {"RadioSPMid", 3}, {"RadioSPHigh", 1}, {"RadioSPClose", 0}};
    open(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        window_->State().SettingsChanged = false;
        click(page().findChild<QRadioButton*>(QString::fromLatin1(c.radio)));
        EXPECT_EQ(config().LEDConfig.BREATH_SPEED, c.speed);
        EXPECT_EQ(window_->State().LEDCache.BREATH_SPEED, c.speed);
        EXPECT_EQ(slot().LEDConfig.BREATH_SPEED, c.speed);
        EXPECT_TRUE(window_->State().SettingsChanged);
        EXPECT_TRUE(reports().empty());
        // The next preview carries it.
        click(swatch(33));
        char expected[64];
        std::snprintf(expected, sizeof expected, "cmd4 FF 00 FE %02X %02X", config().LEDConfig.BRIGHT_LEVEL, c.speed);
        EXPECT_EQ(reports(), (std::vector<std::string>{expected}));
        clearLogs();
    }
}

TEST_F(LightPageTest, TheColourBoxPreviewsItsColourWithoutAlpha) {
    open(2);
    click(page().ComboColorSelect);
    ASSERT_TRUE(page().ColorPopup->isVisible());
    EXPECT_FALSE(page().ColorPanel->testOption(QColorDialog::ShowAlphaChannel));
    page().ColorPanel->setCurrentColor(QColor(0x12, 0x34, 0x56, 0x80));  // what the user picked in the panel
    char expected[64];
    std::snprintf(expected, sizeof expected, "cmd4 ED CB A9 %02X %02X", config().LEDConfig.BRIGHT_LEVEL,
                  config().LEDConfig.BREATH_SPEED);
    EXPECT_EQ(reports(), (std::vector<std::string>{expected}));
    EXPECT_EQ(page().PreviewColor(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(slot().LEDConfig.B, 0x56);
    QTest::keyClick(page().ColorPopup, Qt::Key_Escape);
}

TEST_F(LightPageTest, RefreshShowsTheStoredLightingAndSendsNothing) {
    open(2);
    refreshWith([](TMOUSECONFIGINFO& c) { c.LEDConfig = TLEDCONFIG{0x10, 0x20, 0x30, 3, 6, 9}; });
    EXPECT_TRUE(page().findChild<QRadioButton*>("RadioLevelHigh")->isChecked());
    EXPECT_TRUE(page().findChild<QRadioButton*>("RadioSPLow")->isChecked());
    EXPECT_EQ(page().PreviewColor(), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(page().ComboColor(), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(window_->State().LEDCache.BRIGHT_LEVEL, 3);
    EXPECT_TRUE(reports().empty());
    EXPECT_FALSE(window_->State().SettingsChanged);

    // Values no radio offers leave the groups as they are.
    refreshWith([](TMOUSECONFIGINFO& c) {
        c.LEDConfig.BRIGHT_LEVEL = 7;
        c.LEDConfig.BREATH_SPEED = 2;
    });
    EXPECT_TRUE(page().findChild<QRadioButton*>("RadioLevelHigh")->isChecked());
    EXPECT_TRUE(page().findChild<QRadioButton*>("RadioSPLow")->isChecked());
    EXPECT_EQ(config().LEDConfig.BRIGHT_LEVEL, 7);
    EXPECT_TRUE(reports().empty());
}

TEST_F(LightPageTest, AColourChangeAsksOnCloseAndSurvivesAProfileSwitchAndBack) {
    open(2);
    click(swatch(17));
    EXPECT_TRUE(window_->State().SettingsChanged);
    ASSERT_TRUE(dm_->SwitchToProfile(1));
    ASSERT_TRUE(dm_->SwitchToProfile(0));
    EXPECT_EQ(config().LEDConfig.R, 0x0E);
    EXPECT_EQ(config().LEDConfig.G, 0x0F);
    EXPECT_EQ(config().LEDConfig.B, 0xFF);
}

}  // namespace
