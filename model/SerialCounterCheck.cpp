// SPDX-License-Identifier: MIT
#include "SerialCounterCheck.h"

#include "DataFile.h"
#include "HexText.h"
#include "NumberText.h"

namespace morlith {

std::string CheckSerialCounter(const std::string &Path, uint32_t Width)
{
    TByteArray bytes;
    const TFailure failure = ReadInputFile(Path, 64, "counter", bytes);
    if (failure.Failed())
        return "serial counter " + failure.Detail + " (write the first serial number into it)";
    std::string text(bytes.begin(), bytes.end());
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    const auto number = ParseWholeNumber(text, 0, UINT64_MAX, false);
    if (!number)
        return "serial counter " + Path + " holds \"" + text + "\", not a decimal number";
    if (Width < 8 && *number >= (uint64_t(1) << (8 * Width)))
        return "serial counter " + Path + " is at " + std::to_string(*number) + ", which does not fit in " +
               std::to_string(Width) + (Width == 1 ? " byte" : " bytes");
    return "";
}

} // namespace morlith
