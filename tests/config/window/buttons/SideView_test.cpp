// The side view of the GENERAL page: each row of its list of buttons (6..17) begins with the
// number that the side picture shows on that thumb button, 1 to 12 in row order, and the
// numbers scroll with their rows.
#include "config/toolkit/ImageStateButton.h"
#include "config/window/ButtonAssignPanel.h"

#include <QLabel>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SideView, EveryRowBeginsWithItsKeyNumber) {
    TButtonAssignPanel panel;
    panel.resize(400, 380);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    panel.ShowMouseView(1);
    for (int scrolled : {0, 1}) {
        if (scrolled) panel.doSideButtonsdown();
        for (int row = 0; row < 12; ++row) {
            SCOPED_TRACE(row);
            const QLabel* number = panel.SideKeyNumber[static_cast<std::size_t>(row)];
            const TImageStateButton* button = panel.BtnSet[static_cast<std::size_t>(6 + row)];
            ASSERT_NE(number, nullptr);
            EXPECT_EQ(number->text(), QString::number(row + 1));
            EXPECT_TRUE(number->isVisibleTo(&panel));
            const QRect n(number->mapTo(&panel, QPoint(0, 0)), number->size());
            const QRect b(button->mapTo(&panel, QPoint(0, 0)), button->size());
            EXPECT_EQ(n.center().y(), b.center().y()) << "the number stands on its row";
            EXPECT_LT(n.right(), b.left()) << "the number begins the row";
            EXPECT_GE(n.left(), panel.sideButtonsScrollbox->mapTo(&panel, QPoint(0, 0)).x()) << "inside the list";
        }
    }
    panel.ShowMouseView(0);
    EXPECT_FALSE(panel.SideKeyNumber[0]->isVisibleTo(&panel)) << "the front view shows no side numbers";
}

}  // namespace
