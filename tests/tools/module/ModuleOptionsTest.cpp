// SPDX-License-Identifier: MIT
// The command line of morlith-module.

#include "ModuleOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace morlith;

namespace {

TModuleToolArguments Parse(const std::vector<std::string> &arguments)
{
    return ParseModuleToolArguments(arguments);
}

} // namespace

TEST(ModuleToolArguments, EveryOptionReachesItsField)
{
    const auto parsed = Parse({"--com", "12", "--dseg-size=100", "--bitrate", "19200", "--trace",
                               "--dump", "out.txt", "--dseg-file", "all.bin", "--controller-dseg",
                               "3:c3:x.bin", "--no-reply", "4", "--no-reply", "6", "--bad-crc", "2",
                               "--noise", "5", "--trailing", "7", "--silent", "--hangup-after", "9", "--trickle-ms", "999"});
    ASSERT_EQ(parsed.error, "");
    const TModuleToolOptions &o = parsed.options;
    EXPECT_EQ(o.comNumber, 12u);
    EXPECT_EQ(o.dataSegmentBytes, 100u);
    EXPECT_EQ(o.bitRate, 19200u);
    EXPECT_TRUE(o.trace);
    EXPECT_EQ(o.dumpFile, "out.txt");
    EXPECT_EQ(o.dataSegmentFile, "all.bin");
    EXPECT_EQ(o.controllerDataSegmentFiles.at(3), "c3:x.bin");
    EXPECT_EQ(o.faults.noReplyFrames, (std::set<unsigned>{4, 6}));
    EXPECT_EQ(o.faults.badCrcFrames, std::set<unsigned>{2});
    EXPECT_EQ(o.faults.noiseFrames, std::set<unsigned>{5});
    EXPECT_EQ(o.faults.trailingFrames, std::set<unsigned>{7});
    EXPECT_TRUE(o.faults.silent);
    EXPECT_EQ(o.faults.hangUpAfterFrames, 9u);
    EXPECT_EQ(o.faults.trickleDelayMs, 999u);
    EXPECT_FALSE(o.deviceOnly);
}

TEST(ModuleToolArguments, BadArgumentsSayWhatIsWrong)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "--com N"},
        {{"--com"}, "--com needs a value"},
        {{"--com", "256"}, "--com takes a whole number from 1 to 255, not \"256\""},
        {{"--com", "3x"}, "not \"3x\""},
        {{"--com", "-1"}, "not \"-1\""},
        {{"--com", "1", "--dseg-size", "65536"}, "--dseg-size takes a whole number from 0 to 65535"},
        {{"--com", "1", "--trickle-ms", "1000"}, "--trickle-ms takes a whole number from 1 to 999"},
        {{"--com", "1", "--trickle-ms", "0"}, "--trickle-ms takes a whole number from 1 to 999"},
        {{"--com", "1", "--no-reply", "0"}, "--no-reply takes a whole number from 1"},
        {{"--com", "1", "--hangup-after", "0"}, "--hangup-after takes a whole number from 1"},
        {{"--com", "1", "--bitrate", "4000001"}, "--bitrate takes a whole number from 0 to 4000000"},
        {{"--com", "1", "--dump"}, "--dump needs a value"},
        {{"--com", "1", "--controller-dseg", "5:a.bin"}, "INDEX:FILE"},
        {{"--com", "1", "--controller-dseg", "a.bin"}, "INDEX:FILE"},
        {{"--com", "1", "--controller-dseg", "1:"}, "INDEX:FILE"},
        {{"--com", "1", "--trace=yes"}, "--trace takes no value"},
        {{"--com", "1", "--speed", "3"}, "unknown option --speed"},
        {{"--com", "1", "--device-only"}, "not both"},
        {{"--device-only", "--com", "1"}, "not both"},
        {{"--com", "1", "--dump="}, "--dump: empty file name"},
        {{"--com", "1", "--dseg-file="}, "--dseg-file: empty file name"},
        {{"--com", "0x10"}, "not \"0x10\""},
        {{"--com", "1", "COM2"}, "unexpected argument \"COM2\""},
        {{"--com", "1", "--no-reply", "4", "5"}, "unexpected argument \"5\""},
        {{"--com", "1", "--controller-dseg", "1:a", "b"}, "unexpected argument \"b\""},
    };
    for (const auto &[arguments, message] : cases) {
        const auto parsed = Parse(arguments);
        EXPECT_NE(parsed.error.find(message), std::string::npos)
            << "arguments " << testing::PrintToString(arguments) << " gave '" << parsed.error << "'";
    }
    EXPECT_EQ(Parse({"--help"}).error, "");
    EXPECT_EQ(Parse({"--version"}).error, "");
    EXPECT_EQ(Parse({"--device-only"}).error, "");
    // Numbers are decimal: "010" is ten; an index too.
    EXPECT_EQ(Parse({"--com", "010"}).options.comNumber, 10u);
    EXPECT_EQ(Parse({"--com=2", "--controller-dseg", "04:a.bin"}).options.controllerDataSegmentFiles.at(4), "a.bin");
    // Help and version win over what else is given.
    EXPECT_TRUE(Parse({"--com", "999", "-h"}).options.help);
    EXPECT_TRUE(Parse({"-V", "--com", "999"}).options.version);
}

