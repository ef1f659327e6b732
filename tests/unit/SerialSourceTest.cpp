// SPDX-License-Identifier: MIT
// Where units take their serial numbers without a store: a program's output (run without a
// shell, its status, its text and its time limit checked), a counter on a network share, and the
// words a recipe's command line splits into.

#include "CounterShare.h"
#include "ProgramRun.h"
#include "ScratchFolder.h"
#include "SerialSource.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace morlith;

namespace {

TRecipeSerial CommandSerial(std::vector<std::string> words)
{
    TRecipeSerial serial;
    serial.Origin = TSerialOrigin::soCommand;
    serial.Command = std::move(words);
    return serial;
}

TEST(SerialSourceTest, AProgramsOutputIsTheUnitsNumberOnlyWhenItExitedWellWithOneNumberThatFits)
{
    struct Case {
        const char *script; // run by sh -c, as the program
        uint64_t largest;
        TFailureKind kind; // fkNone: the number below
        uint64_t serial;
    };
    const Case cases[] = {
        {"echo 42", UINT64_MAX, TFailureKind::fkNone, 42},
        {"printf ' 7\\r\\n'", UINT64_MAX, TFailureKind::fkNone, 7},
        {"echo 65535", 65535, TFailureKind::fkNone, 65535},
        {"echo 65536", 65535, TFailureKind::fkRefusedInput, 0},
        {"echo 42; exit 3", UINT64_MAX, TFailureKind::fkRefusedInput, 0},
        {"echo 42; kill -9 $$", UINT64_MAX, TFailureKind::fkRefusedInput, 0},
        {"true", UINT64_MAX, TFailureKind::fkRefusedInput, 0},
        {"echo SN-42", UINT64_MAX, TFailureKind::fkRefusedInput, 0},
        {"echo -5", UINT64_MAX, TFailureKind::fkRefusedInput, 0},
        {"echo 4 2", UINT64_MAX, TFailureKind::fkRefusedInput, 0},
        {"yes 1 | head -c 100000", UINT64_MAX, TFailureKind::fkRefusedInput, 0},
    };
    for (const Case &row : cases) {
        TFailure failure;
        auto source = OpenLocalSerials(CommandSerial({"sh", "-c", row.script}), row.largest, false, {}, failure);
        ASSERT_TRUE(source) << failure;
        uint64_t serial = 0;
        const bool taken = source->Take({}, serial, failure);
        EXPECT_EQ(taken, row.kind == TFailureKind::fkNone) << row.script << ": " << failure;
        EXPECT_EQ(failure.Kind, row.kind) << row.script << ": " << failure;
        if (taken)
            EXPECT_EQ(serial, row.serial) << row.script;
        else
            EXPECT_NE(failure.Step.find("serial number"), std::string::npos) << failure;
    }
    // A program that is not there is named as such.
    TFailure failure;
    auto missing = OpenLocalSerials(CommandSerial({"no-such-serial-program"}), UINT64_MAX, false, {}, failure);
    uint64_t serial = 0;
    EXPECT_FALSE(missing->Take({}, serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkNotFound) << failure;
}

TEST(SerialSourceTest, AProgramRunsWithoutAShellFedItsInputAndIsKilledAtItsTimeLimit)
{
    // Words reach the program as they are: no shell expands them.
    TProgramRun run;
    run.Words = {"printf", "%s|", "a b", "$HOME", "*"};
    TProgramEnd end = RunProgram(run);
    EXPECT_TRUE(end.Started);
    EXPECT_EQ(end.ExitStatus, 0);
    EXPECT_EQ(end.Output, "a b|$HOME|*|");

    run.Words = {"cat"};
    run.Input = std::string(200000, 'x');
    run.LongestOutput = 1000;
    end = RunProgram(run);
    EXPECT_EQ(end.ExitStatus, 0);
    EXPECT_EQ(end.Output, std::string(1000, 'x'));
    EXPECT_TRUE(end.OutputCut);

    run = {};
    run.Words = {"sh", "-c", "exit 7"};
    EXPECT_EQ(RunProgram(run).ExitStatus, 7);

    // Silent past its limit, and one that closed its output but went on: both killed.
    for (const char *script : {"sleep 20", "exec >&-; sleep 20"}) {
        run.Words = {"sh", "-c", script};
        run.TimeLimitMs = 300;
        const auto start = std::chrono::steady_clock::now();
        end = RunProgram(run);
        EXPECT_TRUE(end.TimedOut) << script;
        EXPECT_EQ(end.ExitStatus, -1) << script;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << script;
    }

    run.Words = {"/nonexistent/serial-program"};
    end = RunProgram(run);
    EXPECT_FALSE(end.Started);
    EXPECT_EQ(end.Error, ENOENT);
}

TEST(SerialSourceTest, ACommandLineSplitsIntoWordsAsAShellQuotesThemButNeverExpands)
{
    struct Case {
        const char *line;
        std::vector<std::string> words; // empty: refused
    };
    const Case cases[] = {
        {"next-serial --line 3", {"next-serial", "--line", "3"}},
        {"next 'a b' \"c d\" e\\ f", {"next", "a b", "c d", "e f"}},
        {"next 'unclosed", {}},
        {"next $HOME", {}},
        {"next `id`", {}},
        {"next *.txt", {}},
        {"next; rm x", {}},
        {"next | tee", {}},
    };
    for (const Case &row : cases) {
        std::vector<std::string> words;
        std::string problem;
        EXPECT_EQ(SplitProgramWords(row.line, words, problem), !row.words.empty()) << row.line;
        if (!row.words.empty())
            EXPECT_EQ(words, row.words) << row.line;
        else
            EXPECT_FALSE(problem.empty()) << row.line;
    }
}

TEST(SerialSourceTest, ACounterOnANetworkShareIsRefusedUntilTheSiteSaysItsLocksHold)
{
    EXPECT_EQ(NetworkFileSystemNamed(0x6969), "NFS");
    EXPECT_EQ(NetworkFileSystemNamed(0xFF534D42), "CIFS/SMB");
    EXPECT_EQ(NetworkFileSystemNamed(0xFE534D42), "CIFS/SMB");
    EXPECT_EQ(NetworkFileSystemNamed(0x517B), "CIFS/SMB");
    EXPECT_EQ(NetworkFileSystemNamed(0xEF53), ""); // ext4
    EXPECT_EQ(NetworkFileSystemNamed(0x01021994), ""); // tmpfs

    TFailure failure;
    EXPECT_FALSE(CheckCounterShare("/mnt/line/sn.counter", "NFS", false, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput);
    EXPECT_NE(failure.Detail.find("--shared-counter"), std::string::npos) << failure;
    EXPECT_NE(failure.Detail.find("NFS"), std::string::npos) << failure;
    failure = {};
    EXPECT_TRUE(CheckCounterShare("/mnt/line/sn.counter", "NFS", true, failure));
    EXPECT_TRUE(CheckCounterShare("/srv/sn.counter", "", false, failure));
    EXPECT_FALSE(failure.Failed());

    // A local counter opens and gives its numbers; a missing one is the file's own failure.
    test::TScratchFolder folder;
    EXPECT_EQ(NetworkFileSystemOf(folder.Path()), "");
    TRecipeSerial serial;
    serial.Counter = folder.File("sn.counter");
    test::WriteText(serial.Counter, "9\n");
    auto counter = OpenLocalSerials(serial, 9, false, {}, failure);
    ASSERT_TRUE(counter) << failure;
    uint64_t number = 0;
    EXPECT_TRUE(counter->Take({}, number, failure)) << failure;
    EXPECT_EQ(number, 9u);
    EXPECT_FALSE(counter->Take({}, number, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput) << failure;
    EXPECT_TRUE(counter->Finish(failure));

    // A sequence is the store's: without one it is refused in words, before any unit.
    serial.Origin = TSerialOrigin::soSequence;
    serial.Sequence = "SN";
    failure = {};
    EXPECT_FALSE(OpenLocalSerials(serial, 9, false, {}, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput);
    EXPECT_NE(failure.Detail.find("--store"), std::string::npos) << failure;
}

} // namespace
