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
    EXPECT_EQ(Detected(ElfFile(segments)), TFirmwareFormat::ffElf);
    EXPECT_EQ(Detected(SampleBytes(20, 1)), TFirmwareFormat::ffBinary);
    EXPECT_EQ(Detected({}), TFirmwareFormat::ffBinary);
    EXPECT_EQ(Detected(Bytes(":")), TFirmwareFormat::ffBinary);
    // A damaged HEX file is still HEX, so that it is refused with its line instead of packed raw.
    EXPECT_EQ(Detected(Bytes(":10GARBAGE\n")), TFirmwareFormat::ffIntelHex);
}

TEST(FirmwareFormat, NamesReadBack)
{
    for (TFirmwareFormat format : {TFirmwareFormat::ffBinary, TFirmwareFormat::ffIntelHex, TFirmwareFormat::ffSRecord,
                                   TFirmwareFormat::ffElf})
        EXPECT_EQ(FormatFromName(FormatName(format)), format);
    EXPECT_FALSE(FormatFromName("hex").has_value());
}

TEST(FirmwareFormat, DecodesInTheDetectedFormatUnlessOneIsAsked)
{
    const std::vector<uint8_t> hex = Bytes(IntelHexText({{0x40, {1, 2, 3}}}));
    TFirmwareFormat used = TFirmwareFormat::ffBinary;
    const TDecodedFirmware detected = DecodeFirmware(hex, std::nullopt, used);
    EXPECT_EQ(used, TFirmwareFormat::ffIntelHex);
    ASSERT_TRUE(detected.Ok());
    EXPECT_EQ(detected.Data.Bytes, (std::vector<uint8_t>{1, 2, 3}));
    // Asked for S-records, the HEX file is read as such and refused.
    EXPECT_FALSE(DecodeFirmware(hex, TFirmwareFormat::ffSRecord, used).Ok());
    EXPECT_EQ(used, TFirmwareFormat::ffSRecord);
}

TEST(FirmwareFormat, AFileOfAnotherFormatIsNeverTakenAsRawBytes)
{
    TFirmwareFormat used = TFirmwareFormat::ffBinary;
    for (const std::vector<uint8_t> &file : {Bytes(IntelHexText({{0, {1}}})), Bytes(SRecordText({{0, {1}}})),
                                             ElfFile({{0, {1}}})}) {
        const TDecodedFirmware decoded = DecodeFirmware(file, TFirmwareFormat::ffBinary, used);
        ASSERT_FALSE(decoded.Ok());
        EXPECT_EQ(decoded.Error->Fault, TImageFault::ifFormatMismatch);
    }
}

TEST(FirmwareFormat, RawBinaryStartsAtZeroAndHoldsAtMost65535Bytes)
{
    TFirmwareFormat used = TFirmwareFormat::ffElf;
    const TDecodedFirmware decoded = DecodeFirmware(SampleBytes(65535, 2), std::nullopt, used);
    EXPECT_EQ(used, TFirmwareFormat::ffBinary);
    ASSERT_TRUE(decoded.Ok());
    ASSERT_EQ(decoded.Data.Runs.size(), 1u);
    EXPECT_EQ(decoded.Data.Runs[0].Address, 0u);
    const TDecodedFirmware tooLong = DecodeFirmware(SampleBytes(65536, 2), std::nullopt, used);
    ASSERT_FALSE(tooLong.Ok());
    EXPECT_EQ(tooLong.Error->Fault, TImageFault::ifAddressRange);
}

} // namespace
} // namespace morlith::test
