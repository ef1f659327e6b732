// SPDX-License-Identifier: MIT
#pragma once
// The firmware file formats a package can be made from, recognised by their content, and the
// decoding of a file in any of them.

#include "FirmwareData.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

enum class TFirmwareFormat { ffBinary, ffIntelHex, ffSRecord, ffElf };

// The format's name on the command line: "bin", "ihex", "srec", "elf".
const char *FormatName(TFirmwareFormat format);

// The format's name in messages: "raw binary", "Intel HEX", "Motorola S-record", "ELF".
const char *FormatTitle(TFirmwareFormat format);

// The format a command-line name stands for; nothing for an unknown name.
std::optional<TFirmwareFormat> FormatFromName(const std::string &name);

// The format the content begins as: ELF by its magic, Intel HEX by a first line that starts with
// ':' and a digit, S-records by one that starts with 'S' (or 's') and a type digit; anything else
// is raw binary. Only the start is looked at, so a damaged HEX file is still taken for one (and
// refused with its line) rather than packed as raw bytes.
TFirmwareFormat DetectFormat(const uint8_t *data, size_t size);

// A file's data decoded in the format asked for, or in the one detected when none is asked. Asked
// for as raw binary, any file is taken byte for byte. Unasked, text in none of the formats (UTF-16
// text, records behind comment lines) is refused rather than packed as raw bytes. Raw binary data
// starts at address 0.
TDecodedFirmware DecodeFirmware(const std::vector<uint8_t> &file, std::optional<TFirmwareFormat> requested,
                                TFirmwareFormat &used);

} // namespace morlith
