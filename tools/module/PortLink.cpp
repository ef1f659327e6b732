// SPDX-License-Identifier: MIT
#include "PortLink.h"

#include "PortMap.h"
#include "PathText.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith {
namespace {

std::string ErrnoText(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

} // namespace

TPortLink::TPortLink(unsigned comNumber, const std::string &target)
    : FPortName("COM" + std::to_string(comNumber)), FTarget(target)
{
    const std::string directory = PortMapDirectory();
    std::error_code error;
    std::filesystem::create_directories(PathFromUtf8(directory), error);
    if (error)
        throw std::runtime_error("cannot create the port map directory " + directory + ": " +
                                 error.message());
    FPath = directory + "/" + FPortName;
    struct stat entry{};
    if (lstat(FPath.c_str(), &entry) == 0 && !S_ISLNK(entry.st_mode))
        throw std::runtime_error("refusing to replace " + FPath + ": it is not a symbolic link");
    // A new link under a private name, renamed over the old one: the entry is never missing.
    const std::string staging = FPath + ".new-" + std::to_string(getpid());
    unlink(staging.c_str());
    if (symlink(target.c_str(), staging.c_str()) != 0)
        throw std::runtime_error(ErrnoText("cannot create the link " + staging));
    if (rename(staging.c_str(), FPath.c_str()) != 0) {
        const std::string message = ErrnoText("cannot link " + FPath);
        unlink(staging.c_str());
        throw std::runtime_error(message);
    }
}

TPortLink::~TPortLink()
{
    std::error_code error;
    if (Utf8OfPath(std::filesystem::read_symlink(PathFromUtf8(FPath), error)) == FTarget && !error)
        unlink(FPath.c_str());
}

} // namespace morlith
