// SPDX-License-Identifier: MIT
// One operation as both front ends run it, against the virtual module: the input read once, the
// checks before the first frame, what the module holds when the work stops early, and the record
// the production log gets.

#include "ComPortProgrammator.h"
#include "JsonFields.h"
#include "ModuleOnPort.h"
#include "OperationRunner.h"
#include "NumberText.h"
#include "PackageAcceptance.h"
#include "PackageBuilder.h"
#include "PortMap.h"
#include "Sha256.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

using namespace morlith;

namespace {

class OperationRunnerTest : public ::testing::Test {
protected:
    std::string WritePackage(size_t imageBytes, uint8_t fill = 0x42, const char *name = "app.xml")
    {
        std::vector<uint8_t> image(imageBytes, fill);
        const TPackageBytes bytes = BuildPackageBytes(image, 32);
        std::string why;
        EXPECT_TRUE(SavePackageFile(ports.File(name), bytes.Header, bytes.KeyedImage, 0, &why)) << why;
        return ports.File(name);
    }
    std::string Line(const TOperationRunner &runner, const std::string &port = "COM1")
    {
        return OperationRecordLine(runner.Record("morlith", port));
    }
    // The record's line, read back.
    nlohmann::json Record(const TOperationRunner &runner, const std::string &port = "COM1")
    {
        return nlohmann::json::parse(Line(runner, port));
    }

    PrivatePortMap ports;
    TComPortProgrammator programmator;
};

using test::FieldOf;
using test::ReadText;
using test::ValueOf;

TEST_F(OperationRunnerTest, AWriteCutByAHangUpIsRecordedWithWhatTheModuleHolds)
{
    TModuleServerOptions options;
    options.faults.hangUpAfterFrames = 8; // C, F, W (block), F, then four chunks
    ports.Serve(1, options);
    TOperationRunner runner(programmator, TOperationKind::okWriteApplication, 0);
    ASSERT_TRUE(runner.ReadInput(WritePackage(500))) << runner.Failure();
    ASSERT_TRUE(runner.Connect(1)) << runner.Failure();
    ASSERT_FALSE(runner.Perform());
    runner.Conclude();

    const nlohmann::json record = Record(runner);
    const std::pair<const char *, nlohmann::json> fields[] = {
        {"tool", "morlith"}, {"port", "COM1"}, {"image_length", 500}, {"result", "failed"}, {"kind", "hangup"}};
    for (const auto &[key, value] : fields)
        EXPECT_EQ(ValueOf(record, key), value) << key << "\n" << record;
    EXPECT_EQ(FieldOf(record, "device").rfind("/dev/pts/", 0), 0u) << record;
    EXPECT_EQ(FieldOf(record, "module_state").rfind("application partly written: ", 0), 0u) << record;
}

TEST_F(OperationRunnerTest, ASuccessfulReadIsRecordedWithTheDataItSavedAndNothingFollowsAfterwards)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 64;
    options.dataSegmentOf[0] = std::vector<uint8_t>(64, 0x5A);
    ports.Serve(2, options);
    size_t frames = 0;
    nlohmann::json record;
    {
        TOperationRunner runner(programmator, TOperationKind::okReadDataSegment, 0);
        ASSERT_TRUE(runner.Connect(2));
        ASSERT_TRUE(runner.Perform()) << runner.Failure();
        ASSERT_TRUE(runner.SaveData(ports.File("seg.bin"), TExistingFile::efKeep)) << runner.Failure();
        runner.Conclude();
        record = Record(runner, "COM2");
    }
    // The runner's frame hook is gone with it: a front end may install its own.
    programmator.SetFrameTrace([&](const TFrameTraceEvent &) { ++frames; });
    EXPECT_TRUE(programmator.Disconnect());
    EXPECT_GT(frames, 0u);
    const std::string saved = ReadText(ports.File("seg.bin"));
    EXPECT_EQ(saved, std::string(64, 0x5A));
    EXPECT_EQ(FieldOf(record, "command"), "read-dseg") << record;
    EXPECT_EQ(ValueOf(record, "data_file"),
              (nlohmann::json{{"path", ports.File("seg.bin")}, {"sha256", Sha256Hex(saved.data(), saved.size())}}))
        << record;
    EXPECT_EQ(FieldOf(record, "result"), "ok") << record;
    EXPECT_TRUE(ValueOf(record, "module_state").is_null()) << record;
}

