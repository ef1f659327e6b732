// SPDX-License-Identifier: MIT
// The programmator against the virtual module on a pseudo-terminal: connection, controller
// selection and the data segment.

#include "ComPortProgrammator.h"
#include "DriverTestSupport.h"
#include "ModuleOnPort.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <csignal>
#include <thread>

using namespace morlith;
using Bytes = std::vector<uint8_t>;

namespace {

void WriteFile(const std::string &path, const Bytes &data)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(data.data()),
                                                std::streamsize(data.size()));
}

Bytes Pattern(size_t size, uint8_t seed)
{
    Bytes data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = uint8_t(seed + i * 7);
    return data;
}

} // namespace

TEST(Programmator, ConnectHandshakesOnceAndDisconnectSaysGoodbye)
{
    PrivatePortMap ports;
    auto &module = ports.Serve(3);
    TComPortProgrammator programmator;
    EXPECT_TRUE(programmator.Disconnect()); // not connected: true, nothing sent
    EXPECT_TRUE(programmator.Connect(3)) << programmator.LastFailure();
    EXPECT_TRUE(programmator.Connect(3));
    EXPECT_TRUE(programmator.GetConnected());
    EXPECT_EQ(Commands(module), "C");
    EXPECT_TRUE(programmator.Disconnect());
    EXPECT_FALSE(programmator.GetConnected());
    EXPECT_FALSE(programmator.Driver().Connected());
    module.Trace().WaitForSize(2, std::chrono::milliseconds(1000));
    EXPECT_EQ(Commands(module), "CQ");
}

TEST(Programmator, SelectingASlaveSendsConnectSelectConnect)
{
    PrivatePortMap ports;
    auto &module = ports.Serve(3);
    TComPortProgrammator programmator;
    EXPECT_TRUE(programmator.SelectMCU(3, 2)) << programmator.LastFailure();
    ASSERT_EQ(Commands(module), "CIC");
    EXPECT_EQ(module.Trace().Entries()[1].payload, Bytes{2});
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.SelectedIndex(); }), 2);
    EXPECT_TRUE(programmator.SelectMCU(3, 1)); // connected already: "I", "C"
    EXPECT_EQ(Commands(module), "CICIC");
}

TEST(Programmator, AFailedSelectLeavesItDisconnected)
{
    PrivatePortMap ports;
    TModuleServerOptions options;
    options.faults.noReplyFrames = {2};
    ports.Serve(3, options);
    TComPortProgrammator programmator;
    programmator.Driver().SetInputTimeout(200);
    EXPECT_FALSE(programmator.SelectMCU(3, 2));
    EXPECT_FALSE(programmator.GetConnected());
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkNoReply) << programmator.LastFailure();
    EXPECT_EQ(programmator.LastFailure().Step, "selecting controller 2");
    EXPECT_EQ(programmator.LastFailure().Command, 'I');
}

TEST(Programmator, AFailedHandshakeDoesNotTieItToThatPort)
{
    PrivatePortMap ports;
    TModuleServerOptions silent;
    silent.faults.silent = true;
    auto &wrong = ports.Serve(3, silent);
    auto &right = ports.Serve(4);
    TComPortProgrammator programmator;
    Stopwatch watch;
    EXPECT_FALSE(programmator.Connect(3));
    EXPECT_GE(watch.WallMs(), 1000); // the inactivity limit
    EXPECT_LT(watch.WallMs(), 5000);
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkNoReply);
    EXPECT_EQ(programmator.LastFailure().Step, "connecting");
    EXPECT_EQ(programmator.LastFailure().Command, 'C');
    EXPECT_TRUE(programmator.Connect(4)) << programmator.LastFailure();
    EXPECT_EQ(Commands(wrong), "C");
    EXPECT_EQ(Commands(right), "C");
}

TEST(Programmator, PortNamingCanMapNumbersToADevicePath)
{
    PrivatePortMap ports;
    auto &module = ports.Serve(3);
    TComPortProgrammator programmator;
    programmator.SetPortNaming([&](int32_t) { return module.SlavePath(); });
    EXPECT_TRUE(programmator.Connect(77)) << programmator.LastFailure();
    EXPECT_EQ(Commands(module), "C");
}

TEST(Programmator, AMissingPortIsReportedWithItsDevice)
{
    PrivatePortMap ports;
    TComPortProgrammator programmator;
    EXPECT_FALSE(programmator.Connect(250));
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkNotFound) << programmator.LastFailure();
    EXPECT_EQ(programmator.LastFailure().Device, "/dev/ttyS249");
    EXPECT_EQ(programmator.LastFailure().Detail, "COM250 -> /dev/ttyS249: no such device");
}

TEST(Programmator, DataSegmentWriteGoesOutInChunksOfFifty)
{
    PrivatePortMap ports;
    auto &module = ports.Serve(3);
    TComPortProgrammator programmator;
    const Bytes data = Pattern(120, 3);
    WriteFile(ports.File("in.bin"), data);
    EXPECT_FALSE(programmator.WriteDSEG(ports.File("in.bin"))); // not connected
    ASSERT_TRUE(programmator.Connect(3));
    EXPECT_TRUE(programmator.WriteDSEG(ports.File("in.bin"))) << programmator.LastFailure();
    const auto frames = module.Trace().Entries();
    ASSERT_EQ(Commands(module), "CFWWW");
    ASSERT_EQ(frames.size(), 5u);
    ASSERT_GE(frames[1].payload.size(), 8u);
    EXPECT_EQ(frames[1].payload[5], 1); // mode: data segment
    EXPECT_EQ(frames[1].payload[7], 0); // key 0
    EXPECT_EQ(frames[2].payload.size(), 50u);
    EXPECT_EQ(frames[4].payload.size(), 20u);
    const Bytes held = module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; });
    EXPECT_EQ(Bytes(held.begin(), held.begin() + 120), data);

    // An empty file sends "F" alone; a missing file fails (kind file) before anything is sent.
    WriteFile(ports.File("empty.bin"), {});
    EXPECT_TRUE(programmator.WriteDSEG(ports.File("empty.bin")));
    EXPECT_EQ(Commands(module), "CFWWWF");
    EXPECT_FALSE(programmator.WriteDSEG(ports.File("missing.bin")));
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkFile);
    EXPECT_EQ(programmator.LastFailure().OsError, ENOENT);
    EXPECT_EQ(programmator.LastFailure().Path, ports.File("missing.bin"));
    EXPECT_EQ(Commands(module), "CFWWWF");
}

