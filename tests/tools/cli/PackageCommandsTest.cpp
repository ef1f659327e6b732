// pack and info: packages built and checked without a module.

#include "CliFixture.h"
#include "PackageBuilder.h"

#include <fstream>

namespace morlith::test {
namespace {

using PackageCommands = CliTest;

TEST_F(PackageCommands, PackCutsTheImageIntoPiecesThatInfoCounts)
{
    WriteBytes("app.bin", Pattern(95, 3));
    ASSERT_EQ(Cli({"pack", "app.bin", "--out", "ten.xml", "--piece", "10"}).Status, 0);
    ASSERT_EQ(Cli({"pack", "app.bin", "--out", "one.xml", "--piece", "0"}).Status, 0);
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
    EXPECT_NE(run.Out.find("third word    0x1234 (4660)"), std::string::npos) << run.Out;
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

TEST_F(PackageCommands, PackNeverDestroysItsInputAndRefusesImagesTooLong)
{
    const std::string image = WriteBytes("app.bin", Pattern(50, 1));
    const TCliRun same = Cli({"pack", image, "--out", image});
    EXPECT_EQ(same.Status, 2);
    EXPECT_EQ(ReadBytes(image), Pattern(50, 1));

    WriteBytes("huge.bin", Pattern(65536, 1));
    const TCliRun huge = Cli({"pack", "huge.bin", "--out", "huge.xml"});
    EXPECT_EQ(huge.Status, 2);
    EXPECT_NE(huge.Err.find("65,536 bytes"), std::string::npos) << huge.Err;
    EXPECT_TRUE(ReadBytes(File("huge.xml")).empty());

    EXPECT_EQ(Cli({"pack", "app.bin"}).Status, 2);
    EXPECT_EQ(Cli({"pack", "app.bin", "--out", "x.xml", "--word3", "65536"}).Status, 2);
}

} // namespace
} // namespace morlith::test
