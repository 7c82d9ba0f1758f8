// The DPI page on the real window: the level buttons, the LINK XY boxes and bars, the
// current-level radios' immediate write, and the refresh of the levels.
#include "config/window/DpiPage.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/TrackBar.h"
#include "config/window/DpiLevelRow.h"
#include "core/defs/vyk_messages.h"
#include "core/device/DeviceEncoders.h"
#include "tests/config/window/settings/settings_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

namespace {

using settingstest::SettingsTest;
using vyk::test::waitUntil;

class DpiPageTest : public SettingsTest {
protected:
    TDpiPage& page() { return *window_->PageDpi; }
    TDpiLevelRow& row(int level) { return *page().Rows[static_cast<std::size_t>(level)]; }
    std::vector<int> enabled() {
        std::vector<int> out;
        for (int i = 0; i < 5; ++i) out.push_back(config().CPIState[i].Enabled);
        return out;
    }
    std::vector<bool> buttonsPressed() {
        std::vector<bool> out;
        for (int i = 0; i < 5; ++i) out.push_back(row(i).BtnCPI->IsPressed());
        return out;
    }
    int checkedRadio() {
        for (int i = 0; i < 5; ++i)
            if (page().DPIL[static_cast<std::size_t>(i)]->isChecked()) return i;
        return -1;
    }
};

TEST_F(DpiPageTest, CurrentLevelRadioWritesTheBlockThenCommandOneAndTellsTheMonitor) {
    open(1);
    ASSERT_EQ(checkedRadio(), 0);
    const auto storedBefore = settingstest::snapshot(registry_);
    const TMOUSECONFIGINFO slotBefore = slot();

    click(page().DPIL[2]);
    ASSERT_TRUE(waitUntil([&] { return !toMonitor_.empty(); }));

    EXPECT_EQ(reports(), (std::vector<std::string>{"write 04F 42", "cmd1 1 0"}))
        << "one 42-byte block at p*0x100+0x4F, then command 1 {1, 0}";
    auto expected = std::make_unique<TMouseProfileInfo>(dm_->FCurrentProfileInfo);
    TCPITable block{};
    BuildCPITable(*expected, block);
    EXPECT_EQ(block[1], 2) << "the block carries the new current level";
    EXPECT_EQ(sim_->peek(0, 0x4F, 42), std::vector<std::uint8_t>(block.begin(), block.end()));
    ASSERT_EQ(toMonitor_.size(), 1u);
    EXPECT_EQ(toMonitor_[0].msg, WM_CFG_SETTINGS_APPLIED);
    EXPECT_EQ(toMonitor_[0].wParam, 1);
    EXPECT_EQ(toMonitor_[0].lParam, 0);

    EXPECT_EQ(config().CurrentCPIIndex, 2);
    EXPECT_EQ(slot().CurrentCPIIndex, slotBefore.CurrentCPIIndex) << "not saved back";
    EXPECT_FALSE(window_->State().SettingsChanged);
    EXPECT_EQ(settingstest::snapshot(registry_), storedBefore) << "the registry is not touched";
    EXPECT_EQ(row(2).LevelStyle(), "MYDPIBTNCURRENTA");
    EXPECT_EQ(row(0).LevelStyle(), "MYDPIBTNA");
}

TEST_F(DpiPageTest, ARadioChosenDuringAWriteIsWrittenAfterItNeverInsideIt) {
    open(1);
    bool clicked = false;
    link_->before = [&](const std::string& op, int) {
        if (op != "cpi" || clicked) return;
        clicked = true;
        click(page().DPIL[4]);  // the user chooses another level while the first write runs
    };
    click(page().DPIL[2]);
    ASSERT_TRUE(waitUntil([&] { return toMonitor_.size() == 2; }));
    EXPECT_EQ(reports(), (std::vector<std::string>{"write 04F 42", "cmd1 1 0", "write 04F 42", "cmd1 1 0"}))
        << "the second write starts after the first one's command 1";
    EXPECT_EQ(sim_->peek(0, 0x4F + 1, 1), std::vector<std::uint8_t>{4}) << "the latest level is what the mouse keeps";
    EXPECT_EQ(config().CurrentCPIIndex, 4);
    EXPECT_EQ(checkedRadio(), 4);
}

TEST_F(DpiPageTest, LevelButtonsKeepOneLevelOnAndMakeTheLowestCurrent) {
    struct Case {
        const char* what;
        std::vector<int> enabledBefore;
        int currentBefore;
        int level;
        Qt::MouseButton button;
        std::vector<int> enabledAfter;
        int currentAfter;
    };
    const Case cases[] = {
        {"switching the current level off", {1, 1, 1, 1, 1}, 0, 0, Qt::LeftButton, {0, 1, 1, 1, 1}, 1},
        {"the only level on stays on", {0, 0, 1, 0, 0}, 2, 2, Qt::LeftButton, {0, 0, 1, 0, 0}, 2},
        {"switching a level on makes the lowest current", {1, 0, 1, 0, 0}, 2, 4, Qt::LeftButton, {1, 0, 1, 0, 1}, 0},
        {"another button changes no level", {1, 0, 1, 0, 0}, 2, 3, Qt::RightButton, {1, 0, 1, 0, 0}, 0},
    };
    open(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        refreshWith([&](TMOUSECONFIGINFO& cfg) {
            for (int i = 0; i < 5; ++i) cfg.CPIState[i].Enabled = static_cast<std::uint16_t>(c.enabledBefore[i]);
            cfg.CurrentCPIIndex = c.currentBefore;
        });
        window_->State().SettingsChanged = false;
        clearLogs();

        click(row(c.level).BtnCPI, c.button);

        EXPECT_EQ(enabled(), c.enabledAfter);
        EXPECT_EQ(config().CurrentCPIIndex, c.currentAfter);
        std::vector<bool> pressed;
        for (int e : c.enabledAfter) pressed.push_back(e == 0);
        EXPECT_EQ(buttonsPressed(), pressed) << "a pressed button is a level that is off";
        EXPECT_EQ(checkedRadio(), c.currentAfter);
        EXPECT_EQ(row(c.currentAfter).LevelStyle(), "MYDPIBTNCURRENTA");
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(row(i).TrackCPIX->isEnabled(), c.enabledAfter[i] == 1) << i;
            if (c.enabledAfter[i] == 0) {
                EXPECT_EQ(row(i).LevelStyle(), "MYDPIBTN") << i;
            }
        }
        EXPECT_TRUE(window_->State().SettingsChanged);
        EXPECT_EQ(slot().CurrentCPIIndex, c.currentAfter) << "saved back";
        EXPECT_TRUE(reports().empty()) << "nothing is written to the mouse";
    }
}

