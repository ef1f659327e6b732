// SPDX-License-Identifier: MIT
#pragma once
// The command line of morlith-module: parsing, the help text, and the server options it asks for.

#include "ModuleServer.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace morlith {

// What the command line asked for.
struct TModuleToolOptions {
    // --com N: the port number to link in the port map (0: none given).
    unsigned comNumber = 0;
    // --device-only: link nothing, print only the device path.
    bool deviceOnly = false;
    // --dseg-size N: data-segment size in bytes (default: the size of --dseg-file, else 512).
    std::optional<size_t> dataSegmentBytes;
    // --dseg-file FILE: initial data segment of every controller.
    std::string dataSegmentFile;
    // --controller-dseg I:FILE: initial data segment of controller I.
    std::map<int, std::string> controllerDataSegmentFiles;
    // --absent I: slaves the module does not have.
    std::set<int> absentControllers;
    // --bitrate B: line pacing in bit/s, 0 = as fast as possible.
    unsigned bitRate = 0;
    // --trace: every request frame on stderr.
    bool trace = false;
    // --dump FILE: every controller's memories written at exit.
    std::string dumpFile;
    // --no-reply, --bad-crc, --noise, --trailing, --silent, --hangup-after, --trickle-ms.
    TFaultPlan faults;
    // --help.
    bool help = false;
    // --version.
    bool version = false;
};

// Parsed options, or the reason the arguments are wrong.
struct TModuleToolArguments {
    TModuleToolOptions options;
    // Empty when the arguments are good.
    std::string error;
};

// Parses the arguments after the program name with CLI11 (see ReadCommandLine). Options take
// their value as the next argument or after "=" (--com=3); numbers are decimal ("010" is ten).
TModuleToolArguments ParseModuleToolArguments(const std::vector<std::string> &arguments);

// The --help text.
std::string ModuleToolHelp();

// The server options that `options` ask for, with the data-segment files read. Throws
// std::runtime_error with a message for the user when a file cannot be read, is no regular file
// or does not fit, or when the dump file's folder does not exist.
TModuleServerOptions ServerOptionsFor(const TModuleToolOptions &options);

} // namespace morlith
