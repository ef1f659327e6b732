// SPDX-License-Identifier: MIT
// How Windows ends the session with the window open: logoff and shutdown are refused while an
// operation runs and allowed again once it has ended. The messages go to a real window of Qt's
// Windows platform, the way Windows sends them.

#include "SessionEnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

#include <windows.h>

using namespace morlith;

namespace {

class WindowsPlatformEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "windows");
        FApplication = std::make_unique<QApplication>(FArgc, FArgv);
    }
    void TearDown() override { FApplication.reset(); }

private:
    int FArgc = 1;
    char FName[14] = "session_tests";
    char *FArgv[2] = {FName, nullptr};
    std::unique_ptr<QApplication> FApplication;
};

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new WindowsPlatformEnvironment);


TEST(SessionEnd, RefusedWhileAnOperationRunsAndAllowedOnceItEnded)
{
    QWidget window;
    bool operationRuns = true;
    TSessionEnd sessionEnd;
    const auto watch = sessionEnd.Watch(window, [&operationRuns] { return !operationRuns; });
    const HWND handle = reinterpret_cast<HWND>(window.winId());
    ASSERT_TRUE(IsWindow(handle)) << "no window: Wine needs a display";

    EXPECT_EQ(SendMessageW(handle, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0) << "logoff";
    SendMessageW(handle, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_EQ(SendMessageW(handle, WM_QUERYENDSESSION, 0, 0), 0) << "shutdown";
    SendMessageW(handle, WM_ENDSESSION, FALSE, 0);

    operationRuns = false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3 * 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_NE(SendMessageW(handle, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    SendMessageW(handle, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);

    // A second operation holds the end back again.
    operationRuns = true;
    EXPECT_EQ(SendMessageW(handle, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0) << "second operation";
    SendMessageW(handle, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
}

} // namespace
