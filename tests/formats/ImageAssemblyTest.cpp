// SPDX-License-Identifier: MIT
// Laying data out as an image: base, fill, the 65,535-byte limit and overlapping data.

#include "ImageAssembly.h"

#include <gtest/gtest.h>

namespace morlith::test {
namespace {

// Data of a text file whose runs come from lines 1, 2, ...
TFirmwareData Lines(const std::vector<std::pair<uint64_t, std::vector<uint8_t>>> &runs)
{
    TFirmwareData data;
    data.OriginKind = TRunOrigin::roLine;
    size_t line = 0;
    for (const auto &[address, bytes] : runs)
        EXPECT_TRUE(data.Add(address, bytes.data(), bytes.size(), ++line));
    return data;
}

TEST(ImageAssembly, RunsFromTheLowestAddressWithGapsFilled)
{
    const TFirmwareData data = Lines({{0x105, {5, 6}}, {0x100, {1, 2}}});
    const TAssembledImage image = AssembleImage(data, {});
    ASSERT_TRUE(image.Ok());
    EXPECT_EQ(image.Base, 0x100u);
    EXPECT_EQ(image.Image, (std::vector<uint8_t>{1, 2, 0xFF, 0xFF, 0xFF, 5, 6}));
    EXPECT_EQ(image.FilledBytes, 3u);
}

TEST(ImageAssembly, AGivenBaseAndFillShapeTheImage)
{
    const TFirmwareData data = Lines({{0x102, {7}}, {0x104, {8}}});
    const TAssembledImage image = AssembleImage(data, TImageLayout{0x100, 0x00});
    ASSERT_TRUE(image.Ok());
    EXPECT_EQ(image.Base, 0x100u);
    EXPECT_EQ(image.Image, (std::vector<uint8_t>{0, 0, 7, 0, 8}));
}

TEST(ImageAssembly, DataBelowTheBaseIsRefusedNamingItsLine)
{
    const TAssembledImage image = AssembleImage(Lines({{0x200, {1}}, {0x1FF, {2}}}), TImageLayout{0x200, 0xFF});
    ASSERT_FALSE(image.Ok());
    EXPECT_EQ(image.Error->Fault, TImageFault::ifAddressRange);
    EXPECT_EQ(image.Error->Line, 2u);
}

TEST(ImageAssembly, AnImageHoldsAtMost65535BytesFromItsBase)
{
    EXPECT_TRUE(AssembleImage(Lines({{0x1000, {1}}, {0x1000 + 65534, {2}}}), {}).Ok());
    const TAssembledImage tooFar = AssembleImage(Lines({{0x1000, {1}}, {0x1000 + 65535, {2}}}), {});
    ASSERT_FALSE(tooFar.Ok());
    EXPECT_EQ(tooFar.Error->Fault, TImageFault::ifAddressRange);
    EXPECT_EQ(tooFar.Error->Line, 2u);
    // A base given below the data counts from the base.
    const TAssembledImage lowBase = AssembleImage(Lines({{0x10000, {1}}}), TImageLayout{0, 0xFF});
    ASSERT_FALSE(lowBase.Ok());
    EXPECT_EQ(lowBase.Error->Fault, TImageFault::ifAddressRange);
}

TEST(ImageAssembly, OverlappingDataIsRefusedEvenWhenTheBytesAgree)
{
    for (const auto &runs : std::vector<std::vector<std::pair<uint64_t, std::vector<uint8_t>>>>{
             {{0x10, {1, 2, 3, 4}}, {0x13, {4}}},                    // same byte twice
             {{0x10, {1, 2, 3, 4}}, {0x20, {9}}, {0x0E, {7, 7, 7}}}, // reaches into a later address
             {{0x00, std::vector<uint8_t>(64, 1)}, {0x20, {5}}, {0x30, {6}}}}) {
        const TAssembledImage image = AssembleImage(Lines(runs), {});
        ASSERT_FALSE(image.Ok());
        EXPECT_EQ(image.Error->Fault, TImageFault::ifOverlap) << image.Error->Message;
        EXPECT_EQ(image.Error->Line, 2u + (runs.size() == 3 && runs[2].first == 0x0E)) << image.Error->Message;
    }
    EXPECT_TRUE(AssembleImage(Lines({{0x10, {1, 2}}, {0x12, {3}}}), {}).Ok()); // adjacent is fine
}

TEST(ImageAssembly, NoDataMakesNoImage)
{
    const TAssembledImage image = AssembleImage(TFirmwareData{}, {});
    ASSERT_FALSE(image.Ok());
    EXPECT_EQ(image.Error->Fault, TImageFault::ifEmpty);
}

} // namespace
} // namespace morlith::test
