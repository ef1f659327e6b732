#include "DataFile.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace morlith {
namespace {

[[noreturn]] void Raise(int err, const std::string &what, const std::string &path)
{
    throw std::system_error(err, std::generic_category(), what + " " + path);
}

// Closes a descriptor on every path out of a scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : FFd(fd) {}
    ~FileDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int Get() const { return FFd; }
    // Closes now and reports the result (a delayed write error shows here).
    int Close() { return ::close(std::exchange(FFd, -1)); }

private:
    int FFd;
};

std::string FolderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Puts `temporary` at `path` unless something is there: a hard link fails when `path` exists.
// File systems without hard links get a check and a rename.
int PlaceWithoutReplacing(const std::string &temporary, const std::string &path)
{
    if (::link(temporary.c_str(), path.c_str()) == 0)
        return 0;
    if (errno == EEXIST)
        return EEXIST;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0)
        return EEXIST;
    return ::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
}

} // namespace

std::vector<uint8_t> ReadWholeFile(const std::string &path)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        Raise(errno, "cannot open data file", path);
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Raise(errno, "cannot read data file", path);
        if (n == 0)
            break;
        data.insert(data.end(), buffer, buffer + n);
    }
    return data;
}

int CreateUniqueFile(const std::string &folder, const std::string &prefix, std::string &path)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + "/" + prefix;
        for (int i = 0; i < 6; ++i)
            path += kLetters[random() % (sizeof kLetters - 1)];
        // The kernel applies the umask, so the process-wide umask is never touched.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            break;
    }
    Raise(errno, "cannot create a file in", folder);
}

void CopyPermissionBits(const std::string &path, int fd)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        (void)::fchmod(fd, st.st_mode & 0777);
}

void WriteFileAtomically(const std::string &path, const uint8_t *data, size_t size, TExistingFile existing)
{
    const std::string folder = FolderOf(path);
    std::string temporary;
    int fd = -1;
    try {
        fd = CreateUniqueFile(folder, ".morlith-", temporary);
    } catch (const std::system_error &error) {
        Raise(error.code().value(), "cannot create data file", path);
    }
    FileDescriptor file(fd);
    struct TemporaryGuard {
        std::string name;
        bool keep = false;
        ~TemporaryGuard()
        {
            if (!keep)
                ::unlink(name.c_str());
        }
    } guard{temporary};

    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(file.Get(), data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Raise(n < 0 ? errno : EIO, "cannot write data file", path);
        done += size_t(n);
    }
    CopyPermissionBits(path, file.Get());
    if (::fsync(file.Get()) != 0)
        Raise(errno, "cannot write data file", path);
    if (file.Close() != 0)
        Raise(errno, "cannot close data file", path);
    if (existing == TExistingFile::efKeep) {
        // The guard removes the temporary name once the file also stands at `path`.
        if (const int err = PlaceWithoutReplacing(temporary, path))
            Raise(err, "cannot create data file", path);
    } else if (::rename(temporary.c_str(), path.c_str()) != 0) {
        Raise(errno, "cannot replace data file", path);
    } else {
        guard.keep = true;
    }
    // Make the rename itself durable.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        (void)::fsync(dir.Get());
}

} // namespace morlith
