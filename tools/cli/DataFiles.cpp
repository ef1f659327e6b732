// SPDX-License-Identifier: MIT
#include "DataFiles.h"

#include "AtomicFile.h"
#include "FileHandle.h"
#include "Interruption.h"
#include "NumberText.h"
#include "PathText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace morlith::cli {

TTemporaryFile::TTemporaryFile(const std::string &folder)
{
    TFileHandle file;
    if (!file.CreateTemporary(folder, ".morlith-cli-", FPath))
        throw std::system_error(file.LastError(), std::generic_category(), "cannot create a file in " + folder);
    RegisterTemporaryFile(FPath.c_str());
}

TTemporaryFile::~TTemporaryFile()
{
    UnregisterTemporaryFile(FPath.c_str());
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

std::string DescribeDifference(const std::vector<uint8_t> &written, const std::vector<uint8_t> &readBack)
{
    for (size_t i = 0; i < written.size() && i < readBack.size(); ++i) {
        if (written[i] != readBack[i])
            return "first difference at offset " + GroupThousands(i) + " (" + Hex16(uint16_t(i)) + "): wrote " +
                   Hex8(written[i]) + ", read back " + Hex8(readBack[i]);
    }
    if (written.size() > readBack.size())
        return "the data segment holds " + GroupThousands(readBack.size()) + " bytes, the file " +
               GroupThousands(written.size()) + ": first difference at offset " + GroupThousands(readBack.size());
    return "";
}

} // namespace morlith::cli
