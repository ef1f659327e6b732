// SPDX-License-Identifier: MIT
// Every device operation against every fault of the virtual module, at the first, a middle and
// the last frame of the operation: the result is false (true for a reply that trickles in within
// the limit), nothing hangs, the failure has the fault's kind and names the step of the faulty
// frame, and the next connect works.

#include "ComPortProgrammator.h"
#include "DriverTestSupport.h"
#include "ModuleOnPort.h"
#include "PackageBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <tuple>

using namespace morlith;

namespace {

constexpr uint32_t kTestReplyLimitMs = 250;
constexpr unsigned kTrickleGapMs = 20;
constexpr int kPort = 5;
constexpr unsigned kPacedBitRate = 38400;

// TrailingPaced: the junk after a reply comes at line pace, so it may still be on its way when
// the next request of a stream goes out.
enum class Fault { NoReply, WrongCrc, Noise, Trailing, TrailingPaced, HangUp, Trickle };
enum class Position { First, Middle, Last };

// One operation: the frames it sends (numbered in the module's count, after any connect the
// operation needs first), the words its failure must name, and how to run it.
struct Operation {
    const char *name;
    unsigned firstFrame, lastFrame;
    const char *step; // a pattern the failure's step must contain
    std::function<bool(TComPortProgrammator &, PrivatePortMap &)> run;
};

std::string WritePackage(PrivatePortMap &ports)
{
    const auto bytes = BuildPackageBytes(std::vector<uint8_t>(150, 0x21), 0x0040);
    std::string why;
    const std::string path = ports.File("app.xml");
    if (!SavePackageFile(path, bytes.Header, bytes.KeyedImage, 0, &why))
        ADD_FAILURE() << why;
    return path;
}

std::string WriteData(PrivatePortMap &ports)
{
    const std::string path = ports.File("data.bin");
    std::ofstream(path, std::ios::binary) << std::string(120, 'd');
    return path;
}

const Operation kOperations[] = {
    {"Connect", 1, 1, "^connecting$", [](TComPortProgrammator &p, PrivatePortMap &) { return p.Connect(kPort); }},
    {"Select", 1, 3, "^connecting$|^selecting controller 2",
     [](TComPortProgrammator &p, PrivatePortMap &) { return p.SelectMCU(kPort, 2); }},
    // C, then F W (block), F (key), W W W (150 bytes)
    {"WriteApplication", 2, 7, "parameter block|application",
     [](TComPortProgrammator &p, PrivatePortMap &ports) {
         const std::string package = WritePackage(ports);
         return p.Connect(kPort) && p.WriteApplication(package);
     }},
    // C, then P D
    {"ReadDSEG", 2, 3, "parameter block|data segment",
     [](TComPortProgrammator &p, PrivatePortMap &ports) {
         return p.Connect(kPort) && p.ReadDSEG(ports.File("out.bin"));
     }},
    // C, then F W W W (120 bytes)
    {"WriteDSEG", 2, 5, "data-segment",
     [](TComPortProgrammator &p, PrivatePortMap &ports) {
         const std::string data = WriteData(ports);
         return p.Connect(kPort) && p.WriteDSEG(data);
     }},
};

unsigned FrameAt(const Operation &op, Position position)
{
    switch (position) {
    case Position::First: return op.firstFrame;
    case Position::Middle: return (op.firstFrame + op.lastFrame) / 2;
    case Position::Last: return op.lastFrame;
    }
    return op.firstFrame;
}

TModuleServerOptions FaultAt(Fault fault, unsigned frame)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 120; // the data file written fits exactly
    switch (fault) {
    case Fault::NoReply: options.faults.noReplyFrames = {frame}; break;
    case Fault::WrongCrc: options.faults.badCrcFrames = {frame}; break;
    case Fault::Noise: options.faults.noiseFrames = {frame}; break;
    case Fault::Trailing: options.faults.trailingFrames = {frame}; break;
    case Fault::TrailingPaced:
        options.faults.trailingFrames = {frame};
        options.bitRate = kPacedBitRate;
        break;
    case Fault::HangUp: options.faults.hangUpAfterFrames = frame - 1; break;
    case Fault::Trickle: options.faults.trickleDelayMs = kTrickleGapMs; break;
    }
    return options;
}

