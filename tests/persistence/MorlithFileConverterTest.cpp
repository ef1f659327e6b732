// SPDX-License-Identifier: MIT
#include "MorlithFileConverter.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace morlith {
namespace {

// A package document with the given Profile and pieces.
std::string Package(const std::string &Profile, std::initializer_list<const char *> Codes,
                    const std::string &Application = "ORVELMorlith")
{
    std::string items;
    for (const char *code : Codes)
        items += std::string("<Item><Code>") + code + "</Code></Item>";
    return "<config Application=\"" + Application + "\" Version=\"1\"><FirmwareList>" + items +
           "</FirmwareList><Profile>" + Profile + "</Profile></config>";
}

class Converter : public test::TempDirTest {
protected:
    // Writes Content as a package and loads it.
    void Load(const std::string &Content)
    {
        test::WriteText(PathOf("pkg.xml"), Content);
        EXPECT_TRUE(FConverter.LoadFromFile(PathOf("pkg.xml")));
    }
    TMorlithFileConverter FConverter;
};

TEST_F(Converter, DecodesTheHeaderAndJoinsThePiecesInOrder)
{
    Load(Package("00000008a5c30000", {"01A2B3C4D5", "e6f708"}));
    EXPECT_TRUE(FConverter.LastLoadSucceeded());
    ASSERT_TRUE(FConverter.Decode());
    EXPECT_EQ(FConverter.Header(), (TByteArray{0x00, 0x00, 0x00, 0x08, 0xA5, 0xC3, 0x00, 0x00}));
    EXPECT_EQ(FConverter.Image(), (TByteArray{0x01, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0xF7, 0x08}));
    EXPECT_EQ(FConverter.LastDecodeError(), "");
}

TEST_F(Converter, AnEmptyPackageDecodesToNothing)
{
    Load("<config Application=\"ORVELMorlith\" Version=\"1\"/>");
    ASSERT_TRUE(FConverter.Decode());
    EXPECT_TRUE(FConverter.Header().empty());
    EXPECT_TRUE(FConverter.Image().empty());
}

TEST_F(Converter, OddLengthsFailBeforeTheImageChanges)
{
    Load(Package("000000080000000", {"AABB"}));
    EXPECT_FALSE(FConverter.Decode());
    EXPECT_EQ(FConverter.LastDecodeError(), "Profile has odd length 15");

    Load(Package("0000000800000000", {"AABB"}));
    ASSERT_TRUE(FConverter.Decode());
    Load(Package("0000000800000000", {"0102030405", "ABC", "0607"}));
    EXPECT_FALSE(FConverter.Decode());
    EXPECT_EQ(FConverter.LastDecodeError(), "piece 2: Code has odd length 3");
    EXPECT_EQ(FConverter.Image(), (TByteArray{0xAA, 0xBB}));
}

TEST_F(Converter, ABadPairLeavesTheBytesDecodedBeforeIt)
{
    for (const char *bad : {"G1", "+1", "x1", " 1"}) {
        Load(Package("0000000800000000", {"0102", (std::string("AABB") + bad + "CC").c_str()}));
        EXPECT_FALSE(FConverter.Decode()) << bad;
        EXPECT_EQ(FConverter.Image(), (TByteArray{0x01, 0x02, 0xAA, 0xBB, 0x00, 0x00})) << bad;
        EXPECT_EQ(FConverter.LastDecodeError(), "piece 2: '" + std::string(bad) + "' at position 4 is not a hexadecimal pair");
    }
    Load(Package("00000008000000ZZ", {}));
    EXPECT_FALSE(FConverter.Decode());
    EXPECT_EQ(FConverter.LastDecodeError(), "Profile 'ZZ' at position 14 is not a hexadecimal pair");
}

TEST_F(Converter, PiecesStartAtTheFirstItemAndMayLackACode)
{
    Load("<config Application=\"ORVELMorlith\" Version=\"9\"><Profile>01</Profile><FirmwareList>"
         "<Code>FF</Code><Item><Code>01</Code></Item><Item/><Piece><Code>02</Code></Piece></FirmwareList></config>");
    ASSERT_TRUE(FConverter.Decode());
    EXPECT_EQ(FConverter.Image(), (TByteArray{0x01, 0x02}));
    EXPECT_EQ(FConverter.Store().FirmwareList().Count(), 3);
}

// Nothing of the package loaded before survives: no Profile, no decoded bytes.
TEST_F(Converter, ALoadKeepsNothingOfTheLoadBefore)
{
    Load(Package("0000000800000000", {"0102"}));
    ASSERT_TRUE(FConverter.Decode());
    Load("<config Application=\"ORVELMorlith\" Version=\"1\"><FirmwareList><Item><Code>03</Code></Item>"
         "</FirmwareList></config>");
    EXPECT_TRUE(FConverter.LastLoadSucceeded());
    ASSERT_TRUE(FConverter.Decode());
    EXPECT_TRUE(FConverter.Header().empty());
    EXPECT_EQ(FConverter.Image(), (TByteArray{0x03}));

    Load(Package("0000000800000000", {"0102"}));
    Load(Package("FFFFFFFFFFFFFFFF", {"0304"}, "orvelmorlith"));
    EXPECT_FALSE(FConverter.LastLoadSucceeded());
    EXPECT_EQ(FConverter.Serializer().LastError(), "Application attribute is 'orvelmorlith', expected 'ORVELMorlith'");
    ASSERT_TRUE(FConverter.Decode());
    EXPECT_TRUE(FConverter.Image().empty());
    EXPECT_TRUE(FConverter.Header().empty());
}

TEST_F(Converter, LoadSuccessIsRecordedPerLoad)
{
    EXPECT_FALSE(FConverter.LastLoadSucceeded());
    Load(Package("00", {"01"}));
    EXPECT_TRUE(FConverter.LastLoadSucceeded());
    EXPECT_TRUE(FConverter.LoadFromFile(PathOf("no-such.xml")));
    EXPECT_FALSE(FConverter.LastLoadSucceeded());
    Load("not xml at all");
    EXPECT_FALSE(FConverter.LastLoadSucceeded());
    EXPECT_EQ(FConverter.Serializer().LastError().rfind("XML parse error at offset ", 0), 0u);
}

TEST_F(Converter, BuildsSavesAndReloadsAPackage)
{
    TByteArray image(1000);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    const TByteArray header{0x03, 0xE8, 0x12, 0x34, 0x00, 0x00, 0xAB, 0xCD};
    FConverter.FillFromImage(header, image, 64);
    EXPECT_EQ(FConverter.Store().FirmwareList().Count(), 16);
    EXPECT_EQ(FConverter.Store().FirmwareList().Items(15)->Code().size(), 2u * (1000 - 15 * 64));
    EXPECT_EQ(FConverter.Store().Profile(), "03E812340000ABCD");
    ASSERT_TRUE(FConverter.SaveToFile(PathOf("out.xml")));

    TMorlithFileConverter reader;
    reader.LoadFromFile(PathOf("out.xml"));
    ASSERT_TRUE(reader.LastLoadSucceeded());
    ASSERT_TRUE(reader.Decode());
    EXPECT_EQ(reader.Header(), header);
    EXPECT_EQ(reader.Image(), image);

    FConverter.FillFromImage(header, image, 0);
    EXPECT_EQ(FConverter.Store().FirmwareList().Count(), 1);
    EXPECT_FALSE(FConverter.SaveToFile(PathOf("missing/out.xml")));
}

// An ordinary bulky layout: the largest image in one-byte pieces, numbered, indented by four
// spaces a level, with CR LF line breaks (about 5 MB).
TEST_F(Converter, TheLargestImageInOneBytePiecesLoads)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                       "<config Application=\"ORVELMorlith\" Version=\"1\">\r\n    <FirmwareList>\r\n";
    for (std::size_t i = 0; i < 65535; ++i)
        text += "        <Item Index=\"" + std::to_string(i) +
                "\">\r\n            <Code>A5</Code>\r\n        </Item>\r\n";
    text += "    </FirmwareList>\r\n    <Profile>0000000800000000</Profile>\r\n</config>\r\n";
    ASSERT_GT(text.size(), 4500000u);
    Load(text);
    EXPECT_TRUE(FConverter.LastLoadSucceeded()) << FConverter.Serializer().LastError();
    ASSERT_TRUE(FConverter.Decode());
    EXPECT_EQ(FConverter.Image(), TByteArray(65535, 0xA5));
}

TEST_F(Converter, PiecesBeyond64KiBLandWhereTheyBelong)
{
    TByteArray image(70000, 0x11);
    image[69999] = 0x99;
    FConverter.FillFromImage({}, image, 1000);
    ASSERT_TRUE(FConverter.Decode());
    EXPECT_EQ(FConverter.Image(), image);
}

} // namespace
} // namespace morlith
