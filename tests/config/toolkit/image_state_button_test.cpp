// The three-state image button driven by real mouse events: hot while hovered, pressed while
// held, the stays-pressed toggle, MouseUp for every button, and the faces it paints.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "config/toolkit/ImageStateButton.h"
#include "tests/support/wait.h"

namespace {

QPixmap solid(QColor c) {
    QPixmap pm(40, 20);
    pm.fill(c);
    return pm;
}

struct ButtonFixture : ::testing::Test {
    QWidget host;
    TImageStateButton* button = nullptr;

    void SetUp() override {
        host.resize(200, 100);
        button = new TImageStateButton(&host);
        button->setGeometry(50, 30, 80, 30);
        button->SetBitmaps(solid(Qt::red), solid(Qt::green), solid(Qt::blue));
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        QTest::mouseMove(&host, QPoint(5, 5));
    }

    QColor face() {
        const QImage img = button->grab().toImage();
        return img.pixelColor(img.width() / 2, img.height() / 2);
    }
    void hover() {
        QTest::mouseMove(button, QPoint(10, 10));
        ASSERT_TRUE(vyk::test::waitUntil([&] { return button->VisualState() == 1; }, 2000));
    }
};

}  // namespace

TEST_F(ButtonFixture, HoverShowsHotAndLeavingShowsNormal) {
    QSignalSpy enter(button, &TImageStateButton::MouseEnter);
    EXPECT_EQ(face(), QColor(Qt::red));
    hover();
    EXPECT_EQ(face(), QColor(Qt::green));
    EXPECT_EQ(enter.count(), 1);
    QTest::mouseMove(&host, QPoint(5, 5));
    ASSERT_TRUE(vyk::test::waitUntil([&] { return button->VisualState() == 0; }, 2000));
    EXPECT_EQ(face(), QColor(Qt::red));
}

TEST_F(ButtonFixture, LeftPressShowsPressedAndReleaseClicksOnce) {
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QSignalSpy up(button, &TImageStateButton::MouseUp);
    hover();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button->IsPressed());
    EXPECT_EQ(face(), QColor(Qt::blue));
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 1);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(face(), QColor(Qt::green));
}

TEST_F(ButtonFixture, ReleaseOutsideNeitherClicksNorReportsMouseUp) {
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QSignalSpy up(button, &TImageStateButton::MouseUp);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(button, QPoint(150, 60));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 60));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(up.count(), 0);
}

TEST_F(ButtonFixture, RightAndMiddleReleasesReportMouseUpWithoutClicking) {
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QSignalSpy up(button, &TImageStateButton::MouseUp);
    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(button, b, {}, QPoint(12, 12));
        EXPECT_FALSE(button->IsPressed());
        QTest::mouseRelease(button, b, {}, QPoint(12, 12));
    }
    EXPECT_EQ(clicked.count(), 0);
    ASSERT_EQ(up.count(), 2);
    EXPECT_EQ(up.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(up.at(1).at(0).value<Qt::MouseButton>(), Qt::MiddleButton);
}

TEST_F(ButtonFixture, StaysPressedTogglesOnClicksAndSetPressedIsSilent) {
    button->SetStaysPressed(true);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QSignalSpy toggled(button, &QAbstractButton::toggled);

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button->IsPressed());
    QTest::mouseMove(&host, QPoint(5, 5));
    ASSERT_TRUE(vyk::test::waitUntil([&] { return !button->underMouse(); }, 2000));
    EXPECT_EQ(face(), QColor(Qt::blue)) << "stays pressed after the pointer left";
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(toggled.count(), 2);

    button->SetPressed(true);
    EXPECT_TRUE(button->IsPressed());
    button->SetPressed(false);
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(toggled.count(), 2);
}

TEST_F(ButtonFixture, SetPressedInNormalModeHoldsThePressedFaceUntilAClick) {
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    button->SetPressed(true);
    EXPECT_TRUE(button->IsPressed());
    EXPECT_EQ(face(), QColor(Qt::blue));
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(ButtonFixture, WithoutBitmapsAFaceIsStillPainted) {
    button->SetBitmaps(QPixmap(), QPixmap(), QPixmap());
    const QImage img = button->grab().toImage();
    EXPECT_GT(img.pixelColor(img.width() / 2, img.height() / 2).alpha(), 200);
    // A missing skin file leaves the bitmaps as they were.
    button->SetBitmaps(solid(Qt::red), solid(Qt::green), solid(Qt::blue));
    button->LoadSkin("buttons", "no-such-1.png", "no-such-2.png", "no-such-3.png");
    EXPECT_EQ(face(), QColor(Qt::red));
}

TEST_F(ButtonFixture, DisabledButtonIgnoresClicks) {
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_FALSE(button->IsPressed());
}
