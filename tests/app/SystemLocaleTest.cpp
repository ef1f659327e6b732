// SPDX-License-Identifier: MIT
// The language the application chooses from the environment (LANG, LC_*), as a user starts it:
// run once with LANG=ru_RU.UTF-8 and once with an unknown language; MORLITH_EXPECTED_CONNECT
// holds the text the Connect button must show.

#include "ModuleOnPort.h"
#include "MorlithApplication.h"
#include "QtPollTimer.h"

#include "Main.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

using namespace morlith;

namespace {

TEST(SystemLocale, TheApplicationSpeaksTheLanguageOfTheEnvironment)
{
    const QString expected = qEnvironmentVariable("MORLITH_EXPECTED_CONNECT");
    ASSERT_FALSE(expected.isEmpty()) << "run by ctest with MORLITH_EXPECTED_CONNECT set";
    PrivatePortMap ports;
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(ports.File(""));
    {
        TMorlithApplication application;
        const auto *connect = application.MainWindow().findChild<QPushButton *>("btnConnect");
        EXPECT_EQ(connect->text(), expected);
    }
    std::filesystem::current_path(home);
    SetPollTimerFactory(nullptr);
}

} // namespace
