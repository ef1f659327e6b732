#pragma once
// The package commands, which need no module: info checks a package, pack builds one from a plain
// image. Both use the engine's package code.

#include "CliOptions.h"
#include "Console.h"

namespace morlith::cli {

// info PACKAGE: prints the header fields, the key and the image, and whether a write would
// accept the package; 0 when it would, 1 when it would refuse it, 2 when it does not load.
int RunInfo(const TCliOptions &options, TConsole &console);

// pack IMAGE --out PACKAGE: builds a package from a plain image and checks what was written.
int RunPack(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
