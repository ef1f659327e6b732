// SPDX-License-Identifier: MIT
// Recognising a file's format by its content, and decoding it in the format asked for.

#include "FirmwareFormat.h"
#include "FirmwareSamples.h"

#include <gtest/gtest.h>

namespace morlith::test {
namespace {

std::vector<uint8_t> Bytes(const std::string &text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TFirmwareFormat Detected(const std::vector<uint8_t> &file) { return DetectFormat(file.data(), file.size()); }

TEST(FirmwareFormat, RecognisesEachFormatByItsStart)
{
    const std::vector<TSampleSegment> segments = {{0x100, SampleBytes(20, 1)}};
    EXPECT_EQ(Detected(Bytes(IntelHexText(segments))), TFirmwareFormat::ffIntelHex);
    EXPECT_EQ(Detected(Bytes("\xEF\xBB\xBF\r\n  " + IntelHexText(segments))), TFirmwareFormat::ffIntelHex);
    EXPECT_EQ(Detected(Bytes(SRecordText(segments))), TFirmwareFormat::ffSRecord);
    EXPECT_EQ(Detected(Bytes("s1030000fc\n")), TFirmwareFormat::ffSRecord);
    EXPECT_EQ(Detected(ElfFile(segments)), TFirmwareFormat::ffElf);
    EXPECT_EQ(Detected(SampleBytes(20, 1)), TFirmwareFormat::ffBinary);
    EXPECT_EQ(Detected({}), TFirmwareFormat::ffBinary);
    EXPECT_EQ(Detected(Bytes(":")), TFirmwareFormat::ffBinary);
    // A damaged HEX file is still HEX, so that it is refused with its line instead of packed raw.
    EXPECT_EQ(Detected(Bytes(":10GARBAGE\n")), TFirmwareFormat::ffIntelHex);
}

// Asked for as raw binary, any file is taken byte for byte, whatever it starts like.
TEST(FirmwareFormat, RawBinaryAskedForTakesAnyFileByteForByte)
{
    TFirmwareFormat used = TFirmwareFormat::ffIntelHex;
    for (const std::vector<uint8_t> &file : {Bytes(IntelHexText({{0, {1}}})), Bytes(SRecordText({{0, {1}}})),
                                             ElfFile({{0, {1}}}), Bytes("; comment\n:00000001FF\n")}) {
        const TDecodedFirmware decoded = DecodeFirmware(file, TFirmwareFormat::ffBinary, used);
        ASSERT_TRUE(decoded.Ok()) << decoded.Error->Message;
        EXPECT_EQ(used, TFirmwareFormat::ffBinary);
        EXPECT_EQ(decoded.Data.Bytes, file);
    }
}

// Widen ASCII text to UTF-16, low byte first or high byte first.
std::vector<uint8_t> Utf16(const std::string &text, bool littleEndian, bool mark)
{
    std::vector<uint8_t> bytes;
    if (mark)
        bytes = littleEndian ? std::vector<uint8_t>{0xFF, 0xFE} : std::vector<uint8_t>{0xFE, 0xFF};
    for (char c : text) {
        bytes.push_back(littleEndian ? uint8_t(c) : 0);
        bytes.push_back(littleEndian ? 0 : uint8_t(c));
    }
    return bytes;
}

// Text in none of the formats is refused unless raw binary is asked for; real images go through.
TEST(FirmwareFormat, TextInNoFormatIsNeverTakenForRawBytesUnasked)
{
    const std::string hex = IntelHexText({{0x100, SampleBytes(20, 1)}});
    const std::vector<std::vector<uint8_t>> texts = {
        Utf16(hex, true, true),  Utf16(hex, true, false), Utf16(hex, false, true),
        Utf16(hex, false, false), Bytes("; built by the vendor's tool\n" + hex), Bytes("hello world\r\n\x1A"),
    };
    for (const std::vector<uint8_t> &file : texts) {
        TFirmwareFormat used = TFirmwareFormat::ffElf;
        const TDecodedFirmware refused = DecodeFirmware(file, std::nullopt, used);
        ASSERT_FALSE(refused.Ok()) << std::string(file.begin(), file.end());
        EXPECT_EQ(refused.Error->Fault, TImageFault::ifUnknownText);
        EXPECT_NE(refused.Error->Message.find("--format bin"), std::string::npos) << refused.Error->Message;
        EXPECT_TRUE(DecodeFirmware(file, TFirmwareFormat::ffBinary, used).Ok());
    }
    TFirmwareFormat used = TFirmwareFormat::ffElf;
    for (const std::vector<uint8_t> &image : {SampleBytes(300, 2), Bytes(std::string("text\0zero", 9))}) {
        const TDecodedFirmware raw = DecodeFirmware(image, std::nullopt, used);
        ASSERT_TRUE(raw.Ok()) << raw.Error->Message;
        EXPECT_EQ(used, TFirmwareFormat::ffBinary);
    }
}

} // namespace
} // namespace morlith::test
