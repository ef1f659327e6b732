// SPDX-License-Identifier: MIT
#include "HelpFormatter.h"

#include "CommandWords.h"

#include <algorithm>
#include <sstream>

namespace morlith {

const char *const kCommandOwnGroup = "command's own";
const char *const kUnlistedGroup = "unlisted";

namespace {

constexpr size_t kWidth = 80;
// Where a command's description starts.
constexpr size_t kCommandColumn = 27;
// How much further the later lines of an option beneath its command are indented.
constexpr size_t kHangingIndent = 2;

// `left` at `indent`, then `text` wrapped at kWidth with its later lines at `column`. The text
// starts at `column` too, on the next line when `left` reaches into it; with `column` at or
// before the end of `left` (an option beneath its command), two spaces after `left`.
std::string Entry(size_t indent, const std::string &left, const std::string &text, size_t column)
{
    std::string out = std::string(indent, ' ') + left;
    if (text.empty())
        return out + "\n";
    if (column <= indent)
        out += "  ";
    else if (out.size() + 2 > column)
        out += "\n" + std::string(column, ' ');
    else
        out.append(column - out.size(), ' ');
    const size_t continuation = column <= indent ? indent + kHangingIndent : column;
    size_t lineStart = out.rfind('\n') == std::string::npos ? 0 : out.rfind('\n') + 1;
    bool first = true;
    std::istringstream words(text);
    for (std::string word; words >> word; first = false) {
        if (!first && out.size() - lineStart + 1 + word.size() > kWidth) {
            out += "\n";
            lineStart = out.size();
            out.append(continuation, ' ');
        } else if (!first) {
            out += " ";
        }
        out += word;
    }
    return out + "\n";
}

// "-p, --port P", and "--timeout MS", with `aligned` "    --timeout MS".
std::string OptionNames(const CLI::Option &option, bool aligned)
{
    std::string names = !option.get_snames().empty() ? "-" + option.get_snames().front() + ", " : aligned ? "    " : "";
    names += "--" + option.get_lnames().front();
    return option.get_option_text().empty() ? names : names + " " + option.get_option_text();
}

bool Listed(const CLI::App &command) { return !command.get_group().empty(); }

bool IsHelpOrVersion(const CLI::Option &option)
{
    const auto &names = option.get_lnames();
    return std::find(names.begin(), names.end(), "help") != names.end() ||
           std::find(names.begin(), names.end(), "version") != names.end();
}

// The listed options of `app` and of every listed command under it, each name once.
void CollectOptions(const CLI::App &app, std::vector<const CLI::Option *> &options)
{
    for (const CLI::Option *option : app.get_options()) {
        const std::string &group = option->get_group();
        if (option->get_positional() || group.empty() || group == kCommandOwnGroup || group == kUnlistedGroup)
            continue;
        const bool seen = std::any_of(options.begin(), options.end(), [&](const CLI::Option *o) {
            return o->get_lnames() == option->get_lnames();
        });
        if (seen)
            continue;
        options.push_back(option);
    }
    for (const CLI::App *command : app.get_subcommands([](const CLI::App *c) { return Listed(*c); }))
        CollectOptions(*command, options);
}

// Each item drawn by `draw` under its group's title, the groups in the order they first appear.
template <typename T, typename Draw> std::string Grouped(const std::vector<const T *> &items, const Draw &draw)
{
    std::vector<std::string> groups;
    for (const T *item : items)
        if (std::find(groups.begin(), groups.end(), item->get_group()) == groups.end())
            groups.push_back(item->get_group());
    std::string out;
    for (const std::string &group : groups) {
        out += "\n" + group + ":\n";
        for (const T *item : items)
            if (item->get_group() == group)
                out += draw(*item);
    }
    return out;
}

} // namespace

THelpFormatter::THelpFormatter(size_t optionColumn) : FOptionColumn(optionColumn) {}

std::string THelpFormatter::make_help(const CLI::App *app, std::string, CLI::AppFormatMode) const
{
    std::string footer = app->get_footer();
    if (!footer.empty() && footer.back() != '\n')
        footer += "\n";
    return app->get_description() + Commands(*app) + Options(*app) + (footer.empty() ? "" : "\n" + footer);
}

std::string THelpFormatter::Commands(const CLI::App &app) const
{
    return Grouped(app.get_subcommands([](const CLI::App *c) { return Listed(*c); }),
                   [this](const CLI::App &command) { return CommandEntry(command); });
}

std::string THelpFormatter::CommandEntry(const CLI::App &command) const
{
    std::string out = Entry(2, CommandUsage(command), command.get_description(), kCommandColumn);
    for (const CLI::Option *option : command.get_options())
        if (option->get_group() == kCommandOwnGroup)
            out += Entry(kCommandColumn, OptionNames(*option, false), option->get_description(), kCommandColumn);
    for (const CLI::App *own : command.get_subcommands([](const CLI::App *c) { return Listed(*c); }))
        out += CommandEntry(*own);
    return out;
}

std::string THelpFormatter::Options(const CLI::App &app) const
{
    std::vector<const CLI::Option *> options;
    CollectOptions(app, options);
    // Help and version close the list.
    std::stable_partition(options.begin(), options.end(), [](const CLI::Option *o) { return !IsHelpOrVersion(*o); });
    return Grouped(options, [this](const CLI::Option &option) {
        return Entry(2, OptionNames(option, true), option.get_description(), FOptionColumn);
    });
}

} // namespace morlith
