// SPDX-License-Identifier: MIT
#pragma once
// Files a command makes: a temporary file written into and put in place, and the check that a
// new file may be made where it is asked for without replacing one unless asked.

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// A new empty file, removed when this object goes unless Keep() was called.
class TTemporaryFile {
public:
    // Creates a hidden file in `folder` with the mode a new file there gets; throws
    // std::system_error when it cannot be made. The notices (SetTemporaryFileNotices) are told.
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

// Told of every temporary file when it is made and when it goes, so that a front end that must end
// at once can still remove it; `path` stays valid until `gone`. None by default.
using TTemporaryFileNotice = void (*)(const char *path);
void SetTemporaryFileNotices(TTemporaryFileNotice made, TTemporaryFileNotice gone);

// The folder for scratch files: the system's temporary folder ($TMPDIR, else /tmp; on Windows %TEMP%).
std::string TemporaryFolder();

// "" when `path` may be created (or, with `replace`, replaced) as a data file; otherwise the
// problem, naming the file.
std::string CheckNewFile(const std::string &path, bool replace);

} // namespace morlith