TEST(ModuleToolServerOptions, DataFilesSetTheSegmentAndMustFit)
{
    const std::string path = testing::TempDir() + "morlith-options-dseg.bin";
    std::ofstream(path, std::ios::binary) << std::string(300, 'x');
    TModuleToolOptions options;
    options.dataSegmentFile = path;
    EXPECT_EQ(ServerOptionsFor(options).dataSegmentBytes, 300u);
    EXPECT_EQ(ServerOptionsFor(options).dataSegmentForAll.size(), 300u);
    options.dataSegmentBytes = 1000;
    EXPECT_EQ(ServerOptionsFor(options).dataSegmentBytes, 1000u);
    options.dataSegmentBytes = 200;
    EXPECT_THROW(ServerOptionsFor(options), std::runtime_error);

    TModuleToolOptions one;
    one.controllerDataSegmentFiles[1] = path;
    EXPECT_EQ(ServerOptionsFor(one).dataSegmentBytes, kDefaultDataSegmentBytes);
    EXPECT_EQ(ServerOptionsFor(one).dataSegmentOf.at(1).size(), 300u);
    one.dataSegmentBytes = 100;
    EXPECT_THROW(ServerOptionsFor(one), std::runtime_error);
    std::filesystem::remove(path);
}

// What would hang, exhaust memory or fail only at exit is refused before the module starts.
TEST(ModuleToolServerOptions, DevicesFoldersAndMissingDumpFoldersAreRefusedAtStart)
{
    const std::string folder = testing::TempDir();
    const std::vector<std::pair<TModuleToolOptions, std::string>> cases = [&] {
        std::vector<std::pair<TModuleToolOptions, std::string>> list(5);
        list[0].first.dataSegmentFile = "/dev/zero";
        list[0].second = "not a regular file";
        list[1].first.dataSegmentFile = folder;
        list[1].second = "not a regular file";
        list[2].first.controllerDataSegmentFiles[2] = "/dev/zero";
        list[2].second = "not a regular file";
        list[3].first.dumpFile = folder + "no-such-folder/dump.txt";
        list[3].second = "No such file or directory";
        list[4].first.dumpFile = folder;
        list[4].second = "it is a folder";
        return list;
    }();
    for (const auto &[options, reason] : cases) {
        try {
            ServerOptionsFor(options);
            ADD_FAILURE() << "accepted: " << reason;
        } catch (const std::runtime_error &error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
    TModuleToolOptions fine;
    fine.dumpFile = folder + "dump.txt";
    EXPECT_NO_THROW(ServerOptionsFor(fine));
}
