// SPDX-License-Identifier: MIT
// Application writes against the virtual module: the frames, what the module holds afterwards,
// progress, and every point at which a write refuses or fails.

#include "ComPortProgrammator.h"
#include "Crc16.h"
#include "DriverTestSupport.h"
#include "ModuleOnPort.h"
#include "PackageBuilder.h"
#include "PollUntil.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace morlith;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Image(size_t size)
{
    Bytes data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = uint8_t(i * 13 + 1);
    return data;
}

class ApplicationWrite : public ::testing::Test {
protected:
    void Start(TModuleServerOptions options = {})
    {
        FModule = &FPorts.Serve(3, std::move(options));
        FProgrammator.Driver().SetInputTimeout(300);
        FProgrammator.OnProgress = [this](TProgrammator *sender) {
            EXPECT_EQ(sender, &FProgrammator);
            FSeen.push_back(sender->Progress());
        };
        ASSERT_TRUE(FProgrammator.Connect(3)) << FProgrammator.LastFailure();
    }
    std::string Package(const Bytes &header, const Bytes &keyedImage, const char *name = "app.xml")
    {
        const std::string path = FPorts.File(name);
        std::string why;
        EXPECT_TRUE(SavePackageFile(path, header, keyedImage, 64, &why)) << why;
        return path;
    }
    std::string Package(const Bytes &plain)
    {
        const auto bytes = BuildPackageBytes(plain, 0x0100);
        return Package(bytes.Header, bytes.KeyedImage);
    }
    size_t Frames() const { return FModule->Trace().Size(); }

    PrivatePortMap FPorts;
    TModuleServer *FModule = nullptr;
    TComPortProgrammator FProgrammator;
    std::vector<int32_t> FSeen;
};

} // namespace

