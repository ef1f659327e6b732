// SPDX-License-Identifier: MIT
#pragma once
// Whole-file helpers every test folder shares: reading and writing a file at once, and the scan
// for temporary files a command left behind.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace morlith::test {

// The whole content of `path`, or `whenMissing` when it cannot be read.
inline std::string ReadText(const std::string &path, const std::string &whenMissing = "")
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return whenMissing;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The whole content of `path` as bytes (none when it cannot be read).
inline std::vector<uint8_t> ReadBytes(const std::string &path)
{
    const std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The lines of `path`, without their line ends.
inline std::vector<std::string> ReadLines(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// Replaces `path` with `text`.
inline void WriteText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// True when something (a dangling link too) stands at `path`.
inline bool Exists(const std::string &path)
{
    std::error_code ignored;
    return std::filesystem::symlink_status(path, ignored).type() != std::filesystem::file_type::not_found;
}

// The names in `folder`, hidden ones included, sorted.
inline std::set<std::string> NamesIn(const std::string &folder)
{
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator(folder, ignored))
        names.insert(entry.path().filename().string());
    return names;
}

// The hidden names the programs give their temporary files, found in `folder`.
inline std::vector<std::string> TemporaryFilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    for (const std::string &name : NamesIn(folder))
        if (name.rfind(".morlith", 0) == 0)
            names.push_back(name);
    return names;
}

} // namespace morlith::test
