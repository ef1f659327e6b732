// SPDX-License-Identifier: MIT
#include "DocumentSave.h"

#include "DocumentFile.h"

#include "FileHandle.h"
#include "PathText.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace morlith {

namespace {

// Symbolic links followed before giving up, as the kernel does.
constexpr int kMaxLinkHops = 40;

std::string Describe(const char *What, const std::string &Path, int Errno)
{
    return std::string(What) + " " + Path + ": " + std::strerror(Errno);
}

std::string Describe(const char *What, const std::string &Path, const std::error_code &Error)
{
    return std::string(What) + " " + Path + ": " + Error.message();
}

std::string FolderOf(const std::string &Path)
{
    const std::size_t slash = Path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : Path.substr(0, slash);
}

// The file a chain of symbolic links starting at Path ends at (Path itself when it is no link,
// the missing name when a link dangles). False only for a loop or a link that cannot be read.
bool FollowLinks(const std::string &Path, std::string &Target, std::string &Error)
{
    namespace fs = std::filesystem;
    Target = Path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(PathFromUtf8(Target), error)))
            return true;
        const fs::path next = fs::read_symlink(PathFromUtf8(Target), error);
        if (error) {
            Error = Describe("cannot read the link", Target, error);
            return false;
        }
        Target = next.is_absolute() ? Utf8OfPath(next) : FolderOf(Target) + "/" + Utf8OfPath(next);
    }
    Error = Describe("cannot follow", Path, ELOOP);
    return false;
}

// A name in Target's folder that no other save, of this or another process, is using. It carries
// this process's id, so that a later run removes it if this one is killed before the rename.
std::string TemporaryNameFor(const std::string &Target)
{
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = Target.find_last_of('/');
    const std::string name = slash == std::string::npos ? Target : Target.substr(slash + 1);
    const std::string folder = FolderOf(Target);
    RemoveAbandonedTemporaries(folder);
    char suffix[48];
    // The process's id tells processes apart; the counter, the saves of one process.
    std::snprintf(suffix, sizeof suffix, "-%d-%06x", ThisProcessId(), counter++ & 0xFFFFFFu);
    return (folder == "/" ? "" : folder) + "/.morlith-" + name + suffix;
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

// Flushes the folder's entries, so that a rename in it survives a crash.
bool SyncFolder(const std::string &Folder, std::string &Error)
{
    const int problem = FlushFolder(Folder);
    if (problem != 0)
        Error = Describe("cannot flush the folder", Folder, problem);
    return problem == 0;
}

// Writes Content to a new temporary file beside Target with the permission bits of the previous
// file (none: 0666 less the umask); its name, or "" with Error set.
std::string WriteTemporary(const std::string &Target, const std::string &Content, bool HadPrevious,
                           std::string &Error)
{
    const std::string temporary = TemporaryNameFor(Target);
    if (!WriteWholeFile(temporary, Content, Error, Target))
        return "";
    std::error_code error;
    if (HadPrevious) {
        const auto bits =
            std::filesystem::status(PathFromUtf8(Target), error).permissions() & std::filesystem::perms::all;
        if (!error)
            std::filesystem::permissions(PathFromUtf8(temporary), bits, error);
    }
    if (error) {
        Error = Describe("cannot set the permissions of", Target, error);
        RemoveFile(temporary);
        return "";
    }
    return temporary;
}

} // namespace

bool SaveDocumentFile(const std::string &Path, const std::string &Content, std::string &Error)
{
    std::string target;
    if (!FollowLinks(Path, target, Error))
        return false;
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
    const std::string temporary = WriteTemporary(target, Content, hadPrevious, Error);
    if (temporary.empty())
        return false;
    int renameError = 0;
    if (!RenameOver(temporary, target, renameError)) {
        Error = Describe("cannot replace", target, renameError);
        RemoveFile(temporary);
        return false;
    }
    if (!SyncFolder(FolderOf(target), Error))
        return false;
    if (hadPrevious)
        RemoveFile(backup);
    return true;
}

} // namespace morlith
