// SPDX-License-Identifier: MIT
#include "SocketNameMap.h"

#include "PathText.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace morlith {
namespace {

std::string Trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::optional<TSocketNameMap> ParseSocketNameMap(const std::string &text, std::string &error)
{
    TSocketNameMap map;
    std::istringstream lines(text);
    std::string line;
    for (unsigned number = 1; std::getline(lines, line); ++number) {
        const std::string content = Trimmed(line);
        if (content.empty() || content[0] == '#')
            continue;
        const size_t equals = content.find('=');
        const std::string location = equals == std::string::npos ? "" : Trimmed(content.substr(0, equals));
        const std::string name = equals == std::string::npos ? "" : Trimmed(content.substr(equals + 1));
        const std::string where = "line " + std::to_string(number) + ": ";
        if (location.empty() || name.empty()) {
            error = where + "not LOCATION = NAME";
            return std::nullopt;
        }
        if (!map.emplace(location, name).second) {
            error = where + location + " is named twice";
            return std::nullopt;
        }
    }
    return map;
}

std::optional<TSocketNameMap> ReadSocketNameMap(const std::string &path, std::string &error)
{
    std::error_code missing;
    if (!std::filesystem::exists(PathFromUtf8(path), missing))
        return TSocketNameMap{};
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    const auto map = ParseSocketNameMap(text.str(), error);
    if (!map)
        error = path + ", " + error;
    return map;
}

} // namespace morlith
