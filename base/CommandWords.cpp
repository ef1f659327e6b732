// SPDX-License-Identifier: MIT
#include "CommandWords.h"

#include <CLI/CLI.hpp>

#include <map>

namespace morlith {
namespace {

// "--name" of a word "--name=value", or "" when the word is no such thing.
std::string LongNameBeforeEquals(const std::string &word)
{
    const size_t equals = word.find('=');
    return word.rfind("--", 0) == 0 && equals != std::string::npos ? word.substr(0, equals) : "";
}

const TOptionName *FindLong(const std::vector<TOptionName> &known, const std::string &dashed)
{
    for (const TOptionName &option : known)
        if ("--" + option.Long == dashed)
            return &option;
    return nullptr;
}

// The option a value is missing for: CLI11 takes any next word as a value, so it can only be
// the last word's (its last letter when the word is a group of short options).
std::string OptionOfLastWord(const std::vector<std::string> &words)
{
    const std::string &last = words.back();
    return last.rfind("--", 0) == 0 ? last : std::string("-") + last.back();
}

} // namespace

TCommandWords SplitCommandWords(const std::vector<std::string> &words, const std::vector<TOptionName> &known)
{
    TCommandWords split;
    CLI::App app;
    app.set_help_flag();
    // A word starting with '/' is a path on every platform, never an option as CLI11 takes it on
    // Windows by default.
    app.allow_windows_style_options(false);
    // Unknown options are left over and named below, in the tool's words.
    app.allow_extras();
    std::map<const CLI::Option *, size_t> indexOf;
    for (size_t i = 0; i < known.size(); ++i) {
        const std::string names = (known[i].Short ? std::string("-") + known[i].Short + "," : "") + "--" + known[i].Long;
        CLI::Option *option = known[i].TakesValue
                                  ? app.add_option(names)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                                  : app.add_flag(names)->disable_flag_override();
        indexOf[option] = i;
    }
    app.add_option("words", split.Words);

    // CLI11 takes the words last first. "--name=" with nothing after it gives the option an
    // empty value, as "--name ''" does.
    std::vector<std::string> reversed;
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        const TOptionName *option = FindLong(known, LongNameBeforeEquals(*word));
        if (option && option->TakesValue && word->back() == '=') {
            reversed.push_back("");
            reversed.push_back(word->substr(0, word->size() - 1));
        } else {
            reversed.push_back(*word);
        }
    }
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch &) {
        // A flag given a value ("--quiet=1"), or an option without its value at the end.
        for (const std::string &word : words) {
            const TOptionName *option = FindLong(known, LongNameBeforeEquals(word));
            if (option && !option->TakesValue) {
                split.Problem = TCommandLineProblem::clpTakesNoValue;
                split.Subject = LongNameBeforeEquals(word);
                return split;
            }
        }
        split.Problem = TCommandLineProblem::clpNeedsValue;
        split.Subject = OptionOfLastWord(words);
        return split;
    } catch (const CLI::ParseError &error) {
        split.Problem = TCommandLineProblem::clpOther;
        split.Subject = error.what();
        return split;
    }
    for (const std::string &left : app.remaining()) {
        // CLI11 keeps the "--" that ended the options among what it did not take.
        if (left == "--")
            continue;
        split.Problem = TCommandLineProblem::clpUnknownOption;
        const std::string name = LongNameBeforeEquals(left);
        split.Subject = name.empty() ? left : name;
        return split;
    }
    std::map<const CLI::Option *, size_t> taken;
    for (const CLI::Option *option : app.parse_order()) {
        const auto index = indexOf.find(option);
        if (index == indexOf.end())
            continue;
        const size_t n = taken[option]++;
        const auto &results = option->results();
        split.Options.emplace_back(index->second, known[index->second].TakesValue && n < results.size() ? results[n] : "");
    }
    return split;
}

} // namespace morlith
