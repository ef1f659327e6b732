// SPDX-License-Identifier: MIT
#pragma once
// File names travel through the program as UTF-8 text. These turn them into std::filesystem paths
// and back without the system's narrow code page, which on Windows cannot hold every name (a
// Cyrillic name under a Western code page, a Japanese one under a Russian code page). On Linux
// both are the bytes themselves.

#include <filesystem>
#include <string>

namespace morlith {

// The path named by the UTF-8 text `utf8`.
inline std::filesystem::path PathFromUtf8(const std::string &utf8) { return std::filesystem::u8path(utf8); }

// The UTF-8 text of `path`.
inline std::string Utf8OfPath(const std::filesystem::path &path) { return path.u8string(); }

} // namespace morlith
