// The track bar: rounding to the step and the range, Change on every real change (from code,
// keys and the mouse) and never for the same value.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

#include "config/toolkit/TrackBar.h"

TEST(TrackBar, RoundsToTheStepAndKeepsTheRange) {
    struct Case {
        double min, max, step, in, out;
    };
    const Case cases[] = {
        {50, 16400, 50, 74, 50},  {50, 16400, 50, 75, 100},  {50, 16400, 50, 16420, 16400},
        {50, 16400, 50, -5, 50},  {50, 16400, 50, 800, 800}, {1, 20, 1, 3.4, 3},
        {1, 20, 1, 3.5, 4},       {0, 3, 1, 7, 3},           {1, 10, 0, 3.3, 3.3},
        {200, 900, 1, 1000, 900}, {0, 10, 3, 9.9, 10},       {0, 10, 3, 7.4, 6},
    };
    for (const Case& c : cases) {
        TTrackBar t;
        t.SetRange(c.min, c.max);
        t.SetFrequency(c.step);
        t.SetValue(c.in);
        EXPECT_DOUBLE_EQ(t.Value(), c.out) << c.min << ".." << c.max << " step " << c.step << " in " << c.in;
    }
}

TEST(TrackBar, ChangeOnlyWhenTheValueChanges) {
    TTrackBar t;
    t.SetRange(50, 16400);
    t.SetFrequency(50);
    t.SetValue(800);
    QSignalSpy change(&t, &TTrackBar::Change);
    t.SetValue(800);
    t.SetValue(810);  // rounds to 800
    EXPECT_EQ(change.count(), 0);
    t.SetValue(1600);
    EXPECT_EQ(change.count(), 1);
    t.SetValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(t.Value(), 1600);
    EXPECT_EQ(change.count(), 1);
    // A range that excludes the value moves it, and that is a change too.
    t.SetRange(2000, 3000);
    EXPECT_EQ(t.Value(), 2000);
    EXPECT_EQ(change.count(), 2);
    t.SetRange(3000, 1000);  // put in order
    EXPECT_EQ(t.Min(), 1000);
    EXPECT_EQ(t.Max(), 3000);
    EXPECT_EQ(change.count(), 2);
}

TEST(TrackBar, KeysMoveByStep) {
    TTrackBar t;
    t.SetRange(1, 20);
    t.SetFrequency(1);
    t.SetValue(10);
    t.show();
    QSignalSpy change(&t, &TTrackBar::Change);
    QTest::keyClick(&t, Qt::Key_Right);
    EXPECT_EQ(t.Value(), 11);
    QTest::keyClick(&t, Qt::Key_Down);
    QTest::keyClick(&t, Qt::Key_Down);
    EXPECT_EQ(t.Value(), 9);
    QTest::keyClick(&t, Qt::Key_End);
    EXPECT_EQ(t.Value(), 20);
    QTest::keyClick(&t, Qt::Key_Up);  // already at the end
    EXPECT_EQ(t.Value(), 20);
    QTest::keyClick(&t, Qt::Key_Home);
    EXPECT_EQ(t.Value(), 1);
    EXPECT_EQ(change.count(), 5);
}

TEST(TrackBar, MouseClickJumpsAndDragReportsEveryChange) {
    TTrackBar t;
    t.resize(212, 20);  // 200 px of travel with the 12 px thumb
    t.SetRange(0, 100);
    t.SetFrequency(10);
    t.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&t));
    QSignalSpy change(&t, &TTrackBar::Change);

    QTest::mousePress(&t, Qt::LeftButton, {}, t.ThumbCentre(50).toPoint() + QPoint(2, 0));
    EXPECT_EQ(t.Value(), 50);
    for (int v : {60, 70, 80}) QTest::mouseMove(&t, t.ThumbCentre(v).toPoint() + QPoint(2, 0));
    QTest::mouseRelease(&t, Qt::LeftButton, {}, t.ThumbCentre(80).toPoint() + QPoint(2, 0));
    EXPECT_EQ(t.Value(), 80);
    EXPECT_EQ(change.count(), 4);

    // Dragging far past the end stops at Max.
    QTest::mousePress(&t, Qt::LeftButton, {}, t.ThumbCentre(80).toPoint());
    QTest::mouseMove(&t, QPoint(1000, 10));
    QTest::mouseRelease(&t, Qt::LeftButton, {}, QPoint(1000, 10));
    EXPECT_EQ(t.Value(), 100);
}

TEST(TrackBar, VerticalBarGrowsUpwards) {
    TTrackBar t(Qt::Vertical, nullptr);
    t.resize(20, 212);
    t.SetRange(50, 16400);
    t.SetFrequency(50);
    t.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&t));
    QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(10, 6));
    EXPECT_EQ(t.Value(), 16400);
    QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(10, 206));
    EXPECT_EQ(t.Value(), 50);
    QTest::keyClick(&t, Qt::Key_Up);
    EXPECT_EQ(t.Value(), 100);
}
