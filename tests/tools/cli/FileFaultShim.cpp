// SPDX-License-Identifier: MIT
// A preloaded library (LD_PRELOAD) that makes one file-system call of a program fail, or kills
// the program at it, to try every failing call of a command in turn.
//
// Counted are the calls on paths below the folders of MORLITH_FAULT_ROOTS (colon-separated) but
// not below those of MORLITH_FAULT_SKIP, and the calls on descriptors opened there: opening,
// reading, writing (at the end or at an offset), syncing, locking, closing, renaming, linking,
// removing, making links and folders, each in its plain and its "at" form. Every counted call is numbered from 1 and noted as one line,
// "NUMBER CALL PATH", in the file MORLITH_FAULT_TRACE. The call numbered MORLITH_FAULT_AT gets
// MORLITH_FAULT_ACTION: "EIO" (it fails with that error and does nothing; a close still releases
// its descriptor), "ENOSPC" (the same, but a write writes half its bytes first, as on a disk
// that fills up, and every later write to that descriptor fails) or "KILL" (the process is killed
// before the call).

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int kMaxDescriptors = 4096;
std::atomic<bool> gWatched[kMaxDescriptors];
std::atomic<bool> gFull[kMaxDescriptors]; // a write to it ran out of space
std::atomic<long> gCalls{0};

const char *Setting(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

// True when `path` lies below one of the colon-separated folders of `list`.
bool Below(const char *path, const char *list)
{
    const char *roots = list;
    while (*roots != '\0') {
        const char *end = std::strchr(roots, ':');
        const size_t length = end != nullptr ? size_t(end - roots) : std::strlen(roots);
        if (length > 0 && std::strncmp(path, roots, length) == 0 && (path[length] == '/' || path[length] == '\0'))
            return true;
        if (end == nullptr)
            break;
        roots = end + 1;
    }
    return false;
}

// True for a path below one of the watched folders and none of the skipped ones (relative paths
// are below the current folder, which the harness makes a watched one).
bool WatchedPath(const char *path)
{
    if (path == nullptr)
        return false;
    if (path[0] != '/')
        return true;
    return Below(path, Setting("MORLITH_FAULT_ROOTS")) && !Below(path, Setting("MORLITH_FAULT_SKIP"));
}

bool WatchedDescriptor(int fd) { return fd >= 0 && fd < kMaxDescriptors && gWatched[fd].load(); }

void Watch(int fd, bool watched)
{
    if (fd >= 0 && fd < kMaxDescriptors) {
        gWatched[fd].store(watched);
        gFull[fd].store(false);
    }
}

// Notes the call and says what to do: 0 to go on, or the error to fail with. Kills the process
// when that is the action.
int Count(const char *call, const char *path)
{
    const long number = ++gCalls;
    const char *trace = Setting("MORLITH_FAULT_TRACE");
    if (*trace != '\0') {
        char line[4200];
        const int n = std::snprintf(line, sizeof line, "%ld %s %s\n", number, call, path != nullptr ? path : "-");
        const long fd = syscall(SYS_openat, AT_FDCWD, trace, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            (void)syscall(SYS_write, fd, line, size_t(n > 0 ? n : 0));
            (void)syscall(SYS_close, fd);
        }
    }
    if (std::atol(Setting("MORLITH_FAULT_AT")) != number)
        return 0;
    const char *action = Setting("MORLITH_FAULT_ACTION");
    if (std::strcmp(action, "KILL") == 0)
        (void)syscall(SYS_kill, getpid(), SIGKILL);
    return std::strcmp(action, "ENOSPC") == 0 ? ENOSPC : EIO;
}

template <class TFunction>
TFunction Next(const char *name)
{
    return reinterpret_cast<TFunction>(dlsym(RTLD_NEXT, name));
}

int Failed(int error)
{
    errno = error;
    return -1;
}

// The path a descriptor was opened with, for the trace.
const char *PathOf(int fd, char *buffer, size_t size)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const long n = syscall(SYS_readlinkat, AT_FDCWD, link, buffer, size - 1);
    buffer[n > 0 ? n : 0] = '\0';
    return buffer;
}

int OpenWith(const char *name, int dirfd, const char *path, int flags, mode_t mode)
{
    using TOpenAt = int (*)(int, const char *, int, ...);
    static const TOpenAt next = Next<TOpenAt>("openat");
    const bool watched = WatchedPath(path);
    if (watched) {
        if (const int error = Count(name, path))
            return Failed(error);
    }
    const int fd = next(dirfd, path, flags, mode);
    Watch(fd, watched && fd >= 0);
    return fd;
}

mode_t ModeArgument(int flags, va_list arguments)
{
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(arguments, int)) : 0;
}

// A call on a descriptor: counted when the descriptor was opened in a watched folder.
int CountDescriptor(const char *call, int fd)
{
    if (!WatchedDescriptor(fd))
        return 0;
    char path[4096];
    return Count(call, PathOf(fd, path, sizeof path));
}

} // namespace

