// SPDX-License-Identifier: MIT
#include "CommandWords.h"

#include "OptionChecks.h"

namespace morlith {
namespace {

std::vector<const CLI::App *> CommandsOf(const CLI::App &app)
{
    return app.get_subcommands([](const CLI::App *) { return true; });
}

// The option named `dashed` ("--port", "-p") of `app` or of any command under it.
const CLI::Option *FindOption(const CLI::App &app, const std::string &dashed)
{
    for (const CLI::Option *option : app.get_options()) {
        for (const std::string &name : option->get_lnames())
            if ("--" + name == dashed)
                return option;
        for (const std::string &name : option->get_snames())
            if ("-" + name == dashed)
                return option;
    }
    for (const CLI::App *command : CommandsOf(app))
        if (const CLI::Option *found = FindOption(*command, dashed))
            return found;
    return nullptr;
}

bool TakesValue(const CLI::Option &option) { return option.get_items_expected_max() > 0; }

const CLI::App *CommandNamed(const CLI::App &app, const std::string &name)
{
    for (const CLI::App *command : CommandsOf(app))
        if (command->get_name() == name)
            return command;
    return nullptr;
}

// "connect, write-app or run": the commands of `app`.
std::string CommandList(const CLI::App &app)
{
    std::vector<std::string> names;
    for (const CLI::App *command : CommandsOf(app))
        names.push_back(command->get_name());
    return AlternativesText(names);
}

std::string Joined(const std::vector<std::string> &words)
{
    std::string text;
    for (const std::string &word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

// The names of `command` from below the program: {"ports", "map"}.
std::vector<std::string> CommandPath(const CLI::App &command)
{
    std::vector<std::string> path;
    for (const CLI::App *c = &command; c->get_parent() != nullptr; c = c->get_parent())
        path.insert(path.begin(), c->get_name());
    return path;
}

// The words as CLI11 is to read them, with the command's names moved to the front: CLI11 knows
// a command's options only after its name.
struct TWordOrder {
    std::vector<std::string> Words;
    std::vector<std::string> Command;
    // An option without its value or a flag given one; CLI11 would take the next word as the
    // value, or fail without naming the option.
    std::string FormError;
    // A command that runs another was given none, or one it does not run.
    std::string CommandError;
};

// The words of an option starting at words[i], fixed for CLI11; advances i past its value.
std::string OptionWords(const CLI::App &app, const std::vector<std::string> &words, size_t &i,
                        std::vector<std::string> &out)
{
    const std::string &word = words[i];
    out.push_back(word);
    if (word.rfind("--", 0) == 0) {
        const size_t equals = word.find('=');
        const CLI::Option *option = FindOption(app, word.substr(0, equals));
        if (!option)
            return "";
        if (equals != std::string::npos) {
            if (!TakesValue(*option))
                return word.substr(0, equals) + " takes no value";
            // "--name=" is an empty value; CLI11 would take the next word instead.
            if (equals + 1 == word.size()) {
                out.back().pop_back();
                out.push_back("");
            }
            return "";
        }
        if (!TakesValue(*option))
            return "";
        if (i + 1 == words.size())
            return word + " needs a value";
        out.push_back(words[++i]);
        return "";
    }
    // A group of short options: the first that takes a value takes the rest of the word or the
    // next word.
    for (size_t letter = 1; letter < word.size(); ++letter) {
        const CLI::Option *option = FindOption(app, std::string("-") + word[letter]);
        if (!option || !TakesValue(*option))
            continue;
        if (letter + 1 < word.size())
            return "";
        if (i + 1 == words.size())
            return std::string("-") + word[letter] + " needs a value";
        out.push_back(words[++i]);
        return "";
    }
    return "";
}

TWordOrder OrderWords(const CLI::App &app, const std::vector<std::string> &words)
{
    TWordOrder order;
    std::vector<std::string> rest;
    const CLI::App *current = &app;
    bool commandOpen = true;
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size() && order.FormError.empty(); ++i) {
        const std::string &word = words[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
            rest.push_back(word);
        } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            order.FormError = OptionWords(app, words, i, rest);
        } else if (const CLI::App *command = commandOpen ? CommandNamed(*current, word) : nullptr) {
            order.Command.push_back(word);
            current = command;
            commandOpen = !CommandsOf(*command).empty();
        } else {
            if (commandOpen && current != &app && current->get_require_subcommand_min() > 0)
                order.CommandError = current->get_name() + " runs " + CommandList(*current) + ", not \"" + word + "\"";
            commandOpen = false;
            rest.push_back(word);
        }
    }
    if (commandOpen && current != &app && current->get_require_subcommand_min() > 0 && order.CommandError.empty())
        order.CommandError = current->get_name() + " needs a command: " + CommandList(*current);
    order.Words = order.Command;
    order.Words.insert(order.Words.end(), rest.begin(), rest.end());
    return order;
}

// The command CLI11 chose, deepest first found; `app` itself when none.
const CLI::App *ChosenCommand(const CLI::App &app)
{
    const CLI::App *current = &app;
    while (!current->get_subcommands().empty())
        current = current->get_subcommands().front();
    return current;
}

// "usage: morlith-cli [OPTIONS] write-app PACKAGE".
std::string UsageError(const CLI::App &app, const CLI::App &command)
{
    return "usage: " + app.get_name() + " [OPTIONS] " + CommandUsage(command);
}

// The complaint for a CLI11 requirement that failed on `command`.
std::string RequiredProblem(const CLI::App &app, const CLI::App &command, const CLI::Error &error)
{
    for (const CLI::Option *option : command.get_options()) {
        if (option->get_positional() && option->count() == 0)
            return UsageError(app, command);
        if (option->get_required() && option->count() == 0)
            return Joined(CommandPath(command)) + " needs " + option->get_name() + " " + option->get_option_text();
    }
    return error.what();
}

// CLI11's complaint in the tool's words: "--mcu takes ..." rather than "--mcu: takes ...", and
// which options exclude each other.
std::string ParseProblem(const CLI::App &app, const CLI::App &command, const CLI::ParseError &error)
{
    std::string text = error.what();
    if (dynamic_cast<const CLI::RequiredError *>(&error))
        return RequiredProblem(app, command, error);
    if (dynamic_cast<const CLI::ValidationError *>(&error)) {
        const size_t colon = text.find(": takes ");
        if (colon != std::string::npos)
            text.erase(colon, 1);
        return text;
    }
    if (dynamic_cast<const CLI::ExcludesError *>(&error)) {
        const size_t between = text.find(" excludes ");
        if (between != std::string::npos)
            return "give " + text.substr(0, between) + " or " + text.substr(between + 10) + ", not both";
    }
    return text;
}

} // namespace

void PrepareCommandLine(CLI::App &app, const std::string &help, const std::string &version)
{
    app.allow_windows_style_options(false);
    // Words CLI11 does not take are named by ReadCommandLine, in the tool's words.
    app.allow_extras();
    // A command's words may carry the options of the commands above it.
    app.fallthrough();
    app.require_subcommand(0, 1);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.set_help_flag();
    app.add_flag_callback("-h,--help", [] { throw CLI::CallForHelp(); }, help)->trigger_on_parse();
    app.add_flag_callback("-V,--version", [] { throw CLI::CallForVersion(); }, version)->trigger_on_parse();
}

TCommandLineReading ReadCommandLine(CLI::App &app, const std::vector<std::string> &words)
{
    TCommandLineReading reading;
    const TWordOrder order = OrderWords(app, words);
    if (!order.FormError.empty()) {
        reading.Outcome = TCommandLineOutcome::cloError;
        reading.Error = order.FormError;
        return reading;
    }
    std::string parseProblem;
    try {
        // CLI11 takes the words last first.
        app.parse(std::vector<std::string>(order.Words.rbegin(), order.Words.rend()));
    } catch (const CLI::CallForHelp &) {
        reading.Outcome = TCommandLineOutcome::cloHelp;
        return reading;
    } catch (const CLI::CallForVersion &) {
        reading.Outcome = TCommandLineOutcome::cloVersion;
        return reading;
    } catch (const CLI::ParseError &error) {
        parseProblem = ParseProblem(app, *ChosenCommand(app), error);
    }
    const CLI::App &command = *ChosenCommand(app);
    reading.Command = CommandPath(command);
    // The words CLI11 left: options unknown or of other commands, then arguments too many.
    std::string optionProblem;
    std::string leftOverWord;
    for (const std::string &word : app.remaining(true)) {
        if (word == "--" || !optionProblem.empty())
            continue;
        if (word.size() > 1 && word[0] == '-') {
            const std::string name = word.substr(0, word.find('='));
            if (!FindOption(app, name))
                optionProblem = "unknown option " + name;
            else if (&command != &app)
                optionProblem = name + " does not go with " + Joined(reading.Command);
        } else if (leftOverWord.empty()) {
            leftOverWord = word;
        }
    }
    const bool commandless = &command == &app;
    std::string problem = !optionProblem.empty()      ? optionProblem
                          : !order.CommandError.empty() ? order.CommandError
                                                        : parseProblem;
    if (problem.empty() && !leftOverWord.empty())
        problem = !commandless              ? UsageError(app, command)
                  : !CommandsOf(app).empty() ? "unknown command \"" + leftOverWord + "\""
                                            : "unexpected argument \"" + leftOverWord + "\"";
    if (problem.empty() && commandless && !CommandsOf(app).empty())
        problem = "no command given";
    if (!problem.empty()) {
        reading.Outcome = TCommandLineOutcome::cloError;
        reading.Error = problem;
    }
    return reading;
}

std::string CommandUsage(const CLI::App &command)
{
    std::vector<std::string> words = CommandPath(command);
    for (const CLI::Option *option : command.get_options())
        if (option->get_positional())
            words.push_back(option->get_name(true));
    for (const CLI::Option *option : command.get_options())
        if (option->get_required() && !option->get_positional())
            words.push_back(option->get_name() + " " + option->get_option_text());
    if (command.get_require_subcommand_min() > 0)
        words.push_back("COMMAND [ARGS]");
    return Joined(words);
}

} // namespace morlith
