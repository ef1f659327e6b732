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

} // namespace
} // namespace morlith::test
