// SPDX-License-Identifier: MIT
// The Loading page's operations against the virtual module: writing an application, reading and
// writing the data segment, their questions, failures and file errors.

#include "UiWorld.h"

#include "CountDown.h"
#include "Loader.h"
#include "ConfigurationU.h"
#include "ModelU.h"
#include "NumberText.h"
#include "Observer.h"
#include "PackageBuilder.h"
#include "ProgressU.h"
#include "RoundRobin.h"
#include "Ser2net.h"
#include "WholeFiles.h"

#include <QLabel>

#include <fstream>

using namespace morlith;

namespace {

const char *const kOverwrite = "File exists.  Overwrite?";

class LoadingOperationsTest : public UiWorld {
protected:
    // Serves COM1, connects and chooses `appFile` and `dataFile`.
    TModuleServer &ConnectWithFiles(const std::string &appFile, const std::string &dataFile,
                                    TModuleServerOptions options = {})
    {
        TModuleServer &module = ports.Serve(1, std::move(options));
        Click("btnConnect");
        dialogs.files = {appFile, dataFile};
        Click("btnOpenAppFile");
        Click("btnOpenDataFile");
        return module;
    }
    // A package of `imageBytes` bytes; returns the plain image.
    std::vector<uint8_t> MakePackage(const std::string &path, size_t imageBytes)
    {
        std::vector<uint8_t> image(imageBytes);
        for (size_t i = 0; i < image.size(); ++i)
            image[i] = uint8_t(i * 7 + 3);
        const TPackageBytes package = BuildPackageBytes(image, 512);
        std::string why;
        EXPECT_TRUE(SavePackageFile(path, package.Header, package.KeyedImage, 0, &why)) << why;
        return image;
    }
    static void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    }
    static std::vector<uint8_t> DataSegmentOf(TModuleServer &module)
    {
        return module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; });
    }
    int CountDownPosition() { return CountDownDlg->RoundRobin()->Position(); }
};

TEST_F(LoadingOperationsTest, WritesTheApplicationWithTheProgressDialogShown)
{
    const auto image = MakePackage(ports.File("app.xml"), 3000);
    TModuleServerOptions line;
    line.bitRate = 115200; // slow enough for the progress dialog to refresh
    TModuleServer &module = ConnectWithFiles(ports.File("app.xml"), ports.File("d.bin"), line);
    std::vector<bool> shownDuringWrite;
    TSubjectObserver probe;
    probe.OnNotify = [&](TObserver *) {
        shownDuringWrite.push_back(ProgressDlg->isVisible() && OverlayShown());
    };
    Model().Loader->Observer().Attach(&probe);

    Click("btnWriteApp");
    EXPECT_TRUE(dialogs.errors.empty()) << dialogs.errors[0].detail;
    ASSERT_FALSE(shownDuringWrite.empty());
    EXPECT_EQ(std::count(shownDuringWrite.begin(), shownDuringWrite.end(), false), 0);
    EXPECT_FALSE(ProgressDlg->isVisible());
    EXPECT_FALSE(OverlayShown());
    const QString shown = ProgressDlg->findChild<QLabel *>("lbProcess")->text();
    EXPECT_TRUE(shown.endsWith('%')) << shown.toStdString();
    EXPECT_GT(shown.chopped(1).toInt(), 0) << "the dialog refreshed during the write";
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory; }),
              image);
}

TEST_F(LoadingOperationsTest, AFailedApplicationWriteSaysSoBeforeTheDialogsGo)
{
    WriteBytes(ports.File("bad.xml"), {'n', 'o', 't', ' ', 'x', 'm', 'l'});
    ConnectWithFiles(ports.File("bad.xml"), ports.File("d.bin"));
    Click("btnWriteApp");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0].text, "Write error");
    EXPECT_FALSE(dialogs.errors[0].detail.empty()) << "the engine's reason is shown under it";
    EXPECT_TRUE(dialogs.errors[0].progressVisible);
    EXPECT_TRUE(dialogs.errors[0].overlayVisible);
    EXPECT_FALSE(ProgressDlg->isVisible());
    EXPECT_FALSE(OverlayShown());
    EXPECT_TRUE(Find<QWidget>("btnDisconnect")->isEnabled()) << "the page keeps its state";
}

TEST_F(LoadingOperationsTest, PageActionsDuringAWriteAreIgnored)
{
    const auto image = MakePackage(ports.File("app.xml"), 600);
    TModuleServer &module = ConnectWithFiles(ports.File("app.xml"), ports.File("d.bin"));
    TSubjectObserver operatorClicks;
    operatorClicks.OnNotify = [&](TObserver *) {
        Click("btnWriteApp");
        Click("btnDisconnect");
    };
    Model().Loader->Observer().Attach(&operatorClicks);
    Click("btnWriteApp");
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(Model().Loader->GetConnected());
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory; }),
              image);
}

