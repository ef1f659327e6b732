// SPDX-License-Identifier: MIT
#include "RecordText.h"

#include <cctype>
#include <cstdio>

namespace morlith {
namespace {

// The value of a hexadecimal digit in either case; -1 for any other character.
int DigitValue(char c)
{
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    const size_t at = kDigits.find(char(std::toupper(static_cast<unsigned char>(c))));
    return at == std::string_view::npos ? -1 : int(at);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The position of the first character that is not a hexadecimal digit, or npos.
size_t FirstNonDigit(std::string_view digits)
{
    for (size_t i = 0; i < digits.size(); ++i)
        if (DigitValue(digits[i]) < 0)
            return i;
    return std::string_view::npos;
}

} // namespace

bool TRecordLines::Next(TRecordLine &line)
{
    while (FPosition < FText.size()) {
        const size_t end = FText.find('\n', FPosition);
        const size_t stop = end == std::string_view::npos ? FText.size() : end;
        const std::string_view text = Trimmed(FText.substr(FPosition, stop - FPosition));
        FPosition = stop + 1;
        ++FNumber;
        if (!text.empty()) {
            line = TRecordLine{FNumber, text};
            return true;
        }
    }
    return false;
}

std::optional<TImageError> DecodeRecord(std::string_view digits, const TRecordFrame &frame, size_t line,
                                        std::vector<uint8_t> &bytes)
{
    const size_t bad = FirstNonDigit(digits);
    const std::string_view sound = digits.substr(0, bad);
    if (sound.size() < 2 && bad == std::string_view::npos)
        return LineError(TImageFault::ifTruncated, line, "the record ends before its byte count");
    if (sound.size() < 2)
        return LineError(TImageFault::ifSyntax, line, ShowCharacter(digits[bad]) + " is not a hexadecimal digit");
    const size_t count = size_t(DigitValue(sound[0]) << 4 | DigitValue(sound[1]));
    const size_t total = 1 + count + frame.UncountedBytes;
    if (bad != std::string_view::npos && bad < 2 * total)
        return LineError(TImageFault::ifSyntax, line, ShowCharacter(digits[bad]) + " is not a hexadecimal digit");
    if (digits.size() < 2 * total)
        return LineError(TImageFault::ifTruncated, line,
                         "the record ends after " + std::to_string(digits.size() / 2) + " of its " +
                             std::to_string(total) + " bytes");
    if (digits.size() > 2 * total)
        return LineError(TImageFault::ifSyntax, line,
                         "the record runs on after its checksum: \"" + std::string(digits.substr(2 * total)) + "\"");
    bytes.resize(total);
    unsigned sum = 0;
    for (size_t i = 0; i < total; ++i) {
        bytes[i] = uint8_t(DigitValue(digits[2 * i]) << 4 | DigitValue(digits[2 * i + 1]));
        sum += bytes[i];
    }
    if (uint8_t(sum) != frame.ChecksumSum) {
        const uint8_t given = bytes.back();
        const uint8_t needed = uint8_t(frame.ChecksumSum - (sum - given));
        char text[64];
        std::snprintf(text, sizeof text, "checksum 0x%02X, the record's bytes need 0x%02X", given, needed);
        return LineError(TImageFault::ifChecksum, line, text);
    }
    return std::nullopt;
}

// The text up to a DOS end-of-file byte that only more of them and blanks follow; all of it
// otherwise (a 0x1A among records is then refused with its line).
std::string_view WithoutDosEnd(std::string_view text)
{
    constexpr char kDosEndOfFile = '\x1A';
    const size_t tail = text.find_last_not_of(std::string_view("\x1A \t\r\n\f\v", 7));
    const size_t end = text.find(kDosEndOfFile, tail == std::string_view::npos ? 0 : tail + 1);
    return end == std::string_view::npos ? text : text.substr(0, end);
}

TRecordReader::TRecordReader(const char *endRecord, bool endRequired)
    : FEndRecord(endRecord), FEndRequired(endRequired)
{
    FDecoded.Data.OriginKind = TRunOrigin::roLine;
}

TDecodedFirmware TRecordReader::Read(std::string_view text)
{
    // Editors may put a UTF-8 byte order mark before the first record.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    TRecordLines lines(WithoutDosEnd(text));
    TRecordLine line;
    while (lines.Next(line)) {
        if (FEndLine != 0) {
            Fail(LineError(TImageFault::ifSyntax, line.Number,
                           std::string("a record after the ") + FEndRecord + " record of line " +
                               std::to_string(FEndLine)));
            break;
        }
        if (!TakeRecord(line))
            break;
    }
    if (FDecoded.Ok() && FEndLine == 0 && FEndRequired)
        Fail(TImageError{TImageFault::ifTruncated, 0,
                         std::string("no ") + FEndRecord + " record: the file may be cut short"});
    return std::move(FDecoded);
}

bool TRecordReader::Fail(const TImageError &error)
{
    FDecoded.Error = error;
    return false;
}

bool TRecordReader::AddData(uint64_t address, const uint8_t *data, size_t size, size_t line)
{
    if (FDecoded.Data.Add(address, data, size, line))
        return true;
    return Fail(LineError(TImageFault::ifAddressRange, line,
                          "the file holds more data than the " + ByteCount(kMaxImageBytes) + " an image can hold"));
}

TImageError LineError(TImageFault fault, size_t line, const std::string &message)
{
    return TImageError{fault, line, "line " + std::to_string(line) + ": " + message};
}

std::string ShowCharacter(char c)
{
    if (c > ' ' && c < 0x7F)
        return std::string("'") + c + "'";
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", unsigned(static_cast<unsigned char>(c)));
    return text;
}

} // namespace morlith
