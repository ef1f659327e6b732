// SPDX-License-Identifier: MIT
#pragma once
// `sign --key SECRET FILE`: writes FILE.minisig as `minisign -S` does, for sites without minisign.

#include "CliOptions.h"
#include "Console.h"

namespace morlith::cli {

// Runs `sign`; returns the exit status. A password-protected key takes its password as the first
// line of standard input.
int RunSign(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
