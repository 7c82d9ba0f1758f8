// The skinned picture: clicks and double clicks from real mouse events, pictures that let the
// mouse through to their window, and stretched, centred and turned painting.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "config/toolkit/SkinImage.h"

namespace {

struct PressCounter : QWidget {
    int presses = 0;
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

QPixmap halves() {
    // Left half red, right half blue, 20 x 10.
    QImage img(20, 10, QImage::Format_ARGB32);
    img.fill(Qt::red);
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x) img.setPixelColor(x, y, Qt::blue);
    return QPixmap::fromImage(img);
}

}  // namespace

TEST(SkinImage, ClickAndDoubleClick) {
    PressCounter host;
    host.resize(100, 100);
    auto* image = new TSkinImage(&host);
    image->setGeometry(10, 10, 40, 40);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QSignalSpy click(image, &TSkinImage::Click);
    QSignalSpy dbl(image, &TSkinImage::DblClick);

    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(click.count(), 1);
    QTest::mouseClick(image, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(click.count(), 1);
    QTest::mouseDClick(image, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(host.presses, 1) << "only the right press went on to the window";

    // A picture that is not clickable lets the presses through to its window.
    image->SetClickable(false);
    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(host.presses, 2);
}

TEST(SkinImage, PaintsStretchedCentredAndTurned) {
    TSkinImage image;
    image.resize(40, 20);
    image.SetPixmap(halves());
    QImage shot = image.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 10), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(37, 10), QColor(Qt::blue));

    image.SetStretch(false);
    shot = image.grab().toImage();
    // Own size, centred: the edges show what is under the picture.
    EXPECT_NE(shot.pixelColor(2, 10), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(37, 10), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(12, 10), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(27, 10), QColor(Qt::blue));

    image.SetRotation(180);
    shot = image.grab().toImage();
    EXPECT_EQ(shot.pixelColor(12, 10), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(27, 10), QColor(Qt::red));
    EXPECT_EQ(image.sizeHint(), QSize(20, 10));
}
