// SPDX-License-Identifier: MIT
// A configuration file of any content through Load.

#include "ConfigurationU.h"
#include "RefCounted.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string folder = [] {
        char tmpl[] = "/tmp/morlith-fuzz-config-XXXXXX";
        const char *dir = mkdtemp(tmpl);
        if (!dir || chdir(dir) != 0)
            std::abort();
        return std::string(dir);
    }();
    FILE *file = std::fopen((folder + "/Config.mlhxml").c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    morlith::IntfPtr<morlith::IConfigurationInterface> configuration(new morlith::TConfiguration);
    configuration->Load();
    (void)configuration->GetPort();
    return 0;
}
