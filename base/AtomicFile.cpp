// SPDX-License-Identifier: MIT
#include "AtomicFile.h"

#include "FileHandle.h"
#include "PathText.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace morlith {
namespace {

namespace fs = std::filesystem;

// Symbolic links followed before giving up, as the kernel does.
constexpr int kMaxLinkHops = 40;

TFailure FileFailure(int error, const std::string &what, const std::string &path)
{
    TFailure failure = OsFailure(error, what, path);
    failure.Kind = TFailureKind::fkFile;
    failure.Path = path;
    return failure;
}

// Writes the bytes to a new temporary file beside `path`, synced, with the permission bits of the
// file it will replace; its name in `temporary`. The file is removed again on failure.
TFailure WriteTemporary(const std::string &path, const void *data, size_t size, std::string &temporary)
{
    TFileHandle file;
    if (!file.CreateTemporary(FolderOf(path), ".morlith-", temporary))
        return FileFailure(file.LastError(), "cannot create", path);
    const char *problem = nullptr;
    if (!file.WriteAll(data, size))
        problem = "cannot write";
    else if (!file.TakePermissionsOf(path))
        problem = "cannot set the permissions of";
    // EINVAL: a file that cannot be synced (a special file system); nothing more can be done.
    else if (!file.Sync() && file.LastError() != EINVAL)
        problem = "cannot write";
    if (problem == nullptr && !file.Close())
        problem = "cannot close";
    if (problem == nullptr)
        return TFailure{};
    const int error = file.LastError();
    (void)file.Close();
    RemoveFile(temporary);
    return FileFailure(error, problem, path);
}

} // namespace

std::string FolderOf(const std::string &path)
{
    const std::string folder = Utf8OfPath(PathFromUtf8(path).parent_path());
    return folder.empty() ? "." : folder;
}

TFailure FollowLinks(const std::string &path, std::string &target)
{
    target = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(PathFromUtf8(target), error)))
            return TFailure{};
        const fs::path next = fs::read_symlink(PathFromUtf8(target), error);
        if (error)
            return FileFailure(error.value(), "cannot read the link", target);
        target = next.is_absolute() ? Utf8OfPath(next) : FolderOf(target) + "/" + Utf8OfPath(next);
    }
    return FileFailure(ELOOP, "cannot follow", path);
}

TFailure ReplaceFileAtomically(const std::string &path, const void *data, size_t size, TExistingFile existing)
{
    std::error_code error;
    const fs::file_status standing = fs::symlink_status(PathFromUtf8(path), error);
    if (fs::exists(standing) && !fs::is_regular_file(standing) && !fs::is_symlink(standing)) {
        TFailure refused = FileFailure(fs::is_directory(standing) ? EISDIR : EEXIST, "cannot replace", path);
        refused.Detail = "not a regular file: " + path;
        return refused;
    }
    std::string temporary;
    TFailure failure = WriteTemporary(path, data, size, temporary);
    if (failure.Failed())
        return failure;
    int moveError = 0;
    // A file at `path`, even one made while the bytes were written, stays with efKeep.
    const bool moved = existing == TExistingFile::efKeep ? PlaceNewFile(temporary, path, moveError)
                                                         : RenameOver(temporary, path, moveError);
    if (!moved) {
        RemoveFile(temporary);
        return FileFailure(moveError, existing == TExistingFile::efKeep ? "cannot create" : "cannot replace", path);
    }
    // Makes the rename itself survive a crash.
    if (const int flushError = FlushFolder(FolderOf(path)))
        return FileFailure(flushError, "cannot flush the folder of", path);
    return TFailure{};
}

} // namespace morlith