// The package is read once: replacing the file after it was taken changes neither what is sent
// nor what the record says was sent.
TEST_F(OperationRunnerTest, TheBytesReadAreTheBytesSentAndFingerprinted)
{
    TModuleServer &module = ports.Serve(1);
    const std::string package = WritePackage(120, 0x11);
    const std::string taken = ReadText(package);
    TOperationRunner runner(programmator, TOperationKind::okWriteApplication, 0);
    ASSERT_TRUE(runner.ReadInput(package));
    WritePackage(200, 0x22); // replaced before the write
    ASSERT_TRUE(runner.Connect(1));
    ASSERT_TRUE(runner.Perform()) << runner.Failure();
    runner.Conclude();
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory; }),
              std::vector<uint8_t>(120, 0x11));
    const nlohmann::json record = Record(runner);
    EXPECT_EQ(FieldOf(record, "sha256"), Sha256Hex(taken.data(), taken.size())) << record;
    EXPECT_EQ(ValueOf(record, "image_length"), 120) << record;
}

// Inputs refused before connecting: nothing is sent, and the kind tells why.
TEST_F(OperationRunnerTest, InputsAreRefusedBeforeAnyFrame)
{
    TModuleServer &module = ports.Serve(1);
    const TPackageBytes good = BuildPackageBytes(std::vector<uint8_t>(100, 1), 16);
    std::vector<uint8_t> shorter(good.KeyedImage.begin(), good.KeyedImage.end() - 1);
    std::string why;
    ASSERT_TRUE(SavePackageFile(ports.File("short.xml"), good.Header, shorter, 0, &why)) << why;
    std::ofstream(ports.File("big.bin"), std::ios::binary) << std::string(65536, 'x');
    std::ofstream(ports.File("notxml.xml")) << "<config";
    std::ofstream(ports.File("empty.bin")) << "";
    const struct {
        TOperationKind Kind;
        std::string Path;
        TFailureKind Expected;
    } cases[] = {
        {TOperationKind::okWriteApplication, ports.File("short.xml"), TFailureKind::fkRefusedInput},
        {TOperationKind::okWriteApplication, ports.File("notxml.xml"), TFailureKind::fkRefusedInput},
        {TOperationKind::okWriteApplication, ports.File("missing.xml"), TFailureKind::fkFile},
        {TOperationKind::okWriteDataSegment, ports.File("empty.bin"), TFailureKind::fkRefusedInput},
        {TOperationKind::okWriteApplication, ports.File(""), TFailureKind::fkFile},
        {TOperationKind::okWriteDataSegment, ports.File("big.bin"), TFailureKind::fkRefusedInput},
        {TOperationKind::okWriteDataSegment, ports.File("missing.bin"), TFailureKind::fkFile},
    };
    for (const auto &item : cases) {
        TOperationRunner runner(programmator, item.Kind, 0);
        EXPECT_FALSE(runner.ReadInput(item.Path)) << item.Path;
        EXPECT_EQ(runner.Failure().Kind, item.Expected) << item.Path << ": " << runner.Failure();
        // The record names the file refused.
        EXPECT_EQ(runner.Failure().Path, item.Path) << runner.Failure();
    }
    EXPECT_EQ(Commands(module), "");
}

