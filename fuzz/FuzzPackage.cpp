// SPDX-License-Identifier: MIT
// A firmware package file of any content through LoadFromFile and Decode.

#include "MorlithFileConverter.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = "/tmp/morlith-fuzz-package-" + std::to_string(getpid()) + ".xml";
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    static morlith::TMorlithFileConverter converter; // kept across inputs, as in a run
    converter.LoadFromFile(path);
    converter.Decode();
    return 0;
}
