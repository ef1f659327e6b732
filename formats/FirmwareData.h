// SPDX-License-Identifier: MIT
#pragma once
// What a firmware file decodes to before it becomes an image: runs of bytes at addresses, in the
// order the file gives them, or the reason the file is refused.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// The most bytes an image can hold: its length travels as a 16-bit word.
constexpr uint64_t kMaxImageBytes = 65535;

// Why a firmware file, or the image made of it, is refused.
enum class TImageFault {
    ifSyntax,            // text that is not a record of the format, or fields that contradict
    ifChecksum,          // a record whose checksum does not hold
    ifTruncated,         // a record, a header or the whole file ends early
    ifRecordType,        // a record type the format does not define
    ifRecordCount,       // an S-record count that differs from the data records before it
    ifUnsupported,       // a file of the format that the tool cannot read (an unknown ELF class)
    ifNoLoadableSegment, // an ELF file without a loadable segment that holds file bytes
    ifEmpty,             // no data at all
    ifAddressRange,      // data below the base, or more than 65,535 bytes from it
    ifOverlap,           // two records or segments give bytes for the same address
    ifFormatMismatch,    // a file of one format given as another
    ifUnknownText,       // text in none of the formats, which is not taken for a raw image unasked
};

// A refusal: its kind, the line of a text file it concerns (0 when none) and the reason in words.
struct TImageError {
    TImageFault Fault = TImageFault::ifSyntax;
    size_t Line = 0;
    std::string Message;
};

// What the origin number of a run counts.
enum class TRunOrigin { roFileOffset, roLine, roProgramHeader };

// Length bytes of TFirmwareData::Bytes from Offset, which go to consecutive addresses from Address.
struct TDataRun {
    uint64_t Address = 0;
    size_t Offset = 0;
    size_t Length = 0;
    // The line, program header or file offset it came from, for messages.
    size_t Origin = 0;
};

// The data of a firmware file in file order.
struct TFirmwareData {
    std::vector<uint8_t> Bytes;
    std::vector<TDataRun> Runs;
    TRunOrigin OriginKind = TRunOrigin::roFileOffset;

    // Appends `size` bytes that go from `address` on; an empty run is not kept. False, with
    // nothing kept, when the data would then exceed what an image can hold.
    bool Add(uint64_t address, const uint8_t *data, size_t size, size_t origin);
    // Where a run came from: "line 12", "program header 2", "offset 0".
    std::string Where(const TDataRun &run) const;
    // The line of a text file a run came from; 0 for other origins.
    size_t LineOf(const TDataRun &run) const { return OriginKind == TRunOrigin::roLine ? run.Origin : 0; }
};

// The outcome of decoding a firmware file: its data, or the error that refused it.
struct TDecodedFirmware {
    TFirmwareData Data;
    std::optional<TImageError> Error;

    bool Ok() const { return !Error.has_value(); }
};

// A decoding that ends in `fault`.
TDecodedFirmware Refusal(TImageFault fault, size_t line, const std::string &message);

// "0x1A2B" with at least four digits.
std::string HexAddress(uint64_t address);

// "1 byte", "65,535 bytes".
std::string ByteCount(uint64_t count);

} // namespace morlith
