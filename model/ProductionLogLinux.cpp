// The production log on POSIX: O_APPEND, flock and fsync.

#include "OperationRecord.h"
#include "ProductionLog.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith {
namespace {

constexpr mode_t kNewLogMode = 0666; // less the umask

// Holds the exclusive lock of a descriptor while it lives.
class TFileLock {
public:
    explicit TFileLock(int descriptor) : FDescriptor(descriptor)
    {
        while ((FResult = ::flock(FDescriptor, LOCK_EX)) != 0 && errno == EINTR) {
        }
    }
    ~TFileLock()
    {
        if (FResult == 0)
            ::flock(FDescriptor, LOCK_UN);
    }
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;
    bool Held() const { return FResult == 0; }

private:
    int FDescriptor;
    int FResult = -1;
};

int OpenForAppending(const std::string &path, int access)
{
    int descriptor;
    while ((descriptor = ::open(path.c_str(), access | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                                kNewLogMode)) < 0 &&
           errno == EINTR) {
    }
    return descriptor;
}

// True when the file ends without a newline: an earlier writer stopped part-way (a full disk).
bool EndsMidLine(int descriptor)
{
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || info.st_size == 0)
        return false;
    char last = '\n';
    return ::pread(descriptor, &last, 1, info.st_size - 1) == 1 && last != '\n';
}

// Flushes the folder of a file just created, so that its name survives a crash too.
void SyncFolderOf(const std::string &path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    (void)::fsync(descriptor);
    ::close(descriptor);
}

} // namespace

bool TProductionLog::OpenFile(const std::string &path, intptr_t &handle, TFailure &failure)
{
    const std::string step = "opening the production log";
    struct stat before {};
    const bool existed = ::stat(path.c_str(), &before) == 0;
    // Read access lets Append see whether an earlier writer left a line unfinished; a log that
    // may only be written to is still used.
    int descriptor = OpenForAppending(path, O_RDWR);
    if (descriptor < 0 && errno == EACCES)
        descriptor = OpenForAppending(path, O_WRONLY);
    if (descriptor < 0) {
        failure = ProductionLogFailure(errno, "open", path, step);
        return false;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(descriptor);
        failure = ProductionLogFailure(error, "use", path, step);
        failure.Detail = path + ": not a regular file";
        return false;
    }
    if (!existed)
        SyncFolderOf(path);
    handle = intptr_t(descriptor);
    return true;
}

TProductionLog::~TProductionLog() { ::close(int(FHandle)); }

bool TProductionLog::Append(const std::string &line, TFailure &failure)
{
    const std::string step = "writing the production log";
    const int descriptor = int(FHandle);
    std::lock_guard<std::mutex> threads(FLock);
    TFileLock processes(descriptor);
    if (!processes.Held()) {
        failure = ProductionLogFailure(errno, "lock", FPath, step);
        return false;
    }
    // A line left unfinished by an earlier writer is closed first, so this one stands alone.
    const std::string text = (EndsMidLine(descriptor) ? "\n" : "") + line + "\n";
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(descriptor, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure = ProductionLogFailure(n < 0 ? errno : ENOSPC, "write to", FPath, step);
            return false;
        }
        written += size_t(n);
    }
    int synced;
    while ((synced = ::fsync(descriptor)) != 0 && errno == EINTR) {
    }
    if (synced != 0) {
        failure = ProductionLogFailure(errno, "flush", FPath, step);
        return false;
    }
    return true;
}

std::string HostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "";
    return name;
}

} // namespace morlith
