// SPDX-License-Identifier: MIT
#include "FirmwareData.h"

#include <cstdio>

namespace morlith {

bool TFirmwareData::Add(uint64_t address, const uint8_t *data, size_t size, size_t origin)
{
    if (size == 0)
        return true;
    if (Bytes.size() + size > kMaxImageBytes)
        return false;
    Runs.push_back(TDataRun{address, Bytes.size(), size, origin});
    Bytes.insert(Bytes.end(), data, data + size);
    return true;
}

std::string TFirmwareData::Where(const TDataRun &run) const
{
    switch (OriginKind) {
    case TRunOrigin::roLine:
        return "line " + std::to_string(run.Origin);
    case TRunOrigin::roProgramHeader:
        return "program header " + std::to_string(run.Origin);
    case TRunOrigin::roFileOffset:
        break;
    }
    return "offset " + std::to_string(run.Origin);
}

TDecodedFirmware Refusal(TImageFault fault, size_t line, const std::string &message)
{
    TDecodedFirmware decoded;
    decoded.Error = TImageError{fault, line, message};
    return decoded;
}

std::string HexAddress(uint64_t address)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(address));
    return text;
}

std::string ByteCount(uint64_t count)
{
    std::string digits = std::to_string(count);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits + (count == 1 ? " byte" : " bytes");
}

} // namespace morlith