TEST_F(DpiPageTest, UnlinkedBarsMoveAloneLinkedBarsTogetherInStepsOf50) {
    open(1);
    TDpiLevelRow& r = row(1);
    ASSERT_TRUE(r.CheckCPI->isChecked()) << "factory levels are linked";
    ASSERT_EQ(config().CPIState[1].X, 2000);

    // Unlink: no value moves.
    click(r.CheckCPI);
    EXPECT_FALSE(r.CheckCPI->isChecked());
    EXPECT_EQ(config().UseDiffentXY[1], 0);
    EXPECT_EQ(config().CPIState[1].X, 2000);
    EXPECT_EQ(config().CPIState[1].Y, 2000);
    EXPECT_TRUE(window_->State().SettingsChanged);

    // The Y bar alone: End takes it to 16400.
    click(r.TrackCPIY);
    QTest::keyClick(r.TrackCPIY, Qt::Key_End);
    EXPECT_EQ(config().CPIState[1].Y, 16400);
    EXPECT_EQ(r.TxtCPIYNum->text(), "16400");
    EXPECT_EQ(config().CPIState[1].X, 2000);
    EXPECT_EQ(r.TxtCPIXNum->text(), "2000");

    // A click on the X bar lands on a multiple of 50.
    const QPoint at = r.TrackCPIX->ThumbCentre(5123).toPoint();
    QTest::mouseClick(r.TrackCPIX, Qt::LeftButton, Qt::NoModifier, at);
    const int x = config().CPIState[1].X;
    EXPECT_EQ(x % 50, 0) << x;
    EXPECT_NEAR(x, 5123, 200);
    EXPECT_EQ(r.TrackCPIX->Value(), x);
    EXPECT_EQ(r.TxtCPIXNum->text(), QString::number(x));
    EXPECT_EQ(config().CPIState[1].Y, 16400);

    // Link again: nothing moves until a bar does; then both follow it.
    click(r.CheckCPI);
    EXPECT_EQ(config().CPIState[1].X, x);
    EXPECT_EQ(config().CPIState[1].Y, 16400);
    r.TrackCPIX->setFocus();
    QTest::keyClick(r.TrackCPIX, Qt::Key_Home);
    EXPECT_EQ(config().CPIState[1].X, 50);
    EXPECT_EQ(config().CPIState[1].Y, 50);
    EXPECT_EQ(r.TrackCPIY->Value(), 50);
    EXPECT_EQ(r.TxtCPIXNum->text(), "50");
    EXPECT_EQ(r.TxtCPIYNum->text(), "50");
    EXPECT_EQ(slot().CPIState[1].Y, 50) << "saved back";
    EXPECT_TRUE(reports().empty()) << "bars write nothing to the mouse";
}

