// SPDX-License-Identifier: MIT
// The Loading page when the module misbehaves in the middle of an operation, or the port, the
// package or the file fails around it: the operator is told under the operation's title, the
// overlay and the dialogs are gone, and a disconnect and a new connect work.

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

// The connect reads what the controller holds ("P") after its handshake.
const PageOperation kWriteApp{"btnWriteApp", "Write error", 6, true};    // C P F W F [W] W W
const PageOperation kReadData{"btnReadData", "Read error", 4, false};    // C P P [D]
const PageOperation kWriteData{"btnWriteData", "Write error", 5, false}; // C P P F [W] W

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

namespace {

using FaultPageTable = UiWorld;

} // namespace

// Failures and successes around the module, each row on a fresh page: what the page sent, what the
// operator was told and whether the page stays connected.
TEST_F(FaultPageTable, EachOperationEndsToldOnAUsablePage)
{
    struct Row {
        const char *name;
        const char *button;     // pressed once connected (btnConnect: instead of connecting)
        bool served;            // a module answers on COM1 (else COM1 leads nowhere)
        unsigned noReplyFrame;  // a frame the module leaves unanswered; 0 for none
        const char *appFile;    // the package chosen
        const char *dataFile;   // the data file chosen
        const char *commands;   // what the module received
        const char *title;      // the box; "" for none
        TFailureKind kind;
        bool underOverlay;      // the box came while the overlay was up
        bool connected;         // the page shows a connection afterwards
    };
    const Row rows[] = {
        {"connect", "btnConnect", true, 0, "", "", "CP", "", TFailureKind::fkNone, false, true},
        {"no such port", "btnConnect", false, 0, "", "", "", "Connect error", TFailureKind::fkNotFound, false, false},
        // The handshake was made: the page is connected, and told what it could not learn.
        {"holding unanswered", "btnConnect", true, 2, "", "", "CP", "Connect error", TFailureKind::fkNoReply, false, true},
        {"refused package", "btnWriteApp", true, 0, "bad.xml", "", "CP", "Write error", TFailureKind::fkRefusedInput, true, true},
        {"read", "btnReadData", true, 0, "", "data.bin", "CPPD", "", TFailureKind::fkNone, false, true},
        // A file that cannot be written is told on a usable page, not under the overlay.
        {"file unwritable", "btnReadData", true, 0, "", "gone/data.bin", "CPPD", "Read error", TFailureKind::fkFile, false, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        // Each row starts disconnected, on a module of its own.
        if (Find<QWidget>("btnDisconnect")->isEnabled())
            Click("btnDisconnect");
        ports.Unlink(1);
        dialogs.failures.clear();
        dialogs.errors.clear();
        TModuleServerOptions options;
        if (row.noReplyFrame)
            options.faults.noReplyFrames = {row.noReplyFrame};
        TModuleServer *module = nullptr;
        if (row.served)
            module = &ports.Serve(1, options);
        else
            ports.Link(1, ports.File("no-adapter"));
        Model().Programmator->Driver().SetInputTimeout(kTestReplyLimitMs);
        const auto package = BuildPackageBytes(std::vector<uint8_t>(150, 0x42), 64);
        TByteArray badHeader = package.Header;
        badHeader[7] ^= 1;
        std::string why;
        ASSERT_TRUE(SavePackageFile(ports.File("bad.xml"), badHeader, package.KeyedImage, 0, &why)) << why;
        const bool connects = std::string(row.button) == "btnConnect";
        if (!connects) {
            Click("btnConnect");
            dialogs.files = {ports.File(*row.appFile ? row.appFile : row.dataFile)};
            Click(*row.appFile ? "btnOpenAppFile" : "btnOpenDataFile");
        }
        Click(row.button);

        if (module)
            EXPECT_EQ(Commands(*module), row.commands);
        ASSERT_EQ(dialogs.failures.size(), *row.title ? 1u : 0u);
        if (*row.title) {
            EXPECT_EQ(dialogs.failures[0].first, row.title);
            EXPECT_EQ(dialogs.failures[0].second.Kind, row.kind) << dialogs.failures[0].second;
            EXPECT_EQ(dialogs.errors[0].overlayVisible, row.underOverlay);
        }
        EXPECT_FALSE(OverlayShown() || ProgressDlg->isVisible() || CountDownDlg->isVisible());
        EXPECT_EQ(Find<QWidget>("btnDisconnect")->isEnabled(), row.connected);
        EXPECT_EQ(Find<QWidget>("btnConnect")->isEnabled(), !row.connected);
    }
}
