// SPDX-License-Identifier: MIT
#pragma once
// The package commands, which need no module: info checks a package, pack builds one from a
// firmware file (raw binary, Intel HEX, S-records or ELF). Both use the engine's package code.

#include "CliOptions.h"
#include "Console.h"

namespace morlith::cli {

// info PACKAGE [--image-out FILE]: prints the header fields, the key and the image, and whether a
// write would accept the package, and writes the plain image when asked; 0 when a write would
// accept it, 1 when it would refuse it (or the image cannot be written), 2 when it does not load.
int RunInfo(const TCliOptions &options, TConsole &console);

// pack FILE --out PACKAGE --dseg-length N: builds a package from a firmware file and checks what
// was written. Bad input ends in 2 with nothing written; an existing PACKAGE is kept unless --force.
int RunPack(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
