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

// Creates a new, empty file next to `path` with mode 0666 less the umask (the kernel applies it,
// so the process-wide umask is never touched); its name goes to `temporary`.
int CreateTemporaryBeside(const std::string &folder, std::string &temporary)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "/.morlith-";
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[random() % (sizeof kLetters - 1)];
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// A replaced regular file lends its permission bits to its successor, and nothing more: never
// setuid, setgid or sticky bits, and never the mode of what a symbolic link points to.
void KeepPermissionsOf(const std::string &path, int fd)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        (void)::fchmod(fd, st.st_mode & 0777);
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

void WriteFileAtomically(const std::string &path, const uint8_t *data, size_t size, TExistingFile existing)
{
    const std::string folder = FolderOf(path);
    std::string temporary;
    FileDescriptor file(CreateTemporaryBeside(folder, temporary));
    if (file.Get() < 0)
        Raise(errno, "cannot create data file", path);
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
    KeepPermissionsOf(path, file.Get());
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
