// SPDX-License-Identifier: MIT
#include "DocumentSave.h"

#include "DocumentFile.h"

#include "AtomicFile.h"
#include "FileHandle.h"
#include "PathText.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace morlith {

namespace {

std::string Describe(const char *What, const std::string &Path, int Errno)
{
    return std::string(What) + " " + Path + ": " + std::strerror(Errno);
}

std::string Describe(const char *What, const std::string &Path, const std::error_code &Error)
{
    return std::string(What) + " " + Path + ": " + Error.message();
}

// Puts the previous file under the backup name as well: a second hard link, or a copy where the
// file system has none. A file already standing under that name is replaced.
bool MakeBackup(const std::string &Target, const std::string &Backup, std::string &Error)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status standing = fs::symlink_status(PathFromUtf8(Backup), error);
    // A folder is not removed, as unlink(2) would not either.
    if (fs::is_directory(standing)) {
        Error = Describe("cannot make the backup", Backup, EISDIR);
        return false;
    }
    if (fs::exists(standing) && !fs::remove(PathFromUtf8(Backup), error)) {
        Error = Describe("cannot make the backup", Backup, error);
        return false;
    }
    fs::create_hard_link(PathFromUtf8(Target), PathFromUtf8(Backup), error);
    if (!error)
        return true;
    std::string content;
    return ReadWholeFile(Target, SIZE_MAX, content, Error) && WriteWholeFile(Backup, content, Error);
}

} // namespace

bool SaveDocumentFile(const std::string &Path, const std::string &Content, std::string &Error)
{
    std::string target;
    TFailure failure = FollowLinks(Path, target);
    if (failure.Failed()) {
        Error = failure.Detail;
        return false;
    }
    std::error_code error;
    const std::filesystem::file_status previous = std::filesystem::status(PathFromUtf8(target), error);
    const bool hadPrevious = !error && std::filesystem::exists(previous);
    if (hadPrevious && !std::filesystem::is_regular_file(previous)) {
        Error = "not a regular file: " + Path;
        return false;
    }
    const std::string backup = BackupNameFor(target);
    // Without a backup the previous file would be at risk: write nothing then.
    if (hadPrevious && !MakeBackup(target, backup, Error))
        return false;
    failure = ReplaceFileAtomically(target, Content);
    if (failure.Failed()) {
        Error = failure.Detail;
        return false;
    }
    if (hadPrevious)
        RemoveFile(backup);
    return true;
}

} // namespace morlith
