// SPDX-License-Identifier: MIT
#include "StationFileNames.h"

#include "JsonLines.h"
#include "OperationInput.h"
#include "TextFill.h"
#include "PathText.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace morlith {
namespace {

// A pattern for the names `pattern` makes, its {n} caught as the first group.
std::regex NamesOf(const std::string &pattern)
{
    static const std::string special = "\\^$.|?*+()[]{}";
    std::string expression;
    for (size_t at = 0; at < pattern.size();) {
        if (pattern.compare(at, 3, kNumberPlaceholder) == 0) {
            expression += "([0-9]+)";
            at += 3;
        } else if (pattern.compare(at, 6, kTimePlaceholder) == 0) {
            expression += "[0-9TZ.]+";
            at += 6;
        } else if (pattern.compare(at, 6, kPortPlaceholder) == 0) {
            expression += "[^/]*";
            at += 6;
        } else {
            if (special.find(pattern[at]) != std::string::npos)
                expression += '\\';
            expression += pattern[at++];
        }
    }
    return std::regex(expression);
}

} // namespace

std::string FileTime()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    const size_t length = std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", int(millis));
    return text;
}

TStationFileNames::TStationFileNames(std::string pattern, std::string logPath)
    : FPattern(std::move(pattern)), FLogPath(std::move(logPath))
{
    if (FPattern.find(kNumberPlaceholder) == std::string::npos)
        return;
    const std::regex names = NamesOf(FPattern);
    const auto takeNumberOf = [&](const std::string &path) {
        std::smatch match;
        if (std::regex_match(path, match, names) && match.size() >= 2 && match[1].length() <= 9)
            FNumber = std::max(FNumber, unsigned(std::stoul(match[1].str())));
    };
    // The files already there, when their folder is a plain one.
    const std::string folder = Utf8OfPath(PathFromUtf8(FPattern).parent_path());
    if (folder.find('{') == std::string::npos) {
        std::error_code error;
        for (fs::directory_iterator entry(PathFromUtf8(folder.empty() ? "." : folder), error), end; !error && entry != end;
             entry.increment(error))
            takeNumberOf(Utf8OfPath(folder.empty() ? entry->path().filename() : entry->path()));
    }
    // The files the log's records name, wherever they are now.
    std::ifstream log(FLogPath);
    for (std::string line; !FLogPath.empty() && std::getline(log, line);) {
        const auto record = ParseJsonLine(line);
        if (const nlohmann::json *dataFile = record ? JsonField(*record, "data_file") : nullptr)
            takeNumberOf(JsonTextOf(*dataFile, "path"));
    }
}

bool TStationFileNames::Taken(const std::string &name) const
{
    return FGiven.count(name) > 0 || (!FLogPath.empty() && SameFile(name, FLogPath));
}

std::string TStationFileNames::Next(const TPortChoice &port)
{
    const bool numbered = FPattern.find(kNumberPlaceholder) != std::string::npos;
    std::string name;
    for (;;) {
        ++FNumber;
        name = ReplaceAll(ReplaceAll(FileForPort(FPattern, port), kNumberPlaceholder, std::to_string(FNumber)),
                          kTimePlaceholder, FileTime());
        std::error_code error;
        if (!numbered || (!Taken(name) && !fs::exists(fs::symlink_status(PathFromUtf8(name), error))))
            break;
    }
    // Two modules in one millisecond: the second name gets a suffix before its extension.
    const fs::path path = PathFromUtf8(name);
    for (unsigned suffix = 2; Taken(name); ++suffix)
        name = Utf8OfPath(path.parent_path() /
                          PathFromUtf8(Utf8OfPath(path.stem()) + "-" + std::to_string(suffix) + Utf8OfPath(path.extension())));
    FGiven.insert(name);
    return name;
}

} // namespace morlith