TEST(ApplicationKey, SumOfTheHeaderWithASubstituteForZero)
{
    const uint8_t header[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(ImageKey(header), 36);
    const uint8_t zero[8] = {0x80, 0x80, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ImageKey(zero), kSubstituteImageKey);
    EXPECT_NE(kSubstituteImageKey, 0);
}

TEST(ApplicationProgress, RoundsHalvesToEven)
{
    std::vector<int32_t> steps;
    for (uint32_t sent = 50; sent <= 400; sent += 50)
        steps.push_back(ProgressPercent(sent, 400));
    EXPECT_EQ(steps, (std::vector<int32_t>{12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(ProgressPercent(50, 120), 42);
    EXPECT_EQ(ProgressPercent(100, 120), 83);
}

TEST_F(ApplicationWrite, SendsBlockKeyAndChunksAndTheModuleHoldsThePlainImage)
{
    Start();
    const Bytes plain = Image(400);
    const auto package = BuildPackageBytes(plain, 0x0100);
    EXPECT_TRUE(FProgrammator.WriteApplication(Package(plain))) << FProgrammator.LastFailure();
    ASSERT_EQ(Commands(*FModule), "CFWFWWWWWWWW");
    const auto frames = FModule->Trace().Entries();
    ASSERT_EQ(frames.size(), 12u);
    ASSERT_GE(frames[1].payload.size(), 8u);
    ASSERT_GE(frames[3].payload.size(), 8u);
    EXPECT_EQ(frames[1].payload[5], 0); // parameter block: mode 0, key 0
    EXPECT_EQ(frames[1].payload[7], 0);
    EXPECT_EQ(frames[2].payload, package.Header);
    EXPECT_EQ(frames[3].payload[5], 2);
    EXPECT_EQ(frames[3].payload[7], package.Key);
    EXPECT_EQ(frames[4].payload, Bytes(package.KeyedImage.begin(), package.KeyedImage.begin() + 50));
    EXPECT_EQ(FSeen, (std::vector<int32_t>{12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(FProgrammator.BytesSent(), 400u);

    const auto controller = FModule->WithModule([](TVirtualModule &m) { return m.Controller(0); });
    EXPECT_EQ(controller.programMemory, plain);
    EXPECT_EQ(controller.parameterBlock[0], 400);
    EXPECT_EQ(controller.parameterBlock[1], CRC16(plain.data(), 400));
    EXPECT_EQ(controller.parameterBlock[2], 0x0100);
}

TEST_F(ApplicationWrite, HeadersOfTheWrongSizeOrCrcSendNothing)
{
    Start();
    const auto good = BuildPackageBytes(Image(100), 0x0100);
    Bytes seven(good.Header.begin(), good.Header.begin() + 7);
    Bytes nine = good.Header;
    nine.push_back(0);
    Bytes badCrc = good.Header;
    badCrc[7] ^= 1;
    const size_t before = Frames();
    for (const Bytes &header : {seven, nine, badCrc}) {
        EXPECT_FALSE(FProgrammator.WriteApplication(Package(header, good.KeyedImage)));
        EXPECT_EQ(FProgrammator.LastFailure().Kind, TFailureKind::fkRefusedInput);
        EXPECT_EQ(FProgrammator.LastFailure().Step, "checking the package");
    }
    EXPECT_EQ(Frames(), before);
}

TEST_F(ApplicationWrite, APackageThatDoesNotLoadNeverResendsTheOneBefore)
{
    Start();
    ASSERT_TRUE(FProgrammator.WriteApplication(Package(Image(60))));
    const size_t before = Frames();
    std::ofstream(FPorts.File("junk.xml")) << "<config><broken";
    const std::pair<std::string, TFailureKind> cases[] = {
        {FPorts.File("missing.xml"), TFailureKind::fkFile},
        {FPorts.File("junk.xml"), TFailureKind::fkRefusedInput},
    };
    for (const auto &[path, kind] : cases) {
        EXPECT_FALSE(FProgrammator.WriteApplication(path));
        EXPECT_EQ(FProgrammator.LastFailure().Kind, kind) << FProgrammator.LastFailure();
        EXPECT_EQ(FProgrammator.LastFailure().Step, "loading the package");
    }
    EXPECT_EQ(Frames(), before);
}

// Package B carries pieces but no header of its own: the header of package A, written just
// before, must not stand in for it.
TEST_F(ApplicationWrite, APackageWithoutProfileIsRefusedAfterAnotherWithNothingSent)
{
    Start();
    const Bytes plainA = Image(60);
    ASSERT_TRUE(FProgrammator.WriteApplication(Package(plainA))) << FProgrammator.LastFailure();
    const size_t before = Frames();
    const std::string pieces = "<FirmwareList><Item><Code>0102</Code></Item></FirmwareList>";
    std::ofstream(FPorts.File("none.xml"))
        << "<config Application=\"ORVELMorlith\" Version=\"1\">" << pieces << "</config>";
    std::ofstream(FPorts.File("empty.xml"))
        << "<config Application=\"ORVELMorlith\" Version=\"1\">" << pieces << "<Profile/></config>";
    for (const char *name : {"none.xml", "empty.xml"}) {
        EXPECT_FALSE(FProgrammator.WriteApplication(FPorts.File(name))) << name;
        EXPECT_EQ(FProgrammator.LastFailure().Kind, TFailureKind::fkRefusedInput) << FProgrammator.LastFailure();
        EXPECT_EQ(FProgrammator.LastFailure().Step, "checking the package");
    }
    EXPECT_EQ(Frames(), before);
    const auto controller = FModule->WithModule([](TVirtualModule &m) { return m.Controller(0); });
    EXPECT_EQ(controller.programMemory, plainA);
    EXPECT_EQ(controller.parameterBlock[0], 60);
}

// A package that a write would refuse sends nothing: the module's parameter block never describes
// an image that it does not hold.
TEST_F(ApplicationWrite, AnImageThatDisagreesWithItsHeaderSendsNothing)
{
    Start();
    const auto package = BuildPackageBytes(Image(100), 0x0100);
    Bytes shorter(package.KeyedImage.begin(), package.KeyedImage.end() - 1);
    Bytes corrupted = package.KeyedImage;
    corrupted[10] ^= 0xFF;
    Bytes longest(65536, 0);
    const std::pair<Bytes, std::string> cases[] = {
        {shorter, "the image is 99 bytes, the header says 100"},
        {corrupted, "the image CRC "},
        {longest, "the image is 65,536 bytes, more than 65,535"},
    };
    const size_t before = Frames();
    for (const auto &[image, detail] : cases) {
        EXPECT_FALSE(FProgrammator.WriteApplication(Package(package.Header, image)));
        EXPECT_EQ(FProgrammator.LastFailure().Kind, TFailureKind::fkRefusedInput);
        EXPECT_EQ(FProgrammator.LastFailure().Step, "checking the package");
        EXPECT_EQ(FProgrammator.LastFailure().Detail.rfind(detail, 0), 0u) << FProgrammator.LastFailure();
    }
    EXPECT_EQ(Frames(), before);
    EXPECT_EQ(Commands(*FModule), "C");
}

TEST_F(ApplicationWrite, AnEmptyImageSucceedsWithoutChunksOrNotifications)
{
    Start();
    EXPECT_TRUE(FProgrammator.WriteApplication(Package(Bytes{}))) << FProgrammator.LastFailure();
    EXPECT_EQ(Commands(*FModule), "CFWF");
    EXPECT_TRUE(FSeen.empty());
}

TEST_F(ApplicationWrite, AHeaderSummingToZeroUsesTheSubstituteKey)
{
    Start();
    // Search a third word that makes the header bytes sum to 0 modulo 256.
    const Bytes plain = Image(30);
    TPackageBytes package;
    for (uint32_t word3 = 0; word3 < 0x10000; ++word3) {
        package = BuildPackageBytes(plain, uint16_t(word3));
        unsigned sum = 0;
        for (uint8_t b : package.Header)
            sum += b;
        if (sum % 256 == 0)
            break;
    }
    ASSERT_EQ(package.Key, kSubstituteImageKey);
    EXPECT_TRUE(FProgrammator.WriteApplication(Package(package.Header, package.KeyedImage)));
    const auto frames = FModule->Trace().Entries();
    ASSERT_GE(frames.size(), 4u);
    ASSERT_GE(frames[3].payload.size(), 8u);
    EXPECT_EQ(frames[3].payload[7], kSubstituteImageKey);
    EXPECT_EQ(FModule->WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory; }),
              plain);
}

TEST_F(ApplicationWrite, AFailureAtTheThirdOfEightChunksStopsAtTwentyFive)
{
    TModuleServerOptions options;
    options.faults.noReplyFrames = {7}; // C F W F W W [W]
    Start(options);
    EXPECT_FALSE(FProgrammator.WriteApplication(Package(Image(400))));
    EXPECT_EQ(FProgrammator.Progress(), 25);
    EXPECT_EQ(FSeen, (std::vector<int32_t>{12, 25}));
    EXPECT_EQ(FProgrammator.LastFailure().Kind, TFailureKind::fkNoReply);
    EXPECT_EQ(FProgrammator.LastFailure().Step, "application chunk 3 of 8");
    EXPECT_EQ(FProgrammator.LastFailure().Command, 'W');
    // The module may have taken the chunk: the port stays open for the goodbye.
    EXPECT_TRUE(FProgrammator.GetConnected());
}

TEST_F(ApplicationWrite, AModuleThatHangsUpMidWriteFailsPromptly)
{
    TModuleServerOptions options;
    options.faults.hangUpAfterFrames = 6;
    Start(options);
    FProgrammator.Driver().SetInputTimeout(3000);
    Stopwatch watch;
    EXPECT_FALSE(FProgrammator.WriteApplication(Package(Image(400))));
    EXPECT_LT(watch.WallMs(), 2000); // not the 3 s inactivity limit
    EXPECT_LT(watch.CpuMs(), 500);
    EXPECT_EQ(FProgrammator.LastFailure().Kind, TFailureKind::fkHangUp) << FProgrammator.LastFailure();
    EXPECT_EQ(FProgrammator.LastFailure().Step, "application chunk 3 of 8");
    // A port that went away is closed: no goodbye, and the next connect opens afresh.
    EXPECT_FALSE(FProgrammator.GetConnected());
    EXPECT_FALSE(FProgrammator.Driver().Connected());
}

TEST_F(ApplicationWrite, NotConnectedFailsAfterLoadingButBeforeSending)
{
    Start();
    ASSERT_TRUE(FProgrammator.Disconnect());
    const size_t before = Frames();
    EXPECT_FALSE(FProgrammator.WriteApplication(Package(Image(10))));
    EXPECT_EQ(FProgrammator.LastFailure().Detail, "not connected");
    EXPECT_EQ(Frames(), before);
}

TEST_F(ApplicationWrite, AnAbortRequestStopsBetweenChunks)
{
    Start();
    FProgrammator.OnProgress = [this](TProgrammator *sender) {
        FSeen.push_back(sender->Progress());
        if (FSeen.size() == 2)
            sender->RequestAbort();
    };
    // Chunk 2's progress is told while chunk 3's request is on the line: the request ends the
    // wait for chunk 3's reply, as a stop during any wait does, and nothing follows.
    EXPECT_FALSE(FProgrammator.WriteApplication(Package(Image(400))));
    EXPECT_EQ(FProgrammator.BytesSent(), 100u);
    EXPECT_TRUE(test::PollUntil([this] { return Commands(*FModule).size() >= 7; }, std::chrono::seconds(2)));
    EXPECT_EQ(Commands(*FModule), "CFWFWWW");
    EXPECT_EQ(FProgrammator.LastFailure().Kind, TFailureKind::fkStopped);
    EXPECT_EQ(FProgrammator.LastFailure().Step, "application chunk 3 of 8");
    // The request stands until cleared: nothing more goes out, not the goodbye, not a handshake.
    FProgrammator.Disconnect();
    EXPECT_FALSE(FProgrammator.Driver().Connected());
    EXPECT_FALSE(FProgrammator.Connect(3));
    EXPECT_EQ(Commands(*FModule), "CFWFWWW");
    FProgrammator.ClearAbortRequest();
    EXPECT_TRUE(FProgrammator.Connect(3)) << FProgrammator.LastFailure();
}