TEST_F(DpiPageTest, TheHighestValueReachesTheMouseAsItsDividedCode) {
    open(1);
    TDpiLevelRow& r = row(0);
    r.TrackCPIX->setFocus();
    QTest::keyClick(r.TrackCPIX, Qt::Key_End);
    ASSERT_EQ(config().CPIState[0].X, 16400);
    click(page().DPIL[1]);
    ASSERT_TRUE(waitUntil([&] { return !toMonitor_.empty(); }));
    // Level 0's X and Y codes: 16400 / 50 = 328 = 0x148, low byte first.
    EXPECT_EQ(sim_->peek(0, 0x4F + 2, 5), (std::vector<std::uint8_t>{1, 0x48, 0x01, 0x48, 0x01}));
}

TEST_F(DpiPageTest, RefreshShowsStoredLevelsAndTheirTextsMarkingNothingChanged) {
    open(1);
    refreshWith([](TMOUSECONFIGINFO& c) {
        c.UseDiffentXY[2] = 1;  // linked, yet stored apart
        c.CPIState[2].X = 800;
        c.CPIState[2].Y = 1600;
        c.UseDiffentXY[3] = 0;
        c.CPIState[3].X = 1234;   // between two steps
        c.CPIState[3].Y = 20000;  // above the range
        c.CPIState[4].Enabled = 0;
        c.CurrentCPIIndex = 3;
    });
    TMOUSECONFIGINFO& c = config();
    EXPECT_EQ(c.CPIState[2].X, 1600);
    EXPECT_EQ(c.CPIState[2].Y, 1600);
    EXPECT_EQ(row(2).TrackCPIX->Value(), 1600);
    EXPECT_EQ(row(2).TxtCPIXNum->text(), "1600") << "the texts show the stored values";
    EXPECT_EQ(row(2).TxtCPIYNum->text(), "1600");
    EXPECT_EQ(c.CPIState[3].X, 1250);
    EXPECT_EQ(c.CPIState[3].Y, 16400);
    EXPECT_EQ(row(3).TxtCPIXNum->text(), "1250");
    EXPECT_TRUE(row(4).BtnCPI->IsPressed());
    EXPECT_FALSE(row(4).CheckCPI->isEnabled());
    EXPECT_TRUE(row(4).TxtCPIYNum->isEnabled()) << "the Y text stays enabled";
    EXPECT_EQ(checkedRadio(), 3);
    EXPECT_EQ(row(3).LevelStyle(), "MYDPIBTNCURRENTA");
    EXPECT_EQ(slot().CPIState[3].X, 1250) << "what the bars show is stored";
    EXPECT_FALSE(window_->State().SettingsChanged) << "a refresh is not an edit";
    EXPECT_TRUE(reports().empty()) << "a refresh writes nothing, even when the current level changes";
    EXPECT_TRUE(toMonitor_.empty());
}

TEST_F(DpiPageTest, StoredLevelCountAndCurrentLevelOutOfRangeStayInsideTheFiveRows) {
    open(1);
    refreshWith([](TMOUSECONFIGINFO& c) {
        c.CPILevel = 11;
        for (int i = 0; i < 11; ++i) c.CPIState[i].Enabled = i == 7 ? 1 : 0;
        c.CPIState[0].Enabled = 1;
        c.CurrentCPIIndex = 9;
    });
    EXPECT_EQ(checkedRadio(), -1) << "a current level past the rows checks no radio";
    for (int i = 0; i < 5; ++i) EXPECT_NE(row(i).LevelStyle(), "MYDPIBTNCURRENTA") << i;
    // Level 0 is the only one on among the five shown: it cannot be switched off.
    click(row(0).BtnCPI);
    EXPECT_EQ(config().CPIState[0].Enabled, 1);
    EXPECT_FALSE(row(0).BtnCPI->IsPressed());
    EXPECT_EQ(config().CurrentCPIIndex, 0);
    EXPECT_EQ(checkedRadio(), 0);
}

}  // namespace
