// SPDX-License-Identifier: MIT
#include "CliOptions.h"

#include "CommandWords.h"
#include "NumberText.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace morlith::cli {
namespace {

using TCommandSet = std::set<TCliCommand>;

const TCommandSet kDeviceCommands = {TCliCommand::ccConnect, TCliCommand::ccWriteApp, TCliCommand::ccReadDseg,
                                     TCliCommand::ccWriteDseg, TCliCommand::ccRun};
// The device commands that work on one controller (a recipe names its own).
const TCommandSet kControllerCommands = {TCliCommand::ccConnect, TCliCommand::ccWriteApp, TCliCommand::ccReadDseg,
                                         TCliCommand::ccWriteDseg};

// One option: its names, whether it takes a value, the commands it goes with and what it sets.
struct TOptionRule {
    std::string Name;
    char Short;
    bool TakesValue;
    TCommandSet Commands; // empty: any command
    std::function<std::string(TCliOptions &, const std::string &value)> Apply; // "" or an error
};

std::string SetNumber(const std::string &option, const std::string &value, uint64_t min,
                      uint64_t max, bool allowHex, const std::function<void(uint64_t)> &store)
{
    const auto number = ParseWholeNumber(value, min, max, allowHex);
    if (!number)
        return option + " takes a whole number from " + std::to_string(min) + " to " +
               std::to_string(max) + ", not \"" + value + "\"";
    store(*number);
    return "";
}

// A name the records carry (station, operator, lot): not empty, no control characters.
std::string SetLabel(const std::string &option, const std::string &value, std::string &store)
{
    const bool control = std::any_of(value.begin(), value.end(), [](char c) { return (unsigned char)c < 0x20 || c == 0x7F; });
    if (value.empty() || control)
        return option + " takes a name of printable characters, not \"" + value + "\"";
    store = value;
    return "";
}

std::string AddPorts(TCliOptions &options, const std::string &value)
{
    size_t start = 0;
    for (;;) {
        const size_t comma = value.find(',', start);
        const std::string port = value.substr(start, comma - start);
        if (port.empty())
            return "--port: empty port name in \"" + value + "\"";
        options.Ports.push_back(port);
        if (comma == std::string::npos)
            return "";
        start = comma + 1;
    }
}

const std::vector<TOptionRule> &OptionRules()
{
    static const std::vector<TOptionRule> rules = {
        {"port", 'p', true, kDeviceCommands, AddPorts},
        {"mcu", 'm', true, kControllerCommands,
         [](TCliOptions &o, const std::string &v) {
             return SetNumber("--mcu", v, 0, kMaxMcuIndex, false, [&](uint64_t n) { o.Mcu = uint8_t(n); });
         }},
        {"timeout", 0, true, kDeviceCommands,
         [](TCliOptions &o, const std::string &v) {
             return SetNumber("--timeout", v, kMinTimeoutMs, kMaxTimeoutMs, false,
                              [&](uint64_t n) { o.TimeoutMs = uint32_t(n); });
         }},
        {"quiet", 'q', false, {}, [](TCliOptions &o, const std::string &) { o.Quiet = true; return std::string(); }},
        {"verbose", 'v', false, kDeviceCommands,
         [](TCliOptions &o, const std::string &) { o.Verbose = true; return std::string(); }},
        {"json", 0, false, {}, [](TCliOptions &o, const std::string &) { o.Json = true; return std::string(); }},
        {"force", 'f', false,
         {TCliCommand::ccReadDseg, TCliCommand::ccWriteDseg, TCliCommand::ccPortsMap, TCliCommand::ccPack,
          TCliCommand::ccInfo},
         [](TCliOptions &o, const std::string &) { o.Force = true; return std::string(); }},
        {"verify", 0, false, {TCliCommand::ccWriteDseg, TCliCommand::ccWriteApp},
         [](TCliOptions &o, const std::string &) { o.Verify = true; return std::string(); }},
        {"log", 0, true, kDeviceCommands,
         [](TCliOptions &o, const std::string &v) {
             o.LogFile = v;
             return v.empty() ? std::string("--log: empty file name") : std::string();
         }},
        {"expect-sha256", 0, true, {TCliCommand::ccWriteApp, TCliCommand::ccWriteDseg},
         [](TCliOptions &o, const std::string &v) {
             o.ExpectSha256 = v;
             const bool hex = v.size() == 64 && v.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
             return hex ? std::string() : "--expect-sha256 takes 64 hexadecimal digits, not \"" + v + "\"";
         }},
        {"wait", 0, true, kDeviceCommands,
         [](TCliOptions &o, const std::string &v) {
             return SetNumber("--wait", v, 0, kMaxWaitSeconds, false, [&](uint64_t n) { o.WaitSeconds = uint32_t(n); });
         }},
        {"retries", 0, true, kDeviceCommands,
         [](TCliOptions &o, const std::string &v) {
             return SetNumber("--retries", v, 0, kMaxRetries, false, [&](uint64_t n) { o.Retries = uint32_t(n); });
         }},
        {"station", 0, true, kDeviceCommands,
         [](TCliOptions &o, const std::string &v) { return SetLabel("--station", v, o.Station); }},
        {"operator", 0, true, kDeviceCommands,
         [](TCliOptions &o, const std::string &v) { return SetLabel("--operator", v, o.Operator); }},
        {"lot", 0, true, kDeviceCommands,
         [](TCliOptions &o, const std::string &v) { return SetLabel("--lot", v, o.Lot); }},
        {"summary", 0, false, {TCliCommand::ccLog},
         [](TCliOptions &o, const std::string &) { o.Summary = true; return std::string(); }},
        {"csv", 0, false, {TCliCommand::ccLog},
         [](TCliOptions &o, const std::string &) { o.Csv = true; return std::string(); }},
        {"match", 0, true, {TCliCommand::ccWatch},
         [](TCliOptions &o, const std::string &v) {
             o.Match = v;
             return v.empty() ? std::string("--match: give VID:PID or a /dev/serial/by-id name pattern")
                              : std::string();
         }},
        {"existing", 0, false, {TCliCommand::ccWatch},
         [](TCliOptions &o, const std::string &) { o.Existing = true; return std::string(); }},
        {"socket-names", 0, true, {TCliCommand::ccWatch},
         [](TCliOptions &o, const std::string &v) {
             o.SocketNames = v;
             return v == "port" || v == "id-path" ? std::string()
                                                  : "--socket-names takes port or id-path, not \"" + v + "\"";
         }},
        {"since", 0, true, {TCliCommand::ccLog},
         [](TCliOptions &o, const std::string &v) {
             o.Since = v;
             return v.empty() ? std::string("--since: give a date, a time or an age such as 2h") : std::string();
         }},
        {"failed", 0, false, {TCliCommand::ccLog},
         [](TCliOptions &o, const std::string &) { o.FailedOnly = true; return std::string(); }},
        {"out", 'o', true, {TCliCommand::ccPack},
         [](TCliOptions &o, const std::string &v) {
             o.Out = v;
             return v.empty() ? std::string("--out: empty file name") : std::string();
         }},
        {"dseg-length", 0, true, {TCliCommand::ccPack},
         [](TCliOptions &o, const std::string &v) { return ApplyDsegLength(o.Pack, "--dseg-length", v); }},
        {"word3", 0, true, {TCliCommand::ccPack},
         [](TCliOptions &o, const std::string &v) { return ApplyDsegLength(o.Pack, "--word3", v); }},
        {"format", 0, true, {TCliCommand::ccPack},
         [](TCliOptions &o, const std::string &v) { return ApplyFormat(o.Pack, v); }},
        {"base", 0, true, {TCliCommand::ccPack},
         [](TCliOptions &o, const std::string &v) { return ApplyBase(o.Pack, v); }},
        {"fill", 0, true, {TCliCommand::ccPack},
         [](TCliOptions &o, const std::string &v) { return ApplyFill(o.Pack, v); }},
        {"image-out", 0, true, {TCliCommand::ccInfo},
         [](TCliOptions &o, const std::string &v) { return ApplyImageOut(o.Pack, v); }},
        {"piece", 0, true, {TCliCommand::ccPack},
         [](TCliOptions &o, const std::string &v) {
             return SetNumber("--piece", v, 0, UINT16_MAX, false, [&](uint64_t n) { o.PieceBytes = size_t(n); });
         }},
    };
    return rules;
}

// The command words and how many arguments each takes.
struct TCommandForm {
    TCliCommand Command;
    size_t Arguments;
    const char *Usage;
};

const std::map<std::string, TCommandForm> &CommandForms()
{
    static const std::map<std::string, TCommandForm> forms = {
        {"help", {TCliCommand::ccHelp, 0, "help"}},
        {"connect", {TCliCommand::ccConnect, 0, "connect"}},
        {"write-app", {TCliCommand::ccWriteApp, 1, "write-app PACKAGE"}},
        {"read-dseg", {TCliCommand::ccReadDseg, 1, "read-dseg FILE"}},
        {"write-dseg", {TCliCommand::ccWriteDseg, 1, "write-dseg FILE"}},
        {"info", {TCliCommand::ccInfo, 1, "info PACKAGE"}},
        {"pack", {TCliCommand::ccPack, 1, "pack FILE --out PACKAGE --dseg-length N"}},
        {"ports", {TCliCommand::ccPorts, 0, "ports"}},
        {"ports map", {TCliCommand::ccPortsMap, 2, "ports map COM<n> DEVICE"}},
        {"ports unmap", {TCliCommand::ccPortsUnmap, 1, "ports unmap COM<n>"}},
        {"log", {TCliCommand::ccLog, 1, "log FILE [--since WHEN] [--failed] [--summary | --csv]"}},
        {"run", {TCliCommand::ccRun, 1, "run RECIPE"}},
        {"check", {TCliCommand::ccCheck, 1, "check RECIPE"}},
        {"watch", {TCliCommand::ccWatch, 0, "watch COMMAND [ARGS]"}},
    };
    return forms;
}

// A recognised option with its value, kept until the command is known.
struct TGivenOption {
    const TOptionRule *Rule;
    std::string Word;
    std::string Value;
};

// The command-line state while the words are split.
struct TSplitWords {
    std::vector<TGivenOption> Options;
    std::vector<std::string> Positional;
    bool Help = false;
    bool Version = false;
};

// The names the splitter knows: every rule's, then help and version.
const std::vector<TOptionName> &OptionNames()
{
    static const std::vector<TOptionName> names = [] {
        std::vector<TOptionName> list;
        for (const TOptionRule &rule : OptionRules())
            list.push_back({rule.Name, rule.Short, rule.TakesValue});
        list.push_back({"help", 'h', false});
        list.push_back({"version", 'V', false});
        return list;
    }();
    return names;
}

// Splits the words into options and positional words; "" or the error.
std::string SplitWords(const std::vector<std::string> &words, TSplitWords &split)
{
    const TCommandWords given = SplitCommandWords(words, OptionNames());
    switch (given.Problem) {
    case TCommandLineProblem::clpNone:
        break;
    case TCommandLineProblem::clpUnknownOption:
        return "unknown option " + given.Subject;
    case TCommandLineProblem::clpNeedsValue:
        return given.Subject + " needs a value";
    case TCommandLineProblem::clpTakesNoValue:
        return given.Subject + " takes no value";
    default:
        return given.Subject;
    }
    const std::vector<TOptionRule> &rules = OptionRules();
    for (const auto &[index, value] : given.Options) {
        if (index < rules.size())
            split.Options.push_back({&rules[index], "--" + rules[index].Name, value});
        else
            (index == rules.size() ? split.Help : split.Version) = true;
    }
    split.Positional = given.Words;
    return "";
}

// True when `rule` may be given with the command (for watch: with watch or its command).
bool GoesWith(const TOptionRule &rule, const TCliOptions &options)
{
    if (rule.Commands.empty() || rule.Commands.count(options.Command))
        return true;
    return options.Command == TCliCommand::ccWatch && rule.Commands.count(options.Watched) && rule.Name != "wait";
}

// Takes the command word of `watch` from the positional words; "" or the error.
std::string TakeWatchedCommand(std::vector<std::string> &positional, TCliOptions &options, const TCommandForm *&form)
{
    if (positional.empty())
        return "watch needs a command: connect, write-app, read-dseg, write-dseg or run";
    const auto watched = CommandForms().find(positional.front());
    if (watched == CommandForms().end() || !IsDeviceCommand(watched->second.Command))
        return "watch runs connect, write-app, read-dseg, write-dseg or run, not \"" + positional.front() + "\"";
    options.Watched = watched->second.Command;
    form = &watched->second;
    positional.erase(positional.begin());
    return "";
}

} // namespace

