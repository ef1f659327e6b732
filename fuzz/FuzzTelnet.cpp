// SPDX-License-Identifier: MIT
// Arbitrary bytes through the Telnet decoder, cut into receives where the input says: whatever
// the cuts, the same data and commands come out, and no payload outgrows its bound.
// Input: byte 0 is the size of each receive (1..256), the rest is what the server sent.

#include "TelnetCodec.h"

#include <cstdlib>

using namespace morlith::telnet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t cut = size_t(data[0]) + 1;
    const uint8_t *bytes = data + 1;
    const size_t count = size - 1;

    TDecoder whole, pieces;
    std::vector<uint8_t> wholeData, pieceData;
    std::vector<TCommand> wholeCommands, pieceCommands;
    whole.Feed(bytes, count, wholeData, wholeCommands);
    for (size_t at = 0; at < count; at += cut)
        pieces.Feed(bytes + at, std::min(cut, count - at), pieceData, pieceCommands);

    if (wholeData != pieceData || wholeCommands.size() != pieceCommands.size() || wholeData.size() > count)
        std::abort();
    for (size_t i = 0; i < wholeCommands.size(); ++i) {
        const TCommand &a = wholeCommands[i], &b = pieceCommands[i];
        if (a.Verb != b.Verb || a.Option != b.Option || a.Payload != b.Payload || a.Payload.size() > 64)
            std::abort();
    }
    // What is escaped decodes to itself.
    std::vector<uint8_t> escaped, back;
    std::vector<TCommand> none;
    AppendEscaped(escaped, bytes, count);
    TDecoder again;
    again.Feed(escaped.data(), escaped.size(), back, none);
    if (back != std::vector<uint8_t>(bytes, bytes + count) || !none.empty())
        std::abort();
    return 0;
}