// After a lost reply to a chunk, what the module holds is told before the goodbye, whose own
// reply must not be taken for the chunk's.
TEST_F(OperationRunnerTest, WhatTheModuleHoldsIsToldBeforeTheGoodbye)
{
    TModuleServerOptions options;
    options.faults.noReplyFrames = {7}; // C, F, W (block), F, chunks 1 and 2, chunk 3 unanswered
    TModuleServer &module = ports.Serve(1, options);
    programmator.Driver().SetInputTimeout(200);
    TOperationRunner runner(programmator, TOperationKind::okWriteApplication, 0);
    ASSERT_TRUE(runner.ReadInput(WritePackage(400)));
    ASSERT_TRUE(runner.Connect(1));
    ASSERT_FALSE(runner.Perform());
    EXPECT_FALSE(runner.Finish(false));
    EXPECT_EQ(runner.Failure().Kind, TFailureKind::fkNoReply);
    EXPECT_EQ(runner.ModuleState(), "application partly written: between 100 and 150 of 400 bytes");
    EXPECT_EQ(Commands(module).back(), 'Q');
    EXPECT_EQ(FieldOf(Record(runner), "module_state"), runner.ModuleState()) << Line(runner);
}

// A stop request that ends a wait for a reply is a stop, not the module's silence.
TEST_F(OperationRunnerTest, AStopRequestDuringAWaitIsRecordedAsStopped)
{
    TModuleServerOptions options;
    options.faults.noReplyFrames = {6}; // the second chunk
    TModuleServer &module = ports.Serve(1, options);
    programmator.Driver().SetInputTimeout(10000);
    TOperationRunner runner(programmator, TOperationKind::okWriteApplication, 0);
    ASSERT_TRUE(runner.ReadInput(WritePackage(200)));
    ASSERT_TRUE(runner.Connect(1));
    std::thread stopper([&] {
        module.Trace().WaitForSize(6, std::chrono::milliseconds(5000));
        programmator.RequestAbort();
    });
    const bool written = runner.Perform();
    stopper.join();
    ASSERT_FALSE(written);
    runner.Conclude();
    EXPECT_EQ(runner.Failure().Kind, TFailureKind::fkStopped) << runner.Failure();
    EXPECT_EQ(runner.ModuleState(), "application partly written: between 50 and 100 of 200 bytes");
}

// The stop rule: a stop asked for before, or once, connected ends the operation "stopped", and
// work cut short by a stop gets no goodbye; everything else does.
TEST_F(OperationRunnerTest, AStopEndsTheOperationAndLeavesOutTheGoodbye)
{
    const struct {
        const char *Name;
        int StopFromCheck; // the stop check answers true from this call on (0: never)
        bool Silent; // the module leaves its first handshake unanswered; one retry is allowed
        bool Opened;
        bool Done; // the work ended as a whole
        bool Stopped;
        const char *Sent;
    } cases[] = {
        {"stopped before connecting", 1, false, false, false, true, ""},
        {"stopped between handshakes", 2, true, false, false, true, "C"},
        {"stopped once connected", 2, false, false, false, true, "C"},
        {"no stop", 0, false, true, true, false, "CQ"},
        {"failed without a stop", 0, false, true, false, false, "CQ"},
        {"stopped after the work was done", 3, false, true, true, false, "CQ"},
    };
    int port = 0;
    for (const auto &item : cases) {
        TModuleServerOptions options;
        if (item.Silent)
            options.faults.noReplyFrames = {1};
        TModuleServer &module = ports.Serve(++port, options);
        TComPortProgrammator own;
        own.Driver().SetInputTimeout(200);
        {
            TOperationRunner runner(own, TOperationKind::okConnect, 0);
            int checks = 0;
            runner.SetStopCheck([&] { return item.StopFromCheck > 0 && ++checks >= item.StopFromCheck; });
            EXPECT_EQ(runner.Open(port, 1, [](uint32_t) { return true; }), item.Opened) << item.Name;
            EXPECT_EQ(runner.Failure().Kind, item.Opened ? TFailureKind::fkNone : TFailureKind::fkStopped)
                << item.Name << ": " << runner.Failure();
            EXPECT_EQ(runner.Finish(item.Done), item.Stopped) << item.Name;
        }
        EXPECT_EQ(Commands(module), item.Sent) << item.Name;
    }
}

