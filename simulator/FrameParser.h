// SPDX-License-Identifier: MIT
#pragma once
// Assembles request frames from the byte stream, one byte at a time.
//
// Resynchronisation: the host never resynchronises by itself, so the module does. A length byte
// over 50 cannot start a frame: the parser then drops every byte until the line has been silent
// for a while. The caller tells it about such a silence with DiscardPartialFrame(), which also
// drops a frame that stopped half way. The host waits a full inactivity limit after every failed
// exchange, so after any garbage its next request starts on a clean frame boundary.

#include <cstdint>
#include <optional>
#include <vector>

namespace morlith {

// A request frame as received; crcOk tells whether its last two bytes are the CRC of the others.
struct TRequestFrame {
    uint8_t command = 0;
    std::vector<uint8_t> payload;
    bool crcOk = false;
};

// Byte-by-byte request frame assembler.
class TFrameParser {
public:
    // Takes one received byte; returns the frame that this byte completes, if any.
    std::optional<TRequestFrame> Receive(uint8_t byte);

    // The line fell silent: forgets a partial frame and leaves the skipping state.
    void DiscardPartialFrame();

    // True while a frame has begun but not ended, or garbage is being skipped.
    bool HasPartialFrame() const { return FState != psLength; }

    // Bytes dropped so far as garbage (bad length bytes, skipped bytes, partial frames).
    uint64_t DiscardedBytes() const { return FDiscarded; }

private:
    enum TParseState { psLength, psCommand, psPayload, psCrcHigh, psCrcLow, psSkipping };

    TParseState FState = psLength;
    std::vector<uint8_t> FFrame;
    size_t FPayloadLength = 0;
    uint64_t FDiscarded = 0;
};

} // namespace morlith
