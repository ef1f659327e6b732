// SPDX-License-Identifier: MIT
// HexToBytes on any text, at an offset taken from the input, into a target just large enough.

#include "HexText.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t offset = data[0];
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);
    morlith::TByteArray target(offset + text.size() / 2);
    std::string why;
    morlith::HexToBytes(text, target, offset, &why);
    return 0;
}