extern "C" {

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenWith("open", AT_FDCWD, path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenWith("open", AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenWith("openat", dirfd, path, flags, mode);
}

int openat64(int dirfd, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenWith("openat", dirfd, path, flags, mode);
}

ssize_t read(int fd, void *data, size_t size)
{
    static const auto next = Next<ssize_t (*)(int, void *, size_t)>("read");
    if (const int error = CountDescriptor("read", fd))
        return Failed(error);
    return next(fd, data, size);
}

ssize_t write(int fd, const void *data, size_t size)
{
    static const auto next = Next<ssize_t (*)(int, const void *, size_t)>("write");
    const bool full = WatchedDescriptor(fd) && gFull[fd].load();
    const int error = CountDescriptor("write", fd);
    if (full)
        return Failed(ENOSPC);
    if (error == ENOSPC && size > 1) {
        gFull[fd].store(true);
        return next(fd, data, size / 2);
    }
    if (error != 0)
        return Failed(error);
    return next(fd, data, size);
}

int fsync(int fd)
{
    static const auto next = Next<int (*)(int)>("fsync");
    if (const int error = CountDescriptor("fsync", fd))
        return Failed(error);
    return next(fd);
}

int fdatasync(int fd)
{
    static const auto next = Next<int (*)(int)>("fdatasync");
    if (const int error = CountDescriptor("fdatasync", fd))
        return Failed(error);
    return next(fd);
}

int ftruncate(int fd, off_t length)
{
    static const auto next = Next<int (*)(int, off_t)>("ftruncate");
    if (const int error = CountDescriptor("ftruncate", fd))
        return Failed(error);
    return next(fd, length);
}

int flock(int fd, int operation)
{
    static const auto next = Next<int (*)(int, int)>("flock");
    if (const int error = CountDescriptor("flock", fd))
        return Failed(error);
    return next(fd, operation);
}

int fchmod(int fd, mode_t mode)
{
    static const auto next = Next<int (*)(int, mode_t)>("fchmod");
    if (const int error = CountDescriptor("fchmod", fd))
        return Failed(error);
    return next(fd, mode);
}

int close(int fd)
{
    static const auto next = Next<int (*)(int)>("close");
    const int error = CountDescriptor("close", fd);
    Watch(fd, false);
    const int result = next(fd);
    return error != 0 ? Failed(error) : result;
}

int rename(const char *from, const char *to)
{
    static const auto next = Next<int (*)(const char *, const char *)>("rename");
    if (WatchedPath(to) || WatchedPath(from))
        if (const int error = Count("rename", to))
            return Failed(error);
    return next(from, to);
}

int link(const char *from, const char *to)
{
    static const auto next = Next<int (*)(const char *, const char *)>("link");
    if (WatchedPath(to))
        if (const int error = Count("link", to))
            return Failed(error);
    return next(from, to);
}

int unlink(const char *path)
{
    static const auto next = Next<int (*)(const char *)>("unlink");
    if (WatchedPath(path))
        if (const int error = Count("unlink", path))
            return Failed(error);
    return next(path);
}

int remove(const char *path)
{
    static const auto next = Next<int (*)(const char *)>("remove");
    if (WatchedPath(path))
        if (const int error = Count("remove", path))
            return Failed(error);
    return next(path);
}

ssize_t pwrite(int fd, const void *data, size_t size, off_t offset)
{
    static const auto next = Next<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite");
    if (const int error = CountDescriptor("pwrite", fd))
        return Failed(error);
    return next(fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void *data, size_t size, off_t offset)
{
    static const auto next = Next<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite64");
    if (const int error = CountDescriptor("pwrite", fd))
        return Failed(error);
    return next(fd, data, size, offset);
}

int renameat(int fromDir, const char *from, int toDir, const char *to)
{
    static const auto next = Next<int (*)(int, const char *, int, const char *)>("renameat");
    if (WatchedPath(to) || WatchedPath(from))
        if (const int error = Count("renameat", to))
            return Failed(error);
    return next(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags)
{
    static const auto next = Next<int (*)(int, const char *, int, const char *, unsigned)>("renameat2");
    if (WatchedPath(to) || WatchedPath(from))
        if (const int error = Count("renameat", to))
            return Failed(error);
    return next(fromDir, from, toDir, to, flags);
}

int linkat(int fromDir, const char *from, int toDir, const char *to, int flags)
{
    static const auto next = Next<int (*)(int, const char *, int, const char *, int)>("linkat");
    if (WatchedPath(to))
        if (const int error = Count("linkat", to))
            return Failed(error);
    return next(fromDir, from, toDir, to, flags);
}

int unlinkat(int dirfd, const char *path, int flags)
{
    static const auto next = Next<int (*)(int, const char *, int)>("unlinkat");
    if (WatchedPath(path))
        if (const int error = Count("unlinkat", path))
            return Failed(error);
    return next(dirfd, path, flags);
}

int symlink(const char *target, const char *path)
{
    static const auto next = Next<int (*)(const char *, const char *)>("symlink");
    if (WatchedPath(path))
        if (const int error = Count("symlink", path))
            return Failed(error);
    return next(target, path);
}

int mkdir(const char *path, mode_t mode)
{
    static const auto next = Next<int (*)(const char *, mode_t)>("mkdir");
    if (WatchedPath(path))
        if (const int error = Count("mkdir", path))
            return Failed(error);
    return next(path, mode);
}

int mkdirat(int dirfd, const char *path, mode_t mode)
{
    static const auto next = Next<int (*)(int, const char *, mode_t)>("mkdirat");
    if (WatchedPath(path))
        if (const int error = Count("mkdir", path))
            return Failed(error);
    return next(dirfd, path, mode);
}

} // extern "C"
