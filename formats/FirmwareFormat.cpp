#include "FirmwareFormat.h"

#include "ElfImage.h"
#include "IntelHex.h"
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
    if (data[at] == 'S' && std::isdigit(data[at + 1]))
        return TFirmwareFormat::ffSRecord;
    return TFirmwareFormat::ffBinary;
}

TDecodedFirmware DecodeFirmware(const std::vector<uint8_t> &file, std::optional<TFirmwareFormat> requested,
                                TFirmwareFormat &used)
{
    const TFirmwareFormat detected = DetectFormat(file.data(), file.size());
    used = requested.value_or(detected);
    if (used == TFirmwareFormat::ffBinary && detected != TFirmwareFormat::ffBinary)
        return Refusal(TImageFault::ifFormatMismatch, 0,
                       std::string("the file is ") + FormatTitle(detected) + ", not a raw binary image");
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
