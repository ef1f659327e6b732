// SPDX-License-Identifier: MIT
// ELF: the file bytes of loadable segments at their physical addresses, in every class and byte
// order, and files that are cut short or hold nothing to load.

#include "ElfImage.h"
#include "FirmwareSamples.h"
#include "ImageAssembly.h"

#include <gtest/gtest.h>

namespace morlith::test {
namespace {

const std::vector<TSampleSegment> kSegments = {{0x0800, SampleBytes(300, 5)}, {0x1000, SampleBytes(64, 6)}};

TImageFault FaultOf(const std::vector<uint8_t> &file)
{
    const TDecodedFirmware decoded = ParseElf(file.data(), file.size());
    return decoded.Ok() ? TImageFault::ifSyntax : decoded.Error->Fault;
}

class ElfShapes : public ::testing::TestWithParam<TElfShape> {};

TEST_P(ElfShapes, LoadableSegmentsLandAtTheirPhysicalAddresses)
{
    const std::vector<uint8_t> file = ElfFile(kSegments, GetParam());
    const TDecodedFirmware decoded = ParseElf(file.data(), file.size());
    ASSERT_TRUE(decoded.Ok()) << decoded.Error->Message;
    ASSERT_EQ(decoded.Data.Runs.size(), 2u);
    const TAssembledImage image = AssembleImage(decoded.Data, {});
    ASSERT_TRUE(image.Ok()) << image.Error->Message;
    EXPECT_EQ(image.Base, 0x0800u);
    ASSERT_EQ(image.Image.size(), 0x1040u - 0x0800u);
    EXPECT_TRUE(std::equal(kSegments[0].Bytes.begin(), kSegments[0].Bytes.end(), image.Image.begin()));
    EXPECT_TRUE(std::equal(kSegments[1].Bytes.begin(), kSegments[1].Bytes.end(), image.Image.begin() + 0x800));
    EXPECT_EQ(image.FilledBytes, image.Image.size() - 364);
}

TEST_P(ElfShapes, EveryShorterFileIsRefusedAsCutShort)
{
    const std::vector<uint8_t> file = ElfFile(kSegments, GetParam());
    for (size_t size = 0; size < file.size(); ++size) {
        const TDecodedFirmware decoded = ParseElf(file.data(), size);
        ASSERT_FALSE(decoded.Ok()) << size;
        ASSERT_EQ(decoded.Error->Fault, TImageFault::ifTruncated)
            << size << ": " << decoded.Error->Message;
    }
}

INSTANTIATE_TEST_SUITE_P(Elf, ElfShapes,
                         ::testing::Values(TElfShape{false, false}, TElfShape{false, true}, TElfShape{true, false},
                                           TElfShape{true, true}),
                         [](const ::testing::TestParamInfo<TElfShape> &shape) {
                             return std::string(shape.param.Is64 ? "Elf64" : "Elf32") +
                                    (shape.param.BigEndian ? "Big" : "Little");
                         });

TEST(ElfImage, FilesWithNothingToLoadAreRefused)
{
    // Only a .bss segment and a note.
    EXPECT_EQ(FaultOf(ElfFile({})), TImageFault::ifNoLoadableSegment);
    // No program headers at all, as in an object file.
    EXPECT_EQ(FaultOf(ElfFile({}, TElfShape{false, false, false})), TImageFault::ifNoLoadableSegment);
}

TEST(ElfImage, HeadersThatPointOutsideTheFileOrMakeNoSenseAreRefused)
{
    const std::vector<uint8_t> good = ElfFile(kSegments, TElfShape{false, false, false});
    std::vector<uint8_t> file = good;
    file[4] = 3; // class
    EXPECT_EQ(FaultOf(file), TImageFault::ifUnsupported);
    file = good;
    file[5] = 0; // byte order
    EXPECT_EQ(FaultOf(file), TImageFault::ifUnsupported);
    file = good;
    file[42] = 16; // program header entries smaller than an ELF32 one
    EXPECT_EQ(FaultOf(file), TImageFault::ifSyntax);
    file = good;
    file[28] = 0xF0; // program header table past the end
    file[29] = 0xFF;
    EXPECT_EQ(FaultOf(file), TImageFault::ifTruncated);
    file = good;
    file[52 + 4 + 3] = 0x7F; // first segment's file offset far past the end
    EXPECT_EQ(FaultOf(file), TImageFault::ifTruncated);
    file = good;
    file[44] = 0xFF; // PN_XNUM: the real count would stand in a section header
    file[45] = 0xFF;
    EXPECT_EQ(FaultOf(file), TImageFault::ifUnsupported);
    EXPECT_EQ(FaultOf({'E', 'L', 'F', 0x7F, 1, 1, 1}), TImageFault::ifFormatMismatch);
}

TEST(ElfImage, ASegmentThatWrapsTheAddressSpaceIsRefused)
{
    std::vector<uint8_t> file = ElfFile({{0xFFFFFFFFFFFFFF00, SampleBytes(0x200, 1)}}, TElfShape{true, false, false});
    const TDecodedFirmware decoded = ParseElf(file.data(), file.size());
    ASSERT_FALSE(decoded.Ok());
    EXPECT_EQ(decoded.Error->Fault, TImageFault::ifAddressRange);
}

TEST(ElfImage, LoadableSegmentsBeyondWhatAnImageHoldsAreRefused)
{
    const std::vector<uint8_t> big = ElfFile({{0, SampleBytes(40000, 1)}, {0x10000, SampleBytes(30000, 2)}});
    EXPECT_EQ(FaultOf(big), TImageFault::ifAddressRange);
    const std::vector<uint8_t> apart = ElfFile({{0, SampleBytes(16, 1)}, {0x10000, SampleBytes(16, 2)}});
    const TDecodedFirmware decoded = ParseElf(apart.data(), apart.size());
    ASSERT_TRUE(decoded.Ok());
    const TAssembledImage image = AssembleImage(decoded.Data, {});
    ASSERT_FALSE(image.Ok());
    EXPECT_EQ(image.Error->Fault, TImageFault::ifAddressRange);
    EXPECT_NE(image.Error->Message.find("program header 1"), std::string::npos) << image.Error->Message;
}

} // namespace
} // namespace morlith::test
