// SPDX-License-Identifier: MIT
// ELF files of any content, decoded and laid out as an image. The bytes are copied so that a
// read past the end of the file is caught by the sanitizer at once.

#include "ElfImage.h"
#include "FuzzImage.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<uint8_t> file(data, data + size);
    morlith::fuzz::LayOut(morlith::ParseElf(file.data(), file.size()), data, size);
    return 0;
}