TEST_F(LoadingOperationsTest, ReadingIntoAnExistingFileAsksFirstAndNoLeavesAllAsItWas)
{
    WriteBytes(ports.File("keep.bin"), {1, 2, 3});
    TModuleServer &module = ConnectWithFiles(ports.File("a.xml"), ports.File("keep.bin"));
    const size_t framesBefore = module.Trace().Size();
    const int ringBefore = CountDownPosition();

    dialogs.confirmAnswer = false;
    Click("btnReadData");
    EXPECT_EQ(dialogs.questions, std::vector<std::string>{kOverwrite});
    EXPECT_EQ(module.Trace().Size(), framesBefore);
    EXPECT_EQ(CountDownPosition(), ringBefore) << "no countdown ran";
    EXPECT_EQ(test::ReadBytes(ports.File("keep.bin")), (std::vector<uint8_t>{1, 2, 3}));

    dialogs.confirmAnswer = true;
    module.WithModule([](TVirtualModule &m) { m.LoadDataSegment(0, {9, 8, 7}); return 0; });
    clock.tickIntervals.clear();
    Click("btnReadData");
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(CountDownPosition(), (ringBefore + TCountDownDlg::kTicks) % TCountDownDlg::kCircleCount)
        << "the whole countdown ran before the read";
    EXPECT_EQ(std::count(clock.tickIntervals.begin(), clock.tickIntervals.end(),
                         TCountDownDlg::kTickIntervalMs),
              TCountDownDlg::kTicks)
        << "ten ticks of 100 ms, as the program waits them";
    EXPECT_EQ(test::ReadBytes(ports.File("keep.bin")), DataSegmentOf(module));
    EXPECT_FALSE(OverlayShown());
}

TEST_F(LoadingOperationsTest, ReadingIntoANewFileAndWritingNeverAsk)
{
    TModuleServer &module = ConnectWithFiles(ports.File("a.xml"), ports.File("new.bin"));
    Click("btnReadData");
    EXPECT_EQ(test::ReadBytes(ports.File("new.bin")), DataSegmentOf(module));

    std::vector<uint8_t> contents = DataSegmentOf(module);
    contents[0] = 0x42;
    contents[1] = 0x24;
    WriteBytes(ports.File("new.bin"), contents);
    Click("btnWriteData");
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(DataSegmentOf(module), contents);
}

// Once connected the page says what the controller holds, and whether it is the package chosen;
// with the Options box ticked, a package the controller holds is not written again.
TEST_F(LoadingOperationsTest, ThePageSaysWhatTheControllerHoldsAndTheOptionSkipsWhatIsCurrent)
{
    MakePackage(ports.File("app.xml"), 300);
    MakePackage(ports.File("other.xml"), 200);
    TModuleServer &module = ConnectWithFiles(ports.File("app.xml"), ports.File("d.bin"));
    const auto holding = [&] { return Find<QLabel>("lbHolding")->text().toStdString(); };
    EXPECT_EQ(holding(), "Holds no application");
    Click("btnWriteApp");
    EXPECT_EQ(holding(), "Holds the chosen package");
    Click("btnDisconnect");
    EXPECT_EQ(holding(), "");
    Click("btnConnect");
    const std::string held = "Holds 300 bytes, CRC " + Hex16(module.WithModule([](TVirtualModule &m) {
        return m.Controller(0).parameterBlock[1];
    }));
    EXPECT_EQ(holding(), held + "  \u2014  the chosen package");

    Model().Configuration->SetSkipIfCurrent(true);
    const size_t frames = module.Trace().Size();
    Click("btnWriteApp");
    EXPECT_TRUE(dialogs.errors.empty()) << dialogs.errors[0].detail;
    EXPECT_EQ(Commands(module).substr(frames), "P") << "only the parameter block was read";
    EXPECT_EQ(holding(), held + "  \u2014  the chosen package  \u2014  already current, nothing written");

    dialogs.files = {ports.File("other.xml")};
    Click("btnOpenAppFile");
    EXPECT_EQ(holding(), held);
    Click("btnWriteApp");
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory.size(); }), 200u)
        << "a package the controller does not hold is written";
}

