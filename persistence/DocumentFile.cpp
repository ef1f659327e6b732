#include "DocumentFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith {

namespace {

std::string Describe(const char *What, const std::string &Path, int Errno)
{
    return std::string(What) + " " + Path + ": " + std::strerror(Errno);
}

// Closes the descriptor on every path out.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int Fd) : FFd(Fd) {}
    ~TFileDescriptor() { Close(); }
    TFileDescriptor(const TFileDescriptor &) = delete;
    TFileDescriptor &operator=(const TFileDescriptor &) = delete;
    int Get() const { return FFd; }
    // Closes now; returns the result of close(2).
    int Close()
    {
        const int result = FFd >= 0 ? ::close(FFd) : 0;
        FFd = -1;
        return result;
    }

private:
    int FFd;
};

bool WriteAll(int Fd, const char *Data, std::size_t Size)
{
    while (Size > 0) {
        const ssize_t written = ::write(Fd, Data, Size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        Data += written;
        Size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

TPathState PathState(const std::string &Path)
{
    struct stat info {};
    if (::stat(Path.c_str(), &info) != 0)
        return TPathState::psMissing;
    return S_ISREG(info.st_mode) ? TPathState::psRegularFile : TPathState::psOther;
}

std::string BackupNameFor(const std::string &Path)
{
    const std::size_t slash = Path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = Path.find_last_of('.');
    // A leading dot (".config") starts a hidden name, not an extension.
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    const std::string stem = hasExtension ? Path.substr(0, dot) : Path;
    const std::string backup = stem + ".bak";
    return backup == Path ? Path + ".bak" : backup;
}

bool ReadWholeFile(const std::string &Path, std::size_t MaxBytes, std::string &Content, std::string &Error)
{
    TFileDescriptor file(::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0) {
        Error = Describe("cannot open", Path, errno);
        return false;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        Error = "not a regular file: " + Path;
        return false;
    }
    if (static_cast<unsigned long long>(info.st_size) > MaxBytes) {
        Error = "file too large: " + Path + " holds " + std::to_string(info.st_size) + " bytes, at most " +
                std::to_string(MaxBytes) + " are read";
        return false;
    }
    Content.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Error = Describe("cannot read", Path, errno);
            return false;
        }
        if (got == 0)
            return true;
        // The file may grow while it is read; the limit holds all the same.
        if (Content.size() + static_cast<std::size_t>(got) > MaxBytes) {
            Error = "file too large: " + Path;
            return false;
        }
        Content.append(buffer, static_cast<std::size_t>(got));
    }
}

bool WriteWholeFile(const std::string &Path, const std::string &Content, std::string &Error,
                    const std::string &ShownName)
{
    const std::string &shown = ShownName.empty() ? Path : ShownName;
    TFileDescriptor file(::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0666));
    if (file.Get() < 0) {
        Error = Describe("cannot create", shown, errno);
        return false;
    }
    bool ok = WriteAll(file.Get(), Content.data(), Content.size());
    if (ok)
        ok = ::fsync(file.Get()) == 0 || errno == EINVAL;   // EINVAL: a file that cannot be synced
    if (!ok)
        Error = Describe("cannot write", shown, errno);
    if (file.Close() != 0 && ok) {
        Error = Describe("cannot close", shown, errno);
        ok = false;
    }
    if (!ok)
        ::unlink(Path.c_str());
    return ok;
}

} // namespace morlith
