// SPDX-License-Identifier: MIT
#include "FastPaceClock.h"
#include "Slider.h"
#include "TestSupport.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <array>

using namespace morlith;
using morlith::test::RunEventsUntil;

namespace {

// A host panel of 600 x 323 with three pages, like the main window's; slides tick fast.
class SliderTest : public ::testing::Test {
protected:
    SliderTest()
    {
        FHost.resize(600, 323);
        FSlider.SetPageWidth(600);
        FSlider.SetPageHeight(323);
        for (auto &page : FPages) {
            page = new QWidget(&FHost);
            page->hide();
            FSlider.AddPage(page);
        }
        FSlider.OnPageChanged = [this](TSlider *sender) {
            ++FChanges;
            FArrived = sender->IncomingPage();
        };
        FHost.show();
    }
    // Waits for the slide under way to arrive.
    void WaitForArrival(int changes)
    {
        ASSERT_TRUE(RunEventsUntil([&] { return FChanges >= changes && !FSlider.Sliding(); }));
    }

    FastPaceClock FClock;
    QWidget FHost;
    std::array<QWidget *, 3> FPages{};
    TSlider FSlider;
    int FChanges = 0;
    QWidget *FArrived = nullptr;
};

TEST_F(SliderTest, AddPageSizesThePageAndHoldsItOnce)
{
    EXPECT_EQ(FPages[2]->geometry(), QRect(0, 0, 600, 323));
    FSlider.AddPage(FPages[1]);
    EXPECT_EQ(FSlider.PageCount(), 3);
    EXPECT_FALSE(FPages[0]->isVisible());
    EXPECT_EQ(FSlider.PageIndex(), -1);
    EXPECT_EQ(FSlider.IncomingPage(), nullptr);
}

TEST_F(SliderTest, FirstPageIsPlacedAtOnce)
{
    FSlider.ShowPage(1);
    EXPECT_TRUE(FPages[1]->isVisible());
    EXPECT_EQ(FPages[1]->pos(), QPoint(0, 0));
    EXPECT_EQ(FSlider.PageIndex(), 1);
    EXPECT_EQ(FChanges, 1);
    EXPECT_EQ(FArrived, FPages[1]);
    EXPECT_FALSE(FSlider.Sliding());
}

TEST_F(SliderTest, MoveNextSlidesTheNewPageInFromTheRight)
{
    FSlider.ShowPage(1);
    FSlider.MoveNext(FSlider.PageIndex() + 1);
    EXPECT_EQ(FPages[2]->pos(), QPoint(600, 0));
    EXPECT_EQ(FPages[1]->pos(), QPoint(0, 0));
    EXPECT_TRUE(FPages[2]->isVisible());
    EXPECT_EQ(FChanges, 1);

    WaitForArrival(2);
    EXPECT_EQ(FPages[2]->pos(), QPoint(0, 0));
    EXPECT_EQ(FPages[1]->pos(), QPoint(-600, 0));
    EXPECT_EQ(FChanges, 2);
    EXPECT_EQ(FArrived, FPages[2]);
    EXPECT_EQ(FSlider.PageIndex(), 2);
}

TEST_F(SliderTest, APageThatHasSlidOutIsHiddenAndShownAgainWhenItSlidesIn)
{
    FSlider.ShowPage(1);
    FSlider.MoveNext(2);
    EXPECT_TRUE(FPages[1]->isVisible()) << "visible while it slides out";
    WaitForArrival(2);
    EXPECT_FALSE(FPages[1]->isVisible());
    EXPECT_TRUE(FPages[2]->isVisible());

    FSlider.MovePrev(1);
    EXPECT_TRUE(FPages[1]->isVisible()) << "visible as soon as it slides in";
    WaitForArrival(3);
    EXPECT_TRUE(FPages[1]->isVisible());
    EXPECT_FALSE(FPages[2]->isVisible());
    EXPECT_FALSE(FPages[0]->isVisible());
    EXPECT_EQ(FPages[1]->pos(), QPoint(0, 0));
}

TEST_F(SliderTest, MovePrevSlidesTheNewPageInFromTheLeft)
{
    FSlider.ShowPage(1);
    FSlider.MovePrev(FSlider.PageIndex() - 1);
    EXPECT_EQ(FPages[0]->pos(), QPoint(-600, 0));
    WaitForArrival(2);
    EXPECT_EQ(FPages[0]->pos(), QPoint(0, 0));
    EXPECT_EQ(FPages[1]->pos(), QPoint(600, 0));
    EXPECT_EQ(FArrived, FPages[0]);
}

TEST_F(SliderTest, MovesBeyondEitherEndDoNothing)
{
    FSlider.ShowPage(0);
    FSlider.MovePrev(-1);
    FSlider.ShowPage(3);
    FSlider.ShowPage(-1);
    FSlider.ShowPage(0);
    FSlider.MoveNext(1);
    WaitForArrival(2);
    FSlider.MoveNext(3);
    FSlider.MoveNext(2);
    WaitForArrival(3);
    FSlider.MoveNext(3);
    EXPECT_FALSE(FSlider.Sliding());
    EXPECT_EQ(FChanges, 3);
    EXPECT_EQ(FSlider.PageIndex(), 2);
    EXPECT_EQ(FPages[2]->pos(), QPoint(0, 0));
    EXPECT_FALSE(FSlider.Sliding());
}

TEST_F(SliderTest, MoveDuringASlideIsIgnoredAndStrandsNoPage)
{
    FSlider.ShowPage(1);
    FSlider.MoveNext(2);
    ASSERT_TRUE(RunEventsUntil([&] { return FPages[2]->x() < 600; }));
    FSlider.MovePrev(0);
    FSlider.MoveNext(2);
    WaitForArrival(2);
    EXPECT_EQ(FChanges, 2);
    EXPECT_EQ(FSlider.PageIndex(), 2);
    EXPECT_EQ(FPages[2]->pos(), QPoint(0, 0));
    EXPECT_EQ(FPages[1]->pos(), QPoint(-600, 0));
    EXPECT_FALSE(FPages[0]->isVisible());

    // And the next move works normally.
    FSlider.MovePrev(1);
    WaitForArrival(3);
    EXPECT_EQ(FPages[1]->pos(), QPoint(0, 0));
    EXPECT_EQ(FPages[2]->pos(), QPoint(600, 0));
}

TEST_F(SliderTest, APageDestroyedDuringASlideIsDroppedSafely)
{
    FSlider.ShowPage(0);
    FSlider.MoveNext(1);
    delete FPages[0];
    WaitForArrival(2);
    EXPECT_EQ(FPages[1]->pos(), QPoint(0, 0));
    EXPECT_EQ(FSlider.OutgoingPage(), nullptr);
}

} // namespace
