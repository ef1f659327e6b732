// SPDX-License-Identifier: MIT
#pragma once
// Data-segment files on the tool's side: a temporary file that the engine writes into, put in
// place without replacing an existing file unless asked, and the comparison behind --verify.

#include "OperationInput.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morlith::cli {

// A new empty file, removed when this object goes unless Keep() was called.
class TTemporaryFile {
public:
    // Creates a hidden file in `folder` with the mode a new file there gets; throws
    // std::system_error when it cannot be made. A second stop signal removes it too.
    explicit TTemporaryFile(const std::string &folder);
    ~TTemporaryFile();
    TTemporaryFile(const TTemporaryFile &) = delete;
    TTemporaryFile &operator=(const TTemporaryFile &) = delete;

    // The file's path.
    const std::string &Path() const { return FPath; }
    // Leaves the file where it is.
    void Keep() { FKeep = true; }

private:
    std::string FPath;
    bool FKeep = false;
};

// The folder for scratch files: the system's temporary folder ($TMPDIR, else /tmp; on Windows %TEMP%).
std::string TemporaryFolder();

// "" when `path` may be created (or, with `replace`, replaced) as a data file; otherwise the
// problem, naming the file.
std::string CheckNewFile(const std::string &path, bool replace);

} // namespace morlith::cli
