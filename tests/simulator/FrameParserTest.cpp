// SPDX-License-Identifier: MIT
// The frame assembler on its own: where frames begin and end in a byte stream.

#include "FrameParser.h"
#include "ModuleProtocol.h"

#include <gtest/gtest.h>

using namespace morlith;
using Bytes = std::vector<uint8_t>;

namespace {

// Feeds `bytes`; returns the frames they complete.
std::vector<TRequestFrame> Feed(TFrameParser &parser, const Bytes &bytes)
{
    std::vector<TRequestFrame> frames;
    for (uint8_t byte : bytes)
        if (auto frame = parser.Receive(byte))
            frames.push_back(*frame);
    return frames;
}

} // namespace

TEST(FrameParser, FramesFollowingEachOtherAreSeparated)
{
    TFrameParser parser;
    Bytes stream = EncodeRequest('I', {2});
    const Bytes longest = EncodeRequest('W', Bytes(50, 0x77));
    stream.insert(stream.end(), longest.begin(), longest.end());
    const Bytes empty = EncodeRequest('Q', {});
    stream.insert(stream.end(), empty.begin(), empty.end());

    const auto frames = Feed(parser, stream);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].command, 'I');
    EXPECT_EQ(frames[0].payload, Bytes{2});
    EXPECT_EQ(frames[1].payload, Bytes(50, 0x77));
    EXPECT_EQ(frames[2].command, 'Q');
    EXPECT_TRUE(frames[2].payload.empty());
    for (const auto &frame : frames)
        EXPECT_TRUE(frame.crcOk);
    EXPECT_FALSE(parser.HasPartialFrame());
}

TEST(FrameParser, LengthOver50SkipsUntilSilence)
{
    TFrameParser parser;
    // Without the silence even a good frame after garbage is skipped...
    Bytes stream = {51};
    const Bytes quit = EncodeRequest('Q', {});
    stream.insert(stream.end(), quit.begin(), quit.end());
    EXPECT_TRUE(Feed(parser, stream).empty());
    EXPECT_TRUE(parser.HasPartialFrame());
    EXPECT_EQ(parser.DiscardedBytes(), 5u);
    // ...and after it the next one is read.
    parser.DiscardPartialFrame();
    EXPECT_EQ(Feed(parser, quit).size(), 1u);
}

TEST(FrameParser, PartialFrameIsForgottenOnSilence)
{
    TFrameParser parser;
    const Bytes frame = EncodeRequest('I', {2});
    Feed(parser, Bytes(frame.begin(), frame.begin() + 3));
    EXPECT_TRUE(parser.HasPartialFrame());
    parser.DiscardPartialFrame();
    EXPECT_EQ(parser.DiscardedBytes(), 3u);
    const auto frames = Feed(parser, frame);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].crcOk);
}