bool IsDeviceCommand(TCliCommand command) { return kDeviceCommands.count(command) > 0; }

std::string CommandName(TCliCommand command)
{
    for (const auto &[name, form] : CommandForms())
        if (form.Command == command)
            return name;
    return command == TCliCommand::ccVersion ? "version" : "";
}

TParsedCommandLine ParseCommandLine(const std::vector<std::string> &words)
{
    TParsedCommandLine parsed;
    TSplitWords split;
    parsed.Error = SplitWords(words, split);
    if (!parsed.Ok())
        return parsed;
    if (split.Help || split.Version) {
        parsed.Options.Command = split.Help ? TCliCommand::ccHelp : TCliCommand::ccVersion;
        return parsed;
    }
    std::vector<std::string> &positional = split.Positional;
    if (positional.empty()) {
        parsed.Error = "no command given";
        return parsed;
    }
    std::string commandWord = positional.front();
    positional.erase(positional.begin());
    if (commandWord == "ports" && !positional.empty() &&
        (positional.front() == "map" || positional.front() == "unmap")) {
        commandWord += " " + positional.front();
        positional.erase(positional.begin());
    }
    const auto found = CommandForms().find(commandWord);
    if (found == CommandForms().end()) {
        parsed.Error = "unknown command \"" + commandWord + "\"";
        return parsed;
    }
    TCliOptions &result = parsed.Options;
    result.Command = found->second.Command;
    const TCommandForm *form = &found->second;
    if (result.Command == TCliCommand::ccWatch) {
        parsed.Error = TakeWatchedCommand(positional, result, form);
        if (!parsed.Ok())
            return parsed;
    }
    if (positional.size() != form->Arguments) {
        parsed.Error = std::string("usage: morlith-cli [OPTIONS] ") +
                       (result.Command == TCliCommand::ccWatch ? "watch " : "") + form->Usage;
        return parsed;
    }
    result.Arguments = positional;
    for (const TGivenOption &given : split.Options) {
        if (!GoesWith(*given.Rule, result)) {
            parsed.Error = given.Word + " does not go with " + commandWord;
            return parsed;
        }
        parsed.Error = given.Rule->Apply(result, given.Value);
        if (!parsed.Ok())
            return parsed;
    }
    if (result.Command == TCliCommand::ccPack && result.Out.empty())
        parsed.Error = "pack needs --out PACKAGE";
    else if (result.Summary && result.Csv)
        parsed.Error = "log: give --summary or --csv, not both";
    else if (result.Ports.size() > kMaxPorts)
        parsed.Error = "at most " + std::to_string(kMaxPorts) + " ports at once";
    return parsed;
}

} // namespace morlith::cli
