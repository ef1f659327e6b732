// SPDX-License-Identifier: MIT
// S-record text of any content, decoded and laid out as an image.

#include "FuzzImage.h"
#include "SRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    morlith::fuzz::LayOut(morlith::ParseSRecords(morlith::fuzz::Text(data, size)), data, size);
    return 0;
}
