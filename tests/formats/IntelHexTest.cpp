// SPDX-License-Identifier: MIT
// Intel HEX: records, address bases, checksums, and the files that must be refused.

#include "FirmwareSamples.h"
#include "RefusalCheck.h"
#include "ImageAssembly.h"
#include "IntelHex.h"

#include <gtest/gtest.h>

namespace morlith::test {
namespace {

// A well-known example: 64 bytes at 0x0100 in four records.
const char *const kExample = ":10010000214601360121470136007EFE09D2190140\n"
                             ":100110002146017E17C20001FF5F16002148011928\n"
                             ":10012000194E79234623965778239EDA3F01B2CAA7\n"
                             ":100130003F0156702B5E712B722B732146013421C7\n"
                             ":00000001FF\n";

std::vector<uint8_t> ImageOf(const std::string &text)
{
    const TDecodedFirmware decoded = ParseIntelHex(text);
    EXPECT_TRUE(decoded.Ok()) << decoded.Error->Message;
    const TAssembledImage image = AssembleImage(decoded.Data, {});
    EXPECT_TRUE(image.Ok()) << image.Error->Message;
    return image.Image;
}

TEST(IntelHex, DecodesEachDataRecordAtItsAddressAndNamesItsLine)
{
    const TDecodedFirmware decoded = ParseIntelHex(kExample);
    ASSERT_TRUE(decoded.Ok()) << decoded.Error->Message;
    ASSERT_EQ(decoded.Data.Runs.size(), 4u);
    EXPECT_EQ(decoded.Data.Bytes.size(), 64u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(decoded.Data.Runs[i].Address, 0x100 + 16 * i);
        EXPECT_EQ(decoded.Data.LineOf(decoded.Data.Runs[i]), i + 1);
    }
    EXPECT_EQ(decoded.Data.Bytes.front(), 0x21);
    EXPECT_EQ(decoded.Data.Bytes.back(), 0x21);
}

TEST(IntelHex, ExtendedAddressRecordsSetTheBaseOfLaterDataRecords)
{
    const std::string text = HexRecord(4, 0, {0x00, 0x01}) + "\n" + HexRecord(0, 0x0010, {1, 2}) + "\n" +
                             HexRecord(2, 0, {0x20, 0x00}) + "\n" + HexRecord(0, 0x0004, {3}) + "\n" +
                             HexRecord(5, 0, {0, 0, 1, 0}) + "\n" + HexRecord(3, 0, {0, 0, 1, 0}) + "\n" +
                             HexRecord(1, 0, {}) + "\n";
    const TDecodedFirmware decoded = ParseIntelHex(text);
    ASSERT_TRUE(decoded.Ok()) << decoded.Error->Message;
    ASSERT_EQ(decoded.Data.Runs.size(), 2u);
    EXPECT_EQ(decoded.Data.Runs[0].Address, 0x10010u);
    EXPECT_EQ(decoded.Data.Runs[1].Address, 0x20004u); // segment 0x2000 * 16
}

// Under a segment base the offset wraps inside the segment; under a linear base it does not.
TEST(IntelHex, SegmentOffsetsWrapInsideTheirSegment)
{
    const std::string segmented = HexRecord(2, 0, {0x10, 0x00}) + "\n" + HexRecord(0, 0xFFFE, {1, 2, 3, 4}) + "\n" +
                                  HexRecord(1, 0, {}) + "\n";
    const TDecodedFirmware wrapped = ParseIntelHex(segmented);
    ASSERT_TRUE(wrapped.Ok()) << wrapped.Error->Message;
    ASSERT_EQ(wrapped.Data.Runs.size(), 2u);
    EXPECT_EQ(wrapped.Data.Runs[0].Address, 0x1FFFEu);
    EXPECT_EQ(wrapped.Data.Runs[0].Length, 2u);
    EXPECT_EQ(wrapped.Data.Runs[1].Address, 0x10000u);
    EXPECT_EQ(wrapped.Data.Runs[1].Length, 2u);
    EXPECT_EQ(wrapped.Data.LineOf(wrapped.Data.Runs[1]), 2u);

    const std::string linear = HexRecord(4, 0, {0x00, 0x01}) + "\n" + HexRecord(0, 0xFFFE, {1, 2, 3, 4}) + "\n" +
                               HexRecord(1, 0, {}) + "\n";
    const TDecodedFirmware straight = ParseIntelHex(linear);
    ASSERT_TRUE(straight.Ok()) << straight.Error->Message;
    ASSERT_EQ(straight.Data.Runs.size(), 1u);
    EXPECT_EQ(straight.Data.Runs[0].Address, 0x1FFFEu);
    EXPECT_EQ(straight.Data.Runs[0].Length, 4u);
}

TEST(IntelHex, ToleratesWhatEditorsAndOtherToolsWrite)
{
    std::string lower = kExample;
    for (char &c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    std::string crlf;
    for (char c : std::string(kExample))
        crlf += c == '\n' ? std::string("  \r\n\r\n") : std::string(1, c);
    const std::vector<uint8_t> expected = ImageOf(kExample);
    EXPECT_EQ(ImageOf(lower), expected);
    EXPECT_EQ(ImageOf(crlf), expected);
    EXPECT_EQ(ImageOf("\xEF\xBB\xBF" + std::string(kExample)), expected);
    EXPECT_EQ(ImageOf(std::string(kExample, std::string(kExample).size() - 1)), expected); // no final line break
    // A DOS end-of-file byte after the end record, with or without a line break before it.
    EXPECT_EQ(ImageOf(std::string(kExample) + "\x1A"), expected);
    EXPECT_EQ(ImageOf(std::string(kExample, std::string(kExample).size() - 1) + "\x1A\x1A\r\n"), expected);
}

TEST(IntelHex, WrittenSegmentsReadBackAsTheyWere)
{
    const std::vector<TSampleSegment> segments = {{0x1FFF0, SampleBytes(40, 1)}, {0x20100, SampleBytes(300, 2)}};
    const TDecodedFirmware decoded = ParseIntelHex(IntelHexText(segments, 32));
    ASSERT_TRUE(decoded.Ok()) << decoded.Error->Message;
    const TAssembledImage image = AssembleImage(decoded.Data, {});
    ASSERT_TRUE(image.Ok()) << image.Error->Message;
    EXPECT_EQ(image.Base, 0x1FFF0u);
    ASSERT_EQ(image.Image.size(), 0x20100u + 300 - 0x1FFF0);
    EXPECT_TRUE(std::equal(segments[0].Bytes.begin(), segments[0].Bytes.end(), image.Image.begin()));
    EXPECT_TRUE(std::equal(segments[1].Bytes.begin(), segments[1].Bytes.end(), image.Image.end() - 300));
}

std::vector<TBadRecordFile> BadHexFiles()
{
    const std::string good = HexRecord(0, 0, {1, 2, 3, 4});
    const std::string end = HexRecord(1, 0, {});
    std::string badSum = good;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    return {
        {"checksum", good + "\n" + badSum + "\n" + end, TImageFault::ifChecksum, 2},
        {"cut record", good + "\n" + good.substr(0, good.size() - 3) + "\n" + end, TImageFault::ifTruncated, 2},
        {"byte count only", ":0", TImageFault::ifTruncated, 1},
        {"no end record", good + "\n" + good + "\n", TImageFault::ifTruncated, 0},
        {"record after the end", end + "\n" + good + "\n", TImageFault::ifSyntax, 2},
        {"two files joined", good + "\n" + end + "\n" + good + "\n" + end, TImageFault::ifSyntax, 3},
        {"unknown type", HexRecord(6, 0, {1}) + "\n" + end, TImageFault::ifRecordType, 1},
        {"no colon", good.substr(1) + "\n" + end, TImageFault::ifSyntax, 1},
        {"not a digit", ":0400000001G203040000\n" + end, TImageFault::ifSyntax, 1},
        {"blank inside", ":04000000 0102030400\n" + end, TImageFault::ifSyntax, 1},
        {"runs on", good + "00\n" + end, TImageFault::ifSyntax, 1},
        {"short linear address", HexRecord(4, 0, {1, 2, 3}) + "\n" + end, TImageFault::ifSyntax, 1},
        {"end record with data", HexRecord(1, 0, {1}), TImageFault::ifSyntax, 1},
        {"no end record before a DOS end of file", good + "\n\x1A", TImageFault::ifTruncated, 0},
        {"records after a DOS end of file", good + "\n\x1A" + good + "\n" + end, TImageFault::ifSyntax, 2},
    };
}

TEST(IntelHex, RefusesDamagedFilesNamingTheFaultAndTheLine)
{
    ExpectRefusals(BadHexFiles(), ParseIntelHex);
}

TEST(IntelHex, RefusesMoreDataThanAnImageHoldsWhileReading)
{
    const TDecodedFirmware decoded = ParseIntelHex(IntelHexText({{0, std::vector<uint8_t>(65536, 0x11)}}, 255));
    ASSERT_FALSE(decoded.Ok());
    EXPECT_EQ(decoded.Error->Fault, TImageFault::ifAddressRange);
    EXPECT_EQ(decoded.Error->Line, 258u); // the record that brings the 65,536th byte
}

} // namespace
} // namespace morlith::test
