#include "ui/calendar_control.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "ui/skin_button.h"
#include "widget_support.h"

namespace ui {
namespace {

class CalendarControlTest : public testing::Test {
  protected:
    CalendarControlTest()
        : calendar_(nullptr),
          released_(&calendar_, &CalendarControl::dayReleased),
          paged_(&calendar_, &CalendarControl::monthPaged) {
        calendar_.SetArrowBitmaps(310, 311, 312, 313, 314, 315);
        calendar_.SetDate({2026, 12, 8});
    }
    void Click(int cell) {
        QTest::mouseClick(&calendar_, Qt::LeftButton, {}, CalendarControl::CellRect(cell).center());
    }

    CalendarControl calendar_;
    QSignalSpy released_;
    QSignalSpy paged_;
};

TEST_F(CalendarControlTest, PickingADayOfTheMonthSelectsItAndTellsTheParent) {
    EXPECT_EQ(CalendarControl::CellAt(QPoint(0, 50)), 0);
    EXPECT_EQ(CalendarControl::CellAt(QPoint(314, 169)), 41);
    EXPECT_EQ(CalendarControl::CellAt(QPoint(100, 49)), -1);  // weekday row
    Click(20);
    EXPECT_EQ(calendar_.GetSelectedDate(), (CalendarDate{2026, 12, 19}));
    EXPECT_EQ(calendar_.GetSelectedCell(), 20);
    ASSERT_EQ(released_.count(), 1);
    EXPECT_EQ(released_[0][1].toPoint(), CalendarControl::CellRect(20).center());
}

TEST_F(CalendarControlTest, AGreyedDaySelectsNothingButStillTellsTheParent) {
    Click(0);  // 29 November
    EXPECT_EQ(calendar_.GetSelectedDate(), (CalendarDate{2026, 12, 8}));
    EXPECT_EQ(calendar_.GetSelectedCell(), 9);
    EXPECT_EQ(released_.count(), 1);
    // A release without a press in the control is no pick.
    QTest::mouseRelease(&calendar_, Qt::LeftButton, {}, CalendarControl::CellRect(20).center());
    EXPECT_EQ(released_.count(), 1);
}

TEST_F(CalendarControlTest, ArrowButtonsPageAndSendTheirMessages) {
    SkinButton* previous = calendar_.findChild<SkinButton*>();
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->CommandId(), CalendarControl::kPreviousButtonId);
    EXPECT_EQ(static_cast<quint16>(CalendarControl::kPreviousButtonId), 34464);
    previous->click();
    EXPECT_EQ(calendar_.Model().ShownMonth(), 11);
    ASSERT_EQ(paged_.count(), 1);
    EXPECT_EQ(paged_[0][0].toInt(), 2024);
    QTest::keyClick(&calendar_, Qt::Key_PageDown);
    QTest::keyClick(&calendar_, Qt::Key_PageDown);
    EXPECT_EQ(calendar_.Model().ShownYear(), 2027);
    EXPECT_EQ(paged_[2][0].toInt(), 2025);
}

TEST_F(CalendarControlTest, ArrowKeysMoveTheSelectionWithinTheMonth) {
    QTest::keyClick(&calendar_, Qt::Key_Down);
    EXPECT_EQ(calendar_.GetSelectedDate(), (CalendarDate{2026, 12, 15}));
    calendar_.SetDate({2026, 12, 1});
    QTest::keyClick(&calendar_, Qt::Key_Left);  // would leave the month
    EXPECT_EQ(calendar_.GetSelectedDate(), (CalendarDate{2026, 12, 1}));
}

TEST_F(CalendarControlTest, MarkedDaysAndTheSelectionAreDrawn) {
    CalendarModel::Marks marks{};
    marks[11] = true;  // 10 December
    calendar_.SetMarks(2026, 12, marks);
    const QImage picture = test::Picture(calendar_);
    const QRect marked = CalendarControl::CellRect(11);
    EXPECT_EQ(picture.pixel(marked.left() + 3, marked.top() + 3), qRgb(255, 0, 0));
    const QRect selected = CalendarControl::CellRect(9);
    EXPECT_EQ(picture.pixel(selected.left() + 1, selected.center().y()), qRgb(0, 0, 255));
    // A greyed day's number is white on white.
    const QRect greyed = CalendarControl::CellRect(0);
    const QImage cell = picture.copy(greyed.adjusted(1, 1, -1, -1));
    QImage white(cell.size(), cell.format());
    white.fill(Qt::white);
    EXPECT_EQ(cell, white);
}

}  // namespace
}  // namespace ui
