// SPDX-License-Identifier: MIT
#pragma once
// The commands of morlith-cli and the options each takes, declared with CLI11: reading a command
// line stores into a TCliOptions, and the help is drawn from the same declarations.

#include "CliOptions.h"
#include "HelpText.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

namespace morlith::cli {

// The command line of morlith-cli, storing into `options`; the --port values go to `portLists`
// as given, lists unsplit. Described in the terms of `platform`: what that platform lacks (watch,
// ports map and unmap on Windows) is read alike but not listed.
std::unique_ptr<CLI::App> DeclareCommandLine(TCliOptions &options, std::vector<std::string> &portLists,
                                             THelpPlatform platform);

} // namespace morlith::cli
