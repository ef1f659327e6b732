// SPDX-License-Identifier: MIT
// Rows for the narrow-path check: each line marked "offends" must be found, no other line.
#include "PathText.h"
#include <filesystem>
#include <string>
namespace fs = std::filesystem;
void Rows(const std::string &name, const fs::path &folder, const fs::file_status &state)
{
    std::error_code error;
    fs::exists(name, error); // offends: a narrow name given to a filesystem call
    fs::remove(fs::path(name)); // offends: a path made from narrow text
    const fs::path made(name); // offends: a path declared from narrow text
    const fs::path braced{name}; // offends: braces alike
    const std::string back = folder.string(); // offends: a path turned into narrow text
    std::filesystem::create_directories(name, error); // offends: with the full namespace
    fs::exists(folder, error);
    fs::exists(state);
    fs::remove(PathFromUtf8(name), error);
    const fs::path empty{};
    const auto parent = PathFromUtf8(name).parent_path();
    fs::create_directories(parent, error);
    const std::string text = Utf8OfPath(folder / "x");
}