// The record names the device that was opened, even when the port map leads elsewhere by the
// time the operation ends.
TEST_F(OperationRunnerTest, TheRecordNamesTheDeviceThatWasOpened)
{
    ports.Serve(1);
    TOperationRunner connect(programmator, TOperationKind::okConnect, 0);
    ASSERT_TRUE(connect.Connect(1));
    const std::string opened = programmator.Driver().OpenedDevice();
    ASSERT_EQ(opened.rfind("/dev/pts/", 0), 0u) << opened;
    // The entry now leads elsewhere; the module stays on the port that was opened.
    std::filesystem::remove(PortMapDirectory() + "/COM1");
    std::filesystem::create_symlink("/dev/ttyS2", PortMapDirectory() + "/COM1");
    TOperationRunner read(programmator, TOperationKind::okReadDataSegment, 0);
    ASSERT_TRUE(read.Perform()) << read.Failure();
    read.Conclude();
    for (const TOperationRunner *runner : {&connect, &read}) {
        EXPECT_EQ(FieldOf(Record(*runner), "device"), opened) << Line(*runner);
    }
}

// A data file longer than the module's data segment is refused after reading the parameter block,
// unless forced.
TEST_F(OperationRunnerTest, ADataFileLongerThanTheSegmentIsRefusedUnlessForced)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 64;
    TModuleServer &module = ports.Serve(1, options);
    std::ofstream(ports.File("d.bin"), std::ios::binary) << std::string(80, 'd');
    programmator.Driver().SetInputTimeout(200);
    for (const bool force : {false, true}) {
        TOperationRunner runner(programmator, TOperationKind::okWriteDataSegment, 0);
        ASSERT_TRUE(runner.ReadInput(ports.File("d.bin")));
        ASSERT_TRUE(runner.Connect(1));
        EXPECT_FALSE(runner.Perform(force));
        EXPECT_EQ(runner.SegmentBytes(), 64u);
        // Forced, it is written; the module leaves unanswered what runs past its segment.
        EXPECT_EQ(runner.Failure().Kind, force ? TFailureKind::fkNoReply : TFailureKind::fkRefusedInput)
            << runner.Failure();
    }
    EXPECT_EQ(Commands(module), "CPPFWW");
}

// Reading what a module holds: an absent slave is told as such and the reading goes on; any other
// fault ends it with its kind. Frames: C P, I C P (slave 1), I (slave 2), ... .
TEST_F(OperationRunnerTest, AStatusReadsEveryControllerAndNamesWhatEachHolds)
{
    const TByteArray a = BuildPackageBytes(std::vector<uint8_t>(120, 1), 64).Header;
    const TByteArray b = BuildPackageBytes(std::vector<uint8_t>(80, 2), 64).Header;
    const struct {
        const char *Name;
        TFaultPlan Faults;
        TFailureKind Kind;
        const char *Present; // per controller, once read: p present, a absent
        const char *Sent;
    } cases[] = {
        {"slaves 2 and 4 absent", {}, TFailureKind::fkNone, "ppapa", "CPICPICICPI"},
        {"slave 1 silent too", [] { TFaultPlan f; f.noReplyFrames = {3}; return f; }(), TFailureKind::fkNone, "paapa",
         "CPICICICPI"},
        {"a garbled selection", [] { TFaultPlan f; f.badCrcFrames = {3}; return f; }(), TFailureKind::fkBadReply, "p",
         "CPI"},
        {"the main block unanswered", [] { TFaultPlan f; f.noReplyFrames = {2}; return f; }(), TFailureKind::fkNoReply,
         "", "CPQ"},
        {"a hang-up", [] { TFaultPlan f; f.hangUpAfterFrames = 4; return f; }(), TFailureKind::fkHangUp, "p", "CPIC"},
    };
    int port = 0;
    for (const auto &item : cases) {
        TModuleServerOptions options;
        options.faults = item.Faults;
        options.absentControllers = {2, 4};
        TModuleServer &module = ports.Serve(++port, options);
        module.WithModule([&](TVirtualModule &m) {
            m.Controller(0).parameterBlock = HeaderWords(a);
            // The image of b with another data-segment length: it still holds b.
            std::array<uint16_t, 4> other = HeaderWords(b);
            other[2] = 7;
            m.Controller(3).parameterBlock = other;
            return 0;
        });
        TComPortProgrammator own;
        own.Driver().SetInputTimeout(150);
        nlohmann::json record;
        std::string present, held;
        {
            TOperationRunner runner(own, TOperationKind::okStatus, 0);
            runner.SetKnownPackages({{"a.xml", a}, {"b.xml", b}});
            ASSERT_TRUE(runner.Connect(port)) << item.Name;
            EXPECT_EQ(runner.Perform(), item.Kind == TFailureKind::fkNone) << item.Name;
            EXPECT_EQ(runner.Failure().Kind, item.Kind) << item.Name << ": " << runner.Failure();
            runner.Finish(true);
            for (const TControllerHolding &holding : runner.Holdings()) {
                present += holding.Present ? "p" : "a";
                held += holding.Package.value_or("-") + " ";
            }
            record = Record(runner);
        }
        EXPECT_EQ(present, item.Present) << item.Name;
        EXPECT_EQ(Commands(module), item.Sent) << item.Name << "\n" << Trace(module);
        if (item.Kind != TFailureKind::fkNone)
            continue;
        EXPECT_EQ(held, "a.xml - - b.xml - ") << item.Name;
        EXPECT_EQ(FieldOf(record, "command"), "status");
        ASSERT_EQ(record["controllers"].size(), 5u) << record;
        EXPECT_EQ(record["controllers"][2], (nlohmann::json{{"mcu", 2}, {"absent", true}}));
        EXPECT_EQ(record["controllers"][3],
                  (nlohmann::json{{"mcu", 3}, {"image_length", 80}, {"image_crc", Hex16(HeaderWords(b)[1])},
                                  {"dseg_length", 7}, {"package", "b.xml"}}));
        EXPECT_TRUE(record["controllers"][1]["package"].is_null()) << record;
    }
}

