// SPDX-License-Identifier: MIT
#include "CliOptions.h"

#include "CommandTree.h"
#include "CommandWords.h"

#include <utility>

namespace morlith::cli {
namespace {

// Each command with its name as typed.
const std::vector<std::pair<TCliCommand, const char *>> kCommandNames = {
    {TCliCommand::ccHelp, "help"},
    {TCliCommand::ccVersion, "version"},
    {TCliCommand::ccInfo, "info"},
    {TCliCommand::ccPack, "pack"},
    {TCliCommand::ccPorts, "ports"},
    {TCliCommand::ccPortsMap, "ports map"},
    {TCliCommand::ccPortsUnmap, "ports unmap"},
    {TCliCommand::ccLog, "log"},
    {TCliCommand::ccStoreInit, "store init"},
    {TCliCommand::ccStoreSequence, "store sequence"},
    {TCliCommand::ccStorePush, "store push"},
    {TCliCommand::ccRun, "run"},
    {TCliCommand::ccCheck, "check"},
    {TCliCommand::ccWatch, "watch"},
    {TCliCommand::ccSign, "sign"},
};

constexpr TOperationKind kOperations[] = {TOperationKind::okConnect, TOperationKind::okWriteApplication,
                                          TOperationKind::okReadDataSegment, TOperationKind::okWriteDataSegment,
                                          TOperationKind::okStatus};

// The command named `name`, and the operation of a device command.
TCliCommand CommandNamed(const std::string &name, TOperationKind &operation)
{
    for (const TOperationKind kind : kOperations)
        if (name == OperationCommand(kind)) {
            operation = kind;
            return TCliCommand::ccDevice;
        }
    for (const auto &[command, commandName] : kCommandNames)
        if (name == commandName)
            return command;
    return TCliCommand::ccHelp;
}

// Every port of the --port values, lists split at their commas (the values are checked to hold
// no empty name).
std::vector<std::string> SplitPorts(const std::vector<std::string> &lists)
{
    std::vector<std::string> ports;
    for (const std::string &list : lists)
        for (size_t start = 0; start <= list.size();) {
            const size_t comma = std::min(list.find(',', start), list.size());
            ports.push_back(list.substr(start, comma - start));
            start = comma + 1;
        }
    return ports;
}

} // namespace

bool IsDeviceCommand(TCliCommand command)
{
    return command == TCliCommand::ccDevice || command == TCliCommand::ccRun;
}

std::string CommandName(TCliCommand command)
{
    for (const auto &[known, name] : kCommandNames)
        if (known == command)
            return name;
    return "";
}

std::string CommandName(const TCliOptions &options)
{
    return options.Command == TCliCommand::ccDevice ? OperationCommand(options.Operation) : CommandName(options.Command);
}

TParsedCommandLine ParseCommandLine(const std::vector<std::string> &words)
{
    TParsedCommandLine parsed;
    std::vector<std::string> portLists;
    const auto app = DeclareCommandLine(parsed.Options, portLists, NativeHelpPlatform());
    const TCommandLineReading reading = ReadCommandLine(*app, words);
    switch (reading.Outcome) {
    case TCommandLineOutcome::cloError:
        parsed.Error = reading.Error;
        return parsed;
    case TCommandLineOutcome::cloHelp:
    case TCommandLineOutcome::cloVersion:
        parsed.Options = TCliOptions();
        parsed.Options.Command =
            reading.Outcome == TCommandLineOutcome::cloHelp ? TCliCommand::ccHelp : TCliCommand::ccVersion;
        return parsed;
    case TCommandLineOutcome::cloParsed:
        break;
    }
    TCliOptions &options = parsed.Options;
    if (reading.Command.front() == CommandName(TCliCommand::ccWatch)) {
        options.Command = TCliCommand::ccWatch;
        options.Watched = CommandNamed(reading.Command.back(), options.Operation);
    } else {
        options.Command = CommandNamed(reading.Command.size() == 1 ? reading.Command.front()
                                                                   : reading.Command.front() + " " + reading.Command.back(),
                                       options.Operation);
    }
    options.Ports = SplitPorts(portLists);
    if (options.Ports.size() > kMaxPorts)
        parsed.Error = "at most " + std::to_string(kMaxPorts) + " ports at once";
    return parsed;
}

} // namespace morlith::cli
