// SPDX-License-Identifier: MIT
// The serial counter in one process: what a counter may hold, what is refused and left as it was,
// a counter that is missing or not a file, and the lock that other programs hold.

#include "FileHandle.h"
#include "PathText.h"
#include "ScratchFolder.h"
#include "SerialCounter.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

class SerialCounterTest : public ::testing::Test {
protected:
    std::string Counter() const { return FFolder.File("serials.counter"); }
    void WriteCounter(const std::string &text) const { test::WriteText(Counter(), text); }
    std::string CounterText() const { return test::ReadText(Counter()); }
    std::set<std::string> Entries() const { return test::NamesIn(FFolder.Path()); }
    std::string LockPath() const { return TSerialCounter::LockPathOf(Utf8OfPath(fs::canonical(Counter()))); }

    test::TScratchFolder FFolder;
};

TEST_F(SerialCounterTest, WhatACounterHoldsIsReservedOrRefusedAndLeftAsItWas)
{
    struct Case {
        const char *text;
        TFailureKind kind; // fkNone: reserved
        uint64_t reserved;
        const char *after;
    };
    const Case cases[] = {
        {"1000\n", TFailureKind::fkNone, 1000, "1001\n"},
        {"1000", TFailureKind::fkNone, 1000, "1001\n"},
        {"  7 \r\n", TFailureKind::fkNone, 7, "8\n"},
        {"0099\n", TFailureKind::fkNone, 99, "100\n"},
        {"0\n", TFailureKind::fkNone, 0, "1\n"},
        {"18446744073709551614\n", TFailureKind::fkNone, 18446744073709551614u, "18446744073709551615\n"},
        // The last number 64 bits hold has no number after it to write.
        {"18446744073709551615\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"18446744073709551616\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"99999999999999999999999\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"", TFailureKind::fkRefusedInput, 0, nullptr},
        {" \n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"-5\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"+5\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"0x10\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"1e3\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"12 34\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"1000\n1001\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"serial=1000\n", TFailureKind::fkRefusedInput, 0, nullptr},
        {"\xEF\xBB\xBF" "1000\n", TFailureKind::fkRefusedInput, 0, nullptr},
    };
    for (const Case &c : cases) {
        const std::string context = std::string("counter \"") + c.text + "\"";
        WriteCounter(c.text);
        TSerialCounter counter(Counter());
        uint64_t serial = 0;
        TFailure failure;
        const bool reserved = counter.Reserve(serial, failure);
        EXPECT_EQ(failure.Kind, c.kind) << context << ": " << failure;
        if (c.kind == TFailureKind::fkNone) {
            EXPECT_TRUE(reserved) << context;
            EXPECT_EQ(serial, c.reserved) << context;
            EXPECT_EQ(CounterText(), c.after) << context;
        } else {
            EXPECT_FALSE(reserved) << context;
            EXPECT_EQ(CounterText(), c.text) << context << ": a refused counter is left as it was";
            EXPECT_NE(failure.Message().find(Counter()), std::string::npos) << context << ": " << failure.Message();
        }
    }
    // Nothing but the counter and its lock stays in the folder.
    EXPECT_EQ(Entries(), (std::set<std::string>{"serials.counter", "serials.counter.lock"}));
}

// A counter that holds no number makes no lock file; a lock file that is a link is not followed.
TEST_F(SerialCounterTest, NoLockFileIsMadeForACounterThatHoldsNoNumberNorThroughALink)
{
    uint64_t serial = 0;
    TFailure failure;
    WriteCounter("root:x:0:0\n");
    for (const bool reserve : {true, false}) {
        TSerialCounter counter(Counter());
        EXPECT_FALSE(reserve ? counter.Reserve(serial, failure) : counter.Next(serial, failure));
        EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput) << failure;
    }
    EXPECT_EQ(Entries(), (std::set<std::string>{"serials.counter"}));

    // The lock file a link to a file elsewhere, present or not (where links can be made).
    WriteCounter("7\n");
    std::error_code linkError;
    fs::create_symlink(FFolder.File("elsewhere.lock"), LockPath(), linkError);
    if (linkError)
        return;
    for (const bool present : {false, true}) {
        if (present)
            test::WriteText(FFolder.File("elsewhere.lock"), "");
        EXPECT_FALSE(TSerialCounter(Counter()).Reserve(serial, failure));
        EXPECT_EQ(failure.Kind, TFailureKind::fkFile) << failure;
        EXPECT_NE(failure.Message().find(LockPath()), std::string::npos) << failure;
        EXPECT_EQ(fs::exists(FFolder.File("elsewhere.lock")), present);
        EXPECT_EQ(CounterText(), "7\n");
    }
}

TEST_F(SerialCounterTest, AMissingCounterOrOneThatIsNoFileIsRefusedAndNothingIsMade)
{
    TSerialCounter missing(Counter());
    uint64_t serial = 0;
    TFailure failure;
    EXPECT_FALSE(missing.Reserve(serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkNotFound) << failure;
    EXPECT_FALSE(missing.Next(serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkNotFound) << failure;
    EXPECT_TRUE(Entries().empty()) << "the first number is the engineer's to write; nothing is guessed";

    fs::create_directory(Counter());
    TSerialCounter folder(Counter());
    EXPECT_FALSE(folder.Reserve(serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkFile) << failure;
    EXPECT_TRUE(fs::is_directory(Counter()));
}

// While another program holds the counter nothing is read or written; the wait ends when it lets
// go, or at once on a stop request. Next reserves nothing.
TEST_F(SerialCounterTest, TheLockOfAnotherProgramIsAwaitedUntilFreeOrAStop)
{
    WriteCounter("500\n");
    TSerialCounter counter(Counter());
    uint64_t serial = 0;
    TFailure failure;
    ASSERT_TRUE(counter.Next(serial, failure)) << failure;
    TFileHandle other;
    ASSERT_TRUE(other.OpenForAppending(LockPath()));
    ASSERT_TRUE(other.LockExclusive());

    std::atomic<bool> asked{false};
    counter.SetStopCheck([&asked] { return asked.exchange(true); });
    EXPECT_FALSE(counter.Reserve(serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkStopped) << failure;
    EXPECT_EQ(CounterText(), "500\n");

    counter.SetStopCheck({});
    std::atomic<bool> done{false};
    uint64_t waited = 0;
    std::thread waiter([&] {
        TFailure waitFailure;
        EXPECT_TRUE(counter.Reserve(waited, waitFailure)) << waitFailure;
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * TSerialCounter::kLockPollMs));
    EXPECT_FALSE(done);
    EXPECT_EQ(CounterText(), "500\n");
    other.Unlock();
    waiter.join();
    EXPECT_EQ(waited, 500u);
    EXPECT_EQ(CounterText(), "501\n");
    // Next tells the number to come and reserves nothing.
    ASSERT_TRUE(counter.Next(serial, failure)) << failure;
    EXPECT_EQ(serial, 501u);
    EXPECT_EQ(CounterText(), "501\n");
}

// A counter that may not be advanced is refused before anything is made beside it: read-only (how
// an engineer freezes one), immutable, a link to what is no file, or past its field's largest number.
TEST_F(SerialCounterTest, ACounterThatCannotBeAdvancedIsRefusedBeforeAnyLockFileIsMade)
{
    uint64_t serial = 0;
    TFailure failure;
    WriteCounter("41\n");
    fs::permissions(Counter(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const bool reserve : {true, false}) {
        TSerialCounter frozen(Counter());
        EXPECT_FALSE(reserve ? frozen.Reserve(serial, failure) : frozen.Next(serial, failure));
        EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput) << failure;
        EXPECT_NE(failure.Detail.find("read-only"), std::string::npos) << failure;
    }
    EXPECT_EQ(Entries(), (std::set<std::string>{"serials.counter"}));
    EXPECT_EQ(CounterText(), "41\n");

    fs::permissions(Counter(), fs::perms::owner_read | fs::perms::owner_write);
    TSerialCounter counter(Counter());
    EXPECT_FALSE(counter.Reserve(serial, failure, 40));
    EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput) << failure;
    EXPECT_EQ(CounterText(), "41\n") << "a number its field cannot hold is not taken";
    ASSERT_TRUE(counter.Reserve(serial, failure, 41)) << failure;
    EXPECT_EQ(serial, 41u);

    // A link to a folder: no lock file beside what it links to (where links can be made: Wine
    // has none).
    fs::create_directory(FFolder.File("elsewhere"));
    std::error_code linkError;
    fs::create_symlink(FFolder.File("elsewhere"), FFolder.File("linked.counter"), linkError);
    if (!linkError) {
        EXPECT_FALSE(TSerialCounter(FFolder.File("linked.counter")).Reserve(serial, failure));
        EXPECT_EQ(failure.Kind, TFailureKind::fkFile) << failure;
        EXPECT_FALSE(fs::exists(FFolder.File("elsewhere.lock")));
    }

    // Immutable, where the file system and the user can make it so.
    if (std::system(("chattr +i " + Counter() + " 2>/dev/null").c_str()) != 0)
        return;
    TSerialCounter immutable(Counter());
    const bool reserved = immutable.Next(serial, failure);
    (void)std::system(("chattr -i " + Counter()).c_str());
    EXPECT_FALSE(reserved);
    EXPECT_EQ(failure.Kind, TFailureKind::fkPermission) << failure;
}

// A wait for another program's lock says, after a second, what it waits for; a stop ends it then.
TEST_F(SerialCounterTest, ALongWaitForTheLockSaysWhatItWaitsFor)
{
    WriteCounter("9\n");
    TFileHandle other;
    ASSERT_TRUE(other.OpenForAppending(Counter() + ".lock"));
    ASSERT_TRUE(other.LockExclusive());
    TSerialCounter counter(Counter());
    std::vector<std::string> told;
    counter.SetWaitNotice([&told](const std::string &what) { told.push_back(what); });
    counter.SetStopCheck([&told] { return !told.empty(); });
    uint64_t serial = 0;
    TFailure failure;
    EXPECT_FALSE(counter.Reserve(serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkStopped) << failure;
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(Counter()), std::string::npos) << told[0];
    EXPECT_EQ(CounterText(), "9\n");
}

} // namespace
