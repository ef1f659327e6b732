// SPDX-License-Identifier: MIT
// Keeping input away from a window: what reaches the blocked window and what still reaches the
// others, for input sent at once and input still queued when the block ends.

#include "InputBlock.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace morlith;

namespace {

// A blocked window and another one, each with a line edit that shows the keys it got.
class InputBlockTest : public ::testing::Test {
protected:
    InputBlockTest()
    {
        for (QWidget *window : {&FBlocked, &FOther}) {
            window->resize(200, 50);
            window->show();
        }
        FShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), &FBlocked);
        QObject::connect(FShortcut, &QShortcut::activated, [this] { ++FShortcuts; });
        // The shortcut belongs to the blocked window, which has the keyboard.
        FBlocked.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&FBlocked));
    }
    static void Post(QWidget *target, char key)
    {
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier,
                                                          QString(QLatin1Char(key))));
    }

    QWidget FBlocked;
    QLineEdit *FBlockedEdit = new QLineEdit(&FBlocked);
    QWidget FOther;
    QLineEdit *FOtherEdit = new QLineEdit(&FOther);
    QShortcut *FShortcut = nullptr;
    int FShortcuts = 0;
};

TEST_F(InputBlockTest, KeysClicksAndShortcutsReachOnlyTheOtherWindows)
{
    {
        TInputBlock block({&FBlocked}, TInputBlock::TQueuedInput::Keep);
        QTest::keyClicks(FBlockedEdit, "ab");
        QTest::keyClicks(FOtherEdit, "cd");
        QTest::mouseDClick(FBlockedEdit, Qt::LeftButton);
        QTest::keyClick(FBlockedEdit, Qt::Key_Left, Qt::AltModifier);
        EXPECT_EQ(FBlockedEdit->text(), "");
        EXPECT_EQ(FOtherEdit->text(), "cd");
        EXPECT_EQ(FShortcuts, 0);
    }
    QTest::keyClicks(FBlockedEdit, "e");
    QTest::keyClick(FBlockedEdit, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(FBlockedEdit->text(), "e") << "input goes through again once the block has ended";
    EXPECT_EQ(FShortcuts, 1);
}

TEST_F(InputBlockTest, QueuedInputIsDroppedOrKeptAsAsked)
{
    struct Row {
        TInputBlock::TQueuedInput queued;
        const char *blockedAfterwards;
    };
    for (const Row &row : {Row{TInputBlock::TQueuedInput::Drop, ""},
                           Row{TInputBlock::TQueuedInput::Keep, "x"}}) {
        FBlockedEdit->clear();
        FOtherEdit->clear();
        {
            TInputBlock block({&FBlocked}, row.queued);
            Post(FBlockedEdit, 'x'); // typed while the thread was busy
            Post(FOtherEdit, 'y');
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(FBlockedEdit->text(), row.blockedAfterwards);
        EXPECT_EQ(FOtherEdit->text(), "y");
    }
}

} // namespace
