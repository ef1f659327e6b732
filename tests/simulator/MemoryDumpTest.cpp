// SPDX-License-Identifier: MIT
// The memory dump: what a test or an operator reads of the module after a run.

#include "HostPort.h"

#include "MemoryDump.h"
#include "VirtualModule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <system_error>

using namespace morlith;
using namespace morlith::test;

TEST(MemoryDump, ShowsEveryControllerWithItsMemoriesInHex)
{
    TVirtualModule module(18);
    module.Controller(1).programMemory = {0x01, 0xAB};
    module.Controller(1).parameterBlock = {0x0002, 0x1234, 0x0012, 0xBEEF};
    module.LoadDataSegment(1, {0x10, 0x11});
    const std::string dump = FormatMemoryDump(module);

    EXPECT_EQ(dump.rfind("# morlith virtual module memory dump\ncontroller 0 selected\n", 0), 0u);
    const std::string controller1 = "controller 1\n"
                                    "parameter-block 0002 1234 0012 BEEF\n"
                                    "program-memory 2 bytes\n"
                                    "000000: 01 AB\n"
                                    "data-segment 18 bytes\n"
                                    "000000: 10 11 FF FF FF FF FF FF FF FF FF FF FF FF FF FF\n"
                                    "000010: FF FF\n";
    EXPECT_NE(dump.find(controller1), std::string::npos) << dump;
    EXPECT_NE(dump.find("controller 4\nparameter-block 0000 FFFF 0012 "), std::string::npos);
    EXPECT_EQ(dump.find("controller 5"), std::string::npos);
}

TEST(MemoryDump, ServerWritesWhatTheHostStored)
{
    char path[] = "/tmp/morlith-dump-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    TModuleServerOptions options;
    options.dataSegmentBytes = 4;
    TRunningModule module(options);
    ASSERT_TRUE(CrcHolds(module.Host().Exchange('I', {2}, 2)));
    ASSERT_TRUE(CrcHolds(module.Host().Exchange('F', FlashInitPayload(1, 0), 2)));
    ASSERT_TRUE(CrcHolds(module.Host().Exchange('W', {0xC0, 0xDE}, 2)));
    module.Server().Stop();
    module.Server().DumpMemories(path);
    EXPECT_NE(ReadTextFile(path).find("controller 2 selected\nparameter-block 0000 FFFF 0004 "),
              std::string::npos);
    EXPECT_NE(ReadTextFile(path).find("data-segment 4 bytes\n000000: C0 DE FF FF\n"), std::string::npos);
    std::remove(path);
}

TEST(MemoryDump, UnwritablePathRaisesNamingTheFile)
{
    TVirtualModule module;
    try {
        WriteMemoryDump(module, "/nonexistent-dir/dump.txt");
        FAIL() << "no error raised";
    } catch (const std::system_error &error) {
        EXPECT_EQ(error.code().value(), ENOENT);
        EXPECT_NE(std::string(error.what()).find("/nonexistent-dir/dump.txt"), std::string::npos);
    }
}
