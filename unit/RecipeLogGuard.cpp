// SPDX-License-Identifier: MIT
#include "RecipeLogGuard.h"

#include "OperationInput.h"
#include "PathText.h"
#include "SerialCounter.h"

#include <filesystem>
#include <regex>
#include <utility>

namespace fs = std::filesystem;

namespace morlith {
namespace {

// What each field of a read-dseg name can become: numbers, or any text within one folder name.
const std::pair<const char *, const char *> kFieldTexts[] = {
    {kSerialField, "[0-9]+"}, {kMcuField, "[0-9]+"}, {kUnitField, "[^/]+"}, {kPortField, "[^/]*"}, {kTimeField, "[^/]+"},
};

// `path` absolute, with the links of its folder resolved as far as it exists.
std::string Absolute(const std::string &path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(PathFromUtf8(path), error);
    return Utf8OfPath(fs::weakly_canonical(absolute, error).lexically_normal());
}

// The regular expression of the names `pattern` makes; its literal text taken as it is.
std::string NamesExpression(const std::string &pattern)
{
    static const std::string special = "\\^$.|?*+()[]{}";
    std::string expression;
    for (size_t at = 0; at < pattern.size();) {
        bool field = false;
        for (const auto &[name, text] : kFieldTexts)
            if (pattern.compare(at, std::char_traits<char>::length(name), name) == 0) {
                expression += text;
                at += std::char_traits<char>::length(name);
                field = true;
                break;
            }
        if (field)
            continue;
        if (special.find(pattern[at]) != std::string::npos)
            expression += '\\';
        expression += pattern[at++];
    }
    return expression;
}

TFailure Refused(const std::string &logPath, const std::string &file)
{
    TFailure failure = MakeFailure(TFailureKind::fkRefusedInput,
                                   "--log " + logPath + " is the same file as " + file + "; the log would be written into it");
    failure.Path = logPath;
    return failure.During("checking the production log");
}

} // namespace

bool PatternMayName(const std::string &Pattern, const std::string &Path)
{
    // The folder, when it holds no field, is resolved like the path; a field in it is matched as text.
    const fs::path pattern = PathFromUtf8(Pattern);
    const std::string folder = Utf8OfPath(pattern.parent_path());
    const std::string name = Utf8OfPath(pattern.filename());
    const std::string absolute = folder.find('{') == std::string::npos
                                     ? Utf8OfPath(PathFromUtf8(Absolute(folder.empty() ? "." : folder)) / PathFromUtf8(name))
                                     : Utf8OfPath(fs::absolute(pattern).lexically_normal());
    try {
        return std::regex_match(Absolute(Path), std::regex(NamesExpression(absolute)));
    } catch (const std::regex_error &) {
        return false;
    }
}

TFailure RecipeLogRefusal(const TRecipe &Recipe, const std::string &LogPath)
{
    std::vector<std::string> files = {Recipe.Path};
    for (const TRecipeKey &key : Recipe.TrustedKeys)
        files.push_back(key.Path);
    for (const TRecipeStep &step : Recipe.Steps) {
        if (step.Kind == TOperationKind::okReadDataSegment && PatternMayName(step.Path, LogPath))
            return Refused(LogPath, step.File);
        files.push_back(step.Path);
        if (step.Serial) {
            files.push_back(step.Serial->Counter);
            files.push_back(TSerialCounter::LockPathOf(Absolute(step.Serial->Counter)));
        }
    }
    for (const std::string &file : files)
        if (SameFile(LogPath, file))
            return Refused(LogPath, file);
    return TFailure{};
}

} // namespace morlith
