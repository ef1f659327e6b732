// SPDX-License-Identifier: MIT
// Motorola S-records: data of every address width, counts, checksums, and refused files.

#include "FirmwareSamples.h"
#include "RefusalCheck.h"
#include "ImageAssembly.h"
#include "SRecord.h"

#include <gtest/gtest.h>

namespace morlith::test {
namespace {

// A well-known example: a header, 70 bytes from address 0 in three S1 records, a count and S9.
const char *const kExample = "S00F000068656C6C6F202020202000003C\n"
                             "S11F00007C0802A6900100049421FFF07C6C1B787C8C23783C6000003863000026\n"
                             "S11F001C4BFFFFE5398000007D83637880010014382100107C0803A64E800020E9\n"
                             "S111003848656C6C6F20776F726C642E0A0042\n"
                             "S5030003F9\n"
                             "S9030000FC\n";

TEST(SRecord, DecodesDataRecordsAndPassesOverTheHeader)
{
    const TDecodedFirmware decoded = ParseSRecords(kExample);
    ASSERT_TRUE(decoded.Ok()) << decoded.Error->Message;
    ASSERT_EQ(decoded.Data.Runs.size(), 3u);
    EXPECT_EQ(decoded.Data.Runs[1].Address, 0x1Cu);
    EXPECT_EQ(decoded.Data.LineOf(decoded.Data.Runs[1]), 3u);
    const TAssembledImage image = AssembleImage(decoded.Data, {});
    ASSERT_TRUE(image.Ok());
    ASSERT_EQ(image.Image.size(), 0x46u);
    EXPECT_EQ(image.FilledBytes, 0u);
    EXPECT_EQ(std::string(image.Image.end() - 14, image.Image.end() - 2), "Hello world.");
}

TEST(SRecord, EveryAddressWidthReadsBack)
{
    for (uint64_t base : {uint64_t(0x0100), uint64_t(0x3FF00), uint64_t(0x8000F000)}) {
        const std::vector<TSampleSegment> segments = {{base, SampleBytes(100, 3)}, {base + 0x200, SampleBytes(7, 4)}};
        const TDecodedFirmware decoded = ParseSRecords(SRecordText(segments, 30));
        ASSERT_TRUE(decoded.Ok()) << base << ": " << decoded.Error->Message;
        const TAssembledImage image = AssembleImage(decoded.Data, {});
        ASSERT_TRUE(image.Ok()) << image.Error->Message;
        EXPECT_EQ(image.Base, base);
        ASSERT_EQ(image.Image.size(), 0x207u);
        EXPECT_TRUE(std::equal(segments[0].Bytes.begin(), segments[0].Bytes.end(), image.Image.begin()));
        EXPECT_EQ(image.Image[0x150], 0xFF);
        EXPECT_TRUE(std::equal(segments[1].Bytes.begin(), segments[1].Bytes.end(), image.Image.begin() + 0x200));
    }
}

std::vector<TBadRecordFile> BadSRecordFiles()
{
    const std::string data = SRecordLine(1, 2, 0x10, {1, 2, 3});
    const std::string end = SRecordLine(9, 2, 0, {});
    std::string badSum = data;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    return {
        {"checksum", data + "\n" + badSum + "\n" + end, TImageFault::ifChecksum, 2},
        {"cut record", data + "\n" + data.substr(0, data.size() - 2) + "\n" + end, TImageFault::ifTruncated, 2},
        {"type only", data + "\nS1\n" + end, TImageFault::ifTruncated, 2},
        {"S only", "S\n" + end, TImageFault::ifTruncated, 1},
        {"record after termination", end + "\n" + data + "\n", TImageFault::ifSyntax, 2},
        {"reserved S4", SRecordLine(4, 2, 0, {1}) + "\n" + end, TImageFault::ifRecordType, 1},
        {"not a type", "SX0300FC\n" + end, TImageFault::ifSyntax, 1},
        {"not S", "Q1030000FC\n" + end, TImageFault::ifSyntax, 1},
        {"count too small for the address", "S3030000FC\n" + end, TImageFault::ifSyntax, 1},
        {"count mismatch", data + "\n" + SRecordLine(5, 2, 2, {}) + "\n" + end, TImageFault::ifRecordCount, 2},
        {"runs on", data + "AB\n" + end, TImageFault::ifSyntax, 1},
        {"records after a DOS end of file", data + "\n\x1A\n" + data + "\n" + end, TImageFault::ifSyntax, 2},
    };
}

// What other tools write: no termination record (with or without a count), lower-case record
// letters, a DOS end-of-file byte after the last record.
TEST(SRecord, ToleratesWhatOtherToolsWrite)
{
    const std::string full = kExample;
    const std::string noTermination = full.substr(0, full.find("S9"));
    std::string lower = full;
    for (char &c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::vector<uint8_t> expected = AssembleImage(ParseSRecords(full).Data, {}).Image;
    ASSERT_EQ(expected.size(), 0x46u);
    for (const std::string &text : {noTermination, noTermination.substr(0, noTermination.find("S5")), lower,
                                    full + "\x1A", full + "\x1A\x1A\r\n", noTermination + "\x1A"}) {
        const TDecodedFirmware decoded = ParseSRecords(text);
        ASSERT_TRUE(decoded.Ok()) << text << ": " << decoded.Error->Message;
        EXPECT_EQ(AssembleImage(decoded.Data, {}).Image, expected) << text;
    }
}

TEST(SRecord, RefusesDamagedFilesNamingTheFaultAndTheLine)
{
    ExpectRefusals(BadSRecordFiles(), ParseSRecords);
}

} // namespace
} // namespace morlith::test