// What a write would refuse is refused before anything is written: a package whose image
// disagrees with its header, a data file longer than the module's data segment.
TEST_F(LoadingOperationsTest, WritesThatWouldBeRefusedWriteNothing)
{
    const TPackageBytes package = BuildPackageBytes(std::vector<uint8_t>(100, 7), 64);
    const std::vector<uint8_t> shorter(package.KeyedImage.begin(), package.KeyedImage.end() - 1);
    std::string why;
    ASSERT_TRUE(SavePackageFile(ports.File("short.xml"), package.Header, shorter, 0, &why)) << why;
    WriteBytes(ports.File("big.bin"), std::vector<uint8_t>(17, 1));
    TModuleServerOptions options;
    options.dataSegmentBytes = 16;
    TModuleServer &module = ConnectWithFiles(ports.File("short.xml"), ports.File("big.bin"), options);
    Click("btnWriteApp");
    Click("btnWriteData");
    ASSERT_EQ(dialogs.failures.size(), 2u);
    for (const auto &failure : dialogs.failures)
        EXPECT_EQ(failure.second.Kind, TFailureKind::fkRefusedInput) << failure.second;
    EXPECT_EQ(Commands(module), "CPP") << "the data segment's length is asked; nothing is written";
    EXPECT_TRUE(Find<QWidget>("btnDisconnect")->isEnabled());
}

TEST_F(LoadingOperationsTest, ThePortMapEntryOfCOM1CanNameALineBehindADeviceServer)
{
    ASSERT_TRUE(Ser2net::Installed()) << "ser2net is not installed (scripts/install-deps installs it)";
    TModuleServer &module = ports.Serve(2);
    std::filesystem::create_directories(ports.File("ser2net"));
    const Ser2net server({module.SlavePath()}, ports.File("ser2net"));
    ports.Link(1, server.Rfc2217());
    Click("btnConnect");
    dialogs.files = {ports.File("a.xml"), ports.File("dseg.bin")};
    Click("btnOpenAppFile");
    Click("btnOpenDataFile");
    Click("btnReadData");
    EXPECT_TRUE(dialogs.errors.empty()) << dialogs.errors[0].detail;
    EXPECT_EQ(test::ReadBytes(ports.File("dseg.bin")), DataSegmentOf(module));
    EXPECT_EQ(Commands(module).substr(0, 4), "CPPD") << Trace(module);
}

TEST_F(LoadingOperationsTest, AModuleThatWentAwayIsAReadErrorAndLeavesThePageDisconnected)
{
    TModuleServer &module = ConnectWithFiles(ports.File("a.xml"), ports.File("d.bin"));
    WriteBytes(ports.File("d.bin"), {1, 2, 3});
    module.Stop(); // the module goes away while connected
    dialogs.confirmAnswer = true;
    Click("btnReadData");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].first, "Read error");
    EXPECT_EQ(dialogs.failures[0].second.Kind, TFailureKind::fkHangUp);
    EXPECT_TRUE(dialogs.errors[0].overlayVisible) << "shown before the overlay goes";
    EXPECT_FALSE(OverlayShown());
    EXPECT_EQ(test::ReadBytes(ports.File("d.bin")), (std::vector<uint8_t>{1, 2, 3}))
        << "a failed read leaves the file alone";
    // The page is disconnected: the next connect opens the port afresh.
    EXPECT_TRUE(Find<QWidget>("btnConnect")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("btnDisconnect")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("btnWriteData")->isEnabled());
}

TEST_F(LoadingOperationsTest, ADataFileErrorIsShownOnAUsablePage)
{
    TModuleServer &module =
        ConnectWithFiles(ports.File("a.xml"), ports.File("missing-folder/d.bin"));
    Click("btnWriteData"); // the file cannot be opened
    Click("btnReadData");  // nor created
    ASSERT_EQ(dialogs.errors.size(), 2u);
    EXPECT_EQ(dialogs.errors[0].text, "Write error");
    EXPECT_EQ(dialogs.errors[1].text, "Read error");
    for (const auto &error : dialogs.errors) {
        EXPECT_NE(error.detail.find("missing-folder/d.bin"), std::string::npos) << error.detail;
        EXPECT_FALSE(error.overlayVisible) << "the overlay is gone before the message";
    }
    for (const auto &failure : dialogs.failures)
        EXPECT_EQ(failure.second.Kind, TFailureKind::fkFile) << failure.second;
    EXPECT_FALSE(OverlayShown());
    EXPECT_FALSE(CountDownDlg->isVisible());

    // The page goes on working.
    dialogs.files = {ports.File("d.bin")};
    Click("btnOpenDataFile");
    Click("btnReadData");
    EXPECT_EQ(dialogs.errors.size(), 2u);
    EXPECT_EQ(test::ReadBytes(ports.File("d.bin")), DataSegmentOf(module));
}

} // namespace
