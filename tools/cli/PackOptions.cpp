// SPDX-License-Identifier: MIT
#include "PackOptions.h"

#include "NumberText.h"

namespace morlith::cli {
namespace {

// The number `value` within [0, max], decimal or 0x hexadecimal; nothing, with `error` saying
// that the option takes `what`, otherwise.
std::optional<uint64_t> Number(const std::string &option, const std::string &what, const std::string &value,
                               uint64_t max, std::string &error)
{
    const auto number = ParseWholeNumber(value, 0, max, true);
    if (!number)
        error = option + " takes " + what + ", decimal or 0x hexadecimal, not \"" + value + "\"";
    return number;
}

} // namespace

std::string ApplyDsegLength(TPackOptions &options, const std::string &option, const std::string &value)
{
    std::string error;
    if (const auto number = Number(option, "a whole number from 0 to 65535", value, UINT16_MAX, error))
        options.DsegLength = uint16_t(*number);
    return error;
}

std::string ApplyFormat(TPackOptions &options, const std::string &value)
{
    options.Format = FormatFromName(value);
    return options.Format ? "" : "--format takes bin, ihex, srec or elf, not \"" + value + "\"";
}

std::string ApplyBase(TPackOptions &options, const std::string &value)
{
    std::string error;
    if (const auto number = Number("--base", "an address", value, UINT64_MAX, error))
        options.Base = *number;
    return error;
}

std::string ApplyFill(TPackOptions &options, const std::string &value)
{
    std::string error;
    if (const auto number = Number("--fill", "a byte value from 0 to 255", value, UINT8_MAX, error))
        options.Fill = uint8_t(*number);
    return error;
}

std::string ApplyImageOut(TPackOptions &options, const std::string &value)
{
    options.ImageOut = value;
    return value.empty() ? "--image-out: empty file name" : "";
}

} // namespace morlith::cli
