// SPDX-License-Identifier: MIT
// The Telnet framing of the COM-port option: 0xFF doubled both ways, and commands read whole
// wherever the received bytes are cut.

#include "TelnetCodec.h"

#include <gtest/gtest.h>

using namespace morlith;
using namespace morlith::telnet;
using Bytes = std::vector<uint8_t>;

namespace {

struct Decoded {
    Bytes data;
    std::vector<TCommand> commands;
};

// Feeds `stream` to a fresh decoder in pieces cut at `cuts`.
Decoded DecodeInPieces(const Bytes &stream, const std::vector<size_t> &cuts)
{
    TDecoder decoder;
    Decoded out;
    size_t from = 0;
    for (size_t cut : cuts) {
        decoder.Feed(stream.data() + from, cut - from, out.data, out.commands);
        from = cut;
    }
    decoder.Feed(stream.data() + from, stream.size() - from, out.data, out.commands);
    return out;
}

} // namespace

TEST(TelnetCodec, EveryFFIsDoubledOnTheWayOut)
{
    const Bytes data = {0x00, 0xFF, 0x7F, 0xFF, 0xFF};
    Bytes out;
    AppendEscaped(out, data.data(), data.size());
    EXPECT_EQ(out, (Bytes{0x00, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF}));
    // A rate of 0xFF bytes inside a subnegotiation is doubled too.
    EXPECT_EQ(Subnegotiation(kOptionComPort, {1, 0, 0, 0xFF, 0xFF}),
              (Bytes{kIac, kSb, 44, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, kIac, kSe}));
    EXPECT_EQ(Negotiation(kWill, kOptionComPort), (Bytes{kIac, kWill, 44}));
}

TEST(TelnetCodec, DataAndCommandsComeApartWhereverTheStreamIsCut)
{
    // Data with escaped 0xFF, a negotiation, a modem-state notification whose value is 0xFF, a
    // NOP, and more data.
    const Bytes stream = {0x01, kIac, kIac, 0x02, kIac, kDo, 44, kIac, kSb, 44, 107, kIac, kIac, kIac, kSe,
                          kIac, 241, 0x03, kIac, kIac};
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        for (size_t second = cut; second <= stream.size(); second += 3) {
            SCOPED_TRACE("cut at " + std::to_string(cut) + " and " + std::to_string(second));
            const Decoded out = DecodeInPieces(stream, {cut, second});
            EXPECT_EQ(out.data, (Bytes{0x01, 0xFF, 0x02, 0x03, 0xFF}));
            ASSERT_EQ(out.commands.size(), 2u);
            EXPECT_EQ(out.commands[0].Verb, kDo);
            EXPECT_EQ(out.commands[0].Option, 44);
            EXPECT_EQ(out.commands[1].Verb, kSb);
            EXPECT_EQ(out.commands[1].Payload, (Bytes{107, 0xFF}));
        }
    }
}

TEST(TelnetCodec, AnOverlongSubnegotiationIsCutAndTheStreamStaysInStep)
{
    Bytes stream = {kIac, kSb, 44};
    stream.insert(stream.end(), 1000, 0x55);
    stream.insert(stream.end(), {kIac, kSe, 0x42});
    const Decoded out = DecodeInPieces(stream, {});
    ASSERT_EQ(out.commands.size(), 1u);
    EXPECT_LE(out.commands[0].Payload.size(), 64u);
    EXPECT_EQ(out.data, Bytes{0x42});
}
