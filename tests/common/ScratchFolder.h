// SPDX-License-Identifier: MIT
#pragma once
// A new, empty folder in the system's temporary folder for one test, removed with its content
// when the test ends.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace morlith::test {

class TScratchFolder {
public:
    explicit TScratchFolder(const std::string &prefix = "morlith-test-")
    {
        std::random_device seed;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && FPath.empty(); ++attempt) {
            const std::filesystem::path candidate = base / (prefix + std::to_string(seed()));
            if (std::filesystem::create_directory(candidate))
                FPath = candidate.string();
        }
        if (FPath.empty())
            throw std::runtime_error("cannot make a scratch folder in " + base.string());
    }
    ~TScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(FPath, ignored);
    }
    TScratchFolder(const TScratchFolder &) = delete;
    TScratchFolder &operator=(const TScratchFolder &) = delete;

    const std::string &Path() const { return FPath; }
    // A path inside the folder.
    std::string File(const std::string &name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

} // namespace morlith::test
