// SPDX-License-Identifier: MIT
#pragma once
// What Intel HEX and Motorola S-record files share: lines of hexadecimal digits, each a record
// that begins with its byte count and ends with a checksum.

#include "FirmwareData.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace morlith {

// One line of a record file: its number (from 1) and its text without the line break and the
// blanks around it.
struct TRecordLine {
    size_t Number = 0;
    std::string_view Text;
};

// Reads the lines of a text one by one, passing over blank ones.
class TRecordLines {
public:
    explicit TRecordLines(std::string_view text) : FText(text) {}
    // The next line that is not blank; false at the end of the text.
    bool Next(TRecordLine &line);

private:
    std::string_view FText;
    size_t FPosition = 0;
    size_t FNumber = 0;
};

// How a format frames a record's bytes.
struct TRecordFrame {
    // Bytes of the record besides the ones its count byte counts.
    size_t UncountedBytes = 0;
    // What the bytes of a sound record, its checksum included, add up to (modulo 256).
    uint8_t ChecksumSum = 0;
};

// Decodes the digits of a record (after its start characters) into `bytes`: the count byte, the
// counted bytes and the others that `frame` names. The error, naming the line, when a character
// is not a hexadecimal digit, the record ends early or runs on, or its checksum does not hold.
std::optional<TImageError> DecodeRecord(std::string_view digits, const TRecordFrame &frame, size_t line,
                                        std::vector<uint8_t> &bytes);

// What the readers of both formats share: the data so far, the first error, and the record that
// ended the file. Where the format's end record is required, a file without one may be cut short
// and is refused; a file with records after its end record may be two files joined and is refused.
// A DOS end-of-file byte (0x1A) and what follows it, when that is only more of them and blanks,
// end the text.
class TRecordReader {
public:
    virtual ~TRecordReader() = default;
    // Reads every line of `text` and returns the outcome.
    TDecodedFirmware Read(std::string_view text);

protected:
    // `endRecord` names the records that end a file, for messages; `endRequired` refuses a file
    // without one.
    TRecordReader(const char *endRecord, bool endRequired);
    // Takes one record that stands before the end record; false once the file is refused.
    virtual bool TakeRecord(const TRecordLine &line) = 0;
    // Records the error; returns false.
    bool Fail(const TImageError &error);
    // The record of `line` ends the file.
    void End(size_t line) { FEndLine = line; }
    // Keeps the data of the record of `line`; refuses more data than an image can hold.
    bool AddData(uint64_t address, const uint8_t *data, size_t size, size_t line);

    // The bytes of the record being taken, as DecodeRecord leaves them.
    std::vector<uint8_t> FRecord;

private:
    const char *FEndRecord;
    bool FEndRequired;
    TDecodedFirmware FDecoded;
    size_t FEndLine = 0;
};

// An error about line `line`, which the message names.
TImageError LineError(TImageFault fault, size_t line, const std::string &message);

// A character as a message shows it: 'G', or 0x07 when it cannot be shown.
std::string ShowCharacter(char c);

} // namespace morlith
