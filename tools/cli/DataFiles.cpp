#include "DataFiles.h"

#include "DataFile.h"
#include "Interruption.h"
#include "NumberText.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace morlith::cli {
namespace {

} // namespace

TTemporaryFile::TTemporaryFile(const std::string &folder, const std::string &modeOf)
{
    const int fd = CreateUniqueFile(folder, ".morlith-cli-", FPath);
    // The engine gives the file it writes the permissions of the file it replaces: this one's.
    if (!modeOf.empty())
        CopyPermissionBits(modeOf, fd);
    ::close(fd);
    RegisterTemporaryFile(FPath.c_str());
}

TTemporaryFile::~TTemporaryFile()
{
    UnregisterTemporaryFile(FPath.c_str());
    if (!FKeep)
        ::unlink(FPath.c_str());
}

std::string TemporaryFolder()
{
    const char *folder = std::getenv("TMPDIR");
    return folder && folder[0] == '/' ? folder : "/tmp";
}

std::string FolderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string PlaceFile(const std::string &from, const std::string &to, bool replace)
{
    if (replace)
        return ::rename(from.c_str(), to.c_str()) == 0 ? "" : to + ": " + std::strerror(errno);
    // A hard link fails when `to` exists, so a file made meanwhile is never replaced.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return "";
    }
    const int linkError = errno;
    if (linkError == EEXIST)
        return to + " exists; give --force to replace it";
    // File systems without hard links: check, then rename.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0)
        return to + " exists; give --force to replace it";
    return ::rename(from.c_str(), to.c_str()) == 0 ? "" : to + ": " + std::strerror(errno);
}

std::string CheckNewFile(const std::string &path, bool replace)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return path + ": is a folder";
        if (!replace)
            return path + " exists; give --force to replace it";
        if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
            return path + ": is not a regular file";
    }
    const std::string folder = FolderOf(path);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0)
        return path + ": folder " + folder + ": " + std::strerror(errno);
    if (!S_ISDIR(folderInfo.st_mode))
        return path + ": " + folder + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return path + ": cannot write in " + folder + ": " + std::strerror(errno);
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
