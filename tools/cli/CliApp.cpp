// SPDX-License-Identifier: MIT
#include "CliApp.h"

#include "CliOptions.h"
#include "DeviceCommands.h"
#include "HelpText.h"
#include "LogCommand.h"
#include "PackageCommands.h"
#include "PortsCommands.h"
#include "RecipeCommands.h"
#include "Rejection.h"
#include "SessionReport.h"
#include "SignCommand.h"
#include "StoreCommands.h"
#include "WatchCommand.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace morlith::cli {
namespace {

// The project version, set by the build.
#ifndef MORLITH_VERSION
#define MORLITH_VERSION "unknown"
#endif

int RunCommand(const TCliOptions &options, TConsole &console)
{
    switch (options.Command) {
    case TCliCommand::ccHelp:
        console.Out(HelpText());
        return kExitSuccess;
    case TCliCommand::ccVersion:
        console.Out(std::string("morlith-cli ") + MORLITH_VERSION);
        return kExitSuccess;
    case TCliCommand::ccInfo:
        return RunInfo(options, console);
    case TCliCommand::ccPack:
        return RunPack(options, console);
    case TCliCommand::ccPorts:
        return RunPortsList(options, console);
    case TCliCommand::ccPortsMap:
        return RunPortsMap(options, console);
    case TCliCommand::ccPortsUnmap:
        return RunPortsUnmap(options, console);
    case TCliCommand::ccLog:
        return RunLog(options, console);
    case TCliCommand::ccStoreInit:
        return RunStoreInit(options, console);
    case TCliCommand::ccStoreSequence:
        return RunStoreSequence(options, console);
    case TCliCommand::ccStorePush:
        return RunStorePush(options, console);
    case TCliCommand::ccWatch:
        return RunWatch(options, console);
    case TCliCommand::ccRun:
        return RunRecipe(options, console);
    case TCliCommand::ccCheck:
        return RunCheck(options, console);
    case TCliCommand::ccSign:
        return RunSign(options, console);
    default:
        return RunDeviceCommand(options, console);
    }
}

} // namespace

int RunCli(const std::vector<std::string> &words, TConsole &console)
{
    const TParsedCommandLine parsed = ParseCommandLine(words);
    if (!parsed.Ok()) {
        // A script that asked for JSON gets its usage error as JSON too.
        const bool json = std::find(words.begin(), words.end(), "--json") != words.end();
        Reject(console, json, kExitBadInput, parsed.Error);
        if (!json)
            console.Err("Try 'morlith-cli --help' for more information.");
        return kExitBadInput;
    }
    try {
        const int status = RunCommand(parsed.Options, console);
        if (console.OutFailed() && status == kExitSuccess) {
            console.Error("cannot write to standard output: the result was not delivered");
            return kExitFailed;
        }
        return status;
    } catch (const std::system_error &error) {
        // A file or system error the checks did not foresee still ends in words, never a crash.
        return Reject(console, parsed.Options.Json, kExitFailed, error.what(), TFailureKind::fkFile);
    } catch (const std::exception &error) {
        return Reject(console, parsed.Options.Json, kExitFailed, error.what(), TFailureKind::fkOs);
    }
}

} // namespace morlith::cli
