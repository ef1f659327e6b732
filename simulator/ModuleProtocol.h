// SPDX-License-Identifier: MIT
#pragma once
// The bootloader's wire protocol as the virtual module sees it: command bytes, request and reply
// lengths, and the sizes of a controller's memories.
//
// Request frame: L (0..50), command byte, L payload bytes, CRC16 over the first L + 2 bytes (high
// byte first). Reply: the command's fixed number of payload bytes, then their CRC16 (high byte
// first); no length byte, no echo of the command.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace morlith {

// Largest request payload in bytes.
constexpr int kMaxRequestPayload = 50;
// Bytes a request frame adds to its payload: length, command, two CRC bytes.
constexpr int kRequestOverheadBytes = 4;
// Bytes a reply adds to its payload: two CRC bytes.
constexpr int kReplyCrcBytes = 2;

// Controllers of a module: index 0 is the main controller, 1..4 the slaves.
constexpr int kControllerCount = 5;
// Parameter block: four 16-bit words (image length, image CRC, data-segment length, CRC of the
// first six bytes), big-endian on the wire.
constexpr int kParameterBlockBytes = 8;
// Largest program memory and data segment in bytes (their lengths are 16-bit words).
constexpr size_t kMaxMemoryBytes = 65535;
// Data-segment size of a module that is not told otherwise, in bytes.
constexpr size_t kDefaultDataSegmentBytes = 512;
// What unwritten memory reads as (erased flash).
constexpr uint8_t kErasedByte = 0xFF;

// Command bytes: the ASCII letters of the bootloader's commands.
enum class TCommandCode : uint8_t {
    ccConnect = 'C',
    ccSelectMCU = 'I',
    ccDisconnect = 'Q',
    ccFlashInit = 'F',
    ccFlashWrite = 'W',
    ccReadPSEG = 'P',
    ccReadDSEG = 'D',
};

// What a command accepts and answers. A reply length of -1 means "the data-segment length".
struct TModuleCommandLayout {
    TCommandCode code;
    int minRequest;
    int maxRequest;
    int replyLength;
};

// Reply length standing for "as long as the parameter block's third word says".
constexpr int kReplyLengthFromBlock = -1;

// The layout of a command byte, or nothing for a byte that is no command.
std::optional<TModuleCommandLayout> FindCommand(uint8_t code);

// Payload offsets of the "F" request.
constexpr int kFlashInitModeOffset = 5;
constexpr int kFlashInitKeyOffset = 7;

// Write modes chosen by "F".
enum class TWriteMode : uint8_t { wmParameterBlock = 0, wmDataSegment = 1, wmApplication = 2, wmNone = 0xFF };

// The payload followed by its CRC16, high byte first: a reply as it goes on the wire.
std::vector<uint8_t> WithCrc(std::vector<uint8_t> payload);

// A request frame on the wire for `command` and `payload` (at most 50 bytes).
std::vector<uint8_t> EncodeRequest(uint8_t command, const std::vector<uint8_t> &payload);

} // namespace morlith
