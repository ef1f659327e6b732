#include "CliOptions.h"

#include "NumberText.h"

#include <functional>
#include <map>
#include <set>

namespace morlith::cli {
namespace {

using TCommandSet = std::set<TCliCommand>;

const TCommandSet kDeviceCommands = {TCliCommand::ccConnect, TCliCommand::ccWriteApp,
                                     TCliCommand::ccReadDseg, TCliCommand::ccWriteDseg};

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
        {"mcu", 'm', true, kDeviceCommands,
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
        {"verify", 0, false, {TCliCommand::ccWriteDseg},
         [](TCliOptions &o, const std::string &) { o.Verify = true; return std::string(); }},
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

const TOptionRule *FindRule(const std::string &word)
{
    for (const auto &rule : OptionRules()) {
        if (word == "--" + rule.Name || (rule.Short && word == std::string("-") + rule.Short))
            return &rule;
    }
    return nullptr;
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
    };
    return forms;
}

// A recognised option with its value, kept until the command is known.
struct TGivenOption {
    const TOptionRule *Rule;
    std::string Word;
    std::string Value;
};

// Splits the words into options and positional words; "" or the error.
std::string SplitWords(const std::vector<std::string> &words, std::vector<TGivenOption> &options,
                       std::vector<std::string> &positional, bool &help, bool &version)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string &word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word == "--help" || word == "-h") {
            help = true;
            continue;
        }
        if (word == "--version") {
            version = true;
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const TOptionRule *rule = FindRule(name);
        if (!rule)
            return "unknown option " + name;
        TGivenOption given{rule, name, ""};
        if (equals != std::string::npos) {
            if (!rule->TakesValue)
                return name + " takes no value";
            given.Value = word.substr(equals + 1);
        } else if (rule->TakesValue) {
            if (i + 1 >= words.size())
                return name + " needs a value";
            given.Value = words[++i];
        }
        options.push_back(given);
    }
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
    std::vector<TGivenOption> options;
    std::vector<std::string> positional;
    bool help = false;
    bool version = false;
    parsed.Error = SplitWords(words, options, positional, help, version);
    if (!parsed.Ok())
        return parsed;
    if (help || version) {
        parsed.Options.Command = help ? TCliCommand::ccHelp : TCliCommand::ccVersion;
        return parsed;
    }
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
    const auto form = CommandForms().find(commandWord);
    if (form == CommandForms().end()) {
        parsed.Error = "unknown command \"" + commandWord + "\"";
        return parsed;
    }
    TCliOptions &result = parsed.Options;
    result.Command = form->second.Command;
    if (positional.size() != form->second.Arguments) {
        parsed.Error = std::string("usage: morlith-cli [OPTIONS] ") + form->second.Usage;
        return parsed;
    }
    result.Arguments = positional;
    for (const TGivenOption &given : options) {
        if (!given.Rule->Commands.empty() && !given.Rule->Commands.count(result.Command)) {
            parsed.Error = given.Word + " does not go with " + commandWord;
            return parsed;
        }
        parsed.Error = given.Rule->Apply(result, given.Value);
        if (!parsed.Ok())
            return parsed;
    }
    if (result.Command == TCliCommand::ccPack && result.Out.empty())
        parsed.Error = "pack needs --out PACKAGE";
    else if (result.Ports.size() > kMaxPorts)
        parsed.Error = "at most " + std::to_string(kMaxPorts) + " ports at once";
    return parsed;
}

} // namespace morlith::cli
