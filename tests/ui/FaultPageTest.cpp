// SPDX-License-Identifier: MIT
// The Loading page when the module misbehaves in the middle of an operation: the operator is told,
// the overlay and the dialogs are gone, and a disconnect and a new connect work.

#include "UiWorld.h"

#include "ComPortProgrammator.h"
#include "CountDown.h"
#include "FailureWords.h"
#include "ModelU.h"
#include "PackageBuilder.h"
#include "ProgressU.h"

#include <fstream>
#include <tuple>

using namespace morlith;

namespace {

constexpr uint32_t kTestReplyLimitMs = 250;

enum class Fault { NoReply, WrongCrc, Noise, HangUp };

// A page operation: its button, the message it shows on failure, a frame in its middle (frames
// count from the handshake, which is frame 1), and whether a failure there leaves the module with
// part of an application.
struct PageOperation {
    const char *button;
    const char *message;
    unsigned middleFrame;
    bool leavesPartialApplication;
};

const PageOperation kWriteApp{"btnWriteApp", "Write error", 5, true};    // C F W F [W] W W
const PageOperation kReadData{"btnReadData", "Read error", 3, false};    // C P [D]
const PageOperation kWriteData{"btnWriteData", "Write error", 4, false}; // C P F [W] W

TModuleServerOptions FaultAt(Fault fault, unsigned frame)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 60;
    switch (fault) {
    case Fault::NoReply: options.faults.noReplyFrames = {frame}; break;
    case Fault::WrongCrc: options.faults.badCrcFrames = {frame}; break;
    case Fault::Noise: options.faults.noiseFrames = {frame}; break;
    case Fault::HangUp: options.faults.hangUpAfterFrames = frame - 1; break;
    }
    return options;
}

TFailureKind KindOf(Fault fault)
{
    switch (fault) {
    case Fault::NoReply: return TFailureKind::fkNoReply;
    case Fault::HangUp: return TFailureKind::fkHangUp;
    default: return TFailureKind::fkBadReply;
    }
}

using Case = std::tuple<int, Fault>;

class FaultPageTest : public UiWorld, public ::testing::WithParamInterface<Case> {};

} // namespace

TEST_P(FaultPageTest, TellsTheOperatorAndLeavesAUsablePage)
{
    static const PageOperation *const kOperations[] = {&kWriteApp, &kReadData, &kWriteData};
    const auto [opIndex, fault] = GetParam();
    const PageOperation &op = *kOperations[opIndex];

    const auto package = BuildPackageBytes(std::vector<uint8_t>(150, 0x42), 64);
    std::string why;
    ASSERT_TRUE(SavePackageFile(ports.File("app.xml"), package.Header, package.KeyedImage, 0, &why));
    std::ofstream(ports.File("data.bin"), std::ios::binary) << std::string(60, 'x');
    ports.Serve(1, FaultAt(fault, op.middleFrame));
    Model().Programmator->Driver().SetInputTimeout(kTestReplyLimitMs);
    dialogs.confirmAnswer = true;
    Click("btnConnect");
    dialogs.files = {ports.File("app.xml"), ports.File("data.bin")};
    Click("btnOpenAppFile");
    Click("btnOpenDataFile");

    Click(op.button);
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].first, op.message);
    EXPECT_EQ(dialogs.failures[0].second.Kind, KindOf(fault)) << dialogs.failures[0].second;
    EXPECT_FALSE(dialogs.failures[0].second.Step.empty());
    // The box words the step in the operator's language, and tells of a partial application.
    EXPECT_TRUE(StepInWords(dialogs.failures[0].second.Step)) << dialogs.failures[0].second.Step;
    EXPECT_EQ(LeavesPartialApplication(dialogs.failures[0].second), op.leavesPartialApplication);
    EXPECT_TRUE(dialogs.errors[0].overlayVisible) << "shown before the overlay goes";
    EXPECT_FALSE(OverlayShown());
    EXPECT_FALSE(ProgressDlg->isVisible());
    EXPECT_FALSE(CountDownDlg->isVisible());

    if (fault == Fault::HangUp) {
        // The port went away: the page is already disconnected.
        EXPECT_FALSE(Find<QWidget>("btnDisconnect")->isEnabled());
        ports.Serve(1); // the module is plugged in anew
    } else {
        Click("btnDisconnect");
    }
    Click("btnConnect");
    EXPECT_TRUE(Find<QWidget>("btnDisconnect")->isEnabled()) << Model().Programmator->LastFailure();
    EXPECT_TRUE(Find<QWidget>(op.button)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultPageTest,
                         ::testing::Combine(::testing::Values(0, 1, 2),
                                            ::testing::Values(Fault::NoReply, Fault::WrongCrc,
                                                              Fault::Noise, Fault::HangUp)));
