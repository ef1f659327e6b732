#include "DocumentSave.h"

#include "DocumentFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith {

namespace {

// Symbolic links followed before giving up, as the kernel does.
constexpr int kMaxLinkHops = 40;

std::string Describe(const char *What, const std::string &Path, int Errno)
{
    return std::string(What) + " " + Path + ": " + std::strerror(Errno);
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
    Target = Path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(Target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        char text[PATH_MAX];
        const ssize_t length = ::readlink(Target.c_str(), text, sizeof text - 1);
        if (length < 0) {
            Error = Describe("cannot read the link", Target, errno);
            return false;
        }
        const std::string next(text, static_cast<std::size_t>(length));
        Target = next.front() == '/' ? next : FolderOf(Target) + "/" + next;
    }
    Error = Describe("cannot follow", Path, ELOOP);
    return false;
}

// A name in Target's folder that no other save, of this or another process, is using.
std::string TemporaryNameFor(const std::string &Target)
{
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::size_t slash = Target.find_last_of('/');
    const std::string name = slash == std::string::npos ? Target : Target.substr(slash + 1);
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.%llx", static_cast<long>(::getpid()), counter++,
                  static_cast<unsigned long long>(ticks));
    const std::string folder = FolderOf(Target);
    return (folder == "/" ? "" : folder) + "/." + name + suffix;
}

// Puts the previous file under the backup name as well: a second hard link, or a copy where the
// file system has none. A file already standing under that name is replaced.
bool MakeBackup(const std::string &Target, const std::string &Backup, std::string &Error)
{
    if (::unlink(Backup.c_str()) != 0 && errno != ENOENT) {
        Error = Describe("cannot make the backup", Backup, errno);
        return false;
    }
    if (::link(Target.c_str(), Backup.c_str()) == 0)
        return true;
    std::string content;
    return ReadWholeFile(Target, SIZE_MAX, content, Error) && WriteWholeFile(Backup, content, Error);
}

// Flushes the folder's entries, so that a rename in it survives a crash.
bool SyncFolder(const std::string &Folder, std::string &Error)
{
    const int fd = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        Error = Describe("cannot open the folder", Folder, errno);
        return false;
    }
    // EINVAL: a file system whose folders cannot be synced.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int syncErrno = errno;
    ::close(fd);
    if (!synced)
        Error = Describe("cannot flush the folder", Folder, syncErrno);
    return synced;
}

// Writes Content to a new temporary file beside Target with the given permission bits (none:
// 0666 less the umask); its name, or "" with Error set.
std::string WriteTemporary(const std::string &Target, const std::string &Content, const struct stat *Previous,
                           std::string &Error)
{
    const std::string temporary = TemporaryNameFor(Target);
    if (!WriteWholeFile(temporary, Content, Error, Target))
        return "";
    if (Previous && ::chmod(temporary.c_str(), Previous->st_mode & 0777) != 0) {
        Error = Describe("cannot set the permissions of", Target, errno);
        ::unlink(temporary.c_str());
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
    struct stat previous {};
    const bool hadPrevious = ::stat(target.c_str(), &previous) == 0;
    if (hadPrevious && !S_ISREG(previous.st_mode)) {
        Error = "not a regular file: " + Path;
        return false;
    }
    const std::string backup = BackupNameFor(target);
    // Without a backup the previous file would be at risk: write nothing then.
    if (hadPrevious && !MakeBackup(target, backup, Error))
        return false;
    const std::string temporary = WriteTemporary(target, Content, hadPrevious ? &previous : nullptr, Error);
    if (temporary.empty())
        return false;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        Error = Describe("cannot replace", target, errno);
        ::unlink(temporary.c_str());
        return false;
    }
    if (!SyncFolder(FolderOf(target), Error))
        return false;
    if (hadPrevious)
        ::unlink(backup.c_str());
    return true;
}

} // namespace morlith
