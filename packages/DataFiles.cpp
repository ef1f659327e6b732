// SPDX-License-Identifier: MIT
#include "DataFiles.h"

#include "AtomicFile.h"
#include "FileHandle.h"
#include "NumberText.h"
#include "PathText.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace morlith {
namespace {

std::atomic<TTemporaryFileNotice> gMade{nullptr};
std::atomic<TTemporaryFileNotice> gGone{nullptr};

} // namespace

void SetTemporaryFileNotices(TTemporaryFileNotice made, TTemporaryFileNotice gone)
{
    gMade = made;
    gGone = gone;
}

TTemporaryFile::TTemporaryFile(const std::string &folder)
{
    TFileHandle file;
    if (!file.CreateTemporary(folder, ".morlith-cli-", FPath))
        throw std::system_error(file.LastError(), std::generic_category(), "cannot create a file in " + folder);
    if (const TTemporaryFileNotice made = gMade)
        made(FPath.c_str());
}

TTemporaryFile::~TTemporaryFile()
{
    if (const TTemporaryFileNotice gone = gGone)
        gone(FPath.c_str());
    if (!FKeep)
        RemoveFile(FPath);
}

std::string TemporaryFolder()
{
    std::error_code error;
    const fs::path folder = fs::temp_directory_path(error);
    return error ? "." : Utf8OfPath(folder);
}

std::string CheckNewFile(const std::string &path, bool replace)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(PathFromUtf8(path), error);
    if (fs::exists(status)) {
        if (fs::is_directory(status))
            return path + ": is a folder";
        if (!replace)
            return path + " exists; give --force to replace it";
        if (!fs::is_regular_file(status) && !fs::is_symlink(status))
            return path + ": is not a regular file";
    }
    const std::string folder = FolderOf(path);
    const fs::file_status folderStatus = fs::status(PathFromUtf8(folder), error);
    if (error)
        return path + ": folder " + folder + ": " + error.message();
    if (!fs::is_directory(folderStatus))
        return path + ": " + folder + " is not a folder";
    if (const int problem = FolderWriteProblem(folder))
        return path + ": cannot write in " + folder + ": " + std::strerror(problem);
    return "";
}

} // namespace morlith
