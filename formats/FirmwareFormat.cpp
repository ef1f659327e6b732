// SPDX-License-Identifier: MIT
#include "FirmwareFormat.h"

#include "ElfImage.h"
#include "IntelHex.h"
#include "RecordText.h"
#include "SRecord.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace morlith {
namespace {

struct TFormatNames {
    TFirmwareFormat Format;
    const char *Name;
    const char *Title;
};

constexpr TFormatNames kFormats[] = {
    {TFirmwareFormat::ffBinary, "bin", "raw binary"},
    {TFirmwareFormat::ffIntelHex, "ihex", "Intel HEX"},
    {TFirmwareFormat::ffSRecord, "srec", "Motorola S-record"},
    {TFirmwareFormat::ffElf, "elf", "ELF"},
};

const TFormatNames &NamesOf(TFirmwareFormat format)
{
    for (const TFormatNames &names : kFormats)
        if (names.Format == format)
            return names;
    return kFormats[0];
}

constexpr uint8_t kUtf8Mark[3] = {0xEF, 0xBB, 0xBF};

bool IsHexDigit(uint8_t c) { return std::isxdigit(c) != 0; }

// Characters of plain text besides the printable ones: blanks, line breaks, a DOS end of file.
bool IsTextControl(uint8_t c) { return c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0x1A; }

bool IsTextByte(uint8_t c) { return (c >= 0x20 && c != 0x7F) || IsTextControl(c); }

// Plain text: printable ASCII, blanks and line breaks, and well-formed UTF-8 sequences. A raw
// image of any size is almost never all of that.
bool IsPlainText(const std::vector<uint8_t> &file)
{
    for (size_t i = 0; i < file.size();) {
        const uint8_t c = file[i];
        if (c < 0x80) {
            if (!IsTextByte(c))
                return false;
            ++i;
            continue;
        }
        const size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > file.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((file[i + k] & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// UTF-16 text: a byte order mark, or ASCII characters whose other byte is 0 all through the start.
bool IsUtf16Text(const uint8_t *data, size_t size)
{
    if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF)))
        return true;
    constexpr size_t kLookedAt = 64;
    const size_t pairs = std::min(size, kLookedAt) / 2;
    if (pairs < 2)
        return false;
    for (const size_t zeroAt : {size_t(0), size_t(1)}) {
        size_t matching = 0;
        for (size_t i = 0; i < pairs; ++i) {
            const uint8_t zero = data[2 * i + zeroAt], other = data[2 * i + 1 - zeroAt];
            if (zero == 0 && other != 0 && other < 0x7F && IsTextByte(other))
                ++matching;
        }
        if (matching == pairs)
            return true;
    }
    return false;
}

// Why text that is in none of the formats is not packed unasked; "" when the file is no text.
std::string UnknownTextProblem(const std::vector<uint8_t> &file)
{
    if (IsUtf16Text(file.data(), file.size()))
        return "the file is UTF-16 text, and no firmware format is read in it; save it as ASCII or UTF-8, or "
               "give --format bin to pack its bytes as they stand";
    if (file.empty() || !IsPlainText(file))
        return "";
    const auto first = std::find_if(file.begin(), file.end(), [](uint8_t c) { return !std::isspace(c); });
    const std::string start = first == file.end() ? "only blanks" : "its first line begins with " +
                                                                        ShowCharacter(char(*first));
    return "the file is text but neither Intel HEX nor S-records (" + start +
           "); give --format bin to pack its bytes as they stand";
}

TDecodedFirmware DecodeBinary(const std::vector<uint8_t> &file)
{
    TDecodedFirmware decoded;
    if (!decoded.Data.Add(0, file.data(), file.size(), 0))
        return Refusal(TImageFault::ifAddressRange, 0,
                       "the file holds " + ByteCount(file.size()) + ", more than the " + ByteCount(kMaxImageBytes) +
                           " an image can hold");
    return decoded;
}

} // namespace

const char *FormatName(TFirmwareFormat format) { return NamesOf(format).Name; }

const char *FormatTitle(TFirmwareFormat format) { return NamesOf(format).Title; }

std::optional<TFirmwareFormat> FormatFromName(const std::string &name)
{
    for (const TFormatNames &names : kFormats)
        if (name == names.Name)
            return names.Format;
    return std::nullopt;
}

TFirmwareFormat DetectFormat(const uint8_t *data, size_t size)
{
    if (HasElfMagic(data, size))
        return TFirmwareFormat::ffElf;
    size_t at = 0;
    if (size >= sizeof kUtf8Mark && std::equal(kUtf8Mark, kUtf8Mark + sizeof kUtf8Mark, data))
        at = sizeof kUtf8Mark;
    while (at < size && std::isspace(data[at]))
        ++at;
    if (size - at < 2)
        return TFirmwareFormat::ffBinary;
    if (data[at] == ':' && IsHexDigit(data[at + 1]))
        return TFirmwareFormat::ffIntelHex;
    if ((data[at] == 'S' || data[at] == 's') && std::isdigit(data[at + 1]))
        return TFirmwareFormat::ffSRecord;
    return TFirmwareFormat::ffBinary;
}

TDecodedFirmware DecodeFirmware(const std::vector<uint8_t> &file, std::optional<TFirmwareFormat> requested,
                                TFirmwareFormat &used)
{
    const TFirmwareFormat detected = DetectFormat(file.data(), file.size());
    used = requested.value_or(detected);
    // Asked for raw bytes, any file is packed as it stands; unasked, text is never taken for them.
    if (!requested && used == TFirmwareFormat::ffBinary) {
        const std::string problem = UnknownTextProblem(file);
        if (!problem.empty())
            return Refusal(TImageFault::ifUnknownText, 0, problem);
    }
    const std::string_view text(reinterpret_cast<const char *>(file.data()), file.size());
    switch (used) {
    case TFirmwareFormat::ffIntelHex:
        return ParseIntelHex(text);
    case TFirmwareFormat::ffSRecord:
        return ParseSRecords(text);
    case TFirmwareFormat::ffElf:
        return ParseElf(file.data(), file.size());
    case TFirmwareFormat::ffBinary:
        break;
    }
    return DecodeBinary(file);
}

} // namespace morlith