TEST(Programmator, DataSegmentReadWritesTheWholeSegment)
{
    PrivatePortMap ports;
    TModuleServerOptions options;
    options.dataSegmentBytes = 300;
    options.dataSegmentOf[2] = Pattern(300, 9);
    auto &module = ports.Serve(3, options);
    TComPortProgrammator programmator;
    ASSERT_TRUE(programmator.SelectMCU(3, 2));
    EXPECT_TRUE(programmator.ReadDSEG(ports.File("out.bin"))) << programmator.LastFailure();
    EXPECT_EQ(test::ReadBytes(ports.File("out.bin")), Pattern(300, 9));
    EXPECT_EQ(Commands(module), "CICPD");
}

TEST(Programmator, AnEmptyDataSegmentGivesAnEmptyFile)
{
    PrivatePortMap ports;
    TModuleServerOptions options;
    options.dataSegmentBytes = 0;
    ports.Serve(3, options);
    TComPortProgrammator programmator;
    ASSERT_TRUE(programmator.Connect(3));
    EXPECT_TRUE(programmator.ReadDSEG(ports.File("zero.bin"))) << programmator.LastFailure();
    ASSERT_TRUE(test::Exists(ports.File("zero.bin")));
    EXPECT_TRUE(test::ReadBytes(ports.File("zero.bin")).empty());
}

TEST(Programmator, AFailedReadLeavesAnExistingFileAlone)
{
    PrivatePortMap ports;
    TModuleServerOptions options;
    options.faults.noReplyFrames = {3}; // the "D"
    ports.Serve(3, options);
    const Bytes previous = {1, 2, 3};
    WriteFile(ports.File("keep.bin"), previous);
    TComPortProgrammator programmator;
    programmator.Driver().SetInputTimeout(200);
    ASSERT_TRUE(programmator.Connect(3));
    EXPECT_FALSE(programmator.ReadDSEG(ports.File("keep.bin")));
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkNoReply);
    EXPECT_EQ(programmator.LastFailure().Command, 'D');
    EXPECT_EQ(test::ReadBytes(ports.File("keep.bin")), previous);
}

TEST(Programmator, AFileThatCannotBeWrittenFailsAndKeepsThePreviousOne)
{
    PrivatePortMap ports;
    TModuleServerOptions options;
    options.dataSegmentBytes = 4096;
    ports.Serve(3, options);
    const Bytes previous = {7, 7, 7};
    WriteFile(ports.File("keep.bin"), previous);
    TComPortProgrammator programmator;
    ASSERT_TRUE(programmator.Connect(3));

    // A file-size limit stands in for a full disk: the write stops part-way with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool read = programmator.ReadDSEG(ports.File("keep.bin"));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(read);
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkFile);
    EXPECT_EQ(programmator.LastFailure().Step, "saving the data segment");
    EXPECT_EQ(programmator.LastFailure().OsError, EFBIG);
    EXPECT_EQ(programmator.LastFailure().Path, ports.File("keep.bin"));
    EXPECT_EQ(test::ReadBytes(ports.File("keep.bin")), previous);

    // A folder that does not exist.
    EXPECT_FALSE(programmator.ReadDSEG(ports.File("no/such/folder.bin")));
    EXPECT_EQ(programmator.LastFailure().OsError, ENOENT);
    // No temporary file is left behind.
    EXPECT_TRUE(test::TemporaryFilesIn(ports.File("")).empty());
}

TEST(Programmator, AStopRequestEndsALongDataSegmentReadWithinItsCheckInterval)
{
    PrivatePortMap ports;
    TModuleServerOptions options;
    options.dataSegmentBytes = 65535;
    options.bitRate = 19200; // 34 s of reply on the line
    ports.Serve(3, options);
    TComPortProgrammator programmator;
    ASSERT_TRUE(programmator.Connect(3));
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        programmator.RequestAbort();
    });
    Stopwatch watch;
    EXPECT_FALSE(programmator.ReadDSEG(ports.File("segment.bin")));
    stopper.join();
    EXPECT_LT(watch.WallMs(), 5000) << "not the whole segment";
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkStopped);
    EXPECT_EQ(programmator.LastFailure().Step, "reading the data segment (65535 bytes)");
    EXPECT_FALSE(std::filesystem::exists(ports.File("segment.bin")));
}

TEST(Programmator, ReadAndWriteNeedAConnection)
{
    PrivatePortMap ports;
    TComPortProgrammator programmator;
    EXPECT_FALSE(programmator.ReadDSEG(ports.File("x.bin")));
    EXPECT_FALSE(std::filesystem::exists(ports.File("x.bin")));
    EXPECT_EQ(programmator.LastFailure().Detail, "not connected");
}
