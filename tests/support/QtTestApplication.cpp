// SPDX-License-Identifier: MIT
// One QApplication for every Qt test binary, created before the first test runs (gtest_main's
// main runs the environment registered here), with the forms' font stand-ins installed.
// Compiled into each Qt test binary rather than linked from a library, so that its static
// registration is never dropped.

#include "FontSubstitutes.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        FApplication = std::make_unique<QApplication>(FArgc, FArgv);
        morlith::InstallFontSubstitutes();
    }
    void TearDown() override { FApplication.reset(); }

private:
    int FArgc = 1;
    char FName[9] = "qt_tests";
    char *FArgv[2] = {FName, nullptr};
    std::unique_ptr<QApplication> FApplication;
};

const auto *const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
