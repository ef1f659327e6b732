// SPDX-License-Identifier: MIT
// Saves the configuration of the current folder with the port given, as the Options page's Save
// does; for the file-fault tests, which run it with failing file calls. Exit status 0 when the
// save succeeded, 1 when it failed (the reason on standard error), 2 on a bad argument.

#include "ConfigurationU.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: save-configuration PORT_INDEX\n");
        return 2;
    }
    morlith::IntfPtr<morlith::TConfiguration> configuration(new morlith::TConfiguration());
    configuration->Load();
    configuration->SetPort(std::atoi(argv[1]));
    if (configuration->Save())
        return 0;
    std::fprintf(stderr, "%s\n", configuration->GetLastFailure().c_str());
    return 1;
}
