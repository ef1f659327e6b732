// SPDX-License-Identifier: MIT
// Intel HEX text of any content, decoded and laid out as an image.

#include "FuzzImage.h"
#include "IntelHex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    morlith::fuzz::LayOut(morlith::ParseIntelHex(morlith::fuzz::Text(data, size)), data, size);
    return 0;
}
