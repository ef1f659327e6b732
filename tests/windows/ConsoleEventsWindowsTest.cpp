// SPDX-License-Identifier: MIT
// The console's events on Windows: Ctrl-C asks for a stop and a second one ends the tool after
// removing its files; the end of a session is held until the tool's work is finished.

#include "FileHandle.h"
#include "Interruption.h"
#include "InterruptionWindows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <windows.h>

namespace morlith::cli {
namespace {

// One test: the handler's state (a stop was asked for, Ctrl-C came once) lasts for the process.
TEST(ConsoleEventsWindows, StopsThenHoldsTheSessionEndUntilTheWorkIsFinished)
{
    InstallInterruptHandlers();
    EXPECT_FALSE(OnConsoleEvent(0x7F)) << "an event it does not know is left to others";

    // Closing the console: a stop at once, and no return before the work is finished.
    std::atomic<bool> returned{false};
    std::atomic<int> result{0};
    const auto start = std::chrono::steady_clock::now();
    std::thread closing([&] {
        result = OnConsoleEvent(CTRL_CLOSE_EVENT);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(InterruptRequested());
    EXPECT_FALSE(returned.load()) << "the process would end before its records are written";
    NoteWorkFinished();
    closing.join();
    EXPECT_TRUE(result.load());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kSessionEndGraceMs));
    // Logoff and shutdown return at once now that the work is finished.
    EXPECT_TRUE(OnConsoleEvent(CTRL_LOGOFF_EVENT));
    EXPECT_TRUE(OnConsoleEvent(CTRL_SHUTDOWN_EVENT));

    // Ctrl-C: the first is handled, the second ends the tool once its temporary files are gone.
    const std::string file = (std::filesystem::temp_directory_path() / "morlith-ctrl-c-test.tmp").u8string();
    TFileHandle handle;
    ASSERT_TRUE(handle.OpenForAppending(file));
    ASSERT_TRUE(handle.Close());
    RegisterTemporaryFile(file.c_str());
    EXPECT_TRUE(OnConsoleEvent(CTRL_C_EVENT));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(file)));
    EXPECT_FALSE(OnConsoleEvent(CTRL_BREAK_EVENT));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(file)));
    UnregisterTemporaryFile(file.c_str());
}

} // namespace
} // namespace morlith::cli
