// SPDX-License-Identifier: MIT
// Which ports station mode takes, and when; the files it reads modules into.

#include "PortWatcher.h"
#include "StationFileNames.h"
#include "StationTracker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

namespace morlith {
namespace {

TWatchedPort Port(const std::string &key, const std::string &device = "")
{
    return {key, TPortChoice{key, 0, "/dev/" + key}, device.empty() ? "/dev/pts/" + key : device};
}

std::vector<std::string> Keys(const std::vector<TWatchedPort> &ports)
{
    std::vector<std::string> keys;
    for (const auto &port : ports)
        keys.push_back(port.Key);
    return keys;
}

using Keys_t = std::vector<std::string>;

TEST(StationTracker, APortIsTakenOnceUntilItGoesAwayAndComesBack)
{
    TStationTracker tracker({}, false);
    tracker.Update({}, {Port("COM1"), Port("COM2")});
    EXPECT_EQ(Keys(tracker.TakeReady(64)), (Keys_t{"COM1", "COM2"}));
    tracker.Finished("COM1");
    tracker.Finished("COM2");
    // Still there: not taken again, whatever else changes.
    tracker.Update({}, {Port("COM1"), Port("COM2")});
    EXPECT_TRUE(tracker.TakeReady(64).empty());
    // Gone, then back.
    tracker.Update({}, {Port("COM2")});
    EXPECT_TRUE(tracker.TakeReady(64).empty());
    tracker.Update({}, {Port("COM1"), Port("COM2")});
    EXPECT_EQ(Keys(tracker.TakeReady(64)), Keys_t{"COM1"});
}

TEST(StationTracker, AQuickUnplugSeenOnlyAsADepartureOrANewDeviceCountsAsComingBack)
{
    TStationTracker tracker({Port("COM1"), Port("COM2")}, true);
    EXPECT_EQ(tracker.TakeReady(64).size(), 2u);
    tracker.Finished("COM1");
    tracker.Finished("COM2");
    // COM1 left and came back between two looks; COM2 now leads to another device.
    tracker.Update({"COM1"}, {Port("COM1"), Port("COM2", "/dev/pts/99")});
    EXPECT_EQ(Keys(tracker.TakeReady(64)), (Keys_t{"COM1", "COM2"}));
}

TEST(StationTracker, PortsThereAtTheStartWaitForTheirReturnUnlessTakenAtOnce)
{
    TStationTracker leftAlone({Port("COM1")}, false);
    EXPECT_TRUE(leftAlone.TakeReady(64).empty());
    leftAlone.Update({"COM1"}, {Port("COM1")});
    EXPECT_EQ(Keys(leftAlone.TakeReady(64)), Keys_t{"COM1"});
    TStationTracker taken({Port("COM1")}, true);
    EXPECT_EQ(Keys(taken.TakeReady(64)), Keys_t{"COM1"});
}

TEST(StationTracker, APortBackWhileStillBusyIsTakenWhenItsWorkEndsAndTheLimitHolds)
{
    TStationTracker tracker({}, false);
    tracker.Update({}, {Port("COM1"), Port("COM2"), Port("COM3")});
    EXPECT_EQ(Keys(tracker.TakeReady(2)), (Keys_t{"COM1", "COM2"}));
    EXPECT_EQ(tracker.Running(), 2u);
    tracker.Update({"COM1"}, {Port("COM1"), Port("COM2"), Port("COM3")});
    EXPECT_EQ(Keys(tracker.TakeReady(1)), Keys_t{"COM3"});
    tracker.Finished("COM1");
    EXPECT_EQ(Keys(tracker.TakeReady(64)), Keys_t{"COM1"});
}

} // namespace
} // namespace morlith

namespace morlith {
namespace {

// A scratch folder of its own, removed at the end.
class StationFileNamesTest : public ::testing::Test {
protected:
    StationFileNamesTest()
    {
        FFolder = std::filesystem::temp_directory_path() / ("station-names-" + std::to_string(::getpid()));
        std::filesystem::create_directories(FFolder);
    }
    ~StationFileNamesTest() override { std::filesystem::remove_all(FFolder); }
    std::string File(const std::string &name) const { return (FFolder / name).string(); }

    std::filesystem::path FFolder;
    const TPortChoice FPort{"COM3", 3, ""};
};

TEST_F(StationFileNamesTest, NumbersGoOnAfterTheFilesAndTheLog)
{
    std::ofstream(File("dump-7.bin")) << "earlier run";
    std::ofstream(File("line.jsonl")) << R"({"command":"read-dseg","data_file":{"path":")" << File("dump-9.bin")
                                      << R"("}})" << "\nnot a record\n";
    TStationFileNames names(File("dump-{n}.bin"), File("line.jsonl"));
    EXPECT_EQ(names.Next(FPort), File("dump-10.bin"));
    std::ofstream(File("dump-11.bin")) << "made meanwhile";
    EXPECT_EQ(names.Next(FPort), File("dump-12.bin"));
}

TEST_F(StationFileNamesTest, NoNameIsGivenTwiceNorIsItTheLog)
{
    // Modules that arrive within one millisecond still get files of their own.
    TStationFileNames timed(File("dump-{time}-{port}.bin"), "");
    std::set<std::string> given;
    for (int module = 0; module < 50; ++module)
        given.insert(timed.Next(FPort));
    EXPECT_EQ(given.size(), 50u);
    EXPECT_NE(given.begin()->find("-COM3"), std::string::npos) << *given.begin();
    // A name that is the log's own file is passed over.
    TStationFileNames onLog(File("line.jsonl"), File("line.jsonl"));
    EXPECT_EQ(onLog.Next(FPort), File("line-2.jsonl"));
    EXPECT_EQ(FileTime().size(), std::string("20261207T103638.123Z").size()) << FileTime();
}

} // namespace
} // namespace morlith