// write-app that may skip: only a package that is current (image length, CRC and data-segment
// length) is skipped, after one "P"; a skipped write is recorded as such.
TEST_F(OperationRunnerTest, AWriteThatMaySkipSendsNothingOnlyWhereThePackageIsCurrent)
{
    const std::string package = WritePackage(120);
    TOperationInput input;
    ASSERT_FALSE(ReadOperationInput(TOperationKind::okWriteApplication, package, "", input).Failed());
    const std::array<uint16_t, 4> current = HeaderWords(input.Header);
    const struct {
        const char *Name;
        bool Skip;
        std::array<uint16_t, 4> Held;
        bool Skipped;
        const char *Sent;
    } cases[] = {
        {"current", true, current, true, "CP"},
        {"another segment length", true, {current[0], current[1], uint16_t(current[2] ^ 1), 0}, false, "CPFWFWWW"},
        {"another image", true, {current[0], uint16_t(current[1] ^ 1), current[2], 0}, false, "CPFWFWWW"},
        {"current but not asked to skip", false, current, false, "CFWFWWW"},
    };
    int port = 0;
    for (const auto &item : cases) {
        TModuleServer &module = ports.Serve(++port);
        module.WithModule([&](TVirtualModule &m) { return m.Controller(0).parameterBlock = item.Held; });
        TComPortProgrammator own;
        TOperationRunner runner(own, TOperationKind::okWriteApplication, 0);
        runner.SetSkipIfCurrent(item.Skip);
        ASSERT_TRUE(runner.ReadInput(package));
        ASSERT_TRUE(runner.Connect(port));
        ASSERT_TRUE(runner.Perform()) << item.Name << ": " << runner.Failure();
        runner.Conclude();
        EXPECT_EQ(runner.Skipped(), item.Skipped) << item.Name;
        EXPECT_EQ(runner.Bytes(), item.Skipped ? 0u : 120u) << item.Name;
        EXPECT_EQ(Commands(module), item.Sent) << item.Name;
        EXPECT_EQ(ValueOf(Record(runner), "skipped"), item.Skipped ? nlohmann::json("already current") : nlohmann::json())
            << item.Name;
    }
}

} // namespace
