// SPDX-License-Identifier: MIT
// pack and info: packages built and checked without a module.

#include "CliFixture.h"
#include "PackageBuilder.h"

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith::test {
namespace {

using PackageCommands = CliTest;

TEST_F(PackageCommands, PackCutsTheImageIntoPiecesThatInfoCounts)
{
    WriteBytes("app.bin", Pattern(95, 3));
    ASSERT_EQ(Cli({"pack", "app.bin", "--out", "ten.xml", "--piece", "10", "--dseg-length", "0"}).Status, 0);
    ASSERT_EQ(Cli({"pack", "app.bin", "--out", "one.xml", "--piece", "0", "--dseg-length", "0"}).Status, 0);
    const TCliRun ten = Cli({"info", "--json", "ten.xml"});
    EXPECT_EQ(ten.Status, 0);
    EXPECT_NE(ten.Out.find("\"pieces\":10"), std::string::npos) << ten.Out;
    EXPECT_NE(ten.Out.find("\"image_length\":95"), std::string::npos) << ten.Out;
    EXPECT_NE(ten.Out.find("\"accepted\":true"), std::string::npos) << ten.Out;
    const TCliRun one = Cli({"info", "--json", "one.xml"});
    EXPECT_NE(one.Out.find("\"pieces\":1,"), std::string::npos) << one.Out;
}

TEST_F(PackageCommands, InfoShowsTheHeaderFieldsAndTheKey)
{
    const auto bytes = BuildPackageBytes(Pattern(64, 1), 0x1234);
    WritePackage("app.xml", Pattern(64, 1), 0x1234);
    const TCliRun run = Cli({"info", "app.xml"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Out.find("dseg length   4,660 bytes (0x1234), the data-segment length the module will have after "
                           "the write"),
              std::string::npos)
        << run.Out;
    char key[8];
    std::snprintf(key, sizeof key, "0x%02X", unsigned(bytes.Key));
    EXPECT_NE(run.Out.find(std::string("Key             ") + key), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("(holds)"), std::string::npos) << run.Out;
}

TEST_F(PackageCommands, InfoSaysWhyAWriteWouldRefuseAPackage)
{
    auto bytes = BuildPackageBytes(Pattern(64, 1), 0);
    bytes.KeyedImage.pop_back();
    std::string why;
    ASSERT_TRUE(SavePackageFile(File("short.xml"), bytes.Header, bytes.KeyedImage, 0, &why));
    const TCliRun run = Cli({"info", "short.xml"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Out.find("a write would refuse it: the image is 63 bytes, the header says 64"), std::string::npos)
        << run.Out;
    bytes.Header.pop_back();
    ASSERT_TRUE(SavePackageFile(File("seven.xml"), bytes.Header, bytes.KeyedImage, 0, &why));
    const TCliRun seven = Cli({"info", "seven.xml"});
    EXPECT_EQ(seven.Status, 1);
    EXPECT_NE(seven.Out.find("the header is 7 bytes, not 8"), std::string::npos) << seven.Out;
}

TEST_F(PackageCommands, FilesThatAreNotPackagesAreInputErrors)
{
    std::ofstream(File("odd.xml")) << "<?xml version=\"1.0\"?><config Application=\"ORVELMorlith\" Version=\"1\">"
                                      "<FirmwareList><Item><Code>ABC</Code></Item></FirmwareList>"
                                      "<Profile>0000000000000000</Profile></config>";
    std::ofstream(File("junk.xml")) << "not xml at all";
    for (const char *name : {"odd.xml", "junk.xml", "missing.xml"}) {
        const TCliRun run = Cli({"info", name});
        EXPECT_EQ(run.Status, 2) << name;
        EXPECT_NE(run.Err.find(name), std::string::npos) << run.Err;
    }
}

TEST_F(PackageCommands, PackRefusesImagesTooLongOrEmptyAndRangesOutOfBounds)
{
    WriteBytes("huge.bin", Pattern(65536, 1));
    const TCliRun huge = Cli({"pack", "huge.bin", "--out", "huge.xml", "--dseg-length", "0"});
    EXPECT_EQ(huge.Status, 2);
    EXPECT_NE(huge.Err.find("65,536 bytes"), std::string::npos) << huge.Err;
    EXPECT_TRUE(ReadBytes(File("huge.xml")).empty());

    WriteBytes("empty.bin", {});
    EXPECT_EQ(Cli({"pack", "empty.bin", "--out", "empty.xml", "--dseg-length", "0"}).Status, 2);
    std::ofstream(File("empty.hex")) << ":00000001FF\n";
    EXPECT_EQ(Cli({"pack", "empty.hex", "--out", "empty.xml", "--dseg-length", "0"}).Status, 2);
    EXPECT_FALSE(Exists(File("empty.xml")));

    EXPECT_EQ(Cli({"pack", "app.bin", "--dseg-length", "0"}).Status, 2);
    EXPECT_EQ(Cli({"pack", "app.bin", "--out", "x.xml", "--word3", "65536"}).Status, 2);
}

TEST_F(PackageCommands, PackRunsOnlyWithTheDataSegmentLengthWhichBecomesTheThirdWord)
{
    WriteBytes("app.bin", Pattern(40, 2));
    const TCliRun without = Cli({"pack", "app.bin", "--out", "app.xml"});
    EXPECT_EQ(without.Status, 2);
    EXPECT_NE(without.Err.find("--dseg-length"), std::string::npos) << without.Err;
    EXPECT_FALSE(Exists(File("app.xml")));

    for (const char *option : {"--dseg-length", "--word3"}) {
        const TCliRun run = Cli({"pack", "app.bin", "--out", "app.xml", option, "0x0200", "--force"});
        ASSERT_EQ(run.Status, 0) << run.Err;
        const TCliRun info = Cli({"info", "--json", "app.xml"});
        EXPECT_NE(info.Out.find("\"dseg_length\":512"), std::string::npos) << option << ": " << info.Out;
    }
}

TEST_F(PackageCommands, PackTouchesNoFileButItsOutput)
{
    // Its own input may be named like the backup of its output.
    const std::vector<uint8_t> image = Pattern(50, 1);
    WriteBytes("release.bak", image);
    WriteBytes("notes.bak", {1, 2, 3});
    const auto before = FolderEntries();
    ASSERT_EQ(Cli({"pack", "release.bak", "--out", "release.xml", "--dseg-length", "0"}).Status, 0);
    EXPECT_EQ(ReadBytes(File("release.bak")), image);
    auto expected = before;
    expected.insert("release.xml");
    EXPECT_EQ(FolderEntries(), expected);
    ASSERT_EQ(Cli({"pack", "release.bak", "--out", "notes.xml", "--dseg-length", "0"}).Status, 0);
    EXPECT_EQ(ReadBytes(File("notes.bak")), (std::vector<uint8_t>{1, 2, 3}));

    // Not even when it is the same file as the output.
    const TCliRun same = Cli({"pack", "release.bak", "--out", "release.bak", "--dseg-length", "0", "--force"});
    EXPECT_EQ(same.Status, 2);
    EXPECT_EQ(ReadBytes(File("release.bak")), image);
}

TEST_F(PackageCommands, PackKeepsAnExistingFileUnlessForcedAndNeverWritesThroughALink)
{
    WriteBytes("app.bin", Pattern(30, 4));
    WriteBytes("old.xml", {'o', 'l', 'd'});
    const TCliRun kept = Cli({"pack", "app.bin", "--out", "old.xml", "--dseg-length", "0"});
    EXPECT_EQ(kept.Status, 2);
    EXPECT_NE(kept.Err.find("--force"), std::string::npos) << kept.Err;
    EXPECT_EQ(ReadBytes(File("old.xml")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    ASSERT_EQ(Cli({"pack", "app.bin", "--out", "old.xml", "--dseg-length", "0", "--force"}).Status, 0);
    EXPECT_EQ(Cli({"info", "old.xml"}).Status, 0);

    // A link is replaced by the package; the file it pointed to stays as it was.
    WriteBytes("target.bin", {7, 7});
    ASSERT_EQ(::symlink("target.bin", File("link.xml").c_str()), 0);
    ASSERT_EQ(Cli({"pack", "app.bin", "--out", "link.xml", "--dseg-length", "0", "--force"}).Status, 0);
    EXPECT_EQ(ReadBytes(File("target.bin")), (std::vector<uint8_t>{7, 7}));
    struct stat info {};
    ASSERT_EQ(::lstat(File("link.xml").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

TEST_F(PackageCommands, InfoWritesThePlainImageOnlyWhereAsked)
{
    const std::vector<uint8_t> image = Pattern(300, 5);
    WritePackage("app.xml", image, 64);
    const TCliRun run = Cli({"info", "app.xml", "--image-out", "plain.bin"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadBytes(File("plain.bin")), image);

    WriteBytes("other.bin", {1});
    EXPECT_EQ(Cli({"info", "app.xml", "--image-out", "other.bin"}).Status, 2);
    EXPECT_EQ(ReadBytes(File("other.bin")), (std::vector<uint8_t>{1}));
    EXPECT_EQ(Cli({"info", "app.xml", "--image-out", "other.bin", "--force"}).Status, 0);
    EXPECT_EQ(ReadBytes(File("other.bin")), image);

    const auto package = ReadBytes(File("app.xml"));
    EXPECT_EQ(Cli({"info", "app.xml", "--image-out", "app.xml", "--force"}).Status, 2);
    EXPECT_EQ(ReadBytes(File("app.xml")), package);
    EXPECT_EQ(Cli({"info", "missing.xml", "--image-out", "missing.bin"}).Status, 2);
    EXPECT_FALSE(Exists(File("missing.bin")));
}

} // namespace
} // namespace morlith::test
