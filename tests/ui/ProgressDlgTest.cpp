// SPDX-License-Identifier: MIT
// The progress dialog: its refresh throttle and what it shows.

#include "ProgressU.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

using namespace morlith;

namespace {

// Comfortably past the 100 ms throttle.
constexpr auto kPastThrottle = std::chrono::milliseconds(TProgressDlg::kRefreshIntervalMs + 50);

class ProgressDlgTest : public ::testing::Test {
protected:
    QString Label() { return FDialog.findChild<QLabel *>("lbProcess")->text(); }
    int Bar() { return FDialog.findChild<QProgressBar *>("Progress")->value(); }
    TProgressDlg FDialog;
};

TEST_F(ProgressDlgTest, RefreshesAtMostOncePerHundredMilliseconds)
{
    FDialog.SetProgress(10); // right after creation: dropped, the design values stay
    EXPECT_EQ(Label(), "0%");
    EXPECT_EQ(Bar(), 50);
    std::this_thread::sleep_for(kPastThrottle);
    FDialog.SetProgress(0);
    EXPECT_EQ(Label(), "0%");
    EXPECT_EQ(Bar(), 0);
    FDialog.SetProgress(20); // at once after a refresh: dropped
    EXPECT_EQ(Label(), "0%");
    EXPECT_EQ(Bar(), 0);
    std::this_thread::sleep_for(kPastThrottle);
    FDialog.SetProgress(42);
    EXPECT_EQ(Label(), "42%");
    EXPECT_EQ(Bar(), 42);
}

TEST_F(ProgressDlgTest, TheLabelShowsAnyNumberWhileTheBarStaysInRange)
{
    std::this_thread::sleep_for(kPastThrottle);
    FDialog.SetProgress(150);
    EXPECT_EQ(Label(), "150%");
    EXPECT_EQ(Bar(), 100);
    std::this_thread::sleep_for(kPastThrottle);
    FDialog.SetProgress(-5);
    EXPECT_EQ(Label(), "-5%");
    EXPECT_EQ(Bar(), 0);
}

TEST(ProgressDlgPlacement, CentredOnItsOwnerFromTheFirstShow)
{
    QWidget owner;
    owner.resize(600, 364);
    owner.move(QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(37, 21));
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    TProgressDlg dialog(&owner);
    dialog.show();
    EXPECT_EQ(dialog.frameGeometry().center(), owner.frameGeometry().center());
    QTest::qWait(20); // the window is mapped, and placed again
    EXPECT_EQ(dialog.frameGeometry().center(), owner.frameGeometry().center());
    dialog.hide();
    owner.move(owner.pos() + QPoint(50, 40));
    dialog.show();
    EXPECT_EQ(dialog.frameGeometry().center(), owner.frameGeometry().center());
}

} // namespace