const char *FaultName(Fault fault)
{
    switch (fault) {
    case Fault::NoReply: return "NoReply";
    case Fault::WrongCrc: return "WrongCrc";
    case Fault::Noise: return "Noise";
    case Fault::Trailing: return "Trailing";
    case Fault::TrailingPaced: return "TrailingPaced";
    case Fault::HangUp: return "HangUp";
    case Fault::Trickle: return "Trickle";
    }
    return "?";
}

TFailureKind KindOf(Fault fault)
{
    switch (fault) {
    case Fault::NoReply: return TFailureKind::fkNoReply;
    case Fault::WrongCrc: return TFailureKind::fkBadReply;
    case Fault::Noise: return TFailureKind::fkBadReply;
    case Fault::Trailing: return TFailureKind::fkBadReply;
    case Fault::TrailingPaced: return TFailureKind::fkBadReply;
    case Fault::HangUp: return TFailureKind::fkHangUp;
    case Fault::Trickle: return TFailureKind::fkNone;
    }
    return TFailureKind::fkNone;
}

using Case = std::tuple<size_t, Fault, Position>;

class FaultMatrix : public ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(FaultMatrix, FailsCleanlyAndTheNextConnectWorks)
{
    const auto [opIndex, fault, position] = GetParam();
    const Operation &op = kOperations[opIndex];
    const unsigned frame = FrameAt(op, position);

    PrivatePortMap ports;
    TModuleServer *module = &ports.Serve(kPort, FaultAt(fault, frame));
    TComPortProgrammator programmator;
    programmator.Driver().SetInputTimeout(kTestReplyLimitMs);
    Stopwatch watch;
    const bool result = op.run(programmator, ports);
    if (fault == Fault::Trickle) {
        EXPECT_TRUE(result) << programmator.LastFailure();
        return;
    }
    // One missing reply costs one inactivity limit; nothing else may wait or spin.
    EXPECT_LT(watch.WallMs(), 4000);
    EXPECT_LT(watch.CpuMs(), 1000);
    EXPECT_FALSE(result);
    EXPECT_EQ(programmator.LastFailure().Kind, KindOf(fault)) << programmator.LastFailure();
    EXPECT_THAT(programmator.LastFailure().Step, ::testing::ContainsRegex(op.step));
    // The failure belongs to the faulty frame's exchange, not to a later one; only junk still on
    // its way when the next request of a stream goes out spoils that request's reply instead.
    if (fault != Fault::HangUp) {
        const auto frames = module->Trace().Entries();
        ASSERT_GE(frames.size(), frame);
        if (fault == Fault::TrailingPaced)
            EXPECT_LE(frames.size(), frame + 1);
        else
            EXPECT_EQ(frames.size(), frame) << "nothing is sent after the failed exchange";
        EXPECT_EQ(programmator.LastFailure().Command, frames.back().command)
            << programmator.LastFailure();
    }
    // After a hang-up the port is closed at once; otherwise it stays open for the goodbye.
    EXPECT_EQ(programmator.Driver().Connected(), fault != Fault::HangUp);

    // The operator disconnects and connects again; a module that hung up is plugged in anew.
    programmator.Disconnect();
    if (fault == Fault::HangUp)
        module = &ports.Serve(kPort);
    EXPECT_TRUE(programmator.Connect(kPort)) << programmator.LastFailure() << "\nmodule saw:\n"
                                             << Trace(*module);
}

std::string CaseName(const ::testing::TestParamInfo<Case> &info)
{
    static const char *const kPositions[] = {"First", "Middle", "Last"};
    return std::string(kOperations[std::get<0>(info.param)].name) +
           FaultName(std::get<1>(info.param)) + kPositions[int(std::get<2>(info.param))];
}

// Every operation, fault and position, less what cannot be or would repeat itself: the module can
// hang up only after its first frame, and a trickle slows every reply, so one position covers it.
std::vector<Case> AllCases()
{
    std::vector<Case> cases;
    for (size_t op = 0; op < std::size(kOperations); ++op)
        for (Fault fault : {Fault::NoReply, Fault::WrongCrc, Fault::Noise, Fault::Trailing,
                            Fault::TrailingPaced, Fault::HangUp, Fault::Trickle})
            for (Position position : {Position::First, Position::Middle, Position::Last}) {
                if (fault == Fault::HangUp && FrameAt(kOperations[op], position) == 1)
                    continue;
                if (fault == Fault::Trickle && position != Position::First)
                    continue;
                cases.emplace_back(op, fault, position);
            }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllOperations, FaultMatrix, ::testing::ValuesIn(AllCases()), CaseName);
